// Case-insensitive lookup, whole-file reading and atomic replacement.
#include "DataTestSupport.h"
#include "data/Settings.h"
#include "fileio/FileSystem.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace testdata;

namespace {

std::vector<std::string> namesIn(const std::string& dir)
{
    std::vector<std::string> names;
    EXPECT_TRUE(listDirectory(dir, names));
    return names;
}

} // namespace

TEST(FileSystem, ResolvesEveryComponentWithoutRegardToCase)
{
    TempDir dir;
    writeFile(dir / "Events/Sub/File.Evt", "y");
    writeFile(dir / "data.txt", "lower");
    writeFile(dir / "DATA.TXT", "upper");
    const std::pair<const char*, const char*> cases[] = {
        {"EVENTS\\sub/FILE.EVT", "Events/Sub/File.Evt"},
        {"DATA.TXT", "DATA.TXT"}, {"data.txt", "data.txt"},   // an exact match wins
        {"Data.txt", "DATA.TXT"},         // else the first in name order
        {"EVENTS/new.evt", "Events/new.evt"}, {"none/x", "none/x"},   // missing parts kept
    };
    for (auto [asked, found] : cases)
        EXPECT_EQ(resolvePath(dir / asked), dir / found) << asked;
    EXPECT_TRUE(fileExists(dir / "events/SUB/file.evt"));
    EXPECT_FALSE(fileExists(dir / "events/SUB"));   // a directory is not a file
    EXPECT_EQ(joinPath("", "a") + " " + joinPath("d/", "a") + " " + joinPath("d", "/abs/a"), "a d/a /abs/a");
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
    EXPECT_TRUE(readWholeFile(dir / "BIG", out, 1000) && out.size() == 1000u);
}

TEST(FileSystem, AtomicWriteReplacesAnExistingFileOfAnotherCase)
{
    TempDir dir;
    writeFile(dir / "1990010100.EVT", "old");
    ::chmod((dir / "1990010100.EVT").c_str(), 0640);
    ASSERT_TRUE(writeFileAtomically(dir / "1990010100.evt", "new"));
    EXPECT_EQ(readFile(dir / "1990010100.EVT"), "new");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "1990010100.EVT").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"1990010100.EVT"});   // no temporary left

    writeFile(dir / "plain", "file");
    for (const std::string& bad : {dir / "plain/OV.INI", dir / "no/such/OV.INI", std::string()})
        EXPECT_FALSE(writeFileAtomically(bad, "x")) << bad;
    EXPECT_FALSE(saveSettings(Settings{}, dir / "plain/OV.INI"));
    EXPECT_EQ(readFile(dir / "plain"), "file");
}

// An interrupted or refused save keeps the old file whole (the full-disk cases
// run against the programs in the reliability tests).
TEST(FileSystem, ReadOnlyDirectoryKeepsTheOldFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the super-user";
    TempDir dir;
    writeFile(dir / "OV.INI", "old");
    ::chmod(dir.path().c_str(), 0500);
    EXPECT_FALSE(saveSettings(Settings{}, dir / "OV.INI"));
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(readFile(dir / "OV.INI"), "old");
}
