// Recordings into an installation: a SAC and a miniSEED station become an
// event that the display loads and plays with onsets at their true times;
// every failure, a cancel and a refused overwrite leave the installation
// byte for byte as it was; ovimport's exit codes and last lines.
#include "import/EventImport.h"
#include "import/InstallationCheck.h"
#include "import/MiniSeedWriter.h"
#include "import/TimeText.h"

#include "data/EventFile.h"
#include "data/RunSetup.h"
#include "data/Seismogram.h"
#include "fileio/FileSystem.h"
#include "seismology/SphericalGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr double kPi = std::numbers::pi;
const double kOrigin = *parseTimeText("2011-03-11T05:46:24.12");
constexpr double kLat = 38.297, kLon = 142.373;
constexpr double kStepAfterOrigin = 400.0137;   // an onset between samples at 40/s
const std::string kOldList = "ANMO    Albuquerque, New Mexico, USA    34.9459N 106.4572W\r\n"
                             "TEST    An existing line kept as it is  1.0000N 2.0000E";   // no final line end

void write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Every file of a folder with its bytes.
std::map<std::string, std::string> snapshot(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        files[fs::relative(e.path(), dir).string()] = e.is_regular_file() ? read(e.path()) : "<dir>";
    return files;
}

// North and east ground motion at KONO, slow enough to pass the filter.
double north(double t) { return 300 * std::sin(2 * kPi * 0.05 * t); }
double east(double t) { return 200 * std::cos(2 * kPi * 0.03 * t); }

class EventImport : public testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path()
                / ("ov-import-test-" + std::to_string(::getpid()) + "-" + testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(data_ = root_ / "data");
        fs::create_directories(installation_ = root_ / "installation");
        write(installation_ / "ZURIVI.STA", kOldList);
        for (const char* table : {"P.JB", "S.JB", "PP.JB", "SS.JB"})
            fs::copy_file(fs::path(OV_BINARY_DIR) / "demo" / table, installation_ / table);

        // ANMO: big-endian SAC at 40/s with the event in its header and a step.
        SacHeader h;
        h.setUndefined();
        const double reference = std::floor((kOrigin - 300) * 1000) / 1000;
        const CalendarTime c = calendarFromEpoch(reference);
        h.i[NZYEAR] = c.year;
        h.i[NZJDAY] = c.dayOfYear;
        h.i[NZHOUR] = c.hour;
        h.i[NZMIN] = c.minute;
        h.i[NZSEC] = static_cast<int>(c.second);
        h.i[NZMSEC] = static_cast<int>(std::lround((c.second - std::floor(c.second)) * 1000));
        h.i[NVHDR] = 6;
        h.i[IFTYPE] = 1;
        h.i[LEVEN] = 1;
        h.f[DELTA] = 0.025f;
        h.f[B] = 0;
        h.f[7] = static_cast<float>(kOrigin - reference);   // O marker
        h.f[STLA] = 34.9459f;
        h.f[STLO] = -106.4572f;
        h.f[EVLA] = static_cast<float>(kLat);
        h.f[EVLO] = static_cast<float>(kLon);
        h.f[EVDP] = 29000;   // metres, as some writers store it
        h.f[MAG] = 9.1f;
        h.f[CMPINC] = 0;
        h.f[CMPAZ] = 0;
        h.setText(KSTNM, "ANMO");
        h.setText(KCMPNM, "BHZ");
        h.setText(KNETWK, "IU");
        std::vector<float> samples(static_cast<std::size_t>(4000 * 40));
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = reference + double(i) / 40 >= kOrigin + kStepAfterOrigin ? 1000.0f : 0.0f;
        h.i[NPTS] = static_cast<int>(samples.size());
        write(data_ / "IU.ANMO.00.BHZ.M.2011.070.054124.SAC", encodeSac(h, samples));

        // KONO: miniSEED Steim-2, BH1 at 30 degrees and BH2 at 120, a 5 s gap
        // in BHZ; coordinates and azimuths only in a station text file.
        const double start = kOrigin - 200;
        std::string mseed;
        for (const char* channel : {"BHZ", "BH1", "BH2"}) {
            const double azimuth = channel[2] == '1' ? 30 : 120;
            const double a = azimuth * kPi / 180;
            TraceSegment s{{"IU", "KONO", "00", channel}, start, 40, {}};
            for (int i = 0; i < 3000 * 40; ++i) {
                const double t = start + i / 40.0 - kOrigin;
                s.samples.push_back(channel[2] == 'Z' ? std::round(100 * std::sin(2 * kPi * 0.1 * t))
                                                      : std::round(north(t) * std::cos(a) + east(t) * std::sin(a)));
            }
            if (channel[2] == 'Z') {
                TraceSegment later = s;
                later.startTime += 1005;   // samples from 1000 s to 1005 s missing
                later.samples.erase(later.samples.begin(), later.samples.begin() + 1005 * 40);
                s.samples.resize(1000 * 40);
                mseed += packMiniSeed(later, MiniSeedEncoding::Steim2, 512);
            }
            mseed += packMiniSeed(s, MiniSeedEncoding::Steim2, 512);
        }
        write(data_ / "kono.mseed", mseed);
        write(data_ / "stations.txt", "#Network|Station|Location|Channel|Latitude|Longitude|Elevation|Depth|Azimuth|Dip|"
                                      "SensorDescription|Scale|ScaleFreq|ScaleUnits|SampleRate|StartTime|EndTime\n"
                                      "IU|KONO|00|BHZ|59.6491|9.5982|216|340|0|-90|STS|1|1|m/s|40|2000-01-01T00:00:00|\n"
                                      "IU|KONO|00|BH1|59.6491|9.5982|216|340|30|0|STS|1|1|m/s|40|2000-01-01T00:00:00|\n"
                                      "IU|KONO|00|BH2|59.6491|9.5982|216|340|120|0|STS|1|1|m/s|40|2000-01-01T00:00:00|\n");
        // XYZ: horizontals of unknown orientation; only station-level metadata.
        for (const char* channel : {"BHZ", "BH1", "BH2"}) {
            TraceSegment s{{"XX", "XYZ", "", channel}, kOrigin - 150, 20, std::vector<double>(20 * 1000, 7.0)};
            write(data_ / (std::string("xyz.") + channel + ".mseed"), packMiniSeed(s, MiniSeedEncoding::Int32));
        }
        write(data_ / "sites.txt", "#Network|Station|Latitude|Longitude|Elevation|SiteName|StartTime|EndTime\n"
                                   "XX|XYZ|-23.5|133.25|500|Somewhere, Australia|2000-01-01T00:00:00|\n");
        write(data_ / "notes.txt", "not a recording\n");
    }
    void TearDown() override { fs::remove_all(root_); }

    ImportRequest request() const {
        ImportRequest r;
        r.inputs = {data_.string()};
        r.installation = installation_.string();
        return r;
    }

    fs::path root_, data_, installation_;
};

}   // namespace

TEST_F(EventImport, RecordingsBecomeAnEventTheDisplayPlays) {
    const ImportReport report = runImport(request());
    ASSERT_EQ(report.createdEvent, "2011031105.evt") << report.error;
    EXPECT_NEAR(*report.event.depthKm, 29, 1e-3);   // metres in the header
    std::map<std::string, std::string> lines;
    for (const ImportFileLine& f : report.files) lines[fs::path(f.path).filename().string()] = (f.used ? "used: " : "skipped: ") + f.what;
    EXPECT_EQ(lines["notes.txt"].rfind("skipped: ", 0), 0u) << lines["notes.txt"];
    EXPECT_EQ(lines["kono.mseed"].rfind("used: ", 0), 0u) << lines["kono.mseed"];
    EXPECT_EQ(lines["IU.ANMO.00.BHZ.M.2011.070.054124.SAC"].rfind("used: ", 0), 0u);
    EXPECT_EQ(lines["xyz.BHZ.mseed"].rfind("used: ", 0), 0u);
    EXPECT_NE(lines["xyz.BH1.mseed"].find("skipped: XX.XYZ..BH1: unknown orientation"), std::string::npos) << lines["xyz.BH1.mseed"];
    EXPECT_TRUE(fs::exists(installation_ / "2011031105" / "KONO.BHN"));
    EXPECT_TRUE(fs::exists(installation_ / "2011031105" / "KONO.BHE"));
    EXPECT_FALSE(fs::exists(installation_ / "2011031105" / "KONO.BH1"));
    for (const auto& e : fs::directory_iterator(installation_))
        EXPECT_NE(e.path().filename().string().rfind(".ovimport", 0), 0u) << "staging left behind";

    // The display plays it: every vertical selected, onsets in place.
    RunState run;
    run.directory = installation_.string();
    ASSERT_TRUE(loadRun(run, "2011031105.evt"));
    ASSERT_EQ(run.seismogramCount, 3);
    EXPECT_NEAR(run.originSeconds, secondsSince1901(2011, 3, 11, 5, 46, 24, 100), 1e-6);
    for (const auto& k : run.seismograms) {
        SCOPED_TRACE(k->label);
        EXPECT_EQ(k->header.f[DELTA], 0.05f);
        EXPECT_GT(k->arrivalTimes[0], 0);                    // P from the tables
        EXPECT_GT(k->arrivalTimes[1], k->arrivalTimes[0]);   // S after it
        // Cut to two minutes before the origin up to the limit, or where the
        // recording ends (KONO's after 2800 s).
        EXPECT_NEAR(k->startTime, -120, 0.06);
        const std::map<std::string, double> ends = {{"ANMO", 3600}, {"KONO", 2800}, {"XYZ", 850}};
        EXPECT_NEAR(k->endTime, ends.at(k->stationName), 0.06);
        EXPECT_FLOAT_EQ(k->header.f[GCARC], greatCircle(k->stationLatitude, k->stationLongitude, float(kLat), float(kLon)).distance);
    }
    const KSAC& anmo = **std::find_if(run.seismograms.begin(), run.seismograms.end(),
                                      [](const auto& k) { return k->stationName == "ANMO"; });
    double crossing = 0;
    const float half = 0.5f * (anmo.samples.front() + anmo.samples.back());
    for (std::size_t i = 1; i < anmo.samples.size() && crossing == 0; ++i)
        if (anmo.samples[i] >= half)
            crossing = anmo.startTime + 0.05 * (double(i - 1) + (half - anmo.samples[i - 1]) / (anmo.samples[i] - anmo.samples[i - 1]));
    // The event file keeps the origin to a tenth of a second (24.1 for 24.12).
    EXPECT_NEAR(crossing, kStepAfterOrigin + 0.02, 0.05);

    // Rotated horizontals: KONO.BHN and .BHE hold the north and east motion
    // (both without their mean).
    for (const char* name : {"KONO.BHN", "KONO.BHE"}) {
        KSAC k;
        k.loadSamples = true;
        RunContext context;
        context.originSeconds = run.originSeconds;
        k.readForRun((installation_ / "2011031105" / name).string(), context);
        ASSERT_GT(k.npts(), 1000) << name;
        std::vector<double> expected;
        double meanExpected = 0, meanActual = 0;
        for (int i = 0; i < k.npts(); ++i) {
            const double t = k.startTime + 0.05 * i - 0.02;   // after the true origin, 24.12
            expected.push_back(name[7] == 'N' ? north(t) : east(t));
            meanExpected += expected.back() / k.npts();
            meanActual += k.samples[std::size_t(i)] / k.npts();
        }
        for (int i = 1000; i < k.npts() - 1000; i += 997)
            EXPECT_NEAR(k.samples[std::size_t(i)] - meanActual, expected[std::size_t(i)] - meanExpected, 1) << name << " sample " << i;
    }

    // Station list: the old bytes first, then the new stations; EVT.INF credits.
    const std::string list = read(installation_ / "ZURIVI.STA");
    ASSERT_EQ(list.substr(0, kOldList.size()), kOldList);
    const StationRecord kono = parseStationLine(list.substr(list.find("KONO")));
    EXPECT_EQ(kono.stationName, "KONO");
    EXPECT_NEAR(kono.latitude, 59.6491, 1e-4);
    EXPECT_NEAR(kono.longitude, 9.5982, 1e-4);
    EXPECT_EQ(list.find("ANMO", 10), std::string::npos) << "ANMO was listed already";
    const StationRecord xyz = parseStationLine(list.substr(list.find("XYZ")));
    EXPECT_EQ(xyz.description, "Somewhere, Australia");
    EXPECT_NEAR(xyz.latitude, -23.5, 1e-4);
    EXPECT_NEAR(xyz.longitude, 133.25, 1e-4);
    const std::string info = read(installation_ / "2011031105" / "EVT.INF");
    EXPECT_NE(info.find("recorded"), std::string::npos);
    EXPECT_NE(info.find("IU"), std::string::npos);
    const EventRecord event = readEventFile((installation_ / "2011031105.evt").string());
    PointF p;
    EXPECT_TRUE(projectOrthographic(event.latitude, event.longitude, float(event.viewAngle), p));
    EXPECT_EQ(event.viewAngle % 45, 0);
    EXPECT_TRUE(checkInstallation(installation_.string()).empty());
}

TEST_F(EventImport, FailuresAndCancelLeaveTheInstallationAsItWas) {
    // An event of the same name already there.
    fs::create_directories(installation_ / "2011031105");
    write(installation_ / "2011031105" / "OLD.BHZ", "old seismogram");
    write(installation_ / "2011031105.evt", "EVENT NAME: Old\r\n");
    const auto before = snapshot(installation_);

    struct Case {
        const char* name;
        std::function<void(ImportRequest&)> change;
        double cancelAt;   // progress at which a cancel is asked, or 2 for none
        const char* error;
    };
    const std::vector<Case> cases = {
        {"same name, no --replace", [](ImportRequest&) {}, 2, "--replace"},
        {"no origin",
         [&](ImportRequest& r) {
             r.inputs = {(data_ / "kono.mseed").string(), (data_ / "stations.txt").string()};
             r.replace = true;
         },
         2, "--origin"},
        {"no usable file",
         [&](ImportRequest& r) {
             r.inputs = {(data_ / "notes.txt").string()};
             r.replace = true;
         },
         2, "no SAC or miniSEED"},
        {"cancel while reading", [](ImportRequest& r) { r.replace = true; }, 0.1, "cancelled"},
        {"cancel while writing", [](ImportRequest& r) { r.replace = true; }, 0.6, "cancelled"},
        {"cancel before moving into place", [](ImportRequest& r) { r.replace = true; }, 0.95, "cancelled"},
        {"not an installation",
         [&](ImportRequest& r) {
             r.installation = (root_ / "missing").string();
             r.replace = true;
         },
         2, "does not exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImportRequest r = request();
        c.change(r);
        std::atomic<bool> cancel{false};
        const ImportReport report = runImport(
            r,
            [&](double f, const std::string&) {
                if (f >= c.cancelAt) cancel = true;
            },
            &cancel);
        EXPECT_TRUE(report.createdEvent.empty());
        EXPECT_NE(report.error.find(c.error), std::string::npos) << report.error;
        EXPECT_EQ(snapshot(installation_), before);
    }
    if (::geteuid() != 0) {   // the owner of everything may write anywhere
        fs::permissions(installation_, fs::perms::owner_write, fs::perm_options::remove);
        ImportRequest r = request();
        r.replace = true;
        EXPECT_NE(runImport(r).error.find("cannot write"), std::string::npos);
        fs::permissions(installation_, fs::perms::owner_write, fs::perm_options::add);
        EXPECT_EQ(snapshot(installation_), before);
    }

    // --replace: the new event in place of the old one, nothing else changed
    // but the added stations.
    ImportRequest r = request();
    r.replace = true;
    r.name = "Replaced";
    ASSERT_EQ(runImport(r).createdEvent, "2011031105.evt");
    EXPECT_FALSE(fs::exists(installation_ / "2011031105" / "OLD.BHZ"));
    EXPECT_EQ(readEventFile((installation_ / "2011031105.evt").string()).name, "Replaced");
    auto after = snapshot(installation_);
    for (const auto& [path, bytes] : before) {
        if (path.rfind("2011031105", 0) != 0 && path != "ZURIVI.STA") {
            EXPECT_EQ(after[path], bytes) << path;
        }
    }
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(installation_)) ++entries;
    EXPECT_EQ(entries, 7u);   // 4 tables, the list, the event file and its folder
}

TEST_F(EventImport, EventValuesEditedAfterTheScanAreUsed) {
    // What a dialog does: scan, show what is missing, take the user's values.
    ImportRequest r = request();
    r.inputs = {(data_ / "kono.mseed").string(), (data_ / "stations.txt").string()};
    ImportScan scan = scanImport(r);
    EXPECT_NE(scan.report.error.find("--origin"), std::string::npos) << scan.report.error;
    ASSERT_EQ(scan.report.stations.size(), 1u);
    EXPECT_EQ(scan.report.stations[0].components, "Z12");
    EXPECT_EQ(scan.report.stations[0].distance, -1);
    r.event.originTime = kOrigin + 3600 * 24;   // a day later: no recording in the window
    r.event.latitude = kLat;
    r.event.longitude = kLon;
    updateImportPlan(r, scan);
    EXPECT_NE(scan.report.error.find("time window"), std::string::npos) << scan.report.error;
    r.event.originTime = kOrigin;
    updateImportPlan(r, scan);
    EXPECT_EQ(scan.report.error, "");
    EXPECT_NEAR(scan.report.stations[0].distance, greatCircle(59.6491f, 9.5982f, float(kLat), float(kLon)).distance, 1e-3);
    const ImportReport report = writeImport(r, std::move(scan));
    EXPECT_EQ(report.createdEvent, "2011031105.evt") << report.error;
    EXPECT_EQ(report.stations[0].components, "ZNE");
}

TEST_F(EventImport, CommandLineExitCodesAndLastLine) {
    const std::string program = std::string(OV_BINARY_DIR) + "/ovimport";
    auto run = [&](const std::string& args, std::string& last) {
        FILE* pipe = ::popen((program + " " + args + " 2>/dev/null").c_str(), "r");
        char buffer[4096];
        last.clear();
        while (std::fgets(buffer, sizeof buffer, pipe)) last = buffer;
        const int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::string into = "--into '" + installation_.string() + "' ";
    struct Case {
        std::string args;
        int code;
        const char* last;
    };
    const std::vector<Case> cases = {
        {"", 2, ""},
        {"--rate", 2, ""},
        {"--lat 95 x", 2, ""},
        {"--lat 10 x", 2, ""},
        {"--origin 2011-13-01T00:00:00 x", 2, ""},
        {"--frobnicate 1 x", 2, ""},
        {"--prefer 10.HHZ x", 2, ""},
        {into + "'" + (data_ / "kono.mseed").string() + "'", 1, "nothing imported: no origin time"},
        {into
             + "--origin 2011-03-11T05:46:24.12 --lat 38.297 --lon 142.373 --depth 29 "
               "--magnitude 9.1 '"
             + (data_ / "kono.mseed").string() + "' '" + (data_ / "stations.txt").string() + "'",
         0, "created 2011031105.evt"},
        {into + "'" + data_.string() + "'", 1, "nothing imported: 2011031105.evt already exists"},
        {"--check '" + installation_.string() + "'", 0, "1 event checked, no problems"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        std::string last;
        EXPECT_EQ(run(c.args, last), c.code);
        EXPECT_EQ(last.rfind(c.last, 0), 0u) << last;
    }
    fs::remove(installation_ / "2011031105" / "KONO.BHZ");
    std::string last;
    EXPECT_EQ(run("--check '" + installation_.string() + "'", last), 1);
    EXPECT_EQ(last, "1 problem in 1 event\n");
}
