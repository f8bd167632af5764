#include "views/MapProjection.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace {

// Ordinates for 0 to 89 degrees at one-arc-minute steps; room up to 90.
constexpr int kLastEntry = 89 * 60;
using MercatorTable = std::array<float, 90 * 60>;

const MercatorTable& mercatorTable() {
    static const MercatorTable table = [] {
        MercatorTable t{};
        for (int i = 0; i <= kLastEntry; ++i)
            t[static_cast<std::size_t>(i)] = static_cast<float>(
                mercatorOrdinate(i * 0.016666666666666666));
        return t;
    }();
    return table;
}

// Truncates toward zero into the 32-bit range; a value that is not a number gives 0.
int32_t toPixel(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

}   // namespace

double mercatorOrdinate(double latitude) {
    return std::log(std::tan(latitude * 0.017453292 * 0.5 + 0.785398163398)) * 57.29578121995553;
}

double mercatorLookup(double latitude) {
    if (std::isnan(latitude)) return 0;   // no latitude: the equator
    const bool south = latitude < 0;
    double a = std::fabs(latitude);
    if (a >= 89) a = 88;   // the poles lie at infinity; infinities land here too
    const float m = static_cast<float>(a * 60);
    int k = static_cast<int>(m);
    float f = m - static_cast<float>(k);
    if (k >= kLastEntry) {   // a hair below 89 rounds up to the last entry
        k = kLastEntry - 1;
        f = 1;
    }
    const MercatorTable& t = mercatorTable();
    const float lo = t[static_cast<std::size_t>(k)];
    const float hi = t[static_cast<std::size_t>(k) + 1];
    const float v = lo + (hi - lo) * f;
    return south ? -v : v;
}

float longitudeOffset(float longitude, float leftLongitude) {
    float d = longitude - leftLongitude;
    if (d < 0) d += 360;
    return d;
}

void MapProjection::fitMap(double span, double southLat, double northLat, Rect& rect) {
    if (span == 0) span = 360;
    const int32_t w = rect.right - rect.left;
    const int32_t h = rect.bottom - rect.top;
    sx = w / span;
    m0 = mercatorLookup(southLat);
    m1 = mercatorLookup(northLat);
    sy = h / (m1 - m0);
    if (sy < sx) {   // the height limits the map
        sx = sy;
        const int32_t wFit = toPixel(sy * span);
        rect.left = toPixel((static_cast<double>(w) - wFit) / 2);
        rect.right = toPixel((static_cast<double>(w) + wFit) / 2);
        mapHeight = h;
    } else {   // the width limits it
        sy = sx;
        const int32_t hFit = toPixel((m1 - m0) * sx);
        rect.top = toPixel((static_cast<double>(h) - hFit) / 2);
        rect.bottom = toPixel((static_cast<double>(h) + hFit) / 2);
        mapHeight = hFit;
    }
}

void MapProjection::mapPoint(double latitude, double longitude, int32_t& x, int32_t& y) const {
    if (longitude < 0) longitude += 360;
    const float d = longitudeOffset(static_cast<float>(longitude),
                                    static_cast<float>(leftLongitude));
    x = toPixel(sx * d);
    y = toPixel(mapHeight - (mercatorLookup(latitude) - m0) * sy);
}
