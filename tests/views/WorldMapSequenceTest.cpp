// The world map's one-second timer: the user time-out and the opening of the
// automatic tutorial, driven second by second without a window.
#include "data/EventCatalogue.h"
#include "data/Settings.h"
#include "views/WorldMapSequence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FakeSequenceHost : public WorldMapSequenceHost {
public:
    std::vector<std::string> log;
    MapTutorialWindowState window;
    bool mainTutorialCleared = false;

    MapTutorialWindowState tutorialWindowState() override { return window; }
    void openTutorialWindow(const std::string& file) override {
        log.push_back("open " + file);
        window = MapTutorialWindowState{true, false, false};
    }
    void destroyTutorialWindow() override {
        log.push_back("destroy");
        window = MapTutorialWindowState{};
    }
    void leaveTutorialMode() override { mainTutorialCleared = true; }
    void click() override { log.push_back("click"); }
    void drawLabel(int index, bool down) override {
        log.push_back((down ? "down " : "up ") + std::to_string(index));
    }
    void startEvent(int index, const std::string& file) override {
        log.push_back("start " + std::to_string(index) + " " + file);
    }
    void exitProgram() override { log.push_back("exit"); }
};

struct Fixture {
    Settings settings;
    EventCatalogue catalogue;
    TutorialScript script;
    FakeSequenceHost host;
    WorldMapSequence sequence{host, settings, catalogue, script};

    Fixture() {
        for (const char* f : {"1990010100.evt", "1995010100.evt", "2000010100.evt"}) {
            EventRecord e;
            e.fileName = f;
            catalogue.add(e);
        }
        script = {{"TUT0.INF", 0, 3}, {"TUT1.INF", 20, 10}, {"TUT2.INF", 200, 0}};
    }
    // Runs `n` seconds and returns what happened in them.
    std::vector<std::string> run(int n) {
        host.log.clear();
        for (int i = 0; i < n; ++i) sequence.secondPassed();
        return host.log;
    }
};

using Log = std::vector<std::string>;

TEST(WorldMapTimeout, StartsTheFirstEventWhenTheUserTimeoutRunsOut) {
    Fixture f;
    f.settings.userTimeout = 5;
    f.sequence.setUp();
    EXPECT_EQ(f.sequence.countdown, 5);
    EXPECT_EQ(f.run(4), Log{});
    EXPECT_EQ(f.run(1), (Log{"start 0 1990010100.evt"}));
    EXPECT_EQ(f.run(10), Log{});   // once only
}

TEST(WorldMapTimeout, ExitsWhenDoneAndWaitsWithoutEventsOrTimeout) {
    Fixture f;
    f.settings.userTimeout = 2;
    f.settings.exitWhenDone = true;
    f.sequence.setUp();
    EXPECT_EQ(f.run(2), (Log{"exit"}));

    Fixture empty;
    empty.catalogue.clear();
    empty.settings.userTimeout = 2;
    empty.sequence.setUp();
    EXPECT_EQ(empty.run(5), Log{});   // nothing to play: the map keeps waiting

    Fixture never;   // no time-out, no tutorial: the map waits for a touch
    never.sequence.setUp();
    EXPECT_EQ(never.sequence.countdown, 0);
    EXPECT_EQ(never.run(100), Log{});
}

TEST(WorldMapTimeout, InformationButtonRestartsTheCountdown) {
    Fixture f;
    f.settings.userTimeout = 5;
    f.sequence.setUp();
    f.run(3);
    f.sequence.restartCountdown();
    EXPECT_EQ(f.run(4), Log{});
    EXPECT_EQ(f.run(1), (Log{"start 0 1990010100.evt"}));
}

TEST(WorldMapTutorial, OpeningSequenceSecondBySecond) {
    Fixture f;
    f.settings.tutorialMode = true;
    f.settings.tutorialEvent = "1995010100.EVT";
    f.sequence.setUp();
    EXPECT_EQ(f.sequence.countdown, 1);

    // Second 1: the first tutorial page, shown for its stay time (3 s).
    EXPECT_EQ(f.run(1), (Log{"open TUT0.INF"}));
    EXPECT_EQ(f.run(1), Log{});
    EXPECT_EQ(f.run(1), Log{});
    // Second 4: the page's time is up.
    EXPECT_EQ(f.run(1), (Log{"destroy"}));
    // Second 5: the tutorial event's label is pressed, 6: released, 7: started.
    EXPECT_EQ(f.run(1), (Log{"click", "down 1"}));
    EXPECT_EQ(f.run(1), (Log{"up 1"}));
    EXPECT_EQ(f.run(1), (Log{"start 1 1995010100.evt"}));
    EXPECT_TRUE(f.settings.tutorialMode);   // the run goes on with the tutorial
}

TEST(WorldMapTutorial, OpensTheFirstPageAfterOneSecondWhateverTheTimeout) {
    Fixture f;
    f.settings.tutorialMode = true;
    f.settings.userTimeout = 60;
    f.sequence.setUp();
    EXPECT_EQ(f.sequence.countdown, 1);
    EXPECT_EQ(f.run(1), (Log{"open TUT0.INF"}));
    // The main window passes no time-out to a map in tutorial mode; one it
    // did pass would take over the countdown.
    f.sequence.setUserTimeout(0);
    EXPECT_EQ(f.run(3), (Log{"destroy"}));
    EXPECT_EQ(f.run(3), (Log{"click", "down 0", "up 0", "start 0 1990010100.evt"}));
}

TEST(WorldMapTutorial, ContinueEndsThePageEarlyAndCancelLeavesTheTutorial) {
    Fixture f;
    f.settings.tutorialMode = true;
    f.sequence.setUp();
    f.run(1);
    f.host.window.done = true;   // Continue
    EXPECT_EQ(f.run(1), (Log{"destroy"}));
    EXPECT_EQ(f.run(3), (Log{"click", "down 0", "up 0", "start 0 1990010100.evt"}));

    Fixture c;
    c.settings.tutorialMode = true;
    c.settings.userTimeout = 30;
    c.sequence.setUp();
    c.run(1);
    c.host.window.done = true;
    c.host.window.cancelled = true;
    EXPECT_EQ(c.run(1), (Log{"destroy"}));
    EXPECT_FALSE(c.settings.tutorialMode);
    EXPECT_TRUE(c.host.mainTutorialCleared);
    EXPECT_EQ(c.sequence.countdown, 29);   // restarted at 30, this second counted
    EXPECT_EQ(c.sequence.step, 0);
    EXPECT_EQ(c.run(28), Log{});
    EXPECT_EQ(c.run(1), (Log{"start 0 1990010100.evt"}));   // an ordinary time-out now
}

TEST(WorldMapTutorial, PageClosedByATouchLeavesTheTutorial) {
    Fixture f;
    f.settings.tutorialMode = true;
    f.sequence.setUp();
    f.run(1);
    f.host.window = MapTutorialWindowState{};   // the touch destroyed it
    EXPECT_EQ(f.run(1), Log{});
    EXPECT_FALSE(f.settings.tutorialMode);
    EXPECT_EQ(f.sequence.countdown, 0);   // no user time-out: the map waits
    EXPECT_EQ(f.run(60), Log{});
}

TEST(WorldMapTutorial, PageWithoutStayTimeClosesAfterOneSecond) {
    Fixture f;
    f.settings.tutorialMode = true;
    f.script[0].stayFor = 0;
    f.sequence.setUp();
    EXPECT_EQ(f.run(1), (Log{"open TUT0.INF"}));
    EXPECT_EQ(f.run(1), (Log{"destroy"}));
    EXPECT_EQ(f.run(1), (Log{"click", "down 0"}));
}

}  // namespace
