// The world map's one-second timer: the user time-out and the opening of the
// automatic tutorial, driven second by second without a window.
#include "data/EventCatalogue.h"
#include "data/Settings.h"
#include "views/WorldMapSequence.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

struct FakeSequenceHost : WorldMapSequenceHost {
    Log log;
    MapTutorialWindowState window;
    bool mainTutorialCleared = false;
    MapTutorialWindowState tutorialWindowState() override { return window; }
    void openTutorialWindow(const std::string& file) override { log.push_back("open " + file), window = {true, false, false}; }
    void destroyTutorialWindow() override { log.push_back("destroy"), window = {}; }
    void leaveTutorialMode() override { mainTutorialCleared = true; }
    void click() override { log.push_back("click"); }
    void drawLabel(int index, bool down) override { log.push_back((down ? "down " : "up ") + std::to_string(index)); }
    void startEvent(int i, const std::string& file) override { log.push_back("start " + std::to_string(i) + " " + file); }
    void exitProgram() override { log.push_back("exit"); }
};

struct Fixture {
    Settings settings;
    EventCatalogue catalogue;
    TutorialScript script{{"TUT0.INF", 0, 3}, {"TUT1.INF", 20, 10}, {"TUT2.INF", 200, 0}};
    FakeSequenceHost host;
    WorldMapSequence sequence{host, settings, catalogue, script};

    // Set up with the time-out, the tutorial mode and whatever `prepare` changes first.
    Fixture(int timeout, bool tutorial = false, const std::function<void(Fixture&)>& prepare = {}) {
        for (const char* file : {"1990010100.evt", "1995010100.evt", "2000010100.evt"}) {
            EventRecord e;
            e.fileName = file;
            catalogue.add(e);
        }
        std::tie(settings.userTimeout, settings.tutorialMode) = std::pair(timeout, tutorial);
        if (prepare) prepare(*this);
        sequence.setUp();
    }
    // Runs `n` seconds and returns what happened in them.
    Log run(int n) {
        host.log.clear();
        for (int i = 0; i < n; ++i) sequence.secondPassed();
        return host.log;
    }
};

const Log kStartFirst{"start 0 1990010100.evt"};

TEST(WorldMapTimeout, StartsTheFirstEventOnceExitsWhenDoneAndOtherwiseWaits) {
    Fixture f(5);
    EXPECT_EQ(f.run(3), Log{});
    f.sequence.restartCountdown();   // the information button
    EXPECT_EQ(f.run(4), Log{});
    EXPECT_EQ(f.run(1), kStartFirst);
    EXPECT_EQ(f.run(10), Log{});   // once only

    EXPECT_EQ(Fixture(2, false, [](Fixture& d) { d.settings.exitWhenDone = true; }).run(2), (Log{"exit"}));
    EXPECT_EQ(Fixture(2, false, [](Fixture& e) { e.catalogue.clear(); }).run(5), Log{});   // nothing to play: it waits

    Fixture never(0);   // no time-out, no tutorial: the map waits for a touch
    never.sequence.restartCountdown();
    EXPECT_EQ(never.sequence.countdown, 0);
    EXPECT_EQ(never.run(100), Log{});
}

TEST(WorldMapTutorial, OpeningSequenceSecondBySecond) {
    Fixture f(60, true, [](Fixture& t) { t.settings.tutorialEvent = "1995010100.EVT"; });
    EXPECT_EQ(f.sequence.countdown, 1);   // whatever the time-out
    // The first page for its stay time (3 s), then the tutorial event's label
    // pressed, released and started.
    EXPECT_EQ(f.run(1), (Log{"open TUT0.INF"}));
    // The main window passes no time-out to a map in tutorial mode.
    f.sequence.setUserTimeout(0);
    const Log seconds[] = {{}, {}, {"destroy"}, {"click", "down 1"}, {"up 1"}, {"start 1 1995010100.evt"}};
    for (const Log& expected : seconds) EXPECT_EQ(f.run(1), expected);
    EXPECT_TRUE(f.settings.tutorialMode);   // the run goes on with the tutorial

    Fixture zero(0, true, [](Fixture& z) { z.script[0].stayFor = 0; });   // a page without stay time closes after one second
    EXPECT_EQ(zero.run(3), (Log{"open TUT0.INF", "destroy", "click", "down 0"}));
}

TEST(WorldMapTutorial, ContinueEndsThePageEarlyCancelOrATouchLeavesTheTutorial) {
    Fixture f(0, true);
    f.run(1);
    f.host.window.done = true;   // Continue
    EXPECT_EQ(f.run(1), (Log{"destroy"}));
    EXPECT_EQ(f.run(3), (Log{"click", "down 0", "up 0", "start 0 1990010100.evt"}));

    Fixture c(30, true);
    c.run(1);
    c.host.window.done = c.host.window.cancelled = true;
    EXPECT_EQ(c.run(1), (Log{"destroy"}));
    EXPECT_FALSE(c.settings.tutorialMode || !c.host.mainTutorialCleared);
    EXPECT_EQ(std::tuple(c.sequence.countdown, c.sequence.step), std::tuple(29, 0));   // restarted at 30, this second counted
    EXPECT_EQ(c.run(28), Log{});
    EXPECT_EQ(c.run(1), kStartFirst);   // an ordinary time-out now

    Fixture t(0, true);
    t.run(1);
    t.host.window = MapTutorialWindowState{};   // the touch destroyed the page
    EXPECT_EQ(t.run(1), Log{});
    EXPECT_FALSE(t.settings.tutorialMode || t.sequence.countdown != 0);   // no user time-out: the map waits
    EXPECT_EQ(t.run(60), Log{});
}

}   // namespace
