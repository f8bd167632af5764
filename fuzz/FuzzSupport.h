// Helpers shared by the fuzz targets: a scratch directory per process and
// fast file writing for readers that take a path.
#pragma once

#include "data/Seismogram.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace fuzz {

// A directory of its own for this process, removed at exit. Created on first
// use; every target reuses the same file names in it, so an input costs one
// write and no directory work.
inline const std::string& scratchDir()
{
    static const std::string dir = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "ovfuzz.XXXXXX").string();
        std::vector<char> name(tmpl.begin(), tmpl.end());
        name.push_back('\0');
        if (::mkdtemp(name.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::string made = name.data();
        static std::string toRemove;
        toRemove = made;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(toRemove, ec);
        });
        return made;
    }();
    return dir;
}

inline std::string scratchPath(const std::string& name)
{
    return scratchDir() + "/" + name;
}

// Replaces the file's contents with the bytes (truncating what was there).
inline void writeBytes(const std::string& path, const uint8_t* data, std::size_t size)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        std::abort();
    }
    if (size != 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
}

inline void writeText(const std::string& path, const std::string& text)
{
    writeBytes(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// A small, valid big-endian SAC file of one station component: one sample
// per second from 1 January 1990, samples a repeating ramp.
inline std::string stationSac(const char* station, const char* component, float lat, float lon,
                              int count)
{
    const std::string code(component);
    const char orientation = code.empty() ? 'Z' : code.back();
    SacHeader h;
    h.setUndefined();
    h.f[DELTA] = 1.0f;
    h.f[B] = 0.0f;
    h.f[STLA] = lat;
    h.f[STLO] = lon;
    h.f[CMPINC] = orientation == 'Z' ? 0.0f : 90.0f;
    h.f[CMPAZ] = orientation == 'E' ? 90.0f : 0.0f;
    h.i[NZYEAR] = 1990;
    h.i[NZJDAY] = 1;
    h.i[NZHOUR] = 0;
    h.i[NZMIN] = 0;
    h.i[NZSEC] = 0;
    h.i[NZMSEC] = 0;
    h.i[NVHDR] = 6;
    h.i[NPTS] = count;
    h.i[IFTYPE] = 1;
    h.i[LEVEN] = 1;
    h.setText(KSTNM, station);
    h.setText(KCMPNM, component);
    std::vector<float> samples(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
        samples[static_cast<std::size_t>(n)] = static_cast<float>((n * 37) % 101 - 50);
    return encodeSac(h, samples);
}

// A documented property of a reader's result does not hold: a finding.
#define FUZZ_CHECK(condition)                                                       \
    do {                                                                            \
        if (!(condition)) {                                                         \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__,   \
                         #condition);                                               \
            std::abort();                                                           \
        }                                                                           \
    } while (0)

} // namespace fuzz
