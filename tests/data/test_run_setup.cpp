// Loading a run from an event folder, station lines and station lists.
#include "DataTestSupport.h"
#include "data/RunSetup.h"
#include "fileio/TextInput.h"

#include <gtest/gtest.h>

using namespace testdata;

namespace {

struct RecordingSink : MessageSink {
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// "ZURIVI.STA" layout: name in 8 columns, description in 31, then the position.
std::string stationLine(std::string name, const std::string& description, const std::string& position) {
    name.resize(8, ' ');
    name += description;
    name.resize(40, ' ');
    return name + position;
}

const std::string kAnmoLine = stationLine("ANMO", "Albuquerque, New Mexico", "34.9459N 106.4572W") + "\r\n";

// An event folder with two readable seismograms and one missing, the four
// tables and a station list.
struct Installation {
    TempDir dir;
    RunState run;
    Installation() {
        writeTables(dir.path());
        writeFile(dir / "1990010100.EVT", "EVENT NAME: Test quake\r\nEVENT LATITUDE:     0.0000\r\nEVENT LONGITUDE:    30.0000\r\n"
                                          "EVENT DEPTH:       33.0\r\nEVENT DATE: 1990/01/01\r\nORIGIN TIME: 00:04:15.25\r\n"
                                          "TIME ACCELERATION: 2.5\r\nTIME WINDOW: 40000\r\nVIEW ANGLE: 45\r\n"
                                          "STATION FILE: anmo.bhz\r\nSTATION FILE: MISSING.BHZ\r\nSTATION FILE: COR.BHN\r\n");
        writeSac(dir / "1990010100/anmo.bhz", stationHeader("ANMO", 0, 0), std::vector<float>(600, 1.0f));
        writeSac(dir / "1990010100/COR.BHN", stationHeader("COR", 0, 60), std::vector<float>(300, -1.0f));
        writeFile(dir / "ZURIVI.STA", kAnmoLine + stationLine("XYZ", "Elsewhere", "1.0S 2.0E") + "\r\n");
        run.directory = dir.path();
    }
};

}   // namespace

TEST(RunSetup, LoadsEventTablesSeismogramsAndDescriptions) {
    Installation inst;
    RunState& run = inst.run;
    ASSERT_TRUE(loadRun(run, "1990010100.evt"));   // the name in any case
    EXPECT_EQ(run.folder + "|" + run.name + "|" + run.dateDisplay, "1990010100|Test quake|Jan. 1, 1990");
    EXPECT_EQ(std::make_tuple(run.longitude, run.depth, run.timeAcceleration), std::make_tuple(30.0f, 33.0f, 2.5f));
    // The time window is too large for its field: clamped.
    EXPECT_EQ(std::tie(run.timeWindow, run.timeLimit, run.viewAngle, run.second, run.millisecond),
              std::make_tuple(32767, 7200, 45, 15, 250));
    EXPECT_DOUBLE_EQ(run.originSeconds, secondsSince1901(1990, 1, 1, 0, 4, 15, 250));
    EXPECT_EQ(std::make_tuple(run.tables[0].count, run.tables[0].times[10]), std::make_tuple(kTableRows, 101.0f));   // column 1 for 33 km
    // The missing file is left out, and said so for the log.
    ASSERT_EQ(run.dropped.size(), 1u);
    EXPECT_EQ(run.dropped[0].file + " " + run.dropped[0].reason, "1990010100/MISSING.BHZ missing");
    ASSERT_EQ(run.seismogramCount, 2);
    ASSERT_EQ(run.seismograms.size(), 2u);
    const KSAC& anmo = *run.seismograms[0];
    EXPECT_EQ(std::make_tuple(anmo.label, anmo.npts(), anmo.startTime), std::make_tuple("ANMO-BHZ", 600, -255.25f));
    EXPECT_NEAR(anmo.header.f[GCARC], 30.0f, 1e-3);
    for (int p = 0; p < 4; ++p) EXPECT_NEAR(anmo.arrivalTimes[p], 301 * (p + 1) - p, 1) << p;
    EXPECT_EQ(anmo.description + "|" + run.seismograms[1]->description, "Albuquerque, New Mexico|");   // COR is not listed

    // A reload keeps what the file does not set (no VIEW ANGLE line); the others reset.
    writeFile(inst.dir / "second.evt", "EVENT NAME: Second\nSTATION FILE: ANMO.BHZ\n");
    ASSERT_TRUE(loadRun(run, "second.evt"));
    EXPECT_EQ(std::make_tuple(run.folder, run.viewAngle, run.latitude, run.timeAcceleration, run.timeWindow),
              std::make_tuple("second", 45, 0.0f, 20.0f, 1800));
    EXPECT_EQ(run.seismogramCount + run.seismograms.size(), 0u);   // no such folder
    ASSERT_EQ(run.dropped.size(), 1u);                             // this run's only
    EXPECT_EQ(run.dropped[0].file, "second/ANMO.BHZ");
    // A missing event file fails and changes nothing, the event path
    // included: an empty name still reloads the last file that was read.
    run.name = "kept";
    EXPECT_FALSE(loadRun(run, "nowhere.evt"));
    EXPECT_EQ(run.eventPath + run.name + run.folder, "second.evtkeptsecond");
    // So does a file with no line of an event file in it (empty, or some other file's bytes).
    for (const char* foreign : {"", "\x89PNG\r\n\x1a\n\0\0", "EVENT\nSTATION\n"}) {
        writeFile(inst.dir / "foreign.evt", foreign);
        EXPECT_FALSE(loadRun(run, "foreign.evt")) << foreign;
        EXPECT_EQ(run.eventPath + run.name, "second.evtkept");
    }
    ASSERT_TRUE(loadRun(run, ""));
    EXPECT_EQ(run.name, "Second");
}

TEST(RunSetup, StationLinesAndComponents) {
    StationRecord s = parseStationLine(stationLine("ANMO", "Albuquerque, New Mexico   ", "34.9459S 106.4572W"));
    EXPECT_EQ(std::make_tuple(s.stationName, s.description, s.latitude, s.longitude),
              std::make_tuple("ANMO", "Albuquerque, New Mexico", -34.9459f, -106.4572f));
    s = parseStationLine(stationLine("KONO", "Kongsberg, Norway", "59.6491N 9.5982E"));
    EXPECT_EQ(std::make_tuple(s.latitude, s.longitude), std::make_tuple(59.6491f, 9.5982f));
    // A name longer than 8 characters is cut; the description still starts at
    // the ninth character and is cut at its 31 characters.
    s = parseStationLine("LONGNAMEXY " + std::string(60, 'd'));
    EXPECT_EQ(s.stationName + "|" + s.description, "LONGNAME|XY " + std::string(28, 'd'));
    EXPECT_EQ(s.latitude, 0.0f);

    KSAC k;
    k.header = stationHeader("ANMO", 34.9f, -106.5f);
    const float u = kSacUndefined;   // no orientation: the name tells the component
    const char* x = "anmo.bhx";
    const std::tuple<const char*, float, float, char> components[] = {{"anmo.bhe", u, u, 'E'}, {x, u, u, 'Z'},   {x, 90, 90, 'E'},
                                                                      {x, 90, 0, 'N'},         {x, 90, 45, 'Z'}, {x, 0, 90, 'Z'}};
    for (const auto& [name, inc, az, component] : components) {
        std::tie(k.fileName, k.header.f[CMPINC], k.header.f[CMPAZ]) = std::make_tuple(name, inc, az);
        EXPECT_EQ(componentFromSeismogram(k).component, component) << name << " " << inc << " " << az;
    }
    ComponentRecord c = componentFromSeismogram(k);
    EXPECT_EQ(std::make_tuple(c.stationName, c.latitude, c.longitude), std::make_tuple("ANMO    ", 34.9f, -106.5f));
    c.component = 'N';
    c.fileName = "ANMO.BHN";
    s = stationFromComponent(c);
    EXPECT_EQ(std::make_tuple(s.available, s.componentFile[1]), std::make_tuple(std::array<bool, 3>{false, true, false}, "ANMO.BHN"));
}

TEST(RunSetup, StationListMergesComponentsAndMarksListedOnes) {
    TempDir dir;
    // The first file in name order names the station; the other merges into it.
    writeSac(dir / "1990010100/anmo.bhz", stationHeader("anmo", 1, 2), {1});
    writeSac(dir / "1990010100/ANMO.BHN", stationHeader("ANMO", 1, 2), {1});
    writeSac(dir / "1990010100/COR.BHE", stationHeader("COR", 3, 4), {1});
    writeSac(dir / "1990010100/.hidden.bhz", stationHeader("HID", 3, 4), {1});
    writeFile(dir / "1990010100/EVT.INF", "An event.\n");
    EventRecord event;
    event.fileName = "1990010100.EVT";
    event.stationFiles.resize(1);
    event.stationFiles[0].fileName = "ANMO.BHZ";
    RecordingSink sink;
    const auto list = buildStationList(event, &sink, dir.path());
    EXPECT_TRUE(sink.messages.empty());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].stationName + list[0].componentFile[0] + list[0].componentFile[1] + list[1].stationName,
              "ANMO    anmo.bhzANMO.BHNCOR     ");
    using Flags = std::array<bool, 3>;
    EXPECT_EQ(std::make_tuple(list[0].available, list[0].selected, list[1].available, list[1].selected),
              std::make_tuple(Flags{true, true, false}, Flags{true, false, false}, Flags{false, false, true}, Flags{}));

    event.fileName = "2000010100.EVT";   // no such folder
    EXPECT_TRUE(buildStationList(event, &sink, dir.path()).empty());
    EXPECT_EQ(sink.messages, std::vector<std::string>{"No files found"});
    EXPECT_TRUE(buildStationList(event, nullptr, dir.path()).empty());
}

// Data centres name files by network, station, location, channel and time; a
// file system allows 255 characters; headers may indent KSTNM. Such files are
// chosen on the world map, written to the event file, read back with the
// choice still marked, and played, named and described.
TEST(RunSetup, LongFileNamesAndIndentedStationNamesSurviveChoiceFileAndRun) {
    const std::string dataCentre = "IU.ANMO.00.BHZ.M.2011.070.054624.SAC", longest = "KIP." + std::string(250, 'x') + "E";
    ASSERT_EQ(longest.size(), kComponentFileNameMax);
    TempDir dir;
    writeTables(dir.path());
    writeSac(dir / ("2011031105/" + dataCentre), stationHeader("  ANMO", 1, 2), std::vector<float>(50, 1.0f));
    writeSac(dir / ("2011031105/" + longest), stationHeader(" KIP", 3, 4), std::vector<float>(50, 1.0f));
    writeFile(dir / "ZURIVI.STA", kAnmoLine + stationLine("KIP", "Kipapa, Hawaii", "21.4200N 158.0112W") + "\r\n");
    EventRecord event = newEventRecord();
    event.fileName = "2011031105.evt";
    std::vector<StationRecord> stations = buildStationList(event, nullptr, dir.path());
    ASSERT_EQ(stations.size(), 2u);
    EXPECT_EQ(stations[0].componentFile[0] + "|" + stations[1].componentFile[2], dataCentre + "|" + longest);
    for (StationRecord& s : stations) s.selected = s.available;
    ASSERT_TRUE(writeEventFile(event, stations, false, dir.path()));

    const EventRecord back = readEventFile(dir / "2011031105.evt");
    ASSERT_EQ(back.stationFiles.size(), 2u);
    EXPECT_EQ(back.stationFiles[0].fileName + "|" + back.stationFiles[1].fileName, textinput::toUpper(dataCentre + "|" + longest));
    const auto again = buildStationList(back, nullptr, dir.path());
    ASSERT_EQ(again.size(), 2u);
    EXPECT_TRUE(again[0].selected[0] && again[1].selected[2]);

    RunState run;
    run.directory = dir.path();
    ASSERT_TRUE(loadRun(run, "2011031105.evt"));
    ASSERT_EQ(run.seismogramCount, 2);
    const KSAC &anmo = *run.seismograms[0], &kip = *run.seismograms[1];
    EXPECT_EQ(anmo.stationName + "|" + anmo.description + "|" + kip.stationName + "|" + kip.description,
              "ANMO|Albuquerque, New Mexico|KIP|Kipapa, Hawaii");
    EXPECT_EQ(kip.fileName.size(), kComponentFileNameMax);
}
