// Mercator projection of the world map: tabulated ordinates, fitting a
// longitude span and latitude range into a rectangle, latitude/longitude to pixel.
#pragma once

#include "data/EventFile.h"   // Rect

#include <cstdint>

// Exact Mercator ordinate in degrees.
double mercatorOrdinate(double latitude);
// Tabulated ordinate (one-arc-minute steps, interpolated). Latitudes of 89
// degrees and more, north or south, count as 88 (infinities too); a latitude
// that is not a number gives 0.
double mercatorLookup(double latitude);

class MapProjection {
public:
    double leftLongitude = 65;   // λ0, degrees east
    double sx = 1, sy = 1;
    double m0 = 0, m1 = 0;
    int32_t mapHeight = 0;

    // Adjusts `rect` in place to the fitted map rectangle (new left/top
    // measured from 0) and sets the scales.
    void fitMap(double span, double southLat, double northLat, Rect& rect);
    // Pixel offsets from the map rectangle's top-left corner.
    void mapPoint(double latitude, double longitude, int32_t& x, int32_t& y) const;
};

float longitudeOffset(float longitude, float leftLongitude);
