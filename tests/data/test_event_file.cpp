// The event record and its file: defaults, reading, writing and round trips.
#include "DataTestSupport.h"
#include "data/EventFile.h"
#include "data/RunSetup.h"

#include <gtest/gtest.h>

using namespace testdata;
using namespace std::string_literals;
using Names = std::vector<std::string>;

namespace {

EventRecord readText(const TempDir& dir, const std::string& text) {
    writeFile(dir / "e.evt", text);
    return readEventFile(dir / "e.evt");
}

Names fileNames(const EventRecord& r) {
    Names names;
    for (const ComponentRecord& c : r.stationFiles) names.push_back(c.fileName);
    return names;
}

}   // namespace

TEST(EventFile, NewRecordIsWrittenByDateInElevenAlignedLines) {
    TempDir dir;
    EventRecord r = newEventRecord();
    EXPECT_EQ(r.dateDisplay, "Jan. 1, 1990");
    ASSERT_TRUE(writeEventFileByDate(r, dir.path()));
    EXPECT_EQ(r.fileName, "1990010100.evt");
    EXPECT_EQ(readFile(dir / "1990010100.evt"),
              "EVENT NAME: Event Name\r\nEVENT LATITUDE:     0.0000\r\nEVENT LONGITUDE:     0.0000\r\n"
              "EVENT DEPTH:        0.0\r\nEVENT MAGNITUDE:    0.0\r\nEVENT DATE: 1990/01/01\r\n"
              "ORIGIN TIME: 00:00:00.0\r\nTIME ACCELERATION: 20\r\nTIME WINDOW: 1800\r\nTIME LIMIT: 1800\r\n"
              "VIEW ANGLE: 180\r\n");
    EXPECT_FALSE(writeEventFileByDate(r, dir / "missing/folder"));
    r.fileName.clear();
    EXPECT_FALSE(writeEventFile(r, {}, true, dir.path()));
}

TEST(EventFile, EveryKeyIsReadAndWrittenBackTheSame) {
    TempDir dir;
    const std::string text = "EVENT NAME: Chile, offshore\r\nEVENT LATITUDE:   -34.9459\r\nEVENT LONGITUDE:   -71.6384\r\n"
                             "EVENT DEPTH:       33.3\r\nEVENT MAGNITUDE:    8.8\r\nEVENT DATE: 2010/02/27\r\n"
                             "ORIGIN TIME: 06:34:14.5\r\nTIME ACCELERATION: 40\r\nTIME WINDOW: 3000\r\nTIME LIMIT: 5400\r\n"
                             "VIEW ANGLE: 270\r\nSTATION FILE: ANMO.BHZ\r\nSTATION FILE: COR.BHE\r\n";
    EventRecord r = readText(dir, text);
    EXPECT_EQ(r.fileName + "|" + r.dateDisplay, dir / "e.evt|Feb. 27, 2010");
    EXPECT_EQ(std::tie(r.year, r.month, r.day, r.hour, r.minute, r.second, r.latitude),
              std::make_tuple(2010, 2, 27, 6, 34, 14.5f, -34.9459f));
    std::filesystem::create_directories(dir / "out");
    ASSERT_TRUE(writeEventFileByDate(r, dir / "out"));
    EXPECT_EQ(r.fileName, "2010022706.evt");
    EXPECT_EQ(readFile(dir / "out/2010022706.evt"), text);

    // A name with a line break cannot inject a line.
    r.name = "Two\nSTATION FILE: EVIL.BHZ";
    r.stationFiles.clear();
    ASSERT_TRUE(writeEventFileByDate(r, dir.path()));
    const EventRecord injected = readEventFile(dir / r.fileName);
    EXPECT_TRUE(injected.stationFiles.empty());
    EXPECT_EQ(injected.name, "Two STATION FILE: EVIL.BHZ");
}

TEST(EventFile, KeyCaseOverridesCutsAndBadValues) {
    TempDir dir;
    const std::string longName(50, 'n');
    EventRecord r = readText(dir, "event depth: 42.5\r\nEvent Name: MiXeD case Name  \r\n"
                                  "EVENT NAME: "
                                      + longName
                                      + "\r\nevent name: Final Name\r\n"
                                        "TIME WINDOW: 100\nTIME WINDOW: 200\nSTATION FILE: a.bhz\n"
                                        "STATION FILE: A.BHZ\nSTATION FILE: "
                                      + std::string(300, 'x'));
    // Later lines override; station files add up, in upper case.
    EXPECT_EQ(std::make_tuple(r.depth, r.name, r.timeWindow), std::make_tuple(42.5f, "Final Name", 200));
    // A name is never cut, however long: a cut name would find no file.
    EXPECT_EQ(fileNames(r), (Names{"A.BHZ", "A.BHZ", std::string(300, 'X')}));
    EXPECT_EQ(readText(dir, "EVENT NAME: x\nEVENT NAME: " + longName).name, std::string(39, 'n'));
    EXPECT_EQ(readText(dir, "Event Name: MiXeD case Name  \n").name, "MiXeD case Name  ");

    // Missing file and missing or bad keys give the reading start values.
    const EventRecord missing = readEventFile(dir / "none.evt");
    EXPECT_EQ(std::make_tuple(missing.fileName, missing.timeLimit, missing.dateDisplay), std::make_tuple("", 7200, "Jan. 1, 1990"));
    r = readText(dir, "EVENT DATE: 1990/13/05\nTIME LIMIT: many\nVIEW ANGLE: 90\n");
    EXPECT_EQ(std::tie(r.timeLimit, r.viewAngle, r.month), std::make_tuple(7200, 90, 13));
    EXPECT_EQ(r.dateDisplay, ". 5, 1990");   // a month outside the year has no name
    // A NUL byte ends a value (found by fuzzing).
    r = readText(dir, "EVENT DATE: 1994/06/09\0junk\nSTATION FILE: ANMO.BHZ\0HRV.BHZ\nSTATION FILE: \0\n"s);
    EXPECT_EQ(std::tie(r.dateText, r.year), std::make_tuple("1994/06/09", 1994));
    EXPECT_EQ(fileNames(r), Names{"ANMO.BHZ"});
}

TEST(EventFile, StationListGivesSelectedComponentsInZneOrder) {
    TempDir dir;
    EventRecord r = newEventRecord();
    r.fileName = "1990010100.EVT";
    r.stationFiles.resize(1);
    r.stationFiles[0].fileName = "OWN.BHZ";   // ignored when the station list is used
    std::vector<StationRecord> stations(2);
    stations[0].selected = {true, false, true};
    stations[0].componentFile = {"ANMO.BHZ", "ANMO.BHN", "ANMO.BHE"};
    stations[1].selected = {false, true, true};
    stations[1].componentFile = {"COR.BHZ", "COR.BHN", ""};   // selected without a file
    for (bool own : {false, true}) {
        ASSERT_TRUE(writeEventFile(r, stations, own, dir.path()));
        EXPECT_EQ(fileNames(readEventFile(dir / "1990010100.EVT")), (own ? Names{"OWN.BHZ"} : Names{"ANMO.BHZ", "ANMO.BHE", "COR.BHN"}));
    }
}
