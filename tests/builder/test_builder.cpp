// The demonstration installation: every event loads as a run, its computed
// seismograms start their phases exactly at the tables' arrival times where
// the ray tracer says the phase arrives, show the core phases at the ray
// tracer's times, every file reads back through the system's own readers,
// and the output is the same on every build.

#include "DemoEvents.h"
#include "EarthModel.h"
#include "RayTracer.h"
#include "Stations.h"
#include "TravelTimeTables.h"

#include "data/EventFile.h"
#include "fileio/FileSystem.h"
#include "data/InfoText.h"
#include "data/RunSetup.h"
#include "data/Seismogram.h"
#include "data/Settings.h"
#include "seismology/SphericalGeometry.h"
#include "seismology/TravelTimes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string modelPath()
{
    for (const char* p : {OV_SOURCE_DIR "/data/jb-model.txt", OV_SOURCE_DIR "/../shared/data/jb-model.txt"})
        if (fs::exists(p))
            return p;
    return {};
}

std::vector<DemoStation> demoStations()
{
    std::vector<DemoStation> stations;
    for (const GsnStation& g : gsnStations())
        stations.push_back({g.code, g.network, static_cast<float>(g.latitude),
                            static_cast<float>(g.longitude), g.description});
    return stations;
}

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

float maxAbs(const std::vector<float>& x, std::size_t from, std::size_t to)
{
    float m = 0;
    for (std::size_t i = from; i < std::min(to, x.size()); ++i)
        m = std::max(m, std::fabs(x[i]));
    return m;
}

// Index of the sample at time t (seconds after the origin) of a run seismogram.
std::size_t sampleIndex(const KSAC& s, double t)
{
    const double k = (t - s.startTime) / s.header.f[DELTA];
    return k < 0 ? 0 : static_cast<std::size_t>(k);
}

const EarthModel& earthModel()
{
    static const EarthModel model = loadEarthModel(modelPath());
    return model;
}

// The ray tracer's first-arrival curve of a table phase at the source depth
// of the event's table column (negative where the phase does not arrive).
ArrivalCurve tracedCurve(const DemoEvent& e, const char* phase)
{
    const double depth = tableColumnDepth(depthColumn(storedDepth(e)));
    return firstArrivals(earthModel(), phase, {depth}).front();
}

// Whether the traced curve has arrivals at both whole degrees around `distance`.
bool curveArrives(const ArrivalCurve& curve, float distance)
{
    const int lo = static_cast<int>(std::floor(distance)), hi = static_cast<int>(std::ceil(distance));
    return lo >= 0 && hi < kTableDegrees && curve[lo] >= 0 && curve[hi] >= 0;
}

// Writes the tables and every demonstration event into `dir`.
void buildInstallation(const std::string& dir)
{
    fs::create_directories(dir);
    const EarthModel& model = earthModel();
    ASSERT_FALSE(model.empty());
    ASSERT_TRUE(writeTravelTimeTables(model, dir));
    for (const DemoEvent& e : demoEvents()) {
        std::string error;
        ASSERT_TRUE(writeDemoEvent(e, demoStations(), model, dir, error)) << error;
    }
    std::string error;
    ASSERT_TRUE(writeTutorial(tutorialEvent(), demoStations(), model, dir, error)) << error;
    ASSERT_TRUE(writeDemoSettings(dir));
}

// One installation with the tables and every demonstration event. CTest runs
// each case in its own process, so the installation is kept in the build
// tree and reused while this test program stays the same (its size and time
// are the key); a changed program builds it afresh.
class DemoInstallation : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const fs::path self = fs::read_symlink("/proc/self/exe");
        const std::string key =
            std::to_string(fs::file_size(self)) + " "
            + std::to_string(fs::last_write_time(self).time_since_epoch().count()) + "\n";
        const std::string cache = OV_BINARY_DIR "/tests/builder/demo-installation";
        auto current = [&] { return fs::exists(cache + "/KEY") && fileBytes(cache + "/KEY") == key; };
        dir_ = cache;
        if (current())
            return;
        const std::string fresh = cache + ".new" + std::to_string(getpid());
        fs::remove_all(fresh);
        buildInstallation(fresh);
        if (HasFatalFailure())
            return;
        std::ofstream(fresh + "/KEY") << key;
        std::error_code ec;
        if (current()) {   // another test process finished first
            fs::remove_all(fresh, ec);
            return;
        }
        fs::remove_all(cache, ec);
        fs::rename(fresh, cache, ec);
        // Another test process may have put its copy in place first.
        dir_ = ec ? fresh : cache;
        temporary_ = static_cast<bool>(ec);
    }
    static void TearDownTestSuite()
    {
        if (temporary_)
            fs::remove_all(dir_);
    }

    // A scratch folder of this process beside the installation.
    static std::string scratch(const std::string& name)
    {
        return (fs::temp_directory_path() / ("ov_builder_" + name + std::to_string(getpid()))).string();
    }

    static std::string dir_;
    static bool temporary_;
};

std::string DemoInstallation::dir_;
bool DemoInstallation::temporary_ = false;

TEST(DemoCatalogue, CoversShallowDeepAndGreatEventsOnSeveralContinents)
{
    const std::vector<DemoEvent>& events = demoEvents();
    ASSERT_GE(events.size(), 6u);
    int shallow = 0;
    bool deep = false, great = false;
    std::set<std::string> names;
    for (const DemoEvent& e : events) {
        EXPECT_LE(std::string(e.name).size(), kEventNameMax);
        EXPECT_TRUE(names.insert(demoEventFileName(e)).second) << "two events in one hour";
        shallow += e.depth < 70;
        deep = deep || e.depth > 300;
        great = great || e.magnitude >= 9.0f;
        EXPECT_GE(e.timeAcceleration, 20);
        EXPECT_LE(e.timeLimit, kDemoSamples * kDemoDelta - kDemoLeadSeconds);
    }
    EXPECT_GE(shallow, 5);
    EXPECT_TRUE(deep);
    EXPECT_TRUE(great);
    EXPECT_EQ(demoEventFileName(events.front()), "1989101800.evt");
}

TEST(DemoStations, RecordedStationsSpreadOverDistanceAndListedIncludeTheNearest)
{
    for (const DemoEvent& e : demoEvents()) {
        const std::vector<StationGeometry> recorded = chooseRecordedStations(e, demoStations());
        ASSERT_GE(recorded.size(), 15u) << e.name;
        EXPECT_TRUE(std::is_sorted(recorded.begin(), recorded.end(),
                                   [](const auto& a, const auto& b) { return a.distance < b.distance; }));
        EXPECT_GT(recorded.back().distance - recorded.front().distance, 90.0f) << e.name;
        // No gap wider than a third of the range between neighbours.
        for (std::size_t i = 1; i < recorded.size(); ++i)
            EXPECT_LT(recorded[i].distance - recorded[i - 1].distance,
                      (recorded.back().distance - recorded.front().distance) / 3) << e.name;
        const std::vector<StationGeometry> listed = chooseListedStations(recorded);
        ASSERT_GE(listed.size(), 6u);
        ASSERT_LE(listed.size(), 10u);
        EXPECT_EQ(listed.front().station.code, recorded.front().station.code);
        std::set<std::string> codes;
        std::size_t beyondShadow = 0;
        for (const auto& s : listed) {
            EXPECT_TRUE(codes.insert(s.station.code).second);
            beyondShadow += s.distance > 100.0f;
        }
        // Mostly stations that the direct waves reach, a couple beyond.
        EXPECT_LE(beyondShadow, 2u) << e.name;
        if (recorded.back().distance > 120.0f) {
            EXPECT_GE(beyondShadow, 1u) << e.name;
        }
    }
}

TEST(DemoSac, HeaderReferenceTimeCrossesMidnightAndNewYear)
{
    DemoEvent e = demoEvents().front();
    e.year = 2001;
    e.month = 1;
    e.day = 1;
    e.hour = 0;
    e.minute = 1;
    e.second = 30.5f;
    const SacHeader h = demoSacHeader(e, {"ANMO", "IU", 34.9459f, -106.4572f, ""}, 'E');
    EXPECT_EQ(h.i[NZYEAR], 2000);
    EXPECT_EQ(h.i[NZJDAY], 366);   // 2000 was a leap year
    EXPECT_EQ(h.i[NZHOUR], 23);
    EXPECT_EQ(h.i[NZMIN], 59);
    EXPECT_EQ(h.i[NZSEC], 30);
    EXPECT_EQ(h.i[NZMSEC], 500);
    EXPECT_FLOAT_EQ(h.f[CMPAZ], 90);
    EXPECT_FLOAT_EQ(h.f[CMPINC], 90);
}

TEST_F(DemoInstallation, EventFilesReadBackWithTheirFields)
{
    for (const DemoEvent& e : demoEvents()) {
        const std::string path = joinPath(dir_, demoEventFileName(e));
        ASSERT_TRUE(fileExists(path)) << path;
        const EventRecord r = readEventFile(path);
        EXPECT_EQ(r.name, e.name);
        EXPECT_NEAR(r.latitude, e.latitude, 1e-4);
        EXPECT_NEAR(r.longitude, e.longitude, 1e-4);
        EXPECT_NEAR(r.depth, e.depth, 0.05);
        EXPECT_NEAR(r.magnitude, e.magnitude, 0.05);
        EXPECT_EQ(r.year, e.year);
        EXPECT_EQ(r.month, e.month);
        EXPECT_EQ(r.day, e.day);
        EXPECT_EQ(r.hour, e.hour);
        EXPECT_EQ(r.minute, e.minute);
        EXPECT_NEAR(r.second, e.second, 0.05);
        EXPECT_EQ(r.timeAcceleration, e.timeAcceleration);
        EXPECT_EQ(r.timeWindow, e.timeWindow);
        EXPECT_EQ(r.timeLimit, e.timeLimit);
        EXPECT_GE(r.viewAngle, 0);
        EXPECT_LT(r.viewAngle, 360);
        EXPECT_LE(std::fabs(std::remainder(r.viewAngle - e.longitude, 360.0f)), 1.0f);
        ASSERT_GE(r.stationFiles.size(), 6u);
        ASSERT_LE(r.stationFiles.size(), 10u);
        for (const ComponentRecord& c : r.stationFiles) {
            EXPECT_EQ(c.fileName.substr(c.fileName.size() - 4), ".BHZ");
            EXPECT_TRUE(fs::exists(joinPath(joinPath(dir_, demoEventFolder(e)), c.fileName)))
                << c.fileName;
        }
    }
}

TEST_F(DemoInstallation, SacFilesCarryADataCentreHeader)
{
    for (const DemoEvent& e : demoEvents()) {
        const std::string folder = joinPath(dir_, demoEventFolder(e));
        std::vector<std::string> names;
        ASSERT_TRUE(listDirectory(folder, names));
        std::set<std::string> stations;
        int files = 0;
        for (const std::string& name : names) {
            if (name == "EVT.INF")
                continue;
            ++files;
            const std::string path = joinPath(folder, name);
            KSAC s;
            s.readSAC(path);
            ASSERT_GT(s.npts(), 0) << path;
            const SacHeader& h = s.header;
            EXPECT_EQ(h.i[SAC_INT27], -12345);
            EXPECT_GE(s.npts() * h.f[DELTA], 3600.0f);
            EXPECT_FLOAT_EQ(h.f[DELTA], 0.05f);
            EXPECT_FLOAT_EQ(h.f[B], 0.0f);
            EXPECT_NEAR(h.f[E], (s.npts() - 1) * h.f[DELTA], 1e-3);
            EXPECT_EQ(h.i[NVHDR], 6);
            EXPECT_EQ(h.i[IFTYPE], 1);
            EXPECT_EQ(h.i[LEVEN], 1);
            EXPECT_NEAR(h.f[EVLA], e.latitude, 1e-4);
            EXPECT_NEAR(h.f[EVLO], e.longitude, 1e-4);
            EXPECT_NEAR(h.f[EVDP], e.depth, 0.05);
            EXPECT_NEAR(h.f[MAG], e.magnitude, 0.05);
            EXPECT_FLOAT_EQ(h.f[GCARC], kSacUndefined);   // left for the reader
            const char component = name.back();
            const std::string code = name.substr(0, name.find('.'));
            stations.insert(code);
            EXPECT_EQ(name.substr(name.find('.')), std::string(".BH") + component);
            EXPECT_FLOAT_EQ(h.f[CMPINC], component == 'Z' ? 0.0f : 90.0f);
            EXPECT_FLOAT_EQ(h.f[CMPAZ], component == 'E' ? 90.0f : 0.0f);
            EXPECT_EQ(componentFromSeismogram(s).component, component);
            // Text fields at their places in the file: KSTNM at byte 440,
            // KCMPNM at 600, KNETWK at 608.
            const std::string bytes = fileBytes(path);
            ASSERT_EQ(bytes.size(), kSacHeaderBytes + 4u * static_cast<std::size_t>(s.npts()));
            EXPECT_EQ(bytes.substr(440, 8), (code + "        ").substr(0, 8));
            EXPECT_EQ(bytes.substr(600, 8), std::string("BH") + component + "     ");
            const auto listed = std::find_if(gsnStations().begin(), gsnStations().end(),
                                             [&](const GsnStation& g) { return code == g.code; });
            ASSERT_NE(listed, gsnStations().end());
            EXPECT_EQ(bytes.substr(608, 8), (std::string(listed->network) + "        ").substr(0, 8));
            EXPECT_EQ(bytes.substr(448, 6), "-12345");   // KEVNM undefined
        }
        EXPECT_GE(stations.size(), 15u) << e.name;
        EXPECT_EQ(files, 3 * static_cast<int>(stations.size()));

        // The world map sees every station with all three components, the
        // listed ones selected on Z.
        const EventRecord r = readEventFile(joinPath(dir_, demoEventFileName(e)));
        EventRecord relative = r;
        relative.fileName = demoEventFileName(e);
        const std::vector<StationRecord> list = buildStationList(relative, nullptr, dir_);
        EXPECT_EQ(list.size(), stations.size());
        std::size_t selected = 0;
        for (const StationRecord& st : list) {
            EXPECT_TRUE(st.available[0] && st.available[1] && st.available[2]) << st.stationName;
            selected += st.selected[0];
            EXPECT_FALSE(st.selected[1] || st.selected[2]);
        }
        EXPECT_EQ(selected, r.stationFiles.size());
    }
}

TEST_F(DemoInstallation, RunsLoadAndPhasesStartAtTheTablesArrivals)
{
    for (const DemoEvent& e : demoEvents()) {
        RunState run;
        run.directory = dir_;
        ASSERT_TRUE(loadRun(run, demoEventFileName(e))) << e.name;
        const EventRecord r = readEventFile(joinPath(dir_, demoEventFileName(e)));
        ASSERT_EQ(static_cast<std::size_t>(run.seismogramCount), r.stationFiles.size()) << e.name;
        EXPECT_FLOAT_EQ(run.timeAcceleration, static_cast<float>(e.timeAcceleration));
        EXPECT_EQ(run.timeLimit, e.timeLimit);
        EXPECT_NEAR(run.depth, e.depth, 0.05);
        for (int i = 0; i < 4; ++i)
            ASSERT_GT(run.tables[i].count, 0);
        const ArrivalCurve directP = tracedCurve(e, "P");

        for (const auto& sp : run.seismograms) {
            const KSAC& s = *sp;
            SCOPED_TRACE(std::string(e.name) + " " + s.label);
            EXPECT_NEAR(s.startTime, -kDemoLeadSeconds, 0.01);
            EXPECT_GE(s.endTime, 3600.0f);
            // Arrival marks come from the tables at the station's distance.
            const float distance =
                greatCircle(s.stationLatitude, s.stationLongitude, run.latitude, run.longitude).distance;
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(s.arrivalTimes[i],
                          static_cast<int32_t>(arrivalTime(run.tables[i], distance)));

            // Where direct P arrives, there is only noise before it: nothing
            // larger than the noise recorded before the origin. Right after
            // it the wave stands far above that noise. (The core's shadow is
            // checked with the computed motion below.)
            if (!curveArrives(directP, distance))
                continue;
            const float first = arrivalTime(run.tables[0], distance);
            ASSERT_GT(first, 0.0f);
            const float noise = maxAbs(s.samples, 0, sampleIndex(s, 0.0));
            ASSERT_GT(noise, 0.0f);
            EXPECT_LE(maxAbs(s.samples, 0, sampleIndex(s, first)), 1.2f * noise);
            EXPECT_GT(maxAbs(s.samples, sampleIndex(s, first), sampleIndex(s, first + 2.0)),
                      10.0f * noise);
        }
    }
}

TEST_F(DemoInstallation, EachWaveShowsWhereAndWhenTheRayTracerSaysItArrives)
{
    int phantomsChecked = 0, coreChecked = 0;
    for (const DemoEvent& e : demoEvents()) {
        const std::array<TravelTimeTable, 4> tables = loadDemoTables(dir_, storedDepth(e));
        const DemoRays rays(earthModel(), storedDepth(e));
        std::array<ArrivalCurve, 4> traced;
        for (std::size_t i = 0; i < 4; ++i)
            traced[i] = tracedCurve(e, kTablePhases[i]);
        const double depth = tableColumnDepth(depthColumn(storedDepth(e)));
        const ShellModel shells(earthModel(), {depth});
        const std::vector<StationGeometry> recorded = chooseRecordedStations(e, demoStations());
        for (const StationGeometry& st : recorded) {
            const ComputedMotion m = computeMotion(e, st, tables, rays, 1234u);
            SCOPED_TRACE(std::string(e.name) + " " + st.station.code);
            const std::array<float, 4> t = tableArrivals(tables, st.distance);
            if (t[0] > 0 && curveArrives(traced[0], st.distance)) {
                EXPECT_FLOAT_EQ(m.onsets[0], t[0]);
            }
            auto at = [](double time) {
                return static_cast<std::size_t>((time + kDemoLeadSeconds) / kDemoDelta);
            };
            // A table repeats a phase's first time at distances its branch
            // does not reach (PP and SS near a deep event) and its last time
            // a little beyond the branch's end: no wave starts there.
            for (std::size_t i = 0; i < 4; ++i) {
                const int lo = static_cast<int>(std::floor(st.distance));
                if (t[i] <= 0 || traced[i][lo] >= 0 || traced[i][lo + 1] >= 0)
                    continue;
                const float before = maxAbs(m.z, at(t[i] - 3), at(t[i]));
                EXPECT_LT(maxAbs(m.z, at(t[i]), at(t[i] + 3)), 3 * before)
                    << kTablePhases[i] << " at the table's repeated time " << t[i];
                ++phantomsChecked;
            }
            // Far beyond the reach of direct and diffracted P, the first wave
            // crossed the core: quiet before the ray tracer's time, a clear
            // onset right after it.
            if (st.distance >= 130.0f) {
                double core = -1;
                for (const char* phase : {"PKIKP", "PKP"}) {
                    const double tc = directTravelTime(shells, phaseByName(phase), depth, st.distance);
                    if (tc > 0 && (core < 0 || tc < core))
                        core = tc;
                }
                ASSERT_GT(core, 0.0);
                EXPECT_LE(maxAbs(m.z, at(core - 60), at(core - 0.1)), m.noiseBound);
                EXPECT_GT(maxAbs(m.z, at(core), at(core + 3)), 5 * m.noiseBound);
                // Amplitudes plausible beside P at 90 degrees: weaker than
                // it, but for PKP near its caustic, not by more than 20 times.
                const float p90 = maxAbs(computeMotion(e, {st.station, 90.0f, st.backAzimuth}, tables,
                                                       rays, 1234u).z,
                                         at(arrivalTime(tables[0], 90.0f)),
                                         at(arrivalTime(tables[0], 90.0f) + 5));
                const float coreAmplitude = maxAbs(m.z, at(core), at(core + 5));
                EXPECT_LT(coreAmplitude, 1.6f * p90);
                EXPECT_GT(coreAmplitude, p90 / 20);
                ++coreChecked;
            }
            // Where S comes well after P and before the surface waves, the
            // horizontal motion jumps up at S.
            const bool clearS = m.onsets[1] > m.onsets[0] + 60 && st.distance < 95
                             && (m.surfaceStart == 0 || m.onsets[1] + 10 < m.surfaceStart);
            if (clearS) {
                const float before = std::max(maxAbs(m.n, at(m.onsets[1] - 10), at(m.onsets[1])),
                                              maxAbs(m.e, at(m.onsets[1] - 10), at(m.onsets[1])));
                const float after = std::max(maxAbs(m.n, at(m.onsets[1]), at(m.onsets[1] + 8)),
                                             maxAbs(m.e, at(m.onsets[1]), at(m.onsets[1] + 8)));
                EXPECT_GT(after, 3 * before);
                // And S is stronger on the horizontals than on the vertical.
                EXPECT_GT(after, maxAbs(m.z, at(m.onsets[1]), at(m.onsets[1] + 8)));
            }
            if (e.depth < 100) {
                EXPECT_NEAR(m.surfaceStart, st.distance / kSurfaceWaveFastSpeed, 0.5);
                EXPECT_NEAR(m.surfaceEnd, st.distance / kSurfaceWaveSlowSpeed, 0.5);
                // The train is strongest early in the band, where its long
                // periods arrive, and larger there than the P wave.
                const double mid = m.surfaceStart + 0.25 * (m.surfaceEnd - m.surfaceStart);
                if (mid < 3700 && m.onsets[0] > 0) {
                    EXPECT_GT(maxAbs(m.z, at(mid - 30), at(mid + 30)),
                              maxAbs(m.z, at(m.onsets[0]), at(m.onsets[0] + 20)));
                }
            } else {
                EXPECT_EQ(m.surfaceStart, 0.0f);
            }
        }
    }
    EXPECT_GT(phantomsChecked, 0);
    EXPECT_GT(coreChecked, 0);
}

TEST_F(DemoInstallation, EventInformationSaysTheSeismogramsAreComputed)
{
    for (const DemoEvent& e : demoEvents()) {
        const std::string path = joinPath(joinPath(dir_, demoEventFolder(e)), "EVT.INF");
        const std::optional<std::string> text = readInfoText(path);
        ASSERT_TRUE(text.has_value()) << path;
        std::string shown = *text;
        EXPECT_NE(shown.find("computed, not recorded"), std::string::npos);
        EXPECT_NE(shown.find(e.name), std::string::npos);
        EXPECT_NE(shown.find("Magnitude: " + std::string(std::to_string(e.magnitude)).substr(0, 3)),
                  std::string::npos);
        std::string more;
        EXPECT_TRUE(findTag(shown, "more", more));
        EXPECT_EQ(more, "COMPUTED.INF");
        EXPECT_EQ(shown.find('<'), std::string::npos) << "mark-up left in the shown text";
        EXPECT_TRUE(readInfoText(joinPath(dir_, more)).has_value());
        // Every line is short enough to be read as one piece.
        std::istringstream lines(fileBytes(path));
        for (std::string line; std::getline(lines, line);)
            EXPECT_LT(line.size(), 99u);
    }
}

TEST_F(DemoInstallation, SettingsNameTheTutorialEvent)
{
    Settings s;
    loadSettings(s, joinPath(dir_, "OV.INI"));
    EXPECT_EQ(s.tutorialEvent, demoEventFileName(tutorialEvent()));
    EXPECT_LE(s.tutorialEvent.size(), kTutorialEventMax);
    EXPECT_TRUE(fileExists(joinPath(dir_, s.tutorialEvent)));
    // Everything else keeps the defaults.
    Settings defaults;
    defaults.tutorialEvent = s.tutorialEvent;
    EXPECT_EQ(settingsText(s), settingsText(defaults));
}

TEST_F(DemoInstallation, TutorialIsPacedToTheTutorialEventsArrivals)
{
    TutorialScript script;
    readTutorialScript(script, dir_);
    ASSERT_GE(script.size(), 6u);
    for (std::size_t i = 0; i < script.size(); ++i) {
        const TutorialStep& step = script[i];
        EXPECT_LE(step.textFile.size(), 15u);
        const std::optional<std::string> page = readInfoText(joinPath(dir_, step.textFile));
        ASSERT_TRUE(page.has_value()) << step.textFile;
        EXPECT_GT(page->size(), 40u);
        EXPECT_GE(step.stayFor, 15u);
        EXPECT_LE(step.stayFor, 60u);
        if (i > 0) {
            EXPECT_GT(step.showAt, script[i - 1].showAt);
        }
    }
    const DemoEvent& e = tutorialEvent();
    EXPECT_LT(script.back().showAt, static_cast<uint32_t>(e.timeLimit));

    // Pages about P, S and the surface waves come shortly after those waves
    // reach the nearest listed station.
    const std::array<TravelTimeTable, 4> tables = loadDemoTables(dir_, storedDepth(e));
    const std::vector<StationGeometry> listed =
        chooseListedStations(chooseRecordedStations(e, demoStations()));
    const std::array<float, 4> near = tableArrivals(tables, listed.front().distance);
    const double surface = listed.front().distance / kSurfaceWaveFastSpeed;
    for (double moment : {double(near[0]), double(near[1]), surface}) {
        const bool found = std::any_of(script.begin() + 1, script.end() - 1, [&](const TutorialStep& s) {
            return s.showAt >= moment && s.showAt <= moment + 60;
        });
        EXPECT_TRUE(found) << "no page shortly after " << moment << " s";
    }
    // The page shown at the P arrival names the nearest station.
    for (const TutorialStep& s : script) {
        if (s.showAt >= near[0] && s.showAt < near[1]) {
            const std::string page = *readInfoText(joinPath(dir_, s.textFile));
            EXPECT_NE(page.find(listed.front().station.code), std::string::npos);
        }
    }
}

TEST_F(DemoInstallation, BuildingAnEventTwiceGivesTheSameBytes)
{
    const std::string again = scratch("again");
    fs::remove_all(again);
    fs::create_directories(again);
    for (const char* table : {"P.JB", "S.JB", "PP.JB", "SS.JB"})
        fs::copy_file(joinPath(dir_, table), joinPath(again, table));
    const DemoEvent& e = demoEvents().at(1);
    std::string error;
    ASSERT_TRUE(writeDemoEvent(e, demoStations(), earthModel(), again, error)) << error;
    EXPECT_EQ(fileBytes(joinPath(dir_, demoEventFileName(e))),
              fileBytes(joinPath(again, demoEventFileName(e))));
    std::vector<std::string> names;
    ASSERT_TRUE(listDirectory(joinPath(dir_, demoEventFolder(e)), names));
    for (const std::string& name : names) {
        const std::string a = fileBytes(joinPath(joinPath(dir_, demoEventFolder(e)), name));
        const std::string b = fileBytes(joinPath(joinPath(again, demoEventFolder(e)), name));
        EXPECT_FALSE(a.empty());
        EXPECT_TRUE(a == b) << name;
    }
    fs::remove_all(again);
}

TEST_F(DemoInstallation, MissingTablesAreReportedNotIgnored)
{
    const std::string empty = scratch("empty");
    fs::create_directories(empty);
    std::string error;
    EXPECT_FALSE(writeDemoEvent(demoEvents().front(), demoStations(), earthModel(), empty, error));
    EXPECT_FALSE(error.empty());
    fs::remove_all(empty);
}

} // namespace
