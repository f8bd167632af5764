// Saving "OV.INI" or an event file on a full disk, a read-only one or past a
// file-size limit must fail with false, leave the old file byte for byte as it
// was and leave no temporary file behind; `ov` goes on running its event.
//
// The tests run headless and, where the process may, in a mount namespace of
// their own, so that the scratch disks they mount vanish with the process.
#include "ScratchFileSystem.h"

#include "data/EventFile.h"
#include "data/RunSetup.h"
#include "data/Settings.h"
#include "shell/MainWindow.h"
#include "shell/ViewLayout.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace {

using Strings = std::vector<std::string>;

// Settings whose file is larger than one page (4 KiB) of the scratch disk.
Settings bigSettings() {
    Settings s;
    s.exitLabel = "Leave the museum";
    s.runScript = true;
    for (int i = 0; i < 400; ++i) appendPhase(s.phases, ("PKiKP" + std::to_string(i)).c_str());
    return s;
}

EventRecord bigEvent(const std::string& fileName) {
    EventRecord r = newEventRecord();
    r.name = "Saved after the disk filled";
    r.fileName = fileName;
    r.year = 2004, r.month = 12, r.day = 26, r.hour = 0;
    for (int i = 0; i < 600; ++i) {
        r.stationFiles.emplace_back();
        r.stationFiles.back().fileName = "ST" + std::to_string(i) + ".BHZ";
    }
    return r;
}

std::vector<StationRecord> stationsWithEveryComponent() {
    std::vector<StationRecord> list(300);
    for (std::size_t i = 0; i < list.size(); ++i) {
        list[i].stationName = "S" + std::to_string(i);
        for (int k = 0; k < 3; ++k) {
            list[i].available[k] = list[i].selected[k] = true;
            list[i].componentFile[k] = list[i].stationName + ".BH" + "ZNE"[k];
        }
    }
    return list;
}

// Every way to write the files: the file it replaces and a text the new file holds.
struct Save {
    const char* what;
    std::string file, old, written;
    std::function<bool(const std::string& dir)> run;
};

std::vector<Save> everySave() {
    const std::string oldSettings = "WORKING DIRECTORY: \r\nTITLE BAR: YES\r\nEXIT LABEL: The old label\r\nPHASE: PcP\r\n";
    const std::string oldEvent = "EVENT NAME: The old event\r\nEVENT MAGNITUDE: 6.1\r\nSTATION FILE: OLD.BHZ\r\n";
    const std::string evt = "1999081700.evt", name = "Saved after the disk filled";
    return {
        {"saveSettings", "OV.INI", oldSettings, "Leave the museum",
         [](const std::string& dir) { return saveSettings(bigSettings(), dir + "/OV.INI"); }},
        {"writeEventFile with its own list", evt, oldEvent, name,
         [=](const std::string& dir) { return writeEventFile(bigEvent(evt), {}, true, dir); }},
        {"writeEventFile with the chosen stations", evt, oldEvent, "S299.BHE",
         [=](const std::string& dir) { return writeEventFile(bigEvent(evt), stationsWithEveryComponent(), false, dir); }},
        {"writeEventFileByDate", "2004122600.evt", oldEvent, name,
         [](const std::string& dir) { EventRecord r = bigEvent(""); return writeEventFileByDate(r, dir); }},
    };
}

const std::pair<Trouble, const char*> kTroubles[] = {
    {Trouble::FullDisk, "full disk"}, {Trouble::PartlyFull, "room for part of the file"},
    {Trouble::ReadOnly, "read-only disk"}, {Trouble::SizeLimit, "file-size limit"}};

TEST(NothingLost, EverySaveOnABrokenDiskFailsAndKeepsTheOldFile) {
    for (const auto& [trouble, how] : kTroubles) {
        for (const Save& save : everySave()) {
            SCOPED_TRACE(std::string(how) + ": " + save.what);
            ScratchFileSystem fs;
            Breaker breaker(fs, trouble);
            if (!breaker.possible()) continue;
            ASSERT_TRUE(writeBytes(fs / save.file, save.old));
            ASSERT_TRUE(breaker.breakIt());
            EXPECT_FALSE(save.run(fs.path())) << "a save that could not be written reported success";
            EXPECT_FALSE(saveSettings(bigSettings(), fs / "OTHER.INI"));   // nor is a new file made
            ASSERT_TRUE(breaker.mend());
            EXPECT_EQ(readBytes(fs / save.file), save.old);
            EXPECT_EQ(fs.names(), Strings{save.file}) << "a temporary file was left";
            // With the disk mended the same save succeeds: the failure came from the disk.
            EXPECT_TRUE(save.run(fs.path()));
            EXPECT_NE(readBytes(fs / save.file).find(save.written), std::string::npos);
            EXPECT_EQ(fs.names(), Strings{save.file});
        }
    }
}

// `ov` saves "OV.INI" in its current directory after a change of view from the
// View menu and after "Run from Script". When that save fails the window keeps
// running the event in the new layout, the change holds for this session, no
// message box stops the kiosk, and the old file stays byte for byte.
TEST(NothingLost, AFailedSettingsSaveDuringARunKeepsTheOldFileAndTheRun) {
    for (const auto& [trouble, how] : {kTroubles[0], kTroubles[2]}) {
        SCOPED_TRACE(how);
        ScratchFileSystem fs;
        Breaker breaker(fs, trouble);
        if (!breaker.possible()) continue;
        CurrentDirectory here(fs.path());
        Settings settings;
        RunState run;
        EventCatalogue catalogue;
        TutorialScript script;
        settings.showEventInformation = settings.showWelcomeScreen = false;
        settings.exitLabel = "The old label";
        const std::string old = settingsText(settings);
        ASSERT_TRUE(writeBytes("OV.INI", old));
        ASSERT_TRUE(writeBytes("a.evt", "EVENT MAGNITUDE: 1.0\r\nVIEW ANGLE: 180\r\nTIME ACCELERATION: 20\r\n"));
        QImage earth(64, 64, QImage::Format_RGB32);
        earth.fill(Qt::blue);
        ASSERT_TRUE(earth.save("earth180.bmp", "BMP"));
        catalogue.scanEvents(".");
        const Strings files = fs.names();
        Strings messages;
        MainWindow::setMessageShower([&](QWidget*, const QString& text, const QString& caption) {
            messages.push_back((caption + ": " + text).toStdString());
        });
        struct Restore { ~Restore() { MainWindow::setMessageShower(nullptr); } } restore;
        MainWindow w(settings, run, catalogue, script);
        w.resize(800, 600);
        w.show();
        QCoreApplication::processEvents();
        w.clock().onTimer(kActionTimer);   // leave the welcome screen for the map
        w.clock().currentEventFile = "a.evt";
        // The run goes on from where it was, in whatever layout it has.
        const auto runGoesOn = [&] {
            const float before = w.clock().simTime;
            for (int i = 0; i < 10 && !w.clock().timerArmed[kTickTimer]; ++i) w.clock().onTimer(kFlashTimer);
            ASSERT_TRUE(w.clock().timerArmed[kTickTimer]);
            w.clock().onTimer(kTickTimer);
            w.clock().onTimer(kTickTimer);
            EXPECT_GT(w.clock().simTime, before);
            EXPECT_TRUE(w.isVisible());
        };
        w.command(cmd::StartCurrentEvent);
        runGoesOn();
        for (int command : {cmd::ViewCrossSection, cmd::RunFromScript}) {
            ASSERT_TRUE(breaker.breakIt());
            w.command(command);
            ASSERT_TRUE(breaker.mend());
            EXPECT_EQ(readBytes("OV.INI"), old);
            EXPECT_EQ(fs.names(), files);
            runGoesOn();
        }
        EXPECT_EQ(std::tuple(settings.view, settings.runScript), std::tuple(ViewMode::CrossSection, true));
        ASSERT_NE(w.viewLayout(), nullptr);
        EXPECT_EQ(std::tuple(w.viewLayout()->globe() == nullptr, w.viewLayout()->crossSection() != nullptr), std::tuple(true, true));
        // With the disk usable again the next change is saved in full.
        w.command(cmd::ViewEarth);
        EXPECT_EQ(readBytes("OV.INI"), settingsText(settings));
        Settings back;
        loadSettings(back, "OV.INI");
        EXPECT_EQ(std::tuple(back.view, back.runScript), std::tuple(ViewMode::Globe3D, true));
        runGoesOn();
        EXPECT_EQ(messages, Strings{});
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Before Qt starts any thread: unsharing the mount table needs a single thread.
    isolateMounts();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
