// Saving "OV.INI" or an event file on a full disk, a read-only one or past a
// file-size limit must fail with false, leave the old file byte for byte as it
// was and leave no temporary file behind; `ov` goes on running its event.
//
// The broken disk is a small tmpfs of its own, mounted (where the process may)
// in a mount namespace of the test process, so that it vanishes with the
// process even after a crash. Where mounting is refused, a file-size limit on
// the process stands in for a full disk and a folder without write permission
// for a read-only one (which does not bind the super-user: then skipped).
#include "tests/data/DataTestSupport.h"

#include "data/EventFile.h"
#include "data/RunSetup.h"
#include "data/Settings.h"
#include "shell/MainWindow.h"
#include "shell/ViewLayout.h"
#include "sound/Sound.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

using Strings = std::vector<std::string>;
using testdata::readFile;
using testdata::writeFile;

constexpr const char* kFiller = ".filler";

// Writes `chunk` bytes at a time until the disk refuses; true when it refused for want of space.
bool writeUntilFull(int fd, std::size_t chunk) {
    const std::vector<char> bytes(chunk, 'z');
    for (;;) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n <= 0 && !(n < 0 && errno == EINTR)) return n < 0 && errno == ENOSPC;
    }
}

// A tmpfs of 256 KiB on a fresh folder, unmounted again when the object goes
// (also when a test fails half-way); a plain folder where mounting is refused.
class ScratchFileSystem {
public:
    ScratchFileSystem() : dir_(base_ / "fs") {
        mounted_ = ::mkdir(dir_.c_str(), 0700) == 0 && ::mount("tmpfs", dir_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, kOptions) == 0;
    }
    ~ScratchFileSystem() {
        if (mounted_ && ::umount2(dir_.c_str(), 0) != 0) ::umount2(dir_.c_str(), MNT_DETACH);
        ::chmod(dir_.c_str(), 0700);   // the base folder goes with all it holds
    }
    bool mounted() const { return mounted_; }
    const std::string& path() const { return dir_; }
    std::string operator/(const std::string& name) const { return dir_ + "/" + name; }
    bool setReadOnly(bool readOnly) {
        const unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
        return mounted_ && ::mount("tmpfs", dir_.c_str(), "tmpfs", flags, kOptions) == 0;
    }
    // Takes every free byte but `spare` with a filler file; release() gives the room back.
    bool fill(std::size_t spare) {
        if (!mounted_ || (spare != 0 && !writeFile(*this / ".spare", std::string(spare, 's')))) return false;
        const int fd = ::open((*this / kFiller).c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd < 0) return false;
        const bool full = writeUntilFull(fd, 4096) && writeUntilFull(fd, 1);   // pages, then bytes
        ::close(fd);
        ::unlink((*this / ".spare").c_str());
        return full;
    }
    void release() { ::unlink((*this / kFiller).c_str()); }
    Strings names() const {   // sorted, without the filler
        Strings out;
        for (const auto& e : std::filesystem::directory_iterator(dir_))
            if (e.path().filename() != kFiller) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    static constexpr const char* kOptions = "size=262144,mode=0700";
    testdata::TempDir base_;
    std::string dir_;
    bool mounted_ = false;
};

enum class Trouble { FullDisk, PartlyFull, ReadOnly, SizeLimit };

// Makes the scratch folder refuse a save, and mends it (at the latest when it goes).
class Breaker {
public:
    Breaker(ScratchFileSystem& fs, Trouble trouble) : fs_(fs), trouble_(trouble) {}
    ~Breaker() { mend(); }
    bool possible() const { return fs_.mounted() || limited() || (trouble_ == Trouble::ReadOnly && ::geteuid() != 0); }
    bool breakIt() {
        broken_ = true;
        if (limited()) {
            oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
            ::getrlimit(RLIMIT_FSIZE, &oldLimit_);
            const rlimit limit{100, oldLimit_.rlim_max};
            return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        }
        if (trouble_ == Trouble::ReadOnly) return fs_.mounted() ? fs_.setReadOnly(true) : ::chmod(fs_.path().c_str(), 0500) == 0;
        return fs_.fill(trouble_ == Trouble::PartlyFull ? 4096 : 0);
    }
    bool mend() {
        if (!std::exchange(broken_, false)) return true;
        if (limited()) {
            const bool ok = ::setrlimit(RLIMIT_FSIZE, &oldLimit_) == 0;
            std::signal(SIGXFSZ, oldHandler_);
            return ok;
        }
        if (trouble_ == Trouble::ReadOnly) return fs_.mounted() ? fs_.setReadOnly(false) : ::chmod(fs_.path().c_str(), 0700) == 0;
        fs_.release();
        return true;
    }

private:
    bool limited() const { return trouble_ == Trouble::SizeLimit || (!fs_.mounted() && trouble_ == Trouble::FullDisk); }
    ScratchFileSystem& fs_;
    Trouble trouble_;
    bool broken_ = false;
    rlimit oldLimit_{};
    void (*oldHandler_)(int) = nullptr;
};

// Works in the folder, and back in the old one (or the root, never on a scratch mount) at the end.
struct CurrentDirectory {
    explicit CurrentDirectory(const std::string& dir) : old(std::filesystem::current_path()) { std::filesystem::current_path(dir); }
    ~CurrentDirectory() {
        std::error_code ec;
        std::filesystem::current_path(old, ec);
        if (ec) std::filesystem::current_path("/", ec);
    }
    std::filesystem::path old;
};

// Settings whose file is larger than one page (4 KiB) of the scratch disk.
Settings bigSettings() {
    Settings s;
    s.exitLabel = "Leave the museum";
    s.runScript = true;
    for (int i = 0; i < 400; ++i) appendPhase(s.phases, ("PKiKP" + std::to_string(i)).c_str());
    return s;
}

EventRecord bigEvent() {
    EventRecord r = newEventRecord();
    r.name = "Saved after the disk filled";
    r.fileName = "1999081700.evt";
    r.stationFiles.resize(600);
    for (int i = 0; i < 600; ++i) r.stationFiles[i].fileName = "ST" + std::to_string(i) + ".BHZ";
    return r;
}

// Both kinds of file (the other event-file writers end in writeEventFile): the
// file a save replaces, a text the new file holds, and the save.
struct Save {
    std::string file, old, written;
    std::function<bool(const std::string& dir)> run;
};
const Save kSaves[] = {
    {"OV.INI", "WORKING DIRECTORY: \r\nTITLE BAR: YES\r\nEXIT LABEL: The old label\r\nPHASE: PcP\r\n", "Leave the museum",
     [](const std::string& dir) { return saveSettings(bigSettings(), dir + "/OV.INI"); }},
    {"1999081700.evt", "EVENT NAME: The old event\r\nEVENT MAGNITUDE: 6.1\r\nSTATION FILE: OLD.BHZ\r\n", "ST599.BHZ",
     [](const std::string& dir) { return writeEventFile(bigEvent(), {}, true, dir); }},
};

const std::pair<Trouble, const char*> kTroubles[] = {{Trouble::FullDisk, "full disk"},
                                                     {Trouble::PartlyFull, "room for part of the file"},
                                                     {Trouble::ReadOnly, "read-only disk"},
                                                     {Trouble::SizeLimit, "file-size limit"}};

TEST(NothingLost, EverySaveOnABrokenDiskFailsAndKeepsTheOldFile) {
    for (const auto& [trouble, how] : kTroubles)
        for (const Save& save : kSaves) {
            SCOPED_TRACE(std::string(how) + ": " + save.file);
            ScratchFileSystem fs;
            Breaker breaker(fs, trouble);
            if (!breaker.possible()) continue;
            ASSERT_TRUE(writeFile(fs / save.file, save.old));
            ASSERT_TRUE(breaker.breakIt());
            EXPECT_FALSE(save.run(fs.path())) << "a save that could not be written reported success";
            EXPECT_FALSE(saveSettings(bigSettings(), fs / "OTHER.INI"));   // nor is a new file made
            ASSERT_TRUE(breaker.mend());
            EXPECT_EQ(readFile(fs / save.file), save.old);
            EXPECT_EQ(fs.names(), Strings{save.file}) << "a temporary file was left";
            // With the disk mended the same save succeeds: the failure came from the disk.
            EXPECT_TRUE(save.run(fs.path()));
            EXPECT_NE(readFile(fs / save.file).find(save.written), std::string::npos);
            EXPECT_EQ(fs.names(), Strings{save.file});
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
        ASSERT_TRUE(writeFile("OV.INI", old));
        ASSERT_TRUE(writeFile("a.evt", "EVENT MAGNITUDE: 1.0\r\nVIEW ANGLE: 180\r\nTIME ACCELERATION: 20\r\n"));
        ASSERT_TRUE(QImage(64, 64, QImage::Format_RGB32).save("earth180.bmp", "BMP"));   // a globe picture
        catalogue.scanEvents(".");
        const Strings files = fs.names();
        Strings messages;
        Sound sound(nullptr);
        MainWindow w(settings, sound, run, catalogue, script);
        w.setMessageShower(
            [&](QWidget*, const QString& text, const QString& caption) { messages.push_back((caption + ": " + text).toStdString()); });
        w.resize(800, 600);
        w.show();
        QCoreApplication::processEvents();
        w.clock().onTimer(kActionTimer);   // leave the welcome screen for the map
        w.clock().chooseEvent(0, "a.evt");
        // The run goes on from where it was, in whatever layout it has.
        const auto runGoesOn = [&] {
            const float before = w.clock().state().simTime;
            for (int i = 0; i < 10 && !w.clock().state().timerArmed[kTickTimer]; ++i) w.clock().onTimer(kFlashTimer);
            ASSERT_TRUE(w.clock().state().timerArmed[kTickTimer]);
            w.clock().onTimer(kTickTimer);
            w.clock().onTimer(kTickTimer);
            EXPECT_GT(w.clock().state().simTime, before);
            EXPECT_TRUE(w.isVisible());
        };
        w.command(Command::StartCurrentEvent);
        runGoesOn();
        for (Command command : {Command::ViewCrossSection, Command::RunFromScript}) {
            ASSERT_TRUE(breaker.breakIt());
            w.command(command);
            ASSERT_TRUE(breaker.mend());
            EXPECT_EQ(readFile("OV.INI"), old);
            EXPECT_EQ(fs.names(), files);
            runGoesOn();
        }
        EXPECT_EQ(std::tuple(settings.view, settings.runScript), std::tuple(ViewMode::CrossSection, true));
        ASSERT_NE(w.viewLayout(), nullptr);
        EXPECT_EQ(std::tuple(w.viewLayout()->globe() == nullptr, w.viewLayout()->crossSection() != nullptr), std::tuple(true, true));
        // With the disk usable again the next change is saved in full.
        w.command(Command::ViewEarth);
        EXPECT_EQ(readFile("OV.INI"), settingsText(settings));
        Settings back;
        loadSettings(back, "OV.INI");
        EXPECT_EQ(std::tuple(back.view, back.runScript), std::tuple(ViewMode::Globe3D, true));
        runGoesOn();
        EXPECT_EQ(messages, Strings{});
    }
}

}   // namespace

int main(int argc, char** argv) {
    // Before Qt starts any thread (unsharing the mount table needs a single
    // one): mounts made from now on stay in this process's namespace.
    if (::unshare(CLONE_NEWNS) == 0) ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
