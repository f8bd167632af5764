// The table builder: earth model, travel-time tables and the cross-section's
// wavefront tables, read back by the display's own readers.
#include "EarthModel.h"
#include "RayPathTables.h"
#include "RayTracer.h"
#include "TravelTimeTables.h"

#include "seismology/RayTable.h"
#include "seismology/TravelTimes.h"
#include "tests/data/DataTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

namespace {

constexpr double kCoreRadius = 6371.0 - 2885.2;
constexpr double kPi = 3.14159265358979323846;

std::vector<double> columnDepths() {
    std::vector<double> depths;
    for (int c = 0; c < kTableColumnCount; ++c) depths.push_back(tableColumnDepth(c));
    return depths;
}

const EarthModel& jbModel() {
    static const std::string beside = OV_SOURCE_DIR "/data/jb-model.txt";
    static const EarthModel m = loadEarthModel(std::filesystem::exists(beside) ? beside : OV_SOURCE_DIR "/../shared/data/jb-model.txt");
    return m;
}

// The four phases' curves for all columns, and the wavefronts of a surface source, computed once.
const std::vector<ArrivalCurve>& curves(const std::string& phase) {
    static std::map<std::string, std::vector<ArrivalCurve>> cache;
    if (!cache.count(phase)) cache[phase] = firstArrivals(jbModel(), phase, columnDepths());
    return cache[phase];
}

const std::vector<std::vector<FrontRecord>>& surfaceFronts() {
    static const auto steps = computeWavefronts(jbModel(), 0.0);
    return steps;
}

double radiusOf(const FrontPoint& p) { return std::hypot(p.along, p.across); }

}   // namespace

TEST(EarthModel, ReadsTheModelFileAndSurvivesJunk) {
    const EarthModel& m = jbModel();
    ASSERT_EQ(m.nodes.size(), 76u);
    EXPECT_EQ(std::make_tuple(m.nodes.back().depth, m.coreMantleDepth(), m.innerCoreDepth()), std::make_tuple(6371.0, 2885.2, 5158.35));
    EXPECT_EQ(std::count_if(m.nodes.begin(), m.nodes.end(), [](const ModelNode& n) { return n.depth == 33.0; }), 2);   // the Moho
    for (const std::string& junk : {std::string(), std::string("\0\xff\x01garbage\n\n", 13), std::string("mantle\n# words\n1 2\n")})
        EXPECT_TRUE(parseEarthModel(junk).empty());
    // Rows going up, NaN, negative or absurd velocities and S faster than P are
    // dropped; a model starting below the surface gets a top row, one without
    // its centre a bottom row.
    const EarthModel bad = parseEarthModel("10 5 3 2.7\n100 6 3.5\n50 7 4\nnan 6 3\n200 -1 3\n200 300 3\n200 4 5\n300 8 4.5 x y\n");
    ASSERT_EQ(bad.nodes.size(), 5u);
    EXPECT_EQ(std::make_tuple(bad.nodes[0].depth, bad.nodes[2].depth, bad.nodes[3].depth, bad.nodes[4].depth, bad.nodes[4].vp),
              std::make_tuple(0.0, 100.0, 300.0, 6371.0, 8.0));
    EXPECT_FALSE(formatTravelTimeTable(firstArrivals(bad, "P", {0.0, 100.0})).empty());   // odd, but tables come
}

TEST(TravelTimeTables, ColumnsEqualDirectComputationsAndEndAtTheCoreShadow) {
    struct Case {
        const char* phase;
        int column;
        int deg;
    };
    const Case cases[] = {{"P", 0, 0},   {"P", 1, 3},    {"P", 6, 60},    {"P", 13, 90}, {"S", 0, 5},
                          {"S", 13, 95}, {"PP", 3, 120}, {"PP", 13, 170}, {"SS", 0, 18}, {"SS", 12, 180}};
    for (const Case& c : cases) {
        const double depth = tableColumnDepth(c.column);
        const double direct = directTravelTime(ShellModel(jbModel(), {depth}), phaseByName(c.phase), depth, c.deg);
        EXPECT_TRUE(direct >= 0 && std::fabs(curves(c.phase)[c.column][c.deg] - direct) <= 0.5)
            << c.phase << " " << c.column << " " << c.deg;
    }
    for (const char* ph : {"P", "S"})
        for (int c = 0; c < kTableColumnCount; ++c) {
            const ArrivalCurve& cv = curves(ph)[c];
            const int last = static_cast<int>(std::find_if(cv.begin() + 1, cv.end(), [](double t) { return t < 0; }) - cv.begin()) - 1;
            EXPECT_TRUE(last >= 95 && last <= 103) << ph << " " << c << " " << last;
            EXPECT_TRUE(std::all_of(cv.begin() + last + 1, cv.end(), [](double t) { return t < 0; })) << ph << " " << c;
            EXPECT_GT(curves("PP")[c][180], 0);
        }
    // A buried source has no PP close in: its first surface reflection needs room.
    EXPECT_GT(curves("PP")[0][1], 0);
    EXPECT_LT(curves("PP")[13][20], 0);

    // The distances a phase's rays reach, found by scanning its take-off
    // angles, bound exactly the degrees where the tables' curves arrive.
    const std::vector<double> depths = columnDepths();
    for (int c : {0, 10, 13}) {
        const ShellModel sm(jbModel(), {depths[c]});
        for (const char* ph : {"P", "S", "PP", "SS"}) {
            const DistanceRange r = phaseDistanceRange(sm, phaseByName(ph), depths[c]);
            ASSERT_GE(r.from, 0) << ph << " " << c;
            const double from = r.from * 180 / kPi, to = r.to * 180 / kPi;
            for (int d = 0; d < kTableDegrees; ++d) {
                if (std::fabs(d - from) < 0.05 || std::fabs(d - to) < 0.05) continue;
                EXPECT_EQ(curves(ph)[c][d] >= 0, d >= from && d <= to) << ph << " column " << c << " at " << d;
            }
        }
        // Through the core: PKIKP from about 119 degrees, PKP from its
        // caustic near 143 degrees (a little nearer for deep sources).
        EXPECT_NEAR(phaseDistanceRange(sm, phaseByName("PKIKP"), depths[c]).from * 180 / kPi, 119.5, 2.0) << c;
        EXPECT_NEAR(phaseDistanceRange(sm, phaseByName("PKP"), depths[c]).from * 180 / kPi, 142.5, 2.0) << c;
    }
}

TEST(TravelTimeTables, WrittenFilesReadBackColumnByColumn) {
    testdata::TempDir dir;
    ASSERT_TRUE(writeTravelTimeTables(jbModel(), dir.path()));
    for (const char* ph : {"P", "S", "PP", "SS"}) {
        const std::string text = testdata::readFile(dir / (std::string(ph) + ".JB"));
        EXPECT_EQ(text, formatTravelTimeTable(curves(ph)));
        const int rows = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
        for (int c = 0; c < kTableColumnCount; ++c) {
            const ArrivalCurve& cv = curves(ph)[c];
            const float depth = c == 0 ? 0.0f : static_cast<float>(tableColumnDepth(c)) + 1.0f;
            const TravelTimeTable t = loadTravelTimeTable(ph, depth, dir.path());
            ASSERT_EQ(t.count, rows) << ph;
            const int first = static_cast<int>(std::find_if(cv.begin(), cv.end(), [](double v) { return v >= 0; }) - cv.begin());
            for (int d = 0; d < t.count; ++d) {
                // The reader reads the rows backwards: never falling.
                ASSERT_GE(t.times[d], d > 0 ? t.times[d - 1] : 0.0f) << ph << " " << c << " " << d;
                if (cv[d] >= 0 && d >= first)   // the rounded time of the curve
                    EXPECT_EQ(t.times[d], std::floor(std::round(cv[d] * 10) / 10 + 0.5)) << ph << " " << c << " " << d;
                else if (d < first)   // before the first arrival the rows hold its time
                    EXPECT_NEAR(t.times[d], cv[first], 0.55);
                else   // after its end a column repeats its last time, never a neighbour's
                    EXPECT_EQ(t.times[d], t.times[d - 1]) << ph << " " << c << " " << d;
            }
            EXPECT_TRUE(frontDistance(t, t.times[0] - 1.0f) == 0 && frontDistance(t, t.times[t.count - 1] + 1.0f) == 0);
        }
    }
}

TEST(RayPaths, StepsPhasesAndLegTypes) {
    const auto& steps = surfaceFronts();
    ASSERT_GE(steps.size(), 301u);   // at least 3000 s
    EXPECT_TRUE(steps[0].empty());
    std::set<std::string> names;
    std::set<std::pair<std::string, int>> legs;
    for (std::size_t k = 1; k < steps.size(); ++k)
        for (const FrontRecord& r : steps[k]) {
            ASSERT_TRUE(r.time == k * 10 && r.points.size() >= 2u);
            names.insert(r.phase);
            legs.insert({r.phase, r.legType});
            for (const FrontPoint& p : r.points) {
                ASSERT_TRUE(p.across >= 0 && radiusOf(p) <= 6372.0) << r.phase;
                const bool throughCore = r.phase == "SKS" || r.phase == "SKKS";   // S in the mantle, P in the core
                ASSERT_TRUE(!throughCore || (r.legType == 1 ? radiusOf(p) < kCoreRadius + 5 : radiusOf(p) > kCoreRadius - 5));
            }
        }
    for (const char* n : {"P", "PP", "PcP", "PKP", "PKIKP", "PKiKP", "S", "SS", "ScS", "SKS", "SKKS", "ScP", "PcS"})
        EXPECT_TRUE(names.count(n)) << n;
    EXPECT_FALSE(names.count("pP"));   // a surface source has no depth phases
    EXPECT_FALSE(legs.count({"P", 2}) || legs.count({"PKIKP", 2}) || legs.count({"S", 1}) || legs.count({"SS", 1}));
    EXPECT_TRUE(legs.count({"SKS", 1}) && legs.count({"SKS", 2}) && legs.count({"PcS", 1}) && legs.count({"PcS", 2}));

    // The surface end of the P front lies where the travel-time table says.
    const TravelTimeTable table = parseTravelTimeTable(formatTravelTimeTable(firstArrivals(jbModel(), "P", {0.0})), 0);
    for (int t : {300, 600, 800}) {
        double best = -1;
        for (const FrontRecord& r : steps[t / 10])
            for (const FrontPoint& p : r.points)
                if (r.phase == "P" && radiusOf(p) > 6371.0 - 15.0) best = std::max(best, std::atan2(p.across, p.along) * 180.0 / M_PI);
        EXPECT_NEAR(best, frontDistance(table, static_cast<float>(t)), 1.0) << t;
    }
}

TEST(RayPaths, TheDisplaysReaderReadsTheWrittenFilesBack) {
    std::string index, data;
    testdata::TempDir dir;
    encodeRayPathTables(surfaceFronts(), 10, index, data);
    testdata::writeFile(dir / "OV0.INX", index);
    testdata::writeFile(dir / "OV0.BIN", data);
    RayTable table;
    ASSERT_TRUE(table.openRayTable(10.0f, dir.path()));
    EXPECT_EQ(std::make_tuple(table.timeStep(), table.indexCount()), std::make_tuple(10, surfaceFronts().size()));
    for (int t : {15, 605, 2990}) {
        const auto& want = surfaceFronts()[t / 10];
        std::size_t n = 0;
        table.forEachRayRecord(t, PhaseSelection{}, [&](const RayRecordHeader& h, const RayPoint* p, int count) {
            ASSERT_LT(n, want.size());
            const FrontRecord& w = want[n++];
            EXPECT_EQ(std::make_tuple(std::string(h.phase), int(h.legType), int(h.time), count),
                      std::make_tuple(w.phase, int(w.legType), (t / 10) * 10, int(w.points.size())));
            EXPECT_EQ(std::make_tuple(p[0].along, p[count - 1].across), std::make_tuple(w.points[0].along, w.points.back().across));
        });
        EXPECT_EQ(n, want.size()) << t;
        EXPECT_EQ(readRayPathStep(dir / "OV0.INX", dir / "OV0.BIN", t / 10).size(), want.size());
    }
    // Damaged files read as nothing: an offset past the end, points promised but missing.
    testdata::writeFile(dir / "X.INX", std::string("\xff\xff\xff\x7f\0\0\0\0", 8));
    testdata::writeFile(dir / "X.BIN", std::string("P\0\0\0\0\0\0\0\0\0\0\0\x01\0\x0a\0\xff\xff\0\0", 20));
    for (std::size_t step : {0, 1, 7}) EXPECT_TRUE(readRayPathStep(dir / "X.INX", dir / "X.BIN", step).empty()) << step;
    EXPECT_TRUE(readRayPathStep(dir / "none.INX", dir / "none.BIN", 0).empty());
}
