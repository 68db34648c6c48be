#pragma once

// Geometric dimensioning and tolerancing: datum feature symbols, datum targets and feature
// control frames with their datum reference frames.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "trx_api_exchange_pmi_annotation.h"

namespace trx {

// A datum feature symbol; its targets are named by their annotation ids.
class TRX_API ExcPMIDatum : public ExcPMIAnnotation {
public:
    EPMIAnnotationType type() const override { return EPMIAnnotationType::datum; }

    const std::wstring& label() const { return m_label; }
    void setLabel(const std::wstring& v) { m_label = v; }
    const std::vector<std::wstring>& targetIds() const { return m_targetIds; }
    void setTargetIds(const std::vector<std::wstring>& v) { m_targetIds = v; }
    void addTargetId(const std::wstring& v) { m_targetIds.push_back(v); }

    TRX_JSON_RECORD(ExcPMIDatum);

private:

    std::wstring m_label;
    std::vector<std::wstring> m_targetIds;
};

class TRX_API ExcPMIDatumTarget : public ExcPMIAnnotation {
public:
    enum class EType : int {
        unknown = 0, point = 1, line = 2, area_circular = 3, area_rectangular = 4, area_face = 5,
        feature = 6, user_defined = 7
    };

    EPMIAnnotationType type() const override { return EPMIAnnotationType::datum_target; }

    const std::wstring& label() const { return m_label; }
    void setLabel(const std::wstring& v) { m_label = v; }
    EType targetType() const { return m_targetType; }
    void setTargetType(EType v) { m_targetType = v; }
    bool hasDiameter() const { return m_hasDiameter; }
    void setHasDiameter(bool v) { m_hasDiameter = v; }
    const std::wstring& upperText() const { return m_upperText; }
    void setUpperText(const std::wstring& v) { m_upperText = v; }
    const std::wstring& lowerText() const { return m_lowerText; }
    void setLowerText(const std::wstring& v) { m_lowerText = v; }
    const ExcVector3d& zonePoint1() const { return m_zone[0]; }
    void setZonePoint1(const ExcVector3d& v) { m_zone[0] = v; }
    const ExcVector3d& zonePoint2() const { return m_zone[1]; }
    void setZonePoint2(const ExcVector3d& v) { m_zone[1] = v; }

    TRX_JSON_RECORD(ExcPMIDatumTarget);

private:
    std::wstring m_label;
    EType m_targetType = EType::unknown;
    bool m_hasDiameter = false;
    std::wstring m_upperText;
    std::wstring m_lowerText;
    std::array<ExcVector3d, 2> m_zone;
};

// A feature control frame. A composite frame carries a second, lower segment.
class TRX_API ExcPMIGDT : public ExcPMIAnnotation {
public:
    enum class EToleranceType : int {
        unknown = 0, form_straightness = 1, form_flatness = 2, form_circularity = 3,
        form_cylindricity = 4, form_profile_any_line = 5, form_profile_any_surface = 6,
        orientation_parallelism = 7, orientation_perpendicularity = 8, orientation_angularity = 9,
        location_true_position = 10, location_concentricity = 11, location_coaxiality = 12,
        location_symmetry = 13, location_position_of_any_line = 14,
        Location_position_of_a_surface = 15, run_out_circular = 16, run_out_total = 17
    };
    // The symbol before the tolerance value.
    enum class EToleranceValueType : int { none = 0, diameter = 1, radius = 2, spherical = 3, square = 4 };
    // Zone modifiers and datum modifiers.
    enum class EToleranceModifier : int {
        no_modifier = 0, material_condition_unsupported = 1, material_condition_no_modifier = 2,
        material_condition_maximum = 3, material_condition_least = 4,
        material_condition_regardless_of_feature_size = 5, tangent_plant_unsupported = 6,
        tangent_plant_non_tangent = 7, tangent_plant_tangent = 8, free_state_unsupported = 9,
        free_state_free = 10, free_state_not_free = 11, statistical_symbol = 12, common_zone = 13
    };

    // A datum named by its annotation id, with its modifier.
    class TRX_API ModifiedDatum : public IJsonObject {
    public:
        ModifiedDatum() = default;
        ModifiedDatum(const std::wstring& datumId, EToleranceModifier modifier)
            : m_datumId(datumId), m_modifier(modifier) {}

        const std::wstring& datumId() const { return m_datumId; }
        void setDatumId(const std::wstring& v) { m_datumId = v; }
        EToleranceModifier modifier() const { return m_modifier; }
        void setModifier(EToleranceModifier v) { m_modifier = v; }

        TRX_JSON_RECORD(ModifiedDatum);

    private:
        std::wstring m_datumId;
        EToleranceModifier m_modifier = EToleranceModifier::no_modifier;
    };

    // One compartment of a datum reference frame.
    class TRX_API DatumRef : public IJsonObject {
    public:
        const std::wstring& label() const { return m_label; }
        void setLabel(const std::wstring& v) { m_label = v; }
        const std::vector<ModifiedDatum>& modifiedDatums() const { return m_modifiedDatums; }
        void addModifiedDatum(ModifiedDatum&& v) { m_modifiedDatums.push_back(std::move(v)); }

        TRX_JSON_RECORD(DatumRef);

    private:
        std::wstring m_label;
        std::vector<ModifiedDatum> m_modifiedDatums;
    };

    // The datum reference frame.
    class TRX_API Frame : public IJsonObject {
    public:
        const std::wstring& label() const { return m_label; }
        void setLabel(const std::wstring& v) { m_label = v; }
        const std::vector<DatumRef>& datumRefs() const { return m_datumRefs; }
        void addDatumRef(DatumRef&& v) { m_datumRefs.push_back(std::move(v)); }

        TRX_JSON_RECORD(Frame);

    private:
        std::wstring m_label;
        std::vector<DatumRef> m_datumRefs;
    };

    EPMIAnnotationType type() const override { return EPMIAnnotationType::GDT; }

    EToleranceType toleranceType() const { return m_toleranceType; }
    void setToleranceType(EToleranceType v) { m_toleranceType = v; }
    EToleranceValueType toleranceValueType() const { return m_toleranceValueType; }
    void setToleranceValueType(EToleranceValueType v) { m_toleranceValueType = v; }
    double toleranceValue() const { return m_toleranceValue; }
    void setToleranceValue(double v) { m_toleranceValue = v; }
    double refineTolerance() const { return m_refineTolerance; }
    void setRefineTolerance(double v) { m_refineTolerance = v; }
    void rateUnits(double& a, double& b) const { a = m_rateUnit[0]; b = m_rateUnit[1]; }
    void setRateUnit(double a, double b) { m_rateUnit = {a, b}; }
    double projectionToleranceZoneLength() const { return m_projectionToleranceZoneLength; }
    void setProjectionToleranceZoneLength(double v) { m_projectionToleranceZoneLength = v; }
    double shiftValue() const { return m_shiftValue; }
    void setShiftValue(double v) { m_shiftValue = v; }
    double allAround() const { return m_allAround; }
    void setAllAround(double v) { m_allAround = v; }
    const std::wstring& note() const { return m_note; }
    void setNote(const std::wstring& v) { m_note = v; }
    void zoneModifiers(EToleranceModifier& a, EToleranceModifier& b) const {
        a = m_zoneModifiers[0];
        b = m_zoneModifiers[1];
    }
    void setZoneModifiers(EToleranceModifier a, EToleranceModifier b) { m_zoneModifiers = {a, b}; }
    const std::shared_ptr<Frame>& referenceFrame() const { return m_referenceFrame; }
    void setReferenceFrame(const std::shared_ptr<Frame>& v) { m_referenceFrame = v; }

    bool isComposite() const { return m_composite; }
    void setComposite(bool v) { m_composite = v; }
    EToleranceValueType compositeToleranceValueType() const { return m_compositeToleranceValueType; }
    void setCompositeToleranceValueType(EToleranceValueType v) { m_compositeToleranceValueType = v; }
    double compositeToleranceValue() const { return m_compositeToleranceValue; }
    void setCompositeToleranceValue(double v) { m_compositeToleranceValue = v; }
    void compositeRateUnits(double& a, double& b) const { a = m_compositeRateUnit[0]; b = m_compositeRateUnit[1]; }
    void setCompositeRateUnits(double a, double b) { m_compositeRateUnit = {a, b}; }
    EToleranceModifier compositeZoneModifier() const { return m_compositeZoneModifier; }
    void setCompositeZoneModifier(EToleranceModifier v) { m_compositeZoneModifier = v; }
    const std::shared_ptr<Frame>& compositeReferenceFrame() const { return m_compositeReferenceFrame; }
    void setCompositeReferenceFrame(const std::shared_ptr<Frame>& v) { m_compositeReferenceFrame = v; }

    TRX_JSON_RECORD(ExcPMIGDT);

private:
    EToleranceType m_toleranceType = EToleranceType::unknown;
    EToleranceValueType m_toleranceValueType = EToleranceValueType::none;
    double m_toleranceValue = 0.0;
    double m_refineTolerance = 0.0;
    std::array<double, 2> m_rateUnit{0.0, 0.0};
    double m_projectionToleranceZoneLength = 0.0;
    double m_shiftValue = 0.0;
    double m_allAround = 0.0;
    std::wstring m_note;
    std::array<EToleranceModifier, 2> m_zoneModifiers{EToleranceModifier::no_modifier,
                                                      EToleranceModifier::no_modifier};
    std::shared_ptr<Frame> m_referenceFrame;

    bool m_composite = false;
    EToleranceValueType m_compositeToleranceValueType = EToleranceValueType::none;
    double m_compositeToleranceValue = 0.0;
    std::array<double, 2> m_compositeRateUnit{0.0, 0.0};
    EToleranceModifier m_compositeZoneModifier = EToleranceModifier::no_modifier;
    std::shared_ptr<Frame> m_compositeReferenceFrame;
};

}  // namespace trx
