#pragma once

// Manufacturing features recognised in a part: the hole and thread values, the features that
// tie them to model entities, their patterns, and the per-block list of all features.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "json/json_object.h"
#include "trx_api_exchange_common.h"

namespace trx {

// ---- thread and hole values ---------------------------------------------------------

// Parameters every thread has, on a thread feature and in a threaded hole alike.
class TRX_API ExcMfgThreading : public IJsonObject {
public:
    enum class EOrientation : int { unknown = 0, right_handed = 1, left_handed = 2 };
    enum class EDesignationSystemType : int { unknown = 0, metric = 1, american = 2, british = 3 };

    double diameter() const { return m_diameter; }
    void setDiameter(double v) { m_diameter = v; }
    double depth() const { return m_depth; }
    void setDepth(double v) { m_depth = v; }
    double pitch() const { return m_pitch; }
    void setPitch(double v) { m_pitch = v; }
    EOrientation orientation() const { return m_orientation; }
    void setOrientation(EOrientation v) { m_orientation = v; }
    const std::wstring& designation() const { return m_designation; }
    void setDesignation(const std::wstring& v) { m_designation = v; }
    EDesignationSystemType designationSystemType() const { return m_designationSystemType; }
    void setDesignationSystemType(EDesignationSystemType v) { m_designationSystemType = v; }

    TRX_JSON_RECORD(ExcMfgThreading);

private:
    double m_diameter = 0.0;
    double m_depth = 0.0;
    double m_pitch = 0.0;
    EOrientation m_orientation = EOrientation::unknown;
    std::wstring m_designation;
    EDesignationSystemType m_designationSystemType = EDesignationSystemType::unknown;
};

class TRX_API ExcMfgThread : public ExcMfgThreading {
public:
    enum class EBottomType : int {
        unknown = 0,
        dimension = 1,
        support_depth = 2,
        support_up_to_plane = 3
    };

    double supportDiameter() const { return m_supportDiameter; }
    void setSupportDiameter(double v) { m_supportDiameter = v; }
    double supportDepth() const { return m_supportDepth; }
    void setSupportDepth(double v) { m_supportDepth = v; }
    EBottomType bottomType() const { return m_bottomType; }
    void setBottomType(EBottomType v) { m_bottomType = v; }

    TRX_JSON_RECORD(ExcMfgThread);

private:
    double m_supportDiameter = 0.0;
    double m_supportDepth = 0.0;
    EBottomType m_bottomType = EBottomType::unknown;
};

class TRX_API ExcMfgHoleThread : public ExcMfgThreading {
public:
    const std::wstring& standart() const { return m_standart; }
    void setStandart(const std::wstring& v) { m_standart = v; }
    double minimalTolerance() const { return m_minimalTolerance; }
    void setMinimalTolerance(double v) { m_minimalTolerance = v; }
    double maximalTolerance() const { return m_maximalTolerance; }
    void setMaximalTolerance(double v) { m_maximalTolerance = v; }

    TRX_JSON_RECORD(ExcMfgHoleThread);

private:
    std::wstring m_standart;
    double m_minimalTolerance = 0.0;
    double m_maximalTolerance = 0.0;
};

// What every hole kind has: the primary (drilled) part and an optional thread.
class TRX_API ExcMfgHole : public IJsonObject {
public:
    enum class EBottomLimitExtentType : int {
        unknown = 0, blind = 1, up_to_last = 2, up_to_plane = 3, up_to_surface = 4, up_to_next = 5
    };

    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    double primaryDiameter() const { return m_primaryDiameter; }
    void setPrimaryDiameter(double v) { m_primaryDiameter = v; }
    double primaryDiameterMaxTol() const { return m_primaryDiameterMaxTol; }
    void setPrimaryDiameterMaxTol(double v) { m_primaryDiameterMaxTol = v; }
    double primaryDiameterMinTol() const { return m_primaryDiameterMinTol; }
    void setPrimaryDiameterMinTol(double v) { m_primaryDiameterMinTol = v; }
    double primaryDepth() const { return m_primaryDepth; }
    void setPrimaryDepth(double v) { m_primaryDepth = v; }
    double tipAngleDegrees() const { return m_tipAngleDegrees; }
    void setTipAngleDegrees(double v) { m_tipAngleDegrees = v; }
    EBottomLimitExtentType bottomLimitExtentType() const { return m_bottomLimitExtentType; }
    void setBottomLimitExtentType(EBottomLimitExtentType v) { m_bottomLimitExtentType = v; }
    const ExcVector3d& center() const { return m_center; }
    void setCenter(const ExcVector3d& v) { m_center = v; }
    const ExcVector3d& direction() const { return m_direction; }
    void setDirection(const ExcVector3d& v) { m_direction = v; }
    const std::shared_ptr<ExcMfgHoleThread>& holeThread() const { return m_holeThread; }
    void setHoleThread(const std::shared_ptr<ExcMfgHoleThread>& v) { m_holeThread = v; }

    TRX_JSON_RECORD(ExcMfgHole);

protected:
    ExcMfgHole() = default;

private:
    std::wstring m_name;
    double m_primaryDiameter = 0.0;
    double m_primaryDiameterMaxTol = 0.0;
    double m_primaryDiameterMinTol = 0.0;
    double m_primaryDepth = 0.0;
    double m_tipAngleDegrees = 0.0;
    EBottomLimitExtentType m_bottomLimitExtentType = EBottomLimitExtentType::unknown;
    ExcVector3d m_center;
    ExcVector3d m_direction;
    std::shared_ptr<ExcMfgHoleThread> m_holeThread;
};

class TRX_API ExcMfgSimpleHole : public ExcMfgHole {
public:
    ExcMfgSimpleHole() = default;
};

class TRX_API ExcMfgTaperHole : public ExcMfgHole {
public:
    ExcMfgTaperHole() = default;

    double angle() const { return m_angle; }
    void setAngle(double v) { m_angle = v; }

    TRX_JSON_RECORD(ExcMfgTaperHole);

private:
    double m_angle = 0.0;
};

// The counter-bore portion: its diameter, tolerances and depth.
class TRX_API ExcMfgCounterBoreHole : public ExcMfgHole {
public:
    ExcMfgCounterBoreHole() = default;

    double diameter() const { return m_diameter; }
    void setDiameter(double v) { m_diameter = v; }
    double maximumTolerance() const { return m_maximumTolerance; }
    void setMaximumTolerance(double v) { m_maximumTolerance = v; }
    double minimumTolerance() const { return m_minimumTolerance; }
    void setMinimumTolerance(double v) { m_minimumTolerance = v; }
    double depth() const { return m_depth; }
    void setDepth(double v) { m_depth = v; }

    TRX_JSON_RECORD(ExcMfgCounterBoreHole);

private:
    double m_diameter = 0.0;
    double m_maximumTolerance = 0.0;
    double m_minimumTolerance = 0.0;
    double m_depth = 0.0;
};

// The counter-sink portion; its angle travels under "angle", as a taper hole's does.
class TRX_API ExcMfgCounterSinkHole : public ExcMfgHole {
public:
    ExcMfgCounterSinkHole() = default;

    double diameter() const { return m_diameter; }
    void setDiameter(double v) { m_diameter = v; }
    double maximumTolerance() const { return m_maximumTolerance; }
    void setMaximumTolerance(double v) { m_maximumTolerance = v; }
    double minimumTolerance() const { return m_minimumTolerance; }
    void setMinimumTolerance(double v) { m_minimumTolerance = v; }
    double taperAngle() const { return m_taperAngle; }
    void setTaperAngle(double v) { m_taperAngle = v; }

    TRX_JSON_RECORD(ExcMfgCounterSinkHole);

private:
    double m_diameter = 0.0;
    double m_maximumTolerance = 0.0;
    double m_minimumTolerance = 0.0;
    double m_taperAngle = 0.0;
};

class TRX_API ExcMfgCounterDrillHole : public ExcMfgHole {
public:
    ExcMfgCounterDrillHole() = default;

    double diameter() const { return m_diameter; }
    void setDiameter(double v) { m_diameter = v; }
    double maximumTolerance() const { return m_maximumTolerance; }
    void setMaximumTolerance(double v) { m_maximumTolerance = v; }
    double minimumTolerance() const { return m_minimumTolerance; }
    void setMinimumTolerance(double v) { m_minimumTolerance = v; }
    double depth() const { return m_depth; }
    void setDepth(double v) { m_depth = v; }
    double sinkDiameter() const { return m_sinkDiameter; }
    void setSinkDiameter(double v) { m_sinkDiameter = v; }
    double taperAngle() const { return m_taperAngle; }
    void setTaperAngle(double v) { m_taperAngle = v; }

    TRX_JSON_RECORD(ExcMfgCounterDrillHole);

private:
    double m_diameter = 0.0;
    double m_maximumTolerance = 0.0;
    double m_minimumTolerance = 0.0;
    double m_depth = 0.0;
    double m_sinkDiameter = 0.0;
    double m_taperAngle = 0.0;
};

// ---- patterns -----------------------------------------------------------------------

// How a feature is repeated. readPattern picks the kind by the "type" member.
class TRX_API ExcMfgPattern : public IJsonObject {
public:
    enum class EType : int { unknown = 0, none = 1, rectangular = 2, circular = 3, user_defined = 4 };

    // One occurrence of the patterned feature.
    class TRX_API Instance : public IJsonObject {
    public:
        bool isBaseInstance() const { return m_baseInstance; }
        void setBaseInstance(bool v) { m_baseInstance = v; }
        const ExcEntities& limitng() const { return m_limiting; }
        const ExcEntities& defining() const { return m_defining; }
        void addLimiting(const std::shared_ptr<ExcEntity>& entity);
        void addDefining(const std::shared_ptr<ExcEntity>& entity);

        TRX_JSON_RECORD(Instance);

    private:
        bool m_baseInstance = false;
        ExcEntities m_limiting;
        ExcEntities m_defining;
    };

    // (row, column) style indices of pattern instances.
    using InstanceIndex = std::pair<std::int32_t, std::int32_t>;

    virtual EType type() const = 0;

    // Null for a value that is not an object, has no type, or is of type "none" or "unknown".
    static std::shared_ptr<ExcMfgPattern> readPattern(const JsonValue& value);

    // Same kind and same content.
    bool operator==(const ExcMfgPattern& o) const;
    bool operator!=(const ExcMfgPattern& o) const { return !(*this == o); }
};

class TRX_API ExcMfgPatternRectangular : public ExcMfgPattern {
public:
    EType type() const override { return EType::rectangular; }

    const ExcVector3d& anchorPoint() const { return m_anchorPoint; }
    void setAnchorPoint(const ExcVector3d& v) { m_anchorPoint = v; }
    const ExcVector3d& alignmentPrimaryDirection() const { return m_alignmentPrimaryDirection; }
    void setAlignmentPrimaryDirection(const ExcVector3d& v) { m_alignmentPrimaryDirection = v; }
    const ExcVector3d& alignmentSecondaryDirection() const { return m_alignmentSecondaryDirection; }
    void setAlignmentSecondaryDirection(const ExcVector3d& v) { m_alignmentSecondaryDirection = v; }
    std::int32_t primaryInstanceCount() const { return m_primaryInstanceCount; }
    void setPrimaryInstanceCount(std::int32_t v) { m_primaryInstanceCount = v; }
    std::int32_t secondaryInstanceCount() const { return m_secondaryInstanceCount; }
    void setSecondaryInstanceCount(std::int32_t v) { m_secondaryInstanceCount = v; }
    double primarySpacing() const { return m_primarySpacing; }
    void setPrimarySpacing(double v) { m_primarySpacing = v; }
    double secondarySpacing() const { return m_secondarySpacing; }
    void setSecondarySpacing(double v) { m_secondarySpacing = v; }
    const std::shared_ptr<Instance>& baseInstance() const { return m_baseInstance; }
    void setBaseInstance(const std::shared_ptr<Instance>& v) { m_baseInstance = v; }
    bool isSimplified() const { return m_simplified; }
    void setSimplified(bool v) { m_simplified = v; }
    const std::vector<InstanceIndex>& visibleInstances() const { return m_visibleInstances; }
    void addVisibleInstance(const InstanceIndex& v) { m_visibleInstances.push_back(v); }
    const std::vector<InstanceIndex>& deactivatedInstances() const { return m_deactivatedInstances; }
    void addDeactivatedInstance(const InstanceIndex& v) { m_deactivatedInstances.push_back(v); }

    TRX_JSON_RECORD(ExcMfgPatternRectangular);

private:
    ExcVector3d m_anchorPoint;
    ExcVector3d m_alignmentPrimaryDirection;
    ExcVector3d m_alignmentSecondaryDirection;
    std::int32_t m_primaryInstanceCount = 0;
    std::int32_t m_secondaryInstanceCount = 0;
    double m_primarySpacing = 0.0;
    double m_secondarySpacing = 0.0;
    std::shared_ptr<Instance> m_baseInstance;
    bool m_simplified = false;
    std::vector<InstanceIndex> m_visibleInstances;
    std::vector<InstanceIndex> m_deactivatedInstances;
};

class TRX_API ExcMfgPatternCircular : public ExcMfgPattern {
public:
    EType type() const override { return EType::circular; }

    const ExcVector3d& anchorPoint() const { return m_anchorPoint; }
    void setAnchorPoint(const ExcVector3d& v) { m_anchorPoint = v; }
    const ExcVector3d& centerOfRotation() const { return m_centerOfRotation; }
    void setCenterOfRotation(const ExcVector3d& v) { m_centerOfRotation = v; }
    const ExcVector3d& axisOfRotation() const { return m_axisOfRotation; }
    void setAxisOfRotation(const ExcVector3d& v) { m_axisOfRotation = v; }
    std::int32_t axialInstanceCount() const { return m_axialInstanceCount; }
    void setAxialInstanceCount(std::int32_t v) { m_axialInstanceCount = v; }
    std::int32_t radialInstanceCount() const { return m_radialInstanceCount; }
    void setRadialInstanceCount(std::int32_t v) { m_radialInstanceCount = v; }
    double axialDistanceDegrees() const { return m_axialDistanceDegrees; }
    void setAxialDistanceDegrees(double v) { m_axialDistanceDegrees = v; }
    double radialDistance() const { return m_radialDistance; }
    void setRadialDistance(double v) { m_radialDistance = v; }
    bool isFixedRotationOrientation() const { return m_fixedRotationOrientation; }
    void setFixedRotationOrientation(bool v) { m_fixedRotationOrientation = v; }
    const std::shared_ptr<Instance>& baseInstance() const { return m_baseInstance; }
    void setBaseInstance(const std::shared_ptr<Instance>& v) { m_baseInstance = v; }
    bool isSimplified() const { return m_simplified; }
    void setSimplified(bool v) { m_simplified = v; }
    const std::vector<InstanceIndex>& visibleInstances() const { return m_visibleInstances; }
    void addVisibleInstance(const InstanceIndex& v) { m_visibleInstances.push_back(v); }
    const std::vector<InstanceIndex>& deactivatedInstances() const { return m_deactivatedInstances; }
    void addDeactivatedInstance(const InstanceIndex& v) { m_deactivatedInstances.push_back(v); }

    TRX_JSON_RECORD(ExcMfgPatternCircular);

private:
    ExcVector3d m_anchorPoint;
    ExcVector3d m_centerOfRotation;
    ExcVector3d m_axisOfRotation;
    std::int32_t m_axialInstanceCount = 0;
    std::int32_t m_radialInstanceCount = 0;
    double m_axialDistanceDegrees = 0.0;
    double m_radialDistance = 0.0;
    bool m_fixedRotationOrientation = false;
    std::shared_ptr<Instance> m_baseInstance;
    bool m_simplified = false;
    std::vector<InstanceIndex> m_visibleInstances;
    std::vector<InstanceIndex> m_deactivatedInstances;
};

class TRX_API ExcMfgPatternUserDefined : public ExcMfgPattern {
public:
    EType type() const override { return EType::user_defined; }

    const ExcVector3d& anchorPoint() const { return m_anchorPoint; }
    void setAnchorPoint(const ExcVector3d& v) { m_anchorPoint = v; }
    const std::shared_ptr<Instance>& baseInstance() const { return m_baseInstance; }
    void setBaseInstance(const std::shared_ptr<Instance>& v) { m_baseInstance = v; }
    const std::vector<ExcVector3d>& instancePositions() const { return m_instancePositions; }
    void addInstancePosition(const ExcVector3d& v) { m_instancePositions.push_back(v); }
    const std::vector<ExcVector3d>& deactivatedPositions() const { return m_deactivatedPositions; }
    void addDeactivatedPosition(const ExcVector3d& v) { m_deactivatedPositions.push_back(v); }

    TRX_JSON_RECORD(ExcMfgPatternUserDefined);

private:
    ExcVector3d m_anchorPoint;
    std::shared_ptr<Instance> m_baseInstance;
    std::vector<ExcVector3d> m_instancePositions;
    std::vector<ExcVector3d> m_deactivatedPositions;
};

// ---- features -----------------------------------------------------------------------

class TRX_API ExcMfgObject : public IJsonObject {
public:
    const std::wstring& id() const { return m_id; }
    void setId(const std::wstring& v) { m_id = v; }
    const ExcEntities& linkedElements() const { return m_linkedElements; }
    void addLinkedElement(const std::shared_ptr<ExcEntity>& entity);

    TRX_JSON_RECORD(ExcMfgObject);

protected:
    ExcMfgObject() = default;

private:
    std::wstring m_id;
    ExcEntities m_linkedElements;
};

class TRX_API ExcMfgFeature : public ExcMfgObject {
public:
    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    const std::shared_ptr<ExcMfgPattern>& pattern() const { return m_pattern; }
    void setPattern(const std::shared_ptr<ExcMfgPattern>& v) { m_pattern = v; }

    TRX_JSON_RECORD(ExcMfgFeature);

protected:
    ExcMfgFeature() = default;

private:
    std::wstring m_name;
    std::shared_ptr<ExcMfgPattern> m_pattern;
};

// A hole feature: the faces that bound it and those that define it.
class TRX_API ExcMfgFeatureHole : public ExcMfgFeature {
public:
    const ExcEntities& limitingGeometry() const { return m_limitingGeometry; }
    void addLimitingGeometry(const std::shared_ptr<ExcEntity>& entity);
    const ExcEntities& definingGeometry() const { return m_definingGeometry; }
    void addDefiningGeometry(const std::shared_ptr<ExcEntity>& entity);

    TRX_JSON_RECORD(ExcMfgFeatureHole);

protected:
    ExcMfgFeatureHole() = default;

private:
    ExcEntities m_limitingGeometry;
    ExcEntities m_definingGeometry;
};

// One hole feature of kind T (ExcMfgSimpleHole, ExcMfgTaperHole, ExcMfgCounterBoreHole,
// ExcMfgCounterSinkHole or ExcMfgCounterDrillHole).
template <class T>
class TRX_API ExcMfgFeatureHoleType : public ExcMfgFeatureHole {
public:
    using HoleData = T;

    ExcMfgFeatureHoleType() = default;

    const std::shared_ptr<T>& holeData() const { return m_holeData; }
    void setHoleData(const std::shared_ptr<T>& v) { m_holeData = v; }

    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;

    bool operator==(const ExcMfgFeatureHoleType& o) const;
    bool operator!=(const ExcMfgFeatureHoleType& o) const { return !(*this == o); }

private:
    std::shared_ptr<T> m_holeData;
};

using ExcMfgFeatureSimpleHole = ExcMfgFeatureHoleType<ExcMfgSimpleHole>;
using ExcMfgFeatureTaperHole = ExcMfgFeatureHoleType<ExcMfgTaperHole>;
using ExcMfgFeatureCounterBoreHole = ExcMfgFeatureHoleType<ExcMfgCounterBoreHole>;
using ExcMfgFeatureCounterSinkHole = ExcMfgFeatureHoleType<ExcMfgCounterSinkHole>;
using ExcMfgFeatureCounterDrillHole = ExcMfgFeatureHoleType<ExcMfgCounterDrillHole>;

// A thread feature; whether it is internal or external is given by the list that holds it.
class TRX_API ExcMfgFeatureThread : public ExcMfgFeature {
public:
    const std::shared_ptr<ExcMfgThread>& thread() const { return m_thread; }
    void setThread(const std::shared_ptr<ExcMfgThread>& v) { m_thread = v; }
    const ExcEntities& sideFaces() const { return m_sideFaces; }
    void addSideFace(const std::shared_ptr<ExcEntity>& entity);
    const ExcEntities& topFaces() const { return m_topFaces; }
    void addTopFace(const std::shared_ptr<ExcEntity>& entity);
    const ExcEntities& bottomFaces() const { return m_bottomFaces; }
    void addBottomFace(const std::shared_ptr<ExcEntity>& entity);

    TRX_JSON_RECORD(ExcMfgFeatureThread);

protected:
    ExcMfgFeatureThread() = default;

private:
    std::shared_ptr<ExcMfgThread> m_thread;
    ExcEntities m_sideFaces;
    ExcEntities m_topFaces;
    ExcEntities m_bottomFaces;
};

class TRX_API ExcMfgFeatureInternalThread : public ExcMfgFeatureThread {
public:
    ExcMfgFeatureInternalThread() = default;
};

class TRX_API ExcMfgFeatureExternalThread : public ExcMfgFeatureThread {
public:
    ExcMfgFeatureExternalThread() = default;
};

class TRX_API ExcMfgFeatureUnclassified : public ExcMfgFeature {
public:
    ExcMfgFeatureUnclassified() = default;
};

// ---- per-block container ------------------------------------------------------------

// All features recognised in one block, by kind.
class TRX_API ExcMfgData : public IJsonObject {
public:
    template <class T> using List = std::vector<std::shared_ptr<T>>;

    bool hasData() const { return m_hasData; }
    void setHasData(bool v) { m_hasData = v; }

    const List<ExcMfgFeatureSimpleHole>& simpleHoles() const { return m_simpleHoles; }
    void addSimpleHole(const std::shared_ptr<ExcMfgFeatureSimpleHole>& v);
    const List<ExcMfgFeatureTaperHole>& taperHoles() const { return m_taperHoles; }
    void addTaperHole(const std::shared_ptr<ExcMfgFeatureTaperHole>& v);
    const List<ExcMfgFeatureCounterBoreHole>& counterBoreHoles() const { return m_counterBoreHoles; }
    void addCounterBoreHole(const std::shared_ptr<ExcMfgFeatureCounterBoreHole>& v);
    const List<ExcMfgFeatureCounterSinkHole>& counterSinkHoles() const { return m_counterSinkHoles; }
    void addCounterSinkHole(const std::shared_ptr<ExcMfgFeatureCounterSinkHole>& v);
    const List<ExcMfgFeatureCounterDrillHole>& counterDrillHoles() const { return m_counterDrillHoles; }
    void addCounterDrillHole(const std::shared_ptr<ExcMfgFeatureCounterDrillHole>& v);
    const List<ExcMfgFeatureInternalThread>& internalThreads() const { return m_internalThreads; }
    void addInternalThread(const std::shared_ptr<ExcMfgFeatureInternalThread>& v);
    const List<ExcMfgFeatureExternalThread>& externalThreads() const { return m_externalThreads; }
    void addExternalThread(const std::shared_ptr<ExcMfgFeatureExternalThread>& v);
    const List<ExcMfgFeatureUnclassified>& unclassifiedFeatures() const {
        return m_unclassifiedFeatures;
    }
    void addUnclassifiedFeature(const std::shared_ptr<ExcMfgFeatureUnclassified>& v);

    TRX_JSON_RECORD(ExcMfgData);

private:
    bool m_hasData = false;
    List<ExcMfgFeatureSimpleHole> m_simpleHoles;
    List<ExcMfgFeatureTaperHole> m_taperHoles;
    List<ExcMfgFeatureCounterBoreHole> m_counterBoreHoles;
    List<ExcMfgFeatureCounterSinkHole> m_counterSinkHoles;
    List<ExcMfgFeatureCounterDrillHole> m_counterDrillHoles;
    List<ExcMfgFeatureInternalThread> m_internalThreads;
    List<ExcMfgFeatureExternalThread> m_externalThreads;
    List<ExcMfgFeatureUnclassified> m_unclassifiedFeatures;
};

}  // namespace trx
