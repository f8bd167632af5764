// Saving "OV.INI" or an event file on a full disk or on a read-only file
// system must fail with false, leave the old file byte for byte as it was and
// leave no temporary file behind; the program goes on.
#include "ScratchFileSystem.h"

#include "data/EventFile.h"
#include "data/RunSetup.h"
#include "data/Settings.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

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
    r.magnitude = 7.5f;
    for (int i = 0; i < 600; ++i) {
        ComponentRecord c;
        c.fileName = "ST" + std::to_string(i) + ".BHZ";
        r.stationFiles.push_back(c);
    }
    return r;
}

std::vector<StationRecord> stationsWithEveryComponent() {
    std::vector<StationRecord> list;
    for (int i = 0; i < 300; ++i) {
        StationRecord s;
        s.stationName = "S" + std::to_string(i);
        for (int k = 0; k < 3; ++k) {
            s.available[k] = s.selected[k] = true;
            s.componentFile[k] = s.stationName + ".BH" + "ZNE"[k];
        }
        list.push_back(s);
    }
    return list;
}

const std::string kOldSettings =
    "WORKING DIRECTORY: \r\nTITLE BAR: YES\r\nEXIT LABEL: The old label\r\nPHASE: PcP\r\n";
const std::string kOldEvent =
    "EVENT NAME: The old event\r\nEVENT MAGNITUDE: 6.1\r\nSTATION FILE: OLD.BHZ\r\n";

// Every way to write the files, each with the file it replaces.
struct Save {
    const char* what;
    std::string file;
    std::string old;
    std::function<bool(const std::string& dir)> run;
};

std::vector<Save> everySave() {
    std::vector<Save> saves;
    saves.push_back({"saveSettings", "OV.INI", kOldSettings,
                     [](const std::string& dir) { return saveSettings(bigSettings(), dir + "/OV.INI"); }});
    saves.push_back({"writeEventFile with its own list", "1999081700.evt", kOldEvent,
                     [](const std::string& dir) {
                         return writeEventFile(bigEvent("1999081700.evt"), {}, true, dir);
                     }});
    saves.push_back({"writeEventFile with the chosen stations", "1999081700.evt", kOldEvent,
                     [](const std::string& dir) {
                         return writeEventFile(bigEvent("1999081700.evt"),
                                               stationsWithEveryComponent(), false, dir);
                     }});
    saves.push_back({"writeEventFileByDate", "2004122600.evt", kOldEvent, [](const std::string& dir) {
                         EventRecord r = bigEvent("");
                         r.year = 2004, r.month = 12, r.day = 26, r.hour = 0;
                         return writeEventFileByDate(r, dir);
                     }});
    return saves;
}

// On a scratch disk with `spare` bytes left, each save fails and keeps the old
// file; with the room given back the same save succeeds, which shows that the
// failure came from the disk.
void checkFullDisk(std::size_t spare) {
    for (const Save& save : everySave()) {
        SCOPED_TRACE(save.what);
        ScratchFileSystem fs;
        ASSERT_TRUE(fs.mounted()) << fs.reason();
        ASSERT_TRUE(writeBytes(fs / save.file, save.old));
        ASSERT_TRUE(fs.fill(spare));

        EXPECT_FALSE(save.run(fs.path())) << "a save on a full disk reported success";
        EXPECT_EQ(readBytes(fs / save.file), save.old);
        EXPECT_EQ(fs.names(), std::vector<std::string>{save.file}) << "a temporary file was left";

        fs.release();
        EXPECT_TRUE(save.run(fs.path()));
        EXPECT_NE(readBytes(fs / save.file), save.old);
        EXPECT_EQ(fs.names(), std::vector<std::string>{save.file});
    }
}

TEST(FullDisk, NoRoomAtAllKeepsEveryOldFile) {
    ScratchFileSystem probe;
    if (!probe.mounted()) GTEST_SKIP() << "no scratch tmpfs (" << probe.reason() << "); see FileSizeLimit";
    checkFullDisk(0);
}

TEST(FullDisk, RoomForPartOfTheFileKeepsEveryOldFile) {
    ScratchFileSystem probe;
    if (!probe.mounted()) GTEST_SKIP() << "no scratch tmpfs (" << probe.reason() << "); see FileSizeLimit";
    // One page is free: the new file is written part of the way, then the disk fills.
    checkFullDisk(4096);
}

// The same saves against a file-size limit in a child process, which works
// without a scratch disk; it stands in for the full disk where mounting is
// not allowed and checks the short-write path everywhere.
TEST(FileSizeLimit, ASaveCutShortKeepsEveryOldFile) {
    ScratchFileSystem fs;   // a plain folder when nothing could be mounted
    if (!fs.mounted())
        std::printf("[ NOTE     ] no scratch tmpfs (%s): the file-size limit stands in for a full disk\n",
                    fs.reason().c_str());
    for (const Save& save : everySave()) {
        SCOPED_TRACE(save.what);
        ASSERT_TRUE(writeBytes(fs / save.file, save.old));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit {100, 100};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::_exit(save.run(fs.path()) ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "the saving process died";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "a save cut short reported success";
        EXPECT_EQ(readBytes(fs / save.file), save.old);
        EXPECT_EQ(fs.names(), std::vector<std::string>{save.file});
        ::unlink((fs / save.file).c_str());
    }
}

TEST(ReadOnlyDisk, SavesFailAndTheOldFilesStay) {
    ScratchFileSystem fs;
    if (!fs.mounted()) {
        if (::geteuid() == 0) GTEST_SKIP() << "no scratch tmpfs (" << fs.reason() << ")";
        GTEST_SKIP() << "no scratch tmpfs (" << fs.reason() << "); see UnwritableFolder";
    }
    for (const Save& save : everySave()) ASSERT_TRUE(writeBytes(fs / save.file, save.old));
    const std::vector<std::string> before = fs.names();
    ASSERT_TRUE(fs.setReadOnly(true));
    for (const Save& save : everySave()) {
        SCOPED_TRACE(save.what);
        EXPECT_FALSE(save.run(fs.path())) << "a save on a read-only disk reported success";
        EXPECT_EQ(readBytes(fs / save.file), save.old);
    }
    // A file that does not exist yet is not created either.
    EXPECT_FALSE(saveSettings(Settings{}, fs / "OTHER.INI"));
    EXPECT_EQ(fs.names(), before);

    ASSERT_TRUE(fs.setReadOnly(false));
    EXPECT_TRUE(saveSettings(bigSettings(), fs / "OV.INI"));
    Settings back;
    loadSettings(back, fs / "OV.INI");
    EXPECT_EQ(back.exitLabel, "Leave the museum");
}

// Without the super-user a folder without write permission stands in for the
// read-only disk (permissions do not bind the super-user).
TEST(UnwritableFolder, SavesFailAndTheOldFilesStay) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the super-user; see ReadOnlyDisk";
    ScratchFileSystem fs;
    if (fs.mounted()) GTEST_SKIP() << "covered by ReadOnlyDisk";
    for (const Save& save : everySave()) ASSERT_TRUE(writeBytes(fs / save.file, save.old));
    ASSERT_EQ(::chmod(fs.path().c_str(), 0500), 0);
    for (const Save& save : everySave()) {
        SCOPED_TRACE(save.what);
        EXPECT_FALSE(save.run(fs.path()));
        EXPECT_EQ(readBytes(fs / save.file), save.old);
    }
    ::chmod(fs.path().c_str(), 0700);
}

}  // namespace
