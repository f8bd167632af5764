#include "data/EventFile.h"

#include "data/RunSetup.h"
#include "fileio/FileSystem.h"
#include "fileio/TextInput.h"

#include <cstdio>

using namespace textinput;

const std::array<const char*, 13> monthAbbreviations = {
    "", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

namespace {

// "%d/%d/%d": fills as many fields as can be read, in order.
void parseDate(const std::string& text, int32_t& year, int32_t& month, int32_t& day) {
    std::size_t pos = 0;
    if (!readInt(text, pos, year)) return;
    if (pos >= text.size() || text[pos] != '/') return;
    ++pos;
    if (!readInt(text, pos, month)) return;
    if (pos >= text.size() || text[pos] != '/') return;
    ++pos;
    readInt(text, pos, day);
}

// "%d:%d:%f".
void parseTime(const std::string& text, int32_t& hour, int32_t& minute, float& second) {
    std::size_t pos = 0;
    if (!readInt(text, pos, hour)) return;
    if (pos >= text.size() || text[pos] != ':') return;
    ++pos;
    if (!readInt(text, pos, minute)) return;
    if (pos >= text.size() || text[pos] != ':') return;
    ++pos;
    readFloat(text, pos, second);
}

// A text written as a value must stay on its line.
std::string oneLine(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c == '\n' || c == '\r' || c == '\0') c = ' ';
    return out;
}

std::string unsignedText(int32_t value, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*u", width, static_cast<unsigned>(value));
    return buffer;
}

void deriveDateAndTime(EventRecord& r) {
    parseDate(r.dateText, r.year, r.month, r.day);
    parseTime(r.originTimeText, r.hour, r.minute, r.second);
    r.dateDisplay = formatDateDisplay(r.year, r.month, r.day);
}

std::string eventFileText(const EventRecord& r, const std::vector<StationRecord>& stations,
                          bool useOwnList) {
    std::string t;
    t += "EVENT NAME: " + oneLine(r.name) + "\r\n";
    t += "EVENT LATITUDE: " + formatFixed(r.latitude, 10, 4) + "\r\n";
    t += "EVENT LONGITUDE: " + formatFixed(r.longitude, 10, 4) + "\r\n";
    t += "EVENT DEPTH: " + formatFixed(r.depth, 10, 1) + "\r\n";
    t += "EVENT MAGNITUDE: " + formatFixed(r.magnitude, 6, 1) + "\r\n";
    t += "EVENT DATE: " + oneLine(r.dateText) + "\r\n";
    t += "ORIGIN TIME: " + oneLine(r.originTimeText) + "\r\n";
    t += "TIME ACCELERATION: " + std::to_string(r.timeAcceleration) + "\r\n";
    t += "TIME WINDOW: " + std::to_string(r.timeWindow) + "\r\n";
    t += "TIME LIMIT: " + std::to_string(r.timeLimit) + "\r\n";
    t += "VIEW ANGLE: " + std::to_string(r.viewAngle) + "\r\n";
    auto station = [&t](const std::string& file) {
        // A component without a file name has nothing to list.
        if (!file.empty()) t += "STATION FILE: " + oneLine(file) + "\r\n";
    };
    if (useOwnList) {
        for (const ComponentRecord& c : r.stationFiles) station(c.fileName);
    } else {
        for (const StationRecord& s : stations)
            for (int place = 0; place < 3; ++place)
                if (s.selected[static_cast<std::size_t>(place)])
                    station(s.componentFile[static_cast<std::size_t>(place)]);
    }
    return t;
}

}   // namespace

std::string formatDateDisplay(int year, int month, int day) {
    const char* abbreviation = (month >= 1 && month <= 12)
                                   ? monthAbbreviations[static_cast<std::size_t>(month)]
                                   : "";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s. %d, %04d", abbreviation, day, year);
    return buffer;
}

EventRecord newEventRecord() {
    EventRecord r;
    r.name = "Event Name";
    r.fileName = "1990010100.EVT";
    r.dateText = "1990/01/01";
    r.originTimeText = "00:00:00.0";
    r.timeWindow = 1800;
    r.viewAngle = 180;
    r.timeAcceleration = 20;
    r.timeLimit = 1800;
    deriveDateAndTime(r);
    return r;
}

EventRecord readEventFile(const std::string& path) {
    EventRecord r;
    r.timeLimit = 7200;
    std::string data;
    if (path.empty() || !readWholeFile(path, data, std::size_t(1) << 24)) {
        deriveDateAndTime(r);
        return r;
    }
    r.fileName = path;
    const std::string text = textMode(data);
    // Lines are read whole: a STATION FILE line carries a name of up to 255
    // characters (data centres name their files by network, station,
    // location, channel and time).
    PieceReader reader(text, text.size() + 2);
    std::string_view piece;
    std::string word;
    while (reader.next(piece)) {
        const std::string_view written = chopLineFeed(piece);
        const std::string line = toUpper(written);
        if (scanFloat(line, "EVENT LATITUDE: ", r.latitude)) continue;
        if (scanFloat(line, "EVENT LONGITUDE: ", r.longitude)) continue;
        if (scanFloat(line, "EVENT DEPTH: ", r.depth)) continue;
        if (scanFloat(line, "EVENT MAGNITUDE: ", r.magnitude)) continue;
        if (scanWord(line, "EVENT DATE: ", word)) {
            r.dateText = cut(word, kDateTextMax);
            continue;
        }
        if (line.compare(0, 11, "EVENT NAME:") == 0) {
            r.name = written.size() > 12 ? cut(written.substr(12), kEventNameMax) : std::string();
            continue;
        }
        if (scanWord(line, "ORIGIN TIME: ", word)) {
            r.originTimeText = cut(word, kDateTextMax);
            continue;
        }
        if (scanInt(line, "TIME ACCELERATION: ", r.timeAcceleration)) continue;
        if (scanInt(line, "TIME WINDOW: ", r.timeWindow)) continue;
        if (scanInt(line, "TIME LIMIT: ", r.timeLimit)) continue;
        if (scanInt(line, "VIEW ANGLE: ", r.viewAngle)) continue;
        if (scanWord(line, "STATION FILE: ", word)) {
            ComponentRecord c;
            c.fileName = word;
            r.stationFiles.push_back(std::move(c));
            continue;
        }
    }
    deriveDateAndTime(r);
    return r;
}

bool writeEventFile(const EventRecord& record, const std::vector<StationRecord>& stations,
                    bool useOwnList, const std::string& dir) {
    if (record.fileName.empty()) return false;
    return writeFileAtomically(joinPath(dir, record.fileName),
                               eventFileText(record, stations, useOwnList));
}

bool writeEventFileByDate(EventRecord& record, const std::string& dir) {
    record.fileName = unsignedText(record.year, 4) + unsignedText(record.month, 2)
                      + unsignedText(record.day, 2) + unsignedText(record.hour, 2) + ".evt";
    return writeEventFile(record, {}, true, dir);
}

void refreshEventTexts(EventRecord& record) {
    record.fileName = unsignedText(record.year, 4) + unsignedText(record.month, 2)
                      + unsignedText(record.day, 2) + unsignedText(record.hour, 2) + ".evt";
    record.dateText = cut(unsignedText(record.year, 4) + "/" + unsignedText(record.month, 2) + "/"
                              + unsignedText(record.day, 2),
                          kDateTextMax);
    record.originTimeText = cut(unsignedText(record.hour, 2) + ":" + unsignedText(record.minute, 2)
                                    + ":" + formatFixed(record.second, 4, 1, '0'),
                                kDateTextMax);
    record.dateDisplay = formatDateDisplay(record.year, record.month, record.day);
}
