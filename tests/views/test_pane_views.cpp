// The globe and the cross-section drawn offscreen: pictures, marks and fronts
// at the places the projection or the ray tables give, double buffering,
// flash and resizing.
#include "seismology/SphericalGeometry.h"
#include "sound/Sound.h"
#include "views/CrossSectionView.h"
#include "views/GlobeView.h"
#include "views/ViewGeometry.h"

#include "ViewTestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QColor kEarth(0, 0, 160), kRed(255, 0, 0), kCyan(0, 255, 255), kYellow(255, 255, 0), kWhite(Qt::white), kBlack(Qt::black);
const float kKm = 168.0f / 6371;   // cross-section pixels per kilometre

// A run in a scratch folder with the settings at their defaults; `pane` is the view under test.
class PaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        run.directory = dir.path().toStdString();
        run.depth = 150;   // no surface waves unless a test asks for them
    }
    bool drawn(int x, int y, QColor c, int r = 1, Surface s = Surface::Working) {
        return near(pane->surface(s), pane->origin(s), x, y, c, r);
    }
    QColor pixel(Surface s, int x, int y) { return at(pane->surface(s), pane->origin(s), x, y); }
    const QImage& working() { return pane->surface(Surface::Working); }
    const QImage& clean() { return pane->surface(Surface::Clean); }
    // Each tick draws something, reaches the screen exactly, and is erased from the working picture.
    template <class Tick>
    void eachTickShownThenErased(std::initializer_list<int> times, Tick tick) {
        const QImage cleanPicture = clean();
        for (int t : times) {
            tick(t);
            const QImage drawnPicture = working();
            EXPECT_NE(drawnPicture, cleanPicture) << t;
            pane->presentWorking();
            EXPECT_EQ(pane->surface(Surface::Screen).copy(pane->metrics().inner), drawnPicture) << t;
            EXPECT_EQ(working(), cleanPicture) << t;
        }
    }

    QTemporaryDir dir;
    RunState run;
    Settings settings;
    Sound sound{nullptr};   // silent sound
    bool shown = false;     // whether an event is shown
    ViewContext context{settings, sound, QSize(8, 16), [this] { return shown; }, {}};
    ViewPane* pane = nullptr;
};

class GlobeViewTest : public PaneTest {
protected:
    void SetUp() override {
        PaneTest::SetUp();
        QImage earth(64, 64, QImage::Format_RGB32);
        earth.fill(kEarth);
        for (int a = 0; a < 360; a += 45) earth.save(dir.filePath(QStringLiteral("earth%1.bmp").arg(a)), "BMP");
        std::tie(run.viewAngle, run.magnitude) = std::tuple(0, 7.0f);
        run.tables[0] = linearTable(10);   // P: 60 degrees at 600 s
        shown = true;
    }
    GlobeView& makeView(float latitude, float longitude, int size = 400) {
        std::tie(run.latitude, run.longitude) = std::tuple(latitude, longitude);
        view = std::make_unique<GlobeView>(nullptr, run, context);
        pane = view.get();
        view->resize(size, size);
        view->show();   // resizing a shown view takes effect at once
        view->layoutPane();
        EXPECT_TRUE(view->loadPicture());
        view->redraw();
        return *view;
    }
    // `c` within `r` of (lat, lon) projected onto a globe of radius `R`; blended white text counts.
    bool drawnAt(float lat, float lon, QColor c, int r = 1, Surface s = Surface::Working, int R = 168) {
        const PointF p = projectOrthographic(lat, lon, 0);
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                const QColor got = pixel(s, int(R * p.x) + dx, int(R * p.y) + dy);
                if (got == c || (c == kWhite && got.red() > 200 && got.green() > 200 && got.blue() > 200)) return true;
            }
        return false;
    }
    std::unique_ptr<GlobeView> view;
};

TEST_F(GlobeViewTest, PictureOfTheSnappedViewAngleStretchedIntoTheGlobeAndResizing) {
    run.viewAngle = -90;
    makeView(0, 0);
    EXPECT_EQ(run.viewAngle, 270);   // the run keeps the snapped angle
    EXPECT_EQ(std::pair(pixel(Surface::Clean, 160, 0), pixel(Surface::Clean, 175, 0)), std::pair(kEarth, kBlack));
    QFile::remove(dir.filePath("earth270.bmp"));
    EXPECT_FALSE(view->loadPicture());

    run.viewAngle = 0;   // rebuilt at the new size, the last tick drawn again
    makeView(0, 0);
    view->tick(600);
    view->presentWorking();
    view->resize(300, 300);   // R = int(0.42f x 300) = 125
    EXPECT_EQ(std::pair(int(view->radius()), working().size()), std::pair(125, QSize(288, 288)));
    EXPECT_TRUE(drawnAt(0, 60, kRed, 1, Surface::Screen, 125));
    EXPECT_EQ(pixel(Surface::Clean, 120, 0), kEarth);
}

TEST_F(GlobeViewTest, FrontWhereTheProjectionPutsItAndNothingBeyondTheLimb) {
    makeView(0, 0);
    EXPECT_EQ(std::pair(int(view->radius()), view->penWidth()), std::pair(168, 2));
    view->tick(600);   // P at 60 degrees
    for (auto [lat, lon] : {std::pair{0.0f, 60.0f}, {60.0f, 0.0f}, {-60.0f, 0.0f}, {0.0f, -60.0f}})
        EXPECT_TRUE(drawnAt(lat, lon, kRed)) << lat << " " << lon;
    EXPECT_EQ(pixel(Surface::Working, 50, 0), kEarth);   // nothing inside
    // Epicentre at 60 W: the visible arc passes the centre of the disc; neither the chord
    // between the limb points (x = -0.577 R) nor the hidden arc's projection (-0.866 R) is drawn.
    makeView(0, -60);
    view->tick(600);
    EXPECT_TRUE(drawn(0, 0, kRed) && !drawn(int(-0.577f * 168), 0, kRed, 2) && !drawn(int(-0.866f * 168), 0, kRed, 2));
}

TEST_F(GlobeViewTest, PPLabelledOnlyWhenAskedAndSurfaceWavesOnlyAbove100Km) {
    settings.labelPhasesOnEarth = true;
    run.tables[0] = TravelTimeTable{};
    run.tables[2] = linearTable(10);   // PP
    makeView(0, 0);
    view->tick(300);
    EXPECT_TRUE(drawnAt(30, 0, kRed));
    // The label is centred on the first point (azimuth 0, east of the epicentre).
    const int eastX = int(168 * projectOrthographic(0, 30, 0).x) - 2;
    auto labelPixels = [&](auto isLabel) {
        int n = 0;
        for (int y = -12; y <= 12; ++y)
            for (int x = -12; x <= 12; ++x) n += isLabel(pixel(Surface::Working, eastX + x, y));
        return n;
    };
    EXPECT_GT(labelPixels([](QColor c) { return c.red() > 200 && c.green() < 90 && c.blue() < 90; }), 4);
    settings.labelPhasesOnEarth = false;
    view->presentWorking();
    view->tick(300);   // no label, nor its shadow
    EXPECT_EQ(labelPixels([](QColor c) { return c == kBlack; }), 0);

    view->presentWorking();
    run.tables[2] = TravelTimeTable{};
    run.depth = 100;
    view->tick(1000);
    EXPECT_EQ(working(), clean());
    run.depth = 30;
    view->tick(1000);   // band from 20.69 to 34.12 degrees
    EXPECT_TRUE(drawnAt(0, 27, kYellow, 2) && !drawnAt(0, 40, kYellow, 1));
}

TEST_F(GlobeViewTest, ScreenShowsExactlyEachTickAndNothingOfTheOneBefore) {
    settings.labelPhasesOnEarth = true;
    run.tables[1] = linearTable(18);   // S as well
    run.tables[2] = linearTable(14);   // PP
    run.depth = 30;                    // with the surface-wave band
    makeView(20, -30, 500);
    eachTickShownThenErased({400, 900, 1700, 2300, 700}, [&](int t) { view->tick(float(t)); });
    const QImage cleanPicture = clean();
    view->tick(0);   // time 0 draws nothing
    EXPECT_EQ(working(), cleanPicture);
}

TEST_F(GlobeViewTest, MarksAndFlashOnlyOnTheVisibleSide) {
    run.seismograms.push_back(makeTrace("NEAR", {0, 1}, 1, 0, -30, 20));
    run.seismograms.push_back(makeTrace("FAR", {0, 1}, 1, 0, 0, 100));
    run.seismogramCount = 2;
    makeView(30, 0);   // station "o" and epicentre "*"; the hidden station not drawn at (0, 0)
    EXPECT_TRUE(drawnAt(-30, 20, kWhite, 4, Surface::Clean) && drawnAt(30, 0, kWhite, 4, Surface::Clean));
    EXPECT_FALSE(drawnAt(0, 0, kWhite, 4, Surface::Clean));
    const int epY = int(168 * projectOrthographic(30, 0, 0).y);
    run.longitude = 180;   // far side: no flash
    view->flash(1.0f);
    EXPECT_TRUE(view->flashRect().isEmpty());
    run.longitude = 0;
    view->flash(1.0f);   // radius 10
    EXPECT_EQ(std::pair(pixel(Surface::Screen, 6, epY), view->flashRect()), std::pair(kWhite, QRect(-10, epY - 10, 20, 20)));
}

// One record of a ray-path data file.
struct RayRecord {
    std::string phase;
    int legType = 1, time = 0;
    std::vector<std::pair<int, int>> points;   // (along, across) km
};

// A front of n points along a horizontal line at `along` km from the centre.
RayRecord front(const std::string& phase, int leg, int time, int n, int along, int across0) {
    RayRecord r{phase, leg, time, {}};
    for (int i = 0; i < n; ++i) r.points.push_back({along, across0 + 300 * i});
    return r;
}

void u16(std::string& b, unsigned v) { b += {char(v & 0xff), char((v >> 8) & 0xff)}; }

// Writes OV0.INX and OV0.BIN: one index entry per time step of `step` seconds,
// pointing at the first record of that time.
void writeRayTables(const QString& dir, const std::vector<RayRecord>& records, int step) {
    std::string data, index;
    int nextStep = 0;
    for (const RayRecord& r : records) {
        for (; r.time >= nextStep * step; ++nextStep) u16(index, unsigned(data.size())), u16(index, unsigned(data.size() >> 16));
        std::string name = r.phase;
        name.resize(12, '\0');
        data += name;
        for (int v : {r.legType, r.time, int(r.points.size()), 0}) u16(data, unsigned(v) & 0xffff);
        for (const auto& [along, across] : r.points) u16(data, unsigned(along) & 0xffff), u16(data, unsigned(across) & 0xffff);
    }
    for (auto [name, bytes] : {std::pair{"/OV0.INX", &index}, {"/OV0.BIN", &data}}) {
        QFile file(dir + name);
        if (file.open(QIODevice::WriteOnly)) file.write(bytes->data(), qint64(bytes->size()));
    }
}

class CrossSectionViewTest : public PaneTest {
protected:
    void SetUp() override {
        PaneTest::SetUp();
        view = std::make_unique<CrossSectionView>(nullptr, run, context);
        pane = view.get();
        view->resize(400, 400);
        view->layoutPane();
    }
    // Builds the pictures, with ray tables of `records` when there are any.
    void build(const std::vector<RayRecord>& records = {}, int step = 10) {
        if (!records.empty()) writeRayTables(dir.path(), records, step);
        ASSERT_TRUE(view->createPictures());
        view->redraw();
        EXPECT_EQ(view->openRayTables(), !records.empty());
    }
    // On the rim at `degrees` from the top, left (-1) or right (+1).
    bool onRim(float degrees, int side, QColor c, int r, Surface s = Surface::Working, int R = 168) {
        const float a = degrees * 0.017453292f;
        return drawn(int(side * R * std::sin(a)), int(-R * std::cos(a)), c, r, s);
    }
    std::unique_ptr<CrossSectionView> view;
};

TEST_F(CrossSectionViewTest, DiscCoresAndStationsAlsoWithUnsetOrUnreadableDistances) {
    for (auto [name, lon, gcarc] : {std::tuple{"ANMO", 0.0f, 45.0f}, {"NANS", 60.0f, std::nanf("")}, {"UNSET", 120.0f, -12345.0f}}) {
        run.seismograms.push_back(makeTrace(name, {0, 1}, 1, 0, 0, lon));
        run.seismograms.back()->header.f[GCARC] = gcarc;
    }
    run.seismogramCount = 3;
    build();
    EXPECT_EQ(view->radius(), 168);
    // Grey mantle and cores, black core circles at radii 91 and 34, white rim, black outside.
    const QColor grey(128, 128, 128);
    EXPECT_EQ((std::vector<QColor>{pixel(Surface::Clean, 130, 0), pixel(Surface::Clean, 60, 0), pixel(Surface::Clean, 180, 0)}),
              (std::vector<QColor>{grey, grey, kBlack}));
    EXPECT_TRUE(drawn(91, 0, kBlack, 1, Surface::Clean) && drawn(0, 34, kBlack, 1, Surface::Clean)
                && drawn(167, 0, kWhite, 1, Surface::Clean));
    // Distances that are not numbers or unset are computed from the coordinates.
    EXPECT_NEAR(run.seismograms[1]->header.f[GCARC], 60, 0.01);
    EXPECT_NEAR(run.seismograms[2]->header.f[GCARC], 120, 0.01);
    for (float d : {45.0f, 60.0f, 120.0f}) EXPECT_TRUE(onRim(d, -1, kWhite, 3, Surface::Clean)) << d;
    EXPECT_EQ(working(), clean());
}

TEST_F(CrossSectionViewTest, FrontsMirroredInTheirLegColoursAndTablesAllAtTimeZeroDrawNothing) {
    build({front("X", 1, 0, 2, 0, 0), front("P", 1, 10, 3, 3000, 600), front("S", 2, 10, 3, -3000, 600), front("Y", 7, 10, 3, 0, 600)});
    EXPECT_EQ(view->rayTable().timeStep(), 10);
    EXPECT_TRUE(view->drawFronts(15));   // step 1 (time 10)
    const int y = int(-kKm * 3000), x = int(kKm * 900);
    // P mirrored, S in its colour, any other leg black.
    EXPECT_TRUE(drawn(x, y, kRed) && drawn(-x, y, kRed) && drawn(x, -y, kCyan) && drawn(x, 0, kBlack));
    EXPECT_FALSE(view->drawFronts(0));

    build({front("P", 1, 0, 6, 3000, 0), front("S", 2, 0, 6, -3000, 0)});
    EXPECT_EQ(view->rayTable().timeStep(), 0);
    EXPECT_TRUE(view->drawFronts(30));
    EXPECT_EQ(working(), clean());
}

TEST_F(CrossSectionViewTest, SixPointFrontsAreLabelledAndTheFirstInFileWins) {
    settings.labelPhasesOnCrossSection = true;
    build({front("X", 1, 0, 2, 0, 0), front("PKP", 1, 10, 5, 3000, 0), front("SKS", 2, 10, 6, -3000, 0), front("P", 1, 20, 6, 3000, 0),
           front("S", 2, 20, 6, 3000, 40)});
    const auto labels = [&](int t) { return view->drawFronts(t), std::vector<QRect>(view->tickLabels()); };
    const auto topLeft = [](int y) { return std::vector<QPoint>{QPoint(0, y)}; };
    auto corners = [](const std::vector<QRect>& r) {
        std::vector<QPoint> p;
        for (const QRect& q : r) p.push_back(q.topLeft());
        return p;
    };
    EXPECT_EQ(corners(labels(10)), topLeft(int(kKm * 3000)));    // 5 points: never labelled
    EXPECT_EQ(corners(labels(20)), topLeft(int(-kKm * 3000)));   // both first points nearly at the same place
    settings.labelPhasesOnCrossSection = false;
    EXPECT_TRUE(labels(20).empty());
}

TEST_F(CrossSectionViewTest, ScreenShowsExactlyEachTickAndNothingOfTheOneBefore) {
    settings.labelPhasesOnCrossSection = true;
    run.depth = 20;   // with the surface-wave arcs
    build({front("P", 1, 100, 8, 4000, -1200), front("S", 2, 100, 6, -2000, 300), front("PKP", 1, 200, 8, -5000, 600),
           front("SS", 2, 300, 7, 1000, 2000)},
          100);
    eachTickShownThenErased({150, 250, 350, 1500, 120}, [&](int t) { ASSERT_TRUE(view->drawFronts(t)); });
}

TEST_F(CrossSectionViewTest, SurfaceArcsAfterTheFirstMinuteOfShallowEventsAndFlashAtTheHypocentre) {
    run.depth = 20;
    build();   // no ray tables at all: the arcs still work
    view->drawFronts(60);
    EXPECT_EQ(working(), clean());
    view->drawFronts(600);   // band from 12.4 to 20.5 degrees
    EXPECT_TRUE(onRim(16.4f, 1, kYellow, 1, Surface::Working, 167) && onRim(16.4f, -1, kYellow, 1, Surface::Working, 167)
                && !onRim(25, 1, kYellow, 1, Surface::Working, 167));
    view->presentWorking();
    run.depth = 100;
    view->drawFronts(600);
    EXPECT_EQ(working(), clean());

    run.depth = 637.1f;
    ASSERT_TRUE(view->createPictures());
    view->redraw();
    view->flash(1.0f);
    EXPECT_EQ(std::pair(view->flashRect(), pixel(Surface::Screen, 0, -151 + 5)), std::pair(QRect(-10, -161, 20, 20), kWhite));
}

}   // namespace
