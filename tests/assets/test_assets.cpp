// The installation's pictures, station list and texts: pixels where the geometry puts them, files that
// read back through the system's readers.
#include "Assets.h"
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

// A synthetic Earth in 10-degree blocks: red encodes the longitude block (0 for -180..-170 up to 35), green
// the latitude block (0 for 90..80 N up to 17), blue is constant. Block interiors sample to exact values.
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

}   // namespace

TEST(Globe, BlackOutsideTheDiscNorthUpEastRightAndShadedGentlyToTheLimb) {
    const QImage g = renderGlobe(EquirectSampler(blockEarth()), 45, 200);
    ASSERT_EQ(g.size(), QSize(200, 200));
    for (QPoint outside : {QPoint(0, 0), QPoint(199, 0), QPoint(0, 199), QPoint(173, 173)}) EXPECT_EQ(g.pixel(outside), qRgb(0, 0, 0));
    // Visible points show the block of their own place, read from the red/blue ratio (shading scales alike).
    for (auto [lat, lon] : {std::pair{5., 45.}, {35., 75.}, {-35., 15.}, {55., 5.}, {-65., 95.}, {25., 100.}}) {
        const QRgb c = g.pixel(globePixel(lat, lon, 45, 200));
        EXPECT_TRUE(qBlue(c) > 60 && std::lround(qRed(c) * 255.0 / qBlue(c) / 7) == lonBlock(lon)
                    && std::lround(qGreen(c) * 255.0 / qBlue(c) / 14) == latBlock(lat))
            << lat << " " << lon;
    }
    QImage grey(360, 180, QImage::Format_RGB888);
    grey.fill(QColor(200, 200, 200));
    const QImage shaded = renderGlobe(EquirectSampler(grey), 0, 256);   // lit in the middle, the limb still visible
    EXPECT_TRUE(qRed(shaded.pixel(128, 128)) >= 195 && qRed(shaded.pixel(253, 128)) > 60
                && shaded.pixel(88, 145) == shaded.pixel(167, 145));
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
    // Left column just east of 65 E, right one just west; top near 75 N, bottom just north of 70 S.
    const int bottom = qGreen(map.pixel(10, map.height() - 1));
    EXPECT_TRUE(qRed(map.pixel(0, 300)) == 7 * lonBlock(65.2) && qRed(map.pixel(719, 300)) == 7 * lonBlock(64.8)
                && qGreen(map.pixel(10, 0)) == 14 * latBlock(74.8) && qGreen(map.pixel(10, map.height() - 4)) == 14 * latBlock(-69.8));
    EXPECT_TRUE(bottom >= 14 * latBlock(-69.8) && bottom < 14 * latBlock(-70.2)) << bottom;
}

TEST(Pictures, BmpFilesReadBackPixelForPixelAndAnUnusableFolderFails) {
    EXPECT_EQ(renderWelcome().size(), QSize(800, 600));
    const fs::path dir = fs::temp_directory_path() / ("ovassets_test" + std::to_string(getpid()));
    fs::create_directories(dir);
    const QImage g = renderGlobe(EquirectSampler(blockEarth()), 90, 63);   // rows padded to four bytes
    ASSERT_TRUE(saveBmp24(g, (dir / "a.bmp").string()));
    const std::string a = readFile(dir / "a.bmp");
    EXPECT_TRUE(a.size() > 54u && a.substr(0, 2) == "BM" && (a[28] | (a[29] << 8)) == 24);   // 24 bits
    EXPECT_EQ(QImage(QString::fromStdString((dir / "a.bmp").string())).convertToFormat(g.format()), g);
    EXPECT_FALSE(saveBmp24(g, (dir / "no" / "such" / "dir.bmp").string()));
    fs::remove_all(dir);
}

TEST(StationList, EveryLineReadsBackWithItsNameAndPlace) {
    std::set<std::string> codes;
    for (const GsnStation& s : gsnStations()) {
        const StationRecord r = parseStationLine(stationLine(s));
        const std::string network = s.network;   // as a seismogram header keeps it: 1 to 8 capitals or digits
        EXPECT_TRUE(std::fabs(r.latitude - s.latitude) < 0.01 && std::fabs(r.longitude - s.longitude) < 0.01 && r.stationName == s.code
                    && r.description == s.description && codes.insert(s.code).second && !network.empty() && network.size() <= 8
                    && std::all_of(network.begin(), network.end(), [](unsigned char c) { return std::isupper(c) || std::isdigit(c); }))
            << s.code;
    }
    EXPECT_GE(codes.size(), 40u);
}

TEST(Texts, InfoTextsLeadOnAndHelpPagesAreWellFormed) {
    std::set<std::string> names;
    for (const NamedText& t : infoTexts()) names.insert(t.name);
    EXPECT_TRUE(names.count("3D.INF") && names.count("XS.INF") && names.count("SEIS.INF") && names.count("MAP_EV.INF")
                && names.count("MAP_ST.INF"));
    for (const NamedText& t : infoTexts()) {
        std::istringstream lines(t.contents);
        for (std::string line; std::getline(lines, line);) EXPECT_LT(line.size(), 99u) << t.name << ": " << line;
        std::string shown = formatInfoText(t.contents), value;   // in paragraphs, no mark-up left, every more leads on
        EXPECT_NE(shown.find("\r\n\r\n"), std::string::npos) << t.name;
        EXPECT_EQ(findTag(shown, "more", value), t.contents.find("<more") != std::string::npos) << t.name;
        EXPECT_TRUE((value.empty() || names.count(value)) && shown.find('<') == std::string::npos) << t.name << " -> " << value;
    }
    std::vector<int> topics = helpTopics();   // one page for every topic the programs open
    std::sort(topics.begin(), topics.end());
    EXPECT_EQ(topics, (std::vector<int>{0, 1002, 1005, 1013, 1015, 1016, 1019, 1020, 1022, 1024, 1050, 1051}));
    std::map<std::string, std::string> pages;
    for (const NamedText& p : helpPages()) pages[p.name] = p.contents;
    for (int t : topics) {
        const std::string name = "help/" + std::to_string(t) + ".html", html = pages[name];
        EXPECT_TRUE(html.rfind("<!DOCTYPE html>", 0) == 0 && html.find("<title>") != std::string::npos
                    && html.find("</html>") != std::string::npos)
            << name;
        if (t) {
            EXPECT_NE(pages["help/0.html"].find("href=\"" + std::to_string(t) + ".html\""), std::string::npos) << t;
        }
        const std::regex link("href=\"([^\"]+)\"");
        for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it)
            EXPECT_TRUE(pages.count("help/" + (*it)[1].str())) << name << " -> " << (*it)[1];   // no broken link
    }
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
