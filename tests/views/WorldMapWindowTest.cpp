// The world map window: what it draws, what a touch does in event and station
// mode, the rewritten event file, and its timer, with the dialogs and message
// boxes answered by the test.
#include "data/EventCatalogue.h"
#include "data/Settings.h"
#include "dialogs/Buttons.h"
#include "dialogs/StationComponentsDialog.h"
#include "dialogs/TextWindows.h"
#include "sound/RecordingBackend.h"
#include "sound/Sound.h"
#include "seismology/SphericalGeometry.h"
#include "tests/data/DataTestSupport.h"
#include "views/EventInformationDialog.h"
#include "views/WorldMapWindow.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using testdata::readFile;
using testdata::stationHeader;
using testdata::TempDir;
using testdata::writeFile;
using testdata::writeSac;

class FakeMapHost : public WorldMapHost {
public:
    int readyCount = 0;
    int popupsClosed = 0;
    bool tutorialCleared = false;
    int chosenIndex = -1;
    std::string chosenFile;
    std::vector<int> commands;
    std::vector<std::string> information;

    void worldMapReady() override { ++readyCount; }
    void chooseEvent(int index, const std::string& file) override {
        chosenIndex = index;
        chosenFile = file;
    }
    void worldMapCommand(int id) override { commands.push_back(id); }
    void closeMainPopups() override { ++popupsClosed; }
    void leaveTutorialMode() override { tutorialCleared = true; }
    void showInformation(const std::string& file) override { information.push_back(file); }
};

const char* const kEvent =
    "EVENT NAME: Near Coast\n"
    "EVENT LATITUDE:    -33.5000\n"
    "EVENT LONGITUDE:   -72.0000\n"
    "EVENT DEPTH:       10.4\n"
    "EVENT MAGNITUDE:    7.0\n"
    "EVENT DATE: 1990/01/01\n"
    "ORIGIN TIME: 00:00:00.0\n"
    "TIME ACCELERATION: 20\n"
    "TIME WINDOW: 1800\n"
    "TIME LIMIT: 7200\n"
    "VIEW ANGLE: 270\n"
    "STATION FILE: ANMO.BHZ\n"
    "STATION FILE: COR.BHZ\n";

// A scratch installation that is the current directory while it lives:
// two events, the first with a folder of four seismograms (ANMO Z, N, E and
// COR Z), the second with an empty folder; optionally a world picture.
class Installation {
public:
    explicit Installation(bool worldPicture = true) : old_(QDir::currentPath()) {
        writeFile(dir_ / "1990010100.evt", kEvent);
        const std::vector<float> samples(50, 1.0f);
        for (const char* c : {"Z", "N", "E"})
            writeSac(dir_ / (std::string("1990010100/ANMO.BH") + c),
                     stationHeader("ANMO", 34.9f, -106.5f), samples);
        writeSac(dir_ / "1990010100/COR.BHZ", stationHeader("COR", 44.6f, -123.3f), samples);
        writeFile(dir_ / "2000010100.evt",
                  "EVENT NAME: Far Island\nEVENT LATITUDE: 40\nEVENT LONGITUDE: 140\n"
                  "EVENT DATE: 2000/01/01\nORIGIN TIME: 00:00:00.0\n");
        std::filesystem::create_directories(dir_ / "2000010100");
        if (worldPicture) {
            QImage world(360, 145, QImage::Format_RGB888);
            world.fill(QColor(0, 128, 0));
            world.save(QString::fromStdString(dir_ / "WORLD.SAV"), "BMP");
        }
        writeFile(dir_ / "TUT0.INF", "Welcome to the tutorial.\n");
        writeFile(dir_ / "ZURIVI.STA",
                  "ANMO    Albuquerque, New Mexico, USA    34.9459N 106.4572W\n");
        QDir::setCurrent(QString::fromStdString(dir_.path()));
    }
    ~Installation() { QDir::setCurrent(old_); }
    std::string file(const std::string& name) const { return readFile(dir_ / name); }

private:
    TempDir dir_;
    QString old_;
};

// Clicks as MIDI messages on a recording back end.
class Clicks {
public:
    Clicks() {
        theSound().setBackend(std::make_unique<RecordingBackend>(log_));
        Settings s;
        theSound().openMidi(s);
    }
    ~Clicks() {
        theSound().closeMidi();
        theSound().setBackend(makeSilentBackend());
    }
    std::size_t count() const {
        std::size_t n = 0;
        for (uint32_t m : log_.midiMessages)
            if ((m & 0xF0u) == 0x90u) ++n;   // one note-on per click
        return n;
    }

private:
    RecordingBackend::Log log_;
};

// Dialog and message hooks answered by the test; restored afterwards.
class Answers {
public:
    std::function<int(QDialog&)> dialog = [](QDialog&) { return int(QDialog::Rejected); };
    std::vector<QString> messages;
    int dialogs = 0;

    Answers() {
        WorldMapWindow::setDialogRunner([this](QDialog& d) {
            ++dialogs;
            return dialog(d);
        });
        WorldMapWindow::setMessageShower(
            [this](QWidget*, const QString& text) { messages.push_back(text); });
        WorldMapWindow::setWaiter([](int) {});
    }
    ~Answers() {
        WorldMapWindow::setDialogRunner(nullptr);
        WorldMapWindow::setMessageShower(nullptr);
        WorldMapWindow::setWaiter(nullptr);
    }
};

struct MapFixture {
    Settings settings;
    EventCatalogue catalogue;
    TutorialScript script{{"TUT0.INF", 0, 2}, {"TUT1.INF", 10, 5}, {"TUT2.INF", 100, 0}};
    FakeMapHost host;
    std::unique_ptr<WorldMapWindow> map;

    MapFixture() { settings.userTimeout = 0; }
    WorldMapWindow& make(int w = 1024, int h = 700) {
        map = std::make_unique<WorldMapWindow>(nullptr, host, settings, catalogue, script);
        map->resize(w, h);
        image = map->grab().toImage();
        return *map;
    }
    QImage repaint() {
        image = map->grab().toImage();
        return image;
    }
    QPoint labelCentre(int index) const {
        const Rect& r = catalogue.at(index).mapLabelRect;
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    QPoint point(float lat, float lon) const {
        int x = 0, y = 0;
        screenPoint(map->screen(), lat, lon, x, y);
        return QPoint(x, y);
    }
    QImage image;
};

TEST(WorldMapWindowPaint, MapPictureFrameTitleButtonsAndLabels) {
    Installation inst;
    MapFixture f;
    WorldMapWindow& map = f.make();
    EXPECT_GE(f.host.readyCount, 1);
    ASSERT_EQ(f.catalogue.count(), 2);   // filled from the working directory
    EXPECT_TRUE(map.worldPictureLoaded());

    const WorldMapScreen& s = map.screen();
    const QImage& img = f.image;
    // The world picture fills the map rectangle (away from labels and the bevel).
    const QPoint sea = f.point(-60, 0);
    EXPECT_EQ(img.pixelColor(sea), QColor(0, 128, 0));
    // The raised frame: white upper-left bevel, grey lower-right bevel.
    const int midY = (s.mapRect.top + s.mapRect.bottom) / 2;
    EXPECT_EQ(img.pixelColor(s.mapRect.left + 1, midY), QColor(255, 255, 255));
    EXPECT_EQ(img.pixelColor(s.mapRect.right - 2, midY), QColor(128, 128, 128));
    // Light grey around the map.
    EXPECT_EQ(img.pixelColor(3, 3), QColor(192, 192, 192));
    // The title box is light yellow inside its black outline.
    const int boxLeft = s.titleCentreX - 120;
    bool yellow = false;
    for (int x = boxLeft; x < s.titleCentreX && !yellow; ++x)
        yellow = img.pixelColor(x, s.titleCentreY) == QColor(255, 255, 0);
    EXPECT_TRUE(yellow);

    ASSERT_NE(map.exitButton(), nullptr);
    ASSERT_NE(map.informationButton(), nullptr);
    EXPECT_EQ(map.exitButton()->label(), "Exit");
    EXPECT_EQ(map.exitButton()->geometry().x(), s.exitButton.left);
    EXPECT_EQ(map.informationButton()->label(), "Information");
    EXPECT_EQ(map.informationButton()->geometry().right() + 1, s.infoButton.right);

    // Each label is a raised light-grey face with red writing.
    const Rect& label = f.catalogue.at(0).mapLabelRect;
    EXPECT_EQ(img.pixelColor(label.left, label.top), QColor(255, 255, 255));
    EXPECT_EQ(img.pixelColor(label.right - 1, label.bottom - 1), QColor(128, 128, 128));
    EXPECT_EQ(img.pixelColor(label.left + 5, (label.top + label.bottom) / 2),
              QColor(192, 192, 192));
    int red = 0;
    for (int y = label.top; y < label.bottom; ++y)
        for (int x = label.left; x < label.right; ++x)
            if (img.pixelColor(x, y).red() > 150 && img.pixelColor(x, y).green() < 100)
                ++red;
    EXPECT_GT(red, 20);
}

TEST(WorldMapWindowPaint, WithoutWorldPictureOrExitTheMapIsBlackAndHasNoExit) {
    Installation inst(false);
    MapFixture f;
    f.settings.canExit = false;
    WorldMapWindow& map = f.make();
    EXPECT_FALSE(map.worldPictureLoaded());
    EXPECT_EQ(f.image.pixelColor(f.point(-60, 0)), QColor(0, 0, 0));
    EXPECT_EQ(map.exitButton(), nullptr);
    EXPECT_NE(map.informationButton(), nullptr);
    EXPECT_EQ(f.catalogue.count(), 2);   // events are placed all the same
    EXPECT_FALSE(f.catalogue.at(1).mapLabelRect == Rect{});
}

TEST(WorldMapWindowTouch, WithoutSelectComponentsALabelStartsItsEvent) {
    Installation inst;
    Clicks clicks;
    Answers answers;
    MapFixture f;
    f.settings.selectComponents = false;
    f.settings.tutorialMode = true;
    WorldMapWindow& map = f.make();
    const std::size_t before = clicks.count();

    map.touch(QPoint(2, 2));   // not on a label: nothing
    EXPECT_TRUE(f.host.commands.empty());
    EXPECT_TRUE(map.timerRunning());

    map.touch(f.labelCentre(1));
    EXPECT_EQ(f.host.chosenIndex, 1);
    EXPECT_EQ(f.host.chosenFile, "2000010100.evt");
    EXPECT_EQ(f.host.commands, std::vector<int>{1025});
    EXPECT_EQ(answers.dialogs, 0);
    EXPECT_EQ(clicks.count(), before + 1);
    EXPECT_FALSE(map.timerRunning());
    EXPECT_FALSE(f.settings.tutorialMode);
    EXPECT_TRUE(f.host.tutorialCleared);
    EXPECT_EQ(map.pressedLabel(), 1);   // held down while the run starts
    EXPECT_GE(f.host.popupsClosed, 2);  // every touch closes the main pop-ups
}

TEST(WorldMapWindowTouch, WithSelectComponentsTheEventInformationDecides) {
    Installation inst;
    Answers answers;
    MapFixture f;
    WorldMapWindow& map = f.make();

    // Cancel: no start, the label up again, still choosing events.
    std::string shownName;
    answers.dialog = [&](QDialog& d) {
        auto* info = dynamic_cast<EventInformationDialog*>(&d);
        if (info) shownName = info->valueText(601).toStdString();
        return int(QDialog::Rejected);
    };
    map.touch(f.labelCentre(0));
    EXPECT_EQ(answers.dialogs, 1);
    EXPECT_EQ(shownName, "Near Coast");
    EXPECT_TRUE(f.host.commands.empty());
    EXPECT_EQ(map.mode(), WorldMapWindow::Mode::Events);
    EXPECT_EQ(map.pressedLabel(), -1);

    // GO starts the event.
    answers.dialog = [](QDialog& d) {
        findControlAs<QPushButton>(&d, EventInformationDialog::kGoId)->click();
        return d.result();
    };
    map.touch(f.labelCentre(0));
    EXPECT_EQ(f.host.commands, std::vector<int>{1025});
    EXPECT_EQ(f.host.chosenFile, "1990010100.evt");
}

// Goes to station mode for the first event.
void selectStations(MapFixture& f, Answers& answers) {
    answers.dialog = [](QDialog& d) {
        findControlAs<QPushButton>(&d, EventInformationDialog::kSelectStationsId)->click();
        return d.result();
    };
    f.map->touch(f.labelCentre(0));
}

std::vector<std::string> stationFileLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("STATION FILE: ", 0) == 0) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

TEST(WorldMapWindowStations, ComponentsChosenOnTheMapRewriteTheEventFile) {
    Installation inst;
    Answers answers;
    MapFixture f;
    WorldMapWindow& map = f.make();
    selectStations(f, answers);
    ASSERT_EQ(map.mode(), WorldMapWindow::Mode::Stations);
    EXPECT_TRUE(f.host.commands.empty());
    EXPECT_TRUE(answers.messages.empty());
    ASSERT_EQ(map.stations().size(), 2u);
    EXPECT_EQ(map.stations()[0].stationName.substr(0, 4), "ANMO");
    EXPECT_EQ(map.stations()[0].selected, (std::array<bool, 3>{true, false, false}));

    QImage img = f.repaint();
    const QPoint anmo = f.point(34.9f, -106.5f);
    // Z used (red disc at the centre), N available only (white bar above it),
    // E available only (white bar to the left), on the blue station disc.
    EXPECT_EQ(img.pixelColor(anmo), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(anmo + QPoint(0, -7)), QColor(255, 255, 255));
    EXPECT_EQ(img.pixelColor(anmo + QPoint(-7, 0)), QColor(255, 255, 255));
    EXPECT_EQ(img.pixelColor(anmo + QPoint(5, 5)), QColor(0, 0, 255));

    // Touch ANMO, switch N on, OK.
    QString line, arc, azimuth;
    answers.dialog = [&](QDialog& d) {
        auto* sc = dynamic_cast<StationComponentsDialog*>(&d);
        if (!sc) return int(QDialog::Rejected);
        line = sc->valueText(StationComponentsDialog::kStationLineId);
        arc = sc->valueText(StationComponentsDialog::kArcId);
        azimuth = sc->valueText(StationComponentsDialog::kBackAzimuthId);
        sc->componentBox(1)->click();
        findControlAs<QPushButton>(sc, kIdOk)->click();
        return sc->result();
    };
    map.touch(anmo);
    EXPECT_EQ(line, "ANMO: Albuquerque, New Mexico, USA");
    const GreatCircle gc = greatCircle(34.9f, -106.5f, -33.5f, -72.0f);
    EXPECT_EQ(arc.toStdString(), formatArc(gc.distance));
    EXPECT_EQ(azimuth.toStdString(), formatArc(gc.azimuth));
    EXPECT_EQ(stationFileLines(inst.file("1990010100.evt")),
              (std::vector<std::string>{"STATION FILE: ANMO.BHZ", "STATION FILE: ANMO.BHN",
                                        "STATION FILE: COR.BHZ"}));
    // The rest of the file is kept.
    EXPECT_NE(inst.file("1990010100.evt").find("EVENT NAME: Near Coast"), std::string::npos);
    img = f.repaint();
    EXPECT_EQ(img.pixelColor(anmo + QPoint(0, -7)), QColor(255, 0, 0));

    // Only N-S for all stations: ANMO keeps N only, COR (no N) plays nothing.
    answers.dialog = [&](QDialog& d) {
        auto* sc = dynamic_cast<StationComponentsDialog*>(&d);
        sc->componentBox(0)->click();   // Z off
        sc->allStationsButton()->click();
        findControlAs<QPushButton>(sc, kIdOk)->click();
        return sc->result();
    };
    map.touch(anmo);
    EXPECT_EQ(stationFileLines(inst.file("1990010100.evt")),
              (std::vector<std::string>{"STATION FILE: ANMO.BHN"}));

    // Cancel writes nothing.
    const std::string before = inst.file("1990010100.evt");
    answers.dialog = [](QDialog&) { return int(QDialog::Rejected); };
    map.touch(anmo);
    EXPECT_EQ(inst.file("1990010100.evt"), before);

    // The star starts the event.
    map.touch(f.point(-33.5f, -72.0f) + QPoint(3, 3));
    EXPECT_EQ(f.host.commands, std::vector<int>{1025});
    EXPECT_EQ(f.host.chosenFile, "1990010100.evt");
}

TEST(WorldMapWindowStations, PolarStationIsDrawnAndTouchedAtTheMapEdge) {
    Installation inst;
    writeSac("1990010100/QSPA.BHZ", stationHeader("QSPA", -89.93f, 144.44f),
             std::vector<float>(50, 1.0f));
    Answers answers;
    MapFixture f;
    WorldMapWindow& map = f.make();
    selectStations(f, answers);
    ASSERT_EQ(map.mode(), WorldMapWindow::Mode::Stations);
    const QImage img = f.repaint();
    int index = -1;
    for (std::size_t i = 0; i < map.stations().size(); ++i)
        if (map.stations()[i].stationName.substr(0, 4) == "QSPA") index = int(i);
    ASSERT_GE(index, 0);

    // On the bottom row of the map, below the point of 60 S at its longitude.
    const Rect& marker = map.stations()[std::size_t(index)].mapMarkerRect;
    const QPoint qspa((marker.left + marker.right) / 2, (marker.top + marker.bottom) / 2);
    const Rect& m = map.screen().mapRect;
    EXPECT_EQ(qspa.y(), m.bottom - 1);
    EXPECT_EQ(qspa.x(), f.point(-60, 144.44f).x());
    ASSERT_TRUE(QRect(0, 0, map.width(), map.height()).contains(qspa));
    // Z available but not played: the white centre of the station is drawn
    // there, on its blue disc.
    EXPECT_EQ(img.pixelColor(qspa), QColor(255, 255, 255));
    EXPECT_EQ(img.pixelColor(qspa + QPoint(5, -5)), QColor(0, 0, 255));

    int dialogs = 0;
    answers.dialog = [&](QDialog& d) {
        if (dynamic_cast<StationComponentsDialog*>(&d)) ++dialogs;
        return int(QDialog::Rejected);
    };
    map.touch(qspa + QPoint(0, -5));
    EXPECT_EQ(dialogs, 1);
}

TEST(WorldMapWindowStations, EmptyFolderSaysNoFilesFoundAndTheStarStillStarts) {
    Installation inst;
    Answers answers;
    MapFixture f;
    WorldMapWindow& map = f.make();
    answers.dialog = [](QDialog& d) {
        findControlAs<QPushButton>(&d, EventInformationDialog::kSelectStationsId)->click();
        return d.result();
    };
    map.touch(f.labelCentre(1));
    EXPECT_EQ(answers.messages, std::vector<QString>{"No files found"});
    EXPECT_EQ(map.mode(), WorldMapWindow::Mode::Stations);
    EXPECT_TRUE(map.stations().empty());
    f.repaint();
    map.touch(f.point(40, 140));
    EXPECT_EQ(f.host.commands, std::vector<int>{1025});
    EXPECT_EQ(f.host.chosenFile, "2000010100.evt");
}

TEST(WorldMapWindowButtons, ExitAndInformation) {
    Installation inst;
    Answers answers;
    MapFixture f;
    f.settings.userTimeout = 30;
    WorldMapWindow& map = f.make();
    map.secondPassed();
    map.informationButton()->click();
    EXPECT_EQ(f.host.information, std::vector<std::string>{"MAP_EV.INF"});
    EXPECT_EQ(map.countdown(), 30);
    map.exitButton()->click();
    EXPECT_EQ(f.host.commands, std::vector<int>{203});

    selectStations(f, answers);
    map.buttonCommand(kMapInformationButton);
    EXPECT_EQ(f.host.information.back(), "MAP_ST.INF");
}

TEST(WorldMapWindowTimer, TimeoutStartsTheFirstEventAndTutorialOpensItsPage) {
    Installation inst;
    {
        MapFixture f;
        f.settings.userTimeout = 2;
        WorldMapWindow& map = f.make();
        map.secondPassed();
        EXPECT_TRUE(f.host.commands.empty());
        map.secondPassed();
        EXPECT_EQ(f.host.chosenIndex, 0);
        EXPECT_EQ(f.host.chosenFile, "1990010100.evt");
        EXPECT_EQ(f.host.commands, std::vector<int>{1025});
    }
    {
        MapFixture f;
        f.settings.tutorialMode = true;
        f.settings.tutorialEvent = "2000010100.EVT";
        WorldMapWindow& map = f.make();
        map.secondPassed();
        ASSERT_NE(map.tutorialWindow(), nullptr);
        EXPECT_EQ(map.tutorialWindow()->fileName(), "TUT0.INF");
        EXPECT_EQ(map.tutorialWindow()->form(), kFormAutomaticTutorial);
        map.secondPassed();
        map.secondPassed();   // the page's two seconds are up
        EXPECT_EQ(map.tutorialWindow(), nullptr);
        map.secondPassed();
        EXPECT_EQ(map.pressedLabel(), 1);
        map.secondPassed();
        EXPECT_EQ(map.pressedLabel(), -1);
        map.secondPassed();
        EXPECT_EQ(f.host.chosenFile, "2000010100.evt");
        EXPECT_EQ(f.host.commands, std::vector<int>{1025});
    }
    {
        // A touch on the map closes the tutorial page and ends the tutorial.
        MapFixture f;
        f.settings.tutorialMode = true;
        WorldMapWindow& map = f.make();
        map.secondPassed();
        ASSERT_NE(map.tutorialWindow(), nullptr);
        map.touch(QPoint(2, 2));
        EXPECT_EQ(map.tutorialWindow(), nullptr);
        for (int i = 0; i < 10; ++i) map.secondPassed();
        EXPECT_FALSE(f.settings.tutorialMode);
        EXPECT_TRUE(f.host.commands.empty());
    }
}

}  // namespace
