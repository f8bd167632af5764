#include "dialogs/Buttons.h"

#include "dialogs/Frames.h"
#include "dialogs/Pictures.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>

namespace {
bool isEnterKey(const QKeyEvent* event) {
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
           && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}
}   // namespace

// --- KeyboardButton ---------------------------------------------------------

KeyboardButton::KeyboardButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::TabFocus);
}

bool KeyboardButton::event(QEvent* event) {
    // A button focused by the keyboard keeps Enter for itself, so that the
    // key does not reach the main window's Enter accelerator instead.
    if (event->type() == QEvent::ShortcutOverride && showsFocusMark()
        && isEnterKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    // The first Tab onto a focus the window handed out by itself shows it
    // here, where the chain starts, instead of moving on (a window with one
    // button would otherwise never show its mark).
    if (event->type() == QEvent::KeyPress && hasFocus() && !keyboardFocus_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyboardFocus_ = true;
            update();
            return true;
        }
    }
    return QAbstractButton::event(event);
}

void KeyboardButton::keyPressEvent(QKeyEvent* event) {
    if (!keyboardFocus_) {
        event->ignore();   // to the parent, as if the button had no focus
        return;
    }
    if (isEnterKey(event)) {
        if (!event->isAutoRepeat() && isEnabled()) click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);   // Space
}

void KeyboardButton::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
        keyboardFocus_ = true;
    else if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
        keyboardFocus_ = false;   // handed on when another widget went away
    QAbstractButton::focusInEvent(event);
    update();
}

void KeyboardButton::focusOutEvent(QFocusEvent* event) {
    // Leaving the window keeps the mark for the return; moving on clears it.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
        keyboardFocus_ = false;
    QAbstractButton::focusOutEvent(event);
    update();
}

// --- FaceButton -------------------------------------------------------------

FaceButton::FaceButton(QWidget* parent, Command commandId, const QString& label, int x, int y,
                       int width, int height, std::optional<bool> rightButtonRestart)
    : KeyboardButton(parent), commandId_(commandId), rightButtonRestart_(rightButtonRestart) {
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

void FaceButton::paintFace(QPainter& p, const QRect& rect, const QString& label, const QFont& font,
                           bool down) {
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

void FaceButton::paintInto(QPainter& p) const { paintFace(p, faceRect_, label_, font(), false); }

void FaceButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintFace(p, rect(), label_, font(), isDown());
    if (showsFocusMark()) drawFocusMark(p, rect());
}

void FaceButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        if (!rightButtonRestart_) {
            event->ignore();   // to the parent, like a click beside the button
            return;
        }
        if (*rightButtonRestart_) emit restartRequested();
        event->accept();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

// --- PictureButton ----------------------------------------------------------

PictureButton::PictureButton(QWidget* parent, int commandId, int bitmapNumber, int x, int y,
                             int width, int height)
    : KeyboardButton(parent), commandId_(commandId), bitmap_(picture(bitmapNumber)) {
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
    p.setClipping(false);
    if (showsFocusMark()) drawFocusMark(p, rect());
}
