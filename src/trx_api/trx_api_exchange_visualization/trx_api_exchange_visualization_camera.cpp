#include "../trx_api_exchange_visualization_camera.h"

#include <stdexcept>

#include "../detail/enum_table.h"
#include "../detail/field_adapters.h"

namespace trx {

TRX_ENUM(ExcCamera::EType, undefined, perspective, orthographic);

// ---- camera -------------------------------------------------------------------------

void ExcCamera::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readRecord<IJsonObject>(*this, value, "ExcCamera", TRX_FIELDS_LIST_);
}

void ExcCamera::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeRecord<IJsonObject>(*this, value, allocator, TRX_FIELDS_LIST_);
}

TRX_BINARY_THROUGH_DOCUMENT(ExcCamera)

// Not member-wise: the double the type does not carry is lost on the way.
bool ExcCamera::operator==(const ExcCamera& o) const {
    if (m_type != o.m_type || m_name != o.m_name || m_eye != o.m_eye || m_target != o.m_target ||
        m_up != o.m_up)
        return false;
    switch (m_type) {
        case EType::perspective: return m_perspectiveViewAngle == o.m_perspectiveViewAngle;
        case EType::orthographic: return m_orthographicZoomFactor == o.m_orthographicZoomFactor;
        case EType::undefined: break;
    }
    return true;
}

template <class Self, class F>
void ExcCamera::fields(Self& s, F&& f) {
    f(L"type", s.m_type);
    f(L"name", s.m_name);
    f(L"perspective_view_angle", s.m_perspectiveViewAngle, s.m_type == EType::perspective);
    f(L"orthographic_zoom_factor", s.m_orthographicZoomFactor, s.m_type == EType::orthographic);
    f(L"eye", s.m_eye);
    f(L"target", s.m_target);
    f(L"up", s.m_up);
}

// ---- clipping plane -----------------------------------------------------------------

static std::size_t checkedCoefficient(ExcClippingPlane::ECoefficient i) {
    if (static_cast<unsigned>(i) > ExcClippingPlane::d) throw std::invalid_argument("out of range");
    return static_cast<std::size_t>(i);
}

double ExcClippingPlane::coefficient(ECoefficient i) const {
    return m_coefficients[checkedCoefficient(i)];
}

ExcClippingPlane& ExcClippingPlane::setCoefficient(ECoefficient i, double v) {
    m_coefficients[checkedCoefficient(i)] = v;
    return *this;
}

// An empty plane travels as null, which reads back as no fault and no change.
void ExcClippingPlane::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!value.IsNull()) json::readRecord<IJsonObject>(*this, value, "ExcClippingPlane", TRX_FIELDS_LIST_);
}

void ExcClippingPlane::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    if (isEmpty())
        value.SetNull();
    else
        json::writeRecord<IJsonObject>(*this, value, allocator, TRX_FIELDS_LIST_);
}

TRX_BINARY_THROUGH_DOCUMENT(ExcClippingPlane)

// Not member-wise: values whose flag is off do not travel.
bool ExcClippingPlane::operator==(const ExcClippingPlane& o) const {
    if (m_hasPlane != o.m_hasPlane || m_hasCoefficients != o.m_hasCoefficients) return false;
    if (m_hasPlane && (m_origin != o.m_origin || m_vectorU != o.m_vectorU || m_vectorV != o.m_vectorV))
        return false;
    return !m_hasCoefficients || m_coefficients == o.m_coefficients;
}

template <class Self, class F>
void ExcClippingPlane::fields(Self& s, F&& f) {
    f(L"origin", json::flagged(s.m_origin, s.m_hasPlane));
    f(L"u", json::flagged(s.m_vectorU, s.m_hasPlane));
    f(L"v", json::flagged(s.m_vectorV, s.m_hasPlane));
    f(L"plane_coefficients", json::leadingItems(s.m_coefficients, s.m_hasCoefficients));
}

}  // namespace trx
