// The cross-section: a slice through the Earth along the great circles
// through the epicentre, with the wavefronts of the selected phases.
#pragma once

#include "seismology/RayTable.h"
#include "views/EventView.h"
#include "views/ViewPane.h"

#include <QPoint>
#include <QRect>

#include <vector>

struct RunState;

class CrossSectionView : public ViewPane, public EventView {
    Q_OBJECT
public:
    CrossSectionView(QWidget* parent, RunState& run, const ViewContext& context);

    // Full redraw: frame, disc, legend, stations, hypocentre and Info button;
    // fills both pictures (createPictures() of the pane comes first).
    void redraw() override;
    // Opens the ray-path tables for the run's depth (start of a run).
    bool openRayTables();
    // Draws the fronts of whole second t on the working picture; false only
    // when t < 1.
    bool drawFronts(int t);
    // Erases the previous hypocentre disc and draws one of this size.
    void flash(float size) override;
    // Lays the pane out and creates its pictures.
    bool resetForRun(std::string& text, std::string& caption) override;
    // The picture drawn so far to the screen; the ray tables of the run's depth opened.
    void startRun() override;
    // The fronts of the whole second of t.
    void tick(float t) override { frontsDrawn_ = drawFronts(static_cast<int>(t)); }
    void present() override {
        if (frontsDrawn_) presentWorking();
    }
    void restore() override { restoreClean(); }
    // The hypocentre in logical pixels.
    QPoint hypocentre() const;

    const RayTable& rayTable() const { return table_; }
    // Rectangles of the labels drawn by the last tick, in order.
    const std::vector<QRect>& tickLabels() const { return labels_; }

protected:
    // Disc, legend, region names, stations and hypocentre on the screen surface.
    void drawBackground(QPainter& screen);
    bool rebuildPictures() override;
    void redrawLastTick() override;

private:
    // Marks the rim between d1 and d2 degrees from the top, on both halves,
    // as drawn on the working picture.
    void markRimArcs(float d1, float d2, int rimRadius, int penWidth);

    RunState& run_;
    bool frontsDrawn_ = false;   // the last tick drew on the working picture
    RayTable table_;
    std::vector<QPoint> points_;   // one record's pixels, reused
    std::vector<QPoint> mirror_;   // the same, handed to the drawing
    std::vector<QRect> labels_;    // labels of the current tick
};
