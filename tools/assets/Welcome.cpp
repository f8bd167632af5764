// The welcome picture: a stylised cut through the Earth with the waves of an
// earthquake, the name of the exhibit and a line saying what it shows.
#include "Pictures.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdint>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kWidth = 800;
constexpr int kHeight = 600;

// Small linear congruential generator: the same stars on every run.
struct Lcg {
    uint32_t state;
    uint32_t next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    double unit() { return next() / static_cast<double>(1u << 24); }
};

void drawCentredText(QPainter& p, const QString& text, const QFont& font, double cx,
                     double baseline, const QColor& colour, bool shadow = true) {
    p.setFont(font);
    const QFontMetricsF fm(font);
    const double x = cx - fm.horizontalAdvance(text) / 2.0;
    if (shadow) {
        p.setPen(QColor(0, 0, 0, 200));
        p.drawText(QPointF(x + 2, baseline + 2), text);
    }
    p.setPen(colour);
    p.drawText(QPointF(x, baseline), text);
}

// A point on the rim of the section, `angle` degrees clockwise from the top.
QPointF rimPoint(QPointF centre, double radius, double angle) {
    const double a = angle * kPi / 180.0;
    return {centre.x() + radius * std::sin(a), centre.y() - radius * std::cos(a)};
}

void drawSeismogram(QPainter& p, double x0, double x1, double y, double pArrival, double sArrival,
                    double amplitude) {
    QPainterPath path;
    path.moveTo(x0, y);
    for (double x = x0; x <= x1; x += 0.5) {
        const double t = (x - x0) / (x1 - x0);
        double v = 0.6 * std::sin(t * 170.0) * 0.15;   // background noise
        if (t > pArrival) {
            const double s = t - pArrival;
            v += std::exp(-s * 9.0) * std::sin(s * 260.0) * 0.5;
        }
        if (t > sArrival) {
            const double s = t - sArrival;
            v += std::exp(-s * 6.0) * std::sin(s * 150.0) * 1.0;
        }
        path.lineTo(x, y - v * amplitude);
    }
    p.drawPath(path);
}

}   // namespace

QImage renderWelcome() {
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    // Night sky.
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0.0, QColor(12, 24, 60));
    sky.setColorAt(0.6, QColor(4, 8, 24));
    sky.setColorAt(1.0, QColor(0, 0, 0));
    p.fillRect(image.rect(), sky);
    Lcg lcg{20070};
    p.setPen(Qt::NoPen);
    for (int k = 0; k < 140; ++k) {
        const double x = lcg.unit() * kWidth;
        const double y = lcg.unit() * kHeight;
        const int b = 120 + static_cast<int>(lcg.unit() * 135);
        const double r = 0.6 + lcg.unit() * 1.1;
        p.setBrush(QColor(b, b, std::min(255, b + 20)));
        p.drawEllipse(QPointF(x, y), r, r);
    }

    // Title and subtitle.
    QFont title("Liberation Serif");
    title.setPixelSize(88);
    title.setBold(true);
    drawCentredText(p, "Orvanta", title, kWidth / 2.0, 104, QColor(245, 215, 110));
    QFont subtitle("DejaVu Sans");
    subtitle.setPixelSize(24);
    drawCentredText(p, "Seismic waves through the Earth", subtitle, kWidth / 2.0, 146,
                    QColor(200, 212, 232));

    // The section through the Earth.
    const QPointF centre(kWidth / 2.0, 390);
    const double radius = 196;
    const double coreRadius = radius * 3480.0 / 6371.0;
    const double innerRadius = radius * 1220.0 / 6371.0;

    p.setPen(Qt::NoPen);
    QRadialGradient glow(centre, radius + 18);
    glow.setColorAt(0.90, QColor(80, 140, 255, 90));
    glow.setColorAt(1.0, QColor(80, 140, 255, 0));
    p.setBrush(glow);
    p.drawEllipse(centre, radius + 18, radius + 18);

    p.setBrush(QColor(110, 72, 40));   // crust
    p.drawEllipse(centre, radius, radius);
    QRadialGradient mantle(centre, radius - 5);
    mantle.setColorAt(coreRadius / radius, QColor(214, 96, 38));
    mantle.setColorAt(1.0, QColor(150, 52, 22));
    p.setBrush(mantle);
    p.drawEllipse(centre, radius - 5, radius - 5);
    QRadialGradient outer(centre, coreRadius);
    outer.setColorAt(innerRadius / coreRadius, QColor(250, 190, 60));
    outer.setColorAt(1.0, QColor(232, 128, 30));
    p.setBrush(outer);
    p.drawEllipse(centre, coreRadius, coreRadius);
    QRadialGradient inner(centre, innerRadius);
    inner.setColorAt(0.0, QColor(255, 252, 225));
    inner.setColorAt(1.0, QColor(255, 216, 90));
    p.setBrush(inner);
    p.drawEllipse(centre, innerRadius, innerRadius);

    // Wavefronts spreading from a shallow focus at the top, clipped to the
    // section: P (light red) ahead of S (light cyan).
    const QPointF focus(centre.x(), centre.y() - radius + 10);
    QPainterPath disc;
    disc.addEllipse(centre, radius - 1, radius - 1);
    p.save();
    p.setClipPath(disc);
    p.setBrush(Qt::NoBrush);
    // The fronts are drawn at equal times, P at about 1.7 times the radius
    // of S; none crosses the layer names.
    for (double r : {70.0, 145.0, 230.0, 320.0}) {
        p.setPen(QPen(QColor(255, 80, 80, 220), 3));
        p.drawEllipse(focus, r, r);
    }
    for (double r : {40.0, 85.0, 135.0}) {
        p.setPen(QPen(QColor(80, 255, 255, 220), 3));
        p.drawEllipse(focus, r, r);
    }
    // Rays bending back up to the surface.
    p.setPen(QPen(QColor(255, 255, 255, 110), 1.5, Qt::DashLine));
    for (double angle : {-100.0, -60.0, -30.0, 30.0, 60.0, 100.0}) {
        const QPointF end = rimPoint(centre, radius, angle);
        const QPointF mid = (focus + end) / 2.0;
        const QPointF control = mid + (centre - mid) * (0.35 * std::fabs(angle) / 100.0);
        QPainterPath ray;
        ray.moveTo(focus);
        ray.quadTo(control, end);
        p.drawPath(ray);
    }
    p.restore();

    // Layer names.
    QFont small("DejaVu Sans");
    small.setPixelSize(14);
    drawCentredText(p, "Mantle", small, centre.x(), centre.y() - (radius + coreRadius) / 2 + 40,
                    Qt::white);
    drawCentredText(p, "Outer core", small, centre.x(),
                    centre.y() - (coreRadius + innerRadius) / 2 + 5, Qt::white);
    drawCentredText(p, "Inner core", small, centre.x(), centre.y() + 5, QColor(90, 45, 0), false);

    // The focus as a star.
    QPainterPath star;
    for (int k = 0; k < 10; ++k) {
        const double a = k * kPi / 5.0;
        const double r = (k % 2 == 0) ? 11.0 : 4.5;
        const QPointF q(focus.x() + r * std::sin(a), focus.y() - r * std::cos(a));
        if (k == 0)
            star.moveTo(q);
        else
            star.lineTo(q);
    }
    star.closeSubpath();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 255, 120));
    p.drawPath(star);

    // Stations on the surface, each with its record beside the section.
    const double stationAngles[2] = {-62.0, 62.0};
    for (int k = 0; k < 2; ++k) {
        const QPointF s = rimPoint(centre, radius + 2, stationAngles[k]);
        QPainterPath triangle;
        triangle.moveTo(s.x(), s.y() - 9);
        triangle.lineTo(s.x() - 7, s.y() + 4);
        triangle.lineTo(s.x() + 7, s.y() + 4);
        triangle.closeSubpath();
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(120, 200, 255));
        p.drawPath(triangle);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(235, 235, 235), 1.3));
    drawSeismogram(p, 28, 178, 300, 0.22, 0.52, 16);
    drawSeismogram(p, 28, 178, 360, 0.30, 0.64, 14);
    drawSeismogram(p, 622, 772, 300, 0.22, 0.52, 16);
    drawSeismogram(p, 622, 772, 360, 0.30, 0.64, 14);
    QFont tiny("DejaVu Sans");
    tiny.setPixelSize(12);
    p.setFont(tiny);
    p.setPen(QColor(255, 110, 110));
    p.drawText(QPointF(28 + 150 * 0.22 - 4, 276), "P");
    p.drawText(QPointF(622 + 150 * 0.22 - 4, 276), "P");
    p.setPen(QColor(110, 255, 255));
    p.drawText(QPointF(28 + 150 * 0.52 - 4, 276), "S");
    p.drawText(QPointF(622 + 150 * 0.52 - 4, 276), "S");
    p.end();
    return image;
}
