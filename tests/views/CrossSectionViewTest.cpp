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
const QColor kWhite(Qt::white);
const float kKm = 168.0f / 6371;   // pixels per kilometre

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
    // Builds the pictures, with ray tables of `records` when there are any.
    void build(const std::vector<RayRecord>& records = {}, int step = 10) {
        if (!records.empty()) writeRayTables(dir.path(), records, step);
        ASSERT_TRUE(view->createPictures());
        view->redraw();
        EXPECT_EQ(view->openRayTables(), !records.empty());
    }
    bool drawn(int x, int y, QColor c, int r = 1, Surface s = Surface::Working) {
        return near(view->surface(s), view->origin(s), x, y, c, r);
    }
    // On the rim at `degrees` from the top, left (-1) or right (+1).
    bool onRim(float degrees, int side, QColor c, int r, Surface s = Surface::Working, int R = 168) {
        const float a = degrees * 0.017453292f;
        return drawn(int(side * R * std::sin(a)), int(-R * std::cos(a)), c, r, s);
    }
    const QImage& working() { return view->surface(Surface::Working); }
    const QImage& clean() { return view->surface(Surface::Clean); }

    QTemporaryDir dir;
    RunState run;
    std::unique_ptr<CrossSectionView> view;
};

TEST_F(CrossSectionViewTest, DiscCoresAndStationsAlsoWithUnsetOrUnreadableDistances) {
    for (auto [name, lon, gcarc] : {std::tuple{"ANMO", 0.0f, 45.0f}, {"NANS", 60.0f, std::nanf("")},
                                    {"UNSET", 120.0f, -12345.0f}}) {
        run.seismograms.push_back(makeTrace(name, {0, 1}, 1, 0, 0, lon));
        run.seismograms.back()->header.f[GCARC] = gcarc;
    }
    run.seismogramCount = 3;
    build();
    EXPECT_EQ(view->radius(), 168);
    // Grey mantle and cores, black core circles at radii 91 and 34, white rim.
    const QPoint o = view->origin(Surface::Clean);
    EXPECT_EQ((std::vector<QColor>{at(clean(), o, 130, 0), at(clean(), o, 60, 0), at(clean(), o, 180, 0)}),
              (std::vector<QColor>{QColor(128, 128, 128), QColor(128, 128, 128), Qt::black}));   // the last outside
    EXPECT_TRUE(drawn(91, 0, Qt::black, 1, Surface::Clean) && drawn(0, 34, Qt::black, 1, Surface::Clean));
    EXPECT_TRUE(drawn(167, 0, kWhite, 1, Surface::Clean));
    // Distances that are not numbers or unset are computed from the coordinates.
    EXPECT_NEAR(run.seismograms[1]->header.f[GCARC], 60, 0.01);
    EXPECT_NEAR(run.seismograms[2]->header.f[GCARC], 120, 0.01);
    for (float d : {45.0f, 60.0f, 120.0f}) EXPECT_TRUE(onRim(d, -1, kWhite, 3, Surface::Clean)) << d;
    EXPECT_EQ(working(), clean());
}

TEST_F(CrossSectionViewTest, FrontsMirroredInTheirLegColours) {
    build({front("X", 1, 0, 2, 0, 0), front("P", 1, 10, 3, 3000, 600), front("S", 2, 10, 3, -3000, 600),
           front("Y", 7, 10, 3, 0, 600)});
    EXPECT_EQ(view->rayTable().timeStep(), 10);
    EXPECT_TRUE(view->tick(15));   // step 1 (time 10)
    const int y = int(-kKm * 3000), x = int(kKm * 900);
    EXPECT_TRUE(drawn(x, y, kRed) && drawn(-x, y, kRed));   // mirrored
    EXPECT_TRUE(drawn(x, -y, kCyan));
    EXPECT_TRUE(drawn(x, 0, Qt::black));   // any other leg is black
    EXPECT_FALSE(view->tick(0));
}

TEST_F(CrossSectionViewTest, SixPointFrontsAreLabelledAndTheFirstInFileWins) {
    theSettings().labelPhasesOnCrossSection = true;
    build({front("X", 1, 0, 2, 0, 0), front("PKP", 1, 10, 5, 3000, 0), front("SKS", 2, 10, 6, -3000, 0),
           front("P", 1, 20, 6, 3000, 0), front("S", 2, 20, 6, 3000, 40)});
    view->tick(10);   // 5 points: never labelled
    ASSERT_EQ(view->tickLabels().size(), 1u);
    EXPECT_EQ(view->tickLabels()[0].topLeft(), QPoint(0, int(kKm * 3000)));
    view->tick(20);   // both first points nearly at the same place
    ASSERT_EQ(view->tickLabels().size(), 1u);
    EXPECT_EQ(view->tickLabels()[0].topLeft(), QPoint(0, int(-kKm * 3000)));
    theSettings().labelPhasesOnCrossSection = false;
    view->tick(20);
    EXPECT_TRUE(view->tickLabels().empty());
}

TEST_F(CrossSectionViewTest, ScreenShowsExactlyEachTickAndNothingOfTheOneBefore) {
    theSettings().labelPhasesOnCrossSection = true;
    run.depth = 20;   // with the surface-wave arcs
    build({front("P", 1, 100, 8, 4000, -1200), front("S", 2, 100, 6, -2000, 300),
           front("PKP", 1, 200, 8, -5000, 600), front("SS", 2, 300, 7, 1000, 2000)},
          100);
    const QImage cleanPicture = clean();
    const QRect inner = view->metrics().inner;
    for (int t : {150, 250, 350, 1500, 120}) {
        ASSERT_TRUE(view->tick(t));
        const QImage picture = working();
        EXPECT_NE(picture, cleanPicture) << t;
        view->presentWorking();
        EXPECT_EQ(view->surface(Surface::Screen).copy(inner), picture) << t;
        EXPECT_EQ(working(), cleanPicture) << t;
    }
}

TEST_F(CrossSectionViewTest, TablesWithEveryRecordAtTimeZeroDrawNoFronts) {
    build({front("P", 1, 0, 6, 3000, 0), front("S", 2, 0, 6, -3000, 0)});
    EXPECT_EQ(view->rayTable().timeStep(), 0);
    EXPECT_TRUE(view->tick(30));
    EXPECT_EQ(working(), clean());
}

TEST_F(CrossSectionViewTest, SurfaceArcsAfterTheFirstMinuteOfShallowEventsAndFlashAtTheHypocentre) {
    run.depth = 20;
    build();   // no ray tables at all: the arcs still work
    view->tick(60);
    EXPECT_EQ(working(), clean());
    view->tick(600);   // band from 12.4 to 20.5 degrees
    EXPECT_TRUE(onRim(16.4f, 1, kYellow, 1, Surface::Working, 167) && onRim(16.4f, -1, kYellow, 1, Surface::Working, 167));
    EXPECT_FALSE(onRim(25, 1, kYellow, 1, Surface::Working, 167));
    view->presentWorking();
    EXPECT_EQ(working(), clean());
    run.depth = 100;
    view->tick(600);
    EXPECT_EQ(working(), clean());

    run.depth = 637.1f;
    ASSERT_TRUE(view->createPictures());
    view->redraw();
    view->flash(1.0f);
    EXPECT_EQ(view->flashRect(), QRect(-10, -151 - 10, 20, 20));
    EXPECT_EQ(at(view->surface(Surface::Screen), view->origin(Surface::Screen), 0, -151 + 5), kWhite);
}

}  // namespace
