// Travel-time tables "P.JB", "S.JB", "PP.JB" and "SS.JB": first-arrival times
// at every whole degree for a surface focus and thirteen focal depths.
#pragma once

#include "EarthModel.h"

#include <array>
#include <string>
#include <vector>

constexpr int kTableColumnCount = 14;
constexpr int kTableDegrees = 181;   // 0..180

// Focal depth of a table column: 0 for column 0, 33 + (column - 1) * 63.38 km.
double tableColumnDepth(int column);

// First-arrival times in seconds at 0, 1, ..., 180 degrees; negative where the
// phase does not arrive.
using ArrivalCurve = std::array<double, kTableDegrees>;

// First arrivals of "P", "S", "PP" or "SS" for each of the depths (km), by ray
// theory: P and S are the direct waves (up- and down-going from a buried
// source) turning in the mantle; PP and SS leave the source downwards, turn,
// are reflected once at the surface and turn again. An unknown phase gives
// curves without arrivals.
std::vector<ArrivalCurve> firstArrivals(const EarthModel& model, const std::string& phase,
                                        const std::vector<double>& depthsKm);

// Table text from the fourteen columns' curves. Each column runs from its
// first arrival (earlier rows repeat that time) to the last degree of its
// unbroken run of arrivals; after that the column is blank, and so is every
// column to its right, so that a reader that skips blanks never takes a
// neighbouring column's number. Rows stop after the last row with a number.
std::string formatTravelTimeTable(const std::vector<ArrivalCurve>& columns);

// Writes the four tables into `outDir`; false when the model has no mantle or
// a file cannot be written.
bool writeTravelTimeTables(const EarthModel& model, const std::string& outDir);
