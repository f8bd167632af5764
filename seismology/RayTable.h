// Precomputed wavefront polylines of the cross-section ("OV0.INX"/"OV0.BIN"
// for shallow events, "OV600.INX"/"OV600.BIN" deeper than 300 km).
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "seismology/TravelTimes.h"

struct RayPoint {
    int16_t along = 0;
    int16_t across = 0;
};   // km

struct RayRecordHeader {
    char phase[13] = {};   // zero-terminated name (at most 12 characters in the file)
    int16_t legType = 0;   // 1: travelling as P, 2: as S
    uint16_t time = 0;     // seconds after the origin
    uint16_t pointCount = 0;
};

class RayTable {
public:
    RayTable() = default;
    ~RayTable();
    RayTable(const RayTable&) = delete;
    RayTable& operator=(const RayTable&) = delete;

    // Opens the pair for the depth from `dir`. False when a file is missing;
    // a data file without any non-zero time has no step and yields no fronts.
    bool openRayTable(float depthKm, const std::string& dir = ".");
    // Opens an explicit pair (tests and tools).
    bool openFiles(const std::string& indexPath, const std::string& dataPath);
    void close();

    bool isOpen() const { return file_ != nullptr; }
    // Seconds between steps (the first non-zero record time); 0: no step.
    int32_t timeStep() const { return step_; }
    std::size_t indexCount() const { return index_.size(); }

    using RecordFn = std::function<void(const RayRecordHeader&, const RayPoint*, int)>;
    // Hands every selected record of the time step holding t to `fn`; the
    // points of unselected phases are skipped without being read.
    void forEachRayRecord(int t, const PhaseSelection& phases, const RecordFn& fn);

private:
    std::FILE* file_ = nullptr;
    std::vector<uint32_t> index_;
    int32_t step_ = 0;               // 1..65535, or 0
    std::vector<RayPoint> points_;   // reused between calls
    std::vector<char> ioBuffer_;     // read buffer of file_, large enough for a step
};
