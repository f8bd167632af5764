// Travel-time tables of the phases P, S, PP and SS, arrival times, front
// distances, the surface-wave band and the cross-section's phase selection.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

constexpr int kTableRows = 181;

struct TravelTimeTable {
    int16_t count = 0;                       // rows read; 0: no table
    std::array<float, kTableRows> times{};   // whole seconds for 0..180 degrees
};

// 0, 1, ..., 180.
extern const std::array<float, kTableRows> distanceAxis;

// Phases of the run's four tables, in this order.
extern const std::array<const char*, 4> kTablePhases;   // "P", "S", "PP", "SS"

// Surface-wave band speeds in degrees per second.
constexpr float kSurfaceWaveSlowSpeed = 0.02069f;
constexpr float kSurfaceWaveFastSpeed = 0.03412f;

// Column of a table for a focal depth in km (0 for surface focus, 1..13).
int depthColumn(float depthKm);

// Reads "<phase>.JB" from `dir` for the depth's column. count 0 when missing.
TravelTimeTable loadTravelTimeTable(const std::string& phase, float depthKm,
                                    const std::string& dir = ".");

// Parses table text for one column (as loadTravelTimeTable does): one row
// per line, at most 181 rows (further lines are ignored). A line whose column
// holds no number repeats the row before it; a first row without one reads 0.
TravelTimeTable parseTravelTimeTable(const std::string& text, int column);

float interpolateTable(const float* xs, const float* ys, int n, float x);
// Travel time at a distance in degrees; 0 outside the table.
float arrivalTime(const TravelTimeTable& table, float distance);
// Distance in degrees reached at a time; 0 before the first or after the last row.
float frontDistance(const TravelTimeTable& table, float time);

// Which phases the cross-section shows. The first switch that is set wins;
// with none set every phase shows. A specified name ending in "*" matches
// every phase that starts with what comes before the star.
struct PhaseSelection {
    bool all = false;
    bool pOnly = false;                    // phases whose name starts with "P"
    bool sOnly = false;                    // phases whose name starts with "S"
    bool specified = false;                // only the names in `phases`
    std::span<const std::string> phases;   // viewed, not owned: no copy per tick
};

bool phaseSelected(const PhaseSelection& selection, const char* phaseName);
