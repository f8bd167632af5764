// Rendering of the installation's pictures from an equirectangular Earth
// image (longitude -180 at the left edge, 90 N at the top).
#pragma once

#include <QImage>

#include <string>

// Bilinear sampler over an equirectangular picture; longitudes wrap,
// latitudes clamp at the poles.
class EquirectSampler {
public:
    explicit EquirectSampler(const QImage& source);
    bool isNull() const { return width_ == 0; }
    // Colour at a latitude/longitude (degrees), channels 0..255 as reals.
    void sample(double latitude, double longitude, float rgb[3]) const;
    // The same for a precomputed source position: column u and row v in
    // source pixels (pixel centres at integers).
    void sampleAt(double u, double v, float rgb[3]) const;
    double columnOf(double longitude) const;
    double rowOf(double latitude) const;

private:
    QImage image_;   // Format_RGB888
    int width_ = 0, height_ = 0;
};

// Loads the Earth picture; a null image when it cannot be read.
QImage loadEarthImage(const std::string& path);

// The globe of `size` x `size` pixels seen from above the equator at
// `centralLongitude`: orthographic, north up, east to the right, the sphere
// filling the square, black outside, darker towards the limb.
QImage renderGlobe(const EquirectSampler& earth, double centralLongitude, int size);

// Height of the world map of `width` pixels: the 360-degree span from 70 S
// to 75 N at equal scales on both axes (Mercator ordinates as the map
// window computes them).
int worldMapHeight(int width);
inline constexpr double kWorldMapLeftLongitude = 65;
inline constexpr double kWorldMapSouth = -70;
inline constexpr double kWorldMapNorth = 75;
// The Mercator world map, `width` pixels wide, left edge at 65 E.
QImage renderWorldMap(const EquirectSampler& earth, int width);
// Latitude whose tabulated Mercator ordinate is `ordinate` (inverse of
// mercatorLookup within +-88 degrees).
double latitudeOfOrdinate(double ordinate);

// The welcome picture (drawn, not sampled): 800 x 600.
QImage renderWelcome();

// Saves as a 24-bit BMP; false when the file cannot be written.
bool saveBmp24(const QImage& image, const std::string& path);
