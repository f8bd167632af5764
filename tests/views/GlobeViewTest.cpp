// The globe drawn offscreen: pictures, marks, fronts at the places the
// projection gives, double buffering and resizing.
#include "seismology/SphericalGeometry.h"
#include "views/GlobeView.h"
#include "views/ViewGeometry.h"

#include "ViewTestSupport.h"

#include <gtest/gtest.h>

namespace {

const QColor kEarth(0, 0, 160);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);

class GlobeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettings();
        ASSERT_TRUE(dir.isValid());
        for (int a = 0; a < 360; a += 45) writeGlobePicture(dir.path(), a, kEarth);
        run.directory = dir.path().toStdString();
        run.viewAngle = 0;
        run.magnitude = 7;
        run.depth = 150;   // no surface waves unless a test asks for them
        run.tables[0] = linearTable(10);   // P: 60 degrees at 600 s
        setEventShownQuery([] { return true; });
    }
    void TearDown() override { setEventShownQuery(nullptr); }

    GlobeView& makeView(float latitude, float longitude, int size = 400) {
        run.latitude = latitude;
        run.longitude = longitude;
        view = std::make_unique<GlobeView>(nullptr, run);
        view->resize(size, size);
        view->show();   // resizing a shown view takes effect at once
        view->layoutPane();
        EXPECT_TRUE(view->loadPicture());
        view->redraw();
        return *view;
    }
    // Whether the working (or another) picture has `c` within `r` of the
    // point at (lat, lon) projected onto a globe of radius `R`; white text
    // counts where its edges are blended.
    bool drawnAt(float lat, float lon, QColor c, int r = 1, Surface s = Surface::Working, int R = 168) {
        const PointF p = projectOrthographic(lat, lon, 0);
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                const QColor got = at(view->surface(s), view->origin(s), int(R * p.x) + dx, int(R * p.y) + dy);
                if (got == c || (c == Qt::white && got.red() > 200 && got.green() > 200 && got.blue() > 200)) return true;
            }
        return false;
    }
    QImage working() { return view->surface(Surface::Working); }
    QImage clean() { return view->surface(Surface::Clean); }

    QTemporaryDir dir;
    RunState run;
    std::unique_ptr<GlobeView> view;
};

TEST_F(GlobeViewTest, PictureNamedBySnappedViewAngleAndStretchedIntoTheGlobe) {
    run.viewAngle = 400;
    EXPECT_EQ(GlobeView(nullptr, run).pictureFileName(), "earth0.bmp");
    run.viewAngle = -90;
    makeView(0, 0);
    EXPECT_EQ(run.viewAngle, 270);   // the run keeps the snapped angle
    EXPECT_EQ(at(clean(), view->origin(Surface::Clean), 160, 0), kEarth);
    EXPECT_EQ(at(clean(), view->origin(Surface::Clean), 175, 0), QColor(Qt::black));   // outside R
    QFile::remove(dir.path() + "/earth270.bmp");
    EXPECT_FALSE(view->loadPicture());
}

TEST_F(GlobeViewTest, FrontWhereTheProjectionPutsItAndNothingBeyondTheLimb) {
    makeView(0, 0);
    EXPECT_EQ(view->radius(), 168);
    EXPECT_EQ(view->penWidth(), 2);
    view->tick(600);   // P at 60 degrees
    for (auto [lat, lon] : {std::pair{0.0f, 60.0f}, {60.0f, 0.0f}, {-60.0f, 0.0f}, {0.0f, -60.0f}})
        EXPECT_TRUE(drawnAt(lat, lon, kRed)) << lat << " " << lon;
    EXPECT_EQ(at(working(), view->origin(Surface::Working), 50, 0), kEarth);   // nothing inside

    // Epicentre at 60 W: the visible arc passes the centre of the disc;
    // neither the chord between the limb points (x = -0.577 R) nor the hidden
    // arc's projection (x = -0.866 R) is drawn.
    makeView(0, -60);
    view->tick(600);
    const QPoint o = view->origin(Surface::Working);
    EXPECT_TRUE(near(working(), o, 0, 0, kRed, 1));
    EXPECT_FALSE(near(working(), o, int(-0.577f * 168), 0, kRed, 2));
    EXPECT_FALSE(near(working(), o, int(-0.866f * 168), 0, kRed, 2));
}

TEST_F(GlobeViewTest, PPLabelledOnlyBeyond15DegreesAndSurfaceWavesOnlyAbove100Km) {
    theSettings().labelPhasesOnEarth = true;
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
            for (int x = -12; x <= 12; ++x) n += isLabel(at(working(), view->origin(Surface::Working), eastX + x, y));
        return n;
    };
    EXPECT_GT(labelPixels([](QColor c) { return c.red() > 200 && c.green() < 90 && c.blue() < 90; }), 4);
    theSettings().labelPhasesOnEarth = false;
    view->presentWorking();
    view->tick(300);   // no label, nor its shadow
    EXPECT_EQ(labelPixels([](QColor c) { return c == QColor(Qt::black); }), 0);

    view->presentWorking();
    run.tables[2] = TravelTimeTable{};
    run.depth = 100;
    view->tick(1000);
    EXPECT_EQ(working(), clean());
    run.depth = 30;
    view->tick(1000);   // band from 20.69 to 34.12 degrees
    EXPECT_TRUE(drawnAt(0, 27, kYellow, 2));
    EXPECT_FALSE(drawnAt(0, 40, kYellow, 1));
}

TEST_F(GlobeViewTest, ScreenShowsExactlyEachTickAndNothingOfTheOneBefore) {
    theSettings().labelPhasesOnEarth = true;
    run.tables[1] = linearTable(18);   // S as well
    run.tables[2] = linearTable(14);   // PP
    run.depth = 30;                    // with the surface-wave band
    makeView(20, -30, 500);
    const QImage cleanPicture = clean();
    const QRect inner = view->metrics().inner;
    for (float t : {400.0f, 900.0f, 1700.0f, 2300.0f, 700.0f}) {
        view->tick(t);
        const QImage drawn = working();
        EXPECT_NE(drawn, cleanPicture) << t;
        view->presentWorking();
        EXPECT_EQ(view->surface(Surface::Screen).copy(inner), drawn) << t;
        EXPECT_EQ(working(), cleanPicture) << t;   // erased from the clean picture
    }
    view->tick(0);   // time 0 draws nothing
    EXPECT_EQ(working(), cleanPicture);
}

TEST_F(GlobeViewTest, MarksAndFlashOnlyOnTheVisibleSide) {
    run.seismograms.push_back(makeTrace("NEAR", {0, 1}, 1, 0, -30, 20));
    run.seismograms.push_back(makeTrace("FAR", {0, 1}, 1, 0, 0, 100));
    run.seismogramCount = 2;
    makeView(30, 0);
    const QColor white(Qt::white);
    EXPECT_TRUE(drawnAt(-30, 20, white, 4, Surface::Clean));   // "o"
    EXPECT_FALSE(drawnAt(0, 0, white, 4, Surface::Clean));     // the hidden station not at (0, 0)
    EXPECT_TRUE(drawnAt(30, 0, white, 4, Surface::Clean));     // "*"
    const int epY = int(168 * projectOrthographic(30, 0, 0).y);
    run.longitude = 180;   // far side: no flash
    view->flash(1.0f);
    EXPECT_TRUE(view->flashRect().isEmpty());
    run.longitude = 0;
    view->flash(1.0f);   // radius 10
    EXPECT_EQ(at(view->surface(Surface::Screen), view->origin(Surface::Screen), 6, epY), white);
    EXPECT_EQ(view->flashRect(), QRect(-10, epY - 10, 20, 20));
}

TEST_F(GlobeViewTest, ResizingRebuildsAtTheNewSizeAndRedrawsTheLastTick) {
    makeView(0, 0);
    view->tick(600);
    view->presentWorking();
    view->resize(300, 300);   // R = int(0.42f x 300) = 125
    EXPECT_EQ(view->radius(), 125);
    EXPECT_EQ(working().size(), QSize(288, 288));
    EXPECT_TRUE(drawnAt(0, 60, kRed, 1, Surface::Screen, 125));
    EXPECT_EQ(at(clean(), view->origin(Surface::Clean), 120, 0), kEarth);
}

}  // namespace
