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
    EXPECT_EQ(catalogue.at(0).name, "Loma Prieta");
    std::vector<std::string> names;
    for (int n = 0; n < catalogue.count(); ++n)
        names.push_back(catalogue.at(n).fileName);
    EXPECT_EQ(names, (std::vector<std::string>{"1989101800.evt", "1995011620.Evt", "2004122600.EVT",
                                                "binary.evt"}));
    EXPECT_EQ(catalogue.at(3).timeLimit, 7200);   // unreadable: the reading start values
    catalogue.scanEvents(dir / "missing");
    EXPECT_EQ(catalogue.count(), 0);
}

TEST(EventCatalogue, StableOrderAndTutorialEventWithoutRegardToCase)
{
    EventCatalogue catalogue;
    Settings s;
    EXPECT_EQ(catalogue.findTutorialEvent(s), -1);
    for (const char* n : {"1995011620.EVT", "2004122600.EVT", "1989101800.EVT", "1995011620.EVT"}) {
        EventRecord r;
        r.fileName = n;
        r.name = std::to_string(catalogue.count());
        catalogue.add(r);
    }
    EXPECT_EQ(catalogue.at(0).name, "2");
    EXPECT_EQ(catalogue.at(1).name, "0");   // equal names keep their order of addition
    EXPECT_EQ(catalogue.at(2).name, "3");
    s.tutorialEvent = "2004122600.evt";
    EXPECT_EQ(catalogue.findTutorialEvent(s), 3);
    s.tutorialEvent.clear();
    EXPECT_EQ(catalogue.findTutorialEvent(s), 0);
    s.tutorialEvent = "1900010100.evt";
    EXPECT_EQ(catalogue.findTutorialEvent(s), 0);
}
