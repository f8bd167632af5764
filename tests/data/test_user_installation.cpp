// Where the programs work: the folder they start in when it is an
// installation, else the user's own copy of the shipped demo, made once and
// never written over.
#include "DataTestSupport.h"
#include "fileio/UserInstallation.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testdata;
namespace fs = std::filesystem;

TEST(UserInstallation, StaysInAnInstallationElseCopiesTheDemoOnceAndKeepsTheUsersChanges) {
    TempDir dir;
    writeFile(dir / "shipped/OV.INI", "VIEW MODE 3\n");
    writeFile(dir / "shipped/help/0.html", "<p>help</p>");
    writeFile(dir / "exhibit/OV.INI", "x");
    fs::create_directories(dir / "menu");
    const std::string data = dir / "data", shipped = dir / "shipped";

    // Started inside an installation, or with nothing shipped: stay.
    for (const auto& [start, demo] :
         {std::pair{dir / "exhibit", shipped}, std::pair{dir / "menu", std::string()}, std::pair{dir / "menu", dir / "menu"}}) {
        const InstallationChoice c = chooseInstallation(start, data, demo);
        EXPECT_TRUE(c.directory.empty() && c.error.empty()) << start << " " << demo;
    }
    EXPECT_FALSE(fs::exists(data));

    // First start from the menu: a whole copy, with no staging folder left.
    InstallationChoice first = chooseInstallation(dir / "menu", data, shipped);
    EXPECT_TRUE(first.created);
    EXPECT_EQ(first.directory, data + "/orvanta");
    EXPECT_EQ(readFile(data + "/orvanta/OV.INI"), "VIEW MODE 3\n");
    EXPECT_EQ(readFile(data + "/orvanta/help/0.html"), "<p>help</p>");
    EXPECT_EQ(std::distance(fs::directory_iterator(data), fs::directory_iterator()), 1);

    // Later starts, also after the shipped demo changed, keep the user's files.
    writeFile(data + "/orvanta/OV.INI", "mine");
    writeFile(dir / "shipped/OV.INI", "VIEW MODE 1\n");
    InstallationChoice again = chooseInstallation(dir / "menu", data, shipped);
    EXPECT_FALSE(again.created);
    EXPECT_EQ(again.directory, data + "/orvanta");
    EXPECT_EQ(readFile(data + "/orvanta/OV.INI"), "mine");
}

TEST(UserInstallation, AFailedCopyReportsWhyAndLeavesNothingHalfMade) {
    TempDir dir;
    writeFile(dir / "shipped/OV.INI", "x");
    writeFile(dir / "data", "a file where the data folder should be");
    const InstallationChoice c = chooseInstallation(dir / "shipped/..", dir / "data", dir / "shipped");
    EXPECT_TRUE(c.directory.empty());
    EXPECT_FALSE(c.error.empty());
    EXPECT_EQ(readFile(dir / "data"), "a file where the data folder should be");
}
