// The seismograms of the selected station components as horizontal traces,
// growing tick by tick inside a time window.
#pragma once

#include <QWidget>

class FaceButton;
struct RunState;

class SeismogramView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kInfoCommand = 1039;   // "SEIS.INF"

    SeismogramView(QWidget* parent, RunState& run);

    // Fits the view to the client size, time window and traces, clears it
    // and prepares every trace (their baselines); true with at least one trace.
    bool reset(float t);
    // Advances the drawing to t seconds after the origin.
    void tick(float t);
    // The next tick redraws everything (paint, a changed time window).
    void invalidateView();
    bool fullRedrawPending() const { return fullRedrawPending_; }
    FaceButton* infoButton() const { return info_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void placeInfoButton();

private:
    RunState& run_;
    FaceButton* info_ = nullptr;
    bool fullRedrawPending_ = true;
};
