// Records shared by the import readers, the processing of traces and the
// writer that turns them into an event of an installation. Times are seconds
// since 1970-01-01 00:00:00 UTC as double (microseconds stay exact for
// centuries), so readers of different formats agree without conversions.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Network, station, location and channel codes as the data centre gives them
// (blanks trimmed; an empty location is "").
struct ChannelId {
    std::string network, station, location, channel;
    bool operator==(const ChannelId&) const = default;
    auto operator<=>(const ChannelId&) const = default;
};

// One contiguous run of evenly spaced samples of one channel. A reader returns
// one segment per record run; gaps and overlaps between segments of the same
// channel are resolved when the segments are merged.
struct TraceSegment {
    ChannelId id;
    double startTime = 0;    // time of the first sample
    double sampleRate = 0;   // samples per second, > 0
    std::vector<double> samples;
};

// Where a channel stands and how its sensor points.
struct ChannelMetadata {
    ChannelId id;
    double latitude = 0, longitude = 0, elevation = 0;
    std::optional<double> azimuth;              // degrees clockwise from north
    std::optional<double> dip;                  // degrees down from horizontal (-90 = up)
    std::string siteName;                       // e.g. "Albuquerque, New Mexico, USA"
    double startTime = -1e18, endTime = 1e18;   // epoch the metadata is valid in
};

// The earthquake, each value only where a source gave it.
struct EventInfo {
    std::optional<double> originTime;
    std::optional<double> latitude, longitude;
    std::optional<double> depthKm;
    std::optional<double> magnitude;
    std::string place;     // region or description, may be empty
    std::string eventId;   // the data centre's id, may be empty
};

// What one input file gave: segments, per-channel metadata found in the file
// itself (SAC headers), event values found in it, or why it was unusable.
struct FileContents {
    std::string path;
    std::vector<TraceSegment> segments;
    std::vector<ChannelMetadata> channels;
    EventInfo event;
    std::string error;                   // non-empty: the file gave nothing usable, and why
    std::vector<std::string> warnings;   // what was left out of a file that gave data
};
