// The processing of imported traces on whatever a damaged miniSEED file
// gives: merging around an origin found in the bytes, resampling to 20
// samples per second and turning horizontal pairs. Any segments give finite
// samples on the grid, bounded in number by the window.
#include "FuzzSupport.h"
#include "import/MiniSeedReader.h"
#include "import/TraceProcessing.h"

#include <cmath>
#include <cstring>
#include <map>

FUZZ_TARGET(fuzzImportProcessing)(const uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    // The first bytes place the origin relative to the data; the rest is the file.
    int16_t shift = 0;
    std::memcpy(&shift, data, 2);
    const double rate = 1 + data[2] % 100;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 4, size - 4);
    const FileContents fc = readMiniSeed(bytes, "in.mseed");
    if (fc.segments.empty()) return 0;
    const double origin = fc.segments.front().startTime + shift;
    const double from = origin - 120, to = origin + 600;
    std::map<ChannelId, std::vector<const TraceSegment*>> channels;
    for (const TraceSegment& s : fc.segments) channels[s.id].push_back(&s);
    std::vector<MergedTrace> outputs;
    std::vector<std::string> notes;
    for (const auto& [id, segments] : channels) {
        MergedTrace merged = mergeSegments(segments, from - 30, to + 30, notes);
        FUZZ_CHECK(merged.samples.size() <= 720 * merged.sampleRate + 60 * merged.sampleRate + 2);
        removeMean(merged.samples);
        MergedTrace out = resampleToGrid(merged, from, rate);
        FUZZ_CHECK(out.samples.size() <= (780 + 2 * (merged.samples.size() > 1 ? 1 : 0)) * rate + 2);
        for (double v : out.samples) FUZZ_CHECK(std::isfinite(v));
        if (!out.samples.empty()) {
            const double k = (out.startTime - from) * rate;
            FUZZ_CHECK(std::fabs(k - std::round(k)) < 1e-3);
        }
        outputs.push_back(std::move(out));
    }
    if (outputs.size() >= 2) {
        MergedTrace north, east;
        std::string reason;
        if (rotateToNorthEast({&outputs[0], 30}, {&outputs[1], 120}, north, east, reason))
            for (std::size_t i = 0; i < north.samples.size(); ++i)
                FUZZ_CHECK(std::isfinite(north.samples[i]) && std::isfinite(east.samples[i]));
    }
    return 0;
}
