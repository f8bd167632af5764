// Placement of events on the world map, the layout of their labels and
// hit testing, without a window.
#include "data/EventCatalogue.h"
#include "views/WorldMapLayout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

const MapFontMetrics kMetrics{16, 12, 7};
const TextWidth kWidth = [](const std::string& s) { return static_cast<int>(s.size()) * 7; };

WorldMapScreen screenOf(int w, int h, bool canExit = true) {
    return layoutWorldMapScreen(Rect{0, 0, w, h}, kMetrics, canExit, "Exit", 2.0f);
}

EventRecord event(const std::string& name, float lat, float lon, const std::string& file) {
    EventRecord e;
    std::tie(e.name, e.dateDisplay, e.fileName) = std::tuple(name, "Jan. 1, 1990", file);   // the date is the widest text
    std::tie(e.latitude, e.longitude) = std::pair(lat, lon);
    return e;
}

std::pair<int, int> at(const WorldMapScreen& s, float lat, float lon) {
    int x = 0, y = 0;
    screenPoint(s, lat, lon, x, y);
    return {x, y};
}

TEST(WorldMapScreen, MapFitsTheAreaAboveTitleAndButtonsAndSpans65EastRound) {
    const WorldMapScreen s = screenOf(1024, 700);
    EXPECT_EQ(s.mapArea, (Rect{15, 15, 1009, 700 - 15 - 40}));   // 15 inside, the title strip below
    // Wide: the width limits the map, centred vertically (measured from 0);
    // flat: the height limits it, centred horizontally.
    const double span = mercatorLookup(75) - mercatorLookup(-70);
    const int h = s.mapArea.bottom - s.mapArea.top, fitted = static_cast<int>(span * (994 / 360.0));
    EXPECT_EQ(s.mapRect, (Rect{15, (h - fitted) / 2, 1009, (h + fitted) / 2}));
    EXPECT_DOUBLE_EQ(s.projection.sx, s.projection.sy);
    const WorldMapScreen flat = screenOf(1600, 500);
    const int flatWidth = static_cast<int>((flat.mapArea.bottom - flat.mapArea.top) / span * 360);
    EXPECT_EQ(flat.mapRect, (Rect{(1570 - flatWidth) / 2, 15, (1570 + flatWidth) / 2, flat.mapArea.bottom}));
    // Title and buttons centred on the strip under the map area.
    EXPECT_EQ(std::pair(s.titleCentreX, s.titleCentreY), std::pair(512, (645 + 700) / 2));
    EXPECT_EQ(s.exitButton, (Rect{5, s.titleCentreY - 16, 5 + 7 * 7, s.titleCentreY + 16}));
    EXPECT_EQ(s.infoButton, (Rect{1024 - 91 - 5, s.titleCentreY - 16, 1019, s.titleCentreY + 16}));
    EXPECT_FALSE(screenOf(1024, 700, false).hasExitButton);
    EXPECT_EQ(titleBoxRect(500, 100, 200, 30), (Rect{394, 83, 606, 117}));

    // 65 E is the left edge, 64 E the last degree before the right edge,
    // 115 W half way round; the map spans 70 S to 75 N.
    for (auto [lon, degrees] : {std::pair{65.0f, 0}, {64.0f, 359}, {-115.0f, 180}})
        EXPECT_EQ(at(s, 0, lon).first, s.mapRect.left + static_cast<int>(s.projection.sx * degrees)) << lon;
    EXPECT_TRUE(at(s, 0, 64).first < s.mapRect.right && at(s, -70, 0).second == s.mapRect.bottom);
    EXPECT_NEAR(at(s, 75, 0).second, s.mapRect.top, 1);
}

TEST(WorldMapScreen, StationsBeyondTheFrameStayOnTheMap) {
    for (const WorldMapScreen& s : {screenOf(1024, 700), screenOf(1600, 500)}) {
        const Rect& m = s.mapRect;
        int x = 0, y = 0;
        stationPoint(s, -90, 139.27f, x, y);   // the South Pole: bottom row, at its longitude
        EXPECT_EQ(std::pair(x, y), std::pair(at(s, -60, 139.27f).first, m.bottom - 1));
        stationPoint(s, 88.5f, -16.7f, x, y);   // far north: the top row
        EXPECT_TRUE(rectContains(m, x, y) && y <= m.top + 1);
        stationPoint(s, 34.9f, -106.5f, x, y);   // inside the frame: where an event would be
        EXPECT_EQ(std::pair(x, y), at(s, 34.9f, -106.5f));
        stationPoint(s, 0, 64.9999f, x, y);   // just west of 65 E: the right edge, still inside
        EXPECT_TRUE(rectContains(m, x, y));
        for (float lat : {-1e30f, 1e30f, -89.99f, 89.99f}) {
            stationPoint(s, lat, 0, x, y);
            EXPECT_TRUE(rectContains(m, x, y)) << lat;
        }
    }
}

TEST(WorldMapLabels, CentredOnTheEventPulledInsideAtTheEdgesAndMovedBelowAnOther) {
    const WorldMapScreen s = screenOf(1024, 700);
    EventCatalogue c;
    c.add(event("ABCDEFGHIJ", 10, -115, "a.evt"));
    c.add(event("Left", 0, 65, "b.evt"));
    c.add(event("Right", 20, 64, "c.evt"));
    c.add(event("Almost left", -20, 65 + 60.0f / float(s.projection.sx), "d.evt"));   // 60 px in
    c.add(event("One", 10, 140, "e.evt"));
    c.add(event("Two", 10, 141, "f.evt"));
    c.add(event("One", 10, 140, "g.evt"));
    layoutEventLabels(c, s, kMetrics, kWidth);
    const auto [x, y] = at(s, 10, -115);
    EXPECT_EQ(c.at(0).mapMarkerRect, (Rect{x - 10, y - 10, x + 11, y + 11}));
    // Half width (84 + 21) / 2, half height 24.
    EXPECT_EQ(c.at(0).mapLabelRect, (Rect{x - 52, y - 24, x + 52, y + 24}));
    // Moved 10 pixels inside the edges, not shrunk; one 60 pixels in stays centred.
    EXPECT_EQ(std::pair(c.at(1).mapLabelRect.left, c.at(1).mapLabelRect.right), std::pair(s.mapRect.left + 10, s.mapRect.left + 114));
    EXPECT_EQ(std::pair(c.at(2).mapLabelRect.left, c.at(2).mapLabelRect.right), std::pair(s.mapRect.right - 114, s.mapRect.right - 10));
    EXPECT_EQ(c.at(3).mapLabelRect.left, at(s, -20, c.at(3).longitude).first - 52);
    // "Two" overlaps the first "One" and goes below it; the second "One" may cover the first.
    const Rect& one = c.at(4).mapLabelRect;
    EXPECT_EQ(std::tuple(c.at(5).mapLabelRect.top, c.at(5).mapLabelRect.bottom, c.at(6).mapLabelRect),
              std::tuple(one.bottom, one.bottom + 48, one));
}

TEST(WorldMapLabels, DifferentlyNamedLabelsNeverOverlapOnACrowdedMap) {
    const WorldMapScreen s = screenOf(800, 600);
    EventCatalogue c;
    uint32_t seed = 12345;   // 60 events around three hot spots, names repeated among them
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<uint32_t>(range));
    };
    const float spots[3][2] = {{35, 140}, {-33, -72}, {38, 20}};
    for (int i = 0; i < 60; ++i) {
        const std::string name = "Quake " + std::to_string(next(25));
        c.add(event(name, spots[i % 3][0] + next(9) - 4.0f, spots[i % 3][1] + next(9) - 4.0f, std::to_string(i)));
    }
    layoutEventLabels(c, s, kMetrics, kWidth);
    std::vector<Rect> first;
    int sameNameOverlaps = 0;
    for (int i = 0; i < c.count(); ++i) {
        first.push_back(c.at(i).mapLabelRect);
        for (int j = i + 1; j < c.count(); ++j) {
            const bool overlap = rectsOverlap(c.at(i).mapLabelRect, c.at(j).mapLabelRect);
            if (c.at(i).name != c.at(j).name) {
                EXPECT_FALSE(overlap) << i << " " << j;
            } else {
                sameNameOverlaps += overlap;
            }
        }
    }
    EXPECT_GT(sameNameOverlaps, 0);              // the rule leaves those alone
    layoutEventLabels(c, s, kMetrics, kWidth);   // the next paint gives the same labels
    for (int i = 0; i < c.count(); ++i) EXPECT_EQ(c.at(i).mapLabelRect, first[std::size_t(i)]);
}

TEST(WorldMapHitTest, FirstLabelOrMarkerContainingThePointWinsAndStationsAreDescribed) {
    EventCatalogue c;
    EventRecord a = event("A", 0, 0, "a.evt"), b = event("A", 0, 0, "b.evt");
    std::tie(a.mapLabelRect, b.mapLabelRect) = std::pair(Rect{10, 10, 50, 40}, Rect{30, 30, 70, 60});
    c.add(a), c.add(b);
    // Corners, both (the first in catalogue order), the right edge excluded, outside.
    for (auto [x, y, hit] : {std::array{10, 10, 0}, {49, 39, 0}, {40, 35, 0}, {50, 35, 1}, {9, 10, -1}})
        EXPECT_EQ(eventLabelAt(c, x, y), hit) << x << "," << y;
    EXPECT_EQ(eventLabelAt(EventCatalogue{}, 0, 0), -1);

    std::vector<StationRecord> stations(3);
    std::tie(stations[0].mapMarkerRect, stations[1].mapMarkerRect) = std::pair(stationMarkerRect(100, 100), stationMarkerRect(110, 100));
    EXPECT_EQ(stations[0].mapMarkerRect, (Rect{92, 92, 109, 109}));
    for (auto [x, y, hit] : {std::array{92, 92, 0}, {108, 100, 0}, {109, 100, 1}, {200, 200, -1}, {0, 0, -1}})
        EXPECT_EQ(stationAt(stations, x, y), hit) << x << "," << y;   // one never drawn is never hit

    std::tie(stations[0].stationName, stations[1].stationName, stations[2].stationName) = std::tuple("ANMO    ", "COR", "XYZ");
    attachStationDescriptions(stations, "ANMO    Albuquerque, New Mexico, USA    34.9459N 106.4572W\r\n"
                                        "COR     Corvallis, Oregon, USA          44.5855N 123.3046W\n\n\x01garbage");
    EXPECT_EQ(std::tuple(stations[0].description, stations[1].description, stations[2].description),
              std::tuple("Albuquerque, New Mexico, USA", "Corvallis, Oregon, USA", ""));
}

}   // namespace
