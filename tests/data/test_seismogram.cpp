// SAC seismograms: byte order, truncated and hostile files, derived run values
// and the calendar helpers.
#include "DataTestSupport.h"
#include "data/Seismogram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace testdata;

namespace {

KSAC readWithSamples(const std::string& path) {
    KSAC k;
    k.loadSamples = true;
    k.header.setUndefined();
    k.readSAC(path);
    return k;
}

}   // namespace

TEST(Seismogram, BigEndianLayoutIsWrittenAndReadBack) {
    SacHeader h = stationHeader("ANMO", 0, 0);
    h.f[DELTA] = 0.5f;
    h.i[NPTS] = 3;
    const std::string file = encodeSac(h, {1.0f, -2.0f, 4.0f});
    ASSERT_EQ(file.size(), kSacHeaderBytes + 12);
    // DELTA, NPTS, the station name and the samples where a reader expects them.
    const std::pair<std::size_t, std::string> bytes[] = {{0, std::string("\x3f\0\0\0", 4)},
                                                         {316, std::string("\0\0\0\x03", 4)},
                                                         {440, "ANMO    "},
                                                         {632, std::string("\x3f\x80\0\0\xc0\0\0\0\x40\x80\0\0", 12)}};
    for (const auto& [at, expected] : bytes) EXPECT_EQ(file.substr(at, expected.size()), expected) << at;
    TempDir dir;
    writeFile(dir / "ANMO.BHZ", file);
    const KSAC k = readWithSamples(dir / "anmo.bhz");
    EXPECT_EQ(k.samples, (std::vector<float>{1.0f, -2.0f, 4.0f}));
    EXPECT_EQ(std::make_tuple(k.npts(), k.header.f[DELTA], k.header.f[DEPMAX], k.header.f[DEPMIN], k.header.f[DEPMEN]),
              std::make_tuple(3, 0.5f, 4.0f, -2.0f, 1.0f));
    EXPECT_TRUE(k.traceBuffer.size() + k.soundBuffer.size() == 6u && k.ownsSamples);
}

TEST(Seismogram, WrongByteOrderTruncatedOrImpossibleFilesGiveNoSamples) {
    TempDir dir;
    SacHeader h = stationHeader("ANMO", 0, 0);
    h.i[NPTS] = 100;
    const std::string full = encodeSac(h, std::vector<float>(100, 1.0f));
    std::string little = full;   // every numeric word reversed
    for (std::size_t off = 0; off + 4 <= little.size(); off += (off >= 436 && off < kSacHeaderBytes) ? 196 : 4) {
        std::swap(little[off], little[off + 3]);
        std::swap(little[off + 1], little[off + 2]);
    }
    SacHeader huge = h, negative = h;
    huge.i[NPTS] = std::numeric_limits<int32_t>::max();
    negative.i[NPTS] = -5;
    const std::pair<const char*, std::string> files[] = {{"little", little},
                                                         {"short_header", full.substr(0, 600)},
                                                         {"short_samples", full.substr(0, kSacHeaderBytes + 50 * 4 + 2)},
                                                         {"huge_count", encodeSac(huge, {1, 2})},
                                                         {"negative", encodeSac(negative, {1, 2})},
                                                         {"empty", ""}};
    for (const auto& [name, bytes] : files) writeFile(dir / name, bytes);
    for (const char* name : {"little", "short_header", "short_samples", "huge_count", "negative", "empty", "missing"}) {
        const KSAC k = readWithSamples(dir / name);
        EXPECT_TRUE(k.npts() == 0 && k.samples.empty() && k.traceBuffer.empty() && !k.ownsSamples) << name;
    }
    writeFile(dir / "long", full + "trailing");   // extra bytes after the samples do no harm
    EXPECT_EQ(readWithSamples(dir / "long").npts(), 100);

    writeSac(dir / "flat", stationHeader("FLAT", 0, 0), std::vector<float>(10, 3.5f));
    EXPECT_EQ(readWithSamples(dir / "flat").npts(), 10);   // a constant trace is kept
    const float inf = std::numeric_limits<float>::infinity();
    writeSac(dir / "bad", stationHeader("BAD", 0, 0), {1.0f, NAN, inf, -1.0f});
    const KSAC bad = readWithSamples(dir / "bad");   // bad samples zeroed
    EXPECT_EQ(std::make_tuple(bad.samples, bad.header.f[DEPMAX]), std::make_tuple(std::vector<float>{1.0f, 0.0f, 0.0f, -1.0f}, 1.0f));
}

TEST(Seismogram, RunValuesFromTheHeader) {
    TempDir dir;
    SacHeader h = stationHeader("ANMO", 0.0f, 0.0f);
    h.f[DELTA] = 0.05f;
    h.i[NZJDAY] = 32;   // 1 February 1990, 00:01
    h.i[NZMIN] = 1;
    writeSac(dir / "1990020100/ANMO.BHZ", h, std::vector<float>(2000, 0.0f));
    const TravelTimeTable p = parseTravelTimeTable(tableText(181, 10), 0);
    RunContext run{secondsSince1901(1990, 1, 31, 23, 59, 0, 0), 0, 90, {&p}};   // S, PP, SS missing

    KSAC k;
    k.loadSamples = true;
    k.readForRun(dir / "1990020100/ANMO.BHZ", run);
    ASSERT_EQ(k.npts(), 2000);
    EXPECT_EQ(std::tie(k.month, k.day), std::make_tuple(2, 1));
    // E undefined: the end is start - B + NPTS * DELTA.
    EXPECT_EQ(std::make_tuple(k.startTime, k.endTime, k.header.f[EVLO]), std::make_tuple(120.0f, 220.0f, 90.0f));
    EXPECT_EQ(k.label + " " + k.stationName + " " + k.componentCode + " " + k.fileName, "ANMO-BHZ ANMO BHZ ANMO.BHZ");
    EXPECT_NEAR(k.header.f[GCARC], 90.0f, 1e-3);
    EXPECT_TRUE(std::abs(k.arrivalTimes[0] - 900) <= 1 && k.arrivalTimes[1] + k.arrivalTimes[3] == 0);

    // Start before the origin, end from the header, a name without a dot,
    // header only as the world map reads it.
    h = stationHeader("ANMO", 10, 10);
    h.f[E] = 500.0f;
    writeSac(dir / "ANMO", h, std::vector<float>(5, 0.0f));
    KSAC head;
    head.readForRun(dir / "ANMO", RunContext{secondsSince1901(1990, 1, 1, 0, 1, 0, 0)});
    EXPECT_TRUE(head.npts() == 5 && head.samples.empty());
    EXPECT_EQ(std::make_tuple(head.startTime, head.endTime, head.stationLatitude, head.label, head.arrivalTimes),
              std::make_tuple(-60.0f, 440.0f, 10.0f, "ANMO-", std::array<int32_t, 4>{0, 0, 0, 0}));
}

TEST(Calendar, DaysAndSeconds) {
    EXPECT_DOUBLE_EQ(secondsSince1901(1901, 1, 1, 0, 0, 1, 500), 86401.5);
    EXPECT_DOUBLE_EQ(secondsSince1901(1990, 2, 1, 0, 1, 0, 0) - secondsSince1901(1990, 1, 31, 23, 59, 0, 0), 120.0);
    // Consecutive years join up, leap years included.
    EXPECT_DOUBLE_EQ(secondsSince1901(1905, 1, 1, 0, 0, 0, 0) - secondsSince1901(1904, 12, 31, 0, 0, 0, 0), 86400.0);
    EXPECT_EQ(std::make_tuple(dayOfYear(1904, 3, 1), dayOfYear(1903, 3, 1), dayOfYear(1990, -12345, 1), dayOfYear(1990, 99, 1)),
              std::make_tuple(61, 60, 1, 366));   // months outside the year held to it
    EXPECT_TRUE(isLeapYear(2000) && isLeapYear(1904) && !isLeapYear(1900));
    const int days[][4] = {
        {61, 1904, 3, 1}, {366, 1904, 12, 31}, {1, 1990, 1, 1}, {-12345, 1990, 1, -12345}};   // never past the month table
    for (const auto& c : days) {
        int32_t m = 0, d = 0;
        monthAndDay(c[0], c[1], m, d);
        EXPECT_EQ(std::make_tuple(m, d), std::make_tuple(c[2], c[3])) << c[0];
    }
    EXPECT_TRUE(std::isfinite(secondsSince1901(std::numeric_limits<int>::max(), 99, 99, 99, 99, 99, 99)));
}
