// Station metadata: FDSN station text and StationXML.
#include "FuzzSupport.h"
#include "import/StationMetadata.h"

#include <cmath>

namespace {

void check(const std::vector<ChannelMetadata>& list, const std::string& error) {
    FUZZ_CHECK(list.empty() == !error.empty());
    for (const ChannelMetadata& m : list)
        FUZZ_CHECK(!m.id.network.empty() && !m.id.station.empty() && std::fabs(m.latitude) <= 90 && std::fabs(m.longitude) <= 180
                   && std::isfinite(m.elevation) && (!m.dip || std::fabs(*m.dip) <= 90) && (!m.azimuth || std::isfinite(*m.azimuth)));
}

}   // namespace

FUZZ_TARGET(fuzzStationMeta)(const uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto list = readStationMetadata(bytes, error);
    check(list, error);
    list = parseStationText(bytes, error);
    check(list, error);
    list = parseStationXml(bytes, error);
    check(list, error);
    return 0;
}
