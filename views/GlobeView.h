// The globe: the Earth seen from above a point of the equator, with the
// event's marks and, tick by tick, the wavefronts on its surface.
#pragma once

#include "views/ViewPane.h"

#include <QString>

struct RunState;

class GlobeView : public ViewPane {
    Q_OBJECT
public:
    static constexpr int kInfoCommand = 1041;   // "3D.INF"

    GlobeView(QWidget* parent, RunState& run);

    // The view angle brought to a multiple of 45 in 0..315.
    static int snapViewAngle(int angle);
    // "earth%d.bmp" of the (snapped) view angle of the run.
    QString pictureFileName() const;

    // Loads the globe picture for the run's view angle (snapping the angle in
    // the run) into both pictures; false when it cannot be read.
    bool loadPicture();
    // Full redraw: frame, globe picture, event marks and Info button; fills
    // both pictures.
    void redraw();
    // Draws the wavefronts for t seconds after the origin on the working picture.
    void tick(float t);
    // Erases the previous epicentre disc and draws one of this size, when the
    // epicentre is on the visible side.
    void flash(float size);

protected:
    // The event block, stations and epicentre star on the screen surface.
    void drawMarks(QPainter& screen);

private:
    RunState& run_;
};
