// The cross-section drawn offscreen: disc and cores, ray-table fronts,
// their labels, the surface-wave arcs.
#include "views/CrossSectionView.h"
#include "views/ViewGeometry.h"

#include "ViewTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QColor kRed(255, 0, 0);
const QColor kCyan(0, 255, 255);
const QColor kYellow(255, 255, 0);
const QColor kGrey(128, 128, 128);

// A front of n points along a horizontal line at `along` km from the centre.
RayRecord front(const std::string& phase, int leg, int time, int n, int along, int across0) {
    RayRecord r{phase, leg, time, {}};
    for (int i = 0; i < n; ++i) r.points.push_back({along, across0 + 300 * i});
    return r;
}

class CrossSectionViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettings();
        ASSERT_TRUE(dir.isValid());
        run.directory = dir.path().toStdString();
        run.depth = 150;
        view = std::make_unique<CrossSectionView>(nullptr, run);
        view->resize(400, 400);
        view->layoutPane();
    }
    void build() {
        ASSERT_TRUE(view->createPictures());
        view->redraw();
    }
    QColor clean(int x, int y) {
        return at(view->surface(Surface::Clean), view->origin(Surface::Clean), x, y);
    }
    const QImage& working() { return view->surface(Surface::Working); }
    QPoint wo() { return view->origin(Surface::Working); }

    QTemporaryDir dir;
    RunState run;
    std::unique_ptr<CrossSectionView> view;
};

TEST_F(CrossSectionViewTest, DiscWithCoresAndStations) {
    run.seismograms.push_back(makeTrace("ANMO", {0, 1}, 1, 0));
    run.seismograms.back()->header.f[GCARC] = 45;
    run.seismogramCount = 1;
    build();
    EXPECT_EQ(view->radius(), 168);
    // Mantle, outer core and inner core are grey, with black core circles
    // at radii 91 and 34.
    EXPECT_EQ(clean(130, 0), kGrey);
    EXPECT_EQ(clean(60, 0), kGrey);
    EXPECT_TRUE(near(view->surface(Surface::Clean), view->origin(Surface::Clean), 91, 0, Qt::black, 1));
    EXPECT_TRUE(near(view->surface(Surface::Clean), view->origin(Surface::Clean), 0, 34, Qt::black, 1));
    EXPECT_TRUE(near(view->surface(Surface::Clean), view->origin(Surface::Clean), 167, 0, Qt::white, 1));
    EXPECT_EQ(clean(180, 0), QColor(Qt::black));   // outside the disc
    // The station mark on the left rim at 45 degrees from the top.
    const int x = int(-168 * std::sin(45 * 0.017453292f)), y = int(-168 * std::cos(45 * 0.017453292f));
    EXPECT_TRUE(near(view->surface(Surface::Clean), view->origin(Surface::Clean), x, y, Qt::white, 3));
    // Redraw leaves the same picture on all three surfaces.
    EXPECT_EQ(view->surface(Surface::Working), view->surface(Surface::Clean));
}

TEST_F(CrossSectionViewTest, UnsetOrUnreadableDistanceIsComputedFromTheCoordinates) {
    run.latitude = 0;
    run.longitude = 0;
    run.seismograms.push_back(makeTrace("NANS", {0, 1}, 1, 0, 0, 60));
    run.seismograms.back()->header.f[GCARC] = std::nanf("");
    run.seismograms.push_back(makeTrace("UNSET", {0, 1}, 1, 0, 0, 120));
    run.seismograms.back()->header.f[GCARC] = -12345;
    run.seismogramCount = 2;
    build();
    EXPECT_NEAR(run.seismograms[0]->header.f[GCARC], 60, 0.01);
    EXPECT_NEAR(run.seismograms[1]->header.f[GCARC], 120, 0.01);
    for (float d : {60.0f, 120.0f}) {
        const int x = int(-168 * std::sin(d * 0.017453292f)), y = int(-168 * std::cos(d * 0.017453292f));
        EXPECT_TRUE(near(view->surface(Surface::Clean), view->origin(Surface::Clean), x, y, Qt::white, 3)) << d;
    }
}

TEST_F(CrossSectionViewTest, FrontsMirroredInTheirLegColours) {
    writeRayTables(dir.path(), {front("X", 1, 0, 2, 0, 0), front("P", 1, 10, 3, 3000, 600),
                                front("S", 2, 10, 3, -3000, 600), front("Y", 7, 10, 3, 0, 600)},
                   10);
    build();
    ASSERT_TRUE(view->openRayTables());
    EXPECT_EQ(view->rayTable().timeStep(), 10);
    EXPECT_TRUE(view->tick(15));   // step 1 (time 10)
    const float g = 168.0f / 6371;
    const int y = int(-g * 3000), x = int(g * 900);
    EXPECT_TRUE(near(working(), wo(), x, y, kRed, 1));
    EXPECT_TRUE(near(working(), wo(), -x, y, kRed, 1));       // mirrored
    EXPECT_TRUE(near(working(), wo(), x, -y, kCyan, 1));
    EXPECT_TRUE(near(working(), wo(), x, 0, Qt::black, 1));   // any other leg is black
    EXPECT_FALSE(view->tick(0));
}

TEST_F(CrossSectionViewTest, SixPointFrontsAreLabelledAndTheFirstInFileWins) {
    theSettings().labelPhasesOnCrossSection = true;
    writeRayTables(dir.path(),
                   {front("X", 1, 0, 2, 0, 0), front("PKP", 1, 10, 5, 3000, 0),
                    front("SKS", 2, 10, 6, -3000, 0), front("P", 1, 20, 6, 3000, 0),
                    front("S", 2, 20, 6, 3000, 40)},
                   10);
    build();
    ASSERT_TRUE(view->openRayTables());
    view->tick(10);
    ASSERT_EQ(view->tickLabels().size(), 1u);   // 5 points: never labelled
    const float g = 168.0f / 6371;
    EXPECT_EQ(view->tickLabels()[0].topLeft(), QPoint(0, int(-g * -3000)));
    view->tick(20);   // both first points nearly at the same place
    ASSERT_EQ(view->tickLabels().size(), 1u);
    EXPECT_EQ(view->tickLabels()[0].topLeft(), QPoint(0, int(-g * 3000)));
    theSettings().labelPhasesOnCrossSection = false;
    view->tick(20);
    EXPECT_TRUE(view->tickLabels().empty());
}

TEST_F(CrossSectionViewTest, ScreenShowsExactlyEachTickAndNothingOfTheOneBefore) {
    theSettings().labelPhasesOnCrossSection = true;
    run.depth = 20;   // with the surface-wave arcs
    writeRayTables(dir.path(),
                   {front("P", 1, 100, 8, 4000, -1200), front("S", 2, 100, 6, -2000, 300),
                    front("PKP", 1, 200, 8, -5000, 600), front("SS", 2, 300, 7, 1000, 2000)},
                   100);
    build();
    ASSERT_TRUE(view->openRayTables());
    const QImage clean = view->surface(Surface::Clean);
    const QRect inner = view->metrics().inner;
    for (int t : {150, 250, 350, 1500, 120}) {
        ASSERT_TRUE(view->tick(t));
        const QImage drawn = working();
        EXPECT_NE(drawn, clean) << t;
        view->presentWorking();
        EXPECT_EQ(view->surface(Surface::Screen).copy(inner), drawn) << t;
        EXPECT_EQ(working(), clean) << t;
    }
}

TEST_F(CrossSectionViewTest, TablesWithEveryRecordAtTimeZeroDrawNoFronts) {
    writeRayTables(dir.path(), {front("P", 1, 0, 6, 3000, 0), front("S", 2, 0, 6, -3000, 0)}, 10);
    build();
    view->openRayTables();
    EXPECT_EQ(view->rayTable().timeStep(), 0);
    EXPECT_TRUE(view->tick(30));
    EXPECT_EQ(working(), view->surface(Surface::Clean));
}

TEST_F(CrossSectionViewTest, SurfaceArcsAfterTheFirstMinuteOnly) {
    run.depth = 20;
    build();   // no ray tables at all: the arcs still work
    EXPECT_FALSE(view->openRayTables());
    view->tick(60);
    EXPECT_EQ(working(), view->surface(Surface::Clean));
    view->tick(600);   // band from 12.4 to 20.5 degrees
    const float d = 16.4f * 0.017453292f;
    const int x = int(167 * std::sin(d)), y = int(-167 * std::cos(d));
    EXPECT_TRUE(near(working(), wo(), x, y, kYellow, 1));
    EXPECT_TRUE(near(working(), wo(), -x, y, kYellow, 1));
    const float outside = 25 * 0.017453292f;
    EXPECT_FALSE(near(working(), wo(), int(167 * std::sin(outside)), int(-167 * std::cos(outside)),
                      kYellow, 1));
    view->presentWorking();
    EXPECT_EQ(working(), view->surface(Surface::Clean));
    // At 100 km depth there are none.
    run.depth = 100;
    view->tick(600);
    EXPECT_EQ(working(), view->surface(Surface::Clean));
}

TEST_F(CrossSectionViewTest, FlashAtTheHypocentre) {
    run.depth = 637.1f;
    build();
    view->flash(1.0f);
    EXPECT_EQ(view->flashRect(), QRect(-10, -151 - 10, 20, 20));
    EXPECT_EQ(at(view->surface(Surface::Screen), view->origin(Surface::Screen), 0, -151 + 5),
              QColor(Qt::white));
}

}  // namespace
