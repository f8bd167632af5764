// The world map's own one-second timer, free of widgets: the countdown after
// which the map starts the first event by itself (or exits), and the opening
// of the automatic tutorial (first tutorial page, the tutorial event's label
// pressed and released, then the event started).
#pragma once

#include "data/InfoText.h"

#include <cstdint>
#include <string>

struct Settings;
class EventCatalogue;

// What the map's tutorial window says (all false when there is none).
struct MapTutorialWindowState {
    bool exists = false;
    bool done = false;        // closed by the user with Continue or Cancel
    bool cancelled = false;   // ... with Cancel
};

// What the sequence asks of the map window.
class WorldMapSequenceHost {
public:
    virtual ~WorldMapSequenceHost() = default;
    virtual MapTutorialWindowState tutorialWindowState() = 0;
    // Opens the tutorial window in its automatic form on a page.
    virtual void openTutorialWindow(const std::string& textFile) = 0;
    // Closes the tutorial window if it is still open, and destroys it.
    virtual void destroyTutorialWindow() = 0;
    // Clears the main window's tutorial state (the sequence clears the
    // tutorialMode setting itself).
    virtual void leaveTutorialMode() = 0;
    virtual void click() = 0;
    virtual void drawLabel(int catalogueIndex, bool down) = 0;
    // Makes the event current (scriptIndex, currentEventFile) and starts it.
    virtual void startEvent(int catalogueIndex, const std::string& fileName) = 0;
    virtual void exitProgram() = 0;
};

class WorldMapSequence {
public:
    WorldMapSequence(WorldMapSequenceHost& host, Settings& settings,
                     const EventCatalogue& catalogue, const TutorialScript& script);

    // Countdown 1 in tutorial mode, else the user time-out; tutorial step 0.
    void setUp();
    // The user time-out the main window sets (0 leaves the countdown as it is).
    void setUserTimeout(uint32_t seconds);
    // The Information button and a cancelled tutorial restart the countdown.
    void restartCountdown();
    // Leaves tutorial mode (a touch on the map, a cancelled tutorial).
    void leaveTutorial();

    // One second of the map's timer.
    void secondPassed();

    int32_t countdown = 0;   // seconds, 0 = off
    int step = 0;            // tutorial step 0..4
    int32_t tutorialWait = 0;

private:
    void countdownExpired();

    WorldMapSequenceHost& host_;
    Settings& settings_;
    const EventCatalogue& catalogue_;
    const TutorialScript& script_;
};
