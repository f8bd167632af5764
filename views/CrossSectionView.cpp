#include "views/CrossSectionView.h"

#include "data/RunSetup.h"

#include <QPainter>

CrossSectionView::CrossSectionView(QWidget* parent, RunState& run)
    : ViewPane(parent, kInfoCommand, Qt::black), run_(run) {}

QPoint CrossSectionView::hypocentre() const {
    return QPoint(0, static_cast<int>(-(1.0f - run_.depth / 6371.0f) * radius()));
}

void CrossSectionView::redraw() {
    {
        QPainter p(&surface(Surface::Screen));
        drawPaneFrame(p, true, 0);
        drawBackground(p);
        placeInfoButton(p);
    }
    copy(Surface::Clean, Surface::Screen);
    copy(Surface::Working, Surface::Screen);
    copy(Surface::Screen, Surface::Clean);
    markPainted();
    update();
}

void CrossSectionView::drawBackground(QPainter&) {
    // Title, legend, Earth disc with the cores, region names, stations and
    // hypocentre: drawn by the cross-section's background (next step of the views).
}

void CrossSectionView::openRayTables() {
    // Ray-path tables for the run's depth: opened by the cross-section's
    // wavefronts (next step of the views).
}

bool CrossSectionView::tick(int t) {
    // Surface-wave arcs and ray-table fronts: drawn by the cross-section's
    // wavefronts (next step of the views).
    return t >= 1;
}

void CrossSectionView::flash(float size) { drawFlash(hypocentre(), size); }
