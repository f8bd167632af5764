#include "views/DrawText.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace {
QSize& storedCell() {
    static QSize cell;
    return cell;
}
}  // namespace

QPoint alignedBaseline(int x, int y, int alignment, int width, int ascent, int descent) {
    int left = x;
    switch (alignment & 6) {
    case 2: left = x - width; break;        // right
    case 6: left = x - width / 2; break;    // centre
    default: break;                         // left
    }
    int baseline = y + ascent;              // top
    switch (alignment & 24) {
    case 8: baseline = y - descent; break;  // bottom
    case 24: baseline = y; break;           // baseline
    default: break;
    }
    return QPoint(left, baseline);
}

QRect alignedTextRect(int x, int y, int alignment, int width, int ascent, int descent) {
    const QPoint b = alignedBaseline(x, y, alignment, width, ascent, descent);
    return QRect(b.x(), b.y() - ascent, width, ascent + descent);
}

QSize characterCell() {
    QSize& cell = storedCell();
    if (cell.isEmpty()) {
        const QFontMetrics fm(QApplication::font());
        cell = QSize(fm.horizontalAdvance(QLatin1Char('N')), fm.height());
    }
    return cell;
}

void setCharacterCell(QSize cell) { storedCell() = cell; }
void forgetCharacterCell() { storedCell() = QSize(); }

QRect drawText(QPainter& p, int x, int y, const QString& text, int alignment,
               const QColor& colour) {
    const QFontMetrics fm = p.fontMetrics();
    const int width = fm.horizontalAdvance(text);
    const QPoint at = alignedBaseline(x, y, alignment, width, fm.ascent(), fm.descent());
    p.setBackgroundMode(Qt::TransparentMode);
    p.setPen(colour);
    p.drawText(at, text);
    return QRect(at.x(), at.y() - fm.ascent(), width, fm.ascent() + fm.descent());
}

QRect drawShadowText(QPainter& p, int x, int y, const QString& text, int alignment,
                     const QColor& colour, bool centreVertically) {
    if (centreVertically) y -= characterCell().height() / 2;
    QRect covered = drawText(p, x + 1, y + 1, text, alignment, Qt::black);
    covered |= drawText(p, x + 2, y + 2, text, alignment, Qt::black);
    covered |= drawText(p, x, y, text, alignment, colour);
    return covered;
}
