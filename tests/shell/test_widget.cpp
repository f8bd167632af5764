// The shell's widgets, offscreen: menu, window style, button bar, welcome
// screen, view panes, bitmaps and events started through the main window.
#include "dialogs/Buttons.h"
#include "dialogs/EventListDialog.h"
#include "dialogs/Pictures.h"
#include "shell/MainWindow.h"
#include "shell/ViewLayout.h"
#include "shell/WelcomeWindow.h"
#include "sound/Sound.h"
#include "views/GlobeView.h"
#include "views/SeismogramView.h"
#include "views/ViewPane.h"

#include <QApplication>
#include <QDir>
#include <QMenuBar>
#include <QPainter>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimerEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>

namespace {

// One QApplication for all the tests of this program.
struct QtEnvironment : ::testing::Environment {
    int argc = 1;
    char name[11] = "test_shell", *argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
    void SetUp() override { app = std::make_unique<QApplication>(argc, argv); }
    void TearDown() override { app.reset(); }
};
[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// The command numbers of a menu and its submenus.
void collect(const QList<QAction*>& actions, std::vector<int>& out) {
    for (QAction* a : actions)
        if (a->menu())
            collect(a->menu()->actions(), out);
        else if (!a->isSeparator())
            out.push_back(a->data().toInt());
}

// Records for a main window, run in a fresh current directory.
struct Fixture {
    QTemporaryDir dir;
    QString old = QDir::currentPath();
    Settings settings;
    RunState run;
    EventCatalogue catalogue;
    TutorialScript script;
    Sound sound{nullptr};
    Fixture() { QDir::setCurrent(dir.path()), settings.showEventInformation = false; }
    ~Fixture() { QDir::setCurrent(old); }
    std::unique_ptr<MainWindow> window() { return std::make_unique<MainWindow>(settings, sound, run, catalogue, script); }
    // A shown window without welcome screen or menu, on the world map.
    std::unique_ptr<MainWindow> onTheMap(int width, int height) {
        settings.showWelcomeScreen = settings.menuBar = false;
        auto w = window();
        w->resize(width, height), w->show();
        QCoreApplication::processEvents();
        w->clock().onTimer(kActionTimer);   // leave the (never shown) welcome screen
        return w;
    }
};

TEST(MainWindow, MenuTitleBarScriptToggleAndStrayTimer) {
    Fixture f;
    std::vector<int> all{101, 102, 103, 201, 202, 203, 203, 204, 205, 206, 207, 208, 209, 211, 212, 213, 214};
    for (bool canExit : {true, false}) {
        f.settings.canExit = canExit;
        auto w = f.window();
        const auto tops = w->menuBar()->actions();
        if (!canExit) all.erase(std::remove(all.begin(), all.end(), 203), all.end());
        std::vector<int> commands;
        collect(tops, commands), std::sort(commands.begin(), commands.end());
        ASSERT_EQ(tops.size(), canExit ? 4 : 3);
        EXPECT_EQ(std::tuple(tops[0]->text(), tops.back()->text(), commands),
                  std::tuple(QString("&Earthquakes"), QString(canExit ? "E&xit" : "&Help"), all));
    }
    f.settings.menuBar = false;
    for (bool titleBar : {false, true}) {   // no menu even with a title bar
        f.settings.titleBar = titleBar;
        auto w = f.window();
        EXPECT_EQ(std::tuple(w->menuWidget(), bool(w->windowFlags() & Qt::FramelessWindowHint)), std::tuple(nullptr, !titleBar));
        if (titleBar) {
            EXPECT_EQ(std::tuple(bool(w->windowFlags() & Qt::WindowMaximizeButtonHint), w->windowTitle(),
                                 w->windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32)),
                      std::tuple(false, QString("Orvanta"), picture(kProgramIcon)));
        }
        w->showAsConfigured();
        EXPECT_TRUE(w->windowState() & (titleBar ? Qt::WindowMaximized : Qt::WindowFullScreen));
    }
    auto w = f.window();
    w->command(Command::RunFromScript);   // the command toggles the script
    const bool on = f.settings.runScript;
    w->command(Command::RunFromScript);
    EXPECT_EQ(std::tuple(on, f.settings.runScript), std::tuple(true, false));
    QString shown;
    w->setMessageShower([&](QWidget*, const QString& t, const QString&) { shown = t; });
    QTimerEvent stray(987654);
    QCoreApplication::sendEvent(w.get(), &stray);
    EXPECT_EQ(shown, "Unknown timer");
}

TEST(ButtonBarWidget, ButtonsSliderAndPauseLabel) {
    Settings s;
    s.slider = true;
    const PaneGeometry g = paneGeometry({8, 16}, 1024);
    std::vector<Command> received;
    ButtonBar bar(nullptr, s, g, 20.7f, [&](Command id) { received.push_back(id); });
    bar.resize(64, 700);
    ASSERT_TRUE(bar.button(Command::ExitButton) && bar.button(Command::EventInfoButton) && bar.slider());
    EXPECT_EQ(std::tuple(bar.button(Command::ExitButton)->geometry(), bar.button(Command::EventInfoButton)->geometry().y()),
              std::tuple(QRect(0, 1, 63, 32), 1 + 5 * 32));   // no Tutorial button
    EXPECT_EQ(std::tuple(bar.slider()->minimum(), bar.slider()->maximum(), bar.slider()->value(), bar.slider()->geometry().top()),
              std::tuple(0, 200, 80, 1 + 6 * 32 + 5 * 16));
    float acceleration = 20.7f;
    bar.readSpeed(acceleration);
    EXPECT_EQ(std::tuple(acceleration, bar.slider()->value()), std::tuple(21.0f, 79));
    bar.slider()->setValue(150);
    bar.readSpeed(acceleration);
    EXPECT_EQ(acceleration, -50.0f);
    for (bool paused : {true, false}) {
        bar.setPauseLabel(paused);
        EXPECT_EQ(bar.button(Command::Pause)->label(), paused ? "Resume" : "Pause");
    }
    bar.showTime(600);
    emit bar.button(Command::WorldMenu)->command(Command::WorldMenu);
    EXPECT_EQ(std::tuple(bar.minutesShown(), received), std::tuple(std::string("  10 "), std::vector<Command>{Command::WorldMenu}));
    s.slider = false;
    ButtonBar plain(nullptr, s, g, 20.7f, nullptr);
    float kept = 20.7f;
    plain.resize(64, 700);
    plain.readSpeed(kept);
    EXPECT_EQ(std::tuple(plain.slider(), kept, plain.minutesBox()), std::tuple(nullptr, 20.7f, bar.minutesBox()));   // the box stays
}

TEST(WelcomeScreen, StartButtonEnterTimeoutAndPicture) {
    Fixture f;
    Settings s;
    s.initialTimeout = 0;
    int starts = 0;
    {
        WelcomeWindow w(nullptr, s, [&] { ++starts; });
        w.resize(800, 600);
        EXPECT_EQ(std::tuple(w.timeoutArmed(), w.startButton()), std::tuple(false, nullptr));
        const QImage shot = w.grab().toImage();
        ASSERT_NE(w.startButton(), nullptr);
        const int h = static_cast<int>(w.cell().height * s.buttonHeight);
        EXPECT_EQ(std::tuple(w.startButton()->geometry(), w.startButton()->label()),
                  std::tuple(QRect(400 - 40, 20, 80, h), QString("Start")));
        bool white = false;   // "Unable to open file: OVINIT.BMP" in white
        for (int x = 0; x < 800 && !white; ++x)
            for (int y = 300; y < 320 && !white; ++y) white = shot.pixelColor(x, y) == Qt::white;
        EXPECT_TRUE(white);
        // Painted small first (a kiosk without a window manager sizes it later): the button follows.
        w.resize(200, 150);
        w.grab();
        w.resize(1920, 1080);
        const QImage big = w.grab().toImage();
        EXPECT_EQ(std::tuple(w.findChildren<FaceButton*>().size(), w.startButton()->geometry(), big.pixelColor(921, 20 + h / 2),
                             big.pixelColor(61, 20 + h / 2)),
                  std::tuple(1, QRect(960 - 40, 20, 80, h), QColor(Qt::white), QColor(Qt::black)));
        emit w.startButton()->command(Command::WelcomeStart);
        w.start();   // the screen is left once
        EXPECT_EQ(starts, 1);
    }
    QImage picture(100, 50, QImage::Format_RGB32);
    picture.fill(QColor(0, 128, 0));
    ASSERT_TRUE(picture.save("ovinit.bmp", "BMP"));   // found whatever its case
    s.initialTimeout = 30;
    {
        WelcomeWindow w(nullptr, s, [&] { ++starts; });
        w.resize(400, 300);
        const QImage shot = w.grab().toImage();
        const std::pair<QPoint, QColor> pixels[] = {
            {{150, 125}, QColor(0, 128, 0)}, {{249, 174}, QColor(0, 128, 0)}, {{149, 125}, Qt::black}, {{250, 125}, Qt::black}};
        for (const auto& [p, colour] : pixels) EXPECT_EQ(shot.pixelColor(p), colour) << p.x();
        EXPECT_TRUE(w.timeoutArmed());   // the time-out starts as Start does, once
        QTimerEvent timeout(w.timeoutTimerId());
        QCoreApplication::sendEvent(&w, &timeout);
        EXPECT_EQ(std::tuple(starts, w.timeoutArmed()), std::tuple(2, false));
    }
    auto main = f.window();   // Enter reaches the welcome screen through the main window
    ASSERT_NE(main->welcomeWindow(), nullptr);
    main->command(Command::Enter);
    EXPECT_EQ(std::tuple(main->clock().state().pendingAction, main->clock().state().timerArmed[kActionTimer]),
              std::tuple(PendingAction::LeaveWelcome, true));
}

TEST(ViewPaneMachinery, GeometryPicturesFlashAndCopies) {
    const PaneMetrics m = PaneMetrics::of(400, 300);
    EXPECT_EQ(std::tuple(m.radius, m.inner, m.centre, m.pictureRect, m.halfPictureWidth),
              std::tuple(168, QRect(6, 6, 388, 288), QPoint(200, 150), QRect(-194, -144, 388, 288), 194));
    EXPECT_EQ(infoButtonRect(QRect(0, 0, 400, 300), 7, 16, 2.0f), QRect(400 - 56, 300 - 32 - 7, 49, 32));
    Settings settings;
    Sound sound(nullptr);
    ViewPane pane(nullptr, Command::GlobeInfo, Qt::black, {settings, sound, QSize(8, 16), [] { return true; }, {}});
    pane.resize(400, 300);
    pane.layoutPane();
    ASSERT_TRUE(pane.createPictures());
    EXPECT_EQ(pane.surface(Surface::Working).size(), QSize(388, 288));
    const auto screen = [&](int x, int y) { return pane.surface(Surface::Screen).pixelColor(x, y); };
    const auto fill = [&](Surface s, QRect r, QColor c) {   // in logical coordinates
        QPainter p;
        pane.beginDrawing(p, s);
        p.fillRect(r, c);
    };
    fill(Surface::Clean, QRect(-20, -20, 40, 40), QColor(0, 0, 200));   // around the logical origin
    pane.copy(Surface::Working, Surface::Clean);
    pane.copy(Surface::Screen, Surface::Working);
    EXPECT_EQ(std::tuple(screen(200, 150), pane.surface(Surface::Working).pixelColor(194, 144)),
              std::tuple(QColor(0, 0, 200), QColor(0, 0, 200)));
    pane.drawFlash(QPoint(50, 0), 1.0f);   // radius 10 at logical (50, 0)
    EXPECT_EQ(std::tuple(screen(250, 150), pane.flashRect()), std::tuple(QColor(Qt::white), QRect(40, -10, 20, 20)));
    pane.drawFlash(QPoint(50, 0), 0.5f);   // the previous disc is erased first
    EXPECT_EQ(std::tuple(screen(258, 150), screen(252, 150)), std::tuple(QColor(Qt::black), QColor(Qt::white)));
    pane.drawFlash(QPoint(0, 0), -0.125f);   // nothing drawn for a negative size
    EXPECT_EQ(std::tuple(pane.flashRect().isEmpty(), screen(250, 150)), std::tuple(true, QColor(Qt::black)));
    // Copies with a device rectangle are clipped 10 pixels inside the client.
    fill(Surface::Working, pane.metrics().pictureRect, QColor(200, 0, 0));
    pane.copy(Surface::Screen, Surface::Working, QRect(0, 0, 400, 300));
    EXPECT_EQ(std::tuple(screen(10, 10), screen(8, 8) == QColor(200, 0, 0)), std::tuple(QColor(200, 0, 0), false));
    pane.invalidatePane();   // the frame: white outline, separator 3 pixels above the bottom
    const QImage shot = pane.grab().toImage();
    EXPECT_EQ(std::tuple(shot.pixelColor(0, 100), shot.pixelColor(200, 297), shot.pixelColor(200, 150)),
              std::tuple(QColor(Qt::white), QColor(Qt::white), QColor(200, 0, 0)));
}

TEST(MakeBitmap, WritesABmpThroughATemporaryFile) {
    QTemporaryDir dir;
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(QColor(10, 20, 30));
    ASSERT_TRUE(writeBitmapFile(image, dir.filePath("shot.bmp")));
    const QImage back(dir.filePath("shot.bmp"), "BMP");
    EXPECT_EQ(std::tuple(back.size(), back.pixelColor(5, 5), QDir(dir.path()).entryList(QDir::Files).size()),
              std::tuple(QSize(64, 32), QColor(10, 20, 30), 1));
    EXPECT_FALSE(writeBitmapFile(image, dir.filePath("missing/shot.bmp")));
}

// An event started through the main window: layout, panes, flash, ticks; the
// map again, then an Exit that waits for a map being built meanwhile.
TEST(MainWindowRun, EventBuildsTheLayoutRunsAndExitWaitsForTheScreen) {
    Fixture f;
    QFile evt("a.evt");
    ASSERT_TRUE(evt.open(QIODevice::WriteOnly) && evt.write("EVENT MAGNITUDE: 1.0\r\nVIEW ANGLE: 180\r\n") > 0);
    evt.close();
    QImage earth(64, 64, QImage::Format_RGB32);
    earth.fill(QColor(0, 0, 160));
    ASSERT_TRUE(earth.save("earth180.bmp", "BMP"));
    auto w = f.onTheMap(1024, 700);
    auto& clock = w->clock();
    EXPECT_EQ(std::tuple(w->worldMapWindow() != nullptr, w->welcomeWindow(), int(clock.state().tickMs)), std::tuple(true, nullptr, 0));
    clock.chooseEvent(0, "a.evt");
    w->command(Command::StartCurrentEvent);
    ViewLayout* layout = w->viewLayout();
    ASSERT_TRUE(layout && layout->globe() && layout->crossSection() && layout->seismograms() && layout->bar());
    EXPECT_EQ(std::tuple(w->worldMapWindow(), layout->size(), layout->bar()->geometry().right() + 1, layout->bar()->width()),
              std::tuple(nullptr, w->clientArea()->size(), layout->width(), w->paneGeometry().barWidth));
    EXPECT_EQ(std::tuple(layout->globe()->width(), layout->globe()->geometry().bottom() + 1, layout->globe()->infoButton() != nullptr),
              std::tuple(layout->globe()->height(), layout->height(), true));
    EXPECT_EQ(std::tuple(clock.state().eventShown, clock.state().timerArmed[kFlashTimer]), std::tuple(true, true));
    EXPECT_EQ(layout->globe()->surface(Surface::Screen).pixelColor(layout->globe()->metrics().centre), QColor(0, 0, 160));   // stretched
    clock.onTimer(kFlashTimer), clock.onTimer(kFlashTimer), clock.onTimer(kTickTimer);   // magnitude 1: two flash steps
    EXPECT_EQ(std::tuple(clock.state().simTime, layout->bar()->minutesShown()), std::tuple(10.0f, std::string("   0 ")));
    // The seismogram frame and time axis, probed at computed places: the
    // frame's left edge, the tick of minute 1 and the title's row.
    SeismogramView* seis = layout->seismograms();
    auto axisShown = [seis, cellHeight = w->paneGeometry().cell.height] {
        const QImage& pic = seis->picture();
        const int h = pic.height(), x1 = seis->xOf(60), titleBottom = h - 4 - cellHeight;
        bool title = false;
        for (int y = titleBottom - cellHeight; y < titleBottom && !title; ++y)
            for (int x = pic.width() / 4; x < 3 * pic.width() / 4 && !title; ++x) title = pic.pixelColor(x, y) == QColor(Qt::black);
        return pic.pixelColor(0, h / 2) == QColor(Qt::black) && pic.pixelColor(x1, h - 2) == QColor(Qt::black) && title;
    };
    EXPECT_TRUE(axisShown());
    // List, OK with nothing selected: the empty name starts the last event
    // again from its flash, on the same layout, drawn whole again.
    std::vector<std::string> dialogs;
    w->setDialogRunner([&](QDialog& d) {
        dialogs.push_back(d.metaObject()->className());
        auto* list = qobject_cast<EventListDialog*>(&d);
        return int(list && list->chosenName().empty() ? QDialog::Accepted : QDialog::Rejected);
    });
    w->command(Command::List);
    EXPECT_EQ(
        std::tuple(w->viewLayout(), clock.state().simTime, clock.state().timerArmed[kFlashTimer], clock.state().timerArmed[kTickTimer]),
        std::tuple(layout, 0.0f, true, false));
    for (int id : {kFlashTimer, kFlashTimer, kTickTimer}) clock.onTimer(id);
    EXPECT_TRUE(axisShown());     // not a bare white pane
    w->command(Command::About);   // the About box both programs show
    EXPECT_EQ(dialogs, (std::vector<std::string>{"EventListDialog", "AboutDialog"}));
    layout->globe()->infoButton()->click();
    QCoreApplication::processEvents();   // a pane's Info reaches the main window
    EXPECT_TRUE(w->infoWindow() && w->infoWindow()->fileName() == "3D.INF");
    w->command(Command::Map);
    ASSERT_TRUE(w->viewLayout() == nullptr && w->worldMapWindow());
    QCoreApplication::processEvents();
    w->worldMapWindow()->grab();   // the map reports itself ready when painted
    ASSERT_TRUE(clock.state().screenReady);
    // Exit, then a new map before the queued teardown runs: the window waits
    // for that map instead of tearing down into a screen it cannot close.
    w->command(Command::Exit);
    w->command(Command::Map);
    ASSERT_FALSE(clock.state().screenReady);
    QCoreApplication::sendPostedEvents(w.get(), QEvent::MetaCall);
    EXPECT_EQ(std::tuple(w->isVisible(), w->worldMapWindow() != nullptr, clock.exitPending()), std::tuple(true, true, true));
    w->worldMapWindow()->grab();   // the map is ready: now the window goes
    QCoreApplication::processEvents();
    EXPECT_FALSE(w->isVisible());
}

}   // namespace
