// Program-drawn push buttons: FaceButton (grey bevelled plate with a red text
// of one or two lines) and PictureButton (a picture centred on the face).
// Both report a click as command(id), like a push button's command message.
#pragma once

#include "dialogs/Commands.h"

#include <QAbstractButton>
#include <QImage>
#include <QString>

#include <functional>
#include <optional>

class QPainter;

// Common keyboard handling of the program-drawn buttons. A button takes the
// focus with Tab (never from a click or a touch); only a focus that the
// keyboard gave shows the dotted focus mark, and only then do Space and Enter
// press the button. A focus the window hands out by itself on activation
// stays invisible and inert, so a stray Enter on a kiosk keyboard never
// presses a button nobody chose.
class KeyboardButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit KeyboardButton(QWidget* parent);
    // The button has the focus and shows the focus mark.
    bool showsFocusMark() const { return hasFocus() && keyboardFocus_; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool keyboardFocus_ = false;
};

class FaceButton : public KeyboardButton {
    Q_OBJECT
public:
    static constexpr int kMaxLabel = 30;

    // Geometry in the parent's pixels; the label is cut to 30 characters.
    // With `rightButtonRestart` given, a right click on the button emits
    // restartRequested when it is true and does nothing otherwise; without it
    // the right click goes on to the widget the button sits on, which decides.
    FaceButton(QWidget* parent, Command commandId, const QString& label, int x, int y, int width,
               int height, std::optional<bool> rightButtonRestart = std::nullopt);

    Command commandId() const { return commandId_; }
    QString label() const { return label_; }
    void setLabel(const QString& label);   // e.g. "Pause" <-> "Resume"
    // The face rectangle in the parent's coordinates, as given at creation
    // (or by setFaceGeometry).
    QRect faceRect() const { return faceRect_; }
    void setFaceGeometry(int x, int y, int width, int height);

    // Draws the unpressed face and label at faceRect() into the parent's own
    // drawing surface (for views that paint over the button's area).
    void paintInto(QPainter& p) const;

    // The whole face drawing of a button at `rect` with `font`.
    static void paintFace(QPainter& p, const QRect& rect, const QString& label, const QFont& font,
                          bool down);

signals:
    void command(Command id);
    // A right click with RIGHT BUTTON RESTART set: the owner sends the Map
    // command on to the main window.
    void restartRequested();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Command commandId_;
    QString label_;
    QRect faceRect_;
    std::optional<bool> rightButtonRestart_;
};

class PictureButton : public KeyboardButton {
    Q_OBJECT
public:
    // Bitmap numbers are those of picture() (5, 6, 7, 9).
    PictureButton(QWidget* parent, int commandId, int bitmapNumber, int x, int y, int width,
                  int height);

    int commandId() const { return commandId_; }
    const QImage& bitmap() const { return bitmap_; }

    // Offset of the bitmap's top-left corner inside a button of the given size.
    static QPoint bitmapOffset(QSize button, QSize bitmap);

signals:
    void command(int id);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int commandId_;
    QImage bitmap_;
};
