#include "shell/LayoutGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

PaneGeometry paneGeometry(CharacterCell cell, int clientWidth) {
    PaneGeometry g;
    g.cell = cell;
    g.barWidth = 8 * cell.width;
    const int width = std::max(clientWidth, 1);
    g.globePercent = std::max(0, (100 - (g.barWidth * 100 / width)) / 2);
    return g;
}

LayoutRects arrangePanes(ViewMode mode, const PaneGeometry& geometry, int width, int height) {
    LayoutRects r;
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (mode == ViewMode::All) {
        const int barLeft = std::max(width - geometry.barWidth, 0);
        r.bar = {barLeft, 0, width - barLeft, height};
        int side = 0;
        int globeTop = 0;
        if (geometry.wideLayout && int64_t(width) * 3 > int64_t(height) * 4) {
            // The seismogram band is rounded up so that it never falls below 40 %.
            const int band = static_cast<int>((int64_t(height) * 40 + 99) / 100);
            side = std::max(std::min(barLeft / 2, height - band), 0);
            globeTop = height - side;
            const int left = (barLeft - 2 * side) / 2;
            r.globe = {left, globeTop, side, side};
            r.crossSection = {left + side, globeTop, side, side};
            r.fillerA = {0, globeTop, left, side};
            r.fillerB = {r.crossSection.right(), globeTop, barLeft - r.crossSection.right(), side};
        } else {
            side = static_cast<int>(int64_t(width) * geometry.globePercent / 100);
            globeTop = height - side;
            r.globe = {0, globeTop, side, side};
            r.crossSection = {side, globeTop, std::max(barLeft - side, 0), side};
        }
        const int column = std::clamp(geometry.stationColumnWidth, 0, barLeft);
        r.stationNames = {0, 0, column, std::max(globeTop, 0)};
        r.seismograms = {column, 0, std::max(barLeft - column, 0), std::max(globeTop, 0)};
    } else {
        const int left = width * 10 / 100;
        const PaneRect view{left, 0, height, height};
        if (mode == ViewMode::Globe3D)
            r.globe = view;
        else
            r.crossSection = view;
        r.bar = {view.right(), 0, geometry.barWidth, height};
        r.fillerA = {0, 0, left, height};
        r.fillerB = {r.bar.right(), 0, std::max(width - r.bar.right(), 0), height};
    }
    return r;
}

int buttonPixelHeight(int cellHeight, float factor) {
    const float sane = factor > 0 ? std::min(factor, 20.0f) : 0.0f;   // NaN too gives 0
    return static_cast<int>(static_cast<float>(cellHeight) * sane);
}

PaneRect welcomeStartButtonRect(int clientWidth, int cellHeight, float factor) {
    return {clientWidth / 2 - 40, 20, 80, buttonPixelHeight(cellHeight, factor)};
}

std::vector<BarButton> barButtons(const Settings& settings, CharacterCell cell) {
    struct Entry {
        Command command;
        std::string label;
        bool present;
    };
    const Entry entries[] = {
        {Command::ExitButton, settings.exitLabel, settings.canExit},
        {Command::WorldMenu, "World Menu", true},
        {Command::Repeat, "Repeat", true},
        {Command::Pause, "Pause", true},
        {Command::Views, "Views", settings.selectView},
        {Command::TutorialButton, "Tutorial", settings.tutorialEnabled},
        {Command::EventInfoButton, "Event Info", true},
    };
    const int width = cell.width * 8 - 1;
    const int height = buttonPixelHeight(cell.height, settings.buttonHeight);
    std::vector<BarButton> buttons;
    int y = 1;
    for (const Entry& e : entries) {
        if (!e.present) continue;
        buttons.push_back({e.command, e.label, {0, y, width, height}});
        y += height;
    }
    return buttons;
}

PaneRect sliderRect(const PaneGeometry& geometry, int buttonsBottom, int barHeight) {
    const int left = geometry.barWidth * 3 / 100;
    const int right = 3 * geometry.cell.width;
    const int top = buttonsBottom + 5 * geometry.cell.height;
    return {left, top, std::max(right - left, 0), std::max(barHeight - top, 0)};
}

PaneRect minutesBoxRect(int barWidth, int sliderTop, CharacterCell cell, int boxWidth,
                        int boxHeight) {
    const int left = (barWidth - boxWidth) / 2;
    const int top = static_cast<int>(sliderTop - 3.5 * cell.height);
    return {left, top, boxWidth, boxHeight};
}

std::vector<ScaleMark> speedScale(const PaneRect& slider) {
    const int16_t h = static_cast<int16_t>(slider.height - 10);
    const int zero = slider.y + 5 + h * 100 / 200;
    std::vector<ScaleMark> marks;
    for (int v = -100; v <= 100; v += 20) marks.push_back({v, zero - v * h / 200});
    return marks;
}

float speedInRange(float speed) {
    if (!(speed == speed)) return 0;
    return std::clamp(speed, -32768.0f, 32767.0f);
}

int sliderPositionForSpeed(float speed) { return static_cast<int>(100.0f - speedInRange(speed)); }

int16_t speedForSliderPosition(int position) { return static_cast<int16_t>(100 - position); }

void SpeedControl::setUp(float acceleration) {
    shownSpeed = static_cast<int16_t>(speedInRange(acceleration));
    position = 100 - shownSpeed;
}

void SpeedControl::readSpeed(float& acceleration) {
    if (static_cast<float>(shownSpeed) != acceleration)
        position = std::clamp(sliderPositionForSpeed(acceleration), kSliderMinimum, kSliderMaximum);
    shownSpeed = speedForSliderPosition(position);
    acceleration = shownSpeed;
}

std::string minutesText(float t) {
    const int seconds = std::isfinite(t) && t > 0 ? static_cast<int>(std::min(t, 2.0e9f)) : 0;
    char text[16];
    std::snprintf(text, sizeof text, "%4u ", static_cast<unsigned>(seconds / 60));
    return text;
}
