#include "views/GlobeView.h"

#include "data/RunSetup.h"
#include "data/Settings.h"
#include "fileio/FileSystem.h"
#include "seismology/SphericalGeometry.h"
#include "views/DrawText.h"

#include <QPainter>

#include <algorithm>

namespace {
const QColor kLightRed(255, 0, 0);
const QColor kLightCyan(0, 255, 255);
const QColor kLightYellow(255, 255, 0);

QColor colourOf(FrontColour c) {
    switch (c) {
    case FrontColour::LightRed: return kLightRed;
    case FrontColour::LightCyan: return kLightCyan;
    case FrontColour::LightYellow: return kLightYellow;
    }
    return kLightRed;
}
}   // namespace

GlobeView::GlobeView(QWidget* parent, RunState& run, const ViewContext& context)
    : ViewPane(parent, Command::GlobeInfo, Qt::black, context), run_(run) {}

int GlobeView::snapViewAngle(int angle) {
    const int a = ((angle / 45) % 8) * 45;
    return wrapAngle(static_cast<int16_t>(a), 360);
}

QString GlobeView::pictureFileName() const {
    return QStringLiteral("earth%1.bmp").arg(snapViewAngle(run_.viewAngle));
}

QPointF GlobeView::project(float latitude, float longitude) const {
    const PointF p = projectOrthographic(latitude, longitude, run_.viewAngle);
    return QPointF(p.x, p.y);
}

QPoint GlobeView::pixelOf(QPointF unit) const {
    const float r = radius();
    return QPoint(static_cast<int>(r * static_cast<float>(unit.x())),
                  static_cast<int>(r * static_cast<float>(unit.y())));
}

bool GlobeView::loadPicture() {
    run_.viewAngle = static_cast<int16_t>(snapViewAngle(run_.viewAngle));
    const QImage picture(QString::fromStdString(
        resolvePath(joinPath(run_.directory, pictureFileName().toStdString()))));
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
        p.setFont(font());
        drawMarks(p);
        placeInfoButton(p);
    }
    copy(Surface::Working, Surface::Screen);
    copy(Surface::Clean, Surface::Working);
    penWidth_ = wavefrontPenWidth(radius());
    surfaceStep_ = surfaceStep(radius());
    setLastTickTime(0);
    markPainted();
    update();
}

void GlobeView::drawMarks(QPainter& p) {
    const QColor white(Qt::white);
    // Event block at (5, 5), one line per cell height.
    const QSize cell = context().cell;
    const int h = cell.height();
    p.save();
    p.translate(5, 5);
    const QString lines[5] = {QString::fromStdString(run_.name),
                              QString::fromStdString(run_.dateDisplay),
                              QString::fromStdString(run_.originTimeText),
                              QString::asprintf("Depth: %4.0f", static_cast<double>(run_.depth)),
                              QString::asprintf("Mag: %4.1f", static_cast<double>(run_.magnitude))};
    for (int i = 0; i < 5; ++i) drawText(p, 0, i * h, lines[i], align::LeftTop, white);
    p.restore();

    p.save();
    p.translate(metrics().centre);
    // Stations: once per component, at the same place for every component.
    for (const auto& k : run_.seismograms) {
        if (!k) continue;
        const QPointF u = project(k->stationLatitude, k->stationLongitude);
        if (u.isNull()) continue;
        const QPoint at = pixelOf(u);
        drawShadowText(p, at.x(), at.y(),
                       QStringLiteral("  ") + QString::fromStdString(k->stationName),
                       align::LeftTop, white, true, cell);
        drawShadowText(p, at.x(), at.y(), QStringLiteral("o"), align::CentreTop, white, true, cell);
    }
    const QPointF e = project(run_.latitude, run_.longitude);
    if (!e.isNull()) {
        const QPoint at = pixelOf(e);
        drawShadowText(p, at.x(), at.y(), QStringLiteral("*"), align::CentreTop, white, true, cell);
    }
    p.restore();
}

void GlobeView::drawCircle(QPainter& p, float distance, const QColor& colour, int width,
                           const char* label) {
    circleArcs(run_.latitude, run_.longitude, run_.viewAngle, distance, radius(), arcs_);
    if (arcs_.runs == 0) return;
    // The fronts are solid lines of whole pixels: written straight into the
    // working picture, which is far quicker than the painter's general
    // stroking for the many thin circles of the surface-wave band.
    std::array<QPoint, kCirclePoints> run;
    for (int r = 0; r < arcs_.runs; ++r) {
        const int first = arcs_.runStart[static_cast<std::size_t>(r)];
        const int n = arcs_.runLength[static_cast<std::size_t>(r)];
        for (int i = 0; i < n; ++i) {
            const Pixel& q = arcs_.points[static_cast<std::size_t>(first + i)];
            run[static_cast<std::size_t>(i)] = QPoint(q.x, q.y);
        }
        drawWorkingPolyline(run.data(), n, colour, width);
    }
    if (label && *label && distance > 15 && context().settings.labelPhasesOnEarth) {
        const Pixel at = arcs_.labelPoint();
        const QRect covered = drawShadowText(p, at.x - 2, at.y, QString::fromLatin1(label),
                                             align::CentreTop, colour, true, context().cell);
        markDrawn(covered.adjusted(-1, -1, 1, 1));
    }
}

void GlobeView::tick(float t) {
    setLastTickTime(t);
    if (t == 0 || !hasPictures()) return;
    QPainter p;
    beginDrawing(p, Surface::Working);
    p.setFont(font());
    std::array<GlobeFront, 4> fronts;
    const int n = phaseFronts(run_.tables, t, fronts);
    for (int i = 0; i < n; ++i) {
        const GlobeFront& f = fronts[static_cast<std::size_t>(i)];
        drawCircle(p, f.distance, colourOf(f.colour), penWidth_, f.label);
    }
    const SurfaceBand band = surfaceBand(t, run_.depth, radius());
    if (band.shown) {
        bool first = true;
        for (float d = band.outer; d >= band.inner; d -= band.step) {
            drawCircle(p, d, kLightYellow, 1, first ? "Surface" : "");
            first = false;
        }
    }
}

void GlobeView::flash(float size) {
    const QPointF e = project(run_.latitude, run_.longitude);
    if (e.isNull()) return;
    drawFlash(pixelOf(e), size);
}

bool GlobeView::resetForRun(std::string& text, std::string& caption) {
    layoutPane();
    if (loadPicture()) return true;
    text = "Unable to open file";
    caption = pictureFileName().toStdString();
    return false;
}

bool GlobeView::rebuildPictures() {
    if (!loadPicture()) return false;
    redraw();
    return true;
}

void GlobeView::redrawLastTick() {
    const float t = lastTickTime();
    if (t > 0) tick(t);
}
