// Case-insensitive lookup, whole-file reading, atomic replacement and the rotating log.
#include "DataTestSupport.h"
#include "data/Settings.h"
#include "fileio/FileSystem.h"
#include "fileio/LogFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace testdata;

TEST(FileSystem, ResolvesEveryComponentWithoutRegardToCase) {
    TempDir dir;
    writeFile(dir / "Events/Sub/File.Evt", "y");
    writeFile(dir / "data.txt", "lower");
    writeFile(dir / "DATA.TXT", "upper");
    const std::pair<const char*, const char*> cases[] = {
        {"EVENTS\\sub/FILE.EVT", "Events/Sub/File.Evt"},
        {"DATA.TXT", "DATA.TXT"},
        {"data.txt", "data.txt"},   // an exact match wins
        {"Data.txt", "DATA.TXT"},   // else the first in name order
        {"EVENTS/new.evt", "Events/new.evt"},
        {"none/x", "none/x"},   // missing parts kept
    };
    for (auto [asked, found] : cases) EXPECT_EQ(resolvePath(dir / asked), dir / found) << asked;
    EXPECT_TRUE(fileExists(dir / "events/SUB/file.evt") && !fileExists(dir / "events/SUB"));   // a directory is not a file
    EXPECT_EQ(joinPath("", "a") + " " + joinPath("d/", "a") + " " + joinPath("d", "/abs/a"), "a d/a /abs/a");
}

TEST(FileSystem, ReadWholeFileRefusesDirectoriesAndOversizedFiles) {
    TempDir dir;
    std::string out = "stale";
    EXPECT_TRUE(!readWholeFile(dir.path(), out) && out.empty());
    writeFile(dir / "big", std::string(1000, 'a'));
    EXPECT_FALSE(readWholeFile(dir / "missing", out) || readWholeFile(dir / "big", out, 999));
    EXPECT_TRUE(readWholeFile(dir / "BIG", out, 1000) && out.size() == 1000u);
}

TEST(FileSystem, AtomicWriteReplacesAnExistingFileOfAnotherCase) {
    TempDir dir;
    writeFile(dir / "1990010100.EVT", "old");
    ::chmod((dir / "1990010100.EVT").c_str(), 0640);
    ASSERT_TRUE(writeFileAtomically(dir / "1990010100.evt", "new"));
    EXPECT_EQ(readFile(dir / "1990010100.EVT"), "new");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "1990010100.EVT").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    std::vector<std::string> names;
    EXPECT_TRUE(listDirectory(dir.path(), names));
    EXPECT_EQ(names, std::vector<std::string>{"1990010100.EVT"});   // no temporary left

    writeFile(dir / "plain", "file");
    for (const std::string& bad : {dir / "plain/OV.INI", dir / "no/such/OV.INI", std::string()})
        EXPECT_FALSE(writeFileAtomically(bad, "x") || saveSettings(Settings{}, bad)) << bad;
    EXPECT_EQ(readFile(dir / "plain"), "file");
}

TEST(LogFile, RotationKeepsThreeOldFilesWithinTheLimitAndDropsTheOldestLines) {
    TempDir dir;
    const std::string folder = dir / "log";   // made by the log
    {
        LogFile log;
        log.open(folder, "ov", 1000);
        for (int i = 0; i < 200; ++i) log.write("orvanta.clock", "info", "line\n" + std::to_string(i) + std::string(40, '.'));
    }
    std::vector<std::string> names;
    ASSERT_TRUE(listDirectory(folder, names));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"orvanta.log", "orvanta.log.1", "orvanta.log.2", "orvanta.log.3"}));
    // Oldest first, the kept lines are the newest ones without a gap.
    std::string all;
    for (const char* name : {"orvanta.log.3", "orvanta.log.2", "orvanta.log.1", "orvanta.log"}) {
        const std::string text = readFile(folder + "/" + name);
        EXPECT_TRUE(!text.empty() && text.size() <= 1000u) << name << " " << text.size();
        all += text;
    }
    std::vector<int> numbers;
    for (std::size_t at = all.find("info: line "); at != std::string::npos; at = all.find("info: line ", at + 1))
        numbers.push_back(std::stoi(all.substr(at + 11)));
    ASSERT_GT(numbers.size(), 20u);
    EXPECT_EQ(numbers.back(), 199);
    for (std::size_t i = 1; i < numbers.size(); ++i) EXPECT_EQ(numbers[i], numbers[i - 1] + 1);
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), std::ptrdiff_t(numbers.size()));   // one line each
    // The viewer's tail: the newest file after the end of the one before;
    // cut short, it starts at a whole line.
    EXPECT_EQ(LogFile::readTail(folder, 4000), readFile(folder + "/orvanta.log.1") + readFile(folder + "/orvanta.log"));
    const std::string tail = LogFile::readTail(folder, 150);
    ASSERT_TRUE(tail.size() <= 150u && tail.size() > 49u && tail.rfind("20", 0) == 0) << tail;
    EXPECT_EQ(tail.substr(tail.size() - 49, 8), "line 199");
    EXPECT_EQ(LogFile::readTail(dir / "nowhere"), "");
}

TEST(LogFile, AnUnwritableFolderOrAFullDiskMakesItGoQuietWithoutFailing) {
    TempDir dir;
    writeFile(dir / "log", "a file where the folder belongs");
    LogFile blocked;
    blocked.open(dir / "log", "ov");
    blocked.write("orvanta.sound", "warning", "lost");
    EXPECT_TRUE(blocked.quiet());
    EXPECT_EQ(readFile(dir / "log"), "a file where the folder belongs");

    // A disk that fills up after 2000 bytes, in a child so that the limit
    // stays there: the writes stop, the program goes on.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{2000, 2000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        LogFile log;
        log.open(dir / "full", "ov");
        const bool wrote = !log.quiet();
        for (int i = 0; i < 100; ++i) log.write("orvanta.clock", "info", std::string(80, 'x'));
        ::_exit(wrote && log.quiet() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string written = readFile(dir / "full/orvanta.log");
    EXPECT_TRUE(written.size() > 1000u && written.size() <= 2000u) << written.size();
}
