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

}  // namespace

SimulationClock::SimulationClock(ClockHost& host, Settings& settings, RunState& run,
                                 EventCatalogue& catalogue, const TutorialScript& script)
    : host_(host), settings_(settings), run_(run), catalogue_(catalogue), script_(script) {
    if (settings_.tutorialMode) {
        tutorialIndex = 1;
        nextTutorialTime = script_.size() > 1 ? toInt32(script_[1].showAt) : 0;
    } else {
        tutorialIndex = 0;
    }
}

// ---------------------------------------------------------------- timers

bool SimulationClock::armTimer(int id, int ms) {
    if (ms <= 0) return false;
    const bool accepted = host_.armTimer(id, ms);
    if (id >= 1 && id <= 3) timerArmed[id] = accepted;
    return accepted;
}

void SimulationClock::disarmTimer(int id) {
    if (id >= 1 && id <= 3) {
        if (!timerArmed[id]) return;
        timerArmed[id] = false;
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
    if (!settings_.showWelcomeScreen) setPendingAction(kLeaveWelcomeAction, 1);
    host_.armTimer(kSecondTimer, 1000);
}

void SimulationClock::setPendingAction(int action, int ms) {
    pendingAction = action;
    armTimer(kActionTimer, ms);
}

// ---------------------------------------------------------------- starting an event

bool SimulationClock::startEvent(const std::string& eventFile) {
    host_.measureCharacterCell();
    const ViewMode mode = settings_.view;

    const bool flashWasArmed = timerArmed[kFlashTimer];
    const bool tickWasArmed = timerArmed[kTickTimer];
    const bool wasReady = screenReady;
    disarmTimer(kFlashTimer);
    disarmTimer(kTickTimer);
    screenReady = false;

    if (!host_.loadEvent(eventFile)) {
        // The previous screen stays as it was, complete and running.
        screenReady = wasReady;
        if (flashWasArmed) armTimer(kFlashTimer, 100);
        if (tickWasArmed) armTimer(kTickTimer, tickMs);
        return false;
    }
    // The old run's tick is gone for good: a dialog open meanwhile must not
    // re-arm it on top of the new flash.
    tickWasArmed_ = false;
    runStarting_ = false;

    showGlobe = mode != ViewMode::CrossSection;
    showCrossSection = mode != ViewMode::Globe3D;
    showSeismograms = mode == ViewMode::All;

    if (layoutView != mode || host_.worldMapExists()) {
        host_.buildLayout(mode);
        eventShown = false;
        layoutView = mode;
        // A new button bar says "Pause"; a paused run must say "Resume".
        if (paused) host_.pauseLabelChanged(paused);
    }
    host_.destroyWelcome();
    host_.layoutViews(showGlobe, showCrossSection, showSeismograms);

    bool failed = false;
    if (showGlobe) {
        std::string pictureName;
        if (!host_.globeLoadPicture(pictureName)) {
            host_.showMessage("Unable to open file", pictureName);
            failed = true;
        }
    }
    if (showCrossSection && !host_.crossSectionCreatePictures()) {
        host_.showMessage("Unable to create bitmaps", "Cross-Section View");
        failed = true;
    }
    if (failed) {
        setScreenReady();
        return true;
    }

    simTime = 0;
    if (showGlobe) host_.globeRedraw();
    if (showCrossSection) host_.crossSectionRedraw();
    if (showSeismograms) {
        host_.seismogramReset(0);
        host_.redrawStationNames();
        shownTimeWindow = run_.timeWindow;
    }
    if (settings_.showEventInformation) {
        host_.openInfoWindow(eventInfoPath());
        held = true;
        heldByFocusLoss_ = false;
    }
    userCountdown = toInt32(settings_.userTimeout);
    armTimer(kFlashTimer, 100);
    eventShown = true;
    return true;
}

bool SimulationClock::startCurrentEvent() {
    held = false;
    heldByFocusLoss_ = false;
    if (paused) {
        paused = false;
        host_.pauseLabelChanged(false);
    }
    resumeTime = 0;
    if (!startEvent(currentEventFile)) return false;
    // The new event does not inherit the end pause or a replay of the old run.
    endCountdown = 0;
    restartRequested = false;
    return true;
}

void SimulationClock::startListedEvent(const std::string& eventFile) {
    currentEventFile = eventFile;
    resumeTime = 0;
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
    if (held) {
        armTimer(kFlashTimer, 100);
        return;
    }
    closePopups();
    held = false;
    eventShown = true;
    setScreenReady();

    if (resumeTime != 0) {
        simTime = resumeTime;
        tickMs = clampTick(settings_.clockTickMs);
        armTimer(kTickTimer, tickMs);
        lastTick = host_.milliseconds();
        host_.showTime(simTime);
        runStarting_ = true;
        return;
    }
    if (simTime == 0) {
        host_.closeMidi();
        if (settings_.audio != AudioMode::None) host_.playMusic("EQ.MID");
        host_.showTime(0);
    }
    const float magnitude = flashMagnitude(run_.magnitude);
    simTime += 0.5f;
    const float size = (magnitude - simTime) * 0.25f;
    if (showGlobe) host_.globeFlash(size);
    if (showCrossSection) host_.crossSectionFlash(size);

    if (simTime >= magnitude) {
        simTime = 0;
        runStarting_ = true;
        host_.stopMusic();
        tickMs = clampTick(settings_.clockTickMs);
        armTimer(kTickTimer, tickMs);
        lastTick = host_.milliseconds();
        host_.openMidi();
    } else {
        armTimer(kFlashTimer, 100);
    }
}

// ---------------------------------------------------------------- tick timer

void SimulationClock::onTickTimer() {
    disarmTimer(kTickTimer);
    const uint32_t now = host_.milliseconds();
    if (lastTick != 0) {
        const int32_t step = tickMs / 10;
        const int64_t took = static_cast<uint32_t>(now - lastTick);
        int32_t next = tickMs;
        if (int64_t(tickMs) + step < took)
            next += step;
        else
            next -= step;
        tickMs = clampTick(next);
        settings_.clockTickMs = tickMs;
    }
    lastTick = now;

    releaseHoldWhenPopupsClosed();
    if (!tutorialTick()) return;

    armTimer(kTickTimer, tickMs);

    // Only once per run: while paused or held before the first step simTime
    // stays 0, and the ray tables must not be reopened on every tick.
    if (runStarting_) {
        runStarting_ = false;
        resumeTime = 0;
        if (showCrossSection) host_.crossSectionStartRun();
        host_.stopMusic();
    }
    host_.readSpeed();

    if (!held && !paused) {
        closePopups();
        userCountdown = toInt32(settings_.userTimeout);
        if (endCountdown == 0)
            simTime += settings_.clockTickMs * 0.001f * run_.timeAcceleration;
        // Written so that a time that is not a number becomes 10 too.
        if (!(simTime >= 10)) simTime = 10;
        if (simTime > kMaxSimTime) simTime = kMaxSimTime;

        const bool input = host_.inputWaiting();
        if (showCrossSection && !input) {
            if (host_.crossSectionTick(static_cast<int>(simTime))) host_.crossSectionPresent();
        }
        host_.showTime(simTime);
        if (showGlobe && !input) {
            host_.globeTick(simTime);
            host_.globePresent();
        }
        if (showSeismograms && !input) {
            if (run_.timeWindow != shownTimeWindow) {
                host_.seismogramReset(simTime);
                shownTimeWindow = run_.timeWindow;
                host_.seismogramInvalidate();
            } else {
                host_.seismogramTick(simTime);
            }
        }
        const bool allDone = showSeismograms && allSeismogramsDone();
        if (endCountdown == 0 && (allDone || simTime > run_.timeLimit)) {
            endCountdown = settings_.secondsToPauseAtEnd != 0
                               ? toInt32(settings_.secondsToPauseAtEnd)
                               : 1;
        }
    }

    if (restartRequested) {
        simTime = 0;
        restartRequested = false;
        disarmTimer(kTickTimer);
        endCountdown = 0;
        host_.stopMusic();
        if (showGlobe) host_.globeRestore();
        if (showCrossSection) host_.crossSectionRestore();
        if (showSeismograms) {
            host_.seismogramTick(0);
            host_.seismogramInvalidate();
        }
        armTimer(kFlashTimer, 50);
    }
}

bool SimulationClock::allSeismogramsDone() const {
    const int count = std::min<int>(run_.seismogramCount, static_cast<int>(run_.seismograms.size()));
    if (run_.seismogramCount <= 0) return false;
    int done = 0;
    while (done < count && run_.seismograms[static_cast<std::size_t>(done)] &&
           run_.seismograms[static_cast<std::size_t>(done)]->endTime <= simTime)
        ++done;
    return done >= run_.seismogramCount;
}

// ---------------------------------------------------------------- tutorial

bool SimulationClock::tutorialTick() {
    if (settings_.tutorialMode) return automaticTutorialStep();
    if (tutorialBrowsing && settings_.tutorialEnabled) browsingTutorialStep();
    return true;
}

bool SimulationClock::automaticTutorialStep() {
    const int n = static_cast<int>(script_.size());
    if (simTime > nextTutorialTime) {
        if (tutorialIndex + 1 >= n) {
            // The tutorial is over: the world map replaces the run.
            clearTutorial();
            if (host_.tutorialWindow().exists) host_.disposeTutorialWindow();
            showWorldMap();
            return false;
        }
        tutorialIndex = std::max(tutorialIndex, 0);
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
        const TutorialStep& step = script_[static_cast<std::size_t>(tutorialIndex)];
        host_.openTutorialWindow(step.textFile, 1, 0);
        held = true;
        heldByFocusLoss_ = false;
        userCountdown = toInt32(step.stayFor);
        ++tutorialIndex;
        nextTutorialTime = toInt32(script_[static_cast<std::size_t>(tutorialIndex)].showAt);
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
        if (answer.next) ++tutorialIndex;
        if (answer.previous) --tutorialIndex;
        if (answer.cancelled) {
            tutorialBrowsing = false;
            tutorialIndex = 0;
        }
        host_.disposeTutorialWindow();
        answer.exists = false;
    }
    if (answer.exists || !tutorialBrowsing) return;

    const int n = static_cast<int>(script_.size());
    if (n == 0) {
        tutorialBrowsing = false;
        return;
    }
    int position;
    if (tutorialIndex >= n - 3) {
        tutorialIndex = n - 3;
        position = 2;
    } else if (tutorialIndex <= 1) {
        tutorialIndex = 1;
        position = 0;
    } else {
        position = 1;
    }
    // Scripts of fewer than four steps would point before the first step.
    tutorialIndex = std::clamp(tutorialIndex, 0, n - 1);
    const TutorialStep& step = script_[static_cast<std::size_t>(tutorialIndex)];
    host_.openTutorialWindow(step.textFile, 2, position);
    held = true;
    heldByFocusLoss_ = false;
    userCountdown = toInt32(step.stayFor);
}

void SimulationClock::clearTutorial() {
    settings_.tutorialMode = false;
    tutorialBrowsing = false;
    tutorialIndex = 0;
}

void SimulationClock::startTutorialBrowsing() {
    clearTutorial();
    closePopups();
    tutorialIndex = 1;
    tutorialBrowsing = true;
}

// ---------------------------------------------------------------- action and second timers

void SimulationClock::onActionTimer() {
    disarmTimer(kActionTimer);
    host_.stopMusic();
    const int action = pendingAction;
    pendingAction = kNoAction;
    switch (action) {
    case kRepeatAction:
        endCountdown = 0;
        restartRequest();
        break;
    case kChooseViewAction:
        endCountdown = 0;
        chooseView();
        break;
    case kWorldMapAction:
    case kLeaveWelcomeAction:
        endCountdown = 0;
        resumeTime = 0;
        showWorldMap();
        break;
    default:
        break;
    }
}

void SimulationClock::onSecondTimer() {
    if (userCountdown != 0 && --userCountdown == 0) {
        held = false;
        heldByFocusLoss_ = false;
        if (paused) {
            paused = false;
            host_.pauseLabelChanged(false);
        }
        closePopups();
        tutorialBrowsing = false;
        userCountdown = toInt32(settings_.userTimeout);
    }
    if (endCountdown != 0 && --endCountdown == 0) {
        closePopups();
        tutorialBrowsing = false;
        if (settings_.runScript) {
            restartRequested = false;
            ++scriptIndex;
            // An index outside the catalogue (the map or the list may set
            // any) starts it again from the first entry.
            if (scriptIndex < 0) scriptIndex = 0;
            if (scriptIndex >= catalogue_.count()) {
                scriptIndex = 0;
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
            currentEventFile = catalogue_.at(scriptIndex).fileName;
            host_.scriptAdvancing(currentEventFile);
            startCurrentEvent();
        } else if (settings_.exitWhenDone) {
            requestExit();
        } else if (settings_.secondsToPauseAtEnd == 0) {
            endCountdown = 3600;
        } else {
            restartRequested = true;
        }
    }
}

// ---------------------------------------------------------------- screens and pop-ups

void SimulationClock::showWorldMap() {
    screenReady = false;
    simTime = 0;
    resumeTime = 0;
    disarmTimer(kFlashTimer);
    disarmTimer(kTickTimer);
    disarmTimer(kActionTimer);
    tickMs = 0;
    // A run that had ended must not replay, move on or exit from the map.
    endCountdown = 0;
    restartRequested = false;
    tickWasArmed_ = false;   // a dialog open meanwhile must not restart the tick
    runStarting_ = false;
    const bool mapTimeout = settings_.userTimeout != 0 && !settings_.tutorialMode;
    host_.showWorldMapScreen(mapTimeout ? settings_.userTimeout : 0);
    layoutView.reset();
}

void SimulationClock::closePopups() {
    if (host_.infoWindowExists()) host_.disposeInfoWindow();
    if (host_.tutorialWindow().exists) host_.disposeTutorialWindow();
    userCountdown = toInt32(settings_.userTimeout);
    held = false;
    heldByFocusLoss_ = false;
}

void SimulationClock::releaseHoldWhenPopupsClosed() {
    // Closing a pop-up gives the activation back to the main window; where
    // the window system does not report that, the closed pop-up releases the
    // clock all the same. Losing the focus to another program still holds.
    if (held && !heldByFocusLoss_ && !host_.popupOpen()) held = false;
}

void SimulationClock::activationChanged(bool active, bool toOtherApplication) {
    held = !active;
    heldByFocusLoss_ = !active && toOtherApplication;
}

void SimulationClock::restartRequest() {
    if (tickMs != 0) restartRequested = true;
}

void SimulationClock::requestExit() {
    if (!screenReady) {
        // A screen is being built; leave as soon as it is complete.
        exitPending_ = true;
        return;
    }
    exitPending_ = false;
    host_.exitProgram();
}

void SimulationClock::setScreenReady() {
    screenReady = true;
    if (exitPending_) {
        exitPending_ = false;
        host_.exitProgram();
    }
}

// ---------------------------------------------------------------- buttons and commands

void SimulationClock::togglePause() {
    paused = !paused;
    host_.pauseLabelChanged(paused);
}

void SimulationClock::worldMenuButton() {
    clearTutorial();
    setPendingAction(kWorldMapAction, 5);
}

void SimulationClock::repeatButton() {
    if (paused) {
        paused = false;
        host_.pauseLabelChanged(false);
    }
    setPendingAction(kRepeatAction, 5);
    resumeTime = 0;
}

void SimulationClock::viewsButton() { setPendingAction(kChooseViewAction, 5); }

void SimulationClock::showInfoText(const std::string& path) {
    clearTutorial();
    host_.click();
    closePopups();
    host_.openInfoWindow(path);
    // The pop-up takes the activation, which holds the clock.
    held = true;
    heldByFocusLoss_ = false;
    userCountdown = toInt32(settings_.userTimeout);
}

void SimulationClock::beginDialog() {
    tickWasArmed_ = timerArmed[kTickTimer];
    if (tickMs != 0) disarmTimer(kTickTimer);
}

void SimulationClock::endDialog() {
    // Only a tick that the dialog stopped is re-armed: the second timer runs
    // on during the dialog and may have started another event (whose flash
    // arms the tick itself) or shown the map meanwhile.
    if (tickMs != 0 && tickWasArmed_ && !timerArmed[kFlashTimer]) armTimer(kTickTimer, tickMs);
    tickWasArmed_ = false;
}

void SimulationClock::chooseView() {
    clearTutorial();
    const ViewMode before = settings_.view;
    beginDialog();
    const bool ok = host_.runViewDialog();
    if (ok) host_.saveSettings();
    if (ok && settings_.view != before && layoutView.has_value()) {
        resumeTime = simTime;
        if (!startEvent("")) {
            // The run stays in its old layout and goes on.
            resumeTime = 0;
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
    if (layoutView.has_value()) {
        resumeTime = simTime;
        if (!startEvent("")) resumeTime = 0;   // the run goes on in its old layout
    }
}
