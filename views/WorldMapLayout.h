// Geometry of the world map screen, free of widgets: where the map, the title
// and the buttons go for a client rectangle, where events and stations land
// on the map, how the event labels are laid out so that labels of different
// events never cover each other, and which label or marker a touch hits.
#pragma once

#include "data/EventFile.h"
#include "data/RunSetup.h"
#include "views/MapProjection.h"

#include <functional>
#include <string>
#include <vector>

class EventCatalogue;

// Metrics of the font the map writes its labels in.
struct MapFontMetrics {
    int textHeight = 16;
    int ascent = 12;
    int averageCharWidth = 7;
};

// The frame of the world picture: 360 degrees from 65 E, 70 S to 75 N.
constexpr double kMapLeftLongitude = 65;
constexpr double kMapSouth = -70;
constexpr double kMapNorth = 75;

struct WorldMapScreen {
    Rect client;
    Rect mapArea;   // the area offered to the map, before fitting
    Rect mapRect;   // the fitted map rectangle; its top-left is the map corner
    MapProjection projection;
    int titleCentreX = 0;   // centre of the title box
    int titleCentreY = 0;
    bool hasExitButton = false;
    Rect exitButton;
    Rect infoButton;
};

// Lays out the whole screen for the client rectangle `client`.
WorldMapScreen layoutWorldMapScreen(const Rect& client, const MapFontMetrics& metrics, bool canExit,
                                    const std::string& exitLabel, float buttonHeight);

// The client point of a latitude and longitude on the fitted map.
void screenPoint(const WorldMapScreen& screen, float latitude, float longitude, int& x, int& y);

// The client point where a station is drawn and touched: latitudes beyond
// the map's 70 S and 75 N count as those limits, and the point is kept inside
// the map rectangle, so a polar station stays on the map.
void stationPoint(const WorldMapScreen& screen, float latitude, float longitude, int& x, int& y);

// The box around an event's position, used to find its star in station mode.
Rect eventMarkerRect(int x, int y);
// The disc a station is drawn as, moved to its point.
Rect stationMarkerRect(int x, int y);

// The title box: (w + 12) x (h + 4) centred on the given point.
Rect titleBoxRect(int centreX, int centreY, int textWidth, int textHeight);

// Width of a text in the label font.
using TextWidth = std::function<int(const std::string&)>;

// Lays out the label of catalogue entry `index` (its marker rectangle too):
// centred on the event, pulled 10 pixels inside the map's left and right
// edges when it comes within 6 of them, then moved down below the first
// label of a differently named event that it overlaps, until it overlaps none.
void layoutEventLabel(EventCatalogue& catalogue, int index, const WorldMapScreen& screen,
                      const MapFontMetrics& metrics, const TextWidth& width);

// Lays out every label in catalogue order, starting from empty labels so
// that the result depends only on the screen and the catalogue (and is the
// same at every paint).
void layoutEventLabels(EventCatalogue& catalogue, const WorldMapScreen& screen,
                       const MapFontMetrics& metrics, const TextWidth& width);

// left <= x < right and top <= y < bottom.
bool rectContains(const Rect& r, int x, int y);
// The two rectangles overlap strictly on both axes.
bool rectsOverlap(const Rect& a, const Rect& b);

// The first catalogue entry whose label contains the point, or -1.
int eventLabelAt(const EventCatalogue& catalogue, int x, int y);
// The first station whose marker contains the point, or -1.
int stationAt(const std::vector<StationRecord>& stations, int x, int y);

// Gives each station the description of the line of the station list
// ("ZURIVI.STA" contents) that has its name (trailing blanks ignored).
void attachStationDescriptions(std::vector<StationRecord>& stations,
                               const std::string& stationListText);
