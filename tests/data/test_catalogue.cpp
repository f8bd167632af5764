// The event catalogue: scanning, order and the tutorial event.
#include "DataTestSupport.h"
#include "data/EventCatalogue.h"
#include "data/Settings.h"

#include <gtest/gtest.h>

using testdata::TempDir;
using testdata::writeFile;

TEST(EventCatalogue, ScansEveryEventFileInAscendingOrderWhateverItsExtensionCase)
{
    TempDir dir;
    writeFile(dir / "2004122600.EVT", "EVENT NAME: Sumatra\n");
    writeFile(dir / "1989101800.evt", "EVENT NAME: Loma Prieta\n");
    writeFile(dir / "1995011620.Evt", "EVENT NAME: Kobe\n");
    writeFile(dir / "notes.txt", "EVENT NAME: not an event\n");
    writeFile(dir / "binary.evt", std::string("\0\xff\x01junk", 7));
    std::filesystem::create_directories(dir / "folder.evt");
    EventCatalogue catalogue;
    catalogue.add(EventRecord{});   // emptied by the scan
    catalogue.scanEvents(dir.path());
    ASSERT_EQ(catalogue.count(), 4);
    EXPECT_EQ(catalogue.at(0).fileName, "1989101800.evt");
    EXPECT_EQ(catalogue.at(0).name, "Loma Prieta");
    EXPECT_EQ(catalogue.at(1).fileName, "1995011620.Evt");
    EXPECT_EQ(catalogue.at(2).fileName, "2004122600.EVT");
    // An unreadable file still gets an entry with the reading start values.
    EXPECT_EQ(catalogue.at(3).fileName, "binary.evt");
    EXPECT_EQ(catalogue.at(3).timeLimit, 7200);
    catalogue.clear();
    EXPECT_EQ(catalogue.count(), 0);
}

TEST(EventCatalogue, EqualNamesKeepTheirOrderOfAddition)
{
    EventCatalogue catalogue;
    for (const char* n : {"B", "A", "B", "C"}) {
        EventRecord r;
        r.fileName = n;
        r.name = std::to_string(catalogue.count());
        catalogue.add(r);
    }
    ASSERT_EQ(catalogue.count(), 4);
    EXPECT_EQ(catalogue.at(0).fileName, "A");
    EXPECT_EQ(catalogue.at(1).name, "0");
    EXPECT_EQ(catalogue.at(2).name, "2");
    EXPECT_EQ(catalogue.at(3).fileName, "C");
}

TEST(EventCatalogue, TutorialEventIsFoundWithoutRegardToCase)
{
    EventCatalogue catalogue;
    Settings s;
    EXPECT_EQ(catalogue.findTutorialEvent(s), -1);
    for (const char* n : {"1989101800.EVT", "1995011620.EVT", "2004122600.EVT"}) {
        EventRecord r;
        r.fileName = n;
        catalogue.add(r);
    }
    s.tutorialEvent = "1995011620.evt";
    EXPECT_EQ(catalogue.findTutorialEvent(s), 1);
    s.tutorialEvent.clear();
    EXPECT_EQ(catalogue.findTutorialEvent(s), 0);
    s.tutorialEvent = "1900010100.evt";
    EXPECT_EQ(catalogue.findTutorialEvent(s), 0);
}

TEST(EventCatalogue, MissingDirectoryGivesAnEmptyCatalogue)
{
    TempDir dir;
    EventCatalogue catalogue;
    catalogue.scanEvents(dir / "missing");
    EXPECT_EQ(catalogue.count(), 0);
    EXPECT_EQ(&theCatalogue(), &theCatalogue());
}
