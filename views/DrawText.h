// Text output of the views and the world map: one routine that draws a
// string once with an alignment code, one that draws it with a black shadow,
// and the measure of the character cell (the extent of the letter "N") the
// views size their texts with.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QFont;
class QFontMetrics;
class QPainter;

// Alignment codes: the horizontal part is left 0, right 2 or centre 6; the
// vertical part is top 0, bottom 8 or baseline 24.
namespace align {
constexpr int LeftTop = 0, RightTop = 2, CentreTop = 6, LeftBottom = 8, RightBottom = 10,
              CentreBottom = 14, LeftBaseline = 24, CentreBaseline = 30;
}

// The left end of the baseline of a text `width` wide with the given ascent
// and descent, placed at (x, y) by the alignment code.
QPoint alignedBaseline(int x, int y, int alignment, int width, int ascent, int descent);
// The pixels a text placed that way covers (ascent + descent high).
QRect alignedTextRect(int x, int y, int alignment, int width, int ascent, int descent);

// The character cell of a font: the extent of the letter "N".
QSize characterCellOf(const QFont& font);

// Draws `text` once in `colour` at (x, y) with the alignment code, with the
// painter's font and a transparent background. Returns the covered rectangle.
QRect drawText(QPainter& p, int x, int y, const QString& text, int alignment, const QColor& colour);
// Draws `text` black at (x + 1, y + 1) and (x + 2, y + 2), then in `colour`
// at (x, y). With `centreVertically` y first goes up by half the height of
// the character cell `cell`.
QRect drawShadowText(QPainter& p, int x, int y, const QString& text, int alignment,
                     const QColor& colour, bool centreVertically, QSize cell);
