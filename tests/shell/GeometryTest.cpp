// Pane geometry, bar buttons, the speed slider's mapping and the minutes text.
#include "shell/LayoutGeometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

std::vector<std::string> labels(const std::vector<BarButton>& buttons) {
    std::vector<std::string> out;
    for (const auto& b : buttons) out.push_back(b.label);
    return out;
}

TEST(BarButtons, OptionalButtonsFollowTheirSettings) {
    Settings s;
    s.canExit = false;
    s.selectView = false;
    s.tutorialEnabled = false;
    const CharacterCell cell{8, 16};
    auto b = barButtons(s, cell);
    EXPECT_EQ(labels(b), (std::vector<std::string>{"World Menu", "Repeat", "Pause", "Event Info"}));
    const int h = 32;   // 16 x BUTTON HEIGHT 2
    for (std::size_t i = 0; i < b.size(); ++i) {
        EXPECT_EQ(b[i].rect, (PaneRect{0, 1 + int(i) * h, 63, h})) << i;
    }
    EXPECT_EQ(b[3].command, 1031);

    s.canExit = true;
    s.exitLabel = "Leave";
    s.selectView = true;
    s.tutorialEnabled = true;
    s.buttonHeight = 1.5f;
    b = barButtons(s, {7, 15});
    EXPECT_EQ(labels(b), (std::vector<std::string>{"Leave", "World Menu", "Repeat", "Pause",
                                                    "Views", "Tutorial", "Event Info"}));
    std::vector<int> commands;
    for (const auto& x : b) commands.push_back(x.command);
    EXPECT_EQ(commands, (std::vector<int>{1030, 1027, 1028, 1026, 1029, 1050, 1031}));
    EXPECT_EQ(b[0].rect, (PaneRect{0, 1, 55, 22}));   // trunc(15 x 1.5)
    EXPECT_EQ(b[6].rect.y, 1 + 6 * 22);

    s.canExit = false;
    s.selectView = true;
    s.tutorialEnabled = false;
    b = barButtons(s, cell);
    EXPECT_EQ(b[0].label, "World Menu");
    EXPECT_EQ(b[0].rect.y, 1);
    EXPECT_EQ(b[3].label, "Views");
}

TEST(PaneArrangement, AllModeOnAWideClient) {
    const PaneGeometry g = paneGeometry({8, 16}, 1024);
    EXPECT_EQ(g.barWidth, 64);
    EXPECT_EQ(g.globePercent, 47);
    const LayoutRects r = arrangePanes(ViewMode::All, g, 1024, 700);
    EXPECT_EQ(r.bar, (PaneRect{960, 0, 64, 700}));
    const int side = 1024 * 47 / 100;
    EXPECT_EQ(r.globe, (PaneRect{0, 700 - side, side, side}));
    EXPECT_EQ(r.crossSection, (PaneRect{side, 700 - side, 960 - side, side}));
    EXPECT_EQ(r.stationNames, (PaneRect{0, 0, 38, 700 - side}));
    EXPECT_EQ(r.seismograms, (PaneRect{38, 0, 960 - 38, 700 - side}));
    EXPECT_TRUE(r.fillerA.empty());
    EXPECT_TRUE(r.fillerB.empty());
}

TEST(PaneArrangement, LongStationLabelsWidenTheColumnAndNarrowTheTraces) {
    PaneGeometry g = paneGeometry({8, 16}, 1024);
    g.stationColumnWidth = 61;
    const LayoutRects r = arrangePanes(ViewMode::All, g, 1024, 700);
    EXPECT_EQ(r.stationNames.width, 61);
    EXPECT_EQ(r.seismograms.x, 61);
    EXPECT_EQ(r.seismograms.x + r.seismograms.width, 960);   // still ends at the bar
    g.stationColumnWidth = 5000;                              // never past the bar
    EXPECT_EQ(arrangePanes(ViewMode::All, g, 1024, 700).seismograms.width, 0);
}

TEST(PaneArrangement, WideLayoutGivesTheTracesAtLeast40PercentAboveTwoEqualSquares) {
    struct Case {
        int cellWidth, width, height;
        bool wide;          // the setting
        bool arranged;      // the wide arrangement applies
    };
    const Case cases[] = {
        {8, 1920, 1080, true, true},     // 16:9 kiosk
        {8, 2560, 600, true, true},      // very wide: the height limits the squares
        {30, 1400, 1000, true, true},    // wide bar: the width limits the squares
        {8, 1024, 768, true, false},     // exactly 4:3 stays classic
        {8, 1280, 1024, true, false},    // 5:4 stays classic
        {8, 1920, 1080, false, false},   // setting off: as before
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " wide " << c.wide);
        PaneGeometry g = paneGeometry({c.cellWidth, 16}, c.width);
        PaneGeometry classic = g;
        g.wideLayout = c.wide;
        const LayoutRects r = arrangePanes(ViewMode::All, g, c.width, c.height);
        if (!c.arranged) {
            const LayoutRects before = arrangePanes(ViewMode::All, classic, c.width, c.height);
            EXPECT_EQ(r.globe, before.globe);
            EXPECT_EQ(r.crossSection, before.crossSection);
            EXPECT_EQ(r.seismograms, before.seismograms);
            EXPECT_TRUE(r.fillerA.empty() && r.fillerB.empty());
            continue;
        }
        const int side = r.globe.width;
        EXPECT_GT(side, 0);
        EXPECT_EQ(r.globe, (PaneRect{r.globe.x, c.height - side, side, side}));
        EXPECT_EQ(r.crossSection, (PaneRect{r.globe.right(), r.globe.y, side, side}));
        EXPECT_EQ(r.bar, (PaneRect{c.width - 8 * c.cellWidth, 0, 8 * c.cellWidth, c.height}));
        EXPECT_EQ(r.fillerA, (PaneRect{0, r.globe.y, r.globe.x, side}));
        EXPECT_EQ(r.fillerB, (PaneRect{r.crossSection.right(), r.globe.y,
                                       r.bar.x - r.crossSection.right(), side}));
        EXPECT_LE(std::abs(r.fillerA.width - r.fillerB.width), 1);   // centred
        EXPECT_GE(r.seismograms.height * 100, c.height * 40);
        EXPECT_EQ(r.seismograms.bottom(), r.globe.y);
        EXPECT_EQ(r.stationNames.height, r.seismograms.height);
        EXPECT_EQ(r.seismograms.right(), r.bar.x);
        // The squares are as large as the band and the width allow.
        EXPECT_TRUE(2 * side + 1 >= r.bar.x || r.seismograms.height * 100 < c.height * 40 + 100);
    }
    // At 1920 x 1080 the traces get 432 pixels instead of 159.
    PaneGeometry g = paneGeometry({8, 16}, 1920);
    g.wideLayout = true;
    const LayoutRects r = arrangePanes(ViewMode::All, g, 1920, 1080);
    EXPECT_EQ(r.seismograms, (PaneRect{38, 0, 1818, 432}));
    EXPECT_EQ(r.globe, (PaneRect{280, 432, 648, 648}));
    EXPECT_EQ(r.fillerB, (PaneRect{1576, 432, 280, 648}));
}

TEST(PaneArrangement, SingleViewModesAreSquareWithFillers) {
    const PaneGeometry g = paneGeometry({8, 16}, 1024);
    for (ViewMode mode : {ViewMode::Globe3D, ViewMode::CrossSection}) {
        const LayoutRects r = arrangePanes(mode, g, 1024, 600);
        const PaneRect view{102, 0, 600, 600};
        EXPECT_EQ(mode == ViewMode::Globe3D ? r.globe : r.crossSection, view);
        EXPECT_TRUE((mode == ViewMode::Globe3D ? r.crossSection : r.globe).empty());
        EXPECT_EQ(r.bar, (PaneRect{702, 0, 64, 600}));
        EXPECT_EQ(r.fillerA, (PaneRect{0, 0, 102, 600}));
        EXPECT_EQ(r.fillerB, (PaneRect{766, 0, 258, 600}));
        EXPECT_TRUE(r.seismograms.empty());
    }
    // A client too narrow for the square leaves no negative filler.
    const LayoutRects tight = arrangePanes(ViewMode::Globe3D, g, 500, 600);
    EXPECT_EQ(tight.fillerB.width, 0);
}

TEST(SpeedSlider, MappingAndPolling) {
    EXPECT_EQ(sliderPositionForSpeed(100), 0);
    EXPECT_EQ(sliderPositionForSpeed(0), 100);
    EXPECT_EQ(sliderPositionForSpeed(-100), 200);
    EXPECT_EQ(sliderPositionForSpeed(20.7f), 79);
    EXPECT_EQ(speedForSliderPosition(79), 21);
    EXPECT_EQ(speedForSliderPosition(200), -100);

    SpeedControl c;
    float acceleration = 20.7f;
    c.setUp(acceleration);
    EXPECT_EQ(c.shownSpeed, 20);
    EXPECT_EQ(c.position, 80);
    c.readSpeed(acceleration);   // 20 differs from 20.7: the slider follows
    EXPECT_EQ(c.position, 79);
    EXPECT_EQ(acceleration, 21.0f);
    c.readSpeed(acceleration);
    EXPECT_EQ(acceleration, 21.0f);   // and then stays

    acceleration = 50;   // the Speed dialog
    c.readSpeed(acceleration);
    EXPECT_EQ(c.position, 50);
    EXPECT_EQ(acceleration, 50.0f);

    c.position = 150;    // dragged below the middle
    c.readSpeed(acceleration);
    EXPECT_EQ(acceleration, -50.0f);

    acceleration = 400;  // beyond the scale: the slider stops at its end
    c.readSpeed(acceleration);
    EXPECT_EQ(c.position, 0);
    EXPECT_EQ(acceleration, 100.0f);
}

TEST(ExtremeSettings, HugeButtonHeightsAndAccelerationsStayInRange) {
    // BUTTON HEIGHT takes any positive number and TIME ACCELERATION any
    // finite one: the pixels and the slider never leave their ranges.
    EXPECT_EQ(buttonPixelHeight(16, 2.0f), 32);
    EXPECT_EQ(buttonPixelHeight(15, 1.5f), 22);
    EXPECT_EQ(buttonPixelHeight(16, 1e30f), 320);   // at most 20 cells
    EXPECT_EQ(buttonPixelHeight(16, 20.5f), 320);
    EXPECT_EQ(buttonPixelHeight(16, -1e30f), 0);
    EXPECT_EQ(buttonPixelHeight(16, std::numeric_limits<float>::quiet_NaN()), 0);
    Settings s;
    s.buttonHeight = 1e30f;
    const auto b = barButtons(s, {8, 16});
    ASSERT_FALSE(b.empty());
    EXPECT_EQ(b.back().rect.height, 320);
    EXPECT_EQ(b.back().rect.y, 1 + int(b.size() - 1) * 320);

    EXPECT_EQ(speedInRange(1e30f), 32767.0f);
    EXPECT_EQ(speedInRange(-1e30f), -32768.0f);
    EXPECT_EQ(speedInRange(-7.5f), -7.5f);
    EXPECT_EQ(sliderPositionForSpeed(1e30f), 100 - 32767);
    EXPECT_EQ(sliderPositionForSpeed(-1e30f), 100 + 32768);
    for (float huge : {1e30f, -1e30f}) {
        SpeedControl c;
        c.setUp(huge);
        EXPECT_EQ(c.shownSpeed, huge > 0 ? 32767 : -32768);
        EXPECT_EQ(c.position, 100 - c.shownSpeed);
        float acceleration = huge;
        c.readSpeed(acceleration);   // the slider stops at its end
        EXPECT_EQ(c.position, huge > 0 ? kSliderMinimum : kSliderMaximum);
        EXPECT_EQ(acceleration, huge > 0 ? 100.0f : -100.0f);
    }
}

TEST(SpeedScale, LabelsRunFromTopToBottom) {
    const PaneRect slider{1, 300, 23, 210};   // H = 200
    const auto marks = speedScale(slider);
    ASSERT_EQ(marks.size(), 11u);
    EXPECT_EQ(marks.front().value, -100);
    EXPECT_EQ(marks.front().baseline, 305 + 200);
    EXPECT_EQ(marks.back().value, 100);
    EXPECT_EQ(marks.back().baseline, 305);
    EXPECT_EQ(marks[5].baseline, 405);
}

TEST(BarLowerPart, SliderAndMinutesBoxPlacement) {
    const PaneGeometry g = paneGeometry({8, 16}, 1024);
    const PaneRect s = sliderRect(g, 1 + 4 * 32, 700);
    EXPECT_EQ(s.x, 1);                 // 64 x 3 / 100
    EXPECT_EQ(s.right(), 24);          // 3 x cw
    EXPECT_EQ(s.y, 129 + 80);          // 5 x ch below the buttons
    EXPECT_EQ(s.bottom(), 700);
    const PaneRect box = minutesBoxRect(64, s.y, g.cell, 40, 16);
    EXPECT_EQ(box, (PaneRect{12, 209 - 56, 40, 16}));
}

TEST(MinutesText, WholeMinutesRightAligned) {
    EXPECT_EQ(minutesText(600), "  10 ");
    EXPECT_EQ(minutesText(59), "   0 ");
    EXPECT_EQ(minutesText(0), "   0 ");
    EXPECT_EQ(minutesText(7199.9f), " 119 ");
    EXPECT_EQ(minutesText(-30), "   0 ");
    EXPECT_EQ(minutesText(1e12f).size(), 9u);   // never overflows its buffer
}

}  // namespace
