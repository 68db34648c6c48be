#include "../trx_api_exchange_pmi_gdt.h"

#include "pmi_fields.h"

namespace trx {

TRX_ENUM(ExcPMIDatumTarget::EType, unknown, point, line, area_circular, area_rectangular,
    area_face, feature, user_defined);

TRX_ENUM(ExcPMIGDT::EToleranceType, unknown, form_straightness, form_flatness, form_circularity,
    form_cylindricity, form_profile_any_line, form_profile_any_surface, orientation_parallelism,
    orientation_perpendicularity, orientation_angularity, location_true_position,
    location_concentricity, location_coaxiality, location_symmetry, location_position_of_any_line,
    Location_position_of_a_surface, run_out_circular, run_out_total);

TRX_ENUM(ExcPMIGDT::EToleranceValueType, none, diameter, radius, spherical, square);

TRX_ENUM(ExcPMIGDT::EToleranceModifier, no_modifier, material_condition_unsupported,
    material_condition_no_modifier, material_condition_maximum, material_condition_least,
    material_condition_regardless_of_feature_size, tangent_plant_unsupported,
    tangent_plant_non_tangent, tangent_plant_tangent, free_state_unsupported, free_state_free,
    free_state_not_free, statistical_symbol, common_zone);

// ---- datum --------------------------------------------------------------------------

TRX_FIELDS(ExcPMIDatum, ExcPMIAnnotation) {
    f(L"label", s.m_label);
    f(L"target_ids", s.m_targetIds);
}

// ---- datum target -------------------------------------------------------------------

template <class Self, class F>
void ExcPMIDatumTarget::fields(Self& s, F&& f) {
    f(L"label", s.m_label);
    f(L"target_type", s.m_targetType);
    f(L"has_diameter", s.m_hasDiameter);
    f(L"upper_text", s.m_upperText);
    f(L"lower_text", s.m_lowerText);
}

void ExcPMIDatumTarget::readObject(const JsonValue& value) {
    TRX_TRACE();
    ExcPMIAnnotation::readObject(value);
    if (!json::isObjectOrLog(value, "ExcPMIDatumTarget")) return;
    fields(*this, json::Reader{value});
    // The first two items; more are ignored, fewer leave the remaining point.
    if (const JsonValue* zone = json::member(value, L"target_zone"); zone != nullptr && zone->IsArray()) {
        for (rapidjson::SizeType i = 0; i < m_zone.size() && i < zone->Size(); ++i)
            m_zone[i].readObject((*zone)[i]);
    }
}

void ExcPMIDatumTarget::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    ExcPMIAnnotation::writeObject(value, allocator);
    fields(*this, json::Writer{value, allocator});
    json::putArray(value, allocator, L"target_zone", m_zone[0], m_zone[1]);
}

// ---- datum reference frame ----------------------------------------------------------

template <class Self, class F>
void ExcPMIGDT::ModifiedDatum::fields(Self& s, F&& f) {
    f(L"datum_id", s.m_datumId);
    f(L"tolerance_modifier", s.m_modifier);
}

void ExcPMIGDT::ModifiedDatum::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (json::isObjectOrLog(value, "ExcPMIGDT::ModifiedDatum")) fields(*this, json::Reader{value});
}

void ExcPMIGDT::ModifiedDatum::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    fields(*this, json::Writer{value, allocator});
}

template <class Self, class F>
void ExcPMIGDT::DatumRef::fields(Self& s, F&& f) {
    f(L"label", s.m_label);
    f(L"modified_datums", s.m_modifiedDatums);
}

void ExcPMIGDT::DatumRef::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (json::isObjectOrLog(value, "ExcPMIGDT::DatumRef")) fields(*this, json::Reader{value});
}

void ExcPMIGDT::DatumRef::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    fields(*this, json::Writer{value, allocator});
}

template <class Self, class F>
void ExcPMIGDT::Frame::fields(Self& s, F&& f) {
    f(L"label", s.m_label);
    f(L"datum_refs", s.m_datumRefs);
}

void ExcPMIGDT::Frame::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (json::isObjectOrLog(value, "ExcPMIGDT::Frame")) fields(*this, json::Reader{value});
}

void ExcPMIGDT::Frame::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    fields(*this, json::Writer{value, allocator});
}

// ---- tolerance ----------------------------------------------------------------------

void ExcPMIGDT::readObject(const JsonValue& value) {
    TRX_TRACE();
    ExcPMIAnnotation::readObject(value);
    if (!json::isObjectOrLog(value, "ExcPMIGDT")) return;
    json::get(value, L"tolerance_type", m_toleranceType);
    json::get(value, L"tolerance_value_type", m_toleranceValueType);
    json::get(value, L"tolerance_value", m_toleranceValue);
    json::get(value, L"refine_tolerance", m_refineTolerance);
    json::get(value, L"proj_tol_zone_length", m_projectionToleranceZoneLength);
    json::get(value, L"shift_value", m_shiftValue);
    json::get(value, L"all_around", m_allAround);
    json::get(value, L"note", m_note);
    json::getFixed<2>(value, L"rate_unit", "ExcPMIGDT: invalid size of rate_unit array",
                      [&](auto i, const JsonValue& item) { m_rateUnit[i] = json::doubleOr(item, 0.0); });
    json::getFixed<2>(value, L"zone_modifiers", "ExcPMIGDT: invalid size of zone_modifiers array",
                      [&](auto i, const JsonValue& item) { json::fromJson(item, m_zoneModifiers[i]); });
    json::get(value, L"ref_frame", m_referenceFrame);

    const JsonValue* composite = json::member(value, L"composite_data");
    if (composite == nullptr) return;
    m_composite = composite->IsObject();
    if (!m_composite) return;
    const JsonValue& c = *composite;
    json::get(c, L"tolerance_value_type", m_compositeToleranceValueType);
    json::get(c, L"tolerance_value", m_compositeToleranceValue);
    json::getFixed<2>(c, L"rate_unit", "ExcPMIGDT: invalid size of composite rate_unit array.",
                      [&](auto i, const JsonValue& item) { m_compositeRateUnit[i] = json::doubleOr(item, 0.0); });
    json::get(c, L"zone_modifiers", m_compositeZoneModifier);  // one name here, not an array
    json::get(c, L"ref_frame", m_compositeReferenceFrame);
}

void ExcPMIGDT::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    ExcPMIAnnotation::writeObject(value, allocator);
    json::put(value, allocator, L"tolerance_type", m_toleranceType);
    json::put(value, allocator, L"tolerance_value_type", m_toleranceValueType);
    json::put(value, allocator, L"tolerance_value", m_toleranceValue);
    json::put(value, allocator, L"refine_tolerance", m_refineTolerance);
    json::putArray(value, allocator, L"rate_unit", m_rateUnit[0], m_rateUnit[1]);
    json::put(value, allocator, L"proj_tol_zone_length", m_projectionToleranceZoneLength);
    json::put(value, allocator, L"shift_value", m_shiftValue);
    json::put(value, allocator, L"all_around", m_allAround);
    json::put(value, allocator, L"note", m_note);
    json::putArray(value, allocator, L"zone_modifiers", m_zoneModifiers[0], m_zoneModifiers[1]);
    json::put(value, allocator, L"ref_frame", m_referenceFrame);
    if (!m_composite) return;
    JsonValue c(rapidjson::kObjectType);
    json::put(c, allocator, L"tolerance_value_type", m_compositeToleranceValueType);
    json::put(c, allocator, L"tolerance_value", m_compositeToleranceValue);
    json::putArray(c, allocator, L"rate_unit", m_compositeRateUnit[0], m_compositeRateUnit[1]);
    json::put(c, allocator, L"zone_modifiers", m_compositeZoneModifier);
    json::put(c, allocator, L"ref_frame", m_compositeReferenceFrame);
    value.AddMember(L"composite_data", c, allocator);
}

bool ExcPMIGDT::operator==(const ExcPMIGDT& o) const {
    return ExcPMIAnnotation::operator==(o) && m_toleranceType == o.m_toleranceType &&
           m_toleranceValueType == o.m_toleranceValueType && m_toleranceValue == o.m_toleranceValue &&
           m_refineTolerance == o.m_refineTolerance && m_rateUnit == o.m_rateUnit &&
           m_projectionToleranceZoneLength == o.m_projectionToleranceZoneLength &&
           m_shiftValue == o.m_shiftValue && m_allAround == o.m_allAround && m_note == o.m_note &&
           m_zoneModifiers == o.m_zoneModifiers &&
           detail::deepEqual(m_referenceFrame, o.m_referenceFrame) && m_composite == o.m_composite &&
           m_compositeToleranceValueType == o.m_compositeToleranceValueType &&
           m_compositeToleranceValue == o.m_compositeToleranceValue &&
           m_compositeRateUnit == o.m_compositeRateUnit &&
           m_compositeZoneModifier == o.m_compositeZoneModifier &&
           detail::deepEqual(m_compositeReferenceFrame, o.m_compositeReferenceFrame);
}

}  // namespace trx
