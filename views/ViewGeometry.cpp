#include "views/ViewGeometry.h"

#include "seismology/SphericalGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

bool boxesOverlap(const PixelBox& a, const PixelBox& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// ---------------------------------------------------------------- globe

int wavefrontPenWidth(int radius) { return std::clamp(radius / 60, 1, 5); }

float surfaceStep(int radius) { return radius == 0 ? 1.0f : 200.0f / static_cast<float>(radius); }

const AzimuthTable& azimuthTable() {
    static const AzimuthTable table = [] {
        AzimuthTable t;
        for (int i = 0; i < kCirclePoints; ++i) {
            const float a = static_cast<float>(i * 6) * kDegToRad;
            t.s[static_cast<std::size_t>(i)] = std::sin(a);
            t.c[static_cast<std::size_t>(i)] = std::cos(a);
        }
        return t;
    }();
    return table;
}

void circleArcs(float latitude, float longitude, float viewAngle, float distance, int radius,
                CircleArcs& out) {
    out.count = 0;
    out.runs = 0;
    const AzimuthTable& az = azimuthTable();
    const float theta = (90.0f - latitude) * kDegToRad;
    const float st = std::sin(theta), ct = std::cos(theta);
    const float turn = (viewAngle - longitude) * kDegToRad;
    const float s2 = std::sin(turn), c2 = std::cos(turn);
    const float dr = distance * kDegToRad;
    const float sd = std::sin(dr), cd = std::cos(dr);
    const float r = static_cast<float>(radius);

    int runBegin = -1;   // start of the current run in `points`
    auto closeRun = [&] {
        if (runBegin < 0) return;
        const int length = out.count - runBegin;
        if (length >= 2) {
            out.runStart[static_cast<std::size_t>(out.runs)] = runBegin;
            out.runLength[static_cast<std::size_t>(out.runs)] = length;
            ++out.runs;
        } else {
            out.count = runBegin;   // a lone point draws nothing
        }
        runBegin = -1;
    };
    for (int i = 0; i < kCirclePoints; ++i) {
        const Vec3 p{sd * az.c[static_cast<std::size_t>(i)], -cd,
                     sd * az.s[static_cast<std::size_t>(i)]};
        const Vec3 q = rotateAboutX(p, st, ct);
        const Vec3 v = rotateAboutY(q, s2, c2);
        if (v.z > 0) {
            if (runBegin < 0) runBegin = out.count;
            out.points[static_cast<std::size_t>(out.count++)] = Pixel{static_cast<int>(r * v.x),
                                                                      static_cast<int>(r * v.y)};
        } else {
            closeRun();
        }
    }
    closeRun();
}

int phaseFronts(const std::array<TravelTimeTable, 4>& tables, float t,
                std::array<GlobeFront, 4>& out) {
    int n = 0;
    if (t == 0) return 0;
    // Table order is P, S, PP, SS; the drawing order P, PP, S, SS.
    struct Entry {
        int table;
        FrontColour colour;
        const char* label;
        float minimum;
    };
    static constexpr Entry kOrder[4] = {{0, FrontColour::LightRed, "P", 0.0f},
                                        {2, FrontColour::LightRed, "PP", 15.0f},
                                        {1, FrontColour::LightCyan, "S", 0.0f},
                                        {3, FrontColour::LightCyan, "SS", 15.0f}};
    for (const Entry& e : kOrder) {
        const float d = frontDistance(tables[static_cast<std::size_t>(e.table)], t);
        const bool shown = e.minimum == 0.0f ? d != 0.0f : d > e.minimum;
        if (shown) out[static_cast<std::size_t>(n++)] = GlobeFront{d, e.colour, e.label};
    }
    return n;
}

SurfaceBand surfaceBand(float t, float depthKm, int radius) {
    SurfaceBand band;
    band.step = surfaceStep(radius);
    if (t == 0 || !(depthKm < 100.0f)) return band;
    band.outer = t * kSurfaceWaveFastSpeed;
    band.inner = t * kSurfaceWaveSlowSpeed;
    band.shown = band.outer >= band.inner;
    return band;
}

// ---------------------------------------------------------------- cross-section

int coreRadius(int radius) { return static_cast<int>(static_cast<float>(radius) * 0.545126f); }

int innerCoreRadius(int core) { return static_cast<int>(static_cast<float>(core) * 0.374316f); }

Pixel hypocentrePixel(float depthKm, int radius) {
    return Pixel{0,
                 static_cast<int>(-(1.0f - depthKm / kEarthRadiusKm) * static_cast<float>(radius))};
}

Pixel rayPixel(int along, int across, float g) {
    return Pixel{static_cast<int>(g * static_cast<float>(across)),
                 static_cast<int>(-g * static_cast<float>(along))};
}

std::vector<StationPlacement> placeStationLabels(const std::vector<StationLabelInput>& stations,
                                                 int radius, int halfPictureWidth, int cellWidth) {
    std::vector<StationPlacement> placed;
    const std::string* previousName = nullptr;
    int previousY = -1000;
    const float r = static_cast<float>(radius);
    for (std::size_t i = 0; i < stations.size(); ++i) {
        const StationLabelInput& s = stations[i];
        const bool sameAsBefore = previousName ? *previousName == s.name : s.name.empty();
        previousName = &s.name;
        if (sameAsBefore) continue;
        const float d = s.distance * kDegToRad;
        StationPlacement p;
        p.input = i;
        p.mark = Pixel{static_cast<int>(-r * std::sin(d)), static_cast<int>(-r * std::cos(d))};
        const int x = p.mark.x, y = p.mark.y;
        p.labelRight = x - s.textWidth < -halfPictureWidth || y - s.textHeight < previousY;
        p.label = p.labelRight ? Pixel{x + cellWidth, y} : Pixel{x - s.textWidth, y};
        previousY = y;
        placed.push_back(p);
    }
    return placed;
}

SurfaceArcs surfaceArcs(int t, float depthKm, int radius) {
    SurfaceArcs arcs;
    if (!(depthKm < 100.0f) || t <= 60) return arcs;
    arcs.shown = true;
    arcs.d1 = static_cast<float>(t) * kSurfaceWaveSlowSpeed;
    arcs.d2 = static_cast<float>(t) * kSurfaceWaveFastSpeed;
    const float r = static_cast<float>(radius);
    auto rim = [r](float d) {
        const float a = d * kDegToRad;
        return Pixel{static_cast<int>(r * std::sin(a)), static_cast<int>(-r * std::cos(a))};
    };
    arcs.p1 = rim(arcs.d1);
    arcs.p2 = rim(arcs.d2);
    return arcs;
}

// ---------------------------------------------------------------- seismograms

int usableTimeWindow(int timeWindow) { return std::max(timeWindow, 2); }

float windowStart(float t, int timeWindow) {
    const int half = usableTimeWindow(timeWindow) / 2;
    if (!std::isfinite(t)) return 0;
    const double ws = static_cast<double>(half) * std::trunc(static_cast<double>(t) / half) - half;
    return ws < 0 ? 0.0f : static_cast<float>(ws);
}

float jumpedWindowStart(float ws, float t, int timeWindow, float sx, int width) {
    const float half = static_cast<float>(usableTimeWindow(timeWindow) / 2);
    if (!std::isfinite(t) || !std::isfinite(ws)) return 0;
    // A jump of more than a few windows starts afresh from t.
    if (std::fabs(t - ws) > 8.0f * half) ws = windowStart(t, timeWindow);
    while (static_cast<int>((t - ws) * sx) > width) ws += half;
    while (t < ws) ws -= half;
    return ws;
}

int axisLabelStep(int tw) {
    if (tw <= 2) return 1;
    if (tw <= 300) return 2;
    if (tw <= 600) return 5;
    if (tw <= 1800) return 10;
    if (tw <= 3600) return 15;
    return 30;
}

std::vector<AxisMark> axisMarks(float a, float b, float ws, float sx, int width, int timeWindow) {
    std::vector<AxisMark> marks;
    if (!std::isfinite(a) || !std::isfinite(b)) return marks;
    const int step = axisLabelStep(timeWindow);
    const int first = static_cast<int>(a / 60.0f), last = static_cast<int>(b / 60.0f);
    if (last - first > 100000) return marks;
    for (int i = first; i <= last; ++i) {
        AxisMark m;
        m.minute = i;
        m.x = static_cast<int>((60.0f * static_cast<float>(i) - ws) * sx);
        m.labelled = i % step == 0;
        if (m.x == 0) {
            m.labelX = 2;
            m.alignment = 8;   // left, bottom
        } else if (m.x < width - 2) {
            m.labelX = m.x;
            m.alignment = 14;   // centre, bottom
        } else {
            m.labelX = m.x;
            m.alignment = 10;   // right, bottom
        }
        marks.push_back(m);
    }
    return marks;
}

float traceScale(float depmin, float depmax, int traceCount, int height) {
    const float range = depmin - depmax;
    if (!(range < 0) || !std::isfinite(range)) return 0;
    return 2.0f * static_cast<float>(height) / (range * static_cast<float>(traceCount + 1));
}

void prepareTrace(const std::vector<float>& samples, float depmin, float depmax, int traceCount,
                  int height, std::vector<int16_t>& offsets, std::vector<uint8_t>& sound) {
    const float scale = traceScale(depmin, depmax, traceCount, height);
    const bool flat = scale == 0;
    const float range = depmax - depmin;
    offsets.resize(samples.size());
    sound.resize(samples.size());
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const float s = samples[k];
        if (flat || !std::isfinite(s)) {
            offsets[k] = 0;
            sound[k] = 128;
            continue;
        }
        const double o = std::floor(static_cast<double>(s) * scale + 0.5);
        offsets[k] = static_cast<int16_t>(std::clamp(o, -32768.0, 32767.0));
        const double b = static_cast<double>(s - depmin) * 255.0 / range;
        sound[k] = static_cast<uint8_t>(
            std::clamp(static_cast<int>(std::clamp(b, 0.0, 255.0)), 0, 255));
    }
}

int traceBaseline(int index, int traceCount, int height) {
    return (index + 1) * height / (traceCount + 1);
}
