#include "views/CrossSectionView.h"

#include "data/RunSetup.h"
#include "data/Settings.h"
#include "seismology/SphericalGeometry.h"
#include "views/DrawText.h"
#include "views/ViewGeometry.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
const QColor kLightRed(255, 0, 0);
const QColor kLightCyan(0, 255, 255);
const QColor kLightYellow(255, 255, 0);
const QColor kGrey(128, 128, 128);

QColor legColour(int16_t legType) {
    if (legType == 1) return kLightRed;
    if (legType == 2) return kLightCyan;
    return Qt::black;
}

// The angle of a rim point at d degrees clockwise from the top, counted
// counter-clockwise from three o'clock, in sixteenths of a degree.
int rimAngle16(float degreesFromTop) { return static_cast<int>((90.0f - degreesFromTop) * 16.0f); }
}   // namespace

CrossSectionView::CrossSectionView(QWidget* parent, RunState& run, const ViewContext& context)
    : ViewPane(parent, Command::CrossSectionInfo, Qt::black, context), run_(run) {}

QPoint CrossSectionView::hypocentre() const {
    const Pixel h = hypocentrePixel(run_.depth, radius());
    return QPoint(h.x, h.y);
}

void CrossSectionView::redraw() {
    {
        QPainter p(&surface(Surface::Screen));
        p.setFont(font());
        drawPaneFrame(p, true, 0);
        drawBackground(p);
        placeInfoButton(p);
    }
    copy(Surface::Clean, Surface::Screen);
    copy(Surface::Working, Surface::Screen);
    copy(Surface::Screen, Surface::Clean);
    setLastTickTime(0);
    markPainted();
    update();
}

void CrossSectionView::drawBackground(QPainter& p) {
    const QColor white(Qt::white);
    const QSize cell = context().cell;
    const int cw = cell.width(), ch = cell.height();
    const PaneMetrics& m = metrics();

    // Title and legend, from the client's top-left.
    drawShadowText(p, m.client.width() / 2, m.client.height() - ch,
                   QStringLiteral("Earth Cross-Section"), align::CentreBaseline, white, false,
                   cell);
    const struct {
        QColor colour;
        const char* text;
    } legend[3] = {{kLightYellow, "Surface"}, {kLightRed, "P"}, {kLightCyan, "S"}};
    for (int k = 1; k <= 3; ++k) {
        const int y = k * ch;
        QPen pen(legend[k - 1].colour);
        pen.setWidth(2);
        p.setPen(pen);
        p.drawLine(cw, y, 3 * cw, y);
        drawShadowText(p, 4 * cw, y, QString::fromLatin1(legend[k - 1].text), align::LeftBaseline,
                       legend[k - 1].colour, false, cell);
    }

    p.save();
    p.translate(m.centre);
    const int R = radius();
    const int c = coreRadius(R), i = innerCoreRadius(c);
    QPen rim(Qt::white);
    rim.setWidth(2);
    p.setPen(rim);
    p.setBrush(kGrey);
    p.drawEllipse(QRect(-R + 1, -R + 1, 2 * R - 2, 2 * R - 2));
    QPen core(Qt::black);
    core.setWidth(2);
    p.setPen(core);
    p.drawEllipse(QRect(-c, -c, 2 * c, 2 * c));
    p.drawEllipse(QRect(-i, -i, 2 * i, 2 * i));
    p.setBrush(Qt::NoBrush);

    drawShadowText(p, 0, (-i) / 2, QStringLiteral("Inner"), align::CentreTop, white, true, cell);
    drawShadowText(p, 0, i / 2, QStringLiteral("Core"), align::CentreTop, white, true, cell);
    drawShadowText(p, 0, -(i + c) / 2, QStringLiteral("Outer Core"), align::CentreTop, white, true,
                   cell);
    drawShadowText(p, 0, -(R + c) / 2, QStringLiteral("Mantle"), align::CentreTop, white, true,
                   cell);

    // Stations along the left rim, one mark per run of components.
    const QFontMetrics fm = p.fontMetrics();
    std::vector<StationLabelInput> inputs;
    std::vector<QString> labels;
    for (const auto& k : run_.seismograms) {
        if (!k) continue;
        float distance = k->header.f[GCARC];
        // Unset (negative) or unreadable: computed from the coordinates.
        if (!(distance >= 0) || !std::isfinite(distance)) {
            distance = greatCircle(k->stationLatitude, k->stationLongitude, run_.latitude,
                                   run_.longitude)
                           .distance;
            k->header.f[GCARC] = distance;
        }
        const QString label = QString::fromStdString(k->stationName) + QLatin1Char(' ');
        inputs.push_back({k->stationName, distance, fm.horizontalAdvance(label), fm.height()});
        labels.push_back(label);
    }
    for (const StationPlacement& s : placeStationLabels(inputs, R, m.halfPictureWidth, cw)) {
        drawShadowText(p, s.label.x, s.label.y, labels[s.input], align::LeftTop, white, true, cell);
        drawShadowText(p, s.mark.x, s.mark.y, QStringLiteral("o"), align::CentreTop, white, true,
                       cell);
    }

    const QPoint h = hypocentre();
    drawShadowText(p, h.x(), h.y(), QStringLiteral("*"), align::CentreTop, white, true, cell);
    p.restore();
}

bool CrossSectionView::openRayTables() { return table_.openRayTable(run_.depth, run_.directory); }

void CrossSectionView::markRimArcs(float d1, float d2, int rimRadius, int penWidth) {
    // Both arcs, as short chords of the rim, each with the pen's reach.
    const float r = static_cast<float>(rimRadius);
    const float stepDegrees = std::max(0.25f,
                                       static_cast<float>(8.0f / std::max(r, 1.0f) / kDegToRad));
    const int pad = penWidth + 2;
    const int steps = std::min(4000, static_cast<int>((d2 - d1) / stepDegrees) + 1);
    auto rim = [r](float d) {
        const float a = d * kDegToRad;
        return QPoint(static_cast<int>(r * std::sin(a)), static_cast<int>(-r * std::cos(a)));
    };
    QPoint previous = rim(d1);
    for (int k = 1; k <= steps; ++k) {
        const QPoint next = rim(k == steps ? d2 : d1 + static_cast<float>(k) * stepDegrees);
        const QRect chord = QRect(previous, next).normalized().adjusted(-pad, -pad, pad, pad);
        markDrawn(chord);
        markDrawn(QRect(-chord.right(), chord.top(), chord.width(), chord.height()));
        previous = next;
    }
}

bool CrossSectionView::drawFronts(int t) {
    if (t < 1) return false;
    setLastTickTime(static_cast<float>(t));
    if (!hasPictures()) return true;
    QPainter p;
    beginDrawing(p, Surface::Working);
    p.setFont(font());
    const int R = radius();

    const SurfaceArcs arcs = surfaceArcs(t, run_.depth, R);
    if (arcs.shown) {
        QPen pen(kLightYellow);
        pen.setWidth(5);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        const QRect rim(-R + 1, -R + 1, 2 * R - 2, 2 * R - 2);
        const int span = static_cast<int>((arcs.d2 - arcs.d1) * 16.0f);
        p.drawArc(rim, rimAngle16(arcs.d2), span);    // right half, P2 to P1
        p.drawArc(rim, rimAngle16(-arcs.d1), span);   // left half, mirror of P1 to P2
        markRimArcs(arcs.d1, arcs.d2, R - 1, 5);
    }

    labels_.clear();
    const bool labelling = context().settings.labelPhasesOnCrossSection;
    const float g = static_cast<float>(R) / kEarthRadiusKm;
    const QFontMetrics fm = p.fontMetrics();
    table_.forEachRayRecord(
        t, crossSectionPhases(context().settings),
        [&](const RayRecordHeader& h, const RayPoint* pts, int n) {
            const QColor colour = legColour(h.legType);
            points_.resize(static_cast<std::size_t>(n));
            for (int j = 0; j < n; ++j) {
                const Pixel q = rayPixel(pts[j].along, pts[j].across, g);
                points_[static_cast<std::size_t>(j)] = QPoint(q.x, q.y);
            }
            mirror_.assign(points_.begin(), points_.end());
            drawWorkingPolyline(mirror_.data(), n, colour, 2);
            if (labelling && n > 5) {
                const QString name = QString::fromLatin1(h.phase);
                const QPoint first = points_.front();
                const QRect box(first.x(), first.y(), fm.horizontalAdvance(name), fm.height());
                const PixelBox b{box.left(), box.top(), box.left() + box.width(),
                                 box.top() + box.height()};
                const bool free = std::none_of(labels_.begin(), labels_.end(), [&](const QRect& r) {
                    return boxesOverlap(
                        b, PixelBox{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
                });
                if (free) {
                    labels_.push_back(box);
                    markDrawn(drawShadowText(p, first.x(), first.y(), name, align::CentreTop,
                                             colour, false, context().cell)
                                  .adjusted(-2, -2, 2, 2));
                }
            }
            for (QPoint& q : points_) q.setX(-q.x());
            drawWorkingPolyline(points_.data(), n, colour, 2);
        });
    return true;
}

void CrossSectionView::flash(float size) { drawFlash(hypocentre(), size); }

bool CrossSectionView::resetForRun(std::string& text, std::string& caption) {
    layoutPane();
    if (createPictures()) return true;
    text = "Unable to create bitmaps";
    caption = "Cross-Section View";
    return false;
}

void CrossSectionView::startRun() {
    copy(Surface::Screen, Surface::Working);
    openRayTables();
}

bool CrossSectionView::rebuildPictures() {
    if (!createPictures()) return false;
    redraw();
    return true;
}

void CrossSectionView::redrawLastTick() {
    const int t = static_cast<int>(lastTickTime());
    if (t >= 1) drawFronts(t);
}
