// A seismological data centre on the loopback interface for tests: an
// HTTP/1.1 server on 127.0.0.1 (any free port) in a thread of its own that
// answers the FDSN event, station and dataselect services from data made
// here (six stations around the 2011 Tohoku earthquake, miniSEED packed on
// the spot) and misbehaves on request.
#pragma once

#include "import/MiniSeedWriter.h"
#include "import/TimeText.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fdsntest {

namespace fs = std::filesystem;

struct HttpRequest {
    std::string method, path, query, body;
    std::size_t lines() const { return std::size_t(std::count(body.begin(), body.end(), '\n')); }
};
struct HttpReply {
    HttpReply(int s = 200, std::string b = {}) : status(s), body(std::move(b)) {}
    int status;
    std::string body;
    std::string location;    // for a redirect
    bool stall = false;      // answer nothing, keep the connection open
    bool truncate = false;   // announce the whole body, send half, close
};
using Script = std::function<HttpReply(const HttpRequest&)>;

// An HTTP/1.1 server on 127.0.0.1 (any free port) in a thread of its own, so
// that a program started by the test can talk to it as well.
class LocalDataCentre {
public:
    explicit LocalDataCentre(Script script) : script_(std::move(script)) {
        thread_.start();
        context_ = new QObject;
        context_->moveToThread(&thread_);
        QMetaObject::invokeMethod(
            context_,
            [this] {
                server_ = new QTcpServer(context_);
                server_->listen(QHostAddress::LocalHost, 0);
                port_ = server_->serverPort();
                QObject::connect(server_, &QTcpServer::newConnection, server_, [this] {
                    while (QTcpSocket* s = server_->nextPendingConnection()) serve(s);
                });
            },
            Qt::BlockingQueuedConnection);
    }
    ~LocalDataCentre() {
        QMetaObject::invokeMethod(
            context_, [this] { delete context_; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::vector<HttpRequest> requests(const std::string& service) const {
        std::lock_guard lock(mutex_);
        std::vector<HttpRequest> out;
        for (const HttpRequest& r : log_)
            if (r.path.find("/" + service + "/") != std::string::npos) out.push_back(r);
        return out;
    }

private:
    void serve(QTcpSocket* socket) {
        auto buffer = std::make_shared<std::string>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            *buffer += socket->readAll().toStdString();
            const std::size_t end = buffer->find("\r\n\r\n");
            if (end == std::string::npos) return;
            std::istringstream head(buffer->substr(0, end));
            HttpRequest r;
            std::string target, line;
            head >> r.method >> target;
            std::size_t length = 0;
            while (std::getline(head, line))
                if (line.rfind("Content-Length:", 0) == 0) length = std::stoul(line.substr(15));
            if (buffer->size() < end + 4 + length) return;
            r.body = buffer->substr(end + 4, length);
            buffer->clear();
            r.path = target.substr(0, target.find('?'));
            r.query = target.find('?') == std::string::npos ? "" : target.substr(target.find('?') + 1);
            HttpReply reply;
            {
                std::lock_guard lock(mutex_);
                log_.push_back(r);
                reply = script_(r);
            }
            if (reply.stall) return;
            std::string bytes = "HTTP/1.1 " + std::to_string(reply.status) + " X\r\nConnection: close\r\n";
            if (!reply.location.empty()) bytes += "Location: " + reply.location + "\r\n";
            if (reply.status != 204) bytes += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
            bytes += "\r\n" + (reply.truncate ? reply.body.substr(0, reply.body.size() / 2) : reply.body);
            socket->write(bytes.data(), qint64(bytes.size()));
            socket->disconnectFromHost();
        });
    }

    Script script_;
    QThread thread_;
    QObject* context_ = nullptr;
    QTcpServer* server_ = nullptr;
    quint16 port_ = 0;
    mutable std::mutex mutex_;
    std::vector<HttpRequest> log_;
};

inline const double kOrigin = *parseTimeText("2011-03-11T05:46:24");
constexpr double kLat = 38.297, kLon = 142.373;
constexpr double kLimit = 600;

// Six stations around the epicentre, BH? at 00; KONO also has HH? that the
// choice must leave out.
struct Site {
    const char *net, *sta;
    double lat, lon;
};
inline const Site kSites[] = {{"IU", "ANMO", 34.9459, -106.4572}, {"IU", "KONO", 59.6491, 9.5982},    {"II", "BFO", 48.3319, 8.3311},
                              {"IU", "SNZO", -41.3087, 174.7043}, {"II", "KDAK", 57.7828, -152.5835}, {"IU", "CTAO", -20.0882, 146.2545}};

inline std::string stationText() {
    std::string t = "#Network|Station|Location|Channel|Latitude|Longitude|Elevation|Depth|Azimuth|Dip|"
                    "SensorDescription|Scale|ScaleFreq|ScaleUnits|SampleRate|StartTime|EndTime\n";
    for (const Site& s : kSites)
        for (const char* c : {"BHZ|0|-90", "BH1|30|0", "BH2|120|0", "HHZ|0|-90"})
            if (std::string(c) != "HHZ|0|-90" || std::string(s.sta) == "KONO")
                t += std::string(s.net) + "|" + s.sta + "|00|" + std::string(c).substr(0, 3) + "|" + std::to_string(s.lat) + "|"
                     + std::to_string(s.lon) + "|100|0|" + std::string(c).substr(4) + "|STS-2|1|1|m/s|" + (c[0] == 'H' ? "100" : "20")
                     + "|2000-01-01T00:00:00|\n";
    return t;
}

inline const std::string kEvents = "#EventID|Time|Latitude|Longitude|Depth/km|Author|Catalog|Contributor|ContributorID|MagType|"
                                   "Magnitude|MagAuthor|EventLocationName\n"
                                   "older1|2011-03-09T02:45:20|38.44|142.84|32|A|C|C|older1|Mw|7.3|A|NEAR EAST COAST OF HONSHU\n"
                                   "tohoku|2011-03-11T05:46:24|38.297|142.373|29|A|C|C|tohoku|Mw|9.1|A|NEAR EAST COAST OF HONSHU, JAPAN\n";

// miniSEED for every line of a dataselect body: 20 samples per second over
// the asked window.
inline std::string waveforms(const std::string& body, const std::set<std::string>& silent) {
    std::string out;
    std::istringstream lines(body);
    std::string net, sta, loc, cha, from, to;
    while (lines >> net >> sta >> loc >> cha >> from >> to) {
        if (silent.count(sta)) continue;
        TraceSegment s{{net, sta, loc == "--" ? "" : loc, cha}, *parseTimeText(from), 20, {}};
        for (double t = s.startTime; t < *parseTimeText(to); t += 0.05)
            s.samples.push_back(std::round(1000 * std::sin(0.3 * (t - kOrigin)) * (cha == "BHZ" ? 1 : 0.5)));
        out += packMiniSeed(s, MiniSeedEncoding::Steim2, 4096);
    }
    return out;
}

// Every file of a folder with its bytes.
inline std::map<std::string, std::string> snapshot(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        std::ifstream in(e.path(), std::ios::binary);
        files[fs::relative(e.path(), dir).string()] = e.is_regular_file() ? std::string((std::istreambuf_iterator<char>(in)),
                                                                                        std::istreambuf_iterator<char>())
                                                                          : "<dir>";
    }
    return files;
}

// How the data centre misbehaves in one scenario.
struct Misbehaviour {
    std::set<std::string> silent;   // stations without data
    std::size_t linesMax = 1000;    // larger dataselect requests get 413
    int failFirst = 0;              // dataselect requests answered 500 first
    HttpReply dataselect;           // status != 200, stall, truncate or a body: answered instead
    bool eventUnknown = false;
    bool moved = false;    // everything served under /moved, redirected (307)
    std::string movedTo;   // to this server; empty: the same
};

inline Script dataCentre(const Misbehaviour& m) {
    auto failures = std::make_shared<int>(m.failFirst);
    return [m, failures](const HttpRequest& r) -> HttpReply {
        if (m.moved && r.path.rfind("/moved/", 0) == 0) {
            HttpReply reply(307);
            reply.location = m.movedTo + r.path.substr(6) + (r.query.empty() ? "" : "?" + r.query);
            return reply;
        }
        if (r.path == "/fdsnws/event/1/query") {
            const std::size_t id = r.query.find("eventid=");
            if (m.eventUnknown || (id != std::string::npos && r.query.compare(id + 8, 6, "tohoku") != 0)) return {204, ""};
            return {200, kEvents};
        }
        if (r.path == "/fdsnws/station/1/query") return {200, stationText()};
        if (r.path != "/fdsnws/dataselect/1/query" || r.method != "POST") return {400, "bad request"};
        if (r.lines() > m.linesMax) return {413, "too large"};
        if ((*failures)-- > 0) return {500, "busy"};
        if (m.dataselect.status != 200 || m.dataselect.stall || m.dataselect.truncate || !m.dataselect.body.empty()) {
            HttpReply reply = m.dataselect;
            if (reply.truncate) reply.body = waveforms(r.body, m.silent);
            return reply;
        }
        const std::string data = waveforms(r.body, m.silent);
        return data.empty() ? HttpReply{204, ""} : HttpReply{200, data};
    };
}

}   // namespace fdsntest
