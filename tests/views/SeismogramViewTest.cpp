// The seismogram view drawn offscreen: traces growing tick by tick, window
// jumps, running backwards, arrival marks and their sounds.
#include "sound/RecordingBackend.h"
#include "sound/Sound.h"
#include "views/SeismogramView.h"
#include "views/ViewPane.h"

#include "ViewTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QColor kRed(255, 0, 0);
const QColor kCyan(0, 255, 255);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);

// A full range of -1..1 in the first two samples, then small samples
// alternating around 0: the trace covers its baseline (within 2 pixels) in
// every column and leaves room for the arrival marks.
std::vector<float> zigzag(int n) {
    std::vector<float> s(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) s[static_cast<std::size_t>(i)] = (i % 2) ? 0.02f : -0.02f;
    s[0] = -1;
    s[1] = 1;
    return s;
}

class SeismogramViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettings();
        theSound().setBackend(std::make_unique<RecordingBackend>(log));
        run.timeWindow = 600;   // 600 pixels wide: one pixel per second
        auto a = makeTrace("AAA", zigzag(2000), 1, 0);
        a->arrivalTimes = {100, 0, 0, 0};     // P
        a->description = "First station";
        auto b = makeTrace("BBB", zigzag(2000), 1, 0);
        b->arrivalTimes = {0, 200, 250, 0};   // S, PP
        run.seismograms.push_back(std::move(a));
        run.seismograms.push_back(std::move(b));
        run.seismogramCount = 2;
        view = std::make_unique<SeismogramView>(nullptr, run);
        view->resize(600, 300);
        view->show();   // resizing a shown view takes effect at once
    }
    void TearDown() override {
        theSound().setBackend(makeSilentBackend());
        setEventShownQuery(nullptr);
    }
    int chimes() const {
        return static_cast<int>(std::count(log.operations.begin(), log.operations.end(), "chime"));
    }
    QColor px(int x, int y) const { return view->picture().pixelColor(x, y); }
    // Whether the trace passes column x within 3 pixels of y.
    bool traced(int x, int y) const {
        for (int dy = -3; dy <= 3; ++dy)
            if (px(x, y + dy) == kBlack) return true;
        return false;
    }
    // Any pixel of the colour in the column band of a mark on trace i.
    bool markAt(int x, int trace, QColor c) const {
        const int yb = view->baselineOf(trace);
        for (int dy = -30; dy <= 30; ++dy)
            if (px(x, yb + dy) == c) return true;
        return false;
    }

    RecordingBackend::Log log;
    RunState run;
    std::unique_ptr<SeismogramView> view;
};

TEST_F(SeismogramViewTest, ResetFitsTracesAndWindow) {
    ASSERT_TRUE(view->reset(0));
    EXPECT_EQ(view->baselineOf(0), 100);
    EXPECT_EQ(view->baselineOf(1), 200);
    EXPECT_EQ(run.seismograms[0]->baseline, 100);   // the station-name column reads it
    EXPECT_FLOAT_EQ(view->pixelsPerSecond(), 1.0f);
    EXPECT_EQ(view->windowStartTime(), 0);
    // Offsets: two traces in 300 pixels, full range 200 pixels.
    EXPECT_EQ(run.seismograms[0]->traceBuffer[0], 100);
    EXPECT_EQ(run.seismograms[0]->traceBuffer[1], -100);
    EXPECT_EQ(run.seismograms[0]->traceBuffer[2], 2);
    EXPECT_EQ(run.seismograms[0]->soundBuffer[1], 255);
    view->reset(1000);   // half a window is 300 s
    EXPECT_EQ(view->windowStartTime(), 600);
    run.seismograms.clear();
    run.seismogramCount = 0;
    EXPECT_FALSE(view->reset(0));
}

TEST_F(SeismogramViewTest, TracesGrowTickByTick) {
    view->reset(0);
    view->tick(50);   // first tick: full redraw up to 50 s
    EXPECT_TRUE(traced(30, 100));
    EXPECT_FALSE(traced(80, 100));
    view->tick(90);
    EXPECT_TRUE(traced(80, 100));
    EXPECT_TRUE(traced(80, 200));
    EXPECT_FALSE(traced(95, 100));
    EXPECT_EQ(view->lastDrawnTime(), 90);
    // The description is written at the left while the window starts at 0.
    bool text = false;
    for (int y = 85; y < 100; ++y)
        for (int x = 3; x < 30; ++x) text |= px(x, y) == kBlack;
    EXPECT_TRUE(text);
}

TEST_F(SeismogramViewTest, ArrivalMarksInTheirColoursWithSound) {
    theSettings().labelPhasesOnSeismogram = true;
    view->reset(0);
    view->tick(50);
    EXPECT_EQ(chimes(), 0);
    view->tick(150);
    EXPECT_TRUE(markAt(100, 0, kRed));    // P on the first trace
    EXPECT_FALSE(markAt(100, 1, kRed));
    EXPECT_EQ(chimes(), 1);               // one sample in the arrival second
    view->tick(300);
    EXPECT_TRUE(markAt(200, 1, kCyan));   // S
    EXPECT_TRUE(markAt(250, 1, kRed));    // PP
    EXPECT_EQ(chimes(), 3);
    // Each mark has its black shadow line one pixel to the right.
    EXPECT_EQ(px(201, view->baselineOf(1) - 20), kBlack);
}

TEST_F(SeismogramViewTest, EarthquakeSoundPlaysTheTrace) {
    theSettings().labelPhasesOnSeismogram = true;
    theSettings().audio = AudioMode::EQ;
    view->reset(0);
    view->tick(50);
    view->tick(150);
    ASSERT_EQ(log.waveWrites.size(), 1u);
    EXPECT_EQ(log.waveWrites[0], 2000u);
}

TEST_F(SeismogramViewTest, NoMarksAndNoSoundWithLabellingOff) {
    view->reset(0);
    view->tick(50);
    view->tick(300);
    EXPECT_FALSE(markAt(100, 0, kRed));
    EXPECT_FALSE(markAt(200, 1, kCyan));
    EXPECT_EQ(chimes(), 0);
    EXPECT_TRUE(log.operations.empty());
}

TEST_F(SeismogramViewTest, FullRedrawDrawsMarksWithoutSound) {
    theSettings().labelPhasesOnSeismogram = true;
    view->reset(0);
    view->invalidateView();
    view->tick(300);   // all of it in one full redraw
    EXPECT_FALSE(view->fullRedrawPending());
    EXPECT_TRUE(markAt(100, 0, kRed));
    EXPECT_TRUE(markAt(200, 1, kCyan));
    EXPECT_EQ(chimes(), 0);
}

TEST_F(SeismogramViewTest, MarksOfAFullRedrawAreLabelledInTheSmallFont) {
    theSettings().labelPhasesOnSeismogram = true;
    // Height of the red label pixels left of the P mark at x = 100.
    auto labelHeight = [&] {
        const int yb = view->baselineOf(0);
        int top = 10000, bottom = -1;
        for (int y = yb - 5; y < yb + 30; ++y)
            for (int x = 60; x < 98; ++x) {
                const QColor c = px(x, y);   // text edges are blended with the white
                if (c.red() > 200 && c.green() < 170 && c.blue() < 170) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        return bottom < 0 ? 0 : bottom - top + 1;
    };
    view->reset(0);
    view->tick(50);
    view->tick(150);   // drawn by the tick, in the view's font
    const int live = labelHeight();
    view->reset(0);
    view->invalidateView();
    view->tick(150);   // redrawn whole, in the 8-pixel font of the descriptions
    const int redrawn = labelHeight();
    EXPECT_GT(redrawn, 0);
    EXPECT_LE(redrawn, 8);
    EXPECT_GT(live, redrawn);
}

TEST_F(SeismogramViewTest, DestroyingTheViewStopsItsSound) {
    theSettings().labelPhasesOnSeismogram = true;
    theSettings().audio = AudioMode::EQ;
    view->reset(0);
    view->tick(50);
    view->tick(150);
    ASSERT_EQ(log.waveWrites.size(), 1u);
    view.reset();
    EXPECT_NE(std::find(log.operations.begin(), log.operations.end(), "waveReset"),
              log.operations.end());
}

TEST_F(SeismogramViewTest, FullRedrawOfAFineTraceStartsAtItsBeginAndMarksEveryStepOfTheSecond) {
    theSettings().labelPhasesOnSeismogram = true;
    run.seismograms.clear();
    auto fine = makeTrace("FINE", zigzag(8000), 0.05f, 50.5f);   // 50.5 s to 450.5 s
    fine->arrivalTimes = {0, 0, 0, 120};                           // SS
    run.seismograms.push_back(std::move(fine));
    run.seismogramCount = 1;
    view->reset(0);
    view->invalidateView();
    view->tick(300);
    const int yb = view->baselineOf(0);
    EXPECT_FALSE(traced(40, yb));
    EXPECT_TRUE(traced(60, yb));
    EXPECT_TRUE(traced(290, yb));
    EXPECT_FALSE(traced(310, yb));
    // The 20 steps of second 120 all lie in column 120; the black shadow
    // line is the column to its right.
    EXPECT_TRUE(markAt(120, 0, kCyan));
    EXPECT_FALSE(markAt(119, 0, kCyan));
    EXPECT_FALSE(markAt(121, 0, kCyan));
    EXPECT_EQ(px(121, yb - 40), kBlack);
    EXPECT_EQ(chimes(), 0);
}

TEST_F(SeismogramViewTest, WindowJumpsByHalfAWindowAtTheRightEdge) {
    view->reset(0);
    view->tick(50);
    view->tick(590);
    EXPECT_EQ(view->windowStartTime(), 0);
    view->tick(610);
    EXPECT_EQ(view->windowStartTime(), 300);
    // Redrawn from 300 s: the trace now ends at x = 310.
    EXPECT_TRUE(traced(300, 100));
    EXPECT_FALSE(traced(320, 100));
    // Axis: minute 6 at x = 60 has its tick at the bottom, minute 6.5 none.
    EXPECT_EQ(px(60, 298), kBlack);
    EXPECT_EQ(px(90, 298), kWhite);
}

TEST_F(SeismogramViewTest, RunningBackwardsWipesWhatLiesBeyondTheTime) {
    view->reset(0);
    view->tick(50);
    view->tick(400);
    EXPECT_TRUE(traced(380, 100));
    view->tick(350);
    EXPECT_FALSE(traced(380, 100));
    EXPECT_TRUE(traced(340, 100));
    EXPECT_EQ(view->lastDrawnTime(), 350);
    // Forward again from there.
    view->tick(390);
    EXPECT_TRUE(traced(380, 100));
    // Back before the window start: the window moves back too.
    view->tick(620);
    EXPECT_EQ(view->windowStartTime(), 300);
    view->tick(200);
    EXPECT_EQ(view->windowStartTime(), 0);
}

TEST_F(SeismogramViewTest, TraceStartsAtItsBeginAndStopsAtItsEnd) {
    run.seismograms[0]->startTime = 100;
    run.seismograms[0]->endTime = 300;
    view->reset(0);
    view->tick(50);
    view->tick(400);
    EXPECT_FALSE(traced(90, 100));
    EXPECT_TRUE(traced(150, 100));
    EXPECT_TRUE(traced(299, 100));   // its last piece is drawn although it ended
    EXPECT_FALSE(traced(320, 100));
}

TEST_F(SeismogramViewTest, ConstantTraceIsFlatAtItsBaselineAndSilent) {
    run.seismograms[0] = makeTrace("FLAT", std::vector<float>(2000, 5.0f), 1, 0);
    view->reset(0);
    view->tick(50);
    view->tick(100);
    EXPECT_TRUE(traced(70, 100));
    EXPECT_EQ(px(70, 98), kWhite);
    EXPECT_EQ(px(70, 102), kWhite);
    const auto& sound = run.seismograms[0]->soundBuffer;
    EXPECT_TRUE(std::all_of(sound.begin(), sound.end(), [](uint8_t b) { return b == 128; }));
}

TEST_F(SeismogramViewTest, ResizingRefitsAndRedrawsWhatWasShown) {
    bool shown = true;
    setEventShownQuery([&] { return shown; });
    view->reset(0);
    view->tick(50);
    view->tick(200);
    view->resize(1200, 600);
    EXPECT_EQ(view->picture().size(), QSize(1200, 600));
    EXPECT_EQ(view->baselineOf(0), 200);
    EXPECT_FLOAT_EQ(view->pixelsPerSecond(), 2.0f);
    EXPECT_TRUE(traced(300, 200));    // 150 s
    EXPECT_FALSE(traced(420, 200));    // 210 s
    EXPECT_EQ(view->lastDrawnTime(), 200);
}

}  // namespace
