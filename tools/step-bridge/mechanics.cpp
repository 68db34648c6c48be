#include "mechanics.h"

#include <algorithm>
#include <map>

#include <TDataStd_Name.hxx>
#include <TColStd_HSequenceOfExtendedString.hxx>
#include <TDF_LabelSequence.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_LayerTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include "mechanics_pmi.h"
#include "trx_api/trx_api_exchange_misc_mechanical.h"
#include "trx_api/trx_api_exchange_pmi.h"
#include "trx_api/trx_api_exchange_visualization_primitives.h"

namespace trx::step {

using namespace detail;

namespace {

// The part most of the references point into; -1 when there are none.
int mostReferenced(const std::vector<ShapeRef>& refs) {
    std::map<int, int> count;
    for (const auto& r : refs) ++count[r.part];
    int best = -1, most = 0;
    for (const auto& [part, n] : count)
        if (n > most) {
            best = part;
            most = n;
        }
    return best;
}

std::shared_ptr<ExcPMIAnnotation> copyOf(const ExcPMIAnnotation& a) {
    if (auto* d = dynamic_cast<const ExcPMIDatum*>(&a)) return std::make_shared<ExcPMIDatum>(*d);
    if (auto* t = dynamic_cast<const ExcPMIDatumTarget*>(&a))
        return std::make_shared<ExcPMIDatumTarget>(*t);
    if (auto* g = dynamic_cast<const ExcPMIGDT*>(&a)) return std::make_shared<ExcPMIGDT>(*g);
    if (auto* d = dynamic_cast<const ExcPMIDimension*>(&a))
        return std::make_shared<ExcPMIDimension>(*d);
    if (auto* n = dynamic_cast<const ExcPMINote*>(&a)) return std::make_shared<ExcPMINote>(*n);
    if (auto* r = dynamic_cast<const ExcPMIRoughness*>(&a))
        return std::make_shared<ExcPMIRoughness>(*r);
    return nullptr;
}

void addTo(ExcPMIAnnotationView& view, const std::shared_ptr<ExcPMIAnnotation>& a) {
    if (auto d = std::dynamic_pointer_cast<ExcPMIDatum>(a)) view.addDatum(d);
    else if (auto t = std::dynamic_pointer_cast<ExcPMIDatumTarget>(a)) view.addDatumTarget(t);
    else if (auto g = std::dynamic_pointer_cast<ExcPMIGDT>(a)) view.addGdt(g);
    else if (auto dim = std::dynamic_pointer_cast<ExcPMIDimension>(a)) view.addDimension(dim);
    else if (auto n = std::dynamic_pointer_cast<ExcPMINote>(a)) view.addNote(n);
    else if (auto r = std::dynamic_pointer_cast<ExcPMIRoughness>(a)) view.addRoughness(r);
}

std::wstring labelName(const TDF_Label& label) {
    Handle(TDataStd_Name) name;
    if (label.IsNull() || !label.FindAttribute(TDataStd_Name::GetID(), name)) return {};
    return toWide(TCollection_AsciiString(name->Get()).ToCString());
}

}  // namespace

struct MechanicsReader::Impl {
    const StepDocument& document;
    ModelView model;
    Semantics semantics;
    Presentation presentation;
    Organisation organisation;
    std::vector<std::wstring> warnings;
    std::vector<int> viewOwner;

    explicit Impl(const StepDocument& doc) : document(doc), model(doc) {
        if (model.valid()) {
            semantics = readSemantics(model, doc.units, warnings);
            presentation = readPresentation(model, doc, semantics, warnings);
            organisation = readOrganisation(model, presentation, warnings);
        } else {
            readXcafLayers();
        }
        decideOwners();
    }

    // Without a STEP model (IGES) the layers come from the XCAF document.
    void readXcafLayers() {
        if (document.doc.IsNull()) return;
        Handle(XCAFDoc_LayerTool) layers = XCAFDoc_DocumentTool::LayerTool(document.doc->Main());
        Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(document.doc->Main());
        TDF_LabelSequence labels;
        layers->GetLayerLabels(labels);
        int id = 0;
        for (const TDF_Label& label : labels) {
            LayerData l;
            l.id = ++id;
            TCollection_ExtendedString name;
            layers->GetLayer(label, name);
            l.name = toWide(TCollection_AsciiString(name).ToCString());
            TDF_LabelSequence members;
            layers->GetShapesOfLayer(label, members);
            for (const TDF_Label& member : members)
                model.refsOfShape(shapes->GetShape(member), l.refs);
            organisation.layers.push_back(std::move(l));
        }
    }

    int onlyPart() const { return model.parts().size() == 1 ? 0 : -1; }

    void decideOwners() {
        // All annotations of a product go to one part: the one they point into most, else the
        // product's own part. What belongs to no part goes to the root.
        std::map<const Standard_Transient*, std::vector<int>> byProduct;
        for (std::size_t i = 0; i < semantics.annotations.size(); ++i)
            byProduct[semantics.annotations[i].product.get()].push_back(static_cast<int>(i));
        for (const auto& [product, members] : byProduct) {
            std::vector<ShapeRef> refs;
            for (int i : members) {
                const auto& r = semantics.annotations[static_cast<std::size_t>(i)].refs;
                refs.insert(refs.end(), r.begin(), r.end());
            }
            int owner = mostReferenced(refs);
            if (owner < 0 && product)
                owner = model.partOfProduct(semantics.annotations[members.front()].product);
            if (owner < 0) owner = onlyPart();
            for (int i : members) semantics.annotations[static_cast<std::size_t>(i)].owner = owner;
        }
        auto ownerOf = [&](const std::vector<int>& annotations) {
            int owner = -2;
            for (int a : annotations) {
                const int o = semantics.annotations[static_cast<std::size_t>(a)].owner;
                if (owner == -2) owner = o;
                else if (owner != o) return -1;
            }
            return owner;
        };
        for (const auto& view : presentation.views) {
            int owner = ownerOf(view.annotations);
            if (owner == -2) owner = onlyPart();
            viewOwner.push_back(owner);
        }
        int dropped = 0;
        for (auto& g : presentation.graphics) {
            g.owner = mostReferenced(g.refs);
            if (g.owner < 0) g.owner = ownerOf(g.near) >= 0 ? ownerOf(g.near) : -1;
            if (g.owner < 0) g.owner = onlyPart();
            if (g.owner < 0) ++dropped;
        }
        if (dropped > 0)
            warnings.push_back(
                std::to_wstring(dropped) +
                L" presentation(s) without semantics belong to no single part and are "
                L"not sent.");
    }

    int partIndex(const TDF_Label& label) const {
        const auto& parts = model.parts();
        auto it = std::find(parts.begin(), parts.end(), label);
        return it == parts.end() ? -1 : static_cast<int>(it - parts.begin());
    }

    // The annotation set of a part (or of the root, part -1).
    std::shared_ptr<ExcPMIData> pmiOf(int part, std::uint64_t blockId,
                                      const std::wstring& name) const {
        auto set = std::make_shared<ExcPMIAnnotationSet>();
        set->setBlockId(blockId);
        set->setName(name);
        std::map<int, std::shared_ptr<ExcPMIAnnotationView>> views;
        std::shared_ptr<ExcPMIAnnotationView> unplaced;
        const double k = model.mmToUnits();
        bool any = false;
        for (std::size_t i = 0; i < semantics.annotations.size(); ++i) {
            const Annotation& a = semantics.annotations[i];
            if (a.owner != part) continue;
            std::shared_ptr<ExcPMIAnnotation> record = copyOf(*a.record);
            if (!record) continue;
            for (const auto& ref : a.refs)
                if (ref.part == part) record->addLinkedElement(model.entity(ref, blockId));
            std::shared_ptr<ExcPMIAnnotationView>* view = &unplaced;
            if (a.plane >= 0) {
                view = &views[a.plane];
                if (!*view) {
                    const AnnotationPlane& p =
                        presentation.planes[static_cast<std::size_t>(a.plane)];
                    *view = std::make_shared<ExcPMIAnnotationView>();
                    (*view)->setId(p.id);
                    (*view)->setName(p.name);
                    const Placement& pl = p.placement;
                    (*view)->setOrigin(
                        ExcVector3d(pl.origin[0] * k, pl.origin[1] * k, pl.origin[2] * k));
                    (*view)->setVectorU(ExcVector3d(pl.x[0], pl.x[1], pl.x[2]));
                    (*view)->setVectorV(ExcVector3d(pl.y[0], pl.y[1], pl.y[2]));
                }
            } else if (!unplaced) {
                // Semantics presented nowhere: a view with no plane.
                unplaced = std::make_shared<ExcPMIAnnotationView>();
                unplaced->setId(L"plane#none-" + std::to_wstring(blockId));
                unplaced->setName(L"Semantic PMI");
            }
            addTo(**view, record);
            any = true;
        }
        for (const auto& [index, view] : views) set->addView(view);
        if (unplaced) set->addView(unplaced);
        for (std::size_t v = 0; v < presentation.views.size(); ++v) {
            if (viewOwner[v] != part) continue;
            const SavedView& saved = presentation.views[v];
            auto capture = std::make_shared<ExcPMICapture>();
            capture->setId(saved.id);
            capture->setName(saved.name);
            capture->setCamera(saved.camera);
            capture->setClippingPlane(saved.clipping);
            for (int a : saved.annotations)
                capture->addAnnotationId(
                    semantics.annotations[static_cast<std::size_t>(a)].record->id());
            if (part >= 0) capture->addBody(model.entity(ShapeRef{part, 'b', 1}, blockId));
            set->addCapture(capture);
            any = true;
        }
        if (!any) return nullptr;
        auto data = std::make_shared<ExcPMIData>();
        data->addAnnotationSet(set);
        return data;
    }

    std::shared_ptr<ExcMechanicalMiscData> miscOf(int part, std::uint64_t blockId) const {
        auto misc = std::make_shared<ExcMechanicalMiscData>();
        bool any = false;
        for (const auto& l : organisation.layers) {
            auto layer = std::make_shared<ExcMiscLayer>();
            layer->setId(l.id);
            layer->setName(l.name);
            bool mine = false;
            for (const auto& ref : l.refs)
                if (ref.part == part) {
                    layer->addEntity(model.entity(ref, blockId));
                    mine = true;
                }
            for (int a : l.annotations) {
                const Annotation& annotation = semantics.annotations[static_cast<std::size_t>(a)];
                if (annotation.owner != part) continue;
                auto e = std::make_shared<ExcEntity>();
                e->setType(ExcEntity::EType::original);
                e->setId(annotation.record->id());
                e->setDescription(L"PMI annotation");
                layer->addEntity(e);
                mine = true;
            }
            for (int g : l.graphics) {
                const Graphic& graphic = presentation.graphics[static_cast<std::size_t>(g)];
                if (graphic.owner != part) continue;
                auto e = std::make_shared<ExcEntity>();
                e->setType(ExcEntity::EType::original);
                e->setId(graphic.record->id());
                e->setDescription(L"PMI presentation");
                layer->addEntity(e);
                mine = true;
            }
            if (!mine) continue;
            misc->addLayer(layer);
            any = true;
        }
        for (const auto& m : organisation.materials) {
            if ((m.part >= 0 ? m.part : onlyPart()) != part) continue;
            auto material = std::make_shared<ExcMiscMaterial>();
            material->setName(m.name);
            if (m.density) material->set(ExcMiscMaterial::EProperty::density, m.density);
            material->setPartLevelMaterial(true);
            material->addLinkedElement(model.entity(ShapeRef{part, 'b', 1}, blockId));
            misc->addMaterial(material);
            any = true;
        }
        std::map<std::wstring, std::shared_ptr<ExcMiscPropertiesGroup>> groups;
        for (const auto& p : organisation.properties) {
            if ((p.part >= 0 ? p.part : onlyPart()) != part) continue;
            auto& group = groups[p.group];
            if (!group) {
                group = std::make_shared<ExcMiscPropertiesGroup>();
                group->setName(p.group);
            }
            group->addProperty(p.property);
        }
        for (const auto& [name, group] : groups) {
            misc->miscData().addGroup(group);
            any = true;
        }
        return any ? misc : nullptr;
    }

    std::vector<std::shared_ptr<ExcVisuPMI>> graphicsOf(int part, std::uint64_t blockId) const {
        std::vector<std::shared_ptr<ExcVisuPMI>> out;
        for (const auto& g : presentation.graphics) {
            if (g.owner != part) continue;
            auto record = std::make_shared<ExcVisuPMI>(*g.record);
            for (const auto& ref : g.refs)
                if (ref.part == part) record->addLinkedElement(model.entity(ref, blockId));
            out.push_back(record);
        }
        return out;
    }
};

MechanicsReader::MechanicsReader(const StepDocument& document)
    : m_impl(std::make_unique<Impl>(document)) {}

MechanicsReader::~MechanicsReader() = default;

PartMechanics MechanicsReader::of(const TDF_Label& prototype, std::uint64_t blockId) const {
    PartMechanics out;
    const int part = m_impl->partIndex(prototype);
    if (part < 0) return out;
    out.pmi = m_impl->pmiOf(part, blockId, labelName(prototype));
    out.misc = m_impl->miscOf(part, blockId);
    out.graphics = m_impl->graphicsOf(part, blockId);
    return out;
}

std::shared_ptr<ExcPMIData> MechanicsReader::root() const { return m_impl->pmiOf(-1, 0, L"root"); }

const std::vector<std::wstring>& MechanicsReader::warnings() const { return m_impl->warnings; }

}  // namespace trx::step
