// SAC files from data centres, in either byte order and header version, as
// the import reads them.
#include "FuzzSupport.h"
#include "import/InputFile.h"
#include "import/SacReader.h"

#include <cmath>

FUZZ_TARGET(fuzzImportSac)(const uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const FileContents fc = readSac(bytes, "in.sac");
    // Either one segment or a reason, never both.
    FUZZ_CHECK(fc.error.empty() == (fc.segments.size() == 1));
    if (fc.error.empty()) {
        FUZZ_CHECK(detectInputKind(bytes) == InputKind::Sac);
        const TraceSegment& s = fc.segments[0];
        FUZZ_CHECK(!s.samples.empty() && s.samples.size() <= (size - kSacHeaderBytes) / 4);
        FUZZ_CHECK(std::isfinite(s.startTime) && s.sampleRate > 0 && std::isfinite(s.sampleRate));
        FUZZ_CHECK(!s.id.station.empty() && !s.id.channel.empty());
        for (double v : s.samples) FUZZ_CHECK(std::isfinite(v));
    } else {
        FUZZ_CHECK(fc.channels.empty());
    }
    for (const ChannelMetadata& m : fc.channels)
        FUZZ_CHECK(std::fabs(m.latitude) <= 90 && std::fabs(m.longitude) <= 180 && (!m.dip || std::fabs(*m.dip) <= 90)
                   && (!m.azimuth || (*m.azimuth >= 0 && *m.azimuth <= 360)));
    const EventInfo& e = fc.event;
    FUZZ_CHECK(!e.depthKm || (*e.depthKm >= -10 && *e.depthKm <= 1000));
    FUZZ_CHECK(!e.latitude || std::fabs(*e.latitude) <= 90);
    return 0;
}
