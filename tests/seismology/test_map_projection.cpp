#include "views/MapProjection.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Mercator, LookupFollowsTheExactOrdinate) {
    EXPECT_NEAR(mercatorLookup(0), 0, 1e-9);   // the rounded quarter pi leaves 6e-11
    EXPECT_EQ(mercatorLookup(-30), -mercatorLookup(30));
    EXPECT_NEAR(mercatorLookup(30), 31.47, 0.01);
    for (double lat = -88.9; lat <= 88.9; lat += 0.37)
        ASSERT_NEAR(mercatorLookup(lat), mercatorOrdinate(lat), 2e-3) << lat;
    // The table grows with the latitude.
    double last = mercatorLookup(0);
    for (double lat = 0.01; lat < 89; lat += 0.01) {
        const double m = mercatorLookup(lat);
        ASSERT_GE(m, last) << lat;
        last = m;
    }
}

TEST(Mercator, HighLatitudesCountAsEightyEight) {
    const double at88 = mercatorLookup(88);
    EXPECT_NEAR(at88, mercatorOrdinate(88), 1e-4);
    EXPECT_EQ(mercatorLookup(89), at88);
    EXPECT_EQ(mercatorLookup(89.5), at88);
    EXPECT_EQ(mercatorLookup(90), at88);
    EXPECT_EQ(mercatorLookup(-135), -at88);
    EXPECT_EQ(mercatorLookup(INFINITY), at88);
    EXPECT_EQ(mercatorLookup(-INFINITY), -at88);
    EXPECT_EQ(mercatorLookup(NAN), 0);
}

TEST(Mercator, JustBelowEightyNineInterpolatesTheLastInterval) {
    const double lo = mercatorOrdinate(88 + 59.0 / 60), hi = mercatorOrdinate(89);
    const double v = mercatorLookup(88.99);
    EXPECT_GT(v, lo);
    EXPECT_LT(v, hi);
    EXPECT_NEAR(v, lo + (hi - lo) * 0.4, 2e-3);   // 88.99 is 0.4 of the way
    // So close to 89 that the minutes round up to the last entry.
    const double edge = mercatorLookup(88.99999999);
    EXPECT_TRUE(std::isfinite(edge));
    EXPECT_NEAR(edge, hi, 1e-3);
}

TEST(LongitudeOffset, MeasuredEastwardFromTheLeftEdge) {
    EXPECT_EQ(longitudeOffset(-115, 65), 180);
    EXPECT_EQ(longitudeOffset(60, 65), 355);
    EXPECT_EQ(longitudeOffset(65, 65), 0);
    EXPECT_EQ(longitudeOffset(180, 65), 115);
}

TEST(FitMap, HeightLimitedAreaIsNarrowedAndCentred) {
    MapProjection p;
    const double m = mercatorLookup(80) - mercatorLookup(-60);
    const int h = 400;
    const int needed = static_cast<int>(h / m * 360);
    Rect r{100, 50, 100 + 2 * needed, 50 + h};
    p.fitMap(360, -60, 80, r);
    EXPECT_EQ(p.sx, p.sy);
    EXPECT_NEAR(p.sy, h / m, 1e-9);
    EXPECT_EQ(p.mapHeight, h);
    EXPECT_EQ(r.top, 50);      // the height stays
    EXPECT_EQ(r.bottom, 50 + h);
    const int wFit = static_cast<int>(p.sy * 360);
    EXPECT_NEAR(wFit, needed, 1);
    EXPECT_EQ(r.left, (2 * needed - wFit) / 2);   // counted from 0, not from 100
    EXPECT_EQ(r.right, (2 * needed + wFit) / 2);
}

TEST(FitMap, WidthLimitedAreaIsLoweredAndCentred) {
    MapProjection p;
    Rect r{0, 20, 720, 1020};
    p.fitMap(0, -60, 80, r);   // a span of 0 is the whole globe
    EXPECT_EQ(p.sx, 2.0);
    EXPECT_EQ(p.sy, 2.0);
    const double m = mercatorLookup(80) - mercatorLookup(-60);
    const int hFit = static_cast<int>(m * 2);
    EXPECT_EQ(p.mapHeight, hFit);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 720);
    EXPECT_EQ(r.top, (1000 - hFit) / 2);
    EXPECT_EQ(r.bottom, (1000 + hFit) / 2);
    EXPECT_EQ(p.m0, mercatorLookup(-60));
    EXPECT_EQ(p.m1, mercatorLookup(80));
}

TEST(MapPoint, CornersAndWrapAround) {
    MapProjection p;   // left edge at 65 E
    Rect r{0, 0, 720, 1000};
    p.fitMap(360, -60, 80, r);
    int32_t x = -1, y = -1;
    p.mapPoint(-60, 65, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, p.mapHeight);
    p.mapPoint(80, 64.9, x, y);
    EXPECT_EQ(x, static_cast<int32_t>(2 * longitudeOffset(64.9f, 65)));
    EXPECT_LE(std::abs(y), 1);
    p.mapPoint(0, -115, x, y);   // the meridian opposite the left edge
    EXPECT_EQ(x, 360);
    EXPECT_EQ(y, static_cast<int32_t>(p.mapHeight + p.m0 * p.sy));
    int32_t x2, y2;
    p.mapPoint(0, 245, x2, y2);
    EXPECT_EQ(x2, x);
    EXPECT_EQ(y2, y);
}

TEST(MapPoint, DegenerateInputGivesNumbers) {
    MapProjection p;
    Rect r{0, 0, 500, 300};
    p.fitMap(360, 40, 40, r);   // no height at all
    EXPECT_EQ(p.mapHeight, 0);
    Rect r2{0, 0, 500, 300};
    p.fitMap(NAN, -60, 80, r2);
    EXPECT_EQ(p.mapHeight, 0);
    EXPECT_EQ(r2.top, r2.bottom);

    Rect r3{0, 0, 720, 1000};
    p.fitMap(360, -60, 80, r3);
    int32_t x = -1, y = -1, xe, ye;
    p.mapPoint(NAN, NAN, x, y);   // no latitude reads as the equator
    p.mapPoint(0, 65, xe, ye);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, ye);
    p.mapPoint(1e300, 65, x, y);  // beyond the pole reads as 88 N
    p.mapPoint(88, 65, xe, ye);
    EXPECT_EQ(y, ye);
}
