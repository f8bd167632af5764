// Lines of the station list "ZURIVI.STA": name, description and position.
#include "FuzzSupport.h"
#include "data/RunSetup.h"

FUZZ_TARGET(fuzzStationLine)(const uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const StationRecord s = parseStationLine(line);
    FUZZ_CHECK(s.stationName.size() <= 8 && s.description.size() <= 63);
    return 0;
}
