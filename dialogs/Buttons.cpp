#include "dialogs/Buttons.h"

#include "data/Settings.h"
#include "dialogs/Frames.h"
#include "dialogs/Pictures.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>

namespace {
std::function<void(int)>& mainCommandHandler() {
    static std::function<void(int)> handler;
    return handler;
}
}  // namespace

void setMainCommandHandler(std::function<void(int)> handler) {
    mainCommandHandler() = std::move(handler);
}

void sendMainCommand(int id) {
    QMetaObject::invokeMethod(
        qApp, [id] { if (mainCommandHandler()) mainCommandHandler()(id); },
        Qt::QueuedConnection);
}

// --- FaceButton -------------------------------------------------------------

FaceButton::FaceButton(QWidget* parent, int commandId, const QString& label, int x, int y,
                       int width, int height)
    : QAbstractButton(parent), commandId_(commandId) {
    setFocusPolicy(Qt::NoFocus);
    setLabel(label);
    setFaceGeometry(x, y, width, height);
    connect(this, &QAbstractButton::clicked, this, [this] { emit command(commandId_); });
}

void FaceButton::setLabel(const QString& label) {
    label_ = label.left(kMaxLabel);
    setText(label_);   // for accessibility and lookup; the face draws label_
    update();
}

void FaceButton::setFaceGeometry(int x, int y, int width, int height) {
    faceRect_ = QRect(x, y, width, height);
    setGeometry(faceRect_);
}

void FaceButton::paintFace(QPainter& p, const QRect& rect, const QString& label,
                           const QFont& font, bool down) {
    drawButtonFace(p, rect, down, true);

    const QRect textRect = rect.adjusted(5, 5, -5, -5);
    int cx = textRect.left() + textRect.width() / 2;
    int cy = textRect.top() + textRect.height() / 2;
    if (down) {
        ++cx;
        ++cy;
    }
    p.save();
    p.setFont(font);
    p.setPen(ovcolors::lightRed);
    p.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics fm(font);
    const QStringList words = label.split(QRegularExpression(QStringLiteral("\\s+")),
                                          Qt::SkipEmptyParts);
    if (words.size() >= 2 && 2 * fm.height() < textRect.height()) {
        const int w1 = fm.horizontalAdvance(words[0]);
        const int w2 = fm.horizontalAdvance(words[1]);
        // First word: bottom of its cell on the centre line; second: top on it.
        p.drawText(cx - w1 / 2, cy - fm.height() + fm.ascent(), words[0]);
        p.drawText(cx - w2 / 2, cy + fm.ascent(), words[1]);
    } else {
        const int w = fm.horizontalAdvance(label);
        p.drawText(cx - w / 2, cy + fm.ascent() / 2, label);
    }
    p.restore();
}

void FaceButton::paintInto(QPainter& p) const {
    paintFace(p, faceRect_, label_, font(), false);
}

void FaceButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintFace(p, rect(), label_, font(), isDown());
}

void FaceButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        if (theSettings().rightButtonRestart) sendMainCommand(kMapCommand);
        event->accept();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

// --- PictureButton ----------------------------------------------------------

PictureButton::PictureButton(QWidget* parent, int commandId, int bitmapNumber, int x, int y,
                             int width, int height)
    : QAbstractButton(parent), commandId_(commandId), bitmap_(picture(bitmapNumber)) {
    setGeometry(x, y, width, height);
    connect(this, &QAbstractButton::clicked, this, [this] { emit command(commandId_); });
}

QPoint PictureButton::bitmapOffset(QSize button, QSize bitmap) {
    return QPoint((button.width() - bitmap.width()) / 2,
                  (button.height() - bitmap.height() + 1) / 2);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    drawButtonFace(p, rect(), isDown(), true);
    p.setClipRect(rect());
    p.drawImage(bitmapOffset(size(), bitmap_.size()), bitmap_);
}
