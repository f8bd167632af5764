// The world map's Mercator table, its fitting into the window and its points.
#include "views/MapProjection.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Mercator, LookupFollowsTheOrdinateUpToEightyEight) {
    EXPECT_TRUE(std::fabs(mercatorLookup(0)) < 1e-9 && std::fabs(mercatorLookup(30) - 31.47) < 0.01);
    double last = mercatorLookup(-88.99);
    for (double lat = -88.9; lat < 89; lat += 0.01) {
        const double m = mercatorLookup(lat);
        ASSERT_TRUE(lat > 88.9 || std::fabs(m - mercatorOrdinate(lat)) < 2e-3) << lat;
        ASSERT_GE(m, last) << lat;
        last = m;
    }
    const double at88 = mercatorLookup(88);
    for (double high : {89.0, 90.0, 1e300, double(INFINITY)}) EXPECT_EQ(mercatorLookup(high), at88) << high;
    EXPECT_EQ(std::make_tuple(mercatorLookup(-135), mercatorLookup(NAN)), std::make_tuple(-at88, 0.0));
    // Just below 89 the last interval is interpolated, never past its end.
    const double lo = mercatorOrdinate(88 + 59.0 / 60), hi = mercatorOrdinate(89);
    EXPECT_NEAR(mercatorLookup(88.99), lo + (hi - lo) * 0.4, 2e-3);
    EXPECT_NEAR(mercatorLookup(88.99999999), hi, 1e-3);
}

TEST(FitMap, AreaIsNarrowedOrLoweredAndCentred) {
    const double m = mercatorLookup(80) - mercatorLookup(-60);
    MapProjection p;
    const int needed = static_cast<int>(400 / m * 360);
    Rect r{100, 50, 100 + 2 * needed, 450};   // height-limited
    p.fitMap(360, -60, 80, r);
    EXPECT_TRUE(p.sx == p.sy && std::fabs(p.sy - 400 / m) < 1e-9 && p.mapHeight == 400);
    const int wFit = static_cast<int>(p.sy * 360);
    EXPECT_EQ(std::make_tuple(r.left, r.top, r.right, r.bottom),   // counted from 0, not from 100
              std::make_tuple((2 * needed - wFit) / 2, 50, (2 * needed + wFit) / 2, 450));

    r = Rect{0, 20, 720, 1020};   // width-limited; a span of 0 is the whole globe
    p.fitMap(0, -60, 80, r);
    const int hFit = static_cast<int>(m * 2);
    EXPECT_EQ(std::make_tuple(p.sx, p.sy, p.mapHeight), std::make_tuple(2.0, 2.0, hFit));
    EXPECT_EQ(std::make_tuple(r.left, r.top, r.right, r.bottom), std::make_tuple(0, (1000 - hFit) / 2, 720, (1000 + hFit) / 2));
    EXPECT_EQ(std::make_tuple(p.m0, p.m1), std::make_tuple(mercatorLookup(-60), mercatorLookup(80)));
    Rect flat{0, 0, 500, 300};
    p.fitMap(NAN, -60, 80, flat);   // no span: no map, not a crash
    EXPECT_EQ(p.mapHeight, 0);
}

TEST(MapPoint, CornersWrapAroundAndDegenerateInput) {
    EXPECT_EQ(std::make_tuple(longitudeOffset(-115, 65), longitudeOffset(60, 65), longitudeOffset(65, 65)),
              std::make_tuple(180.0f, 355.0f, 0.0f));
    MapProjection p;   // left edge at 65 E
    Rect r{0, 0, 720, 1000};
    p.fitMap(360, -60, 80, r);
    int32_t x = -1, y = -1, x2, y2;
    p.mapPoint(-60, 65, x, y);
    EXPECT_EQ(std::make_tuple(x, y), std::make_tuple(0, p.mapHeight));
    p.mapPoint(80, 64.9, x, y);
    EXPECT_TRUE(x == static_cast<int32_t>(2 * longitudeOffset(64.9f, 65)) && std::abs(y) <= 1) << x << " " << y;
    p.mapPoint(0, -115, x, y);   // the meridian opposite the left edge
    EXPECT_EQ(std::make_tuple(x, y), std::make_tuple(360, static_cast<int32_t>(p.mapHeight + p.m0 * p.sy)));
    p.mapPoint(0, 245, x2, y2);
    EXPECT_EQ(std::make_tuple(x2, y2), std::make_tuple(x, y));
    p.mapPoint(NAN, NAN, x, y);   // no latitude reads as the equator
    p.mapPoint(0, 65, x2, y2);
    EXPECT_EQ(std::make_tuple(x, y), std::make_tuple(x2, y2));
}
