// Wavefront tables of the cross-section: steps, phase selection, damaged
// files and walking a step without allocating.
#include "seismology/RayTable.h"
#include "tests/data/DataTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>

using namespace testdata;

// Counts allocations while gCounting is set. The replacement pairs malloc
// with free, which the compiler cannot see through.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
static std::atomic<bool> gCounting{false};
static std::atomic<long> gAllocations{0};
void* operator new(std::size_t n) {
    gAllocations += gCounting ? 1 : 0;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

struct Rec {
    std::string phase;
    int leg = 1;
    unsigned time = 0, points = 0;      // point i of record `seed` is (seed * 100 + i, -seed * 7 - i)
    int seed = 0, declaredCount = -1;   // point count written to the header; -1: the real one
};

// Writes the records in order, little-endian; the index holds the offset of
// the first record of each run of equal times.
void writeRayFiles(const std::string& inx, const std::string& bin, const std::vector<Rec>& recs) {
    std::string data, index;
    auto u16 = [](std::string& s, unsigned v) {
        s += static_cast<char>(v & 0xff);
        s += static_cast<char>((v >> 8) & 0xff);
    };
    for (std::size_t i = 0; i < recs.size(); ++i) {
        const Rec& r = recs[i];
        if (i == 0 || recs[i - 1].time != r.time)
            u16(index, static_cast<unsigned>(data.size())), u16(index, static_cast<unsigned>(data.size() >> 16));
        data += (r.phase + std::string(12, '\0')).substr(0, 12);
        for (unsigned v : {unsigned(r.leg), r.time, r.declaredCount >= 0 ? unsigned(r.declaredCount) : r.points, 0xBEEFu}) u16(data, v);
        for (unsigned p = 0; p < r.points; ++p)
            u16(data, static_cast<unsigned>(r.seed * 100 + int(p))), u16(data, static_cast<unsigned>(-r.seed * 7 - int(p)));
    }
    writeFile(inx, index), writeFile(bin, data);
}

// Steps of 10 s: times 0, 10, 20, 30 with the phases P, S, PKP and SKS each.
std::vector<Rec> standardRecords() {
    std::vector<Rec> recs;
    for (unsigned step = 0; step < 4; ++step)
        for (int p = 0; p < 4; ++p)
            recs.push_back({std::vector<std::string>{"P", "S", "PKP", "SKS"}[p], p % 2 + 1, step * 10, 3u + p, int(step * 4 + p), -1});
    return recs;
}

// Each record handed over as "phase/leg/time/count/first along/last across".
using Records = std::vector<std::string>;
Records collect(RayTable& table, int t, const PhaseSelection& s = {}) {
    Records out;
    table.forEachRayRecord(t, s, [&](const RayRecordHeader& h, const RayPoint* p, int n) {
        out.push_back(std::string(h.phase) + "/" + std::to_string(h.legType) + "/" + std::to_string(h.time) + "/" + std::to_string(n) + "/"
                      + std::to_string(p[0].along) + "/" + std::to_string(p[n - 1].across));
    });
    return out;
}

class RayTableFiles : public ::testing::Test {
protected:
    TempDir dir;
    std::string inx = dir / "T.INX", bin = dir / "T.BIN";
    RayTable t;
    void open(const std::vector<Rec>& recs) {
        writeRayFiles(inx, bin, recs);
        ASSERT_TRUE(t.openFiles(inx, bin));
    }
};

}   // namespace

TEST_F(RayTableFiles, TimeSelectsTheStepHoldingItAndThePhasesWanted) {
    open(standardRecords());
    EXPECT_EQ(std::make_tuple(t.timeStep(), t.indexCount()), std::make_tuple(10, 4u));   // the first time that is not 0
    const Records at15 = {"P/1/10/3/400/-30", "S/2/10/4/500/-38", "PKP/1/10/5/600/-46", "SKS/2/10/6/700/-54"};
    EXPECT_EQ(collect(t, 15), at15);
    EXPECT_EQ(collect(t, 9)[0], "P/1/0/3/0/-2");
    EXPECT_EQ(collect(t, 39).back(), "SKS/2/30/6/1500/-110");
    for (int beyond : {40, 30000, 0, -20, 40000})   // ended, not begun, or negative as 16 bits
        EXPECT_TRUE(collect(t, beyond).empty()) << beyond;
    EXPECT_EQ(collect(t, 65536 + 15), at15);   // the time counts as 16 bits

    PhaseSelection p;
    p.pOnly = true;   // the record after a skipped one is read from the right place
    EXPECT_EQ(collect(t, 25, p), (Records{"P/1/20/3/800/-58", "PKP/1/20/5/1000/-74"}));
    const std::string names[] = {"SKS"};
    EXPECT_EQ(collect(t, 25, PhaseSelection{false, false, false, true, names}), Records{"SKS/2/20/6/1100/-82"});

    // Walking a step allocates nothing.
    long points = 0;
    const RayTable::RecordFn fn = [&](const RayRecordHeader&, const RayPoint*, int n) { points += n; };
    gAllocations = 0;
    gCounting = true;
    for (int i = 0; i < 50; ++i) {
        t.forEachRayRecord(15, PhaseSelection{}, fn);
        t.forEachRayRecord(25, p, fn);
    }
    gCounting = false;
    EXPECT_EQ(std::make_tuple(gAllocations.load(), points), std::make_tuple(0L, 50L * (3 + 4 + 5 + 6) + 50 * (3 + 5)));
}

TEST_F(RayTableFiles, EmptyRecordsFullLengthNamesAndOddSteps) {
    open({{"P", 1, 0, 2, 1},
          {"P", 1, 5, 2, 2},
          {"EMPTY", 1, 5, 0, 0},
          {"PKIKPPKIKPxx", 3, 5, 1, 3},
          {"S", 2, 10, 2, 4}});                                                             // twelve bytes, no terminator
    EXPECT_EQ(collect(t, 7), (Records{"P/1/5/2/200/-15", "PKIKPPKIKPxx/3/5/1/300/-21"}));   // no empty record

    open({{"P", 1, 0, 4, 1}, {"S", 2, 0, 4, 2}});   // no time but 0: no step
    EXPECT_TRUE(t.timeStep() == 0 && collect(t, 10).empty());
    open({{"P", 1, 0, 1, 1}, {"P", 1, 40000, 1, 2}});   // a large step stays positive
    EXPECT_EQ(collect(t, 32767), Records{"P/1/0/1/100/-7"});
}

TEST_F(RayTableFiles, TruncatedAndInconsistentFilesEndTheStep) {
    open(standardRecords());
    const std::string data = readFile(bin);
    // Cut inside the points of PKP at 10 s: P and S are handed over, not PKP.
    writeFile(bin, data.substr(0, 4 * 20 + 4 * 18 + 20 + 4 * 3 + 20 + 4 * 4 + 20 + 4));
    ASSERT_TRUE(t.openFiles(inx, bin));
    EXPECT_EQ(collect(t, 10).size(), 2u);
    EXPECT_TRUE(collect(t, 20).empty());   // offset beyond the end of the file
    // A header cut short after the first record of step 1.
    writeFile(bin, data.substr(0, 4 * 20 + 4 * 18 + 20 + 4 * 3 + 11));
    ASSERT_TRUE(t.openFiles(inx, bin));
    EXPECT_EQ(std::make_tuple(t.timeStep(), collect(t, 10).size()), std::make_tuple(10, 1u));

    // A point count far beyond the end of the file, in a selected and in a skipped record.
    std::vector<Rec> recs = standardRecords();
    recs[5].declaredCount = 60000;   // S at 10 s
    open(recs);
    EXPECT_EQ(collect(t, 10).size(), 1u);
    EXPECT_EQ(collect(t, 10, PhaseSelection{false, true, false, false, {}}).size(), 1u);   // the skip lands somewhere else: the step ends

    // Index entries far beyond the file and an index with a ragged end.
    writeFile(inx, std::string("\0\0\0\0\xf0\xff\xff\xff\xff\xff\xff\x7f\x01", 13));
    ASSERT_TRUE(t.openFiles(inx, bin));
    EXPECT_EQ(std::make_tuple(t.indexCount(), collect(t, 15).size(), collect(t, 25).size(), collect(t, 5).size()),
              std::make_tuple(3u, 0u, 0u, 4u));
}

TEST(RayTableOpening, DepthChoosesThePairAndMissingFilesFail) {
    TempDir dir;
    RayTable t;
    EXPECT_FALSE(t.openRayTable(0, dir.path()));
    writeFile(dir / "OV0.INX", std::string(8, '\0'));   // an index without its data file
    EXPECT_FALSE(t.openRayTable(0, dir.path()));
    EXPECT_TRUE(t.indexCount() == 0 && collect(t, 10).empty());
    writeRayFiles(dir / "OV0.INX", dir / "OV0.BIN", {{"P", 1, 0, 1, 1}, {"P", 1, 10, 1, 2}});
    ASSERT_TRUE(t.openRayTable(0, dir.path()));
    EXPECT_FALSE(t.openRayTable(500, dir.path()));   // a failed opening closes what was open
    EXPECT_TRUE(!t.isOpen() && t.indexCount() == 0);
    // Lower-case names as copied from another system.
    writeRayFiles(dir / "ov600.inx", dir / "ov600.bin", {{"P", 1, 0, 1, 1}, {"P", 1, 20, 1, 2}});
    for (auto [depth, step] : {std::pair{300.0f, 10}, {300.5f, 20}, {0.0f, 10}})
        EXPECT_TRUE(t.openRayTable(depth, dir.path()) && t.timeStep() == step) << depth << " " << t.timeStep();
}
