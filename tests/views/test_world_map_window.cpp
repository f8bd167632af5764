// The world map window: what it draws, what a touch does in event and station
// mode, the rewritten event file, and its timer, with the dialogs and message
// boxes answered by the test.
#include "data/EventCatalogue.h"
#include "data/Settings.h"
#include "dialogs/Buttons.h"
#include "dialogs/StationComponentsDialog.h"
#include "dialogs/TextWindows.h"
#include "seismology/SphericalGeometry.h"
#include "sound/RecordingBackend.h"
#include "sound/Sound.h"
#include "tests/data/DataTestSupport.h"
#include "tests/views/ViewTestSupport.h"
#include "views/EventInformationDialog.h"
#include "views/WorldMapWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

using namespace testdata;
using Commands = std::vector<Command>;
using Names = std::vector<std::string>;
const QColor kWhite(255, 255, 255), kGrey(128, 128, 128), kLightGrey(192, 192, 192), kRed(255, 0, 0), kBlue(0, 0, 255), kGreen(0, 128, 0);
const std::vector<float> kSamples(50, 1.0f);

struct FakeMapHost : WorldMapHost {
    int readyCount = 0, popupsClosed = 0, chosenIndex = -1;
    bool tutorialCleared = false;
    std::string chosenFile;
    Commands commands;
    Names information;
    void worldMapReady() override { ++readyCount; }
    void chooseEvent(int index, const std::string& file) override { chosenIndex = index, chosenFile = file; }
    void worldMapCommand(Command id) override { commands.push_back(id); }
    void closeMainPopups() override { ++popupsClosed; }
    void leaveTutorialMode() override { tutorialCleared = true; }
    void showInformation(const std::string& file) override { information.push_back(file); }
};

// A scratch installation as the current directory: two events, the first with
// seismograms of ANMO (Z, N, E) and COR (Z), the second with an empty folder,
// and a world picture. Dialogs and messages are answered by the test, clicks
// counted as MIDI note-ons on a recording back end.
class WorldMapWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = QDir::currentPath();
        writeFile(dir_ / "1990010100.evt", "EVENT NAME: Near Coast\nEVENT LATITUDE:    -33.5000\nEVENT LONGITUDE:   -72.0000\n"
                                           "EVENT DEPTH:       10.4\nEVENT DATE: 1990/01/01\nORIGIN TIME: 00:00:00.0\n"
                                           "STATION FILE: ANMO.BHZ\nSTATION FILE: COR.BHZ\n");
        for (const char* c : {"Z", "N", "E"})
            writeSac(dir_ / (std::string("1990010100/ANMO.BH") + c), stationHeader("ANMO", 34.9f, -106.5f), kSamples);
        writeSac(dir_ / "1990010100/COR.BHZ", stationHeader("COR", 44.6f, -123.3f), kSamples);
        writeFile(dir_ / "2000010100.evt", "EVENT NAME: Far Island\nEVENT LATITUDE: 40\nEVENT LONGITUDE: 140\n"
                                           "EVENT DATE: 2000/01/01\nORIGIN TIME: 00:00:00.0\n");
        std::filesystem::create_directories(dir_ / "2000010100");
        QImage world(360, 145, QImage::Format_RGB888);
        world.fill(kGreen), world.save(QString::fromStdString(dir_ / "WORLD.SAV"), "BMP");
        writeFile(dir_ / "TUT0.INF", "Welcome.\n");
        writeFile(dir_ / "ZURIVI.STA", "ANMO    Albuquerque, New Mexico, USA    34.9459N 106.4572W\n");
        QDir::setCurrent(QString::fromStdString(dir_.path()));
        settings.userTimeout = 0;
    }
    void TearDown() override {
        map.reset();
        QDir::setCurrent(old_);
    }
    WorldMapWindow& make() {
        map.reset(), catalogue.clear();
        map = std::make_unique<WorldMapWindow>(nullptr, host, settings, sound, catalogue, script);
        map->setDialogRunner([this](QDialog& d) { return ++dialogs, dialog(d); });
        map->setMessageShower([this](QWidget*, const QString& text) { messages.push_back(text); });
        map->setWaiter([](int) {});
        map->resize(1024, 700), map->grab();
        return *map;
    }
    QImage image() const { return map->grab().toImage(); }
    static QPoint centre(const Rect& r) { return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
    QPoint label(int index) const { return centre(catalogue.at(index).mapLabelRect); }
    QPoint point(float lat, float lon) const {
        int x = 0, y = 0;
        screenPoint(map->screen(), lat, lon, x, y);
        return QPoint(x, y);
    }
    void started(const std::string& file) const {
        EXPECT_EQ(std::pair(host.commands, host.chosenFile), std::pair(Commands{Command::StartCurrentEvent}, file));
    }
    long clicks() const {
        return std::count_if(log.midiMessages.begin(), log.midiMessages.end(), [](uint32_t m) { return (m & 0xF0u) == 0x90u; });
    }
    // Every dialog answered by a click on the button `id`.
    void press(int id) {
        dialog = [id](QDialog& d) { return findControlAs<QPushButton>(&d, id)->click(), d.result(); };
    }
    // Into station mode for the first event.
    void selectStations() {
        press(EventInformationDialog::kSelectStationsId);
        map->touch(label(0));
        ASSERT_EQ(map->mode(), WorldMapWindow::Mode::Stations);
    }
    std::string eventFile() const { return readFile(dir_ / "1990010100.evt"); }
    Names stationFiles() const {
        const std::string text = eventFile();
        Names names;
        for (std::size_t at = text.find("FILE: "); at != std::string::npos; at = text.find("FILE: ", at + 1))
            names.push_back(text.substr(at + 6, text.find_first_of("\r\n", at) - at - 6));
        return names;
    }

    TempDir dir_;
    QString old_;
    RecordingBackend::Log log;
    Sound sound{std::make_unique<RecordingBackend>(log)};   // the map opens its MIDI output
    std::function<int(QDialog&)> dialog = [](QDialog&) { return int(QDialog::Rejected); };
    std::vector<QString> messages;
    int dialogs = 0;
    Settings settings;
    EventCatalogue catalogue;
    TutorialScript script{{"TUT0.INF", 0, 2}, {"TUT1.INF", 10, 5}};
    FakeMapHost host;
    std::unique_ptr<WorldMapWindow> map;
};

TEST_F(WorldMapWindowTest, PaintsMapPictureFrameTitleButtonsAndLabels) {
    const WorldMapScreen& s = make().screen();
    EXPECT_GE(host.readyCount, 1);
    ASSERT_EQ(catalogue.count(), 2);   // filled from the working directory
    QImage img = image();
    EXPECT_EQ(img.pixelColor(point(-60, 0)), kGreen);   // the world picture fills the map
    // The raised frame in light grey surroundings, the title box light yellow inside.
    const int midY = (s.mapRect.top + s.mapRect.bottom) / 2;
    EXPECT_EQ(
        (std::vector<QColor>{img.pixelColor(s.mapRect.left + 1, midY), img.pixelColor(s.mapRect.right - 2, midY), img.pixelColor(3, 3)}),
        (std::vector<QColor>{kWhite, kGrey, kLightGrey}));
    EXPECT_TRUE(near(img, {}, s.titleCentreX - 100, s.titleCentreY, QColor(255, 255, 0), 20));
    EXPECT_EQ(map->exitButton()->geometry().x(), s.exitButton.left);
    // Each label: a raised light-grey face with red writing.
    const Rect& r = catalogue.at(0).mapLabelRect;
    EXPECT_EQ((std::vector<QColor>{img.pixelColor(r.left, r.top), img.pixelColor(r.right - 1, r.bottom - 1),
                                   img.pixelColor(r.left + 5, (r.top + r.bottom) / 2)}),
              (std::vector<QColor>{kWhite, kGrey, kLightGrey}));
    EXPECT_TRUE(near(img, {}, r.left + 40, (r.top + r.bottom) / 2, kRed, 30));

    // Without a world picture the map is black, and without exit there is no Exit button.
    QFile::remove("WORLD.SAV");
    settings.canExit = false;
    make();   // events placed all the same
    EXPECT_EQ(std::tuple(image().pixelColor(point(-60, 0)), map->exitButton(), catalogue.at(1).mapLabelRect == Rect{}),
              std::tuple(QColor(0, 0, 0), nullptr, false));
}

TEST_F(WorldMapWindowTest, ALabelStartsItsEventOrAsksTheEventInformationFirst) {
    std::tie(settings.selectComponents, settings.tutorialMode) = std::pair(false, true);
    make();
    const long before = clicks();
    map->touch(QPoint(2, 2));   // not on a label: nothing
    EXPECT_TRUE(host.commands.empty() && map->timerRunning());
    map->touch(label(1));
    started("2000010100.evt");
    EXPECT_EQ(std::tuple(host.chosenIndex, dialogs, clicks()), std::tuple(1, 0, before + 1));
    EXPECT_FALSE(map->timerRunning() || settings.tutorialMode || !host.tutorialCleared);
    EXPECT_EQ(map->pressedLabel(), 1);   // held down while the run starts
    EXPECT_GE(host.popupsClosed, 2);     // every touch closes the main pop-ups

    host = FakeMapHost{};   // with SELECT COMPONENTS: Cancel leaves the map as it was, GO starts
    settings.selectComponents = true;
    make();
    std::string shownName;
    dialog = [&](QDialog& d) {
        shownName = dynamic_cast<EventInformationDialog&>(d).valueText(601).toStdString();
        return int(QDialog::Rejected);
    };
    map->touch(label(0));
    EXPECT_EQ(std::tuple(shownName, host.commands.size(), map->mode(), map->pressedLabel()),
              std::tuple("Near Coast", 0u, WorldMapWindow::Mode::Events, -1));
    press(EventInformationDialog::kGoId);
    map->touch(label(0));
    started("1990010100.evt");
}

TEST_F(WorldMapWindowTest, ComponentsChosenOnTheMapRewriteTheEventFile) {
    writeSac(dir_ / "1990010100/QSPA.BHZ", stationHeader("QSPA", -89.93f, 144.44f), kSamples);   // polar
    make();
    selectStations();
    ASSERT_EQ(std::tuple(host.commands.size(), map->stations().size()), std::tuple(0u, 3u));
    EXPECT_EQ(map->stations()[0].selected, (std::array<bool, 3>{true, false, false}));
    // Z used (red centre), N and E available only (white bars above and left), on the blue disc.
    const QPoint anmo = point(34.9f, -106.5f);
    const QImage img = image();
    EXPECT_EQ((std::vector<QColor>{img.pixelColor(anmo), img.pixelColor(anmo + QPoint(0, -7)), img.pixelColor(anmo + QPoint(-7, 0)),
                                   img.pixelColor(anmo + QPoint(5, 5))}),
              (std::vector<QColor>{kRed, kWhite, kWhite, kBlue}));

    // Touch ANMO, switch N on, OK: written, the rest of the file kept. Then
    // only N-S for all stations: ANMO keeps N, COR (no N) plays nothing.
    QString line, arc, azimuth;
    auto choose = [&](int box, bool all) {
        dialog = [&, box, all](QDialog& d) {
            auto& sc = dynamic_cast<StationComponentsDialog&>(d);
            line = sc.valueText(StationComponentsDialog::kStationLineId);
            arc = sc.valueText(StationComponentsDialog::kArcId);
            azimuth = sc.valueText(StationComponentsDialog::kBackAzimuthId);
            sc.componentBox(box)->click();
            if (all) sc.allStationsButton()->click();
            return findControlAs<QPushButton>(&sc, kIdOk)->click(), sc.result();
        };
        map->touch(anmo);
    };
    choose(1, false);
    const GreatCircle gc = greatCircle(34.9f, -106.5f, -33.5f, -72.0f);
    EXPECT_EQ(std::tuple(line.toStdString(), arc.toStdString(), azimuth.toStdString()),
              std::tuple("ANMO: Albuquerque, New Mexico, USA", formatArc(gc.distance), formatArc(gc.azimuth)));
    EXPECT_EQ(stationFiles(), (Names{"ANMO.BHZ", "ANMO.BHN", "COR.BHZ"}));
    EXPECT_NE(eventFile().find("EVENT NAME: Near Coast"), std::string::npos);
    EXPECT_EQ(image().pixelColor(anmo + QPoint(0, -7)), kRed);
    choose(0, true);
    EXPECT_EQ(stationFiles(), Names{"ANMO.BHN"});
    // The polar station on the bottom row of the map, below the point of 60 S
    // at its longitude: the white centre (Z available, not played) on its
    // blue disc, where a touch opens its dialog; Cancel writes nothing.
    const QPoint qspa = centre(map->stations()[2].mapMarkerRect);
    EXPECT_EQ(qspa, QPoint(point(-60, 144.44f).x(), map->screen().mapRect.bottom - 1));
    EXPECT_EQ(std::pair(image().pixelColor(qspa), image().pixelColor(qspa + QPoint(5, -5))), std::pair(kWhite, kBlue));
    const std::string before = eventFile();
    dialog = [&](QDialog& d) {
        return line = dynamic_cast<StationComponentsDialog&>(d).valueText(StationComponentsDialog::kStationLineId), 0;
    };
    map->touch(qspa + QPoint(0, -5));
    EXPECT_EQ(std::pair(line.left(4), eventFile()), std::pair(QString("QSPA"), before));
    map->touch(point(-33.5f, -72.0f) + QPoint(3, 3));   // the star starts the event
    started("1990010100.evt");
}

TEST_F(WorldMapWindowTest, ButtonsInEitherModeAndAnEmptyFolderSaysNoFilesFound) {
    settings.userTimeout = 30;
    make();
    map->secondPassed();
    map->informationButton()->click();   // restarts the countdown
    map->exitButton()->click();
    EXPECT_EQ(std::tuple(map->countdown(), host.commands), std::tuple(30, Commands{Command::Exit}));
    host.commands.clear();
    press(EventInformationDialog::kSelectStationsId);
    map->touch(label(1));
    EXPECT_EQ(messages, std::vector<QString>{"No files found"});
    EXPECT_TRUE(map->mode() == WorldMapWindow::Mode::Stations && map->stations().empty());
    map->buttonCommand(Command::MapInformation);
    EXPECT_EQ(host.information, (Names{"MAP_EV.INF", "MAP_ST.INF"}));
    map->touch(point(40, 140));   // the star still starts the event
    started("2000010100.evt");
}

TEST_F(WorldMapWindowTest, TimeoutStartsTheFirstEventAndTutorialOpensItsPageUntilATouch) {
    settings.userTimeout = 2;
    make();
    map->secondPassed(), map->secondPassed();
    EXPECT_EQ(host.chosenIndex, 0);
    started("1990010100.evt");

    std::tie(settings.userTimeout, settings.tutorialMode) = std::pair(0, true);   // the tutorial page for its two seconds
    make();
    map->secondPassed();
    ASSERT_NE(map->tutorialWindow(), nullptr);
    EXPECT_EQ(std::tuple(map->tutorialWindow()->fileName(), map->tutorialWindow()->form()),
              std::tuple(QString("TUT0.INF"), kFormAutomaticTutorial));
    map->secondPassed(), map->secondPassed();
    EXPECT_EQ(map->tutorialWindow(), nullptr);
    map->secondPassed();
    EXPECT_EQ(map->pressedLabel(), 0);   // the tutorial event's label pressed

    make();   // a touch on the map closes the page and ends the tutorial
    host.commands.clear();
    map->secondPassed();
    ASSERT_NE(map->tutorialWindow(), nullptr);
    map->touch(QPoint(2, 2));
    EXPECT_EQ(map->tutorialWindow(), nullptr);
    for (int i = 0; i < 10; ++i) map->secondPassed();
    EXPECT_FALSE(settings.tutorialMode || !host.commands.empty());
}

}   // namespace
