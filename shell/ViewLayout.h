// The client of the main window while an event is shown: the panes of the
// view mode (globe, cross-section, seismograms with their station-name
// column, grey fillers) and the button bar with the minutes box and the
// speed slider, placed by LayoutGeometry and re-placed on resizing.
#pragma once

#include "data/Settings.h"
#include "dialogs/Commands.h"
#include "shell/LayoutGeometry.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class CrossSectionView;
class EventView;
class FaceButton;
class GlobeView;
class QSlider;
class SeismogramView;
class Sound;
struct RunState;

// Grey pane with a bevelled frame; takes no input.
class FillerPane : public QWidget {
    Q_OBJECT
public:
    explicit FillerPane(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The labels of the run's seismograms beside their traces.
class StationNameColumn : public QWidget {
    Q_OBJECT
public:
    StationNameColumn(QWidget* parent, const RunState& run, CharacterCell cell);
    void redraw() { update(); }
    // 38 pixels, or as wide as the longest label of the run needs.
    int neededWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const RunState& run_;
    CharacterCell cell_;
};

class ButtonBar : public QWidget {
    Q_OBJECT
public:
    // `onCommand` receives the bar's button commands and, for a right click
    // when RIGHT BUTTON RESTART is set, RightClickWorldMenu; `mainCommand`
    // the Map command of a right click on one of the buttons then.
    ButtonBar(QWidget* parent, const Settings& settings, const PaneGeometry& geometry,
              float timeAcceleration, std::function<void(Command)> onCommand,
              std::function<void(Command)> mainCommand = {});

    FaceButton* button(Command command) const;
    QSlider* slider() const { return slider_; }
    const PaneRect& sliderArea() const { return sliderRect_; }
    const PaneRect& minutesBox() const { return minutesBox_; }
    const std::string& minutesShown() const { return minutes_; }
    const SpeedControl& speedControl() const { return speed_; }

    void setPauseLabel(bool paused);
    // Writes the whole minutes of t into the minutes box.
    void showTime(float t);
    // Synchronises the slider and the acceleration (every tick).
    void readSpeed(float& timeAcceleration);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void placeLowerPart();

    const Settings& settings_;
    PaneGeometry geometry_;
    std::function<void(Command)> onCommand_;
    std::vector<FaceButton*> buttons_;
    QSlider* slider_ = nullptr;
    int buttonsBottom_ = 1;
    PaneRect sliderRect_;
    PaneRect minutesBox_;
    SpeedControl speed_;
    std::string minutes_ = "   0 ";
};

class ViewLayout : public QWidget {
    Q_OBJECT
public:
    // The views play their arrivals on `sound`, measure their texts in the
    // geometry's character cell, ask `eventShown` whether an event's views
    // are up and send their commands (and those of a right click) to
    // `mainCommand`.
    ViewLayout(QWidget* parent, ViewMode mode, const PaneGeometry& geometry,
               const Settings& settings, Sound& sound, RunState& run,
               std::function<bool()> eventShown, std::function<void(Command)> barCommand,
               std::function<void(Command)> mainCommand = {});

    ViewMode mode() const { return mode_; }
    GlobeView* globe() const { return globe_; }
    CrossSectionView* crossSection() const { return crossSection_; }
    SeismogramView* seismograms() const { return seismograms_; }
    StationNameColumn* stationNames() const { return stationNames_; }
    ButtonBar* bar() const { return bar_; }
    FillerPane* fillerA() const { return fillerA_; }
    FillerPane* fillerB() const { return fillerB_; }
    // The views of the mode, in the order globe, cross-section, seismograms.
    const std::vector<EventView*>& views() const { return views_; }

    // Places the panes for the current size.
    void arrange();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    ViewMode mode_;
    PaneGeometry geometry_;
    GlobeView* globe_ = nullptr;
    CrossSectionView* crossSection_ = nullptr;
    SeismogramView* seismograms_ = nullptr;
    StationNameColumn* stationNames_ = nullptr;
    ButtonBar* bar_ = nullptr;
    FillerPane* fillerA_ = nullptr;
    FillerPane* fillerB_ = nullptr;
    std::vector<EventView*> views_;
};
