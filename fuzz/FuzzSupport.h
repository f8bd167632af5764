// Helpers shared by the fuzz targets and the seed maker: a scratch directory
// per process, fast file writing and small valid data files.
#pragma once

#include "data/Seismogram.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

// A directory of its own for this process, removed at exit. Every target
// reuses the same file names in it, so an input costs one write.
inline const std::string& scratchDir()
{
    static std::string dir = (std::filesystem::temp_directory_path() / "ovfuzz.XXXXXX").string();
    static const bool made = [] {
        if (::mkdtemp(dir.data()) == nullptr)
            std::abort();
        return std::atexit([] { std::error_code ec; std::filesystem::remove_all(dir, ec); }) == 0;
    }();
    (void)made;
    return dir;
}

inline std::string scratchPath(const std::string& name) { return scratchDir() + "/" + name; }

// Replaces the file's contents with the bytes.
inline void writeBytes(const std::string& path, const void* data, std::size_t size)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || (size != 0 && std::fwrite(data, 1, size, f) != size))
        std::abort();
    std::fclose(f);
}

inline void writeText(const std::string& path, const std::string& text) { writeBytes(path, text.data(), text.size()); }

// A small, valid big-endian SAC file of one station component: one sample
// per second from 1 January 1990, the samples a repeating ramp.
inline std::string stationSac(const char* station, const char* component, float lat, float lon, int count)
{
    const char orientation = std::string(component).back();
    SacHeader h;
    h.setUndefined();
    for (int field : {NZHOUR, NZMIN, NZSEC, NZMSEC})
        h.i[field] = 0;
    h.f[DELTA] = 1.0f;
    h.f[B] = 0.0f;
    h.f[STLA] = lat;
    h.f[STLO] = lon;
    h.f[CMPINC] = orientation == 'Z' ? 0.0f : 90.0f;
    h.f[CMPAZ] = orientation == 'E' ? 90.0f : 0.0f;
    h.i[NZYEAR] = 1990;
    h.i[NZJDAY] = 1;
    h.i[NVHDR] = 6;
    h.i[NPTS] = count;
    h.setText(KSTNM, station);
    h.setText(KCMPNM, component);
    std::vector<float> samples(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
        samples[static_cast<std::size_t>(n)] = static_cast<float>((n * 37) % 101 - 50);
    return encodeSac(h, samples);
}

// A travel-time table of 181 rows: a distance label, then 14 depth columns.
inline std::string tableText(double secondsPerDegree)
{
    std::string text;
    char line[160];
    for (int row = 0; row < 181; ++row) {
        int used = std::snprintf(line, sizeof line, "%5d", row);
        for (int column = 0; column < 14; ++column)
            used += std::snprintf(line + used, sizeof line - static_cast<std::size_t>(used), "%7.1f",
                                  row * secondsPerDegree + column * 0.5);
        text += line;
        text += "\n";
    }
    return text;
}

// A documented property of a reader's result does not hold: a finding.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

} // namespace fuzz
