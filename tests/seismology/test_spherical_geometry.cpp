#include "seismology/SphericalGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

// Independent double-precision reference: haversine distance and the
// forward azimuth from A to B.
void reference(double latA, double lonA, double latB, double lonB, double& dist, double& az) {
    const double r = M_PI / 180;
    const double pA = latA * r, pB = latB * r, dl = (lonB - lonA) * r;
    const double h = std::pow(std::sin((pB - pA) / 2), 2) +
                     std::cos(pA) * std::cos(pB) * std::pow(std::sin(dl / 2), 2);
    dist = 2 * std::asin(std::min(1.0, std::sqrt(h))) / r;
    az = std::atan2(std::sin(dl) * std::cos(pB),
                    std::cos(pA) * std::sin(pB) - std::sin(pA) * std::cos(pB) * std::cos(dl)) / r;
    if (az < 0) az += 360;
}

double angleGap(double a, double b) {
    double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180 ? 360 - d : d;
}

void expectSane(const GreatCircle& g) {
    EXPECT_TRUE(std::isfinite(g.distance));
    EXPECT_TRUE(std::isfinite(g.azimuth));
    EXPECT_GE(g.distance, 0.0f);
    EXPECT_LE(g.distance, 180.0f);
    EXPECT_GE(g.azimuth, 0.0f);
    EXPECT_LT(g.azimuth, 360.0f);
}

}  // namespace

// 32-bit arithmetic leaves a few hundredths of a degree where arccos is taken
// close to 1; the station dialog shows one decimal, which hides them.
std::string oneDecimal(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}

TEST(GreatCircle, CardinalDirectionsFromTheOrigin) {
    struct Case { float lat, lon; const char* dist; const char* az; };
    const Case cases[] = {{0, 90, "90.0", "90.0"},
                          {0, -90, "90.0", "270.0"},
                          {45, 0, "45.0", "0.0"},
                          {-45, 0, "45.0", "180.0"}};
    for (const Case& c : cases) {
        const GreatCircle g = greatCircle(0, 0, c.lat, c.lon);
        EXPECT_EQ(oneDecimal(g.distance), c.dist) << c.lat << "," << c.lon;
        EXPECT_EQ(oneDecimal(g.azimuth), c.az) << c.lat << "," << c.lon;
        EXPECT_NEAR(g.distance, std::atof(c.dist), 0.03);
        EXPECT_NEAR(g.azimuth, std::atof(c.az), 0.03);
    }
}

TEST(GreatCircle, AcrossTheDateLineBothWays) {
    const GreatCircle east = greatCircle(10, 170, 10, -170);
    EXPECT_NEAR(east.distance, 19.7, 0.05);
    EXPECT_NEAR(east.azimuth, 88.2, 0.3);
    const GreatCircle west = greatCircle(10, -170, 10, 170);
    EXPECT_NEAR(west.distance, east.distance, 1e-4);
    EXPECT_NEAR(west.azimuth, 360 - east.azimuth, 1e-3);
}

TEST(GreatCircle, CoincidentPointsGiveZeroDistanceAndAzimuth) {
    const float points[][2] = {{0, 0}, {47.37f, 8.54f}, {-33.9f, 151.2f}, {90, 0}, {-90, 45},
                               {12.5f, 180}, {89.999f, -179.9f}};
    for (const auto& p : points) {
        const GreatCircle g = greatCircle(p[0], p[1], p[0], p[1]);
        EXPECT_EQ(g.distance, 0.0f) << p[0] << "," << p[1];
        EXPECT_EQ(g.azimuth, 0.0f) << p[0] << "," << p[1];
    }
    // The same place written with another longitude.
    const GreatCircle g = greatCircle(20, -180, 20, 180);
    EXPECT_NEAR(g.distance, 0.0f, 0.05);
    expectSane(g);
}

TEST(GreatCircle, PolesGiveFiniteDirections) {
    // Seen from the north pole everything lies south, from the south pole north.
    const GreatCircle fromNorth = greatCircle(90, 0, 10, 40);
    EXPECT_NEAR(fromNorth.distance, 80, 1e-3);
    EXPECT_EQ(fromNorth.azimuth, 180.0f);
    const GreatCircle fromSouth = greatCircle(-90, 123, 10, 40);
    EXPECT_NEAR(fromSouth.distance, 100, 1e-3);
    EXPECT_EQ(fromSouth.azimuth, 0.0f);
    // A pole seen from elsewhere lies due north or due south.
    const GreatCircle toNorth = greatCircle(30, 77, 90, 0);
    EXPECT_NEAR(toNorth.distance, 60, 1e-3);
    EXPECT_NEAR(angleGap(toNorth.azimuth, 0), 0, 0.1);
    const GreatCircle toSouth = greatCircle(30, 77, -90, 10);
    EXPECT_NEAR(toSouth.distance, 120, 1e-3);
    EXPECT_NEAR(toSouth.azimuth, 180, 0.1);
    for (float lat : {90.0f, -90.0f, 89.9999f, -89.9999f})
        for (float lon : {-180.0f, -45.0f, 0.0f, 179.0f}) {
            expectSane(greatCircle(lat, lon, -12, 33));
            expectSane(greatCircle(-12, 33, lat, lon));
        }
}

TEST(GreatCircle, AntipodesAndBadInputStayFinite) {
    const GreatCircle g = greatCircle(0, 0, 0, 180);
    EXPECT_NEAR(g.distance, 180, 1e-3);
    expectSane(g);
    expectSane(greatCircle(35, 20, -35, -160));
    expectSane(greatCircle(NAN, 0, 10, 10));
    expectSane(greatCircle(0, INFINITY, 10, 10));
    expectSane(greatCircle(0, 0, 10, -INFINITY));
}

TEST(GreatCircle, AgreesWithDoublePrecisionEverywhere) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> lat(-89.5f, 89.5f), lon(-180.0f, 180.0f);
    for (int i = 0; i < 20000; ++i) {
        const float la = lat(rng), oa = lon(rng), lb = lat(rng), ob = lon(rng);
        const GreatCircle g = greatCircle(la, oa, lb, ob);
        expectSane(g);
        double dist, az;
        reference(la, oa, lb, ob, dist, az);
        ASSERT_NEAR(g.distance, dist, 0.05) << la << "," << oa << " -> " << lb << "," << ob;
        if (dist > 1 && dist < 179 && std::fabs(la) < 85) {
            ASSERT_LT(angleGap(g.azimuth, az), 0.2)
                << la << "," << oa << " -> " << lb << "," << ob << " ref " << az;
        }
    }
}

TEST(Orthographic, ViewAngleExamples) {
    PointF p;
    // The centre of the disc projects to (0, 0), which callers read as hidden;
    // the overload with a result flag tells it apart.
    p = projectOrthographic(0, 180, 180);
    EXPECT_NEAR(p.x, 0, 1e-5);
    EXPECT_NEAR(p.y, 0, 1e-5);
    EXPECT_TRUE(projectOrthographic(0, 180, 180, p));

    p = projectOrthographic(30, 150, 180);
    EXPECT_NEAR(p.x, -0.433, 1e-3);
    EXPECT_NEAR(p.y, -0.5, 1e-3);

    p = projectOrthographic(30, 0, 180);
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 0.0f);
    EXPECT_FALSE(projectOrthographic(30, 0, 180, p));
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 0.0f);
}

TEST(Orthographic, MatchesTheClosedForm) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> lat(-90, 90), lon(-180, 180), view(0, 360);
    const double r = M_PI / 180;
    for (int i = 0; i < 5000; ++i) {
        const float la = lat(rng), lo = lon(rng), va = view(rng);
        const double depth = std::cos(la * r) * std::cos((lo - va) * r);
        if (std::fabs(depth) < 1e-3) continue;   // too close to the rim to call
        PointF p;
        const bool visible = projectOrthographic(la, lo, va, p);
        ASSERT_EQ(visible, depth > 0) << la << "," << lo << " view " << va;
        if (visible) {
            ASSERT_NEAR(p.x, std::cos(la * r) * std::sin((lo - va) * r), 1e-4);
            ASSERT_NEAR(p.y, -std::sin(la * r), 1e-4);
        }
    }
}

TEST(Rotation, QuarterTurnsAndTheirInverses) {
    const Vec3 v{1, 2, 3};
    const Vec3 x = rotateAboutX(v, 1, 0);   // (x, z, -y)
    EXPECT_FLOAT_EQ(x.x, 1);
    EXPECT_FLOAT_EQ(x.y, 3);
    EXPECT_FLOAT_EQ(x.z, -2);
    const Vec3 y = rotateAboutY(v, 1, 0);   // (-z, y, x)
    EXPECT_FLOAT_EQ(y.x, -3);
    EXPECT_FLOAT_EQ(y.y, 2);
    EXPECT_FLOAT_EQ(y.z, 1);

    const float s = std::sin(0.7f), c = std::cos(0.7f);
    const Vec3 bx = rotateAboutX(rotateAboutX(v, s, c), -s, c);
    const Vec3 by = rotateAboutY(rotateAboutY(v, s, c), -s, c);
    for (const Vec3& b : {bx, by}) {
        EXPECT_NEAR(b.x, v.x, 1e-5);
        EXPECT_NEAR(b.y, v.y, 1e-5);
        EXPECT_NEAR(b.z, v.z, 1e-5);
    }
}

TEST(WrapAngle, BringsAnyAngleIntoRange) {
    EXPECT_EQ(wrapAngle(-90, 360), 270);
    EXPECT_EQ(wrapAngle(405, 360), 45);
    EXPECT_EQ(wrapAngle(0, 360), 0);
    EXPECT_EQ(wrapAngle(359, 360), 359);
    EXPECT_EQ(wrapAngle(360, 360), 0);
    EXPECT_EQ(wrapAngle(-360, 360), 0);
    EXPECT_EQ(wrapAngle(-32768, 360), 352);   // -32768 = -92 * 360 + 352
    EXPECT_EQ(wrapAngle(32767, 360), 7);
    // No range to wrap into: an answer, not an endless loop.
    EXPECT_EQ(wrapAngle(-5, 0), 0);
    EXPECT_EQ(wrapAngle(5, -360), 0);
}

// Degrees become radians with the truncated factor 0.017453292 and the
// product is rounded to a float; the float nearest pi/180 would move some
// distances by a few millionths of a degree, enough to shift an arrival
// time truncated to whole seconds.
TEST(GreatCircleArithmetic, UsesTheTruncatedDegreeFactor)
{
    const auto rad = [](float d) { return static_cast<float>(d * 0.017453292); };
    EXPECT_EQ(rad(180.0f), 3.1415925f);
    const float t1 = rad(120.0f), t2 = rad(80.0f);
    const float cosD = std::sin(t1) * std::sin(t2) * std::cos(rad(0.0f)) + std::cos(t1) * std::cos(t2);
    const float expected = static_cast<float>(std::acos(cosD) * 57.29578121995553);
    EXPECT_EQ(greatCircle(-30, 20, 10, 20).distance, expected);
    EXPECT_LT(greatCircle(-30, 20, 10, 20).distance, 40.0f);   // 39.9999962: 399 s at 10 s per degree
}
