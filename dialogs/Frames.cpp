#include "dialogs/Frames.h"

#include <QPainter>
#include <QPolygon>

namespace {

struct Edges {
    int l, t, r, b;
    explicit Edges(const QRect& rect)
        : l(rect.x()), t(rect.y()), r(rect.x() + rect.width()), b(rect.y() + rect.height()) {}
};

// Fills a band `n` pixels wide along each edge inside the rectangle.
void fillBand(QPainter& p, int l, int t, int r, int b, int n, const QColor& colour) {
    const int w = r - l, h = b - t;
    if (w <= 0 || h <= 0 || n <= 0) return;
    p.fillRect(l, t, w, qMin(n, h), colour);
    p.fillRect(l, qMax(t, b - n), w, qMin(n, h), colour);
    p.fillRect(l, t, qMin(n, w), h, colour);
    p.fillRect(qMax(l, r - n), t, qMin(n, w), h, colour);
}

// The upper-left and lower-right bevel polygons of a panel.
void fillBevels(QPainter& p, const Edges& e, int a, const QColor& upperLeft,
                const QColor& lowerRight) {
    if (a <= 0) return;
    p.save();
    p.setPen(Qt::NoPen);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPolygon upper({QPoint(e.l, e.t), QPoint(e.l, e.b), QPoint(e.l + a, e.b - a),
                          QPoint(e.l + a, e.t + a), QPoint(e.r - a, e.t + a), QPoint(e.r, e.t)});
    const QPolygon lower({QPoint(e.r, e.b), QPoint(e.r, e.t), QPoint(e.r - a, e.t + a),
                          QPoint(e.r - a, e.b - a), QPoint(e.l + a, e.b - a), QPoint(e.l, e.b)});
    p.setBrush(upperLeft);
    p.drawPolygon(upper);
    p.setBrush(lowerRight);
    p.drawPolygon(lower);
    p.restore();
}

// A 1-pixel line through the given points, pixel for pixel.
void outline(QPainter& p, const Edges& e, const QColor& colour) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(colour, 0));
    p.setBrush(Qt::NoBrush);
    p.drawLine(e.l, e.t, e.r, e.t);
    p.drawLine(e.r, e.t, e.r, e.b);
    p.drawLine(e.r, e.b, e.l, e.b);
    p.drawLine(e.l, e.b, e.l, e.t);
    p.restore();
}

}   // namespace

void drawBevelFrame(QPainter& p, const QRect& rect, std::optional<QColor> fill, int band) {
    const Edges e(rect);
    if (fill) {
        if (band == 0)
            p.fillRect(rect, *fill);
        else
            fillBand(p, e.l, e.t, e.r, e.b, band, *fill);
    }
    outline(p, e, ovcolors::black);
    p.fillRect(e.l + 1, e.t + 1, e.r - e.l - 2, 2, ovcolors::white);
    p.fillRect(e.l + 1, e.t + 2, 2, e.b - e.t - 4, ovcolors::white);
    p.fillRect(e.l + 2, e.b - 2, e.r - e.l - 2, 2, ovcolors::black);
    p.fillRect(e.r - 2, e.t + 2, 2, e.b - e.t - 3, ovcolors::black);
}

void drawBevelPanel(QPainter& p, const QRect& rect, std::optional<QColor> fill, bool raised,
                    int bevel, int band) {
    const Edges e(rect);
    if (fill && band == 0) p.fillRect(rect, *fill);
    if (raised)
        fillBevels(p, e, bevel, ovcolors::white, ovcolors::grey);
    else
        fillBevels(p, e, bevel, ovcolors::grey, ovcolors::white);
    if (fill && band > 0)
        fillBand(p, e.l + bevel, e.t + bevel, e.r - bevel, e.b - bevel, band, *fill);
}

int buttonBevelWidth(int height) { return height / 10 > 3 ? 4 : 3; }

void drawButtonFace(QPainter& p, const QRect& rect, bool down, bool whole) {
    if (whole) p.fillRect(rect, ovcolors::lightGrey);
    const int a = buttonBevelWidth(rect.height());
    if (down)
        fillBevels(p, Edges(rect), a, ovcolors::grey, ovcolors::white);
    else
        fillBevels(p, Edges(rect), a, ovcolors::white, ovcolors::grey);
}

QRect focusMarkRect(const QRect& face) {
    const int inset = buttonBevelWidth(face.height()) + 1;
    return face.adjusted(inset, inset, -inset, -inset);
}

void drawFocusMark(QPainter& p, const QRect& face) {
    const QRect r = focusMarkRect(face);
    if (r.width() < 2 || r.height() < 2) return;
    p.save();
    p.setPen(ovcolors::black);
    for (int x = r.left(); x <= r.right(); x += 2) {
        p.drawPoint(x, r.top());
        p.drawPoint(x, r.bottom());
    }
    for (int y = r.top(); y <= r.bottom(); y += 2) {
        p.drawPoint(r.left(), y);
        p.drawPoint(r.right(), y);
    }
    p.restore();
}

void drawWhiteFrame(QPainter& p, const QRect& rect, std::optional<QColor> fill, int inset) {
    if (fill) p.fillRect(rect.adjusted(inset, inset, -inset, -inset), *fill);
    outline(p, Edges(rect), ovcolors::white);
}

void drawSunkenSurround(QPainter& p, const QRect& rect) {
    const Edges e(rect);
    outline(p, e, ovcolors::black);
    p.fillRect(e.l - 2, e.t - 2, e.r - e.l + 4, 2, ovcolors::grey);
    p.fillRect(e.l - 2, e.t, 2, e.b - e.t + 2, ovcolors::grey);
    p.fillRect(e.l - 1, e.b + 1, e.r - e.l + 3, 2, ovcolors::lightGrey);
    p.fillRect(e.r + 1, e.t - 1, 2, e.b - e.t + 3, ovcolors::lightGrey);
}

void drawSeparatorLine(QPainter& p, const QRect& rect) {
    const Edges e(rect);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(ovcolors::white, 0));
    p.drawLine(e.r, e.b - 3, e.l, e.b - 3);
    p.restore();
}
