#pragma once

// The STEP model behind an XCAF document, seen through OCCT's typed entities: graph
// look-ups, measures with their own units, and where a representation item ended up among
// the faces, edges and bodies of the document's parts.
//
// OCCT drops a reference whose entity has an unexpected type (a tolerance magnitude written
// as a compound measure reads back as null), but its graph keeps every reference the file
// makes; so look-ups here go through the graph, and typed fields only where they hold.

#include <cstdint>
#include <map>
#include <optional>
#include <tuple>
#include <string>
#include <unordered_map>
#include <vector>

#include <Interface_EntityIterator.hxx>
#include <Interface_Graph.hxx>
#include <Standard_Transient.hxx>
#include <StepData_StepModel.hxx>
#include <TDF_Label.hxx>
#include <TopoDS_Shape.hxx>
#include <Transfer_TransientProcess.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include "step_document.h"
#include "trx_api/trx_api_exchange_common.h"

class TCollection_HAsciiString;
class StepRepr_Representation;
class StepRepr_ShapeAspect;
class StepGeom_Axis2Placement3d;
class StepGeom_CartesianPoint;

namespace trx::step::detail {

std::wstring text(const Handle(TCollection_HAsciiString)& s);
// ASCII lower case, for comparing the file's names ("composite", "nominal value").
std::string lower(const std::wstring& s);
// A number as text, shortest form.
std::wstring number(double v);
void addUnique(std::vector<int>& list, int v);

// A value with the unit it was written in, converted: lengths to millimetres, plane angles to
// degrees, anything else as written.
struct Measure {
    enum Kind { length, angle, other };
    Kind kind = other;
    double value = 0;  // converted
    std::wstring name;  // of the representation item, when it is one ("nominal value", ...)
};

// A right-handed placement in millimetres.
struct Placement {
    double origin[3] = {0, 0, 0};
    double x[3] = {1, 0, 0};
    double y[3] = {0, 1, 0};
    double z[3] = {0, 0, 1};
};

// A model entity a PMI record refers to: a face, edge, vertex or body of a part.
struct ShapeRef {
    int part = -1;  // index into ModelView::parts()
    char kind = 'f';  // 'f', 'e', 'v', 'b'
    int index = 0;   // from 1, in TopExp::MapShapes order of its kind
    bool operator<(const ShapeRef& o) const {
        return std::tie(part, kind, index) < std::tie(o.part, o.kind, o.index);
    }
    bool operator==(const ShapeRef& o) const {
        return part == o.part && kind == o.kind && index == o.index;
    }
};

class ModelView {
public:
    explicit ModelView(const StepDocument& document);

    bool valid() const { return !m_model.IsNull() && m_graph != nullptr; }
    const Handle(StepData_StepModel)& model() const { return m_model; }
    const Interface_Graph& graph() const { return *m_graph; }
    double mmToUnits() const { return m_mmToUnits; }

    // The entity's number in the file (#n), 0 for none.
    int ident(const Handle(Standard_Transient)& e) const;

    // Every entity of the type, in file order.
    template <class T>
    std::vector<Handle(T)> all() const {
        std::vector<Handle(T)> out;
        for (const auto& e : m_entities)
            if (e->IsKind(STANDARD_TYPE(T))) out.push_back(Handle(T)::DownCast(e));
        return out;
    }
    // Entities of the type that refer to e.
    template <class T>
    std::vector<Handle(T)> sharings(const Handle(Standard_Transient)& e) const {
        std::vector<Handle(T)> out;
        if (e.IsNull()) return out;
        for (Interface_EntityIterator it = m_graph->Sharings(e); it.More(); it.Next())
            if (it.Value()->IsKind(STANDARD_TYPE(T)))
                out.push_back(Handle(T)::DownCast(it.Value()));
        return out;
    }
    // Entities of the type that e refers to.
    template <class T>
    std::vector<Handle(T)> shareds(const Handle(Standard_Transient)& e) const {
        std::vector<Handle(T)> out;
        if (e.IsNull()) return out;
        for (Interface_EntityIterator it = m_graph->Shareds(e); it.More(); it.Next())
            if (it.Value()->IsKind(STANDARD_TYPE(T)))
                out.push_back(Handle(T)::DownCast(it.Value()));
        return out;
    }

    // The top-level arguments of a simple entity as the file writes them, for a value OCCT
    // could not type (a real where an integer belongs, a reference to an entity it does not
    // know); empty when the file cannot be read again.
    std::vector<std::string> rawArguments(const Handle(Standard_Transient)& e,
                                          std::string* type = nullptr) const;
    // The entity numbered #n in the file.
    Handle(Standard_Transient) entityOf(int ident) const;
    // Whether OCCT reported a failure reading the entity.
    bool failed(const Handle(Standard_Transient)& e) const;

    // A measure entity (measure_with_unit, a measure representation item, or the compound
    // of both) converted from its own unit; nothing when e is none of these or its unit is
    // unknown.
    std::optional<Measure> measure(const Handle(Standard_Transient)& e) const;
    // The first measure among the entities e refers to.
    std::optional<Measure> measureIn(const Handle(Standard_Transient)& e) const;
    // Millimetres per unit of a named length unit; 0 when it is not one.
    double unitMm(const Handle(Standard_Transient)& namedUnit) const;
    // The length unit of a representation's context, in millimetres (1 when unknown).
    double contextMm(const Handle(StepRepr_Representation)& rep) const;

    // In millimetres, given the millimetres per unit of their context.
    bool point(const Handle(StepGeom_CartesianPoint)& p, double mm, double out[3]) const;
    bool placement(const Handle(StepGeom_Axis2Placement3d)& a, double mm, Placement& out) const;

    // The prototype labels of the document's parts (simple shapes with faces, edges or
    // vertices), in the shape tool's order.
    const std::vector<TDF_Label>& parts() const { return m_parts; }
    // What a representation item became among the parts' faces, edges, vertices and bodies.
    void refsOf(const Handle(Standard_Transient)& item, std::vector<ShapeRef>& out) const;
    void refsOfShape(const TopoDS_Shape& shape, std::vector<ShapeRef>& out) const;
    // Every item a shape aspect designates, through derived, composite and related aspects.
    void refsOfAspect(const Handle(Standard_Transient)& aspect, std::vector<ShapeRef>& out) const;
    // The shape a representation item, representation or product definition became.
    TopoDS_Shape shapeOf(const Handle(Standard_Transient)& e) const;
    // The part a product definition (or its shape) became: its own label when it is a part,
    // the one part below it when it is an assembly of one part; -1 otherwise.
    int partOfProduct(const Handle(Standard_Transient)& productOrShape) const;
    int partOfShape(const TopoDS_Shape& shape) const;
    // The entity of a part reference, for the block with this id.
    std::shared_ptr<ExcEntity> entity(const ShapeRef& ref, std::uint64_t blockId) const;

private:
    void indexParts(const StepDocument& document);
    void refsOfAspect(const Handle(Standard_Transient)& aspect, std::vector<ShapeRef>& out,
                      std::vector<const Standard_Transient*>& seen) const;

    Handle(StepData_StepModel) m_model;
    Handle(Transfer_TransientProcess) m_tp;
    const Interface_Graph* m_graph = nullptr;
    Handle(XCAFDoc_ShapeTool) m_shapes;
    double m_mmToUnits = 1;
    std::vector<Handle(Standard_Transient)> m_entities;
    std::vector<TDF_Label> m_parts;
    struct Where {
        int part;
        int index;
    };
    // Sub-shapes by their TShape: a part's prototype shares them with the transfer's results.
    std::unordered_map<const void*, Where> m_faces, m_edges, m_vertices, m_solids;
    std::unordered_map<const void*, int> m_partOfShape;
    mutable std::map<const Standard_Transient*, double> m_unitCache;
    // The file's text, read again only when a value needs it.
    std::string m_path;
    mutable bool m_rawLoaded = false;
    mutable std::string m_raw;
    mutable std::unordered_map<int, std::pair<std::size_t, std::size_t>> m_rawIndex;
    mutable std::unordered_map<int, Handle(Standard_Transient)> m_byIdent;
};

// "<kind>#<n>": annotation ids name the file's entity, unique within a file.
std::wstring annotationId(const wchar_t* kind, int ident);

}  // namespace trx::step::detail
