// Helpers shared by the data-file tests: a scratch directory, file writing,
// SAC files and travel-time tables made on the spot.
#pragma once

#include "data/Seismogram.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace testdata {

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "ovdata.XXXXXX").string();
        std::vector<char> name(tmpl.begin(), tmpl.end());
        name.push_back('\0');
        if (::mkdtemp(name.data()) != nullptr)
            path_ = name.data();
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void writeFile(const std::string& path, const std::string& content)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A valid header of one station component: 1 sample per second, reference
// time 1990 day 1 00:00:00.000, B = 0, E undefined.
inline SacHeader stationHeader(const std::string& station, float lat, float lon)
{
    SacHeader h;
    h.setUndefined();
    h.f[DELTA] = 1.0f;
    h.f[B] = 0.0f;
    h.f[STLA] = lat;
    h.f[STLO] = lon;
    h.i[NZYEAR] = 1990;
    h.i[NZJDAY] = 1;
    h.i[NZHOUR] = 0;
    h.i[NZMIN] = 0;
    h.i[NZSEC] = 0;
    h.i[NZMSEC] = 0;
    h.i[NVHDR] = 6;
    h.setText(KSTNM, station);
    return h;
}

inline void writeSac(const std::string& path, SacHeader header, const std::vector<float>& samples)
{
    header.i[NPTS] = static_cast<int32_t>(samples.size());
    writeFile(path, encodeSac(header, samples));
}

// A travel-time table in the installation's layout: a lead of 5 characters,
// then 14 columns of 7 characters, one line per degree.
inline std::string travelTimeTableText(int rows, const std::function<double(int, int)>& time)
{
    std::string text;
    char cell[64];
    for (int deg = 0; deg < rows; ++deg) {
        std::snprintf(cell, sizeof cell, "%5d", deg);
        text += cell;
        for (int col = 0; col < 14; ++col) {
            std::snprintf(cell, sizeof cell, "%7.1f", time(deg, col));
            text += cell;
        }
        text += "\n";
    }
    return text;
}

// Tables where phase number p (P, S, PP, SS) takes (p + 1) * 10 seconds per
// degree plus one second per depth column.
inline void writeTables(const std::string& dir)
{
    const char* phases[4] = {"P", "S", "PP", "SS"};
    for (int p = 0; p < 4; ++p)
        writeFile(dir + "/" + phases[p] + ".JB",
                  travelTimeTableText(181, [p](int deg, int col) {
                      return (p + 1) * 10.0 * deg + col;
                  }));
}

} // namespace testdata
