// The readers of recordings from data centres: SAC in both byte orders and
// header versions, miniSEED in every encoding the packer writes (checked
// against mseed2sac where installed), station and event metadata, and what
// damaged or foreign files give.
#include "../data/DataTestSupport.h"
#include "import/EventMetadata.h"
#include "import/InputFile.h"
#include "import/MiniSeedReader.h"
#include "import/MiniSeedWriter.h"
#include "import/SacReader.h"
#include "import/StationMetadata.h"
#include "import/TimeText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>

#define FUZZ_TARGET(name) int name
#include "fuzz/fuzz_event_meta.cpp"
#include "fuzz/fuzz_import_sac.cpp"
#include "fuzz/fuzz_mseed.cpp"
#include "fuzz/fuzz_station_meta.cpp"

using namespace testdata;

namespace {

// Every numeric word of a big-endian SAC image reversed (text kept), and
// doubles appended in the chosen byte order.
std::string toLittleEndian(std::string big) {
    for (std::size_t off = 0; off + 4 <= big.size(); off += 4) {
        if (off >= 440 && off < kSacHeaderBytes) continue;
        std::swap(big[off], big[off + 3]);
        std::swap(big[off + 1], big[off + 2]);
    }
    return big;
}

void appendDouble(std::string& out, double v, bool little) {
    char b[8];
    std::memcpy(b, &v, 8);   // the host is little-endian
    for (int i = 0; i < 8; ++i) out.push_back(little ? b[i] : b[7 - i]);
}

double at(int year, int month, int day, int hour, int minute, double second) {
    return *epochFromCalendar(year, month, day, hour, minute, second);
}

}   // namespace

TEST(ImportTimeText, ParsesFormatsAndRejectsMalformed) {
    const double t = at(2011, 3, 11, 5, 46, 24.12);
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"2011-03-11T05:46:24.12Z", t},
        {"2011-03-11 05:46:24.120000", t},
        {" 2011-03-11T05:46:24.12\r\n", t},
        {"2011-03-11", at(2011, 3, 11, 0, 0, 0)},
        {"2012-02-29T00:00:00", at(2012, 2, 29, 0, 0, 0)},
        {"2011-02-29", std::nullopt},
        {"2011-3-11", std::nullopt},
        {"2011-03-11T24:00:00", std::nullopt},
        {"2011-03-11T05:46:24.", std::nullopt},
        {"2011-03-11T05:46:24.1234567891", std::nullopt},
        {"2011-03-11T05:46:24x", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        const auto got = parseTimeText(text);
        ASSERT_EQ(got.has_value(), expected.has_value()) << text;
        if (got) {
            EXPECT_NEAR(*got, *expected, 1e-6) << text;
        }
    }
    EXPECT_EQ(formatTimeText(t), "2011-03-11T05:46:24.120000");
    EXPECT_EQ(formatTimeText(at(2011, 3, 11, 5, 46, 59.9996), 3), "2011-03-11T05:47:00.000");
    EXPECT_EQ(formatTimeText(-0.5, 1), "1969-12-31T23:59:59.5");
    EXPECT_EQ(*epochFromDayOfYear(2011, 70, 5, 46, 24.12), t);
    const CalendarTime c = calendarFromEpoch(at(2012, 12, 31, 23, 59, 30));
    EXPECT_EQ(std::make_tuple(c.year, c.month, c.day, c.dayOfYear, c.hour, c.minute, c.second),
              std::make_tuple(2012, 12, 31, 366, 23, 59, 30.0));
}

TEST(ImportSac, BothByteOrdersAndHeaderVersionsGiveSamplesTimesAndMetadata) {
    const std::vector<float> samples = {0.5f, -1.25f, 3e6f, 7.0f, -0.0078125f};
    for (bool little : {false, true})
        for (int version : {6, 7}) {
            SCOPED_TRACE(std::string(little ? "little" : "big") + " v" + std::to_string(version));
            SacHeader h;
            h.setUndefined();
            h.i[NVHDR] = version;
            h.i[NPTS] = int32_t(samples.size());
            h.i[IFTYPE] = 1;
            h.i[LEVEN] = 1;
            for (auto [field, value] : {std::pair{NZYEAR, 2011}, {NZJDAY, 70}, {NZHOUR, 5}, {NZMIN, 40}, {NZSEC, 0}, {NZMSEC, 250}})
                h.i[field] = value;
            h.f[DELTA] = 0.05f;
            h.f[B] = 10.5f;
            h.f[7] = 384.0f;   // O: origin 384 s after the reference time
            h.f[STLA] = 34.9459f;
            h.f[STLO] = 253.5f;   // east of Greenwich, written 0..360
            h.f[EVLA] = 38.297f;
            h.f[EVLO] = 142.373f;
            h.f[EVDP] = 29000.0f;   // metres
            h.f[MAG] = 9.1f;
            h.f[CMPAZ] = 90.0f;
            h.f[CMPINC] = 90.0f;
            h.setText(KNETWK, "IU");
            h.setText(KSTNM, "ANMO");
            h.setText(2, "00");   // KHOLE
            h.setText(KCMPNM, "BH1");
            h.setText(KEVNM, "Tohoku");
            std::string file = encodeSac(h, samples);
            if (little) file = toLittleEndian(file);
            // The footer holds B to the microsecond, which a float cannot.
            const double preciseB = 10.123456;
            if (version == 7) {
                for (int i = 0; i < 22; ++i) appendDouble(file, i == 0 ? 0.05 : i == 1 ? preciseB : i == 3 ? 384.0 : -12345.0, little);
            }
            const auto order = sacByteOrder(file);
            ASSERT_TRUE(order);
            EXPECT_EQ(*order, little ? SacByteOrder::Little : SacByteOrder::Big);
            EXPECT_EQ(detectInputKind(file), InputKind::Sac);

            const FileContents fc = readSac(file, "IU.ANMO.00.BH1.M.2011.070.054624.SAC");
            ASSERT_TRUE(fc.error.empty()) << fc.error;
            ASSERT_EQ(fc.segments.size(), 1u);
            const TraceSegment& s = fc.segments[0];
            EXPECT_EQ(s.id, (ChannelId{"IU", "ANMO", "00", "BH1"}));
            EXPECT_EQ(s.samples, std::vector<double>(samples.begin(), samples.end()));
            EXPECT_EQ(s.sampleRate, 20.0);
            const double reference = at(2011, 3, 11, 5, 40, 0.25);
            EXPECT_NEAR(s.startTime, reference + (version == 7 ? preciseB : 10.5), 1e-6);
            ASSERT_EQ(fc.channels.size(), 1u);
            const ChannelMetadata& m = fc.channels[0];
            EXPECT_NEAR(m.latitude, 34.9459, 1e-4);
            EXPECT_NEAR(m.longitude, -106.5, 1e-4);
            EXPECT_EQ(m.azimuth, 90.0);
            EXPECT_EQ(m.dip, 0.0);
            const EventInfo& e = fc.event;
            EXPECT_NEAR(e.originTime.value_or(0), reference + 384.0, 1e-6);
            EXPECT_NEAR(e.depthKm.value_or(0), 29.0, 1e-3);
            EXPECT_NEAR(e.latitude.value_or(0), 38.297, 1e-4);
            EXPECT_NEAR(e.magnitude.value_or(0), 9.1, 1e-5);
            EXPECT_EQ(e.place, "Tohoku");
        }
}

TEST(ImportMiniSeed, EveryEncodingWithAGapAndTwoChannelsReadsBackExactly) {
    const double t0 = at(2011, 3, 11, 5, 46, 23.019531);
    const auto ramp = [](std::size_t n, double scale) {
        std::vector<double> v(n);
        for (std::size_t i = 0; i < n; ++i) v[i] = std::round(scale * std::sin(double(i) * 0.07) + double(i % 13) * 11 - 60);
        return v;
    };
    // Channel BHZ in two parts 7.5 s apart, BHN contiguous over many records.
    const TraceSegment parts[] = {
        {{"IU", "ANMO", "00", "BHZ"}, t0, 40.0, ramp(3000, 90000)},
        {{"IU", "ANMO", "00", "BHZ"}, t0 + 3000 / 40.0 + 7.5, 40.0, ramp(1500, 2000)},
        {{"IU", "ANMO", "00", "BHN"}, t0 + 0.0125, 40.0, ramp(5000, 300)},
    };
    const std::pair<MiniSeedEncoding, int> encodings[] = {{MiniSeedEncoding::Steim1, 512},
                                                          {MiniSeedEncoding::Steim2, 4096},
                                                          {MiniSeedEncoding::Int32, 512},
                                                          {MiniSeedEncoding::Float32, 1024},
                                                          {MiniSeedEncoding::Float64, 256}};
    const bool haveConverter = std::filesystem::exists("/usr/bin/mseed2sac");
    for (const auto& [encoding, reclen] : encodings) {
        SCOPED_TRACE(int(encoding));
        std::string file;
        for (const TraceSegment& p : parts) {
            const std::string packed = packMiniSeed(p, encoding, reclen);
            ASSERT_FALSE(packed.empty());
            ASSERT_EQ(packed.size() % std::size_t(reclen), 0u);
            file += packed;
        }
        EXPECT_EQ(detectInputKind(file), InputKind::MiniSeed);
        const FileContents fc = readMiniSeed(file, "data.mseed");
        ASSERT_TRUE(fc.error.empty()) << fc.error;
        EXPECT_TRUE(fc.warnings.empty()) << fc.warnings.front();
        ASSERT_EQ(fc.segments.size(), 3u);
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(fc.segments[k].id, parts[k].id);
            EXPECT_NEAR(fc.segments[k].startTime, parts[k].startTime, 1e-6);
            EXPECT_EQ(fc.segments[k].sampleRate, 40.0);
            EXPECT_EQ(fc.segments[k].samples, parts[k].samples);
        }
        if (!haveConverter) continue;
        // The field's converter decodes the same bytes to the same samples.
        TempDir dir;
        writeFile(dir / "in.mseed", file);
        const std::string cmd = "cd '" + dir.path() + "' && /usr/bin/mseed2sac -f 3 in.mseed >/dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        std::size_t compared = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            if (entry.path().extension() != ".SAC") continue;
            const FileContents theirs = readSac(readFile(entry.path().string()), entry.path().string());
            ASSERT_TRUE(theirs.error.empty()) << theirs.error;
            for (const TraceSegment& ours : fc.segments)
                if (ours.id == theirs.segments[0].id && std::fabs(ours.startTime - theirs.segments[0].startTime) < 1e-3) {
                    ASSERT_EQ(theirs.segments[0].samples.size(), ours.samples.size());
                    for (std::size_t i = 0; i < ours.samples.size(); ++i)
                        ASSERT_EQ(theirs.segments[0].samples[i], float(ours.samples[i])) << i;
                    ++compared;
                }
        }
        EXPECT_EQ(compared, 3u);
    }
}

TEST(ImportStations, StationTextAndStationXmlGiveCoordinatesOrientationAndSite) {
    const std::string channels =
        "#Network | Station | Location | Channel | Latitude | Longitude | Elevation | Depth | Azimuth | Dip | SensorDescription | Scale | ScaleFreq | ScaleUnits | SampleRate | StartTime | EndTime\n"
        "IU|ANMO|00|BH1|34.945981|-106.457133|1671.0|145.0|328.0|0.0|Streckeisen STS-6A VBB Seismometer|2.05e9|0.02|M/S|40.0|2018-07-09T20:45:00|\n"
        "IU|ANMO|00|BHZ|34.945981|-106.457133|1671.0|145.0|0.0|-90.0|Streckeisen STS-6A VBB Seismometer|2.05e9|0.02|M/S|40.0|2018-07-09T20:45:00|2599-12-31T23:59:59\n"
        "IU|BROKEN||BHZ|north|-106|1|0|0|-90|x|1|1|M/S|40|2018-01-01T00:00:00|\n";
    std::string error;
    auto list = readStationMetadata(channels, error);
    ASSERT_EQ(list.size(), 2u) << error;
    EXPECT_EQ(list[0].id, (ChannelId{"IU", "ANMO", "00", "BH1"}));
    EXPECT_EQ(std::make_tuple(list[0].latitude, list[0].longitude, list[0].elevation), std::make_tuple(34.945981, -106.457133, 1671.0));
    EXPECT_EQ(std::make_tuple(list[0].azimuth, list[0].dip, list[1].dip),
              std::make_tuple(std::optional(328.0), std::optional(0.0), std::optional(-90.0)));
    EXPECT_EQ(list[0].startTime, at(2018, 7, 9, 20, 45, 0));
    EXPECT_GT(list[0].endTime, 1e17);

    const std::string stations = "#Network|Station|Latitude|Longitude|Elevation|SiteName|StartTime|EndTime\n"
                                 "II|BFO|48.3319|8.3311|589.0|Black Forest Observatory, Schiltach, Germany|1996-05-29T00:00:00|\n";
    list = readStationMetadata(stations, error);
    ASSERT_EQ(list.size(), 1u) << error;
    EXPECT_EQ(list[0].id, (ChannelId{"II", "BFO", "", ""}));
    EXPECT_EQ(list[0].siteName, "Black Forest Observatory, Schiltach, Germany");
    EXPECT_EQ(detectInputKind(stations), InputKind::StationText);

    const std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<FDSNStationXML xmlns="http://www.fdsn.org/xml/station/1" schemaVersion="1.1">
 <Source>test</Source><Created>2024-01-01T00:00:00</Created>
 <Network code="IU" startDate="1988-01-01T00:00:00">
  <Description>Global Seismograph Network</Description>
  <Station code="ANMO" startDate="2002-11-19T21:07:00" endDate="2599-12-31T23:59:59">
   <Latitude>34.945910</Latitude><Longitude>-106.457200</Longitude><Elevation>1820.0</Elevation>
   <Site><Name>Albuquerque, New Mexico, USA</Name></Site>
   <Channel code="BH2" locationCode="10" startDate="2018-07-09T20:45:00">
    <Latitude>34.945981</Latitude><Longitude>-106.457133</Longitude><Elevation>1671</Elevation>
    <Depth>145</Depth><Azimuth>58</Azimuth><Dip>0</Dip>
    <Response><InstrumentSensitivity><Value>2e9</Value></InstrumentSensitivity></Response>
   </Channel>
   <Channel code="BHZ" locationCode="" startDate="2018-07-09T20:45:00">
    <Latitude>34.945981</Latitude><Longitude>-106.457133</Longitude><Elevation>1671</Elevation>
    <Dip>-90</Dip>
   </Channel>
  </Station>
  <Station code="COLA"><Latitude>64.8736</Latitude><Longitude>-147.8616</Longitude>
   <Site><Name>College Outpost, Alaska, USA</Name></Site></Station>
 </Network>
</FDSNStationXML>)";
    EXPECT_EQ(detectInputKind(xml), InputKind::StationXml);
    list = readStationMetadata(xml, error);
    ASSERT_EQ(list.size(), 3u) << error;
    EXPECT_EQ(list[0].id, (ChannelId{"IU", "ANMO", "10", "BH2"}));
    EXPECT_EQ(std::make_tuple(list[0].latitude, list[0].azimuth, list[0].dip, list[0].siteName),
              std::make_tuple(34.945981, std::optional(58.0), std::optional(0.0), std::string("Albuquerque, New Mexico, USA")));
    EXPECT_EQ(std::make_tuple(list[1].id.channel, list[1].azimuth.has_value(), list[1].dip),
              std::make_tuple(std::string("BHZ"), false, std::optional(-90.0)));
    EXPECT_EQ(list[2].id, (ChannelId{"IU", "COLA", "", ""}));
    EXPECT_EQ(std::make_tuple(list[2].longitude, list[2].siteName),
              std::make_tuple(-147.8616, std::string("College Outpost, Alaska, USA")));
}

TEST(ImportEvents, EventTextAndQuakeMlGiveOriginPlaceDepthAndMagnitude) {
    const std::string text =
        "#EventID | Time | Latitude | Longitude | Depth/km | Author | Catalog | Contributor | ContributorID | MagType | Magnitude | MagAuthor | EventLocationName\n"
        "3279407|2011-03-11T05:46:23.200|38.2963|142.498|19.7|ISC|ISC|ISC|16461282|MW|9.1|GCMT|NEAR EAST COAST OF HONSHU, JAPAN\n";
    std::string error;
    auto events = readEventMetadata(text, error);
    ASSERT_EQ(events.size(), 1u) << error;
    EXPECT_EQ(detectInputKind(text), InputKind::EventText);
    EXPECT_NEAR(*events[0].originTime, at(2011, 3, 11, 5, 46, 23.2), 1e-6);
    EXPECT_EQ(std::make_tuple(events[0].latitude, events[0].longitude, events[0].depthKm, events[0].magnitude),
              std::make_tuple(std::optional(38.2963), std::optional(142.498), std::optional(19.7), std::optional(9.1)));
    EXPECT_EQ(events[0].place, "NEAR EAST COAST OF HONSHU, JAPAN");
    EXPECT_EQ(events[0].eventId, "3279407");

    // The preferred origin and magnitude are the second ones; depth in metres.
    const std::string quakeml = R"(<?xml version="1.0" encoding="UTF-8"?>
<q:quakeml xmlns="http://quakeml.org/xmlns/bed/1.2" xmlns:q="http://quakeml.org/xmlns/quakeml/1.2">
 <eventParameters publicID="smi:local/catalog">
  <event publicID="smi:local/event/1">
   <preferredOriginID>smi:local/origin/b</preferredOriginID>
   <preferredMagnitudeID>smi:local/mag/b</preferredMagnitudeID>
   <type>earthquake</type>
   <description><type>region name</type><text>Near East Coast of Honshu, Japan</text></description>
   <origin publicID="smi:local/origin/a">
    <time><value>2011-03-11T05:46:24.120Z</value></time>
    <latitude><value>38.3</value></latitude><longitude><value>142.37</value></longitude>
    <depth><value>32000</value></depth>
   </origin>
   <origin publicID="smi:local/origin/b">
    <time><value>2011-03-11T05:46:23.000Z</value><uncertainty>0.5</uncertainty></time>
    <latitude><value>38.2963</value></latitude><longitude><value>142.498</value></longitude>
    <depth><value>19700.0</value><uncertainty>1000</uncertainty></depth>
    <quality><standardError>0.9</standardError></quality>
   </origin>
   <magnitude publicID="smi:local/mag/a"><mag><value>8.9</value></mag></magnitude>
   <magnitude publicID="smi:local/mag/b"><mag><value>9.1</value></mag><type>Mww</type></magnitude>
  </event>
 </eventParameters>
</q:quakeml>)";
    EXPECT_EQ(detectInputKind(quakeml), InputKind::QuakeMl);
    events = readEventMetadata(quakeml, error);
    ASSERT_EQ(events.size(), 1u) << error;
    EXPECT_NEAR(*events[0].originTime, at(2011, 3, 11, 5, 46, 23.0), 1e-6);
    EXPECT_EQ(std::make_tuple(events[0].latitude, events[0].longitude, events[0].magnitude, events[0].place),
              std::make_tuple(std::optional(38.2963), std::optional(142.498), std::optional(9.1),
                              std::string("Near East Coast of Honshu, Japan")));
    EXPECT_NEAR(*events[0].depthKm, 19.7, 1e-9);
}

TEST(ImportReaders, DamagedAndForeignFilesGiveReasonsAndKeepWhatDecodes) {
    SacHeader h;
    h.setUndefined();
    h.i[NVHDR] = 6;
    h.i[NPTS] = 100;
    for (int field : {NZYEAR, NZJDAY, NZHOUR, NZMIN, NZSEC, NZMSEC}) h.i[field] = field == NZYEAR ? 2011 : field == NZJDAY ? 70 : 0;
    h.f[DELTA] = 0.05f;
    h.f[B] = 0;
    h.setText(KSTNM, "ANMO");
    h.setText(KCMPNM, "BHZ");
    const std::string sac = encodeSac(h, std::vector<float>(100, 1.0f));
    ASSERT_TRUE(readSac(sac, "ok").error.empty());
    SacHeader noDelta = h;
    noDelta.f[DELTA] = kSacUndefined;
    SacHeader spectrum = h;
    spectrum.i[IFTYPE] = 2;
    SacHeader badDay = h;
    badDay.i[NZJDAY] = 400;
    const std::pair<const char*, std::string> sacCases[] = {
        {"truncated samples", sac.substr(0, kSacHeaderBytes + 40)},
        {"header only", sac.substr(0, 600)},
        {"no interval", encodeSac(noDelta, std::vector<float>(100, 1.0f))},
        {"spectrum", encodeSac(spectrum, std::vector<float>(100, 1.0f))},
        {"day 400", encodeSac(badDay, std::vector<float>(100, 1.0f))},
        {"text", "Hello, this is not a seismogram at all\n"},
    };
    for (const auto& [name, bytes] : sacCases) {
        const FileContents fc = readSac(bytes, name);
        EXPECT_TRUE(!fc.error.empty() && fc.segments.empty()) << name;
    }

    // miniSEED: garbage between records and a truncated last record are
    // reported, the records around them kept.
    const TraceSegment seg{{"GE", "WLF", "", "BHZ"}, at(2020, 1, 1, 0, 0, 0), 20.0, std::vector<double>(2000, 5.0)};
    const std::string packed = packMiniSeed(seg, MiniSeedEncoding::Steim2, 512);
    ASSERT_GT(packed.size(), 1024u);
    const std::string spliced = packed.substr(0, 512) + std::string(77, 'x') + packed.substr(512);
    FileContents fc = readMiniSeed(spliced, "spliced");
    ASSERT_TRUE(fc.error.empty()) << fc.error;
    ASSERT_EQ(fc.segments.size(), 1u);
    EXPECT_EQ(fc.segments[0].samples.size(), 2000u);
    ASSERT_EQ(fc.warnings.size(), 1u);
    EXPECT_NE(fc.warnings[0].find("77 bytes"), std::string::npos) << fc.warnings[0];
    fc = readMiniSeed(packed.substr(0, packed.size() - 100), "cut");
    ASSERT_EQ(fc.segments.size(), 1u);
    EXPECT_LT(fc.segments[0].samples.size(), 2000u);
    EXPECT_FALSE(fc.warnings.empty());
    std::string corrupt = packed.substr(0, 512);
    std::memset(corrupt.data() + 64, 0x7f, 448);   // Steim frames destroyed
    fc = readMiniSeed(corrupt, "corrupt");
    EXPECT_TRUE(!fc.error.empty() && fc.segments.empty());

    // Files are told apart by content, never by name.
    TempDir dir;
    writeFile(dir / "station.sac", "#Network|Station|Latitude|Longitude\nIU|ANMO|34|-106\n");
    writeFile(dir / "wave.xml", packed);
    writeFile(dir / "empty.mseed", "");
    std::filesystem::create_directory(dir / "folder.sac");
    EXPECT_NE(readInputFile(dir / "station.sac").error.find("station list"), std::string::npos);
    EXPECT_EQ(readInputFile(dir / "wave.xml").segments.size(), 1u);
    for (const char* name : {"empty.mseed", "folder.sac", "missing"}) EXPECT_FALSE(readInputFile(dir / name).error.empty()) << name;
}

// Valid files with random bytes overwritten and cut at random (fixed seed),
// through the fuzz harnesses and their checks: a failed check aborts.
TEST(ImportReaders, DamagedCopiesOfValidFilesPassTheReadersChecks) {
    SacHeader h;
    h.setUndefined();
    h.i[NVHDR] = 7;
    h.i[NPTS] = 64;
    for (int field : {NZYEAR, NZJDAY, NZHOUR, NZMIN, NZSEC, NZMSEC}) h.i[field] = field == NZYEAR ? 2011 : 1;
    h.f[DELTA] = 0.025f;
    h.f[B] = h.f[STLA] = h.f[STLO] = h.f[EVLA] = h.f[EVLO] = h.f[EVDP] = 1.0f;
    h.setText(KSTNM, "ANMO");
    h.setText(KCMPNM, "BHZ");
    const std::string sac = encodeSac(h, std::vector<float>(64, 2.5f)) + std::string(22 * 8, '\x3f');
    TraceSegment seg{{"IU", "ANMO", "00", "BHZ"}, 1e9, 40.0, {}};
    for (int n = 0; n < 900; ++n) seg.samples.push_back(double((n * 7919) % 2001 - 1000));
    const std::string mseed = packMiniSeed(seg, MiniSeedEncoding::Steim2, 256) + packMiniSeed(seg, MiniSeedEncoding::Float32, 512);
    const std::string xml = "<FDSNStationXML><Network code='IU'><Station code='ANMO'><Latitude>34</Latitude>"
                            "<Longitude>-106</Longitude><Channel code='BHZ'><Dip>-90</Dip></Channel>"
                            "</Station></Network></FDSNStationXML>";
    const std::string quakeml = "<quakeml><eventParameters><event><origin><time><value>2011-03-11T05:46:23Z"
                                "</value></time><depth><value>19700</value></depth></origin></event>"
                                "</eventParameters></quakeml>";
    const std::pair<int (*)(const uint8_t*, std::size_t), const std::string*> cases[] = {
        {fuzzImportSac, &sac}, {fuzzMiniSeed, &mseed}, {fuzzStationMeta, &xml}, {fuzzEventMeta, &quakeml}};
    std::mt19937 random(20240611u);
    for (const auto& [harness, valid] : cases)
        for (int n = 0; n < 400; ++n) {
            std::string file = *valid;
            for (int f = int(random() % 6); f > 0; --f) file[random() % file.size()] = static_cast<char>(random());
            if (random() % 3 == 0) file.resize(random() % file.size());
            harness(reinterpret_cast<const uint8_t*>(file.data()), file.size());
        }
}
