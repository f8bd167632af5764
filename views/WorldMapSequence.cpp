#include "views/WorldMapSequence.h"

#include "data/EventCatalogue.h"
#include "data/Settings.h"

#include <algorithm>
#include <climits>

namespace {
int32_t seconds(uint32_t s) { return static_cast<int32_t>(std::min<uint32_t>(s, INT32_MAX)); }
}   // namespace

WorldMapSequence::WorldMapSequence(WorldMapSequenceHost& host, Settings& settings,
                                   const EventCatalogue& catalogue, const TutorialScript& script)
    : host_(host), settings_(settings), catalogue_(catalogue), script_(script) {}

void WorldMapSequence::setUp() {
    // The tutorial opens its first page after one second, whatever the
    // user time-out; the time-out counts only outside the tutorial.
    countdown = settings_.tutorialMode ? 1 : seconds(settings_.userTimeout);
    step = 0;
    tutorialWait = 0;
}

void WorldMapSequence::setUserTimeout(uint32_t s) {
    if (s != 0) countdown = seconds(s);
}

void WorldMapSequence::restartCountdown() {
    if (settings_.userTimeout != 0) countdown = seconds(settings_.userTimeout);
}

void WorldMapSequence::leaveTutorial() {
    settings_.tutorialMode = false;
    host_.leaveTutorialMode();
}

void WorldMapSequence::secondPassed() {
    const MapTutorialWindowState window = host_.tutorialWindowState();
    if (window.exists && window.done && window.cancelled) {
        leaveTutorial();
        countdown = seconds(settings_.userTimeout);
        step = 0;
        host_.destroyTutorialWindow();
    }
    if (countdown == 0) return;
    if (--countdown != 0) return;
    countdownExpired();
}

void WorldMapSequence::countdownExpired() {
    int index = 0;
    if (settings_.tutorialMode) index = catalogue_.findTutorialEvent(settings_);
    const bool haveEvent = index >= 0 && index < catalogue_.count();

    if (settings_.tutorialMode) {
        switch (step) {
        case 0:
            if (!script_.empty()) {
                host_.openTutorialWindow(script_.front().textFile);
                tutorialWait = seconds(script_.front().stayFor);
            }
            countdown = 1;
            ++step;
            return;
        case 1: {
            const MapTutorialWindowState window = host_.tutorialWindowState();
            if (!window.exists) {
                // The page was closed by a touch on the map: the visitor has
                // taken over, the map waits as it does outside the tutorial.
                leaveTutorial();
                countdown = seconds(settings_.userTimeout);
                return;
            }
            if (window.done) {
                if (window.cancelled) leaveTutorial();
                host_.destroyTutorialWindow();
                ++step;
            } else if (--tutorialWait <= 0) {
                // A page without a stay time closes after one second.
                host_.destroyTutorialWindow();
                ++step;
            }
            countdown = 1;
            return;
        }
        case 2:
            if (!haveEvent) return;   // nothing to press: the map waits
            host_.click();
            host_.drawLabel(index, true);
            countdown = 1;
            ++step;
            return;
        case 3:
            if (haveEvent) host_.drawLabel(index, false);
            countdown = 1;
            ++step;
            return;
        default: break;
        }
    }

    if (host_.tutorialWindowState().exists) {
        host_.destroyTutorialWindow();
        countdown = seconds(settings_.userTimeout);
        return;
    }
    if (!settings_.tutorialMode && settings_.exitWhenDone) {
        host_.exitProgram();
        return;
    }
    if (!haveEvent) return;   // an empty catalogue: the map keeps waiting
    host_.startEvent(index, catalogue_.at(index).fileName);
}
