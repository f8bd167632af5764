// The seismogram pane: shows the picture of the traces (SeismogramPicture),
// repaints the area a tick changed, places the Info button and takes the
// right click and resizing.
#pragma once

#include "views/SeismogramPicture.h"

#include <QImage>
#include <QWidget>

class FaceButton;
struct RunState;

class SeismogramView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kInfoCommand = 1039;   // "SEIS.INF"

    SeismogramView(QWidget* parent, RunState& run, const ViewContext& context);
    ~SeismogramView() override;

    // Fits the view to the client size, time window and traces, clears it
    // and prepares every trace; true with at least one trace.
    bool reset(float t);
    // Advances the drawing to t seconds after the origin.
    void tick(float t);
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
    ViewContext context_;
    SeismogramPicture picture_;
    FaceButton* info_ = nullptr;
};
