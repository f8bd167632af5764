// A ClockHost that records what the clock asks for and runs its timers on a
// virtual millisecond counter, so whole runs take no real time.
#pragma once

#include "shell/SimulationClock.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

struct FakeClockHost : ClockHost {
    // --- virtual time and timers
    uint32_t now = 1000;
    struct Armed { bool on = false; int interval = 0; uint32_t due = 0; };
    std::array<Armed, 8> timers{};
    bool quiet = false;   // no logging (the allocation test)
    bool refuseTimers = false;
    SimulationClock* clock = nullptr;
    // Milliseconds a tick's drawing "takes" (moves the counter forward).
    uint32_t tickCost = 0;

    uint32_t milliseconds() override { return now; }
    bool armTimer(int id, int ms) override {
        if (refuseTimers) return false;
        timers[std::size_t(id)] = {true, ms, now + static_cast<uint32_t>(ms)};
        if (!quiet) log.push_back("arm " + std::to_string(id) + " " + std::to_string(ms));
        return true;
    }
    void disarmTimer(int id) override { timers[std::size_t(id)].on = false; }
    bool armed(int id) const { return timers[std::size_t(id)].on; }
    int interval(int id) const { return armed(id) ? timers[std::size_t(id)].interval : 0; }

    // Fires due timers in time order until `ms` have passed. A tick's
    // drawing takes `tickCost` after the tick has re-armed its timer.
    void runFor(uint32_t ms) {
        const uint32_t end = now + ms;
        for (;;) {
            int next = 0;
            uint32_t due = end + 1;
            for (int id = 1; id < 8; ++id) {
                const Armed& t = timers[std::size_t(id)];
                if (t.on && t.due < due) { due = t.due; next = id; }
            }
            if (next == 0 || due > end) break;
            if (due > now) now = due;
            Armed& t = timers[std::size_t(next)];
            t.due = now + static_cast<uint32_t>(t.interval);
            clock->onTimer(next);
            if (next == kTickTimer) now += tickCost;
            if (exited) break;
        }
        if (now < end) now = end;
    }
    // Runs until `done` holds or `limitMs` pass; false on the limit.
    bool runUntil(const std::function<bool()>& done, uint32_t limitMs) {
        for (uint32_t t = 0; t < limitMs; t += 10) {
            if (done()) return true;
            runFor(10);
        }
        return done();
    }

    bool inputPending = false;
    bool inputWaiting() override { return inputPending; }
    std::vector<std::pair<std::string, std::string>> messages;
    void showMessage(const std::string& text, const std::string& caption) override {
        messages.emplace_back(text, caption);
    }

    // --- run data and screens
    std::vector<std::string> loaded;
    std::function<bool(const std::string&)> loader = [](const std::string&) { return true; };
    bool loadEvent(const std::string& file) override {
        loaded.push_back(file);
        return loader(file);
    }
    int cellMeasures = 0;
    void measureCharacterCell() override { ++cellMeasures; }
    bool worldMap = false, welcome = true, layout = false, exited = false;
    int layoutsBuilt = 0, mapsShown = 0;
    uint32_t mapTimeout = 0;
    bool worldMapExists() override { return worldMap; }
    void buildLayout(ViewMode) override {
        worldMap = false;
        layout = true;
        ++layoutsBuilt;
        pauseLabel = false;   // a new button bar says "Pause"
    }
    void destroyWelcome() override { welcome = false; }
    void showWorldMapScreen(uint32_t userTimeout) override {
        worldMap = true;
        layout = false;
        welcome = false;
        ++mapsShown;
        mapTimeout = userTimeout;
    }
    void exitProgram() override { exited = true; }
    bool pauseLabel = false;
    void pauseLabelChanged(bool p) override { pauseLabel = p; }

    // --- views
    std::vector<std::string> log;
    std::vector<float> flashSizes;
    bool pictureOk = true, bitmapsOk = true;
    int globeTicks = 0, crossTicks = 0, seisTicks = 0, seisResets = 0, presents = 0;
    int crossPresents = 0, seisInvalidations = 0, timeShows = 0;
    bool crossChanges = true;   // what the cross-section's tick reports
    float lastShownTime = -1;
    void layoutViews(bool, bool, bool) override { log.push_back("layout"); }
    bool globeLoadPicture(std::string& name) override {
        name = "earth180.bmp";
        return pictureOk;
    }
    bool crossSectionCreatePictures() override { return bitmapsOk; }
    void globeRedraw() override { log.push_back("globe redraw"); }
    void crossSectionRedraw() override { log.push_back("xs redraw"); }
    void seismogramReset(float t) override { ++seisResets; log.push_back("seis reset " + std::to_string(int(t))); }
    void seismogramTick(float) override { ++seisTicks; }
    void seismogramInvalidate() override { ++seisInvalidations; }
    void redrawStationNames() override {}
    void globeFlash(float size) override { flashSizes.push_back(size); }
    void crossSectionFlash(float) override {}
    void globeTick(float) override { ++globeTicks; }
    int lastCrossTick = 0;
    bool crossSectionTick(int t) override {
        ++crossTicks;
        lastCrossTick = t;
        return crossChanges && t >= 1;
    }
    void globePresent() override { ++presents; }
    void crossSectionPresent() override { ++presents; ++crossPresents; }
    void crossSectionStartRun() override { log.push_back("xs start run"); }
    void globeRestore() override { log.push_back("globe restore"); }
    void crossSectionRestore() override {}
    void showTime(float t) override { lastShownTime = t; ++timeShows; }
    int speedReads = 0;
    void readSpeed() override { ++speedReads; }

    // --- pop-ups
    bool info = false, infoDone = false, infoVisible = false;
    std::vector<std::string> infoOpened;
    void openInfoWindow(const std::string& path) override {
        info = true; infoDone = false; infoVisible = true;
        infoOpened.push_back(path);
    }
    bool infoWindowExists() override { return info; }
    void disposeInfoWindow() override { info = false; infoVisible = false; }
    TutorialAnswer tutorial;
    bool tutorialVisible = false;
    struct Opened { std::string file; int form; int position; };
    std::vector<Opened> tutorialsOpened;
    void openTutorialWindow(const std::string& file, int form, int position) override {
        tutorial = {};
        tutorial.exists = true;
        tutorialVisible = true;
        tutorialsOpened.push_back({file, form, position});
    }
    TutorialAnswer tutorialWindow() override { return tutorial; }
    void disposeTutorialWindow() override { tutorial = {}; tutorialVisible = false; }
    bool popupOpen() override { return infoVisible || tutorialVisible; }
    // The user presses a button of the tutorial window.
    void answerTutorial(bool cont, bool next, bool previous, bool cancel) {
        tutorial.done = true;
        tutorial.continued = cont; tutorial.next = next;
        tutorial.previous = previous; tutorial.cancelled = cancel;
        tutorialVisible = false;
    }
    void userClosesInfo() { infoDone = true; infoVisible = false; }

    // --- sound
    std::vector<std::string> sounds;
    int count(const std::vector<std::string>& v, const std::string& what) const {
        int n = 0;
        for (const auto& s : v) n += s == what;
        return n;
    }
    void playMusic(const std::string& f) override { if (!quiet) sounds.push_back("play " + f); }
    void stopMusic() override { if (!quiet) sounds.push_back("stop"); }
    void openMidi() override { if (!quiet) sounds.push_back("open midi"); }
    void closeMidi() override { if (!quiet) sounds.push_back("close midi"); }
    void click() override { if (!quiet) sounds.push_back("click"); }

    // --- dialogs and settings
    std::function<bool()> viewDialog = [] { return false; };
    bool runViewDialog() override { return viewDialog(); }
    int saves = 0;
    void saveSettings() override { ++saves; }
};
