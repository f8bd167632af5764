// Helpers shared by the fuzz targets and the seed maker: a scratch directory
// per process, file writing and small valid data files.
#pragma once

#include "data/Seismogram.h"
#include "tests/data/DataTestSupport.h"

#include <cstdio>
#include <string>

namespace fuzz {

// A directory of its own for this process, removed at exit. Every target
// reuses the same file names in it, so an input costs one write.
inline const std::string& scratchDir() {
    static const testdata::TempDir dir;
    return dir.path();
}

inline std::string scratchPath(const std::string& name) { return scratchDir() + "/" + name; }

// Replaces the file's contents with the bytes.
inline void writeBytes(const std::string& path, const void* data, std::size_t size) {
    if (!testdata::writeFile(path, std::string(static_cast<const char*>(data), size))) std::abort();
}

// A small, valid big-endian SAC file of one station component: one sample
// per second from 1 January 1990, the samples a repeating ramp.
inline std::string stationSac(const char* station, const char* component, float lat, float lon, int count) {
    SacHeader h = testdata::stationHeader(station, lat, lon);
    h.i[NPTS] = count;
    h.setText(KCMPNM, component);
    std::vector<float> samples;
    for (int n = 0; n < count; ++n) samples.push_back(static_cast<float>((n * 37) % 101 - 50));
    return encodeSac(h, samples);
}

// The entry point of a target; the robustness test builds the targets into one
// program under their own names.
#ifndef FUZZ_TARGET
#define FUZZ_TARGET(name) extern "C" int LLVMFuzzerTestOneInput
#endif

// A documented property of a reader's result does not hold: a finding.
#define FUZZ_CHECK(condition)                                                                                                              \
    do {                                                                                                                                   \
        if (!(condition)) std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition), std::abort();                 \
    } while (0)

}   // namespace fuzz
