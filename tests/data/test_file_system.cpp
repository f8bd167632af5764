// Case-insensitive lookup, whole-file reading and atomic replacement.
#include "DataTestSupport.h"
#include "data/Settings.h"
#include "fileio/FileSystem.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace testdata;

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
    EXPECT_TRUE(fileExists(dir / "events/SUB/file.evt") && !fileExists(dir / "events/SUB"));   // a directory is not a file
    EXPECT_EQ(joinPath("", "a") + " " + joinPath("d/", "a") + " " + joinPath("d", "/abs/a"), "a d/a /abs/a");
}

TEST(FileSystem, ReadWholeFileRefusesDirectoriesAndOversizedFiles)
{
    TempDir dir;
    std::string out = "stale";
    EXPECT_TRUE(!readWholeFile(dir.path(), out) && out.empty());
    writeFile(dir / "big", std::string(1000, 'a'));
    EXPECT_FALSE(readWholeFile(dir / "missing", out) || readWholeFile(dir / "big", out, 999));
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
    std::vector<std::string> names;
    EXPECT_TRUE(listDirectory(dir.path(), names));
    EXPECT_EQ(names, std::vector<std::string>{"1990010100.EVT"});   // no temporary left

    writeFile(dir / "plain", "file");
    for (const std::string& bad : {dir / "plain/OV.INI", dir / "no/such/OV.INI", std::string()})
        EXPECT_FALSE(writeFileAtomically(bad, "x") || saveSettings(Settings{}, bad)) << bad;
    EXPECT_EQ(readFile(dir / "plain"), "file");
}
