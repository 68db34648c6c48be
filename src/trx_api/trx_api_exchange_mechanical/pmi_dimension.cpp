#include "../trx_api_exchange_pmi_dimension.h"

#include "pmi_fields.h"

namespace trx {

#define N(e) TRX_NAMED(ExcPMIDimension::EMainType, e)
TRX_ENUM_NAMES(ExcPMIDimension::EMainType,
    N(unknown), N(basic), N(reference), N(tolerance), N(coord_dim), N(hole_callout));
#undef N

#define N(e) TRX_NAMED(ExcPMIDimension::ESubType, e)
TRX_ENUM_NAMES(ExcPMIDimension::ESubType,
    N(distance), N(distance_offset), N(length), N(length_or_distance), N(length_curvilinear),
    N(angle), N(radius), N(radius_tangent), N(radius_cylinder), N(radius_edge), N(diameter),
    N(diameter_tangent), N(diameter_cylinder), N(diameter_edge), N(diameter_cone), N(chamfer),
    N(slope), N(dim_gdt), N(dim_datum_feature), N(dim_datum_target), N(dim_balloon), N(no_dim),
    N(angle_arc), N(length_circular), N(fillet), N(coord_dimension_2d), N(coord_dimension_3d));
#undef N

#define N(e) TRX_NAMED(ExcPMIDimension::ECalloutFeatureAnnotationType, e)
TRX_ENUM_NAMES(ExcPMIDimension::ECalloutFeatureAnnotationType,
    N(unknown), N(hole_unknown), N(hole_callout_fit), N(hole_callout_depth),
    N(hole_callout_diameter), N(hole_callout_screw_size), N(hole_callout_counter_bore_depth),
    N(hole_callout_counter_bore_diameter), N(hole_callout_pattern_count), N(hole_callout_pitch),
    N(hole_callout_angle), N(hole_callout_pat_taper_angle), N(hole_callout_counter_sink_diameter),
    N(hole_callout_counter_sink_angle), N(hole_callout_thread_depth), N(hole_callout_thread_size),
    N(hole_callout_thread_minor_dia), N(hole_callout_thread_major_dia), N(hole_callout_tap_drill_dia));
#undef N

#define N(e) TRX_NAMED(ExcPMIDimension::EDimUnit, e)
TRX_ENUM_NAMES(ExcPMIDimension::EDimUnit,
    N(none), N(mm), N(inch), N(meter), N(cm), N(km), N(foot), N(f_i_f64), N(f_i_f16), N(f_i_dec),
    N(degree), N(minute), N(second), N(radian), N(grade));
#undef N

#define N(e) TRX_NAMED(ExcPMIDimension::EArrowSymbol, e)
TRX_ENUM_NAMES(ExcPMIDimension::EArrowSymbol,
    N(not_used), N(cross), N(plus), N(concentric), N(coincident), N(full_circle), N(full_square),
    N(full_star), N(dot), N(small_dot), N(misc1), N(misc2), N(full_circle2), N(full_square2),
    N(open_arrow), N(unfilled_arrow), N(blanked_arrow), N(filled_arrow), N(unfilled_circle),
    N(blanked_circle), N(filled_circle), N(crossed_circle), N(blanked_square), N(filled_square),
    N(blanked_triangle), N(filled_triangle), N(manipulator_square), N(manipulator_diamond),
    N(manipulator_circle), N(manipulator_triangle), N(double_open_arrow), N(wave));
#undef N

#define N(e) TRX_NAMED(ExcPMIRoughness::EObtentionType, e)
TRX_ENUM_NAMES(ExcPMIRoughness::EObtentionType,
    N(unsupported), N(not_defined), N(matching_mandatory), N(matching_forbidden));
#undef N

#define N(e) TRX_NAMED(ExcPMIRoughness::EApplicabilityType, e)
TRX_ENUM_NAMES(ExcPMIRoughness::EApplicabilityType,
    N(unsupported), N(specified_surface_only), N(all_part_surfaces), N(basic_surface));
#undef N

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
