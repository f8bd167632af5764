#include "data/RunSetup.h"

#include "fileio/FileSystem.h"
#include "fileio/TextInput.h"

#include <algorithm>
#include <cmath>

using namespace textinput;

namespace {

constexpr std::size_t kStationLineBuffer = 90;
constexpr std::size_t kStationNameMax = 8;
constexpr std::size_t kDescriptionMax = 63;
constexpr std::size_t kTextFileMax = std::size_t(1) << 24;

// The event's folder: the event file's path without the extension of its
// file name ("1990010100.EVT" gives "1990010100").
std::string folderOf(const std::string& eventPath) {
    const std::string path = normalizeSeparators(eventPath);
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find('.', nameStart);
    return dot == std::string::npos ? path : path.substr(0, dot);
}

void parseInts(const std::string& text, char separator, int32_t* fields[3]) {
    std::size_t pos = 0;
    for (int n = 0; n < 3; ++n) {
        if (n > 0) {
            if (pos >= text.size() || text[pos] != separator) return;
            ++pos;
        }
        int32_t v = 0;
        if (!readInt(text, pos, v)) return;
        *fields[n] = v;
    }
}

void loadTables(RunState& run) {
    for (std::size_t n = 0; n < 4; ++n)
        run.tables[n] = loadTravelTimeTable(kTablePhases[n], run.depth, run.directory);
}

// "ORIGIN TIME": the date and time fields and the origin in seconds.
void setOrigin(RunState& run) {
    int32_t year = run.year, month = run.month, day = run.day;
    int32_t* date[3] = {&year, &month, &day};
    parseInts(run.dateText, '/', date);

    int32_t hour = run.hour, minute = run.minute;
    float seconds = static_cast<float>(run.second) + static_cast<float>(run.millisecond) / 1000.0f;
    std::size_t pos = 0;
    const std::string& t = run.originTimeText;
    if (readInt(t, pos, hour) && pos < t.size() && t[pos] == ':') {
        ++pos;
        if (readInt(t, pos, minute) && pos < t.size() && t[pos] == ':') {
            ++pos;
            readFloat(t, pos, seconds);
        }
    }
    run.year = clampToShort(year);
    run.month = clampToShort(month);
    run.day = clampToShort(day);
    run.hour = clampToShort(hour);
    run.minute = clampToShort(minute);
    run.second = clampToShort(truncToInt(seconds));
    run.millisecond = clampToShort(truncToInt(seconds * 1000.0f) % 1000);
    run.originSeconds = secondsSince1901(run.year, run.month, run.day, run.hour, run.minute,
                                         run.second, run.millisecond);
}

// A fresh seismogram; when the previous run left one, its buffers are reused
// so that playing an event again does not allocate tens of megabytes anew.
std::unique_ptr<KSAC> takeSeismogram(std::vector<std::unique_ptr<KSAC>>& spare) {
    if (spare.empty()) return std::make_unique<KSAC>();
    std::unique_ptr<KSAC> k = std::move(spare.back());
    spare.pop_back();
    std::vector<float> samples = std::move(k->samples);
    std::vector<int16_t> trace = std::move(k->traceBuffer);
    std::vector<uint8_t> sound = std::move(k->soundBuffer);
    *k = KSAC{};
    k->samples = std::move(samples);
    k->traceBuffer = std::move(trace);
    k->soundBuffer = std::move(sound);
    return k;
}

void addSeismogram(RunState& run, std::vector<std::unique_ptr<KSAC>>& spare,
                   const std::string& value) {
    auto k = takeSeismogram(spare);
    k->loadSamples = true;
    RunContext context;
    context.originSeconds = run.originSeconds;
    context.eventLatitude = run.latitude;
    context.eventLongitude = run.longitude;
    for (std::size_t n = 0; n < 4; ++n) context.tables[n] = &run.tables[n];
    // The listed name is always inside the event's folder.
    const std::string path = joinPath(run.directory, run.folder + "/" + value);
    k->readForRun(path, context);
    if (k->npts() != 0 && run.seismogramCount < INT16_MAX) {
        run.seismograms.push_back(std::move(k));
        ++run.seismogramCount;
    } else {
        const char* why = k->npts() != 0     ? "too many seismograms"
                          : fileExists(path) ? "not a readable seismogram"
                                             : "missing";
        run.dropped.push_back({run.folder + "/" + value, why});
        spare.push_back(std::move(k));
    }
}

// Whether any line of the text starts with one of the keys of an event file.
bool hasEventLine(const std::string& text) {
    static constexpr const char* kKeys[] = {
        "EVENT ",       "VIEW ANGLE:",  "TIME WINDOW:", "TIME LIMIT:", "TIME ACCELERATION:",
        "ORIGIN TIME:", "STATION FILE:"};
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = toUpper(
            std::string_view(text).substr(start, std::min<std::size_t>(end - start, 24)));
        for (const char* key : kKeys)
            if (line.rfind(key, 0) == 0) return true;
        start = end + 1;
    }
    return false;
}

void parseRunLine(RunState& run, std::vector<std::unique_ptr<KSAC>>& spare,
                  std::string_view written) {
    const std::string line = toUpper(written);
    std::string word;
    int32_t number = 0;
    if (scanFloat(line, "EVENT LATITUDE: ", run.latitude)) return;
    if (scanFloat(line, "EVENT LONGITUDE: ", run.longitude)) return;
    if (scanFloat(line, "EVENT DEPTH: ", run.depth)) {
        loadTables(run);
        return;
    }
    if (scanFloat(line, "EVENT MAGNITUDE: ", run.magnitude)) return;
    if (scanInt(line, "VIEW ANGLE: ", number)) {
        run.viewAngle = clampToShort(number);
        return;
    }
    if (scanWord(line, "EVENT DATE: ", word)) {
        run.dateText = cut(word, kDateTextMax);
        return;
    }
    if (scanInt(line, "TIME WINDOW: ", number)) {
        run.timeWindow = clampToShort(number);
        return;
    }
    if (scanInt(line, "TIME LIMIT: ", number)) {
        run.timeLimit = clampToShort(number);
        return;
    }
    if (scanFloat(line, "TIME ACCELERATION: ", run.timeAcceleration)) return;
    if (line.compare(0, 11, "EVENT NAME:") == 0) {
        run.name = written.size() > 12 ? cut(written.substr(12), kEventNameMax) : std::string();
        return;
    }
    if (scanWord(line, "ORIGIN TIME: ", word)) {
        run.originTimeText = cut(word, kDateTextMax);
        setOrigin(run);
        return;
    }
    if (scanWord(line, "STATION FILE: ", word)) {
        addSeismogram(run, spare, word);
        return;
    }
}

void attachDescriptions(RunState& run) {
    std::string data;
    if (!readWholeFile(joinPath(run.directory, "ZURIVI.STA"), data, kTextFileMax)) return;
    const std::string text = textMode(data);
    PieceReader reader(text, kStationLineBuffer);
    std::string_view piece;
    while (reader.next(piece)) {
        const StationRecord station = parseStationLine(std::string(chopLineFeed(piece)));
        if (station.stationName.empty()) continue;
        for (auto& k : run.seismograms)
            if (k->stationName == station.stationName) k->description = station.description;
    }
}

}   // namespace

RunState& theRunState() {
    static RunState run;
    return run;
}

int componentPlace(char component) {
    switch (component) {
    case 'N': return 1;
    case 'E': return 2;
    default: return 0;
    }
}

bool loadRun(RunState& run, const std::string& eventFile) {
    // The path is kept only once the file has been read, so that a file that
    // cannot be opened does not become the one an empty name reloads.
    const std::string path = eventFile.empty() ? run.eventPath : normalizeSeparators(eventFile);
    if (path.empty()) return false;
    std::string data;
    if (!readWholeFile(joinPath(run.directory, path), data, kTextFileMax)) return false;
    const std::string text = textMode(data);
    if (!hasEventLine(text)) return false;

    run.eventPath = path;
    run.folder = folderOf(run.eventPath);
    run.latitude = 0;
    run.longitude = 0;
    run.timeAcceleration = 20;
    run.seismogramCount = 0;
    run.dropped.clear();
    run.timeWindow = 1800;
    run.timeLimit = 7200;
    // The previous run's seismograms go; their buffers serve the new ones
    // (in reverse, so a repeated event gets back buffers of the same size).
    std::vector<std::unique_ptr<KSAC>> spare = std::move(run.seismograms);
    run.seismograms.clear();
    std::reverse(spare.begin(), spare.end());

    // Whole lines, so that long seismogram file names stay whole.
    PieceReader reader(text, text.size() + 2);
    std::string_view piece;
    while (reader.next(piece)) {
        parseRunLine(run, spare, chopLineFeed(piece));
        run.dateDisplay = formatDateDisplay(run.year, run.month, run.day);
    }
    for (auto& k : run.seismograms) k->description.clear();
    attachDescriptions(run);
    return true;
}

StationRecord parseStationLine(const std::string& line) {
    StationRecord s;
    std::size_t pos = 0;
    std::string word;
    if (readWord(line, pos, word)) s.stationName = cut(word, kStationNameMax);
    if (line.size() > 8) {
        std::string d = cut(std::string_view(line).substr(8), 31);
        while (!d.empty() && (d.back() == ' ' || isBlank(d.back()) || d.back() == '\0'))
            d.pop_back();
        s.description = cut(d, kDescriptionMax);
    }
    if (line.size() > 40) {
        // "%f%c %f%c": latitude and its hemisphere letter, longitude and its.
        const std::string_view rest = std::string_view(line).substr(40);
        std::size_t p = 0;
        char hemisphere = 0;
        if (readFloat(rest, p, s.latitude) && readChar(rest, p, hemisphere)) {
            if (hemisphere == 'S' || hemisphere == 's') s.latitude = -s.latitude;
            skipBlanks(rest, p);
            if (readFloat(rest, p, s.longitude) && readChar(rest, p, hemisphere)) {
                if (hemisphere == 'W' || hemisphere == 'w') s.longitude = -s.longitude;
            }
        }
    }
    return s;
}

ComponentRecord componentFromSeismogram(const KSAC& seismogram) {
    ComponentRecord c;
    const std::string kstnm = seismogram.header.text(KSTNM);
    c.stationName = kstnm.substr(0, std::min(kstnm.find('\0'), kstnm.size()));
    c.latitude = seismogram.header.f[STLA];
    c.longitude = seismogram.header.f[STLO];
    const float inc = seismogram.header.f[CMPINC];
    const float az = seismogram.header.f[CMPAZ];
    if (inc != kSacUndefined && az != kSacUndefined) {
        if (inc == 0)
            c.component = 'Z';
        else if (az == 90)
            c.component = 'E';
        else if (az == 0)
            c.component = 'N';
        else
            c.component = 'Z';
    } else {
        const std::string& name = seismogram.fileName;
        const char last = name.empty() ? 'Z' : toUpper(name.substr(name.size() - 1))[0];
        c.component = (last == 'Z' || last == 'N' || last == 'E') ? last : 'Z';
    }
    c.fileName = seismogram.fileName;
    return c;
}

StationRecord stationFromComponent(const ComponentRecord& component) {
    StationRecord s;
    s.stationName = component.stationName;
    s.description = component.description;
    s.latitude = component.latitude;
    s.longitude = component.longitude;
    const auto place = static_cast<std::size_t>(componentPlace(component.component));
    s.available[place] = true;
    s.componentFile[place] = component.fileName;
    return s;
}

std::vector<StationRecord> buildStationList(const EventRecord& event, MessageSink* sink,
                                            const std::string& dir) {
    std::vector<StationRecord> list;
    const std::string folder = resolvePath(joinPath(dir, folderOf(event.fileName)));
    std::vector<std::string> names;
    if (event.fileName.empty() || !listDirectory(folder, names)) {
        if (sink) sink->showMessage("No files found");
        return list;
    }
    // A stable order whatever the file system's listing order.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string ua = toUpper(a), ub = toUpper(b);
        return ua != ub ? ua < ub : a < b;
    });
    for (const std::string& name : names) {
        if (name.empty() || name[0] == '.') continue;
        KSAC k;
        k.loadSamples = false;
        k.readForRun(joinPath(folder, name), RunContext{});
        if (k.npts() == 0) continue;
        ComponentRecord c = componentFromSeismogram(k);
        c.fileName = name;
        StationRecord fresh = stationFromComponent(c);

        StationRecord* kept = nullptr;
        for (StationRecord& s : list) {
            if (equalsNoCase(s.stationName, fresh.stationName)) {
                kept = &s;
                break;
            }
        }
        if (kept) {
            for (std::size_t p = 0; p < 3; ++p) {
                if (fresh.available[p]) {
                    kept->available[p] = true;
                    kept->componentFile[p] = fresh.componentFile[p];
                }
            }
        } else {
            list.push_back(fresh);
            kept = &list.back();
        }
        for (std::size_t p = 0; p < 3; ++p) {
            if (fresh.componentFile[p].empty()) continue;
            for (const ComponentRecord& listed : event.stationFiles)
                if (equalsNoCase(listed.fileName, fresh.componentFile[p])) kept->selected[p] = true;
        }
    }
    return list;
}
