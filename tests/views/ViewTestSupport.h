// Runs, tables, pictures and ray-path files made up for the view tests.
#pragma once

#include "data/RunSetup.h"
#include "data/Settings.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

// A table whose phase reaches d degrees after `secondsPerDegree` x d seconds.
TravelTimeTable linearTable(float secondsPerDegree, float offset = 0);

// A seismogram in memory: `samples` at one per `delta` seconds from `start`.
std::unique_ptr<KSAC> makeTrace(const std::string& station, const std::vector<float>& samples,
                                float delta, float start, float latitude = 0,
                                float longitude = 0);

// Writes an earth%d.bmp of one colour into `dir`.
void writeGlobePicture(const QString& dir, int angle, QColor colour);

// One record of a ray-path data file.
struct RayRecord {
    std::string phase;
    int legType = 1;
    int time = 0;
    std::vector<std::pair<int, int>> points;   // (along, across) km
};
// Writes OV0.INX and OV0.BIN: one index entry per time step of `step`
// seconds, pointing at the first record of that time.
void writeRayTables(const QString& dir, const std::vector<RayRecord>& records, int step);

// Settings reset to their defaults (labels off, chime).
void resetSettings();

// Colour of a logical point of a picture whose logical origin is `origin`.
QColor at(const QImage& image, QPoint origin, int x, int y);
// Any pixel of `colour` within `radius` of the logical point.
bool near(const QImage& image, QPoint origin, int x, int y, QColor colour, int radius = 1);
