// Travel-time tables, seismograms and pixel probes made up for the view tests.
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
std::unique_ptr<KSAC> makeTrace(const std::string& station, const std::vector<float>& samples, float delta, float start, float latitude = 0,
                                float longitude = 0);
// Colour of a logical point of a picture whose logical origin is `origin`.
QColor at(const QImage& image, QPoint origin, int x, int y);
// Any pixel of `colour` within `radius` of the logical point.
bool near(const QImage& image, QPoint origin, int x, int y, QColor colour, int radius = 1);
