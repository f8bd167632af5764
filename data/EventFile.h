// The event record and the event file ("*.evt"): one earthquake the display
// can play, with the seismogram files of the stations it uses.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct StationRecord;

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};

// One seismogram file of one station component.
struct ComponentRecord {
    std::string stationName;   // at most 8 characters
    char component = 'Z';      // 'Z', 'N' or 'E'
    float latitude = 0;
    float longitude = 0;
    std::string fileName;      // relative to the event's folder, kept whole
    std::string description;   // at most 63 characters
};

// Longest texts each field keeps; longer values are cut, never overflow.
constexpr std::size_t kEventNameMax = 39;
constexpr std::size_t kEventFileNameMax = 47;
constexpr std::size_t kDateTextMax = 15;
// Longest seismogram file name, the longest name a file system holds. Such
// names are never cut: a cut name finds no file and its trace would vanish.
// Readers keep a longer one whole (it then simply names no file); the
// maintenance program refuses to edit an event that lists one.
constexpr std::size_t kComponentFileNameMax = 255;

struct EventRecord {
    std::string name;
    std::string fileName;
    std::vector<ComponentRecord> stationFiles;
    Rect mapLabelRect;
    Rect mapMarkerRect;
    float latitude = 0;
    float longitude = 0;
    float depth = 0;
    float magnitude = 0;
    std::string dateText;
    std::string dateDisplay;
    std::string originTimeText;
    int32_t timeWindow = 1800;
    int32_t viewAngle = 180;
    int32_t timeAcceleration = 20;
    int32_t year = 1990, month = 1, day = 1;
    int32_t hour = 0, minute = 0;
    float second = 0;
    int32_t timeLimit = 1800;
};

// "", "Jan", ..., "Dec".
extern const std::array<const char*, 13> monthAbbreviations;

// A record with the defaults of a new event (name "Event Name", date
// 1990/01/01, origin 00:00:00.0, window 1800 s, angle 180, acceleration 20,
// limit 1800 s) and its derived date and time fields.
EventRecord newEventRecord();

// Reads an event file. A file that cannot be opened gives a record with only
// the reading start values (latitude and longitude 0, limit 7200, no station
// files, empty fileName). Never fails on odd contents.
EventRecord readEventFile(const std::string& path);

// Writes `record` to the file named by record.fileName (relative to `dir`
// unless absolute), replacing it atomically. With useOwnList the STATION FILE
// lines are record.stationFiles; otherwise they are the selected components
// (Z, N, E) of `stations` in list order. False when the file cannot be written.
bool writeEventFile(const EventRecord& record, const std::vector<StationRecord>& stations,
                    bool useOwnList, const std::string& dir = "");

// Names the file after the date and hour ("%04u%02u%02u%02u.evt") and writes it
// with its own station list. False when the file cannot be written.
bool writeEventFileByDate(EventRecord& record, const std::string& dir = "");

// Recomputes fileName, dateText, originTimeText and dateDisplay from the numbers.
void refreshEventTexts(EventRecord& record);

// "%s. %d, %04d" from the month abbreviation, day and year (months outside
// 1..12 show no abbreviation).
std::string formatDateDisplay(int year, int month, int day);
