#pragma once

// The assembly tree of an XCAF document as blocks and references: one block per prototype
// (part or assembly), one reference per component, the free shapes under the root.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <TDF_Label.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Shape.hxx>
#include <XCAFDoc_ColorTool.hxx>

#include "step_document.h"
#include "trx_api/trx_api_exchange_common.h"

namespace trx {
class ExcProductStructure;
}

namespace trx::step {

struct BlockSource {
    std::uint64_t id = 0;
    std::wstring name;
    TDF_Label label;     // the prototype
    TopoDS_Shape shape;  // of a part; null for an assembly
    bool part = false;
};

struct ProductTree {
    std::shared_ptr<ExcProductStructure> structure;
    std::vector<BlockSource> blocks;  // in the order of the structure's blocks
};

// Walks the document from its free shapes. Lengths (the translations) are multiplied by
// the document's mmToUnits. Throws what OCCT throws.
ProductTree productTree(const StepDocument& document, const std::wstring& productName);

// The XCAF colour of a label (surface colour first, then the generic one), as an ExcColor
// with alpha when it is not opaque; empty when it has none.
std::optional<ExcColor> colourOf(const Handle(XCAFDoc_ColorTool)& colours, const TDF_Label& label);

// The colour of each face of a part (index from 0 in the part's face map): its own subshape
// label's, else that of a shell or solid subshape holding it, else the part's own; faces
// without any keep an empty colour.
std::vector<std::optional<ExcColor>> faceColours(const Handle(XCAFDoc_ColorTool)& colours,
                                                 const TDF_Label& part,
                                                 const TopTools_IndexedMapOfShape& faces);

// The name of a label as UTF-8 would carry it; empty when it has none.
std::wstring nameOf(const TDF_Label& label);

}  // namespace trx::step
