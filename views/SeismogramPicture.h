// The seismograms of the selected station components as horizontal traces,
// growing tick by tick inside a time window that jumps forward by half its
// length, with the time axis and the arrival marks (and arrival sounds),
// drawn into a picture of a given size. Plain drawing: no window is needed,
// the seismogram view shows the picture and repaints what a tick changed.
#pragma once

#include "views/ViewContext.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <utility>
#include <vector>

class QColor;
class QPainter;
struct KSAC;
struct RunState;

class SeismogramPicture {
public:
    SeismogramPicture(RunState& run, const ViewContext& context);
    ~SeismogramPicture();
    SeismogramPicture(const SeismogramPicture&) = delete;
    SeismogramPicture& operator=(const SeismogramPicture&) = delete;

    // A new, white picture when the size changes (nothing drawn is kept).
    void setSize(QSize size);
    QSize size() const { return size_; }
    // The font of the axis and of the marks of later ticks.
    void setFont(const QFont& font) { font_ = font; }

    // Fits the time window and traces to the picture, clears it and
    // prepares every trace; true with at least one trace.
    bool reset(float t);
    // Advances the drawing to t seconds after the origin; returns the
    // rectangle of the picture that changed (empty when nothing did).
    QRect tick(float t);
    // The next tick redraws everything (a changed time window).
    void invalidate() { fullRedrawPending_ = true; }
    bool fullRedrawPending() const { return fullRedrawPending_; }

    const QImage& image() const { return image_; }
    float windowStartTime() const { return ws_; }
    float lastDrawnTime() const { return tl_; }
    float pixelsPerSecond() const { return sx_; }
    // Pixel x of a time in the current window.
    int xOf(float t) const { return static_cast<int>((t - ws_) * sx_); }
    // Baseline of trace i (after reset).
    int baselineOf(int i) const;
    int traceCount() const { return static_cast<int>(traces_.size()); }

private:
    struct Trace {
        KSAC* k = nullptr;
        int baseline = 0;
        QPoint last;
        bool continuing = false;
        float dt = 0;   // sample interval; 0: the trace cannot be drawn
        int npts = 0;
    };

    QRect rect() const { return QRect(QPoint(0, 0), size_); }
    void fullRedraw(QPainter& p, float t);
    // The polyline in points_, black, one pixel wide.
    void drawTrace();
    void drawAxis(QPainter& p, float a, float b);
    // Marks of the phases arriving at second s on a trace at pixel x.
    void arrivalCheck(QPainter& p, int x, int second, const Trace& trace, bool withSound);
    void arrivalMark(QPainter& p, int x, const Trace& trace, const char* label,
                     const QColor& colour, bool withSound);
    int timeWindow() const;

    RunState& run_;
    ViewContext context_;
    QSize size_;
    QImage image_;
    QFont font_;
    QFont labelFont_;
    bool fullRedrawPending_ = true;
    std::vector<Trace> traces_;
    std::vector<QPoint> points_;                     // one trace's polyline, reused
    std::vector<std::pair<long long, int>> marks_;   // (step, phase) of a full redraw
    float sx_ = 0, ws_ = 0, tl_ = 0;
    int tw_ = 1800;
    QRect dirty_;
};
