// Layers, materials and the properties a file attaches to its products: validation
// properties and user-defined attributes.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>

#include <StepBasic_DerivedUnit.hxx>
#include <StepBasic_DerivedUnitElement.hxx>
#include <StepBasic_MeasureValueMember.hxx>
#include <StepBasic_MeasureWithUnit.hxx>
#include <StepBasic_NamedUnit.hxx>
#include <StepBasic_ProductDefinition.hxx>
#include <StepBasic_SiUnit.hxx>
#include <StepGeom_CartesianPoint.hxx>
#include <StepRepr_DescriptiveRepresentationItem.hxx>
#include <StepRepr_IntegerRepresentationItem.hxx>
#include <StepRepr_MeasureRepresentationItem.hxx>
#include <StepRepr_ProductDefinitionShape.hxx>
#include <StepRepr_PropertyDefinition.hxx>
#include <StepRepr_PropertyDefinitionRepresentation.hxx>
#include <StepRepr_Representation.hxx>
#include <StepRepr_RepresentationItem.hxx>
#include <StepRepr_ValueRepresentationItem.hxx>
#include <StepVisual_AnnotationPlane.hxx>
#include <StepVisual_DraughtingCallout.hxx>
#include <StepVisual_PresentationLayerAssignment.hxx>
#include <TCollection_HAsciiString.hxx>

#include "common/units.h"
#include "mechanics_pmi.h"

namespace trx::step::detail {
namespace {

std::vector<LayerData> readLayers(const ModelView& m, const Presentation& p) {
    std::vector<LayerData> out;
    int id = 0;
    for (const auto& layer : m.all<StepVisual_PresentationLayerAssignment>()) {
        LayerData l;
        l.id = ++id;
        l.name = text(layer->Name());
        for (Interface_EntityIterator it = m.graph().Shareds(layer); it.More(); it.Next()) {
            const Handle(Standard_Transient)& item = it.Value();
            // Annotations and graphics are layered through their callouts.
            std::vector<Handle(StepVisual_DraughtingCallout)> callouts;
            if (auto c = Handle(StepVisual_DraughtingCallout)::DownCast(item))
                callouts.push_back(c);
            else if (auto plane = Handle(StepVisual_AnnotationPlane)::DownCast(item))
                callouts = m.shareds<StepVisual_DraughtingCallout>(plane);
            else
                callouts = m.sharings<StepVisual_DraughtingCallout>(item);
            if (callouts.empty()) {
                m.refsOf(item, l.refs);
                continue;
            }
            for (const auto& c : callouts) {
                const int ident = m.ident(c);
                auto graphic = p.graphicOfCallout.find(ident);
                if (graphic != p.graphicOfCallout.end()) addUnique(l.graphics, graphic->second);
                auto shown = p.annotationsOfCallout.find(ident);
                if (shown != p.annotationsOfCallout.end())
                    for (int a : shown->second) addUnique(l.annotations, a);
            }
        }
        std::sort(l.refs.begin(), l.refs.end());
        l.refs.erase(std::unique(l.refs.begin(), l.refs.end()), l.refs.end());
        out.push_back(std::move(l));
    }
    return out;
}

// Mass and length units of a density's derived unit, with their exponents.
void densityUnit(const ModelView& m, const Handle(Standard_Transient)& unit,
                 ExcMiscMaterialProperty& out) {
    auto derived = Handle(StepBasic_DerivedUnit)::DownCast(unit);
    if (derived.IsNull() || derived->Elements().IsNull()) return;
    for (int i = 1; i <= derived->NbElements(); ++i) {
        const Handle(StepBasic_DerivedUnitElement)& e = derived->ElementsValue(i);
        if (e.IsNull()) continue;
        const int dim = static_cast<int>(std::lround(e->Exponent()));
        const Handle(StepBasic_NamedUnit) named = e->Unit();
        if (const double mm = m.unitMm(named); mm > 0) {
            out.unit().length =
                std::make_shared<ExcUnitComponent<ELengthUnitType>>(dim, tools::lengthUnitOf(mm));
        } else if (auto si = Handle(StepBasic_SiUnit)::DownCast(named);
                   !si.IsNull() && si->Name() == StepBasic_sunGram) {
            EMassUnitType mass = EMassUnitType::gram;
            if (si->HasPrefix()) {
                if (si->Prefix() == StepBasic_spKilo) mass = EMassUnitType::kilogram;
                else if (si->Prefix() == StepBasic_spCenti) mass = EMassUnitType::centigram;
                else if (si->Prefix() == StepBasic_spDeci) mass = EMassUnitType::decigram;
                else if (si->Prefix() == StepBasic_spMega) mass = EMassUnitType::tonne;
                else mass = EMassUnitType::unknown;
            }
            out.unit().mass = std::make_shared<ExcUnitComponent<EMassUnitType>>(dim, mass);
        }
    }
}

// A value of a derived unit made of lengths only (an area, a volume), in the requested unit.
std::optional<double> lengthPower(const ModelView& m,
                                  const Handle(StepRepr_RepresentationItem)& item) {
    auto mri = Handle(StepRepr_MeasureRepresentationItem)::DownCast(item);
    if (mri.IsNull() || mri->Measure().IsNull()) return std::nullopt;
    auto derived = Handle(StepBasic_DerivedUnit)::DownCast(mri->Measure()->UnitComponent().Value());
    if (derived.IsNull() || derived->Elements().IsNull()) return std::nullopt;
    double factor = 1;
    for (int i = 1; i <= derived->NbElements(); ++i) {
        const Handle(StepBasic_DerivedUnitElement)& e = derived->ElementsValue(i);
        const double mm = e.IsNull() ? 0 : m.unitMm(e->Unit());
        if (mm <= 0) return std::nullopt;
        factor *= std::pow(mm * m.mmToUnits(), e->Exponent());
    }
    return mri->Measure()->ValueComponent() * factor;
}

// The part a property's definition belongs to: a product definition or its shape.
int partOfDefinition(const ModelView& m, const Handle(StepRepr_PropertyDefinition)& pd) {
    for (Interface_EntityIterator it = m.graph().Shareds(pd); it.More(); it.Next()) {
        const Handle(Standard_Transient)& e = it.Value();
        if (e->IsKind(STANDARD_TYPE(StepBasic_ProductDefinition)) ||
            e->IsKind(STANDARD_TYPE(StepRepr_ProductDefinitionShape)))
            return m.partOfProduct(e);
    }
    return -2;  // defined on something else (a shape aspect, an annotation)
}

void readProperties(const ModelView& m, Organisation& out) {
    for (const auto& pd : m.all<StepRepr_PropertyDefinition>()) {
        const int part = partOfDefinition(m, pd);
        if (part == -2) continue;
        const std::wstring name = text(pd->Name());
        const std::string kind = lower(name);
        std::vector<Handle(StepRepr_Representation)> reps;
        for (const auto& pdr : m.sharings<StepRepr_PropertyDefinitionRepresentation>(pd))
            if (!pdr->UsedRepresentation().IsNull()) reps.push_back(pdr->UsedRepresentation());

        if (kind == "material property") {
            MaterialData* material = nullptr;
            for (auto& mat : out.materials)
                if (mat.part == part) material = &mat;
            if (!material) {
                out.materials.push_back(MaterialData{part, {}, nullptr});
                material = &out.materials.back();
            }
            for (const auto& rep : reps) {
                for (int i = 1; i <= rep->NbItems(); ++i) {
                    const Handle(StepRepr_RepresentationItem) item = rep->ItemsValue(i);
                    if (auto d = Handle(StepRepr_DescriptiveRepresentationItem)::DownCast(item)) {
                        if (material->name.empty())
                            material->name =
                                text(d->Name()).empty() ? text(d->Description()) : text(d->Name());
                    } else if (auto mri =
                                   Handle(StepRepr_MeasureRepresentationItem)::DownCast(item)) {
                        if (mri->Measure().IsNull()) continue;
                        auto density = std::make_shared<ExcMiscMaterialProperty>();
                        // As written, with the units the file gives it.
                        density->setValue(mri->Measure()->ValueComponent());
                        densityUnit(m, mri->Measure()->UnitComponent().Value(), *density);
                        material->density = density;
                    }
                }
            }
            continue;
        }

        std::wstring group = L"user_defined_attributes";
        if (kind == "geometric validation property") group = L"validation_properties";
        else if (kind == "pmi validation property") group = L"pmi_validation_properties";
        else if (kind == "attribute validation property")
            group = L"attribute_validation_properties";
        else if (name.empty()) continue;
        for (const auto& rep : reps) {
            const double mm = m.contextMm(rep);
            for (int i = 1; i <= rep->NbItems(); ++i) {
                const Handle(StepRepr_RepresentationItem) item = rep->ItemsValue(i);
                if (item.IsNull()) continue;
                std::wstring key = text(item->Name());
                if (key.empty()) key = name;
                auto add = [&](const std::wstring& k, ExcMiscProperty::EType type,
                               const std::wstring& v) {
                    out.properties.push_back(
                        PropertyData{part, group, ExcMiscProperty(k, type, v)});
                };
                using T = ExcMiscProperty::EType;
                if (auto d = Handle(StepRepr_DescriptiveRepresentationItem)::DownCast(item)) {
                    add(key, T::string, text(d->Description()));
                } else if (auto n = Handle(StepRepr_IntegerRepresentationItem)::DownCast(item)) {
                    if (!m.failed(n)) {
                        add(key, T::integer, std::to_wstring(n->Value()));
                    } else {
                        // Written as a real ("23."), which OCCT refuses for an integer.
                        const auto args = m.rawArguments(n);
                        char* end = nullptr;
                        const double v = args.size() >= 2 ? std::strtod(args[1].c_str(), &end) : 0;
                        if (end && end != args[1].c_str() && v == std::floor(v))
                            add(key, T::integer, std::to_wstring(static_cast<long long>(v)));
                    }
                } else if (auto p = Handle(StepGeom_CartesianPoint)::DownCast(item)) {
                    double xyz[3];
                    m.point(p, mm, xyz);
                    static const wchar_t* kAxes[] = {L"_x", L"_y", L"_z"};
                    for (int a = 0; a < 3; ++a)
                        add(key + kAxes[a], T::double_, number(xyz[a] * m.mmToUnits()));
                } else if (auto area = lengthPower(m, item)) {
                    add(key, T::double_, number(*area));
                } else if (auto v = m.measure(item)) {
                    add(key, T::double_,
                        number(v->kind == Measure::length ? v->value * m.mmToUnits() : v->value));
                } else if (auto value = Handle(StepRepr_ValueRepresentationItem)::DownCast(item)) {
                    const Handle(StepBasic_MeasureValueMember) member =
                        value->ValueComponentMember();
                    if (!member.IsNull()) add(key, T::double_, number(member->Real()));
                }
            }
        }
    }
}

}  // namespace

Organisation readOrganisation(const ModelView& model, const Presentation& presentation,
                              std::vector<std::wstring>& warnings) {
    Organisation out;
    if (!model.valid()) return out;
    out.layers = readLayers(model, presentation);
    readProperties(model, out);
    for (const auto& material : out.materials)
        if (material.name.empty() && !material.density)
            warnings.push_back(L"A material property of the file has neither name nor density.");
    return out;
}

}  // namespace trx::step::detail
