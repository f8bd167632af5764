#include "shell/WelcomeWindow.h"

#include "data/Settings.h"
#include "dialogs/Buttons.h"
#include "fileio/FileSystem.h"

#include <QPainter>
#include <QTimerEvent>

namespace {
const QColor kLightYellow(255, 255, 0);
}   // namespace

WelcomeWindow::WelcomeWindow(QWidget* parent, const Settings& settings,
                             std::function<void()> onStart)
    : QWidget(parent), settings_(settings), onStart_(std::move(onStart)) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    if (settings_.initialTimeout != 0) {
        const uint32_t seconds = std::min<uint32_t>(settings_.initialTimeout, 2000000);
        timer_.start(static_cast<int>(seconds * 1000), this);
    }
}

void WelcomeWindow::start() {
    if (started_) return;   // the screen is left once
    started_ = true;
    timer_.stop();
    if (onStart_) onStart_();
}

void WelcomeWindow::timerEvent(QTimerEvent* event) {
    const int ownTimer = timer_.timerId();
    if (settings_.initialTimeout != 0) timer_.stop();
    if (event->timerId() == ownTimer) start();
}

void WelcomeWindow::paintEvent(QPaintEvent*) {
    if (settings_.showWelcomeScreen) paintWelcome();
    if (firstPaintHook_) {
        auto once = std::move(firstPaintHook_);
        firstPaintHook_ = nullptr;
        once();
    }
}

void WelcomeWindow::paintWelcome() {
    QPainter p(this);
    const QFontMetrics fm(font());
    cell_ = {fm.horizontalAdvance(QLatin1Char('N')), fm.height()};
    const int right = width(), bottom = height();

    if (!pictureRead_) {
        pictureRead_ = true;
        picture_ = QImage(QString::fromStdString(resolvePath("OVINIT.BMP")));
    }
    if (!picture_.isNull() && picture_.width() != 0) {
        p.drawImage((right - picture_.width()) / 2, (bottom - picture_.height()) / 2, picture_);
    } else {
        const QString message = QStringLiteral("Unable to open file: OVINIT.BMP");
        const int w = fm.horizontalAdvance(message);
        const QRect box(right / 2 - w / 2, bottom / 2, w, fm.height());
        p.fillRect(box, Qt::black);
        p.setPen(Qt::white);
        p.drawText(box.x(), box.y() + fm.ascent(), message);
    }

    p.setPen(kLightYellow);
    const QString version = QStringLiteral("Version %1").arg(QStringLiteral("2.1"));
    const QString built = QStringLiteral("Oct  8 2007");
    p.drawText(right - cell_.width - fm.horizontalAdvance(version),
               bottom - 7 * cell_.height - fm.descent(), version);
    p.drawText(right - cell_.width - fm.horizontalAdvance(built),
               bottom - 6 * cell_.height - fm.descent(), built);

    placeStartButton();
}

void WelcomeWindow::placeStartButton() {
    const PaneRect r = welcomeStartButtonRect(width(), cell_.height, settings_.buttonHeight);
    if (!start_) {
        start_ = new FaceButton(this, Command::WelcomeStart, QStringLiteral("Start"), r.x, r.y,
                                r.width, r.height, settings_.rightButtonRestart);
        connect(start_, &FaceButton::command, this, [this] { start(); });
        connect(start_, &FaceButton::restartRequested, this, &WelcomeWindow::restartRequested);
        start_->show();
    } else if (start_->faceRect() != QRect(r.x, r.y, r.width, r.height)) {
        start_->setFaceGeometry(r.x, r.y, r.width, r.height);
    }
}

void WelcomeWindow::resizeEvent(QResizeEvent*) {
    // The first paint may come before the window has taken the screen (a
    // kiosk X session without a window manager sizes it afterwards).
    if (start_) placeStartButton();
}
