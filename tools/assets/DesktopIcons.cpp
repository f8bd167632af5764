#include "DesktopIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace {

QPolygonF star(QPointF centre, double outer, double inner) {
    QPolygonF points;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 ? inner : outer;
        const double a = -M_PI / 2 + i * M_PI / 5;
        points << QPointF(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
    }
    return points;
}

// Everything is laid out on a 256-unit square and scaled to the size asked.
void drawGlobe(QPainter& p, QRectF box) {
    QRadialGradient sea(box.center() - QPointF(box.width() * 0.18, box.height() * 0.18),
                        box.width() * 0.75);
    sea.setColorAt(0, QColor(70, 140, 255));
    sea.setColorAt(1, QColor(10, 30, 120));
    p.setPen(QPen(QColor(5, 15, 60), box.width() * 0.02));
    p.setBrush(sea);
    p.drawEllipse(box);

    QPainterPath clip;
    clip.addEllipse(box);
    p.save();
    p.setClipPath(clip);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 150, 60));
    const auto land = [&](double x, double y, double w, double h) {
        p.drawEllipse(QRectF(box.x() + x * box.width(), box.y() + y * box.height(), w * box.width(),
                             h * box.height()));
    };
    land(0.12, 0.14, 0.36, 0.30);
    land(0.22, 0.40, 0.16, 0.34);
    land(0.55, 0.18, 0.34, 0.24);
    land(0.60, 0.46, 0.22, 0.30);
    const QPointF quake(box.x() + 0.42 * box.width(), box.y() + 0.40 * box.height());
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 230, 40), box.width() * 0.035));
    p.drawEllipse(quake, 0.20 * box.width(), 0.20 * box.height());
    p.setPen(QPen(QColor(80, 240, 255), box.width() * 0.03));
    p.drawEllipse(quake, 0.36 * box.width(), 0.36 * box.height());
    p.restore();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 20, 20));
    p.drawEllipse(quake, 0.06 * box.width(), 0.06 * box.height());
}

}   // namespace

QImage drawDesktopIcon(DesktopIcon which, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    if (which == DesktopIcon::Display) {
        drawGlobe(p, QRectF(12, 12, 232, 232));
    } else {
        drawGlobe(p, QRectF(8, 8, 200, 200));
        p.setPen(QPen(Qt::black, 6));
        p.setBrush(Qt::white);
        p.drawPolygon(star(QPointF(184, 184), 68, 28));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 0, 255));
        p.drawPolygon(star(QPointF(184, 184), 54, 22));
    }
    return image;
}
