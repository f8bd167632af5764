// Pane geometry, bar buttons, the speed slider's mapping and the minutes text.
#include "shell/LayoutGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

namespace {

constexpr float kNoSet = std::numeric_limits<float>::quiet_NaN();

// Each button as "label x y width height"; its command goes to `commands`.
std::vector<std::string> buttons(const Settings& s, CharacterCell cell, std::vector<Command>* commands = nullptr) {
    std::vector<std::string> out;
    for (const BarButton& b : barButtons(s, cell)) {
        out.push_back(b.label + " " + std::to_string(b.rect.x) + " " + std::to_string(b.rect.y) + " " + std::to_string(b.rect.width) + " "
                      + std::to_string(b.rect.height));
        if (commands) commands->push_back(b.command);
    }
    return out;
}

TEST(BarButtons, OptionalButtonsFollowTheirSettingsInOneColumn) {
    Settings s;
    s.canExit = s.selectView = s.tutorialEnabled = false;
    EXPECT_EQ(buttons(s, {8, 16}),
              (std::vector<std::string>{"World Menu 0 1 63 32", "Repeat 0 33 63 32", "Pause 0 65 63 32", "Event Info 0 97 63 32"}));
    s.selectView = true;
    EXPECT_EQ(buttons(s, {8, 16})[3], "Views 0 97 63 32");
    s.canExit = s.tutorialEnabled = true;
    s.exitLabel = "Leave";
    s.buttonHeight = 1.5f;   // trunc(15 x 1.5) = 22 pixels
    std::vector<Command> commands;
    EXPECT_EQ(buttons(s, {7, 15}, &commands),
              (std::vector<std::string>{"Leave 0 1 55 22", "World Menu 0 23 55 22", "Repeat 0 45 55 22", "Pause 0 67 55 22",
                                        "Views 0 89 55 22", "Tutorial 0 111 55 22", "Event Info 0 133 55 22"}));
    EXPECT_EQ(commands, (std::vector<Command>{Command::ExitButton, Command::WorldMenu, Command::Repeat, Command::Pause, Command::Views,
                                              Command::TutorialButton, Command::EventInfoButton}));
    s.buttonHeight = 1e30f;   // at most twenty cells
    EXPECT_EQ(buttons(s, {8, 16}).back(), "Event Info 0 1921 63 320");
}

TEST(PaneArrangement, AllModeAndSingleViewModes) {
    PaneGeometry g = paneGeometry({8, 16}, 1024);
    EXPECT_EQ(std::tuple(g.barWidth, g.globePercent), std::tuple(64, 47));
    LayoutRects r = arrangePanes(ViewMode::All, g, 1024, 700);
    const int side = 1024 * 47 / 100;
    EXPECT_EQ(std::tuple(r.bar, r.globe, r.crossSection, r.stationNames, r.seismograms, r.fillerA.empty() && r.fillerB.empty()),
              std::tuple(PaneRect{960, 0, 64, 700}, PaneRect{0, 700 - side, side, side}, PaneRect{side, 700 - side, 960 - side, side},
                         PaneRect{0, 0, 38, 700 - side}, PaneRect{38, 0, 960 - 38, 700 - side}, true));
    g.stationColumnWidth = 61;   // long station labels narrow the traces, which still end at the bar
    r = arrangePanes(ViewMode::All, g, 1024, 700);
    EXPECT_EQ(std::tuple(r.stationNames.width, r.seismograms.x, r.seismograms.right()), std::tuple(61, 61, 960));
    g.stationColumnWidth = 5000;   // never past the bar
    EXPECT_EQ(arrangePanes(ViewMode::All, g, 1024, 700).seismograms.width, 0);

    g = paneGeometry({8, 16}, 1024);
    for (ViewMode mode : {ViewMode::Globe3D, ViewMode::CrossSection}) {
        r = arrangePanes(mode, g, 1024, 600);
        const bool globe = mode == ViewMode::Globe3D;
        EXPECT_EQ(std::tuple(globe ? r.globe : r.crossSection, r.bar, r.fillerA, r.fillerB),
                  std::tuple(PaneRect{102, 0, 600, 600}, PaneRect{702, 0, 64, 600}, PaneRect{0, 0, 102, 600}, PaneRect{766, 0, 258, 600}));
        EXPECT_TRUE((globe ? r.crossSection : r.globe).empty() && r.seismograms.empty());
    }
    EXPECT_EQ(arrangePanes(ViewMode::Globe3D, g, 500, 600).fillerB.width, 0);   // never a negative filler
}

TEST(PaneArrangement, WideLayoutGivesTheTracesAtLeast40PercentAboveTwoEqualSquares) {
    struct Case {
        int cellWidth, width, height;
        bool wide, arranged;
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
        const LayoutRects before = arrangePanes(ViewMode::All, g, c.width, c.height);
        g.wideLayout = c.wide;
        const LayoutRects r = arrangePanes(ViewMode::All, g, c.width, c.height);
        if (!c.arranged) {
            EXPECT_EQ(std::tuple(r.globe, r.crossSection, r.seismograms),
                      std::tuple(before.globe, before.crossSection, before.seismograms));
            EXPECT_TRUE(r.fillerA.empty() && r.fillerB.empty());
            continue;
        }
        const int side = r.globe.width;
        EXPECT_EQ(std::tuple(r.globe, r.crossSection, r.fillerA, r.fillerB),
                  std::tuple(PaneRect{r.globe.x, c.height - side, side, side}, PaneRect{r.globe.right(), r.globe.y, side, side},
                             PaneRect{0, r.globe.y, r.globe.x, side},
                             PaneRect{r.crossSection.right(), r.globe.y, r.bar.x - r.crossSection.right(), side}));
        EXPECT_EQ(std::tuple(r.seismograms.bottom(), r.stationNames.height, r.seismograms.right()),
                  std::tuple(r.globe.y, r.seismograms.height, r.bar.x));
        // Squares centred and as large as the band of at least 40 % for the traces and the width allow.
        EXPECT_EQ(std::tuple(side > 0, std::abs(r.fillerA.width - r.fillerB.width) <= 1, r.seismograms.height * 100 >= c.height * 40,
                             2 * side + 1 >= r.bar.x || r.seismograms.height * 100 < c.height * 40 + 100),
                  std::tuple(true, true, true, true));
    }
    // At 1920 x 1080 the traces get 432 pixels instead of 159.
    PaneGeometry g = paneGeometry({8, 16}, 1920);
    g.wideLayout = true;
    const LayoutRects r = arrangePanes(ViewMode::All, g, 1920, 1080);
    EXPECT_EQ(std::tuple(r.seismograms, r.globe, r.fillerB),
              std::tuple(PaneRect{38, 0, 1818, 432}, PaneRect{280, 432, 648, 648}, PaneRect{1576, 432, 280, 648}));
}

TEST(SpeedSlider, MappingAndPollingStayInRange) {
    const std::pair<float, int> positions[] = {{100, 0}, {0, 100}, {-100, 200}, {20.7f, 79}, {1e30f, 100 - 32767}, {-1e30f, 100 + 32768}};
    for (const auto& [speed, position] : positions) EXPECT_EQ(sliderPositionForSpeed(speed), position) << speed;
    EXPECT_EQ(std::tuple(speedForSliderPosition(79), speedForSliderPosition(200)), std::tuple(21, -100));

    SpeedControl c;
    float acceleration = 20.7f;
    c.setUp(acceleration);
    EXPECT_EQ(std::tuple(c.shownSpeed, c.position), std::tuple(20, 80));
    // Each poll: the speed set (NaN: left), the slider dragged to (-1: left), the position and speed that result.
    const struct {
        float set;
        int drag;
        int position;
        float speed;
    } polls[] = {{kNoSet, -1, 79, 21}, {kNoSet, -1, 79, 21}, {50, -1, 50, 50}, {kNoSet, 150, 150, -50}, {400, -1, 0, 100}};
    for (const auto& p : polls) {
        if (!std::isnan(p.set)) acceleration = p.set;
        if (p.drag >= 0) c.position = p.drag;
        c.readSpeed(acceleration);
        EXPECT_EQ(std::tuple(c.position, acceleration), std::tuple(p.position, p.speed));
    }
    for (float huge : {1e30f, -1e30f}) {   // the slider stops at its end
        SpeedControl h;
        h.setUp(huge);
        EXPECT_EQ(std::tuple(h.shownSpeed, h.position), std::tuple(huge > 0 ? 32767 : -32768, huge > 0 ? 100 - 32767 : 100 + 32768));
        float a = huge;
        h.readSpeed(a);
        EXPECT_EQ(std::tuple(h.position, a), std::tuple(huge > 0 ? kSliderMinimum : kSliderMaximum, huge > 0 ? 100.0f : -100.0f));
    }
}

TEST(BarLowerPart, ButtonHeightsSliderScaleMinutesBoxAndText) {
    const std::pair<float, int> heights[] = {{2.0f, 32}, {20.5f, 320}, {1e30f, 320}, {-1e30f, 0}, {kNoSet, 0}};   // at most 20 cells
    for (const auto& [factor, pixels] : heights) EXPECT_EQ(buttonPixelHeight(16, factor), pixels) << factor;
    EXPECT_EQ(welcomeStartButtonRect(800, 16, 1e30f), (PaneRect{360, 20, 80, 320}));   // the welcome screen's too

    const auto marks = speedScale({1, 300, 23, 210});   // H = 200
    ASSERT_EQ(marks.size(), 11u);
    EXPECT_EQ(std::tuple(marks[0].value, marks[0].baseline, marks[5].baseline, marks[10].value, marks[10].baseline),
              std::tuple(-100, 505, 405, 100, 305));

    const PaneGeometry g = paneGeometry({8, 16}, 1024);
    const PaneRect slider = sliderRect(g, 1 + 4 * 32, 700);   // x: 64 x 3 / 100, width 3 cells, 5 cells below the buttons
    EXPECT_EQ(std::tuple(slider.x, slider.right(), slider.y, slider.bottom()), std::tuple(1, 24, 209, 700));
    EXPECT_EQ(minutesBoxRect(64, slider.y, g.cell, 40, 16), (PaneRect{12, 209 - 56, 40, 16}));
    // Whole minutes, right-aligned.
    const std::pair<float, const char*> cases[] = {{600, "  10 "}, {59, "   0 "}, {0, "   0 "}, {7199.9f, " 119 "}, {-30, "   0 "}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(minutesText(seconds), text) << seconds;
    EXPECT_EQ(minutesText(1e12f).size(), 9u);   // never overflows its buffer
}

}   // namespace
