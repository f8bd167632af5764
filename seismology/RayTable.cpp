#include "seismology/RayTable.h"

#include "fileio/FileSystem.h"
#include "seismology/TravelTimes.h"

#include <bit>
#include <cstring>

namespace {

constexpr std::size_t kHeaderBytes = 20;
constexpr std::size_t kPointBytes = 4;
constexpr std::size_t kMaxPoints = 65535;             // the count is 16 bits wide
constexpr std::size_t kReadBufferBytes = 64 * 1024;   // a whole step in a few reads

uint16_t u16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Reads one record header at the file position. False at the end of the file
// or when the file ends inside the header.
bool readHeader(std::FILE* f, RayRecordHeader& h) {
    unsigned char b[kHeaderBytes];
    if (std::fread(b, 1, kHeaderBytes, f) != kHeaderBytes) return false;
    std::memcpy(h.phase, b, 12);
    h.phase[12] = '\0';   // a name filling all 12 bytes is still terminated
    h.legType = static_cast<int16_t>(u16(b + 12));
    h.time = u16(b + 14);
    h.pointCount = u16(b + 16);
    return true;
}

bool skipPoints(std::FILE* f, uint16_t count) {
    return count == 0
           || std::fseek(f, static_cast<long>(count) * static_cast<long>(kPointBytes), SEEK_CUR)
                  == 0;
}

bool readPoints(std::FILE* f, RayPoint* out, uint16_t count) {
    static_assert(sizeof(RayPoint) == kPointBytes);
    if (std::fread(out, kPointBytes, count, f) != count) return false;
    if constexpr (std::endian::native != std::endian::little) {
        for (uint16_t i = 0; i < count; ++i) {
            unsigned char* p = reinterpret_cast<unsigned char*>(out + i);
            out[i].along = static_cast<int16_t>(u16(p));
            out[i].across = static_cast<int16_t>(u16(p + 2));
        }
    }
    return true;
}

}   // namespace

RayTable::~RayTable() { close(); }

void RayTable::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    index_.clear();
    index_.shrink_to_fit();
    step_ = 0;
}

bool RayTable::openRayTable(float depthKm, const std::string& dir) {
    const bool deep = depthKm > 300.0f;
    return openFiles(joinPath(dir, deep ? "OV600.INX" : "OV0.INX"),
                     joinPath(dir, deep ? "OV600.BIN" : "OV0.BIN"));
}

bool RayTable::openFiles(const std::string& indexPath, const std::string& dataPath) {
    close();

    std::string bytes;
    if (!readWholeFile(indexPath, bytes)) return false;
    const std::size_t count = bytes.size() / 4;
    index_.resize(count);
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t k = 0; k < count; ++k, b += 4)
        index_[k] = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8
                    | static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;

    file_ = std::fopen(resolvePath(dataPath).c_str(), "rb");
    if (!file_) {
        index_.clear();
        return false;
    }
    if (ioBuffer_.size() != kReadBufferBytes) ioBuffer_.resize(kReadBufferBytes);
    std::setvbuf(file_, ioBuffer_.data(), _IOFBF, ioBuffer_.size());
    if (points_.size() != kMaxPoints) points_.resize(kMaxPoints);

    // The step is the time of the first record that is not at the origin. A
    // file without one has no step: the table opens but yields no fronts.
    RayRecordHeader h;
    while (readHeader(file_, h)) {
        if (h.time != 0) {
            step_ = h.time;
            break;
        }
        if (!skipPoints(file_, h.pointCount)) break;
    }
    return true;
}

void RayTable::forEachRayRecord(int t, const PhaseSelection& phases, const RecordFn& fn) {
    if (!file_ || step_ <= 0) return;
    const int16_t t16 = static_cast<int16_t>(t);   // the clock's time as 16 bits
    if (t16 < 1) return;
    const std::size_t k = static_cast<std::size_t>(t16 / step_);
    if (k >= index_.size()) return;   // the tables have ended

    if (std::fseek(file_, static_cast<long>(index_[k]), SEEK_SET) != 0) return;
    RayRecordHeader h;
    if (!readHeader(file_, h)) return;
    const uint16_t stepTime = h.time;
    do {
        if (h.pointCount != 0 && phaseSelected(phases, h.phase)) {
            if (!readPoints(file_, points_.data(), h.pointCount)) return;
            if (fn) fn(h, points_.data(), h.pointCount);
        } else if (!skipPoints(file_, h.pointCount)) {
            return;
        }
    } while (readHeader(file_, h) && h.time == stepTime);
}
