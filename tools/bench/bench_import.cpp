// Times an import of a large set of recordings: 60 stations with three
// components of one hour at 40 samples per second, packed in Steim-2
// miniSEED, with a station text file, into a finished event at 20 samples
// per second. When mseed2sac is installed, also times its conversion of the
// same files to SAC and prints the ratio. Everything lives in a scratch folder.
#include "import/EventImport.h"
#include "import/MiniSeedWriter.h"
#include "import/TimeText.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kStations = 60;
constexpr double kRate = 40;
constexpr double kSeconds = 3600;

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

// Processor time of this process and its finished children, seconds.
double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
           + 1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}   // namespace

int main() {
    const fs::path scratch = fs::temp_directory_path()
                             / ("ov-bench-import-" + std::to_string(::getpid()));
    const fs::path data = scratch / "data", installation = scratch / "installation";
    fs::create_directories(data);
    fs::create_directories(installation);
    const double origin = *parseTimeText("2011-03-11T05:46:24.1");
    const double start = origin - 300;

    std::string stations = "#Network|Station|Location|Channel|Latitude|Longitude|Elevation|Depth|"
                           "Azimuth|Dip|SensorDescription|Scale|ScaleFreq|ScaleUnits|SampleRate|"
                           "StartTime|EndTime\n";
    uint32_t noise = 12345;
    std::vector<std::string> files;
    for (int s = 0; s < kStations; ++s) {
        char code[8];
        std::snprintf(code, sizeof code, "S%03d", s);
        const double lat = -60 + 2.0 * s, lon = -170 + 5.5 * s;
        const double delay = 60 + 10.0 * s;   // an onset arriving later at farther stations
        const char* channels[3] = {"BHZ", "BH1", "BH2"};
        const double azimuths[3] = {0, 10, 100}, dips[3] = {-90, 0, 0};
        for (int c = 0; c < 3; ++c) {
            char line[256];
            std::snprintf(line, sizeof line,
                          "XB|%s|00|%s|%.4f|%.4f|100|0|%.1f|%.1f|bench|1e9|1|m/s|40|"
                          "2000-01-01T00:00:00|\n",
                          code, channels[c], lat, lon, azimuths[c], dips[c]);
            stations += line;
            TraceSegment seg{{"XB", code, "00", channels[c]}, start, kRate, {}};
            seg.samples.resize(static_cast<std::size_t>(kSeconds * kRate));
            for (std::size_t i = 0; i < seg.samples.size(); ++i) {
                noise = noise * 1664525u + 1013904223u;
                const double t = double(i) / kRate;
                double v = 200.0 * std::sin(2 * M_PI * t / 6.5) + double(noise >> 22) - 512;
                if (t > delay + 300)
                    v += 5000.0 * std::exp(-(t - delay - 300) / 60) * std::sin(2 * M_PI * t / 2);
                seg.samples[i] = std::round(v);
            }
            const std::string path =
                (data / (std::string("XB.") + code + ".00." + channels[c] + ".mseed")).string();
            writeFile(path, packMiniSeed(seg, MiniSeedEncoding::Steim2, 4096));
            files.push_back(path);
        }
    }
    writeFile((data / "stations.txt").string(), stations);

    ImportRequest request;
    request.inputs = {data.string()};
    request.installation = installation.string();
    request.event.originTime = origin;
    request.event.latitude = 38.297;
    request.event.longitude = 142.373;
    request.event.depthKm = 29;
    request.event.magnitude = 9.1;
    request.name = "Benchmark event";
    // Read the files once so both programs find them in the file cache.
    for (const std::string& f : files) {
        std::ifstream in(f, std::ios::binary);
        std::string tmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    const double cpu0 = cpuSeconds(RUSAGE_SELF);
    const auto t0 = std::chrono::steady_clock::now();
    ImportScan scan = scanImport(request);
    const double reading = seconds(t0);
    const ImportReport report = writeImport(request, std::move(scan));
    const double ours = seconds(t0);
    const double ourCpu = cpuSeconds(RUSAGE_SELF) - cpu0;
    std::size_t written = 0;
    for (const ImportStation& s : report.stations)
        written += s.skipped.empty() ? s.components.size() : 0;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("import of %d stations x 3 components x %.0f s at %.0f/s (Steim-2): %.2f s "
                "(reading %.2f s, processing and writing %.2f s; processor time %.2f s; largest "
                "memory use of the benchmark %ld MB), %zu seismograms written, %s\n",
                kStations, kSeconds, kRate, ours, reading, ours - reading, ourCpu,
                usage.ru_maxrss / 1024, written,
                report.createdEvent.empty() ? report.error.c_str() : report.createdEvent.c_str());

    if (fs::exists("/usr/bin/mseed2sac")) {
        const fs::path out = scratch / "mseed2sac";
        fs::create_directories(out);
        std::string command = "cd '" + out.string() + "' && /usr/bin/mseed2sac";
        for (const std::string& f : files) command += " '" + f + "'";
        command += " >/dev/null 2>&1";
        const double cpu1 = cpuSeconds(RUSAGE_CHILDREN);
        const auto t1 = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        const double theirs = seconds(t1);
        const double theirCpu = cpuSeconds(RUSAGE_CHILDREN) - cpu1;
        std::printf("mseed2sac converting the same files: %.2f s, processor time %.2f s (exit %d); "
                    "import / mseed2sac: %.2f in time, %.2f in processor time\n",
                    theirs, theirCpu, status, theirs > 0 ? ours / theirs : 0.0,
                    theirCpu > 0 ? ourCpu / theirCpu : 0.0);
    } else {
        std::printf("mseed2sac is not installed: no comparison\n");
    }
    fs::remove_all(scratch);
    return report.createdEvent.empty() ? 1 : 0;
}
