// SAC seismograms: byte order, truncated and hostile files, derived run values
// and the calendar helpers.
#include "DataTestSupport.h"
#include "data/Seismogram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using testdata::TempDir;
using testdata::stationHeader;
using testdata::writeFile;
using testdata::writeSac;

namespace {

// Writes a 32-bit word most significant byte first, by hand.
void putWord(std::string& file, std::size_t offset, uint32_t word)
{
    file[offset] = static_cast<char>((word >> 24) & 0xff);
    file[offset + 1] = static_cast<char>((word >> 16) & 0xff);
    file[offset + 2] = static_cast<char>((word >> 8) & 0xff);
    file[offset + 3] = static_cast<char>(word & 0xff);
}

uint32_t bits(float f)
{
    uint32_t w;
    std::memcpy(&w, &f, 4);
    return w;
}

// Every 32-bit word of the numeric header and of the samples reversed.
std::string toLittleEndian(std::string file)
{
    for (std::size_t off = 0; off + 4 <= file.size(); off += 4) {
        if (off >= 440 && off < kSacHeaderBytes)
            continue;   // text fields have no byte order
        std::swap(file[off], file[off + 3]);
        std::swap(file[off + 1], file[off + 2]);
    }
    return file;
}

KSAC readWithSamples(const std::string& path)
{
    KSAC k;
    k.loadSamples = true;
    k.header.setUndefined();
    k.readSAC(path);
    return k;
}

} // namespace

TEST(Seismogram, FileWrittenByHandInBigEndianIsReadBack)
{
    std::string file(kSacHeaderBytes + 12, '\0');
    for (std::size_t n = 0; n < 70; ++n)
        putWord(file, 4 * n, bits(-12345.0f));
    for (std::size_t n = 0; n < 40; ++n)
        putWord(file, 280 + 4 * n, 0xFFFFCFC7u);   // -12345
    std::memset(file.data() + 440, ' ', 192);
    std::memcpy(file.data() + 440, "ANMO", 4);
    putWord(file, 0, 0x3F000000u);          // DELTA 0.5
    putWord(file, 280 + 4 * 9, 3);          // NPTS
    putWord(file, 632, 0x3F800000u);        // 1
    putWord(file, 636, 0xC0000000u);        // -2
    putWord(file, 640, 0x40800000u);        // 4
    TempDir dir;
    writeFile(dir / "ANMO.BHZ", file);

    const KSAC k = readWithSamples(dir / "anmo.bhz");
    ASSERT_EQ(k.npts(), 3);
    EXPECT_FLOAT_EQ(k.header.f[DELTA], 0.5f);
    EXPECT_EQ(k.samples, (std::vector<float>{1.0f, -2.0f, 4.0f}));
    EXPECT_FLOAT_EQ(k.header.f[DEPMAX], 4.0f);
    EXPECT_FLOAT_EQ(k.header.f[DEPMIN], -2.0f);
    EXPECT_FLOAT_EQ(k.header.f[DEPMEN], 1.0f);
    EXPECT_EQ(k.traceBuffer.size(), 3u);
    EXPECT_EQ(k.soundBuffer.size(), 3u);
    EXPECT_TRUE(k.ownsSamples);
    EXPECT_EQ(k.header.text(KSTNM), "ANMO    ");

    // encodeSac lays out the same bytes.
    SacHeader h = k.header;
    h.f[DEPMAX] = h.f[DEPMIN] = h.f[DEPMEN] = kSacUndefined;
    EXPECT_EQ(encodeSac(h, k.samples), file);
}

TEST(Seismogram, LittleEndianFileIsRefused)
{
    TempDir dir;
    SacHeader h = stationHeader("ANMO", 34.9f, -106.5f);
    h.i[NPTS] = 4;
    const std::string big = encodeSac(h, {1, 2, 3, 4});
    writeFile(dir / "big.bhz", big);
    writeFile(dir / "little.bhz", toLittleEndian(big));
    EXPECT_EQ(readWithSamples(dir / "big.bhz").npts(), 4);
    const KSAC k = readWithSamples(dir / "little.bhz");
    EXPECT_EQ(k.npts(), 0);
    EXPECT_TRUE(k.samples.empty());
}

TEST(Seismogram, TruncatedOrImpossibleFilesGiveNoSamples)
{
    TempDir dir;
    SacHeader h = stationHeader("ANMO", 0, 0);
    h.i[NPTS] = 100;
    const std::string full = encodeSac(h, std::vector<float>(100, 1.0f));
    writeFile(dir / "short_header", full.substr(0, 600));
    writeFile(dir / "short_samples", full.substr(0, kSacHeaderBytes + 50 * 4 + 2));
    h.i[NPTS] = std::numeric_limits<int32_t>::max();
    writeFile(dir / "huge_count", encodeSac(h, {1, 2}));
    h.i[NPTS] = -5;
    writeFile(dir / "negative", encodeSac(h, {1, 2}));
    writeFile(dir / "empty", "");
    for (const char* name : {"short_header", "short_samples", "huge_count", "negative", "empty",
                             "missing"}) {
        const KSAC k = readWithSamples(dir / name);
        EXPECT_EQ(k.npts(), 0) << name;
        EXPECT_TRUE(k.samples.empty()) << name;
        EXPECT_TRUE(k.traceBuffer.empty()) << name;
        EXPECT_FALSE(k.ownsSamples) << name;
    }
    // Extra bytes after the samples do no harm.
    writeFile(dir / "long", full + "trailing");
    EXPECT_EQ(readWithSamples(dir / "long").npts(), 100);
}

TEST(Seismogram, ConstantTraceIsKeptAndBadSamplesAreZeroed)
{
    TempDir dir;
    writeSac(dir / "flat", stationHeader("FLAT", 0, 0), std::vector<float>(10, 3.5f));
    const KSAC flat = readWithSamples(dir / "flat");
    ASSERT_EQ(flat.npts(), 10);
    EXPECT_EQ(flat.header.f[DEPMAX], flat.header.f[DEPMIN]);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    writeSac(dir / "bad", stationHeader("BAD", 0, 0), {1.0f, nan, inf, -1.0f});
    const KSAC bad = readWithSamples(dir / "bad");
    ASSERT_EQ(bad.npts(), 4);
    EXPECT_EQ(bad.samples, (std::vector<float>{1.0f, 0.0f, 0.0f, -1.0f}));
    EXPECT_FLOAT_EQ(bad.header.f[DEPMAX], 1.0f);
}

TEST(Seismogram, RunValuesFromTheHeader)
{
    TempDir dir;
    SacHeader h = stationHeader("ANMO", 0.0f, 0.0f);
    h.f[DELTA] = 0.05f;
    h.f[B] = 0.0f;
    h.i[NZYEAR] = 1990; h.i[NZJDAY] = 32;    // 1 February
    h.i[NZHOUR] = 0; h.i[NZMIN] = 1; h.i[NZSEC] = 0; h.i[NZMSEC] = 0;
    writeSac(dir / "1990020100/ANMO.BHZ", h, std::vector<float>(2000, 0.0f));

    TravelTimeTable p;
    p.count = kTableRows;
    for (int d = 0; d < kTableRows; ++d)
        p.times[static_cast<std::size_t>(d)] = 10.0f * static_cast<float>(d);
    RunContext run;
    run.originSeconds = secondsSince1901(1990, 1, 31, 23, 59, 0, 0);
    run.eventLatitude = 0;
    run.eventLongitude = 90;
    run.tables[0] = &p;   // S, PP, SS missing

    KSAC k;
    k.loadSamples = true;
    k.readForRun(dir / "1990020100/ANMO.BHZ", run);
    ASSERT_EQ(k.npts(), 2000);
    EXPECT_EQ(k.month, 2);
    EXPECT_EQ(k.day, 1);
    EXPECT_FLOAT_EQ(k.startTime, 120.0f);
    EXPECT_FLOAT_EQ(k.endTime, 220.0f);   // E undefined: start - B + NPTS * DELTA
    EXPECT_EQ(k.stationName, "ANMO");
    EXPECT_EQ(k.componentCode, "BHZ");
    EXPECT_EQ(k.label, "ANMO-BHZ");
    EXPECT_EQ(k.fileName, "ANMO.BHZ");
    EXPECT_FLOAT_EQ(k.header.f[EVLO], 90.0f);
    EXPECT_NEAR(k.header.f[GCARC], 90.0f, 1e-3);
    EXPECT_NEAR(k.arrivalTimes[0], 900, 1);
    EXPECT_EQ(k.arrivalTimes[1], 0);
    EXPECT_EQ(k.arrivalTimes[3], 0);
}

TEST(Seismogram, StartBeforeOriginEndFromHeaderAndNameWithoutDot)
{
    TempDir dir;
    SacHeader h = stationHeader("ANMO", 10, 10);
    h.f[E] = 500.0f;
    writeSac(dir / "ANMO", h, std::vector<float>(5, 0.0f));
    RunContext run;
    run.originSeconds = secondsSince1901(1990, 1, 1, 0, 1, 0, 0);   // a minute after the reference
    KSAC k;   // header only, as the world map reads it
    k.readForRun(dir / "ANMO", run);
    ASSERT_EQ(k.npts(), 5);
    EXPECT_TRUE(k.samples.empty());
    EXPECT_FLOAT_EQ(k.startTime, -60.0f);
    EXPECT_FLOAT_EQ(k.endTime, 440.0f);
    EXPECT_EQ(k.componentCode, "");
    EXPECT_EQ(k.label, "ANMO-");
    EXPECT_EQ(k.arrivalTimes, (std::array<int32_t, 4>{0, 0, 0, 0}));
    EXPECT_FLOAT_EQ(k.stationLatitude, 10.0f);

    // A component code is at most seven characters.
    writeSac(dir / "X.ABCDEFGHIJ", h, {1});
    k.readForRun(dir / "X.ABCDEFGHIJ", run);
    EXPECT_EQ(k.componentCode, "ABCDEFG");
}

TEST(Seismogram, HeaderTextFields)
{
    SacHeader h;
    h.setUndefined();
    EXPECT_EQ(h.text(KSTNM), "-12345  ");
    EXPECT_EQ(h.text(KEVNM), "-12345          ");
    EXPECT_EQ(h.text(22), "-12345  ");
    EXPECT_EQ(h.text(23), "");
    h.setText(KEVNM, "A very long event name indeed");
    EXPECT_EQ(h.text(KEVNM), "A very long even");
    EXPECT_EQ(h.text(2), "-12345  ");   // the neighbour is untouched
    h.setText(KCMPNM, "BHZ");
    EXPECT_EQ(h.text(KCMPNM), "BHZ     ");
}

TEST(Calendar, DaysAndSeconds)
{
    EXPECT_DOUBLE_EQ(secondsSince1901(1901, 1, 1, 0, 0, 0, 0), 86400.0);
    EXPECT_DOUBLE_EQ(secondsSince1901(1901, 1, 1, 0, 0, 1, 500), 86401.5);
    EXPECT_EQ(dayOfYear(1904, 3, 1), 61);
    EXPECT_EQ(dayOfYear(1903, 3, 1), 60);
    EXPECT_TRUE(isLeapYear(2000));
    EXPECT_FALSE(isLeapYear(1900));
    EXPECT_TRUE(isLeapYear(1904));
    EXPECT_DOUBLE_EQ(secondsSince1901(1990, 2, 1, 0, 1, 0, 0)
                         - secondsSince1901(1990, 1, 31, 23, 59, 0, 0), 120.0);
    // Consecutive years join up, leap years included.
    EXPECT_DOUBLE_EQ(secondsSince1901(1905, 1, 1, 0, 0, 0, 0)
                         - secondsSince1901(1904, 12, 31, 0, 0, 0, 0), 86400.0);
    int32_t m = 0, d = 0;
    monthAndDay(61, 1904, m, d);
    EXPECT_EQ(m, 3); EXPECT_EQ(d, 1);
    monthAndDay(366, 1904, m, d);
    EXPECT_EQ(m, 12); EXPECT_EQ(d, 31);
    monthAndDay(1, 1990, m, d);
    EXPECT_EQ(m, 1); EXPECT_EQ(d, 1);
    // Days outside the year never index past the month table.
    monthAndDay(-12345, 1990, m, d);
    EXPECT_EQ(m, 1); EXPECT_EQ(d, -12345);
    EXPECT_EQ(dayOfYear(1990, -12345, 1), 1);
    EXPECT_EQ(dayOfYear(1990, 99, 1), 366);
    EXPECT_TRUE(std::isfinite(secondsSince1901(std::numeric_limits<int>::max(), 99, 99, 99, 99,
                                               99, 99)));
}
