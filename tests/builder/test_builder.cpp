// The demonstration installation: every file reads back through the system's own readers, every event
// loads as a run whose phases start at the tables' arrival times where the ray tracer says they arrive.
#include "DemoEvents.h"
#include "EarthModel.h"
#include "RayTracer.h"
#include "Stations.h"
#include "TravelTimeTables.h"

#include "data/EventFile.h"
#include "data/InfoText.h"
#include "data/RunSetup.h"
#include "data/Seismogram.h"
#include "data/Settings.h"
#include "fileio/FileSystem.h"
#include "seismology/SphericalGeometry.h"
#include "seismology/TravelTimes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<DemoStation> demoStations() {
    std::vector<DemoStation> stations;
    for (const GsnStation& g : gsnStations()) stations.push_back({g.code, g.network, float(g.latitude), float(g.longitude), g.description});
    return stations;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

float maxAbs(const std::vector<float>& x, std::size_t from, std::size_t to) {
    float m = 0;
    for (std::size_t i = from; i < std::min(to, x.size()); ++i) m = std::max(m, std::fabs(x[i]));
    return m;
}

const EarthModel& earthModel() {
    static const EarthModel model = loadEarthModel(
        fs::exists(OV_SOURCE_DIR "/data/jb-model.txt") ? OV_SOURCE_DIR "/data/jb-model.txt" : OV_SOURCE_DIR "/../shared/data/jb-model.txt");
    return model;
}

// The ray tracer's first-arrival curve of a table phase at the depth of the event's table column
// (negative where the phase does not arrive), and whether it arrives at both whole degrees around `distance`.
ArrivalCurve tracedCurve(const DemoEvent& e, const char* phase) {
    return firstArrivals(earthModel(), phase, {tableColumnDepth(depthColumn(storedDepth(e)))}).front();
}
bool curveArrives(const ArrivalCurve& curve, float distance) {
    const int lo = int(std::floor(distance)), hi = int(std::ceil(distance));
    return lo >= 0 && hi < kTableDegrees && curve[lo] >= 0 && curve[hi] >= 0;
}

// The tables and every demonstration event, built once per test process.
struct Installation {
    std::string dir = (fs::temp_directory_path() / ("ov_builder_demo" + std::to_string(getpid()))).string();
    Installation() {
        fs::create_directories(dir);
        std::string error;
        bool ok = !earthModel().empty() && writeTravelTimeTables(earthModel(), dir);
        for (const DemoEvent& e : demoEvents()) ok = ok && writeDemoEvent(e, demoStations(), earthModel(), dir, error);
        EXPECT_TRUE(ok && writeTutorial(tutorialEvent(), demoStations(), earthModel(), dir, error) && writeDemoSettings(dir)) << error;
    }
    ~Installation() { fs::remove_all(dir); }
};
const std::string& dir() {
    static const Installation installation;
    return installation.dir;
}
std::string at(const DemoEvent& e, const std::string& name = std::string()) {
    return name.empty() ? joinPath(dir(), demoEventFileName(e)) : joinPath(joinPath(dir(), demoEventFolder(e)), name);
}

}   // namespace

TEST(DemoInstallation, FilesReadBackAndRunsStartTheirPhasesAtTheTablesArrivals) {
    for (const DemoEvent& e : demoEvents()) {
        SCOPED_TRACE(e.name);
        const EventRecord r = readEventFile(at(e));
        EXPECT_TRUE(r.name == e.name && std::fabs(r.latitude - e.latitude) < 1e-4 && std::fabs(r.longitude - e.longitude) < 1e-4
                    && std::fabs(r.depth - e.depth) < 0.05 && std::fabs(r.magnitude - e.magnitude) < 0.05
                    && std::fabs(r.second - e.second) < 0.05);
        EXPECT_EQ(std::vector<int>({r.year, r.month, r.day, r.hour, r.minute, r.timeAcceleration, r.timeWindow, r.timeLimit}),
                  std::vector<int>({e.year, e.month, e.day, e.hour, e.minute, e.timeAcceleration, e.timeWindow, e.timeLimit}));
        EXPECT_TRUE(r.viewAngle >= 0 && r.viewAngle < 360 && std::fabs(std::remainder(r.viewAngle - e.longitude, 360.0f)) <= 1
                    && r.stationFiles.size() >= 6u && r.stationFiles.size() <= 10u);
        std::vector<std::string> names;
        ASSERT_TRUE(listDirectory(joinPath(dir(), demoEventFolder(e)), names));
        std::set<std::string> stations;
        for (const std::string& name : names) {
            if (name == "EVT.INF") continue;
            KSAC s;
            s.readSAC(at(e, name));
            ASSERT_GT(s.npts(), 0) << name;
            const char component = name.back();
            const std::string code = name.substr(0, name.find('.'));
            stations.insert(code);
            EXPECT_EQ(code + ".BH" + component, name);
            EXPECT_TRUE(s.header.i[LEVEN] == 1 && s.header.f[DELTA] == kDemoDelta
                        && std::fabs(s.header.f[E] - (s.npts() - 1) * kDemoDelta) < 1e-3
                        && componentFromSeismogram(s).component == component
                        && fileBytes(at(e, name)).size() == kSacHeaderBytes + 4u * std::size_t(s.npts()));
        }
        EXPECT_TRUE(stations.size() >= 15u && names.size() == 3 * stations.size() + 1);
        // The world map sees every station with all three components, the listed ones selected on Z.
        EventRecord relative = r;
        relative.fileName = demoEventFileName(e);
        const std::vector<StationRecord> list = buildStationList(relative, nullptr, dir());
        std::size_t selected = 0, complete = 0;
        for (const StationRecord& st : list)
            selected += st.selected[0],
                complete += st.available[0] && st.available[1] && st.available[2] && !st.selected[1] && !st.selected[2];
        EXPECT_TRUE(list.size() == stations.size() && complete == list.size() && selected == r.stationFiles.size());
        // The event's information names it, says the seismograms are computed and leads on to the page on how.
        std::string shown = readInfoText(at(e, "EVT.INF")).value_or(""), more;
        EXPECT_TRUE(shown.find("computed, not recorded") != std::string::npos && shown.find(e.name) != std::string::npos
                    && findTag(shown, "more", more) && more == "COMPUTED.INF" && readInfoText(joinPath(dir(), more))
                    && shown.find('<') == std::string::npos)
            << shown;

        RunState run;   // the event loads as a run
        run.directory = dir();
        ASSERT_TRUE(loadRun(run, demoEventFileName(e)));
        EXPECT_TRUE(std::size_t(run.seismogramCount) == r.stationFiles.size() && run.timeAcceleration == e.timeAcceleration
                    && run.timeLimit == e.timeLimit && std::fabs(run.depth - e.depth) < 0.05);
        const ArrivalCurve directP = tracedCurve(e, "P");
        for (const auto& sp : run.seismograms) {
            const KSAC& s = *sp;
            SCOPED_TRACE(s.label);
            EXPECT_TRUE(std::fabs(s.startTime + kDemoLeadSeconds) < 0.01 && s.endTime >= std::max(3600, e.timeLimit));
            // Arrival marks come from the tables at the station's distance.
            const float distance = greatCircle(s.stationLatitude, s.stationLongitude, run.latitude, run.longitude).distance;
            for (int i = 0; i < 4; ++i) EXPECT_EQ(s.arrivalTimes[i], int32_t(arrivalTime(run.tables[i], distance)));
            // Where direct P arrives, before it only noise no larger than before the origin, right after it far more.
            if (!curveArrives(directP, distance)) continue;
            const float first = arrivalTime(run.tables[0], distance);
            const auto index = [&s](double t) { return std::size_t(std::max(0.0, (t - s.startTime) / s.header.f[DELTA])); };
            const float noise = maxAbs(s.samples, 0, index(0.0));
            ASSERT_TRUE(first > 0 && noise > 0);
            EXPECT_LE(maxAbs(s.samples, 0, index(first)), 1.2f * noise);
            EXPECT_GT(maxAbs(s.samples, index(first), index(first + 2.0)), 10.0f * noise);
        }
    }
}

TEST(DemoInstallation, EachWaveShowsWhereAndWhenTheRayTracerSaysItArrives) {
    const auto at = [](double time) { return std::size_t((time + kDemoLeadSeconds) / kDemoDelta); };
    int phantomsChecked = 0, coreChecked = 0;
    for (const DemoEvent& e : demoEvents()) {
        const std::array<TravelTimeTable, 4> tables = loadDemoTables(dir(), storedDepth(e));
        const DemoRays rays(earthModel(), storedDepth(e));
        std::array<ArrivalCurve, 4> traced;
        for (std::size_t i = 0; i < 4; ++i) traced[i] = tracedCurve(e, kTablePhases[i]);
        const double depth = tableColumnDepth(depthColumn(storedDepth(e)));
        const ShellModel shells(earthModel(), {depth});
        for (const StationGeometry& st : chooseRecordedStations(e, demoStations())) {
            const ComputedMotion m = computeMotion(e, st, tables, rays, 1234u);
            const std::array<float, 4> t = tableArrivals(tables, st.distance);
            const float p = m.onsets[0], s = m.onsets[1];
            SCOPED_TRACE(std::string(e.name) + " " + st.station.code);
            EXPECT_TRUE(t[0] <= 0 || !curveArrives(traced[0], st.distance) || p == t[0]);
            // A table repeats a phase's first time where its branch does not reach (PP and SS near a deep
            // event) and its last time a little beyond the branch's end: no wave starts there.
            for (std::size_t i = 0; i < 4; ++i) {
                const int lo = int(std::floor(st.distance));
                if (t[i] <= 0 || traced[i][lo] >= 0 || traced[i][lo + 1] >= 0) continue;
                EXPECT_LT(maxAbs(m.z, at(t[i]), at(t[i] + 3)), 3 * maxAbs(m.z, at(t[i] - 3), at(t[i]))) << kTablePhases[i];
                ++phantomsChecked;
            }
            // Far beyond direct and diffracted P the first wave crossed the core: quiet before the ray
            // tracer's time, a clear onset after it, weaker than P at 90 degrees but not 20 times weaker.
            if (st.distance >= 130.0f) {
                double core = -1;
                for (const char* phase : {"PKIKP", "PKP"}) {
                    const double tc = directTravelTime(shells, phaseByName(phase), depth, st.distance);
                    if (tc > 0 && (core < 0 || tc < core)) core = tc;
                }
                ASSERT_GT(core, 0.0);
                const float t90 = arrivalTime(tables[0], 90.0f), coreAmplitude = maxAbs(m.z, at(core), at(core + 5));
                const float p90 = maxAbs(computeMotion(e, {st.station, 90.0f, st.backAzimuth}, tables, rays, 1234u).z, at(t90),
                                         at(t90 + 5));
                EXPECT_TRUE(maxAbs(m.z, at(core - 60), at(core - 0.1)) <= m.noiseBound
                            && maxAbs(m.z, at(core), at(core + 3)) > 5 * m.noiseBound);
                EXPECT_TRUE(coreAmplitude < 1.6f * p90 && coreAmplitude > p90 / 20) << coreAmplitude << " " << p90;
                ++coreChecked;
            }
            // Where S comes well after P and before the surface waves, the horizontals jump up at S.
            const auto horizontal = [&](double from, double to) {
                return std::max(maxAbs(m.n, at(from), at(to)), maxAbs(m.e, at(from), at(to)));
            };
            if (s > p + 60 && st.distance < 95 && (m.surfaceStart == 0 || s + 10 < m.surfaceStart)) {
                EXPECT_TRUE(horizontal(s, s + 8) > 3 * horizontal(s - 10, s) && horizontal(s, s + 8) > maxAbs(m.z, at(s), at(s + 8)));
            }
            // Surface waves from shallow events only, strongest early in their band, above the P wave.
            const double mid = m.surfaceStart + 0.25 * (m.surfaceEnd - m.surfaceStart);
            EXPECT_TRUE(e.depth >= 100
                            ? m.surfaceStart == 0
                            : std::fabs(m.surfaceStart - st.distance / kSurfaceWaveFastSpeed) < 0.5
                                  && std::fabs(m.surfaceEnd - st.distance / kSurfaceWaveSlowSpeed) < 0.5
                                  && (mid >= 3700 || p <= 0 || maxAbs(m.z, at(mid - 30), at(mid + 30)) > maxAbs(m.z, at(p), at(p + 20))));
        }
    }
    EXPECT_TRUE(phantomsChecked > 0 && coreChecked > 0);
}

TEST(DemoInstallation, SettingsNameTheTutorialEventAndTheTutorialIsPacedToItsArrivals) {
    Settings s, defaults;   // the tutorial event named, everything else at the defaults
    loadSettings(s, joinPath(dir(), "OV.INI"));
    defaults.tutorialEvent = demoEventFileName(tutorialEvent());
    EXPECT_TRUE(settingsText(s) == settingsText(defaults) && fileExists(joinPath(dir(), s.tutorialEvent)));
    TutorialScript script;
    readTutorialScript(script, dir());
    ASSERT_GE(script.size(), 6u);
    for (std::size_t i = 0; i < script.size(); ++i) {
        const TutorialStep& step = script[i];
        EXPECT_TRUE(step.textFile.size() <= 15u && step.stayFor >= 15u && step.stayFor <= 60u
                    && (i == 0 || step.showAt > script[i - 1].showAt)
                    && readInfoText(joinPath(dir(), step.textFile)).value_or("").size() > 40u)
            << step.textFile;
    }
    const DemoEvent& e = tutorialEvent();
    EXPECT_LT(script.back().showAt, uint32_t(e.timeLimit));
    // Pages about P, S and the surface waves come shortly after those waves reach the nearest listed station.
    const std::array<TravelTimeTable, 4> tables = loadDemoTables(dir(), storedDepth(e));
    const StationGeometry nearest = chooseListedStations(chooseRecordedStations(e, demoStations())).front();
    const std::array<float, 4> near = tableArrivals(tables, nearest.distance);
    for (double moment : {double(near[0]), double(near[1]), double(nearest.distance / kSurfaceWaveFastSpeed)})
        EXPECT_TRUE(std::any_of(script.begin() + 1, script.end() - 1,
                                [&](const TutorialStep& s) { return s.showAt >= moment && s.showAt <= moment + 60; }))
            << "no page shortly after " << moment << " s";
}
