// Event metadata (FDSN event text and QuakeML) and the time text they hold.
#include "FuzzSupport.h"
#include "import/EventMetadata.h"
#include "import/TimeText.h"

#include <cmath>

namespace {

void check(const std::vector<EventInfo>& list, const std::string& error) {
    FUZZ_CHECK(list.empty() == !error.empty());
    for (const EventInfo& e : list) {
        FUZZ_CHECK(e.originTime || e.latitude || e.magnitude);
        FUZZ_CHECK(!e.latitude == !e.longitude);
        FUZZ_CHECK(!e.latitude || (std::fabs(*e.latitude) <= 90 && std::fabs(*e.longitude) <= 180));
        FUZZ_CHECK(!e.depthKm || (*e.depthKm >= -10 && *e.depthKm <= 1000));
        FUZZ_CHECK(!e.originTime || std::isfinite(*e.originTime));
    }
}

}   // namespace

FUZZ_TARGET(fuzzEventMeta)(const uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    check(readEventMetadata(bytes, error), error);
    check(parseQuakeMl(bytes, error), error);
    // A time that parses prints as text that parses back to it.
    if (const auto t = parseTimeText(bytes.substr(0, 40))) {
        const std::string text = formatTimeText(*t, 6);
        const auto again = parseTimeText(text);
        FUZZ_CHECK(again && std::fabs(*again - *t) <= 1e-6);
    }
    return 0;
}
