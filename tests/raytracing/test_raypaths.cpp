// Wavefront tables of the cross-section: geometry against the travel-time
// tables, leg types, the binary layout and reading back with the core reader.
#include "EarthModel.h"
#include "RayPathTables.h"
#include "TravelTimeTables.h"

#include "seismology/RayTable.h"
#include "seismology/TravelTimes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include <unistd.h>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCoreRadius = 6371.0 - 2885.2;

const EarthModel& model()
{
    static const EarthModel m = [] {
        const std::string beside = OV_SOURCE_DIR "/data/jb-model.txt";
        return loadEarthModel(std::filesystem::exists(beside)
                                  ? beside : OV_SOURCE_DIR "/../shared/data/jb-model.txt");
    }();
    return m;
}

const std::vector<std::vector<FrontRecord>>& surfaceFronts()
{
    static const auto steps = computeWavefronts(model(), 0.0);
    return steps;
}

double radiusOf(const FrontPoint& p) { return std::hypot(p.along, p.across); }
double degreesOf(const FrontPoint& p) { return std::atan2(p.across, p.along) * 180.0 / kPi; }

struct TempDir {
    std::filesystem::path path;
    TempDir()
    {
        path = std::filesystem::temp_directory_path() /
               ("ovraytrace-rp-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
};

} // namespace

TEST(RayPaths, StepsCoverAtLeast3000SecondsWithTheirOwnTimes)
{
    const auto& steps = surfaceFronts();
    ASSERT_GE(steps.size(), 301u);
    std::set<std::string> names;
    for (std::size_t k = 0; k < steps.size(); ++k)
        for (const FrontRecord& r : steps[k]) {
            EXPECT_EQ(r.time, k * 10);
            EXPECT_GE(r.points.size(), 2u);
            EXPECT_TRUE(r.legType == 1 || r.legType == 2);
            for (const FrontPoint& p : r.points) {
                ASSERT_GE(p.across, 0);
                ASSERT_LE(radiusOf(p), 6372.0);
            }
            names.insert(r.phase);
        }
    for (const char* n : {"P", "PP", "PcP", "PKP", "PKIKP", "PKiKP", "S", "SS", "ScS", "SKS",
                          "SKKS", "ScP", "PcS"})
        EXPECT_TRUE(names.count(n)) << n;
    EXPECT_FALSE(names.count("pP"));   // a surface source has no depth phases
    EXPECT_TRUE(steps[0].empty());
}

TEST(RayPaths, PFrontMeetsTheSurfaceWhereTheTableSays)
{
    std::ostringstream text;
    text << formatTravelTimeTable(firstArrivals(model(), "P", {0.0}));
    TravelTimeTable table = parseTravelTimeTable(text.str(), 0);
    ASSERT_GT(table.count, 90);
    for (int t : {300, 600, 800}) {
        float expected = frontDistance(table, static_cast<float>(t));
        ASSERT_GT(expected, 0.0f);
        // The surface end of the P front furthest from the epicentre.
        double best = -1;
        for (const FrontRecord& r : surfaceFronts()[t / 10])
            if (r.phase == "P")
                for (const FrontPoint& p : r.points)
                    if (radiusOf(p) > 6371.0 - 15.0)
                        best = std::max(best, degreesOf(p));
        EXPECT_NEAR(best, expected, 1.0) << t;
    }
}

TEST(RayPaths, LegTypesFollowTheWaveOfEachPiece)
{
    const auto& steps = surfaceFronts();
    bool sksCore = false, sksMantle = false, pcsS = false, pcsP = false;
    for (std::size_t k = 1; k < steps.size(); ++k)
        for (const FrontRecord& r : steps[k]) {
            if (r.phase == "P" || r.phase == "PP" || r.phase == "PKP" || r.phase == "PKIKP") {
                EXPECT_EQ(r.legType, 1) << r.phase;
            }
            if (r.phase == "S" || r.phase == "SS" || r.phase == "ScS") {
                EXPECT_EQ(r.legType, 2) << r.phase;
            }
            if (r.phase == "SKS" || r.phase == "SKKS") {
                // S in the mantle, P in the liquid core.
                for (const FrontPoint& p : r.points) {
                    if (r.legType == 1)
                        EXPECT_LT(radiusOf(p), kCoreRadius + 5) << r.phase << " " << r.time;
                    else
                        EXPECT_GT(radiusOf(p), kCoreRadius - 5) << r.phase << " " << r.time;
                }
                (r.legType == 1 ? sksCore : sksMantle) = true;
            }
            if (r.phase == "PcS")
                (r.legType == 2 ? pcsS : pcsP) = true;
        }
    EXPECT_TRUE(sksCore && sksMantle && pcsS && pcsP);
    // At 900 s SKS is partly still S in the mantle and partly P in the core.
    std::set<int> legs;
    for (const FrontRecord& r : steps[90])
        if (r.phase == "SKS")
            legs.insert(r.legType);
    EXPECT_EQ(legs, (std::set<int>{1, 2}));
}

TEST(RayPaths, EncodingMatchesTheRecordLayout)
{
    std::vector<std::vector<FrontRecord>> steps(3);
    steps[1].push_back({"PKIKP", 1, 10, {{100, 0}, {-2, 300}}});
    steps[1].push_back({"SKS", 2, 10, {{-6371, 5}, {7, 8}, {9, 10}}});
    std::string index, data;
    encodeRayPathTables(steps, 10, index, data);
    // Step 0 and the empty step 2 get a record without points at their own time.
    ASSERT_EQ(index.size(), 12u);
    auto u32 = [&](std::size_t k) {
        uint32_t v;
        std::memcpy(&v, index.data() + 4 * k, 4);
        return v;
    };
    EXPECT_EQ(u32(0), 0u);
    EXPECT_EQ(u32(1), 20u);
    EXPECT_EQ(u32(2), 20u + 28u + 32u);
    EXPECT_EQ(data.size(), 20u + 28u + 32u + 20u);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(data.data());
    EXPECT_EQ(b[14] | b[15] << 8, 0);           // step 0 time
    EXPECT_EQ(b[16] | b[17] << 8, 0);           // no points
    const unsigned char* r = b + 20;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r)), "PKIKP");
    EXPECT_EQ(r[12] | r[13] << 8, 1);           // leg type
    EXPECT_EQ(r[14] | r[15] << 8, 10);          // time
    EXPECT_EQ(r[16] | r[17] << 8, 2);           // point count
    EXPECT_EQ(static_cast<int16_t>(r[24] | r[25] << 8), -2);
    EXPECT_EQ(static_cast<int16_t>(r[26] | r[27] << 8), 300);
    const unsigned char* s = r + 28;
    EXPECT_EQ(static_cast<int16_t>(s[20] | s[21] << 8), -6371);
    const unsigned char* e = s + 32;
    EXPECT_EQ(e[14] | e[15] << 8, 20);
    EXPECT_EQ(e[16] | e[17] << 8, 0);
}

TEST(RayPaths, CoreReaderReadsTheWrittenFilesBack)
{
    TempDir dir;
    const auto& steps = surfaceFronts();
    std::string index, data;
    encodeRayPathTables(steps, 10, index, data);
    {
        std::ofstream(dir.path / "OV0.INX", std::ios::binary).write(index.data(), index.size());
        std::ofstream(dir.path / "OV0.BIN", std::ios::binary).write(data.data(), data.size());
    }
    RayTable table;
    ASSERT_TRUE(table.openRayTable(10.0f, dir.path.string()));
    EXPECT_EQ(table.timeStep(), 10);
    EXPECT_EQ(table.indexCount(), steps.size());
    PhaseSelection settings;   // no selection switch: every phase
    for (int t : {10, 15, 300, 605, 1200, 2990}) {
        const auto& want = steps[t / 10];
        std::size_t n = 0;
        table.forEachRayRecord(t, settings, [&](const RayRecordHeader& h, const RayPoint* p, int count) {
            ASSERT_LT(n, want.size());
            const FrontRecord& w = want[n++];
            EXPECT_EQ(std::string(h.phase), w.phase);
            EXPECT_EQ(h.legType, w.legType);
            EXPECT_EQ(h.time, (t / 10) * 10);
            ASSERT_EQ(count, static_cast<int>(w.points.size()));
            EXPECT_EQ(p[0].along, w.points[0].along);
            EXPECT_EQ(p[count - 1].across, w.points.back().across);
        });
        EXPECT_EQ(n, want.size()) << t;
        // The tool's own reader agrees.
        EXPECT_EQ(readRayPathStep((dir.path / "OV0.INX").string(), (dir.path / "OV0.BIN").string(),
                                  static_cast<std::size_t>(t / 10)).size(), want.size());
    }
    // Beyond the last step nothing is drawn.
    std::size_t beyond = 0;
    table.forEachRayRecord(static_cast<int>(steps.size()) * 10 + 5, settings,
                           [&](const RayRecordHeader&, const RayPoint*, int) { ++beyond; });
    EXPECT_EQ(beyond, 0u);
}

TEST(RayPaths, SameBytesEveryRun)
{
    RayPathOptions o;
    o.maxEndTime = 400;
    o.minEndTime = 400;
    std::string i1, d1, i2, d2;
    encodeRayPathTables(computeWavefronts(model(), 0.0, o), 10, i1, d1);
    encodeRayPathTables(computeWavefronts(model(), 0.0, o), 10, i2, d2);
    EXPECT_EQ(i1, i2);
    EXPECT_EQ(d1, d2);
    EXPECT_EQ(i1.size(), 41u * 4);
}

TEST(RayPaths, DeepSourceHasDepthPhasesWithConvertedLegs)
{
    RayPathOptions o;
    o.maxEndTime = 700;
    o.minEndTime = 700;
    o.shellKm = 20;
    auto steps = computeWavefronts(model(), 600.0, o);
    ASSERT_EQ(steps.size(), 71u);
    std::set<int> spLegs;
    bool pP = false, upP = false;
    for (const FrontRecord& r : steps[15]) {
        if (r.phase == "sP")
            spLegs.insert(r.legType);
        if (r.phase == "pP")
            pP = true;
    }
    // At 150 s sP is partly S still rising and partly P after the surface.
    EXPECT_EQ(spLegs, (std::set<int>{1, 2}));
    EXPECT_TRUE(pP);
    // At 30 s the P front is a small circle around the source, above and below it.
    for (const FrontRecord& r : steps[3])
        if (r.phase == "P")
            for (const FrontPoint& p : r.points) {
                double dist = std::hypot(p.along - (6371.0 - 600.0), p.across);
                EXPECT_NEAR(dist, 30 * 10.3, 30) << p.along << " " << p.across;
                upP = upP || p.along > 6371 - 600 + 200;
            }
    EXPECT_TRUE(upP);
}

TEST(RayPaths, DamagedFilesReadAsNothing)
{
    TempDir dir;
    std::string inx = (dir.path / "X.INX").string(), bin = (dir.path / "X.BIN").string();
    EXPECT_TRUE(readRayPathStep(inx, bin, 0).empty());
    std::ofstream(inx, std::ios::binary).write("\xff\xff\xff\x7f\x00\x00\x00\x00", 8);
    std::ofstream(bin, std::ios::binary).write("P\0\0\0\0\0\0\0\0\0\0\0\x01\x00\x0a\x00\xff\xff\0\0", 20);
    EXPECT_TRUE(readRayPathStep(inx, bin, 0).empty());   // offset past the end
    EXPECT_TRUE(readRayPathStep(inx, bin, 1).empty());   // 65535 points promised, none there
    EXPECT_TRUE(readRayPathStep(inx, bin, 7).empty());
}
