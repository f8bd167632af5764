#include "seismology/SphericalGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

float radians(float degrees) { return static_cast<float>(degrees * kDegToRad); }

// Radians back to degrees with the reciprocal of the truncated factor,
// rounded to a 32-bit float like every other intermediate.
float degrees(float radiansValue) { return static_cast<float>(radiansValue * kRadToDeg); }

float clampUnit(float v) { return v > 1.0f ? 1.0f : (v < -1.0f ? -1.0f : v); }

// True when B lies to the west of A: the longitude difference B - A,
// brought into -180..180, is negative.
bool westOf(float lonA, float lonB) {
    float d = std::fmod(lonB - lonA, 360.0f);
    if (d > 180.0f)
        d -= 360.0f;
    else if (d <= -180.0f)
        d += 360.0f;
    return d < 0.0f;
}

}   // namespace

GreatCircle greatCircle(float latA, float lonA, float latB, float lonB) {
    GreatCircle r;
    if (!std::isfinite(latA) || !std::isfinite(lonA) || !std::isfinite(latB)
        || !std::isfinite(lonB))
        return r;

    const float theta1 = radians(90.0f - latA);
    const float theta2 = radians(90.0f - latB);
    const float delta = radians(lonA - lonB);

    const float sinT1 = std::sin(theta1), cosT1 = std::cos(theta1);
    const float sinT2 = std::sin(theta2), cosT2 = std::cos(theta2);

    // Rounding can carry the cosine a hair beyond +-1 for coincident or
    // antipodal points; arccos would then give no number.
    const float cosD = clampUnit(sinT1 * sinT2 * std::cos(delta) + cosT1 * cosT2);
    // The truncated factor turns a float pi into a hair more than 180.
    r.distance = std::min(degrees(std::acos(cosD)), 180.0f);

    if (r.distance == 0.0f) return r;   // coincident points: azimuth 0
    // From a pole every direction is the same meridian: due south from the
    // north pole, due north from the south pole.
    if (latA >= 90.0f) {
        r.azimuth = 180.0f;
        return r;
    }
    if (latA <= -90.0f) return r;

    const float sinD = std::sqrt(1.0f - cosD * cosD);
    const float denominator = sinD * sinT1;
    if (!(denominator != 0.0f)) return r;   // antipodal: no direction stands out

    const float cosZ = (cosT2 - cosD * cosT1) / denominator;
    float z;
    if (!std::isfinite(cosZ) || cosZ >= 1.0f)
        z = 0.0f;
    else if (cosZ <= -1.0f)
        z = 180.0f;
    else
        z = std::min(degrees(std::acos(cosZ)), 180.0f);

    float azimuth = westOf(lonA, lonB) ? 360.0f - z : z;
    if (azimuth >= 360.0f) azimuth -= 360.0f;
    r.azimuth = azimuth;
    return r;
}

Vec3 rotateAboutX(Vec3 v, float s, float c) { return {v.x, c * v.y + s * v.z, c * v.z - s * v.y}; }

Vec3 rotateAboutY(Vec3 v, float s, float c) { return {c * v.x - s * v.z, v.y, s * v.x + c * v.z}; }

bool projectOrthographic(float latitude, float longitude, float viewAngle, PointF& out) {
    const float theta = radians(90.0f - latitude);
    const float phi = radians(longitude);
    const float alpha = radians(viewAngle + 90.0f);
    const float sinTheta = std::sin(theta);
    const Vec3 v{sinTheta * std::cos(phi), -std::cos(theta), -sinTheta * std::sin(phi)};
    const Vec3 r = rotateAboutY(v, std::sin(alpha), std::cos(alpha));
    if (r.z > 0.0f) {
        out = {r.x, r.y};
        return true;
    }
    out = {0.0f, 0.0f};
    return false;
}

PointF projectOrthographic(float latitude, float longitude, float viewAngle) {
    PointF p;
    projectOrthographic(latitude, longitude, viewAngle, p);
    return p;
}

int16_t wrapAngle(int16_t a, int16_t n) {
    if (n <= 0) return 0;   // no range to wrap into
    int r = a % n;
    if (r < 0) r += n;
    return static_cast<int16_t>(r);
}
