// The simulation clock driven through a recording host on virtual time.
#include "FakeClockHost.h"
#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace {

EventRecord eventNamed(const std::string& file) {
    EventRecord e;
    e.fileName = file;
    e.name = file;
    return e;
}

class ClockTest : public ::testing::Test {
protected:
    Settings settings;
    RunState run;
    EventCatalogue catalogue;
    TutorialScript script;
    FakeClockHost host;
    std::unique_ptr<SimulationClock> clock;

    void SetUp() override {
        settings.showEventInformation = false;
        settings.userTimeout = 0;
        settings.audio = AudioMode::Chime;
        run.magnitude = 7;
        run.timeAcceleration = 20;
        run.timeLimit = 7200;
        run.folder = "EV1";
    }
    void make() {
        clock = std::make_unique<SimulationClock>(host, settings, run, catalogue, script);
        host.clock = clock.get();
    }
    void start(const std::string& file = "a.evt") {
        clock->currentEventFile = file;
        clock->startCurrentEvent();
    }
    // Starts an event and lets its flash run out.
    void startAndFlash() {
        start();
        ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 20000));
    }
    void addSeismograms(std::initializer_list<float> ends) {
        for (float end : ends) {
            auto k = std::make_unique<KSAC>();
            k->endTime = end;
            run.seismograms.push_back(std::move(k));
        }
        run.seismogramCount = static_cast<int16_t>(run.seismograms.size());
    }
    // Runs exactly the next tick.
    void tick() { host.runFor(host.timers[kTickTimer].due - host.now); }
};

TEST_F(ClockTest, MagnitudeSevenFlashesFourteenTimesWithShrinkingDisc) {
    make();
    start();
    EXPECT_EQ(host.interval(kFlashTimer), 100);
    EXPECT_TRUE(clock->eventShown);
    const uint32_t begin = host.now;
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 5000));
    ASSERT_EQ(host.flashSizes.size(), 14u);
    for (std::size_t i = 0; i < 14; ++i)
        EXPECT_FLOAT_EQ(host.flashSizes[i], 1.625f - 0.125f * float(i)) << i;
    EXPECT_EQ(host.now - begin, 1400u);
    EXPECT_EQ(host.interval(kTickTimer), 500);
    EXPECT_EQ(clock->tickMs, 500);
    EXPECT_EQ(clock->simTime, 0.0f);
    EXPECT_FALSE(host.armed(kFlashTimer));
    // MIDI closed and the flash music started at the first step; music
    // stopped and MIDI opened at the last.
    ASSERT_GE(host.sounds.size(), 4u);
    EXPECT_EQ(host.sounds[0], "close midi");
    EXPECT_EQ(host.sounds[1], "play EQ.MID");
    EXPECT_EQ(host.sounds[host.sounds.size() - 2], "stop");
    EXPECT_EQ(host.sounds.back(), "open midi");
    EXPECT_TRUE(clock->screenReady);
}

TEST_F(ClockTest, MagnitudeZeroStartsWavesAfterOneStepAndSoundOffPlaysNoMusic) {
    run.magnitude = 0;
    settings.audio = AudioMode::None;
    make();
    start();
    host.runFor(100);
    ASSERT_EQ(host.flashSizes.size(), 1u);
    EXPECT_FLOAT_EQ(host.flashSizes[0], -0.125f);
    EXPECT_TRUE(host.armed(kTickTimer));
    for (const auto& s : host.sounds) EXPECT_NE(s, "play EQ.MID");
}

TEST_F(ClockTest, EventInformationHoldsTheFlashUntilClosedAndExitWaitsForIt) {
    settings.showEventInformation = true;
    make();
    start();
    ASSERT_EQ(host.infoOpened.size(), 1u);
    EXPECT_EQ(host.infoOpened[0], "EV1/EVT.INF");
    EXPECT_TRUE(clock->held);
    EXPECT_FALSE(clock->screenReady);
    host.runFor(3000);
    EXPECT_TRUE(host.flashSizes.empty());
    EXPECT_TRUE(host.armed(kFlashTimer));

    clock->requestExit();            // refused while the screen is being built
    EXPECT_FALSE(host.exited);
    host.userClosesInfo();
    host.runFor(100);
    EXPECT_EQ(host.flashSizes.size(), 1u);
    EXPECT_FALSE(host.info);        // disposed by closePopups
    EXPECT_TRUE(clock->screenReady);
    EXPECT_TRUE(host.exited);       // the waiting Exit went through
}

TEST_F(ClockTest, FocusLostToAnotherProgramHoldsUntilActivated) {
    make();
    startAndFlash();
    host.runFor(2000);
    const float t = clock->simTime;
    clock->activationChanged(false, true);
    host.runFor(3000);
    EXPECT_EQ(clock->simTime, t);
    clock->activationChanged(true, false);
    host.runFor(600);
    EXPECT_GT(clock->simTime, t);
}

TEST_F(ClockTest, FirstTickShowsTenSecondsAndTimeAdvancesByTickTimesAcceleration) {
    run.timeAcceleration = 1;   // half a second per 500 ms tick
    make();
    startAndFlash();
    host.runFor(500);
    EXPECT_FLOAT_EQ(clock->simTime, 10.0f);
    EXPECT_FLOAT_EQ(host.lastShownTime, 10.0f);

    run.timeAcceleration = 20;
    settings.clockTickMs = 500;
    clock->simTime = 100;
    host.tickCost = 500;   // keeps the interval where it is
    const int before = clock->tickMs;
    tick();
    EXPECT_FLOAT_EQ(clock->simTime, 100.0f + settings.clockTickMs * 0.001f * 20.0f);
    EXPECT_NE(before, 0);
}

TEST_F(ClockTest, NegativeAccelerationStopsAtTenSecondsAndNeverEndsByStations) {
    run.timeAcceleration = 20;
    addSeismograms({500});
    make();
    startAndFlash();
    host.runFor(20000);
    ASSERT_GT(clock->simTime, 100.0f);
    run.timeAcceleration = -50;
    host.runFor(60000);
    EXPECT_FLOAT_EQ(clock->simTime, 10.0f);
    EXPECT_EQ(clock->endCountdown, 0);
}

TEST_F(ClockTest, RunEndsWhenEveryTraceHasEndedThenReplaysAfterThePause) {
    settings.secondsToPauseAtEnd = 5;
    addSeismograms({30, 50});
    make();
    clock->setUp();
    startAndFlash();
    host.tickCost = 500;   // ticks of about half a second: 10 s each
    ASSERT_TRUE(host.runUntil([&] { return clock->endCountdown != 0; }, 60000));
    EXPECT_GE(clock->simTime, 50.0f);
    EXPECT_LT(clock->simTime, 80.0f);
    const float frozen = clock->simTime;
    host.runFor(3000);
    EXPECT_EQ(clock->simTime, frozen);   // time stands still while the run waits
    host.flashSizes.clear();
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kFlashTimer); }, 3000));
    EXPECT_EQ(host.interval(kFlashTimer), 50);   // replay from the flash
    EXPECT_EQ(clock->simTime, 0.0f);
    EXPECT_EQ(clock->endCountdown, 0);
    EXPECT_FALSE(host.armed(kTickTimer));
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 5000));
    EXPECT_EQ(host.flashSizes.size(), 14u);
}

TEST_F(ClockTest, EndTestCountsOnlyTheLeadingEndedTraces) {
    addSeismograms({1000, 20});
    run.timeLimit = 7200;
    make();
    startAndFlash();
    host.runFor(30000);
    EXPECT_GT(clock->simTime, 100.0f);
    EXPECT_EQ(clock->endCountdown, 0);
}

TEST_F(ClockTest, WithoutSeismogramsOnlyTheTimeLimitEndsTheRun) {
    settings.view = ViewMode::Globe3D;
    addSeismograms({10});
    run.timeLimit = 100;
    make();
    startAndFlash();
    EXPECT_FALSE(clock->showSeismograms);
    host.tickCost = 500;
    ASSERT_TRUE(host.runUntil([&] { return clock->endCountdown != 0; }, 60000));
    EXPECT_GT(clock->simTime, 100.0f);
    EXPECT_EQ(host.seisTicks, 0);
}

TEST_F(ClockTest, NoPauseAtEndEndsAfterOneSecondAndStaysOnTheLastPicture) {
    settings.secondsToPauseAtEnd = 0;
    run.timeLimit = 20;
    make();
    clock->setUp();
    startAndFlash();
    ASSERT_TRUE(host.runUntil([&] { return clock->endCountdown != 0; }, 10000));
    EXPECT_EQ(clock->endCountdown, 1);
    host.runFor(1000);
    EXPECT_GT(clock->endCountdown, 3000);
    host.runFor(10000);
    EXPECT_FALSE(host.armed(kFlashTimer));
    EXPECT_TRUE(host.armed(kTickTimer));
    EXPECT_FALSE(clock->restartRequested);
}

TEST_F(ClockTest, ScriptPlaysTheNextEventWrapsAndExitsWhenDone) {
    settings.runScript = true;
    settings.secondsToPauseAtEnd = 1;
    run.timeLimit = 20;
    catalogue.add(eventNamed("a.evt"));
    catalogue.add(eventNamed("b.evt"));
    make();
    clock->setUp();
    clock->scriptIndex = 1;
    start("b.evt");
    ASSERT_TRUE(host.runUntil([&] { return host.loaded.size() == 2; }, 20000));
    EXPECT_EQ(host.loaded.back(), "a.evt");   // wrapped to the first
    EXPECT_EQ(clock->scriptIndex, 0);
    ASSERT_TRUE(host.runUntil([&] { return host.loaded.size() == 3; }, 20000));
    EXPECT_EQ(host.loaded.back(), "b.evt");

    settings.exitWhenDone = true;
    ASSERT_TRUE(host.runUntil([&] { return host.exited; }, 20000));
    EXPECT_EQ(host.loaded.size(), 3u);   // no event started at the wrap
    EXPECT_EQ(clock->scriptIndex, 0);
}

TEST_F(ClockTest, ScriptWithAnEmptyCatalogueReplaysInsteadOfFailing) {
    settings.runScript = true;
    run.timeLimit = 20;
    make();
    clock->setUp();
    startAndFlash();
    host.flashSizes.clear();
    ASSERT_TRUE(host.runUntil([&] { return !host.flashSizes.empty(); }, 20000));
    EXPECT_EQ(host.loaded.size(), 1u);
}

TEST_F(ClockTest, UserTimeoutReleasesAPauseAndClosesAnInformationWindow) {
    settings.userTimeout = 30;
    make();
    clock->setUp();
    startAndFlash();
    host.runFor(1000);
    clock->togglePause();
    EXPECT_TRUE(clock->paused);
    EXPECT_TRUE(host.pauseLabel);
    const float t = clock->simTime;
    host.runFor(29000);
    EXPECT_TRUE(clock->paused);
    EXPECT_EQ(clock->simTime, t);
    host.runFor(1000);
    EXPECT_FALSE(clock->paused);
    EXPECT_FALSE(host.pauseLabel);
    host.runFor(1000);
    EXPECT_GT(clock->simTime, t);

    clock->showInfoText("3D.INF");
    EXPECT_TRUE(host.info);
    EXPECT_TRUE(clock->held);
    host.runFor(29500);
    EXPECT_TRUE(host.info);
    host.runFor(1000);
    EXPECT_FALSE(host.info);
    EXPECT_FALSE(clock->held);
}

TEST_F(ClockTest, WithoutUserTimeoutAPauseStaysIndefinitely) {
    make();
    clock->setUp();
    startAndFlash();
    clock->togglePause();
    host.runFor(600000);
    EXPECT_TRUE(clock->paused);
    EXPECT_EQ(clock->simTime, 0.0f);
    EXPECT_GT(host.speedReads, 100);   // the slider is still read while paused
}

TEST_F(ClockTest, AutomaticTutorialShowsTheMiddleStepsThenOpensTheMap) {
    settings.tutorialMode = true;
    settings.tutorialEnabled = true;
    script = {{"T0.INF", 0, 5}, {"T1.INF", 20, 5}, {"T2.INF", 60, 5},
              {"T3.INF", 100, 5}, {"T4.INF", 200, 0}};
    make();
    EXPECT_EQ(clock->tutorialIndex, 1);
    EXPECT_EQ(clock->nextTutorialTime, 20);
    clock->setUp();
    startAndFlash();
    host.tickCost = 500;
    ASSERT_TRUE(host.runUntil([&] { return host.tutorialsOpened.size() == 1; }, 20000));
    EXPECT_EQ(host.tutorialsOpened[0].file, "T1.INF");
    EXPECT_EQ(host.tutorialsOpened[0].form, 1);
    EXPECT_TRUE(clock->held);
    EXPECT_GE(clock->userCountdown, 4);   // the step's stay, counting down
    EXPECT_LE(clock->userCountdown, 5);
    const float t = clock->simTime;
    host.runFor(2000);
    EXPECT_EQ(clock->simTime, t);   // held while the page is up
    host.answerTutorial(true, false, false, false);
    host.runFor(1000);
    EXPECT_FALSE(host.tutorial.exists);
    EXPECT_GT(clock->simTime, t);
    // The next pages close themselves after their stay of 5 seconds.
    ASSERT_TRUE(host.runUntil([&] { return host.mapsShown == 1; }, 120000));
    ASSERT_EQ(host.tutorialsOpened.size(), 3u);
    EXPECT_EQ(host.tutorialsOpened[1].file, "T2.INF");
    EXPECT_EQ(host.tutorialsOpened[2].file, "T3.INF");
    EXPECT_FALSE(settings.tutorialMode);
    EXPECT_EQ(clock->tickMs, 0);
    EXPECT_FALSE(host.armed(kTickTimer));
}

TEST_F(ClockTest, AutomaticTutorialOfTwoStepsShowsNothing) {
    settings.tutorialMode = true;
    script = {{"T0.INF", 0, 5}, {"T1.INF", 50, 5}};
    make();
    startAndFlash();
    host.tickCost = 500;
    ASSERT_TRUE(host.runUntil([&] { return host.mapsShown == 1; }, 30000));
    EXPECT_TRUE(host.tutorialsOpened.empty());
}

TEST_F(ClockTest, CancelEndsTheAutomaticTutorial) {
    settings.tutorialMode = true;
    script = {{"T0.INF", 0, 0}, {"T1.INF", 20, 0}, {"T2.INF", 40, 0}, {"T3.INF", 900, 0}};
    make();
    startAndFlash();
    host.tickCost = 500;
    ASSERT_TRUE(host.runUntil([&] { return host.tutorialsOpened.size() == 1; }, 20000));
    host.answerTutorial(false, false, false, true);
    host.runFor(20000);
    EXPECT_FALSE(settings.tutorialMode);
    EXPECT_EQ(host.tutorialsOpened.size(), 1u);
    EXPECT_EQ(host.mapsShown, 0);
}

TEST_F(ClockTest, BrowsedTutorialPagesThroughTheStepsAndCancelEndsIt) {
    settings.tutorialEnabled = true;
    script = {{"T0.INF", 0, 0}, {"T1.INF", 0, 0}, {"T2.INF", 0, 0}, {"T3.INF", 0, 0},
              {"T4.INF", 0, 0}, {"T5.INF", 0, 0}};
    make();
    startAndFlash();
    clock->startTutorialBrowsing();
    EXPECT_TRUE(clock->tutorialBrowsing);
    EXPECT_EQ(clock->tutorialIndex, 1);
    tick();
    ASSERT_EQ(host.tutorialsOpened.size(), 1u);
    EXPECT_EQ(host.tutorialsOpened[0].file, "T1.INF");
    EXPECT_EQ(host.tutorialsOpened[0].form, 2);
    EXPECT_EQ(host.tutorialsOpened[0].position, 0);   // first
    host.answerTutorial(false, true, false, false);
    tick();
    EXPECT_EQ(host.tutorialsOpened.back().file, "T2.INF");
    EXPECT_EQ(host.tutorialsOpened.back().position, 1);   // middle
    host.answerTutorial(false, true, false, false);
    tick();
    EXPECT_EQ(host.tutorialsOpened.back().file, "T3.INF");   // n - 3 is the last page
    EXPECT_EQ(host.tutorialsOpened.back().position, 2);
    host.answerTutorial(false, false, true, false);
    tick();
    EXPECT_EQ(host.tutorialsOpened.back().file, "T2.INF");
    host.answerTutorial(false, false, false, true);
    tick();
    EXPECT_FALSE(clock->tutorialBrowsing);
    EXPECT_EQ(clock->tutorialIndex, 0);
    EXPECT_FALSE(host.tutorial.exists);
    tick();
    EXPECT_EQ(host.tutorialsOpened.size(), 4u);   // nothing reopens after Cancel
}

TEST_F(ClockTest, BrowsingAShortScriptStaysInsideIt) {
    settings.tutorialEnabled = true;
    script = {{"T0.INF", 0, 0}, {"T1.INF", 0, 0}};
    make();
    startAndFlash();
    clock->startTutorialBrowsing();
    tick();
    ASSERT_EQ(host.tutorialsOpened.size(), 1u);
    EXPECT_EQ(host.tutorialsOpened[0].file, "T0.INF");
    host.answerTutorial(false, false, true, false);
    tick();
    EXPECT_EQ(host.tutorialsOpened.size(), 2u);
    EXPECT_GE(clock->tutorialIndex, 0);
}

TEST_F(ClockTest, RestartOnlyDuringARun) {
    make();
    clock->restartRequest();                 // welcome screen: tickMs is 0
    EXPECT_FALSE(clock->restartRequested);
    clock->showWorldMap();
    clock->restartRequest();
    EXPECT_FALSE(clock->restartRequested);
    startAndFlash();
    clock->restartRequest();
    EXPECT_TRUE(clock->restartRequested);
    tick();
    EXPECT_FALSE(clock->restartRequested);
    EXPECT_TRUE(host.armed(kFlashTimer));
}

TEST_F(ClockTest, RepeatWhilePausedReleasesThePauseAndReplays) {
    make();
    startAndFlash();
    host.runFor(2000);
    clock->togglePause();
    clock->repeatButton();
    EXPECT_FALSE(clock->paused);
    EXPECT_FALSE(host.pauseLabel);
    EXPECT_EQ(clock->pendingAction, kRepeatAction);
    EXPECT_EQ(host.interval(kActionTimer), 5);
    host.runFor(5);
    EXPECT_EQ(clock->pendingAction, kNoAction);
    EXPECT_TRUE(clock->restartRequested);
    host.runFor(500);
    EXPECT_TRUE(host.armed(kFlashTimer));
}

TEST_F(ClockTest, TickIntervalSettlesNearTheDrawingTime) {
    make();
    startAndFlash();
    tick();
    EXPECT_EQ(clock->tickMs, 450);   // the tick came on time: a tenth less
    host.tickCost = 120;
    host.runFor(20000);
    EXPECT_GE(clock->tickMs, 100);
    EXPECT_LE(clock->tickMs, 140);
    EXPECT_EQ(settings.clockTickMs, clock->tickMs);
    host.tickCost = 0;
    host.runFor(5000);
    EXPECT_EQ(clock->tickMs, 9);   // below 10 ms the step is 0
    host.runFor(1000);
    EXPECT_EQ(clock->tickMs, 9);
    // The tuned value starts the next run.
    start("b.evt");
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 5000));
    EXPECT_EQ(host.interval(kTickTimer), 9);
}

TEST_F(ClockTest, UnknownTimerIsReported) {
    make();
    clock->onTimer(7);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].first, "Unknown timer");
    EXPECT_EQ(host.messages[0].second, "????");
}

TEST_F(ClockTest, ViewChangeContinuesAtTheSameTimeWithoutFlash) {
    make();
    startAndFlash();
    host.runFor(3000);
    const float t = clock->simTime;
    ASSERT_GT(t, 10.0f);
    clock->setViewMode(ViewMode::All);   // unchanged: nothing happens
    EXPECT_EQ(host.layoutsBuilt, 1);
    host.flashSizes.clear();
    clock->setViewMode(ViewMode::Globe3D);
    EXPECT_EQ(host.saves, 1);
    EXPECT_EQ(host.layoutsBuilt, 2);
    EXPECT_EQ(host.loaded.back(), "");
    EXPECT_FALSE(clock->showSeismograms);
    host.runFor(100);
    EXPECT_TRUE(host.flashSizes.empty());
    EXPECT_EQ(clock->simTime, t);
    EXPECT_TRUE(host.armed(kTickTimer));
    tick();
    EXPECT_GT(clock->simTime, t);
}

TEST_F(ClockTest, ViewDialogRebuildsOnlyWhenTheModeChanged) {
    make();
    startAndFlash();
    host.viewDialog = [&] { return true; };   // OK without a change
    clock->chooseView();
    EXPECT_EQ(host.layoutsBuilt, 1);
    EXPECT_TRUE(host.armed(kTickTimer));
    host.viewDialog = [&] { settings.view = ViewMode::CrossSection; return true; };
    clock->chooseView();
    EXPECT_EQ(host.layoutsBuilt, 2);
    EXPECT_EQ(host.saves, 2);
    // On the map the new mode waits for the next event.
    clock->showWorldMap();
    host.viewDialog = [&] { settings.view = ViewMode::All; return true; };
    clock->chooseView();
    EXPECT_EQ(host.layoutsBuilt, 2);
    EXPECT_FALSE(clock->restartRequested);
}

TEST_F(ClockTest, UnreadableEventLeavesTheRunningScreenAsItWas) {
    make();
    startAndFlash();
    host.loader = [](const std::string& f) { return f != "bad.evt"; };
    start("bad.evt");
    EXPECT_TRUE(clock->screenReady);
    EXPECT_TRUE(host.armed(kTickTimer));
    EXPECT_EQ(host.layoutsBuilt, 1);
}

TEST_F(ClockTest, PictureFailureStopsTheStartButLeavesTheWindowClosable) {
    host.pictureOk = false;
    make();
    start();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].first, "Unable to open file");
    EXPECT_EQ(host.messages[0].second, "earth180.bmp");
    EXPECT_TRUE(clock->screenReady);
    EXPECT_FALSE(host.armed(kFlashTimer));
    host.pictureOk = true;
    host.bitmapsOk = false;
    start();
    EXPECT_EQ(host.messages.back().first, "Unable to create bitmaps");
    EXPECT_EQ(host.messages.back().second, "Cross-Section View");
}

TEST_F(ClockTest, ARunningTickAllocatesNothing) {
    settings.view = ViewMode::Globe3D;
    make();
    startAndFlash();
    tick();
    tick();
    host.quiet = true;
    AllocationCounter counter;
    for (int i = 0; i < 50; ++i) tick();
    EXPECT_EQ(counter.count(), 0u);
    EXPECT_GT(host.globeTicks, 50);
}

// Welcome screen -> world map -> event with its information window ->
// flash -> run -> pause at the end -> next event of the script -> exit.
TEST_F(ClockTest, WholeKioskCycle) {
    settings.showWelcomeScreen = true;
    settings.showEventInformation = true;
    settings.userTimeout = 3;
    settings.runScript = true;
    settings.exitWhenDone = true;
    settings.secondsToPauseAtEnd = 2;
    catalogue.add(eventNamed("a.evt"));
    catalogue.add(eventNamed("b.evt"));
    host.loader = [&](const std::string&) {
        run.magnitude = 5;
        run.timeLimit = 120;
        run.timeAcceleration = 20;
        return true;
    };
    host.tickCost = 300;
    make();
    clock->setUp();
    EXPECT_TRUE(host.armed(kSecondTimer));
    EXPECT_FALSE(host.armed(kActionTimer));   // the welcome screen waits
    host.runFor(10000);
    EXPECT_TRUE(host.welcome);

    clock->setPendingAction(kLeaveWelcomeAction, 50);   // Start
    host.runFor(50);
    EXPECT_EQ(host.mapsShown, 1);
    EXPECT_EQ(host.mapTimeout, 3u);
    EXPECT_FALSE(clock->screenReady);
    clock->setScreenReady();   // the map has drawn its events
    // The map's own countdown starts the first event.
    host.runFor(3000);
    clock->scriptIndex = 0;
    clock->currentEventFile = catalogue.at(0).fileName;
    clock->startCurrentEvent();
    EXPECT_FALSE(host.worldMap);
    EXPECT_TRUE(host.info);
    // Nobody closes the information window: the user time-out does.
    host.runFor(2900);
    EXPECT_TRUE(host.flashSizes.empty());
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 3000));
    EXPECT_EQ(host.flashSizes.size(), 10u);
    ASSERT_TRUE(host.runUntil([&] { return clock->endCountdown != 0; }, 60000));
    EXPECT_GT(clock->simTime, 120.0f);
    ASSERT_TRUE(host.runUntil([&] { return host.loaded.size() == 2; }, 5000));
    EXPECT_EQ(host.loaded[0], "a.evt");
    EXPECT_EQ(host.loaded[1], "b.evt");
    EXPECT_EQ(host.infoOpened.size(), 2u);
    ASSERT_TRUE(host.runUntil([&] { return host.exited; }, 60000));
    EXPECT_EQ(host.loaded.size(), 2u);
}

// ---------------------------------------------------------------- starting over an old run

TEST_F(ClockTest, AnEventStartedDuringTheEndPauseRunsAfresh) {
    settings.secondsToPauseAtEnd = 30;
    run.timeLimit = 20;
    host.loader = [&](const std::string& f) {
        if (f == "b.evt") run.timeLimit = 7200;
        return true;
    };
    make();
    clock->setUp();
    startAndFlash();
    ASSERT_TRUE(host.runUntil([&] { return clock->endCountdown != 0; }, 10000));
    clock->restartRequest();   // Restart, then the List dialog before the next tick
    clock->beginDialog();
    clock->startListedEvent("b.evt");
    EXPECT_EQ(clock->endCountdown, 0);
    EXPECT_FALSE(clock->restartRequested);
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 5000));
    host.flashSizes.clear();
    host.tickCost = 500;
    host.runFor(60000);
    EXPECT_GT(clock->simTime, 300.0f);   // not frozen by the old countdown
    EXPECT_EQ(clock->endCountdown, 0);
    EXPECT_TRUE(host.flashSizes.empty());   // no replay
    EXPECT_EQ(host.loaded.size(), 2u);
}

TEST_F(ClockTest, ADialogOpenWhileTheScriptStartsTheNextEventLeavesItsFlashAlone) {
    settings.runScript = true;
    settings.secondsToPauseAtEnd = 2;
    run.timeLimit = 20;
    catalogue.add(eventNamed("a.evt"));
    catalogue.add(eventNamed("b.evt"));
    make();
    clock->setUp();
    startAndFlash();
    ASSERT_TRUE(host.runUntil([&] { return clock->endCountdown != 0; }, 10000));
    clock->beginDialog();   // the Speed dialog, say
    EXPECT_FALSE(host.armed(kTickTimer));
    ASSERT_TRUE(host.runUntil([&] { return host.loaded.size() == 2; }, 5000));
    ASSERT_TRUE(host.armed(kFlashTimer));
    clock->endDialog();
    EXPECT_FALSE(host.armed(kTickTimer));
    EXPECT_FALSE(clock->timerArmed[kTickTimer]);
    host.flashSizes.clear();
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 5000));
    EXPECT_EQ(host.flashSizes.size(), 14u);   // the whole flash, then the tick
    EXPECT_FALSE(host.armed(kFlashTimer));

    // On the map a dialog leaves the timers off.
    clock->beginDialog();
    clock->showWorldMap();
    clock->endDialog();
    EXPECT_FALSE(host.armed(kTickTimer));
}

TEST_F(ClockTest, AnUnreadableFileFromTheListGivesTheRunningEventItsTickBack) {
    make();
    startAndFlash();
    host.runFor(2000);
    host.loader = [](const std::string& f) { return f != "bad.evt"; };
    clock->beginDialog();
    clock->startListedEvent("bad.evt");
    EXPECT_TRUE(host.armed(kTickTimer));
    EXPECT_TRUE(clock->screenReady);
    const float t = clock->simTime;
    host.runFor(1000);
    EXPECT_GT(clock->simTime, t);
}

TEST_F(ClockTest, AFailedViewChangeLeavesTheRunGoingInItsOldLayout) {
    make();
    startAndFlash();
    host.runFor(2000);
    host.loader = [](const std::string& f) { return !f.empty(); };   // the file went away
    host.viewDialog = [&] { settings.view = ViewMode::Globe3D; return true; };
    clock->chooseView();
    EXPECT_EQ(clock->resumeTime, 0.0f);
    EXPECT_TRUE(host.armed(kTickTimer));
    EXPECT_EQ(host.layoutsBuilt, 1);
    clock->setViewMode(ViewMode::CrossSection);
    EXPECT_EQ(clock->resumeTime, 0.0f);
    EXPECT_TRUE(host.armed(kTickTimer));
    // A replay then flashes as usual instead of resuming.
    clock->restartRequest();
    tick();
    host.flashSizes.clear();
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 5000));
    EXPECT_EQ(host.flashSizes.size(), 14u);
}

// ---------------------------------------------------------------- absurd event values

TEST_F(ClockTest, AHugeMagnitudeFlashesAtMostTwentySteps) {
    run.magnitude = 1.0e9f;
    make();
    start();
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 10000));
    ASSERT_EQ(host.flashSizes.size(), 20u);
    EXPECT_FLOAT_EQ(host.flashSizes.front(), 2.375f);   // as for magnitude 10
    EXPECT_FLOAT_EQ(host.flashSizes.back(), 0.0f);

    host.flashSizes.clear();
    run.magnitude = std::numeric_limits<float>::quiet_NaN();
    start();
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 10000));
    ASSERT_EQ(host.flashSizes.size(), 1u);
    EXPECT_FLOAT_EQ(host.flashSizes[0], -0.125f);
}

TEST_F(ClockTest, AHugeOrInvalidAccelerationKeepsTimeRepresentable) {
    run.timeAcceleration = 1.0e30f;
    make();
    startAndFlash();
    tick();
    tick();
    EXPECT_FLOAT_EQ(clock->simTime, 1.0e6f);
    EXPECT_EQ(host.lastCrossTick, 1000000);
    EXPECT_NE(clock->endCountdown, 0);   // far past the time limit

    run.timeAcceleration = std::numeric_limits<float>::quiet_NaN();
    start();
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 5000));
    tick();
    tick();
    EXPECT_FLOAT_EQ(clock->simTime, 10.0f);
    EXPECT_EQ(host.lastCrossTick, 10);
}

TEST_F(ClockTest, AScriptIndexOutsideTheCatalogueStartsItAgain) {
    settings.runScript = true;
    settings.secondsToPauseAtEnd = 1;
    run.timeLimit = 20;
    catalogue.add(eventNamed("a.evt"));
    catalogue.add(eventNamed("b.evt"));
    make();
    clock->setUp();
    clock->scriptIndex = -5;
    start("b.evt");
    ASSERT_TRUE(host.runUntil([&] { return host.loaded.size() == 2; }, 20000));
    EXPECT_EQ(host.loaded.back(), "a.evt");
    EXPECT_EQ(clock->scriptIndex, 0);
    clock->scriptIndex = 7;
    ASSERT_TRUE(host.runUntil([&] { return host.loaded.size() == 3; }, 20000));
    EXPECT_EQ(host.loaded.back(), "a.evt");
    EXPECT_EQ(clock->scriptIndex, 0);
}

// ---------------------------------------------------------------- first tick of a run

TEST_F(ClockTest, PausedBeforeTheFirstTickTheRunStartsOnlyOnce) {
    make();
    start();
    host.runFor(300);
    clock->togglePause();   // during the flash: the flash still finishes
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 5000));
    EXPECT_EQ(host.flashSizes.size(), 14u);
    const int stops = host.count(host.sounds, "stop");
    host.runFor(10000);
    EXPECT_EQ(host.count(host.log, "xs start run"), 1);
    EXPECT_EQ(host.count(host.sounds, "stop"), stops + 1);
    EXPECT_EQ(clock->simTime, 0.0f);
    clock->togglePause();
    host.runFor(2000);
    EXPECT_EQ(host.count(host.log, "xs start run"), 1);
    EXPECT_GE(clock->simTime, 10.0f);

    // Held by the focus going elsewhere, just the same.
    start("b.evt");
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 5000));
    clock->activationChanged(false, true);
    host.runFor(10000);
    EXPECT_EQ(host.count(host.log, "xs start run"), 2);
}

TEST_F(ClockTest, AViewChangeWhilePausedKeepsTheContinueLabel) {
    make();
    startAndFlash();
    host.runFor(1000);
    clock->togglePause();
    ASSERT_TRUE(host.pauseLabel);
    clock->setViewMode(ViewMode::Globe3D);
    EXPECT_EQ(host.layoutsBuilt, 2);
    EXPECT_TRUE(clock->paused);
    EXPECT_TRUE(host.pauseLabel);
}

// A view change resumes at the same time: the flash timer shows that time at
// once, and the first tick opens the run and forgets the resume time.
TEST_F(ClockTest, ResumedRunShowsItsTimeAndStartsAtTheFirstTick) {
    make();
    startAndFlash();
    host.runFor(3000);
    const float t = clock->simTime;
    clock->setViewMode(ViewMode::CrossSection);
    EXPECT_EQ(clock->resumeTime, t);
    const int shows = host.timeShows;
    host.runFor(100);
    EXPECT_EQ(host.timeShows, shows + 1);
    EXPECT_EQ(host.lastShownTime, t);
    EXPECT_EQ(clock->lastTick, host.now);
    EXPECT_EQ(clock->resumeTime, t);
    const int starts = host.count(host.log, "xs start run");
    tick();
    EXPECT_EQ(clock->resumeTime, 0.0f);
    EXPECT_EQ(host.count(host.log, "xs start run"), starts + 1);
    EXPECT_EQ(host.sounds.back(), "stop");
}

// ---------------------------------------------------------------- what a tick draws

TEST_F(ClockTest, WaitingInputSkipsTheViewsButTimeAndItsDisplayGoOn) {
    addSeismograms({5000});
    make();
    startAndFlash();
    tick();
    host.inputPending = true;
    const int globe = host.globeTicks, cross = host.crossTicks, seis = host.seisTicks;
    const int shows = host.timeShows;
    const float t = clock->simTime;
    tick();
    tick();
    EXPECT_EQ(host.globeTicks, globe);
    EXPECT_EQ(host.crossTicks, cross);
    EXPECT_EQ(host.seisTicks, seis);
    EXPECT_EQ(host.timeShows, shows + 2);
    EXPECT_GT(clock->simTime, t);
    EXPECT_EQ(host.lastShownTime, clock->simTime);
    host.inputPending = false;
    tick();
    EXPECT_EQ(host.globeTicks, globe + 1);
    EXPECT_EQ(host.seisTicks, seis + 1);
}

TEST_F(ClockTest, ANewTimeWindowLaysTheSeismogramsOutAgainAtTheCurrentTime) {
    addSeismograms({5000});
    make();
    startAndFlash();
    host.runFor(3000);
    EXPECT_EQ(clock->shownTimeWindow, 1800);
    const int resets = host.seisResets, ticks = host.seisTicks;
    run.timeWindow = 600;   // the Time window dialog
    tick();
    const float t = clock->simTime;
    EXPECT_EQ(host.seisResets, resets + 1);
    EXPECT_EQ(host.log.back(), "seis reset " + std::to_string(int(t)));
    EXPECT_EQ(host.seisInvalidations, 1);
    EXPECT_EQ(host.seisTicks, ticks);   // no incremental tick this time
    EXPECT_EQ(clock->shownTimeWindow, 600);
    tick();
    EXPECT_EQ(host.seisResets, resets + 1);
    EXPECT_EQ(host.seisTicks, ticks + 1);
}

TEST_F(ClockTest, TheCrossSectionIsPresentedOnlyWhenItChanged) {
    make();
    startAndFlash();
    tick();
    const int presents = host.crossPresents, ticks = host.crossTicks;
    host.crossChanges = false;
    tick();
    tick();
    EXPECT_EQ(host.crossTicks, ticks + 2);
    EXPECT_EQ(host.crossPresents, presents);
    host.crossChanges = true;
    tick();
    EXPECT_EQ(host.crossPresents, presents + 1);
}

// ---------------------------------------------------------------- pause, hold and restart

TEST_F(ClockTest, PauseLetsTheFlashFinishButFocusLossStopsIt) {
    make();
    start();
    host.runFor(300);
    clock->togglePause();
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 2000));
    EXPECT_EQ(host.flashSizes.size(), 14u);
    tick();
    EXPECT_EQ(clock->simTime, 0.0f);   // but the clock waits

    clock->togglePause();
    host.flashSizes.clear();
    start("b.evt");
    host.runFor(300);
    const std::size_t steps = host.flashSizes.size();
    clock->activationChanged(false, true);
    host.runFor(3000);
    EXPECT_EQ(host.flashSizes.size(), steps);
    EXPECT_TRUE(host.armed(kFlashTimer));
    clock->activationChanged(true, false);
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 2000));
    EXPECT_EQ(host.flashSizes.size(), 14u);
}

TEST_F(ClockTest, ARestartIsCarriedOutWhilePausedOrHeld) {
    make();
    startAndFlash();
    host.runFor(2000);
    clock->togglePause();
    const int stops = host.count(host.sounds, "stop");
    clock->restartRequest();
    tick();
    EXPECT_FALSE(clock->restartRequested);
    EXPECT_EQ(clock->simTime, 0.0f);
    EXPECT_EQ(host.interval(kFlashTimer), 50);
    EXPECT_FALSE(host.armed(kTickTimer));
    EXPECT_EQ(host.count(host.sounds, "stop"), stops + 1);
    EXPECT_EQ(host.count(host.log, "globe restore"), 1);
    // The replay's flash starts with the MIDI output closed and its music.
    host.sounds.clear();
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 5000));
    ASSERT_GE(host.sounds.size(), 2u);
    EXPECT_EQ(host.sounds[0], "close midi");
    EXPECT_EQ(host.sounds[1], "play EQ.MID");

    clock->togglePause();
    host.runFor(2000);
    clock->activationChanged(false, true);
    clock->restartRequest();
    tick();
    EXPECT_FALSE(clock->restartRequested);
    EXPECT_TRUE(host.armed(kFlashTimer));
    EXPECT_EQ(clock->simTime, 0.0f);
}

// ---------------------------------------------------------------- actions and countdowns

TEST_F(ClockTest, ViewsAndWorldMenuActionsEndTheWaitAtTheEnd) {
    settings.secondsToPauseAtEnd = 30;
    run.timeLimit = 20;
    int dialogs = 0;
    host.viewDialog = [&] { ++dialogs; return false; };
    make();
    clock->setUp();
    startAndFlash();
    ASSERT_TRUE(host.runUntil([&] { return clock->endCountdown != 0; }, 10000));
    host.sounds.clear();
    clock->viewsButton();
    host.runFor(5);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(clock->endCountdown, 0);
    EXPECT_EQ(clock->pendingAction, kNoAction);
    EXPECT_EQ(host.sounds, std::vector<std::string>{"stop"});
    EXPECT_TRUE(host.armed(kTickTimer));   // Cancel: the run goes on

    ASSERT_TRUE(host.runUntil([&] { return clock->endCountdown != 0; }, 10000));
    clock->resumeTime = 50;
    host.sounds.clear();
    clock->worldMenuButton();
    host.runFor(5);
    EXPECT_EQ(host.mapsShown, 1);
    EXPECT_EQ(clock->endCountdown, 0);
    EXPECT_EQ(clock->resumeTime, 0.0f);
    EXPECT_EQ(clock->tickMs, 0);
    EXPECT_EQ(host.sounds.front(), "stop");
    EXPECT_FALSE(host.armed(kTickTimer));
    EXPECT_FALSE(host.armed(kFlashTimer));
    host.runFor(60000);   // nothing replays, moves on or exits from the map
    EXPECT_EQ(host.loaded.size(), 1u);
    EXPECT_FALSE(host.exited);
    EXPECT_FALSE(host.armed(kFlashTimer));
}

TEST_F(ClockTest, ExitWhenDoneWithoutAScriptExitsWhenThePauseEnds) {
    settings.exitWhenDone = true;
    settings.secondsToPauseAtEnd = 3;
    run.timeLimit = 20;
    make();
    clock->setUp();
    startAndFlash();
    ASSERT_TRUE(host.runUntil([&] { return clock->endCountdown != 0; }, 10000));
    host.runFor(1900);
    EXPECT_FALSE(host.exited);
    ASSERT_TRUE(host.runUntil([&] { return host.exited; }, 1500));
    EXPECT_EQ(host.loaded.size(), 1u);
}

TEST_F(ClockTest, UserTimeoutClosesABrowsedTutorialPage) {
    settings.userTimeout = 30;
    settings.tutorialEnabled = true;
    script = {{"T0.INF", 0, 3}, {"T1.INF", 0, 3}, {"T2.INF", 0, 3}, {"T3.INF", 0, 3},
              {"T4.INF", 0, 3}};
    make();
    clock->setUp();
    startAndFlash();
    clock->startTutorialBrowsing();
    tick();
    ASSERT_EQ(host.tutorialsOpened.size(), 1u);
    EXPECT_TRUE(clock->held);
    EXPECT_EQ(clock->userCountdown, 3);
    host.runFor(3100);
    EXPECT_FALSE(host.tutorial.exists);
    EXPECT_FALSE(clock->tutorialBrowsing);
    EXPECT_FALSE(clock->held);
    EXPECT_GE(clock->userCountdown, 29);   // the user time-out again
    host.runFor(5000);
    EXPECT_EQ(host.tutorialsOpened.size(), 1u);   // not reopened
}

TEST_F(ClockTest, WithoutTheWelcomeScreenTheMapComesAfterOneMillisecond) {
    settings.showWelcomeScreen = false;
    make();
    clock->setUp();
    EXPECT_EQ(clock->pendingAction, kLeaveWelcomeAction);
    EXPECT_EQ(host.interval(kActionTimer), 1);
    EXPECT_TRUE(host.armed(kSecondTimer));
    EXPECT_EQ(host.interval(kSecondTimer), 1000);
    host.runFor(1);
    EXPECT_EQ(host.mapsShown, 1);
    EXPECT_FALSE(host.welcome);
    EXPECT_EQ(clock->pendingAction, kNoAction);
}

TEST_F(ClockTest, ARefusedTimerStopsItsPhase) {
    make();
    host.refuseTimers = true;
    start();
    EXPECT_FALSE(clock->timerArmed[kFlashTimer]);
    host.runFor(5000);
    EXPECT_TRUE(host.flashSizes.empty());
    EXPECT_FALSE(clock->timerArmed[kTickTimer]);

    host.refuseTimers = false;
    startAndFlash();
    host.refuseTimers = true;   // the tick cannot re-arm: the run stands
    tick();
    const float t = clock->simTime;
    EXPECT_FALSE(clock->timerArmed[kTickTimer]);
    host.runFor(5000);
    EXPECT_EQ(clock->simTime, t);
}

TEST_F(ClockTest, TheTickIntervalStaysWithinThirtySeconds) {
    settings.clockTickMs = 45000;
    make();
    startAndFlash();
    EXPECT_EQ(clock->tickMs, 30000);
    EXPECT_EQ(host.interval(kTickTimer), 30000);
    host.tickCost = 40000;   // the drawing takes longer still
    for (int i = 0; i < 4; ++i) tick();
    EXPECT_EQ(clock->tickMs, 30000);
    EXPECT_EQ(settings.clockTickMs, 30000);

    settings.clockTickMs = 0;   // never a timer that is refused for its interval
    start("b.evt");
    ASSERT_TRUE(host.runUntil([&] { return host.armed(kTickTimer); }, 5000));
    EXPECT_EQ(host.interval(kTickTimer), 1);
}

TEST_F(ClockTest, AnUnreadableNextScriptEventMovesOnAfterOnePause) {
    settings.runScript = true;
    settings.secondsToPauseAtEnd = 2;
    run.timeLimit = 20;
    catalogue.add(eventNamed("a.evt"));
    catalogue.add(eventNamed("bad.evt"));
    catalogue.add(eventNamed("c.evt"));
    host.loader = [](const std::string& f) { return f != "bad.evt"; };
    make();
    clock->setUp();
    startAndFlash();
    ASSERT_TRUE(host.runUntil([&] { return host.loaded.size() == 2; }, 20000));
    EXPECT_EQ(host.loaded.back(), "bad.evt");
    const uint32_t failedAt = host.now;
    EXPECT_TRUE(host.armed(kTickTimer));   // the old run stays
    ASSERT_TRUE(host.runUntil([&] { return host.loaded.size() == 3; }, 10000));
    EXPECT_EQ(host.loaded.back(), "c.evt");
    EXPECT_EQ(clock->scriptIndex, 2);
    EXPECT_LE(host.now - failedAt, 3100u);
    EXPECT_TRUE(host.armed(kFlashTimer));
}

TEST_F(ClockTest, FirstTickStopsTheFlashMusic) {
    make();
    startAndFlash();
    ASSERT_EQ(host.sounds.back(), "open midi");
    tick();
    EXPECT_EQ(host.sounds.back(), "stop");
    tick();
    EXPECT_EQ(host.sounds.back(), "stop");
    EXPECT_EQ(host.count(host.sounds, "stop"), 2);   // flash end, first tick
}

}  // namespace
