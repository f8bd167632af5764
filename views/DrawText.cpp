#include "views/DrawText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStaticText>

#include <vector>

namespace {
// The views write the same few strings (phase names, labels) tick after
// tick: each is measured and laid out once per font and kept.
struct PreparedText {
    QString text;
    QFont font;
    int width = 0, ascent = 0, descent = 0;
    qreal exactAscent = 0;   // where the glyphs' baseline lies below the top
    QStaticText laidOut;
};

const PreparedText& prepared(const QString& text, const QFont& font) {
    // Kept until the process ends, past the application object the fonts
    // belong to: never destroyed.
    static auto& cache = *new std::vector<PreparedText>;
    for (const PreparedText& t : cache)
        if (t.text == text && t.font == font) return t;
    constexpr std::size_t kKept = 256;   // station names, phases, labels, minutes
    if (cache.size() >= kKept) cache.clear();
    PreparedText t;
    t.text = text;
    t.font = font;
    const QFontMetrics fm(font);
    t.width = fm.horizontalAdvance(text);
    t.ascent = fm.ascent();
    t.descent = fm.descent();
    t.exactAscent = QFontMetricsF(font).ascent();
    t.laidOut.setTextFormat(Qt::PlainText);
    t.laidOut.setText(text);
    t.laidOut.prepare(QTransform(), font);
    cache.push_back(std::move(t));
    return cache.back();
}
}   // namespace

QPoint alignedBaseline(int x, int y, int alignment, int width, int ascent, int descent) {
    int left = x;
    switch (alignment & 6) {
    case 2: left = x - width; break;       // right
    case 6: left = x - width / 2; break;   // centre
    default: break;                        // left
    }
    int baseline = y + ascent;   // top
    switch (alignment & 24) {
    case 8: baseline = y - descent; break;   // bottom
    case 24: baseline = y; break;            // baseline
    default: break;
    }
    return QPoint(left, baseline);
}

QRect alignedTextRect(int x, int y, int alignment, int width, int ascent, int descent) {
    const QPoint b = alignedBaseline(x, y, alignment, width, ascent, descent);
    return QRect(b.x(), b.y() - ascent, width, ascent + descent);
}

QSize characterCellOf(const QFont& font) {
    const QFontMetrics fm(font);
    return QSize(fm.horizontalAdvance(QLatin1Char('N')), fm.height());
}

QRect drawText(QPainter& p, int x, int y, const QString& text, int alignment,
               const QColor& colour) {
    const PreparedText& t = prepared(text, p.font());
    const QPoint at = alignedBaseline(x, y, alignment, t.width, t.ascent, t.descent);
    p.setBackgroundMode(Qt::TransparentMode);
    p.setPen(colour);
    p.drawStaticText(QPointF(at.x(), at.y() - t.exactAscent), t.laidOut);
    return QRect(at.x(), at.y() - t.ascent, t.width, t.ascent + t.descent);
}

QRect drawShadowText(QPainter& p, int x, int y, const QString& text, int alignment,
                     const QColor& colour, bool centreVertically, QSize cell) {
    if (centreVertically) y -= cell.height() / 2;
    QRect covered = drawText(p, x + 1, y + 1, text, alignment, Qt::black);
    covered |= drawText(p, x + 2, y + 2, text, alignment, Qt::black);
    covered |= drawText(p, x, y, text, alignment, colour);
    return covered;
}
