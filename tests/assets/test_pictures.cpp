#include "Assets.h"
#include "Pictures.h"

#include "views/MapProjection.h"

#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <unistd.h>

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

// Pixel of (lat, lon) on a world map placed as the map window does.
QPoint mapPixel(const QImage& map, double lat, double lon) {
    MapProjection proj;
    Rect r{0, 0, map.width(), map.height()};
    proj.leftLongitude = 65;
    proj.fitMap(360, -70, 75, r);
    int32_t x = 0, y = 0;
    proj.mapPoint(lat, lon, x, y);
    return {x, y};
}

const QImage& realEarth() {
    static const QImage img = loadEarthImage(kDefaultEarthImage);
    return img;
}

}  // namespace

TEST(Globe, BlackOutsideTheDiscNorthUpEastRightAndShadedGentlyToTheLimb) {
    const int size = 200;
    const QImage g = renderGlobe(EquirectSampler(blockEarth()), 45, size);
    ASSERT_EQ(g.size(), QSize(size, size));
    for (QPoint outside : {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size / 2 + 73, size / 2 + 73)})
        EXPECT_EQ(g.pixel(outside), qRgb(0, 0, 0));
    // Visible points show the block of their own latitude and longitude,
    // read from the red/blue ratio (shading scales all channels alike).
    for (auto [lat, lon] : {std::pair{5., 45.}, {35., 75.}, {-35., 15.}, {55., 5.}, {-65., 95.}, {25., 100.}}) {
        const QRgb c = g.pixel(globePixel(lat, lon, 45, size));
        ASSERT_GT(qBlue(c), 60) << lat << " " << lon;
        EXPECT_EQ(std::lround(qRed(c) * 255.0 / qBlue(c) / 7), lonBlock(lon)) << lat << " " << lon;
        EXPECT_EQ(std::lround(qGreen(c) * 255.0 / qBlue(c) / 14), latBlock(lat)) << lat << " " << lon;
    }
    QImage grey(360, 180, QImage::Format_RGB888);
    grey.fill(QColor(200, 200, 200));
    const QImage s = renderGlobe(EquirectSampler(grey), 0, 256);
    const int centre = qRed(s.pixel(128, 128)), halfway = qRed(s.pixel(192, 128)), rim = qRed(s.pixel(253, 128));
    EXPECT_GE(centre, 195);
    EXPECT_TRUE(centre > halfway && halfway > rim && rim > 60) << centre << " " << halfway << " " << rim;
    EXPECT_EQ(s.pixel(128 - 40, 145), s.pixel(128 + 39, 145));   // symmetric about the vertical axis
}

TEST(WorldMap, FrameStartsAt65EastAndSpans70SouthTo75North) {
    EXPECT_EQ(worldMapHeight(2048), 1227);
    EXPECT_NEAR(worldMapHeight(2048), 2048 * (mercatorOrdinate(75) - mercatorOrdinate(-70)) / 360, 1.0);
    const QImage map = renderWorldMap(EquirectSampler(blockEarth()), 720);
    ASSERT_EQ(map.size(), QSize(720, worldMapHeight(720)));
    for (auto [lat, lon] : {std::pair{5., 85.}, {45., 175.}, {-45., -115.}, {65., -45.}, {-65., 25.}, {15., 55.}, {-5., 67.}}) {
        const QPoint at = mapPixel(map, lat, lon);
        ASSERT_TRUE(map.rect().contains(at)) << lat << " " << lon;
        EXPECT_EQ(qRed(map.pixel(at)), 7 * lonBlock(lon)) << lat << " " << lon;
        EXPECT_EQ(qGreen(map.pixel(at)), 14 * latBlock(lat)) << lat << " " << lon;
    }
    // Left column just east of 65 E, right one just west; top near 75 N,
    // bottom just north of 70 S, where blocks 15 and 16 meet.
    EXPECT_EQ(qRed(map.pixel(0, map.height() / 2)), 7 * lonBlock(65.2));
    EXPECT_EQ(qRed(map.pixel(map.width() - 1, map.height() / 2)), 7 * lonBlock(64.8));
    EXPECT_EQ(qGreen(map.pixel(10, 0)), 14 * latBlock(74.8));
    const int bottom = qGreen(map.pixel(10, map.height() - 1));
    EXPECT_TRUE(bottom >= 14 * latBlock(-69.8) && bottom < 14 * latBlock(-70.2)) << bottom;
    EXPECT_EQ(qGreen(map.pixel(10, map.height() - 4)), 14 * latBlock(-69.8));
}

TEST(RealEarth, OceanAndLandWhereExpectedAndTheMapMatchesTheSource) {
    if (realEarth().isNull()) GTEST_SKIP() << "no Earth picture installed";
    const EquirectSampler earth(realEarth());
    const QImage g0 = renderGlobe(earth, 0, 256), g180 = renderGlobe(earth, 180, 256);
    const QRgb ocean = g0.pixel(globePixel(-2, -5, 0, 256)), sahara = g0.pixel(globePixel(23, 12, 0, 256)),
               pacific = g180.pixel(128, 128);
    EXPECT_GT(qBlue(ocean), qRed(ocean) + 10);   // Gulf of Guinea
    EXPECT_GT(qRed(sahara), qBlue(sahara) + 30);
    EXPECT_GT(qBlue(pacific), qRed(pacific) + 10);

    const QImage map = renderWorldMap(earth, 2048);
    const double m0 = mercatorOrdinate(-70), m1 = mercatorOrdinate(75);
    // Independent inverse: the analytic Mercator latitude of a pixel centre.
    int close = 0, total = 0;
    for (int j = 7; j < map.height(); j += 97)
        for (int i = 3; i < map.width(); i += 131, ++total) {
            const double m = m1 - (j + 0.5) * (m1 - m0) / map.height();
            const double lat = (2 * std::atan(std::exp(m * kDeg)) - 90 * kDeg) / kDeg;
            const double lon = std::remainder(65 + (i + 0.5) * 360.0 / map.width(), 360.0);
            float rgb[3];
            earth.sample(lat, lon, rgb);
            const QRgb c = map.pixel(i, j);
            close += std::abs(qRed(c) - rgb[0]) <= 3 && std::abs(qGreen(c) - rgb[1]) <= 3 && std::abs(qBlue(c) - rgb[2]) <= 3;
        }
    EXPECT_GE(close, total * 95 / 100) << close << " of " << total;
    const QRgb ice = map.pixel(mapPixel(map, 72, -40));   // Greenland
    EXPECT_TRUE(qRed(ice) > 180 && qBlue(ice) > 180);
}

TEST(Welcome, DrawnPictureHasItsSizeAndContent) {
    const QImage w = renderWelcome();
    ASSERT_EQ(w.size(), QSize(800, 600));
    const QRgb core = w.pixel(400, 366);   // the bright inner core
    EXPECT_TRUE(qRed(core) > 200 && qGreen(core) > 180);
    bool gold = false;   // the title's golden letters in the top band
    for (int y = 30; y < 110; ++y)
        for (int x = 200; x < 600; ++x) {
            const QRgb c = w.pixel(x, y);
            gold = gold || (qRed(c) > 220 && qGreen(c) > 190 && qBlue(c) < 140);
        }
    EXPECT_TRUE(gold);
    EXPECT_EQ(w, renderWelcome());
}

TEST(Bmp, SavedAs24BitAndDeterministic) {
    const auto dir = std::filesystem::temp_directory_path() / ("ovassets_test_bmp" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const QImage g = renderGlobe(EquirectSampler(blockEarth()), 90, 64);
    const std::string a = (dir / "a.bmp").string(), b = (dir / "b.bmp").string();
    ASSERT_TRUE(saveBmp24(g, a) && saveBmp24(renderGlobe(EquirectSampler(blockEarth()), 90, 64), b));
    const auto bytes = [](const std::string& p) {
        std::ifstream f(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    const std::string ba = bytes(a);
    ASSERT_GT(ba.size(), 54u);
    EXPECT_EQ(ba.substr(0, 2), "BM");
    EXPECT_EQ(ba[28] | (ba[29] << 8), 24);   // bits per pixel
    EXPECT_EQ(ba, bytes(b));
    EXPECT_EQ(QImage(QString::fromStdString(a)).pixel(32, 32), g.pixel(32, 32));
    EXPECT_FALSE(saveBmp24(g, (dir / "no" / "such" / "dir.bmp").string()));
    std::filesystem::remove_all(dir);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
