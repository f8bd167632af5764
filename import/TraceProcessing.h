// Processing of recorded traces before they become seismograms of an event:
// merging a channel's segments over gaps and overlaps, choosing one sensor per
// station, removing the mean, turning horizontal pairs to north and east, and
// resampling to the installation's rate through a zero-phase anti-alias
// filter on a time grid fixed by the event's origin. Plain functions on the
// records, no files.
#pragma once

#include "import/Recording.h"

#include <optional>
#include <string>
#include <vector>

// Gaps up to this long are bridged by a straight line; longer ones are filled
// with the trace mean.
constexpr double kInterpolatedGapMax = 10.0;

// One channel on one evenly spaced run of samples.
struct MergedTrace {
    ChannelId id;
    double startTime = 0;
    double sampleRate = 0;
    std::vector<double> samples;
    double endTime() const { return startTime + double(samples.size() - 1) / sampleRate; }
};

// Merges the segments of one channel (all with the id of the first) into one
// trace, keeping only samples within [from, to]. Segments whose rate differs
// from the most common one by more than 0.01 % are left out. Gaps of up to
// kInterpolatedGapMax seconds are interpolated, longer ones filled with the
// mean of the recorded samples; where segments overlap the earlier data is
// kept. Each filled gap, each overlap and each left-out segment adds a line
// to `notes`. Nothing in the window gives a trace without samples.
MergedTrace mergeSegments(const std::vector<const TraceSegment*>& segments, double from, double to,
                          std::vector<std::string>& notes);

// Subtracts the mean of the samples.
void removeMean(std::vector<double>& samples);

// Which location and band of a station to use. The default preference takes
// broadband channels ("BH?") at 20 to 40 samples per second first, then
// high-rate broadband ("HH?"), then other bands by how close their rate is to
// the target rate (a rate at or above the target before one below); among
// equals, the group with more components, then the location "" before "00",
// "10" and the others in order. A group with a vertical component goes before
// one without. `prefer` ("10.HH", "HH",
// "00.") puts groups that match it before all others.
struct ChannelGroupKey {
    std::string location;
    std::string band;   // the channel code without its last letter, e.g. "BH"
    double sampleRate = 0;
    bool hasVertical = false;
    int components = 0;   // how many channels the group has
};
// Parses a preference "LOC.BAND", "BAND" or "LOC." (an empty location is
// written "--" or left empty before the dot); false when it is malformed.
struct ChannelPreference {
    std::optional<std::string> location;
    std::optional<std::string> band;
};
bool parsePreference(const std::string& text, ChannelPreference& out);
// Index of the best group, or -1 when there is none.
int chooseChannelGroup(const std::vector<ChannelGroupKey>& groups, double targetRate,
                       const ChannelPreference& prefer);

// Resamples `in` onto the grid gridStart + k / outRate through a windowed-sinc
// low-pass whose cut-off lies below both Nyquist frequencies. The filter is
// symmetric in time, so it moves no onset: a step appears in the output at its
// true time. Only grid points inside the recorded span are produced; the
// result's startTime is the first of them (no samples when none fall inside).
// With equal rates on the grid the samples are copied. An input rate over
// 1000 times the output rate, or a span of more grid points than a merged
// trace may hold, gives no samples.
MergedTrace resampleToGrid(const MergedTrace& in, double gridStart, double outRate);

// A horizontal sensor and the azimuth it points to (degrees from north).
struct Horizontal {
    const MergedTrace* trace = nullptr;
    double azimuth = 0;
};
// Turns two horizontal traces on the same grid into north and east. The
// azimuths must differ by 90 degrees (within 5); the common span is kept.
// False, with the reason, when they are not perpendicular or share no sample.
bool rotateToNorthEast(const Horizontal& a, const Horizontal& b, MergedTrace& north,
                       MergedTrace& east, std::string& reason);
