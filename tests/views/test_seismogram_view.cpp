// The seismogram picture drawn without a window (traces growing tick by tick, window jumps,
// running backwards, arrival marks and their sounds) and the view refitting it on resizing.
#include "sound/RecordingBackend.h"
#include "sound/Sound.h"
#include "views/SeismogramView.h"

#include "ViewTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QColor kRed(255, 0, 0), kCyan(0, 255, 255), kWhite(255, 255, 255), kBlack(0, 0, 0);

// A full range of -1..1 in the first two samples, then small samples
// alternating around 0: the trace covers its baseline (within 2 pixels) in
// every column and leaves room for the arrival marks.
std::vector<float> zigzag(int n) {
    std::vector<float> s(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) s[static_cast<std::size_t>(i)] = (i % 2) ? 0.02f : -0.02f;
    std::tie(s[0], s[1]) = std::pair(-1.0f, 1.0f);
    return s;
}

class SeismogramViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        run.timeWindow = 600;   // 600 pixels wide: one pixel per second
        auto a = makeTrace("AAA", zigzag(2000), 1, 0);
        a->arrivalTimes = {100, 0, 0, 0};   // P
        a->description = "First station";
        auto b = makeTrace("BBB", zigzag(2000), 1, 0);
        b->arrivalTimes = {0, 200, 250, 0};   // S, PP
        run.seismograms.push_back(std::move(a)), run.seismograms.push_back(std::move(b));
        run.seismogramCount = 2;
        picture = std::make_unique<SeismogramPicture>(run, context);
        picture->setSize(QSize(600, 300)), image = &picture->image();
    }
    // Resets the picture and runs the ticks (the first one redraws all).
    void play(std::initializer_list<float> ticks) {
        picture->reset(0);
        for (float t : ticks) picture->tick(t);
    }
    int count(const char* operation) const { return static_cast<int>(std::count(log.operations.begin(), log.operations.end(), operation)); }
    QColor px(int x, int y) const { return image->pixelColor(x, y); }
    // Whether the trace passes column x within 3 pixels of y.
    bool traced(int x, int y) const { return within(x, y, 3, kBlack); }
    // Any pixel of the colour in the column band of a mark on trace i.
    bool markAt(int x, int trace, QColor c) const { return within(x, picture->baselineOf(trace), 30, c); }
    bool within(int x, int y, int r, QColor c) const {
        for (int dy = -r; dy <= r; ++dy)
            if (px(x, y + dy) == c) return true;
        return false;
    }

    RecordingBackend::Log log;
    Sound sound{std::make_unique<RecordingBackend>(log)};
    Settings settings;
    bool shown = false;   // whether an event is shown
    ViewContext context{settings, sound, QSize(8, 16), [this] { return shown; }, {}};
    RunState run;
    std::unique_ptr<SeismogramPicture> picture;
    const QImage* image = nullptr;   // what the probes look at
};

TEST_F(SeismogramViewTest, ResetAndResizeFitTracesAndWindow) {
    ASSERT_TRUE(picture->reset(0));
    // Baselines (the station-name column reads them); offsets: two traces in 300 pixels, full range 200 pixels.
    const KSAC& a = *run.seismograms[0];
    EXPECT_EQ(std::tuple(picture->baselineOf(1), a.baseline, picture->pixelsPerSecond()), std::tuple(200, 100, 1.0f));
    EXPECT_EQ(std::tuple(a.traceBuffer[1], a.traceBuffer[2], a.soundBuffer[1]), std::tuple(-100, 2, 255));
    picture->reset(1000);   // half a window is 300 s
    EXPECT_EQ(picture->windowStartTime(), 600);

    // While an event is shown the view refits its picture to a new size and redraws what was shown.
    SeismogramView view(nullptr, run, context);
    view.resize(600, 300), view.show();   // resizing a shown view takes effect at once
    shown = true, image = &view.picture();
    view.reset(0), view.tick(50), view.tick(200);
    view.resize(1200, 600);
    EXPECT_EQ(std::tuple(view.picture().size(), view.baselineOf(0), view.pixelsPerSecond(), view.lastDrawnTime()),
              std::tuple(QSize(1200, 600), 200, 2.0f, 200.0f));
    EXPECT_TRUE(traced(300, 200) && !traced(420, 200));   // 150 s drawn, 210 s not
    // The Time window dialog changed the window: the next tick lays the traces out again at its time.
    run.timeWindow = 1200, view.tick(700);
    EXPECT_EQ(std::tuple(view.windowStartTime(), view.pixelsPerSecond(), view.fullRedrawPending()), std::tuple(0.0f, 1.0f, true));

    run.seismograms.clear(), run.seismogramCount = 0;
    EXPECT_FALSE(view.reset(0));
}

TEST_F(SeismogramViewTest, TracesGrowTickByTickBetweenTheirBeginAndEnd) {
    run.seismograms[1] = makeTrace("FLAT", std::vector<float>(2000, 5.0f), 1, 0);
    std::tie(run.seismograms[1]->startTime, run.seismograms[1]->endTime) = std::pair(100.0f, 300.0f);
    play({50});
    EXPECT_TRUE(traced(30, 100) && !traced(80, 100));
    picture->tick(90);
    EXPECT_TRUE(traced(80, 100) && !traced(95, 100) && picture->lastDrawnTime() == 90);
    // The description is written at the left while the window starts at 0.
    bool text = false;
    for (int y = 85; y < 100; ++y)
        for (int x = 3; x < 30; ++x) text |= px(x, y) == kBlack;
    EXPECT_TRUE(text);
    // The second, constant, runs flat from 100 s to 300 s, its last piece drawn although it ended.
    picture->tick(400);
    EXPECT_EQ((std::vector<bool>{traced(90, 200), traced(150, 200), traced(299, 200), traced(320, 200)}),
              (std::vector<bool>{false, true, true, false}));
    EXPECT_EQ(std::pair(px(150, 198), px(150, 202)), std::pair(kWhite, kWhite));
}

TEST_F(SeismogramViewTest, ArrivalMarksInTheirColoursWithTheirSounds) {
    play({50, 300});   // labelling off: neither marks nor sounds
    EXPECT_FALSE(markAt(100, 0, kRed) || markAt(200, 1, kCyan) || !log.operations.empty());

    settings.labelPhasesOnSeismogram = true;
    play({50});
    EXPECT_EQ(count("chime"), 0);
    picture->tick(150);   // P on the first trace only, one chime for the one sample in the arrival second
    EXPECT_TRUE(markAt(100, 0, kRed) && !markAt(100, 1, kRed) && count("chime") == 1);
    picture->tick(300);
    EXPECT_TRUE(markAt(200, 1, kCyan) && markAt(250, 1, kRed) && count("chime") == 3);   // S, PP
    EXPECT_EQ(std::pair(px(200, picture->baselineOf(1) - 20), px(201, picture->baselineOf(1) - 20)),
              std::pair(kCyan, kBlack));   // the mark's line in its colour, its black shadow line

    // The earthquake sound plays the trace, and stops with the picture.
    settings.audio = AudioMode::EQ;
    play({50, 150});
    EXPECT_EQ(std::pair(log.waveWrites, count("waveReset")), std::pair(std::vector<std::size_t>{2000u}, 0));
    picture.reset();
    EXPECT_EQ(count("waveReset"), 1);
}

TEST_F(SeismogramViewTest, FullRedrawOfAFineTraceStartsAtItsBeginAndMarksEveryStepOfTheSecond) {
    settings.labelPhasesOnSeismogram = true;
    run.seismograms.clear();
    run.seismograms.push_back(makeTrace("FINE", zigzag(8000), 0.05f, 50.5f));   // 50.5 s to 450.5 s
    run.seismograms[0]->arrivalTimes = {0, 0, 0, 120};                          // SS
    run.seismogramCount = 1;
    picture->reset(0), picture->invalidate();
    picture->tick(300);   // redrawn whole: marks drawn silently
    EXPECT_FALSE(picture->fullRedrawPending());
    const int yb = picture->baselineOf(0);
    EXPECT_EQ((std::vector<bool>{traced(40, yb), traced(60, yb), traced(290, yb), traced(310, yb)}),
              (std::vector<bool>{false, true, true, false}));
    // The 20 steps of second 120 all lie in column 120, the shadow in the next.
    EXPECT_TRUE(markAt(120, 0, kCyan) && !markAt(119, 0, kCyan) && !markAt(121, 0, kCyan));
    EXPECT_TRUE(px(121, yb - 40) == kBlack && count("chime") == 0);
}

TEST_F(SeismogramViewTest, TickPiecesJoinAndAColumnKeepsItsHighestSample) {
    // A sample every 10 s: the piece of the second tick starts where the first one stopped.
    run.seismograms[0] = makeTrace("SLOW", zigzag(60), 10, 0);
    std::vector<float> fine = zigzag(8000);   // 20 samples a column, one of them a peak
    fine[2007] = 1;
    run.seismograms[1] = makeTrace("FINE", fine, 0.05f, 50.5f);
    play({105, 200});
    EXPECT_TRUE(traced(102, picture->baselineOf(0)));
    int top = picture->baselineOf(1);
    while (px(150, top - 1) == kBlack) --top;
    EXPECT_LT(top, picture->baselineOf(1) - 40);   // the peak at 150.85 s reaches far above the baseline
}

TEST_F(SeismogramViewTest, WindowJumpsAtTheRightEdgeAndRunningBackwardsWipesWhatLiesBeyond) {
    play({50, 400});
    EXPECT_TRUE(traced(380, 100));
    picture->tick(350);
    EXPECT_TRUE(!traced(380, 100) && traced(340, 100) && picture->lastDrawnTime() == 350);
    picture->tick(390);   // forward again from there
    EXPECT_TRUE(traced(380, 100));
    picture->tick(590);
    EXPECT_EQ(picture->windowStartTime(), 0);
    picture->tick(610);   // half a window on: redrawn from 300 s, the trace ends at x = 310
    EXPECT_TRUE(picture->windowStartTime() == 300 && traced(300, 100) && !traced(320, 100));
    EXPECT_EQ(std::pair(px(60, 298), px(90, 298)), std::pair(kBlack, kWhite));   // axis ticks: minute 6, not 6.5
    picture->tick(200);                                                          // back before the window start: the window moves back too
    EXPECT_EQ(picture->windowStartTime(), 0);
}

}   // namespace
