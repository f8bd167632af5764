// The globe drawn offscreen: pictures, marks, fronts at the places the
// projection gives, double buffering and resizing.
#include "seismology/SphericalGeometry.h"
#include "views/GlobeView.h"
#include "views/ViewGeometry.h"

#include "ViewTestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

const QColor kEarth(0, 0, 160);
const QColor kRed(255, 0, 0);
const QColor kCyan(0, 255, 255);
const QColor kYellow(255, 255, 0);

class GlobeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettings();
        ASSERT_TRUE(dir.isValid());
        for (int a = 0; a < 360; a += 45) writeGlobePicture(dir.path(), a, kEarth);
        run.directory = dir.path().toStdString();
        run.viewAngle = 0;
        run.depth = 150;   // no surface waves unless a test asks for them
        run.magnitude = 7;
        run.tables[0] = linearTable(10);   // P: 60 degrees at 600 s
        shown = false;
        setEventShownQuery([this] { return shown; });
    }
    void TearDown() override { setEventShownQuery(nullptr); }

    std::unique_ptr<GlobeView> makeView(int size = 400) {
        auto view = std::make_unique<GlobeView>(nullptr, run);
        view->resize(size, size);
        view->show();   // resizing a shown view takes effect at once
        view->layoutPane();
        EXPECT_TRUE(view->loadPicture());
        view->redraw();
        shown = true;
        return view;
    }
    QImage working(GlobeView& v) { return v.surface(Surface::Working); }
    QPoint wo(GlobeView& v) { return v.origin(Surface::Working); }

    QTemporaryDir dir;
    RunState run;
    bool shown = false;
};

TEST_F(GlobeViewTest, PictureNamedBySnappedViewAngle) {
    GlobeView view(nullptr, run);
    run.viewAngle = -90;
    EXPECT_EQ(view.pictureFileName(), "earth270.bmp");
    run.viewAngle = 400;
    EXPECT_EQ(view.pictureFileName(), "earth0.bmp");
    run.viewAngle = -90;
    view.resize(400, 400);
    view.layoutPane();
    ASSERT_TRUE(view.loadPicture());
    EXPECT_EQ(run.viewAngle, 270);   // the run keeps the snapped angle
    // The picture is stretched into the globe box: earth inside R, black outside.
    const QImage& w = view.surface(Surface::Working);
    const QPoint o = view.origin(Surface::Working);
    EXPECT_EQ(at(w, o, 0, 0), kEarth);
    EXPECT_EQ(at(w, o, 160, 0), kEarth);
    EXPECT_EQ(at(w, o, 175, 0), QColor(Qt::black));

    QFile::remove(dir.path() + "/earth270.bmp");
    EXPECT_FALSE(view.loadPicture());
}

TEST_F(GlobeViewTest, FrontWhereTheProjectionPutsIt) {
    run.latitude = 0;
    run.longitude = 0;   // the centre of the disc
    auto view = makeView();
    EXPECT_EQ(view->radius(), 168);
    EXPECT_EQ(view->penWidth(), 2);
    view->tick(600);   // P at 60 degrees
    const QImage w = working(*view);
    const QPoint o = wo(*view);
    for (auto [lat, lon] : {std::pair{0.0f, 60.0f}, {60.0f, 0.0f}, {-60.0f, 0.0f}, {0.0f, -60.0f}}) {
        const PointF p = projectOrthographic(lat, lon, 0);
        EXPECT_TRUE(near(w, o, int(168 * p.x), int(168 * p.y), kRed, 1)) << lat << " " << lon;
    }
    EXPECT_EQ(at(w, o, 30, 30), kEarth);   // nothing inside the circle
    EXPECT_EQ(at(w, o, 50, 0), kEarth);
}

TEST_F(GlobeViewTest, HiddenPartOfACircleIsNeitherDrawnNorBridged) {
    run.latitude = 0;
    run.longitude = -60;
    auto view = makeView();
    view->tick(600);   // 60 degrees: the western part lies beyond the limb
    const QImage w = working(*view);
    const QPoint o = wo(*view);
    // The visible arc passes the centre of the disc (60 degrees east of the epicentre).
    EXPECT_TRUE(near(w, o, 0, 0, kRed, 1));
    // Neither the chord between the limb points (x = -0.577 R) nor the
    // hidden arc's projection (x = -0.866 R) is drawn.
    EXPECT_FALSE(near(w, o, int(-0.577f * 168), 0, kRed, 2));
    EXPECT_FALSE(near(w, o, int(-0.866f * 168), 0, kRed, 2));
}

TEST_F(GlobeViewTest, PPAndSSLabelledOnlyBeyond15DegreesWithLabelsOn) {
    theSettings().labelPhasesOnEarth = true;
    run.tables[0] = TravelTimeTable{};
    run.tables[2] = linearTable(10);   // PP
    run.latitude = 0;
    run.longitude = 0;
    auto view = makeView();
    view->tick(150);   // PP at 15 degrees: not drawn
    EXPECT_EQ(working(*view), view->surface(Surface::Clean));
    view->tick(300);   // 30 degrees: drawn and labelled
    const QImage w = working(*view);
    const PointF north = projectOrthographic(30, 0, 0);
    EXPECT_TRUE(near(w, wo(*view), 0, int(168 * north.y), kRed, 1));
    // The label is centred on the first point (azimuth 0, east of the epicentre).
    const PointF east = projectOrthographic(0, 30, 0);
    int labelPixels = 0;
    for (int y = -12; y <= 12; ++y)
        for (int x = -12; x <= 12; ++x) {
            const QColor c = at(w, wo(*view), int(168 * east.x) - 2 + x, y);
            labelPixels += c.red() > 200 && c.green() < 90 && c.blue() < 90;
        }
    EXPECT_GT(labelPixels, 4);
    theSettings().labelPhasesOnEarth = false;
    view->presentWorking();
    view->tick(300);
    labelPixels = 0;
    for (int y = -12; y <= 12; ++y)
        for (int x = -12; x <= 12; ++x)
            labelPixels += at(working(*view), wo(*view), int(168 * east.x) - 2 + x, y) == QColor(Qt::black);
    EXPECT_EQ(labelPixels, 0);   // no shadow of a label either
}

TEST_F(GlobeViewTest, SurfaceWavesOnlyAbove100Km) {
    run.tables[0] = TravelTimeTable{};
    run.latitude = 0;
    run.longitude = 0;
    run.depth = 100;
    auto view = makeView();
    view->tick(1000);
    EXPECT_EQ(working(*view), view->surface(Surface::Clean));
    run.depth = 30;
    view->tick(1000);   // band from 20.69 to 34.12 degrees
    const PointF mid = projectOrthographic(0, 27, 0);
    EXPECT_TRUE(near(working(*view), wo(*view), int(168 * mid.x), 0, kYellow, 2));
    const PointF out = projectOrthographic(0, 40, 0);
    EXPECT_FALSE(near(working(*view), wo(*view), int(168 * out.x), 0, kYellow, 1));
}

TEST_F(GlobeViewTest, TickIsShownOnceAndTheWorkingPictureRestored) {
    run.latitude = 0;
    run.longitude = 0;
    auto view = makeView();
    const QImage clean = view->surface(Surface::Clean);
    view->tick(600);
    view->presentWorking();
    const PointF p = projectOrthographic(0, 60, 0);
    const QPoint so = view->origin(Surface::Screen);
    EXPECT_TRUE(near(view->surface(Surface::Screen), so, int(168 * p.x), 0, kRed, 1));
    EXPECT_EQ(view->surface(Surface::Working), clean);   // erased from the clean picture
    // The next tick's circle replaces the previous one on the screen.
    view->tick(300);
    view->presentWorking();
    EXPECT_FALSE(near(view->surface(Surface::Screen), so, int(168 * p.x), 0, kRed, 1));
    const PointF q = projectOrthographic(0, 30, 0);
    EXPECT_TRUE(near(view->surface(Surface::Screen), so, int(168 * q.x), 0, kRed, 1));
    // Time 0 draws nothing.
    view->tick(0);
    EXPECT_EQ(view->surface(Surface::Working), clean);
}

TEST_F(GlobeViewTest, ScreenShowsExactlyEachTickAndNothingOfTheOneBefore) {
    theSettings().labelPhasesOnEarth = true;
    run.tables[1] = linearTable(18);   // S as well
    run.tables[2] = linearTable(14);   // PP
    run.latitude = 20;
    run.longitude = -30;
    run.depth = 30;   // with the surface-wave band
    auto view = makeView(500);
    const QImage clean = view->surface(Surface::Clean);
    const QRect inner = view->metrics().inner;
    for (float t : {400.0f, 900.0f, 1700.0f, 2300.0f, 700.0f}) {
        view->tick(t);
        const QImage drawn = working(*view);
        EXPECT_NE(drawn, clean) << t;
        view->presentWorking();
        EXPECT_EQ(view->surface(Surface::Screen).copy(inner), drawn) << t;
        EXPECT_EQ(working(*view), clean) << t;
    }
}

TEST_F(GlobeViewTest, MarksAndFlashOnlyOnTheVisibleSide) {
    run.latitude = 30;
    run.longitude = 0;
    run.seismograms.push_back(makeTrace("NEAR", {0, 1}, 1, 0, -30, 20));
    run.seismograms.push_back(makeTrace("FAR", {0, 1}, 1, 0, 0, 100));
    run.seismogramCount = 2;
    auto view = makeView();
    const QImage& clean = view->surface(Surface::Clean);
    const QPoint o = view->origin(Surface::Clean);
    auto bright = [&](int x, int y) {
        for (int dy = -4; dy <= 4; ++dy)
            for (int dx = -4; dx <= 4; ++dx) {
                const QColor c = at(clean, o, x + dx, y + dy);
                if (c.red() > 200 && c.green() > 200 && c.blue() > 200) return true;
            }
        return false;
    };
    const PointF st = projectOrthographic(-30, 20, 0);
    EXPECT_TRUE(bright(int(168 * st.x), int(168 * st.y)));   // "o"
    EXPECT_FALSE(bright(0, 0));   // the hidden station is not drawn at (0, 0)
    const PointF ep = projectOrthographic(30, 0, 0);
    EXPECT_TRUE(bright(0, int(168 * ep.y)));   // "*" on the central meridian

    run.longitude = 180;   // far side: no flash
    view->flash(1.0f);
    EXPECT_TRUE(view->flashRect().isEmpty());
    run.longitude = 0;
    view->flash(1.0f);   // radius 10
    EXPECT_EQ(at(view->surface(Surface::Screen), view->origin(Surface::Screen), 6, int(168 * ep.y)),
              QColor(Qt::white));
    EXPECT_EQ(view->flashRect(), QRect(-10, int(168 * ep.y) - 10, 20, 20));
}

TEST_F(GlobeViewTest, ResizingRebuildsAtTheNewSizeAndRedrawsTheLastTick) {
    run.latitude = 0;
    run.longitude = 0;
    auto view = makeView(400);
    view->tick(600);
    view->presentWorking();
    view->resize(300, 300);   // R = int(0.42f x 300) = 125
    EXPECT_EQ(view->radius(), 125);
    EXPECT_EQ(view->surface(Surface::Working).size(), QSize(288, 288));
    const PointF p = projectOrthographic(0, 60, 0);
    EXPECT_TRUE(near(view->surface(Surface::Screen), view->origin(Surface::Screen), int(125 * p.x),
                     0, kRed, 1));
    EXPECT_EQ(at(view->surface(Surface::Clean), view->origin(Surface::Clean), 120, 0), kEarth);
}

}  // namespace
