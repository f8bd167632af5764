// The cross-section: a slice through the Earth along the great circles
// through the epicentre, with the wavefronts of the selected phases.
#pragma once

#include "views/ViewPane.h"

struct RunState;

class CrossSectionView : public ViewPane {
    Q_OBJECT
public:
    static constexpr int kInfoCommand = 1040;   // "XS.INF"

    CrossSectionView(QWidget* parent, RunState& run);

    // Full redraw: frame, disc, legend, stations, hypocentre and Info button;
    // fills both pictures (createPictures() of the pane comes first).
    void redraw();
    // Opens the ray-path tables for the run's depth (start of a run).
    void openRayTables();
    // Draws the fronts of whole second t on the working picture; false only
    // when t < 1.
    bool tick(int t);
    // Erases the previous hypocentre disc and draws one of this size.
    void flash(float size);
    // The hypocentre in logical pixels.
    QPoint hypocentre() const;

protected:
    // Disc, legend, region names, stations and hypocentre on the screen surface.
    void drawBackground(QPainter& screen);

private:
    RunState& run_;
};
