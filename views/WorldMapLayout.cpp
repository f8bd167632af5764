#include "views/WorldMapLayout.h"

#include "data/EventCatalogue.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Truncates toward zero into the int range.
int truncate(double v) {
    if (!(v == v)) return 0;
    if (v >= INT_MAX) return INT_MAX;
    if (v <= INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

// a + b without leaving the int range (labels pushed far down stay finite).
int addClamped(int a, int b) {
    const long long s = static_cast<long long>(a) + b;
    return static_cast<int>(std::clamp<long long>(s, INT_MIN, INT_MAX));
}

}   // namespace

WorldMapScreen layoutWorldMapScreen(const Rect& client, const MapFontMetrics& metrics, bool canExit,
                                    const std::string& exitLabel, float buttonHeight) {
    WorldMapScreen s;
    s.client = client;
    s.mapArea = Rect{client.left + 15, client.top + 15, client.right - 15,
                     truncate(client.bottom - 15 - 2.5 * metrics.textHeight)};
    s.mapRect = s.mapArea;
    s.projection.leftLongitude = kMapLeftLongitude;
    s.projection.fitMap(360, kMapSouth, kMapNorth, s.mapRect);

    // Title and buttons share the strip below the map area.
    s.titleCentreX = (client.left + client.right) / 2;
    s.titleCentreY = (s.mapArea.bottom + client.bottom) / 2;
    const int h = std::max(0, truncate(metrics.textHeight * static_cast<double>(buttonHeight)));
    const int top = s.titleCentreY - h / 2;
    s.hasExitButton = canExit;
    if (canExit) {
        const int w = (static_cast<int>(exitLabel.size()) + 3) * metrics.averageCharWidth;
        s.exitButton = Rect{client.left + 5, top, client.left + 5 + w, top + h};
    }
    const int infoWidth = 13 * metrics.averageCharWidth;
    s.infoButton = Rect{client.right - infoWidth - 5, top, client.right - 5, top + h};
    return s;
}

void screenPoint(const WorldMapScreen& screen, float latitude, float longitude, int& x, int& y) {
    int32_t dx = 0, dy = 0;
    screen.projection.mapPoint(latitude, longitude, dx, dy);
    x = addClamped(screen.mapRect.left, dx);
    y = addClamped(screen.mapRect.top, dy);
}

void stationPoint(const WorldMapScreen& screen, float latitude, float longitude, int& x, int& y) {
    if (latitude < kMapSouth) latitude = static_cast<float>(kMapSouth);
    if (latitude > kMapNorth) latitude = static_cast<float>(kMapNorth);
    screenPoint(screen, latitude, longitude, x, y);
    const Rect& map = screen.mapRect;
    x = std::clamp(x, map.left, std::max(map.left, map.right - 1));
    y = std::clamp(y, map.top, std::max(map.top, map.bottom - 1));
}

Rect eventMarkerRect(int x, int y) { return Rect{x - 10, y - 10, x + 11, y + 11}; }

Rect stationMarkerRect(int x, int y) { return Rect{x - 8, y - 8, x + 9, y + 9}; }

Rect titleBoxRect(int centreX, int centreY, int textWidth, int textHeight) {
    const int w = textWidth + 12;
    const int h = textHeight + 4;
    return Rect{centreX - w / 2, centreY - h / 2, centreX - w / 2 + w, centreY - h / 2 + h};
}

bool rectContains(const Rect& r, int x, int y) {
    return r.left <= x && x < r.right && r.top <= y && y < r.bottom;
}

bool rectsOverlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void layoutEventLabel(EventCatalogue& catalogue, int index, const WorldMapScreen& screen,
                      const MapFontMetrics& metrics, const TextWidth& width) {
    EventRecord& e = catalogue.at(index);
    int x = 0, y = 0;
    screenPoint(screen, e.latitude, e.longitude, x, y);
    e.mapMarkerRect = eventMarkerRect(x, y);

    const int wmax = std::max(width(e.name), width(e.dateDisplay));
    const int halfWidth = (wmax + 3 * metrics.averageCharWidth) / 2;
    const int halfHeight = (3 * metrics.textHeight) / 2;
    Rect label{x - halfWidth, y - halfHeight, x + halfWidth, y + halfHeight};

    const Rect& map = screen.mapRect;
    if (map.left + 6 >= label.left) {
        const int shift = map.left + 10 - label.left;
        label.left += shift;
        label.right += shift;
    }
    if (label.right >= map.right - 6) {
        const int shift = label.right - (map.right - 10);
        label.left -= shift;
        label.right -= shift;
    }

    // Each move puts the top strictly lower (onto the bottom of a label that
    // reached below it), so the loop ends after at most one move per label.
    const int height = 3 * metrics.textHeight;
    for (int moves = 0; moves <= catalogue.count(); ++moves) {
        const EventRecord* hit = nullptr;
        for (int j = 0; j < catalogue.count(); ++j) {
            if (j == index) continue;
            const EventRecord& other = catalogue.at(j);
            if (other.name == e.name) continue;
            if (rectsOverlap(other.mapLabelRect, label)) {
                hit = &other;
                break;
            }
        }
        if (!hit) break;
        label.top = hit->mapLabelRect.bottom;
        label.bottom = addClamped(label.top, height);
    }
    e.mapLabelRect = label;
}

void layoutEventLabels(EventCatalogue& catalogue, const WorldMapScreen& screen,
                       const MapFontMetrics& metrics, const TextWidth& width) {
    for (int i = 0; i < catalogue.count(); ++i) catalogue.at(i).mapLabelRect = Rect{};
    for (int i = 0; i < catalogue.count(); ++i)
        layoutEventLabel(catalogue, i, screen, metrics, width);
}

int eventLabelAt(const EventCatalogue& catalogue, int x, int y) {
    for (int i = 0; i < catalogue.count(); ++i)
        if (rectContains(catalogue.at(i).mapLabelRect, x, y)) return i;
    return -1;
}

int stationAt(const std::vector<StationRecord>& stations, int x, int y) {
    for (std::size_t i = 0; i < stations.size(); ++i)
        if (rectContains(stations[i].mapMarkerRect, x, y)) return static_cast<int>(i);
    return -1;
}

void attachStationDescriptions(std::vector<StationRecord>& stations,
                               const std::string& stationListText) {
    // Header names may stand anywhere in their eight bytes.
    auto trimmed = [](std::string s) {
        while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
        const std::size_t first = s.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : s.substr(first);
    };
    std::size_t start = 0;
    while (start < stationListText.size()) {
        std::size_t end = stationListText.find('\n', start);
        if (end == std::string::npos) end = stationListText.size();
        const StationRecord line = parseStationLine(
            trimmed(stationListText.substr(start, end - start)));
        start = end + 1;
        if (line.stationName.empty()) continue;
        for (StationRecord& s : stations)
            if (s.description.empty() && trimmed(s.stationName) == line.stationName)
                s.description = line.description;
    }
}
