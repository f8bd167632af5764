// Pure geometry on a spherical Earth: great-circle distance and azimuth, the
// orthographic projection of the globe view, rotations and angle wrapping.
#pragma once

#include <cstdint>

// Degrees to radians with the truncated factor the tables were built with.
constexpr double kDegToRad = 0.017453292;   // the products are rounded to float
constexpr double kRadToDeg = 57.29578121995553;
constexpr float kEarthRadiusKm = 6371.0f;

struct Vec3 {
    float x = 0, y = 0, z = 0;
};
struct PointF {
    float x = 0, y = 0;
};

struct GreatCircle {
    float distance = 0;   // degrees, 0..180
    float azimuth = 0;    // degrees, 0 <= azimuth < 360: direction of B seen from A
};

// Distance and azimuth from A to B. Coincident points give 0 and 0; a point at
// a pole gives a finite azimuth.
GreatCircle greatCircle(float latA, float lonA, float latB, float lonB);

// Orthographic projection for a globe centred on longitude `viewAngle`, in
// units of the Earth radius, x east and y down; (0, 0) when the point is on
// the far side.
PointF projectOrthographic(float latitude, float longitude, float viewAngle);
// The same projection, telling visibility apart from the centre of the disc
// (which also projects to (0, 0)): true when the point is on the near side.
bool projectOrthographic(float latitude, float longitude, float viewAngle, PointF& out);

Vec3 rotateAboutX(Vec3 v, float s, float c);
Vec3 rotateAboutY(Vec3 v, float s, float c);

// Brings a into 0..n-1 by adding or subtracting n; 0 when n is not positive.
int16_t wrapAngle(int16_t a, int16_t n);
