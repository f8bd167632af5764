#include "import/TraceProcessing.h"

#include "import/TimeText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <tuple>

namespace {

constexpr double kPi = std::numbers::pi;
// Most samples a merged trace may hold: a window of a few hours at a few
// hundred samples per second fits many times; a damaged rate does not.
constexpr double kMergedSamplesMax = 2e7;

std::string secondsText(double seconds) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f s", seconds);
    return buffer;
}

std::string channelText(const ChannelId& id) {
    return id.network + "." + id.station + "." + id.location + "." + id.channel;
}

bool sameRate(double a, double b) { return std::fabs(a - b) <= 1e-4 * std::max(a, b); }

// The windowed-sinc kernel: cut-off `fc` in Hz, Blackman window reaching zero
// at +-halfWidth seconds.
double kernel(double tau, double fc, double halfWidth) {
    const double x = tau / halfWidth;
    if (x <= -1.0 || x >= 1.0) return 0.0;
    const double window = 0.42 + 0.5 * std::cos(kPi * x) + 0.08 * std::cos(2 * kPi * x);
    const double a = 2 * fc * tau;
    const double sinc = std::fabs(a) < 1e-12 ? 1.0 : std::sin(kPi * a) / (kPi * a);
    return sinc * window;
}

}   // namespace

MergedTrace mergeSegments(const std::vector<const TraceSegment*>& segments, double from, double to,
                          std::vector<std::string>& notes) {
    MergedTrace out;
    std::vector<const TraceSegment*> usable;
    for (const TraceSegment* s : segments)
        if (s && !s->samples.empty() && std::isfinite(s->sampleRate) && s->sampleRate > 0
            && std::isfinite(s->startTime))
            usable.push_back(s);
    if (usable.empty() || !(to >= from)) return out;
    out.id = usable.front()->id;

    // The rate that carries the most samples.
    std::vector<std::pair<double, std::size_t>> rates;
    for (const TraceSegment* s : usable) {
        auto it = std::find_if(rates.begin(), rates.end(),
                               [&](const auto& r) { return sameRate(r.first, s->sampleRate); });
        if (it == rates.end())
            rates.emplace_back(s->sampleRate, s->samples.size());
        else
            it->second += s->samples.size();
    }
    const double rate =
        std::max_element(rates.begin(), rates.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        })->first;
    out.sampleRate = rate;
    if ((to - from) * rate > kMergedSamplesMax) {
        notes.push_back(channelText(out.id) + ": " + std::to_string(rate)
                        + " samples per second over the window is more than can be held");
        return out;
    }
    std::stable_sort(
        usable.begin(), usable.end(),
        [](const TraceSegment* a, const TraceSegment* b) { return a->startTime < b->startTime; });

    struct Fill {
        std::size_t begin, end;
    };
    std::vector<Fill> fills;
    // A badly fragmented channel would give thousands of lines: the first few
    // are told one by one, the rest counted.
    constexpr int kNotesEach = 3;
    int filledGaps = 0, overlaps = 0;
    double filledSeconds = 0, overlapSeconds = 0;
    double sum = 0;
    std::size_t recorded = 0;
    for (const TraceSegment* s : usable) {
        if (!sameRate(s->sampleRate, rate)) {
            notes.push_back(channelText(s->id) + ": a segment at " + formatTimeText(s->startTime, 3)
                            + " has another sample rate and is left out");
            continue;
        }
        // Samples of this segment inside the window.
        const double n = static_cast<double>(s->samples.size());
        const double first = std::max(0.0, std::ceil((from - s->startTime) * rate - 1e-6));
        const double last = std::min(n - 1, std::floor((to - s->startTime) * rate + 1e-6));
        if (!(first <= last)) continue;
        std::size_t i = static_cast<std::size_t>(first);
        const std::size_t end = static_cast<std::size_t>(last) + 1;
        const double t = s->startTime + first / rate;
        if (out.samples.empty()) {
            out.startTime = t;
        } else {
            const double place = std::llround((t - out.startTime) * rate);
            const double have = static_cast<double>(out.samples.size());
            if (place > have) {
                const std::size_t missing = static_cast<std::size_t>(place - have);
                const double seconds = static_cast<double>(missing) / rate;
                const double before = out.samples.back(), after = s->samples[i];
                const std::size_t begin = out.samples.size();
                if (seconds <= kInterpolatedGapMax) {
                    for (std::size_t k = 1; k <= missing; ++k)
                        out.samples.push_back(before
                                              + (after - before) * static_cast<double>(k)
                                                    / static_cast<double>(missing + 1));
                } else {
                    out.samples.resize(begin + missing, 0.0);
                    fills.push_back({begin, begin + missing});
                    filledSeconds += seconds;
                    if (++filledGaps <= kNotesEach)
                        notes.push_back(channelText(out.id) + ": gap of " + secondsText(seconds)
                                        + " at "
                                        + formatTimeText(out.startTime + double(begin) / rate, 3)
                                        + " filled with the trace mean");
                }
            } else if (place < have) {
                const std::size_t overlap = static_cast<std::size_t>(have - place);
                overlapSeconds += double(overlap) / rate;
                if (++overlaps <= kNotesEach)
                    notes.push_back(channelText(out.id) + ": overlap of "
                                    + secondsText(double(overlap) / rate) + " at "
                                    + formatTimeText(t, 3) + ", the earlier data kept");
                i += overlap;
            }
        }
        for (; i < end; ++i) {
            out.samples.push_back(s->samples[i]);
            sum += s->samples[i];
            ++recorded;
        }
    }
    if (filledGaps > kNotesEach)
        notes.push_back(channelText(out.id) + ": " + std::to_string(filledGaps)
                        + " gaps filled with the trace mean in all, " + secondsText(filledSeconds));
    if (overlaps > kNotesEach)
        notes.push_back(channelText(out.id) + ": " + std::to_string(overlaps) + " overlaps in all, "
                        + secondsText(overlapSeconds) + ", the earlier data kept");
    const double mean = recorded ? sum / static_cast<double>(recorded) : 0.0;
    for (const Fill& f : fills)
        std::fill(out.samples.begin() + static_cast<std::ptrdiff_t>(f.begin),
                  out.samples.begin() + static_cast<std::ptrdiff_t>(f.end), mean);
    return out;
}

void removeMean(std::vector<double>& samples) {
    if (samples.empty()) return;
    double sum = 0;
    for (double v : samples) sum += v;
    const double mean = sum / static_cast<double>(samples.size());
    for (double& v : samples) v -= mean;
}

bool parsePreference(const std::string& text, ChannelPreference& out) {
    out = {};
    auto valid = [](const std::string& s, std::size_t max) {
        return s.size() <= max && std::all_of(s.begin(), s.end(), [](char c) {
                   return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')
                          || (c >= '0' && c <= '9');
               });
    };
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const std::size_t dot = upper.find('.');
    std::string location, band;
    if (dot == std::string::npos) {
        band = upper;
    } else {
        location = upper.substr(0, dot);
        band = upper.substr(dot + 1);
        if (location == "--") location.clear();
        if (!valid(location, 2)) return false;
        out.location = location;
    }
    if (!valid(band, 2) || (band.empty() && dot == std::string::npos)) return false;
    if (!band.empty()) out.band = band;
    return true;
}

int chooseChannelGroup(const std::vector<ChannelGroupKey>& groups, double targetRate,
                       const ChannelPreference& prefer) {
    auto rank = [&](const ChannelGroupKey& g) {
        const bool matches = (!prefer.location || *prefer.location == g.location)
                             && (!prefer.band || *prefer.band == g.band);
        const bool preferred = (prefer.location || prefer.band) && matches;
        int kind = 2;
        if (g.band == "BH" && g.sampleRate >= 20 && g.sampleRate <= 40)
            kind = 0;
        else if (g.band == "HH")
            kind = 1;
        const bool below = g.sampleRate < targetRate;
        const double closeness = std::fabs(std::log(std::max(g.sampleRate, 1e-9) / targetRate));
        return std::make_tuple(!preferred, !g.hasVertical, kind, below, closeness, -g.components,
                               g.location.empty() ? std::string() : "~" + g.location, g.band);
    };
    int best = -1;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (!(groups[i].sampleRate > 0)) continue;
        if (best < 0 || rank(groups[i]) < rank(groups[static_cast<std::size_t>(best)]))
            best = static_cast<int>(i);
    }
    return best;
}

MergedTrace resampleToGrid(const MergedTrace& in, double gridStart, double outRate) {
    MergedTrace out;
    out.id = in.id;
    out.sampleRate = outRate;
    const double fs = in.sampleRate;
    if (in.samples.empty() || !(fs > 0) || !(outRate > 0) || fs > 1000 * outRate) return out;
    const double n = static_cast<double>(in.samples.size());
    // Grid points inside the recorded span.
    const double offset = in.startTime - gridStart;
    const double kFirst = std::ceil(offset * outRate - 1e-6);
    const double kLast = std::floor((offset + (n - 1) / fs) * outRate + 1e-6);
    if (!(kFirst <= kLast) || kLast - kFirst > kMergedSamplesMax) return out;
    const std::size_t count = static_cast<std::size_t>(kLast - kFirst) + 1;
    out.startTime = gridStart + kFirst / outRate;
    out.samples.resize(count);

    // Same rate, on the grid: nothing to filter.
    const double shift = offset * outRate - std::round(offset * outRate);
    if (std::fabs(fs - outRate) <= 1e-9 * outRate && std::fabs(shift) < 1e-4) {
        const double skip = std::max(0.0, std::round((out.startTime - in.startTime) * fs));
        for (std::size_t k = 0; k < count; ++k)
            out.samples[k] =
                in.samples[std::min(in.samples.size() - 1, static_cast<std::size_t>(skip) + k)];
        return out;
    }

    const double lower = std::min(fs, outRate);
    const double fc = 0.4 * lower;           // 80 % of the lower Nyquist frequency
    const double halfWidth = 12.0 / lower;   // seconds on either side
    const long reach = static_cast<long>(std::ceil(halfWidth * fs));
    const long taps = 2 * reach;   // input offsets -reach+1 .. reach
    // Weights depend only on where the output falls between two input
    // samples; that place is quantised finely and its weights kept.
    constexpr int kPhases = 4096;
    std::map<int, std::vector<double>> cache;
    auto weightsFor = [&](int phase) -> const std::vector<double>& {
        auto it = cache.find(phase);
        if (it != cache.end()) return it->second;
        std::vector<double> w(static_cast<std::size_t>(taps));
        const double frac = static_cast<double>(phase) / kPhases;
        double sum = 0;
        for (long j = -reach + 1; j <= reach; ++j) {
            const double v = kernel((frac - static_cast<double>(j)) / fs, fc, halfWidth);
            w[static_cast<std::size_t>(j + reach - 1)] = v;
            sum += v;
        }
        for (double& v : w) v /= sum;
        return cache.emplace(phase, std::move(w)).first->second;
    };
    const long size = static_cast<long>(in.samples.size());
    const double* x = in.samples.data();
    for (std::size_t k = 0; k < count; ++k) {
        const double p = (out.startTime - in.startTime + static_cast<double>(k) / outRate) * fs;
        long n0 = static_cast<long>(std::floor(p));
        int phase = static_cast<int>(std::lround((p - static_cast<double>(n0)) * kPhases));
        if (phase >= kPhases) {
            phase -= kPhases;
            ++n0;
        }
        const std::vector<double>& w = weightsFor(phase);
        const long first = n0 - reach + 1;
        double acc = 0;
        if (first >= 0 && first + taps <= size) {
            // Four running sums, so the additions need not wait on each other.
            const double* xs = x + first;
            const double* ws = w.data();
            double a0 = 0, a1 = 0, a2 = 0, a3 = 0;
            long j = 0;
            for (; j + 4 <= taps; j += 4) {
                a0 += ws[j] * xs[j];
                a1 += ws[j + 1] * xs[j + 1];
                a2 += ws[j + 2] * xs[j + 2];
                a3 += ws[j + 3] * xs[j + 3];
            }
            for (; j < taps; ++j) a0 += ws[j] * xs[j];
            acc = (a0 + a1) + (a2 + a3);
        } else {
            // Near the ends: the weights that fall on samples, renormalised.
            double sum = 0;
            for (long j = 0; j < taps; ++j) {
                const long i = first + j;
                if (i >= 0 && i < size) {
                    acc += w[static_cast<std::size_t>(j)] * x[i];
                    sum += w[static_cast<std::size_t>(j)];
                }
            }
            acc = std::fabs(sum) > 1e-6 ? acc / sum : x[std::clamp<long>(n0, 0, size - 1)];
        }
        out.samples[k] = acc;
    }
    return out;
}

bool rotateToNorthEast(const Horizontal& a, const Horizontal& b, MergedTrace& north,
                       MergedTrace& east, std::string& reason) {
    const MergedTrace& ta = *a.trace;
    const MergedTrace& tb = *b.trace;
    const double difference = std::fmod(std::fabs(a.azimuth - b.azimuth), 180.0);
    if (std::fabs(difference - 90.0) > 5.0) {
        char text[96];
        std::snprintf(text, sizeof text, "the horizontal sensors point %.1f degrees apart, not 90",
                      difference);
        reason = text;
        return false;
    }
    if (ta.samples.empty() || tb.samples.empty() || !sameRate(ta.sampleRate, tb.sampleRate)) {
        reason = "the horizontal components share no samples";
        return false;
    }
    const double rate = ta.sampleRate;
    const long shift = std::lround((tb.startTime - ta.startTime)
                                   * rate);   // b's start in a's samples
    const long begin = std::max(0L, shift);
    const long end = std::min(static_cast<long>(ta.samples.size()),
                              shift + static_cast<long>(tb.samples.size()));
    if (begin >= end) {
        reason = "the horizontal components share no samples";
        return false;
    }
    const double ra = a.azimuth * kPi / 180.0, rb = b.azimuth * kPi / 180.0;
    const double ca = std::cos(ra), sa = std::sin(ra), cb = std::cos(rb), sb = std::sin(rb);
    north = {};
    east = {};
    north.id = ta.id;
    east.id = ta.id;
    north.sampleRate = east.sampleRate = rate;
    north.startTime = east.startTime = ta.startTime + static_cast<double>(begin) / rate;
    north.samples.resize(static_cast<std::size_t>(end - begin));
    east.samples.resize(north.samples.size());
    for (long i = begin; i < end; ++i) {
        const double va = ta.samples[static_cast<std::size_t>(i)];
        const double vb = tb.samples[static_cast<std::size_t>(i - shift)];
        north.samples[static_cast<std::size_t>(i - begin)] = va * ca + vb * cb;
        east.samples[static_cast<std::size_t>(i - begin)] = va * sa + vb * sb;
    }
    return true;
}
