// The event record and its file: defaults, reading, writing and round trips.
#include "DataTestSupport.h"
#include "data/EventFile.h"
#include "fileio/FileSystem.h"
#include "data/RunSetup.h"

#include <gtest/gtest.h>

#include <sstream>

using testdata::TempDir;
using testdata::readFile;
using testdata::writeFile;

namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

const char* kEvent =
    "EVENT NAME: Loma Prieta, California\n"
    "EVENT LATITUDE:    37.0400\n"
    "EVENT LONGITUDE:  -121.8800\n"
    "EVENT DEPTH:       18.0\n"
    "EVENT MAGNITUDE:    7.1\n"
    "EVENT DATE: 1989/10/18\n"
    "ORIGIN TIME: 00:04:15.2\n"
    "TIME ACCELERATION: 30\n"
    "TIME WINDOW: 2400\n"
    "TIME LIMIT: 3600\n"
    "VIEW ANGLE: 225\n"
    "STATION FILE: anmo.bhz\n"
    "STATION FILE: COR.BHE";

} // namespace

TEST(EventFile, NewRecordHasTheDefaultsAndDerivedFields)
{
    const EventRecord r = newEventRecord();
    EXPECT_EQ(r.name, "Event Name");
    EXPECT_EQ(r.dateText, "1990/01/01");
    EXPECT_EQ(r.originTimeText, "00:00:00.0");
    EXPECT_EQ(r.dateDisplay, "Jan. 1, 1990");
    EXPECT_EQ(r.timeLimit, 1800);
    EXPECT_EQ(r.timeWindow, 1800);
    EXPECT_EQ(r.viewAngle, 180);
    EXPECT_EQ(r.timeAcceleration, 20);
    EXPECT_EQ(r.year, 1990);
    EXPECT_EQ(r.month, 1);
    EXPECT_EQ(r.day, 1);
    EXPECT_TRUE(r.stationFiles.empty());
}

TEST(EventFile, NewRecordWrittenByDateHasElevenAlignedLines)
{
    TempDir dir;
    EventRecord r = newEventRecord();
    ASSERT_TRUE(writeEventFileByDate(r, dir.path()));
    EXPECT_EQ(r.fileName, "1990010100.evt");
    const auto lines = linesOf(readFile(dir / "1990010100.evt"));
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], "EVENT NAME: Event Name");
    EXPECT_EQ(lines[1], "EVENT LATITUDE:     0.0000");
    EXPECT_EQ(lines[2], "EVENT LONGITUDE:     0.0000");
    EXPECT_EQ(lines[3], "EVENT DEPTH:        0.0");
    EXPECT_EQ(lines[4], "EVENT MAGNITUDE:    0.0");
    EXPECT_EQ(lines[5], "EVENT DATE: 1990/01/01");
    EXPECT_EQ(lines[6], "ORIGIN TIME: 00:00:00.0");
    EXPECT_EQ(lines[7], "TIME ACCELERATION: 20");
    EXPECT_EQ(lines[8], "TIME WINDOW: 1800");
    EXPECT_EQ(lines[9], "TIME LIMIT: 1800");
    EXPECT_EQ(lines[10], "VIEW ANGLE: 180");
}

TEST(EventFile, ReadsEveryKeyAndDerivesDateAndTime)
{
    TempDir dir;
    writeFile(dir / "1989101800.evt", kEvent);   // last line without a line feed
    const EventRecord r = readEventFile(dir / "1989101800.evt");
    EXPECT_EQ(r.fileName, dir / "1989101800.evt");
    EXPECT_EQ(r.name, "Loma Prieta, California");
    EXPECT_FLOAT_EQ(r.latitude, 37.04f);
    EXPECT_FLOAT_EQ(r.longitude, -121.88f);
    EXPECT_FLOAT_EQ(r.depth, 18.0f);
    EXPECT_FLOAT_EQ(r.magnitude, 7.1f);
    EXPECT_EQ(r.dateDisplay, "Oct. 18, 1989");
    EXPECT_EQ(r.hour, 0);
    EXPECT_EQ(r.minute, 4);
    EXPECT_FLOAT_EQ(r.second, 15.2f);
    EXPECT_EQ(r.timeAcceleration, 30);
    EXPECT_EQ(r.timeWindow, 2400);
    EXPECT_EQ(r.timeLimit, 3600);
    EXPECT_EQ(r.viewAngle, 225);
    ASSERT_EQ(r.stationFiles.size(), 2u);
    EXPECT_EQ(r.stationFiles[0].fileName, "ANMO.BHZ");   // held in upper case
    EXPECT_EQ(r.stationFiles[1].fileName, "COR.BHE");    // last line read whole
}

TEST(EventFile, KeysInAnyCaseNameKeepsItsCaseAndIsCut)
{
    const std::string longName(50, 'n');
    TempDir dir;
    writeFile(dir / "e.evt",
              "event depth: 42.5\r\n"
              "Event Name: MiXeD case Name  \r\n"
              "EVENT NAME: " + longName + "\r\n"
              "event name: Final Name\r\n");
    const EventRecord r = readEventFile(dir / "e.evt");
    EXPECT_FLOAT_EQ(r.depth, 42.5f);
    EXPECT_EQ(r.name, "Final Name");
    writeFile(dir / "f.evt", "Event Name: MiXeD case Name  \nEVENT NAME: x\nEVENT NAME: " + longName);
    EXPECT_EQ(readEventFile(dir / "f.evt").name, std::string(39, 'n'));
    writeFile(dir / "g.evt", "Event Name: MiXeD case Name  \n");
    EXPECT_EQ(readEventFile(dir / "g.evt").name, "MiXeD case Name  ");
}

TEST(EventFile, MissingFileAndMissingKeysGiveReadingStartValues)
{
    TempDir dir;
    const EventRecord missing = readEventFile(dir / "none.evt");
    EXPECT_TRUE(missing.fileName.empty());
    EXPECT_EQ(missing.timeLimit, 7200);
    EXPECT_EQ(missing.latitude, 0);
    EXPECT_TRUE(missing.stationFiles.empty());
    EXPECT_TRUE(readEventFile("").fileName.empty());

    writeFile(dir / "short.evt", "EVENT DATE: 1990/13/05\nTIME LIMIT: many\nVIEW ANGLE: 90\n");
    const EventRecord r = readEventFile(dir / "short.evt");
    EXPECT_EQ(r.timeLimit, 7200);   // no usable TIME LIMIT line
    EXPECT_EQ(r.viewAngle, 90);
    EXPECT_EQ(r.month, 13);
    EXPECT_EQ(r.dateDisplay, ". 5, 1990");   // a month outside the year has no name
}

TEST(EventFile, LaterLinesOverrideExceptStationFiles)
{
    TempDir dir;
    writeFile(dir / "e.evt",
              "TIME WINDOW: 100\nTIME WINDOW: 200\nSTATION FILE: A.BHZ\nSTATION FILE: A.BHZ\n"
              "STATION FILE: " + std::string(300, 'x') + "\n");
    const EventRecord r = readEventFile(dir / "e.evt");
    EXPECT_EQ(r.timeWindow, 200);
    ASSERT_EQ(r.stationFiles.size(), 3u);
    // Never cut, however long: a cut name would find no file.
    EXPECT_EQ(r.stationFiles[2].fileName, std::string(300, 'X'));
}

TEST(EventFile, WriteThenReadGivesTheRecordBack)
{
    TempDir dir;
    EventRecord r = newEventRecord();
    r.name = "Chile, offshore";
    r.latitude = -34.9459f;
    r.longitude = -71.6384f;
    r.depth = 33.3f;
    r.magnitude = 8.8f;
    r.year = 2010; r.month = 2; r.day = 27; r.hour = 6; r.minute = 34; r.second = 14.5f;
    r.timeAcceleration = 40;
    r.timeWindow = 3000;
    r.timeLimit = 5400;
    r.viewAngle = 270;
    refreshEventTexts(r);
    EXPECT_EQ(r.fileName, "2010022706.evt");
    EXPECT_EQ(r.dateText, "2010/02/27");
    EXPECT_EQ(r.originTimeText, "06:34:14.5");
    EXPECT_EQ(r.dateDisplay, "Feb. 27, 2010");
    r.stationFiles.push_back({});
    r.stationFiles.back().fileName = "ANMO.BHZ";
    ASSERT_TRUE(writeEventFileByDate(r, dir.path()));

    const EventRecord back = readEventFile(dir / "2010022706.evt");
    EXPECT_EQ(back.name, r.name);
    EXPECT_FLOAT_EQ(back.latitude, r.latitude);
    EXPECT_FLOAT_EQ(back.longitude, r.longitude);
    EXPECT_FLOAT_EQ(back.depth, r.depth);
    EXPECT_FLOAT_EQ(back.magnitude, r.magnitude);
    EXPECT_EQ(back.dateText, r.dateText);
    EXPECT_EQ(back.originTimeText, r.originTimeText);
    EXPECT_EQ(back.timeAcceleration, r.timeAcceleration);
    EXPECT_EQ(back.timeWindow, r.timeWindow);
    EXPECT_EQ(back.timeLimit, r.timeLimit);
    EXPECT_EQ(back.viewAngle, r.viewAngle);
    EXPECT_EQ(back.year, 2010);
    EXPECT_EQ(back.hour, 6);
    EXPECT_FLOAT_EQ(back.second, 14.5f);
    ASSERT_EQ(back.stationFiles.size(), 1u);
    EXPECT_EQ(back.stationFiles[0].fileName, "ANMO.BHZ");
}

TEST(EventFile, StationListGivesSelectedComponentsInZneOrder)
{
    TempDir dir;
    EventRecord r = newEventRecord();
    r.fileName = "1990010100.EVT";
    r.stationFiles.push_back({});
    r.stationFiles.back().fileName = "OWN.BHZ";   // ignored when the station list is used
    std::vector<StationRecord> stations(2);
    stations[0].selected = {true, false, true};
    stations[0].componentFile = {"ANMO.BHZ", "ANMO.BHN", "ANMO.BHE"};
    stations[1].selected = {false, true, true};
    stations[1].componentFile = {"COR.BHZ", "COR.BHN", ""};   // selected without a file
    ASSERT_TRUE(writeEventFile(r, stations, false, dir.path()));
    const EventRecord back = readEventFile(dir / "1990010100.EVT");
    ASSERT_EQ(back.stationFiles.size(), 3u);
    EXPECT_EQ(back.stationFiles[0].fileName, "ANMO.BHZ");
    EXPECT_EQ(back.stationFiles[1].fileName, "ANMO.BHE");
    EXPECT_EQ(back.stationFiles[2].fileName, "COR.BHN");

    ASSERT_TRUE(writeEventFile(r, stations, true, dir.path()));
    ASSERT_EQ(readEventFile(dir / "1990010100.EVT").stationFiles.size(), 1u);
}

TEST(EventFile, NameWithLineBreakCannotInjectLines)
{
    TempDir dir;
    EventRecord r = newEventRecord();
    r.name = "Two\nSTATION FILE: EVIL.BHZ";
    ASSERT_TRUE(writeEventFileByDate(r, dir.path()));
    const EventRecord back = readEventFile(dir / r.fileName);
    EXPECT_TRUE(back.stationFiles.empty());
    EXPECT_EQ(back.name, "Two STATION FILE: EVIL.BHZ");
}

TEST(EventFile, UnwritableTargetReturnsFalse)
{
    TempDir dir;
    EventRecord r = newEventRecord();
    EXPECT_FALSE(writeEventFileByDate(r, dir / "missing/folder"));
    r.fileName.clear();
    EXPECT_FALSE(writeEventFile(r, {}, true, dir.path()));
}
