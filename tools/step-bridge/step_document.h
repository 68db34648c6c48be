#pragma once

// A STEP (or IGES) file read into an XCAF document, with what the later steps of an import
// need of the read: the STEP model behind it, and the units.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include <Interface_InterfaceModel.hxx>
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
    // The length unit of the file's shape representations, in millimetres (25.4 for an inch
    // file). The document's shapes are in millimetres whatever the file says. PMI measures
    // may carry units of their own (an inch tolerance on a millimetre shape).
    double fileUnitMm = 1;
    // The unit the command asked for, and the factor from millimetres to it: every
    // length that leaves the bridge (coordinates, PMI values, cameras) is multiplied by it.
    ELengthUnitType units = ELengthUnitType::millimeter;
    double mmToUnits = 1;
};

// Why a file could not be read; the text names the file.
struct ReadError : std::runtime_error {
    ReadError(const std::string& text, std::size_t tessellated = 0)
        : std::runtime_error(text), tessellatedItems(tessellated) {}
    // Tessellated shape items of a file OCCT translated nothing of: it does not read them.
    std::size_t tessellatedItems;
};

// Reads the file into a fresh XCAF document with names, colours, layers, properties, GD&T,
// materials and views, in millimetres, the file's unit noted. OCCT's messages go to `log`
// (the caller sends them on), never to standard output. Throws ReadError naming the file
// when it cannot be read; an OCCT exception becomes one too. Refused: what is not a regular
// file, an empty file, text that is not STEP, and STEP text with a syntax error anywhere
// (OCCT's parser would skip the entity, and its translation then crash on the hole).
StepDocument readStep(const std::string& path, ELengthUnitType units,
                      const std::function<void(const std::wstring&)>& log);

// Entities of tessellated shapes in a STEP model, which OCCT 7.6 does not translate: it
// keeps them as entities of unknown type. (Triangulated surface sets also fill PMI text
// and are not counted.)
std::size_t tessellatedShapeItems(const Handle(Interface_InterfaceModel)& model);

// Closes the document: OCCT keeps it in its application until then.
void closeStep(StepDocument& document);

// A length unit as STEP names it ("INCH", "millimetre", "METRE", ...), in millimetres; 0
// when the name is not known.
double unitInMm(std::string name);

// The id of a B-rep face in the block's visualization and in the PMI and layers that refer
// to it: `index` counts from 1 in the order of TopExp::MapShapes(part, TopAbs_FACE).
std::wstring faceId(std::uint64_t blockId, int index);

}  // namespace trx::step
