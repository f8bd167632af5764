// miniSEED files through libmseed as the import reads them: any bytes give
// segments of finite samples or a reason.
#include "FuzzSupport.h"
#include "import/MiniSeedReader.h"

#include <cmath>

FUZZ_TARGET(fuzzMiniSeed)(const uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const FileContents fc = readMiniSeed(bytes, "in.mseed");
    FUZZ_CHECK(fc.error.empty() == !fc.segments.empty());
    std::size_t total = 0;
    for (const TraceSegment& s : fc.segments) {
        FUZZ_CHECK(!s.samples.empty() && s.sampleRate > 0 && std::isfinite(s.sampleRate));
        FUZZ_CHECK(std::isfinite(s.startTime) && !s.id.station.empty());
        for (double v : s.samples) FUZZ_CHECK(std::isfinite(v));
        total += s.samples.size();
    }
    // No encoding packs more than two samples into a byte.
    FUZZ_CHECK(total <= 2 * size);
    return 0;
}
