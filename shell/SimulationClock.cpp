#include "shell/SimulationClock.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

int32_t toInt32(uint32_t v) { return static_cast<int32_t>(std::min<uint32_t>(v, INT32_MAX)); }

// The tick interval lives in 16 bits; keep it usable whatever the tuning does.
int16_t clampTick(int32_t ms) { return static_cast<int16_t>(std::clamp(ms, 1, 30000)); }

// Simulated time is kept below this, far beyond any time limit, so that whole
// seconds and pixel positions derived from it stay representable.
constexpr float kMaxSimTime = 1.0e6f;

// The flash is drawn for a magnitude of at most 10 (no larger one is recorded):
// an absurd value would give a disc of no drawable size, and above 2^24 adding
// 0.5 to the flash counter no longer changes it, so the flash would never end.
// The flash thus has at most 20 steps. Not a number counts as 0.
float flashMagnitude(float m) { return std::isnan(m) ? 0.0f : std::clamp(m, -10.0f, 10.0f); }

}   // namespace

SimulationClock::SimulationClock(ClockHost& host, Settings& settings, RunState& run,
                                 EventCatalogue& catalogue, const TutorialScript& script)
    : host_(host), settings_(settings), run_(run), catalogue_(catalogue), script_(script) {
    if (settings_.tutorialMode) {
        s_.tutorialIndex = 1;
        s_.nextTutorialTime = script_.size() > 1 ? toInt32(script_[1].showAt) : 0;
    } else {
        s_.tutorialIndex = 0;
    }
}

// ---------------------------------------------------------------- timers

bool SimulationClock::armTimer(int id, int ms) {
    if (ms <= 0) return false;
    const bool accepted = host_.armTimer(id, ms);
    if (id >= 1 && id <= 3) s_.timerArmed[id] = accepted;
    return accepted;
}

void SimulationClock::disarmTimer(int id) {
    if (id >= 1 && id <= 3) {
        if (!s_.timerArmed[id]) return;
        s_.timerArmed[id] = false;
    }
    host_.disarmTimer(id);
}

void SimulationClock::onTimer(int id) {
    switch (id) {
    case kFlashTimer: onFlashTimer(); break;
    case kTickTimer: onTickTimer(); break;
    case kActionTimer: onActionTimer(); break;
    case kSecondTimer: onSecondTimer(); break;
    default: host_.showMessage("Unknown timer", "????"); break;
    }
}

void SimulationClock::setUp() {
    if (!settings_.showWelcomeScreen) setPendingAction(PendingAction::LeaveWelcome, 1);
    host_.armTimer(kSecondTimer, 1000);
}

void SimulationClock::chooseEvent(int catalogueIndex, const std::string& fileName) {
    s_.scriptIndex = catalogueIndex;
    s_.currentEventFile = fileName;
}

void SimulationClock::timersStopped() {
    for (bool& armed : s_.timerArmed) armed = false;
}

void SimulationClock::setPendingAction(PendingAction action, int ms) {
    s_.pendingAction = action;
    armTimer(kActionTimer, ms);
}

// ---------------------------------------------------------------- starting an event

bool SimulationClock::startEvent(const std::string& eventFile) {
    host_.measureCharacterCell();
    const ViewMode mode = settings_.view;

    const bool flashWasArmed = s_.timerArmed[kFlashTimer];
    const bool tickWasArmed = s_.timerArmed[kTickTimer];
    const bool wasReady = s_.screenReady;
    disarmTimer(kFlashTimer);
    disarmTimer(kTickTimer);
    s_.screenReady = false;

    if (!host_.loadEvent(eventFile)) {
        // The previous screen stays as it was, complete and running.
        s_.screenReady = wasReady;
        if (flashWasArmed) armTimer(kFlashTimer, 100);
        if (tickWasArmed) armTimer(kTickTimer, s_.tickMs);
        return false;
    }
    // The old run's tick is gone for good: a dialog open meanwhile must not
    // re-arm it on top of the new flash.
    tickWasArmed_ = false;
    runStarting_ = false;

    s_.showSeismograms = mode == ViewMode::All;

    if (s_.layoutView != mode || host_.worldMapExists()) {
        host_.buildLayout(mode);
        s_.eventShown = false;
        s_.layoutView = mode;
        // A new button bar says "Pause"; a paused run must say "Resume".
        if (s_.paused) host_.pauseLabelChanged(s_.paused);
    }
    host_.destroyWelcome();
    host_.arrangeViews();

    bool failed = false;
    for (EventView* view : host_.views()) {
        std::string text, caption;
        if (!view->resetForRun(text, caption)) {
            host_.showMessage(text, caption);
            failed = true;
        }
    }
    if (failed) {
        setScreenReady();
        return true;
    }

    s_.simTime = 0;
    for (EventView* view : host_.views()) view->redraw();
    if (settings_.showEventInformation) {
        host_.openInfoWindow(eventInfoPath());
        s_.held = true;
        heldByFocusLoss_ = false;
    }
    s_.userCountdown = toInt32(settings_.userTimeout);
    armTimer(kFlashTimer, 100);
    s_.eventShown = true;
    return true;
}

bool SimulationClock::startCurrentEvent() {
    s_.held = false;
    heldByFocusLoss_ = false;
    if (s_.paused) {
        s_.paused = false;
        host_.pauseLabelChanged(false);
    }
    s_.resumeTime = 0;
    if (!startEvent(s_.currentEventFile)) return false;
    // The new event does not inherit the end pause or a replay of the old run.
    s_.endCountdown = 0;
    s_.restartRequested = false;
    return true;
}

void SimulationClock::startListedEvent(const std::string& eventFile) {
    s_.currentEventFile = eventFile;
    s_.resumeTime = 0;
    // An unreadable file leaves the old run, which gets its tick back.
    if (!startCurrentEvent()) endDialog();
}

std::string SimulationClock::eventInfoPath() const {
    return run_.folder.empty() ? std::string("EVT.INF") : run_.folder + "/EVT.INF";
}

// ---------------------------------------------------------------- flash timer

void SimulationClock::onFlashTimer() {
    disarmTimer(kFlashTimer);
    releaseHoldWhenPopupsClosed();
    if (s_.held) {
        armTimer(kFlashTimer, 100);
        return;
    }
    closePopups();
    s_.held = false;
    s_.eventShown = true;
    setScreenReady();

    if (s_.resumeTime != 0) {
        s_.simTime = s_.resumeTime;
        s_.tickMs = clampTick(settings_.clockTickMs);
        armTimer(kTickTimer, s_.tickMs);
        s_.lastTick = host_.milliseconds();
        host_.showTime(s_.simTime);
        runStarting_ = true;
        return;
    }
    if (s_.simTime == 0) {
        host_.closeMidi();
        if (settings_.audio != AudioMode::None) host_.playMusic("EQ.MID");
        host_.showTime(0);
    }
    const float magnitude = flashMagnitude(run_.magnitude);
    s_.simTime += 0.5f;
    const float size = (magnitude - s_.simTime) * 0.25f;
    for (EventView* view : host_.views()) view->flash(size);

    if (s_.simTime >= magnitude) {
        s_.simTime = 0;
        runStarting_ = true;
        host_.stopMusic();
        s_.tickMs = clampTick(settings_.clockTickMs);
        armTimer(kTickTimer, s_.tickMs);
        s_.lastTick = host_.milliseconds();
        host_.openMidi();
    } else {
        armTimer(kFlashTimer, 100);
    }
}

// ---------------------------------------------------------------- tick timer

void SimulationClock::onTickTimer() {
    disarmTimer(kTickTimer);
    const uint32_t now = host_.milliseconds();
    if (s_.lastTick != 0) {
        const int32_t step = s_.tickMs / 10;
        const int64_t took = static_cast<uint32_t>(now - s_.lastTick);
        int32_t next = s_.tickMs;
        if (int64_t(s_.tickMs) + step < took)
            next += step;
        else
            next -= step;
        s_.tickMs = clampTick(next);
        settings_.clockTickMs = s_.tickMs;
    }
    s_.lastTick = now;

    releaseHoldWhenPopupsClosed();
    if (!tutorialTick()) return;

    armTimer(kTickTimer, s_.tickMs);

    // Only once per run: while paused or held before the first step simTime
    // stays 0, and the ray tables must not be reopened on every tick.
    if (runStarting_) {
        runStarting_ = false;
        s_.resumeTime = 0;
        for (EventView* view : host_.views()) view->startRun();
        host_.stopMusic();
    }
    host_.readSpeed();

    if (!s_.held && !s_.paused) {
        closePopups();
        s_.userCountdown = toInt32(settings_.userTimeout);
        if (s_.endCountdown == 0)
            s_.simTime += settings_.clockTickMs * 0.001f * run_.timeAcceleration;
        // Written so that a time that is not a number becomes 10 too.
        if (!(s_.simTime >= 10)) s_.simTime = 10;
        if (s_.simTime > kMaxSimTime) s_.simTime = kMaxSimTime;

        host_.showTime(s_.simTime);
        // Waiting input goes first: the views skip this tick's drawing.
        if (!host_.inputWaiting()) {
            for (EventView* view : host_.views()) {
                view->tick(s_.simTime);
                view->present();
            }
        }
        const bool allDone = s_.showSeismograms && allSeismogramsDone();
        if (s_.endCountdown == 0 && (allDone || s_.simTime > run_.timeLimit)) {
            s_.endCountdown = settings_.secondsToPauseAtEnd != 0
                                  ? toInt32(settings_.secondsToPauseAtEnd)
                                  : 1;
        }
    }

    if (s_.restartRequested) {
        s_.simTime = 0;
        s_.restartRequested = false;
        disarmTimer(kTickTimer);
        s_.endCountdown = 0;
        host_.stopMusic();
        for (EventView* view : host_.views()) view->restore();
        armTimer(kFlashTimer, 50);
    }
}

bool SimulationClock::allSeismogramsDone() const {
    const int count = std::min<int>(run_.seismogramCount,
                                    static_cast<int>(run_.seismograms.size()));
    if (run_.seismogramCount <= 0) return false;
    int done = 0;
    while (done < count && run_.seismograms[static_cast<std::size_t>(done)]
           && run_.seismograms[static_cast<std::size_t>(done)]->endTime <= s_.simTime)
        ++done;
    return done >= run_.seismogramCount;
}

// ---------------------------------------------------------------- tutorial

bool SimulationClock::tutorialTick() {
    if (settings_.tutorialMode) return automaticTutorialStep();
    if (s_.tutorialBrowsing && settings_.tutorialEnabled) browsingTutorialStep();
    return true;
}

bool SimulationClock::automaticTutorialStep() {
    const int n = static_cast<int>(script_.size());
    if (s_.simTime > s_.nextTutorialTime) {
        if (s_.tutorialIndex + 1 >= n) {
            // The tutorial is over: the world map replaces the run.
            clearTutorial();
            if (host_.tutorialWindow().exists) host_.disposeTutorialWindow();
            showWorldMap();
            return false;
        }
        s_.tutorialIndex = std::max(s_.tutorialIndex, 0);
        const TutorialAnswer answer = host_.tutorialWindow();
        if (answer.exists) {
            const bool cancelled = answer.done && answer.cancelled;
            host_.disposeTutorialWindow();
            if (cancelled) {
                // The user left the tutorial; no further page is opened.
                clearTutorial();
                return true;
            }
        }
        const TutorialStep& step = script_[static_cast<std::size_t>(s_.tutorialIndex)];
        host_.openTutorialWindow(step.textFile, 1, 0);
        s_.held = true;
        heldByFocusLoss_ = false;
        s_.userCountdown = toInt32(step.stayFor);
        ++s_.tutorialIndex;
        s_.nextTutorialTime = toInt32(script_[static_cast<std::size_t>(s_.tutorialIndex)].showAt);
        return true;
    }
    const TutorialAnswer answer = host_.tutorialWindow();
    if (answer.exists && answer.done) {
        if (answer.cancelled) clearTutorial();
        host_.disposeTutorialWindow();
    }
    return true;
}

void SimulationClock::browsingTutorialStep() {
    TutorialAnswer answer = host_.tutorialWindow();
    if (answer.exists && answer.done) {
        if (answer.next) ++s_.tutorialIndex;
        if (answer.previous) --s_.tutorialIndex;
        if (answer.cancelled) {
            s_.tutorialBrowsing = false;
            s_.tutorialIndex = 0;
        }
        host_.disposeTutorialWindow();
        answer.exists = false;
    }
    if (answer.exists || !s_.tutorialBrowsing) return;

    const int n = static_cast<int>(script_.size());
    if (n == 0) {
        s_.tutorialBrowsing = false;
        return;
    }
    int position;
    if (s_.tutorialIndex >= n - 3) {
        s_.tutorialIndex = n - 3;
        position = 2;
    } else if (s_.tutorialIndex <= 1) {
        s_.tutorialIndex = 1;
        position = 0;
    } else {
        position = 1;
    }
    // Scripts of fewer than four steps would point before the first step.
    s_.tutorialIndex = std::clamp(s_.tutorialIndex, 0, n - 1);
    const TutorialStep& step = script_[static_cast<std::size_t>(s_.tutorialIndex)];
    host_.openTutorialWindow(step.textFile, 2, position);
    s_.held = true;
    heldByFocusLoss_ = false;
    s_.userCountdown = toInt32(step.stayFor);
}

void SimulationClock::clearTutorial() {
    settings_.tutorialMode = false;
    s_.tutorialBrowsing = false;
    s_.tutorialIndex = 0;
}

void SimulationClock::startTutorialBrowsing() {
    clearTutorial();
    closePopups();
    s_.tutorialIndex = 1;
    s_.tutorialBrowsing = true;
}

// ---------------------------------------------------------------- action and second timers

void SimulationClock::onActionTimer() {
    disarmTimer(kActionTimer);
    host_.stopMusic();
    const PendingAction action = s_.pendingAction;
    s_.pendingAction = PendingAction::None;
    switch (action) {
    case PendingAction::Repeat:
        s_.endCountdown = 0;
        restartRequest();
        break;
    case PendingAction::ChooseView:
        s_.endCountdown = 0;
        chooseView();
        break;
    case PendingAction::WorldMap:
    case PendingAction::LeaveWelcome:
        s_.endCountdown = 0;
        s_.resumeTime = 0;
        showWorldMap();
        break;
    default: break;
    }
}

void SimulationClock::onSecondTimer() {
    if (s_.userCountdown != 0 && --s_.userCountdown == 0) {
        s_.held = false;
        heldByFocusLoss_ = false;
        if (s_.paused) {
            s_.paused = false;
            host_.pauseLabelChanged(false);
        }
        closePopups();
        s_.tutorialBrowsing = false;
        s_.userCountdown = toInt32(settings_.userTimeout);
    }
    if (s_.endCountdown != 0 && --s_.endCountdown == 0) {
        closePopups();
        s_.tutorialBrowsing = false;
        if (settings_.runScript) {
            s_.restartRequested = false;
            ++s_.scriptIndex;
            // An index outside the catalogue (the map or the list may set
            // any) starts it again from the first entry.
            if (s_.scriptIndex < 0) s_.scriptIndex = 0;
            if (s_.scriptIndex >= catalogue_.count()) {
                s_.scriptIndex = 0;
                if (settings_.exitWhenDone) {
                    requestExit();
                    return;
                }
            }
            if (catalogue_.count() == 0) {
                // Nothing to play next: replay the event that is shown.
                restartRequest();
                return;
            }
            s_.currentEventFile = catalogue_.at(s_.scriptIndex).fileName;
            host_.scriptAdvancing(s_.currentEventFile);
            startCurrentEvent();
        } else if (settings_.exitWhenDone) {
            requestExit();
        } else if (settings_.secondsToPauseAtEnd == 0) {
            s_.endCountdown = 3600;
        } else {
            s_.restartRequested = true;
        }
    }
}

// ---------------------------------------------------------------- screens and pop-ups

void SimulationClock::showWorldMap() {
    s_.screenReady = false;
    s_.simTime = 0;
    s_.resumeTime = 0;
    disarmTimer(kFlashTimer);
    disarmTimer(kTickTimer);
    disarmTimer(kActionTimer);
    s_.tickMs = 0;
    // A run that had ended must not replay, move on or exit from the map.
    s_.endCountdown = 0;
    s_.restartRequested = false;
    tickWasArmed_ = false;   // a dialog open meanwhile must not restart the tick
    runStarting_ = false;
    const bool mapTimeout = settings_.userTimeout != 0 && !settings_.tutorialMode;
    host_.showWorldMapScreen(mapTimeout ? settings_.userTimeout : 0);
    s_.layoutView.reset();
}

void SimulationClock::closePopups() {
    if (host_.infoWindowExists()) host_.disposeInfoWindow();
    if (host_.tutorialWindow().exists) host_.disposeTutorialWindow();
    s_.userCountdown = toInt32(settings_.userTimeout);
    s_.held = false;
    heldByFocusLoss_ = false;
}

void SimulationClock::releaseHoldWhenPopupsClosed() {
    // Closing a pop-up gives the activation back to the main window; where
    // the window system does not report that, the closed pop-up releases the
    // clock all the same. Losing the focus to another program still holds.
    if (s_.held && !heldByFocusLoss_ && !host_.popupOpen()) s_.held = false;
}

void SimulationClock::activationChanged(bool active, bool toOtherApplication) {
    s_.held = !active;
    heldByFocusLoss_ = !active && toOtherApplication;
}

void SimulationClock::restartRequest() {
    if (s_.tickMs != 0) s_.restartRequested = true;
}

void SimulationClock::requestExit() {
    if (!s_.screenReady) {
        // A screen is being built; leave as soon as it is complete.
        exitPending_ = true;
        return;
    }
    exitPending_ = false;
    host_.exitProgram();
}

void SimulationClock::setScreenReady() {
    s_.screenReady = true;
    if (exitPending_) {
        exitPending_ = false;
        host_.exitProgram();
    }
}

// ---------------------------------------------------------------- buttons and commands

void SimulationClock::togglePause() {
    s_.paused = !s_.paused;
    host_.pauseLabelChanged(s_.paused);
}

void SimulationClock::worldMenuButton() {
    clearTutorial();
    setPendingAction(PendingAction::WorldMap, 5);
}

void SimulationClock::repeatButton() {
    if (s_.paused) {
        s_.paused = false;
        host_.pauseLabelChanged(false);
    }
    setPendingAction(PendingAction::Repeat, 5);
    s_.resumeTime = 0;
}

void SimulationClock::viewsButton() { setPendingAction(PendingAction::ChooseView, 5); }

void SimulationClock::showInfoText(const std::string& path) {
    clearTutorial();
    host_.click();
    closePopups();
    host_.openInfoWindow(path);
    // The pop-up takes the activation, which holds the clock.
    s_.held = true;
    heldByFocusLoss_ = false;
    s_.userCountdown = toInt32(settings_.userTimeout);
}

void SimulationClock::beginDialog() {
    tickWasArmed_ = s_.timerArmed[kTickTimer];
    if (s_.tickMs != 0) disarmTimer(kTickTimer);
}

void SimulationClock::endDialog() {
    // Only a tick that the dialog stopped is re-armed: the second timer runs
    // on during the dialog and may have started another event (whose flash
    // arms the tick itself) or shown the map meanwhile.
    if (s_.tickMs != 0 && tickWasArmed_ && !s_.timerArmed[kFlashTimer])
        armTimer(kTickTimer, s_.tickMs);
    tickWasArmed_ = false;
}

void SimulationClock::chooseView() {
    clearTutorial();
    const ViewMode before = settings_.view;
    beginDialog();
    const bool ok = host_.runViewDialog();
    if (ok) host_.saveSettings();
    if (ok && settings_.view != before && s_.layoutView.has_value()) {
        s_.resumeTime = s_.simTime;
        if (!startEvent("")) {
            // The run stays in its old layout and goes on.
            s_.resumeTime = 0;
            endDialog();
        }
    } else {
        endDialog();
    }
}

void SimulationClock::setViewMode(ViewMode mode) {
    if (settings_.view == mode) return;
    settings_.view = mode;
    host_.saveSettings();
    // Only a shown run is rebuilt; elsewhere the mode applies to the next event.
    if (s_.layoutView.has_value()) {
        s_.resumeTime = s_.simTime;
        if (!startEvent("")) s_.resumeTime = 0;   // the run goes on in its old layout
    }
}
