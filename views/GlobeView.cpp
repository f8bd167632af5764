#include "views/GlobeView.h"

#include "data/FileSystem.h"
#include "data/RunSetup.h"
#include "seismology/SphericalGeometry.h"

#include <QPainter>

GlobeView::GlobeView(QWidget* parent, RunState& run)
    : ViewPane(parent, kInfoCommand, Qt::black), run_(run) {}

int GlobeView::snapViewAngle(int angle) {
    const int a = ((angle / 45) % 8) * 45;
    return wrapAngle(static_cast<int16_t>(a), 360);
}

QString GlobeView::pictureFileName() const {
    return QStringLiteral("earth%1.bmp").arg(snapViewAngle(run_.viewAngle));
}

bool GlobeView::loadPicture() {
    run_.viewAngle = static_cast<int16_t>(snapViewAngle(run_.viewAngle));
    const QImage picture(QString::fromStdString(resolvePath(pictureFileName().toStdString())));
    if (picture.isNull() || picture.height() == 0) return false;
    if (!createPictures()) return false;
    {
        QPainter p;
        beginDrawing(p, Surface::Working);
        p.fillRect(metrics().pictureRect, Qt::black);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(metrics().globeBox, picture);
    }
    surface(Surface::Clean) = surface(Surface::Working).copy();
    return true;
}

void GlobeView::redraw() {
    {
        QPainter p(&surface(Surface::Screen));
        drawPaneFrame(p, true, 0);
    }
    copy(Surface::Screen, Surface::Working);
    {
        QPainter p(&surface(Surface::Screen));
        drawMarks(p);
        placeInfoButton(p);
    }
    copy(Surface::Working, Surface::Screen);
    copy(Surface::Clean, Surface::Working);
    markPainted();
    update();
}

void GlobeView::drawMarks(QPainter&) {
    // Event block, station marks and the epicentre star: drawn by the globe's
    // marks (next step of the views).
}

void GlobeView::tick(float) {
    // Wavefront circles of P, PP, S, SS and the surface waves: drawn by the
    // globe's wavefronts (next step of the views).
}

void GlobeView::flash(float size) {
    const PointF p = projectOrthographic(run_.latitude, run_.longitude, run_.viewAngle);
    if (p.x == 0 && p.y == 0) return;
    const int r = radius();
    drawFlash(QPoint(static_cast<int>(r * p.x), static_cast<int>(r * p.y)), size);
}
