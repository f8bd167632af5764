// The simulation clock driven through a recording host on virtual time.
#include "shell/SimulationClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <tuple>

// Counts calls of the global operator new (which the array and sized forms
// go through) while `counting` is set.
namespace {
std::atomic<bool> counting{false};
std::atomic<std::size_t> allocations{0};
}   // namespace
void* operator new(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using Strings = std::vector<std::string>;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// A ClockHost that records what the clock asks for and runs its timers on a
// virtual millisecond counter, so whole runs take no real time.
struct FakeClockHost : ClockHost {
    uint32_t now = 1000, tickCost = 0;   // tickCost: milliseconds a tick's drawing "takes"
    struct Armed {
        bool on = false;
        int interval = 0;
        uint32_t due = 0;
    };
    std::array<Armed, 8> timers{};
    bool refuseTimers = false;
    SimulationClock* clock = nullptr;
    uint32_t milliseconds() override { return now; }
    Armed& at(int id) { return timers[std::size_t(id)]; }
    bool armTimer(int id, int ms) override { return !refuseTimers && (at(id) = {true, ms, now + static_cast<uint32_t>(ms)}).on; }
    void disarmTimer(int id) override { at(id).on = false; }
    bool armed(int id) const { return timers[std::size_t(id)].on; }
    int interval(int id) const { return armed(id) ? timers[std::size_t(id)].interval : 0; }
    // Fires due timers in time order until `ms` have passed; a tick's drawing
    // takes `tickCost` after the tick has re-armed its timer.
    void runFor(uint32_t ms) {
        const uint32_t end = now + ms;
        while (!exited) {
            int next = 0;
            for (int id = 1; id < 8; ++id)
                if (at(id).on && at(id).due <= end && (next == 0 || at(id).due < at(next).due)) next = id;
            if (next == 0) break;
            Armed& t = at(next);
            now = std::max(now, t.due);
            t.due = now + static_cast<uint32_t>(t.interval);
            clock->onTimer(next);
            if (next == kTickTimer) now += tickCost;
        }
        now = std::max(now, end);
    }
    bool inputPending = false, worldMap = false, welcome = true, exited = false, pauseLabel = false, info = false, infoDone = false;
    bool pictureOk = true, bitmapsOk = true;   // whether the globe and the cross-section can make their pictures
    int layoutsBuilt = 0, mapsShown = 0, saves = 0, crossFlashes = 0, globeTicks = 0, crossTicks = 0, seisTicks = 0, seisResets = 0,
        crossPresents = 0, timeShows = 0, lastCrossTick = 0, speedReads = 0;
    uint32_t mapTimeout = 0;
    float lastShownTime = -1;
    Strings loaded, log, sounds, infoOpened;
    std::vector<float> flashSizes;
    std::vector<std::pair<std::string, std::string>> messages;
    std::function<bool(const std::string&)> loader = [](const std::string&) { return true; };
    std::function<bool()> viewDialog = [] { return false; };
    TutorialAnswer tutorial;
    struct Opened {
        std::string file;
        int form;
        int position;
    };
    std::vector<Opened> tutorialsOpened;
    int count(const Strings& v, const std::string& what) const { return int(std::count(v.begin(), v.end(), what)); }
    // The user presses a button of the tutorial window.
    void answerTutorial(bool cont, bool next, bool previous, bool cancel) {
        tutorial.done = true, tutorial.continued = cont, tutorial.next = next, tutorial.previous = previous, tutorial.cancelled = cancel;
    }

    bool inputWaiting() override { return inputPending; }
    void showMessage(const std::string& text, const std::string& caption) override { messages.emplace_back(text, caption); }
    bool loadEvent(const std::string& file) override {
        loaded.push_back(file);
        return loader(file);
    }
    bool worldMapExists() override { return worldMap; }
    // The views of a layout count what the clock asks of them.
    struct View : EventView {
        FakeClockHost& h;
        const char kind;   // 'g'lobe, 'x' cross-section, 's'eismograms
        View(FakeClockHost& host, char k) : h(host), kind(k) {}
        bool resetForRun(std::string& text, std::string& caption) override {
            const bool ok = kind == 'g' ? h.pictureOk : kind == 'x' ? h.bitmapsOk : true;
            if (!ok) text = "cannot draw", caption = std::string(1, kind);
            return ok;
        }
        void redraw() override {
            if (kind == 's') ++h.seisResets;
        }
        void flash(float size) override { kind == 'g' ? h.flashSizes.push_back(size) : void(h.crossFlashes += kind == 'x'); }
        void startRun() override {
            if (kind == 'x') h.log.push_back("xs start run");
        }
        void tick(float t) override {
            ++(kind == 'g'   ? h.globeTicks
               : kind == 'x' ? h.crossTicks
                             : h.seisTicks),
                h.lastCrossTick = kind == 'x' ? int(t) : h.lastCrossTick;
        }
        void present() override {
            if (kind == 'x') ++h.crossPresents;
        }
        void restore() override {
            if (kind == 'g') h.log.push_back("globe restore");
        }
    } globe{*this, 'g'}, cross{*this, 'x'}, seis{*this, 's'};
    std::vector<EventView*> shown;
    const std::vector<EventView*>& views() override { return shown; }
    void buildLayout(ViewMode mode) override {   // a new bar says "Pause"
        worldMap = pauseLabel = false, ++layoutsBuilt, shown.clear();
        if (mode != ViewMode::CrossSection) shown.push_back(&globe);
        if (mode != ViewMode::Globe3D) shown.push_back(&cross);
        if (mode == ViewMode::All) shown.push_back(&seis);
    }
    void destroyWelcome() override { welcome = false; }
    void showWorldMapScreen(uint32_t userTimeout) override { worldMap = true, welcome = false, ++mapsShown, mapTimeout = userTimeout; }
    void exitProgram() override { exited = true; }
    void pauseLabelChanged(bool p) override { pauseLabel = p; }
    void showTime(float t) override { lastShownTime = t, ++timeShows; }
    void readSpeed() override { ++speedReads; }
    void openInfoWindow(const std::string& path) override { info = true, infoDone = false, infoOpened.push_back(path); }
    bool infoWindowExists() override { return info; }
    void disposeInfoWindow() override { info = false; }
    void openTutorialWindow(const std::string& f, int form, int position) override {
        tutorial = {true}, tutorialsOpened.push_back({f, form, position});
    }
    TutorialAnswer tutorialWindow() override { return tutorial; }
    void disposeTutorialWindow() override { tutorial = {}; }
    bool popupOpen() override { return (info && !infoDone) || (tutorial.exists && !tutorial.done); }
    void playMusic(const std::string& f) override { sounds.push_back("play " + f); }
    void stopMusic() override { sounds.push_back("stop"); }
    void openMidi() override { sounds.push_back("open midi"); }
    void closeMidi() override { sounds.push_back("close midi"); }
    void click() override { sounds.push_back("click"); }
    bool runViewDialog() override { return viewDialog(); }
    void saveSettings() override { ++saves; }
    // What the tests do not watch.
    void measureCharacterCell() override {}
    void arrangeViews() override {}
};

class ClockTest : public ::testing::Test {
protected:
    Settings settings;
    RunState run;
    EventCatalogue catalogue;
    TutorialScript script;
    FakeClockHost host;
    std::unique_ptr<SimulationClock> clock;

    void SetUp() override {
        settings.showEventInformation = false, settings.audio = AudioMode::Chime;
        run.magnitude = 7, run.timeAcceleration = 20, run.timeLimit = 7200, run.folder = "EV1";
    }
    // `windowSetUp`: also the main window's set-up (the second timer).
    void make(bool windowSetUp = false) {
        clock = std::make_unique<SimulationClock>(host, settings, run, catalogue, script), host.clock = clock.get();
        if (windowSetUp) clock->setUp();
    }
    void start(const std::string& file = "a.evt") { clock->chooseEvent(clock->state().scriptIndex, file), clock->startCurrentEvent(); }
    // Runs until `done` holds or `limitMs` pass; false on the limit.
    bool until(const std::function<bool()>& done, uint32_t limitMs) {
        for (uint32_t t = 0; t < limitMs && !done(); t += 10) host.runFor(10);
        return done();
    }
    bool flashDone(uint32_t ms = 5000) {
        return until([&] { return host.armed(kTickTimer); }, ms);
    }
    bool runEnded(uint32_t ms = 10000) {
        return until([&] { return clock->state().endCountdown != 0; }, ms);
    }
    bool loads(std::size_t n, uint32_t ms = 20000) {
        return until([&] { return host.loaded.size() == n; }, ms);
    }
    void startAndFlash(const std::string& file = "a.evt") {
        start(file);
        ASSERT_TRUE(flashDone(20000));
    }
    void running(bool windowSetUp = false) {
        make(windowSetUp);
        startAndFlash();
    }
    // A script over `files` whose runs end after 20 simulated seconds.
    void scriptOf(std::initializer_list<const char*> files) {
        settings.runScript = true, run.timeLimit = 20;
        for (const char* f : files)
            catalogue.add([f] {
                EventRecord e;
                e.fileName = e.name = f;
                return e;
            }());
    }
    void addSeismograms(std::initializer_list<float> ends) {
        for (float end : ends) run.seismograms.push_back(std::make_unique<KSAC>()), run.seismograms.back()->endTime = end;
        run.seismogramCount = static_cast<int16_t>(run.seismograms.size());
    }
    void tick() { host.runFor(host.timers[kTickTimer].due - host.now); }   // exactly the next tick
    int runStarts() const { return host.count(host.log, "xs start run"); }
    int stops() const { return host.count(host.sounds, "stop"); }
};

TEST_F(ClockTest, FlashStepsFollowTheMagnitudeAndStayBoundedAndTheFirstTicksKeepTime) {
    struct Case {
        float magnitude;
        std::size_t steps;
        float first;
    };
    settings.audio = AudioMode::None;
    make();
    for (const Case& c : {Case{7, 14, 1.625f}, Case{0, 1, -0.125f}, Case{1e9f, 20, 2.375f}, Case{kNaN, 1, -0.125f}}) {
        SCOPED_TRACE(c.magnitude);
        run.magnitude = c.magnitude, host.flashSizes.clear(), host.crossFlashes = 0;
        startAndFlash();
        ASSERT_EQ(std::tuple(host.flashSizes.size(), host.crossFlashes), std::tuple(c.steps, int(c.steps)));   // on both views
        for (std::size_t i = 0; i < c.steps; ++i) EXPECT_FLOAT_EQ(host.flashSizes[i], c.first - 0.125f * float(i)) << i;
    }
    EXPECT_EQ(host.count(host.sounds, "play EQ.MID"), 0);   // sound off: no music
    // A tenth of a second a step, with its music; the first tick shows ten seconds.
    settings.audio = AudioMode::Chime;
    run.magnitude = 7, run.timeAcceleration = 1, host.sounds.clear();   // half a second per 500 ms tick
    start();
    const uint32_t begin = host.now;
    ASSERT_TRUE(flashDone());
    EXPECT_EQ(std::tuple(host.now - begin, host.interval(kTickTimer), int(clock->state().tickMs), clock->state().simTime,
                         host.armed(kFlashTimer), clock->state().screenReady),
              std::tuple(1400u, 500, 500, 0.0f, false, true));
    EXPECT_EQ(host.sounds, (Strings{"close midi", "play EQ.MID", "stop", "open midi"}));
    host.runFor(500);
    EXPECT_EQ(std::tuple(clock->state().simTime, host.lastShownTime, stops()), std::tuple(10.0f, 10.0f, 2));   // stops the flash music once
    run.timeAcceleration = 20, host.tickCost = 500, tick();   // on time: the interval is tuned a tenth down to 405 ms, times 20
    EXPECT_EQ(std::tuple(clock->state().simTime, stops()), std::tuple(18.1f, 2));
    // A huge or invalid acceleration keeps time representable.
    run.timeAcceleration = 1.0e30f, tick(), tick();
    EXPECT_EQ(std::tuple(clock->state().simTime, host.lastCrossTick, clock->state().endCountdown != 0),
              std::tuple(1.0e6f, 1000000, true));   // past the limit
    run.timeAcceleration = kNaN;
    startAndFlash();
    tick(), tick();
    EXPECT_EQ(std::tuple(clock->state().simTime, host.lastCrossTick), std::tuple(10.0f, 10));
}

// Pause lets the flash finish but holds the run, whose start-up work is done
// once; focus lost to another program holds flash and run until activated.
TEST_F(ClockTest, PauseAndFocusLossHoldTheRunWhichStartsOnlyOnce) {
    make();
    start(), host.runFor(300), clock->togglePause();
    EXPECT_TRUE(flashDone() && host.flashSizes.size() == 14u);
    const int stopped = stops();
    host.runFor(10000);
    EXPECT_EQ(std::tuple(runStarts(), stops(), clock->state().simTime, host.speedReads > 10),
              std::tuple(1, stopped + 1, 0.0f, true));   // slider still read
    clock->togglePause(), host.runFor(2000);
    EXPECT_EQ(std::tuple(runStarts(), clock->state().simTime >= 10), std::tuple(1, true));
    host.flashSizes.clear(), start("b.evt"), host.runFor(300);
    const std::size_t steps = host.flashSizes.size();
    clock->activationChanged(false, true), host.runFor(3000);
    EXPECT_EQ(std::tuple(host.flashSizes.size(), host.armed(kFlashTimer)), std::tuple(steps, true));
    clock->activationChanged(true, false);
    EXPECT_TRUE(flashDone() && host.flashSizes.size() == 14u);
    clock->activationChanged(false, true), host.runFor(10000);
    EXPECT_EQ(std::tuple(runStarts(), clock->state().simTime), std::tuple(2, 0.0f));
    clock->activationChanged(true, false), host.runFor(600);
    EXPECT_GT(clock->state().simTime, 0.0f);
}

TEST_F(ClockTest, WhatEndsARunAndWhatFollowsTheEnd) {
    addSeismograms({1000, 20});
    running(), host.runFor(20000);
    EXPECT_EQ(std::tuple(clock->state().simTime > 100, clock->state().endCountdown),
              std::tuple(true, 0));                   // the second trace has ended, the first not
    run.timeAcceleration = -50, host.runFor(60000);   // negative: back to ten seconds
    EXPECT_EQ(std::tuple(clock->state().simTime, clock->state().endCountdown), std::tuple(10.0f, 0));
    // Without seismograms on the screen only the time limit ends the run.
    run.seismograms.clear(), addSeismograms({10});
    run.timeLimit = 100, run.timeAcceleration = 20, settings.view = ViewMode::Globe3D;
    startAndFlash();
    const int seis = host.seisTicks;
    ASSERT_TRUE((host.tickCost = 500, runEnded(60000)));
    EXPECT_EQ(std::tuple(clock->state().simTime > 100, clock->state().showSeismograms, host.seisTicks), std::tuple(true, false, seis));
    // With them, when every trace has ended; the replay waits for the pause at the end.
    settings.secondsToPauseAtEnd = 5, settings.view = ViewMode::All, run.timeLimit = 7200;
    run.seismograms.clear(), addSeismograms({30, 50});
    running(true);
    ASSERT_TRUE(runEnded(60000));
    EXPECT_EQ(std::tuple(clock->state().simTime >= 50, clock->state().simTime < 80), std::tuple(true, true));
    const float frozen = clock->state().simTime;
    host.runFor(3000);
    EXPECT_EQ(clock->state().simTime, frozen);   // time stands still while the run waits
    host.flashSizes.clear();
    ASSERT_TRUE(until([&] { return host.armed(kFlashTimer); }, 3000));
    EXPECT_EQ(std::tuple(host.interval(kFlashTimer), clock->state().simTime, clock->state().endCountdown, host.armed(kTickTimer)),
              std::tuple(50, 0.0f, 0, false));   // replay from the flash
    EXPECT_TRUE(flashDone() && host.flashSizes.size() == 14u);
    // No pause at the end stays on the last picture; Exit when done exits after the pause.
    settings.secondsToPauseAtEnd = 0, run.timeLimit = 20, host.tickCost = 0;
    run.seismograms.clear();
    start();
    ASSERT_TRUE(runEnded());
    EXPECT_EQ(clock->state().endCountdown, 1);
    host.runFor(11000);
    EXPECT_EQ(
        std::tuple(clock->state().endCountdown > 3000, host.armed(kFlashTimer), host.armed(kTickTimer), clock->state().restartRequested),
        std::tuple(true, false, true, false));
    settings.exitWhenDone = true, settings.secondsToPauseAtEnd = 3;
    start();   // without a script
    ASSERT_TRUE(runEnded());
    host.runFor(1900);
    EXPECT_FALSE(host.exited);
    ASSERT_TRUE(until([&] { return host.exited; }, 1500));
    EXPECT_EQ(host.loaded.size(), 5u);
}

TEST_F(ClockTest, ViewsWorldMenuAndListEndTheWaitAtTheEnd) {
    settings.secondsToPauseAtEnd = 30, run.timeLimit = 20;
    int dialogs = 0;
    host.viewDialog = [&] { return ++dialogs, false; };
    host.loader = [&](const std::string& f) {
        run.timeLimit = f == "b.evt" ? 7200 : 20;
        return true;
    };
    running(true);
    ASSERT_TRUE(runEnded());
    host.sounds.clear(), clock->viewsButton(), host.runFor(5);
    EXPECT_EQ(std::tuple(dialogs, clock->state().endCountdown, clock->state().pendingAction, host.sounds, host.armed(kTickTimer)),
              std::tuple(1, 0, PendingAction::None, Strings{"stop"}, true));   // Cancel: the run goes on
    ASSERT_TRUE(runEnded());
    clock->restartRequest();   // Restart, then the List dialog before the next tick: the new event runs afresh
    clock->beginDialog(), clock->startListedEvent("b.evt");
    EXPECT_EQ(std::tuple(clock->state().endCountdown, clock->state().restartRequested), std::tuple(0, false));
    ASSERT_TRUE(flashDone());
    host.flashSizes.clear(), host.tickCost = 500, host.runFor(60000);
    EXPECT_EQ(std::tuple(clock->state().simTime > 300, clock->state().endCountdown, host.flashSizes.size(), host.loaded.size()),
              std::tuple(true, 0, 0u, 2u));   // not frozen by the old countdown, no replay
    start();
    ASSERT_TRUE(runEnded(20000));
    clock->setViewMode(ViewMode::Globe3D), host.sounds.clear(), clock->worldMenuButton(),
        host.runFor(5);   // a resumed run's time is forgotten
    EXPECT_EQ(
        std::tuple(host.mapsShown, clock->state().endCountdown, clock->state().resumeTime, int(clock->state().tickMs), host.sounds.front()),
        std::tuple(1, 0, 0.0f, 0, std::string("stop")));
    host.runFor(60000);   // nothing replays, moves on or exits from the map
    EXPECT_EQ(std::tuple(host.loaded.size(), host.exited, host.armed(kTickTimer), host.armed(kFlashTimer)),
              std::tuple(4u, false, false, false));   // the view change read the event again
}

// An empty catalogue replays the shown event; then the script plays the next
// event, wraps (also from an index outside the catalogue) and exits when done.
TEST_F(ClockTest, ScriptPlaysTheNextEventWrapsAndExitsWhenDone) {
    scriptOf({});
    running(true), host.flashSizes.clear();
    ASSERT_TRUE(until([&] { return !host.flashSizes.empty(); }, 20000));
    EXPECT_EQ(host.loaded.size(), 1u);
    scriptOf({"a.evt", "b.evt"});
    clock->chooseEvent(-5, "b.evt"), clock->startCurrentEvent();
    for (std::size_t n : {3, 4, 5, 6}) {   // a, b, a again, and a after an index of 7
        if (n == 6) clock->chooseEvent(7, clock->state().currentEventFile);
        ASSERT_TRUE(loads(n));
        EXPECT_EQ(std::tuple(host.loaded.back(), clock->state().scriptIndex),
                  std::tuple(std::string(n == 4 ? "b.evt" : "a.evt"), n == 4 ? 1 : 0));
    }
    settings.exitWhenDone = true;
    ASSERT_TRUE(until([&] { return host.exited; }, 40000));
    EXPECT_EQ(std::tuple(host.loaded.size(), clock->state().scriptIndex), std::tuple(7u, 0));   // b, then no event started at the wrap
}

// An unreadable next event moves the script on after one pause; a dialog open
// while the script starts the next event leaves that event's flash alone.
TEST_F(ClockTest, ScriptPastAnUnreadableEventAndAnOpenDialog) {
    settings.secondsToPauseAtEnd = 2;
    scriptOf({"a.evt", "bad.evt", "c.evt", "d.evt"});
    host.loader = [](const std::string& f) { return f != "bad.evt"; };
    running(true);
    ASSERT_TRUE(loads(2));
    EXPECT_EQ(std::tuple(host.loaded.back(), host.armed(kTickTimer)), std::tuple(std::string("bad.evt"), true));   // the old run stays
    const uint32_t failedAt = host.now;
    ASSERT_TRUE(loads(3, 10000));
    EXPECT_EQ(std::tuple(host.loaded.back(), clock->state().scriptIndex, host.armed(kFlashTimer), host.now - failedAt <= 3100),
              std::tuple(std::string("c.evt"), 2, true, true));
    ASSERT_TRUE(flashDone() && runEnded());
    clock->beginDialog();   // the Speed dialog, say
    EXPECT_FALSE(host.armed(kTickTimer));
    ASSERT_TRUE(loads(4, 5000) && host.armed(kFlashTimer));
    clock->endDialog();
    EXPECT_EQ(std::tuple(host.armed(kTickTimer), clock->state().timerArmed[kTickTimer]), std::tuple(false, false));
    host.flashSizes.clear();
    ASSERT_TRUE(flashDone());
    EXPECT_EQ(std::tuple(host.flashSizes.size(), host.armed(kFlashTimer)), std::tuple(14u, false));
    clock->beginDialog(), clock->showWorldMap(), clock->endDialog();   // on the map a dialog leaves the timers off
    EXPECT_FALSE(host.armed(kTickTimer));
}

TEST_F(ClockTest, UserTimeoutReleasesAPauseAndClosesInformationAndTutorialWindows) {
    settings.userTimeout = 30;
    running(true);
    host.runFor(1000), clock->togglePause();
    EXPECT_TRUE(host.pauseLabel);
    const float t = clock->state().simTime;
    host.runFor(29000);
    EXPECT_EQ(std::tuple(clock->state().paused, clock->state().simTime), std::tuple(true, t));
    host.runFor(1000);
    EXPECT_EQ(std::tuple(clock->state().paused, host.pauseLabel), std::tuple(false, false));
    host.runFor(1000);
    EXPECT_GT(clock->state().simTime, t);
    clock->showInfoText("3D.INF");
    EXPECT_EQ(std::tuple(host.info, clock->state().held), std::tuple(true, true));
    host.runFor(29500);
    EXPECT_TRUE(host.info);
    host.runFor(1000);
    EXPECT_EQ(std::tuple(host.info, clock->state().held), std::tuple(false, false));
    // It closes a browsed tutorial page after the page's stay.
    settings.tutorialEnabled = true, script = {{"T0.INF", 0, 3}, {"T1.INF", 0, 3}, {"T2.INF", 0, 3}, {"T3.INF", 0, 3}, {"T4.INF", 0, 3}};
    clock->startTutorialBrowsing(), tick();
    ASSERT_EQ(host.tutorialsOpened.size(), 1u);
    EXPECT_EQ(std::tuple(clock->state().held, clock->state().userCountdown), std::tuple(true, 3));
    host.runFor(3100);
    EXPECT_EQ(std::tuple(host.tutorial.exists, clock->state().tutorialBrowsing, clock->state().held, clock->state().userCountdown >= 29),
              std::tuple(false, false, false, true));   // the user time-out again
    host.runFor(5000);
    EXPECT_EQ(host.tutorialsOpened.size(), 1u);   // not reopened
}

// Welcome screen -> world map (with the user time-out) -> event whose
// information window holds the flash and an Exit until closed; or straight to the map.
TEST_F(ClockTest, KioskWelcomeMapAndEventInformation) {
    settings.showEventInformation = true, settings.userTimeout = 3, run.magnitude = 5;
    make(true);
    host.runFor(10000);
    EXPECT_EQ(std::tuple(host.armed(kActionTimer), host.welcome), std::tuple(false, true));   // the welcome screen waits
    clock->setPendingAction(PendingAction::LeaveWelcome, 50), host.runFor(50);                // Start
    EXPECT_EQ(std::tuple(host.mapsShown, host.mapTimeout, clock->state().screenReady), std::tuple(1, 3u, false));
    clock->setScreenReady(), host.runFor(3000), start();   // the map has drawn its events
    EXPECT_EQ(std::tuple(host.worldMap, host.info, host.infoOpened, clock->state().held, clock->state().screenReady),
              std::tuple(false, true, Strings{"EV1/EVT.INF"}, true, false));
    clock->requestExit(), host.runFor(2000);   // refused while the screen is being built
    EXPECT_EQ(std::tuple(host.flashSizes.empty(), host.armed(kFlashTimer), host.exited), std::tuple(true, true, false));
    host.infoDone = true, host.runFor(100);   // the user closes it
    EXPECT_EQ(std::tuple(host.flashSizes.size(), host.info, clock->state().screenReady, host.exited),
              std::tuple(1u, false, true, true));   // the waiting Exit went through
    host.exited = false, settings.showWelcomeScreen = false;
    make(true);   // without the welcome screen the map comes after 1 ms
    EXPECT_EQ(std::tuple(clock->state().pendingAction, host.interval(kActionTimer), host.interval(kSecondTimer)),
              std::tuple(PendingAction::LeaveWelcome, 1, 1000));
    host.runFor(1);
    EXPECT_EQ(std::tuple(host.mapsShown, host.worldMap, clock->state().pendingAction), std::tuple(2, true, PendingAction::None));
}

TEST_F(ClockTest, AutomaticTutorialShowsTheMiddleStepsThenOpensTheMap) {
    settings.tutorialMode = settings.tutorialEnabled = true;
    script = {{"T0.INF", 0, 5}, {"T1.INF", 20, 5}, {"T2.INF", 60, 5}, {"T3.INF", 100, 5}, {"T4.INF", 200, 0}};
    make(true);
    EXPECT_EQ(std::tuple(clock->state().tutorialIndex, clock->state().nextTutorialTime), std::tuple(1, 20));
    startAndFlash();
    ASSERT_TRUE((host.tickCost = 500, until([&] { return host.tutorialsOpened.size() == 1; }, 20000)));
    EXPECT_EQ(std::tuple(host.tutorialsOpened[0].file, host.tutorialsOpened[0].form, clock->state().held, clock->state().userCountdown >= 4,
                         clock->state().userCountdown <= 5),
              std::tuple(std::string("T1.INF"), 1, true, true, true));   // the step's stay, counting down
    const float t = clock->state().simTime;
    host.runFor(2000);
    EXPECT_EQ(clock->state().simTime, t);   // held while the page is up
    host.answerTutorial(true, false, false, false), host.runFor(1000);
    EXPECT_EQ(std::tuple(host.tutorial.exists, clock->state().simTime > t), std::tuple(false, true));
    // The next pages close themselves after their stay of 5 seconds.
    ASSERT_TRUE(until([&] { return host.mapsShown == 1; }, 120000));
    ASSERT_EQ(host.tutorialsOpened.size(), 3u);
    EXPECT_EQ(std::tuple(host.tutorialsOpened[1].file, host.tutorialsOpened[2].file),
              std::tuple(std::string("T2.INF"), std::string("T3.INF")));
    EXPECT_EQ(std::tuple(settings.tutorialMode, int(clock->state().tickMs), host.armed(kTickTimer)), std::tuple(false, 0, false));
    // Cancel ends the automatic tutorial; the run goes on without the map.
    settings.tutorialMode = true, script = {{"T0.INF", 0, 0}, {"T1.INF", 20, 0}, {"T2.INF", 40, 0}, {"T3.INF", 900, 0}};
    host.tutorialsOpened.clear();
    running();
    ASSERT_TRUE(until([&] { return host.tutorialsOpened.size() == 1; }, 20000));
    host.answerTutorial(false, false, false, true), host.runFor(20000);
    EXPECT_EQ(std::tuple(settings.tutorialMode, host.tutorialsOpened.size(), host.mapsShown), std::tuple(false, 1u, 1));
}

TEST_F(ClockTest, BrowsedTutorialPagesThroughTheStepsAndCancelEndsIt) {
    settings.tutorialEnabled = true;
    script = {{"T0.INF", 0, 0}, {"T1.INF", 0, 0}, {"T2.INF", 0, 0}, {"T3.INF", 0, 0}, {"T4.INF", 0, 0}, {"T5.INF", 0, 0}};
    running();
    clock->startTutorialBrowsing(), tick();
    EXPECT_EQ(host.tutorialsOpened.back().form, 2);
    // The pages shown after Next, Next, Previous; n - 3 is the last page.
    const struct {
        bool next;
        const char* file;
        int position;
    } steps[] = {{true, "T2.INF", 1}, {true, "T3.INF", 2}, {false, "T2.INF", 1}};
    for (const auto& s : steps) {
        host.answerTutorial(false, s.next, !s.next, false), tick();
        EXPECT_EQ(std::tuple(host.tutorialsOpened.back().file, host.tutorialsOpened.back().position),
                  std::tuple(std::string(s.file), s.position));
    }
    EXPECT_EQ(std::tuple(host.tutorialsOpened[0].file, host.tutorialsOpened[0].position), std::tuple(std::string("T1.INF"), 0));
    host.answerTutorial(false, false, false, true), tick();
    EXPECT_EQ(std::tuple(clock->state().tutorialBrowsing, clock->state().tutorialIndex, host.tutorial.exists), std::tuple(false, 0, false));
    tick();
    EXPECT_EQ(host.tutorialsOpened.size(), 4u);      // nothing reopens after Cancel
    script = {{"T0.INF", 0, 0}, {"T1.INF", 0, 0}};   // a script of two steps: Previous stays inside it
    host.tutorialsOpened.clear(), clock->startTutorialBrowsing(), tick();
    ASSERT_EQ(host.tutorialsOpened.size(), 1u);
    EXPECT_EQ(host.tutorialsOpened[0].file, "T0.INF");
    host.answerTutorial(false, false, true, false), tick();
    EXPECT_EQ(std::tuple(host.tutorialsOpened.size(), clock->state().tutorialIndex >= 0), std::tuple(2u, true));
}

TEST_F(ClockTest, RestartOnlyDuringARunAlsoWhenPausedOrHeld) {
    make();
    clock->restartRequest();   // welcome screen: tickMs is 0
    EXPECT_FALSE(clock->state().restartRequested);
    clock->showWorldMap(), clock->restartRequest();
    EXPECT_FALSE(clock->state().restartRequested);
    startAndFlash();
    host.runFor(2000), clock->togglePause(), clock->repeatButton();
    EXPECT_EQ(std::tuple(clock->state().paused, host.pauseLabel, clock->state().pendingAction, host.interval(kActionTimer)),
              std::tuple(false, false, PendingAction::Repeat, 5));
    host.runFor(5);
    EXPECT_EQ(std::tuple(clock->state().pendingAction, clock->state().restartRequested), std::tuple(PendingAction::None, true));
    tick();
    EXPECT_EQ(std::tuple(clock->state().restartRequested, host.armed(kFlashTimer)), std::tuple(false, true));
    ASSERT_TRUE(flashDone());   // a restart is carried out while paused or held
    host.runFor(2000), clock->togglePause();
    const int stopped = stops();
    clock->restartRequest(), tick();
    EXPECT_EQ(std::tuple(clock->state().restartRequested, clock->state().simTime, host.interval(kFlashTimer), host.armed(kTickTimer)),
              std::tuple(false, 0.0f, 50, false));
    EXPECT_EQ(std::tuple(stops(), host.count(host.log, "globe restore")), std::tuple(stopped + 1, 2));
    host.sounds.clear();   // the replay's flash closes MIDI and plays its music
    ASSERT_TRUE(flashDone());
    EXPECT_EQ(Strings(host.sounds.begin(), host.sounds.begin() + 2), (Strings{"close midi", "play EQ.MID"}));
    clock->togglePause(), host.runFor(2000), clock->activationChanged(false, true), clock->restartRequest(), tick();
    EXPECT_EQ(std::tuple(clock->state().restartRequested, host.armed(kFlashTimer), clock->state().simTime), std::tuple(false, true, 0.0f));
}

// A view change resumes at the same time without a flash: the flash timer
// shows that time at once and the first tick opens the run again.
TEST_F(ClockTest, ViewChangeContinuesAtTheSameTimeWithoutFlashAndAFailedOneKeepsTheRun) {
    running(), host.runFor(3000);
    const float t = clock->state().simTime;
    ASSERT_GT(t, 10.0f);
    clock->setViewMode(ViewMode::All);   // unchanged: nothing happens
    EXPECT_EQ(host.layoutsBuilt, 1);
    host.flashSizes.clear(), clock->setViewMode(ViewMode::CrossSection);
    EXPECT_EQ(std::tuple(host.saves, host.layoutsBuilt, host.loaded.back(), clock->state().showSeismograms, clock->state().resumeTime),
              std::tuple(1, 2, std::string(), false, t));
    const int shows = host.timeShows, starts = runStarts();
    host.runFor(100);
    EXPECT_EQ(std::tuple(host.timeShows, host.lastShownTime, clock->state().lastTick, clock->state().resumeTime, host.flashSizes.empty()),
              std::tuple(shows + 1, t, host.now, t, true));
    tick();
    EXPECT_EQ(std::tuple(clock->state().resumeTime, runStarts(), host.sounds.back(), clock->state().simTime > t),
              std::tuple(0.0f, starts + 1, std::string("stop"), true));
    clock->togglePause(), clock->setViewMode(ViewMode::Globe3D);   // a view change while paused keeps the Continue label
    EXPECT_EQ(std::tuple(host.layoutsBuilt, clock->state().paused, host.pauseLabel, host.saves), std::tuple(3, true, true, 2));
    // The View dialog: OK without a change rebuilds nothing; on the map the new mode waits for the next event.
    clock->togglePause(), host.runFor(2000);
    host.viewDialog = [&] { return true; };
    clock->chooseView();
    EXPECT_EQ(std::tuple(host.layoutsBuilt, host.armed(kTickTimer)), std::tuple(3, true));
    host.viewDialog = [&] {
        settings.view = ViewMode::All;
        return true;
    };
    clock->showWorldMap(), clock->chooseView();
    EXPECT_EQ(std::tuple(host.layoutsBuilt, clock->state().restartRequested), std::tuple(3, false));
    startAndFlash();
    host.runFor(2000);
    host.loader = [](const std::string& f) { return !f.empty(); };   // the file went away: a failed change keeps the run
    host.viewDialog = [&] {
        settings.view = ViewMode::Globe3D;
        return true;
    };
    clock->chooseView();
    EXPECT_EQ(std::tuple(clock->state().resumeTime, host.armed(kTickTimer), host.layoutsBuilt), std::tuple(0.0f, true, 4));
    clock->setViewMode(ViewMode::CrossSection);
    EXPECT_EQ(std::tuple(clock->state().resumeTime, host.armed(kTickTimer), host.saves), std::tuple(0.0f, true, 6));   // every change saved
    clock->restartRequest(), tick(), host.flashSizes.clear();   // a replay then flashes as usual instead of resuming
    EXPECT_TRUE(flashDone() && host.flashSizes.size() == 14u);
}

TEST_F(ClockTest, TickDrawsOnlyWhatChangedWithoutAllocatingAndSkipsTheViewsWhileInputWaits) {
    addSeismograms({5000});
    running(), host.runFor(3000);
    const auto views = [&] { return std::tuple(host.globeTicks, host.crossTicks, host.seisTicks, host.timeShows); };
    auto [globe, cross, seis, shows] = views();
    const int resets = host.seisResets, presents = host.crossPresents;
    host.inputPending = true, tick(), tick();
    EXPECT_EQ(std::tuple(views(), host.lastShownTime),
              std::tuple(std::tuple(globe, cross, seis, shows + 2), clock->state().simTime));   // time goes on
    host.inputPending = false, allocations = 0, counting = true;
    for (int i = 0; i < 20; ++i) tick();
    EXPECT_EQ(std::tuple(views(), host.crossPresents, host.seisResets, (counting = false, allocations.load())),
              std::tuple(std::tuple(globe + 20, cross + 20, seis + 20, shows + 22), presents + 20, resets,
                         0u));   // each view drew and showed its tick
}

TEST_F(ClockTest, TickIntervalSettlesNearTheDrawingTimeWithinItsBounds) {
    running(), tick();
    EXPECT_EQ(clock->state().tickMs, 450);   // the tick came on time: a tenth less
    host.tickCost = 120, host.runFor(20000);
    EXPECT_EQ(std::tuple(clock->state().tickMs >= 100, clock->state().tickMs <= 140, settings.clockTickMs),
              std::tuple(true, true, clock->state().tickMs));
    host.tickCost = 0, host.runFor(5000);
    EXPECT_EQ(clock->state().tickMs, 9);   // below 10 ms the step is 0
    startAndFlash("b.evt");                // the tuned value starts the next run
    EXPECT_EQ(host.interval(kTickTimer), 9);
    settings.clockTickMs = 45000, host.tickCost = 40000;   // at most 30 s, however long the drawing takes
    startAndFlash("c.evt");
    EXPECT_EQ(host.interval(kTickTimer), 30000);
    for (int i = 0; i < 4; ++i) tick();
    EXPECT_EQ(std::tuple(int(clock->state().tickMs), settings.clockTickMs), std::tuple(30000, 30000));
    settings.clockTickMs = 0;   // never a timer that is refused for its interval
    startAndFlash("d.evt");
    EXPECT_EQ(host.interval(kTickTimer), 1);
}

// Failures are reported and stop only their phase; an unreadable event, from
// the script's start or from the List dialog, leaves the running screen as it was.
TEST_F(ClockTest, FailuresAreReportedAndStopOnlyTheirPhase) {
    make();
    clock->onTimer(7), host.pictureOk = false, start();
    EXPECT_EQ(std::tuple(clock->state().screenReady, host.armed(kFlashTimer)), std::tuple(true, false));   // still closable
    host.pictureOk = true, host.bitmapsOk = false, start();
    EXPECT_EQ(host.messages, (decltype(host.messages){{"Unknown timer", "????"}, {"cannot draw", "g"}, {"cannot draw", "x"}}));
    host.bitmapsOk = true, host.refuseTimers = true, start();   // a refused timer stops its phase
    EXPECT_FALSE(clock->state().timerArmed[kFlashTimer]);
    host.runFor(5000);
    EXPECT_EQ(std::tuple(host.flashSizes.empty(), clock->state().timerArmed[kTickTimer]), std::tuple(true, false));
    host.refuseTimers = false;
    startAndFlash();
    host.refuseTimers = true, tick();   // the tick cannot re-arm: the run stands
    float t = clock->state().simTime;
    host.runFor(5000);
    EXPECT_EQ(std::tuple(clock->state().timerArmed[kTickTimer], clock->state().simTime), std::tuple(false, t));
    host.refuseTimers = false;
    startAndFlash();
    host.runFor(2000), host.loader = [](const std::string& f) { return f != "bad.evt"; };
    const int layouts = host.layoutsBuilt;
    start("bad.evt");
    EXPECT_EQ(std::tuple(clock->state().screenReady, host.armed(kTickTimer), host.layoutsBuilt), std::tuple(true, true, layouts));
    clock->beginDialog(), clock->startListedEvent("bad.evt");
    EXPECT_EQ(std::tuple(clock->state().screenReady, host.armed(kTickTimer)), std::tuple(true, true));
    t = clock->state().simTime, host.runFor(1000);
    EXPECT_GT(clock->state().simTime, t);
}

}   // namespace
