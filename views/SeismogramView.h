// The seismogram pane: shows the picture of the traces (SeismogramPicture),
// repaints the area a tick changed, places the Info button and takes the
// right click and resizing.
#pragma once

#include "views/EventView.h"
#include "views/SeismogramPicture.h"

#include <QImage>
#include <QWidget>

class FaceButton;
struct RunState;

class SeismogramView : public QWidget, public EventView {
    Q_OBJECT
public:
    SeismogramView(QWidget* parent, RunState& run, const ViewContext& context);
    ~SeismogramView() override;

    // Fits the view to the client size, time window and traces, clears it
    // and prepares every trace; true with at least one trace.
    bool reset(float t);
    // Advances the drawing to t seconds after the origin; a time window
    // changed since the reset starts the view afresh at t instead.
    void tick(float t) override;
    // The layout has placed the view already; the traces come with redraw().
    bool resetForRun(std::string&, std::string&) override { return true; }
    void redraw() override { reset(0); }
    // A replay: everything is drawn again from the origin on the next tick.
    void restore() override { invalidateView(); }
    // The next tick redraws everything (a changed time window).
    void invalidateView();
    bool fullRedrawPending() const { return picture_.fullRedrawPending(); }
    FaceButton* infoButton() const { return info_; }

    // What the view shows, for tests and the bitmap of "Make bitmap...".
    const QImage& picture() const { return picture_.image(); }
    float windowStartTime() const { return picture_.windowStartTime(); }
    float lastDrawnTime() const { return picture_.lastDrawnTime(); }
    float pixelsPerSecond() const { return picture_.pixelsPerSecond(); }
    // Pixel x of a time in the current window.
    int xOf(float t) const { return picture_.xOf(t); }
    // Baseline of trace i (after reset).
    int baselineOf(int i) const { return picture_.baselineOf(i); }
    int traceCount() const { return picture_.traceCount(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void placeInfoButton();

private:
    const RunState& run_;
    ViewContext context_;
    SeismogramPicture picture_;
    int shownWindow_ = 0;   // the run's time window at the last reset
    FaceButton* info_ = nullptr;
};
