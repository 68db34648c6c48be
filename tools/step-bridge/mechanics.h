#pragma once

// What a part carries beside its shape, from the XCAF document and, where the document
// falls short, from the STEP model: PMI (datums, datum targets, tolerances, dimensions,
// annotation views and captures from the saved views), layers with their members,
// materials and properties, and presentation-only PMI as lines to draw.

#include <memory>
#include <string>
#include <vector>

#include "step_document.h"

namespace trx {
class ExcPMIData;
class ExcMechanicalMiscData;
class ExcVisuPMI;
}  // namespace trx

namespace trx::step {

struct PartMechanics {
    std::shared_ptr<ExcPMIData> pmi;             // null when the part has none
    std::shared_ptr<ExcMechanicalMiscData> misc;  // layers, materials, properties; may be null
    std::vector<std::shared_ptr<ExcVisuPMI>> graphics;  // presentation-only PMI
};

class MechanicsReader {
public:
    // Gathers everything once; the document must outlive the reader.
    explicit MechanicsReader(const StepDocument& document);
    ~MechanicsReader();

    // Of the part or assembly whose prototype (not instance) label this is, sent as the
    // block with this id. Empty when it has none.
    PartMechanics of(const TDF_Label& prototype, std::uint64_t blockId) const;
    // What belongs to the model as a whole (views that show several parts, ...).
    std::shared_ptr<ExcPMIData> root() const;
    // For the user: values the file does not give, what could not be read.
    const std::vector<std::wstring>& warnings() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace trx::step
