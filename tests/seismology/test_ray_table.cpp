#include "seismology/RayTable.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

// Counts allocations while a test asks for it, to show that walking a step
// allocates nothing. The replacement pairs malloc with free, which the
// compiler cannot see through.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(std::size_t n) {
    if (gCounting) ++gAllocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

struct Rec {
    std::string phase;
    int leg = 1;
    unsigned time = 0;
    std::vector<RayPoint> points;
    int declaredCount = -1;   // point count written to the header; -1: the real one
};

// Writes the records in order; the index holds the offset of the first record
// of each run of equal times.
void writeRayFiles(const std::string& inx, const std::string& bin, const std::vector<Rec>& recs) {
    ByteWriter data, index;
    for (std::size_t i = 0; i < recs.size(); ++i) {
        const Rec& r = recs[i];
        if (i == 0 || recs[i - 1].time != r.time)
            index.u32(static_cast<uint32_t>(data.bytes.size()));
        for (std::size_t c = 0; c < 12; ++c) data.u8(c < r.phase.size() ? r.phase[c] : 0);
        data.s16(r.leg);
        data.u16(r.time);
        data.u16(r.declaredCount >= 0 ? unsigned(r.declaredCount) : unsigned(r.points.size()));
        data.u16(0xBEEF);   // reserved
        for (const RayPoint& p : r.points) {
            data.s16(p.along);
            data.s16(p.across);
        }
    }
    writeFile(inx, index.bytes);
    writeFile(bin, data.bytes);
}

std::vector<RayPoint> pts(int n, int seed) {
    std::vector<RayPoint> v;
    for (int i = 0; i < n; ++i)
        v.push_back({static_cast<int16_t>(seed * 100 + i), static_cast<int16_t>(-seed * 7 - i)});
    return v;
}

// Steps of 10 s: times 0, 10, 20, 30 with the phases P, S, PKP and SKS each.
std::vector<Rec> standardRecords() {
    std::vector<Rec> recs;
    const char* phases[] = {"P", "S", "PKP", "SKS"};
    for (unsigned step = 0; step < 4; ++step)
        for (int p = 0; p < 4; ++p)
            recs.push_back({phases[p], p % 2 + 1, step * 10, pts(3 + p, int(step * 4 + p)), -1});
    return recs;
}

struct Seen {
    std::string phase;
    int leg;
    unsigned time;
    std::vector<RayPoint> points;
};

std::vector<Seen> collect(RayTable& table, int t, const PhaseSelection& s) {
    std::vector<Seen> out;
    table.forEachRayRecord(t, s, [&](const RayRecordHeader& h, const RayPoint* p, int n) {
        out.push_back({h.phase, h.legType, h.time, std::vector<RayPoint>(p, p + n)});
    });
    return out;
}

class RayTableFiles : public ::testing::Test {
protected:
    TempDir dir;
    PhaseSelection all;
    std::string inx = dir.file("T.INX"), bin = dir.file("T.BIN");
};

}  // namespace

TEST_F(RayTableFiles, StepIsTheFirstNonZeroTime) {
    writeRayFiles(inx, bin, standardRecords());
    RayTable t;
    ASSERT_TRUE(t.openFiles(inx, bin));
    EXPECT_TRUE(t.isOpen());
    EXPECT_EQ(t.timeStep(), 10);
    EXPECT_EQ(t.indexCount(), 4u);
}

TEST_F(RayTableFiles, TimeSelectsTheStepHoldingIt) {
    writeRayFiles(inx, bin, standardRecords());
    RayTable t;
    ASSERT_TRUE(t.openFiles(inx, bin));

    const std::vector<Seen> s15 = collect(t, 15, all);
    ASSERT_EQ(s15.size(), 4u);
    EXPECT_EQ(s15[0].time, 10u);
    EXPECT_EQ(s15[0].phase, "P");
    EXPECT_EQ(s15[2].phase, "PKP");
    EXPECT_EQ(s15[1].leg, 2);
    // The points arrive as written, signs included.
    ASSERT_EQ(s15[3].points.size(), 6u);
    EXPECT_EQ(s15[3].points[5].along, 7 * 100 + 5);
    EXPECT_EQ(s15[3].points[5].across, -7 * 7 - 5);

    const std::vector<Seen> s9 = collect(t, 9, all);
    ASSERT_EQ(s9.size(), 4u);
    EXPECT_EQ(s9[0].time, 0u);
    EXPECT_EQ(collect(t, 39, all).back().time, 30u);

    EXPECT_TRUE(collect(t, 40, all).empty());     // the tables have ended
    EXPECT_TRUE(collect(t, 30000, all).empty());
    EXPECT_TRUE(collect(t, 0, all).empty());
    EXPECT_TRUE(collect(t, -20, all).empty());
    // The time counts as 16 bits: 65551 is 15, 40000 is negative.
    EXPECT_EQ(collect(t, 65536 + 15, all).size(), 4u);
    EXPECT_TRUE(collect(t, 40000, all).empty());

    // Repeated calls give the same records.
    const std::vector<Seen> again = collect(t, 15, all);
    ASSERT_EQ(again.size(), 4u);
    EXPECT_EQ(again[3].points[0].along, s15[3].points[0].along);
}

TEST_F(RayTableFiles, OnlySelectedPhasesAreHandedOver) {
    writeRayFiles(inx, bin, standardRecords());
    RayTable t;
    ASSERT_TRUE(t.openFiles(inx, bin));

    PhaseSelection p;
    p.pOnly = true;
    const std::vector<Seen> ps = collect(t, 25, p);
    ASSERT_EQ(ps.size(), 2u);
    EXPECT_EQ(ps[0].phase, "P");
    EXPECT_EQ(ps[1].phase, "PKP");
    // The record after a skipped one is read from the right place.
    EXPECT_EQ(ps[1].points[0].along, (2 * 4 + 2) * 100);

    const std::string names[] = {"SKS"};
    PhaseSelection specified;
    specified.specified = true;
    specified.phases = names;
    const std::vector<Seen> sks = collect(t, 25, specified);
    ASSERT_EQ(sks.size(), 1u);
    EXPECT_EQ(sks[0].phase, "SKS");
    EXPECT_EQ(sks[0].points.size(), 6u);
}

TEST_F(RayTableFiles, EmptyRecordsAndFullLengthNames) {
    std::vector<Rec> recs = {
        {"P", 1, 0, pts(2, 1), -1},
        {"P", 1, 5, pts(2, 2), -1},
        {"EMPTY", 1, 5, {}, -1},
        {"PKIKPPKIKPxx", 3, 5, pts(1, 3), -1},   // twelve bytes, no terminator
        {"S", 2, 10, pts(2, 4), -1},
    };
    writeRayFiles(inx, bin, recs);
    RayTable t;
    ASSERT_TRUE(t.openFiles(inx, bin));
    EXPECT_EQ(t.timeStep(), 5);
    const std::vector<Seen> seen = collect(t, 7, all);
    ASSERT_EQ(seen.size(), 2u);   // the record without points is not handed over
    EXPECT_EQ(seen[1].phase, "PKIKPPKIKPxx");
    EXPECT_EQ(seen[1].leg, 3);
}

TEST_F(RayTableFiles, WalkingAStepAllocatesNothing) {
    writeRayFiles(inx, bin, standardRecords());
    RayTable t;
    ASSERT_TRUE(t.openFiles(inx, bin));
    PhaseSelection p;
    p.pOnly = true;
    long points = 0;
    const RayTable::RecordFn fn = [&](const RayRecordHeader&, const RayPoint*, int n) {
        points += n;
    };
    gAllocations = 0;
    gCounting = true;
    for (int i = 0; i < 50; ++i) {
        t.forEachRayRecord(15, all, fn);
        t.forEachRayRecord(25, p, fn);
    }
    gCounting = false;
    EXPECT_EQ(gAllocations.load(), 0);
    EXPECT_EQ(points, 50 * (3 + 4 + 5 + 6) + 50 * (3 + 5));
}

TEST_F(RayTableFiles, NoNonZeroTimeMeansNoStep) {
    writeRayFiles(inx, bin, {{"P", 1, 0, pts(4, 1), -1}, {"S", 2, 0, pts(4, 2), -1}});
    RayTable t;
    ASSERT_TRUE(t.openFiles(inx, bin));
    EXPECT_EQ(t.timeStep(), 0);
    for (int time : {1, 10, 100, 32767}) EXPECT_TRUE(collect(t, time, all).empty());

    writeFile(bin, "");
    ASSERT_TRUE(t.openFiles(inx, bin));
    EXPECT_EQ(t.timeStep(), 0);
    EXPECT_TRUE(collect(t, 10, all).empty());
}

TEST_F(RayTableFiles, LargeStepTimesStayPositive) {
    writeRayFiles(inx, bin, {{"P", 1, 0, pts(1, 1), -1}, {"P", 1, 40000, pts(1, 2), -1}});
    RayTable t;
    ASSERT_TRUE(t.openFiles(inx, bin));
    EXPECT_EQ(t.timeStep(), 40000);
    const std::vector<Seen> seen = collect(t, 32767, all);   // still the first step
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].time, 0u);
}

TEST_F(RayTableFiles, TruncatedAndInconsistentFilesEndTheStep) {
    std::vector<Rec> recs = standardRecords();
    writeRayFiles(inx, bin, recs);
    std::string data;
    // Cut the data file inside the points of the third record of step 1.
    std::size_t cut = 0;
    for (std::size_t i = 0; i < 4 + 2; ++i) cut += 20 + 4 * recs[i].points.size();
    cut += 20 + 4;   // header and one point of the record PKP at 10 s
    {
        std::FILE* f = std::fopen(bin.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        data.resize(cut);
        ASSERT_EQ(std::fread(data.data(), 1, cut, f), cut);
        std::fclose(f);
    }
    writeFile(bin, data);
    RayTable t;
    ASSERT_TRUE(t.openFiles(inx, bin));
    const std::vector<Seen> seen = collect(t, 10, all);
    ASSERT_EQ(seen.size(), 2u);   // P and S; the cut record is not handed over
    EXPECT_TRUE(collect(t, 20, all).empty());   // offset beyond the end of the file

    // A header cut short after the first record of step 1.
    writeFile(bin, data.substr(0, 4 * 20 + 4 * (3 + 4 + 5 + 6) + 20 + 4 * 3 + 11));
    ASSERT_TRUE(t.openFiles(inx, bin));
    EXPECT_EQ(t.timeStep(), 10);
    const std::vector<Seen> cutHeader = collect(t, 10, all);
    ASSERT_EQ(cutHeader.size(), 1u);
    EXPECT_EQ(cutHeader[0].phase, "P");

    // A point count far beyond the end of the file, in a selected and an
    // unselected record.
    recs = standardRecords();
    recs[5].declaredCount = 60000;   // S at 10 s
    writeRayFiles(inx, bin, recs);
    ASSERT_TRUE(t.openFiles(inx, bin));
    EXPECT_EQ(collect(t, 10, all).size(), 1u);
    PhaseSelection p;
    p.pOnly = true;
    const std::vector<Seen> ps = collect(t, 10, p);
    EXPECT_EQ(ps.size(), 1u);   // the skip lands somewhere else: the step ends

    // Index entries far beyond the file and an index with a ragged end.
    ByteWriter idx;
    idx.u32(0);
    idx.u32(0xFFFFFFF0u);
    idx.u32(0x7FFFFFFFu);
    idx.u8(1);
    writeFile(inx, idx.bytes);
    ASSERT_TRUE(t.openFiles(inx, bin));
    EXPECT_EQ(t.indexCount(), 3u);
    EXPECT_TRUE(collect(t, 15, all).empty());
    EXPECT_TRUE(collect(t, 25, all).empty());
    EXPECT_EQ(collect(t, 5, all).size(), 4u);
}

TEST_F(RayTableFiles, JunkBytesNeverBreakTheReader) {
    std::mt19937 rng(3);
    RayTable t;
    for (int round = 0; round < 40; ++round) {
        std::string a(rng() % 400, '\0'), b(rng() % 4000, '\0');
        for (char& c : a) c = static_cast<char>(rng() % (round % 2 ? 8 : 256));
        for (char& c : b) c = static_cast<char>(rng() % (round % 3 ? 4 : 256));
        writeFile(inx, a);
        writeFile(bin, b);
        ASSERT_TRUE(t.openFiles(inx, bin));
        long records = 0;
        for (int time = -5; time < 400; time += 3)
            t.forEachRayRecord(time, all, [&](const RayRecordHeader& h, const RayPoint* p, int n) {
                ++records;
                EXPECT_NE(p, nullptr);
                EXPECT_EQ(n, h.pointCount);
                EXPECT_LT(std::char_traits<char>::length(h.phase), 13u);
            });
        EXPECT_LE(records, 135L * (long(b.size()) / 20 + 1));
    }
}

TEST(RayTableOpening, DepthChoosesThePair) {
    TempDir dir;
    writeRayFiles(dir.file("OV0.INX"), dir.file("OV0.BIN"),
                  {{"P", 1, 0, pts(1, 1), -1}, {"P", 1, 10, pts(1, 2), -1}});
    // Lower-case names as copied from another system.
    writeRayFiles(dir.file("ov600.inx"), dir.file("ov600.bin"),
                  {{"P", 1, 0, pts(1, 1), -1}, {"P", 1, 20, pts(1, 2), -1}});
    RayTable t;
    ASSERT_TRUE(t.openRayTable(300, dir.path()));
    EXPECT_EQ(t.timeStep(), 10);
    ASSERT_TRUE(t.openRayTable(300.5f, dir.path()));
    EXPECT_EQ(t.timeStep(), 20);
    ASSERT_TRUE(t.openRayTable(0, dir.path()));
    EXPECT_EQ(t.timeStep(), 10);
    t.close();
    EXPECT_FALSE(t.isOpen());
    EXPECT_TRUE(t.indexCount() == 0);
}

TEST(RayTableOpening, MissingFilesFail) {
    TempDir dir;
    RayTable t;
    EXPECT_FALSE(t.openRayTable(0, dir.path()));
    EXPECT_FALSE(t.isOpen());
    // An index without its data file.
    writeFile(dir.file("OV0.INX"), std::string(8, '\0'));
    EXPECT_FALSE(t.openRayTable(0, dir.path()));
    EXPECT_FALSE(t.isOpen());
    EXPECT_EQ(t.indexCount(), 0u);
    PhaseSelection all;
    t.forEachRayRecord(10, all, [](const RayRecordHeader&, const RayPoint*, int) {
        ADD_FAILURE() << "no records expected";
    });
    // A failed opening also closes what was open before.
    writeFile(dir.file("OV0.BIN"), std::string(40, '\0'));
    ASSERT_TRUE(t.openRayTable(0, dir.path()));
    EXPECT_FALSE(t.openRayTable(500, dir.path()));
    EXPECT_FALSE(t.isOpen());
}
