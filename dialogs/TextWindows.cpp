#include "dialogs/TextWindows.h"

#include "data/InfoText.h"
#include "data/Settings.h"
#include "dialogs/Buttons.h"
#include "dialogs/Frames.h"
#include "fileio/FileSystem.h"
#include "sound/Sound.h"

#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>

// --- Layout decisions -------------------------------------------------------

namespace {

constexpr int kStartWidth = 160;
constexpr int kStartHeight = 120;
constexpr int kMaxWidenings = 10;

// Button height factor kept to sane values whatever the settings file says.
float saneButtonHeight(float factor) {
    if (!(factor > 0)) return 0;
    return std::min(factor, 20.0f);
}

}   // namespace

QSize fitTextSize(const TextMeasure& measure, bool largeFont, int k) {
    int width = kStartWidth;
    int height = kStartHeight;
    for (int i = 0; i < kMaxWidenings; ++i) {
        const int trial = width * 11 / 10;
        const QSize m = measure(largeFont, trial);
        width = std::max(trial, m.width());
        height = std::max(kStartHeight, m.height());
        if (width >= height * k / 3) break;
    }
    return QSize(width, height);
}

int buttonRowWidth(int form, int averageCharWidth) {
    if (form == kFormInformation) return 2 * 10 * averageCharWidth + 30;
    const int width = 12 * averageCharWidth;
    if (form == kFormBrowsedTutorial) return 3 * width + 40;
    return 2 * width + 30;
}

TextWindowLayout layoutTextWindow(int form, const TextMeasure& measure, const QRect& screen, int h,
                                  float buttonHeight, int averageCharWidth) {
    const bool tutorial = form != kFormInformation;
    const int k = tutorial ? 5 : 4;
    const double widthShare = tutorial ? 0.8 : 0.9;

    TextWindowLayout out;
    out.fitted = fitTextSize(measure, true, k);
    if (out.fitted.width() > widthShare * screen.width()
        || out.fitted.height() > 0.8 * screen.height()) {
        out.largeFont = false;
        out.fitted = fitTextSize(measure, false, k);
    }

    // Text rectangle: fitted rectangle grown by 8, moved by 18 right and down;
    // the window is the text rectangle grown by 10.
    out.textRect = QRect(10, 10, out.fitted.width() + 16, out.fitted.height() + 16);
    int W = out.textRect.width() + 20;
    int H = out.textRect.height() + 20;
    // A short text in a wide font would leave the buttons overlapping.
    const int row = buttonRowWidth(form, averageCharWidth);
    if (W < row) {
        out.textRect.setWidth(out.textRect.width() + row - W);
        W = row;
    }
    if (tutorial) {
        H += 2 * h;   // room for the heading
        out.textRect.translate(0, 2 * h);
    }

    int x, y;
    if (tutorial) {
        x = screen.x() + screen.width() - 10 - W;
        y = screen.y();
    } else {
        x = screen.x() + (screen.width() - W) / 2;
        y = screen.y() + (screen.height() - H) / 2;
    }
    x = std::max(x, screen.x() + 10);
    y = std::max(y, screen.y() + 10);

    out.buttonRowHeight = int(h * saneButtonHeight(buttonHeight)) + 10;
    H += out.buttonRowHeight;
    out.windowRect = QRect(x, y, W, H);
    return out;
}

std::vector<ButtonPlace> infoButtonPlaces(QSize window, int h, int averageCharWidth,
                                          float buttonHeight, bool hasMore) {
    const int w = 10 * averageCharWidth;
    const int b = int(h * saneButtonHeight(buttonHeight));
    const int y = window.height() - b - 10;
    std::vector<ButtonPlace> places;
    places.push_back({Command::InfoBack, QStringLiteral("Back"), QRect(10, y, w, b)});
    if (hasMore)
        places.push_back({Command::InfoMore, QStringLiteral("More..."),
                          QRect(window.width() - w - 10, y, w, b)});
    return places;
}

std::vector<ButtonPlace> tutorialButtonPlaces(QSize window, int h, int averageCharWidth, int form,
                                              int position) {
    const int width = 12 * averageCharWidth;
    const int height = 2 * h;
    const int y = window.height() - height - 10;
    const QRect right(window.width() - width - 10, y, width, height);
    const QRect left(10, y, width, height);
    const QRect beside(width + 20, y, width, height);
    const ButtonPlace cont{Command::TutorialContinue, QStringLiteral("Continue"), right};
    const ButtonPlace next{Command::TutorialNext, QStringLiteral("Next"), right};
    const ButtonPlace previous{Command::TutorialPrevious, QStringLiteral("Previous"), left};
    if (form == kFormAutomaticTutorial)
        return {cont, {Command::TutorialCancel, QStringLiteral("Cancel"), left}};
    if (position == kTutorialFirst)
        return {next, {Command::TutorialCancel, QStringLiteral("Cancel"), left}};
    if (position == kTutorialLast)
        return {previous, {Command::TutorialCancel, QStringLiteral("Cancel"), beside}};
    return {next, previous, {Command::TutorialCancel, QStringLiteral("Cancel"), beside}};
}

QString loadWindowText(const QString& fileName, QString& moreFile) {
    moreFile.clear();
    std::optional<std::string> text = readInfoText(fileName.toStdString());
    if (!text) return QStringLiteral("File %1 not found").arg(fileName).left(99);
    std::string value;
    if (findTag(*text, "more", value) && !value.empty()) moreFile = QString::fromStdString(value);

    // Texts written on older systems are often Latin-1 rather than UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString decoded = utf8.decode(QByteArrayView(text->data(), qsizetype(text->size())));
    if (utf8.hasError()) decoded = QString::fromLatin1(text->data(), qsizetype(text->size()));
    decoded.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return decoded;
}

// --- TextWindow -------------------------------------------------------------

namespace {

QFont boldTextFont(int height) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setBold(true);
    font.setPixelSize(std::max(1, height));
    // Make the character cell, not the em, the requested height.
    const int cell = QFontMetrics(font).height();
    if (cell > height && cell > 0) font.setPixelSize(std::max(1, height * height / cell));
    return font;
}

QSize measureText(const QFont& font, const QString& text, int width) {
    const QFontMetrics fm(font);
    return fm.boundingRect(QRect(0, 0, width, 1 << 24), Qt::TextWordWrap | Qt::AlignLeft, text)
        .size();
}

}   // namespace

TextWindow::TextWindow(QWidget* owner, const Settings& settings, Sound& sound,
                       const QString& fileName, int form)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint), settings_(settings), sound_(sound),
      fileName_(fileName), form_(form) {
    const QFontMetrics standard(QApplication::font());
    h_ = standard.height();
    averageWidth_ = std::max(1, standard.averageCharWidth());

    QPalette pal = palette();
    pal.setColor(QPalette::Window, ovcolors::lightGrey);
    setPalette(pal);
    setAutoFillBackground(true);

    text_ = loadWindowText(fileName, moreFile_);

    const QFont large = boldTextFont(int(1.5 * h_));
    const QFont normal = boldTextFont(h_);
    const TextMeasure measure = [&](bool useLarge, int width) {
        return measureText(useLarge ? large : normal, text_, width);
    };
    QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 800, 600);
    layout_ = layoutTextWindow(form, measure, screenRect, h_, settings_.buttonHeight,
                               averageWidth_);
    textFont_ = layout_.largeFont ? large : normal;
    setGeometry(layout_.windowRect);
    setFixedSize(layout_.windowRect.size());
}

void TextWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    activateWindow();
}

void TextWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = layout_.textRect;

    // The thin border of the window.
    p.setPen(QPen(ovcolors::black, 0));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    p.fillRect(r, QColor(255, 255, 0));
    p.fillRect(r.x(), r.y(), r.width(), 2, ovcolors::black);
    p.fillRect(r.x(), r.y(), 2, r.height(), ovcolors::black);
    p.fillRect(r.x() + 2, r.y() + r.height() - 2, r.width() - 2, 2, ovcolors::white);
    p.fillRect(r.x() + r.width() - 2, r.y() + 2, 2, r.height() - 2, ovcolors::white);

    if (form_ != kFormInformation) {
        const QFont heading = boldTextFont(int(1.5 * h_));
        const QFontMetrics fm(heading);
        const QString word = QStringLiteral("Tutorial");
        const int bottom = fm.height() + 12;
        drawBevelPanel(p, QRect(9, 6, width() - 7 - 9, bottom - 6), ovcolors::lightGrey, false, 2,
                       0);
        p.setFont(heading);
        p.setPen(ovcolors::black);
        p.drawText(width() / 2 - fm.horizontalAdvance(word) / 2, 8 + fm.ascent(), word);
    }

    p.setFont(textFont_);
    p.setPen(ovcolors::black);
    p.setBackgroundMode(Qt::TransparentMode);
    p.drawText(r.adjusted(8, 6, -8, -6), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text_);
}

void TextWindow::sendCommand(Command command) {
    if (!commandHandler_) return;
    auto handler = commandHandler_;
    QMetaObject::invokeMethod(
        qApp, [handler, command] { handler(command); }, Qt::QueuedConnection);
}

void TextWindow::finish(bool setDone) {
    if (setDone) done_ = true;
    close();
    emit closedByUser();
}

FaceButton* TextWindow::makeButton(const ButtonPlace& place) {
    auto* button = new FaceButton(this, place.id, place.label, place.rect.x(), place.rect.y(),
                                  place.rect.width(), place.rect.height(),
                                  settings_.rightButtonRestart);
    connect(button, &FaceButton::restartRequested, this, [this] { sendCommand(Command::Map); });
    button->show();
    return button;
}

// --- InfoWindow -------------------------------------------------------------

InfoWindow::InfoWindow(QWidget* owner, const Settings& settings, Sound& sound,
                       const QString& fileName)
    : TextWindow(owner, settings, sound, fileName, kFormInformation) {
    for (const ButtonPlace& place : infoButtonPlaces(
             size(), h_, averageWidth_, settings_.buttonHeight, !moreFile().isEmpty())) {
        FaceButton* button = makeButton(place);
        if (place.id == Command::InfoBack) {
            back_ = button;
            connect(button, &FaceButton::command, this, [this] { back(); });
        } else {
            more_ = button;
            connect(button, &FaceButton::command, this, [this] { more(); });
        }
    }
}

InfoWindow::~InfoWindow() { delete followUp_; }

void InfoWindow::back() {
    sound_.click();
    delete followUp_;
    followUp_ = nullptr;
    finish(true);
}

void InfoWindow::more() {
    sound_.click();
    if (moreFile().isEmpty()) return;
    // A follow-up named without a folder is looked for in the current
    // directory first, then beside this window's own file.
    QString path = moreFile();
    const QString folder = QFileInfo(fileName()).path();
    if (!fileExists(path.toStdString()) && folder != QStringLiteral(".")) {
        const QString beside = folder + QLatin1Char('/') + moreFile();
        if (fileExists(beside.toStdString())) path = beside;
    }
    delete followUp_;   // at most one follow-up window at a time
    followUp_ = new InfoWindow(this, settings_, sound_, path);
    followUp_->setCommandHandler(commandHandler());
    followUp_->show();
}

void InfoWindow::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        back();
    } else if (event->button() == Qt::RightButton) {
        // The command is delivered after this event, so sending it first is safe.
        if (settings_.rightButtonRestart) sendCommand(Command::Map);
        back();
    }
}

// --- TutorialWindow ---------------------------------------------------------

TutorialWindow::TutorialWindow(QWidget* owner, const Settings& settings, Sound& sound,
                               const QString& fileName, int form, int position)
    : TextWindow(owner, settings, sound, fileName,
                 form == kFormBrowsedTutorial ? kFormBrowsedTutorial : kFormAutomaticTutorial),
      position_(position) {
    for (const ButtonPlace& place :
         tutorialButtonPlaces(size(), h_, averageWidth_, this->form(), position)) {
        FaceButton* button = makeButton(place);
        buttons_.push_back(button);
        connect(button, &FaceButton::command, this, [this](Command id) { answer(id); });
    }
}

FaceButton* TutorialWindow::button(Command id) const {
    for (FaceButton* b : buttons_)
        if (b->commandId() == id) return b;
    return nullptr;
}

void TutorialWindow::answer(Command id) {
    sound_.click();
    switch (id) {
    case Command::TutorialContinue: continue_ = true; break;
    case Command::TutorialNext: next_ = true; break;
    case Command::TutorialPrevious: previous_ = true; break;
    case Command::TutorialCancel: cancel_ = true; break;
    default: return;
    }
    finish(true);
}

void TutorialWindow::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        sound_.click();
        finish(false);
    } else if (event->button() == Qt::RightButton) {
        if (settings_.rightButtonRestart) sendCommand(Command::Map);
        finish(false);
    }
}
