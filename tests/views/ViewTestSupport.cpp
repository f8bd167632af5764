#include "ViewTestSupport.h"

#include <QFile>

#include <algorithm>

TravelTimeTable linearTable(float secondsPerDegree, float offset) {
    TravelTimeTable t;
    t.count = kTableRows;
    for (int d = 0; d < kTableRows; ++d) t.times[static_cast<std::size_t>(d)] = offset + secondsPerDegree * d;
    return t;
}

std::unique_ptr<KSAC> makeTrace(const std::string& station, const std::vector<float>& samples,
                                float delta, float start, float latitude, float longitude) {
    auto k = std::make_unique<KSAC>();
    k->header.setUndefined();
    k->header.f[DELTA] = delta;
    k->header.i[NPTS] = static_cast<int32_t>(samples.size());
    k->header.f[DEPMIN] = *std::min_element(samples.begin(), samples.end());
    k->header.f[DEPMAX] = *std::max_element(samples.begin(), samples.end());
    k->samples = samples;
    k->ownsSamples = true;
    k->stationName = station;
    k->label = station + "-BHZ";
    k->stationLatitude = latitude;
    k->stationLongitude = longitude;
    k->startTime = start;
    k->endTime = start + delta * static_cast<float>(samples.size());
    return k;
}

void writeGlobePicture(const QString& dir, int angle, QColor colour) {
    QImage earth(64, 64, QImage::Format_RGB32);
    earth.fill(colour);
    earth.save(dir + QStringLiteral("/earth%1.bmp").arg(angle), "BMP");
}

namespace {
void u16(std::string& b, unsigned v) { b += {char(v & 0xff), char((v >> 8) & 0xff)}; }
}  // namespace

void writeRayTables(const QString& dir, const std::vector<RayRecord>& records, int step) {
    std::string data, index;
    int nextStep = 0;
    for (const RayRecord& r : records) {
        while (r.time >= nextStep * step) {
            u16(index, unsigned(data.size())), u16(index, unsigned(data.size() >> 16));
            ++nextStep;
        }
        std::string name = r.phase;
        name.resize(12, '\0');
        data += name;
        u16(data, static_cast<unsigned>(r.legType) & 0xffff);
        u16(data, static_cast<unsigned>(r.time));
        u16(data, static_cast<unsigned>(r.points.size()));
        u16(data, 0);
        for (const auto& [along, across] : r.points) {
            u16(data, static_cast<unsigned>(along) & 0xffff);
            u16(data, static_cast<unsigned>(across) & 0xffff);
        }
    }
    for (auto [name, bytes] : {std::pair{"/OV0.INX", &index}, {"/OV0.BIN", &data}}) {
        QFile file(dir + name);
        if (file.open(QIODevice::WriteOnly)) file.write(bytes->data(), qint64(bytes->size()));
    }
}

void resetSettings() { theSettings() = Settings{}; }

QColor at(const QImage& image, QPoint origin, int x, int y) {
    return image.pixelColor(origin.x() + x, origin.y() + y);
}

bool near(const QImage& image, QPoint origin, int x, int y, QColor colour, int radius) {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p(origin.x() + x + dx, origin.y() + y + dy);
            if (image.rect().contains(p) && image.pixelColor(p) == colour) return true;
        }
    return false;
}
