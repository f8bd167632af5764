// The plain computations of the views, without a window.
#include "seismology/SphericalGeometry.h"
#include "views/DrawText.h"
#include "views/ViewGeometry.h"
#include "views/ViewPane.h"

#include "ViewTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(GlobeGeometry, PaneOf400PixelsHasRadius168AndPenWidth2) {
    const PaneMetrics m = PaneMetrics::of(400, 400);
    EXPECT_EQ(m.radius, 168);
    EXPECT_EQ(wavefrontPenWidth(168), 2);
    EXPECT_NEAR(surfaceStep(168), 1.19f, 0.005f);
    EXPECT_EQ(wavefrontPenWidth(30), 1);     // never below 1
    EXPECT_EQ(wavefrontPenWidth(1000), 5);   // never above 5
    EXPECT_EQ(surfaceStep(0), 1.0f);
}

TEST(GlobeGeometry, FullyVisibleCircleIsOneClosedRun) {
    CircleArcs arcs;
    circleArcs(0, 0, 0, 30, 168, arcs);   // around the centre of the disc
    ASSERT_EQ(arcs.runs, 1);
    EXPECT_EQ(arcs.runLength[0], kCirclePoints);
    // Azimuth 0 lies east of the epicentre; point 61 repeats point 1.
    const PointF east = projectOrthographic(0, 30, 0);
    EXPECT_NEAR(arcs.points[0].x, int(168 * east.x), 1);
    EXPECT_NEAR(arcs.points[0].y, int(168 * east.y), 1);
    EXPECT_EQ(arcs.points[61], arcs.points[1]);
}

TEST(GlobeGeometry, CircleCrossingTheLimbSplitsIntoArcsWithoutChord) {
    // Epicentre at 60 W seen from 0: the part of the circle beyond the limb
    // is around azimuth 180, in the middle of the point list.
    CircleArcs arcs;
    circleArcs(0, -60, 0, 60, 168, arcs);
    ASSERT_EQ(arcs.runs, 2);
    const int total = arcs.runLength[0] + arcs.runLength[1];
    EXPECT_EQ(total, arcs.count);
    EXPECT_LT(total, kCirclePoints);
    // Every point of every run is on the visible side: none lies beyond the
    // limb points at x = -0.577 R.
    for (int i = 0; i < arcs.count; ++i) EXPECT_GE(arcs.points[size_t(i)].x, int(-0.58f * 168) - 1);
    // A circle wholly on the far side has no run at all.
    circleArcs(0, 180, 0, 10, 168, arcs);
    EXPECT_EQ(arcs.runs, 0);
    EXPECT_FALSE(arcs.labelled());
}

TEST(GlobeGeometry, PPAndSSOnlyBeyond15Degrees) {
    std::array<TravelTimeTable, 4> tables{linearTable(10), linearTable(20), linearTable(10),
                                          linearTable(20)};
    std::array<GlobeFront, 4> fronts;
    // t = 150: P at 15, S at 7.5, PP at 15 (not beyond), SS at 7.5.
    int n = phaseFronts(tables, 150, fronts);
    ASSERT_EQ(n, 2);
    EXPECT_STREQ(fronts[0].label, "P");
    EXPECT_STREQ(fronts[1].label, "S");
    // t = 400: P 40, PP 40, S 20, SS 20, in the order P, PP, S, SS.
    n = phaseFronts(tables, 400, fronts);
    ASSERT_EQ(n, 4);
    EXPECT_STREQ(fronts[1].label, "PP");
    EXPECT_EQ(fronts[1].colour, FrontColour::LightRed);
    EXPECT_STREQ(fronts[3].label, "SS");
    EXPECT_EQ(fronts[3].colour, FrontColour::LightCyan);
    EXPECT_FLOAT_EQ(fronts[2].distance, 20);
    // Nothing at t = 0, nor after the end of a phase's curve.
    EXPECT_EQ(phaseFronts(tables, 0, fronts), 0);
    EXPECT_EQ(phaseFronts(tables, 5000, fronts), 0);
}

TEST(GlobeGeometry, SurfaceBandOnlyForShallowEvents) {
    SurfaceBand b = surfaceBand(1000, 99.9f, 168);
    EXPECT_TRUE(b.shown);
    EXPECT_FLOAT_EQ(b.outer, 34.12f);
    EXPECT_FLOAT_EQ(b.inner, 20.69f);
    EXPECT_FALSE(surfaceBand(1000, 100, 168).shown);
    EXPECT_FALSE(surfaceBand(0, 10, 168).shown);
}

TEST(CrossSectionGeometry, CoreRadiiFor168) {
    EXPECT_EQ(coreRadius(168), 91);
    EXPECT_EQ(innerCoreRadius(91), 34);
    EXPECT_EQ(hypocentrePixel(0, 168), (Pixel{0, -168}));
    EXPECT_EQ(hypocentrePixel(637.1f, 168), (Pixel{0, -151}));
    EXPECT_EQ(rayPixel(6371, 0, 168.0f / 6371), (Pixel{0, -168}));
    EXPECT_EQ(rayPixel(0, -6371, 168.0f / 6371), (Pixel{-168, 0}));
}

TEST(CrossSectionGeometry, SurfaceArcsAfterTheFirstMinuteOfShallowEvents) {
    EXPECT_FALSE(surfaceArcs(60, 10, 168).shown);
    const SurfaceArcs a = surfaceArcs(61, 10, 168);
    ASSERT_TRUE(a.shown);
    EXPECT_NEAR(a.d1, 61 * 0.02069f, 1e-4);
    EXPECT_NEAR(a.d2, 61 * 0.03412f, 1e-4);
    EXPECT_EQ(a.p2.x, int(168 * std::sin(a.d2 * kDegToRad)));
    EXPECT_EQ(a.p2.y, int(-168 * std::cos(a.d2 * kDegToRad)));
    EXPECT_FALSE(surfaceArcs(600, 100, 168).shown);
}

TEST(CrossSectionGeometry, StationLabelsLeftOrRightByTheRule) {
    const int R = 168, half = 194, cw = 8;
    std::vector<StationLabelInput> s = {
        {"ANMO", 30, 40, 16},   // left of its mark
        {"ANMO", 30, 40, 16},   // second component: no new mark
        {"COLA", 32, 40, 16},   // less than a text height below: right
        {"KONO", 90, 40, 16},   // at the left rim: the label would leave the picture
        {"ANMO", 120, 40, 16},  // listed again later: marked again
        {"", 10, 8, 16},        // the first one is compared with the empty name only
    };
    const auto placed = placeStationLabels(s, R, half, cw);
    ASSERT_EQ(placed.size(), 5u);
    EXPECT_EQ(placed[0].input, 0u);
    EXPECT_EQ(placed[0].mark, (Pixel{int(-R * std::sin(30 * kDegToRad)), int(-R * std::cos(30 * kDegToRad))}));
    EXPECT_FALSE(placed[0].labelRight);
    EXPECT_EQ(placed[0].label.x, placed[0].mark.x - 40);
    EXPECT_EQ(placed[1].input, 2u);
    EXPECT_TRUE(placed[1].labelRight);
    EXPECT_EQ(placed[1].label.x, placed[1].mark.x + cw);
    EXPECT_EQ(placed[2].input, 3u);
    EXPECT_TRUE(placed[2].labelRight);
    EXPECT_EQ(placed[3].input, 4u);
    EXPECT_FALSE(placed[3].labelRight);
    EXPECT_EQ(placed[4].input, 5u);   // empty name after ANMO differs from it

    // The empty name as the very first entry is skipped.
    const auto first = placeStationLabels({{"", 10, 8, 16}, {"X", 50, 8, 16}}, R, half, cw);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].input, 1u);
}

TEST(CrossSectionGeometry, LabelBoxesOverlapOnlyStrictly) {
    EXPECT_TRUE(boxesOverlap({0, 0, 10, 10}, {9, 9, 20, 20}));
    EXPECT_FALSE(boxesOverlap({0, 0, 10, 10}, {10, 0, 20, 10}));   // touching
    EXPECT_FALSE(boxesOverlap({0, 0, 10, 10}, {0, 10, 10, 20}));
}

TEST(SeismogramGeometry, WindowStartByHalfWindows) {
    EXPECT_EQ(windowStart(1000, 1800), 0);
    EXPECT_EQ(windowStart(2000, 1800), 900);
    EXPECT_EQ(windowStart(0, 1800), 0);
    EXPECT_EQ(windowStart(2700, 1800), 1800);
    // A window of 0 or 1 second is used as 2 seconds: no division by zero.
    EXPECT_EQ(windowStart(10, 0), 9);
    // Jumps: forward by half a window at the right edge, back while t < ws.
    const float sx = 1000.0f / 1800;
    EXPECT_EQ(jumpedWindowStart(0, 1810, 1800, sx, 1000), 900);
    EXPECT_EQ(jumpedWindowStart(900, 500, 1800, sx, 1000), 0);
    EXPECT_EQ(jumpedWindowStart(900, 1000, 1800, sx, 1000), 900);
}

TEST(SeismogramGeometry, AxisLabelStepsByWindowLength) {
    EXPECT_EQ(axisLabelStep(2), 1);
    EXPECT_EQ(axisLabelStep(300), 2);
    EXPECT_EQ(axisLabelStep(600), 5);
    EXPECT_EQ(axisLabelStep(1800), 10);
    EXPECT_EQ(axisLabelStep(3600), 15);
    EXPECT_EQ(axisLabelStep(3601), 30);
    EXPECT_EQ(axisLabelStep(7200), 30);

    // A 5-minute window: ticks every minute, labels every 2nd, the first
    // left-aligned at x = 2, the last right-aligned at the edge.
    const auto marks = axisMarks(0, 300, 0, 600.0f / 300, 600, 300);
    ASSERT_EQ(marks.size(), 6u);
    EXPECT_TRUE(marks[0].labelled);
    EXPECT_EQ(marks[0].alignment, align::LeftBottom);
    EXPECT_EQ(marks[0].labelX, 2);
    EXPECT_FALSE(marks[1].labelled);
    EXPECT_EQ(marks[1].x, 120);
    EXPECT_TRUE(marks[2].labelled);
    EXPECT_EQ(marks[2].alignment, align::CentreBottom);
    EXPECT_EQ(marks[5].x, 600);
    EXPECT_EQ(marks[5].alignment, align::RightBottom);
    // One hour: every 15th minute.
    int labelled = 0;
    for (const AxisMark& m : axisMarks(0, 3600, 0, 1, 3600, 3600)) labelled += m.labelled;
    EXPECT_EQ(labelled, 5);   // 0, 15, 30, 45, 60
}

TEST(SeismogramGeometry, TraceScalingBaselinesAndSound) {
    std::vector<int16_t> offsets;
    std::vector<uint8_t> sound;
    // Two traces in 300 pixels: spacing 100, full range spans 200 pixels.
    prepareTrace({-1, 0, 1, 0.5f}, -1, 1, 2, 300, offsets, sound);
    EXPECT_EQ(offsets, (std::vector<int16_t>{100, 0, -100, -50}));   // larger values upwards
    EXPECT_EQ(sound, (std::vector<uint8_t>{0, 127, 255, 191}));
    EXPECT_EQ(traceBaseline(0, 2, 300), 100);
    EXPECT_EQ(traceBaseline(1, 2, 300), 200);

    // A constant trace lies flat on its baseline and sounds as silence.
    prepareTrace({5, 5, 5}, 5, 5, 2, 300, offsets, sound);
    EXPECT_EQ(offsets, (std::vector<int16_t>{0, 0, 0}));
    EXPECT_EQ(sound, (std::vector<uint8_t>{128, 128, 128}));
    // Values that are not numbers do not poison the trace.
    prepareTrace({NAN, 1, INFINITY}, -1, 1, 2, 300, offsets, sound);
    EXPECT_EQ(offsets[0], 0);
    EXPECT_EQ(offsets[1], -100);
    EXPECT_EQ(sound[0], 128);
}

TEST(TextPlacement, AlignmentCodes) {
    // Width 40, ascent 12, descent 4, at (100, 50).
    EXPECT_EQ(alignedBaseline(100, 50, align::LeftTop, 40, 12, 4), QPoint(100, 62));
    EXPECT_EQ(alignedBaseline(100, 50, align::RightTop, 40, 12, 4), QPoint(60, 62));
    EXPECT_EQ(alignedBaseline(100, 50, align::CentreTop, 40, 12, 4), QPoint(80, 62));
    EXPECT_EQ(alignedBaseline(100, 50, align::LeftBottom, 40, 12, 4), QPoint(100, 46));
    EXPECT_EQ(alignedBaseline(100, 50, align::RightBottom, 40, 12, 4), QPoint(60, 46));
    EXPECT_EQ(alignedBaseline(100, 50, align::CentreBottom, 40, 12, 4), QPoint(80, 46));
    EXPECT_EQ(alignedBaseline(100, 50, align::LeftBaseline, 40, 12, 4), QPoint(100, 50));
    EXPECT_EQ(alignedBaseline(100, 50, align::CentreBaseline, 40, 12, 4), QPoint(80, 50));
    EXPECT_EQ(alignedTextRect(100, 50, align::LeftBottom, 40, 12, 4), QRect(100, 34, 40, 16));
}

TEST(PictureDrawing, DirtyTilesGiveRowRunsClippedToThePicture) {
    DirtyTiles tiles;
    tiles.reset(QSize(100, 40));   // 7 x 3 tiles, the last column and row partial
    EXPECT_TRUE(tiles.isEmpty());
    tiles.mark(QRect(10, 5, 30, 2));   // columns 0..2 of row 0
    tiles.mark(QRect(97, 35, 50, 50));   // the corner tile, clipped
    tiles.mark(QRect(-50, -50, 10, 10));   // outside: nothing
    EXPECT_EQ(tiles.count(), 4);
    std::vector<QRect> runs;
    tiles.runs(runs);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], QRect(0, 0, 48, 16));
    EXPECT_EQ(runs[1], QRect(96, 32, 4, 8));
    DirtyTiles other;
    other.reset(QSize(100, 40));
    other.mark(QRect(48, 0, 1, 1));   // joins the first run
    tiles.unite(other);
    tiles.runs(runs);
    EXPECT_EQ(runs[0], QRect(0, 0, 64, 16));
    tiles.clear();
    tiles.runs(runs);
    EXPECT_TRUE(runs.empty());
    tiles.markAll();
    EXPECT_EQ(tiles.count(), 21);
}

TEST(PictureDrawing, LinesSetWholePixelsOnlyInsideTheClip) {
    QImage image(40, 30, QImage::Format_RGB32);
    const QRgb red = qRgb(255, 0, 0), black = qRgb(0, 0, 0);
    auto count = [&](QRgb c) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == c;
        return n;
    };
    image.fill(black);
    drawLinePixels(image, QPoint(5, 10), QPoint(14, 10), red, 1, image.rect());
    EXPECT_EQ(count(red), 10);   // both ends included
    EXPECT_EQ(image.pixel(5, 10), red);
    EXPECT_EQ(image.pixel(14, 10), red);
    image.fill(black);
    drawLinePixels(image, QPoint(20, 20), QPoint(10, 0), red, 1, image.rect());
    EXPECT_EQ(count(red), 21);   // one pixel per row of a steep line
    for (int y = 0; y <= 20; ++y) {
        int inRow = 0;
        for (int x = 0; x < 40; ++x) inRow += image.pixel(x, y) == red;
        EXPECT_EQ(inRow, 1) << y;
    }
    image.fill(black);
    drawLinePixels(image, QPoint(5, 10), QPoint(14, 10), red, 2, image.rect());
    EXPECT_EQ(count(red), 20);   // two pixels across a flat line
    image.fill(black);
    drawLinePixels(image, QPoint(10, 5), QPoint(20, 15), red, 2, image.rect());
    int across = 0;   // a diagonal keeps its width square to the line: 3 across
    for (int y = 0; y < 30; ++y) across += image.pixel(15, y) == red;
    EXPECT_EQ(across, 3);
    // Clipped: a wide line across the clip's edge changes nothing outside it.
    image.fill(black);
    const QRect clip(10, 10, 10, 10);
    drawLinePixels(image, QPoint(0, 15), QPoint(39, 15), red, 5, clip);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            if (!clip.contains(x, y)) {
                EXPECT_EQ(image.pixel(x, y), black) << x << " " << y;
            }
        }
    EXPECT_EQ(count(red), 50);
    // End points far away (a corrupt table) are skipped, not walked.
    drawLinePixels(image, QPoint(-2000000000, 3), QPoint(2000000000, 3), red, 1, image.rect());
    EXPECT_EQ(image.pixel(0, 3), black);
}

}  // namespace
