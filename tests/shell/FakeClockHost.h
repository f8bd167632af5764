// A ClockHost that records what the clock asks for and runs its timers on a
// virtual millisecond counter, so whole runs take no real time.
#pragma once

#include "shell/SimulationClock.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

struct FakeClockHost : ClockHost {
    // --- virtual time and timers
    uint32_t now = 1000;
    struct Armed { bool on = false; int interval = 0; uint32_t due = 0; };
    std::array<Armed, 8> timers{};
    bool refuseTimers = false;
    SimulationClock* clock = nullptr;
    uint32_t tickCost = 0;   // milliseconds a tick's drawing "takes"

    uint32_t milliseconds() override { return now; }
    bool armTimer(int id, int ms) override {
        if (!refuseTimers) timers[std::size_t(id)] = {true, ms, now + static_cast<uint32_t>(ms)};
        return !refuseTimers;
    }
    void disarmTimer(int id) override { timers[std::size_t(id)].on = false; }
    bool armed(int id) const { return timers[std::size_t(id)].on; }
    int interval(int id) const { return armed(id) ? timers[std::size_t(id)].interval : 0; }

    // Fires due timers in time order until `ms` have passed; a tick's drawing
    // takes `tickCost` after the tick has re-armed its timer.
    void runFor(uint32_t ms) {
        const uint32_t end = now + ms;
        while (!exited) {
            int next = 0;
            for (int id = 1; id < 8; ++id)
                if (timers[std::size_t(id)].on && timers[std::size_t(id)].due <= end &&
                    (next == 0 || timers[std::size_t(id)].due < timers[std::size_t(next)].due))
                    next = id;
            if (next == 0) break;
            Armed& t = timers[std::size_t(next)];
            now = std::max(now, t.due);
            t.due = now + static_cast<uint32_t>(t.interval);
            clock->onTimer(next);
            if (next == kTickTimer) now += tickCost;
        }
        now = std::max(now, end);
    }
    // Runs until `done` holds or `limitMs` pass; false on the limit.
    bool runUntil(const std::function<bool()>& done, uint32_t limitMs) {
        for (uint32_t t = 0; t < limitMs && !done(); t += 10) runFor(10);
        return done();
    }

    bool inputPending = false;
    bool inputWaiting() override { return inputPending; }
    std::vector<std::pair<std::string, std::string>> messages;
    void showMessage(const std::string& text, const std::string& caption) override { messages.emplace_back(text, caption); }

    // --- run data and screens
    std::vector<std::string> loaded;
    std::function<bool(const std::string&)> loader = [](const std::string&) { return true; };
    bool loadEvent(const std::string& file) override {
        loaded.push_back(file);
        return loader(file);
    }
    void measureCharacterCell() override {}
    bool worldMap = false, welcome = true, exited = false, pauseLabel = false;
    int layoutsBuilt = 0, mapsShown = 0;
    uint32_t mapTimeout = 0;
    bool worldMapExists() override { return worldMap; }
    void buildLayout(ViewMode) override {
        worldMap = pauseLabel = false;   // a new button bar says "Pause"
        ++layoutsBuilt;
    }
    void destroyWelcome() override { welcome = false; }
    void showWorldMapScreen(uint32_t userTimeout) override {
        worldMap = true;
        welcome = false;
        ++mapsShown;
        mapTimeout = userTimeout;
    }
    void exitProgram() override { exited = true; }
    void pauseLabelChanged(bool p) override { pauseLabel = p; }

    // --- views
    std::vector<std::string> log;
    std::vector<float> flashSizes;
    bool pictureOk = true, bitmapsOk = true, crossChanges = true;   // what the cross-section's tick reports
    int globeTicks = 0, crossTicks = 0, seisTicks = 0, seisResets = 0, crossPresents = 0,
        seisInvalidations = 0, timeShows = 0, lastCrossTick = 0, speedReads = 0;
    float lastShownTime = -1;
    void layoutViews(bool, bool, bool) override {}
    bool globeLoadPicture(std::string& name) override {
        name = "earth180.bmp";
        return pictureOk;
    }
    bool crossSectionCreatePictures() override { return bitmapsOk; }
    void globeRedraw() override {}
    void crossSectionRedraw() override {}
    void seismogramReset(float t) override { ++seisResets; log.push_back("seis reset " + std::to_string(int(t))); }
    void seismogramTick(float) override { ++seisTicks; }
    void seismogramInvalidate() override { ++seisInvalidations; }
    void redrawStationNames() override {}
    void globeFlash(float size) override { flashSizes.push_back(size); }
    void crossSectionFlash(float) override {}
    void globeTick(float) override { ++globeTicks; }
    bool crossSectionTick(int t) override {
        ++crossTicks;
        lastCrossTick = t;
        return crossChanges && t >= 1;
    }
    void globePresent() override {}
    void crossSectionPresent() override { ++crossPresents; }
    void crossSectionStartRun() override { log.push_back("xs start run"); }
    void globeRestore() override { log.push_back("globe restore"); }
    void crossSectionRestore() override {}
    void showTime(float t) override { lastShownTime = t; ++timeShows; }
    void readSpeed() override { ++speedReads; }

    // --- pop-ups
    bool info = false, infoDone = false;
    std::vector<std::string> infoOpened;
    void openInfoWindow(const std::string& path) override {
        info = true;
        infoDone = false;
        infoOpened.push_back(path);
    }
    bool infoWindowExists() override { return info; }
    void disposeInfoWindow() override { info = false; }
    void userClosesInfo() { infoDone = true; }
    TutorialAnswer tutorial;
    struct Opened { std::string file; int form; int position; };
    std::vector<Opened> tutorialsOpened;
    void openTutorialWindow(const std::string& file, int form, int position) override {
        tutorial = {};
        tutorial.exists = true;
        tutorialsOpened.push_back({file, form, position});
    }
    TutorialAnswer tutorialWindow() override { return tutorial; }
    void disposeTutorialWindow() override { tutorial = {}; }
    bool popupOpen() override { return (info && !infoDone) || (tutorial.exists && !tutorial.done); }
    // The user presses a button of the tutorial window.
    void answerTutorial(bool cont, bool next, bool previous, bool cancel) {
        tutorial.done = true;
        tutorial.continued = cont, tutorial.next = next, tutorial.previous = previous, tutorial.cancelled = cancel;
    }

    // --- sound
    std::vector<std::string> sounds;
    int count(const std::vector<std::string>& v, const std::string& what) const {
        return int(std::count(v.begin(), v.end(), what));
    }
    void sound(const std::string& s) { sounds.push_back(s); }
    void playMusic(const std::string& f) override { sound("play " + f); }
    void stopMusic() override { sound("stop"); }
    void openMidi() override { sound("open midi"); }
    void closeMidi() override { sound("close midi"); }
    void click() override { sound("click"); }

    // --- dialogs and settings
    std::function<bool()> viewDialog = [] { return false; };
    bool runViewDialog() override { return viewDialog(); }
    int saves = 0;
    void saveSettings() override { ++saves; }
};
