// Loading a run from an event folder, station lines and station lists.
#include "DataTestSupport.h"
#include "data/RunSetup.h"
#include "fileio/TextInput.h"

#include <gtest/gtest.h>

using testdata::TempDir;
using testdata::stationHeader;
using testdata::writeFile;
using testdata::writeSac;

namespace {

class RecordingSink : public MessageSink {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// "ZURIVI.STA" layout: name in 8 columns, description in 31, then the position.
std::string stationLine(const std::string& name, const std::string& description,
                        const std::string& position)
{
    std::string line = name;
    line.resize(8, ' ');
    line += description;
    line.resize(40, ' ');
    return line + position;
}

const char* kEventText =
    "EVENT NAME: Test quake\r\n"
    "EVENT LATITUDE:     0.0000\r\n"
    "EVENT LONGITUDE:    30.0000\r\n"
    "EVENT DEPTH:       33.0\r\n"
    "EVENT MAGNITUDE:    6.5\r\n"
    "EVENT DATE: 1990/01/01\r\n"
    "ORIGIN TIME: 00:04:15.25\r\n"
    "TIME ACCELERATION: 2.5\r\n"
    "TIME WINDOW: 40000\r\n"
    "VIEW ANGLE: 45\r\n"
    "STATION FILE: anmo.bhz\r\n"
    "STATION FILE: MISSING.BHZ\r\n"
    "STATION FILE: LITTLE.BHZ\r\n"
    "STATION FILE: COR.BHN\r\n";

// An event folder with two readable seismograms, one in the wrong byte order,
// the four tables and a station list.
void makeInstallation(const TempDir& dir)
{
    testdata::writeTables(dir.path());
    writeFile(dir / "1990010100.EVT", kEventText);
    SacHeader anmo = stationHeader("ANMO", 0.0f, 0.0f);
    writeSac(dir / "1990010100/anmo.bhz", anmo, std::vector<float>(600, 1.0f));
    SacHeader cor = stationHeader("COR", 0.0f, 60.0f);
    writeSac(dir / "1990010100/COR.BHN", cor, std::vector<float>(300, -1.0f));
    std::string little = encodeSac(cor, {1});
    for (std::size_t off = 0; off < 440; off += 4) {
        std::swap(little[off], little[off + 3]);
        std::swap(little[off + 1], little[off + 2]);
    }
    writeFile(dir / "1990010100/LITTLE.BHZ", little);
    writeFile(dir / "ZURIVI.STA",
              stationLine("ANMO", "Albuquerque, New Mexico", "34.9459N 106.4572W") + "\r\n" +
              stationLine("XYZ", "Elsewhere", "1.0S 2.0E") + "\r\n");
}

} // namespace

TEST(RunSetup, LoadsEventTablesSeismogramsAndDescriptions)
{
    TempDir dir;
    makeInstallation(dir);
    RunState run;
    run.directory = dir.path();
    ASSERT_TRUE(loadRun(run, "1990010100.EVT"));
    EXPECT_EQ(run.folder, "1990010100");
    EXPECT_EQ(run.name, "Test quake");
    EXPECT_FLOAT_EQ(run.longitude, 30.0f);
    EXPECT_FLOAT_EQ(run.depth, 33.0f);
    EXPECT_FLOAT_EQ(run.timeAcceleration, 2.5f);   // a fraction is allowed here
    EXPECT_EQ(run.timeWindow, 32767);              // too large for its field: clamped
    EXPECT_EQ(run.timeLimit, 7200);
    EXPECT_EQ(run.viewAngle, 45);
    EXPECT_EQ(run.second, 15);
    EXPECT_EQ(run.millisecond, 250);
    EXPECT_EQ(run.dateDisplay, "Jan. 1, 1990");
    EXPECT_DOUBLE_EQ(run.originSeconds, secondsSince1901(1990, 1, 1, 0, 4, 15, 250));
    EXPECT_EQ(run.tables[0].count, kTableRows);
    EXPECT_FLOAT_EQ(run.tables[0].times[10], 101.0f);   // column 1 for 33 km

    // The missing and the wrongly ordered files are left out.
    ASSERT_EQ(run.seismogramCount, 2);
    ASSERT_EQ(run.seismograms.size(), 2u);
    const KSAC& anmo = *run.seismograms[0];
    EXPECT_EQ(anmo.label, "ANMO-BHZ");
    EXPECT_EQ(anmo.npts(), 600);
    EXPECT_FLOAT_EQ(anmo.startTime, -255.25f);
    EXPECT_NEAR(anmo.header.f[GCARC], 30.0f, 1e-3);
    EXPECT_NEAR(anmo.arrivalTimes[0], 301, 1);
    EXPECT_NEAR(anmo.arrivalTimes[1], 601, 1);
    EXPECT_NEAR(anmo.arrivalTimes[2], 901, 1);
    EXPECT_NEAR(anmo.arrivalTimes[3], 1201, 1);
    EXPECT_EQ(anmo.description, "Albuquerque, New Mexico");
    EXPECT_EQ(run.seismograms[1]->description, "");   // COR is not in the station list
}

TEST(RunSetup, ReloadKeepsFieldsTheFileDoesNotSet)
{
    TempDir dir;
    makeInstallation(dir);
    writeFile(dir / "second.evt", "EVENT NAME: Second\nSTATION FILE: ANMO.BHZ\n");
    RunState run;
    run.directory = dir.path();
    ASSERT_TRUE(loadRun(run, "1990010100.EVT"));
    ASSERT_TRUE(loadRun(run, "second.evt"));
    EXPECT_EQ(run.folder, "second");
    EXPECT_EQ(run.viewAngle, 45);                  // no VIEW ANGLE line: kept
    EXPECT_FLOAT_EQ(run.latitude, 0.0f);           // reset
    EXPECT_FLOAT_EQ(run.timeAcceleration, 20.0f);  // reset
    EXPECT_EQ(run.timeWindow, 1800);
    EXPECT_EQ(run.seismogramCount, 0);             // no such folder
    EXPECT_TRUE(run.seismograms.empty());

    // An empty name reloads the previous file.
    ASSERT_TRUE(loadRun(run, ""));
    EXPECT_EQ(run.name, "Second");
    // A missing event file fails and changes nothing, the event path
    // included: an empty name still reloads the last file that was read.
    run.name = "kept";
    EXPECT_FALSE(loadRun(run, "nowhere.evt"));
    EXPECT_EQ(run.eventPath, "second.evt");
    EXPECT_EQ(run.name, "kept");
    EXPECT_EQ(run.folder, "second");
    ASSERT_TRUE(loadRun(run, ""));
    EXPECT_EQ(run.name, "Second");
}

TEST(RunSetup, AbsoluteDirectoryAndLowerCaseEventName)
{
    TempDir dir;
    makeInstallation(dir);
    RunState run;
    run.directory = dir.path();
    ASSERT_TRUE(loadRun(run, "1990010100.evt"));
    EXPECT_EQ(run.seismogramCount, 2);
    EXPECT_EQ(&theRunState(), &theRunState());
}

TEST(RunSetup, StationLineFields)
{
    StationRecord s = parseStationLine(stationLine("ANMO", "Albuquerque, New Mexico   ",
                                                   "34.9459S 106.4572W"));
    EXPECT_EQ(s.stationName, "ANMO");
    EXPECT_EQ(s.description, "Albuquerque, New Mexico");
    EXPECT_FLOAT_EQ(s.latitude, -34.9459f);
    EXPECT_FLOAT_EQ(s.longitude, -106.4572f);
    EXPECT_EQ(s.available, (std::array<bool, 3>{false, false, false}));

    s = parseStationLine(stationLine("KONO", "Kongsberg, Norway", "59.6491N 9.5982E"));
    EXPECT_FLOAT_EQ(s.latitude, 59.6491f);
    EXPECT_FLOAT_EQ(s.longitude, 9.5982f);
    // A description running into the position is cut at its 31 characters.
    // A name longer than 8 characters is cut; the description still starts
    // at the ninth character.
    s = parseStationLine("LONGNAMEXY " + std::string(60, 'd'));
    EXPECT_EQ(s.stationName, "LONGNAME");
    EXPECT_EQ(s.description, "XY " + std::string(28, 'd'));
    EXPECT_FLOAT_EQ(s.latitude, 0.0f);
    EXPECT_EQ(parseStationLine("").stationName, "");
}

TEST(RunSetup, ComponentFromOrientationOrFileName)
{
    KSAC k;
    k.header = stationHeader("ANMO", 34.9f, -106.5f);
    k.fileName = "anmo.bhe";
    ComponentRecord c = componentFromSeismogram(k);
    EXPECT_EQ(c.component, 'E');   // no orientation: last letter of the name
    EXPECT_EQ(c.stationName, "ANMO    ");
    EXPECT_FLOAT_EQ(c.latitude, 34.9f);
    k.fileName = "anmo.bhx";
    EXPECT_EQ(componentFromSeismogram(k).component, 'Z');
    k.header.f[CMPINC] = 90;
    k.header.f[CMPAZ] = 90;
    EXPECT_EQ(componentFromSeismogram(k).component, 'E');
    k.header.f[CMPAZ] = 0;
    EXPECT_EQ(componentFromSeismogram(k).component, 'N');
    k.header.f[CMPAZ] = 45;
    EXPECT_EQ(componentFromSeismogram(k).component, 'Z');
    k.header.f[CMPINC] = 0;
    k.header.f[CMPAZ] = 90;
    EXPECT_EQ(componentFromSeismogram(k).component, 'Z');

    c.component = 'N';
    c.fileName = "ANMO.BHN";
    const StationRecord s = stationFromComponent(c);
    EXPECT_EQ(s.available, (std::array<bool, 3>{false, true, false}));
    EXPECT_EQ(s.componentFile[1], "ANMO.BHN");
    EXPECT_EQ(s.selected, (std::array<bool, 3>{false, false, false}));
}

TEST(RunSetup, StationListMergesComponentsAndMarksListedOnes)
{
    TempDir dir;
    // The first file in name order names the station; the other merges into it.
    writeSac(dir / "1990010100/anmo.bhz", stationHeader("anmo", 1, 2), {1});
    writeSac(dir / "1990010100/ANMO.BHN", stationHeader("ANMO", 1, 2), {1});
    writeSac(dir / "1990010100/COR.BHE", stationHeader("COR", 3, 4), {1});
    writeSac(dir / "1990010100/.hidden.bhz", stationHeader("HID", 3, 4), {1});
    writeFile(dir / "1990010100/EVT.INF", "An event.\n");
    EventRecord event;
    event.fileName = "1990010100.EVT";
    event.stationFiles.push_back({});
    event.stationFiles.back().fileName = "ANMO.BHZ";
    RecordingSink sink;
    const auto list = buildStationList(event, &sink, dir.path());
    EXPECT_TRUE(sink.messages.empty());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].stationName, "ANMO    ");
    EXPECT_EQ(list[0].available, (std::array<bool, 3>{true, true, false}));
    EXPECT_EQ(list[0].selected, (std::array<bool, 3>{true, false, false}));
    EXPECT_EQ(list[0].componentFile[0], "anmo.bhz");
    EXPECT_EQ(list[0].componentFile[1], "ANMO.BHN");
    EXPECT_EQ(list[1].stationName, "COR     ");
    EXPECT_EQ(list[1].available, (std::array<bool, 3>{false, false, true}));
    EXPECT_EQ(list[1].selected, (std::array<bool, 3>{false, false, false}));
}

TEST(RunSetup, LongFileNamesAndIndentedStationNamesSurviveChoiceFileAndRun)
{
    // Data centres name files by network, station, location, channel and
    // time; a file system allows 255 characters. Headers may indent KSTNM.
    const std::string dataCentre = "IU.ANMO.00.BHZ.M.2011.070.054624.SAC";
    const std::string longest = "KIP." + std::string(250, 'x') + "E";
    ASSERT_EQ(longest.size(), kComponentFileNameMax);
    TempDir dir;
    testdata::writeTables(dir.path());
    writeSac(dir / ("2011031105/" + dataCentre), stationHeader("  ANMO", 1, 2),
             std::vector<float>(50, 1.0f));
    writeSac(dir / ("2011031105/" + longest), stationHeader(" KIP", 3, 4),
             std::vector<float>(50, 1.0f));
    writeFile(dir / "ZURIVI.STA",
              stationLine("ANMO", "Albuquerque, New Mexico", "34.9459N 106.4572W") + "\r\n" +
              stationLine("KIP", "Kipapa, Hawaii", "21.4200N 158.0112W") + "\r\n");

    // Chosen on the world map and written to the event file...
    EventRecord event = newEventRecord();
    event.fileName = "2011031105.evt";
    std::vector<StationRecord> stations = buildStationList(event, nullptr, dir.path());
    ASSERT_EQ(stations.size(), 2u);
    EXPECT_EQ(stations[0].componentFile[0], dataCentre);
    EXPECT_EQ(stations[1].componentFile[2], longest);
    for (StationRecord& s : stations) s.selected = s.available;
    ASSERT_TRUE(writeEventFile(event, stations, false, dir.path()));

    // ...read back whole, with the choice still marked...
    const EventRecord back = readEventFile(dir / "2011031105.evt");
    ASSERT_EQ(back.stationFiles.size(), 2u);
    EXPECT_EQ(back.stationFiles[0].fileName, textinput::toUpper(dataCentre));
    EXPECT_EQ(back.stationFiles[1].fileName, textinput::toUpper(longest));
    const auto again = buildStationList(back, nullptr, dir.path());
    ASSERT_EQ(again.size(), 2u);
    EXPECT_TRUE(again[0].selected[0] && again[1].selected[2]);

    // ...and played: both traces, named and described.
    RunState run;
    run.directory = dir.path();
    ASSERT_TRUE(loadRun(run, "2011031105.evt"));
    ASSERT_EQ(run.seismogramCount, 2);
    EXPECT_EQ(run.seismograms[0]->stationName, "ANMO");
    EXPECT_EQ(run.seismograms[0]->description, "Albuquerque, New Mexico");
    EXPECT_EQ(run.seismograms[1]->stationName, "KIP");
    EXPECT_EQ(run.seismograms[1]->description, "Kipapa, Hawaii");
    EXPECT_EQ(run.seismograms[1]->fileName.size(), kComponentFileNameMax);
}

TEST(RunSetup, StationListOfAMissingFolderReportsNoFiles)
{
    TempDir dir;
    EventRecord event;
    event.fileName = "2000010100.EVT";
    RecordingSink sink;
    EXPECT_TRUE(buildStationList(event, &sink, dir.path()).empty());
    EXPECT_EQ(sink.messages, std::vector<std::string>{"No files found"});
    EXPECT_TRUE(buildStationList(event, nullptr, dir.path()).empty());
}
