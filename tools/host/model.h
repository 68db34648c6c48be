#pragma once

// What the summary says about the model itself, condensed from the exchange objects: the
// expanded assembly tree, colours, layers, PMI and saved views, and the bridge's messages.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "trx_api/json/enum_strings.h"

namespace trx {
class ExcColor;
class ExcPMIData;
class ExcProductStructure;
class ExcVisualizationData;
class ExcMechanicalMiscData;
}  // namespace trx

namespace trx::host {

// A bridge may send without end: the report keeps this many of each list (distinct object
// names, errors, notes, stages, segments, messages, views) and counts the rest.
constexpr std::size_t kMaxKept = 100;
// Per block: a real part may carry hundreds of tolerances, and each is worth seeing.
constexpr std::size_t kMaxPmiKept = 1000;
// Trees from the other process are not trusted: references may loop.
constexpr int kMaxTreeDepth = 64;

template <class T, std::size_t Max = kMaxKept>
struct Bounded {
    std::vector<T> kept;
    std::size_t more = 0;
    void add(T item) {
        if (kept.size() < Max)
            kept.push_back(std::move(item));
        else
            ++more;
    }
    std::size_t total() const { return kept.size() + more; }
};

// A set that keeps at most Max items and counts the ones it turned away.
template <std::size_t Max = kMaxKept>
struct BoundedSet {
    std::set<std::wstring> kept;
    std::size_t more = 0;
    void add(const std::wstring& item) {
        if (kept.size() < Max || kept.count(item))
            kept.insert(item);
        else
            ++more;
    }
};

// A tolerance or a dimension: its kind (the enumeration's wire name) and its value, none
// when the file does not give one.
struct PmiValue {
    std::wstring type;
    std::optional<double> value;
};

// A saved view (capture): its name and how many annotations it shows.
struct SavedView {
    std::wstring name;
    std::size_t annotations = 0;
    std::optional<std::uint64_t> blockId;  // none: the model's root
};

// The PMI of one block, or of the model's root.
class PmiSummary {
public:
    // Counts each annotation once, however many views list it (by kind and id).
    void add(const ExcPMIData& data, Bounded<SavedView>& views,
             std::optional<std::uint64_t> blockId);
    bool empty() const;

    BoundedSet<kMaxPmiKept> datumLabels;  // non-empty labels, sorted
    std::size_t datums = 0;
    std::size_t datumTargets = 0;
    std::size_t notes = 0;
    std::size_t roughness = 0;
    std::size_t annotationViews = 0;
    Bounded<PmiValue, kMaxPmiKept> tolerances;
    Bounded<PmiValue, kMaxPmiKept> dimensions;

private:
    bool firstTime(int kind, const std::wstring& id);
    std::set<std::pair<int, std::wstring>> m_seen;
};

struct Layer {
    std::wstring name;
    std::size_t members = 0;
};
void addLayers(const ExcMechanicalMiscData& misc, Bounded<Layer, kMaxPmiKept>& layers);

// "#rrggbb", "#rrggbbaa" with alpha; empty when the colour is not set.
std::wstring colorText(const ExcColor& color);
// The colours a visualization sets on its nodes and faces.
void addColors(const ExcVisualizationData& data, BoundedSet<>& colors);

// Leaf part placements of the expanded tree and its levels. A reference to a part, or to
// a block that holds nothing, is a leaf; a reference to an assembly counts what that
// assembly holds, once per placement.
struct TreeShape {
    std::uint64_t instances = 0;  // saturates instead of wrapping
    int depth = 0;
    bool loops = false;           // a block reaches itself
    bool tooDeep = false;         // deeper than kMaxTreeDepth: cut there
    std::size_t missing = 0;      // references to blocks that are not in the table
};
TreeShape shapeOf(const ExcProductStructure& structure);

// "mm", "in", "m", ...; the wire name for units without a symbol.
std::wstring unitSymbol(ELengthUnitType unit);

// A message carries no severity of its own: its text may start with one ("Warning: ...").
// The answer is a log level's wire name: "error", "warning" or "information".
std::wstring severityOf(const std::wstring& message);

}  // namespace trx::host
