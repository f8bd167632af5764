// Case-insensitive lookup, whole-file reading and atomic replacement.
#include "DataTestSupport.h"
#include "fileio/FileSystem.h"
#include "data/Settings.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testdata::TempDir;
using testdata::readFile;
using testdata::writeFile;

TEST(FileSystem, ResolvesEveryComponentWithoutRegardToCase)
{
    TempDir dir;
    writeFile(dir / "1990010100/anmo.bhz", "x");
    EXPECT_EQ(resolvePath(dir / "1990010100\\ANMO.BHZ"), dir / "1990010100/anmo.bhz");
    writeFile(dir / "Events/Sub/File.Evt", "y");
    EXPECT_EQ(resolvePath(dir / "EVENTS/sub/FILE.EVT"), dir / "Events/Sub/File.Evt");
    EXPECT_TRUE(fileExists(dir / "events/SUB/file.evt"));
    EXPECT_FALSE(fileExists(dir / "events/SUB"));   // a directory is not a file
}

TEST(FileSystem, ExactMatchWinsAndMissingPartsAreKept)
{
    TempDir dir;
    writeFile(dir / "data.txt", "lower");
    writeFile(dir / "DATA.TXT", "upper");
    EXPECT_EQ(resolvePath(dir / "DATA.TXT"), dir / "DATA.TXT");
    EXPECT_EQ(resolvePath(dir / "data.txt"), dir / "data.txt");
    // The first match in name order, whatever the listing order.
    EXPECT_EQ(resolvePath(dir / "Data.txt"), dir / "DATA.TXT");

    writeFile(dir / "Folder/a", "");
    EXPECT_EQ(resolvePath(dir / "FOLDER/new.evt"), dir / "Folder/new.evt");
    EXPECT_EQ(resolvePath(dir / "none/x"), dir / "none/x");
    EXPECT_EQ(joinPath("", "a"), "a");
    EXPECT_EQ(joinPath("d", "a"), "d/a");
    EXPECT_EQ(joinPath("d/", "a"), "d/a");
    EXPECT_EQ(joinPath("d", "/abs/a"), "/abs/a");
}

TEST(FileSystem, ReadWholeFileRefusesDirectoriesAndOversizedFiles)
{
    TempDir dir;
    std::string out = "stale";
    EXPECT_FALSE(readWholeFile(dir.path(), out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(readWholeFile(dir / "missing", out));
    writeFile(dir / "big", std::string(1000, 'a'));
    EXPECT_FALSE(readWholeFile(dir / "big", out, 999));
    EXPECT_TRUE(out.empty());
    ASSERT_TRUE(readWholeFile(dir / "BIG", out, 1000));
    EXPECT_EQ(out.size(), 1000u);
    writeFile(dir / "empty", "");
    EXPECT_TRUE(readWholeFile(dir / "empty", out));
    EXPECT_TRUE(out.empty());

    std::vector<std::string> names{"stale"};
    EXPECT_FALSE(listDirectory(dir / "missing", names));
    EXPECT_TRUE(names.empty());
}

TEST(FileSystem, AtomicWriteReplacesAnExistingFileOfAnotherCase)
{
    TempDir dir;
    writeFile(dir / "1990010100.EVT", "old");
    ::chmod((dir / "1990010100.EVT").c_str(), 0640);
    ASSERT_TRUE(writeFileAtomically(dir / "1990010100.evt", "new"));
    EXPECT_EQ(readFile(dir / "1990010100.EVT"), "new");
    EXPECT_FALSE(std::filesystem::exists(dir / "1990010100.evt"));
    struct stat st {};
    ASSERT_EQ(::stat((dir / "1990010100.EVT").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    std::vector<std::string> names;
    ASSERT_TRUE(listDirectory(dir.path(), names));
    EXPECT_EQ(names.size(), 1u);   // no temporary file left behind
}

TEST(FileSystem, ImpossiblePathFailsWithoutSideEffects)
{
    TempDir dir;
    writeFile(dir / "plain", "file");
    EXPECT_FALSE(writeFileAtomically(dir / "plain/OV.INI", "x"));
    EXPECT_FALSE(writeFileAtomically(dir / "no/such/folder/OV.INI", "x"));
    EXPECT_FALSE(writeFileAtomically("", "x"));
    EXPECT_FALSE(saveSettings(Settings{}, dir / "plain/OV.INI"));
    EXPECT_EQ(readFile(dir / "plain"), "file");
}

// A write that fails half-way (the disk "fills up" after a few bytes) must
// leave the old settings file as it was and no temporary file behind. The
// file-size limit is set in a child process so it works for any user.
TEST(FileSystem, FailedWriteLeavesTheOldFileIntact)
{
    TempDir dir;
    const std::string path = dir / "OV.INI";
    const std::string old = "WORKING DIRECTORY: \r\nTITLE BAR: YES\r\n";
    writeFile(path, old);

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        Settings s;
        s.exitLabel = "A label long enough";
        const bool saved = saveSettings(s, path);
        ::_exit(saved ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "saveSettings reported success";
    EXPECT_EQ(readFile(path), old);
    std::vector<std::string> names;
    ASSERT_TRUE(listDirectory(dir.path(), names));
    EXPECT_EQ(names, std::vector<std::string>{"OV.INI"});

    // Without the limit the same save works.
    EXPECT_TRUE(saveSettings(Settings{}, path));
    EXPECT_NE(readFile(path), old);
}

TEST(FileSystem, ReadOnlyDirectoryKeepsTheOldFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the super-user";
    TempDir dir;
    const std::string path = dir / "OV.INI";
    writeFile(path, "old");
    ::chmod(dir.path().c_str(), 0500);
    EXPECT_FALSE(saveSettings(Settings{}, path));
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(readFile(path), "old");
}
