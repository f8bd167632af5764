// The demonstration earthquakes of a new installation: real historical
// events with their catalogue origin, epicentre, depth and magnitude, each
// given an event file, an information text and a folder of computed
// three-component seismograms whose P, S, PP and SS onsets lie exactly at the
// arrival times of the installation's travel-time tables, and whose core
// phases arrive when the installation's ray tracer says. Also the tutorial
// script with its pages and the default settings file.
#pragma once

#include "data/Seismogram.h"
#include "seismology/TravelTimes.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct EarthModel;
struct EventRecord;
class ShellModel;

// One earthquake as the global catalogues give it.
struct DemoEvent {
    const char* name;            // event name, at most 39 characters
    int year, month, day;        // origin date (UTC)
    int hour, minute;            // origin time (UTC)
    float second;                // to one decimal, as the event file stores it
    float latitude, longitude;   // epicentre, degrees, north and east positive
    float depth;                 // km
    float magnitude;             // moment magnitude
    int timeAcceleration;        // simulated seconds per real second
    int timeWindow;              // seconds of seismogram shown at once
    int timeLimit;               // seconds after the origin when the run ends
    const char* place;           // where, for the information text
    const char* localTime;       // the local date and time, for the information text
    const char* setting;         // the tectonic setting, one or two sentences
    const char* story;           // what happened, one short paragraph
};

// The demonstration events, in chronological order.
const std::vector<DemoEvent>& demoEvents();

// A recording station: code, network, position and a short description.
struct DemoStation {
    std::string code;      // at most 8 characters, upper case
    std::string network;   // at most 8 characters
    float latitude = 0;
    float longitude = 0;
    std::string description;
};

// Seismogram sampling: 20 samples per second from two minutes before the
// origin to 3780 s after it (65 minutes).
constexpr float kDemoDelta = 0.05f;
constexpr int kDemoLeadSeconds = 120;
constexpr int kDemoSamples = 78000;
// Stations recorded per event, and stations listed (Z only) in its event file.
constexpr std::size_t kRecordedStations = 18;
constexpr std::size_t kListedStations = 8;

// "1989101800.evt": date and hour of the origin.
std::string demoEventFileName(const DemoEvent& event);
// The folder of the event's seismograms: the file name without its extension.
std::string demoEventFolder(const DemoEvent& event);

// The epicentre and depth exactly as an event file stores and reads them back
// ("%10.4f" and "%10.1f"), so computed arrivals match what a run derives.
float storedLatitude(const DemoEvent& event);
float storedLongitude(const DemoEvent& event);
float storedDepth(const DemoEvent& event);

// Station with its epicentral distance and back azimuth (degrees).
struct StationGeometry {
    DemoStation station;
    float distance = 0;
    float backAzimuth = 0;
};

StationGeometry stationGeometry(const DemoEvent& event, const DemoStation& station);

// The stations recorded for an event: up to `count` of `stations`, spread
// over the whole range of distances, sorted by distance. Deterministic.
std::vector<StationGeometry> chooseRecordedStations(const DemoEvent& event,
                                                    const std::vector<DemoStation>& stations,
                                                    std::size_t count = kRecordedStations);
// The stations listed in the event file: up to `count` of the recorded ones,
// the nearest always among them, the rest spread in distance.
std::vector<StationGeometry> chooseListedStations(const std::vector<StationGeometry>& recorded,
                                                  std::size_t count = kListedStations);

// Arrival times (seconds after the origin) of P, S, PP and SS at a distance,
// read from the four tables as a run reads them; 0 where a table has none.
std::array<float, 4> tableArrivals(const std::array<TravelTimeTable, 4>& tables, float distance);

// The four tables of the installation in `dir` for a depth.
std::array<TravelTimeTable, 4> loadDemoTables(const std::string& dir, float depthKm);

// The waves that cross or skirt the core, which the four tables do not hold:
// P diffracted along the core's surface, the inner core's reflection PKiKP,
// PKIKP through the inner core, PKP through the outer core only, and SKS.
enum CorePhase { CorePdiff, CorePKiKP, CorePKIKP, CorePKP, CoreSKS, kCorePhaseCount };
extern const std::array<const char*, kCorePhaseCount> kCorePhaseNames;

// What the ray tracer finds in the velocity model for the source depth of an
// event's table column: the distances each table phase really reaches (a
// table repeats a branch's first time at nearer distances and its last time
// a little beyond its end), and the arrival times of the core phases.
class DemoRays {
public:
    DemoRays(const EarthModel& model, float eventDepthKm);
    ~DemoRays();
    DemoRays(const DemoRays&) = delete;
    DemoRays& operator=(const DemoRays&) = delete;

    // False when the model has no mantle and core to trace rays in.
    bool valid() const { return shells_ != nullptr; }
    // Whether the branch of table phase `phase` (0..3: P, S, PP, SS) has a
    // ray that arrives at the distance (degrees).
    bool reaches(std::size_t phase, float distance) const;
    // The distance (degrees) where P grazes the core and its shadow begins.
    float shadowStart() const { return static_cast<float>(graze_[0]); }
    // The distance (degrees) where PKP begins, at its caustic.
    float pkpStart() const { return static_cast<float>(pkpFrom_); }
    // Arrival times (s after the origin) of the core phases at a distance
    // beyond the end of direct P (and, for SKS, of direct S); 0 where the
    // phase does not arrive or the direct wave still does.
    std::array<float, kCorePhaseCount> coreArrivals(float distance) const;

private:
    std::unique_ptr<ShellModel> shells_;
    double depth_ = 0;
    std::array<double, 4> from_{}, to_{};   // degrees
    std::array<double, 3> graze_{};         // P grazing the core: degrees, s, s/degree
    double pkpFrom_ = 0;
};

// Three components of one station's computed ground motion.
struct ComputedMotion {
    std::vector<float> z, n, e;
    std::array<float, 4> onsets{};                     // P, S, PP, SS onsets used (0: phase absent)
    std::array<float, kCorePhaseCount> coreOnsets{};   // core phases used (0: absent)
    float noiseBound = 0;                              // no noise sample exceeds this in magnitude
    float surfaceStart = 0, surfaceEnd = 0;            // surface-wave band (0, 0 when deep)
};

// Computes the seismograms of one station: damped wavelets with scattered
// codas at the table arrivals of the phases whose branch reaches the station
// and at the core phases' ray-traced arrivals, a dispersed surface-wave train
// for shallow events, rotated into north and east by the back azimuth, plus a
// little noise from a generator seeded by `seed`. Sample k is at
// k * kDemoDelta - kDemoLeadSeconds seconds after the origin.
ComputedMotion computeMotion(const DemoEvent& event, const StationGeometry& station,
                             const std::array<TravelTimeTable, 4>& tables, const DemoRays& rays,
                             uint32_t seed);

// The SAC header of one component as a data centre would fill it. The
// reference time is the first sample (origin minus the lead), B = 0.
// `component` is 'Z', 'N' or 'E'.
SacHeader demoSacHeader(const DemoEvent& event, const DemoStation& station, char component);

// The file name of a component: "ANMO.BHZ".
std::string demoSeismogramName(const DemoStation& station, char component);

// The event record written to the event file, listing the Z components of
// the listed stations.
EventRecord demoEventRecord(const DemoEvent& event, const std::vector<StationGeometry>& listed);

// "EVT.INF": a classroom text about the earthquake.
std::string demoEventInfoText(const DemoEvent& event, const std::vector<StationGeometry>& listed);

// Writes one event into the installation `dir`, which must already hold the
// travel-time tables computed from `model`: the event file, its folder with
// EVT.INF and the SAC files of every recorded station. False (with `error`
// set) on any failure.
bool writeDemoEvent(const DemoEvent& event, const std::vector<DemoStation>& stations,
                    const EarthModel& model, const std::string& dir, std::string& error);

// "COMPUTED.INF": how the demonstration seismograms were made (every
// EVT.INF leads to it with its "More..." button).
std::string computedSeismogramsText();

// One step of the tutorial and the text of its page.
struct TutorialPage {
    std::string textFile;
    uint32_t showAt = 0;
    uint32_t stayFor = 0;
    std::string text;
};

// The tutorial for `event`, paced to its run: the first page is shown on the
// world map before the run, the middle pages at the moments the waves reach
// the listed stations, and the last step marks the end of the tutorial.
std::vector<TutorialPage> tutorialPages(const DemoEvent& event,
                                        const std::vector<StationGeometry>& listed,
                                        const std::array<TravelTimeTable, 4>& tables,
                                        const DemoRays& rays);

// The "tutorial.txt" contents ("%u %u %s" lines) for the pages.
std::string tutorialScriptText(const std::vector<TutorialPage>& pages);

// Writes "tutorial.txt" and its pages for `event` into `dir` (tables must be
// there already). False (with `error` set) on failure.
bool writeTutorial(const DemoEvent& event, const std::vector<DemoStation>& stations,
                   const EarthModel& model, const std::string& dir, std::string& error);

// The event the tutorial plays.
const DemoEvent& tutorialEvent();

// Writes "OV.INI" with the default settings and the tutorial event.
bool writeDemoSettings(const std::string& dir);
