#include "test_support.h"

#include "trx_api/trx_api_exchange_visualization_camera.h"

using namespace trx;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::roundTrip;
using trx::test::toText;

TEST(VisuCamera, TypeDecidesWhichDoubleTravels) {
    ExcCamera c;
    c.setName(L"front");
    c.setPerspectiveViewAngle(0.5);
    c.setOrthographicZoomFactor(2.0);
    c.setEye(ExcVector3d(0, 0, 10));
    c.setUp(ExcVector3d(0, 1, 0));
    EXPECT_EQ(toText(c), L"{\"type\":\"undefined\",\"name\":\"front\",\"eye\":[0.0,0.0,10.0],"
                         L"\"target\":[0.0,0.0,0.0],\"up\":[0.0,1.0,0.0]}");
    c.setType(ExcCamera::EType::perspective);
    EXPECT_EQ(toText(c), L"{\"type\":\"perspective\",\"name\":\"front\",\"perspective_view_angle\":0.5,"
                         L"\"eye\":[0.0,0.0,10.0],\"target\":[0.0,0.0,0.0],\"up\":[0.0,1.0,0.0]}");
    EXPECT_EQ(roundTrip(c), c);
    c.setType(ExcCamera::EType::orthographic);
    const ExcCamera back = roundTrip(c);
    EXPECT_EQ(back, c);
    EXPECT_EQ(back.orthographicZoomFactor(), 2.0);
    EXPECT_EQ(back.perspectiveViewAngle(), 0.0);

    // Both doubles are read whatever the type; an unknown type name reads as the first by name.
    ExcCamera r;
    parseInto(r, L"{\"type\":\"fisheye\",\"perspective_view_angle\":1.5,\"orthographic_zoom_factor\":3.0}");
    EXPECT_EQ(r.type(), ExcCamera::EType::orthographic);
    EXPECT_EQ(r.perspectiveViewAngle(), 1.5);
    EXPECT_EQ(r.orthographicZoomFactor(), 3.0);

    LogCapture log;
    parseInto(r, L"[]");
    EXPECT_TRUE(log.contains("ExcCamera object should have a JSON object type."));
}

TEST(VisuClippingPlane, NullFormFlagsAndCoefficients) {
    ExcClippingPlane p;
    EXPECT_EQ(toText(p), L"null");
    p.setVectorU(ExcVector3d(1, 0, 0));
    p.setCoefficient(ExcClippingPlane::d, 4.0);
    EXPECT_EQ(toText(p), L"null");  // values without flags do not travel
    p.setHasCoefficients(true);
    EXPECT_EQ(toText(p), L"{\"plane_coefficients\":[0.0,0.0,0.0,4.0]}");
    p.setHasPlane(true);
    EXPECT_EQ(roundTrip(p), p);
    EXPECT_THROW(p.setCoefficient(static_cast<ExcClippingPlane::ECoefficient>(4), 1.0), std::invalid_argument);

    ExcClippingPlane u;
    parseInto(u, L"{\"u\": [1.0, 0.0, 0.0]}");
    EXPECT_TRUE(u.hasPlane());
    EXPECT_FALSE(u.hasCoefficients());
    EXPECT_EQ(u.vectorU(), ExcVector3d(1, 0, 0));
    EXPECT_EQ(u.origin(), ExcVector3d());

    ExcClippingPlane c;
    parseInto(c, L"{\"plane_coefficients\": [1.0, 2.0, 3, 4.0]}");  // stops at the integer
    EXPECT_TRUE(c.hasCoefficients());
    EXPECT_FALSE(c.hasPlane());
    EXPECT_EQ(c.coefficients(), (std::array<double, 4>{1.0, 2.0, 0.0, 0.0}));

    // null is the empty plane, not a fault; other kinds are.
    LogCapture log;
    parseInto(c, L"null");
    EXPECT_EQ(log.records(), 0);
    EXPECT_TRUE(c.hasCoefficients());
    parseInto(c, L"7");
    EXPECT_TRUE(log.contains("ExcClippingPlane object should have a JSON object type."));
}
