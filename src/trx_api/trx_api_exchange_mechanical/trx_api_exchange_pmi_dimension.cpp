#include "../trx_api_exchange_pmi_dimension.h"

#include "../detail/enum_table.h"
#include "../detail/field_adapters.h"

namespace trx {

TRX_ENUM(ExcPMIDimension::EMainType, unknown, basic, reference, tolerance, coord_dim, hole_callout);

TRX_ENUM(ExcPMIDimension::ESubType, distance, distance_offset, length, length_or_distance,
    length_curvilinear, angle, radius, radius_tangent, radius_cylinder, radius_edge, diameter,
    diameter_tangent, diameter_cylinder, diameter_edge, diameter_cone, chamfer, slope, dim_gdt,
    dim_datum_feature, dim_datum_target, dim_balloon, no_dim, angle_arc, length_circular, fillet,
    coord_dimension_2d, coord_dimension_3d);

TRX_ENUM(ExcPMIDimension::ECalloutFeatureAnnotationType, unknown, hole_unknown, hole_callout_fit,
    hole_callout_depth, hole_callout_diameter, hole_callout_screw_size,
    hole_callout_counter_bore_depth, hole_callout_counter_bore_diameter,
    hole_callout_pattern_count, hole_callout_pitch, hole_callout_angle,
    hole_callout_pat_taper_angle, hole_callout_counter_sink_diameter,
    hole_callout_counter_sink_angle, hole_callout_thread_depth, hole_callout_thread_size,
    hole_callout_thread_minor_dia, hole_callout_thread_major_dia, hole_callout_tap_drill_dia);

TRX_ENUM(ExcPMIDimension::EDimUnit, none, mm, inch, meter, cm, km, foot, f_i_f64, f_i_f16, f_i_dec,
    degree, minute, second, radian, grade);

TRX_ENUM(ExcPMIDimension::EArrowSymbol, not_used, cross, plus, concentric, coincident, full_circle,
    full_square, full_star, dot, small_dot, misc1, misc2, full_circle2, full_square2, open_arrow,
    unfilled_arrow, blanked_arrow, filled_arrow, unfilled_circle, blanked_circle, filled_circle,
    crossed_circle, blanked_square, filled_square, blanked_triangle, filled_triangle,
    manipulator_square, manipulator_diamond, manipulator_circle, manipulator_triangle,
    double_open_arrow, wave);

TRX_ENUM(ExcPMIRoughness::EObtentionType, unsupported, not_defined, matching_mandatory,
    matching_forbidden);

TRX_ENUM(ExcPMIRoughness::EApplicabilityType, unsupported, specified_surface_only,
    all_part_surfaces, basic_surface);

// ---- dimension ----------------------------------------------------------------------

TRX_FIELDS(ExcPMIDimension, ExcPMIAnnotation) {
    f(L"main_type", s.m_mainType);
    f(L"sub_type", s.m_subType);
    f(L"callout_feature_annotation_type", s.m_calloutType);
    f(L"coord", s.m_coord);
    f(L"value", s.m_value);
    f(L"unit", s.m_unit);
    f(L"value_precision", s.m_valuePrecision);
    f(L"tolerance_precision_value", s.m_tolerancePrecisionValue);
    // Lower, upper; an item of the wrong kind counts as 0 or empty.
    f(L"numerical_tolerance", json::fixedArray(s.m_numericalTolerance,
        "ExcPMIDimension: invalid size of numerical_tolerance array.", 0.0));
    f(L"alphanumerical_tolerance", json::fixedArray(s.m_alphanumericalTolerance,
        "ExcPMIDimension: invalid size of alphanumerical_tolerance array.", std::wstring()));
    // As many slots as the array reaches; the rest keep their texts.
    f(L"texts", json::leadingItems(s.m_texts));
    f(L"fake_numerical_value", json::flagged(s.m_fakeNumericalValue, s.m_hasFakeNumericalValue));
    f(L"fake_alphanumerical_value",
      json::flagged(s.m_fakeAlphanumericalValue, s.m_hasFakeAlphanumericalValue));
    f(L"is_driving", s.m_driving);
    f(L"line", json::fixedArray(s.m_line, "ExcPMIDimension: invalid size of line array."));
    f(L"arrows", json::fixedArray(s.m_arrows, "ExcPMIDimension: invalid size of arrows array."));
    f(L"is_symbol_outside", s.m_symbolOutside);
}

// ---- roughness ----------------------------------------------------------------------

TRX_FIELDS(ExcPMIRoughness, ExcPMIAnnotation) {
    f(L"obtention_type", s.m_obtentionType);
    f(L"applicability_type", s.m_applicabilityType);
    f(L"fields", s.m_fields);
}

}  // namespace trx
