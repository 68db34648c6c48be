#include "../trx_api_exchange_mfg.h"

#include "../trx_api_exchange_mechanical_common.h"
#include "pmi_fields.h"

namespace trx {

TRX_ENUM(ExcMfgThreading::EOrientation, unknown, right_handed, left_handed);

TRX_ENUM(ExcMfgThreading::EDesignationSystemType, unknown, metric, american, british);

TRX_ENUM(ExcMfgThread::EBottomType, unknown, dimension, support_depth, support_up_to_plane);

TRX_ENUM(ExcMfgHole::EBottomLimitExtentType, unknown, blind, up_to_last, up_to_plane,
    up_to_surface, up_to_next);

// ---- threads ------------------------------------------------------------------------

template <class Self, class F>
void ExcMfgThreading::fields(Self& s, F&& f) {
    f(L"diameter", s.m_diameter);
    f(L"depth", s.m_depth);
    f(L"pitch", s.m_pitch);
    f(L"orientation", s.m_orientation);
    f(L"designation", s.m_designation);
    f(L"designation_system_type", s.m_designationSystemType);
}

void ExcMfgThreading::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (json::isObjectOrLog(value, "ExcMfgThreading")) fields(*this, json::Reader{value});
}

void ExcMfgThreading::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    fields(*this, json::Writer{value, allocator});
}

bool ExcMfgThreading::operator==(const ExcMfgThreading& o) const {
    return m_diameter == o.m_diameter && m_depth == o.m_depth && m_pitch == o.m_pitch &&
           m_orientation == o.m_orientation && m_designation == o.m_designation &&
           m_designationSystemType == o.m_designationSystemType;
}

template <class Self, class F>
void ExcMfgThread::fields(Self& s, F&& f) {
    ExcMfgThreading::fields(s, f);
    f(L"support_diameter", s.m_supportDiameter);
    f(L"support_depth", s.m_supportDepth);
    f(L"bottom_type", s.m_bottomType);
}

void ExcMfgThread::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (json::isObjectOrLog(value, "ExcMfgThread")) fields(*this, json::Reader{value});
}

void ExcMfgThread::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    fields(*this, json::Writer{value, allocator});
}

bool ExcMfgThread::operator==(const ExcMfgThread& o) const {
    return ExcMfgThreading::operator==(o) && m_supportDiameter == o.m_supportDiameter &&
           m_supportDepth == o.m_supportDepth && m_bottomType == o.m_bottomType;
}

template <class Self, class F>
void ExcMfgHoleThread::fields(Self& s, F&& f) {
    ExcMfgThreading::fields(s, f);
    f(L"standart", s.m_standart);
    f(L"min_tol", s.m_minimalTolerance);
    f(L"max_tol", s.m_maximalTolerance);
}

void ExcMfgHoleThread::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (json::isObjectOrLog(value, "ExcMfgHoleThread")) fields(*this, json::Reader{value});
}

void ExcMfgHoleThread::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    fields(*this, json::Writer{value, allocator});
}

bool ExcMfgHoleThread::operator==(const ExcMfgHoleThread& o) const {
    return ExcMfgThreading::operator==(o) && m_standart == o.m_standart &&
           m_minimalTolerance == o.m_minimalTolerance && m_maximalTolerance == o.m_maximalTolerance;
}

// ---- holes --------------------------------------------------------------------------

template <class Self, class F>
void ExcMfgHole::fields(Self& s, F&& f) {
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

void ExcMfgHole::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (json::isObjectOrLog(value, "ExcMfgHole")) fields(*this, json::Reader{value});
}

void ExcMfgHole::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    fields(*this, json::Writer{value, allocator});
}

bool ExcMfgHole::operator==(const ExcMfgHole& o) const {
    return m_name == o.m_name && m_primaryDiameter == o.m_primaryDiameter &&
           m_primaryDiameterMaxTol == o.m_primaryDiameterMaxTol &&
           m_primaryDiameterMinTol == o.m_primaryDiameterMinTol && m_primaryDepth == o.m_primaryDepth &&
           m_tipAngleDegrees == o.m_tipAngleDegrees &&
           m_bottomLimitExtentType == o.m_bottomLimitExtentType && m_center == o.m_center &&
           m_direction == o.m_direction && detail::deepEqual(m_holeThread, o.m_holeThread);
}

template <class Self, class F>
void ExcMfgTaperHole::fields(Self& s, F&& f) {
    ExcMfgHole::fields(s, f);
    f(L"angle", s.m_angle);
}

void ExcMfgTaperHole::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (json::isObjectOrLog(value, "ExcMfgTaperHole")) fields(*this, json::Reader{value});
}

void ExcMfgTaperHole::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    fields(*this, json::Writer{value, allocator});
}

bool ExcMfgTaperHole::operator==(const ExcMfgTaperHole& o) const {
    return ExcMfgHole::operator==(o) && m_angle == o.m_angle;
}

template <class Self, class F>
void ExcMfgCounterBoreHole::fields(Self& s, F&& f) {
    ExcMfgHole::fields(s, f);
    f(L"diameter", s.m_diameter);
    f(L"max_tol", s.m_maximumTolerance);
    f(L"min_tol", s.m_minimumTolerance);
    f(L"depth", s.m_depth);
}

void ExcMfgCounterBoreHole::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (json::isObjectOrLog(value, "ExcMfgCounterBoreHole")) fields(*this, json::Reader{value});
}

void ExcMfgCounterBoreHole::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    fields(*this, json::Writer{value, allocator});
}

bool ExcMfgCounterBoreHole::operator==(const ExcMfgCounterBoreHole& o) const {
    return ExcMfgHole::operator==(o) && m_diameter == o.m_diameter &&
           m_maximumTolerance == o.m_maximumTolerance && m_minimumTolerance == o.m_minimumTolerance &&
           m_depth == o.m_depth;
}

template <class Self, class F>
void ExcMfgCounterSinkHole::fields(Self& s, F&& f) {
    ExcMfgHole::fields(s, f);
    f(L"diameter", s.m_diameter);
    f(L"max_tol", s.m_maximumTolerance);
    f(L"min_tol", s.m_minimumTolerance);
    f(L"angle", s.m_taperAngle);
}

void ExcMfgCounterSinkHole::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (json::isObjectOrLog(value, "ExcMfgCounterSinkHole")) fields(*this, json::Reader{value});
}

void ExcMfgCounterSinkHole::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    fields(*this, json::Writer{value, allocator});
}

bool ExcMfgCounterSinkHole::operator==(const ExcMfgCounterSinkHole& o) const {
    return ExcMfgHole::operator==(o) && m_diameter == o.m_diameter &&
           m_maximumTolerance == o.m_maximumTolerance && m_minimumTolerance == o.m_minimumTolerance &&
           m_taperAngle == o.m_taperAngle;
}

template <class Self, class F>
void ExcMfgCounterDrillHole::fields(Self& s, F&& f) {
    ExcMfgHole::fields(s, f);
    f(L"diameter", s.m_diameter);
    f(L"max_tol", s.m_maximumTolerance);
    f(L"min_tol", s.m_minimumTolerance);
    f(L"depth", s.m_depth);
    f(L"sink_diameter", s.m_sinkDiameter);
    f(L"angle", s.m_taperAngle);
}

void ExcMfgCounterDrillHole::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (json::isObjectOrLog(value, "ExcMfgCounterDrillHole")) fields(*this, json::Reader{value});
}

void ExcMfgCounterDrillHole::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    fields(*this, json::Writer{value, allocator});
}

bool ExcMfgCounterDrillHole::operator==(const ExcMfgCounterDrillHole& o) const {
    return ExcMfgHole::operator==(o) && m_diameter == o.m_diameter &&
           m_maximumTolerance == o.m_maximumTolerance && m_minimumTolerance == o.m_minimumTolerance &&
           m_depth == o.m_depth && m_sinkDiameter == o.m_sinkDiameter && m_taperAngle == o.m_taperAngle;
}

}  // namespace trx
