// The globe: the Earth seen from above a point of the equator, with the
// event's marks and, tick by tick, the wavefronts on its surface.
#pragma once

#include "views/EventView.h"
#include "views/ViewGeometry.h"
#include "views/ViewPane.h"

#include <QPoint>
#include <QString>

#include <array>

struct RunState;

class GlobeView : public ViewPane, public EventView {
    Q_OBJECT
public:
    GlobeView(QWidget* parent, RunState& run, const ViewContext& context);

    // The view angle brought to a multiple of 45 in 0..315.
    static int snapViewAngle(int angle);
    // "earth%d.bmp" of the (snapped) view angle of the run.
    QString pictureFileName() const;

    // Loads the globe picture for the run's view angle (snapping the angle in
    // the run) into both pictures; false when it cannot be read.
    bool loadPicture();
    // Full redraw: frame, globe picture, event marks and Info button; fills
    // both pictures.
    void redraw() override;
    // Draws the wavefronts for t seconds after the origin on the working picture.
    void tick(float t) override;
    // Erases the previous epicentre disc and draws one of this size, when the
    // epicentre is on the visible side.
    void flash(float size) override;
    // Lays the pane out and loads the globe picture of the run.
    bool resetForRun(std::string& text, std::string& caption) override;
    void present() override { presentWorking(); }
    void restore() override { restoreClean(); }
    // Unit-sphere coordinates of a surface point; (0, 0) on the far side.
    QPointF project(float latitude, float longitude) const;
    // The pixel (logical) of a unit-sphere point.
    QPoint pixelOf(QPointF unit) const;

    int penWidth() const { return penWidth_; }
    float step() const { return surfaceStep_; }

protected:
    // The event block, stations and epicentre star on the screen surface.
    void drawMarks(QPainter& screen);
    bool rebuildPictures() override;
    void redrawLastTick() override;

private:
    // One wavefront circle on the working picture.
    void drawCircle(QPainter& p, float distance, const QColor& colour, int width,
                    const char* label);

    RunState& run_;
    int penWidth_ = 1;
    float surfaceStep_ = 1;
    CircleArcs arcs_;   // reused by every circle
};
