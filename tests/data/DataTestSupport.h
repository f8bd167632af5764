// Helpers shared by the data-file tests: a scratch directory, file writing,
// SAC files and travel-time tables made on the spot.
#pragma once

#include "data/Seismogram.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace testdata {

// A fresh, empty directory, removed with everything in it at the end.
class TempDir {
public:
    TempDir() : path_((std::filesystem::temp_directory_path() / "ovdata.XXXXXX").string()) {
        if (::mkdtemp(path_.data()) == nullptr) std::abort();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Creates the missing folders; false when the bytes did not all reach the file.
inline bool writeFile(const std::string& path, const std::string& content) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out << content << std::flush);
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One station component: 1 sample per second from 1990 day 1 00:00:00.000, B = 0, E undefined.
inline SacHeader stationHeader(const std::string& station, float lat, float lon) {
    SacHeader h;
    h.setUndefined();
    h.f[DELTA] = 1.0f;
    h.f[B] = 0.0f;
    h.f[STLA] = lat;
    h.f[STLO] = lon;
    h.i[NZHOUR] = h.i[NZMIN] = h.i[NZSEC] = h.i[NZMSEC] = 0;
    h.i[NZYEAR] = 1990;
    h.i[NZJDAY] = 1;
    h.i[NVHDR] = 6;
    h.setText(KSTNM, station);
    return h;
}

inline void writeSac(const std::string& path, SacHeader header, const std::vector<float>& samples) {
    header.i[NPTS] = static_cast<int32_t>(samples.size());
    writeFile(path, encodeSac(header, samples));
}

// A travel-time table: a lead of 5 characters, then 14 columns of 7, one line
// per degree; column c holds base + perDegree * degree + c * perColumn.
inline std::string tableText(int rows, double perDegree, double base = 0, double perColumn = 1) {
    std::string text;
    char cell[16];
    for (int deg = 0; deg < rows; ++deg) {
        text += (std::snprintf(cell, sizeof cell, "%5d", deg), cell);
        for (int col = 0; col < 14; ++col)
            text += (std::snprintf(cell, sizeof cell, "%7.1f", base + perDegree * deg + col * perColumn), cell);
        text += "\n";
    }
    return text;
}

// P, S, PP and SS: phase p takes (p + 1) * 10 seconds a degree plus one second a depth column.
inline void writeTables(const std::string& dir) {
    const char* phases[4] = {"P", "S", "PP", "SS"};
    for (int p = 0; p < 4; ++p) writeFile(dir + "/" + phases[p] + ".JB", tableText(181, (p + 1) * 10.0));
}

}   // namespace testdata
