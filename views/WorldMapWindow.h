// The world map between runs: a Mercator picture of the world with one label
// per catalogue event. Touching a label chooses the event; with SELECT
// COMPONENTS the map can switch to the stations of the event, where each
// station's components are chosen and the event file rewritten, and the
// event's star starts it. Unattended, the map's own timer starts the first
// event (or exits) after the user time-out and plays the opening of the
// automatic tutorial. Decisions live in WorldMapLayout and WorldMapSequence.
#pragma once

#include "data/InfoText.h"
#include "data/RunSetup.h"
#include "dialogs/TextWindows.h"
#include "views/WorldMapLayout.h"
#include "views/WorldMapSequence.h"

#include <QBasicTimer>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Settings;
class EventCatalogue;
class Sound;
class FaceButton;
class QDialog;

// What the world map asks of the main window.
class WorldMapHost {
public:
    virtual ~WorldMapHost() = default;
    virtual void worldMapReady() = 0;   // the screen is complete (screenReady)
    // The event becomes the current one (scriptIndex and currentEventFile).
    virtual void chooseEvent(int catalogueIndex, const std::string& fileName) = 0;
    // StartCurrentEvent, Exit, or Map (a right click with RIGHT BUTTON
    // RESTART set); delivered after the sender's own event has finished.
    virtual void worldMapCommand(Command command) = 0;
    // Closes the main window's information and tutorial windows.
    virtual void closeMainPopups() = 0;
    // Clears the main window's tutorial state (tutorial index, browsing).
    virtual void leaveTutorialMode() = 0;
    // Shows a text file in the main window's information window.
    virtual void showInformation(const std::string& file) = 0;
};

class WorldMapWindow : public QWidget, private WorldMapSequenceHost, private MessageSink {
    Q_OBJECT
public:
    enum class Mode { Events = 0, Stations = 1 };

    // Fills the catalogue from the working directory and opens the MIDI output
    // of `sound`, which then plays the map's clicks.
    WorldMapWindow(QWidget* parent, WorldMapHost& host, Settings& settings, Sound& sound,
                   EventCatalogue& catalogue, const TutorialScript& script);
    ~WorldMapWindow() override;

    // Seconds until the map starts an event by itself (0 leaves the countdown).
    void setUserTimeout(uint32_t seconds);
    int32_t countdown() const { return sequence_.countdown; }
    const WorldMapSequence& sequence() const { return sequence_; }
    // One second of the map's timer (its timer calls this).
    void secondPassed();
    bool timerRunning() const { return timer_.isActive(); }

    // A touch (left button) at a client point.
    void touch(QPoint point);
    // The buttons' commands (MapExit, MapInformation).
    void buttonCommand(Command id);

    Mode mode() const { return mode_; }
    const WorldMapScreen& screen() const { return screen_; }
    const EventRecord& currentEvent() const { return currentEvent_; }
    int currentEventIndex() const { return currentIndex_; }
    const std::vector<StationRecord>& stations() const { return stations_; }
    FaceButton* exitButton() const { return exitButton_; }
    FaceButton* informationButton() const { return infoButton_; }
    TutorialWindow* tutorialWindow() const { return tutorial_; }
    int pressedLabel() const { return pressedLabel_; }
    bool worldPictureLoaded() const { return !world_.isNull(); }

    // --- Hooks for tests (an empty function restores the default) ---------
    // Runs a modal dialog; default: QDialog::exec.
    using DialogRunner = std::function<int(QDialog&)>;
    void setDialogRunner(DialogRunner runner) { dialogRunner_ = std::move(runner); }
    // Shows a message ("No files found"); default: a message box.
    using MessageShower = std::function<void(QWidget*, const QString&)>;
    void setMessageShower(MessageShower shower) { messageShower_ = std::move(shower); }
    // Lets pending messages run for a while; default: a local event loop.
    using Waiter = std::function<void(int ms)>;
    void setWaiter(Waiter waiter) { waiter_ = std::move(waiter); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // WorldMapSequenceHost
    MapTutorialWindowState tutorialWindowState() override;
    void openTutorialWindow(const std::string& textFile) override;
    void destroyTutorialWindow() override;
    void leaveTutorialMode() override;
    void click() override;
    void drawLabel(int catalogueIndex, bool down) override;
    void startEvent(int catalogueIndex, const std::string& fileName) override;
    void exitProgram() override;
    // MessageSink
    void showMessage(const std::string& text) override;

    void updateScreen();
    MapFontMetrics fontMetrics() const;
    void ensureButtons();
    void touchEvents(QPoint q);
    void touchStations(QPoint q);
    void drawScreen(QPainter& p);
    void drawLabelFace(QPainter& p, const EventRecord& event, bool down) const;
    void drawStation(QPainter& p, StationRecord& station);
    int runDialog(QDialog& dialog);

    WorldMapHost& host_;
    Settings& settings_;
    Sound& sound_;
    EventCatalogue& catalogue_;
    WorldMapSequence sequence_;
    QBasicTimer timer_;
    Mode mode_ = Mode::Events;
    WorldMapScreen screen_;
    EventRecord currentEvent_;
    int currentIndex_ = -1;
    std::vector<StationRecord> stations_;
    FaceButton* exitButton_ = nullptr;
    FaceButton* infoButton_ = nullptr;
    QImage world_;
    bool worldRead_ = false;
    QPixmap worldScaled_;   // the picture at the size of the map rectangle
    QPointer<TutorialWindow> tutorial_;
    int pressedLabel_ = -1;
    bool starDown_ = false;
    bool busy_ = false;           // a touch is being handled (dialogs are open)
    bool messageShown_ = false;   // buildStationList reported something
    DialogRunner dialogRunner_;
    MessageShower messageShower_;
    Waiter waiter_;
};
