#include "../trx_api_exchange_pmi_gdt.h"

#include "../detail/enum_table.h"
#include "../detail/field_adapters.h"

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

TRX_FIELDS(ExcPMIDatumTarget, ExcPMIAnnotation) {
    f(L"label", s.m_label);
    f(L"target_type", s.m_targetType);
    f(L"has_diameter", s.m_hasDiameter);
    f(L"upper_text", s.m_upperText);
    f(L"lower_text", s.m_lowerText);
    // The first two items; more are ignored, fewer leave the remaining point.
    f(L"target_zone", json::leadingItems(s.m_zone));
}

// ---- datum reference frame ----------------------------------------------------------

TRX_FIELDS(ExcPMIGDT::ModifiedDatum, IJsonObject) {
    f(L"datum_id", s.m_datumId);
    f(L"tolerance_modifier", s.m_modifier);
}

TRX_FIELDS(ExcPMIGDT::DatumRef, IJsonObject) {
    f(L"label", s.m_label);
    f(L"modified_datums", s.m_modifiedDatums);
}

TRX_FIELDS(ExcPMIGDT::Frame, IJsonObject) {
    f(L"label", s.m_label);
    f(L"datum_refs", s.m_datumRefs);
}

// ---- tolerance ----------------------------------------------------------------------

TRX_FIELDS(ExcPMIGDT, ExcPMIAnnotation) {
    f(L"tolerance_type", s.m_toleranceType);
    f(L"tolerance_value_type", s.m_toleranceValueType);
    f(L"tolerance_value", s.m_toleranceValue);
    f(L"refine_tolerance", s.m_refineTolerance);
    // A rate item that is not a double counts as 0.
    f(L"rate_unit", json::fixedArray(s.m_rateUnit, "ExcPMIGDT: invalid size of rate_unit array", 0.0));
    f(L"proj_tol_zone_length", s.m_projectionToleranceZoneLength);
    f(L"shift_value", s.m_shiftValue);
    f(L"all_around", s.m_allAround);
    f(L"note", s.m_note);
    f(L"zone_modifiers",
      json::fixedArray(s.m_zoneModifiers, "ExcPMIGDT: invalid size of zone_modifiers array"));
    f(L"ref_frame", s.m_referenceFrame);
    // The lower segment of a composite frame; present exactly when the frame is composite.
    f(L"composite_data", json::subObject(s.m_composite, [&s](auto&& g) {
          g(L"tolerance_value_type", s.m_compositeToleranceValueType);
          g(L"tolerance_value", s.m_compositeToleranceValue);
          g(L"rate_unit", json::fixedArray(s.m_compositeRateUnit,
                                           "ExcPMIGDT: invalid size of composite rate_unit array.", 0.0));
          g(L"zone_modifiers", s.m_compositeZoneModifier);  // one name here, not an array
          g(L"ref_frame", s.m_compositeReferenceFrame);
      }));
}

}  // namespace trx
