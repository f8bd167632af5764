#include "DemoEvents.h"

#include "EarthModel.h"
#include "RayTracer.h"
#include "TravelTimeTables.h"

#include "data/EventFile.h"
#include "data/Settings.h"
#include "fileio/FileSystem.h"
#include "seismology/SphericalGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// The demonstration earthquakes. Origin (UTC), epicentre, depth and moment
// magnitude as listed by the global earthquake catalogues; seconds rounded
// to the tenth the event file keeps.
const std::vector<DemoEvent> kEvents = {
    {"Loma Prieta, California", 1989, 10, 18, 0, 4, 15.2f, 37.036f, -121.883f, 17.2f, 6.9f, 20,
     1800, 3600, "the Santa Cruz Mountains, about 16 km north-east of Santa Cruz, California, USA",
     "17 October 1989 at 5:04 in the afternoon (Pacific Daylight Time)",
     "Here the Pacific plate slides north-west past the North American plate along the San "
     "Andreas fault system, by about 5 cm every year.",
     "The shaking lasted about 15 seconds. A double-deck freeway collapsed in Oakland and a "
     "section of the Bay Bridge fell. 63 people died. Millions watched on television, because "
     "the baseball World Series was about to start in San Francisco."},
    {"Bolivia deep earthquake", 1994, 6, 9, 0, 33, 16.2f, -13.841f, -67.553f, 631.3f, 8.2f, 20,
     1800, 3000, "the Amazon lowlands of northern Bolivia, 631 km below the surface",
     "8 June 1994 at 8:33 in the evening (Bolivia Time)",
     "The Nazca plate sinks under South America. Deep below the Andes the cold slab is still "
     "rigid enough to break: this is one of the deepest large earthquakes ever recorded.",
     "Because it was so deep, it did little damage, but it was felt as far away as Canada. "
     "Deep earthquakes send out almost no surface waves, so the seismograms show clean P, S, "
     "PP and SS waves. The whole Earth rang like a bell for days."},
    {"Izmit (Kocaeli), Turkey", 1999, 8, 17, 0, 1, 39.1f, 40.748f, 29.864f, 17.0f, 7.6f, 20, 1800,
     3600, "the Gulf of Izmit, about 90 km east of Istanbul, Turkey",
     "17 August 1999 at 3:01 in the night (Eastern European Summer Time)",
     "The Anatolian plate, which carries most of Turkey, is squeezed westwards along the "
     "North Anatolian fault, a long strike-slip fault like the San Andreas.",
     "The fault broke over about 150 km and moved sideways by up to 5 metres. More than "
     "17,000 people died, many in collapsed apartment buildings, and a large refinery burned "
     "for days."},
    {"Sumatra-Andaman Islands", 2004, 12, 26, 0, 58, 53.5f, 3.295f, 95.982f, 30.0f, 9.1f, 30, 1800,
     3700, "the Indian Ocean off the west coast of northern Sumatra, Indonesia",
     "26 December 2004 at 7:58 in the morning (Western Indonesia Time)",
     "The India plate dives beneath the Burma plate at the Sunda trench. Stress built up "
     "over centuries was released at once.",
     "The fault ruptured over about 1300 km for nearly ten minutes, one of the largest "
     "earthquakes ever recorded. The sea floor was lifted by several metres and a tsunami "
     "crossed the Indian Ocean. About 230,000 people died in fourteen countries."},
    {"Maule, Chile", 2010, 2, 27, 6, 34, 11.5f, -36.122f, -72.898f, 22.9f, 8.8f, 20, 1800, 3600,
     "the coast of the Maule region of central Chile",
     "27 February 2010 at 3:34 in the night (Chile Summer Time)",
     "The Nazca plate sinks beneath the South American plate by about 7 cm every year; "
     "the Chilean coast has some of the largest earthquakes on Earth.",
     "The fault broke over about 500 km. The shaking and the tsunami that followed killed "
     "about 500 people and damaged hundreds of thousands of homes. The city of Concepcion "
     "moved about 3 metres to the west."},
    {"Tohoku, Japan", 2011, 3, 11, 5, 46, 24.1f, 38.297f, 142.373f, 29.0f, 9.1f, 30, 1800, 3700,
     "the Pacific Ocean about 70 km east of the Oshika peninsula, Tohoku, Japan",
     "11 March 2011 at 2:46 in the afternoon (Japan Standard Time)",
     "The Pacific plate dives beneath northern Japan at the Japan trench, about 8 cm every "
     "year.",
     "The sea floor moved by up to 50 metres. The tsunami reached heights of almost 40 metres "
     "on the coast, about 18,000 people died or went missing, and the Fukushima Daiichi "
     "nuclear power plant was badly damaged."},
    {"Gorkha, Nepal", 2015, 4, 25, 6, 11, 26.0f, 28.231f, 84.731f, 8.2f, 7.8f, 20, 1800, 3600,
     "the Gorkha district of Nepal, about 80 km north-west of Kathmandu",
     "25 April 2015 at 11:56 in the morning (Nepal Time)",
     "The India plate pushes north into Asia by about 4 cm every year and slides beneath "
     "the Himalaya along the Main Himalayan Thrust.",
     "Almost 9,000 people died. Many old temples in the Kathmandu valley collapsed, and an "
     "avalanche struck the base camp of Mount Everest. The city of Kathmandu was lifted by "
     "about one metre."},
    {"Kaikoura, New Zealand", 2016, 11, 13, 11, 2, 56.3f, -42.737f, 173.054f, 15.1f, 7.8f, 20, 1800,
     3600, "the north-east of the South Island of New Zealand, near Culverden",
     "14 November 2016 just after midnight (New Zealand Daylight Time)",
     "New Zealand lies on the boundary between the Pacific and the Australian plates, which "
     "here move past each other at about 4 cm every year.",
     "More than twenty faults broke one after another over about 180 km. Parts of the coast "
     "rose by several metres, leaving the sea floor dry. Roads and the railway were cut by "
     "landslides; two people died."},
};

std::string formatText(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

float roundTrip(const char* format, float value) {
    return std::strtof(formatText(format, value).c_str(), nullptr);
}

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Small deterministic generator (xorshift32); identical output everywhere.
class NoiseSource {
public:
    explicit NoiseSource(uint32_t seed) : state_(seed ? seed : 0x9e3779b9u) {}
    // Uniform in [-1, 1].
    float uniform() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<float>(state_ >> 8) * (2.0f / 16777216.0f) - 1.0f;
    }

private:
    uint32_t state_;
};

// Smoothed noise bounded by 1 in magnitude (a one-pole low-pass of uniform
// values keeps the bound).
class SmoothNoise {
public:
    SmoothNoise(uint32_t seed, float keep) : source_(seed), keep_(keep) {}
    float next() {
        value_ = keep_ * value_ + (1.0f - keep_) * source_.uniform();
        return value_;
    }

private:
    NoiseSource source_;
    float keep_;
    float value_ = 0;
};

uint32_t hashText(const std::string& text, uint32_t h = 2166136261u) {
    for (unsigned char c : text) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

double sampleTime(int k) { return k * static_cast<double>(kDemoDelta) - kDemoLeadSeconds; }

// First sample at or after time t.
int firstSampleAt(double t) {
    const double k = std::ceil((t + kDemoLeadSeconds) / static_cast<double>(kDemoDelta));
    return static_cast<int>(std::clamp(k, 0.0, static_cast<double>(kDemoSamples)));
}

// A damped wavelet starting at `onset` with a scattered coda behind it.
// Adds `weights[c] * wavelet` to each of the three traces.
struct Trace3 {
    std::vector<float>* traces[3];
};

void addWavelet(Trace3 out, const float weights[3], double onset, double amplitude, double period,
                double codaTau, uint32_t seed) {
    if (onset <= 0 || amplitude <= 0) return;
    const double decay = 1.2 * period;
    const double length = std::max(8.0 * decay, 5.0 * codaTau);
    const int k0 = firstSampleAt(onset);
    const int k1 = firstSampleAt(onset + length);
    SmoothNoise coda[3] = {SmoothNoise(seed, 0.6f), SmoothNoise(seed * 31u + 7u, 0.6f),
                           SmoothNoise(seed * 131u + 11u, 0.6f)};
    for (int k = k0; k < k1; ++k) {
        const double tau = sampleTime(k) - onset;
        if (tau < 0) continue;
        const double pulse = std::sin(2 * kPi * tau / period) * std::exp(-tau / decay);
        const double codaEnvelope = 0.35 * (1 - std::exp(-tau / 3.0)) * std::exp(-tau / codaTau);
        for (int c = 0; c < 3; ++c) {
            const double v = amplitude * weights[c] * (pulse + codaEnvelope * coda[c].next());
            (*out.traces[c])[static_cast<std::size_t>(k)] += static_cast<float>(v);
        }
    }
}

double magnitudeFactor(float magnitude) { return 1000.0 * std::pow(10.0, 0.6 * (magnitude - 7.0)); }

// Body-wave amplitude of P on the vertical component.
double bodyAmplitude(const DemoEvent& event, float distance) {
    return magnitudeFactor(event.magnitude) / (1.0 + distance / 15.0);
}

std::string wrapParagraph(const std::string& text, std::size_t width = 72) {
    std::string out, line;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(' ', pos);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(pos, end - pos);
        pos = end + 1;
        if (word.empty()) continue;
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            out += line + "\n";
            line.clear();
        }
        if (!line.empty()) line += " ";
        line += word;
    }
    if (!line.empty()) out += line + "\n";
    return out;
}

// Paragraphs wrapped into short lines, separated by empty lines.
std::string paragraphs(const std::vector<std::string>& parts) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out += "\n";
        out += wrapParagraph(parts[i]);
    }
    return out;
}

std::string degreesText(float value, char positive, char negative) {
    return formatText("%.2f", std::fabs(value)) + " " + (value < 0 ? negative : positive);
}

std::string wholeText(double value) { return formatText("%.0f", value); }

std::string stationLabel(const StationGeometry& s) {
    std::string label = s.station.code;
    if (!s.station.description.empty()) label += " (" + s.station.description + ")";
    return label;
}

bool writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

bool makeDirectory(const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return std::filesystem::is_directory(dir, ec);
}

uint32_t readingTime(const std::string& text) {
    std::size_t words = 0;
    bool inWord = false;
    for (char c : text) {
        const bool blank = c == ' ' || c == '\n';
        if (!blank && !inWord) ++words;
        inWord = !blank;
    }
    return static_cast<uint32_t>(std::clamp<std::size_t>(8 + words / 3, 15, 45));
}

}   // namespace

const std::vector<DemoEvent>& demoEvents() { return kEvents; }

const DemoEvent& tutorialEvent() { return kEvents.front(); }

std::string demoEventFileName(const DemoEvent& event) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04u%02u%02u%02u.evt", unsigned(event.year),
                  unsigned(event.month), unsigned(event.day), unsigned(event.hour));
    return buffer;
}

std::string demoEventFolder(const DemoEvent& event) {
    const std::string name = demoEventFileName(event);
    return name.substr(0, name.find('.'));
}

float storedLatitude(const DemoEvent& event) { return roundTrip("%10.4f", event.latitude); }
float storedLongitude(const DemoEvent& event) { return roundTrip("%10.4f", event.longitude); }
float storedDepth(const DemoEvent& event) { return roundTrip("%10.1f", event.depth); }

StationGeometry stationGeometry(const DemoEvent& event, const DemoStation& station) {
    const GreatCircle gc = greatCircle(station.latitude, station.longitude, storedLatitude(event),
                                       storedLongitude(event));
    return {station, gc.distance, gc.azimuth};
}

std::vector<StationGeometry> chooseRecordedStations(const DemoEvent& event,
                                                    const std::vector<DemoStation>& stations,
                                                    std::size_t count) {
    std::vector<StationGeometry> all;
    for (const DemoStation& s : stations) {
        if (s.code.empty() || s.code.size() > 8) continue;
        const bool duplicate = std::any_of(all.begin(), all.end(), [&](const StationGeometry& g) {
            return g.station.code == s.code;
        });
        StationGeometry g = stationGeometry(event, s);
        // Stations on top of the epicentre have no meaningful back azimuth.
        if (!duplicate && g.distance >= 1.0f) all.push_back(std::move(g));
    }
    std::sort(all.begin(), all.end(), [](const StationGeometry& a, const StationGeometry& b) {
        return a.distance != b.distance ? a.distance < b.distance : a.station.code < b.station.code;
    });
    if (all.size() <= count) return all;

    // The nearest station first, then again and again the station farthest in
    // distance from every one chosen so far: an even spread over the range.
    std::vector<bool> taken(all.size(), false);
    std::vector<StationGeometry> chosen{all.front()};
    taken[0] = true;
    while (chosen.size() < count) {
        std::size_t best = 0;
        float bestGap = -1;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (taken[i]) continue;
            float gap = 1e9f;
            for (const StationGeometry& c : chosen)
                gap = std::min(gap, std::fabs(all[i].distance - c.distance));
            if (gap > bestGap) {
                bestGap = gap;
                best = i;
            }
        }
        taken[best] = true;
        chosen.push_back(all[best]);
    }
    std::sort(chosen.begin(), chosen.end(), [](const StationGeometry& a, const StationGeometry& b) {
        return a.distance != b.distance ? a.distance < b.distance : a.station.code < b.station.code;
    });
    return chosen;
}

std::vector<StationGeometry> chooseListedStations(const std::vector<StationGeometry>& recorded,
                                                  std::size_t count) {
    if (recorded.size() <= count) return recorded;
    // The nearest station, then stations nearest to evenly spaced distances.
    // Most of them lie within 98 degrees, where the direct P and S waves
    // arrive; the last two, when there are stations that far, lie in the
    // core's shadow beyond 100 degrees.
    std::vector<bool> taken(recorded.size(), false);
    std::vector<StationGeometry> listed{recorded.front()};
    taken[0] = true;
    const float first = recorded.front().distance, last = recorded.back().distance;
    const bool shadow = last > 110.0f && count >= 5;
    const std::size_t inside = shadow ? count - 2 : count;
    const float insideEnd = shadow ? std::min(last, 98.0f) : last;
    for (std::size_t n = 1; n < count; ++n) {
        const float target = n < inside ? first
                                              + (insideEnd - first) * static_cast<float>(n)
                                                    / static_cast<float>(inside - 1)
                                        : 100.0f + (last - 100.0f) * (n == count - 1 ? 1.0f : 0.4f);
        // Stations for the inside targets come from inside when there are any left.
        const bool wantInside =
            n < inside
            && std::any_of(recorded.begin(), recorded.end(), [&](const StationGeometry& g) {
                   return !taken[static_cast<std::size_t>(&g - recorded.data())]
                          && g.distance <= 100.0f;
               });
        std::size_t best = 0;
        float bestDiff = 1e9f;
        for (std::size_t i = 0; i < recorded.size(); ++i) {
            const float diff = std::fabs(recorded[i].distance - target);
            if (!taken[i] && diff < bestDiff && (!wantInside || recorded[i].distance <= 100.0f)) {
                bestDiff = diff;
                best = i;
            }
        }
        taken[best] = true;
        listed.push_back(recorded[best]);
    }
    std::sort(listed.begin(), listed.end(), [](const StationGeometry& a, const StationGeometry& b) {
        return a.distance != b.distance ? a.distance < b.distance : a.station.code < b.station.code;
    });
    return listed;
}

std::array<float, 4> tableArrivals(const std::array<TravelTimeTable, 4>& tables, float distance) {
    std::array<float, 4> times{};
    for (std::size_t i = 0; i < 4; ++i) times[i] = arrivalTime(tables[i], distance);
    return times;
}

std::array<TravelTimeTable, 4> loadDemoTables(const std::string& dir, float depthKm) {
    std::array<TravelTimeTable, 4> tables;
    for (std::size_t i = 0; i < 4; ++i)
        tables[i] = loadTravelTimeTable(kTablePhases[i], depthKm, dir);
    return tables;
}

const std::array<const char*, kCorePhaseCount> kCorePhaseNames = {"Pdiff", "PKiKP", "PKIKP", "PKP",
                                                                  "SKS"};

namespace {

constexpr double kDegreesPerRadian = 180.0 / kPi;
// Diffracted P leaks its energy into the core as it creeps along it: this
// far beyond the grazing distance it has faded into the noise.
constexpr double kDiffractionReach = 15.0;

}   // namespace

DemoRays::DemoRays(const EarthModel& model, float eventDepthKm)
    : depth_(tableColumnDepth(depthColumn(eventDepthKm))) {
    from_.fill(-1);
    to_.fill(-1);
    if (model.empty()) return;
    auto shells = std::make_unique<ShellModel>(model, std::vector<double>{depth_});
    const int source = shells->boundaryAt(depth_);
    const int cmb = shells->coreMantleBoundary();
    if (source < 0 || cmb < 1 || source >= cmb) return;
    for (std::size_t i = 0; i < 4; ++i) {
        const DistanceRange r = phaseDistanceRange(*shells, phaseByName(kTablePhases[i]), depth_);
        if (r.from < 0) continue;
        from_[i] = r.from * kDegreesPerRadian;
        to_[i] = r.to * kDegreesPerRadian;
    }
    // The P ray that grazes the core: where it surfaces the shadow begins,
    // and beyond it P diffracted along the core arrives later by the grazing
    // ray's slowness for every further degree.
    graze_ = {std::max(to_[0], 0.0), 0.0, 0.0};
    std::vector<Leg> legs;
    const double p = shells->shells()[static_cast<std::size_t>(cmb - 1)].etaBot[WaveP] * (1 + 1e-9);
    if (resolveLegs(*shells, phaseByName("P").downLegs, source, legs)) {
        const RayResult r = traceRay(*shells, p, legs);
        if (r.valid) graze_ = {r.theta * kDegreesPerRadian, r.time, p / kDegreesPerRadian};
    }
    const DistanceRange pkp = phaseDistanceRange(*shells, phaseByName("PKP"), depth_);
    pkpFrom_ = pkp.from < 0 ? 0.0 : pkp.from * kDegreesPerRadian;
    shells_ = std::move(shells);
}

DemoRays::~DemoRays() = default;

bool DemoRays::reaches(std::size_t phase, float distance) const {
    // A hair of tolerance: the branch ends are found by bisection.
    return phase < 4 && from_[phase] >= 0 && distance >= from_[phase] - 1e-4
           && distance <= to_[phase] + 1e-4;
}

std::array<float, kCorePhaseCount> DemoRays::coreArrivals(float distance) const {
    std::array<float, kCorePhaseCount> t{};
    // Where direct P arrives it is the wave to see; the weaker core phases
    // there are left out.
    if (!shells_ || !(distance > graze_[0]) || distance > 180.0f) return t;
    auto traced = [&](const char* name) {
        const double v = directTravelTime(*shells_, phaseByName(name), depth_, distance);
        return v > 0 ? static_cast<float>(v) : 0.0f;
    };
    if (graze_[2] > 0 && distance <= graze_[0] + kDiffractionReach)
        t[CorePdiff] = static_cast<float>(graze_[1] + graze_[2] * (distance - graze_[0]));
    t[CorePKIKP] = traced("PKIKP");
    // The inner core's reflection matters only where PKIKP does not arrive yet.
    if (t[CorePKIKP] == 0) t[CorePKiKP] = traced("PKiKP");
    if (pkpFrom_ > 0 && distance >= pkpFrom_) t[CorePKP] = traced("PKP");
    if (!reaches(1, distance)) t[CoreSKS] = traced("SKS");
    return t;
}

ComputedMotion computeMotion(const DemoEvent& event, const StationGeometry& station,
                             const std::array<TravelTimeTable, 4>& tables, const DemoRays& rays,
                             uint32_t seed) {
    ComputedMotion m;
    const std::size_t n = kDemoSamples;
    std::vector<float> z(n, 0.0f), radial(n, 0.0f), transverse(n, 0.0f);
    const Trace3 zrt{{&z, &radial, &transverse}};

    const float distance = station.distance;
    m.onsets = tableArrivals(tables, distance);
    const double p = bodyAmplitude(event, distance);
    // Steeper incidence at larger distances: less P on the horizontals.
    const float sinIncidence = std::clamp(0.45f - 0.003f * distance, 0.15f, 0.45f);
    const float pWeights[3] = {1.0f, sinIncidence, 0.0f};
    const float sWeights[3] = {0.25f, 0.6f, 0.8f};
    // Waves up from the core arrive almost vertically; SKS leaves it as an
    // S wave polarised in the plane of the ray (radial and vertical).
    const float coreWeights[3] = {1.0f, 0.15f, 0.0f};
    const float sksWeights[3] = {0.3f, 0.9f, 0.0f};

    // A phase gets no wavelet where its branch does not reach (the table
    // repeats its first time at nearer distances: PP and SS of a deep event
    // surface far from the epicentre; and its last time a little beyond
    // the branch's end), where its table holds no time, nor where a later
    // phase's table time comes before its parent's.
    std::array<float, 4>& o = m.onsets;
    for (std::size_t i = 0; i < 4; ++i)
        if (!rays.reaches(i, distance)) o[i] = 0;
    if (o[1] > 0 && o[0] > 0 && o[1] <= o[0]) o[1] = 0;
    if (o[2] > 0 && o[0] > 0 && o[2] <= o[0]) o[2] = 0;
    if (o[3] > 0 && ((o[1] > 0 && o[3] <= o[1]) || (o[0] > 0 && o[3] <= o[0]))) o[3] = 0;

    addWavelet(zrt, pWeights, m.onsets[0], p, 1.5, 40.0, seed ^ 0x1111u);
    addWavelet(zrt, sWeights, m.onsets[1], 1.5 * p, 4.0, 60.0, seed ^ 0x2222u);
    addWavelet(zrt, pWeights, m.onsets[2], 0.5 * p, 2.5, 40.0, seed ^ 0x3333u);
    addWavelet(zrt, sWeights, m.onsets[3], 0.6 * 1.5 * p, 6.0, 60.0, seed ^ 0x4444u);

    // In the core's shadow: P bent around the core, weak and long-period,
    // fading with every degree it creeps; the inner core's faint reflection;
    // PKIKP through the inner core, a small sharp onset; PKP through the
    // outer core, focused to its strongest at the caustic where it begins;
    // and SKS where direct S no longer arrives.
    m.coreOnsets = rays.coreArrivals(distance);
    const std::array<float, kCorePhaseCount>& c = m.coreOnsets;
    const double grazing = bodyAmplitude(event, rays.shadowStart());
    addWavelet(zrt, coreWeights, c[CorePdiff],
               0.3 * grazing * std::exp(-(distance - rays.shadowStart()) / 8.0), 4.0, 40.0,
               seed ^ 0x6666u);
    addWavelet(zrt, coreWeights, c[CorePKiKP], 0.1 * p, 1.5, 30.0, seed ^ 0x7777u);
    addWavelet(zrt, coreWeights, c[CorePKIKP], 0.3 * p, 1.5, 40.0, seed ^ 0x8888u);
    addWavelet(zrt, coreWeights, c[CorePKP],
               p * (0.5 + std::exp(-(distance - rays.pkpStart()) / 3.0)), 2.0, 40.0,
               seed ^ 0x9999u);
    addWavelet(zrt, sksWeights, c[CoreSKS], 0.8 * p, 5.0, 60.0, seed ^ 0xaaaau);

    // Surface waves of shallow events: a dispersed train inside the band the
    // globe shows, long periods (fast) first, short periods (slow) last.
    if (event.depth < 100.0f && distance > 0) {
        const double fast = distance / kSurfaceWaveFastSpeed;
        const double slow = distance / kSurfaceWaveSlowSpeed;
        m.surfaceStart = static_cast<float>(fast);
        m.surfaceEnd = static_cast<float>(slow);
        const double depthFactor = 1.0 - event.depth / 100.0;
        const double sine = std::max(std::sin(distance * kPi / 180.0), 0.15);
        const double amplitude = 0.7 * magnitudeFactor(event.magnitude) * depthFactor
                                 / std::sqrt(sine) * std::exp(-distance / 150.0);
        const int k0 = firstSampleAt(fast), k1 = firstSampleAt(slow);
        double rayleighPhase = 0, lovePhase = 0;
        // Most energy early in the train (the long periods), tailing off
        // towards the slow edge; x^0.5 (1-x)^1.5 peaks at x = 0.25.
        auto envelope = [](double x) { return std::sqrt(x) * std::pow(1.0 - x, 1.5) / 0.32476; };
        // Scattering along the path makes the train swell and fade.
        SmoothNoise wander(seed ^ 0x5555u, 0.9995f);
        const double dt = kDemoDelta;
        for (int k = k0; k < k1; ++k) {
            const double t = sampleTime(k);
            const double x = (t - fast) / (slow - fast);   // 0 at the fast edge, 1 at the slow
            const double speed = distance / t;
            const double u = std::clamp((speed - kSurfaceWaveSlowSpeed)
                                            / (kSurfaceWaveFastSpeed - kSurfaceWaveSlowSpeed),
                                        0.0, 1.0);
            const double period = 10.0 + 30.0 * u;
            rayleighPhase += 2 * kPi * dt / period;
            lovePhase += 2 * kPi * dt / (period + 4.0);
            const double rayleigh = amplitude * envelope(x) * (0.75 + 0.25 * wander.next());
            const std::size_t i = static_cast<std::size_t>(k);
            z[i] += static_cast<float>(rayleigh * std::sin(rayleighPhase));
            radial[i] += static_cast<float>(0.7 * rayleigh * std::cos(rayleighPhase));
            // Love waves travel a little faster: they fill the first part of the band.
            if (x < 0.65) {
                const double love = 0.8 * amplitude * envelope(x / 0.65);
                transverse[i] += static_cast<float>(love * std::sin(lovePhase));
            }
        }
    }

    // Radial motion points away from the event, transverse 90 degrees
    // clockwise from it; the back azimuth points to the event.
    const double baz = station.backAzimuth * kPi / 180.0;
    const double cb = std::cos(baz), sb = std::sin(baz);
    m.z = std::move(z);
    m.n.assign(n, 0.0f);
    m.e.assign(n, 0.0f);
    for (std::size_t i = 0; i < n; ++i) {
        m.n[i] = static_cast<float>(-radial[i] * cb + transverse[i] * sb);
        m.e[i] = static_cast<float>(-radial[i] * sb - transverse[i] * cb);
    }

    // Background noise: a microseism of about 6.5 s period whose strength
    // wanders slowly, and a little broadband noise. Bounded by noiseBound.
    m.noiseBound = static_cast<float>(0.02 * p);
    std::vector<float>* traces[3] = {&m.z, &m.n, &m.e};
    for (uint32_t c = 0; c < 3; ++c) {
        SmoothNoise broadband(seed * 7u + c * 101u + 1u, 0.7f);
        SmoothNoise strength(seed * 13u + c * 211u + 5u, 0.9995f);
        NoiseSource phase(seed * 17u + c * 307u + 3u);
        const double phase0 = kPi * phase.uniform();
        for (std::size_t i = 0; i < n; ++i) {
            const double t = sampleTime(static_cast<int>(i));
            const double micro = std::sin(2 * kPi * t / 6.5 + phase0);
            const double v = 0.4 * broadband.next() + 0.3 * (1.0 + strength.next()) * micro;
            (*traces[c])[i] += static_cast<float>(0.98 * m.noiseBound * v);
        }
    }
    return m;
}

SacHeader demoSacHeader(const DemoEvent& event, const DemoStation& station, char component) {
    SacHeader h;
    h.setUndefined();
    h.f[DELTA] = kDemoDelta;
    h.f[B] = 0.0f;
    h.f[E] = static_cast<float>((kDemoSamples - 1) * static_cast<double>(kDemoDelta));
    h.f[STLA] = station.latitude;
    h.f[STLO] = station.longitude;
    h.f[EVLA] = storedLatitude(event);
    h.f[EVLO] = storedLongitude(event);
    h.f[EVDP] = storedDepth(event);
    h.f[MAG] = roundTrip("%6.1f", event.magnitude);
    h.f[CMPAZ] = component == 'E' ? 90.0f : 0.0f;
    h.f[CMPINC] = component == 'Z' ? 0.0f : 90.0f;

    // Reference time: the first sample, the origin minus the lead.
    int year = event.year;
    int jday = dayOfYear(event.year, event.month, event.day);
    long long ms = ((event.hour * 60LL + event.minute) * 60LL) * 1000LL
                   + std::lround(event.second * 10.0f) * 100LL - kDemoLeadSeconds * 1000LL;
    while (ms < 0) {
        ms += 86400000LL;
        if (--jday < 1) {
            --year;
            jday = isLeapYear(year) ? 366 : 365;
        }
    }
    h.i[NZYEAR] = year;
    h.i[NZJDAY] = jday;
    h.i[NZHOUR] = static_cast<int32_t>(ms / 3600000LL);
    h.i[NZMIN] = static_cast<int32_t>(ms / 60000LL % 60);
    h.i[NZSEC] = static_cast<int32_t>(ms / 1000LL % 60);
    h.i[NZMSEC] = static_cast<int32_t>(ms % 1000LL);
    h.i[NVHDR] = 6;
    h.i[NPTS] = kDemoSamples;
    h.i[IFTYPE] = 1;   // time series
    h.i[LEVEN] = 1;    // evenly spaced
    h.i[SAC_INT27] = kSacUndefinedInt;

    h.setText(KSTNM, station.code);
    h.setText(KCMPNM, std::string("BH") + component);
    h.setText(KNETWK, station.network.empty() ? std::string("-12345") : station.network);
    return h;
}

std::string demoSeismogramName(const DemoStation& station, char component) {
    return upper(station.code) + ".BH" + component;
}

EventRecord demoEventRecord(const DemoEvent& event, const std::vector<StationGeometry>& listed) {
    EventRecord r = newEventRecord();
    r.name = event.name;
    r.latitude = event.latitude;
    r.longitude = event.longitude;
    r.depth = event.depth;
    r.magnitude = event.magnitude;
    r.year = event.year;
    r.month = event.month;
    r.day = event.day;
    r.hour = event.hour;
    r.minute = event.minute;
    r.second = event.second;
    r.timeAcceleration = event.timeAcceleration;
    r.timeWindow = event.timeWindow;
    r.timeLimit = event.timeLimit;
    // The globe is centred near the epicentre's longitude, given in 0..359.
    r.viewAngle = static_cast<int32_t>((std::lround(event.longitude) % 360 + 360) % 360);
    refreshEventTexts(r);
    for (const StationGeometry& s : listed) {
        ComponentRecord c;
        c.stationName = s.station.code;
        c.component = 'Z';
        c.latitude = s.station.latitude;
        c.longitude = s.station.longitude;
        c.fileName = demoSeismogramName(s.station, 'Z');
        r.stationFiles.push_back(std::move(c));
    }
    return r;
}

std::string demoEventInfoText(const DemoEvent& event, const std::vector<StationGeometry>& listed) {
    const char* strength = event.magnitude >= 9.0f
                               ? "a great earthquake, one of the largest ever measured"
                           : event.magnitude >= 8.0f ? "a great earthquake"
                           : event.magnitude >= 7.0f ? "a major earthquake"
                                                     : "a strong earthquake";
    const std::string depthWords = event.depth < 70.0f
                                       ? "It was shallow: the rock broke only "
                                             + wholeText(event.depth) + " km below the surface."
                                   : event.depth < 300.0f
                                       ? "It was of intermediate depth: the rock broke "
                                             + wholeText(event.depth) + " km below the surface."
                                       : "It was deep: the rock broke " + wholeText(event.depth)
                                             + " km below the surface, inside the Earth's mantle.";

    std::string text = wrapParagraph(std::string(event.name) + ": the earthquake of "
                                     + std::to_string(event.year))
                       + "\n";
    text += "<PRE>\n";
    text += std::string("When:  ") + event.localTime + ",\n";
    char utc[96];
    std::snprintf(utc, sizeof utc, "       that is %04d/%02d/%02d at %02d:%02d:%04.1f UTC",
                  event.year, event.month, event.day, event.hour, event.minute, event.second);
    text += std::string(utc) + "\n";
    text += "Where: " + degreesText(event.latitude, 'N', 'S') + ", "
            + degreesText(event.longitude, 'E', 'W') + "\n";
    text += "Depth: " + wholeText(event.depth) + " km\n";
    text += "Magnitude: " + formatText("%.1f", event.magnitude) + "\n";
    text += "</PRE>\n\n";

    std::vector<std::string> parts;
    parts.push_back(std::string("The earthquake struck ") + event.place + ". With a magnitude of "
                    + formatText("%.1f", event.magnitude) + " it was " + strength + ". "
                    + depthWords);
    parts.push_back(event.setting);
    parts.push_back(event.story);
    std::string stations = "The seismograms come from " + std::to_string(listed.size())
                           + " stations of the worldwide seismograph network, from "
                           + (listed.empty() ? std::string("-") : listed.front().station.code)
                           + " (" + wholeText(listed.empty() ? 0 : listed.front().distance)
                           + " degrees away) to "
                           + (listed.empty() ? std::string("-") : listed.back().station.code) + " ("
                           + wholeText(listed.empty() ? 0 : listed.back().distance)
                           + " degrees away). More stations can be chosen on the world map.";
    parts.push_back(stations);
    parts.push_back("Please note: the seismograms of this demonstration are computed, not "
                    "recorded. The P, S, PP and SS waves start exactly when the travel-time "
                    "tables of the installation say, and the waves through the Earth's core "
                    "start when the ray computation that made the tables says, but they are "
                    "not real recordings of this earthquake.");
    text += paragraphs(parts);
    text += "<more \"COMPUTED.INF\">\n";
    return text;
}

std::string computedSeismogramsText() {
    std::vector<std::string> parts = {
        "How the demonstration seismograms were computed",
        "The seismograms of the demonstration earthquakes are computed, not recorded. Real "
        "recordings can be added to the installation at any time; these computed ones show "
        "the same kinds of waves in a simple and clear way.",
        "For every station the computer first works out how far it is from the earthquake. "
        "The travel-time tables then give the moment when each wave arrives: the P wave, the "
        "S wave, and the PP and SS waves that bounce once off the Earth's surface on their way. "
        "At each of these moments a short wiggle starts, followed by a fading tail, the way "
        "waves scattered by the rock keep arriving for a while. A wave gets no wiggle at a "
        "station it cannot reach: the PP and SS waves of a deep earthquake, for example, first "
        "come back to the surface far from the epicentre.",
        "The tables, and the times of the waves through the core, were computed when this "
        "installation was built. The computer follows thousands of rays through a model of "
        "the Earth's interior, with the speed of P and S waves at every depth, and notes where "
        "each ray comes back to the surface and when.",
        "Beyond about 100 degrees the core is in the way. There the seismograms show what "
        "real ones show: a weak P wave bent around the edge of the core, then, from about "
        "120 degrees on, the waves that crossed the core (PKIKP and PKP), strongest from "
        "about 143 degrees, where the core focuses PKP like a lens. On the horizontal "
        "components SKS arrives, an S wave that crossed the liquid outer core as a P wave.",
        "The P wave moves the ground mostly up and down, so it is largest on the vertical (Z) "
        "component. The S wave shakes the ground sideways, so it is largest on the north (N) "
        "and east (E) components. Waves get weaker the farther they travel, and a stronger "
        "earthquake makes larger waves.",
        "Shallow earthquakes also make surface waves. They travel along the surface at 2.3 to "
        "3.8 km per second; the long, slow swings arrive first and the short, quick ones last. "
        "Deep earthquakes make almost no surface waves.",
        "Finally a little random noise is added, as every real seismograph records the restless "
        "ground: the sea's waves, the wind and traffic.",
    };
    return paragraphs(parts);
}

bool writeDemoEvent(const DemoEvent& event, const std::vector<DemoStation>& stations,
                    const EarthModel& model, const std::string& dir, std::string& error) {
    const std::array<TravelTimeTable, 4> tables = loadDemoTables(dir, storedDepth(event));
    if (tables[0].count == 0 || tables[1].count == 0) {
        error = "travel-time tables missing in " + dir;
        return false;
    }
    const DemoRays rays(model, storedDepth(event));
    if (!rays.valid()) {
        error = "the velocity model has no mantle and core to trace rays in";
        return false;
    }
    const std::vector<StationGeometry> recorded = chooseRecordedStations(event, stations);
    const std::vector<StationGeometry> listed = chooseListedStations(recorded);
    if (listed.empty()) {
        error = "no stations";
        return false;
    }
    const std::string folder = joinPath(dir, demoEventFolder(event));
    if (!makeDirectory(folder)) {
        error = "cannot create " + folder;
        return false;
    }
    EventRecord record = demoEventRecord(event, listed);
    if (!writeEventFileByDate(record, dir)) {
        error = "cannot write " + joinPath(dir, record.fileName);
        return false;
    }
    if (!writeBytes(joinPath(folder, "EVT.INF"), demoEventInfoText(event, listed))
        || !writeBytes(joinPath(dir, "COMPUTED.INF"), computedSeismogramsText())) {
        error = "cannot write the information texts of " + folder;
        return false;
    }
    const std::string eventKey = demoEventFileName(event);
    for (const StationGeometry& s : recorded) {
        const ComputedMotion motion = computeMotion(event, s, tables, rays,
                                                    hashText(s.station.code, hashText(eventKey)));
        const std::vector<float>* traces[3] = {&motion.z, &motion.n, &motion.e};
        const char components[3] = {'Z', 'N', 'E'};
        for (int c = 0; c < 3; ++c) {
            SacHeader header = demoSacHeader(event, s.station, components[c]);
            const std::vector<float>& samples = *traces[c];
            double sum = 0;
            float lo = samples.front(), hi = samples.front();
            for (float v : samples) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
                sum += v;
            }
            header.f[DEPMIN] = lo;
            header.f[DEPMAX] = hi;
            header.f[DEPMEN] = static_cast<float>(sum / static_cast<double>(samples.size()));
            const std::string path = joinPath(folder, demoSeismogramName(s.station, components[c]));
            if (!writeBytes(path, encodeSac(header, samples))) {
                error = "cannot write " + path;
                return false;
            }
        }
    }
    return true;
}

std::vector<TutorialPage> tutorialPages(const DemoEvent& event,
                                        const std::vector<StationGeometry>& listed,
                                        const std::array<TravelTimeTable, 4>& tables,
                                        const DemoRays& rays) {
    std::vector<TutorialPage> pages;
    if (listed.empty()) return pages;
    const StationGeometry& nearest = listed.front();
    const std::array<float, 4> near = tableArrivals(tables, nearest.distance);
    const std::string nearName = stationLabel(nearest);
    const std::string nearDistance = wholeText(nearest.distance);

    // A moment in the run and the page that explains it. Pages appear a few
    // seconds after the moment, so the arrival mark is already drawn.
    struct Moment {
        double at;
        std::string text;
    };
    std::vector<Moment> moments;

    moments.push_back(
        {20,
         paragraphs({"The earthquake has begun. The flash marked the epicentre, the point on the "
                     "surface above the place where the rock broke, "
                         + wholeText(event.depth) + " km below.",
                     "Waves now spread out in every direction. On the globe you see their fronts "
                     "run over the surface; the cross-section shows them travelling through the "
                     "inside of the Earth. The clock counts the minutes since the earthquake; the "
                     "computer runs it "
                         + std::to_string(event.timeAcceleration)
                         + " times faster than real time."})});
    if (near[0] > 0)
        moments.push_back(
            {near[0] + 12,
             paragraphs({"The P wave has reached the nearest station, " + nearName + ", "
                             + nearDistance + " degrees from the epicentre, " + wholeText(near[0])
                             + " seconds after the earthquake.",
                         "P stands for primary: it is the fastest wave. It pushes and pulls the "
                         "rock in the direction it travels, like sound. The top seismogram now "
                         "shows its first wiggles."})});
    if (near[1] > 0)
        moments.push_back(
            {near[1] + 12,
             paragraphs({"Now the S wave arrives at " + nearest.station.code + ", "
                             + wholeText(near[1]) + " seconds after the earthquake.",
                         "S stands for secondary: it shakes the rock sideways and travels at "
                         "only about half the speed of P. The time between P and S grows with "
                         "distance; seismologists use it to find how far away an earthquake "
                         "was."})});
    // PP and SS at the nearest listed station where they stand clearly apart
    // from P and S (close to the epicentre they nearly coincide).
    float firstPP = 0, firstSS = 0;
    std::string ppStation, ssStation;
    for (const StationGeometry& s : listed) {
        const std::array<float, 4> t = tableArrivals(tables, s.distance);
        if (firstPP == 0 && t[0] > 0 && t[2] >= t[0] + 60 && rays.reaches(2, s.distance)) {
            firstPP = t[2];
            ppStation = s.station.code;
        }
        if (firstSS == 0 && t[1] > 0 && t[3] >= t[1] + 90 && rays.reaches(3, s.distance)) {
            firstSS = t[3];
            ssStation = s.station.code;
        }
    }
    if (firstPP > 0)
        moments.push_back(
            {firstPP + 12,
             paragraphs({"At " + ppStation
                             + " a second P wave has arrived: PP. It travelled "
                               "down into the Earth, bounced once off the surface halfway to the "
                               "station, and went down and up again.",
                         "Its path is longer than that of P, so it comes later. Far from the "
                         "earthquake the PP wave can be as clear as P itself."})});
    if (event.depth < 100.0f) {
        const double surface = nearest.distance / kSurfaceWaveFastSpeed;
        moments.push_back(
            {surface + 25,
             paragraphs(
                 {"The surface waves have reached " + nearest.station.code
                      + ". They travel along the surface only, at 2.3 to 3.8 km per second, "
                        "slower than P and S, but they are the largest waves on the seismogram.",
                  "On the globe they are the wide band behind the other fronts. Their "
                  "long swings come first and the shorter ones follow: this spreading out "
                  "is called dispersion. Surface waves do most of the damage near an "
                  "earthquake."})});
    }
    if (firstSS > 0)
        moments.push_back(
            {firstSS + 12,
             paragraphs({"The SS wave has arrived at " + ssStation
                             + ": an S wave that "
                               "bounced once off the surface on its way, just as PP did for P.",
                         "Every wave that reaches a station has its own path through the Earth. "
                         "By timing many of them at many stations, seismologists have mapped "
                         "the Earth's crust, mantle and core."})});
    // The farthest station the direct P wave reaches, and the first station
    // in the core's shadow, where no direct P arrives at all.
    const StationGeometry* farthest = nullptr;
    const StationGeometry* shadowed = nullptr;
    for (const StationGeometry& s : listed) {
        const bool direct = rays.reaches(0, s.distance) && tableArrivals(tables, s.distance)[0] > 0;
        if (direct && &s != &nearest) farthest = &s;
        if (!direct && shadowed == nullptr) shadowed = &s;
    }
    double lastArrival = near[0];
    if (farthest != nullptr) {
        const float p = tableArrivals(tables, farthest->distance)[0];
        lastArrival = std::max(lastArrival, double(p));
        moments.push_back(
            {p + 12,
             paragraphs({"The P wave has reached " + stationLabel(*farthest) + ", "
                             + wholeText(farthest->distance) + " degrees away, after "
                             + wholeText(p / 60.0) + " minutes.",
                         "Waves that reach stations this far away dive deep into the mantle, "
                         "where the rock is denser and stiffer and waves travel faster. Their "
                         "paths bend, as light bends in water."})});
    }
    if (shadowed != nullptr) {
        const float pp = rays.reaches(2, shadowed->distance)
                             ? tableArrivals(tables, shadowed->distance)[2]
                             : 0.0f;
        const std::array<float, kCorePhaseCount> core = rays.coreArrivals(shadowed->distance);
        // The first clear wave through the core, PKIKP or PKP.
        float through = core[CorePKIKP];
        const char* throughName = "PKIKP";
        if (core[CorePKP] > 0 && (through == 0 || core[CorePKP] < through)) {
            through = core[CorePKP];
            throughName = "PKP";
        }
        const std::string label = stationLabel(*shadowed);
        const std::string shadow =
            "Look at " + label + ", " + wholeText(shadowed->distance)
            + " degrees away: no direct "
              "P or S wave arrives there. The Earth's core casts a shadow: it bends P waves away "
              "and stops S waves completely, because its outer part is liquid.";
        const std::string weak =
            core[CorePdiff] > 0
                ? "Before it only a weak P wave came in, bent around the edge of the core."
            : core[CorePKiKP] > 0 ? "Before it only a faint echo off the inner core came in."
                                  : "Nothing came before it.";
        if (through > 0) {
            lastArrival = std::max(lastArrival, double(through));
            const std::string path =
                std::string(throughName) == "PKIKP"
                    ? "It went straight through the liquid outer core and the solid inner core: "
                      "PKIKP, K for the outer core and I for the inner core."
                    : "It crossed the liquid outer core, which bent it like a lens: PKP, K for "
                      "the outer core.";
            moments.push_back(
                {through + 12,
                 paragraphs({shadow,
                             "The wave that has just arrived there came through the core, "
                                 + wholeText(through / 60.0) + " minutes after the earthquake. "
                                 + path,
                             weak
                                 + " PP, which went around the core by bouncing off the "
                                   "surface, comes later."})});
        } else if (pp > 0) {
            lastArrival = std::max(lastArrival, double(pp));
            moments.push_back(
                {pp + 12,
                 paragraphs(
                     {shadow, "The first clear wave at this station is PP, which went around the "
                              "core by bouncing off the surface. "
                                  + weak})});
        }
    }
    std::sort(moments.begin(), moments.end(),
              [](const Moment& a, const Moment& b) { return a.at < b.at; });

    // Step 0: shown on the world map before the run.
    pages.push_back(
        {"TUT0.INF", 0, 0,
         paragraphs(
             {"Welcome to the tutorial!",
              std::string("In a moment the ") + event.name + " earthquake of "
                  + std::to_string(event.year)
                  + " starts by itself. Watch how its waves "
                    "travel around and through the Earth and how the seismographs record them.",
              "Each page stays for a while and then goes away; press Cancel to stop the "
              "tutorial at any time."})});
    double last = 0;
    for (const Moment& m : moments) {
        const double at = std::max(m.at, last + 20.0);
        last = at;
        TutorialPage page;
        page.textFile = "TUT" + std::to_string(pages.size()) + ".INF";
        page.showAt = static_cast<uint32_t>(std::lround(at));
        page.text = m.text;
        pages.push_back(std::move(page));
    }
    // The last step only marks the end of the tutorial: passing its time
    // returns to the world map.
    const double end = std::max(last + 120.0, lastArrival + 240.0);
    TutorialPage closing;
    closing.textFile = "TUT" + std::to_string(pages.size()) + ".INF";
    closing.showAt = static_cast<uint32_t>(
        std::lround(std::min(end, static_cast<double>(event.timeLimit) - 30.0)));
    closing.showAt = std::max<uint32_t>(closing.showAt, static_cast<uint32_t>(last) + 20);
    closing.text = paragraphs({"This is the end of the tutorial.",
                               "Touch a star on the world map to watch another earthquake, or "
                               "press Tutorial to read these pages again."});
    pages.push_back(std::move(closing));
    for (TutorialPage& page : pages) page.stayFor = readingTime(page.text);
    return pages;
}

std::string tutorialScriptText(const std::vector<TutorialPage>& pages) {
    std::string out;
    for (const TutorialPage& page : pages) {
        char line[64];
        std::snprintf(line, sizeof line, "%u %u %s\n", page.showAt, page.stayFor,
                      page.textFile.c_str());
        out += line;
    }
    return out;
}

bool writeTutorial(const DemoEvent& event, const std::vector<DemoStation>& stations,
                   const EarthModel& model, const std::string& dir, std::string& error) {
    const std::array<TravelTimeTable, 4> tables = loadDemoTables(dir, storedDepth(event));
    const DemoRays rays(model, storedDepth(event));
    const std::vector<StationGeometry> listed = chooseListedStations(
        chooseRecordedStations(event, stations));
    const std::vector<TutorialPage> pages = tutorialPages(event, listed, tables, rays);
    if (pages.size() < 2) {
        error = "no tutorial pages";
        return false;
    }
    for (const TutorialPage& page : pages)
        if (!writeBytes(joinPath(dir, page.textFile), page.text)) {
            error = "cannot write " + page.textFile;
            return false;
        }
    if (!writeBytes(joinPath(dir, "tutorial.txt"), tutorialScriptText(pages))) {
        error = "cannot write tutorial.txt";
        return false;
    }
    return true;
}

bool writeDemoSettings(const std::string& dir) {
    Settings settings;
    settings.tutorialEvent = demoEventFileName(tutorialEvent());
    return saveSettings(settings, joinPath(dir, "OV.INI"));
}
