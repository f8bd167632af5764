// Earth model reading, ray integration and the travel-time tables.
#include "EarthModel.h"
#include "RayTracer.h"
#include "TravelTimeTables.h"

#include "seismology/TravelTimes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <unistd.h>

namespace {

constexpr double kPi = 3.14159265358979323846;

const EarthModel& jbModel()
{
    static const EarthModel m = [] {
        const std::string beside = OV_SOURCE_DIR "/data/jb-model.txt";
        return loadEarthModel(std::filesystem::exists(beside)
                                  ? beside : OV_SOURCE_DIR "/../shared/data/jb-model.txt");
    }();
    return m;
}

std::vector<double> columnDepths()
{
    std::vector<double> d;
    for (int c = 0; c < kTableColumnCount; ++c)
        d.push_back(tableColumnDepth(c));
    return d;
}

// The four phases' curves for all columns, computed once for the file.
const std::vector<ArrivalCurve>& curves(const std::string& phase)
{
    static std::map<std::string, std::vector<ArrivalCurve>> cache;
    auto it = cache.find(phase);
    if (it == cache.end())
        it = cache.emplace(phase, firstArrivals(jbModel(), phase, columnDepths())).first;
    return it->second;
}

} // namespace

TEST(EarthModel, ReadsTheModelFileWithDiscontinuitiesAndCore)
{
    const EarthModel& m = jbModel();
    ASSERT_FALSE(m.empty());
    EXPECT_EQ(m.nodes.size(), 76u);
    EXPECT_DOUBLE_EQ(m.nodes.front().depth, 0.0);
    EXPECT_DOUBLE_EQ(m.nodes.back().depth, 6371.0);
    EXPECT_DOUBLE_EQ(m.coreMantleDepth(), 2885.2);
    EXPECT_DOUBLE_EQ(m.innerCoreDepth(), 5158.35);
    // The Moho is a discontinuity: two rows at 33 km, crust above, mantle below.
    int at33 = 0;
    for (const ModelNode& n : m.nodes)
        if (n.depth == 33.0)
            ++at33;
    EXPECT_EQ(at33, 2);
}

TEST(EarthModel, SurvivesJunkAndRepairsGaps)
{
    EXPECT_TRUE(parseEarthModel("").empty());
    EXPECT_TRUE(parseEarthModel(std::string("\0\xff\x01garbage\n\n", 13)).empty());
    EXPECT_TRUE(parseEarthModel("mantle\n# only words\n1 2\n").empty());

    // Rows going up, NaN, negative or absurd velocities and S faster than P are dropped.
    EarthModel m = parseEarthModel("crust\n0 5 3 2.7\n100 6 3.5\n50 7 4\nnan 6 3\n"
                                   "200 -1 3\n200 300 3\n200 4 5\n300 8 4.5 x y z\n");
    ASSERT_EQ(m.nodes.size(), 4u);   // 0, 100, 300 and the centre added below
    EXPECT_DOUBLE_EQ(m.nodes[1].depth, 100.0);
    EXPECT_DOUBLE_EQ(m.nodes[2].depth, 300.0);
    EXPECT_DOUBLE_EQ(m.nodes[3].depth, 6371.0);
    EXPECT_DOUBLE_EQ(m.nodes[3].vp, 8.0);
    EXPECT_LT(m.coreMantleDepth(), 0);

    // A model starting below the surface gets a top row; a third row at one
    // depth replaces the second.
    EarthModel t = parseEarthModel("10 5 3\n20 6 3.4\n20 7 4\n20 7.5 4.2\n6371 9 5\n");
    ASSERT_EQ(t.nodes.size(), 5u);
    EXPECT_DOUBLE_EQ(t.nodes[0].depth, 0.0);
    EXPECT_DOUBLE_EQ(t.nodes[3].vp, 7.5);

    // Any model, however odd, gives tables without crashing.
    EXPECT_FALSE(formatTravelTimeTable(firstArrivals(t, "P", {0.0, 100.0})).empty());
    EXPECT_TRUE(formatTravelTimeTable(firstArrivals(EarthModel{}, "P", {0.0})).empty());
}

TEST(RayIntegration, HomogeneousSphereGivesStraightChords)
{
    EarthModel m = parseEarthModel("0 6.0 3.5\n6371 6.0 3.5\n");
    const double R = 6371.0;
    ShellModel sm(m, {});
    for (double deg : {1.0, 30.0, 90.0, 150.0}) {
        double chord = 2 * R * std::sin(deg * kPi / 360.0);
        EXPECT_NEAR(directTravelTime(sm, phaseByName("P"), 0, deg), chord / 6.0, 0.01) << deg;
        EXPECT_NEAR(directTravelTime(sm, phaseByName("S"), 0, deg), chord / 3.5, 0.01) << deg;
    }
    // The tabulated curve agrees with the chord too.
    std::vector<ArrivalCurve> c = firstArrivals(m, "P", {0.0});
    for (int deg : {0, 10, 45, 120, 179})
        EXPECT_NEAR(c[0][deg], 2 * R * std::sin(deg * kPi / 360.0) / 6.0, 0.01) << deg;
}

TEST(RayIntegration, PAt35DegreesFrom10KmAndConvergence)
{
    ShellModel fine(jbModel(), {10.0}, 2.0);
    ShellModel normal(jbModel(), {10.0});
    double t10 = directTravelTime(normal, phaseByName("P"), 10.0, 35.0);
    EXPECT_NEAR(t10, 414.5, 1.0);
    // Thinner shells change the result by far less than the tables' 0.1 s.
    EXPECT_NEAR(directTravelTime(fine, phaseByName("P"), 10.0, 35.0), t10, 0.02);
}

TEST(TravelTimeTables, ColumnsEqualDirectComputations)
{
    const std::vector<double> depths = columnDepths();
    struct Case { const char* phase; int column; int deg; };
    const Case cases[] = {
        {"P", 0, 0}, {"P", 0, 35}, {"P", 1, 3}, {"P", 6, 60}, {"P", 13, 12}, {"P", 13, 90},
        {"S", 0, 5}, {"S", 4, 45}, {"S", 13, 95},
        {"PP", 0, 40}, {"PP", 3, 120}, {"PP", 13, 170},
        {"SS", 0, 18}, {"SS", 7, 100}, {"SS", 12, 180},
    };
    for (const Case& c : cases) {
        ShellModel sm(jbModel(), {depths[c.column]});
        double direct = directTravelTime(sm, phaseByName(c.phase), depths[c.column], c.deg);
        double table = curves(c.phase)[c.column][c.deg];
        ASSERT_GE(direct, 0) << c.phase << " " << c.column << " " << c.deg;
        EXPECT_NEAR(table, direct, 0.5) << c.phase << " column " << c.column << " at " << c.deg;
    }
}

TEST(TravelTimeTables, SOverPNearRootThree)
{
    // The model's vp/vs runs from 1.66 (crust) to 1.87 (lowest mantle), so
    // the ratio of the travel times stays inside that range, within 0.12 of
    // sqrt 3 (mantle rays see vp/vs of 1.77 to 1.87).
    const auto& p = curves("P");
    const auto& s = curves("S");
    for (int c : {0, 5, 13})
        for (int deg = 5; deg <= 95; deg += 10) {
            ASSERT_GT(p[c][deg], 0);
            ASSERT_GT(s[c][deg], 0);
            double ratio = s[c][deg] / p[c][deg];
            EXPECT_NEAR(ratio, std::sqrt(3.0), 0.12) << c << " " << deg;
            EXPECT_GT(ratio, 1.65);
            EXPECT_LT(ratio, 1.87);
        }
}

TEST(TravelTimeTables, PhasesEndAtTheCoreShadowAndPPReachesTheAntipode)
{
    for (const char* ph : {"P", "S"}) {
        const auto& cv = curves(ph);
        for (int c = 0; c < kTableColumnCount; ++c) {
            int last = 0;
            while (last + 1 < kTableDegrees && cv[c][last + 1] >= 0)
                ++last;
            EXPECT_GE(last, 95) << ph << " " << c;
            EXPECT_LE(last, 103) << ph << " " << c;
            for (int d = last + 1; d < kTableDegrees; ++d)
                EXPECT_LT(cv[c][d], 0) << ph << " " << c << " " << d;
        }
    }
    for (int c = 0; c < kTableColumnCount; ++c)
        EXPECT_GT(curves("PP")[c][180], 0);
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
                if (std::fabs(d - from) < 0.05 || std::fabs(d - to) < 0.05)
                    continue;
                EXPECT_EQ(curves(ph)[c][d] >= 0, d >= from && d <= to)
                    << ph << " column " << c << " at " << d << " (rays reach " << from << " to "
                    << to << ")";
            }
        }
        // Through the core: PKIKP from about 119 degrees, PKP from its
        // caustic near 143 degrees (a little nearer for deep sources).
        const DistanceRange pkikp = phaseDistanceRange(sm, phaseByName("PKIKP"), depths[c]);
        const DistanceRange pkp = phaseDistanceRange(sm, phaseByName("PKP"), depths[c]);
        EXPECT_NEAR(pkikp.from * 180 / kPi, 119.5, 2.0) << c;
        EXPECT_NEAR(pkp.from * 180 / kPi, 142.5, 2.0) << c;
    }
}

TEST(TravelTimeTables, WrittenFilesReadBackColumnByColumn)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("ovraytrace-tt-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ASSERT_TRUE(writeTravelTimeTables(jbModel(), dir.string()));
    for (const char* ph : {"P", "S", "PP", "SS"}) {
        std::ifstream f(dir / (std::string(ph) + ".JB"));
        std::stringstream ss;
        ss << f.rdbuf();
        const std::string text = ss.str();
        EXPECT_EQ(text, formatTravelTimeTable(curves(ph)));
        const auto& cv = curves(ph);
        int rows = 0;
        for (char ch : text)
            rows += ch == '\n';
        for (int c = 0; c < kTableColumnCount; ++c) {
            float depth = c == 0 ? 0.0f : static_cast<float>(tableColumnDepth(c)) + 1.0f;
            ASSERT_EQ(depthColumn(depth), c);
            TravelTimeTable t = loadTravelTimeTable(ph, depth, dir.string());
            ASSERT_EQ(t.count, rows) << ph;
            int first = 0;
            while (cv[c][first] < 0)
                ++first;
            for (int d = 0; d < t.count; ++d) {
                if (d > 0) {   // the reader reads the rows backwards: never falling
                    EXPECT_GE(t.times[d], t.times[d - 1]) << ph << " " << c << " " << d;
                }
                if (d > first && cv[c][d] >= 0) {
                    EXPECT_GT(cv[c][d], cv[c][d - 1]) << ph << " " << c << " " << d;
                }
                if (cv[c][d] >= 0 && d >= first) {
                    char buf[16];
                    std::snprintf(buf, sizeof buf, "%.1f", cv[c][d]);
                    EXPECT_EQ(t.times[d], std::floor(std::atof(buf) + 0.5)) << ph << " " << c << " " << d;
                } else if (d < first) {
                    // Before the phase first reaches the surface the rows hold
                    // that first time, so no front is drawn before it.
                    EXPECT_NEAR(t.times[d], cv[c][first], 0.55);
                } else {
                    // After its end a column repeats its last time; it never
                    // takes a neighbouring column's number.
                    EXPECT_EQ(t.times[d], t.times[d - 1]) << ph << " " << c << " " << d;
                }
            }
            // No front before the first arrival, none after the last.
            EXPECT_EQ(frontDistance(t, t.times[0] - 1.0f), 0.0f);
            EXPECT_EQ(frontDistance(t, t.times[t.count - 1] + 1.0f), 0.0f);
        }
    }
    fs::remove_all(dir);
}

TEST(TravelTimeTables, FormatBlanksTrailingColumnsAsASuffix)
{
    ArrivalCurve a, b, c;
    a.fill(-1);
    b.fill(-1);
    c.fill(-1);
    for (int d = 0; d <= 5; ++d) a[d] = 10.0 * d;
    for (int d = 0; d <= 3; ++d) b[d] = 10.0 * d + 1;
    for (int d = 2; d <= 5; ++d) c[d] = 10.0 * d + 2;   // starts late, outlives b
    std::string text = formatTravelTimeTable({a, b, c});
    EXPECT_EQ(text,
              "    0    0.0    1.0   22.0\n"
              "    1   10.0   11.0   22.0\n"
              "    2   20.0   21.0   22.0\n"
              "    3   30.0   31.0   32.0\n"
              "    4   40.0\n"
              "    5   50.0\n");
}
