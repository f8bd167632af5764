// The shell's widgets, offscreen: menu, window style, button bar, welcome
// screen, view panes, bitmaps and one event started through the main window.
#include "dialogs/AboutDialog.h"
#include "dialogs/Buttons.h"
#include "dialogs/EventListDialog.h"
#include "dialogs/Pictures.h"
#include "shell/MainWindow.h"
#include "shell/ViewLayout.h"
#include "shell/WelcomeWindow.h"
#include "views/CrossSectionView.h"
#include "views/DrawText.h"
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

namespace {

std::vector<int> commandsIn(const QList<QAction*>& actions) {
    std::vector<int> out;
    for (QAction* a : actions) {
        if (a->menu())
            for (int id : commandsIn(a->menu()->actions())) out.push_back(id);
        else if (!a->isSeparator())
            out.push_back(a->data().toInt());
    }
    return out;
}

struct Fixture {
    Settings settings;
    RunState run;
    EventCatalogue catalogue;
    TutorialScript script;
    Fixture() { settings.showEventInformation = false; }
};

TEST(MainWindowMenu, CommandsMenuAndItsTrimming) {
    Fixture f;
    {
        MainWindow w(f.settings, f.run, f.catalogue, f.script);
        const auto tops = w.menuBar()->actions();
        ASSERT_EQ(tops.size(), 4);
        EXPECT_EQ(tops[0]->text(), "&Earthquakes");
        EXPECT_EQ(tops[3]->text(), "E&xit");
        const auto ids = commandsIn(tops);
        for (int id : {201, 202, 204, 205, 208, 101, 102, 103, 211, 213, 212, 214, 209, 207, 206})
            EXPECT_EQ(std::count(ids.begin(), ids.end(), id), 1) << id;
        EXPECT_EQ(std::count(ids.begin(), ids.end(), 203), 2);
    }
    f.settings.canExit = false;
    {
        MainWindow w(f.settings, f.run, f.catalogue, f.script);
        const auto tops = w.menuBar()->actions();
        ASSERT_EQ(tops.size(), 3);
        EXPECT_EQ(tops[2]->text(), "&Help");
        const auto ids = commandsIn(tops);
        EXPECT_EQ(std::count(ids.begin(), ids.end(), 203), 0);
        EXPECT_EQ(std::count(ids.begin(), ids.end(), 202), 1);
    }
    f.settings.menuBar = false;
    f.settings.titleBar = true;
    {
        MainWindow w(f.settings, f.run, f.catalogue, f.script);
        EXPECT_EQ(w.menuWidget(), nullptr);   // no menu even with a title bar
    }
}

TEST(MainWindowStyle, TitleBarSettingChoosesTheWindow) {
    Fixture f;
    f.settings.titleBar = false;
    {
        MainWindow w(f.settings, f.run, f.catalogue, f.script);
        EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
        w.showAsConfigured();
        EXPECT_TRUE(w.windowState() & Qt::WindowFullScreen);
    }
    f.settings.titleBar = true;
    {
        MainWindow w(f.settings, f.run, f.catalogue, f.script);
        EXPECT_FALSE(w.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_EQ(w.windowTitle(), "Orvanta");
        EXPECT_EQ(w.windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32),
                  picture(2));
        w.showAsConfigured();
        EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    }
}

TEST(MainWindowScript, RunFromScriptTogglesAndIsSaved) {
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    Fixture f;
    {
        MainWindow w(f.settings, f.run, f.catalogue, f.script);
        w.command(214);
        EXPECT_TRUE(f.settings.runScript);
        Settings saved;
        loadSettings(saved, "OV.INI");
        EXPECT_TRUE(saved.runScript);
        w.command(214);
        EXPECT_FALSE(f.settings.runScript);
        // Restart on the welcome screen does nothing.
        w.command(209);
        EXPECT_FALSE(w.clock().restartRequested);
        // An unknown Qt timer is reported.
        QString shown;
        MainWindow::setMessageShower([&](QWidget*, const QString& t, const QString&) { shown = t; });
        QTimerEvent stray(987654);
        QCoreApplication::sendEvent(&w, &stray);
        EXPECT_EQ(shown, "Unknown timer");
        MainWindow::setMessageShower(nullptr);
    }
    QDir::setCurrent(old);
}

TEST(ButtonBarWidget, ButtonsSliderAndPauseLabel) {
    Settings s;
    s.slider = true;
    const PaneGeometry g = paneGeometry({8, 16}, 1024);
    std::vector<int> received;
    ButtonBar bar(nullptr, s, g, 20.7f, [&](int id) { received.push_back(id); });
    bar.resize(64, 700);
    FaceButton* exitButton = bar.button(1030);
    ASSERT_NE(exitButton, nullptr);
    EXPECT_EQ(exitButton->geometry(), QRect(0, 1, 63, 32));
    EXPECT_EQ(bar.button(1031)->geometry().y(), 1 + 5 * 32);   // no Tutorial button
    ASSERT_NE(bar.slider(), nullptr);
    EXPECT_EQ(bar.slider()->minimum(), 0);
    EXPECT_EQ(bar.slider()->maximum(), 200);
    EXPECT_EQ(bar.slider()->value(), 80);
    EXPECT_EQ(bar.slider()->geometry().top(), 1 + 6 * 32 + 5 * 16);

    float acceleration = 20.7f;
    bar.readSpeed(acceleration);
    EXPECT_EQ(acceleration, 21.0f);
    EXPECT_EQ(bar.slider()->value(), 79);
    bar.slider()->setValue(150);
    bar.readSpeed(acceleration);
    EXPECT_EQ(acceleration, -50.0f);

    bar.setPauseLabel(true);
    EXPECT_EQ(bar.button(1026)->label(), "Resume");
    bar.setPauseLabel(false);
    EXPECT_EQ(bar.button(1026)->label(), "Pause");

    bar.showTime(600);
    EXPECT_EQ(bar.minutesShown(), "  10 ");

    emit bar.button(1027)->command(1027);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], 1027);

    s.slider = false;
    ButtonBar plain(nullptr, s, g, 20.7f, nullptr);
    plain.resize(64, 700);
    EXPECT_EQ(plain.slider(), nullptr);
    float kept = 20.7f;
    plain.readSpeed(kept);
    EXPECT_EQ(kept, 20.7f);
    EXPECT_EQ(plain.minutesBox(), bar.minutesBox());   // the box stays where it was
}

TEST(WelcomeScreen, StartButtonEnterAndTimeout) {
    Settings s;
    s.initialTimeout = 0;
    int starts = 0;
    {
        WelcomeWindow w(nullptr, s, [&] { ++starts; });
        EXPECT_FALSE(w.timeoutArmed());
        w.resize(800, 600);
        EXPECT_EQ(w.startButton(), nullptr);
        w.grab();
        ASSERT_NE(w.startButton(), nullptr);
        const int h = static_cast<int>(w.cell().height * s.buttonHeight);
        EXPECT_EQ(w.startButton()->geometry(), QRect(400 - 40, 20, 80, h));
        EXPECT_EQ(w.startButton()->label(), "Start");
        w.grab();
        w.update();
        w.grab();
        EXPECT_EQ(w.findChildren<FaceButton*>().size(), 1);
        // First painted small (before a kiosk session without a window
        // manager gives the window its screen), then the screen's size: the
        // button follows, its white bevel at the new place, black at the old.
        w.resize(200, 150);
        w.grab();
        w.resize(1920, 1080);
        const QImage shot = w.grab().toImage();
        EXPECT_EQ(w.startButton()->geometry(), QRect(960 - 40, 20, 80, h));
        EXPECT_EQ(shot.pixelColor(920 + 1, 20 + h / 2), QColor(Qt::white));
        EXPECT_EQ(shot.pixelColor(60 + 1, 20 + h / 2), QColor(Qt::black));
        emit w.startButton()->command(1033);
        EXPECT_EQ(starts, 1);
        w.start();   // the screen is left once
        EXPECT_EQ(starts, 1);
    }
    s.initialTimeout = 30;
    {
        WelcomeWindow w(nullptr, s, [&] { ++starts; });
        EXPECT_TRUE(w.timeoutArmed());
        QTimerEvent timeout(w.timeoutTimerId());
        QCoreApplication::sendEvent(&w, &timeout);
        EXPECT_EQ(starts, 2);
        EXPECT_FALSE(w.timeoutArmed());
    }
    // Enter reaches the welcome screen through the main window.
    Fixture f;
    MainWindow main(f.settings, f.run, f.catalogue, f.script);
    ASSERT_NE(main.welcomeWindow(), nullptr);
    main.command(1010);
    EXPECT_EQ(main.clock().pendingAction, kLeaveWelcomeAction);
    EXPECT_TRUE(main.clock().timerArmed[kActionTimer]);
}

TEST(WelcomeScreen, HugeButtonHeightGivesAButtonOfTwentyCells) {
    for (float factor : {1e30f, -1e30f}) {
        Settings s;
        s.initialTimeout = 0;
        s.buttonHeight = factor;
        WelcomeWindow w(nullptr, s, nullptr);
        w.resize(800, 600);
        w.grab();
        ASSERT_NE(w.startButton(), nullptr);
        EXPECT_EQ(w.startButton()->geometry().height(), factor > 0 ? 20 * w.cell().height : 0);
    }
}

TEST(WelcomeScreen, PictureIsCentredOrTheMessageShown) {
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    Settings s;
    {
        WelcomeWindow w(nullptr, s, nullptr);
        w.resize(400, 300);
        const QImage shot = w.grab().toImage();
        bool white = false;   // "Unable to open file: OVINIT.BMP" in white
        for (int x = 0; x < 400 && !white; ++x)
            for (int y = 150; y < 170 && !white; ++y) white = shot.pixelColor(x, y) == Qt::white;
        EXPECT_TRUE(white);
    }
    QImage picture(100, 50, QImage::Format_RGB32);
    picture.fill(QColor(0, 128, 0));
    ASSERT_TRUE(picture.save("ovinit.bmp", "BMP"));   // found whatever its case
    {
        WelcomeWindow w(nullptr, s, nullptr);
        w.resize(400, 300);
        const QImage shot = w.grab().toImage();
        EXPECT_EQ(shot.pixelColor(150, 125), QColor(0, 128, 0));
        EXPECT_EQ(shot.pixelColor(249, 174), QColor(0, 128, 0));
        EXPECT_EQ(shot.pixelColor(149, 125), QColor(Qt::black));
        EXPECT_EQ(shot.pixelColor(250, 125), QColor(Qt::black));
    }
    QDir::setCurrent(old);
}

TEST(ViewPaneMachinery, GeometryPicturesFlashAndCopies) {
    const PaneMetrics m = PaneMetrics::of(400, 300);
    EXPECT_EQ(m.radius, 168);
    EXPECT_EQ(m.inner, QRect(6, 6, 388, 288));
    EXPECT_EQ(m.centre, QPoint(200, 150));
    EXPECT_EQ(m.pictureRect, QRect(-194, -144, 388, 288));
    EXPECT_EQ(m.halfPictureWidth, 194);
    EXPECT_EQ(infoButtonRect(QRect(0, 0, 400, 300), 7, 16, 2.0f), QRect(400 - 56, 300 - 32 - 7, 49, 32));

    bool shown = true;
    setEventShownQuery([&] { return shown; });
    ViewPane pane(nullptr, 1041, Qt::black);
    pane.resize(400, 300);
    pane.layoutPane();
    ASSERT_TRUE(pane.createPictures());
    EXPECT_EQ(pane.surface(Surface::Working).size(), QSize(388, 288));
    {
        QPainter p;
        pane.beginDrawing(p, Surface::Clean);
        p.fillRect(QRect(-20, -20, 40, 40), QColor(0, 0, 200));   // around the logical origin
    }
    pane.copy(Surface::Working, Surface::Clean);
    pane.copy(Surface::Screen, Surface::Working);
    EXPECT_EQ(pane.surface(Surface::Screen).pixelColor(200, 150), QColor(0, 0, 200));
    EXPECT_EQ(pane.surface(Surface::Working).pixelColor(194, 144), QColor(0, 0, 200));

    pane.drawFlash(QPoint(50, 0), 1.0f);   // radius 10 at logical (50, 0)
    EXPECT_EQ(pane.surface(Surface::Screen).pixelColor(250, 150), QColor(Qt::white));
    EXPECT_EQ(pane.flashRect(), QRect(40, -10, 20, 20));
    pane.drawFlash(QPoint(50, 0), 0.5f);   // the previous disc is erased first
    EXPECT_EQ(pane.surface(Surface::Screen).pixelColor(258, 150), QColor(Qt::black));
    EXPECT_EQ(pane.surface(Surface::Screen).pixelColor(252, 150), QColor(Qt::white));
    pane.drawFlash(QPoint(0, 0), -0.125f);  // nothing drawn for a negative size
    EXPECT_TRUE(pane.flashRect().isEmpty());
    EXPECT_EQ(pane.surface(Surface::Screen).pixelColor(250, 150), QColor(Qt::black));

    // Copies with a device rectangle are clipped 10 pixels inside the client.
    {
        QPainter p;
        pane.beginDrawing(p, Surface::Working);
        p.fillRect(pane.metrics().pictureRect, QColor(200, 0, 0));
    }
    pane.copy(Surface::Screen, Surface::Working, QRect(0, 0, 400, 300));
    EXPECT_EQ(pane.surface(Surface::Screen).pixelColor(10, 10), QColor(200, 0, 0));
    EXPECT_NE(pane.surface(Surface::Screen).pixelColor(8, 8), QColor(200, 0, 0));

    // The pane frame: white outline, separator 3 pixels above the bottom.
    pane.invalidatePane();
    const QImage shot = pane.grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 100), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(200, 297), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(200, 150), QColor(200, 0, 0));   // working picture copied
    setEventShownQuery(nullptr);
}

TEST(GlobeViewAngles, SnapToTheEightPictures) {
    EXPECT_EQ(GlobeView::snapViewAngle(-90), 270);
    EXPECT_EQ(GlobeView::snapViewAngle(400), 0);
    EXPECT_EQ(GlobeView::snapViewAngle(180), 180);
    EXPECT_EQ(GlobeView::snapViewAngle(44), 0);
    EXPECT_EQ(GlobeView::snapViewAngle(359), 315);
}

TEST(MakeBitmap, WritesABmpThroughATemporaryFile) {
    QTemporaryDir dir;
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(QColor(10, 20, 30));
    const QString path = dir.filePath("shot.bmp");
    ASSERT_TRUE(writeBitmapFile(image, path));
    const QImage back(path, "BMP");
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.size(), QSize(64, 32));
    EXPECT_EQ(back.pixelColor(5, 5), QColor(10, 20, 30));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    EXPECT_FALSE(writeBitmapFile(image, dir.filePath("missing/shot.bmp")));
}

// An event started through the main window: layout, panes, flash, ticks.
TEST(MainWindowRun, EventBuildsTheLayoutAndRuns) {
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        QFile evt("a.evt");
        ASSERT_TRUE(evt.open(QIODevice::WriteOnly));
        evt.write("EVENT MAGNITUDE: 1.0\r\nVIEW ANGLE: 180\r\n");
    }
    QImage earth(64, 64, QImage::Format_RGB32);
    earth.fill(QColor(0, 0, 160));
    ASSERT_TRUE(earth.save("earth180.bmp", "BMP"));

    Fixture f;
    f.settings.showWelcomeScreen = false;
    f.settings.menuBar = false;
    MainWindow w(f.settings, f.run, f.catalogue, f.script);
    w.resize(1024, 700);
    w.show();
    QCoreApplication::processEvents();
    w.clock().onTimer(kActionTimer);   // leave the (never shown) welcome screen
    ASSERT_NE(w.worldMapWindow(), nullptr);
    EXPECT_EQ(w.welcomeWindow(), nullptr);
    EXPECT_EQ(w.clock().tickMs, 0);

    w.clock().currentEventFile = "a.evt";
    w.command(1025);
    ViewLayout* layout = w.viewLayout();
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(w.worldMapWindow(), nullptr);
    ASSERT_NE(layout->globe(), nullptr);
    ASSERT_NE(layout->crossSection(), nullptr);
    ASSERT_NE(layout->seismograms(), nullptr);
    ASSERT_NE(layout->bar(), nullptr);
    EXPECT_EQ(layout->size(), w.clientArea()->size());
    const int barWidth = w.paneGeometry().barWidth;
    EXPECT_EQ(layout->bar()->geometry().right() + 1, layout->width());
    EXPECT_EQ(layout->bar()->width(), barWidth);
    EXPECT_EQ(layout->globe()->width(), layout->globe()->height());
    EXPECT_EQ(layout->globe()->geometry().bottom() + 1, layout->height());
    EXPECT_NE(layout->globe()->infoButton(), nullptr);
    EXPECT_TRUE(w.clock().eventShown);
    EXPECT_TRUE(w.clock().timerArmed[kFlashTimer]);

    // The globe picture is stretched into the globe box.
    GlobeView* globe = layout->globe();
    const QPoint c = globe->metrics().centre;
    EXPECT_EQ(globe->surface(Surface::Screen).pixelColor(c), QColor(0, 0, 160));

    w.clock().onTimer(kFlashTimer);   // magnitude 1: two flash steps
    EXPECT_TRUE(w.clock().timerArmed[kFlashTimer]);
    EXPECT_FALSE(w.clock().timerArmed[kTickTimer]);
    w.clock().onTimer(kFlashTimer);
    EXPECT_TRUE(w.clock().timerArmed[kTickTimer]);
    w.clock().onTimer(kTickTimer);
    EXPECT_FLOAT_EQ(w.clock().simTime, 10.0f);
    EXPECT_EQ(layout->bar()->minutesShown(), "   0 ");

    // The seismogram pane's frame and time axis, probed at computed places:
    // the left edge of the frame, the tick of minute 1, and the title's row.
    SeismogramView* seis = layout->seismograms();
    auto axisShown = [seis] {
        const QImage& pic = seis->picture();
        const int h = pic.height(), x1 = seis->xOf(60);
        bool title = false;
        const int titleBottom = h - 4 - characterCell().height();
        for (int y = titleBottom - characterCell().height(); y < titleBottom && !title; ++y)
            for (int x = pic.width() / 4; x < 3 * pic.width() / 4 && !title; ++x)
                title = pic.pixelColor(x, y) == QColor(Qt::black);
        return pic.pixelColor(0, h / 2) == QColor(Qt::black) &&
               pic.pixelColor(x1, h - 2) == QColor(Qt::black) && title;
    };
    EXPECT_TRUE(axisShown());

    // List, OK with nothing selected: the empty name starts the last event
    // again from its flash, on the same layout, which is drawn whole again.
    std::vector<std::string> dialogs;
    MainWindow::setDialogRunner([&](QDialog& d) {
        dialogs.push_back(d.metaObject()->className());
        if (auto* list = qobject_cast<EventListDialog*>(&d)) {
            EXPECT_EQ(list->chosenName(), "");
            return int(QDialog::Accepted);
        }
        return int(QDialog::Rejected);
    });
    w.command(201);
    EXPECT_EQ(w.viewLayout(), layout);
    EXPECT_EQ(w.clock().simTime, 0.0f);
    EXPECT_TRUE(w.clock().timerArmed[kFlashTimer]);
    EXPECT_FALSE(w.clock().timerArmed[kTickTimer]);
    w.clock().onTimer(kFlashTimer);
    w.clock().onTimer(kFlashTimer);
    w.clock().onTimer(kTickTimer);
    EXPECT_TRUE(axisShown());   // not a bare white pane

    // The About box is the one both programs show.
    w.command(206);
    MainWindow::setDialogRunner({});
    EXPECT_EQ(dialogs, (std::vector<std::string>{"EventListDialog", "AboutDialog"}));

    // The map again; then Exit closes the window.
    w.command(202);
    EXPECT_EQ(w.viewLayout(), nullptr);
    ASSERT_NE(w.worldMapWindow(), nullptr);
    QCoreApplication::processEvents();
    w.worldMapWindow()->grab();   // the map reports itself ready when painted
    EXPECT_TRUE(w.clock().screenReady);
    w.command(203);
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.isVisible());
    QDir::setCurrent(old);
}

// Exit asked for just before another screen starts being built: the window
// waits for that screen instead of tearing down into one it cannot close.
TEST(MainWindowExit, ExitWaitsForAScreenBuiltMeanwhile) {
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    Fixture f;
    f.settings.showWelcomeScreen = false;
    f.settings.menuBar = false;
    MainWindow w(f.settings, f.run, f.catalogue, f.script);
    w.resize(800, 600);
    w.show();
    QCoreApplication::processEvents();
    w.clock().onTimer(kActionTimer);   // the world map
    ASSERT_NE(w.worldMapWindow(), nullptr);
    w.worldMapWindow()->grab();
    ASSERT_TRUE(w.clock().screenReady);

    w.command(203);   // Exit: the teardown is queued
    w.command(202);   // a new map is being built before it runs
    ASSERT_FALSE(w.clock().screenReady);
    QCoreApplication::sendPostedEvents(&w, QEvent::MetaCall);
    EXPECT_TRUE(w.isVisible());
    ASSERT_NE(w.worldMapWindow(), nullptr);   // nothing torn down
    EXPECT_TRUE(w.clock().exitPending());

    w.worldMapWindow()->grab();   // the map is ready: now the window goes
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.isVisible());
    QDir::setCurrent(old);
}

}  // namespace
