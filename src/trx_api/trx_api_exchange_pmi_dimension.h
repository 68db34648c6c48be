#pragma once

// Dimension annotations and surface-texture (roughness) symbols.

#include <array>
#include <string>
#include <vector>

#include "trx_api_exchange_pmi_annotation.h"

namespace trx {

class TRX_API ExcPMIDimension : public ExcPMIAnnotation {
public:
    enum class EMainType : int { unknown = 0, basic = 1, reference = 2, tolerance = 3, coord_dim = 4, hole_callout = 5 };
    enum class ESubType : int {
        distance = 0, distance_offset = 1, length = 2, length_or_distance = 3, length_curvilinear = 4,
        angle = 5, radius = 6, radius_tangent = 7, radius_cylinder = 8, radius_edge = 9,
        diameter = 10, diameter_tangent = 11, diameter_cylinder = 12, diameter_edge = 13,
        diameter_cone = 14, chamfer = 15, slope = 16, dim_gdt = 17, dim_datum_feature = 18,
        dim_datum_target = 19, dim_balloon = 20, no_dim = 21, angle_arc = 22, length_circular = 23,
        fillet = 24, coord_dimension_2d = 25, coord_dimension_3d = 26
    };
    enum class ECalloutFeatureAnnotationType : int {
        unknown = 0, hole_unknown = 1, hole_callout_fit = 2, hole_callout_depth = 3,
        hole_callout_diameter = 4, hole_callout_screw_size = 5, hole_callout_counter_bore_depth = 6,
        hole_callout_counter_bore_diameter = 7, hole_callout_pattern_count = 8,
        hole_callout_pitch = 9, hole_callout_angle = 10, hole_callout_pat_taper_angle = 11,
        hole_callout_counter_sink_diameter = 12, hole_callout_counter_sink_angle = 13,
        hole_callout_thread_depth = 14, hole_callout_thread_size = 15,
        hole_callout_thread_minor_dia = 16, hole_callout_thread_major_dia = 17,
        hole_callout_tap_drill_dia = 18
    };
    // Values from degree on are angle units.
    enum class EDimUnit : int {
        none = 0, mm = 1, inch = 2, meter = 3, cm = 4, km = 5, foot = 6, f_i_f64 = 7, f_i_f16 = 8,
        f_i_dec = 9, degree = 10, minute = 11, second = 12, radian = 13, grade = 14
    };
    enum class EArrowSymbol : int {
        not_used = 0, cross = 1, plus = 2, concentric = 3, coincident = 4, full_circle = 5,
        full_square = 6, full_star = 7, dot = 8, small_dot = 9, misc1 = 10, misc2 = 11,
        full_circle2 = 12, full_square2 = 13, open_arrow = 14, unfilled_arrow = 15,
        blanked_arrow = 16, filled_arrow = 17, unfilled_circle = 18, blanked_circle = 19,
        filled_circle = 20, crossed_circle = 21, blanked_square = 22, filled_square = 23,
        blanked_triangle = 24, filled_triangle = 25, manipulator_square = 26,
        manipulator_diamond = 27, manipulator_circle = 28, manipulator_triangle = 29,
        double_open_arrow = 30, wave = 31
    };

    EPMIAnnotationType type() const override { return EPMIAnnotationType::dimension; }

    EMainType mainType() const { return m_mainType; }
    void setMainType(EMainType v) { m_mainType = v; }
    ESubType subType() const { return m_subType; }
    void setSubType(ESubType v) { m_subType = v; }
    ECalloutFeatureAnnotationType calloutFeatureAnnotationType() const { return m_calloutType; }
    void setCalloutFeatureAnnotationType(ECalloutFeatureAnnotationType v) { m_calloutType = v; }
    const ExcVector3d& coord() const { return m_coord; }
    void setCoord(const ExcVector3d& v) { m_coord = v; }
    double value() const { return m_value; }
    void setValue(double v) { m_value = v; }
    EDimUnit unit() const { return m_unit; }
    void setUnit(EDimUnit v) { m_unit = v; }
    double valuePrecision() const { return m_valuePrecision; }
    void setValuePrecision(double v) { m_valuePrecision = v; }
    double tolerancePrecisionValue() const { return m_tolerancePrecisionValue; }
    void setTolerancePrecisionValue(double v) { m_tolerancePrecisionValue = v; }

    double numericalToleranceLower() const { return m_numericalTolerance[kLower]; }
    void setNumericalToleranceLower(double v) { m_numericalTolerance[kLower] = v; }
    double numericalToleranceUpper() const { return m_numericalTolerance[kUpper]; }
    void setNumericalToleranceUpper(double v) { m_numericalTolerance[kUpper] = v; }
    const std::wstring& alphanumericalToleranceLower() const { return m_alphanumericalTolerance[kLower]; }
    void setAlphanumericalToleranceLower(const std::wstring& v) { m_alphanumericalTolerance[kLower] = v; }
    const std::wstring& alphanumericalToleranceUpper() const { return m_alphanumericalTolerance[kUpper]; }
    void setAlphanumericalToleranceUpper(const std::wstring& v) { m_alphanumericalTolerance[kUpper] = v; }

    // The eight text slots around the value, in their order on the wire.
    const std::wstring& prefix() const { return m_texts[kPrefix]; }
    void setPrefix(const std::wstring& v) { m_texts[kPrefix] = v; }
    const std::wstring& suffix() const { return m_texts[kSuffix]; }
    void setSuffix(const std::wstring& v) { m_texts[kSuffix] = v; }
    const std::wstring& before() const { return m_texts[kBefore]; }
    void setBefore(const std::wstring& v) { m_texts[kBefore] = v; }
    const std::wstring& after() const { return m_texts[kAfter]; }
    void setAfter(const std::wstring& v) { m_texts[kAfter] = v; }
    const std::wstring& upper() const { return m_texts[kUpperText]; }
    void setUpper(const std::wstring& v) { m_texts[kUpperText] = v; }
    const std::wstring& lower() const { return m_texts[kLowerText]; }
    void setLower(const std::wstring& v) { m_texts[kLowerText] = v; }
    const std::wstring& calloutText() const { return m_texts[kCalloutText]; }
    void setCalloutText(const std::wstring& v) { m_texts[kCalloutText] = v; }
    const std::wstring& below() const { return m_texts[kBelow]; }
    void setBelow(const std::wstring& v) { m_texts[kBelow] = v; }

    // A fake value overrides the displayed one; it travels only while its flag is set.
    bool hasFakeNumericalValue() const { return m_hasFakeNumericalValue; }
    void setHasFakeNumericalValue(bool v) { m_hasFakeNumericalValue = v; }
    double fakeNumericalValue() const { return m_fakeNumericalValue; }
    void setFakeNumericalValue(double v) { m_fakeNumericalValue = v; }
    bool hasFakeAlphanumericalValue() const { return m_hasFakeAlphanumericalValue; }
    void setHasFakeAlphanumericalValue(bool v) { m_hasFakeAlphanumericalValue = v; }
    const std::wstring& fakeAlphanumericalValue() const { return m_fakeAlphanumericalValue; }
    void setFakeAlphanumericalValue(const std::wstring& v) { m_fakeAlphanumericalValue = v; }

    bool isDriving() const { return m_driving; }
    void setDriving(bool v) { m_driving = v; }
    const ExcVector2d& lineStart() const { return m_line[0]; }
    void setLineStart(const ExcVector2d& v) { m_line[0] = v; }
    const ExcVector2d& lineEnd() const { return m_line[1]; }
    void setLineEnd(const ExcVector2d& v) { m_line[1] = v; }
    EArrowSymbol arrowSymbolStart() const { return m_arrows[0]; }
    void setArrowSymbolStart(EArrowSymbol v) { m_arrows[0] = v; }
    EArrowSymbol arrowSymbolEnd() const { return m_arrows[1]; }
    void setArrowSymbolEnd(EArrowSymbol v) { m_arrows[1] = v; }
    bool isSymbolOutside() const { return m_symbolOutside; }
    void setSymbolOutside(bool v) { m_symbolOutside = v; }

    TRX_JSON_RECORD(ExcPMIDimension);

private:
    enum { kLower = 0, kUpper = 1 };
    enum { kPrefix, kSuffix, kBefore, kAfter, kUpperText, kLowerText, kCalloutText, kBelow, kTextSlots };

    EMainType m_mainType = EMainType::unknown;
    ESubType m_subType = ESubType::no_dim;
    ECalloutFeatureAnnotationType m_calloutType = ECalloutFeatureAnnotationType::hole_unknown;
    ExcVector3d m_coord;
    double m_value = 0.0;
    EDimUnit m_unit = EDimUnit::none;
    double m_valuePrecision = 0.0;
    double m_tolerancePrecisionValue = 0.0;
    std::array<double, 2> m_numericalTolerance{0.0, 0.0};
    std::array<std::wstring, 2> m_alphanumericalTolerance;
    std::array<std::wstring, kTextSlots> m_texts;
    bool m_hasFakeNumericalValue = false;
    double m_fakeNumericalValue = 0.0;
    bool m_hasFakeAlphanumericalValue = false;
    std::wstring m_fakeAlphanumericalValue;
    bool m_driving = false;
    std::array<ExcVector2d, 2> m_line;
    std::array<EArrowSymbol, 2> m_arrows{EArrowSymbol::not_used, EArrowSymbol::not_used};
    bool m_symbolOutside = false;
};

// A surface-texture symbol: its text fields and how the surface is obtained.
class TRX_API ExcPMIRoughness : public ExcPMIAnnotation {
public:
    enum class EObtentionType : int { unsupported = 0, not_defined = 1, matching_mandatory = 2, matching_forbidden = 3 };
    enum class EApplicabilityType : int {
        unsupported = 0, specified_surface_only = 1, all_part_surfaces = 2, basic_surface = 3
    };

    EPMIAnnotationType type() const override { return EPMIAnnotationType::roughness; }

    EObtentionType obtentionType() const { return m_obtentionType; }
    void setObtentionType(EObtentionType v) { m_obtentionType = v; }
    EApplicabilityType applicabilityType() const { return m_applicabilityType; }
    void setApplicabilityType(EApplicabilityType v) { m_applicabilityType = v; }
    const std::vector<std::wstring>& fields() const { return m_fields; }
    void setFields(const std::vector<std::wstring>& v) { m_fields = v; }
    void addField(const std::wstring& v) { m_fields.push_back(v); }

    TRX_JSON_RECORD(ExcPMIRoughness);

private:
    EObtentionType m_obtentionType = EObtentionType::unsupported;
    EApplicabilityType m_applicabilityType = EApplicabilityType::unsupported;
    std::vector<std::wstring> m_fields;
};

}  // namespace trx
