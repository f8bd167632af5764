// Distances and azimuths on the sphere, the globe's projection and rotations.
#include "seismology/SphericalGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// Independent double-precision reference: haversine distance and the
// forward azimuth from A to B (in -180..180; angleGap compares it to 0..360).
void reference(double latA, double lonA, double latB, double lonB, double& dist, double& az) {
    const double r = M_PI / 180, pA = latA * r, pB = latB * r, dl = (lonB - lonA) * r;
    const double h = std::pow(std::sin((pB - pA) / 2), 2) + std::cos(pA) * std::cos(pB) * std::pow(std::sin(dl / 2), 2);
    dist = 2 * std::asin(std::min(1.0, std::sqrt(h))) / r;
    az = std::atan2(std::sin(dl) * std::cos(pB), std::cos(pA) * std::sin(pB) - std::sin(pA) * std::cos(pB) * std::cos(dl)) / r;
}

double angleGap(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180 ? 360 - d : d;
}

bool sane(const GreatCircle& g) { return g.distance >= 0.0f && g.distance <= 180.0f && g.azimuth >= 0.0f && g.azimuth < 360.0f; }

}   // namespace

TEST(GreatCircle, KnownPlacesPolesAndCoincidentPoints) {
    struct Case {
        float latA, lonA, latB, lonB, dist, az;
    };
    const Case cases[] = {
        {0, 0, 0, -90, 90, 270},
        {0, 0, -45, 0, 45, 180},
        {10, 170, 10, -170, 19.7f, 88.2f},
        {10, -170, 10, 170, 19.7f, 271.8f},   // across the date line
        {90, 0, 10, 40, 80, 180},
        {-90, 123, 10, 40, 100, 0},   // from a pole: due south or north
        {30, 77, 90, 0, 60, 0},
        {30, 77, -90, 10, 120, 180},   // to a pole
        {0, 0, 0, 180, 180, -1},       // antipodes: any direction
        {47.37f, 8.54f, 47.37f, 8.54f, 0, 0},
        {-90, 45, -90, 45, 0, 0},
        {89.999f, -179.9f, 89.999f, -179.9f, 0, 0},
        {20, -180, 20, 180, 0, -1},
    };
    for (const Case& c : cases) {
        const GreatCircle g = greatCircle(c.latA, c.lonA, c.latB, c.lonB);
        EXPECT_TRUE(std::fabs(g.distance - c.dist) <= 0.05 && (c.az < 0 || angleGap(g.azimuth, c.az) < 0.3) && sane(g))
            << c.latA << "," << c.lonA << " -> " << c.latB << "," << c.lonB << ": " << g.distance << " " << g.azimuth;
    }
    for (float bad : {NAN, INFINITY, -INFINITY}) EXPECT_TRUE(sane(greatCircle(bad, 0, 10, 10)) && sane(greatCircle(0, 0, 10, bad))) << bad;
    // Degrees become radians with the truncated factor 0.017453292 and the
    // product is rounded to a float; the float nearest pi/180 would move some
    // distances by a few millionths of a degree, enough to shift an arrival time
    // truncated to whole seconds: 39.9999962 degrees is 399 s at 10 s a degree.
    EXPECT_EQ(greatCircle(-30, 20, 10, 20).distance, 39.9999962f);
}

TEST(GreatCircle, AgreesWithDoublePrecisionEverywhere) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> lat(-89.5f, 89.5f), lon(-180.0f, 180.0f);
    for (int i = 0; i < 20000; ++i) {
        const float la = lat(rng), oa = lon(rng), lb = lat(rng), ob = lon(rng);
        const GreatCircle g = greatCircle(la, oa, lb, ob);
        double dist, az;
        reference(la, oa, lb, ob, dist, az);
        const bool azimuthDefined = dist > 1 && dist < 179 && std::fabs(la) < 85;
        ASSERT_TRUE(std::fabs(g.distance - dist) <= 0.05 && (!azimuthDefined || angleGap(g.azimuth, az) < 0.2))
            << la << "," << oa << " -> " << lb << "," << ob;
    }
}

TEST(Orthographic, MatchesTheClosedFormAndTellsTheCentreFromHidden) {
    PointF p;
    EXPECT_TRUE(projectOrthographic(0, 180, 180, p));   // the centre projects to (0, 0)
    EXPECT_FALSE(projectOrthographic(30, 0, 180, p));   // hidden reads as (0, 0) too
    EXPECT_EQ(std::make_tuple(p.x, p.y), std::make_tuple(0.0f, 0.0f));
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> lat(-90, 90), lon(-180, 180);
    const double r = M_PI / 180;
    for (int i = 0; i < 5000; ++i) {
        const float la = lat(rng), lo = lon(rng), va = lon(rng) + 180;
        const double depth = std::cos(la * r) * std::cos((lo - va) * r);
        if (std::fabs(depth) < 1e-3) continue;   // too close to the rim to call
        ASSERT_EQ(projectOrthographic(la, lo, va, p), depth > 0) << la << "," << lo << " view " << va;
        ASSERT_TRUE(depth < 0
                    || (std::fabs(p.x - std::cos(la * r) * std::sin((lo - va) * r)) < 1e-4 && std::fabs(p.y + std::sin(la * r)) < 1e-4))
            << la << "," << lo << " view " << va;
    }
}

TEST(WrapAngle, BringsAnyAngleIntoRange) {
    const std::pair<int, int> wraps[] = {{-90, 270}, {405, 45}, {0, 0}, {359, 359}, {360, 0}, {-360, 0}, {-32768, 352}, {32767, 7}};
    for (auto [in, out] : wraps) EXPECT_EQ(wrapAngle(in, 360), out) << in;
    EXPECT_EQ(std::make_tuple(wrapAngle(-5, 0), wrapAngle(5, -360)), std::make_tuple(0, 0));   // no range: no endless loop
}
