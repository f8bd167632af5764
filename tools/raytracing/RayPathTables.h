// Ray-path tables of the cross-section: at every time step the wavefront of
// each phase as polylines in km, found by shooting a fan of rays from the
// source and joining neighbouring rays at each time.
#pragma once

#include "EarthModel.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct FrontPoint {
    int16_t along = 0;    // km along the axis through the epicentre, positive towards it
    int16_t across = 0;   // km from that axis, >= 0
};

struct FrontRecord {
    std::string phase;
    int16_t legType = 0;   // 1: travelling as P, 2: as S
    uint16_t time = 0;     // s
    std::vector<FrontPoint> points;
};

struct RayPathOptions {
    int timeStep = 10;            // s
    int minEndTime = 3000;        // the tables run at least this long (s)
    int maxEndTime = 7200;        // and never longer
    double shellKm = 10.0;        // thickness of the integration shells
    double rayToleranceKm = 20;   // neighbouring rays end no further apart than this
    double gapKm = 150;           // neighbouring rays further apart break a front
    double simplifyKm = 1.5;      // polylines are thinned to this tolerance
};

// Fronts of every cross-section phase (pP and sP only for a buried source),
// grouped by time step: steps[k] holds the records of time k * timeStep.
// `progress` (optional) receives one line per phase.
std::vector<std::vector<FrontRecord>> computeWavefronts(
    const EarthModel& model, double sourceDepthKm, const RayPathOptions& options = {},
    const std::function<void(const std::string&)>& progress = {});

// Serialises the steps: the data file bytes and the index (byte offset of
// each step's first record). A step without fronts gets one record without
// points so that its index entry still points at its own time.
void encodeRayPathTables(const std::vector<std::vector<FrontRecord>>& steps, uint16_t timeStep,
                         std::string& indexBytes, std::string& dataBytes);

// Computes and writes "<baseName>.INX" and "<baseName>.BIN" into `outDir`.
bool writeRayPathTables(const EarthModel& model, float sourceDepthKm, const std::string& baseName,
                        const std::string& outDir, const RayPathOptions& options = {},
                        const std::function<void(const std::string&)>& progress = {});

// Reads the records of one step back from a pair of files (for drawing and
// checking); empty when the files or the step are missing or damaged.
std::vector<FrontRecord> readRayPathStep(const std::string& indexPath, const std::string& dataPath,
                                         std::size_t step);
