#include "import/EventImport.h"

#include "data/EventFile.h"
#include "data/RunSetup.h"
#include "data/Seismogram.h"
#include "fileio/FileSystem.h"
#include "import/EventMetadata.h"
#include "import/InputFile.h"
#include "import/MiniSeedReader.h"
#include "import/SacReader.h"
#include "import/StationMetadata.h"
#include "import/TimeText.h"
#include "import/TraceProcessing.h"
#include "seismology/SphericalGeometry.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Recording beyond the window kept on either side while filtering, so the
// window's first and last samples are filtered like the others.
constexpr double kFilterPad = 30;
constexpr int kSacO = 7;       // origin marker, seconds after the reference time
constexpr int kSacKHOLE = 2;   // text field of the location code
// Highest recording rate per output rate the resampling filter takes on
// (its length grows with the ratio).
constexpr double kResampleRatioMax = 250;

struct Cancelled {};

std::string format(const char* pattern, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

std::string stationKey(const ChannelId& id) { return id.network + "." + id.station; }

std::string bandOf(const std::string& channel) {
    return channel.empty() ? std::string() : channel.substr(0, channel.size() - 1);
}

char letterOf(const std::string& channel) { return channel.empty() ? '?' : channel.back(); }

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Texts of the installation are single-byte (Latin-1): UTF-8 letters of that
// range are converted, others become '?', control characters blanks.
std::string latin1(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += c < 0x20 || c == 0x7f ? ' ' : static_cast<char>(c);
            ++i;
            continue;
        }
        std::size_t length = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc0 ? 2 : 1;
        if (length == 2 && i + 1 < utf8.size()
            && (static_cast<unsigned char>(utf8[i + 1]) & 0xc0) == 0x80) {
            const unsigned code = (c & 0x1fu) << 6
                                  | (static_cast<unsigned char>(utf8[i + 1]) & 0x3fu);
            out += code >= 0xa0 && code <= 0xff ? static_cast<char>(code) : '?';
        } else {
            out += '?';
        }
        i += std::min(length, utf8.size() - i);
    }
    return out;
}

void check(const std::atomic<bool>* cancel) {
    if (cancel && cancel->load()) throw Cancelled{};
}

void report(const ImportProgress& progress, double fraction, const std::string& step) {
    if (progress) progress(std::clamp(fraction, 0.0, 1.0), step);
}

// Files named by the inputs: folders are walked with their subfolders (hidden
// entries left out, names in order).
std::vector<std::string> expandInputs(const std::vector<std::string>& inputs,
                                      std::vector<ImportFileLine>& missing) {
    std::vector<std::string> files;
    for (const std::string& input : inputs) {
        std::error_code ec;
        if (fs::is_directory(input, ec)) {
            std::vector<std::string> found;
            fs::recursive_directory_iterator it(input,
                                                fs::directory_options::skip_permission_denied, ec);
            for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
                const std::string name = it->path().filename().string();
                if (!name.empty() && name[0] == '.') {
                    if (it->is_directory(ec)) it.disable_recursion_pending();
                    continue;
                }
                if (it->is_regular_file(ec)) found.push_back(it->path().string());
            }
            if (ec)
                missing.push_back(
                    {input, false, "the folder cannot be read completely: " + ec.message()});
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        } else if (fs::exists(input, ec)) {
            files.push_back(input);
        } else {
            missing.push_back({input, false, "not found"});
        }
    }
    return files;
}

// The metadata entry for a channel at a time: the channel's own, else the
// station's (an entry without location and channel stands for all of them),
// else any channel of the station for its coordinates (orientation unknown).
std::optional<ChannelMetadata> findMetadata(const std::vector<ChannelMetadata>& all,
                                            const ChannelId& id, double time) {
    auto valid = [&](const ChannelMetadata& m) { return time >= m.startTime && time <= m.endTime; };
    for (const ChannelMetadata& m : all)
        if (m.id == id && valid(m)) return m;
    for (const ChannelMetadata& m : all)
        if (m.id.network == id.network && m.id.station == id.station && m.id.channel.empty()
            && valid(m)) {
            ChannelMetadata copy = m;
            copy.azimuth.reset();
            copy.dip.reset();
            return copy;
        }
    for (const ChannelMetadata& m : all)
        if (m.id.network == id.network && m.id.station == id.station && valid(m)) {
            ChannelMetadata copy = m;
            copy.azimuth.reset();
            copy.dip.reset();
            return copy;
        }
    return std::nullopt;
}

// Everything decided from what was read, before any trace is processed.
struct Plan {
    struct Channel {
        ChannelId id;
        std::vector<const TraceSegment*> segments;
        std::vector<std::size_t> files;   // indices into ImportScan::recordings
        double first = 0, last = 0;       // span of the data
        std::optional<ChannelMetadata> metadata;
        std::string status;   // empty: used; else why not
    };
    std::vector<Channel> channels;
    // Per imported station (same order as report.stations): its channels.
    std::vector<std::vector<std::size_t>> stationChannels;
};

EventInfo mergeEvent(const ImportRequest& request, ImportScan& scan) {
    EventInfo e = request.event;
    std::vector<std::string>& warnings = scan.report.warnings;
    // SAC headers: the first file that gives a value.
    bool originDiffers = false;
    std::optional<double> headerOrigin;
    for (const FileContents& f : scan.recordings) {
        const EventInfo& h = f.event;
        if (h.originTime) {
            if (!headerOrigin)
                headerOrigin = h.originTime;
            else if (std::fabs(*h.originTime - *headerOrigin) > 1.0)
                originDiffers = true;
        }
        if (!e.originTime) e.originTime = h.originTime;
        if (!e.latitude || !e.longitude) {
            if (h.latitude && h.longitude) {
                e.latitude = h.latitude;
                e.longitude = h.longitude;
            }
        }
        if (!e.depthKm) e.depthKm = h.depthKm;
        if (!e.magnitude) e.magnitude = h.magnitude;
        if (e.place.empty()) e.place = h.place;
        if (e.eventId.empty()) e.eventId = h.eventId;
    }
    if (originDiffers && !request.event.originTime)
        warnings.push_back("the seismogram headers give different origin times; the first ("
                           + formatTimeText(*headerOrigin, 2) + ") is used");
    if (!scan.fileEvents.empty()) {
        // The event nearest the known origin, else the only or the first one.
        const EventInfo* chosen = &scan.fileEvents.front();
        if (e.originTime) {
            double best = 1e300;
            for (const EventInfo& f : scan.fileEvents)
                if (f.originTime && std::fabs(*f.originTime - *e.originTime) < best) {
                    best = std::fabs(*f.originTime - *e.originTime);
                    chosen = &f;
                }
            if (best > 120) chosen = nullptr;
        } else if (scan.fileEvents.size() > 1) {
            warnings.push_back("the event files describe " + std::to_string(scan.fileEvents.size())
                               + " events; the first is used (give --origin to choose another)");
        }
        if (chosen) {
            if (!e.originTime) e.originTime = chosen->originTime;
            if (!e.latitude || !e.longitude) {
                e.latitude = chosen->latitude;
                e.longitude = chosen->longitude;
            }
            if (!e.depthKm) e.depthKm = chosen->depthKm;
            if (!e.magnitude) e.magnitude = chosen->magnitude;
            if (e.place.empty()) e.place = chosen->place;
            if (e.eventId.empty()) e.eventId = chosen->eventId;
        }
    }
    return e;
}

// Up to `count` entries spread over distance: the nearest, then again and
// again the one farthest in distance from all chosen so far.
std::vector<std::size_t> spreadOverDistance(
    const std::vector<std::pair<double, std::size_t>>& byDistance, std::size_t count) {
    std::vector<std::pair<double, std::size_t>> all = byDistance;
    std::sort(all.begin(), all.end());
    std::vector<std::size_t> chosen;
    if (all.empty()) return chosen;
    std::vector<bool> taken(all.size(), false);
    std::vector<double> chosenDistances{all.front().first};
    taken[0] = true;
    chosen.push_back(all.front().second);
    while (chosen.size() < std::min(count, all.size())) {
        std::size_t best = 0;
        double bestGap = -1;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (taken[i]) continue;
            double gap = 1e9;
            for (double d : chosenDistances) gap = std::min(gap, std::fabs(all[i].first - d));
            if (gap > bestGap) {
                bestGap = gap;
                best = i;
            }
        }
        taken[best] = true;
        chosenDistances.push_back(all[best].first);
        chosen.push_back(all[best].second);
    }
    return chosen;
}

// The line of every input file: what each recording gave, beside the lines
// of the other files.
void fillFileLines(ImportScan& scan, const Plan& plan) {
    ImportReport& r = scan.report;
    r.files = scan.otherFiles;
    for (std::size_t f = 0; f < scan.recordings.size(); ++f) {
        std::set<ChannelId> usedIds;
        std::string why;
        for (const Plan::Channel& c : plan.channels) {
            if (std::find(c.files.begin(), c.files.end(), f) == c.files.end()) continue;
            if (c.status.empty())
                usedIds.insert(c.id);
            else if (why.empty())
                why = c.id.network + "." + c.id.station + "." + c.id.location + "." + c.id.channel
                      + ": " + c.status;
        }
        ImportFileLine line{scan.recordings[f].path, !usedIds.empty(), ""};
        for (const ChannelId& id : usedIds)
            line.what += (line.what.empty() ? "" : ", ") + id.network + "." + id.station + "."
                         + id.location + "." + id.channel;
        if (!line.used) line.what = why.empty() ? "no samples" : why;
        r.files.push_back(std::move(line));
    }
    std::stable_sort(
        r.files.begin(), r.files.end(),
        [](const ImportFileLine& a, const ImportFileLine& b) { return a.path < b.path; });
}

// Decides stations, channels and file lines from what was read.
Plan makePlan(const ImportRequest& request, ImportScan& scan) {
    ImportReport& r = scan.report;
    r.stations.clear();
    r.error.clear();
    r.warnings = scan.readWarnings;
    r.event = mergeEvent(request, scan);
    const EventInfo& e = r.event;
    const bool haveEpicentre = e.latitude && e.longitude;

    Plan plan;
    std::map<ChannelId, std::size_t> index;
    for (std::size_t f = 0; f < scan.recordings.size(); ++f)
        for (const TraceSegment& s : scan.recordings[f].segments) {
            auto [it, added] = index.emplace(s.id, plan.channels.size());
            if (added) {
                plan.channels.push_back({});
                plan.channels.back().id = s.id;
                plan.channels.back().first = s.startTime;
                plan.channels.back().last = s.startTime;
            }
            Plan::Channel& c = plan.channels[it->second];
            c.segments.push_back(&s);
            if (c.files.empty() || c.files.back() != f) c.files.push_back(f);
            c.first = std::min(c.first, s.startTime);
            if (s.sampleRate > 0)
                c.last = std::max(c.last,
                                  s.startTime + double(s.samples.size() - 1) / s.sampleRate);
        }
    // Metadata: station files first, then the SAC headers.
    std::vector<ChannelMetadata> metadata = scan.metadata;
    for (const FileContents& f : scan.recordings)
        metadata.insert(metadata.end(), f.channels.begin(), f.channels.end());
    for (Plan::Channel& c : plan.channels) c.metadata = findMetadata(metadata, c.id, c.first);

    ChannelPreference prefer;
    if (!request.prefer.empty() && !parsePreference(request.prefer, prefer))
        r.warnings.push_back("the sensor preference \"" + request.prefer
                             + "\" is not LOC.BAND, BAND or LOC.; the usual order is used");

    const double windowStart = e.originTime ? *e.originTime - kImportLeadSeconds : 0;
    const double windowEnd = e.originTime ? *e.originTime + request.timeLimit : 0;

    // Stations in order of network and code; a code already taken by another
    // network's station is left out (files and the station list name
    // stations by code alone).
    std::map<std::string, std::vector<std::size_t>> byStation;
    for (std::size_t i = 0; i < plan.channels.size(); ++i)
        byStation[stationKey(plan.channels[i].id)].push_back(i);
    std::map<std::string, std::string> codeTaken;
    for (const auto& entry : byStation) {
        const std::string& key = entry.first;
        const std::vector<std::size_t>& members = entry.second;
        const ChannelId& first = plan.channels[members.front()].id;
        ImportStation st;
        st.network = first.network;
        st.station = first.station;
        auto skipAll = [&](const std::string& why) {
            for (std::size_t m : members)
                if (plan.channels[m].status.empty()) plan.channels[m].status = why;
        };
        // Groups of location and band.
        std::vector<ChannelGroupKey> groups;
        std::vector<std::vector<std::size_t>> groupMembers;
        for (std::size_t m : members) {
            const Plan::Channel& c = plan.channels[m];
            if (e.originTime && (c.last < windowStart || c.first > windowEnd)) {
                plan.channels[m].status = "outside the time window ("
                                          + formatTimeText(windowStart, 0) + " to "
                                          + formatTimeText(windowEnd, 0) + ")";
                continue;
            }
            const std::string band = bandOf(c.id.channel);
            auto g = std::find_if(groups.begin(), groups.end(), [&](const ChannelGroupKey& k) {
                return k.location == c.id.location && k.band == band;
            });
            if (g == groups.end()) {
                groups.push_back({c.id.location, band, c.segments.front()->sampleRate, false, 0});
                groupMembers.emplace_back();
                g = groups.end() - 1;
            }
            const bool vertical = letterOf(c.id.channel) == 'Z'
                                  || (c.metadata && c.metadata->dip
                                      && std::fabs(*c.metadata->dip) >= 80);
            g->hasVertical = g->hasVertical || vertical;
            ++g->components;
            groupMembers[static_cast<std::size_t>(g - groups.begin())].push_back(m);
        }
        const int best = chooseChannelGroup(groups, request.sampleRate, prefer);
        if (best < 0) {
            st.skipped = "no recording in the time window";
            if (!e.originTime) st.skipped = "no usable recording";
            r.stations.push_back(std::move(st));
            plan.stationChannels.emplace_back();
            continue;
        }
        const ChannelGroupKey& g = groups[static_cast<std::size_t>(best)];
        st.location = g.location;
        st.band = g.band;
        st.sampleRate = g.sampleRate;
        const std::string sensor = (g.location.empty() ? std::string("--") : g.location) + "."
                                   + g.band;
        for (std::size_t m : members)
            if (plan.channels[m].status.empty()
                && std::find(groupMembers[static_cast<std::size_t>(best)].begin(),
                             groupMembers[static_cast<std::size_t>(best)].end(), m)
                       == groupMembers[static_cast<std::size_t>(best)].end())
                plan.channels[m].status = "another sensor of " + key + " is used (" + sensor + ")";
        std::vector<std::size_t> used = groupMembers[static_cast<std::size_t>(best)];
        std::optional<ChannelMetadata> where;
        for (std::size_t m : used)
            if (plan.channels[m].metadata) {
                where = plan.channels[m].metadata;
                break;
            }
        if (!where) {
            st.skipped = "no coordinates for " + key + " (give --stations FILE)";
        } else if (st.station.empty() || st.station.size() > 8) {
            st.skipped = "station code \"" + st.station + "\" is not 1 to 8 characters";
        } else if (auto t = codeTaken.find(upper(st.station)); t != codeTaken.end()) {
            st.skipped = "station code " + st.station + " is already used by " + t->second;
        } else {
            codeTaken[upper(st.station)] = key;
            st.latitude = where->latitude;
            st.longitude = where->longitude;
            st.siteName = where->siteName;
            if (haveEpicentre)
                st.distance = greatCircle(
                                  static_cast<float>(st.latitude), static_cast<float>(st.longitude),
                                  static_cast<float>(*e.latitude), static_cast<float>(*e.longitude))
                                  .distance;
            // The sensor's channels: Z, N, E first, then 1, 2 and any others.
            std::string letters;
            for (std::size_t m : used) letters += letterOf(plan.channels[m].id.channel);
            std::sort(letters.begin(), letters.end(), [](char a, char b) {
                const std::string order = "ZNE12";
                return std::make_pair(order.find(a), a) < std::make_pair(order.find(b), b);
            });
            letters.erase(std::unique(letters.begin(), letters.end()), letters.end());
            st.components = letters;
        }
        if (!st.skipped.empty()) {
            skipAll(st.skipped);
            used.clear();
        }
        r.stations.push_back(std::move(st));
        plan.stationChannels.push_back(std::move(used));
    }

    // First selection among the stations with a vertical component.
    std::vector<std::pair<double, std::size_t>> verticals;
    for (std::size_t i = 0; i < r.stations.size(); ++i)
        if (r.stations[i].skipped.empty()
            && r.stations[i].components.find('Z') != std::string::npos)
            verticals.emplace_back(r.stations[i].distance, i);
    for (std::size_t i : spreadOverDistance(verticals, kImportSelectedMax))
        r.stations[i].selected = true;

    fillFileLines(scan, plan);

    bool anyStation = false;
    for (const ImportStation& s : r.stations) anyStation = anyStation || s.skipped.empty();
    if (scan.recordings.empty())
        r.error = "no SAC or miniSEED recording among the inputs";
    else if (!e.originTime)
        r.error = "no origin time in the inputs: give --origin YYYY-MM-DDTHH:MM:SS"
                  + std::string(haveEpicentre ? "" : " and --lat, --lon");
    else if (!haveEpicentre)
        r.error = "no epicentre in the inputs: give --lat and --lon";
    else if (!anyStation)
        r.error = "no station has both coordinates and recordings in the time window";
    return plan;
}

// --- writing -------------------------------------------------------------

struct Output {
    char component;   // 'Z', 'N' or 'E'
    MergedTrace trace;
};

void cutTrace(MergedTrace& t, double from, double to) {
    if (t.samples.empty()) return;
    const double n = static_cast<double>(t.samples.size());
    const double first = std::max(0.0, std::ceil((from - t.startTime) * t.sampleRate - 1e-6));
    const double last = std::min(n - 1, std::floor((to - t.startTime) * t.sampleRate + 1e-6));
    if (!(first <= last)) {
        t.samples.clear();
        return;
    }
    t.samples.erase(t.samples.begin() + static_cast<std::ptrdiff_t>(last) + 1, t.samples.end());
    t.samples.erase(t.samples.begin(), t.samples.begin() + static_cast<std::ptrdiff_t>(first));
    t.startTime += first / t.sampleRate;
}

// Merges, filters and resamples a station's channels and turns the
// horizontals to north and east. Channels left out go to `dropped` with the
// reason, which also becomes a note of the station.
std::vector<Output> processStation(const Plan& plan, const std::vector<std::size_t>& channels,
                                   double origin, double limit, double rate,
                                   std::vector<std::string>& notes,
                                   std::vector<std::pair<std::size_t, std::string>>& dropped) {
    const double from = origin - kImportLeadSeconds, to = origin + limit;
    struct Prepared {
        std::size_t index;
        const Plan::Channel* channel;
        MergedTrace trace;
    };
    auto drop = [&](std::size_t index, const std::string& why) {
        dropped.emplace_back(index, why);
        notes.push_back(plan.channels[index].id.channel + " left out: " + why);
    };
    std::vector<Prepared> verticals, horizontals;
    for (std::size_t index : channels) {
        const Plan::Channel& c = plan.channels[index];
        MergedTrace merged = mergeSegments(c.segments, from - kFilterPad, to + kFilterPad, notes);
        if (merged.sampleRate > kResampleRatioMax * rate) {
            drop(index, "its rate of " + format("%g", merged.sampleRate)
                            + " samples per second is too high");
            continue;
        }
        if (merged.samples.empty()) {
            drop(index, "no samples in the time window");
            continue;
        }
        removeMean(merged.samples);
        MergedTrace out = resampleToGrid(merged, from, rate);
        cutTrace(out, from, to);
        if (out.samples.empty()) {
            drop(index, "no samples in the time window");
            continue;
        }
        const std::optional<double> dip = c.metadata ? c.metadata->dip : std::nullopt;
        if (letterOf(c.id.channel) == 'Z' || (dip && std::fabs(*dip) >= 80)) {
            // A sensor that points down records the motion upside down.
            if (dip && *dip > 80)
                for (double& v : out.samples) v = -v;
            verticals.push_back({index, &c, std::move(out)});
        } else if (dip && std::fabs(*dip) > 10) {
            drop(index, "the sensor is tilted " + format("%.0f", *dip) + " degrees");
        } else {
            horizontals.push_back({index, &c, std::move(out)});
        }
    }
    std::vector<Output> outputs;
    if (!verticals.empty()) outputs.push_back({'Z', std::move(verticals.front().trace)});
    for (std::size_t i = 1; i < verticals.size(); ++i)
        drop(verticals[i].index, "another vertical component of the sensor is used");
    auto azimuthOf = [](const Plan::Channel& c) -> std::optional<double> {
        if (c.metadata && c.metadata->azimuth) return *c.metadata->azimuth;
        if (letterOf(c.id.channel) == 'N') return 0.0;
        if (letterOf(c.id.channel) == 'E') return 90.0;
        return std::nullopt;
    };
    // N and E first, then 1 and 2, then others.
    std::stable_sort(
        horizontals.begin(), horizontals.end(), [](const Prepared& a, const Prepared& b) {
            auto order = [](char c) {
                return c == 'N' ? 0 : c == 'E' ? 1 : c == '1' ? 2 : c == '2' ? 3 : 4;
            };
            return order(letterOf(a.channel->id.channel)) < order(letterOf(b.channel->id.channel));
        });
    for (std::size_t i = 2; i < horizontals.size(); ++i)
        drop(horizontals[i].index, "two other horizontal components are used");
    if (horizontals.size() >= 2) {
        const Prepared& a = horizontals[0];
        const Prepared& b = horizontals[1];
        const std::optional<double> za = azimuthOf(*a.channel), zb = azimuthOf(*b.channel);
        MergedTrace north, east;
        std::string reason;
        if (!za || !zb) {
            reason = "unknown orientation (give --stations with a file that has azimuths)";
        } else if (rotateToNorthEast({&a.trace, *za}, {&b.trace, *zb}, north, east, reason)) {
            outputs.push_back({'N', std::move(north)});
            outputs.push_back({'E', std::move(east)});
            reason.clear();
        }
        if (!reason.empty()) {
            drop(a.index, reason);
            drop(b.index, reason);
        }
    } else if (horizontals.size() == 1) {
        Prepared& h = horizontals[0];
        const std::optional<double> z = azimuthOf(*h.channel);
        const double a = z ? std::fmod(std::fmod(*z, 360.0) + 360.0, 360.0) : -1;
        auto near = [&](double target) { return z && std::fabs(a - target) <= 1.0; };
        char letter = 0;
        bool flip = false;
        if (near(0) || near(360))
            letter = 'N';
        else if (near(180))
            letter = 'N', flip = true;
        else if (near(90))
            letter = 'E';
        else if (near(270))
            letter = 'E', flip = true;
        if (letter == 0) {
            drop(h.index,
                 z ? "no second horizontal component to turn it to north or east"
                   : "unknown orientation (give --stations with a file that has azimuths)");
        } else {
            if (flip)
                for (double& v : h.trace.samples) v = -v;
            outputs.push_back({letter, std::move(h.trace)});
        }
    }
    return outputs;
}

SacHeader outputHeader(const ImportStation& st, const EventInfo& e, char component,
                       const MergedTrace& t, double reference, const std::string& eventName) {
    SacHeader h;
    h.setUndefined();
    h.f[DELTA] = static_cast<float>(1.0 / t.sampleRate);
    h.f[B] = static_cast<float>(t.startTime - reference);
    h.f[E] = static_cast<float>(t.startTime - reference
                                + double(t.samples.size() - 1) / t.sampleRate);
    h.f[kSacO] = static_cast<float>(*e.originTime - reference);
    h.f[STLA] = static_cast<float>(st.latitude);
    h.f[STLO] = static_cast<float>(st.longitude);
    h.f[EVLA] = static_cast<float>(*e.latitude);
    h.f[EVLO] = static_cast<float>(*e.longitude);
    h.f[EVDP] = static_cast<float>(e.depthKm.value_or(0));
    if (e.magnitude) h.f[MAG] = static_cast<float>(*e.magnitude);
    h.f[GCARC] = static_cast<float>(st.distance);
    h.f[CMPAZ] = component == 'E' ? 90.0f : 0.0f;
    h.f[CMPINC] = component == 'Z' ? 0.0f : 90.0f;
    double lo = t.samples.front(), hi = lo, sum = 0;
    for (double v : t.samples) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        sum += v;
    }
    h.f[DEPMIN] = static_cast<float>(lo);
    h.f[DEPMAX] = static_cast<float>(hi);
    h.f[DEPMEN] = static_cast<float>(sum / double(t.samples.size()));
    const CalendarTime c = calendarFromEpoch(reference);
    h.i[NZYEAR] = c.year;
    h.i[NZJDAY] = c.dayOfYear;
    h.i[NZHOUR] = c.hour;
    h.i[NZMIN] = c.minute;
    const long ms = std::lround(c.second * 1000.0);
    h.i[NZSEC] = static_cast<int32_t>(ms / 1000);
    h.i[NZMSEC] = static_cast<int32_t>(ms % 1000);
    h.i[NVHDR] = 6;
    h.i[NPTS] = static_cast<int32_t>(t.samples.size());
    h.i[IFTYPE] = 1;
    h.i[LEVEN] = 1;
    h.i[SAC_INT27] = kSacUndefinedInt;
    h.setText(KSTNM, st.station);
    h.setText(KEVNM, latin1(eventName));
    h.setText(KCMPNM, st.band + component);
    h.setText(KNETWK, st.network.empty() ? std::string("-12345") : st.network);
    h.setText(kSacKHOLE, st.location.empty() ? std::string("-12345") : st.location);
    return h;
}

std::string wrap(const std::string& text, std::size_t width = 72) {
    std::string out, line, word;
    auto flush = [&] {
        if (word.empty()) return;
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            out += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        word.clear();
    };
    for (char c : text) {
        if (c == ' ')
            flush();
        else
            word += c;
    }
    flush();
    if (!line.empty()) out += line + "\n";
    return out;
}

std::string degrees(double value, char positive, char negative) {
    return format("%.2f", std::fabs(value)) + " " + (value < 0 ? negative : positive);
}

std::string infoText(const ImportReport& r, const std::vector<const ImportStation*>& written,
                     const std::string& dataCentre, double importedAt, double rate) {
    const EventInfo& e = r.event;
    const CalendarTime c = calendarFromEpoch(*e.originTime);
    std::string text = wrap(latin1(r.eventName) + ": the earthquake of " + std::to_string(c.year))
                       + "\n";
    text += "<PRE>\n";
    text += "When:  " + formatTimeText(*e.originTime, 1).replace(10, 1, " at ") + " UTC\n";
    text += "Where: " + degrees(*e.latitude, 'N', 'S') + ", " + degrees(*e.longitude, 'E', 'W')
            + "\n";
    text += "Depth: " + (e.depthKm ? format("%.0f", *e.depthKm) + " km" : std::string("not known"))
            + "\n";
    text += "Magnitude: " + (e.magnitude ? format("%.1f", *e.magnitude) : std::string("not known"))
            + "\n";
    text += "</PRE>\n\n";
    if (!e.place.empty()) text += wrap("The earthquake struck " + latin1(e.place) + ".") + "\n";

    std::set<std::string> networks;
    const ImportStation* nearest = nullptr;
    const ImportStation* farthest = nullptr;
    for (const ImportStation* s : written) {
        networks.insert(s->network);
        if (!nearest || s->distance < nearest->distance) nearest = s;
        if (!farthest || s->distance > farthest->distance) farthest = s;
    }
    std::string networkList;
    for (const std::string& n : networks)
        networkList += (networkList.empty() ? "" : ", ")
                       + (n.empty() ? std::string("(no code)") : n);
    std::string recorded = "The seismograms of this earthquake are recorded: real ground motion "
                           "measured by "
                           + std::to_string(written.size()) + " station"
                           + (written.size() == 1 ? "" : "s") + " of the seismograph network"
                           + (networks.size() == 1 ? " " : "s ") + networkList;
    if (nearest && farthest)
        recorded += ", from " + nearest->station + " (" + format("%.0f", nearest->distance)
                    + " degrees away) to " + farthest->station + " ("
                    + format("%.0f", farthest->distance) + " degrees away)";
    recorded += ". More stations can be chosen on the world map.";
    text += wrap(recorded) + "\n";
    const std::string centre = dataCentre.empty() ? std::string("a seismological data centre")
                                                  : "the data centre " + latin1(dataCentre);
    text += wrap("The recordings come from " + centre + ". We thank the operators of the network"
                 + std::string(networks.size() == 1 ? " " : "s ") + networkList
                 + " for making their data freely available.")
            + "\n";
    text += wrap("Imported on " + formatTimeText(importedAt, 0).replace(10, 1, " at ") + " UTC"
                 + (e.eventId.empty() ? std::string() : " (event " + latin1(e.eventId) + ")")
                 + "; the seismograms were filtered and resampled to " + format("%g", rate)
                 + " samples per second.");
    return text;
}

// A station line of "ZURIVI.STA": code in columns 0-7, site name in 8-38, a
// blank, then latitude and longitude each followed by its hemisphere letter.
std::string stationListLine(const ImportStation& s) {
    std::string site = latin1(s.siteName.empty() ? s.network + " " + s.station : s.siteName);
    char line[96];
    std::snprintf(line, sizeof line, "%-8.8s%-31.31s %.4f%c %.4f%c", s.station.c_str(),
                  site.c_str(), std::fabs(s.latitude), s.latitude < 0 ? 'S' : 'N',
                  std::fabs(s.longitude), s.longitude < 0 ? 'W' : 'E');
    return line;
}

// The staging folder and what has been moved: undone unless committed.
class Staging {
public:
    explicit Staging(std::string installation) : installation_(std::move(installation)) {}
    ~Staging() {
        // A replaced event that cannot be moved back stays in the staging
        // folder rather than being deleted with it.
        std::error_code ec;
        if (rollBack() && !path_.empty()) fs::remove_all(path_, ec);
    }
    bool create() {
        static std::atomic<int> counter{0};
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string p = joinPath(installation_, ".ovimport-" + std::to_string(::getpid())
                                                              + "-" + std::to_string(counter++));
            std::error_code ec;
            if (fs::create_directory(p, ec)) {
                path_ = p;
                return true;
            }
            if (ec && ec != std::errc::file_exists) return false;
        }
        return false;
    }
    const std::string& path() const { return path_; }
    // Renames and remembers how to undo it.
    bool move(const std::string& from, const std::string& to) {
        std::error_code ec;
        fs::rename(from, to, ec);
        if (ec) return false;
        moves_.push_back({from, to});
        return true;
    }
    void commit() { moves_.clear(); }

private:
    bool rollBack() {
        bool all = true;
        for (auto it = moves_.rbegin(); it != moves_.rend(); ++it) {
            std::error_code ec;
            fs::rename(it->second, it->first, ec);
            all = all && !ec;
        }
        moves_.clear();
        return all;
    }
    std::string installation_;
    std::string path_;
    std::vector<std::pair<std::string, std::string>> moves_;
};

bool writeBytes(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}   // namespace

std::string importedEventFileName(double originTime) {
    const CalendarTime c = calendarFromEpoch(std::round(originTime * 10) / 10);
    char name[32];
    std::snprintf(name, sizeof name, "%04d%02d%02d%02d.evt", c.year, c.month, c.day, c.hour);
    return name;
}

void updateImportPlan(const ImportRequest& request, ImportScan& scan) {
    if (!scan.report.cancelled) makePlan(request, scan);
}

ImportScan scanImport(const ImportRequest& request, const ImportProgress& progress,
                      const std::atomic<bool>* cancel) {
    ImportScan scan;
    ImportReport& r = scan.report;
    try {
        std::vector<ImportFileLine> missing;
        std::vector<std::string> files = expandInputs(request.inputs, missing);
        if (!request.stationFile.empty()) files.insert(files.begin(), request.stationFile);
        scan.otherFiles = missing;
        for (std::size_t i = 0; i < files.size(); ++i) {
            check(cancel);
            const std::string& path = files[i];
            report(progress, 0.4 * double(i) / double(files.size()), "reading " + path);
            LoadedFile loaded = loadInputFile(path);
            if (!loaded.error.empty()) {
                scan.otherFiles.push_back({path, false, loaded.error});
                continue;
            }
            switch (loaded.kind) {
            case InputKind::Sac:
            case InputKind::MiniSeed: {
                FileContents c = loaded.kind == InputKind::Sac ? readSac(loaded.bytes, path)
                                                               : readMiniSeed(loaded.bytes, path);
                loaded.bytes = std::string();
                for (const std::string& w : c.warnings)
                    scan.readWarnings.push_back(path + ": " + w);
                if (!c.error.empty() || c.segments.empty()) {
                    scan.otherFiles.push_back(
                        {path, false, c.error.empty() ? "no samples" : c.error});
                    continue;
                }
                scan.recordings.push_back(std::move(c));
                break;
            }
            case InputKind::StationText:
            case InputKind::StationXml: {
                std::string error;
                std::vector<ChannelMetadata> m = readStationMetadata(loaded.bytes, error);
                if (m.empty()) {
                    scan.otherFiles.push_back({path, false, error.empty() ? "no stations" : error});
                    continue;
                }
                scan.otherFiles.push_back(
                    {path, true, "station metadata, " + std::to_string(m.size()) + " entries"});
                scan.metadata.insert(scan.metadata.end(), m.begin(), m.end());
                break;
            }
            case InputKind::EventText:
            case InputKind::QuakeMl: {
                std::string error;
                std::vector<EventInfo> events = readEventMetadata(loaded.bytes, error);
                if (events.empty()) {
                    scan.otherFiles.push_back({path, false, error.empty() ? "no events" : error});
                    continue;
                }
                scan.otherFiles.push_back({path, true, "event description"});
                scan.fileEvents.insert(scan.fileEvents.end(), events.begin(), events.end());
                break;
            }
            default:
                scan.otherFiles.push_back(
                    {path, false, "not SAC, miniSEED, station or event metadata"});
            }
        }
        makePlan(request, scan);
        report(progress, 0.4, "read " + std::to_string(files.size()) + " files");
    } catch (const Cancelled&) {
        r.cancelled = true;
        r.error = "cancelled";
    } catch (const std::exception& e) {
        r.error = std::string("reading failed: ") + e.what();
    }
    return scan;
}

ImportReport writeImport(const ImportRequest& request, ImportScan scan,
                         const ImportProgress& progress, const std::atomic<bool>* cancel) {
    ImportReport& r = scan.report;
    if (r.cancelled) return r;
    try {
        Plan plan = makePlan(request, scan);
        if (!(request.sampleRate >= 0.1 && request.sampleRate <= 1000))
            r.error = "the sample rate must lie between 0.1 and 1000 per second";
        else if (!(request.timeLimit >= 60 && request.timeLimit <= 32000))
            r.error = "the time limit must lie between 60 and 32000 seconds";
        if (!r.error.empty()) return r;
        const EventInfo& e = r.event;
        const double origin = *e.originTime;
        if (!e.depthKm) r.warnings.push_back("the depth is not known: 0 km is used (give --depth)");
        if (!e.magnitude)
            r.warnings.push_back("the magnitude is not known: 0 is used (give --magnitude)");

        // The event record, named by date and hour.
        const CalendarTime oc = calendarFromEpoch(std::round(origin * 10) / 10);
        EventRecord record = newEventRecord();
        r.eventName = request.name;
        if (r.eventName.empty()) r.eventName = e.place;
        if (r.eventName.empty())
            r.eventName = "Earthquake of " + std::to_string(oc.day) + " "
                          + monthAbbreviations[static_cast<std::size_t>(oc.month)] + " "
                          + std::to_string(oc.year);
        record.name = latin1(r.eventName).substr(0, kEventNameMax);
        r.eventName = record.name;
        record.latitude = static_cast<float>(*e.latitude);
        record.longitude = static_cast<float>(*e.longitude);
        record.depth = static_cast<float>(e.depthKm.value_or(0));
        record.magnitude = static_cast<float>(e.magnitude.value_or(0));
        record.year = oc.year;
        record.month = oc.month;
        record.day = oc.day;
        record.hour = oc.hour;
        record.minute = oc.minute;
        record.second = static_cast<float>(std::floor(oc.second * 10 + 0.5) / 10);
        record.timeAcceleration = 20;
        record.timeWindow = 1800;
        record.timeLimit = static_cast<int32_t>(std::lround(request.timeLimit));
        // The globe shows the half of the Earth centred on a multiple of 45
        // degrees of longitude: the one nearest the epicentre.
        record.viewAngle = static_cast<int32_t>(
            (static_cast<long>(std::lround(*e.longitude / 45.0)) * 45 % 360 + 360) % 360);
        refreshEventTexts(record);
        const std::string stem = record.fileName.substr(0, record.fileName.find('.'));

        const std::string installation = request.installation.empty() ? "." : request.installation;
        std::error_code ec;
        if (!fs::is_directory(installation, ec)) {
            r.error = "the installation folder " + installation + " does not exist";
            return r;
        }
        const std::string oldEvent = resolvePath(joinPath(installation, record.fileName));
        const std::string oldFolder = resolvePath(joinPath(installation, stem));
        const bool eventExists = fs::exists(oldEvent, ec);
        const bool folderExists = fs::exists(oldFolder, ec);
        if ((eventExists || folderExists) && !request.replace) {
            r.error = (eventExists ? record.fileName : stem + "/") + " already exists in "
                      + installation + ": give --replace to replace it";
            return r;
        }

        Staging staging(installation);
        if (!staging.create()) {
            r.error = "cannot write in the installation folder " + installation;
            return r;
        }
        const std::string stagedFolder = joinPath(staging.path(), stem);
        if (!fs::create_directory(stagedFolder, ec)) {
            r.error = "cannot write in the installation folder " + installation;
            return r;
        }

        // Seismograms.
        const double reference = std::floor((origin - kImportLeadSeconds) * 1000.0) / 1000.0;
        // Stations are processed and written on every processor; this thread
        // reports progress and passes a cancel on.
        std::vector<std::size_t> todo;
        for (std::size_t i = 0; i < r.stations.size(); ++i)
            if (r.stations[i].skipped.empty()) todo.push_back(i);
        std::vector<std::string> failures(r.stations.size());
        std::vector<std::vector<std::pair<std::size_t, std::string>>> dropped(r.stations.size());
        std::atomic<std::size_t> nextTask{0}, finished{0};
        std::atomic<bool> stop{false};
        std::mutex mutex;
        std::condition_variable changed;
        auto work = [&] {
            for (std::size_t t; !stop.load() && (t = nextTask++) < todo.size();) {
                ImportStation& st = r.stations[todo[t]];
                try {
                    const std::vector<Output> outputs = processStation(
                        plan, plan.stationChannels[todo[t]], origin, request.timeLimit,
                        request.sampleRate, st.notes, dropped[todo[t]]);
                    st.components.clear();
                    for (const Output& o : outputs) {
                        const std::string name = upper(st.station) + "." + upper(st.band)
                                                 + o.component;
                        const std::vector<float> samples(o.trace.samples.begin(),
                                                         o.trace.samples.end());
                        const SacHeader h = outputHeader(st, e, o.component, o.trace, reference,
                                                         r.eventName);
                        if (!writeBytes(joinPath(stagedFolder, name), encodeSac(h, samples))) {
                            failures[todo[t]] = "cannot write " + name
                                                + " in the installation folder";
                            stop = true;
                            break;
                        }
                        st.components += o.component;
                    }
                } catch (const std::exception& ex) {
                    failures[todo[t]] = std::string("processing ") + st.station
                                        + " failed: " + ex.what();
                    stop = true;
                }
                ++finished;
                std::lock_guard<std::mutex> lock(mutex);
                changed.notify_all();
            }
        };
        const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
        std::vector<std::thread> pool;
        for (unsigned n = 0; n < threads && n < todo.size(); ++n) pool.emplace_back(work);
        bool cancelled = false;
        while (true) {
            const std::size_t count = finished.load();
            report(progress,
                   0.4 + 0.5 * double(count) / double(std::max<std::size_t>(todo.size(), 1)),
                   "processing " + std::to_string(count) + " of " + std::to_string(todo.size())
                       + " stations");
            if (count >= todo.size() || stop.load()) break;
            if (cancel && cancel->load()) {
                cancelled = true;
                stop = true;
                break;
            }
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait_for(lock, std::chrono::milliseconds(50));
        }
        for (std::thread& t : pool) t.join();
        if (cancelled) throw Cancelled{};
        for (const std::string& f : failures)
            if (!f.empty()) {
                r.error = f;
                return r;
            }
        for (const auto& list : dropped)
            for (const auto& [channel, why] : list) plan.channels[channel].status = why;
        std::vector<const ImportStation*> written;
        for (std::size_t i : todo) {
            ImportStation& st = r.stations[i];
            if (st.components.empty()) {
                st.skipped = "no component could be used";
                st.selected = false;
            } else {
                written.push_back(&st);
            }
        }
        for (std::size_t i : todo)
            if (r.stations[i].components.empty())
                for (std::size_t c : plan.stationChannels[i])
                    if (plan.channels[c].status.empty())
                        plan.channels[c].status = "no component of the station could be used";
        fillFileLines(scan, plan);
        if (written.empty()) {
            r.error = "no station gave a seismogram";
            return r;
        }
        // The first selection again, among the stations that gave a vertical.
        std::vector<std::pair<double, std::size_t>> verticals;
        for (std::size_t i = 0; i < r.stations.size(); ++i) {
            r.stations[i].selected = false;
            if (r.stations[i].skipped.empty()
                && r.stations[i].components.find('Z') != std::string::npos)
                verticals.emplace_back(r.stations[i].distance, i);
        }
        std::vector<std::size_t> selected = spreadOverDistance(verticals, kImportSelectedMax);
        std::sort(selected.begin(), selected.end(), [&](std::size_t a, std::size_t b) {
            return r.stations[a].distance < r.stations[b].distance;
        });
        for (std::size_t i : selected) {
            ImportStation& st = r.stations[i];
            st.selected = true;
            ComponentRecord c;
            c.stationName = st.station;
            c.component = 'Z';
            c.latitude = static_cast<float>(st.latitude);
            c.longitude = static_cast<float>(st.longitude);
            c.fileName = upper(st.station) + "." + upper(st.band) + "Z";
            record.stationFiles.push_back(std::move(c));
        }
        check(cancel);
        report(progress, 0.92, "writing the event");
        if (!writeEventFile(record, {}, true, staging.path())) {
            r.error = "cannot write " + record.fileName;
            return r;
        }
        if (!writeBytes(joinPath(stagedFolder, "EVT.INF"),
                        infoText(r, written, request.dataCentre,
                                 static_cast<double>(std::time(nullptr)), request.sampleRate))) {
            r.error = "cannot write EVT.INF";
            return r;
        }

        // The station list: existing lines untouched, missing stations added.
        const std::string listPath = resolvePath(joinPath(installation, "ZURIVI.STA"));
        std::string list;
        const bool listExists = fs::exists(listPath, ec);
        if (listExists && !readWholeFile(listPath, list)) {
            r.error = "cannot read " + listPath;
            return r;
        }
        std::set<std::string> listed;
        {
            std::size_t pos = 0;
            while (pos < list.size()) {
                std::size_t end = list.find('\n', pos);
                if (end == std::string::npos) end = list.size();
                std::string line = list.substr(pos, end - pos);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                const StationRecord s = parseStationLine(line);
                if (!s.stationName.empty()) listed.insert(s.stationName);
                pos = end + 1;
            }
        }
        const std::string eol = list.find("\r\n") != std::string::npos || list.empty() ? "\r\n"
                                                                                       : "\n";
        std::string added;
        for (const ImportStation* s : written)
            if (!listed.count(upper(s->station)) && !listed.count(s->station)) {
                added += stationListLine(*s) + eol;
                listed.insert(s->station);
            }
        const std::string stagedList = joinPath(staging.path(), "ZURIVI.STA");
        if (!added.empty()) {
            if (!list.empty() && list.back() != '\n') list += eol;
            if (!writeBytes(stagedList, list + added)) {
                r.error = "cannot write the station list";
                return r;
            }
        }

        // Into place. From here on nothing asks to cancel: the moves are
        // quick, and each one is undone if a later one fails.
        report(progress, 0.97, "moving the event into place");
        check(cancel);
        const std::string eventPath = joinPath(installation, record.fileName);
        const std::string folderPath = joinPath(installation, stem);
        bool moved = true;
        if (eventExists)
            moved = moved && staging.move(oldEvent, joinPath(staging.path(), "replaced.evt"));
        if (folderExists)
            moved = moved && staging.move(oldFolder, joinPath(staging.path(), "replaced"));
        moved = moved && staging.move(stagedFolder, folderPath);
        if (!added.empty())
            moved = moved
                    && staging.move(stagedList,
                                    listExists ? listPath : joinPath(installation, "ZURIVI.STA"));
        moved = moved && staging.move(joinPath(staging.path(), record.fileName), eventPath);
        if (!moved) {
            r.error = "cannot move the new event into " + installation;
            return r;   // the staging undoes every move
        }
        staging.commit();
        r.createdEvent = record.fileName;
        report(progress, 1.0, "created " + record.fileName);
    } catch (const Cancelled&) {
        r.cancelled = true;
        r.error = "cancelled";
        r.createdEvent.clear();
    } catch (const std::exception& ex) {
        r.error = std::string("import failed: ") + ex.what();
        r.createdEvent.clear();
    }
    return r;
}

ImportReport runImport(const ImportRequest& request, const ImportProgress& progress,
                       const std::atomic<bool>* cancel) {
    ImportScan scan = scanImport(request, progress, cancel);
    if (!scan.report.error.empty()) return scan.report;
    return writeImport(request, std::move(scan), progress, cancel);
}
