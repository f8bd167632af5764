// The plain computations of the views, without a window.
#include "seismology/SphericalGeometry.h"
#include "views/DrawText.h"
#include "views/ViewGeometry.h"
#include "views/ViewPane.h"

#include "ViewTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(GlobeGeometry, PenWidthAndPhaseFronts) {
    EXPECT_EQ((std::vector<int>{wavefrontPenWidth(30), wavefrontPenWidth(168), wavefrontPenWidth(1000)}), (std::vector<int>{1, 2, 5}));
    EXPECT_NEAR(surfaceStep(168), 1.19f, 0.005f);

    // PP and SS only beyond 15 degrees, in the order P, PP, S, SS.
    std::array<TravelTimeTable, 4> tables{linearTable(10), linearTable(20), linearTable(10), linearTable(20)};
    std::array<GlobeFront, 4> fronts;
    ASSERT_EQ(phaseFronts(tables, 150, fronts), 2);
    EXPECT_STREQ(fronts[1].label, "S");
    ASSERT_EQ(phaseFronts(tables, 400, fronts), 4);
    EXPECT_EQ(std::string(fronts[1].label) + fronts[3].label, "PPSS");
    EXPECT_EQ(std::tuple(fronts[1].colour, fronts[3].colour, fronts[2].distance),
              std::tuple(FrontColour::LightRed, FrontColour::LightCyan, 20.0f));
    EXPECT_EQ(phaseFronts(tables, 0, fronts) + phaseFronts(tables, 5000, fronts), 0);   // nor after the curves
}

TEST(CrossSectionGeometry, RayPixelsSurfaceArcsAndStationLabels) {
    EXPECT_EQ(rayPixel(0, -6371, 168.0f / 6371), (Pixel{-168, 0}));
    const SurfaceArcs a = surfaceArcs(61, 10, 168);   // after the first minute
    EXPECT_TRUE(std::fabs(a.d1 - 61 * 0.02069f) < 1e-4f && std::fabs(a.d2 - 61 * 0.03412f) < 1e-4f);
    const int R = 168, half = 194, cw = 8;
    const auto placed = placeStationLabels({{"ANMO", 30, 40, 16},    // left of its mark
                                            {"ANMO", 30, 40, 16},    // second component: no new mark
                                            {"COLA", 32, 40, 16},    // under a text height below: right
                                            {"KONO", 90, 40, 16},    // at the left rim: right
                                            {"ANMO", 120, 40, 16},   // listed again later: marked again
                                            {"", 10, 8, 16}},        // differs from ANMO: marked
                                           R, half, cw);
    std::vector<std::pair<std::size_t, bool>> got;
    for (const auto& p : placed) got.emplace_back(p.input, p.labelRight);
    EXPECT_EQ(got, (std::vector<std::pair<std::size_t, bool>>{{0, false}, {2, true}, {3, true}, {4, false}, {5, true}}));
    EXPECT_EQ(placed[0].mark, (Pixel{int(-R * std::sin(30 * kDegToRad)), int(-R * std::cos(30 * kDegToRad))}));
    EXPECT_EQ(std::pair(placed[0].label.x, placed[1].label.x), std::pair(placed[0].mark.x - 40, placed[1].mark.x + cw));
    const auto first = placeStationLabels({{"", 10, 8, 16}, {"X", 50, 8, 16}}, R, half, cw);
    ASSERT_EQ(first.size(), 1u);   // the empty name as the very first entry is skipped
    EXPECT_EQ(first[0].input, 1u);

    EXPECT_TRUE(boxesOverlap({0, 0, 10, 10}, {9, 9, 20, 20}));
    EXPECT_FALSE(boxesOverlap({0, 0, 10, 10}, {10, 0, 20, 10}) || boxesOverlap({0, 0, 10, 10}, {0, 10, 10, 20}));
}

TEST(SeismogramGeometry, WindowAxisAndTraceScaling) {
    // Window start by half windows; a window under 2 s counts as 2 s.
    for (auto [t, w, start] : {std::array{1000, 1800, 0}, {2000, 1800, 900}, {2700, 1800, 1800}, {10, 0, 9}})
        EXPECT_EQ(windowStart(float(t), w), float(start)) << t;
    const float sx = 1000.0f / 1800;   // forward at the right edge, back while t < ws
    EXPECT_EQ((std::vector<float>{jumpedWindowStart(0, 1810, 1800, sx, 1000), jumpedWindowStart(900, 500, 1800, sx, 1000),
                                  jumpedWindowStart(900, 1000, 1800, sx, 1000)}),
              (std::vector<float>{900, 0, 900}));
    for (auto [window, step] : {std::pair{2, 1}, {300, 2}, {600, 5}, {1800, 10}, {3600, 15}, {3601, 30}, {7200, 30}})
        EXPECT_EQ(axisLabelStep(window), step) << window;

    // Five minutes: ticks every minute, labels every 2nd, the first
    // left-aligned at x = 2, the last right-aligned at the edge.
    const auto marks = axisMarks(0, 300, 0, 600.0f / 300, 600, 300);
    ASSERT_EQ(marks.size(), 6u);
    EXPECT_EQ(std::tuple(marks[0].alignment, marks[0].labelX), std::tuple(align::LeftBottom, 2));
    EXPECT_EQ(std::tuple(marks[1].labelled, marks[1].x), std::tuple(false, 120));
    EXPECT_EQ(std::tuple(marks[2].labelled, marks[2].alignment), std::tuple(true, align::CentreBottom));
    EXPECT_EQ(std::tuple(marks[5].x, marks[5].alignment), std::tuple(600, align::RightBottom));
    int labelled = 0;
    for (const AxisMark& m : axisMarks(0, 3600, 0, 1, 3600, 3600)) labelled += m.labelled;
    EXPECT_EQ(labelled, 5);   // every 15th minute of an hour

    // Two traces in 300 pixels: baselines 100 apart, larger values upwards,
    // a constant trace flat and silent, values that are not numbers harmless.
    std::vector<int16_t> offsets;
    std::vector<uint8_t> sound;
    prepareTrace({-1, 0, 1, 0.5f}, -1, 1, 2, 300, offsets, sound);
    EXPECT_EQ(std::pair(offsets, sound), std::pair(std::vector<int16_t>{100, 0, -100, -50}, std::vector<uint8_t>{0, 127, 255, 191}));
    EXPECT_EQ(traceBaseline(1, 2, 300), 200);
    prepareTrace({5, 5, 5}, 5, 5, 2, 300, offsets, sound);
    EXPECT_EQ(std::pair(offsets, sound), std::pair(std::vector<int16_t>(3, 0), std::vector<uint8_t>(3, 128)));
    prepareTrace({NAN, 1, INFINITY}, -1, 1, 2, 300, offsets, sound);
    EXPECT_EQ(std::tuple(offsets[0], offsets[1], sound[0]), std::tuple(0, -100, 128));
}

TEST(TextPlacement, AlignmentCodes) {
    // Width 40, ascent 12, descent 4, at (100, 50).
    const std::pair<int, QPoint> cases[] = {{align::LeftTop, {100, 62}},      {align::RightTop, {60, 62}},
                                            {align::CentreTop, {80, 62}},     {align::LeftBottom, {100, 46}},
                                            {align::RightBottom, {60, 46}},   {align::CentreBottom, {80, 46}},
                                            {align::LeftBaseline, {100, 50}}, {align::CentreBaseline, {80, 50}}};
    for (const auto& [code, baseline] : cases) EXPECT_EQ(alignedBaseline(100, 50, code, 40, 12, 4), baseline) << code;
    EXPECT_EQ(alignedTextRect(100, 50, align::LeftBottom, 40, 12, 4), QRect(100, 34, 40, 16));
}

TEST(PictureDrawing, DirtyTilesGiveRowRunsClippedToThePicture) {
    DirtyTiles tiles, other;
    tiles.reset(QSize(100, 40));   // 7 x 3 tiles, the last column and row partial
    for (QRect r : {QRect(10, 5, 30, 2), QRect(97, 35, 50, 50), QRect(-50, -50, 10, 10)}) tiles.mark(r);
    other.reset(QSize(100, 40));
    other.mark(QRect(48, 0, 1, 1));   // joins the run of the first row
    tiles.unite(other);
    std::vector<QRect> runs;
    tiles.runs(runs);
    EXPECT_EQ(runs, (std::vector<QRect>{QRect(0, 0, 64, 16), QRect(96, 32, 4, 8)}));   // the corner clipped
    tiles.clear();
    EXPECT_TRUE(tiles.isEmpty());
    tiles.markAll();
    EXPECT_EQ(tiles.count(), 21);
}

TEST(PictureDrawing, LinesSetWholePixelsOnlyInsideTheClip) {
    QImage image(40, 30, QImage::Format_RGB32);
    const QRgb red = qRgb(255, 0, 0), black = qRgb(0, 0, 0);
    // Red pixels after drawing one line on black, within `clip` or everywhere.
    auto draw = [&](QPoint a, QPoint b, int width, QRect clip, QRect counted) {
        image.fill(black);
        drawLinePixels(image, a, b, red, width, clip);
        int n = 0;
        for (int y = counted.top(); y <= counted.bottom(); ++y)
            for (int x = counted.left(); x <= counted.right(); ++x) n += image.pixel(x, y) == red;
        return n;
    };
    const QRect all = image.rect();
    for (int y = 0; y <= 20; ++y)   // one pixel per row of a steep line
        EXPECT_EQ(draw({20, 20}, {10, 0}, 1, all, QRect(0, y, 40, 1)), 1) << y;
    const QRect clip(10, 10, 10, 10);
    // Both ends included; two pixels across a flat line; a diagonal keeps its width; a wide
    // line across the clip changes nothing outside it; far end points (a corrupt table) skipped.
    EXPECT_EQ((std::vector<int>{draw({5, 10}, {14, 10}, 1, all, QRect(5, 10, 10, 1)), draw({5, 10}, {14, 10}, 2, all, all),
                                draw({10, 5}, {20, 15}, 2, all, QRect(15, 0, 1, 30)), draw({0, 15}, {39, 15}, 5, clip, all),
                                draw({0, 15}, {39, 15}, 5, clip, clip), draw({-2000000000, 3}, {2000000000, 3}, 1, all, all)}),
              (std::vector<int>{10, 20, 3, 50, 50, 0}));
}

}   // namespace
