#pragma once

// What the mechanics reader gathers from the STEP model before it knows the blocks: the
// semantic annotations, how they are presented (annotation planes, saved views, graphics
// without semantics) and the organisational data (layers, materials, properties). Records
// here carry no linked elements yet: those name faces by block, added when a part is asked for.

#include <array>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <Standard_Transient.hxx>

#include "mechanics_model.h"
#include "trx_api/trx_api_exchange_misc_mechanical.h"
#include "trx_api/trx_api_exchange_pmi.h"
#include "trx_api/trx_api_exchange_visualization_primitives.h"

namespace trx::step::detail {

struct Annotation {
    std::shared_ptr<ExcPMIAnnotation> record;  // id, name and the kind's own fields
    std::vector<ShapeRef> refs;                // what it annotates
    Handle(Standard_Transient) product;        // the product definition shape it belongs to
    int plane = -1;                            // index into Presentation::planes
    int owner = -1;                            // part index, decided once everything is read
};

struct Semantics {
    std::vector<Annotation> annotations;
    // Every STEP entity that stands for an annotation (a datum feature for its datum letter,
    // the lower row of a composite frame for its frame) to the annotation's index.
    std::unordered_map<const Standard_Transient*, int> byEntity;
};

Semantics readSemantics(const ModelView& model, ELengthUnitType units,
                        std::vector<std::wstring>& warnings);

// A plane annotations are drawn in.
struct AnnotationPlane {
    std::wstring id;
    std::wstring name;
    Placement placement;  // millimetres
    std::vector<int> annotations;
};

// A saved view: a draughting model with a camera.
struct SavedView {
    std::wstring id;
    std::wstring name;
    std::shared_ptr<ExcCamera> camera;           // in the requested unit
    std::shared_ptr<ExcClippingPlane> clipping;  // null when the view clips nothing
    std::vector<int> annotations;
};

// Lines of a presentation that carries no semantics.
struct Graphic {
    std::shared_ptr<ExcVisuPMI> record;  // edges in the requested unit
    std::vector<ShapeRef> refs;
    std::vector<int> near;  // annotations shown in the same views, to place it with them
    int owner = -1;
};

struct Presentation {
    std::vector<AnnotationPlane> planes;
    std::vector<SavedView> views;
    std::vector<Graphic> graphics;
    // By the callout's number in the file: the annotations it presents, the graphic drawn
    // from it.
    std::map<int, std::vector<int>> annotationsOfCallout;
    std::map<int, int> graphicOfCallout;
};

Presentation readPresentation(const ModelView& model, const StepDocument& document,
                              Semantics& semantics, std::vector<std::wstring>& warnings);

// Layers, materials and properties, each tied to a part or to annotations.
struct LayerData {
    int id = 0;
    std::wstring name;
    std::vector<ShapeRef> refs;
    std::vector<int> annotations;
    std::vector<int> graphics;
};

struct MaterialData {
    int part = -1;
    std::wstring name;
    std::shared_ptr<ExcMiscMaterialProperty> density;  // null when the file gives none
};

struct PropertyData {
    int part = -1;
    std::wstring group;
    ExcMiscProperty property;
};

struct Organisation {
    std::vector<LayerData> layers;
    std::vector<MaterialData> materials;
    std::vector<PropertyData> properties;
};

Organisation readOrganisation(const ModelView& model, const Presentation& presentation,
                              std::vector<std::wstring>& warnings);

}  // namespace trx::step::detail
