// `ov` saves "OV.INI" in its current directory after a change of view from
// the View menu and after "Run from Script". On a full or read-only disk the
// save fails silently: the window keeps running the event, the change holds
// for this session and the old file stays byte for byte.
#include "ScratchFileSystem.h"

#include "data/EventCatalogue.h"
#include "data/InfoText.h"
#include "data/RunSetup.h"
#include "data/Settings.h"
#include "shell/MainWindow.h"
#include "shell/ViewLayout.h"

#include <QApplication>
#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Records {
    Settings settings;
    RunState run;
    EventCatalogue catalogue;
    TutorialScript script;
};

// A window on its first run of a small event in the current directory, past
// the flash and one tick.
void startRun(MainWindow& w) {
    w.resize(800, 600);
    w.show();
    QCoreApplication::processEvents();
    w.clock().onTimer(kActionTimer);   // leave the welcome screen for the map
    w.clock().currentEventFile = "a.evt";
    w.command(cmd::StartCurrentEvent);
    ASSERT_NE(w.viewLayout(), nullptr);
    for (int i = 0; i < 10 && !w.clock().timerArmed[kTickTimer]; ++i) w.clock().onTimer(kFlashTimer);
    ASSERT_TRUE(w.clock().timerArmed[kTickTimer]);
    w.clock().onTimer(kTickTimer);
    ASSERT_GE(w.clock().simTime, 10.0f);
}

// The run goes on from where it was, in the new layout.
void expectRunGoesOn(MainWindow& w, float before) {
    for (int i = 0; i < 10 && !w.clock().timerArmed[kTickTimer]; ++i) w.clock().onTimer(kFlashTimer);
    ASSERT_TRUE(w.clock().timerArmed[kTickTimer]);
    w.clock().onTimer(kTickTimer);
    w.clock().onTimer(kTickTimer);
    EXPECT_GT(w.clock().simTime, before);
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.isVisible());
}

enum class Trouble { FullDisk, ReadOnly };

// Makes the scratch folder refuse the save and mends it again. Without a
// scratch tmpfs a full disk is stood in for by a file-size limit on this
// process (only while the save runs), a read-only disk by a folder without
// write permission (which does not bind the super-user).
class Breaker {
public:
    Breaker(ScratchFileSystem& fs, Trouble trouble) : fs_(fs), trouble_(trouble) {}
    ~Breaker() { mend(); }

    bool possible() const {
        return fs_.mounted() || trouble_ == Trouble::FullDisk || ::geteuid() != 0;
    }
    std::string how() const {
        if (fs_.mounted()) return trouble_ == Trouble::FullDisk ? "full tmpfs" : "read-only tmpfs";
        return trouble_ == Trouble::FullDisk ? "file-size limit" : "folder without write permission";
    }

    bool breakIt() {
        broken_ = true;
        if (fs_.mounted()) return trouble_ == Trouble::FullDisk ? fs_.fill() : fs_.setReadOnly(true);
        if (trouble_ == Trouble::ReadOnly) return ::chmod(fs_.path().c_str(), 0500) == 0;
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &oldLimit_);
        rlimit limit = oldLimit_;
        limit.rlim_cur = 100;
        return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }

    bool mend() {
        if (!broken_) return true;
        broken_ = false;
        if (fs_.mounted()) {
            if (trouble_ == Trouble::FullDisk) {
                fs_.release();
                return true;
            }
            return fs_.setReadOnly(false);
        }
        if (trouble_ == Trouble::ReadOnly) return ::chmod(fs_.path().c_str(), 0700) == 0;
        const bool ok = ::setrlimit(RLIMIT_FSIZE, &oldLimit_) == 0;
        std::signal(SIGXFSZ, oldHandler_);
        return ok;
    }

private:
    ScratchFileSystem& fs_;
    Trouble trouble_;
    bool broken_ = false;
    rlimit oldLimit_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

void checkViewChangeKeepsTheOldFile(Trouble trouble) {
    ScratchFileSystem fs;
    Breaker breaker(fs, trouble);
    if (!breaker.possible()) GTEST_SKIP() << "no scratch tmpfs (" << fs.reason() << ")";
    if (!fs.mounted())
        std::printf("[ NOTE     ] no scratch tmpfs (%s): a %s stands in\n", fs.reason().c_str(),
                    breaker.how().c_str());
    CurrentDirectory here(fs.path());

    Records r;
    r.settings.showEventInformation = false;
    r.settings.showWelcomeScreen = false;
    r.settings.menuBar = true;
    r.settings.exitLabel = "The old label";
    const std::string old = settingsText(r.settings);
    ASSERT_TRUE(writeBytes("OV.INI", old));
    ASSERT_TRUE(writeBytes("a.evt", "EVENT MAGNITUDE: 1.0\r\nVIEW ANGLE: 180\r\nTIME ACCELERATION: 20\r\n"));
    QImage earth(64, 64, QImage::Format_RGB32);
    earth.fill(QColor(0, 0, 160));
    ASSERT_TRUE(earth.save("earth180.bmp", "BMP"));
    r.catalogue.scanEvents(".");
    const std::vector<std::string> files = fs.names();

    // No message box may stop the test; every message fails it.
    std::vector<std::string> messages;
    MainWindow::setMessageShower([&](QWidget*, const QString& text, const QString& caption) {
        messages.push_back((caption + ": " + text).toStdString());
    });
    struct Restore {
        ~Restore() { MainWindow::setMessageShower(nullptr); }
    } restore;

    MainWindow w(r.settings, r.run, r.catalogue, r.script);
    startRun(w);
    if (::testing::Test::HasFatalFailure()) return;
    EXPECT_EQ(messages, std::vector<std::string>{});

    // View menu: cross-section only. The save fails; the run continues in
    // the new layout at the same time, and the old file is untouched.
    float before = w.clock().simTime;
    ASSERT_TRUE(breaker.breakIt());
    w.command(cmd::ViewCrossSection);
    ASSERT_TRUE(breaker.mend());
    EXPECT_EQ(r.settings.view, ViewMode::CrossSection);
    ASSERT_NE(w.viewLayout(), nullptr);
    EXPECT_EQ(w.viewLayout()->globe(), nullptr);
    EXPECT_NE(w.viewLayout()->crossSection(), nullptr);
    EXPECT_EQ(readBytes("OV.INI"), old);
    EXPECT_EQ(fs.names(), files);
    expectRunGoesOn(w, before);

    // "Run from Script" saves too.
    ASSERT_TRUE(breaker.breakIt());
    w.command(cmd::RunFromScript);
    ASSERT_TRUE(breaker.mend());
    EXPECT_TRUE(r.settings.runScript);
    EXPECT_EQ(readBytes("OV.INI"), old);
    EXPECT_EQ(fs.names(), files);

    // With the disk usable again the next change is saved in full.
    before = w.clock().simTime;
    w.command(cmd::ViewEarth);
    EXPECT_EQ(readBytes("OV.INI"), settingsText(r.settings));
    Settings back;
    loadSettings(back, "OV.INI");
    EXPECT_EQ(back.view, ViewMode::Globe3D);
    EXPECT_TRUE(back.runScript);
    EXPECT_EQ(fs.names(), files);
    expectRunGoesOn(w, before);

    // The map and Exit still work.
    w.command(cmd::Map);
    EXPECT_NE(w.worldMapWindow(), nullptr);
    QCoreApplication::processEvents();
    w.worldMapWindow()->grab();
    w.command(cmd::Exit);
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(messages, std::vector<std::string>{});
}

TEST(OvSettingsSave, FullDiskDuringARunKeepsTheOldFileAndTheRun) {
    checkViewChangeKeepsTheOldFile(Trouble::FullDisk);
}

TEST(OvSettingsSave, ReadOnlyDiskDuringARunKeepsTheOldFileAndTheRun) {
    checkViewChangeKeepsTheOldFile(Trouble::ReadOnly);
}

}  // namespace
