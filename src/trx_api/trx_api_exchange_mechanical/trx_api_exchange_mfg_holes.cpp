#include "../trx_api_exchange_mfg.h"

#include "../trx_api_exchange_mechanical_common.h"
#include "../detail/enum_table.h"
#include "../detail/fields.h"

namespace trx {

TRX_ENUM(ExcMfgThreading::EOrientation, unknown, right_handed, left_handed);

TRX_ENUM(ExcMfgThreading::EDesignationSystemType, unknown, metric, american, british);

TRX_ENUM(ExcMfgThread::EBottomType, unknown, dimension, support_depth, support_up_to_plane);

TRX_ENUM(ExcMfgHole::EBottomLimitExtentType, unknown, blind, up_to_last, up_to_plane,
    up_to_surface, up_to_next);

// ---- threads ------------------------------------------------------------------------

TRX_FIELDS(ExcMfgThreading, IJsonObject) {
    f(L"diameter", s.m_diameter);
    f(L"depth", s.m_depth);
    f(L"pitch", s.m_pitch);
    f(L"orientation", s.m_orientation);
    f(L"designation", s.m_designation);
    f(L"designation_system_type", s.m_designationSystemType);
}

TRX_FIELDS(ExcMfgThread, IJsonObject) {
    ExcMfgThreading::fields(s, f);
    f(L"support_diameter", s.m_supportDiameter);
    f(L"support_depth", s.m_supportDepth);
    f(L"bottom_type", s.m_bottomType);
}

TRX_FIELDS(ExcMfgHoleThread, IJsonObject) {
    ExcMfgThreading::fields(s, f);
    f(L"standart", s.m_standart);
    f(L"min_tol", s.m_minimalTolerance);
    f(L"max_tol", s.m_maximalTolerance);
}

// ---- holes --------------------------------------------------------------------------

TRX_FIELDS(ExcMfgHole, IJsonObject) {
    f(L"name", s.m_name);
    f(L"primary_diameter", s.m_primaryDiameter);
    f(L"primary_diameter_max_tol", s.m_primaryDiameterMaxTol);
    f(L"primary_diameter_min_tol", s.m_primaryDiameterMinTol);
    f(L"primary_depth", s.m_primaryDepth);
    f(L"tip_angle_degrees", s.m_tipAngleDegrees);
    f(L"bottom_limit_extent_type", s.m_bottomLimitExtentType);
    f(L"center", s.m_center);
    f(L"direction", s.m_direction);
    f(L"hole_thread", s.m_holeThread);  // only when set
}

TRX_FIELDS(ExcMfgTaperHole, IJsonObject) {
    ExcMfgHole::fields(s, f);
    f(L"angle", s.m_angle);
}

TRX_FIELDS(ExcMfgCounterBoreHole, IJsonObject) {
    ExcMfgHole::fields(s, f);
    f(L"diameter", s.m_diameter);
    f(L"max_tol", s.m_maximumTolerance);
    f(L"min_tol", s.m_minimumTolerance);
    f(L"depth", s.m_depth);
}

TRX_FIELDS(ExcMfgCounterSinkHole, IJsonObject) {
    ExcMfgHole::fields(s, f);
    f(L"diameter", s.m_diameter);
    f(L"max_tol", s.m_maximumTolerance);
    f(L"min_tol", s.m_minimumTolerance);
    f(L"angle", s.m_taperAngle);
}

TRX_FIELDS(ExcMfgCounterDrillHole, IJsonObject) {
    ExcMfgHole::fields(s, f);
    f(L"diameter", s.m_diameter);
    f(L"max_tol", s.m_maximumTolerance);
    f(L"min_tol", s.m_minimumTolerance);
    f(L"depth", s.m_depth);
    f(L"sink_diameter", s.m_sinkDiameter);
    f(L"angle", s.m_taperAngle);
}

}  // namespace trx
