// Travel-time tables: reading them, arrival times, front distances and the
// phase selection.
#include "seismology/TravelTimes.h"
#include "tests/data/DataTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

using namespace testdata;

TEST(TableReading, DepthColumnsAndRoundedValues) {
    const std::pair<float, int> depths[] = {{0, 0},    {32.9f, 0}, {33, 1},     {100, 2}, {700, 11},
                                            {794, 13}, {-500, 0},  {1e30f, 13}, {NAN, 0}, {INFINITY, 13}};
    for (auto [depth, column] : depths) EXPECT_EQ(depthColumn(depth), column) << depth;
    const std::string text = "    0  123.5  123.4   -2.5    0.5  1e2    \n";
    const float rounded[] = {124, 123, -2, 1, 100};   // to whole seconds, half up
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(std::make_tuple(parseTravelTimeTable(text, c).times[0], parseTravelTimeTable(text, c).count),
                  std::make_tuple(rounded[c], 1))
            << c;

    const std::string full = tableText(250, 1, 100, 10);   // rows beyond 180 are ignored
    for (int c : {0, 6, 13}) {
        const TravelTimeTable t = parseTravelTimeTable(full, c);
        EXPECT_EQ(std::make_tuple(t.count, t.times[0], t.times[180]), std::make_tuple(181, 100.0f + c * 10, 280.0f + c * 10));
    }
    // Columns outside 0..13 read the nearest real column.
    EXPECT_EQ(std::make_tuple(parseTravelTimeTable(full, 20).times[0], parseTravelTimeTable(full, -3).times[0]),
              std::make_tuple(230.0f, 100.0f));
}

TEST(TableReading, MissingValuesRepeatThePreviousRow) {
    const std::string text = "    0    5.0" + std::string(5000, ' ')
                             + "9\n"                  // row 0, a long line: 5
                               "    1       \n"       // blank column, nothing to the right: 5
                               "    2  abc  \r\n"     // junk: 5
                               "    3\n"              // line ends before the column: 5
                               "   44\n"              // the number never continues onto the next line: 5
                               "    5        7.0\n"   // blank column takes the number to its right: 7
                               "    6   12xyz\n"      // leading number before junk: 12
                               "    7   inf\n"        // not a finite number: 12
                               "    8   -.\n"         // sign and point without digits: 12
                               "    9   1e";          // exponent without digits, no final line feed: 1
    const TravelTimeTable t = parseTravelTimeTable(text, 0);
    ASSERT_EQ(t.count, 10);
    const float expected[] = {5, 5, 5, 5, 5, 7, 12, 12, 12, 1, 0};   // the row beyond the count stays 0
    for (int i = 0; i < 11; ++i) EXPECT_EQ(t.times[i], expected[i]) << "row " << i;
    // A first row reads 0.
    EXPECT_TRUE(parseTravelTimeTable("    0  ---\n    1   20.0\n", 0).times[0] == 0 && parseTravelTimeTable("", 0).count == 0);
}

TEST(TableFiles, ColumnForTheDepthNameCaseAndDamagedFiles) {
    TempDir dir;
    writeFile(dir / "PP.JB", tableText(181, 1, 100, 10));
    writeFile(dir / "s.jb", "");
    EXPECT_EQ(std::make_tuple(loadTravelTimeTable("PP", 700, dir.path()).times[0], loadTravelTimeTable("PP", 0, dir.path()).times[5],
                              loadTravelTimeTable("P", 0, dir.path()).count, loadTravelTimeTable("S", 0, dir.path()).count),
              std::make_tuple(210.0f, 105.0f, 0, 0));   // missing; empty, any name case
    // Garbage after the last row is never read; no line ends at all is one row.
    writeFile(dir / "P.JB", tableText(181, 1, 1, 10) + std::string(1 << 20, 'x'));
    EXPECT_EQ(loadTravelTimeTable("P", 0, dir.path()).times[180], 181);
    writeFile(dir / "ss.jb", "    0   77.0" + std::string(6 << 20, ' '));
    const TravelTimeTable one = loadTravelTimeTable("SS", 0, dir.path());
    EXPECT_EQ(std::make_tuple(one.count, one.times[0]), std::make_tuple(1, 77.0f));
}

TEST(ArrivalTime, InterpolatesWithinTheTableAndGivesZeroOutside) {
    const TravelTimeTable t = parseTravelTimeTable(tableText(181, 10), 0);
    const std::pair<float, float> cases[] = {{0, 0}, {180, 1800}, {180.5f, 0}, {-0.5f, 0}, {45.5f, 455}, {179.25f, 1792.5f}, {NAN, 0}};
    for (auto [deg, time] : cases) EXPECT_FLOAT_EQ(arrivalTime(t, deg), time) << deg;
    EXPECT_EQ(arrivalTime(parseTravelTimeTable(tableText(181, 10), 3), 0), 3);   // the first row's time
    TravelTimeTable shortTable = parseTravelTimeTable(tableText(100, 10), 0);
    EXPECT_EQ(std::make_tuple(arrivalTime(shortTable, 99), arrivalTime(shortTable, 99.01f), arrivalTime(TravelTimeTable{}, 10),
                              frontDistance(TravelTimeTable{}, 10)),
              std::make_tuple(990.0f, 0.0f, 0.0f, 0.0f));
    shortTable.count = 30000;   // a count that does not fit the table is held to it
    EXPECT_EQ(arrivalTime(shortTable, 180), shortTable.times[180]);
    shortTable.count = -4;
    EXPECT_EQ(arrivalTime(shortTable, 10), 0);

    // The front reads the table backwards: times 60, 70, ... give no front before 60 s.
    const TravelTimeTable late = parseTravelTimeTable(tableText(181, 10, 60), 0);
    const std::pair<float, float> fronts[] = {{59, 0}, {60, 0}, {125, 6.5f}, {1860, 180}, {1861, 0}};
    for (auto [time, deg] : fronts) EXPECT_FLOAT_EQ(frontDistance(late, time), deg) << time;

    // Repeated and falling abscissas: no division by zero, no read outside.
    const float flat[] = {0, 10, 10, 10, 20, 5, 30}, fy[] = {0, 1, 2, 3, 4, 5, 6};
    for (float x = -1; x <= 31; x += 0.5f) EXPECT_TRUE(std::isfinite(interpolateTable(flat, fy, 7, x))) << x;
}

TEST(PhaseSelection, NamesPatternsAndSwitchesInOrder) {
    const std::vector<std::string> names = {"PKP", "S*"}, pattern = {"PK*"};
    struct Case {
        PhaseSelection selection;
        const char* yes;
        const char* no;
    };
    const Case cases[] = {
        {{}, "SKS X", ""},   // nothing set: every phase
        {{false, false, false, true, names}, "PKP S SKS", "PKIKP P pkp s"},
        {{false, false, false, true, pattern}, "PKIKP P PK", "S PP SKP"},
        {{false, false, false, true, {}}, "", "P"},
        {{false, false, true, true, {}}, "SS", "PKP"},   // S* before the names
        {{false, true, true, true, {}}, "PKP", "SKS"},   // P* before S*
        {{true, true, true, true, {}}, "SKS X", ""},     // all before everything
    };
    for (const Case& c : cases) {
        std::istringstream yes(c.yes), no(c.no);
        for (std::string phase; yes >> phase;) EXPECT_TRUE(phaseSelected(c.selection, phase.c_str())) << phase << " " << c.yes;
        for (std::string phase; no >> phase;) EXPECT_FALSE(phaseSelected(c.selection, phase.c_str())) << phase << " " << c.no;
        EXPECT_FALSE(phaseSelected(c.selection, nullptr));
    }
}
