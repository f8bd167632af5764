#include "views/WorldMapWindow.h"

#include "data/EventCatalogue.h"
#include "data/Settings.h"
#include "dialogs/Buttons.h"
#include "dialogs/Frames.h"
#include "dialogs/Pictures.h"
#include "dialogs/StationComponentsDialog.h"
#include "dialogs/TextWindows.h"
#include "fileio/FileSystem.h"
#include "fileio/Logging.h"
#include "seismology/SphericalGeometry.h"
#include "sound/Sound.h"
#include "views/DrawText.h"
#include "views/EventInformationDialog.h"

#include <QEventLoop>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QTimerEvent>

namespace {

QRect toQRect(const Rect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

const QColor kLightYellow(255, 255, 0);
const QColor kStationBlue(0, 0, 255);

}   // namespace

// ---------------------------------------------------------------- life

WorldMapWindow::WorldMapWindow(QWidget* parent, WorldMapHost& host, Settings& settings,
                               Sound& sound, EventCatalogue& catalogue,
                               const TutorialScript& script)
    : QWidget(parent), host_(host), settings_(settings), sound_(sound), catalogue_(catalogue),
      sequence_(*this, settings, catalogue, script) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ovcolors::lightGrey);
    setPalette(pal);
    mercatorLookup(0);   // builds the ordinate table
    catalogue_.scanEvents(".");
    sound_.openMidi(settings_);
    sequence_.setUp();
    timer_.start(1000, this);
}

WorldMapWindow::~WorldMapWindow() {
    timer_.stop();
    delete tutorial_.data();
}

void WorldMapWindow::setUserTimeout(uint32_t seconds) { sequence_.setUserTimeout(seconds); }

void WorldMapWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer_.timerId()) secondPassed();
}

void WorldMapWindow::secondPassed() { sequence_.secondPassed(); }

// ---------------------------------------------------------------- geometry

MapFontMetrics WorldMapWindow::fontMetrics() const {
    const QFontMetrics fm(font());
    MapFontMetrics m;
    m.textHeight = fm.height();
    m.ascent = fm.ascent();
    m.averageCharWidth = fm.averageCharWidth();
    return m;
}

void WorldMapWindow::updateScreen() {
    const MapFontMetrics m = fontMetrics();
    screen_ = layoutWorldMapScreen(Rect{0, 0, width(), height()}, m, settings_.canExit,
                                   settings_.exitLabel, settings_.buttonHeight);
    const QFontMetrics fm(font());
    const TextWidth textWidth = [&fm](const std::string& s) {
        return fm.horizontalAdvance(QString::fromStdString(s));
    };
    if (mode_ == Mode::Events) {
        layoutEventLabels(catalogue_, screen_, m, textWidth);
    } else {
        int x = 0, y = 0;
        screenPoint(screen_, currentEvent_.latitude, currentEvent_.longitude, x, y);
        currentEvent_.mapMarkerRect = eventMarkerRect(x, y);
    }
    ensureButtons();
}

void WorldMapWindow::ensureButtons() {
    if (screen_.hasExitButton) {
        const QRect r = toQRect(screen_.exitButton);
        if (!exitButton_) {
            exitButton_ = new FaceButton(this, Command::MapExit,
                                         QString::fromStdString(settings_.exitLabel), r.x(), r.y(),
                                         r.width(), r.height(), settings_.rightButtonRestart);
            connect(exitButton_, &FaceButton::command, this, &WorldMapWindow::buttonCommand);
            connect(exitButton_, &FaceButton::restartRequested, this,
                    [this] { host_.worldMapCommand(Command::Map); });
            exitButton_->show();
        } else if (exitButton_->faceRect() != r) {
            exitButton_->setFaceGeometry(r.x(), r.y(), r.width(), r.height());
        }
    }
    const QRect r = toQRect(screen_.infoButton);
    if (!infoButton_) {
        infoButton_ = new FaceButton(this, Command::MapInformation, tr("Information"), r.x(), r.y(),
                                     r.width(), r.height(), settings_.rightButtonRestart);
        connect(infoButton_, &FaceButton::command, this, &WorldMapWindow::buttonCommand);
        connect(infoButton_, &FaceButton::restartRequested, this,
                [this] { host_.worldMapCommand(Command::Map); });
        infoButton_->show();
    } else if (infoButton_->faceRect() != r) {
        infoButton_->setFaceGeometry(r.x(), r.y(), r.width(), r.height());
    }
}

void WorldMapWindow::resizeEvent(QResizeEvent*) { updateScreen(); }

// ---------------------------------------------------------------- painting

void WorldMapWindow::paintEvent(QPaintEvent*) {
    updateScreen();
    QPainter p(this);
    drawScreen(p);
    p.end();
    host_.worldMapReady();
}

void WorldMapWindow::drawScreen(QPainter& p) {
    p.fillRect(rect(), ovcolors::lightGrey);
    const QRect map = toQRect(screen_.mapRect);
    p.fillRect(map, ovcolors::black);

    if (!worldRead_) {
        // Read once; a picture that is missing or cannot be read leaves the map black.
        worldRead_ = true;
        const std::string path = resolvePath("WORLD.SAV");
        if (fileExists(path)) world_ = QImage(QString::fromStdString(path), "BMP");
    }
    if (!world_.isNull() && map.width() > 0 && map.height() > 0) {
        if (worldScaled_.size() != map.size())
            worldScaled_ = QPixmap::fromImage(
                world_.scaled(map.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        p.drawPixmap(map.topLeft(), worldScaled_);
    }
    drawBevelPanel(p, map, std::nullopt, true, 3, 0);

    // Title.
    const QFontMetrics fm(font());
    const int cell = fm.height();
    QFont titleFont;
    titleFont.setFamilies({QStringLiteral("Times Roman"), QStringLiteral("Times")});
    titleFont.setStyleHint(QFont::Serif);
    titleFont.setBold(true);
    titleFont.setPixelSize(std::max(1, cell + cell / 2));
    const QFontMetrics tm(titleFont);
    const QString title = mode_ == Mode::Events ? tr("Select an earthquake")
                                                : tr("Touch earthquake when done");
    const int tw = tm.horizontalAdvance(title);
    const QRect box = toQRect(
        titleBoxRect(screen_.titleCentreX, screen_.titleCentreY, tw, tm.height()));
    p.setPen(ovcolors::black);
    p.setBrush(kLightYellow);
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setFont(titleFont);
    const int boxCentreX = box.left() + box.width() / 2;
    const int boxCentreY = box.top() + box.height() / 2;
    drawText(p, boxCentreX, boxCentreY + fm.ascent() / 2, title, align::CentreBaseline,
             ovcolors::black);
    p.setFont(font());

    if (mode_ == Mode::Events) {
        for (int i = 0; i < catalogue_.count(); ++i)
            drawLabelFace(p, catalogue_.at(i), i == pressedLabel_);
    } else {
        const Rect& marker = currentEvent_.mapMarkerRect;
        p.drawImage(QPoint(marker.left, marker.top),
                    picture(starDown_ ? kStarIconDown : kStarIcon));
        for (StationRecord& s : stations_) drawStation(p, s);
    }
}

void WorldMapWindow::drawLabelFace(QPainter& p, const EventRecord& event, bool down) const {
    const QRect r = toQRect(event.mapLabelRect);
    if (r.isEmpty()) return;
    drawButtonFace(p, r, down, true);
    const int shift = down ? 1 : 0;
    const int cx = r.left() + r.width() / 2 + shift;
    const int cy = r.top() + r.height() / 2 + shift;
    p.setFont(font());
    drawText(p, cx, cy, QString::fromStdString(event.name), align::CentreBottom,
             ovcolors::lightRed);
    drawText(p, cx, cy, QString::fromStdString(event.dateDisplay), align::CentreTop,
             ovcolors::lightRed);
}

void WorldMapWindow::drawStation(QPainter& p, StationRecord& station) {
    int x = 0, y = 0;
    stationPoint(screen_, station.latitude, station.longitude, x, y);
    station.mapMarkerRect = stationMarkerRect(x, y);
    p.save();
    p.translate(x, y);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(ovcolors::black, 2));
    p.setBrush(kStationBlue);
    p.drawEllipse(QRect(-8, -8, 17, 17));

    const QString name = QString::fromStdString(station.stationName).trimmed();
    p.setFont(font());
    drawText(p, 2, -7, name, align::CentreBottom, ovcolors::black);
    drawText(p, 1, -8, name, align::CentreBottom, ovcolors::black);
    drawText(p, 0, -9, name, align::CentreBottom, ovcolors::white);

    // Components E, N, Z: red when played, white when only available.
    for (int place : {2, 1, 0}) {
        const std::size_t i = static_cast<std::size_t>(place);
        if (!station.available[i]) continue;
        const QColor c = station.selected[i] ? ovcolors::lightRed : ovcolors::white;
        p.setPen(QPen(c, 1));
        p.setBrush(c);
        if (place == 2)
            p.fillRect(QRect(-9, -1, 17, 2), c);
        else if (place == 1)
            p.fillRect(QRect(-2, -9, 3, 17), c);
        else
            p.drawEllipse(QRect(-3, -3, 6, 6));
    }
    p.restore();
}

// ---------------------------------------------------------------- touches

void WorldMapWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    event->accept();
    touch(event->position().toPoint());
}

void WorldMapWindow::touch(QPoint point) {
    if (busy_) return;   // a dialog of an earlier touch is still open
    if (tutorial_) destroyTutorialWindow();
    host_.closeMainPopups();
    if (mode_ == Mode::Events)
        touchEvents(point);
    else
        touchStations(point);
}

int WorldMapWindow::runDialog(QDialog& dialog) {
    if (dialogRunner_) return dialogRunner_(dialog);
    return dialog.exec();
}

void WorldMapWindow::touchEvents(QPoint q) {
    const int index = eventLabelAt(catalogue_, q.x(), q.y());
    if (index < 0) return;
    sequence_.leaveTutorial();
    timer_.stop();
    currentIndex_ = index;
    currentEvent_ = catalogue_.at(index);
    host_.chooseEvent(index, currentEvent_.fileName);
    click();
    drawLabel(index, true);

    if (!settings_.selectComponents) {
        host_.worldMapCommand(Command::StartCurrentEvent);
        return;
    }

    QPointer<WorldMapWindow> alive(this);
    busy_ = true;
    if (waiter_)
        waiter_(150);
    else {
        QEventLoop loop;
        QTimer::singleShot(150, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!alive) return;
    drawLabel(index, false);

    QPointer<EventInformationDialog> dialog = new EventInformationDialog(this, currentEvent_);
    const int result = runDialog(*dialog);
    if (!alive) return;
    busy_ = false;
    const bool selectStations = dialog && dialog->selectStations();
    delete dialog.data();
    if (result != QDialog::Accepted) {
        drawLabel(index, false);
        return;
    }
    if (!selectStations) {
        host_.worldMapCommand(Command::StartCurrentEvent);
        return;
    }
    mode_ = Mode::Stations;
    messageShown_ = false;
    stations_ = buildStationList(currentEvent_, this, ".");
    std::string stationList;
    if (!stations_.empty() && readWholeFile("ZURIVI.STA", stationList, 1 << 20))
        attachStationDescriptions(stations_, stationList);
    // A folder that lists but holds no readable seismogram has nothing to
    // choose from either.
    if (stations_.empty() && !messageShown_) showMessage("No files found");
    update();
}

void WorldMapWindow::touchStations(QPoint q) {
    if (rectContains(currentEvent_.mapMarkerRect, q.x(), q.y())) {
        click();
        starDown_ = true;
        repaint();
        host_.chooseEvent(currentIndex_, currentEvent_.fileName);
        host_.worldMapCommand(Command::StartCurrentEvent);
        return;
    }
    const int index = stationAt(stations_, q.x(), q.y());
    if (index < 0) return;
    click();
    StationRecord& station = stations_[static_cast<std::size_t>(index)];
    const GreatCircle gc = greatCircle(station.latitude, station.longitude, currentEvent_.latitude,
                                       currentEvent_.longitude);

    QPointer<WorldMapWindow> alive(this);
    busy_ = true;
    QPointer<StationComponentsDialog> dialog = new StationComponentsDialog(this, station, stations_,
                                                                           gc.distance, gc.azimuth);
    const int result = runDialog(*dialog);
    if (!alive) return;
    busy_ = false;
    if (result == QDialog::Accepted && dialog) {
        dialog->applyTo(stations_[static_cast<std::size_t>(index)]);
        if (writeEventFile(currentEvent_, stations_, false)) {
            // Keep the record in step with the file just written.
            std::vector<ComponentRecord> files;
            for (const StationRecord& s : stations_)
                for (std::size_t p = 0; p < 3; ++p)
                    if (s.selected[p] && !s.componentFile[p].empty()) {
                        ComponentRecord c;
                        c.fileName = s.componentFile[p];
                        files.push_back(c);
                    }
            currentEvent_.stationFiles = files;
            if (currentIndex_ >= 0 && currentIndex_ < catalogue_.count()
                && catalogue_.at(currentIndex_).fileName == currentEvent_.fileName)
                catalogue_.at(currentIndex_).stationFiles = std::move(files);
        }
        update();
    }
    delete dialog.data();
}

void WorldMapWindow::buttonCommand(Command id) {
    if (id == Command::MapExit) {
        click();
        host_.worldMapCommand(Command::Exit);
    } else if (id == Command::MapInformation) {
        click();
        if (tutorial_) destroyTutorialWindow();
        host_.showInformation(mode_ == Mode::Events ? "MAP_EV.INF" : "MAP_ST.INF");
        sequence_.restartCountdown();
    }
}

// ---------------------------------------------------------------- sequence host

MapTutorialWindowState WorldMapWindow::tutorialWindowState() {
    MapTutorialWindowState s;
    if (!tutorial_) return s;
    s.exists = true;
    s.done = tutorial_->done();
    s.cancelled = tutorial_->cancelFlag();
    return s;
}

void WorldMapWindow::openTutorialWindow(const std::string& textFile) {
    qCInfo(lcWorldMap) << "tutorial page" << textFile.c_str() << "opened on the world map";
    delete tutorial_.data();
    tutorial_ = new TutorialWindow(this, settings_, sound_, QString::fromStdString(textFile),
                                   kFormAutomaticTutorial);
    // The page goes away with the map; a command still on its way then is dropped.
    tutorial_->setCommandHandler([map = QPointer<WorldMapWindow>(this)](Command id) {
        if (map) map->host_.worldMapCommand(id);
    });
    tutorial_->show();
}

void WorldMapWindow::destroyTutorialWindow() {
    if (!tutorial_) return;
    TutorialWindow* w = tutorial_;
    tutorial_ = nullptr;
    if (!w->done()) w->close();
    w->hide();
    w->deleteLater();
}

void WorldMapWindow::leaveTutorialMode() { host_.leaveTutorialMode(); }

void WorldMapWindow::click() { sound_.click(); }

void WorldMapWindow::drawLabel(int catalogueIndex, bool down) {
    pressedLabel_ = down ? catalogueIndex : -1;
    repaint();
}

// Both are called only when the map's time-out runs out.
void WorldMapWindow::startEvent(int catalogueIndex, const std::string& fileName) {
    qCInfo(lcWorldMap) << "time-out on the world map starts" << fileName.c_str();
    host_.chooseEvent(catalogueIndex, fileName);
    host_.worldMapCommand(Command::StartCurrentEvent);
}

void WorldMapWindow::exitProgram() {
    qCInfo(lcWorldMap) << "time-out on the world map ends the program (exit when done)";
    host_.worldMapCommand(Command::Exit);
}

void WorldMapWindow::showMessage(const std::string& text) {
    messageShown_ = true;
    const QString message = QString::fromStdString(text);
    if (messageShower_)
        messageShower_(this, message);
    else
        QMessageBox::warning(this, QString(), message);
}
