// The event catalogue: scanning, order and the tutorial event.
#include "DataTestSupport.h"
#include "data/EventCatalogue.h"
#include "data/Settings.h"

#include <gtest/gtest.h>

using namespace testdata;

TEST(EventCatalogue, ScansEveryEventFileInOrderAndFindsTheTutorialEventWithoutRegardToCase) {
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
    // An unreadable file gives the reading start values.
    EXPECT_EQ(std::make_tuple(catalogue.at(0).name, catalogue.at(3).timeLimit), std::make_tuple("Loma Prieta", 7200));
    catalogue.scanEvents(dir / "missing");
    Settings s;
    EXPECT_EQ(std::make_tuple(catalogue.count(), catalogue.findTutorialEvent(s)), std::make_tuple(0, -1));
    EventRecord r;
    for (const char* n : {"2004122600.EVT", "1995011620.EVT"})   // kept in name order
        r.fileName = n, catalogue.add(r);
    for (auto [name, index] : {std::pair{"2004122600.evt", 1}, {"", 0}, {"1900010100.evt", 0}}) {
        s.tutorialEvent = name;
        EXPECT_EQ(catalogue.findTutorialEvent(s), index) << name;
    }
}
