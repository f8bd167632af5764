#include "Pictures.h"

#include "views/MapProjection.h"

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;
// Brightness at the limb relative to the centre of the disc; the shading
// rises with the square root of the view-direction cosine, so most of the
// disc stays bright and only a narrow rim darkens.
constexpr double kLimbBrightness = 0.45;

uchar toByte(double v) {
    if (v <= 0) return 0;
    if (v >= 255) return 255;
    return static_cast<uchar>(v + 0.5);
}

}   // namespace

EquirectSampler::EquirectSampler(const QImage& source) {
    if (source.isNull() || source.width() < 2 || source.height() < 2) return;
    image_ = source.convertToFormat(QImage::Format_RGB888);
    width_ = image_.width();
    height_ = image_.height();
}

double EquirectSampler::columnOf(double longitude) const {
    return (longitude + 180.0) / 360.0 * width_ - 0.5;
}

double EquirectSampler::rowOf(double latitude) const {
    return (90.0 - latitude) / 180.0 * height_ - 0.5;
}

void EquirectSampler::sampleAt(double u, double v, float rgb[3]) const {
    if (width_ == 0) {
        rgb[0] = rgb[1] = rgb[2] = 0;
        return;
    }
    u = std::fmod(u, static_cast<double>(width_));
    if (u < 0) u += width_;
    v = std::clamp(v, 0.0, static_cast<double>(height_ - 1));
    int i0 = static_cast<int>(u);
    if (i0 >= width_) i0 = width_ - 1;
    const int i1 = (i0 + 1) % width_;
    int j0 = static_cast<int>(v);
    if (j0 >= height_ - 1) j0 = height_ - 2;
    const int j1 = j0 + 1;
    const float fu = static_cast<float>(u - i0);
    const float fv = static_cast<float>(v - j0);
    const uchar* a = image_.constScanLine(j0);
    const uchar* b = image_.constScanLine(j1);
    for (int c = 0; c < 3; ++c) {
        const float top = a[3 * i0 + c] + (a[3 * i1 + c] - a[3 * i0 + c]) * fu;
        const float bottom = b[3 * i0 + c] + (b[3 * i1 + c] - b[3 * i0 + c]) * fu;
        rgb[c] = top + (bottom - top) * fv;
    }
}

void EquirectSampler::sample(double latitude, double longitude, float rgb[3]) const {
    sampleAt(columnOf(longitude), rowOf(latitude), rgb);
}

QImage loadEarthImage(const std::string& path) {
    QImage image;
    if (!image.load(QString::fromStdString(path))) return {};
    return image;
}

QImage renderGlobe(const EquirectSampler& earth, double centralLongitude, int size) {
    if (size <= 0) return {};
    QImage out(size, size, QImage::Format_RGB888);
    out.fill(Qt::black);
    if (earth.isNull()) return out;

    const double radius = size / 2.0;
    const double inv = 1.0 / radius;
    // Pixels up to one pixel beyond the rim are partly covered by the disc.
    const double edge = 1.0 + inv;
    std::vector<double> xs(static_cast<size_t>(size));
    for (int i = 0; i < size; ++i) xs[static_cast<size_t>(i)] = (i + 0.5 - radius) * inv;

    for (int j = 0; j < size; ++j) {
        const double y = (j + 0.5 - radius) * inv;
        if (std::fabs(y) >= edge) continue;
        const double rowV = earth.rowOf(std::asin(std::clamp(-y, -1.0, 1.0)) / kDegree);
        uchar* line = out.scanLine(j);
        for (int i = 0; i < size; ++i) {
            const double x = xs[static_cast<size_t>(i)];
            const double r2 = x * x + y * y;
            if (r2 >= edge * edge) continue;
            const double r = std::sqrt(r2);
            const double coverage = std::clamp((1.0 - r) * radius + 0.5, 0.0, 1.0);
            if (coverage <= 0) continue;
            double px = x, py = y, v = rowV;
            if (r > 1.0) {   // rim pixel: take the colour of the rim point
                px = x / r;
                py = y / r;
                v = earth.rowOf(std::asin(std::clamp(-py, -1.0, 1.0)) / kDegree);
            }
            const double z = std::sqrt(std::max(0.0, 1.0 - px * px - py * py));
            const double longitude = centralLongitude + std::atan2(px, z) / kDegree;
            float rgb[3];
            earth.sampleAt(earth.columnOf(longitude), v, rgb);
            const double shade = (kLimbBrightness + (1.0 - kLimbBrightness) * std::sqrt(z))
                                 * coverage;
            line[3 * i + 0] = toByte(rgb[0] * shade);
            line[3 * i + 1] = toByte(rgb[1] * shade);
            line[3 * i + 2] = toByte(rgb[2] * shade);
        }
    }
    return out;
}

int worldMapHeight(int width) {
    const double m0 = mercatorLookup(kWorldMapSouth);
    const double m1 = mercatorLookup(kWorldMapNorth);
    return static_cast<int>(std::lround(width * (m1 - m0) / 360.0));
}

double latitudeOfOrdinate(double ordinate) {
    double lo = -88, hi = 88;
    if (ordinate <= mercatorLookup(lo)) return lo;
    if (ordinate >= mercatorLookup(hi)) return hi;
    for (int k = 0; k < 60; ++k) {
        const double mid = 0.5 * (lo + hi);
        if (mercatorLookup(mid) < ordinate)
            lo = mid;
        else
            hi = mid;
    }
    return 0.5 * (lo + hi);
}

QImage renderWorldMap(const EquirectSampler& earth, int width) {
    if (width <= 0) return {};
    const int height = worldMapHeight(width);
    QImage out(width, height, QImage::Format_RGB888);
    out.fill(Qt::black);
    if (earth.isNull() || height <= 0) return out;

    const double m0 = mercatorLookup(kWorldMapSouth);
    const double m1 = mercatorLookup(kWorldMapNorth);
    std::vector<double> us(static_cast<size_t>(width));
    for (int i = 0; i < width; ++i) {
        double longitude = kWorldMapLeftLongitude + (i + 0.5) * 360.0 / width;
        if (longitude >= 180) longitude -= 360;
        us[static_cast<size_t>(i)] = earth.columnOf(longitude);
    }
    for (int j = 0; j < height; ++j) {
        // Row j spans the ordinates m1 - j*step .. m1 - (j+1)*step; the map
        // window puts the ordinate m at y = H - (m - m0) * H / (m1 - m0).
        const double ordinate = m1 - (j + 0.5) * (m1 - m0) / height;
        const double v = earth.rowOf(latitudeOfOrdinate(ordinate));
        uchar* line = out.scanLine(j);
        for (int i = 0; i < width; ++i) {
            float rgb[3];
            earth.sampleAt(us[static_cast<size_t>(i)], v, rgb);
            line[3 * i + 0] = toByte(rgb[0]);
            line[3 * i + 1] = toByte(rgb[1]);
            line[3 * i + 2] = toByte(rgb[2]);
        }
    }
    return out;
}

bool saveBmp24(const QImage& image, const std::string& path) {
    if (image.isNull()) return false;
    QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    // A fixed resolution keeps the file header the same whatever the screen.
    rgb.setDotsPerMeterX(2835);
    rgb.setDotsPerMeterY(2835);
    return rgb.save(QString::fromStdString(path), "BMP");
}
