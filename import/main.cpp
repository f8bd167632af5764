// ovimport: brings recordings from a data centre (SAC, miniSEED, station and
// event metadata) into an installation as a new event, or checks an
// installation.
#include "fileio/Logging.h"
#include "fileio/UserInstallation.h"
#include "import/EventImport.h"
#include "import/FdsnClient.h"
#include "import/InstallationCheck.h"
#include "import/TimeText.h"
#include "import/TraceProcessing.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

std::atomic<bool> interrupted{false};

extern "C" void onSignal(int) { interrupted.store(true); }

// The installation worked in without --into: the current folder when it holds
// OV.INI, else the user's own one (made from the shipped demo if need be),
// the same rule the display and maintenance programs follow.
std::string defaultInstallation() {
    const InstallationChoice c = chooseInstallation(".", userDataHome(), shippedDemoDirectory());
    if (!c.error.empty()) std::fprintf(stderr, "ovimport: %s\n", c.error.c_str());
    return c.directory.empty() ? std::string(".") : c.directory;
}

const char kUsage[] =
    "usage: ovimport [--into DIR] [--name TEXT] [--origin YYYY-MM-DDTHH:MM:SS.s]\n"
    "                [--lat DEG] [--lon DEG] [--depth KM] [--magnitude M]\n"
    "                [--stations FILE] [--rate SPS] [--limit SECONDS] [--prefer LOC.BAND]\n"
    "                [--centre TEXT] [--replace] FILE|FOLDER...\n"
    "       ovimport --fdsn BASEURL --list [--days N] [--min-magnitude M]\n"
    "       ovimport --fdsn BASEURL --event ID [--networks LIST] [--max-stations N]\n"
    "                [--into DIR] [--name TEXT] [--replace]\n"
    "       ovimport --fdsn BASEURL --latest [--days N] [--min-magnitude M] [--networks LIST]\n"
    "                [--max-stations N] [--into DIR]\n"
    "       ovimport --check [DIR]\n"
    "Imports SAC and miniSEED recordings (with station and event metadata) into the\n"
    "installation DIR as a new event, or checks it. Without DIR: the current folder\n"
    "when it holds OV.INI, else the user's own installation. With --fdsn, lists recent\n"
    "earthquakes at an FDSN data centre or downloads one with its recordings\n"
    "(also: --channels LIST, --limit SECONDS, --rate SPS, --timeout SECONDS,\n"
    "--event-service BASEURL, --centre TEXT).\n";

int usage(const std::string& problem) {
    std::fprintf(stderr, "ovimport: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

bool number(const std::string& text, double low, double high, double& out) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v) || v < low
        || v > high)
        return false;
    out = v;
    return true;
}

int check(const std::string& dir) {
    std::size_t events = 0;
    const std::vector<InstallationProblem> problems = checkInstallation(dir, &events);
    for (const InstallationProblem& p : problems)
        std::printf("%s: %s\n", p.where.c_str(), p.what.c_str());
    if (problems.empty())
        std::printf("%zu event%s checked, no problems\n", events, events == 1 ? "" : "s");
    else
        std::printf("%zu problem%s in %zu event%s\n", problems.size(),
                    problems.size() == 1 ? "" : "s", events, events == 1 ? "" : "s");
    return problems.empty() ? 0 : 1;
}

// The import's lines and its last line; the exit code.
int printReport(const ImportReport& report) {
    for (const ImportFileLine& f : report.files) {
        if (f.used)
            std::printf("%s: used (%s)\n", f.path.c_str(), f.what.c_str());
        else
            std::printf("%s: skipped: %s\n", f.path.c_str(), f.what.c_str());
    }
    for (const ImportStation& s : report.stations) {
        if (!s.skipped.empty())
            std::printf("station %s.%s: skipped: %s\n", s.network.c_str(), s.station.c_str(),
                        s.skipped.c_str());
        for (const std::string& n : s.notes)
            std::printf("station %s.%s: %s\n", s.network.c_str(), s.station.c_str(), n.c_str());
    }
    for (const std::string& w : report.warnings) std::printf("warning: %s\n", w.c_str());
    std::size_t skipped = 0;
    for (const ImportFileLine& f : report.files) skipped += f.used ? 0 : 1;
    if (!report.ok() || report.createdEvent.empty()) {
        std::printf("nothing imported: %s\n",
                    report.error.empty() ? "unknown failure" : report.error.c_str());
        qCWarning(lcImport) << "nothing imported:"
                            << (report.error.empty() ? "unknown failure" : report.error.c_str());
        return 1;
    }
    std::printf("created %s\n", report.createdEvent.c_str());
    qCInfo(lcImport).noquote() << QStringLiteral(
                                      "created %1 from %2 files (%3 skipped), %4 warnings")
                                      .arg(QString::fromStdString(report.createdEvent))
                                      .arg(report.files.size() - skipped)
                                      .arg(skipped)
                                      .arg(report.warnings.size());
    return 0;
}

// Progress on standard error, one line per new step.
ImportProgress stderrProgress() {
    return [last = std::string()](double fraction, const std::string& step) mutable {
        if (step == last) return;
        last = step;
        std::fprintf(stderr, "%3d%% %s\n", static_cast<int>(fraction * 100), step.c_str());
    };
}

std::string eventLine(const EventInfo& e) {
    auto value = [](const std::optional<double>& v, int digits) {
        char text[32] = "-";
        if (v) std::snprintf(text, sizeof text, "%.*f", digits, *v);
        return std::string(text);
    };
    return (e.eventId.empty() ? std::string("-") : e.eventId) + "  "
           + (e.originTime ? formatTimeText(*e.originTime, 0) : std::string("-")) + "  "
           + value(e.latitude, 3) + "  " + value(e.longitude, 3) + "  " + value(e.depthKm, 1) + "  "
           + value(e.magnitude, 1) + "  " + e.place;
}

// ovimport --fdsn BASEURL ...: list recent earthquakes, download one by id,
// or the newest unless it is installed already.
int fdsn(int argc, char** argv, const std::vector<std::string>& args) {
    if (args.size() < 2) return usage("--fdsn needs the data centre's base URL");
    FdsnDownloadRequest request;
    request.server.baseUrl = normalizeBaseUrl(args[1]);
    if (request.server.baseUrl.empty()) return usage(args[1] + " is not an http or https URL");
    for (const FdsnCentre& c : fdsnCentres())
        if (normalizeBaseUrl(c.baseUrl) == request.server.baseUrl) {
            request.server.eventUrl = c.eventUrl;
            request.centreName = c.name;
        }
    enum class Mode { None, List, Event, Latest } mode = Mode::None;
    double days = 30, minMagnitude = 6;
    bool intoGiven = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--list" || a == "--latest") {
            if (mode != Mode::None) return usage("give one of --list, --event and --latest");
            mode = a == "--list" ? Mode::List : Mode::Latest;
            continue;
        }
        if (a == "--replace") {
            request.replace = true;
            continue;
        }
        if (i + 1 >= args.size()) return usage(a + " needs a value");
        const std::string v = args[++i];
        double d = 0;
        if (a == "--event") {
            if (mode != Mode::None) return usage("give one of --list, --event and --latest");
            mode = Mode::Event;
            request.eventId = v;
        } else if (a == "--days") {
            if (!number(v, 0.01, 3650, days)) return usage("--days must lie between 0.01 and 3650");
        } else if (a == "--min-magnitude") {
            if (!number(v, -3, 10, minMagnitude))
                return usage("--min-magnitude must lie between -3 and 10");
        } else if (a == "--max-stations") {
            if (!number(v, 1, 500, d) || d != std::floor(d))
                return usage("--max-stations must be a whole number from 1 to 500");
            request.maxStations = static_cast<std::size_t>(d);
        } else if (a == "--timeout") {
            if (!number(v, 0.05, 3600, d))
                return usage("--timeout must lie between 0.05 and 3600 s");
            request.server.connectTimeoutMs = request.server.idleTimeoutMs = static_cast<int>(
                d * 1000);
        } else if (a == "--limit") {
            if (!number(v, 60, 32000, request.timeLimit))
                return usage("--limit must lie between 60 and 32000 s");
        } else if (a == "--rate") {
            if (!number(v, 0.1, 1000, request.sampleRate))
                return usage("--rate must lie between 0.1 and 1000");
        } else if (a == "--event-service") {
            request.server.eventUrl = normalizeBaseUrl(v);
            if (request.server.eventUrl.empty()) return usage(v + " is not an http or https URL");
        } else if (a == "--networks")
            request.networks = v;
        else if (a == "--channels")
            request.channels = v;
        else if (a == "--into")
            request.installation = v, intoGiven = true;
        else if (a == "--name")
            request.name = v;
        else if (a == "--centre")
            request.centreName = v;
        else
            return usage("unknown option " + a);
    }
    if (mode == Mode::None) return usage("--fdsn needs --list, --event ID or --latest");
    if (!intoGiven && mode != Mode::List) request.installation = defaultInstallation();
    // A short time-out asks for quick answers: the wait before a new try is no longer.
    request.server.backoffMs = std::min(request.server.backoffMs, request.server.idleTimeoutMs);

    QCoreApplication application(argc, argv);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    // A download is logged in the installation it goes to; a list goes nowhere.
    if (mode != Mode::List) {
        startLogging("ovimport", request.installation, false);
        qCInfo(lcImport).noquote()
            << "download from" << QString::fromStdString(request.server.baseUrl)
            << (mode == Mode::Event ? "of event " + QString::fromStdString(request.eventId)
                                    : QStringLiteral("of the newest earthquake"));
    }
    if (mode != Mode::Event) {
        const double now = static_cast<double>(std::time(nullptr));
        const FdsnEvents found = fdsnSearchEvents(request.server, now - days * 86400, now,
                                                  minMagnitude, stderrProgress(), &interrupted);
        if (!found.error.empty()) {
            if (mode != Mode::List) qCWarning(lcImport) << "nothing found:" << found.error.c_str();
            std::printf("nothing found: %s\n", found.error.c_str());
            return 1;
        }
        if (mode == Mode::List) {
            for (const EventInfo& e : found.events) std::printf("%s\n", eventLine(e).c_str());
            std::fprintf(stderr, "%zu event%s\n", found.events.size(),
                         found.events.size() == 1 ? "" : "s");
            return 0;
        }
        if (found.events.empty() || found.events.front().eventId.empty()) {
            std::printf(
                "nothing to do: no earthquake of magnitude %.1f or more in the last %g days\n",
                minMagnitude, days);
            return 0;
        }
        const EventInfo& newest = found.events.front();
        if (eventInstalled(request.installation, newest)) {
            qCInfo(lcImport) << "nothing to do:" << newest.eventId.c_str()
                             << "is installed already";
            std::printf("nothing to do: %s (%s) is installed already as %s\n",
                        newest.eventId.c_str(), newest.place.c_str(),
                        importedEventFileName(*newest.originTime).c_str());
            return 0;
        }
        request.eventId = newest.eventId;
        std::printf("newest: %s\n", eventLine(newest).c_str());
    }
    const FdsnDownloadReport report = downloadEarthquake(request, stderrProgress(), &interrupted);
    for (const std::string& f : report.failures) std::printf("failed: %s\n", f.c_str());
    for (const std::string& s : report.noData) std::printf("station %s: no recording\n", s.c_str());
    return printReport(report.import);
}

}   // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage("no input given");
    if (args[0] == "--fdsn") {
        const int code = fdsn(argc, argv, args);
        stopLogging(code);   // when the download was logged
        return code;
    }
    if (args[0] == "--check") {
        if (args.size() > 2) return usage("--check takes at most one folder");
        return check(args.size() == 2 ? args[1] : defaultInstallation());
    }

    ImportRequest request;
    bool intoGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--replace") {
            request.replace = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a.size() > 1 && a[0] == '-') {
            if (i + 1 >= args.size()) return usage(a + " needs a value");
            const std::string v = args[++i];
            double d = 0;
            if (a == "--into")
                request.installation = v, intoGiven = true;
            else if (a == "--name")
                request.name = v;
            else if (a == "--stations")
                request.stationFile = v;
            else if (a == "--prefer") {
                ChannelPreference p;
                if (!parsePreference(v, p))
                    return usage("--prefer " + v
                                 + " is not LOC.BAND, BAND or LOC. (e.g. 10.HH, BH, 00.)");
                request.prefer = v;
            } else if (a == "--centre")
                request.dataCentre = v;
            else if (a == "--origin") {
                request.event.originTime = parseTimeText(v);
                if (!request.event.originTime)
                    return usage("--origin " + v + " is not YYYY-MM-DDTHH:MM:SS.s");
            } else if (a == "--lat") {
                if (!number(v, -90, 90, d)) return usage("--lat must lie between -90 and 90");
                request.event.latitude = d;
            } else if (a == "--lon") {
                if (!number(v, -180, 360, d)) return usage("--lon must lie between -180 and 360");
                request.event.longitude = d > 180 ? d - 360 : d;
            } else if (a == "--depth") {
                if (!number(v, 0, 800, d)) return usage("--depth must lie between 0 and 800 km");
                request.event.depthKm = d;
            } else if (a == "--magnitude") {
                if (!number(v, -3, 10, d)) return usage("--magnitude must lie between -3 and 10");
                request.event.magnitude = d;
            } else if (a == "--rate") {
                if (!number(v, 0.1, 1000, d)) return usage("--rate must lie between 0.1 and 1000");
                request.sampleRate = d;
            } else if (a == "--limit") {
                if (!number(v, 60, 32000, d))
                    return usage("--limit must lie between 60 and 32000 s");
                request.timeLimit = d;
            } else {
                return usage("unknown option " + a);
            }
            continue;
        }
        request.inputs.push_back(a);
    }
    if (request.inputs.empty()) return usage("no input file or folder given");
    if (request.event.latitude.has_value() != request.event.longitude.has_value())
        return usage("give --lat and --lon together");
    if (!intoGiven) request.installation = defaultInstallation();

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    startLogging("ovimport", request.installation, false);
    qCInfo(lcImport) << "import of" << request.inputs.size() << "inputs";
    const ImportReport report = runImport(request, {}, &interrupted);
    const int code = printReport(report);
    stopLogging(code);
    return code;
}
