#include "ViewTestSupport.h"

#include <algorithm>

TravelTimeTable linearTable(float secondsPerDegree, float offset) {
    TravelTimeTable t;
    t.count = kTableRows;
    for (int d = 0; d < kTableRows; ++d) t.times[static_cast<std::size_t>(d)] = offset + secondsPerDegree * d;
    return t;
}

std::unique_ptr<KSAC> makeTrace(const std::string& station, const std::vector<float>& samples, float delta, float start, float latitude,
                                float longitude) {
    auto k = std::make_unique<KSAC>();
    k->header.setUndefined();
    k->header.f[DELTA] = delta;
    k->header.i[NPTS] = static_cast<int32_t>(samples.size());
    k->header.f[DEPMIN] = *std::min_element(samples.begin(), samples.end());
    k->header.f[DEPMAX] = *std::max_element(samples.begin(), samples.end());
    k->samples = samples;
    k->ownsSamples = true;
    std::tie(k->stationName, k->label) = std::pair(station, station + "-BHZ");
    std::tie(k->stationLatitude, k->stationLongitude) = std::pair(latitude, longitude);
    std::tie(k->startTime, k->endTime) = std::pair(start, start + delta * static_cast<float>(samples.size()));
    return k;
}

QColor at(const QImage& image, QPoint origin, int x, int y) { return image.pixelColor(origin.x() + x, origin.y() + y); }

bool near(const QImage& image, QPoint origin, int x, int y, QColor colour, int radius) {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p(origin.x() + x + dx, origin.y() + y + dy);
            if (image.rect().contains(p) && image.pixelColor(p) == colour) return true;
        }
    return false;
}
