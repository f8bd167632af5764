#include "import/InstallationCheck.h"

#include "data/EventFile.h"
#include "data/RunSetup.h"
#include "data/Seismogram.h"
#include "fileio/FileSystem.h"
#include "fileio/TextInput.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <set>

namespace {

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool validDate(int year, int month, int day) {
    static const int days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > days[month - 1]) return false;
    return !(month == 2 && day == 29 && !isLeapYear(year));
}

}   // namespace

std::vector<InstallationProblem> checkInstallation(const std::string& dir,
                                                   std::size_t* eventCount) {
    std::vector<InstallationProblem> problems;
    std::vector<std::string> names;
    if (eventCount) *eventCount = 0;
    if (!listDirectory(dir, names)) {
        problems.push_back({dir, "the folder cannot be read: start the check in an installation "
                                 "folder or name one"});
        return problems;
    }
    std::sort(names.begin(), names.end());

    // Station codes of the station list.
    std::set<std::string> listed;
    std::string list;
    if (!readWholeFile(joinPath(dir, "ZURIVI.STA"), list, std::size_t(1) << 24)) {
        problems.push_back({"ZURIVI.STA", "the station list is missing: copy it from the demo "
                                          "installation or import an event to create it"});
    } else {
        const std::string text = textinput::textMode(list);
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            const StationRecord s = parseStationLine(text.substr(pos, end - pos));
            if (!s.stationName.empty()) listed.insert(s.stationName);
            pos = end + 1;
        }
    }

    const int thisYear = 1900 + [] {
        const std::time_t now = std::time(nullptr);
        std::tm t{};
        gmtime_r(&now, &t);
        return t.tm_year;
    }();
    for (const std::string& name : names) {
        if (name.rfind(".ovimport-", 0) == 0) {
            problems.push_back({name, "an interrupted import left this folder behind: delete it "
                                      "(no event uses it)"});
            continue;
        }
        if (name.size() < 5 || lower(name.substr(name.size() - 4)) != ".evt") continue;
        if (eventCount) ++*eventCount;
        const EventRecord e = readEventFile(joinPath(dir, name));
        auto problem = [&](const std::string& what) { problems.push_back({name, what}); };
        if (e.fileName.empty()) {
            problem("the event file cannot be read: check its permissions or delete it");
            continue;
        }
        if (e.year < 1900 || e.year > thisYear + 1 || !validDate(e.year, e.month, e.day)
            || e.hour < 0 || e.hour > 23 || e.minute < 0 || e.minute > 59 || !(e.second >= 0)
            || !(e.second < 60))
            problem("the origin " + e.dateText + " " + e.originTimeText
                    + " is not a plausible date and time: correct it in the event editor of ovm");
        if (!(std::fabs(e.latitude) <= 90) || !(std::fabs(e.longitude) <= 360))
            problem("the epicentre lies outside the Earth's coordinates: correct it in ovm");
        if (!(e.depth >= 0 && e.depth <= 800))
            problem("the depth " + textinput::formatGeneral(e.depth)
                    + " km is not between 0 and 800 km: correct it in ovm");
        if (e.timeLimit <= 0 || e.timeLimit > 32767)
            problem("the time limit " + std::to_string(e.timeLimit)
                    + " s is not between 1 and 32767 s: correct it in ovm");
        if (e.stationFiles.empty())
            problem("no seismogram is listed: choose stations for it on the world map or in ovm");
        const std::string folder = name.substr(0, name.find('.'));
        const double origin = secondsSince1901(e.year, e.month, e.day, e.hour, e.minute,
                                               static_cast<int>(e.second),
                                               static_cast<int>(std::fmod(e.second, 1.0f) * 1000));
        RunContext context;
        context.originSeconds = origin;
        context.eventLatitude = e.latitude;
        context.eventLongitude = e.longitude;
        for (const ComponentRecord& c : e.stationFiles) {
            const std::string path = joinPath(dir, folder + "/" + c.fileName);
            if (!fileExists(path)) {
                problem(c.fileName + " is missing from the folder " + folder
                        + ": import the event again or remove the station in ovm");
                continue;
            }
            KSAC k;
            k.loadSamples = false;
            k.readForRun(path, context);
            if (k.npts() == 0) {
                problem(c.fileName
                        + " is not a readable big-endian SAC file: import it again "
                          "with ovimport");
                continue;
            }
            if (!listed.count(k.stationName))
                problem("station " + k.stationName + " (" + c.fileName
                        + ") is not in ZURIVI.STA: import the event again with ovimport or add "
                          "a line for it");
            if (!(k.endTime > 0) || !(k.startTime < static_cast<float>(e.timeLimit))
                || std::fabs(k.startTime) > 86400)
                problem(c.fileName + " covers " + textinput::formatGeneral(k.startTime) + " to "
                        + textinput::formatGeneral(k.endTime)
                        + " s after the origin, not the time the event plays: check the origin "
                          "time of the event and of the recording");
        }
    }
    return problems;
}
