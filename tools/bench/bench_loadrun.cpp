// Times loadRun on a large event: 30 stations with three components of
// 72,000 samples each (an hour at 20 samples per second), the four travel-time
// tables and a station list, all built in a scratch directory. The files are
// read once before timing so the figures are for a warm file cache.
#include "data/RunSetup.h"
#include "data/Seismogram.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kStations = 30;
constexpr int kSamples = 72000;
constexpr int kRepetitions = 15;

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

void buildEvent(const std::string& dir) {
    const char* phases[4] = {"P", "S", "PP", "SS"};
    for (int p = 0; p < 4; ++p) {
        std::string text;
        char cell[32];
        for (int deg = 0; deg <= 180; ++deg) {
            std::snprintf(cell, sizeof cell, "%5d", deg);
            text += cell;
            for (int col = 0; col < 14; ++col) {
                std::snprintf(cell, sizeof cell, "%7.1f", (p + 1) * 8.0 * deg + col * 2.5);
                text += cell;
            }
            text += "\n";
        }
        writeFile(dir + "/" + phases[p] + ".JB", text);
    }

    std::filesystem::create_directories(dir + "/2004122600");
    std::string event =
        "EVENT NAME: Benchmark event\r\nEVENT LATITUDE:     3.3000\r\n"
        "EVENT LONGITUDE:    95.9800\r\nEVENT DEPTH:       30.0\r\nEVENT MAGNITUDE:    9.1\r\n"
        "EVENT DATE: 2004/12/26\r\nORIGIN TIME: 00:58:53.4\r\nTIME ACCELERATION: 20\r\n"
        "TIME WINDOW: 1800\r\nTIME LIMIT: 7200\r\nVIEW ANGLE: 90\r\n";
    std::string stations;
    std::vector<float> samples(kSamples);
    const char components[3] = {'Z', 'N', 'E'};
    for (int s = 0; s < kStations; ++s) {
        char name[16];
        std::snprintf(name, sizeof name, "ST%02d", s);
        const float lat = -60.0f + 4.0f * static_cast<float>(s);
        const float lon = -170.0f + 11.0f * static_cast<float>(s);
        char line[128];
        std::snprintf(line, sizeof line, "%-8s%-31s %7.4f%c %8.4f%c\r\n", name, "Benchmark station",
                      std::fabs(lat), lat < 0 ? 'S' : 'N', std::fabs(lon), lon < 0 ? 'W' : 'E');
        stations += line;
        for (int c = 0; c < 3; ++c) {
            SacHeader h;
            h.setUndefined();
            h.f[DELTA] = 0.05f;
            h.f[B] = 0;
            h.f[STLA] = lat;
            h.f[STLO] = lon;
            h.i[NZYEAR] = 2004;
            h.i[NZJDAY] = 361;
            h.i[NZHOUR] = 0;
            h.i[NZMIN] = 58;
            h.i[NZSEC] = 0;
            h.i[NZMSEC] = 0;
            h.i[NPTS] = kSamples;
            h.setText(KSTNM, name);
            for (int i = 0; i < kSamples; ++i)
                samples[static_cast<std::size_t>(i)] =
                    std::sin(0.01f * static_cast<float>(i * (c + 1) + s)) * 1000.0f;
            const std::string file = std::string(name) + ".BH" + components[c];
            writeFile(dir + "/2004122600/" + file, encodeSac(h, samples));
            event += "STATION FILE: " + file + "\r\n";
        }
    }
    writeFile(dir + "/2004122600.EVT", event);
    writeFile(dir + "/ZURIVI.STA", stations);
}

}   // namespace

int main() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "ovbench.XXXXXX").string();
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = name.data();
    buildEvent(dir);

    RunState run;
    run.directory = dir;
    // The first load also allocates the run's buffers; later loads reuse them.
    const auto first0 = std::chrono::steady_clock::now();
    const bool loaded = loadRun(run, "2004122600.EVT");
    const double firstMs = std::chrono::duration<double, std::milli>(
                               std::chrono::steady_clock::now() - first0)
                               .count();
    if (!loaded || run.seismogramCount != kStations * 3) {
        std::fprintf(stderr, "loadRun failed (%d seismograms)\n", run.seismogramCount);
        std::filesystem::remove_all(dir);
        return 1;
    }

    // Wall-clock time, and the processor time of this process, which other
    // programs running on the machine do not inflate.
    std::vector<double> ms, cpu;
    for (int r = 0; r < kRepetitions; ++r) {
        const std::clock_t c0 = std::clock();
        const auto t0 = std::chrono::steady_clock::now();
        loadRun(run, "2004122600.EVT");
        const auto t1 = std::chrono::steady_clock::now();
        const std::clock_t c1 = std::clock();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        cpu.push_back(1000.0 * static_cast<double>(c1 - c0) / CLOCKS_PER_SEC);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("loadRun: %d seismograms x %d samples, %d repetitions (warm cache)\n",
                run.seismogramCount, kSamples, kRepetitions);
    std::printf("median %.2f ms, min %.2f ms, max %.2f ms (target < 50 ms)\n", ms[ms.size() / 2],
                ms.front(), ms.back());
    std::printf("first load in the process: %.2f ms\n", firstMs);
    std::printf("processor time: median %.2f ms, min %.2f ms\n", cpu[cpu.size() / 2], cpu.front());
    std::filesystem::remove_all(dir);
    return 0;
}
