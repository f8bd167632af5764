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

#include <cstdint>
#include <optional>
#include <string>

// Timer ids of the main window.
constexpr int kFlashTimer = 1;
constexpr int kTickTimer = 2;
constexpr int kActionTimer = 3;
constexpr int kSecondTimer = 4;

// Work for the action timer.
constexpr int kNoAction = 0;
constexpr int kRepeatAction = 1;
constexpr int kChooseViewAction = 2;
constexpr int kWorldMapAction = 3;
constexpr int kLeaveWelcomeAction = 5;

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

    // --- views (called only for the views the layout holds)
    virtual void layoutViews(bool globe, bool crossSection, bool seismograms) = 0;
    // Loads the globe picture; on failure `pictureName` names the file.
    virtual bool globeLoadPicture(std::string& pictureName) = 0;
    virtual bool crossSectionCreatePictures() = 0;
    virtual void globeRedraw() = 0;
    virtual void crossSectionRedraw() = 0;
    virtual void seismogramReset(float t) = 0;
    virtual void seismogramTick(float t) = 0;
    virtual void seismogramInvalidate() = 0;
    virtual void redrawStationNames() = 0;
    virtual void globeFlash(float size) = 0;
    virtual void crossSectionFlash(float size) = 0;
    virtual void globeTick(float t) = 0;
    virtual bool crossSectionTick(int t) = 0;
    // Working picture to the screen, then the clean picture to the working one.
    virtual void globePresent() = 0;
    virtual void crossSectionPresent() = 0;
    // First tick of a run: the working picture to the screen, open the ray tables.
    virtual void crossSectionStartRun() = 0;
    // Restart: the clean picture to the screen.
    virtual void globeRestore() = 0;
    virtual void crossSectionRestore() = 0;
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

class SimulationClock {
public:
    SimulationClock(ClockHost& host, Settings& settings, RunState& run,
                    EventCatalogue& catalogue, const TutorialScript& script);

    // --- run state (read by the views, the button bar and the tests)
    float simTime = 0;
    int16_t tickMs = 0;
    int32_t shownTimeWindow = 0;
    bool restartRequested = false;
    int32_t pendingAction = kNoAction;
    int32_t userCountdown = 0;
    bool showGlobe = false, showCrossSection = false, showSeismograms = false;
    int32_t tutorialIndex = 0;
    int32_t nextTutorialTime = 0;
    bool tutorialBrowsing = false;

    float resumeTime = 0;
    int32_t endCountdown = 0;
    bool held = false;
    bool paused = false;
    bool eventShown = false;
    bool screenReady = true;
    int32_t scriptIndex = 0;
    std::string currentEventFile;
    std::optional<ViewMode> layoutView;
    uint32_t lastTick = 0;
    bool timerArmed[4] = {false, false, false, false};   // timers 1..3 at [1]..[3]

    // --- timer messages
    void onTimer(int id);   // dispatches; any other id: "Unknown timer"
    void onFlashTimer();
    void onTickTimer();
    void onActionTimer();
    void onSecondTimer();

    // --- operations of the main window
    void setUp();                 // window set-up: welcome screen skip, second timer
    // False when the event file cannot be read: the previous screen then stays
    // as it was, with its timers.
    bool startEvent(const std::string& eventFile);
    bool startCurrentEvent();     // command 1025
    // The event chosen in the List dialog, started while the dialog still
    // holds the tick (between beginDialog and endDialog).
    void startListedEvent(const std::string& eventFile);
    void showWorldMap();          // command 202
    void closePopups();
    void restartRequest();        // command 209, Repeat action
    void requestExit();           // command 203; waits while a screen is being built
    void setScreenReady();        // the world map has drawn itself
    void activationChanged(bool active, bool toOtherApplication);
    bool closeQuery() const { return screenReady; }
    void setPendingAction(int action, int ms);

    // Button bar and commands
    void togglePause();           // 1026
    // The buttons' click sound is the caller's (the bar's right button has none).
    void worldMenuButton();       // 1027 (also the bar's right button)
    void repeatButton();          // 1028
    void viewsButton();           // 1029
    void clearTutorial();         // tutorialMode, tutorialBrowsing, tutorialIndex
    void startTutorialBrowsing(); // 1051
    void showInfoText(const std::string& path);   // 1039-1042
    std::string eventInfoPath() const;            // "EVT.INF" in the event's folder
    void chooseView();            // 213 and action 2
    void setViewMode(ViewMode mode);   // 101-103
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
