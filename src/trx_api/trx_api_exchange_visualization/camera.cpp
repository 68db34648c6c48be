#include "../trx_api_exchange_visualization_camera.h"

#include <stdexcept>

#include "../detail/enum_table.h"
#include "../detail/fields.h"

namespace trx {

TRX_ENUM(ExcCamera::EType, undefined, perspective, orthographic);

// ---- camera -------------------------------------------------------------------------

void ExcCamera::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcCamera");
}

void ExcCamera::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

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

void ExcClippingPlane::readObject(const JsonValue& value) {
    TRX_TRACE();
    // An empty plane is written as null: reading it back is no fault and changes nothing.
    if (value.IsNull() || !json::isObjectOrLog(value, "ExcClippingPlane")) return;
    m_hasPlane |= json::get(value, L"origin", m_origin);
    m_hasPlane |= json::get(value, L"u", m_vectorU);
    m_hasPlane |= json::get(value, L"v", m_vectorV);
    const JsonValue* coefficients = json::member(value, L"plane_coefficients");
    if (coefficients != nullptr && coefficients->IsArray()) {
        m_hasCoefficients = true;
        // In order, up to the first missing or non-double element.
        for (rapidjson::SizeType i = 0; i < 4 && i < coefficients->Size() && (*coefficients)[i].IsDouble(); ++i)
            m_coefficients[i] = (*coefficients)[i].GetDouble();
    }
}

void ExcClippingPlane::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    if (isEmpty()) {
        value.SetNull();
        return;
    }
    value.SetObject();
    if (m_hasPlane) {
        json::put(value, allocator, L"origin", m_origin);
        json::put(value, allocator, L"u", m_vectorU);
        json::put(value, allocator, L"v", m_vectorV);
    }
    if (m_hasCoefficients) {
        JsonValue array(rapidjson::kArrayType);
        array.Reserve(4, allocator);
        for (double c : m_coefficients) array.PushBack(c, allocator);
        value.AddMember(L"plane_coefficients", array, allocator);
    }
}

bool ExcClippingPlane::operator==(const ExcClippingPlane& o) const {
    if (m_hasPlane != o.m_hasPlane || m_hasCoefficients != o.m_hasCoefficients) return false;
    if (m_hasPlane && (m_origin != o.m_origin || m_vectorU != o.m_vectorU || m_vectorV != o.m_vectorV))
        return false;
    return !m_hasCoefficients || m_coefficients == o.m_coefficients;
}

}  // namespace trx
