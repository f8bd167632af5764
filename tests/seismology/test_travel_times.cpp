#include "seismology/TravelTimes.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// One table line: a 5-character distance label and 14 columns of 7 characters.
// Column c holds base + c * 10 + distance.
std::string tableLine(int distance, double base) {
    char buf[160];
    int n = std::snprintf(buf, sizeof buf, "%5d", distance);
    for (int c = 0; c < 14; ++c)
        n += std::snprintf(buf + n, sizeof buf - n, "%7.1f", base + c * 10 + distance);
    return std::string(buf) + "\n";
}

// Rows times 0, step, 2*step, ... in every column, offset by the column number.
std::string evenTable(int rows, double step) {
    std::string text;
    for (int d = 0; d < rows; ++d) {
        char buf[160];
        int n = std::snprintf(buf, sizeof buf, "%5d", d);
        for (int c = 0; c < 14; ++c)
            n += std::snprintf(buf + n, sizeof buf - n, "%7.1f", d * step + c);
        text += std::string(buf) + "\n";
    }
    return text;
}

}  // namespace

TEST(DepthColumn, DepthsMapToColumns) {
    EXPECT_EQ(depthColumn(0), 0);
    EXPECT_EQ(depthColumn(32.9f), 0);
    EXPECT_EQ(depthColumn(33), 1);
    EXPECT_EQ(depthColumn(100), 2);
    EXPECT_EQ(depthColumn(700), 11);
    EXPECT_EQ(depthColumn(794), 13);
    EXPECT_EQ(depthColumn(900), 13);
    EXPECT_EQ(depthColumn(-500), 0);
    EXPECT_EQ(depthColumn(1e30f), 13);
    EXPECT_EQ(depthColumn(NAN), 0);
    EXPECT_EQ(depthColumn(INFINITY), 13);
}

TEST(TableReading, ColumnValuesAreRoundedToWholeSeconds) {
    std::string text = "    0  123.5  123.4   -2.5    0.5  1e2    \n";
    EXPECT_EQ(parseTravelTimeTable(text, 0).times[0], 124);
    EXPECT_EQ(parseTravelTimeTable(text, 1).times[0], 123);
    EXPECT_EQ(parseTravelTimeTable(text, 2).times[0], -2);   // floor(-2.0)
    EXPECT_EQ(parseTravelTimeTable(text, 3).times[0], 1);
    EXPECT_EQ(parseTravelTimeTable(text, 4).times[0], 100);
    EXPECT_EQ(parseTravelTimeTable(text, 0).count, 1);
}

TEST(TableReading, EachColumnReadsItsOwnValues) {
    std::string text;
    for (int d = 0; d < 181; ++d) text += tableLine(d, 100);
    for (int c = 0; c < 14; ++c) {
        const TravelTimeTable t = parseTravelTimeTable(text, c);
        ASSERT_EQ(t.count, 181);
        EXPECT_EQ(t.times[0], 100 + c * 10);
        EXPECT_EQ(t.times[180], 100 + c * 10 + 180);
    }
    // Columns outside 0..13 read the nearest real column.
    EXPECT_EQ(parseTravelTimeTable(text, 20).times[0], 230);
    EXPECT_EQ(parseTravelTimeTable(text, -3).times[0], 100);
}

TEST(TableReading, MissingValuesRepeatThePreviousRow) {
    const std::string text =
        "    0    5.0\n"          // row 0: 5
        "    1       \n"          // blank column, nothing to the right: 5
        "    2  abc  \n"          // junk: 5
        "    3\n"                 // line ends before the column: 5
        "\n"                      // empty line: 5
        "    5        7.0\n"      // blank column takes the number to its right: 7
        "    6   12xyz\n"         // leading number before junk: 12
        "    7   inf\n"           // not a finite number: 12
        "    8   -.\n"            // sign and point without digits: 12
        "    9   1e\n";           // exponent without digits: reads 1
    const TravelTimeTable t = parseTravelTimeTable(text, 0);
    ASSERT_EQ(t.count, 10);
    const float expected[] = {5, 5, 5, 5, 5, 7, 12, 12, 12, 1};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(t.times[i], expected[i]) << "row " << i;
    // The row beyond the count stays 0.
    EXPECT_EQ(t.times[10], 0);
}

TEST(TableReading, FirstRowWithoutNumberReadsZero) {
    const TravelTimeTable t = parseTravelTimeTable("    0  ---\n    1   20.0\n", 0);
    ASSERT_EQ(t.count, 2);
    EXPECT_EQ(t.times[0], 0);
    EXPECT_EQ(t.times[1], 20);
}

TEST(TableReading, LineEndsAndLengths) {
    // Windows line ends, and a last line without one.
    const TravelTimeTable crlf = parseTravelTimeTable("    0   10.0\r\n    1   20.0\r\n    2   30.0", 0);
    ASSERT_EQ(crlf.count, 3);
    EXPECT_EQ(crlf.times[2], 30);
    // The number never continues onto the next line.
    const TravelTimeTable split = parseTravelTimeTable("    0\n   44\n    2   33.0\n", 0);
    ASSERT_EQ(split.count, 3);
    EXPECT_EQ(split.times[0], 0);
    EXPECT_EQ(split.times[1], 0);
    EXPECT_EQ(split.times[2], 33);
    // A very long line is one row.
    const TravelTimeTable longLine =
        parseTravelTimeTable("    0   10.0" + std::string(5000, ' ') + "9\n    1   20.0\n", 0);
    ASSERT_EQ(longLine.count, 2);
    EXPECT_EQ(longLine.times[1], 20);
    EXPECT_EQ(parseTravelTimeTable("", 0).count, 0);
}

TEST(TableReading, RowsBeyondTheLastDistanceAreIgnored) {
    std::string text;
    for (int d = 0; d < 250; ++d) text += tableLine(d, 1);
    const TravelTimeTable t = parseTravelTimeTable(text, 0);
    EXPECT_EQ(t.count, 181);
    EXPECT_EQ(t.times[180], 181);
}

TEST(TableReading, JunkBytesNeverBreakTheReader) {
    std::string junk;
    unsigned x = 12345;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1103515245u + 12345u;
        junk.push_back(static_cast<char>(x >> 16));
    }
    for (int c = 0; c < 14; ++c) {
        const TravelTimeTable t = parseTravelTimeTable(junk, c);
        EXPECT_GE(t.count, 0);
        EXPECT_LE(t.count, 181);
        for (float v : t.times) EXPECT_TRUE(std::isfinite(v));
    }
}

TEST(TableFiles, LoadsTheColumnForTheDepth) {
    TempDir dir;
    std::string text;
    for (int d = 0; d < 181; ++d) text += tableLine(d, 100);
    writeFile(dir.file("PP.JB"), text);
    const TravelTimeTable t = loadTravelTimeTable("PP", 700, dir.path());
    ASSERT_EQ(t.count, 181);
    EXPECT_EQ(t.times[0], 100 + 11 * 10);
    EXPECT_EQ(loadTravelTimeTable("PP", 0, dir.path()).times[5], 105);
}

TEST(TableFiles, NameCaseDoesNotMatter) {
    TempDir dir;
    writeFile(dir.file("ss.jb"), "    0   42.0\n");
    const TravelTimeTable t = loadTravelTimeTable("SS", 0, dir.path());
    ASSERT_EQ(t.count, 1);
    EXPECT_EQ(t.times[0], 42);
}

TEST(TableFiles, MissingEmptyAndOverlongFiles) {
    TempDir dir;
    EXPECT_EQ(loadTravelTimeTable("P", 0, dir.path()).count, 0);
    writeFile(dir.file("S.JB"), "");
    EXPECT_EQ(loadTravelTimeTable("S", 0, dir.path()).count, 0);
    std::string text;
    for (int d = 0; d < 181; ++d) text += tableLine(d, 1);
    text += std::string(1 << 20, 'x');   // garbage after the last row is never read
    writeFile(dir.file("P.JB"), text);
    const TravelTimeTable t = loadTravelTimeTable("P", 0, dir.path());
    EXPECT_EQ(t.count, 181);
    EXPECT_EQ(t.times[180], 181);
    // No line ends at all: one row, read from the start.
    writeFile(dir.file("SS.JB"), "    0   77.0" + std::string(6 << 20, ' '));
    const TravelTimeTable one = loadTravelTimeTable("SS", 0, dir.path());
    EXPECT_EQ(one.count, 1);
    EXPECT_EQ(one.times[0], 77);
}

TEST(ArrivalTime, FullTableEndsAndInterpolation) {
    const TravelTimeTable t = parseTravelTimeTable(evenTable(181, 10), 0);
    ASSERT_EQ(t.count, 181);
    EXPECT_EQ(arrivalTime(t, 0), 0);
    EXPECT_EQ(arrivalTime(t, 180), 1800);
    EXPECT_EQ(arrivalTime(t, 180.5f), 0);
    EXPECT_EQ(arrivalTime(t, -0.5f), 0);
    EXPECT_FLOAT_EQ(arrivalTime(t, 45.5f), 455);
    EXPECT_FLOAT_EQ(arrivalTime(t, 179.25f), 1792.5f);
    EXPECT_EQ(arrivalTime(t, NAN), 0);

    const TravelTimeTable col3 = parseTravelTimeTable(evenTable(181, 10), 3);
    EXPECT_EQ(arrivalTime(col3, 0), 3);   // the first row's time
}

TEST(ArrivalTime, ShortTableAndNoTable) {
    const TravelTimeTable t = parseTravelTimeTable(evenTable(100, 10), 0);
    ASSERT_EQ(t.count, 100);
    EXPECT_EQ(arrivalTime(t, 99), 990);
    EXPECT_EQ(arrivalTime(t, 99.01f), 0);
    EXPECT_EQ(arrivalTime(t, 150), 0);
    const TravelTimeTable none;
    EXPECT_EQ(arrivalTime(none, 10), 0);
    EXPECT_EQ(frontDistance(none, 10), 0);
    // A count that does not fit the table is held to it.
    TravelTimeTable odd = t;
    odd.count = 30000;
    EXPECT_EQ(arrivalTime(odd, 180), odd.times[180]);
    odd.count = -4;
    EXPECT_EQ(arrivalTime(odd, 10), 0);
}

TEST(FrontDistance, ReadsTheTableBackwards) {
    // Times 60, 70, ... : no front before 60 s.
    std::string text;
    for (int d = 0; d < 181; ++d) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%5d%7.1f\n", d, 60.0 + 10 * d);
        text += buf;
    }
    const TravelTimeTable t = parseTravelTimeTable(text, 0);
    EXPECT_EQ(frontDistance(t, 59), 0);
    EXPECT_EQ(frontDistance(t, 60), 0);   // distance 0 at the first time
    EXPECT_FLOAT_EQ(frontDistance(t, 125), 6.5f);
    EXPECT_EQ(frontDistance(t, 1860), 180);
    EXPECT_EQ(frontDistance(t, 1861), 0);
}

TEST(Interpolation, OutsideAndDegenerateInput) {
    const float xs[] = {0, 10, 20, 30};
    const float ys[] = {5, 6, 8, 11};
    EXPECT_EQ(interpolateTable(xs, ys, 0, 0), 0);
    EXPECT_EQ(interpolateTable(xs, ys, 4, 30), 11);
    EXPECT_FLOAT_EQ(interpolateTable(xs, ys, 4, 15), 7);
    EXPECT_EQ(interpolateTable(xs, ys, 4, INFINITY), 0);
    EXPECT_EQ(interpolateTable(xs, ys, 4, NAN), 0);
    // Repeated and falling abscissas give some value, never a division by
    // zero or a read outside the arrays.
    const float flat[] = {0, 10, 10, 10, 20, 5, 30};
    const float fy[] = {0, 1, 2, 3, 4, 5, 6};
    for (float x = -1; x <= 31; x += 0.5f)
        EXPECT_TRUE(std::isfinite(interpolateTable(flat, fy, 7, x))) << x;
}

TEST(PhaseSelection, SpecifiedNamesAndPatterns) {
    std::vector<std::string> names = {"PKP", "S*"};
    PhaseSelection s;
    s.specified = true;
    s.phases = names;
    for (const char* yes : {"PKP", "S", "SKS", "SS"}) EXPECT_TRUE(phaseSelected(s, yes)) << yes;
    for (const char* no : {"PKIKP", "P", "pkp", "s"}) EXPECT_FALSE(phaseSelected(s, no)) << no;

    names = {"PK*"};
    s.phases = names;
    for (const char* yes : {"PKP", "PKIKP", "P", "PK"}) EXPECT_TRUE(phaseSelected(s, yes)) << yes;
    for (const char* no : {"S", "PP", "SKP"}) EXPECT_FALSE(phaseSelected(s, no)) << no;

    names = {"*"};
    s.phases = names;
    EXPECT_TRUE(phaseSelected(s, "SKKS"));
    s.phases = {};
    EXPECT_FALSE(phaseSelected(s, "P"));
    EXPECT_FALSE(phaseSelected(s, nullptr));
}

TEST(PhaseSelection, SwitchesInOrder) {
    PhaseSelection s;   // nothing set: every phase
    EXPECT_TRUE(phaseSelected(s, "SKS"));
    const std::string names[] = {"SKS"};
    s.specified = true;
    s.phases = names;
    s.sOnly = true;
    EXPECT_TRUE(phaseSelected(s, "SS"));
    EXPECT_FALSE(phaseSelected(s, "PKP"));
    s.pOnly = true;   // P* wins over S*
    EXPECT_TRUE(phaseSelected(s, "PKP"));
    EXPECT_FALSE(phaseSelected(s, "SKS"));
    s.all = true;
    EXPECT_TRUE(phaseSelected(s, "SKS"));
    EXPECT_TRUE(phaseSelected(s, "X"));
}

TEST(Phases, TableOrderAndAxis) {
    EXPECT_STREQ(kTablePhases[0], "P");
    EXPECT_STREQ(kTablePhases[3], "SS");
    EXPECT_EQ(distanceAxis[0], 0);
    EXPECT_EQ(distanceAxis[180], 180);
}
