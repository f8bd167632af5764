// The event catalogue: scanning, order and the tutorial event.
#include "DataTestSupport.h"
#include "data/EventCatalogue.h"
#include "data/Settings.h"

#include <gtest/gtest.h>

using namespace testdata;

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
    EXPECT_EQ(catalogue.at(0).fileName + catalogue.at(1).fileName + catalogue.at(2).fileName + catalogue.at(3).fileName,
              "1989101800.evt1995011620.Evt2004122600.EVTbinary.evt");
    EXPECT_EQ(catalogue.at(0).name, "Loma Prieta");
    EXPECT_EQ(catalogue.at(3).timeLimit, 7200);   // unreadable: the reading start values
    catalogue.scanEvents(dir / "missing");
    EXPECT_EQ(catalogue.count(), 0);
}

TEST(EventCatalogue, TutorialEventIsFoundWithoutRegardToCase)
{
    EventCatalogue catalogue;
    Settings s;
    EXPECT_EQ(catalogue.findTutorialEvent(s), -1);
    for (const char* n : {"2004122600.EVT", "1995011620.EVT"}) {   // kept in name order
        EventRecord r;
        r.fileName = n;
        catalogue.add(r);
    }
    for (auto [name, index] : {std::pair{"2004122600.evt", 1}, {"", 0}, {"1900010100.evt", 0}}) {
        s.tutorialEvent = name;
        EXPECT_EQ(catalogue.findTutorialEvent(s), index) << name;
    }
}
