#include "CrossSectionPng.h"

#include "RayPathTables.h"
#include "RayTracer.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

// Text drawing needs a GUI application object; a tool that has none gets one,
// on the off-screen platform unless another is chosen.
void ensureGuiApplication() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "ovtables";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

}   // namespace

bool drawCrossSectionPng(const std::string& indexPath, const std::string& dataPath,
                         const std::vector<int>& times, int timeStep, double sourceDepthKm,
                         const std::string& pngPath, int panelSize) {
    if (times.empty() || timeStep <= 0 || panelSize < 64) return false;
    ensureGuiApplication();
    const int n = static_cast<int>(times.size());
    QImage image(panelSize * n, panelSize, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double R = panelSize * 0.44;
    const double g = R / 6371.0;
    const double core = R * 0.545126;
    const double inner = core * 0.374316;
    for (int i = 0; i < n; ++i) {
        const QPointF c(panelSize * (i + 0.5), panelSize * 0.5);
        p.setPen(QPen(Qt::white, 2));
        p.setBrush(QColor(128, 128, 128));
        p.drawEllipse(c, R, R);
        p.setPen(QPen(Qt::black, 2));
        p.drawEllipse(c, core, core);
        p.drawEllipse(c, inner, inner);
        const std::size_t step = static_cast<std::size_t>(std::max(0, times[i]) / timeStep);
        for (const FrontRecord& r : readRayPathStep(indexPath, dataPath, step)) {
            QColor colour = r.legType == 1   ? QColor(255, 128, 128)
                            : r.legType == 2 ? QColor(128, 255, 255)
                                             : QColor(Qt::black);
            p.setPen(QPen(colour, 2));
            p.setBrush(Qt::NoBrush);
            QPolygonF right, left;
            for (const FrontPoint& q : r.points) {
                right << c + QPointF(g * q.across, -g * q.along);
                left << c + QPointF(-g * q.across, -g * q.along);
            }
            p.drawPolyline(right);
            p.drawPolyline(left);
        }
        p.setPen(Qt::white);
        p.drawText(QRectF(panelSize * i, 4, panelSize, 24), Qt::AlignCenter,
                   QString("%1 s").arg(times[i]));
        p.setPen(Qt::yellow);
        p.setBrush(Qt::yellow);
        p.drawEllipse(c + QPointF(0, -g * (6371.0 - sourceDepthKm)), 3.0, 3.0);
    }
    p.end();
    bool saved = image.save(QString::fromStdString(pngPath), "PNG");
    resetVectorState();   // leave the maths fast for the caller's next computation
    return saved;
}
