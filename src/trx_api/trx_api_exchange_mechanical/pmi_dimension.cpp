#include "../trx_api_exchange_pmi_dimension.h"

#include "pmi_fields.h"

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

void ExcPMIDimension::readObject(const JsonValue& value) {
    TRX_TRACE();
    ExcPMIAnnotation::readObject(value);
    if (!json::isObjectOrLog(value, "ExcPMIDimension")) return;
    json::get(value, L"main_type", m_mainType);
    json::get(value, L"sub_type", m_subType);
    json::get(value, L"callout_feature_annotation_type", m_calloutType);
    json::get(value, L"unit", m_unit);
    json::get(value, L"coord", m_coord);
    json::get(value, L"value", m_value);
    json::get(value, L"value_precision", m_valuePrecision);
    json::get(value, L"tolerance_precision_value", m_tolerancePrecisionValue);
    json::getFixed<2>(value, L"numerical_tolerance", "ExcPMIDimension: invalid size of numerical_tolerance array.",
                      [&](auto i, const JsonValue& item) { m_numericalTolerance[i] = json::doubleOr(item, 0.0); });
    json::getFixed<2>(value, L"alphanumerical_tolerance",
                      "ExcPMIDimension: invalid size of alphanumerical_tolerance array.",
                      [&](auto i, const JsonValue& item) { m_alphanumericalTolerance[i] = json::stringOr(item, L""); });
    // As many slots as the array reaches; the rest keep their texts.
    if (const JsonValue* texts = json::member(value, L"texts"); texts != nullptr && texts->IsArray()) {
        for (rapidjson::SizeType i = 0; i < m_texts.size() && i < texts->Size(); ++i)
            m_texts[i] = json::stringOr((*texts)[i], L"");
    }
    if (json::get(value, L"fake_numerical_value", m_fakeNumericalValue)) m_hasFakeNumericalValue = true;
    if (json::get(value, L"fake_alphanumerical_value", m_fakeAlphanumericalValue)) m_hasFakeAlphanumericalValue = true;
    json::get(value, L"is_driving", m_driving);
    json::getFixed<2>(value, L"line", "ExcPMIDimension: invalid size of line array.",
                      [&](auto i, const JsonValue& item) { m_line[i].readObject(item); });
    json::getFixed<2>(value, L"arrows", "ExcPMIDimension: invalid size of arrows array.",
                      [&](auto i, const JsonValue& item) { json::fromJson(item, m_arrows[i]); });
    json::get(value, L"is_symbol_outside", m_symbolOutside);
}

void ExcPMIDimension::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    ExcPMIAnnotation::writeObject(value, allocator);
    json::put(value, allocator, L"main_type", m_mainType);
    json::put(value, allocator, L"sub_type", m_subType);
    json::put(value, allocator, L"callout_feature_annotation_type", m_calloutType);
    json::put(value, allocator, L"coord", m_coord);
    json::put(value, allocator, L"value", m_value);
    json::put(value, allocator, L"unit", m_unit);
    json::put(value, allocator, L"value_precision", m_valuePrecision);
    json::put(value, allocator, L"tolerance_precision_value", m_tolerancePrecisionValue);
    json::putArray(value, allocator, L"numerical_tolerance", m_numericalTolerance[kLower],
                   m_numericalTolerance[kUpper]);
    json::putArray(value, allocator, L"alphanumerical_tolerance", m_alphanumericalTolerance[kLower],
                   m_alphanumericalTolerance[kUpper]);
    json::putArray(value, allocator, L"texts", m_texts[0], m_texts[1], m_texts[2], m_texts[3],
                   m_texts[4], m_texts[5], m_texts[6], m_texts[7]);
    if (m_hasFakeNumericalValue) json::put(value, allocator, L"fake_numerical_value", m_fakeNumericalValue);
    if (m_hasFakeAlphanumericalValue)
        json::put(value, allocator, L"fake_alphanumerical_value", m_fakeAlphanumericalValue);
    json::put(value, allocator, L"is_driving", m_driving);
    json::putArray(value, allocator, L"line", m_line[0], m_line[1]);
    json::putArray(value, allocator, L"arrows", m_arrows[0], m_arrows[1]);
    json::put(value, allocator, L"is_symbol_outside", m_symbolOutside);
}

bool ExcPMIDimension::operator==(const ExcPMIDimension& o) const {
    return ExcPMIAnnotation::operator==(o) && m_mainType == o.m_mainType && m_subType == o.m_subType &&
           m_calloutType == o.m_calloutType && m_coord == o.m_coord && m_value == o.m_value &&
           m_unit == o.m_unit && m_valuePrecision == o.m_valuePrecision &&
           m_tolerancePrecisionValue == o.m_tolerancePrecisionValue &&
           m_numericalTolerance == o.m_numericalTolerance &&
           m_alphanumericalTolerance == o.m_alphanumericalTolerance && m_texts == o.m_texts &&
           m_hasFakeNumericalValue == o.m_hasFakeNumericalValue &&
           m_fakeNumericalValue == o.m_fakeNumericalValue &&
           m_hasFakeAlphanumericalValue == o.m_hasFakeAlphanumericalValue &&
           m_fakeAlphanumericalValue == o.m_fakeAlphanumericalValue && m_driving == o.m_driving &&
           m_line == o.m_line && m_arrows == o.m_arrows && m_symbolOutside == o.m_symbolOutside;
}

// ---- roughness ----------------------------------------------------------------------

void ExcPMIRoughness::readObject(const JsonValue& value) {
    TRX_TRACE();
    ExcPMIAnnotation::readObject(value);
    if (!json::isObjectOrLog(value, "ExcPMIRoughness")) return;
    json::get(value, L"obtention_type", m_obtentionType);
    json::get(value, L"applicability_type", m_applicabilityType);
    json::get(value, L"fields", m_fields);
}

void ExcPMIRoughness::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    ExcPMIAnnotation::writeObject(value, allocator);
    json::put(value, allocator, L"obtention_type", m_obtentionType);
    json::put(value, allocator, L"applicability_type", m_applicabilityType);
    json::put(value, allocator, L"fields", m_fields);
}

}  // namespace trx
