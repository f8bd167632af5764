// Times the cross-section's walk through one time step of a ray-path table:
// 30 wavefronts of 200 points each per step, 400 steps, all phases shown and
// only the P phases shown. Prints the mean and 99th percentile per step.
#include "seismology/RayTable.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kSteps = 400;
constexpr int kPhases = 30;
constexpr int kPoints = 200;
constexpr unsigned kStepSeconds = 10;
constexpr int kRepetitions = 5000;

const char* const kPhaseNames[kPhases] = {
    "P",      "PP",    "PPP", "PcP",    "PKP",  "PKiKP", "PKIKP", "PcS",    "PS",  "PKKP",
    "PKPPKP", "Pdiff", "PKS", "PcPPcP", "PPS",  "S",     "SS",    "SSS",    "ScS", "SKS",
    "SKiKS",  "SKIKS", "ScP", "SP",     "SKKS", "Sdiff", "SKP",   "ScSScS", "SSP", "SPP"};

void put16(std::string& out, unsigned v) {
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>((v >> 8) & 0xff));
}

bool writeTables(const std::string& inx, const std::string& bin) {
    std::FILE* data = std::fopen(bin.c_str(), "wb");
    std::FILE* index = std::fopen(inx.c_str(), "wb");
    if (!data || !index) {
        if (data) std::fclose(data);
        if (index) std::fclose(index);
        return false;
    }
    uint32_t offset = 0;
    std::string rec;
    for (int s = 0; s < kSteps; ++s) {
        std::string entry;
        put16(entry, offset & 0xffff);
        put16(entry, offset >> 16);
        std::fwrite(entry.data(), 1, entry.size(), index);
        for (int p = 0; p < kPhases; ++p) {
            rec.clear();
            const std::string name = kPhaseNames[p];
            for (std::size_t c = 0; c < 12; ++c) rec.push_back(c < name.size() ? name[c] : '\0');
            put16(rec, name[0] == 'P' ? 1 : 2);
            put16(rec, static_cast<unsigned>(s) * kStepSeconds);
            put16(rec, kPoints);
            put16(rec, 0);
            for (int i = 0; i < kPoints; ++i) {
                put16(rec, static_cast<unsigned>(static_cast<int16_t>(6371 - i * 30 - s)));
                put16(rec, static_cast<unsigned>(static_cast<int16_t>(i * 25 + p)));
            }
            std::fwrite(rec.data(), 1, rec.size(), data);
            offset += static_cast<uint32_t>(rec.size());
        }
    }
    const bool ok = std::fclose(data) == 0;
    return std::fclose(index) == 0 && ok;
}

struct Figures {
    double mean, p99;
    long records, points;
};

// Walks the step holding `time(i)` for each repetition i.
template <class TimeOf>
Figures measure(RayTable& table, const PhaseSelection& settings, TimeOf timeOf) {
    std::vector<double> us(kRepetitions);
    long records = 0, points = 0, checksum = 0;
    const RayTable::RecordFn fn = [&](const RayRecordHeader&, const RayPoint* pts, int n) {
        ++records;
        points += n;
        checksum += pts[n - 1].along;
    };
    for (int i = 0; i < kRepetitions; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        table.forEachRayRecord(timeOf(i), settings, fn);
        const auto t1 = std::chrono::steady_clock::now();
        us[static_cast<std::size_t>(i)] =
            std::chrono::duration<double, std::micro>(t1 - t0).count();
    }
    if (checksum == 42) std::puts("");   // keeps the walk from being optimised away
    double sum = 0;
    for (double v : us) sum += v;
    std::sort(us.begin(), us.end());
    return {sum / kRepetitions, us[static_cast<std::size_t>(kRepetitions * 0.99)],
            records / kRepetitions, points / kRepetitions};
}

void print(const char* what, const Figures& f) {
    std::printf("%-34s mean %7.1f us   p99 %7.1f us   (%ld records, %ld points per step)\n", what,
                f.mean, f.p99, f.records, f.points);
}

}   // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path()
                         / ("ov_bench_raytable_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string inx = (dir / "OV0.INX").string(), bin = (dir / "OV0.BIN").string();
    if (!writeTables(inx, bin)) {
        std::fprintf(stderr, "cannot write the tables in %s\n", dir.c_str());
        return 1;
    }

    RayTable table;
    if (!table.openRayTable(0, dir.string())) {
        std::fprintf(stderr, "cannot open the tables\n");
        return 1;
    }
    std::printf("ray table: %d steps of %u s, %d phases x %d points, %.1f MB\n", kSteps,
                kStepSeconds, kPhases, kPoints, double(fs::file_size(bin)) / 1e6);
    std::printf("%d repetitions each\n", kRepetitions);

    PhaseSelection all;
    all.all = true;
    PhaseSelection pOnly;
    pOnly.pOnly = true;

    const int mid = kSteps / 2 * static_cast<int>(kStepSeconds) + 5;
    auto fixed = [mid](int) { return mid; };
    // A run: the clock moves through the steps one after another.
    auto moving = [](int i) { return (i % (kSteps - 1) + 1) * static_cast<int>(kStepSeconds) + 3; };

    print("one step, all phases", measure(table, all, fixed));
    print("one step, P* phases", measure(table, pOnly, fixed));
    print("successive steps, all phases", measure(table, all, moving));
    print("successive steps, P* phases", measure(table, pOnly, moving));

    table.close();
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
