#include "dialogs/Pictures.h"

#include "dialogs/Frames.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <map>

namespace {

// The sixteen colours the pictures keep to.
const QColor kBlack(0, 0, 0), kNavy(0, 0, 128), kGreen(0, 128, 0), kTeal(0, 128, 128),
    kMaroon(128, 0, 0), kOlive(128, 128, 0), kGrey(128, 128, 128), kSilver(192, 192, 192),
    kRed(255, 0, 0), kLime(0, 255, 0), kYellow(255, 255, 0), kBlue(0, 0, 255),
    kMagenta(255, 0, 255), kAqua(0, 255, 255), kWhite(255, 255, 255);

// The button column at the right edge of a miniature.
void drawButtonColumn(QPainter& p, int x, int height) {
    p.fillRect(x, 0, 120 - x, height, kSilver);
    const int buttonHeight = 10;
    for (int i = 0, y = 2; i < 6 && y + buttonHeight <= height; ++i, y += buttonHeight + 2) {
        const QRect face(x + 1, y, 120 - x - 3, buttonHeight);
        p.fillRect(face, kSilver);
        p.fillRect(face.x(), face.y(), face.width(), 1, kWhite);
        p.fillRect(face.x(), face.y(), 1, face.height(), kWhite);
        p.fillRect(face.x(), face.bottom(), face.width(), 1, kGrey);
        p.fillRect(face.right(), face.y(), 1, face.height(), kGrey);
        p.fillRect(face.x() + 4, face.y() + 4, face.width() - 8, 2, kRed);
    }
}

// A globe: blue sea, a few green land masses, a red epicentre and a ring.
void drawGlobe(QPainter& p, const QRectF& box) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(box);
    QPainterPath clip;
    clip.addEllipse(box);
    p.setClipPath(clip);
    p.setBrush(kGreen);
    const double w = box.width(), h = box.height();
    p.drawEllipse(QRectF(box.x() + 0.15 * w, box.y() + 0.15 * h, 0.35 * w, 0.3 * h));
    p.drawEllipse(QRectF(box.x() + 0.45 * w, box.y() + 0.5 * h, 0.3 * w, 0.35 * h));
    p.drawEllipse(QRectF(box.x() + 0.7 * w, box.y() + 0.2 * h, 0.2 * w, 0.25 * h));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kYellow, 1));
    const QPointF quake(box.x() + 0.4 * w, box.y() + 0.4 * h);
    p.drawEllipse(quake, 0.22 * w, 0.22 * h);
    p.setPen(QPen(kAqua, 1));
    p.drawEllipse(quake, 0.38 * w, 0.38 * h);
    p.fillRect(QRectF(quake.x() - 1, quake.y() - 1, 3, 3), kRed);
    p.restore();
}

// A cross-section of the Earth: mantle, outer and inner core, and wavefronts.
void drawCrossSection(QPainter& p, const QRectF& box) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPointF c = box.center();
    const double r = box.width() / 2;
    p.setPen(QPen(kWhite, 1));
    p.setBrush(kMaroon);
    p.drawEllipse(c, r, r);
    p.setBrush(kOlive);
    p.drawEllipse(c, r * 0.55, r * 0.55);
    p.setBrush(kYellow);
    p.drawEllipse(c, r * 0.19, r * 0.19);
    p.setBrush(Qt::NoBrush);
    const QPointF quake(c.x(), c.y() - r * 0.95);
    p.setPen(QPen(kAqua, 1));
    p.drawArc(QRectF(quake.x() - r * 0.6, quake.y() - r * 0.6, r * 1.2, r * 1.2), 200 * 16,
              140 * 16);
    p.setPen(QPen(kLime, 1));
    p.drawArc(QRectF(quake.x() - r * 0.9, quake.y() - r * 0.9, r * 1.8, r * 1.8), 215 * 16,
              110 * 16);
    p.fillRect(QRectF(quake.x() - 1, quake.y() - 1, 3, 3), kRed);
    p.restore();
}

// A strip of seismogram traces.
void drawSeismograms(QPainter& p, const QRect& area) {
    p.fillRect(area, kBlack);
    p.setPen(QPen(kWhite, 0));
    const int traces = 3;
    for (int i = 0; i < traces; ++i) {
        const double base = area.y() + (i + 0.5) * area.height() / traces;
        QPolygonF line;
        for (int x = area.x() + 2; x < area.right() - 1; ++x) {
            const double t = x - area.x();
            const double onset = 20 + 12 * i;
            const double amp = t < onset ? 0.4 : 3.5 * std::exp(-(t - onset) / 25.0);
            line << QPointF(x, base + amp * std::sin(t * 1.7 + i));
        }
        p.drawPolyline(line);
        p.fillRect(QRectF(area.x() + 20 + 12 * i, base - 4, 1, 8), kRed);
    }
}

QImage blank(int w, int h, const QColor& colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage combinedLayout() {
    QImage image = blank(120, 90, kGrey);
    QPainter p(&image);
    drawSeismograms(p, QRect(2, 2, 92, 30));
    drawGlobe(p, QRectF(4, 38, 46, 46));
    p.fillRect(QRect(50, 34, 46, 54), kBlack);
    drawCrossSection(p, QRectF(52, 38, 42, 42));
    drawButtonColumn(p, 98, 90);
    return image;
}

QImage crossSectionView() {
    QImage image = blank(120, 90, kBlack);
    QPainter p(&image);
    drawCrossSection(p, QRectF(12, 6, 78, 78));
    drawButtonColumn(p, 98, 90);
    return image;
}

QImage globeView() {
    QImage image = blank(120, 90, kBlack);
    QPainter p(&image);
    drawGlobe(p, QRectF(12, 6, 78, 78));
    drawButtonColumn(p, 98, 90);
    return image;
}

QImage cancelPicture() {
    QImage image = blank(96, 72, kSilver);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kRed, 7, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(8, 14, 38, 58);
    p.drawLine(38, 14, 8, 58);
    QFont font("Sans Serif");
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kBlack);
    p.drawText(QRect(42, 0, 54, 72), Qt::AlignCenter, QStringLiteral("Cancel"));
    return image;
}

QPolygonF starPolygon(QPointF centre, double outer, double inner) {
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 == 0 ? outer : inner;
        const double angle = -M_PI / 2 + i * M_PI / 5;
        star << QPointF(centre.x() + r * std::cos(angle), centre.y() + r * std::sin(angle));
    }
    return star;
}

QImage star(bool down) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPointF centre(down ? 16.5 : 15.5, down ? 17.5 : 16.5);
    if (down) {
        // The shadow the raised star casts, now covered but for its rim.
        p.setPen(Qt::NoPen);
        p.setBrush(kGrey);
        p.drawPolygon(starPolygon(QPointF(centre.x() + 1, centre.y() + 1), 15, 6.2));
    }
    p.setPen(QPen(kBlack, 1));
    p.setBrush(kWhite);
    p.drawPolygon(starPolygon(centre, 15, 6.2));
    p.setPen(Qt::NoPen);
    p.setBrush(kMagenta);
    p.drawPolygon(starPolygon(centre, 12, 4.9));
    return image;
}

// The window icon of `ov`: a globe on a transparent ground.
QImage programIcon() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    drawGlobe(p, QRectF(1, 1, 30, 30));
    return image;
}

QImage draw(int number) {
    switch (number) {
    case kProgramIcon: return programIcon();
    case 5: return combinedLayout();
    case 6: return crossSectionView();
    case 7: return globeView();
    case 9: return cancelPicture();
    case kStarIcon: return star(false);
    case kStarIconDown: return star(true);
    default: return QImage();
    }
}

}   // namespace

QImage picture(int number) {
    static std::map<int, QImage> cache;
    auto it = cache.find(number);
    if (it == cache.end()) it = cache.emplace(number, draw(number)).first;
    return it->second;
}
