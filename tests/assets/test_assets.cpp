// The installation's pictures, music and texts: pixels where the geometry puts them, well-formed
// files that read back through the system's readers, the same bytes on every run.
#include "Assets.h"
#include "Midi.h"
#include "Music.h"
#include "Pictures.h"
#include "Stations.h"
#include "Texts.h"

#include "data/InfoText.h"
#include "data/RunSetup.h"
#include "views/MapProjection.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

// A synthetic Earth in 10-degree blocks: red encodes the longitude block
// (0 for -180..-170 up to 35), green the latitude block (0 for 90..80 N up
// to 17), blue is constant. Block interiors sample to exact values.
QImage blockEarth() {
    QImage img(720, 360, QImage::Format_RGB888);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb(7 * (x / 20), 14 * (y / 20), 255));
    return img;
}
int lonBlock(double lon) { return int(std::floor((lon + 180) / 10)); }
int latBlock(double lat) { return int(std::floor((90 - lat) / 10)); }

// Pixel of (lat, lon) on a globe of `size` pixels centred at `centre`.
QPoint globePixel(double lat, double lon, double centre, int size) {
    const double x = std::cos(lat * kDeg) * std::sin((lon - centre) * kDeg), y = -std::sin(lat * kDeg);
    return {int(size / 2.0 + x * size / 2.0), int(size / 2.0 + y * size / 2.0)};
}

std::string readFile(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// A strict reader of the Standard MIDI Files the writer makes (one tempo,
// no running status): it walks every chunk and event and reports the first
// malformed one.
struct ParsedMidi {
    std::string error;   // empty when well formed
    int format = -1, trackCount = 0, notesOn = 0, unmatchedOffs = 0, hangingNotes = 0;
    uint32_t endTick = 0;   // latest end-of-track
    double seconds = 0, secondsPerTick = 0;
    std::set<int> programs, drumKeys;
};

ParsedMidi parseMidi(const std::vector<uint8_t>& b) {
    ParsedMidi m;
    const auto be = [&b](size_t p, int n) { uint32_t v = 0; while (n--) v = v << 8 | b[p++]; return v; };
    const auto varLen = [&b](size_t& p, size_t end, uint32_t& v) {
        v = 0;
        for (int k = 0; k < 4 && p < end; ++k)
            if (v = (v << 7) | (b[p] & 0x7F); !(b[p++] & 0x80)) return true;
        return false;
    };
    const auto fail = [&m](const std::string& why) { m.error = why; return m; };
    if (b.size() < 14 || std::string(b.begin(), b.begin() + 4) != "MThd" || be(4, 4) != 6) return fail("header");
    m.format = int(be(8, 2)), m.trackCount = int(be(10, 2));
    const uint32_t division = be(12, 2);
    if (division == 0 || (division & 0x8000)) return fail("division");
    m.secondsPerTick = 0.5 / division;   // until a tempo says otherwise
    int tracksRead = 0;
    for (size_t p = 14; p < b.size(); ++tracksRead) {
        if (p + 8 > b.size() || std::string(b.begin() + long(p), b.begin() + long(p) + 4) != "MTrk") return fail("chunk");
        const size_t end = p + 8 + be(p + 4, 4);
        uint32_t tick = 0, delta, len;
        bool ended = false;
        std::map<int, int> sounding;   // channel * 128 + key -> count
        for (p += 8; p < end;) {
            if (end > b.size() || ended || !varLen(p, end, delta) || p + 1 >= end || !(b[p] & 0x80)) return fail("event");
            tick += delta;
            const int status = b[p++], kind = status & 0xF0, channel = status & 0x0F;
            if (status == 0xFF) {
                const uint8_t type = b[p++];
                if (!varLen(p, end, len) || p + len > end || (type == 0x51 && len != 3) || (type == 0x2F && len != 0))
                    return fail("meta event");
                if (type == 0x51) m.secondsPerTick = be(p, 3) / 1e6 / division;
                if (type == 0x2F) ended = true, m.endTick = std::max(m.endTick, tick);
                p += len;
                continue;
            }
            const size_t dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
            if (kind == 0xF0 || p + dataBytes > end || ((b[p] | b[p + dataBytes - 1]) & 0x80)) return fail("channel event");
            const int key = b[p], slot = channel * 128 + key;
            if (kind == 0xC0) m.programs.insert(key);
            if (kind == 0x90 && b[p + 1] > 0) {
                ++m.notesOn, ++sounding[slot];
                if (channel == 9) m.drumKeys.insert(key);
            } else if ((kind == 0x80 || kind == 0x90) && sounding[slot]-- == 0) {
                ++m.unmatchedOffs, sounding[slot] = 0;
            }
            p += dataBytes;
        }
        if (!ended) return fail("track without end-of-track");
        for (auto [k, n] : sounding) m.hangingNotes += n;
    }
    m.seconds = m.endTick * m.secondsPerTick;
    return tracksRead == m.trackCount ? m : fail("track count differs from the header");
}

}  // namespace

TEST(Globe, BlackOutsideTheDiscNorthUpEastRightAndShadedGentlyToTheLimb) {
    const QImage g = renderGlobe(EquirectSampler(blockEarth()), 45, 200);
    ASSERT_EQ(g.size(), QSize(200, 200));
    for (QPoint outside : {QPoint(0, 0), QPoint(199, 0), QPoint(0, 199), QPoint(173, 173)}) EXPECT_EQ(g.pixel(outside), qRgb(0, 0, 0));
    // Visible points show the block of their own latitude and longitude,
    // read from the red/blue ratio (shading scales all channels alike).
    for (auto [lat, lon] : {std::pair{5., 45.}, {35., 75.}, {-35., 15.}, {55., 5.}, {-65., 95.}, {25., 100.}}) {
        const QRgb c = g.pixel(globePixel(lat, lon, 45, 200));
        EXPECT_TRUE(qBlue(c) > 60 && std::lround(qRed(c) * 255.0 / qBlue(c) / 7) == lonBlock(lon) &&
                    std::lround(qGreen(c) * 255.0 / qBlue(c) / 14) == latBlock(lat)) << lat << " " << lon;
    }
    QImage grey(360, 180, QImage::Format_RGB888);
    grey.fill(QColor(200, 200, 200));
    const QImage s = renderGlobe(EquirectSampler(grey), 0, 256);
    const int centre = qRed(s.pixel(128, 128)), halfway = qRed(s.pixel(192, 128)), rim = qRed(s.pixel(253, 128));
    EXPECT_TRUE(centre >= 195 && centre > halfway && halfway > rim && rim > 60) << centre << " " << halfway << " " << rim;
    EXPECT_EQ(s.pixel(128 - 40, 145), s.pixel(128 + 39, 145));   // symmetric about the vertical axis
}

TEST(WorldMap, FrameStartsAt65EastAndSpans70SouthTo75North) {
    EXPECT_EQ(worldMapHeight(2048), 1227);   // 2048 * (mercator(75) - mercator(-70)) / 360
    const QImage map = renderWorldMap(EquirectSampler(blockEarth()), 720);
    ASSERT_EQ(map.size(), QSize(720, worldMapHeight(720)));
    MapProjection proj;   // placed as the map window does
    Rect rect{0, 0, map.width(), map.height()};
    proj.leftLongitude = 65;
    proj.fitMap(360, -70, 75, rect);
    for (auto [lat, lon] : {std::pair{5., 85.}, {45., 175.}, {-45., -115.}, {65., -45.}, {-65., 25.}, {15., 55.}, {-5., 67.}}) {
        int32_t x = 0, y = 0;
        proj.mapPoint(lat, lon, x, y);
        ASSERT_TRUE(map.rect().contains(x, y)) << lat << " " << lon;
        EXPECT_EQ(map.pixel(x, y), qRgb(7 * lonBlock(lon), 14 * latBlock(lat), 255)) << lat << " " << lon;
    }
    // Left column just east of 65 E, right one just west; top near 75 N,
    // bottom just north of 70 S, where blocks 15 and 16 meet.
    const int bottom = qGreen(map.pixel(10, map.height() - 1));
    EXPECT_TRUE(qRed(map.pixel(0, 300)) == 7 * lonBlock(65.2) && qRed(map.pixel(719, 300)) == 7 * lonBlock(64.8) &&
                qGreen(map.pixel(10, 0)) == 14 * latBlock(74.8) && qGreen(map.pixel(10, map.height() - 4)) == 14 * latBlock(-69.8));
    EXPECT_TRUE(bottom >= 14 * latBlock(-69.8) && bottom < 14 * latBlock(-70.2)) << bottom;
}

TEST(Pictures, WelcomeAndBmpFilesAreDrawnAndSavedTheSameEveryTime) {
    const QImage w = renderWelcome();
    const QRgb core = w.pixel(400, 366);   // the bright inner core
    EXPECT_TRUE(w.size() == QSize(800, 600) && qRed(core) > 200 && qGreen(core) > 180 && w == renderWelcome());
    const fs::path dir = fs::temp_directory_path() / ("ovassets_test" + std::to_string(getpid()));
    fs::create_directories(dir);
    const QImage g = renderGlobe(EquirectSampler(blockEarth()), 90, 64);
    ASSERT_TRUE(saveBmp24(g, (dir / "a.bmp").string()) && saveBmp24(renderGlobe(EquirectSampler(blockEarth()), 90, 64), (dir / "b.bmp").string()));
    const std::string a = readFile(dir / "a.bmp");
    EXPECT_TRUE(a.size() > 54u && a.substr(0, 2) == "BM" && (a[28] | (a[29] << 8)) == 24 && a == readFile(dir / "b.bmp"));   // 24 bits
    EXPECT_EQ(QImage(QString::fromStdString((dir / "a.bmp").string())).pixel(32, 32), g.pixel(32, 32));
    EXPECT_FALSE(saveBmp24(g, (dir / "no" / "such" / "dir.bmp").string()));
    fs::remove_all(dir);
}

TEST(Music, VariableLengthQuantitiesOrderedEventsClosedTracksAndTheTwoTunes) {
    for (const auto& [value, bytes] : std::vector<std::pair<uint32_t, std::vector<uint8_t>>>{
             {0, {0x00}}, {0x7F, {0x7F}}, {0x80, {0x81, 0x00}}, {0x2000, {0xC0, 0x00}}, {0x3FFF, {0xFF, 0x7F}},
             {0x4000, {0x81, 0x80, 0x00}}, {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}}}) {
        std::vector<uint8_t> out;
        appendVarLen(out, value);
        EXPECT_EQ(out, bytes) << value;
    }
    MidiFile f(96);
    MidiTrack& t = f.addTrack();
    t.tempo(0, 1000000);   // one quarter per second
    t.note(96, 96, 0, 60, 100);
    t.note(192, 48, 0, 60, 100);   // same key again right at the note-off
    t.programChange(0, 0, 5);
    const ParsedMidi m = parseMidi(f.bytes(400));
    ASSERT_EQ(m.error, "");
    EXPECT_EQ(std::vector<int>({m.format, m.trackCount, m.notesOn, m.unmatchedOffs, m.hangingNotes}), std::vector<int>({0, 1, 2, 0, 0}));
    EXPECT_NEAR(m.seconds, 400.0 / 96, 1e-9);
    EXPECT_EQ(parseMidi(f.bytes(10)).endTick, 240u);   // events past the end: closed at the last one
    // The welcome tune: half a minute on several instruments; the rumble: three seconds with a bass drum.
    const std::vector<uint8_t> tune = welcomeTuneBytes(), rumble = quakeRumbleBytes();
    const ParsedMidi w = parseMidi(tune), r = parseMidi(rumble);
    ASSERT_EQ(w.error + r.error, "");
    EXPECT_TRUE(w.format == 1 && w.trackCount >= 3 && w.notesOn > 100 && w.programs.size() >= 3u) << w.trackCount;
    EXPECT_TRUE(w.seconds >= 20.0 && w.seconds <= 40.0 && std::fabs(r.seconds - 3) < 0.3 && r.drumKeys.count(35)) << w.seconds;
    EXPECT_EQ(w.unmatchedOffs + w.hangingNotes + r.unmatchedOffs + r.hangingNotes, 0);
    EXPECT_TRUE(tune == welcomeTuneBytes() && rumble == quakeRumbleBytes());
}

TEST(StationList, EveryLineReadsBackWithItsNameAndPlace) {
    const auto stations = gsnStations();
    ASSERT_GE(stations.size(), 40u);
    std::set<std::string> codes;
    for (const GsnStation& s : stations) {
        const std::string line = stationLine(s);
        const StationRecord r = parseStationLine(line);
        EXPECT_TRUE(line.size() < 89u && line[39] == ' ' && std::fabs(r.latitude - s.latitude) < 0.01 &&
                    std::fabs(r.longitude - s.longitude) < 0.01) << line;
        EXPECT_EQ(r.stationName + "|" + r.description, std::string(s.code) + "|" + s.description);
        const std::string network = s.network;   // as a SAC header keeps it: 1 to 8 capitals or digits
        EXPECT_TRUE(codes.insert(s.code).second && !network.empty() && network.size() <= 8 &&
                    std::all_of(network.begin(), network.end(), [](unsigned char c) { return std::isupper(c) || std::isdigit(c); })) << s.code;
    }
    EXPECT_EQ(stationLine(stations[0]).substr(0, 8) + stationLine(stations[0]).substr(40), "ANMO    34.9459N 106.4572W");
}

TEST(Texts, InfoTextsLeadOnAndHelpPagesAreWellFormed) {
    std::set<std::string> names;
    for (const NamedText& t : infoTexts()) names.insert(t.name);
    EXPECT_TRUE(names.count("3D.INF") && names.count("XS.INF") && names.count("SEIS.INF") && names.count("MAP_EV.INF") && names.count("MAP_ST.INF"));
    int withPre = 0;
    for (const NamedText& t : infoTexts()) {
        std::istringstream lines(t.contents);
        for (std::string line; std::getline(lines, line);) EXPECT_LT(line.size(), 99u) << t.name << ": " << line;
        std::string shown = formatInfoText(t.contents), value;   // in paragraphs, no mark-up left, every more leads on
        EXPECT_NE(shown.find("\r\n\r\n"), std::string::npos) << t.name;
        if (t.contents.find("<PRE>") != std::string::npos) withPre += shown.find("\r\n  ") != std::string::npos;
        EXPECT_EQ(findTag(shown, "more", value), t.contents.find("<more") != std::string::npos) << t.name;
        EXPECT_TRUE((value.empty() || names.count(value)) && shown.find('<') == std::string::npos) << t.name << " -> " << value;
        if (t.name == "3D.INF") { EXPECT_EQ(value, "WAVES.INF"); }
    }
    EXPECT_GE(withPre, 3);   // preformatted lines of their own

    std::vector<int> topics = helpTopics();   // one page for every topic the programs open
    std::sort(topics.begin(), topics.end());
    EXPECT_EQ(topics, (std::vector<int>{0, 1002, 1005, 1013, 1015, 1016, 1019, 1020, 1022, 1024}));
    std::map<std::string, std::string> pages;
    for (const NamedText& p : helpPages()) pages[p.name] = p.contents;
    for (int t : topics) {
        const std::string name = "help/" + std::to_string(t) + ".html", html = pages[name];
        EXPECT_TRUE(html.rfind("<!DOCTYPE html>", 0) == 0 && html.find("<title>") != std::string::npos && html.find("</html>") != std::string::npos) << name;
        if (t) { EXPECT_NE(pages["help/0.html"].find("href=\"" + std::to_string(t) + ".html\""), std::string::npos) << t; }
        // No bare ampersands, every link to an existing page.
        EXPECT_FALSE(std::regex_search(html, std::regex("&(?![a-z]+;)"))) << name;
        const std::regex link("href=\"([^\"]+)\"");
        for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it)
            EXPECT_TRUE(pages.count("help/" + (*it)[1].str())) << name << " -> " << (*it)[1];
    }
    EXPECT_NE(pages["help/1022.html"].find("Station Components"), std::string::npos);
}

TEST(Writers, FilesLandInTheFolderAndRepeatByteForByte) {
    const fs::path dir = fs::temp_directory_path() / ("ovassets_test_writers" + std::to_string(getpid()));
    ASSERT_TRUE(writeStationList(dir.string()) && writeInfoTexts(dir.string()) && writeHelpPages(dir.string()) && writeMusic(dir.string()));
    EXPECT_TRUE(fs::is_regular_file(dir / "MAP_ST.INF") && fs::is_regular_file(dir / "EQ.MID") && fs::is_regular_file(dir / "help/1024.html"));
    const std::string stations = readFile(dir / "ZURIVI.STA"), tune = readFile(dir / "OV.MID");
    ASSERT_TRUE(writeMusic(dir.string()));
    EXPECT_TRUE(std::count(stations.begin(), stations.end(), '\n') == long(gsnStations().size()) && readFile(dir / "OV.MID") == tune);
    std::string shown = readInfoText((dir / "XS.INF").string()).value_or(""), value;   // the core reader finds the tag
    std::ofstream(dir / "blocker") << "a file, not a folder";   // an unusable folder is a failure
    EXPECT_TRUE(findTag(shown, "more", value) && value == "CORE.INF" && !writeStationList((dir / "blocker" / "sub").string()));
    fs::remove_all(dir);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
