#include "Pictures.h"

#include "views/MapProjection.h"

#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

// A synthetic Earth in 10-degree blocks: red encodes the longitude block
// (0 for -180..-170 up to 35), green the latitude block (0 for 90..80 N up
// to 17), blue is constant. Block interiors sample to exact values.
QImage blockEarth()
{
    QImage img(720, 360, QImage::Format_RGB888);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(7 * (x / 20), 14 * (y / 20), 255));
    return img;
}

int lonBlock(double lon) { return static_cast<int>(std::floor((lon + 180) / 10)); }
int latBlock(double lat) { return static_cast<int>(std::floor((90 - lat) / 10)); }

// Pixel of (lat, lon) on a globe of `size` pixels centred at `centre`.
QPoint globePixel(double lat, double lon, double centre, int size)
{
    const double x = std::cos(lat * kDeg) * std::sin((lon - centre) * kDeg);
    const double y = -std::sin(lat * kDeg);
    return {static_cast<int>(size / 2.0 + x * size / 2.0), static_cast<int>(size / 2.0 + y * size / 2.0)};
}

QImage realEarth()
{
    static QImage img = loadEarthImage("/usr/share/xplanet/images/earth.jpg");
    return img;
}

}  // namespace

TEST(Globe, BlackOutsideTheDiscAndNorthUpEastRight)
{
    const EquirectSampler earth(blockEarth());
    const int size = 200;
    const QImage g = renderGlobe(earth, 45, size);
    ASSERT_EQ(g.width(), size);
    ASSERT_EQ(g.height(), size);
    for (QPoint corner : {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size - 1, size - 1),
                          QPoint(size / 2 + 73, size / 2 + 73)})
        EXPECT_EQ(g.pixel(corner), qRgb(0, 0, 0));

    // Points on the visible hemisphere show the block of their own latitude
    // and longitude: recover the block from the red/blue ratio (shading
    // scales all channels alike).
    struct Place { double lat, lon; };
    for (Place p : std::vector<Place>{{5, 45}, {35, 75}, {-35, 15}, {55, 5}, {-65, 95}, {25, 100}}) {
        const QPoint px = globePixel(p.lat, p.lon, 45, size);
        const QRgb c = g.pixel(px);
        ASSERT_GT(qBlue(c), 60) << p.lat << " " << p.lon;
        EXPECT_EQ(std::lround(qRed(c) * 255.0 / qBlue(c) / 7), lonBlock(p.lon)) << p.lat << " " << p.lon;
        EXPECT_EQ(std::lround(qGreen(c) * 255.0 / qBlue(c) / 14), latBlock(p.lat)) << p.lat << " " << p.lon;
    }
}

TEST(Globe, LimbIsDarkerThanCentreButNotBlack)
{
    QImage grey(360, 180, QImage::Format_RGB888);
    grey.fill(QColor(200, 200, 200));
    const int size = 256;
    const QImage g = renderGlobe(EquirectSampler(grey), 0, size);
    const int centre = qRed(g.pixel(size / 2, size / 2));
    const int halfway = qRed(g.pixel(size / 2 + size / 4, size / 2));
    const int nearRim = qRed(g.pixel(size - 3, size / 2));
    EXPECT_GE(centre, 195);
    EXPECT_LT(halfway, centre);
    EXPECT_LT(nearRim, halfway);
    EXPECT_GT(nearRim, 60);   // gentle: the rim is still clearly lit
    // Symmetric about the vertical axis.
    EXPECT_EQ(g.pixel(size / 2 - 40, size / 2 + 17), g.pixel(size / 2 + 39, size / 2 + 17));
}

TEST(Globe, RealEarthShowsOceanAndLandWhereExpected)
{
    const QImage source = realEarth();
    if (source.isNull()) GTEST_SKIP() << "Earth picture of the xplanet-images package not installed";
    const EquirectSampler earth(source);
    const int size = 256;
    const QImage g0 = renderGlobe(earth, 0, size);
    // Gulf of Guinea at the centre of view 0: deep blue ocean.
    const QRgb ocean = g0.pixel(globePixel(-2, -5, 0, size));
    EXPECT_GT(qBlue(ocean), qRed(ocean) + 10);
    // The Sahara: sand, red above blue.
    const QRgb sahara = g0.pixel(globePixel(23, 12, 0, size));
    EXPECT_GT(qRed(sahara), qBlue(sahara) + 30);
    // View 180: the middle of the Pacific.
    const QImage g180 = renderGlobe(earth, 180, size);
    const QRgb pacific = g180.pixel(size / 2, size / 2);
    EXPECT_GT(qBlue(pacific), qRed(pacific) + 10);
}

TEST(WorldMap, FrameStartsAt65EastAndSpans70SouthTo75North)
{
    const int width = 2048;
    const int height = worldMapHeight(width);
    const double expected = width * (mercatorOrdinate(75) - mercatorOrdinate(-70)) / 360;
    EXPECT_NEAR(height, expected, 1.0);
    EXPECT_EQ(height, 1227);

    const QImage map = renderWorldMap(EquirectSampler(blockEarth()), 720);
    ASSERT_EQ(map.width(), 720);
    ASSERT_EQ(map.height(), worldMapHeight(720));
    // Place points as the map window does: x from the longitude offset, y
    // from the tabulated ordinate, and check the block they show.
    MapProjection proj;
    Rect r{0, 0, map.width(), map.height()};
    proj.leftLongitude = 65;
    proj.fitMap(360, -70, 75, r);
    struct Place { double lat, lon; };
    for (Place p : std::vector<Place>{{5, 85}, {45, 175}, {-45, -115}, {65, -45}, {-65, 25}, {15, 55}, {-5, 67}}) {
        int32_t x = 0, y = 0;
        proj.mapPoint(p.lat, p.lon, x, y);
        ASSERT_GE(x, 0);
        ASSERT_LT(x, map.width());
        ASSERT_GE(y, 0);
        ASSERT_LT(y, map.height());
        const QRgb c = map.pixel(x, y);
        EXPECT_EQ(qRed(c), 7 * lonBlock(p.lon)) << p.lat << " " << p.lon;
        EXPECT_EQ(qGreen(c), 14 * latBlock(p.lat)) << p.lat << " " << p.lon;
    }
    // The left column is just east of 65 E, the right one just west of it.
    EXPECT_EQ(qRed(map.pixel(0, map.height() / 2)), 7 * lonBlock(65.2));
    EXPECT_EQ(qRed(map.pixel(map.width() - 1, map.height() / 2)), 7 * lonBlock(64.8));
    // Top row is near 75 N, bottom row near 70 S.
    EXPECT_EQ(qGreen(map.pixel(10, 0)), 14 * latBlock(74.8));
    // The bottom row lies just north of 70 S, where blocks 15 and 16 meet.
    const int bottom = qGreen(map.pixel(10, map.height() - 1));
    EXPECT_GE(bottom, 14 * latBlock(-69.8));
    EXPECT_LT(bottom, 14 * latBlock(-70.2));
    EXPECT_EQ(qGreen(map.pixel(10, map.height() - 4)), 14 * latBlock(-69.8));
}

TEST(WorldMap, RealEarthPixelMatchesTheSourceAtItsLatitudeAndLongitude)
{
    const QImage source = realEarth();
    if (source.isNull()) GTEST_SKIP() << "Earth picture of the xplanet-images package not installed";
    const EquirectSampler earth(source);
    const QImage map = renderWorldMap(earth, 2048);
    const double m0 = mercatorOrdinate(-70), m1 = mercatorOrdinate(75);
    // Independent inverse: the analytic Mercator latitude of a pixel centre.
    int close = 0, total = 0;
    for (int j = 7; j < map.height(); j += 97) {
        for (int i = 3; i < map.width(); i += 131) {
            const double m = m1 - (j + 0.5) * (m1 - m0) / map.height();
            const double lat = (2 * std::atan(std::exp(m * kDeg)) - 90 * kDeg) / kDeg;
            double lon = 65 + (i + 0.5) * 360.0 / map.width();
            if (lon > 180) lon -= 360;
            float rgb[3];
            earth.sample(lat, lon, rgb);
            const QRgb c = map.pixel(i, j);
            ++total;
            if (std::abs(qRed(c) - rgb[0]) <= 3 && std::abs(qGreen(c) - rgb[1]) <= 3 &&
                std::abs(qBlue(c) - rgb[2]) <= 3)
                ++close;
        }
    }
    EXPECT_GE(close, total * 95 / 100) << close << " of " << total;
    // Greenland's ice at 72 N 40 W is white on the map.
    MapProjection proj;
    Rect r{0, 0, map.width(), map.height()};
    proj.fitMap(360, -70, 75, r);
    int32_t x = 0, y = 0;
    proj.mapPoint(72, -40, x, y);
    const QRgb ice = map.pixel(x, y);
    EXPECT_GT(qRed(ice), 180);
    EXPECT_GT(qBlue(ice), 180);
}

TEST(Welcome, DrawnPictureHasItsSizeAndContent)
{
    ASSERT_NE(QGuiApplication::instance(), nullptr);
    const QImage w = renderWelcome();
    ASSERT_EQ(w.size(), QSize(800, 600));
    // Near the centre of the section: the bright inner core.
    const QRgb core = w.pixel(400, 366);
    EXPECT_GT(qRed(core), 200);
    EXPECT_GT(qGreen(core), 180);
    // The title's golden letters stand somewhere in the top band.
    bool gold = false;
    for (int y = 30; y < 110 && !gold; ++y)
        for (int x = 200; x < 600 && !gold; ++x) {
            const QRgb c = w.pixel(x, y);
            gold = qRed(c) > 220 && qGreen(c) > 190 && qBlue(c) < 140;
        }
    EXPECT_TRUE(gold);
    // Same picture every time.
    EXPECT_EQ(w, renderWelcome());
}

TEST(Bmp, SavedAs24BitAndDeterministic)
{
    const auto dir = std::filesystem::temp_directory_path() / "ovassets_test_bmp";
    std::filesystem::create_directories(dir);
    const QImage g = renderGlobe(EquirectSampler(blockEarth()), 90, 64);
    const std::string a = (dir / "a.bmp").string(), b = (dir / "b.bmp").string();
    ASSERT_TRUE(saveBmp24(g, a));
    ASSERT_TRUE(saveBmp24(renderGlobe(EquirectSampler(blockEarth()), 90, 64), b));
    auto bytes = [](const std::string& p) {
        std::ifstream f(p, std::ios::binary);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), {});
    };
    const auto ba = bytes(a);
    ASSERT_GT(ba.size(), 54u);
    EXPECT_EQ(ba[0], 'B');
    EXPECT_EQ(ba[1], 'M');
    EXPECT_EQ(ba[28] | (ba[29] << 8), 24);   // bits per pixel
    EXPECT_EQ(ba, bytes(b));
    QImage back(QString::fromStdString(a));
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.pixel(32, 32), g.pixel(32, 32));
    EXPECT_FALSE(saveBmp24(g, (dir / "no" / "such" / "dir.bmp").string()));
    std::filesystem::remove_all(dir);
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
