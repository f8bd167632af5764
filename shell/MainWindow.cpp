#include "shell/MainWindow.h"

#include "dialogs/AboutDialog.h"
#include "dialogs/Buttons.h"
#include "dialogs/EventListDialog.h"
#include "dialogs/HelpLauncher.h"
#include "dialogs/OptionDialogs.h"
#include "dialogs/Pictures.h"
#include "dialogs/TextWindows.h"
#include "fileio/Logging.h"
#include "shell/ViewLayout.h"
#include "shell/WelcomeWindow.h"
#include "sound/Sound.h"
#include "views/CrossSectionView.h"
#include "views/DrawText.h"
#include "views/GlobeView.h"
#include "views/SeismogramView.h"
#include "views/ViewPane.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSaveFile>
#include <QShortcut>
#include <QStackedLayout>
#include <QTimer>
#include <QTimerEvent>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// One line per run for the log: the event, what was loaded and what was
// left out and why. The soak script counts runs by "event started: ".
void logRunLoaded(const RunState& run, bool reload) {
    QString text = QStringLiteral("%1: %2 \"%3\", %4 seismograms loaded")
                       .arg(reload ? QStringLiteral("event reloaded")
                                   : QStringLiteral("event started"),
                            QString::fromStdString(run.eventPath), QString::fromStdString(run.name))
                       .arg(run.seismogramCount);
    if (!run.dropped.empty()) {
        text += QStringLiteral(", %1 left out:").arg(run.dropped.size());
        constexpr std::size_t kListed = 10;
        for (std::size_t i = 0; i < run.dropped.size() && i < kListed; ++i)
            text += QStringLiteral(" %1 (%2)")
                        .arg(QString::fromStdString(run.dropped[i].file),
                             QString::fromStdString(run.dropped[i].reason));
        if (run.dropped.size() > kListed)
            text += QStringLiteral(" and %1 more").arg(run.dropped.size() - kListed);
    }
    if (run.seismogramCount == 0 || !run.dropped.empty())
        qCWarning(lcRunSetup).noquote() << text;
    else
        qCInfo(lcRunSetup).noquote() << text;
}

}   // namespace

bool writeBitmapFile(const QImage& image, const QString& path) {
    if (image.isNull() || path.isEmpty()) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!image.convertToFormat(QImage::Format_RGB888).save(&file, "BMP")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// ---------------------------------------------------------------- construction

MainWindow::MainWindow(Settings& settings, Sound& sound, RunState& run, EventCatalogue& catalogue,
                       const TutorialScript& script)
    : settings_(settings), sound_(sound), run_(run), catalogue_(catalogue), script_(script),
      clock_(*this, settings, run, catalogue, script),
      input_([this] { return milliseconds(); }, this) {
    elapsed_.start();
    input_.install();
    setWindowTitle(QStringLiteral("Orvanta"));
    setWindowIcon(QIcon(QPixmap::fromImage(picture(kProgramIcon))));
    if (settings_.titleBar) {
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                       | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                       | Qt::WindowCloseButtonHint);
    } else {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    }

    clientArea_ = new QWidget(this);
    QPalette pal = clientArea_->palette();
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    clientArea_->setPalette(pal);
    clientArea_->setAutoFillBackground(true);
    stack_ = new QStackedLayout(clientArea_);
    stack_->setContentsMargins(0, 0, 0, 0);
    setCentralWidget(clientArea_);

    if (settings_.menuBar) createMenu();

    // Accelerator table: Enter issues the Enter command.
    for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        enter->setContext(Qt::ApplicationShortcut);
        connect(enter, &QShortcut::activated, this, [this] { command(Command::Enter); });
    }

    welcome_ = new WelcomeWindow(clientArea_, settings_, [this] {
        sound_.stopMusic();
        clock_.setPendingAction(PendingAction::LeaveWelcome, 50);
    });
    connect(welcome_, &WelcomeWindow::restartRequested, this,
            [this] { postCommand(Command::Map); });
    setClient(welcome_);
    clock_.setUp();
}

MainWindow::~MainWindow() {
    for (auto& t : timers_) t.stop();
    delete tutorial_.data();
    delete info_.data();
}

void MainWindow::showAsConfigured() {
    if (settings_.titleBar)
        showMaximized();
    else
        showFullScreen();
    // On a bare kiosk X session without a window manager the full-screen and
    // maximised states are hints nobody acts on. When the window still does
    // not cover its screen a moment later, give it the screen's area itself.
    QTimer::singleShot(250, this, [this] {
        QScreen* s = screen();
        if (!s) return;
        const QRect area = settings_.titleBar ? s->availableGeometry() : s->geometry();
        const QRect frame = frameGeometry();
        if (frame.width() * 10 < area.width() * 9 || frame.height() * 10 < area.height() * 9)
            setGeometry(area);
    });
}

void MainWindow::createMenu() {
    QMenuBar* bar = menuBar();
    auto add = [this](QMenu* menu, const QString& text, Command id) {
        QAction* a = menu->addAction(text);
        a->setData(static_cast<int>(id));   // the item's command number
        connect(a, &QAction::triggered, this, [this, id] { command(id); });
        return a;
    };
    QMenu* quakes = bar->addMenu(QStringLiteral("&Earthquakes"));
    add(quakes, QStringLiteral("&List"), Command::List);
    add(quakes, QStringLiteral("&Map"), Command::Map);
    quakes->addSeparator();
    add(quakes, QStringLiteral("E&xit"), Command::Exit);

    QMenu* options = bar->addMenu(QStringLiteral("&Options"));
    add(options, QStringLiteral("&Phases..."), Command::Phases);
    add(options, QStringLiteral("&Speed..."), Command::Speed);
    add(options, QStringLiteral("&Audio..."), Command::Audio);
    QMenu* view = options->addMenu(QStringLiteral("&View"));
    add(view, QStringLiteral("&Earth"), Command::ViewEarth);
    add(view, QStringLiteral("&Cross-Section"), Command::ViewCrossSection);
    add(view, QStringLiteral("&Both with Seismograms"), Command::ViewAll);
    add(options, QStringLiteral("&Time window..."), Command::TimeWindow);
    add(options, QStringLiteral("Se&lect View..."), Command::SelectView);
    add(options, QStringLiteral("&Make bitmap..."), Command::MakeBitmap);
    QAction* script = add(options, QStringLiteral("Run from Script"), Command::RunFromScript);
    script->setCheckable(true);
    connect(options, &QMenu::aboutToShow, this,
            [this, script] { script->setChecked(settings_.runScript); });
    options->addSeparator();
    add(options, QStringLiteral("&Restart"), Command::Restart);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    add(help, QStringLiteral("&Help contents"), Command::HelpContents);
    add(help, QStringLiteral("&About"), Command::About);

    QMenu* exitMenu = bar->addMenu(QStringLiteral("E&xit"));
    add(exitMenu, QStringLiteral("E&xit"), Command::Exit);

    if (!settings_.canExit) {
        // Both Exit items, then the emptied fourth popup.
        for (int pass = 0; pass < 2; ++pass) {
            for (QMenu* menu : {quakes, exitMenu}) {
                const auto actions = menu->actions();
                auto it = std::find_if(actions.begin(), actions.end(), [](QAction* a) {
                    return a->data().toInt() == static_cast<int>(Command::Exit);
                });
                if (it != actions.end()) {
                    menu->removeAction(*it);
                    delete *it;
                    break;
                }
            }
        }
        const auto tops = bar->actions();
        if (tops.size() >= 4) {
            bar->removeAction(tops[3]);
            delete exitMenu;
        }
    }
}

// ---------------------------------------------------------------- clients

void MainWindow::setClient(QWidget* client) {
    stack_->addWidget(client);
    stack_->setCurrentWidget(client);
    client->setGeometry(clientArea_->rect());
    client->show();
}

void MainWindow::dropClient(QWidget* client) {
    if (!client) return;
    stack_->removeWidget(client);
    client->hide();
    client->deleteLater();
}

void MainWindow::buildLayout(ViewMode mode) {
    sound_.stopMusic();
    if (worldMap_) {
        WorldMapWindow* map = worldMap_;
        worldMap_ = nullptr;
        dropClient(map);
    }
    ViewLayout* old = layout_;
    layout_ = new ViewLayout(
        clientArea_, mode, geometry_, settings_, sound_, run_,
        [this] { return clock_.state().eventShown; }, [this](Command id) { barCommand(id); },
        commandRoute());
    setClient(layout_);
    dropClient(old);
}

void MainWindow::destroyWelcome() {
    if (!welcome_) return;
    WelcomeWindow* w = welcome_;
    welcome_ = nullptr;
    dropClient(w);
}

void MainWindow::showWorldMapScreen(uint32_t userTimeout) {
    if (worldMap_) {
        WorldMapWindow* old = worldMap_;
        worldMap_ = nullptr;
        dropClient(old);
    }
    worldMap_ = new WorldMapWindow(clientArea_, *this, settings_, sound_, catalogue_, script_);
    if (userTimeout != 0) worldMap_->setUserTimeout(userTimeout);
    setClient(worldMap_);
    if (layout_) {
        ViewLayout* l = layout_;
        layout_ = nullptr;
        dropClient(l);
    }
    destroyWelcome();
}

void MainWindow::exitProgram() {
    if (exiting_) return;
    qCInfo(lcClock) << "exit requested";
    exiting_ = true;
    QMetaObject::invokeMethod(
        this, [this] { doExit(); }, Qt::QueuedConnection);
}

void MainWindow::doExit() {
    exiting_ = false;
    if (!clock_.closeQuery()) {
        // A screen began to be built after Exit was asked for; tearing down
        // now would leave a window that refuses to close. Leave once it is ready.
        clock_.requestExit();
        return;
    }
    for (int id : {kTickTimer, kActionTimer, kFlashTimer, kSecondTimer}) timers_[id].stop();
    clock_.timersStopped();
    disposeInfoWindow();
    disposeTutorialWindow();
    destroyWelcome();
    if (worldMap_) {
        WorldMapWindow* map = worldMap_;
        worldMap_ = nullptr;
        dropClient(map);
    }
    if (layout_) {
        ViewLayout* l = layout_;
        layout_ = nullptr;
        dropClient(l);
    }
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (clock_.closeQuery())
        event->accept();
    else
        event->ignore();
}

// ---------------------------------------------------------------- timers and input

uint32_t MainWindow::milliseconds() {
    // Never 0, so that "no previous tick" stays distinguishable.
    return static_cast<uint32_t>(elapsed_.elapsed()) + 1;
}

bool MainWindow::armTimer(int id, int ms) {
    if (id < 1 || id > 4 || ms <= 0) return false;
    timers_[id].start(ms, Qt::PreciseTimer, this);
    return timers_[id].isActive();
}

void MainWindow::disarmTimer(int id) {
    if (id >= 1 && id <= 4) timers_[id].stop();
}

void MainWindow::timerEvent(QTimerEvent* event) {
    for (int id = 1; id <= 4; ++id) {
        if (timers_[id].isActive() && timers_[id].timerId() == event->timerId()) {
            clock_.onTimer(id);
            return;
        }
    }
    clock_.onTimer(0);   // not one of the four: "Unknown timer"
}

bool MainWindow::inputWaiting() { return input_.waiting(milliseconds()); }

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        const bool active = isActiveWindow();
        const bool toOther = !active && QApplication::activeWindow() == nullptr;
        clock_.activationChanged(active, toOther);
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && settings_.rightButtonRestart)
        postCommand(Command::Map);
    QMainWindow::mousePressEvent(event);
}

void MainWindow::showMessage(const std::string& text, const std::string& caption) {
    qCWarning(lcViews) << "message shown:" << text.c_str() << "-" << caption.c_str();
    const QString t = QString::fromStdString(text), c = QString::fromStdString(caption);
    if (messageShower_)
        messageShower_(this, t, c);
    else
        QMessageBox::warning(this, c, t);
}

// ---------------------------------------------------------------- run data and views

bool MainWindow::loadEvent(const std::string& eventFile) {
    if (!loadRun(run_, eventFile)) {
        qCWarning(lcRunSetup) << "event file"
                              << (eventFile.empty() ? run_.eventPath : eventFile).c_str()
                              << "could not be read; the screen stays as it was";
        return false;
    }
    logRunLoaded(run_, eventFile.empty());   // an empty name resumes the same run
    return true;
}

void MainWindow::scriptAdvancing(const std::string& eventFile) {
    qCInfo(lcClock) << "end pause over: the script goes on with" << eventFile.c_str();
}

void MainWindow::measureCharacterCell() {
    const QFontMetrics fm(font());
    const CharacterCell cell{fm.horizontalAdvance(QLatin1Char('N')), fm.height()};
    geometry_ = ::paneGeometry(cell, clientArea_->width());
}

void MainWindow::pauseLabelChanged(bool paused) {
    if (layout_ && layout_->bar()) layout_->bar()->setPauseLabel(paused);
}

void MainWindow::arrangeViews() {
    if (!layout_) return;
    layout_->arrange();
    if (layout_->stationNames()) layout_->stationNames()->update();
}

const std::vector<EventView*>& MainWindow::views() {
    static const std::vector<EventView*> none;
    return layout_ ? layout_->views() : none;
}

void MainWindow::showTime(float t) {
    if (layout_ && layout_->bar()) layout_->bar()->showTime(t);
}
void MainWindow::readSpeed() {
    if (layout_ && layout_->bar()) layout_->bar()->readSpeed(run_.timeAcceleration);
}

// ---------------------------------------------------------------- pop-ups

void MainWindow::openInfoWindow(const std::string& path) {
    delete info_.data();
    info_ = new InfoWindow(this, settings_, sound_, QString::fromStdString(path));
    info_->setCommandHandler(commandRoute());
    info_->show();
}

void MainWindow::disposeInfoWindow() {
    if (!info_) return;
    InfoWindow* w = info_;
    info_ = nullptr;
    if (!w->done()) w->close();
    w->hide();
    w->deleteLater();
}

void MainWindow::openTutorialWindow(const std::string& file, int form, int position) {
    qCInfo(lcClock) << "tutorial page" << file.c_str() << (form == 2 ? "(browsed)" : "(automatic)");
    delete tutorial_.data();
    tutorial_ = new TutorialWindow(this, settings_, sound_, QString::fromStdString(file), form,
                                   position);
    tutorial_->setCommandHandler(commandRoute());
    tutorial_->show();
}

TutorialAnswer MainWindow::tutorialWindow() {
    TutorialAnswer a;
    if (!tutorial_) return a;
    a.exists = true;
    a.done = tutorial_->done();
    a.continued = tutorial_->continueFlag();
    a.next = tutorial_->nextFlag();
    a.previous = tutorial_->previousFlag();
    a.cancelled = tutorial_->cancelFlag();
    return a;
}

void MainWindow::disposeTutorialWindow() {
    if (!tutorial_) return;
    TutorialWindow* w = tutorial_;
    tutorial_ = nullptr;
    if (!w->done()) w->close();
    w->hide();
    w->deleteLater();
}

bool MainWindow::popupOpen() {
    return (info_ && info_->isVisible()) || (tutorial_ && tutorial_->isVisible());
}

// ---------------------------------------------------------------- sound and settings

void MainWindow::playMusic(const std::string& file) { sound_.playMusic(file); }
void MainWindow::stopMusic() { sound_.stopMusic(); }
void MainWindow::openMidi() {
    // Asked at every run's start: only a change is logged.
    const int result = sound_.openMidi(settings_);
    if (result == midiState_) return;
    midiState_ = result;
    if (result == 0)
        qCInfo(lcSound) << "MIDI output open";
    else
        qCWarning(lcSound) << (result == 1 ? "no MIDI output (no audio device or no SoundFont)"
                                           : "the MIDI output could not be opened");
}
void MainWindow::closeMidi() { sound_.closeMidi(); }
void MainWindow::click() { sound_.click(); }

bool MainWindow::runViewDialog() {
    ViewDialog dialog(this, settings_, sound_);
    return runDialog(dialog) == QDialog::Accepted;
}

void MainWindow::saveSettings() {
    if (!::saveSettings(settings_))
        qCWarning(lcRunSetup) << "OV.INI could not be written; the settings changed only for now";
}

void MainWindow::showInformation(const std::string& file) {
    clock_.closePopups();
    openInfoWindow(file);
}

void MainWindow::chooseEvent(int catalogueIndex, const std::string& fileName) {
    clock_.chooseEvent(catalogueIndex, fileName);
}

// ---------------------------------------------------------------- commands

void MainWindow::postCommand(Command id) {
    QMetaObject::invokeMethod(
        this, [this, id] { command(id); }, Qt::QueuedConnection);
}

std::function<void(Command)> MainWindow::commandRoute() {
    return [window = QPointer<MainWindow>(this)](Command id) {
        if (window) window->postCommand(id);
    };
}

void MainWindow::barCommand(Command id) {
    switch (id) {
    case Command::Pause:
        click();
        clock_.togglePause();
        break;
    case Command::WorldMenu:
        click();
        clock_.worldMenuButton();
        break;
    case Command::RightClickWorldMenu: clock_.worldMenuButton(); break;
    case Command::Repeat:
        click();
        clock_.repeatButton();
        break;
    case Command::Views:
        click();
        clock_.viewsButton();
        break;
    case Command::ExitButton:
        click();
        postCommand(Command::Exit);
        break;
    case Command::EventInfoButton: postCommand(Command::EventInfo); break;
    case Command::TutorialButton:
        click();
        postCommand(Command::TutorialBrowse);
        break;
    default: break;
    }
}

void MainWindow::command(Command id) {
    switch (id) {
    case Command::Map: clock_.showWorldMap(); break;
    case Command::Exit: clock_.requestExit(); break;
    case Command::HelpContents: openHelp(this, 0); break;
    case Command::Restart: clock_.restartRequest(); break;
    case Command::MakeBitmap: makeBitmap(); break;
    case Command::SelectView: clock_.chooseView(); break;
    case Command::RunFromScript:
        settings_.runScript = !settings_.runScript;
        saveSettings();
        break;
    case Command::ViewEarth: clock_.setViewMode(ViewMode::Globe3D); break;
    case Command::ViewCrossSection: clock_.setViewMode(ViewMode::CrossSection); break;
    case Command::ViewAll: clock_.setViewMode(ViewMode::All); break;
    case Command::Enter:
        if (welcome_) welcome_->start();
        break;
    case Command::WelcomeStart:
        if (welcome_) welcome_->start();
        break;
    case Command::StartCurrentEvent: clock_.startCurrentEvent(); break;
    case Command::SeismogramInfo: clock_.showInfoText("SEIS.INF"); break;
    case Command::CrossSectionInfo: clock_.showInfoText("XS.INF"); break;
    case Command::GlobeInfo: clock_.showInfoText("3D.INF"); break;
    case Command::EventInfo: clock_.showInfoText(clock_.eventInfoPath()); break;
    case Command::TutorialBrowse: clock_.startTutorialBrowsing(); break;
    case Command::List:
    case Command::Phases:
    case Command::Speed:
    case Command::About:
    case Command::Audio:
    case Command::TimeWindow: runDialogCommand(id); break;
    case Command::Pause:
    case Command::WorldMenu:
    case Command::Repeat:
    case Command::Views:
    case Command::ExitButton:
    case Command::EventInfoButton:
    case Command::TutorialButton: barCommand(id); break;
    default: break;
    }
}

int MainWindow::runDialog(QDialog& dialog) {
    if (dialogRunner_) return dialogRunner_(dialog);
    return dialog.exec();
}

void MainWindow::runDialogCommand(Command id) {
    if (id == Command::List || id == Command::Phases) clock_.clearTutorial();
    clock_.beginDialog();
    switch (id) {
    case Command::List: {
        EventListDialog dialog(this);
        if (runDialog(dialog) == QDialog::Accepted) {
            // OK with nothing selected gives the empty name, which starts
            // the last event again from its flash. Ends the dialog's hold
            // itself: a started event arms its own flash; an unreadable file
            // (or no event yet) gives the old run its tick back.
            clock_.startListedEvent(dialog.chosenName());
            return;
        }
        break;
    }
    case Command::Phases: {
        PhasesDialog dialog(this, settings_);
        if (runDialog(dialog) == QDialog::Accepted) saveSettings();
        break;
    }
    case Command::Speed: {
        SpeedDialog dialog(this, run_);
        if (runDialog(dialog) == QDialog::Accepted) dialog.apply();
        break;
    }
    case Command::Audio: {
        AudioDialog dialog(this, settings_);
        if (runDialog(dialog) == QDialog::Accepted) {
            dialog.apply();
            saveSettings();
        }
        break;
    }
    case Command::TimeWindow: {
        TimeWindowDialog dialog(this, run_);
        if (runDialog(dialog) == QDialog::Accepted) dialog.apply();
        break;
    }
    case Command::About: {
        AboutDialog dialog(this);
        runDialog(dialog);
        break;
    }
    default: break;
    }
    clock_.endDialog();
}

void MainWindow::makeBitmap() {
    clock_.clearTutorial();
    QString name;
    if (saveNameAsker_) {
        name = saveNameAsker_(this);
    } else {
        name = QFileDialog::getSaveFileName(this, QString(), QString(),
                                            QStringLiteral("Bitmap Files (*.BMP) (*.bmp)"));
    }
    if (name.isEmpty()) return;
    // Let the dialog disappear and the window repaint before taking the picture.
    QCoreApplication::processEvents();
    const QImage picture = clientArea_->grab().toImage();
    writeBitmapFile(picture, name);
    clock_.restartRequest();
}
