// The plain computations behind the three views of a run: wavefront circles
// on the globe split into arcs at the limb, the fronts and surface-wave band
// of a moment, the cross-section's cores, station label placement, surface
// arcs and label overlap, and the seismogram window, scaling and time axis.
// No window and no drawing here; every real becomes a pixel by truncation.
#pragma once

#include "seismology/TravelTimes.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Pixel {
    int x = 0, y = 0;
    bool operator==(const Pixel&) const = default;
};

// A rectangle by its edges, right and bottom excluded.
struct PixelBox {
    int left = 0, top = 0, right = 0, bottom = 0;
};
// Strict overlap on both axes (touching edges do not overlap).
bool boxesOverlap(const PixelBox& a, const PixelBox& b);

// ---------------------------------------------------------------- globe

// R div 60, kept within 1..5.
int wavefrontPenWidth(int radius);
// 200 / R degrees between the circles of the surface-wave band; 1 for R = 0.
float surfaceStep(int radius);

// Sine and cosine of the azimuths i x 6 degrees, i = 0..61 (0 to 366).
constexpr int kCirclePoints = 62;
struct AzimuthTable {
    std::array<float, kCirclePoints> s{}, c{};
};
const AzimuthTable& azimuthTable();

// The visible arcs of a circle of angular radius `distance` degrees around
// the epicentre on a globe of radius R pixels centred on `viewAngle`.
// Consecutive visible points form a run; a hidden point ends it; runs of
// one point are dropped, so every run is drawn as one polyline and the
// hidden part is never crossed by a chord.
struct CircleArcs {
    std::array<Pixel, kCirclePoints> points{};
    int count = 0;                               // points of all runs, run after run
    std::array<int, kCirclePoints> runStart{};   // index into points
    std::array<int, kCirclePoints> runLength{};
    int runs = 0;
    // Where the label of the circle goes: the first point of the first run.
    bool labelled() const { return runs > 0; }
    Pixel labelPoint() const { return points[static_cast<std::size_t>(runStart[0])]; }
};
void circleArcs(float latitude, float longitude, float viewAngle, float distance, int radius,
                CircleArcs& out);

enum class FrontColour { LightRed, LightCyan, LightYellow };

struct GlobeFront {
    float distance = 0;
    FrontColour colour = FrontColour::LightRed;
    const char* label = "";
};

// The phase fronts of time t: P and S whenever they have a distance, PP and
// SS only beyond 15 degrees, in the order P, PP, S, SS. Returns the count.
int phaseFronts(const std::array<TravelTimeTable, 4>& tables, float t,
                std::array<GlobeFront, 4>& out);

// The surface-wave band of time t: circles from t x 0.03412 degrees down by
// the surface step while at least t x 0.02069; none at t = 0 or for events
// 100 km deep or deeper.
struct SurfaceBand {
    float outer = 0, inner = 0, step = 1;
    bool shown = false;
};
SurfaceBand surfaceBand(float t, float depthKm, int radius);

// ---------------------------------------------------------------- cross-section

int coreRadius(int radius);            // int(R x 0.545126)
int innerCoreRadius(int coreRadius);   // int(c x 0.374316)
// The hypocentre's pixel below the top of the disc.
Pixel hypocentrePixel(float depthKm, int radius);
// A ray-table point (km along the axis, km from it) on the right half.
Pixel rayPixel(int along, int across, float pixelsPerKm);

struct StationLabelInput {
    std::string name;
    float distance = 0;   // degrees from the epicentre
    int textWidth = 0;    // extent of "name "
    int textHeight = 0;
};
struct StationPlacement {
    std::size_t input = 0;   // which input it marks
    Pixel mark;              // the "o"
    Pixel label;             // left end of the label, vertically centred on the mark
    bool labelRight = false;
};
// Marks along the left rim, one per run of inputs with the same name; the
// label goes left of the mark unless it would leave the picture or come
// less than a text height below the previous label, then right of it.
std::vector<StationPlacement> placeStationLabels(const std::vector<StationLabelInput>& stations,
                                                 int radius, int halfPictureWidth, int cellWidth);

// The two rim points of the surface-wave arcs at whole second t (right
// half): p1 at t x 0.02069 and p2 at t x 0.03412 degrees from the top.
// None at t <= 60 or for events 100 km deep or deeper.
struct SurfaceArcs {
    bool shown = false;
    float d1 = 0, d2 = 0;   // degrees
    Pixel p1, p2;
};
SurfaceArcs surfaceArcs(int t, float depthKm, int radius);

// ---------------------------------------------------------------- seismograms

// The time window actually used: at least 2 seconds, so that half a window
// is never 0.
int usableTimeWindow(int timeWindow);
// Window start for time t: half x int(t / half) - half, not below 0.
float windowStart(float t, int timeWindow);
// After the window jump test: forward by half a window while t lies beyond
// the right edge, back by half a window while t lies before the start.
float jumpedWindowStart(float ws, float t, int timeWindow, float pixelsPerSecond, int width);
// Every how many minutes the axis is labelled.
int axisLabelStep(int timeWindow);

struct AxisMark {
    int minute = 0;
    int x = 0;
    bool labelled = false;
    int labelX = 0;
    int alignment = 0;
};
// The minute ticks from a to b seconds on a window starting at ws.
std::vector<AxisMark> axisMarks(float a, float b, float ws, float pixelsPerSecond, int width,
                                int timeWindow);

// The pixel offsets (upwards for larger values) and sound bytes of a trace:
// scale = 2 H / ((depmin - depmax)(N + 1)). A trace whose maximum equals its
// minimum (or whose values are not finite) lies flat on its baseline and
// sounds as silence (128).
float traceScale(float depmin, float depmax, int traceCount, int height);
void prepareTrace(const std::vector<float>& samples, float depmin, float depmax, int traceCount,
                  int height, std::vector<int16_t>& offsets, std::vector<uint8_t>& sound);
int traceBaseline(int index, int traceCount, int height);
