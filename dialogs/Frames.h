// The six drawing rules for bevelled frames and panels. Every rectangle is
// given as a QRect(x, y, width, height); its edges in the rules are
// l = x, t = y, r = x + width, b = y + height, so a face drawn on
// QRect(0, 0, w, h) covers exactly the w x h pixels of a button.
#pragma once

#include <QColor>
#include <QRect>

#include <optional>

class QPainter;

namespace ovcolors {
inline const QColor white{255, 255, 255};
inline const QColor grey{128, 128, 128};
inline const QColor lightGrey{192, 192, 192};
inline const QColor black{0, 0, 0};
inline const QColor lightRed{255, 0, 0};
}   // namespace ovcolors

// Rule 1, bevelled frame: optional fill (whole rectangle when band is 0,
// otherwise a band of that width inside each edge), black outline through the
// four corners, 2-pixel white highlight top and left, black shadow bottom and right.
void drawBevelFrame(QPainter& p, const QRect& rect, std::optional<QColor> fill, int band);

// Rule 2, bevelled panel with bevel width `bevel` (raised: white upper-left,
// grey lower-right; sunken the other way round) and an optional band of the
// fill colour inside the inner rectangle.
void drawBevelPanel(QPainter& p, const QRect& rect, std::optional<QColor> fill, bool raised,
                    int bevel, int band);

// Rule 3: bevel width of a button face of the given height (3, or 4 from 40 pixels on).
int buttonBevelWidth(int height);
// Rule 3, button face: light-grey fill when `whole`, then the two bevels
// (white above and grey below while up, swapped while held down).
void drawButtonFace(QPainter& p, const QRect& rect, bool down, bool whole = true);

// Keyboard focus mark of a button face: a dotted black rectangle just inside
// the bevels (one pixel set, one left, starting at each corner).
QRect focusMarkRect(const QRect& face);
void drawFocusMark(QPainter& p, const QRect& face);

// Rule 4, white frame: optional fill of the rectangle shrunk by `inset`, then
// a 1-pixel white outline along the rectangle.
void drawWhiteFrame(QPainter& p, const QRect& rect, std::optional<QColor> fill, int inset);

// Rule 5, sunken surround: black outline, then grey bands outside along the
// top and left and light-grey bands outside along the bottom and right.
void drawSunkenSurround(QPainter& p, const QRect& rect);

// Rule 6, separator line: a white line from (r, b - 3) to (l, b - 3).
void drawSeparatorLine(QPainter& p, const QRect& rect);
