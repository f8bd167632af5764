// Small modeless pop-ups without caption that show one text file each:
// InfoWindow (explains a view or the event) and TutorialWindow (one tutorial
// step). Both are built on TextWindow, which reads the text, sizes the window
// so the text fits with a pleasant width-to-height ratio, places it on the
// screen and paints it. The owner shows the window, reads its flags on its
// next tick and deletes it.
#pragma once

#include "dialogs/Commands.h"

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class FaceButton;
class Sound;
struct Settings;

// Forms of a text window.
constexpr int kFormInformation = 0;
constexpr int kFormAutomaticTutorial = 1;
constexpr int kFormBrowsedTutorial = 2;

// Positions of a browsed tutorial step.
constexpr int kTutorialFirst = 0;
constexpr int kTutorialMiddle = 1;
constexpr int kTutorialLast = 2;

// --- Layout decisions, free of widgets ------------------------------------

// Size of the text word-wrapped in `width` pixels, in the large (true) or
// normal-size (false) font. The width may exceed `width` for a long word.
using TextMeasure = std::function<QSize(bool largeFont, int width)>;

struct TextWindowLayout {
    bool largeFont = true;
    QSize fitted;       // the fitted text size
    QRect textRect;     // in window coordinates
    QRect windowRect;   // in screen coordinates, button row included
    int buttonRowHeight = 0;
};

// Fits the text: from 160 x 120, widens at most ten times by 10 % until the
// width is at least height * k / 3 (k = 5 tutorial, 4 information). The
// height is the measured height, but never less than the starting 120.
QSize fitTextSize(const TextMeasure& measure, bool largeFont, int k);

// The width the row of buttons of a window of `form` needs, edges included:
// two buttons (Back and More..., or the automatic tutorial's two) or, for the
// browsed tutorial, three (Previous, Cancel, Next) with 10 pixels around each.
int buttonRowWidth(int form, int averageCharWidth);

// The whole sizing and placement for a text window of `form` on a screen.
// `h` is the character height and `averageCharWidth` the average character
// width of the standard interface font. A window narrower than its button
// row is widened to it, the text rectangle with it.
TextWindowLayout layoutTextWindow(int form, const TextMeasure& measure, const QRect& screen, int h,
                                  float buttonHeight, int averageCharWidth);

struct ButtonPlace {
    Command id = Command::InfoBack;
    QString label;
    QRect rect;   // in window coordinates
};

// The buttons of an information window of size `window`.
std::vector<ButtonPlace> infoButtonPlaces(QSize window, int h, int averageCharWidth,
                                          float buttonHeight, bool hasMore);
// The buttons of a tutorial window of size `window`.
std::vector<ButtonPlace> tutorialButtonPlaces(QSize window, int h, int averageCharWidth, int form,
                                              int position);

// The text shown for a file: its display text with the more-tag taken out
// (into `moreFile`), or "File %s not found".
QString loadWindowText(const QString& fileName, QString& moreFile);

// --- Windows --------------------------------------------------------------

class TextWindow : public QWidget {
    Q_OBJECT
public:
    bool done() const { return done_; }
    int form() const { return form_; }
    const QString& fileName() const { return fileName_; }
    const QString& text() const { return text_; }
    const QString& moreFile() const { return moreFile_; }
    const TextWindowLayout& layout() const { return layout_; }
    const QFont& textFont() const { return textFont_; }

    // Where the window sends the Map command of a right click when
    // RIGHT BUTTON RESTART is set (the owner's route to the main window);
    // without one the command is dropped. A follow-up window gets the same.
    // The command is delivered after the click's own event has finished, so
    // the receiver may delete this window.
    void setCommandHandler(std::function<void(Command)> handler) {
        commandHandler_ = std::move(handler);
    }
    const std::function<void(Command)>& commandHandler() const { return commandHandler_; }

signals:
    // The user closed the window (with a button or a click). A receiver
    // that wants to dispose of the window uses deleteLater().
    void closedByUser();

protected:
    // The settings (button height, RIGHT BUTTON RESTART) and the sound of the
    // button clicks are the owner's and must outlive the window.
    TextWindow(QWidget* owner, const Settings& settings, Sound& sound, const QString& fileName,
               int form);
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent* event) override;
    void sendCommand(Command command);
    void finish(bool setDone);   // sets the done flag when asked, closes
    FaceButton* makeButton(const ButtonPlace& place);

    const Settings& settings_;
    Sound& sound_;
    int h_ = 0;              // character height of the interface font
    int averageWidth_ = 0;   // average character width of the interface font

private:
    QString fileName_;
    QString text_;
    QString moreFile_;
    int form_;
    QFont textFont_;
    TextWindowLayout layout_;
    bool done_ = false;
    std::function<void(Command)> commandHandler_;
};

class InfoWindow : public TextWindow {
    Q_OBJECT
public:
    InfoWindow(QWidget* owner, const Settings& settings, Sound& sound, const QString& fileName);
    ~InfoWindow() override;

    FaceButton* backButton() const { return back_; }
    FaceButton* moreButton() const { return more_; }   // null without a follow-up file
    InfoWindow* followUp() const { return followUp_; }

    void back();   // "Back"
    void more();   // "More..."

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    FaceButton* back_ = nullptr;
    FaceButton* more_ = nullptr;
    QPointer<InfoWindow> followUp_;
};

class TutorialWindow : public TextWindow {
    Q_OBJECT
public:
    // form 1 (automatic) or 2 (browsed); position 0 first, 1 middle, 2 last.
    TutorialWindow(QWidget* owner, const Settings& settings, Sound& sound, const QString& fileName,
                   int form, int position = 0);

    int position() const { return position_; }
    bool continueFlag() const { return continue_; }
    bool nextFlag() const { return next_; }
    bool previousFlag() const { return previous_; }
    bool cancelFlag() const { return cancel_; }
    // The button with that command id, or null when this window has none.
    FaceButton* button(Command id) const;

    void answer(Command id);   // what the button with that id does

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    int position_;
    bool continue_ = false, next_ = false, previous_ = false, cancel_ = false;
    std::vector<FaceButton*> buttons_;
};
