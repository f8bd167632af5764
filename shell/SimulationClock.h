// The clock of `ov`: the four timers of the main window and the run state they
// work on. Starting an event, the epicentre flash, the accelerated simulated
// time with its self-tuning tick, the end of a run and what follows it, the
// kiosk countdowns and the automatic and browsed tutorial are all decided here.
//
// The class knows no window and no real time: everything it needs from the
// outside (the millisecond counter, arming and disarming of timers, the views,
// the pop-ups, the sound and the screens) goes through ClockHost, which the
// main window implements and tests replace with a recording fake.
#pragma once

#include "data/EventCatalogue.h"
#include "data/InfoText.h"
#include "data/RunSetup.h"
#include "data/Settings.h"
#include "views/EventView.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Timer ids of the main window.
constexpr int kFlashTimer = 1;
constexpr int kTickTimer = 2;
constexpr int kActionTimer = 3;
constexpr int kSecondTimer = 4;

// Work for the action timer.
enum class PendingAction { None, Repeat, ChooseView, WorldMap, LeaveWelcome };

// What the tutorial window's flags say (all false when there is none).
struct TutorialAnswer {
    bool exists = false;
    bool done = false;   // closed by the user with one of its buttons
    bool continued = false, next = false, previous = false, cancelled = false;
};

class ClockHost {
public:
    virtual ~ClockHost() = default;

    // --- time and timers
    virtual uint32_t milliseconds() = 0;
    // False when the platform refused the timer.
    virtual bool armTimer(int id, int ms) = 0;
    virtual void disarmTimer(int id) = 0;
    // Mouse-button or keyboard input is waiting to be handled.
    virtual bool inputWaiting() = 0;
    virtual void showMessage(const std::string& text, const std::string& caption) = 0;

    // --- run data and screens
    // loadRun into the run state; false when the file cannot be opened.
    virtual bool loadEvent(const std::string& eventFile) = 0;
    // A scripted run's end pause is over and `eventFile` comes next; only
    // told so that it can be logged.
    virtual void scriptAdvancing(const std::string& eventFile) { (void)eventFile; }
    // Measures the character cell and the pane geometry from the client size.
    virtual void measureCharacterCell() = 0;
    virtual bool worldMapExists() = 0;
    // Hides the world map, makes a new layout for `mode` the client and
    // deletes the previous one.
    virtual void buildLayout(ViewMode mode) = 0;
    virtual void destroyWelcome() = 0;
    // Replaces the client by a new world map (deleting map, layout and
    // welcome screen); `userTimeout` 0 leaves the map's own default.
    virtual void showWorldMapScreen(uint32_t userTimeout) = 0;
    virtual void exitProgram() = 0;   // tears the screens down and closes
    virtual void pauseLabelChanged(bool paused) = 0;

    // --- views
    // Places the panes of the layout for the current size.
    virtual void arrangeViews() = 0;
    // The views of the layout in its order; none while no layout is shown.
    virtual const std::vector<EventView*>& views() = 0;
    virtual void showTime(float t) = 0;   // elapsed minutes box
    virtual void readSpeed() = 0;         // speed slider <-> timeAcceleration

    // --- pop-ups (the host owns them)
    virtual void openInfoWindow(const std::string& path) = 0;
    virtual bool infoWindowExists() = 0;
    // Closes the window unless the user has, and deletes it.
    virtual void disposeInfoWindow() = 0;
    virtual void openTutorialWindow(const std::string& file, int form, int position) = 0;
    virtual TutorialAnswer tutorialWindow() = 0;
    virtual void disposeTutorialWindow() = 0;
    // An information or tutorial window is open on the screen.
    virtual bool popupOpen() = 0;

    // --- sound
    virtual void playMusic(const std::string& file) = 0;
    virtual void stopMusic() = 0;
    virtual void openMidi() = 0;
    virtual void closeMidi() = 0;
    virtual void click() = 0;

    // --- dialogs and settings
    virtual bool runViewDialog() = 0;   // true on OK (the dialog wrote `view`)
    virtual void saveSettings() = 0;
};

// What the clock keeps between its timer messages; the views, the button
// bar and the tests read it through SimulationClock::state().
struct ClockState {
    float simTime = 0;    // seconds after the origin (the flash counts half-steps)
    int16_t tickMs = 0;   // tick interval; 0 while no run is ticking
    bool restartRequested = false;
    PendingAction pendingAction = PendingAction::None;
    int32_t userCountdown = 0;      // seconds until an idle exhibit moves on
    bool showSeismograms = false;   // the run's layout has the seismograms
    int32_t tutorialIndex = 0;
    int32_t nextTutorialTime = 0;
    bool tutorialBrowsing = false;

    float resumeTime = 0;       // a run rebuilt in a new layout goes on from here
    int32_t endCountdown = 0;   // seconds of the pause at a run's end
    bool held = false;          // a pop-up or the lost focus holds the run
    bool paused = false;
    bool eventShown = false;
    bool screenReady = true;
    int32_t scriptIndex = 0;
    std::string currentEventFile;
    std::optional<ViewMode> layoutView;
    uint32_t lastTick = 0;
    bool timerArmed[4] = {false, false, false, false};   // timers 1..3 at [1]..[3]
};

class SimulationClock {
public:
    SimulationClock(ClockHost& host, Settings& settings, RunState& run, EventCatalogue& catalogue,
                    const TutorialScript& script);

    const ClockState& state() const { return s_; }

    // --- timer messages
    void onTimer(int id);   // dispatches; any other id: "Unknown timer"
    void onFlashTimer();
    void onTickTimer();
    void onActionTimer();
    void onSecondTimer();

    // --- operations of the main window
    void setUp();   // window set-up: welcome screen skip, second timer
    // False when the event file cannot be read: the previous screen then stays
    // as it was, with its timers.
    bool startEvent(const std::string& eventFile);
    bool startCurrentEvent();   // the map's or the list's chosen event
    // The event chosen in the List dialog, started while the dialog still
    // holds the tick (between beginDialog and endDialog).
    void startListedEvent(const std::string& eventFile);
    void showWorldMap();
    void closePopups();
    void restartRequest();   // Restart, and the Repeat action
    void requestExit();      // waits while a screen is being built
    void setScreenReady();   // the world map has drawn itself
    void activationChanged(bool active, bool toOtherApplication);
    bool closeQuery() const { return s_.screenReady; }
    void setPendingAction(PendingAction action, int ms);
    // The world map or the list chose an event (any index; the script wraps).
    void chooseEvent(int catalogueIndex, const std::string& fileName);
    // The window stopped every timer (it is closing).
    void timersStopped();

    // Button bar and commands
    void togglePause();
    // The buttons' click sound is the caller's (the bar's right button has none).
    void worldMenuButton();   // also the bar's right button
    void repeatButton();
    void viewsButton();
    void clearTutorial();   // tutorialMode, tutorialBrowsing, tutorialIndex
    void startTutorialBrowsing();
    void showInfoText(const std::string& path);   // the Info buttons
    std::string eventInfoPath() const;            // "EVT.INF" in the event's folder
    void chooseView();                            // Select View, and the Views button's action
    void setViewMode(ViewMode mode);              // the View menu
    // Modal dialogs opened from commands stop the tick timer meanwhile.
    void beginDialog();
    void endDialog();

    bool armTimer(int id, int ms);
    void disarmTimer(int id);
    bool exitPending() const { return exitPending_; }

private:
    bool tutorialTick();   // false: the tick ends here (tutorial over)
    bool automaticTutorialStep();
    void browsingTutorialStep();
    void releaseHoldWhenPopupsClosed();
    bool allSeismogramsDone() const;

    ClockState s_;
    ClockHost& host_;
    Settings& settings_;
    RunState& run_;
    EventCatalogue& catalogue_;
    const TutorialScript& script_;
    bool heldByFocusLoss_ = false;
    bool exitPending_ = false;
    bool tickWasArmed_ = false;
    // Set when the flash ends or a run resumes; the first tick after that
    // does the run's start-up work once, however long the run is paused.
    bool runStarting_ = false;
};
