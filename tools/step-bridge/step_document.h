#pragma once

// A STEP (or IGES) file read into an XCAF document, with what the later steps of an import
// need of the read: the STEP model behind it, and the units.

#include <string>

#include <TDF_Label.hxx>
#include <TDocStd_Document.hxx>
#include <TopoDS_Shape.hxx>
#include <XSControl_WorkSession.hxx>

#include "trx_api/json/enum_strings.h"

namespace trx::step {

struct StepDocument {
    std::string path;
    Handle(TDocStd_Document) doc;
    // The STEP model and its transfer process (which STEP entity became which label);
    // null for IGES.
    Handle(XSControl_WorkSession) session;
    // The file's own length unit, in millimetres (25.4 for an inch file). The document's
    // shapes are in millimetres whatever the file says.
    double fileUnitMm = 1;
    // The unit the command asked for, and the factor from millimetres to it: every
    // length that leaves the bridge (coordinates, PMI values, cameras) is multiplied by it.
    ELengthUnitType units = ELengthUnitType::millimeter;
    double mmToUnits = 1;
};

// The id of a B-rep face in the block's visualization and in the PMI and layers that refer
// to it: `index` counts from 1 in the order of TopExp::MapShapes(part, TopAbs_FACE).
std::wstring faceId(std::uint64_t blockId, int index);

}  // namespace trx::step
