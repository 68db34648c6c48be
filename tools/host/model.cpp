#include "model.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <limits>
#include <map>

#include "common/protocol.h"
#include "common/units.h"
#include "trx_api/trx_api_exchange_misc_mechanical.h"
#include "trx_api/trx_api_exchange_pmi.h"
#include "trx_api/trx_api_exchange_structure.h"
#include "trx_api/trx_api_exchange_visualization.h"
#include "trx_api/trx_api_option_enums.h"

namespace trx::host {

// ---- PMI ----

bool PmiSummary::firstTime(int kind, const std::wstring& id) {
    // Without an id there is nothing to tell two listings apart: each counts.
    return id.empty() || m_seen.emplace(kind, id).second;
}

void PmiSummary::add(const ExcPMIData& data, Bounded<SavedView>& views,
                     std::optional<std::uint64_t> blockId) {
    for (const auto& set : data.annotationSets()) {
        if (!set) continue;
        for (const auto& view : set->views()) {
            if (!view) continue;
            ++annotationViews;
            for (const auto& d : view->datums()) {
                if (!d || !firstTime(static_cast<int>(EPMIAnnotationType::datum), d->id()))
                    continue;
                ++datums;
                if (!d->label().empty()) datumLabels.add(tools::clip(d->label()));
            }
            for (const auto& t : view->datumTargets())
                if (t && firstTime(static_cast<int>(EPMIAnnotationType::datum_target), t->id()))
                    ++datumTargets;
            for (const auto& g : view->gdts()) {
                if (!g || !firstTime(static_cast<int>(EPMIAnnotationType::GDT), g->id())) continue;
                PmiValue v{enumToString(g->toleranceType()), g->toleranceValue()};
                if (g->note() == tools::kValueUnknown) v.value.reset();
                tolerances.add(std::move(v));
            }
            for (const auto& d : view->dimensions()) {
                if (!d || !firstTime(static_cast<int>(EPMIAnnotationType::dimension), d->id()))
                    continue;
                PmiValue v{enumToString(d->subType()), d->value()};
                if (d->hasFakeAlphanumericalValue() &&
                    d->fakeAlphanumericalValue() == tools::kValueUnknown)
                    v.value.reset();
                dimensions.add(std::move(v));
            }
            for (const auto& n : view->notes())
                if (n && firstTime(static_cast<int>(EPMIAnnotationType::note), n->id())) ++notes;
            for (const auto& r : view->roughness())
                if (r && firstTime(static_cast<int>(EPMIAnnotationType::roughness), r->id()))
                    ++roughness;
        }
        for (const auto& capture : set->captures())
            if (capture)
                views.add({tools::clip(capture->name()), capture->annotationIds().size(), blockId});
    }
}

bool PmiSummary::empty() const {
    return datums == 0 && datumTargets == 0 && notes == 0 && roughness == 0 &&
           tolerances.total() == 0 && dimensions.total() == 0;
}

void addLayers(const ExcMechanicalMiscData& misc, Bounded<Layer, kMaxPmiKept>& layers) {
    for (const auto& layer : misc.layers())
        if (layer) layers.add({tools::clip(layer->name()), layer->entities().size()});
}

// ---- colours ----

std::wstring colorText(const ExcColor& color) {
    if (!color.hasRGB()) return {};
    char text[16];
    auto c = [&](ExcColor::EChannel ch) { return std::min<unsigned>(color[ch], 255); };
    if (color.hasAlpha())
        std::snprintf(text, sizeof text, "#%02x%02x%02x%02x", c(ExcColor::red), c(ExcColor::green),
                      c(ExcColor::blue), c(ExcColor::alpha));
    else
        std::snprintf(text, sizeof text, "#%02x%02x%02x", c(ExcColor::red), c(ExcColor::green),
                      c(ExcColor::blue));
    return toWide(text);
}

namespace {

void addNodeColors(const ExcVisuNode& node, int depth, BoundedSet<>& colors) {
    if (depth > kMaxTreeDepth) return;
    if (node.attributes() && node.attributes()->color()) {
        const std::wstring c = colorText(*node.attributes()->color());
        if (!c.empty()) colors.add(c);
    }
    if (node.mesh())
        for (const auto& face : node.mesh()->faces()) {
            if (!face) continue;
            const std::wstring c = colorText(face->color());
            if (!c.empty()) colors.add(c);
        }
    for (const auto& child : node.childNodes())
        if (child) addNodeColors(*child, depth + 1, colors);
}

}  // namespace

void addColors(const ExcVisualizationData& data, BoundedSet<>& colors) {
    for (const auto& root : data.sceneRootNodes())
        if (root) addNodeColors(*root, 0, colors);
}

// ---- the expanded tree ----

namespace {

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b
               ? std::numeric_limits<std::uint64_t>::max()
               : a + b;
}

// Each block is walked once: a sub-assembly placed many times, or reached along many
// paths, costs no more than one placement, however large the expanded tree.
class ShapeWalk {
public:
    ShapeWalk(const ExcProductStructure& structure, TreeShape& shape)
        : m_structure(structure), m_shape(shape) {}

    // Instances and levels below and including one reference.
    std::pair<std::uint64_t, int> reference(const ExcBlockReference& ref, int level) {
        const auto block = m_structure.getBlockById(ref.blockId());
        if (!block) {
            ++m_shape.missing;
            return {0, 1};
        }
        // A block that holds nothing is a leaf, flagged a part or not.
        if (block->isPart() || block->blockReferences().empty()) return {1, 1};
        const auto [instances, depth] = contents(*block, level + 1);
        return {instances, depth + 1};
    }

    // Instances and levels of what a block's references hold.
    std::pair<std::uint64_t, int> references(const ExcBlockReferences& refs, int level) {
        std::uint64_t instances = 0;
        int depth = 0;
        for (const auto& ref : refs) {
            if (!ref) continue;
            const auto [i, d] = reference(*ref, level);
            instances = saturatingAdd(instances, i);
            depth = std::max(depth, d);
        }
        return {instances, depth};
    }

private:
    std::pair<std::uint64_t, int> contents(const ExcBlock& block, int level) {
        if (level > kMaxTreeDepth) {
            m_shape.tooDeep = true;
            return {0, 0};
        }
        const auto done = m_done.find(block.id());
        if (done != m_done.end()) return done->second;
        if (!m_open.insert(block.id()).second) {
            m_shape.loops = true;
            return {0, 0};
        }
        const auto result = references(block.blockReferences(), level);
        m_open.erase(block.id());
        m_done.emplace(block.id(), result);
        return result;
    }

    const ExcProductStructure& m_structure;
    TreeShape& m_shape;
    std::set<std::uint64_t> m_open;  // blocks on the current path
    std::map<std::uint64_t, std::pair<std::uint64_t, int>> m_done;
};

}  // namespace

TreeShape shapeOf(const ExcProductStructure& structure) {
    TreeShape shape;
    ShapeWalk walk(structure, shape);
    std::tie(shape.instances, shape.depth) = walk.references(structure.rootBlockReferences(), 0);
    return shape;
}

// ---- units and messages ----

std::wstring unitSymbol(ELengthUnitType unit) {
    const std::string symbol = tools::shortName(unit);
    return symbol.empty() ? enumToString(unit) : toWide(symbol);
}

std::wstring severityOf(const std::wstring& message) {
    std::size_t start = message.find_first_not_of(L" \t");
    if (start == std::wstring::npos) start = message.size();
    std::wstring word;
    for (std::size_t i = start; i < message.size() && i < start + 16 && std::iswalpha(message[i]);
         ++i)
        word += static_cast<wchar_t>(std::towlower(message[i]));
    const std::size_t end = start + word.size();
    const bool marked = end < message.size() && message[end] == L':';
    ELogEventLevelType level = ELogEventLevelType::information;
    if (marked && word == L"error") level = ELogEventLevelType::error;
    if (marked && word == L"warning") level = ELogEventLevelType::warning;
    return enumToString(level);
}

}  // namespace trx::host
