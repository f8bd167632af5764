// Pane geometry of the event screen: where the views, the button bar, the
// station-name column and the grey fillers go for each view mode, where the
// bar's buttons, speed slider and minutes box sit, and the mapping between
// the speed slider's position and the relative speed. Plain numbers only.
#pragma once

#include "data/Settings.h"
#include "dialogs/Commands.h"

#include <cstdint>
#include <string>
#include <vector>

struct PaneRect {
    int x = 0, y = 0, width = 0, height = 0;
    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool empty() const { return width <= 0 || height <= 0; }
    bool operator==(const PaneRect&) const = default;
};

// The character cell: extent of the letter "N" in the window's font.
struct CharacterCell {
    int width = 8;     // cw
    int height = 16;   // ch
};

struct PaneGeometry {
    CharacterCell cell;
    int barWidth = 64;       // 8 x cw
    int globePercent = 47;   // p
    // The station-name column is 38 pixels wide, wider only when the run's
    // labels need more room in the installed font.
    int stationColumnWidth = 38;
    // WIDE LAYOUT: in view mode ALL on a layout wider than 4:3 the
    // seismograms get a band of at least 40 % of the height and the globe and
    // cross-section stand under it as equal squares, centred between fillers.
    bool wideLayout = false;
};

// Computed from the client width of the main window when an event starts.
PaneGeometry paneGeometry(CharacterCell cell, int clientWidth);

// Where each pane of a layout goes; absent panes are empty rectangles.
struct LayoutRects {
    PaneRect bar, globe, crossSection, stationNames, seismograms, fillerA, fillerB;
};

LayoutRects arrangePanes(ViewMode mode, const PaneGeometry& geometry, int width, int height);

// One button of the bar.
struct BarButton {
    Command command = Command::WorldMenu;
    std::string label;
    PaneRect rect;
};

// Height in pixels of a button `factor` (BUTTON HEIGHT) character cells high;
// the factor is kept to 0..20 so that any value the settings file accepts
// gives a whole number of pixels.
int buttonPixelHeight(int cellHeight, float factor);

// The welcome screen's Start button: 80 pixels wide, `factor` cells high,
// centred on half the client width, 20 pixels below the top. Placed from the
// window's real size, and again whenever that size changes.
PaneRect welcomeStartButtonRect(int clientWidth, int cellHeight, float factor);

// Exit (when CAN EXIT), World Menu, Repeat, Pause, Views (when SELECT VIEW),
// Tutorial (when TUTORIAL ENABLED), Event Info, stacked from y = 1.
std::vector<BarButton> barButtons(const Settings& settings, CharacterCell cell);

// The speed slider's rectangle in a bar of the given size below its buttons.
PaneRect sliderRect(const PaneGeometry& geometry, int buttonsBottom, int barHeight);

// The minutes box: `boxWidth` x `boxHeight` is the extent of " 0:00 ".
PaneRect minutesBoxRect(int barWidth, int sliderTop, CharacterCell cell, int boxWidth,
                        int boxHeight);

// The speed scale beside the slider: label value and baseline for each of
// -100, -80, ..., 100.
struct ScaleMark {
    int value = 0;
    int baseline = 0;
};
std::vector<ScaleMark> speedScale(const PaneRect& slider);

// Slider range 0..200, top is speed 100, bottom -100.
constexpr int kSliderMinimum = 0;
constexpr int kSliderMaximum = 200;
// A relative speed kept to the signed 16-bit range (not a number counts as 0).
float speedInRange(float speed);
int sliderPositionForSpeed(float speed);        // trunc(100 - speed in range)
int16_t speedForSliderPosition(int position);   // 100 - position

// The speed slider's polling, without the widget: the slider keeps
// `position`; `shownSpeed` is what it showed or was read as last.
struct SpeedControl {
    int16_t shownSpeed = 0;
    int position = 100;

    // Bar set-up: shownSpeed trunc(acceleration) (kept to 16 bits),
    // position 100 - shownSpeed.
    void setUp(float acceleration);
    // Every tick: follow an acceleration changed elsewhere, then read the
    // slider back into the acceleration.
    void readSpeed(float& acceleration);
};

// Whole minutes of `t` seconds as "%4u " (four digits right-aligned, a space).
std::string minutesText(float t);
