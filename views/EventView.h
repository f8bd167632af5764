// What the clock asks of each view of an event screen: the globe, the
// cross-section and the seismograms. The clock calls these for every view the
// layout holds, in the layout's order, and knows nothing else of them; a view
// leaves out what does not concern it (the seismograms have no flash).
#pragma once

#include <string>

class EventView {
public:
    virtual ~EventView() = default;

    // Fits the view to its pane and makes its pictures for a new run (or the
    // same run in a new layout). False when that failed; `text` and
    // `caption` then say what to tell the user.
    virtual bool resetForRun(std::string& text, std::string& caption) = 0;
    // Draws the run's background and marks afresh, at the origin time.
    virtual void redraw() = 0;
    // One step of the epicentre flash; the size shrinks to 0 as it ends.
    virtual void flash(float size) { (void)size; }
    // The first tick after the flash (or a resume) is about to be drawn.
    virtual void startRun() {}
    // Draws, off-screen, what t seconds after the origin adds.
    virtual void tick(float t) = 0;
    // Shows what the last tick drew.
    virtual void present() {}
    // Back to the picture of the run's start, for a replay from the flash.
    virtual void restore() = 0;
};
