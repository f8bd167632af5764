// Traces on their way into an installation: merging over gaps and overlaps,
// the choice of sensor, rotation to north and east, and resampling that keeps
// onsets in place and keeps frequencies above the new Nyquist out.
#include "import/TraceProcessing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kT0 = 1.3e9;   // an epoch time of the order real recordings have

MergedTrace sampled(double rate, double seconds, const auto& f) {
    MergedTrace t;
    t.id = {"XX", "STA", "", "BHZ"};
    t.startTime = kT0;
    t.sampleRate = rate;
    for (double i = 0; i < seconds * rate; ++i) t.samples.push_back(f(i / rate));
    return t;
}

// Where the output first rises through half the step, interpolated.
double halfCrossing(const MergedTrace& t) {
    for (std::size_t k = 1; k < t.samples.size(); ++k)
        if (t.samples[k - 1] < 0.5 && t.samples[k] >= 0.5)
            return t.startTime + (double(k - 1) + (0.5 - t.samples[k - 1]) / (t.samples[k] - t.samples[k - 1])) / t.sampleRate;
    return 0;
}

}   // namespace

TEST(Resampling, StepKeepsItsTimeAndHighFrequenciesStayOut) {
    struct Case {
        double in, out;
    };
    for (const Case c : {Case{40, 20}, Case{100, 20}, Case{50, 20}, Case{20, 20}, Case{10, 20}}) {
        SCOPED_TRACE(testing::Message() << c.in << " -> " << c.out);
        const double stepAt = 30.0137;
        const MergedTrace step = sampled(c.in, 60, [&](double t) { return t >= stepAt ? 1.0 : 0.0; });
        const double gridStart = kT0 - 0.0123;
        const MergedTrace out = resampleToGrid(step, gridStart, c.out);
        ASSERT_GT(out.samples.size(), 1000u);
        // The output lies on the grid and inside the input.
        const double k = (out.startTime - gridStart) * c.out;
        EXPECT_NEAR(k, std::round(k), 1e-6);
        EXPECT_GE(out.startTime, step.startTime - 1e-9);
        EXPECT_LE(out.endTime(), step.endTime() + 1e-9);
        // The sampled step lies halfway between its last 0 and first 1; a
        // filter symmetric in time puts the output's half-way rise there too
        // (well within the one output sample the display can resolve).
        const double sampledStep = (std::ceil(stepAt * c.in) - 0.5) / c.in;
        EXPECT_NEAR(halfCrossing(out) - kT0, sampledStep, 0.1 / c.out);
        // Flat far from the step: no ringing carried over long times.
        EXPECT_NEAR(out.samples[out.samples.size() / 4], 0.0, 0.01);
        EXPECT_NEAR(out.samples[out.samples.size() * 3 / 4], 1.0, 0.01);

        // 1 Hz passes, a tone above the new Nyquist (but below the old one) is removed.
        auto amplitude = [&](double hz) {
            const MergedTrace r = resampleToGrid(sampled(c.in, 60, [&](double t) { return std::sin(2 * kPi * hz * t); }), gridStart, c.out);
            double peak = 0;
            for (std::size_t i = r.samples.size() / 4; i < r.samples.size() * 3 / 4; ++i) peak = std::max(peak, std::fabs(r.samples[i]));
            return peak;
        };
        EXPECT_NEAR(amplitude(1.0), 1.0, 0.01);
        if (c.in > c.out) {
            EXPECT_LT(amplitude(0.7 * c.out), 0.01);   // would alias to 0.3 x out otherwise
        }
    }
}

TEST(Rotation, HorizontalPairTurnsToNorthAndEast) {
    auto north = [](double t) { return std::sin(2 * kPi * 0.2 * t); };
    auto east = [](double t) { return 0.5 * std::cos(2 * kPi * 0.1 * t); };
    for (const double azimuth : {0.0, 30.0, 135.0, 300.0}) {
        SCOPED_TRACE(azimuth);
        const double a = azimuth * kPi / 180, b = (azimuth + 90) * kPi / 180;
        MergedTrace one = sampled(20, 30, [&](double t) { return north(t) * std::cos(a) + east(t) * std::sin(a); });
        // The second sensor starts a second later: only the common span is kept.
        MergedTrace two = sampled(20, 30, [&](double t) { return north(t + 1) * std::cos(b) + east(t + 1) * std::sin(b); });
        two.startTime += 1.0;
        MergedTrace n, e;
        std::string reason;
        ASSERT_TRUE(rotateToNorthEast({&one, azimuth}, {&two, azimuth + 90}, n, e, reason));
        ASSERT_EQ(n.samples.size(), 580u);
        EXPECT_DOUBLE_EQ(n.startTime, kT0 + 1.0);
        for (std::size_t i = 0; i < n.samples.size(); i += 37) {
            EXPECT_NEAR(n.samples[i], north(1.0 + double(i) / 20), 1e-9);
            EXPECT_NEAR(e.samples[i], east(1.0 + double(i) / 20), 1e-9);
        }
        EXPECT_FALSE(rotateToNorthEast({&one, azimuth}, {&two, azimuth + 60}, n, e, reason));
        EXPECT_NE(reason.find("60.0 degrees"), std::string::npos) << reason;
    }
}

TEST(Merging, GapsBridgedOrFilledOverlapsKeepTheFirstData) {
    auto segment = [](double start, std::vector<double> v) {
        return TraceSegment{{"XX", "STA", "", "BHZ"}, kT0 + start, 1.0, std::move(v)};
    };
    const TraceSegment a = segment(0, {1, 1, 1, 1});       // 0..3 s
    const TraceSegment shortGap = segment(8, {9, 9});      // 4 s missing: 4..7
    const TraceSegment longGap = segment(30, {5, 5});      // 20 s missing: 10..29
    const TraceSegment overlap = segment(31, {7, 7, 7});   // 31 kept from before, 32..33 new
    std::vector<std::string> notes;
    const MergedTrace m = mergeSegments({&longGap, &a, &overlap, &shortGap}, kT0 - 100, kT0 + 100, notes);
    ASSERT_EQ(m.samples.size(), 34u);
    EXPECT_DOUBLE_EQ(m.startTime, kT0);
    EXPECT_DOUBLE_EQ(m.samples[3], 1);
    EXPECT_DOUBLE_EQ(m.samples[4], 1 + 8.0 * 1 / 5);   // straight line from 1 to 9
    EXPECT_DOUBLE_EQ(m.samples[7], 1 + 8.0 * 4 / 5);
    const double mean = (4 * 1 + 2 * 9 + 2 * 5 + 2 * 7) / 10.0;
    EXPECT_DOUBLE_EQ(m.samples[10], mean);
    EXPECT_DOUBLE_EQ(m.samples[29], mean);
    EXPECT_DOUBLE_EQ(m.samples[31], 5);
    EXPECT_DOUBLE_EQ(m.samples[32], 7);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("gap of 20.00 s"), std::string::npos) << notes[0];
    EXPECT_NE(notes[1].find("overlap"), std::string::npos) << notes[1];

    // The window cuts before merging: nothing outside it is kept.
    notes.clear();
    const MergedTrace cut = mergeSegments({&a, &shortGap}, kT0 + 2, kT0 + 8.5, notes);
    ASSERT_EQ(cut.samples.size(), 7u);
    EXPECT_DOUBLE_EQ(cut.startTime, kT0 + 2);
    EXPECT_DOUBLE_EQ(cut.samples.back(), 9);
}

TEST(ChannelChoice, PreferenceOrderAndOverride) {
    const std::vector<ChannelGroupKey> groups = {{"10", "HH", 100, true}, {"00", "BH", 40, true}, {"", "LH", 1, true},
                                                 {"", "BH", 20, true},    {"", "SH", 50, false},  {"20", "EH", 10, true}};
    struct Case {
        const char* prefer;
        int expected;
    };
    for (const Case c :
         {Case{"", 3}, Case{"00.", 1}, Case{"HH", 0}, Case{"10.HH", 0}, Case{"20.EH", 5}, Case{"--.LH", 2}, Case{"99.XX", 3}}) {
        SCOPED_TRACE(c.prefer);
        ChannelPreference p;
        ASSERT_TRUE(*c.prefer == 0 || parsePreference(c.prefer, p));
        EXPECT_EQ(chooseChannelGroup(groups, 20, p), c.expected);
    }
    // Among equals the more complete sensor, then the location order.
    EXPECT_EQ(chooseChannelGroup({{"", "BH", 40, true, 1}, {"00", "BH", 40, true, 3}, {"10", "BH", 40, true, 3}}, 20, {}), 1);
    // Without BH at 20-40 or HH: the band nearest the target rate, not below it.
    EXPECT_EQ(chooseChannelGroup({{"", "LH", 1, true}, {"", "EH", 10, true}, {"", "SH", 50, true}}, 20, {}), 2);
    ChannelPreference p;
    for (const char* bad : {"10.HHH", "A.B.C", "1 .HH", ""}) EXPECT_FALSE(parsePreference(bad, p)) << bad;
}
