// Placement of events on the world map, the layout of their labels and
// hit testing, without a window.
#include "data/EventCatalogue.h"
#include "views/WorldMapLayout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

const MapFontMetrics kMetrics{16, 12, 7};
// Every character 7 pixels wide.
const TextWidth kWidth = [](const std::string& s) { return static_cast<int>(s.size()) * 7; };

WorldMapScreen screenOf(int w, int h, bool canExit = true) {
    return layoutWorldMapScreen(Rect{0, 0, w, h}, kMetrics, canExit, "Exit", 2.0f);
}

EventRecord event(const std::string& name, float lat, float lon, const std::string& file) {
    EventRecord e;
    e.name = name;
    e.dateDisplay = "Jan. 1, 1990";
    e.latitude = lat;
    e.longitude = lon;
    e.fileName = file;
    return e;
}

TEST(WorldMapScreen, MapFitsTheAreaBelowWhichTitleAndButtonsSit) {
    const WorldMapScreen s = screenOf(1024, 700);
    // The area: 15 pixels inside, room for the title strip below.
    EXPECT_EQ(s.mapArea, (Rect{15, 15, 1009, 700 - 15 - 40}));
    // A wide window: the width limits the map, which keeps its left and
    // right and is centred vertically, measured from 0.
    const double mercatorSpan = mercatorLookup(75) - mercatorLookup(-70);
    const int h = s.mapArea.bottom - s.mapArea.top;
    const int fitted = static_cast<int>(mercatorSpan * (994 / 360.0));
    EXPECT_EQ(s.mapRect.left, 15);
    EXPECT_EQ(s.mapRect.right, 1009);
    EXPECT_EQ(s.mapRect.top, (h - fitted) / 2);
    EXPECT_EQ(s.mapRect.bottom, (h + fitted) / 2);
    EXPECT_DOUBLE_EQ(s.projection.sx, s.projection.sy);

    // A flat window: the height limits the map, which keeps its top and
    // bottom and is centred horizontally, measured from 0.
    const WorldMapScreen flat = screenOf(1600, 500);
    const int flatHeight = flat.mapArea.bottom - flat.mapArea.top;
    const int flatWidth = static_cast<int>(flatHeight / mercatorSpan * 360);
    EXPECT_EQ(flat.mapRect.top, 15);
    EXPECT_EQ(flat.mapRect.bottom, flat.mapArea.bottom);
    EXPECT_EQ(flat.mapRect.left, (1570 - flatWidth) / 2);
    EXPECT_EQ(flat.mapRect.right, (1570 + flatWidth) / 2);

    // Title and buttons are centred on the strip under the map area.
    EXPECT_EQ(s.titleCentreX, 512);
    EXPECT_EQ(s.titleCentreY, (645 + 700) / 2);
    EXPECT_TRUE(s.hasExitButton);
    EXPECT_EQ(s.exitButton, (Rect{5, s.titleCentreY - 16, 5 + 7 * 7, s.titleCentreY + 16}));
    EXPECT_EQ(s.infoButton, (Rect{1024 - 91 - 5, s.titleCentreY - 16, 1019, s.titleCentreY + 16}));
    EXPECT_FALSE(screenOf(1024, 700, false).hasExitButton);

    const Rect title = titleBoxRect(500, 100, 200, 30);
    EXPECT_EQ(title, (Rect{394, 83, 606, 117}));
}

TEST(WorldMapPlacement, SixtyFiveEastIsTheLeftEdgeAndSixtyFourEastTheRightEdge) {
    const WorldMapScreen s = screenOf(1024, 700);
    int x = 0, y = 0;
    screenPoint(s, 0, 65, x, y);
    EXPECT_EQ(x, s.mapRect.left);
    screenPoint(s, 0, 64, x, y);
    EXPECT_EQ(x, s.mapRect.left + static_cast<int>(s.projection.sx * 359));
    EXPECT_GT(x, s.mapRect.right - s.projection.sx - 1);
    EXPECT_LT(x, s.mapRect.right);
    // West longitudes wrap: 115 W lies half way round from 65 E.
    screenPoint(s, 0, -115, x, y);
    EXPECT_EQ(x, s.mapRect.left + static_cast<int>(s.projection.sx * 180));
    // The map spans 70 S to 75 N.
    screenPoint(s, -70, 0, x, y);
    EXPECT_EQ(y, s.mapRect.bottom);
    screenPoint(s, 75, 0, x, y);
    EXPECT_NEAR(y, s.mapRect.top, 1);
}

TEST(WorldMapPlacement, StationsBeyondTheFrameStayOnTheMap) {
    for (const WorldMapScreen& s : {screenOf(1024, 700), screenOf(1600, 500)}) {
        const Rect& m = s.mapRect;
        auto inside = [&m](int x, int y) { return rectContains(m, x, y); };
        int x = 0, y = 0, ex = 0, ey = 0;
        // The South Pole sits on the bottom row of the map, at its longitude.
        stationPoint(s, -90, 139.27f, x, y);
        screenPoint(s, -60, 139.27f, ex, ey);
        EXPECT_TRUE(inside(x, y)) << x << "," << y;
        EXPECT_EQ(y, m.bottom - 1);
        EXPECT_EQ(x, ex);
        // Far north: the top row.
        stationPoint(s, 88.5f, -16.7f, x, y);
        EXPECT_TRUE(inside(x, y)) << x << "," << y;
        EXPECT_LE(y, m.top + 1);
        // Stations inside the frame are where events would be.
        stationPoint(s, 34.9f, -106.5f, x, y);
        screenPoint(s, 34.9f, -106.5f, ex, ey);
        EXPECT_EQ(x, ex);
        EXPECT_EQ(y, ey);
        // Just west of 65 E: the right edge, still inside.
        stationPoint(s, 0, 64.9999f, x, y);
        EXPECT_TRUE(inside(x, y)) << x << "," << y;
        for (float lat : {-1e30f, 1e30f, -89.99f, 89.99f}) {
            stationPoint(s, lat, 0, x, y);
            EXPECT_TRUE(inside(x, y)) << lat;
        }
    }
}

TEST(WorldMapLabels, LabelIsCentredOnTheEventAndSizedFromItsTexts) {
    const WorldMapScreen s = screenOf(1024, 700);
    EventCatalogue c;
    c.add(event("ABCDEFGHIJ", 10, -115, "a.evt"));
    layoutEventLabels(c, s, kMetrics, kWidth);
    int x = 0, y = 0;
    screenPoint(s, 10, -115, x, y);
    const EventRecord& e = c.at(0);
    EXPECT_EQ(e.mapMarkerRect, (Rect{x - 10, y - 10, x + 11, y + 11}));
    // wmax = 84 (the date), half width (84 + 21) / 2, half height 24.
    EXPECT_EQ(e.mapLabelRect, (Rect{x - 52, y - 24, x + 52, y + 24}));
}

TEST(WorldMapLabels, LabelsNearTheEdgesArePulledTenPixelsInside) {
    const WorldMapScreen s = screenOf(1024, 700);
    EventCatalogue c;
    c.add(event("Left", 0, 65, "a.evt"));
    c.add(event("Right", 20, 64, "b.evt"));
    c.add(event("Almost left", -20, 65 + 60.0f / s.projection.sx, "c.evt"));   // 60 px in
    layoutEventLabels(c, s, kMetrics, kWidth);
    const Rect& left = c.at(0).mapLabelRect;
    const Rect& right = c.at(1).mapLabelRect;
    EXPECT_EQ(left.left, s.mapRect.left + 10);
    EXPECT_EQ(left.right - left.left, 104);   // moved, not shrunk
    EXPECT_EQ(right.right, s.mapRect.right - 10);
    EXPECT_EQ(right.right - right.left, 104);
    // A label that clears the edge by more than 6 pixels stays centred.
    int x = 0, y = 0;
    screenPoint(s, -20, c.at(2).longitude, x, y);
    EXPECT_EQ(c.at(2).mapLabelRect.left, x - 52);
}

TEST(WorldMapLabels, DifferentlyNamedLabelsNeverOverlapOnACrowdedMap) {
    const WorldMapScreen s = screenOf(800, 600);
    EventCatalogue c;
    // 60 events around three hot spots, with repeated names among them.
    uint32_t seed = 12345;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<uint32_t>(range));
    };
    const float spots[3][2] = {{35, 140}, {-33, -72}, {38, 20}};
    for (int i = 0; i < 60; ++i) {
        const float* spot = spots[i % 3];
        const std::string name = "Quake " + std::to_string(next(25));
        char file[32];
        std::snprintf(file, sizeof file, "%04d.evt", i);
        c.add(event(name, spot[0] + next(9) - 4.0f, spot[1] + next(9) - 4.0f, file));
    }
    layoutEventLabels(c, s, kMetrics, kWidth);
    int sameNameOverlaps = 0;
    for (int i = 0; i < c.count(); ++i)
        for (int j = i + 1; j < c.count(); ++j) {
            const bool overlap = rectsOverlap(c.at(i).mapLabelRect, c.at(j).mapLabelRect);
            if (c.at(i).name != c.at(j).name)
                EXPECT_FALSE(overlap) << c.at(i).fileName << " " << c.at(j).fileName;
            else if (overlap)
                ++sameNameOverlaps;
        }
    EXPECT_GT(sameNameOverlaps, 0);   // the rule leaves those alone

    // Laying out again (the next paint) gives the same labels.
    std::vector<Rect> first;
    for (int i = 0; i < c.count(); ++i) first.push_back(c.at(i).mapLabelRect);
    layoutEventLabels(c, s, kMetrics, kWidth);
    for (int i = 0; i < c.count(); ++i) EXPECT_EQ(c.at(i).mapLabelRect, first[i]);
}

TEST(WorldMapLabels, OverlappingLabelMovesBelowTheOther) {
    const WorldMapScreen s = screenOf(1024, 700);
    EventCatalogue c;
    c.add(event("One", 10, 140, "a.evt"));
    c.add(event("Two", 10, 141, "b.evt"));
    c.add(event("One", 10, 140, "c.evt"));   // same name as the first: may cover it
    layoutEventLabels(c, s, kMetrics, kWidth);
    const Rect& a = c.at(0).mapLabelRect;
    const Rect& b = c.at(1).mapLabelRect;
    EXPECT_EQ(b.top, a.bottom);
    EXPECT_EQ(b.bottom - b.top, 48);
    // The third has the first one's name: it may lie right on top of it.
    EXPECT_EQ(c.at(2).mapLabelRect, a);
}

TEST(WorldMapHitTest, FirstLabelOrMarkerContainingThePointWins) {
    EventCatalogue c;
    EventRecord a = event("A", 0, 0, "a.evt");
    a.mapLabelRect = Rect{10, 10, 50, 40};
    EventRecord b = event("A", 0, 0, "b.evt");
    b.mapLabelRect = Rect{30, 30, 70, 60};
    c.add(a);
    c.add(b);
    EXPECT_EQ(eventLabelAt(c, 10, 10), 0);
    EXPECT_EQ(eventLabelAt(c, 49, 39), 0);
    EXPECT_EQ(eventLabelAt(c, 40, 35), 0);   // both: the first in catalogue order
    EXPECT_EQ(eventLabelAt(c, 50, 35), 1);   // right edge excluded
    EXPECT_EQ(eventLabelAt(c, 9, 10), -1);
    EXPECT_EQ(eventLabelAt(EventCatalogue{}, 0, 0), -1);

    std::vector<StationRecord> stations(2);
    stations[0].mapMarkerRect = stationMarkerRect(100, 100);
    stations[1].mapMarkerRect = stationMarkerRect(110, 100);
    EXPECT_EQ(stations[0].mapMarkerRect, (Rect{92, 92, 109, 109}));
    EXPECT_EQ(stationAt(stations, 92, 92), 0);
    EXPECT_EQ(stationAt(stations, 108, 100), 0);
    EXPECT_EQ(stationAt(stations, 109, 100), 1);
    EXPECT_EQ(stationAt(stations, 200, 200), -1);
    // A station never drawn has an empty marker and is never hit.
    EXPECT_EQ(stationAt(std::vector<StationRecord>(1), 0, 0), -1);
}

TEST(WorldMapStations, DescriptionsComeFromTheStationList) {
    std::vector<StationRecord> stations(3);
    stations[0].stationName = "ANMO    ";
    stations[1].stationName = "COR";
    stations[2].stationName = "XYZ";
    attachStationDescriptions(stations,
                              "ANMO    Albuquerque, New Mexico, USA    34.9459N 106.4572W\r\n"
                              "COR     Corvallis, Oregon, USA          44.5855N 123.3046W\n"
                              "\n\x01garbage");
    EXPECT_EQ(stations[0].description, "Albuquerque, New Mexico, USA");
    EXPECT_EQ(stations[1].description, "Corvallis, Oregon, USA");
    EXPECT_EQ(stations[2].description, "");
}

}  // namespace
