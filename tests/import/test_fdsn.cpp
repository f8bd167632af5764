// Downloading an earthquake from an FDSN data centre: a data centre on the
// loopback interface, started inside the test, answers the event, station and
// dataselect services from data made here and misbehaves on request (no data,
// 413, 500, stalls, broken-off and garbled answers). The client and ovimport
// --fdsn must import what came, list what did not, and leave the installation
// byte for byte as it was after every failure and a cancel.
#include "LocalDataCentre.h"
#include "import/FdsnClient.h"
#include "import/MiniSeedWriter.h"
#include "import/TimeText.h"

#include "data/RunSetup.h"
#include "data/Seismogram.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace fdsntest;

namespace {

class FdsnDownload : public testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_import_fdsn";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
        root_ = fs::temp_directory_path() / ("ov-fdsn-test-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(installation_ = root_ / "installation");
        fs::create_directories(scratch_ = root_ / "scratch");
        std::ofstream(installation_ / "ZURIVI.STA") << "ANMO    Albuquerque, New Mexico, USA    34.9459N 106.4572W\r\n";
        for (const char* table : {"P.JB", "S.JB", "PP.JB", "SS.JB"})
            fs::copy_file(fs::path(OV_BINARY_DIR) / "demo" / table, installation_ / table);
    }
    void TearDown() override { fs::remove_all(root_); }

    FdsnDownloadRequest request(const LocalDataCentre& centre) const {
        FdsnDownloadRequest r;
        r.server.baseUrl = centre.baseUrl();
        r.server.connectTimeoutMs = 5000;
        r.server.backoffMs = 20;
        r.centreName = "Local test centre";
        r.eventId = "tohoku";
        r.installation = installation_.string();
        r.timeLimit = kLimit;
        r.scratchParent = scratch_.string();
        return r;
    }

    fs::path root_, installation_, scratch_;
};

}   // namespace

TEST_F(FdsnDownload, WhatCameIsImportedAndEveryFailureLeavesTheInstallationAsItWas) {
    const auto before = snapshot(installation_);
    struct Case {
        const char* name;
        std::function<void(Misbehaviour&)> misbehave;
        double cancelAt;                  // progress at which to cancel; 2: never; -1: from another thread at 0.2 s
        const char* error;                // empty: the event is created
        std::size_t dataselectRequests;   // 0: not counted
        std::vector<std::string> noData = {};
    };
    const std::vector<Case> cases = {
        {"stall past the idle time-out", [](Misbehaviour& m) { m.dataselect.stall = true; }, 2, "sent nothing for 0.30 s (3 tries)", 3},
        {"broken-off answer", [](Misbehaviour& m) { m.dataselect.truncate = true; }, 2, "broke off", 3},
        {"garbage instead of miniSEED", [](Misbehaviour& m) { m.dataselect.body = std::string(9000, 'x'); }, 2, "not miniSEED", 1},
        {"always 503",
         [](Misbehaviour& m) {
             m.dataselect = {503, "down for maintenance"};
         },
         2, "server error 503: down for maintenance (3 tries)", 3},
        {"no station has data", [](Misbehaviour& m) { m.silent = {"ANMO", "KONO", "BFO", "SNZO", "KDAK", "CTAO"}; }, 2,
         "no recordings came", 1},
        {"moved to plain http elsewhere",
         [](Misbehaviour& m) {
             m.moved = true;
             m.movedTo = "http://localhost:1";
         },
         2, "which is not followed", 0},
        {"unknown event", [](Misbehaviour& m) { m.eventUnknown = true; }, 2, "not known", 0},
        {"cancel while downloading", [](Misbehaviour& m) { m.linesMax = 3; }, 0.2, "cancelled", 0},
        {"cancel while importing", [](Misbehaviour&) {}, 0.7, "cancelled", 1},
        {"cancel while the centre is silent", [](Misbehaviour& m) { m.dataselect.stall = true; }, -1, "cancelled", 1},
        // Successes, each replacing the event of the one before.
        {"everything", [](Misbehaviour&) {}, 2, "", 1},
        {"413 splits, 204 for two stations",
         [](Misbehaviour& m) {
             m.silent = {"ANMO", "BFO"};
             m.linesMax = 6;
         },
         2,
         "",
         7,
         {"IU.ANMO", "II.BFO"}},   // 18 lines: 9, 4, 5, 9, 4, 5
        {"a 500, then the answer", [](Misbehaviour& m) { m.failFirst = 1; }, 2, "", 2},
        {"moved on the same server", [](Misbehaviour& m) { m.moved = true; }, 2, "", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Misbehaviour m;
        c.misbehave(m);
        LocalDataCentre centre(dataCentre(m));
        FdsnDownloadRequest r = request(centre);
        if (m.moved) r.server.baseUrl += "/moved";
        // Short only where the stall is meant to run into it: a loaded machine may be slow.
        r.server.idleTimeoutMs = c.cancelAt < 0 ? 60000 : m.dataselect.stall ? 300 : 5000;
        r.replace = true;
        std::atomic<bool> cancel{false};
        const auto start = std::chrono::steady_clock::now();
        std::thread canceller([&] {
            if (c.cancelAt < 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                cancel = true;
            }
        });
        const FdsnDownloadReport report = downloadEarthquake(
            r,
            [&](double f, const std::string&) {
                if (f >= c.cancelAt && c.cancelAt >= 0) cancel = true;
            },
            &cancel);
        canceller.join();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));   // a cancel acts at once
        EXPECT_TRUE(fs::is_empty(scratch_));
        const std::vector<HttpRequest> posts = centre.requests("dataselect");
        if (c.dataselectRequests) {
            EXPECT_EQ(posts.size(), c.dataselectRequests);
        }
        if (*c.error) {
            EXPECT_FALSE(report.ok());
            EXPECT_NE(report.import.error.find(c.error), std::string::npos) << report.import.error;
            EXPECT_EQ(report.import.cancelled, c.cancelAt < 2);
            EXPECT_EQ(snapshot(installation_), before);
            continue;
        }
        ASSERT_EQ(report.import.createdEvent, "2011031105.evt") << report.import.error;
        EXPECT_EQ(report.noData, c.noData);
        EXPECT_TRUE(report.failures.empty()) << report.failures.front();
        for (const HttpRequest& p : posts) {
            EXPECT_LE(p.lines(), 18u);   // one sensor per station
            EXPECT_EQ(p.body.find("HHZ"), std::string::npos);
        }
        const std::vector<HttpRequest> stations = centre.requests("station");
        ASSERT_FALSE(stations.empty());
        EXPECT_NE(stations.back().query.find("level=channel&network=IU,II&channel=BH?,HH?"), std::string::npos);

        RunState run;
        run.directory = installation_.string();
        ASSERT_TRUE(loadRun(run, "2011031105.evt"));
        EXPECT_EQ(std::size_t(run.seismogramCount), 6 - c.noData.size());
        for (const auto& k : run.seismograms) {
            EXPECT_NEAR(k->startTime, -120, 0.06) << k->label;
            EXPECT_NEAR(k->endTime, kLimit, 0.06) << k->label;
        }
        std::size_t files = 0;   // Z, and 1 and 2 turned to N and E, per station
        for (const auto& e : fs::directory_iterator(installation_ / "2011031105"))
            files += e.path().extension() == ".BHZ" || e.path().extension() == ".BHN" || e.path().extension() == ".BHE";
        EXPECT_EQ(files, 3 * std::size_t(run.seismogramCount));
        EXPECT_NE(snapshot(installation_)["2011031105/EVT.INF"].find("Local test centre"), std::string::npos);
    }
}

TEST_F(FdsnDownload, ChoiceSpreadsOverDistanceAndAzimuthAndPrefersKnownStations) {
    // A ring of stations at every 15 degrees of azimuth and 10 of distance
    // from an epicentre on the equator; two of them listed already.
    std::vector<ChannelMetadata> channels;
    for (int d = 10; d <= 170; d += 10)
        for (int az = 0; az < 360; az += 15) {
            const double a = az * M_PI / 180, c = d * M_PI / 180;
            const double lat = std::asin(std::sin(c) * std::cos(a)) * 180 / M_PI;
            const double lon = std::atan2(std::sin(a) * std::sin(c), std::cos(c)) * 180 / M_PI;
            const std::string code = "S" + std::to_string(d) + "A" + std::to_string(az);
            for (const char* cha : {"BHZ", "BHN", "BHE", "LHZ"}) {
                ChannelMetadata m;
                m.id = {"XX", code, "", cha};
                m.latitude = lat;
                m.longitude = lon;
                channels.push_back(m);
            }
        }
    const std::vector<FdsnStationChoice> chosen = chooseStations(channels, 0, 0, 24, {"S90A15", "S30A300"});
    ASSERT_EQ(chosen.size(), 24u);
    std::map<int, int> bands, sectors;
    int known = 0;
    for (const FdsnStationChoice& s : chosen) {
        ++bands[std::min(int(s.distance / 20), 8)];
        ++sectors[int(std::fmod(s.azimuth + 22.5, 360) / 45) % 8];
        known += s.known;
        ASSERT_EQ(s.channels.size(), 3u) << s.station;   // BH?, not LH?
        EXPECT_EQ(s.channels[0].id.channel.substr(0, 2), "BH");
    }
    EXPECT_EQ(known, 2);
    EXPECT_EQ(bands.size(), 9u);     // every band of 20 degrees
    EXPECT_EQ(sectors.size(), 8u);   // and every sector of 45
    for (const auto& [band, n] : bands) EXPECT_LE(n, 3) << band;
    for (const auto& [sector, n] : sectors) EXPECT_EQ(n, 3) << sector;
}

TEST_F(FdsnDownload, CommandLine) {
    LocalDataCentre centre(dataCentre(Misbehaviour()));
    const std::string program = std::string(OV_BINARY_DIR) + "/ovimport";
    auto run = [&](const std::string& args, std::vector<std::string>& lines) {
        FILE* pipe = ::popen((program + " " + args + " 2>/dev/null").c_str(), "r");
        char buffer[4096];
        lines.clear();
        while (std::fgets(buffer, sizeof buffer, pipe)) lines.emplace_back(buffer);
        const int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::string fdsn = "--fdsn " + centre.baseUrl() + " --timeout 5 ";
    const std::string into = " --into '" + installation_.string() + "'";
    struct Case {
        std::string args;
        int code;
        std::string first, last;
    };
    const std::vector<Case> cases = {
        {"--fdsn", 2, "", ""},
        {"--fdsn ftp://x --list", 2, "", ""},
        {fdsn + "--event", 2, "", ""},
        {fdsn + "--list", 0, "tohoku  2011-03-11T05:46:24  38.297  142.373  29.0  9.1  NEAR EAST COAST OF HONSHU, JAPAN\n",
         "older1  2011-03-09T02:45:20  38.440  142.840  32.0  7.3  NEAR EAST COAST OF HONSHU\n"},
        {fdsn + "--event nosuch" + into, 1, "nothing imported: event nosuch", ""},
        {fdsn + "--latest --max-stations 4" + into, 0, "newest: tohoku", "created 2011031105.evt\n"},
        {fdsn + "--latest" + into, 0, "nothing to do: tohoku (NEAR EAST COAST OF HONSHU, JAPAN) is installed already as 2011031105.evt",
         ""},
        {"--fdsn http://127.0.0.1:1 --timeout 0.2 --list", 1, "nothing found: event search", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        std::vector<std::string> lines;
        EXPECT_EQ(run(c.args, lines), c.code);
        if (!c.first.empty()) {
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(lines.front().rfind(c.first, 0), 0u) << lines.front();
        }
        if (!c.last.empty()) {
            EXPECT_EQ(lines.back(), c.last);
        }
    }
    RunState run4;
    run4.directory = installation_.string();
    ASSERT_TRUE(loadRun(run4, "2011031105.evt"));
    EXPECT_EQ(run4.seismogramCount, 4);
}
