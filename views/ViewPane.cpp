#include "views/ViewPane.h"

#include "data/Settings.h"
#include "dialogs/Buttons.h"
#include "dialogs/Frames.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {
std::function<bool()>& eventShownQuery() {
    static std::function<bool()> query;
    return query;
}
}  // namespace

void setEventShownQuery(std::function<bool()> query) { eventShownQuery() = std::move(query); }

bool eventShownNow() {
    const auto& query = eventShownQuery();
    return query ? query() : false;
}

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

ViewPane::ViewPane(QWidget* parent, int infoCommand, QColor background)
    : QWidget(parent), infoCommand_(infoCommand), background_(background) {
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

const QImage& ViewPane::surface(Surface s) const {
    return const_cast<ViewPane*>(this)->surface(s);
}

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
    {
        QPainter p(&to);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(area.topLeft() + toOrigin, from, area.translated(fromOrigin));
    }
    if (target == Surface::Screen) update(area.translated(toOrigin));
}

void ViewPane::copy(Surface target, Surface source) {
    copyLogical(target, source, m_.pictureRect);
}

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

void ViewPane::presentWorking() {
    const QRect area = (drawn_ | shown_) & m_.pictureRect;
    if (!area.isEmpty()) copyLogical(Surface::Screen, Surface::Working, area);
    const QRect drawn = drawn_ & m_.pictureRect;
    if (!drawn.isEmpty()) copyLogical(Surface::Working, Surface::Clean, drawn);
    shown_ = drawn_;
    drawn_ = QRect();
}

void ViewPane::restoreClean() {
    copy(Surface::Screen, Surface::Clean);
    copy(Surface::Working, Surface::Clean);
    drawn_ = shown_ = QRect();
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
                                   theSettings().buttonHeight);
    if (!info_) {
        info_ = new FaceButton(this, kInfoButtonCommand, QStringLiteral("Info"), r.x(), r.y(),
                               r.width(), r.height());
        const int command = infoCommand_;
        connect(info_, &FaceButton::command, this, [command](int) { sendMainCommand(command); });
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
    if (eventShownNow() && hasPictures()) {
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
    p.drawImage(event->rect(), screen_, event->rect());
}

void ViewPane::resizeEvent(QResizeEvent*) {
    if (screen_.size() == size()) return;
    const bool rebuild = eventShownNow() && hasPictures();
    const float last = lastTickTime_;
    layoutPane();
    drawn_ = shown_ = QRect();
    flashRect_ = QRect();
    if (rebuild && rebuildPictures() && last > 0) {
        lastTickTime_ = last;
        redrawLastTick();
        presentWorking();
    }
}

void ViewPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && theSettings().rightButtonRestart)
        sendMainCommand(kMapCommand);
}
