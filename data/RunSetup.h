// The run being played (event fields, tables, seismograms) and the stations
// of an event folder with their components.
#pragma once

#include "data/EventFile.h"
#include "data/Seismogram.h"
#include "seismology/TravelTimes.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

struct RunState {
    std::string name;
    std::string eventPath;
    std::string folder;
    int16_t seismogramCount = 0;
    float timeAcceleration = 20;
    int16_t timeWindow = 1800;
    int16_t timeLimit = 7200;
    int16_t viewAngle = 180;
    float latitude = 0, longitude = 0;
    float depth = 0;
    float magnitude = 0;
    std::string dateText, originTimeText, dateDisplay;
    int16_t year = 1990, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
    double originSeconds = 0;
    std::array<TravelTimeTable, 4> tables;   // P, S, PP, SS
    std::vector<std::unique_ptr<KSAC>> seismograms;
    // Directory the run's files are found in ("." for the working directory).
    std::string directory = ".";
    // Seismogram files the event lists that loadRun left out, and why
    // ("missing", "not a readable seismogram", "too many seismograms").
    struct DroppedFile {
        std::string file;
        std::string reason;
    };
    std::vector<DroppedFile> dropped;
};

RunState& theRunState();

struct StationRecord {
    std::string stationName;   // up to 8 characters
    std::string description;   // up to 63 characters
    float latitude = 0, longitude = 0;
    std::array<bool, 3> selected{};   // Z, N, E
    std::array<bool, 3> available{};
    std::array<std::string, 3> componentFile;
    Rect mapMarkerRect;
};

// Place of a component letter: Z 0, N 1, E 2 (anything else 0).
int componentPlace(char component);

// Where messages of the data layer go ("No files found"); the GUI shows them
// in a message box, tests record them.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(const std::string& text) = 0;
};

// Loads the event file `eventFile` (relative to run.directory) into the run;
// an empty name reloads the previous one. False when the file cannot be
// opened or holds no line of an event file (an empty or foreign file would
// otherwise replay the previous event under its name); the run, its
// eventPath included, is then unchanged.
bool loadRun(RunState& run, const std::string& eventFile);

StationRecord parseStationLine(const std::string& line);
ComponentRecord componentFromSeismogram(const KSAC& seismogram);
StationRecord stationFromComponent(const ComponentRecord& component);

// The stations of the event's folder (in `dir`) with their components,
// selected where the event lists the file. Shows "No files found" through
// `sink` and returns an empty list when the folder cannot be listed.
std::vector<StationRecord> buildStationList(const EventRecord& event, MessageSink* sink,
                                            const std::string& dir = ".");
