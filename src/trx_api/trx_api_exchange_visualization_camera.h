#pragma once

// How a saved view looks at the model: the camera and the clipping plane. Visualization
// captures and PMI captures both carry them.

#include <array>
#include <string>

#include "json/enum_strings.h"
#include "json/json_object.h"
#include "trx_api_exchange_common.h"

namespace trx {

class TRX_API ExcCamera : public IJsonObject {
public:
    enum class EType : int { undefined = 0, perspective = 1, orthographic = 2 };

    EType type() const { return m_type; }
    void setType(EType v) { m_type = v; }
    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    // Travels only with a perspective camera.
    double perspectiveViewAngle() const { return m_perspectiveViewAngle; }
    void setPerspectiveViewAngle(double v) { m_perspectiveViewAngle = v; }
    // Travels only with an orthographic camera.
    double orthographicZoomFactor() const { return m_orthographicZoomFactor; }
    void setOrthographicZoomFactor(double v) { m_orthographicZoomFactor = v; }
    const ExcVector3d& eye() const { return m_eye; }
    void setEye(const ExcVector3d& v) { m_eye = v; }
    const ExcVector3d& target() const { return m_target; }
    void setTarget(const ExcVector3d& v) { m_target = v; }
    const ExcVector3d& up() const { return m_up; }
    void setUp(const ExcVector3d& v) { m_up = v; }

    // Compares what travels: the zoom or angle only where the type carries it.
    TRX_JSON_RECORD(ExcCamera);

private:
    EType m_type = EType::undefined;
    std::wstring m_name;
    double m_perspectiveViewAngle = 0.0;
    double m_orthographicZoomFactor = 0.0;
    ExcVector3d m_eye;
    ExcVector3d m_target;
    ExcVector3d m_up;
};

// A plane given by an origin and two in-plane vectors, by its equation coefficients, or both.
// With neither it is "no clipping" and travels as null.
class TRX_API ExcClippingPlane : public IJsonObject {
public:
    // ax + by + cz + d = 0
    enum ECoefficient { a = 0, b = 1, c = 2, d = 3 };

    // Setting a vector or a coefficient leaves the flags alone.
    bool hasPlane() const { return m_hasPlane; }
    void setHasPlane(bool v) { m_hasPlane = v; }
    const ExcVector3d& origin() const { return m_origin; }
    void setOrigin(const ExcVector3d& v) { m_origin = v; }
    const ExcVector3d& vectorU() const { return m_vectorU; }
    void setVectorU(const ExcVector3d& v) { m_vectorU = v; }
    const ExcVector3d& vectorV() const { return m_vectorV; }
    void setVectorV(const ExcVector3d& v) { m_vectorV = v; }
    bool hasCoefficients() const { return m_hasCoefficients; }
    void setHasCoefficients(bool v) { m_hasCoefficients = v; }
    const std::array<double, 4>& coefficients() const { return m_coefficients; }
    // An index outside a..d throws std::invalid_argument "out of range".
    double coefficient(ECoefficient i) const;
    ExcClippingPlane& setCoefficient(ECoefficient i, double v);
    bool isEmpty() const { return !m_hasPlane && !m_hasCoefficients; }

    // Compares what travels: vectors only with the plane, coefficients only with theirs.
    TRX_JSON_RECORD(ExcClippingPlane);

private:
    bool m_hasPlane = false;
    ExcVector3d m_origin;
    ExcVector3d m_vectorU;
    ExcVector3d m_vectorV;
    bool m_hasCoefficients = false;
    std::array<double, 4> m_coefficients{};
};

}  // namespace trx
