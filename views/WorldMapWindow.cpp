#include "views/WorldMapWindow.h"

#include "data/EventCatalogue.h"
#include "data/Settings.h"

#include <QPainter>
#include <QTimerEvent>

#include <algorithm>
#include <climits>

WorldMapWindow::WorldMapWindow(QWidget* parent, WorldMapHost& host, Settings& settings,
                               EventCatalogue& catalogue)
    : QWidget(parent), host_(host), settings_(settings), catalogue_(catalogue) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (settings_.userTimeout != 0)
        countdown_ = static_cast<int32_t>(std::min<uint32_t>(settings_.userTimeout, INT32_MAX));
    else if (settings_.tutorialMode)
        countdown_ = 1;
    timer_.start(1000, this);
}

WorldMapWindow::~WorldMapWindow() { timer_.stop(); }

void WorldMapWindow::setUserTimeout(uint32_t seconds) {
    countdown_ = static_cast<int32_t>(std::min<uint32_t>(seconds, INT32_MAX));
}

void WorldMapWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(192, 192, 192));
    if (!reported_) {
        reported_ = true;
        host_.worldMapReady();
    }
}

void WorldMapWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer_.timerId()) secondPassed();
}

void WorldMapWindow::secondPassed() {
    if (countdown_ == 0) return;
    if (--countdown_ != 0) return;
    if (settings_.exitWhenDone && !settings_.tutorialMode) {
        host_.worldMapCommand(203);
        return;
    }
    if (catalogue_.count() == 0) return;   // nothing to play: the map waits
    int index = settings_.tutorialMode ? catalogue_.findTutorialEvent(settings_) : 0;
    if (index < 0 || index >= catalogue_.count()) index = 0;
    host_.chooseEvent(0, catalogue_.at(index).fileName);
    host_.worldMapCommand(1025);
}
