// Semantic GD&T from the STEP model: datums, datum targets, geometric tolerances and
// dimensions, every value converted once from the unit the file gives it.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>

#include <StepBasic_MeasureWithUnit.hxx>
#include <StepDimTol_AngularityTolerance.hxx>
#include <StepDimTol_CircularRunoutTolerance.hxx>
#include <StepDimTol_CoaxialityTolerance.hxx>
#include <StepDimTol_ConcentricityTolerance.hxx>
#include <StepDimTol_CylindricityTolerance.hxx>
#include <StepDimTol_Datum.hxx>
#include <StepDimTol_DatumFeature.hxx>
#include <StepDimTol_DatumReference.hxx>
#include <StepDimTol_DatumReferenceCompartment.hxx>
#include <StepDimTol_DatumReferenceElement.hxx>
#include <StepDimTol_DatumReferenceModifier.hxx>
#include <StepDimTol_DatumReferenceModifierWithValue.hxx>
#include <StepDimTol_DatumSystem.hxx>
#include <StepDimTol_DatumTarget.hxx>
#include <StepDimTol_FlatnessTolerance.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthDatRef.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthDatRefAndGeoTolWthMod.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthDatRefAndModGeoTolAndPosTol.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthMod.hxx>
#include <StepDimTol_GeometricTolerance.hxx>
#include <StepDimTol_GeometricToleranceRelationship.hxx>
#include <StepDimTol_GeometricToleranceWithDefinedAreaUnit.hxx>
#include <StepDimTol_GeometricToleranceWithDefinedUnit.hxx>
#include <StepDimTol_GeometricToleranceWithModifiers.hxx>
#include <StepDimTol_HArray1OfDatumReferenceCompartment.hxx>
#include <StepDimTol_HArray1OfDatumReferenceElement.hxx>
#include <StepDimTol_HArray1OfDatumReferenceModifier.hxx>
#include <StepDimTol_HArray1OfGeometricToleranceModifier.hxx>
#include <StepDimTol_LineProfileTolerance.hxx>
#include <StepDimTol_ModifiedGeometricTolerance.hxx>
#include <StepDimTol_ParallelismTolerance.hxx>
#include <StepDimTol_PerpendicularityTolerance.hxx>
#include <StepDimTol_PositionTolerance.hxx>
#include <StepDimTol_ProjectedZoneDefinition.hxx>
#include <StepDimTol_RoundnessTolerance.hxx>
#include <StepDimTol_SimpleDatumReferenceModifierMember.hxx>
#include <StepDimTol_StraightnessTolerance.hxx>
#include <StepDimTol_SurfaceProfileTolerance.hxx>
#include <StepDimTol_SymmetryTolerance.hxx>
#include <StepDimTol_ToleranceZone.hxx>
#include <StepDimTol_ToleranceZoneForm.hxx>
#include <StepDimTol_TotalRunoutTolerance.hxx>
#include <StepGeom_Axis2Placement3d.hxx>
#include <StepRepr_AllAroundShapeAspect.hxx>
#include <StepRepr_CompoundRepresentationItem.hxx>
#include <StepRepr_DescriptiveRepresentationItem.hxx>
#include <StepRepr_ProductDefinitionShape.hxx>
#include <StepRepr_PropertyDefinition.hxx>
#include <StepRepr_Representation.hxx>
#include <StepRepr_RepresentationItem.hxx>
#include <StepRepr_ShapeAspect.hxx>
#include <StepRepr_ShapeAspectRelationship.hxx>
#include <StepShape_AngularLocation.hxx>
#include <StepShape_AngularSize.hxx>
#include <StepShape_DimensionalCharacteristicRepresentation.hxx>
#include <StepShape_DimensionalLocation.hxx>
#include <StepShape_DimensionalSize.hxx>
#include <StepShape_LimitsAndFits.hxx>
#include <StepShape_PlusMinusTolerance.hxx>
#include <StepShape_ShapeDefinitionRepresentation.hxx>
#include <StepShape_ShapeDimensionRepresentation.hxx>
#include <StepShape_ToleranceValue.hxx>
#include <StepShape_QualifiedRepresentationItem.hxx>
#include <StepShape_ValueFormatTypeQualifier.hxx>
#include <StepShape_ValueQualifier.hxx>
#include <StepRepr_ReprItemAndMeasureWithUnitAndQRI.hxx>
#include <TCollection_HAsciiString.hxx>

#include "common/protocol.h"
#include "mechanics_pmi.h"

namespace trx::step::detail {
namespace {

using GDT = ExcPMIGDT;
using Mod = ExcPMIGDT::EToleranceModifier;

std::wstring where(const ModelView& m, const Handle(Standard_Transient)& e,
                   const std::wstring& name) {
    std::wstring out = name.empty() ? std::wstring() : L"'" + name + L"' ";
    return out + L"(#" + std::to_wstring(m.ident(e)) + L")";
}

// A length in the requested unit.
double length(const ModelView& m, const Measure& v) {
    return v.kind == Measure::length ? v.value * m.mmToUnits() : v.value;
}

// ---- datums and datum targets --------------------------------------------------------

// The datum a datum feature or target stands for.
Handle(StepDimTol_Datum) datumOf(const ModelView& m, const Handle(StepRepr_ShapeAspect)& aspect) {
    for (const auto& rel : m.sharings<StepRepr_ShapeAspectRelationship>(aspect))
        if (rel->RelatingShapeAspect() == aspect)
            if (auto d = Handle(StepDimTol_Datum)::DownCast(rel->RelatedShapeAspect())) return d;
    return {};
}

void readDatums(const ModelView& m, Semantics& out) {
    // One record per letter of a product: OCCT repeats a datum for every frame using it.
    std::map<std::pair<const Standard_Transient*, std::wstring>, int> byLetter;
    for (const auto& datum : m.all<StepDimTol_Datum>()) {
        const std::wstring letter = text(datum->Identification());
        const auto key = std::make_pair(datum->OfShape().get(), letter);
        auto found = byLetter.find(key);
        if (found == byLetter.end()) {
            auto record = std::make_shared<ExcPMIDatum>();
            record->setId(annotationId(L"datum", m.ident(datum)));
            record->setLabel(letter);
            record->setName(text(datum->Name()).empty() ? letter : text(datum->Name()));
            Annotation a;
            a.record = record;
            a.product = datum->OfShape();
            found = byLetter.emplace(key, static_cast<int>(out.annotations.size())).first;
            out.annotations.push_back(std::move(a));
        }
        out.byEntity[datum.get()] = found->second;
    }
    for (const auto& feature : m.all<StepDimTol_DatumFeature>()) {
        Handle(StepDimTol_Datum) datum = datumOf(m, feature);
        auto found = datum.IsNull() ? out.byEntity.end() : out.byEntity.find(datum.get());
        if (found == out.byEntity.end()) continue;
        out.byEntity[feature.get()] = found->second;
        Annotation& a = out.annotations[static_cast<std::size_t>(found->second)];
        m.refsOfAspect(feature, a.refs);
        // The feature's name ("Simple Datum.1") says more than a bare letter.
        const std::wstring featureName = text(feature->Name());
        if (!featureName.empty() &&
            a.record->name() == static_cast<ExcPMIDatum&>(*a.record).label())
            a.record->setName(featureName);
    }
}

ExcPMIDatumTarget::EType targetType(const std::string& description) {
    using T = ExcPMIDatumTarget::EType;
    if (description == "point") return T::point;
    if (description == "line" || description == "curve" || description == "circular curve")
        return T::line;
    if (description == "rectangle") return T::area_rectangular;
    if (description == "circle") return T::area_circular;
    if (description == "area") return T::area_face;
    return T::user_defined;
}

void readTargets(const ModelView& m, Semantics& out) {
    for (const auto& target : m.all<StepDimTol_DatumTarget>()) {
        auto record = std::make_shared<ExcPMIDatumTarget>();
        record->setId(annotationId(L"target", m.ident(target)));
        record->setName(text(target->Name()));
        const std::string description = lower(text(target->Description()));
        record->setTargetType(targetType(description));
        Handle(StepDimTol_Datum) datum = datumOf(m, target);
        const std::wstring letter = datum.IsNull() ? std::wstring() : text(datum->Identification());
        record->setLabel(letter + text(target->TargetId()));
        record->setLowerText(record->label());

        // Size and place: the parameters of its shape representation.
        double len = 0, width = 0, diameter = 0;
        Placement place;
        bool placed = false;
        for (const auto& pd : m.sharings<StepRepr_PropertyDefinition>(target)) {
            for (const auto& sdr : m.sharings<StepShape_ShapeDefinitionRepresentation>(pd)) {
                for (const auto& rep : m.shareds<StepRepr_Representation>(sdr)) {
                    const double mm = m.contextMm(rep);
                    for (int i = 1; i <= rep->NbItems(); ++i) {
                        const Handle(StepRepr_RepresentationItem) item = rep->ItemsValue(i);
                        if (auto v = m.measure(item)) {
                            const std::string name = lower(v->name);
                            if (name == "target length") len = length(m, *v);
                            else if (name == "target width") width = length(m, *v);
                            else if (name == "target diameter") diameter = length(m, *v);
                        } else if (auto a = Handle(StepGeom_Axis2Placement3d)::DownCast(item)) {
                            placed = m.placement(a, mm, place);
                        }
                    }
                }
            }
        }
        std::wstring size;
        if (diameter > 0) {
            record->setHasDiameter(true);
            size = L"\u2300" + number(diameter);
        } else if (len > 0 && width > 0) {
            size = number(len) + L"x" + number(width);
        } else if (len > 0) {
            size = number(len);
        }
        record->setUpperText(size);
        if (placed) {
            // The two corners (ends, diameter ends) of the target around its placement.
            const double k = m.mmToUnits();
            double hx = 0, hy = 0;
            if (diameter > 0) hx = diameter / 2;
            else {
                hx = len / 2;
                hy = width / 2;
            }
            ExcVector3d p1, p2;
            for (int i = 0; i < 3; ++i) {
                const double c = place.origin[i] * k;
                p1[i] = c - hx * place.x[i] - hy * place.y[i];
                p2[i] = c + hx * place.x[i] + hy * place.y[i];
            }
            record->setZonePoint1(p1);
            record->setZonePoint2(p2);
        }
        Annotation a;
        a.record = record;
        a.product = target->OfShape();
        // The feature the target lies on.
        for (const auto& rel : m.sharings<StepRepr_ShapeAspectRelationship>(target))
            if (rel->RelatedShapeAspect() == target)
                m.refsOfAspect(rel->RelatingShapeAspect(), a.refs);
        m.refsOfAspect(target, a.refs);
        const int index = static_cast<int>(out.annotations.size());
        out.byEntity[target.get()] = index;
        if (!datum.IsNull()) {
            auto d = out.byEntity.find(datum.get());
            if (d != out.byEntity.end())
                static_cast<ExcPMIDatum&>(
                    *out.annotations[static_cast<std::size_t>(d->second)].record)
                    .addTargetId(record->id());
        }
        out.annotations.push_back(std::move(a));
    }
}

// ---- geometric tolerances ------------------------------------------------------------

GDT::EToleranceType typeOf(StepDimTol_GeometricToleranceType t) {
    using T = GDT::EToleranceType;
    switch (t) {
        case StepDimTol_GTTAngularityTolerance: return T::orientation_angularity;
        case StepDimTol_GTTCircularRunoutTolerance: return T::run_out_circular;
        case StepDimTol_GTTCoaxialityTolerance: return T::location_coaxiality;
        case StepDimTol_GTTConcentricityTolerance: return T::location_concentricity;
        case StepDimTol_GTTCylindricityTolerance: return T::form_cylindricity;
        case StepDimTol_GTTFlatnessTolerance: return T::form_flatness;
        case StepDimTol_GTTLineProfileTolerance: return T::form_profile_any_line;
        case StepDimTol_GTTParallelismTolerance: return T::orientation_parallelism;
        case StepDimTol_GTTPerpendicularityTolerance: return T::orientation_perpendicularity;
        case StepDimTol_GTTPositionTolerance: return T::location_true_position;
        case StepDimTol_GTTRoundnessTolerance: return T::form_circularity;
        case StepDimTol_GTTStraightnessTolerance: return T::form_straightness;
        case StepDimTol_GTTSurfaceProfileTolerance: return T::form_profile_any_surface;
        case StepDimTol_GTTSymmetryTolerance: return T::location_symmetry;
        case StepDimTol_GTTTotalRunoutTolerance: return T::run_out_total;
    }
    return T::unknown;
}

GDT::EToleranceType typeOf(const Handle(StepDimTol_GeometricTolerance)& t) {
    using T = GDT::EToleranceType;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_AngularityTolerance))) return T::orientation_angularity;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_CircularRunoutTolerance))) return T::run_out_circular;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_CoaxialityTolerance))) return T::location_coaxiality;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_ConcentricityTolerance)))
        return T::location_concentricity;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_CylindricityTolerance))) return T::form_cylindricity;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_FlatnessTolerance))) return T::form_flatness;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_LineProfileTolerance))) return T::form_profile_any_line;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_ParallelismTolerance)))
        return T::orientation_parallelism;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_PerpendicularityTolerance)))
        return T::orientation_perpendicularity;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_PositionTolerance))) return T::location_true_position;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_RoundnessTolerance))) return T::form_circularity;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_StraightnessTolerance))) return T::form_straightness;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_SurfaceProfileTolerance)))
        return T::form_profile_any_surface;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_SymmetryTolerance))) return T::location_symmetry;
    if (t->IsKind(STANDARD_TYPE(StepDimTol_TotalRunoutTolerance))) return T::run_out_total;
    if (auto c = Handle(StepDimTol_GeoTolAndGeoTolWthDatRef)::DownCast(t))
        return typeOf(c->GetToleranceType());
    if (auto c = Handle(StepDimTol_GeoTolAndGeoTolWthDatRefAndGeoTolWthMod)::DownCast(t))
        return typeOf(c->GetToleranceType());
    if (auto c = Handle(StepDimTol_GeoTolAndGeoTolWthMod)::DownCast(t))
        return typeOf(c->GetToleranceType());
    if (t->IsKind(STANDARD_TYPE(StepDimTol_GeoTolAndGeoTolWthDatRefAndModGeoTolAndPosTol)))
        return T::location_true_position;
    return T::unknown;
}

Handle(StepDimTol_GeometricToleranceWithModifiers) modifiersOf(
    const Handle(StepDimTol_GeometricTolerance)& t) {
    if (auto m = Handle(StepDimTol_GeometricToleranceWithModifiers)::DownCast(t)) return m;
    if (auto c = Handle(StepDimTol_GeoTolAndGeoTolWthDatRefAndGeoTolWthMod)::DownCast(t))
        return c->GetGeometricToleranceWithModifiers();
    if (auto c = Handle(StepDimTol_GeoTolAndGeoTolWthMod)::DownCast(t))
        return c->GetGeometricToleranceWithModifiers();
    return {};
}

struct Row {
    GDT::EToleranceValueType valueType = GDT::EToleranceValueType::none;
    double value = 0;
    bool valueKnown = false;
    Mod material = Mod::no_modifier;
    Mod zone = Mod::no_modifier;
    std::vector<std::wstring> otherModifiers;
    double rate[2] = {0, 0};
    double projection = 0;
    std::shared_ptr<GDT::Frame> frame;
};

Mod datumModifier(const StepDimTol_DatumReferenceModifier& m) {
    Handle(StepDimTol_SimpleDatumReferenceModifierMember) simple =
        m.SimpleDatumReferenceModifierMember();
    if (simple.IsNull()) return Mod::no_modifier;
    switch (simple->Value()) {
        case StepDimTol_SDRMMaximumMaterialRequirement: return Mod::material_condition_maximum;
        case StepDimTol_SDRMLeastMaterialRequirement: return Mod::material_condition_least;
        case StepDimTol_SDRMFreeState: return Mod::free_state_free;
        default: return Mod::no_modifier;
    }
}

Mod firstModifier(const Handle(StepDimTol_GeneralDatumReference)& ref) {
    if (ref.IsNull() || !ref->HasModifiers() || ref->Modifiers().IsNull()) return Mod::no_modifier;
    for (int i = 1; i <= ref->NbModifiers(); ++i)
        if (Mod mod = datumModifier(ref->ModifiersValue(i)); mod != Mod::no_modifier) return mod;
    return Mod::no_modifier;
}

std::shared_ptr<GDT::Frame> frameOf(const ModelView& m,
                                    const Handle(StepDimTol_GeometricTolerance)& t,
                                    const Semantics& s) {
    auto idOf = [&](const Handle(StepDimTol_Datum)& d) {
        auto it = d.IsNull() ? s.byEntity.end() : s.byEntity.find(d.get());
        return it == s.byEntity.end()
                   ? std::wstring()
                   : s.annotations[static_cast<std::size_t>(it->second)].record->id();
    };
    auto frame = std::make_shared<GDT::Frame>();
    bool any = false;
    for (const auto& system : m.shareds<StepDimTol_DatumSystem>(t)) {
        frame->setLabel(text(system->Name()));
        if (system->Constituents().IsNull()) continue;
        for (int i = 1; i <= system->NbConstituents(); ++i) {
            Handle(StepDimTol_DatumReferenceCompartment) c = system->ConstituentsValue(i);
            if (c.IsNull()) continue;
            GDT::DatumRef ref;
            const Mod shared = firstModifier(c);
            std::wstring label;
            if (Handle(StepDimTol_Datum) d = c->Base().Datum()) {
                label = text(d->Identification());
                ref.addModifiedDatum(GDT::ModifiedDatum(idOf(d), shared));
            } else if (Handle(StepDimTol_HArray1OfDatumReferenceElement) list =
                           c->Base().CommonDatumList()) {
                // A common datum (A-B): one compartment, several datums.
                for (int j = list->Lower(); j <= list->Upper(); ++j) {
                    const Handle(StepDimTol_DatumReferenceElement)& e = list->Value(j);
                    if (e.IsNull()) continue;
                    Handle(StepDimTol_Datum) d = e->Base().Datum();
                    if (d.IsNull()) continue;
                    label += (label.empty() ? L"" : L"-") + text(d->Identification());
                    const Mod own = firstModifier(e);
                    ref.addModifiedDatum(
                        GDT::ModifiedDatum(idOf(d), own != Mod::no_modifier ? own : shared));
                }
            }
            ref.setLabel(label);
            frame->addDatumRef(std::move(ref));
            any = true;
        }
    }
    // The older form: datum references ordered by precedence.
    auto refs = m.shareds<StepDimTol_DatumReference>(t);
    std::sort(refs.begin(), refs.end(),
              [](const auto& a, const auto& b) { return a->Precedence() < b->Precedence(); });
    for (const auto& r : refs) {
        GDT::DatumRef ref;
        ref.setLabel(
            text(r->ReferencedDatum().IsNull() ? nullptr : r->ReferencedDatum()->Identification()));
        ref.addModifiedDatum(GDT::ModifiedDatum(idOf(r->ReferencedDatum()), Mod::no_modifier));
        frame->addDatumRef(std::move(ref));
        any = true;
    }
    return any ? frame : nullptr;
}

std::wstring modifierName(StepDimTol_GeometricToleranceModifier m) {
    switch (m) {
        case StepDimTol_GTMAnyCrossSection: return L"any cross section";
        case StepDimTol_GTMEachRadialElement: return L"each radial element";
        case StepDimTol_GTMLineElement: return L"line element";
        case StepDimTol_GTMMajorDiameter: return L"major diameter";
        case StepDimTol_GTMMinorDiameter: return L"minor diameter";
        case StepDimTol_GTMNotConvex: return L"not convex";
        case StepDimTol_GTMPitchDiameter: return L"pitch diameter";
        case StepDimTol_GTMReciprocityRequirement: return L"reciprocity requirement";
        case StepDimTol_GTMSeparateRequirement: return L"separate requirement";
        default: return L"";
    }
}

Row readRow(const ModelView& m, const Handle(StepDimTol_GeometricTolerance)& t,
            const Semantics& s) {
    Row row;
    // The magnitude OCCT could type, else the measure the tolerance refers to: OCCT drops a
    // magnitude written as a measure representation item.
    std::optional<Measure> magnitude = m.measure(t->Magnitude());
    if (!magnitude) magnitude = m.measureIn(t);
    if (magnitude && magnitude->kind != Measure::angle) {
        row.value = length(m, *magnitude);
        row.valueKnown = true;
    }
    for (const auto& zone : m.sharings<StepDimTol_ToleranceZone>(t)) {
        const std::string form = zone->Form().IsNull() ? "" : lower(text(zone->Form()->Name()));
        if (form == "cylindrical or circular" || form == "within a circle" ||
            form == "within a cylinder")
            row.valueType = GDT::EToleranceValueType::diameter;
        else if (form == "spherical" || form == "within a sphere")
            row.valueType = GDT::EToleranceValueType::spherical;
        for (const auto& projected : m.sharings<StepDimTol_ProjectedZoneDefinition>(zone))
            if (auto v = m.measure(projected->ProjectionLength())) row.projection = length(m, *v);
    }
    if (Handle(StepDimTol_GeometricToleranceWithModifiers) mods = modifiersOf(t);
        !mods.IsNull() && !mods->Modifiers().IsNull()) {
        for (int i = 1; i <= mods->NbModifiers(); ++i) {
            switch (const StepDimTol_GeometricToleranceModifier mod = mods->ModifierValue(i)) {
                case StepDimTol_GTMMaximumMaterialRequirement:
                    row.material = Mod::material_condition_maximum;
                    break;
                case StepDimTol_GTMLeastMaterialRequirement:
                    row.material = Mod::material_condition_least;
                    break;
                case StepDimTol_GTMFreeState: row.zone = Mod::free_state_free; break;
                case StepDimTol_GTMTangentPlane: row.zone = Mod::tangent_plant_tangent; break;
                case StepDimTol_GTMStatisticalTolerance: row.zone = Mod::statistical_symbol; break;
                case StepDimTol_GTMCommonZone: row.zone = Mod::common_zone; break;
                default: row.otherModifiers.push_back(modifierName(mod)); break;
            }
        }
    }
    if (auto old = Handle(StepDimTol_ModifiedGeometricTolerance)::DownCast(t)) {
        switch (old->Modifier()) {
            case StepDimTol_MaximumMaterialCondition:
                row.material = Mod::material_condition_maximum;
                break;
            case StepDimTol_LeastMaterialCondition:
                row.material = Mod::material_condition_least;
                break;
            default: row.material = Mod::material_condition_regardless_of_feature_size; break;
        }
    }
    if (auto unit = Handle(StepDimTol_GeometricToleranceWithDefinedUnit)::DownCast(t)) {
        if (auto v = m.measure(unit->UnitSize())) row.rate[0] = length(m, *v);
        if (auto area = Handle(StepDimTol_GeometricToleranceWithDefinedAreaUnit)::DownCast(t))
            if (area->HasSecondUnitSize())
                if (auto v = m.measure(area->SecondUnitSize())) row.rate[1] = length(m, *v);
    }
    row.frame = frameOf(m, t, s);
    return row;
}

void readTolerances(const ModelView& m, Semantics& out, std::vector<std::wstring>& warnings) {
    // Composite frames: the lower rows, by the row above them.
    std::map<const Standard_Transient*, Handle(StepDimTol_GeometricTolerance)> lowerOf;
    std::set<const Standard_Transient*> lowerRows;
    for (const auto& rel : m.all<StepDimTol_GeometricToleranceRelationship>()) {
        if (lower(text(rel->Name())) != "composite") continue;
        if (rel->RelatingGeometricTolerance().IsNull() || rel->RelatedGeometricTolerance().IsNull())
            continue;
        if (lowerOf.count(rel->RelatingGeometricTolerance().get())) {
            warnings.push_back(
                L"Tolerance " +
                where(m, rel->RelatingGeometricTolerance(),
                      text(rel->RelatingGeometricTolerance()->Name())) +
                L" has more than two rows; the rows after the second are sent alone.");
            continue;
        }
        lowerOf[rel->RelatingGeometricTolerance().get()] = rel->RelatedGeometricTolerance();
        lowerRows.insert(rel->RelatedGeometricTolerance().get());
    }
    for (const auto& t : m.all<StepDimTol_GeometricTolerance>()) {
        if (lowerRows.count(t.get()) && !lowerOf.count(t.get())) continue;  // merged below
        auto record = std::make_shared<GDT>();
        record->setId(annotationId(L"gdt", m.ident(t)));
        record->setName(text(t->Name()));
        record->setToleranceType(typeOf(t));
        const Row row = readRow(m, t, out);
        record->setToleranceValueType(row.valueType);
        record->setToleranceValue(row.value);
        record->setZoneModifiers(row.material, row.zone);
        record->setRateUnit(row.rate[0], row.rate[1]);
        record->setProjectionToleranceZoneLength(row.projection);
        record->setReferenceFrame(row.frame);
        std::wstring note;
        for (const auto& n : row.otherModifiers) note += (note.empty() ? L"" : L", ") + n;
        if (!row.valueKnown) {
            note = tools::kValueUnknown;
            warnings.push_back(L"Tolerance " + where(m, t, record->name()) +
                               L": the file gives no value; sent as unknown.");
        }
        record->setNote(note);

        Annotation a;
        // What it applies to: a shape aspect, a dimension's aspects, or the whole part.
        for (Interface_EntityIterator it = m.graph().Shareds(t); it.More(); it.Next()) {
            const Handle(Standard_Transient)& e = it.Value();
            if (e->IsKind(STANDARD_TYPE(StepDimTol_DatumSystem)) ||
                e->IsKind(STANDARD_TYPE(StepDimTol_DatumReference)))
                continue;
            if (auto aspect = Handle(StepRepr_ShapeAspect)::DownCast(e)) {
                m.refsOfAspect(aspect, a.refs);
                if (a.product.IsNull()) a.product = aspect->OfShape();
                if (aspect->IsKind(STANDARD_TYPE(StepRepr_AllAroundShapeAspect)))
                    record->setAllAround(1.0);
            } else if (auto size = Handle(StepShape_DimensionalSize)::DownCast(e)) {
                m.refsOfAspect(size->AppliesTo(), a.refs);
                if (a.product.IsNull() && !size->AppliesTo().IsNull())
                    a.product = size->AppliesTo()->OfShape();
            } else if (auto loc = Handle(StepShape_DimensionalLocation)::DownCast(e)) {
                m.refsOfAspect(loc->RelatingShapeAspect(), a.refs);
                m.refsOfAspect(loc->RelatedShapeAspect(), a.refs);
            } else if (auto pds = Handle(StepRepr_ProductDefinitionShape)::DownCast(e)) {
                a.product = pds;
            }
        }

        auto lowerRow = lowerOf.find(t.get());
        if (lowerRow != lowerOf.end()) {
            const Row second = readRow(m, lowerRow->second, out);
            record->setComposite(true);
            record->setCompositeToleranceValueType(second.valueType);
            record->setCompositeToleranceValue(second.value);
            record->setCompositeRateUnits(second.rate[0], second.rate[1]);
            record->setCompositeZoneModifier(second.material != Mod::no_modifier ? second.material
                                                                                : second.zone);
            record->setCompositeReferenceFrame(second.frame);
            if (!second.valueKnown) {
                record->setNote(tools::kValueUnknown);
                warnings.push_back(
                    L"Tolerance " + where(m, lowerRow->second, record->name()) +
                    L": the file gives no value for its lower row; sent as unknown.");
            }
        }
        a.record = record;
        const int index = static_cast<int>(out.annotations.size());
        out.byEntity[t.get()] = index;
        if (lowerRow != lowerOf.end()) out.byEntity[lowerRow->second.get()] = index;
        out.annotations.push_back(std::move(a));
    }
}

// ---- dimensions -----------------------------------------------------------------------

using Dim = ExcPMIDimension;

void classify(const std::string& name, bool angular, bool location, Dim& d) {
    using S = Dim::ESubType;
    S sub = location ? S::distance : S::length;
    std::wstring prefix;
    if (angular || name.find("angle") != std::string::npos ||
        name.find("angular") != std::string::npos) {
        sub = S::angle;
    } else if (name == "spherical diameter") {
        sub = S::diameter;
        prefix = L"S\u2300";
    } else if (name.find("diameter") != std::string::npos) {
        sub = S::diameter;
        prefix = L"\u2300";
    } else if (name == "spherical radius") {
        sub = S::radius;
        prefix = L"SR";
    } else if (name.find("radius") != std::string::npos) {
        sub = S::radius;
        prefix = L"R";
    } else if (name == "curve length" || name.find("curved distance") != std::string::npos) {
        sub = S::length_curvilinear;
    } else if (name == "thickness") {
        sub = S::length;
    }
    d.setSubType(sub);
    d.setPrefix(prefix);
}

Dim::EDimUnit dimUnit(ELengthUnitType u) {
    switch (u) {
        case ELengthUnitType::millimeter: return Dim::EDimUnit::mm;
        case ELengthUnitType::inch: return Dim::EDimUnit::inch;
        case ELengthUnitType::meter: return Dim::EDimUnit::meter;
        case ELengthUnitType::centimeter: return Dim::EDimUnit::cm;
        case ELengthUnitType::kilometer: return Dim::EDimUnit::km;
        case ELengthUnitType::foot: return Dim::EDimUnit::foot;
        default: return Dim::EDimUnit::none;
    }
}

struct DimValues {
    std::optional<Measure> nominal, upperLimit, lowerLimit;
    int decimals = -1;
    bool reference = false;
    bool basic = false;  // theoretically exact, said so
    std::vector<std::wstring> notes;
};

void readDimItem(const ModelView& m, const Handle(Standard_Transient)& item, DimValues& v,
                 int depth) {
    if (item.IsNull() || depth > 4) return;
    if (auto value = m.measure(item)) {
        const std::string name = lower(value->name);
        // Its qualifiers: OCCT's graph does not list them for a compound measure item.
        Handle(StepShape_QualifiedRepresentationItem) qualified;
        if (auto both = Handle(StepRepr_ReprItemAndMeasureWithUnitAndQRI)::DownCast(item))
            qualified = both->GetQualifiedRepresentationItem();
        else
            qualified = Handle(StepShape_QualifiedRepresentationItem)::DownCast(item);
        if (!qualified.IsNull() && !qualified->Qualifiers().IsNull()) {
            for (int i = 1; i <= qualified->NbQualifiers(); ++i) {
                Handle(StepShape_ValueFormatTypeQualifier) q =
                    qualified->QualifiersValue(i).ValueFormatTypeQualifier();
                if (q.IsNull() || q->FormatType().IsNull()) continue;
                // "NR2 a.b": b decimal places.
                const std::string format = q->FormatType()->ToCString();
                const auto dot = format.rfind('.');
                if (dot != std::string::npos && dot + 1 < format.size())
                    v.decimals = std::atoi(format.c_str() + dot + 1);
            }
        }
        if (name.find("upper") != std::string::npos) v.upperLimit = value;
        else if (name.find("lower") != std::string::npos) v.lowerLimit = value;
        else if (!v.nominal) v.nominal = value;
        return;
    }
    if (auto d = Handle(StepRepr_DescriptiveRepresentationItem)::DownCast(item)) {
        const std::wstring note = text(d->Description());
        if (lower(note) == "auxiliary" || lower(note) == "reference") v.reference = true;
        else if (lower(note) == "theoretical" || lower(note) == "basic") v.basic = true;
        else if (!note.empty()) v.notes.push_back(note);
        return;
    }
    if (auto c = Handle(StepRepr_CompoundRepresentationItem)::DownCast(item)) {
        for (Interface_EntityIterator it = m.graph().Shareds(c); it.More(); it.Next())
            readDimItem(m, it.Value(), v, depth + 1);
    }
}

void readDimensions(const ModelView& m, ELengthUnitType units, Semantics& out,
                    std::vector<std::wstring>& warnings) {
    std::vector<Handle(Standard_Transient)> dims;
    for (const auto& d : m.all<StepShape_DimensionalSize>()) dims.push_back(d);
    for (const auto& d : m.all<StepShape_DimensionalLocation>()) dims.push_back(d);
    std::sort(dims.begin(), dims.end(),
              [&](const auto& a, const auto& b) { return m.ident(a) < m.ident(b); });
    for (const auto& e : dims) {
        auto record = std::make_shared<Dim>();
        record->setId(annotationId(L"dim", m.ident(e)));
        Annotation a;
        auto size = Handle(StepShape_DimensionalSize)::DownCast(e);
        auto loc = Handle(StepShape_DimensionalLocation)::DownCast(e);
        const std::wstring name = size ? text(size->Name()) : text(loc->Name());
        record->setName(name);
        classify(lower(name), e->IsKind(STANDARD_TYPE(StepShape_AngularSize)) ||
                                  e->IsKind(STANDARD_TYPE(StepShape_AngularLocation)),
                 !loc.IsNull(), *record);
        if (size) {
            m.refsOfAspect(size->AppliesTo(), a.refs);
            if (!size->AppliesTo().IsNull()) a.product = size->AppliesTo()->OfShape();
        } else {
            m.refsOfAspect(loc->RelatingShapeAspect(), a.refs);
            m.refsOfAspect(loc->RelatedShapeAspect(), a.refs);
            if (!loc->RelatingShapeAspect().IsNull())
                a.product = loc->RelatingShapeAspect()->OfShape();
        }

        DimValues values;
        for (const auto& dcr : m.sharings<StepShape_DimensionalCharacteristicRepresentation>(e))
            for (const auto& rep : m.shareds<StepShape_ShapeDimensionRepresentation>(dcr))
                for (Interface_EntityIterator it = m.graph().Shareds(rep); it.More(); it.Next())
                    readDimItem(m, it.Value(), values, 0);
        const bool angle = record->subType() == Dim::ESubType::angle;
        record->setUnit(angle ? Dim::EDimUnit::degree : dimUnit(units));
        if (values.decimals >= 0) record->setValuePrecision(values.decimals);
        std::optional<Measure> nominal = values.nominal;
        if (!nominal && values.upperLimit && values.lowerLimit) {
            nominal = values.lowerLimit;
            nominal->value = (values.upperLimit->value + values.lowerLimit->value) / 2;
        }
        if (nominal) {
            record->setValue(length(m, *nominal));
        } else {
            record->setHasFakeAlphanumericalValue(true);
            record->setFakeAlphanumericalValue(tools::kValueUnknown);
            warnings.push_back(L"Dimension " + where(m, e, name) + L": the file gives no value.");
        }
        bool toleranced = false;
        if (nominal && values.upperLimit && values.lowerLimit) {
            // Limits: sent as deviations from the nominal value.
            record->setNumericalToleranceUpper(length(m, *values.upperLimit) - record->value());
            record->setNumericalToleranceLower(length(m, *values.lowerLimit) - record->value());
            toleranced = true;
        }
        for (const auto& pmt : m.sharings<StepShape_PlusMinusTolerance>(e)) {
            for (const auto& range : m.shareds<StepShape_ToleranceValue>(pmt)) {
                // Signed as the file writes them: the lower deviation is usually negative.
                if (auto lo = m.measure(range->LowerBound()))
                    record->setNumericalToleranceLower(length(m, *lo));
                if (auto up = m.measure(range->UpperBound()))
                    record->setNumericalToleranceUpper(length(m, *up));
                toleranced = true;
            }
            for (const auto& fit : m.shareds<StepShape_LimitsAndFits>(pmt)) {
                record->setAlphanumericalToleranceUpper(text(fit->ZoneVariance()) +
                                                        text(fit->Grade()));
                record->setAlphanumericalToleranceLower(text(fit->FormVariance()));
                toleranced = true;
            }
        }
        using M = Dim::EMainType;
        // A value with neither tolerance nor note of its own is basic, as the drawing shows it.
        record->setMainType(values.reference ? M::reference
                            : values.basic   ? M::basic
                            : toleranced     ? M::tolerance
                                             : M::basic);
        std::wstring after;
        for (const auto& n : values.notes) after += (after.empty() ? L"" : L" ") + n;
        record->setAfter(after);
        a.record = record;
        out.byEntity[e.get()] = static_cast<int>(out.annotations.size());
        out.annotations.push_back(std::move(a));
    }
}

}  // namespace

Semantics readSemantics(const ModelView& model, ELengthUnitType units,
                        std::vector<std::wstring>& warnings) {
    Semantics out;
    if (!model.valid()) return out;
    readDatums(model, out);
    readTargets(model, out);
    readTolerances(model, out, warnings);
    readDimensions(model, units, out, warnings);
    return out;
}

}  // namespace trx::step::detail
