// The seismograms of the selected station components as horizontal traces,
// growing tick by tick inside a time window that jumps forward by half its
// length, with the time axis and the arrival marks (and arrival sounds).
//
// The view draws into its own picture of the client size; a tick adds only
// the new trace segments and marks to it and asks the window to show the
// area that changed.
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <utility>
#include <vector>

class FaceButton;
class QPainter;
struct KSAC;
struct RunState;

class SeismogramView : public QWidget {
    Q_OBJECT
public:
    SeismogramView(QWidget* parent, RunState& run);
    ~SeismogramView() override;

    // Fits the view to the client size, time window and traces, clears it
    // and prepares every trace; true with at least one trace.
    bool reset(float t);
    // Advances the drawing to t seconds after the origin.
    void tick(float t);
    // The next tick redraws everything (a changed time window).
    void invalidateView();
    bool fullRedrawPending() const { return fullRedrawPending_; }
    FaceButton* infoButton() const { return info_; }

    // What the view shows, for tests and the bitmap of "Make bitmap...".
    const QImage& picture() const { return screen_; }
    float windowStartTime() const { return ws_; }
    float lastDrawnTime() const { return tl_; }
    float pixelsPerSecond() const { return sx_; }
    // Pixel x of a time in the current window.
    int xOf(float t) const { return static_cast<int>((t - ws_) * sx_); }
    // Baseline of trace i (after reset).
    int baselineOf(int i) const;
    int traceCount() const { return static_cast<int>(traces_.size()); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void placeInfoButton();

private:
    struct Trace {
        KSAC* k = nullptr;
        int baseline = 0;
        QPoint last;
        bool continuing = false;
        float dt = 0;       // sample interval; 0: the trace cannot be drawn
        int npts = 0;
    };

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
    FaceButton* info_ = nullptr;
    bool fullRedrawPending_ = true;
    QImage screen_;
    QFont labelFont_;
    std::vector<Trace> traces_;
    std::vector<QPoint> points_;   // one trace's polyline, reused
    std::vector<std::pair<long long, int>> marks_;   // (step, phase) of a full redraw
    float sx_ = 0, ws_ = 0, tl_ = 0;
    int tw_ = 1800;
    QRect dirty_;
};
