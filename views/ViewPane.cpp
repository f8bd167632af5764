#include "views/ViewPane.h"

#include "data/Settings.h"
#include "dialogs/Buttons.h"
#include "dialogs/Frames.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

PaneMetrics PaneMetrics::of(int width, int height) {
    PaneMetrics m;
    width = std::max(width, 0);
    height = std::max(height, 0);
    m.client = QRect(0, 0, width, height);
    const int w = std::max(width - 2 * kPictureInset, 0);
    const int h = std::max(height - 2 * kPictureInset, 0);
    m.inner = QRect(kPictureInset, kPictureInset, w, h);
    m.centre = QPoint(width / 2, height / 2);
    m.radius = static_cast<int16_t>(static_cast<int>(0.42f * static_cast<float>(width)));
    m.globeBox = QRect(-m.radius, -m.radius, 2 * m.radius, 2 * m.radius);
    m.pictureRect = QRect(-(w / 2), -(h / 2), 2 * (w / 2), 2 * (h / 2));
    m.halfPictureWidth = static_cast<int16_t>(w / 2);
    return m;
}

QRect infoButtonRect(const QRect& client, int averageCharWidth, int textHeight,
                     float buttonHeight) {
    const int width = 7 * averageCharWidth;
    const int height = static_cast<int>(static_cast<float>(textHeight) * buttonHeight);
    const int left = client.x() + client.width() - 8 * averageCharWidth;
    const int top = client.y() + client.height() - height - averageCharWidth;
    return QRect(left, top, width, height);
}

void DirtyTiles::reset(QSize pictureSize) {
    size_ = QSize(std::max(pictureSize.width(), 0), std::max(pictureSize.height(), 0));
    columns_ = (size_.width() + kTile - 1) / kTile;
    rows_ = (size_.height() + kTile - 1) / kTile;
    tiles_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), 0);
    count_ = 0;
}

void DirtyTiles::clear() {
    if (count_ == 0) return;
    std::fill(tiles_.begin(), tiles_.end(), uint8_t{0});
    count_ = 0;
}

void DirtyTiles::mark(const QRect& deviceRect) {
    const QRect a = deviceRect.normalized() & QRect(QPoint(0, 0), size_);
    if (a.isEmpty()) return;
    const int c0 = a.left() / kTile, c1 = a.right() / kTile;
    for (int r = a.top() / kTile; r <= a.bottom() / kTile; ++r) {
        uint8_t* row = tiles_.data()
                       + static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_);
        for (int c = c0; c <= c1; ++c) {
            if (!row[c]) {
                row[c] = 1;
                ++count_;
            }
        }
    }
}

void DirtyTiles::unite(const DirtyTiles& other) {
    if (other.count_ == 0) return;
    if (other.size_ != size_) {
        markAll();
        return;
    }
    for (std::size_t i = 0; i < tiles_.size(); ++i) {
        if (other.tiles_[i] && !tiles_[i]) {
            tiles_[i] = 1;
            ++count_;
        }
    }
}

void DirtyTiles::runs(std::vector<QRect>& out) const {
    out.clear();
    if (count_ == 0) return;
    const QRect picture(QPoint(0, 0), size_);
    for (int r = 0; r < rows_; ++r) {
        const uint8_t* row = tiles_.data()
                             + static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_);
        for (int c = 0; c < columns_;) {
            if (!row[c]) {
                ++c;
                continue;
            }
            const int start = c;
            while (c < columns_ && row[c]) ++c;
            out.push_back(QRect(start * kTile, r * kTile, (c - start) * kTile, kTile) & picture);
        }
    }
}

namespace {
// Walks the pixels of a line from (x0, y0) to (x1, y1) (both included) and
// sets, at each step along the longer axis, `run` pixels across it starting
// `before` pixels ahead of the line. The caller has made sure every pixel
// lies inside the picture.
void walkLine(uchar* bits, qsizetype stride, int x0, int y0, int x1, int y1, QRgb colour, int run,
              int before) {
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const qsizetype words = stride / 4;
    const qsizetype stepX = x0 < x1 ? 1 : -1, stepY = y0 < y1 ? words : -words;
    const bool xMajor = dx >= dy;
    const int major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
    const qsizetype alongMajor = xMajor ? stepX : stepY, alongMinor = xMajor ? stepY : stepX;
    const qsizetype across = xMajor ? words : 1;   // the run goes down or right
    QRgb* p = reinterpret_cast<QRgb*>(bits + static_cast<qsizetype>(y0) * stride) + x0;
    int err = major / 2;
    if (run == 1) {
        for (int i = 0;; ++i) {
            *p = colour;
            if (i == major) break;
            p += alongMajor;
            err -= minor;
            if (err < 0) {
                p += alongMinor;
                err += major;
            }
        }
        return;
    }
    for (int i = 0;; ++i) {
        QRgb* q = p - before * across;
        for (int k = 0; k < run; ++k, q += across) *q = colour;
        if (i == major) break;
        p += alongMajor;
        err -= minor;
        if (err < 0) {
            p += alongMinor;
            err += major;
        }
    }
}
}   // namespace

void drawLinePixels(QImage& image, QPoint a, QPoint b, QRgb colour, int width,
                    const QRect& clipRect) {
    if (image.depth() != 32) return;
    const QRect clip = clipRect & image.rect();
    if (clip.isEmpty()) return;
    width = std::max(width, 1);
    const int x0 = a.x(), y0 = a.y(), x1 = b.x(), y1 = b.y();
    const int reach = width + 1;
    if (std::max(x0, x1) + reach < clip.left() || std::min(x0, x1) - reach > clip.right()
        || std::max(y0, y1) + reach < clip.top() || std::min(y0, y1) - reach > clip.bottom())
        return;
    // Far-off end points (a corrupt table) are not walked pixel by pixel.
    constexpr int kFar = 1 << 20;
    if (std::abs(x0) > kFar || std::abs(x1) > kFar || std::abs(y0) > kFar || std::abs(y1) > kFar)
        return;
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const bool xMajor = dx >= dy;
    int run = 1;
    if (width > 1) {
        const int major = std::max(dx, dy);
        const double length = std::sqrt(double(dx) * dx + double(dy) * dy);
        run = major == 0 ? width : std::max(width, static_cast<int>(width * length / major + 0.5));
    }
    const int before = run / 2;
    const int left = clip.left(), right = clip.right(), top = clip.top(), bottom = clip.bottom();
    auto pixel = [&](int x, int y) -> QRgb& {
        return reinterpret_cast<QRgb*>(bits + static_cast<qsizetype>(y) * stride)[x];
    };
    // Square ends of wide lines, so that the joints of a polyline have no notch.
    const int cap = width >= 3 ? width : 0;
    const int margin = std::max(run, cap);
    if (std::min(x0, x1) - margin >= left && std::max(x0, x1) + margin <= right
        && std::min(y0, y1) - margin >= top && std::max(y0, y1) + margin <= bottom) {
        walkLine(bits, stride, x0, y0, x1, y1, colour, run, before);
    } else {
        // Near the edge of the clip: every pixel is checked.
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        auto put = [&](int x, int y) {
            if (xMajor) {   // a run up and down
                if (x < left || x > right) return;
                const int from = std::max(y - before, top),
                          to = std::min(y - before + run - 1, bottom);
                for (int v = from; v <= to; ++v) pixel(x, v) = colour;
            } else {   // a run left and right
                if (y < top || y > bottom) return;
                const int from = std::max(x - before, left),
                          to = std::min(x - before + run - 1, right);
                for (int u = from; u <= to; ++u) pixel(u, y) = colour;
            }
        };
        if (xMajor) {
            int err = dx / 2, y = y0;
            for (int x = x0;; x += sx) {
                put(x, y);
                if (x == x1) break;
                err -= dy;
                if (err < 0) {
                    y += sy;
                    err += dx;
                }
            }
        } else {
            int err = dy / 2, x = x0;
            for (int y = y0;; y += sy) {
                put(x, y);
                if (y == y1) break;
                err -= dx;
                if (err < 0) {
                    x += sx;
                    err += dy;
                }
            }
        }
    }
    if (cap > 0) {
        for (const QPoint& end : {a, b}) {
            const int h = cap / 2;
            const int u0 = std::max(end.x() - h, left), u1 = std::min(end.x() - h + cap - 1, right);
            const int v0 = std::max(end.y() - h, top), v1 = std::min(end.y() - h + cap - 1, bottom);
            for (int v = v0; v <= v1; ++v)
                for (int u = u0; u <= u1; ++u) pixel(u, v) = colour;
        }
    }
}

void copyPixels(QImage& to, QPoint toTopLeft, const QImage& from, const QRect& fromRect) {
    const QPoint shift = toTopLeft - fromRect.topLeft();
    const QRect area = fromRect & from.rect() & to.rect().translated(-shift);
    if (area.isEmpty()) return;
    if (to.format() != from.format() || to.depth() != 32) {
        QPainter p(&to);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(area.topLeft() + shift, from, area);
        return;
    }
    uchar* const dst = to.bits();
    const uchar* const src = from.constBits();
    const qsizetype dstStride = to.bytesPerLine(), srcStride = from.bytesPerLine();
    const std::size_t bytes = static_cast<std::size_t>(area.width()) * 4;
    for (int y = area.top(); y <= area.bottom(); ++y)
        std::memcpy(dst + static_cast<qsizetype>(y + shift.y()) * dstStride
                        + (area.left() + shift.x()) * 4,
                    src + static_cast<qsizetype>(y) * srcStride + area.left() * 4, bytes);
}

ViewPane::ViewPane(QWidget* parent, Command infoCommand, QColor background,
                   const ViewContext& context)
    : QWidget(parent), context_(context), infoCommand_(infoCommand), background_(background) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    layoutPane();
}

ViewPane::~ViewPane() = default;

void ViewPane::layoutPane() {
    m_ = PaneMetrics::of(width(), height());
    screen_ = QImage(std::max(width(), 1), std::max(height(), 1), QImage::Format_RGB32);
    screen_.fill(background_);
    framePending_ = true;
    update();
}

QImage& ViewPane::surface(Surface s) {
    switch (s) {
    case Surface::Screen: return screen_;
    case Surface::Working: return working_;
    case Surface::Clean: return clean_;
    }
    return screen_;
}

const QImage& ViewPane::surface(Surface s) const { return const_cast<ViewPane*>(this)->surface(s); }

QPoint ViewPane::origin(Surface s) const {
    if (s == Surface::Screen) return m_.centre;
    return QPoint(m_.inner.width() / 2, m_.inner.height() / 2);
}

bool ViewPane::createPictures() {
    const QSize size = m_.inner.size();
    if (size.isEmpty()) return false;
    working_ = QImage(size, QImage::Format_RGB32);
    if (working_.isNull()) return false;
    working_.fill(background_);
    clean_ = working_.copy();
    drawn_.reset(size);
    shown_.reset(size);
    both_.reset(size);
    return !clean_.isNull();
}

void ViewPane::copyLogical(Surface target, Surface source, const QRect& logicalRect) {
    if (target == source) return;
    QImage& to = surface(target);
    const QImage& from = surface(source);
    if (to.isNull() || from.isNull()) return;
    const QPoint toOrigin = origin(target), fromOrigin = origin(source);
    QRect area = logicalRect.normalized();
    area &= QRect(-fromOrigin, from.size());
    area &= QRect(-toOrigin, to.size());
    if (area.isEmpty()) return;
    copyPixels(to, area.topLeft() + toOrigin, from, area.translated(fromOrigin));
    if (target == Surface::Screen) update(area.translated(toOrigin));
}

void ViewPane::copy(Surface target, Surface source) { copyLogical(target, source, m_.pictureRect); }

void ViewPane::copy(Surface target, Surface source, const QRect& deviceRect) {
    const QRect clip = m_.client.adjusted(kCopyClipInset, kCopyClipInset, -kCopyClipInset,
                                          -kCopyClipInset);
    copyLogical(target, source, (deviceRect & clip).translated(-m_.centre));
}

void ViewPane::beginDrawing(QPainter& p, Surface s) {
    p.begin(&surface(s));
    p.translate(origin(s));
    if (s == Surface::Screen) update();
}

void ViewPane::markDrawn(const QRect& logicalRect) {
    drawn_.mark(logicalRect.translated(origin(Surface::Working)));
}

void ViewPane::markAllDrawn() {
    drawn_.markAll();
    shown_.markAll();
}

void ViewPane::drawWorkingPolyline(QPoint* points, int count, const QColor& colour, int width) {
    if (working_.isNull() || count < 1) return;
    const QPoint o = origin(Surface::Working);
    const QRgb rgb = colour.rgb();
    const QRect clip = working_.rect();
    const int pad = width + 1;
    for (int i = 0; i < count; ++i) points[i] += o;
    for (int i = std::min(1, count - 1); i < count; ++i) {
        const QPoint a = points[i > 0 ? i - 1 : 0], b = points[i];
        drawLinePixels(working_, a, b, rgb, width, clip);
        drawn_.mark(QRect(QPoint(std::min(a.x(), b.x()) - pad, std::min(a.y(), b.y()) - pad),
                          QPoint(std::max(a.x(), b.x()) + pad, std::max(a.y(), b.y()) + pad)));
    }
}

void ViewPane::presentWorking() {
    // The screen shows again what this tick drew and what the previous one
    // drew; the working picture forgets what this tick drew.
    both_ = drawn_;
    both_.unite(shown_);
    both_.runs(runs_);
    if (!runs_.empty() && !working_.isNull()) {
        const QPoint toScreen = origin(Surface::Screen) - origin(Surface::Working);
        for (QRect& r : runs_) {
            copyPixels(screen_, r.topLeft() + toScreen, working_, r);
            r.translate(toScreen);
        }
        repaint_.setRects(runs_.data(), static_cast<int>(runs_.size()));
        update(repaint_);
    }
    drawn_.runs(runs_);
    if (!clean_.isNull())
        for (const QRect& r : runs_) copyPixels(working_, r.topLeft(), clean_, r);
    std::swap(shown_, drawn_);
    drawn_.clear();
}

void ViewPane::restoreClean() {
    copy(Surface::Screen, Surface::Clean);
    copy(Surface::Working, Surface::Clean);
    drawn_.clear();
    shown_.clear();
    lastTickTime_ = 0;
}

void ViewPane::drawPaneFrame(QPainter& screen, bool fill, int inset) {
    drawWhiteFrame(screen, m_.client, fill ? std::optional<QColor>(background_) : std::nullopt,
                   inset);
    drawSeparatorLine(screen, m_.client);
}

void ViewPane::eraseFlash() {
    if (flashRect_.isEmpty()) return;
    copyLogical(Surface::Screen, Surface::Clean, flashRect_.adjusted(-1, -1, 1, 1));
    flashRect_ = QRect();
}

void ViewPane::drawFlash(QPoint centre, float size) {
    eraseFlash();
    const int r = static_cast<int>(size * 10.0f);
    if (r <= 0) return;
    const QRect disc(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
    QPainter p;
    beginDrawing(p, Surface::Screen);
    p.setClipRect(m_.inner.translated(-m_.centre));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(disc);
    flashRect_ = disc;
}

void ViewPane::placeInfoButton(QPainter& screen) {
    const QFontMetrics fm(font());
    const QRect r = infoButtonRect(m_.client, fm.averageCharWidth(), fm.height(),
                                   context_.settings.buttonHeight);
    if (!info_) {
        info_ = new FaceButton(this, Command::InfoButton, QStringLiteral("Info"), r.x(), r.y(),
                               r.width(), r.height());
        const Command command = infoCommand_;
        connect(info_, &FaceButton::command, this,
                [this, command] { context_.sendToMain(command); });
        info_->show();
    } else if (info_->faceRect() != r) {
        // The pane was resized: the button keeps its place at the corner.
        info_->setFaceGeometry(r.x(), r.y(), r.width(), r.height());
    }
    screen.save();
    screen.resetTransform();
    info_->paintInto(screen);
    screen.restore();
}

void ViewPane::invalidatePane() {
    framePending_ = true;
    update();
}

void ViewPane::paintPane() {
    QPainter p(&screen_);
    if (context_.eventShownNow() && hasPictures()) {
        drawWhiteFrame(p, m_.client, background_, 1);
        p.end();
        copy(Surface::Screen, Surface::Working);
        p.begin(&screen_);
    } else {
        drawWhiteFrame(p, m_.client, std::nullopt, 0);
    }
    drawSeparatorLine(p, m_.client);
}

void ViewPane::paintEvent(QPaintEvent* event) {
    if (framePending_) {
        framePending_ = false;
        paintPane();
    }
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& r : event->region()) p.drawImage(r.topLeft(), screen_, r);
}

void ViewPane::resizeEvent(QResizeEvent*) {
    if (screen_.size() == size()) return;
    const bool rebuild = context_.eventShownNow() && hasPictures();
    const float last = lastTickTime_;
    layoutPane();
    drawn_.clear();
    shown_.clear();
    flashRect_ = QRect();
    if (rebuild && rebuildPictures() && last > 0) {
        lastTickTime_ = last;
        redrawLastTick();
        presentWorking();
    }
}

void ViewPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && context_.settings.rightButtonRestart)
        context_.sendToMain(Command::Map);
}
