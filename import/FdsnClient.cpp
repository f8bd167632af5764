#include "import/FdsnClient.h"

#include "import/EventMetadata.h"
#include "import/MiniSeedReader.h"
#include "import/StationMetadata.h"
#include "import/TimeText.h"
#include "import/TraceProcessing.h"

#include "data/EventFile.h"
#include "fileio/FileSystem.h"
#include "fileio/Logging.h"
#include "seismology/SphericalGeometry.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

namespace fs = std::filesystem;

namespace {

// Answers above this size are refused rather than held in memory.
constexpr qint64 kAnswerBytesMax = qint64(512) << 20;
constexpr int kRedirectsMax = 5;

struct HttpAnswer {
    int status = 0;   // HTTP status; 0 when no answer came
    QByteArray body;
    std::string error;    // empty: status and body are the server's answer
    bool retry = false;   // the failure may pass: time-out, dropped connection, 5xx
    bool cancelled = false;
};

std::string hostOf(const std::string& url) {
    const QUrl u(QString::fromStdString(url));
    return u.host().isEmpty() ? url : u.host().toStdString();
}

// The first line of a server's error text, kept short.
std::string firstLine(const QByteArray& body) {
    std::string s = body.left(300).toStdString();
    s = s.substr(0, s.find_first_of("\r\n"));
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '?';
    return s;
}

// One request, watched by the connect and idle timers and the cancel flag.
HttpAnswer httpOnce(QNetworkAccessManager& manager, const FdsnServer& server, const QUrl& url,
                    const QByteArray* postBody, const std::atomic<bool>* cancel) {
    HttpAnswer answer;
    if (cancel && cancel->load()) {
        answer.cancelled = true;
        answer.error = "cancelled";
        return answer;
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromStdString(fdsnUserAgent()));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kRedirectsMax);
    if (postBody) request.setHeader(QNetworkRequest::ContentTypeHeader, "text/plain");
    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> reply(
        postBody ? manager.post(request, *postBody) : manager.get(request),
        [](QNetworkReply* r) { r->deleteLater(); });

    QEventLoop loop;
    QTimer connectTimer, idleTimer, cancelPoll;
    connectTimer.setSingleShot(true);
    idleTimer.setSingleShot(true);
    std::string stopped;   // why the reply was aborted by us
    auto stop = [&](const std::string& why) {
        if (stopped.empty()) stopped = why;
        reply->abort();
    };
    QObject::connect(&connectTimer, &QTimer::timeout, [&] {
        stop("no connection to " + url.host().toStdString() + " within "
             + std::to_string(server.connectTimeoutMs / 1000.0).substr(0, 4) + " s");
    });
    QObject::connect(&idleTimer, &QTimer::timeout, [&] {
        stop(url.host().toStdString() + " sent nothing for "
             + std::to_string(server.idleTimeoutMs / 1000.0).substr(0, 4) + " s");
    });
    QObject::connect(&cancelPoll, &QTimer::timeout, [&] {
        if (cancel && cancel->load()) stop("cancelled");
    });
    auto alive = [&] {
        connectTimer.stop();
        idleTimer.start(server.idleTimeoutMs);
    };
    QObject::connect(reply.get(), &QNetworkReply::requestSent, alive);
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, alive);
    QObject::connect(reply.get(), &QNetworkReply::uploadProgress, alive);
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, [&](qint64 received, qint64) {
        alive();
        if (received > kAnswerBytesMax)
            stop("the answer is larger than " + std::to_string(kAnswerBytesMax >> 20) + " MB");
    });
    QObject::connect(reply.get(), &QNetworkReply::redirected, [&](const QUrl& to) {
        // Followed on the same server, or to https anywhere; never down to
        // plain http elsewhere.
        const bool sameOrigin = to.scheme() == url.scheme() && to.host() == url.host()
                                && to.port() == url.port();
        if (sameOrigin || to.scheme() == "https") {
            connectTimer.start(server.connectTimeoutMs);
            emit reply->redirectAllowed();
        } else {
            stop("redirected to " + to.toString().toStdString() + ", which is not followed");
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    connectTimer.start(server.connectTimeoutMs);
    cancelPoll.start(50);
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    connectTimer.stop();
    idleTimer.stop();
    cancelPoll.stop();

    if (stopped == "cancelled" || (cancel && cancel->load())) {
        answer.cancelled = true;
        answer.error = "cancelled";
        return answer;
    }
    if (!stopped.empty()) {
        answer.error = stopped;
        answer.retry = stopped.find("sent nothing") != std::string::npos
                       || stopped.find("no connection") != std::string::npos;
        return answer;
    }
    const QNetworkReply::NetworkError e = reply->error();
    if (e != QNetworkReply::NoError && e < QNetworkReply::ContentAccessDenied) {
        // Below the HTTP layer: connection, TLS, proxy.
        answer.error = reply->errorString().toStdString();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (e == QNetworkReply::RemoteHostClosedError && length.isValid())
            answer.error = "the answer broke off after " + std::to_string(reply->bytesAvailable())
                           + " of " + std::to_string(length.toLongLong()) + " bytes";
        answer.retry = e == QNetworkReply::RemoteHostClosedError || e == QNetworkReply::TimeoutError
                       || e == QNetworkReply::TemporaryNetworkFailureError
                       || e == QNetworkReply::NetworkSessionFailedError
                       || e == QNetworkReply::UnknownNetworkError
                       || e == QNetworkReply::ConnectionRefusedError
                       || e == QNetworkReply::ProxyTimeoutError;
        return answer;
    }
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = reply->readAll();
    if (answer.status == 0) {
        answer.error = e == QNetworkReply::NoError ? "no HTTP answer"
                                                   : reply->errorString().toStdString();
        return answer;
    }
    // A body shorter than announced: the connection dropped midway.
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (answer.status == 200 && length.isValid() && !reply->hasRawHeader("Content-Encoding")
        && answer.body.size() < length.toLongLong()) {
        answer.error = "the answer broke off after " + std::to_string(answer.body.size()) + " of "
                       + std::to_string(length.toLongLong()) + " bytes";
        answer.retry = true;
        return answer;
    }
    if (answer.status >= 500) {
        answer.error = "server error " + std::to_string(answer.status);
        const std::string detail = firstLine(answer.body);
        if (!detail.empty()) answer.error += ": " + detail;
        answer.retry = true;
    }
    return answer;
}

// Waits for ms milliseconds unless cancelled; false when cancelled.
bool pause(int ms, const std::atomic<bool>* cancel) {
    QEventLoop loop;
    QTimer done, poll;
    done.setSingleShot(true);
    QObject::connect(&done, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (cancel && cancel->load()) loop.quit();
    });
    done.start(std::max(ms, 0));
    poll.start(50);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return !(cancel && cancel->load());
}

// A request with its tries: the last answer, or the last failure.
HttpAnswer http(QNetworkAccessManager& manager, const FdsnServer& server, const QUrl& url,
                const QByteArray* postBody, const std::atomic<bool>* cancel) {
    HttpAnswer answer;
    const int tries = std::max(server.tries, 1);
    int wait = server.backoffMs;
    for (int t = 1; t <= tries; ++t) {
        qCDebug(lcNetwork).noquote() << (postBody ? "POST" : "GET") << url.toDisplayString();
        answer = httpOnce(manager, server, url, postBody, cancel);
        const bool answered = answer.error.empty()
                              && (answer.status == 200 || answer.status == 204
                                  || answer.status == 404);
        if (!answer.cancelled && !answered)
            qCWarning(lcNetwork).noquote()
                << url.toDisplayString() << QStringLiteral("(try %1 of %2):").arg(t).arg(tries)
                << QString::fromStdString(answer.error.empty()
                                              ? "HTTP " + std::to_string(answer.status)
                                              : answer.error);
        if (answer.cancelled || !answer.retry) return answer;
        if (t < tries) {
            if (!pause(wait, cancel)) {
                answer.cancelled = true;
                answer.error = "cancelled";
                return answer;
            }
            wait *= 2;
        }
    }
    if (tries > 1) answer.error += " (" + std::to_string(tries) + " tries)";
    return answer;
}

QUrl serviceUrl(const std::string& base, const char* service) {
    return QUrl(QString::fromStdString(base + "/fdsnws/" + service + "/1/query"));
}

std::string timeParameter(double t) { return formatTimeText(t, 0); }

// An answer as text: the body of a 200, nothing for 204 and 404, else why not.
bool textAnswer(const HttpAnswer& a, const std::string& what, std::string& text,
                std::string& error) {
    if (!a.error.empty()) {
        error = what + ": " + a.error;
        return false;
    }
    if (a.status == 204 || a.status == 404) return true;
    if (a.status != 200) {
        error = what + ": HTTP " + std::to_string(a.status);
        const std::string detail = firstLine(a.body);
        if (!detail.empty()) error += " (" + detail + ")";
        return false;
    }
    text = a.body.toStdString();
    return true;
}

void report(const ImportProgress& progress, double f, const std::string& step) {
    if (progress) progress(std::clamp(f, 0.0, 1.0), step);
}

FdsnEvents eventQuery(const FdsnServer& server, const QUrlQuery& query, const std::string& what,
                      const ImportProgress& progress, const std::atomic<bool>* cancel) {
    FdsnEvents out;
    const std::string base = server.eventUrl.empty() ? server.baseUrl : server.eventUrl;
    QUrl url = serviceUrl(base, "event");
    url.setQuery(query);
    report(progress, 0, what + " at " + hostOf(base));
    QNetworkAccessManager manager;
    const HttpAnswer a = http(manager, server, url, nullptr, cancel);
    out.cancelled = a.cancelled;
    std::string text;
    if (!textAnswer(a, what, text, out.error)) return out;
    if (!text.empty()) {
        std::string parseError;
        out.events = parseEventText(text, parseError);
        if (out.events.empty() && text.find_first_not_of(" \t\r\n") != std::string::npos
            && text.find('|') == std::string::npos)
            out.error = what + ": the answer is not FDSN event text";
    }
    std::stable_sort(out.events.begin(), out.events.end(),
                     [](const EventInfo& a, const EventInfo& b) {
                         return a.originTime.value_or(-1e18) > b.originTime.value_or(-1e18);
                     });
    report(progress, 1, what);
    return out;
}

// Nominal rate of a SEED band letter, enough to rank sensors before their
// recordings are there.
double nominalRate(const std::string& band) {
    switch (band.empty() ? ' ' : band[0]) {
    case 'B': return 20;
    case 'H':
    case 'E':
    case 'C': return 100;
    case 'S': return 50;
    case 'M': return 5;
    case 'L': return 1;
    case 'V': return 0.1;
    default: return 10;
    }
}

void writeFile(const std::string& path, const QByteArray& bytes, bool& ok) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.constData(), bytes.size());
    ok = ok && out.good();
}

// A folder of its own in `parent`, removed with everything in it at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& parent) {
        std::error_code ec;
        const fs::path base = parent.empty() ? fs::temp_directory_path(ec) : fs::path(parent);
        std::string pattern = (base / "ovimport-fdsn-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}   // namespace

const std::vector<FdsnCentre>& fdsnCentres() {
    static const std::vector<FdsnCentre> centres = {
        {"EarthScope (IRIS DMC)", "https://service.iris.edu", "https://earthquake.usgs.gov"},
        {"GEOFON (GFZ Potsdam)", "https://geofon.gfz.de", ""},
        {"ORFEUS Data Center", "https://www.orfeus-eu.org", "https://www.seismicportal.eu"},
        {"RESIF (France)", "https://ws.resif.fr", "https://www.seismicportal.eu"},
        {"INGV (Italy)", "https://webservices.ingv.it", ""},
        {"ETH Zurich (SED)", "https://eida.ethz.ch", ""},
        {"BGR (Germany)", "https://eida.bgr.de", "https://www.seismicportal.eu"},
        {"NCEDC (Northern California)", "https://service.ncedc.org", ""},
        {"SCEDC (Southern California)", "https://service.scedc.caltech.edu", ""},
        {"GeoNet (New Zealand)", "https://service.geonet.org.nz", ""},
        {"AusPass (Australia)", "https://auspass.edu.au", "https://earthquake.usgs.gov"},
    };
    return centres;
}

std::string fdsnUserAgent() {
    return "Orvanta-ovimport/2.1 (educational seismology display; Qt " + std::string(qVersion())
           + ")";
}

std::string normalizeBaseUrl(const std::string& text) {
    std::string t = text;
    t.erase(0, t.find_first_not_of(" \t"));
    t.erase(t.find_last_not_of(" \t\r\n") + 1);
    if (t.find("://") == std::string::npos && !t.empty()) t = "https://" + t;
    QUrl url(QString::fromStdString(t), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()
        || (url.scheme() != "http" && url.scheme() != "https") || url.hasQuery()
        || url.hasFragment())
        return {};
    QString path = url.path();
    const int f = path.indexOf("/fdsnws");
    if (f >= 0) path.truncate(f);
    while (path.endsWith('/')) path.chop(1);
    url.setPath(path);
    return url.toString().toStdString();
}

FdsnEvents fdsnSearchEvents(const FdsnServer& server, double startTime, double endTime,
                            double minMagnitude, const ImportProgress& progress,
                            const std::atomic<bool>* cancel) {
    QUrlQuery q;
    q.addQueryItem("format", "text");
    q.addQueryItem("starttime", QString::fromStdString(timeParameter(startTime)));
    q.addQueryItem("endtime", QString::fromStdString(timeParameter(endTime)));
    q.addQueryItem("minmagnitude", QString::number(minMagnitude, 'f', 1));
    q.addQueryItem("orderby", "time");
    return eventQuery(server, q, "event search", progress, cancel);
}

FdsnEvents fdsnFetchEvent(const FdsnServer& server, const std::string& eventId,
                          const ImportProgress& progress, const std::atomic<bool>* cancel) {
    QUrlQuery q;
    q.addQueryItem("format", "text");
    q.addQueryItem("eventid", QString::fromStdString(eventId));
    FdsnEvents out = eventQuery(server, q, "event " + eventId, progress, cancel);
    if (out.error.empty() && out.events.empty())
        out.error = "event " + eventId + " is not known at "
                    + hostOf(server.eventUrl.empty() ? server.baseUrl : server.eventUrl);
    if (out.events.size() > 1) {   // a server that ignored the id
        std::erase_if(out.events, [&](const EventInfo& e) { return e.eventId != eventId; });
        if (out.events.empty())
            out.error = "the answer for event " + eventId + " holds other events";
    }
    return out;
}

FdsnStations fdsnFetchStations(const FdsnServer& server, double originTime, double timeLimit,
                               const std::string& networks, const std::string& channels,
                               const ImportProgress& progress, const std::atomic<bool>* cancel) {
    FdsnStations out;
    QUrl url = serviceUrl(server.baseUrl, "station");
    QUrlQuery q;
    q.addQueryItem("format", "text");
    q.addQueryItem("level", "channel");
    q.addQueryItem("network", QString::fromStdString(networks));
    q.addQueryItem("channel", QString::fromStdString(channels));
    q.addQueryItem("starttime",
                   QString::fromStdString(timeParameter(originTime - kImportLeadSeconds)));
    q.addQueryItem("endtime", QString::fromStdString(timeParameter(originTime + timeLimit)));
    url.setQuery(q);
    report(progress, 0, "stations of " + networks + " at " + hostOf(server.baseUrl));
    QNetworkAccessManager manager;
    const HttpAnswer a = http(manager, server, url, nullptr, cancel);
    out.cancelled = a.cancelled;
    if (!textAnswer(a, "station list", out.text, out.error)) return out;
    std::string parseError;
    out.channels = parseStationText(out.text, parseError);
    std::erase_if(out.channels, [&](const ChannelMetadata& c) {
        return c.id.channel.empty() || c.startTime > originTime || c.endTime < originTime;
    });
    if (out.channels.empty() && out.text.find_first_not_of(" \t\r\n") != std::string::npos
        && out.text.find('|') == std::string::npos)
        out.error = "station list: the answer is not FDSN station text";
    report(progress, 1, "station list");
    return out;
}

std::vector<FdsnStationChoice> chooseStations(const std::vector<ChannelMetadata>& channels,
                                              double latitude, double longitude,
                                              std::size_t maxStations,
                                              const std::set<std::string>& knownStations) {
    // Stations in the order met, each with its channels.
    std::vector<FdsnStationChoice> all;
    std::map<std::pair<std::string, std::string>, std::size_t> index;
    for (const ChannelMetadata& c : channels) {
        if (c.id.channel.size() < 2 || !std::isfinite(c.latitude) || !std::isfinite(c.longitude))
            continue;
        const auto key = std::make_pair(c.id.network, c.id.station);
        auto [it, fresh] = index.emplace(key, all.size());
        if (fresh) {
            FdsnStationChoice s;
            s.network = c.id.network;
            s.station = c.id.station;
            std::string upper = s.station;
            for (char& ch : upper)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            s.known = knownStations.count(upper) > 0;
            const GreatCircle g = greatCircle(float(latitude), float(longitude), float(c.latitude),
                                              float(c.longitude));
            s.distance = g.distance;
            s.azimuth = g.azimuth;
            all.push_back(s);
        }
        all[it->second].channels.push_back(c);
    }
    // One sensor per station, as the import would take it; one entry per channel code.
    struct Candidate {
        std::size_t station;
        bool hasVertical;
        int band, sector;
    };
    std::vector<Candidate> candidates;
    for (std::size_t i = 0; i < all.size(); ++i) {
        FdsnStationChoice& s = all[i];
        std::vector<ChannelGroupKey> groups;
        for (const ChannelMetadata& c : s.channels) {
            const std::string band = c.id.channel.substr(0, c.id.channel.size() - 1);
            auto g = std::find_if(groups.begin(), groups.end(), [&](const ChannelGroupKey& k) {
                return k.location == c.id.location && k.band == band;
            });
            if (g == groups.end())
                g = groups.insert(groups.end(), {c.id.location, band, nominalRate(band), false, 0});
            g->hasVertical = g->hasVertical || c.id.channel.back() == 'Z';
        }
        std::vector<ChannelMetadata> kept;
        std::set<std::string> codes;
        for (const ChannelMetadata& c : s.channels)
            if (codes.insert(c.id.location + "." + c.id.channel).second) {
                for (ChannelGroupKey& g : groups)
                    if (g.location == c.id.location && g.band + c.id.channel.back() == c.id.channel)
                        ++g.components;
            }
        const int best = chooseChannelGroup(groups, 20, {});
        if (best < 0) continue;
        const ChannelGroupKey& g = groups[std::size_t(best)];
        codes.clear();
        for (const ChannelMetadata& c : s.channels)
            if (c.id.location == g.location
                && c.id.channel.substr(0, c.id.channel.size() - 1) == g.band
                && codes.insert(c.id.channel).second)
                kept.push_back(c);
        s.channels = std::move(kept);
        candidates.push_back({i, g.hasVertical, std::min(int(s.distance / 20), 8),
                              int(std::fmod(s.azimuth + 22.5, 360.0) / 45) % 8});
    }

    std::vector<FdsnStationChoice> chosen;
    std::vector<int> bandUse(9, 0), sectorUse(8, 0);
    std::map<std::pair<int, int>, int> cellUse;
    std::vector<bool> taken(candidates.size(), false);
    while (chosen.size() < maxStations) {
        int best = -1;
        auto rank = [&](const Candidate& c) {
            const FdsnStationChoice& s = all[c.station];
            return std::make_tuple(!c.hasVertical,
                                   2 * cellUse[{c.band, c.sector}] + bandUse[std::size_t(c.band)]
                                       + sectorUse[std::size_t(c.sector)],
                                   !s.known, s.distance, s.network, s.station);
        };
        for (std::size_t i = 0; i < candidates.size(); ++i)
            if (!taken[i]
                && (best < 0 || rank(candidates[i]) < rank(candidates[std::size_t(best)])))
                best = int(i);
        if (best < 0) break;
        const Candidate& c = candidates[std::size_t(best)];
        taken[std::size_t(best)] = true;
        ++cellUse[{c.band, c.sector}];
        ++bandUse[std::size_t(c.band)];
        ++sectorUse[std::size_t(c.sector)];
        chosen.push_back(all[c.station]);
    }
    return chosen;
}

std::set<std::string> installedStationCodes(const std::string& installation) {
    std::set<std::string> codes;
    std::string text;
    if (!readWholeFile(joinPath(installation, "ZURIVI.STA"), text, std::size_t(16) << 20))
        return codes;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        // The code stands in the first eight columns.
        std::string code = text.substr(start, std::min<std::size_t>(end - start, 8));
        code.erase(code.find_last_not_of(" \t\r") + 1);
        code.erase(0, code.find_first_not_of(" \t"));
        for (char& ch : code) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        if (!code.empty()) codes.insert(code);
        start = end + 1;
    }
    return codes;
}

std::string dataselectLine(const ChannelId& id, double startTime, double endTime) {
    return id.network + " " + id.station + " " + (id.location.empty() ? "--" : id.location) + " "
           + id.channel + " " + formatTimeText(startTime, 6) + " " + formatTimeText(endTime, 6);
}

FdsnWaveforms fdsnFetchWaveforms(const FdsnServer& server, const std::vector<std::string>& lines,
                                 const std::string& folder, const ImportProgress& progress,
                                 const std::atomic<bool>* cancel) {
    FdsnWaveforms out;
    QNetworkAccessManager manager;
    const QUrl url = serviceUrl(server.baseUrl, "dataselect");
    // Requests still to send, each a run of lines; a 413 puts its two halves in front.
    std::vector<std::vector<std::string>> pending;
    if (!lines.empty()) pending.push_back(lines);
    std::size_t linesDone = 0;
    while (!pending.empty()) {
        const std::vector<std::string> batch = std::move(pending.back());
        pending.pop_back();
        report(progress, double(linesDone) / double(lines.size()),
               "recordings from " + hostOf(server.baseUrl) + " (" + std::to_string(linesDone)
                   + " of " + std::to_string(lines.size()) + " channels)");
        QByteArray body;
        for (const std::string& l : batch) body += QByteArray::fromStdString(l) + "\n";
        const HttpAnswer a = http(manager, server, url, &body, cancel);
        if (a.cancelled) {
            out.cancelled = true;
            return out;
        }
        std::string failure;
        if (!a.error.empty()) {
            failure = a.error;
        } else if (a.status == 413 && batch.size() > 1) {
            const auto middle = batch.begin() + std::ptrdiff_t(batch.size() / 2);
            pending.emplace_back(middle, batch.end());
            pending.emplace_back(batch.begin(), middle);
            continue;
        } else if (a.status == 204 || a.status == 404) {
            out.noData.insert(out.noData.end(), batch.begin(), batch.end());
        } else if (a.status != 200) {
            failure = "HTTP " + std::to_string(a.status);
            const std::string detail = firstLine(a.body);
            if (!detail.empty()) failure += " (" + detail + ")";
        } else {
            const FileContents check = readMiniSeed(
                std::string_view(a.body.constData(), std::size_t(a.body.size())), "answer");
            if (!check.error.empty() || check.segments.empty()) {
                failure = check.error.empty() ? "the answer holds no recording"
                                              : "the answer is " + check.error;
            } else {
                bool ok = true;
                const std::string path = joinPath(
                    folder, "part-" + std::to_string(out.files.size() + 1) + ".mseed");
                writeFile(path, a.body, ok);
                if (!ok)
                    failure = "cannot write " + path;
                else
                    out.files.push_back(path);
            }
        }
        if (!failure.empty()) {
            out.failed.insert(out.failed.end(), batch.begin(), batch.end());
            // "IU.ANMO, II.BFO: why", each station once.
            std::string stations;
            for (const std::string& l : batch) {
                std::string code = l.substr(0, l.find(' ', l.find(' ') + 1));
                std::replace(code.begin(), code.end(), ' ', '.');
                if (stations != code && stations.find(code + ",") == std::string::npos
                    && !stations.ends_with(", " + code))
                    stations += (stations.empty() ? "" : ", ") + code;
            }
            out.errors.push_back(stations + ": " + failure);
        }
        linesDone += batch.size();
    }
    report(progress, 1, "recordings");
    return out;
}

bool eventInstalled(const std::string& installation, const EventInfo& event) {
    if (!event.originTime) return false;
    const std::string path = joinPath(installation, importedEventFileName(*event.originTime));
    if (!fileExists(path)) return false;
    const EventRecord r = readEventFile(resolvePath(path));
    const std::optional<double> t = epochFromCalendar(r.year, r.month, r.day, r.hour, r.minute,
                                                      std::clamp(double(r.second), 0.0, 60.9));
    return t && std::fabs(*t - *event.originTime) < 1;
}

FdsnDownloadReport downloadEarthquake(const FdsnDownloadRequest& request,
                                      const ImportProgress& progress,
                                      const std::atomic<bool>* cancel) {
    FdsnDownloadReport out;
    auto part = [&](double from, double to) -> ImportProgress {
        return [&progress, from, to](double f, const std::string& step) {
            report(progress, from + (to - from) * f, step);
        };
    };
    auto fail = [&](const std::string& why, bool cancelled) {
        out.import.error = cancelled ? "cancelled" : why;
        out.import.cancelled = cancelled;
        return out;
    };

    const FdsnEvents events = fdsnFetchEvent(request.server, request.eventId, part(0, 0.03),
                                             cancel);
    if (!events.error.empty() || events.cancelled) return fail(events.error, events.cancelled);
    const EventInfo event = events.events.front();
    out.import.event = event;
    if (!event.originTime || !event.latitude || !event.longitude)
        return fail("event " + request.eventId + " has no origin time or epicentre", false);

    const FdsnStations stations = fdsnFetchStations(request.server, *event.originTime,
                                                    request.timeLimit, request.networks,
                                                    request.channels, part(0.03, 0.08), cancel);
    if (!stations.error.empty() || stations.cancelled)
        return fail(stations.error, stations.cancelled);
    out.chosen = chooseStations(stations.channels, *event.latitude, *event.longitude,
                                request.maxStations, installedStationCodes(request.installation));
    if (out.chosen.empty())
        return fail("no station of " + request.networks + " (" + request.channels + ") at "
                        + hostOf(request.server.baseUrl) + " was recording at the origin time",
                    false);

    const ScratchFolder scratch(request.scratchParent);
    if (scratch.path().empty())
        return fail("cannot make a scratch folder in "
                        + (request.scratchParent.empty() ? std::string("the temporary folder")
                                                         : request.scratchParent),
                    false);
    const std::string waveformFolder = joinPath(scratch.path(), "recordings");
    std::error_code ec;
    fs::create_directory(waveformFolder, ec);
    bool written = !ec;
    const std::string stationFile = joinPath(scratch.path(), "stations.txt");
    writeFile(stationFile, QByteArray::fromStdString(stations.text), written);
    if (!written) return fail("cannot write in " + scratch.path(), false);

    std::vector<std::string> lines;
    const double from = *event.originTime - kImportLeadSeconds,
                 to = *event.originTime + request.timeLimit;
    for (const FdsnStationChoice& s : out.chosen)
        for (const ChannelMetadata& c : s.channels) lines.push_back(dataselectLine(c.id, from, to));
    const FdsnWaveforms waves = fdsnFetchWaveforms(request.server, lines, waveformFolder,
                                                   part(0.08, 0.6), cancel);
    if (waves.cancelled) return fail("", true);
    out.failures = waves.errors;

    // Which chosen stations sent something.
    std::set<std::pair<std::string, std::string>> received;
    for (const std::string& f : waves.files) {
        std::string bytes;
        if (readWholeFile(f, bytes))
            for (const TraceSegment& s : readMiniSeed(bytes, f).segments)
                received.emplace(s.id.network, s.id.station);
    }
    for (const FdsnStationChoice& s : out.chosen)
        if (!received.count({s.network, s.station}))
            out.noData.push_back(s.network + "." + s.station);
    if (waves.files.empty()) {
        std::string why = "no recordings came from " + hostOf(request.server.baseUrl);
        if (!waves.errors.empty()) why += ": " + waves.errors.front();
        return fail(why, false);
    }

    ImportRequest import;
    import.inputs = {waveformFolder};
    import.installation = request.installation;
    import.name = request.name;
    import.event = event;
    import.stationFile = stationFile;
    import.dataCentre = request.centreName.empty() ? hostOf(request.server.baseUrl)
                                                   : request.centreName;
    import.sampleRate = request.sampleRate;
    import.timeLimit = request.timeLimit;
    import.replace = request.replace;
    out.import = runImport(import, part(0.6, 1), cancel);
    return out;
}
