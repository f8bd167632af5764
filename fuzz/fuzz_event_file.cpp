// Event files ("*.evt") read from disk: any bytes give a record whose texts
// keep their lengths.
#include "FuzzSupport.h"
#include "data/EventFile.h"

FUZZ_TARGET(fuzzEventFile)(const uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::scratchPath("1990010100.evt");
    fuzz::writeBytes(path, data, size);
    const EventRecord r = readEventFile(path);

    FUZZ_CHECK(r.fileName == path && r.name.size() <= kEventNameMax && !r.dateDisplay.empty());
    FUZZ_CHECK(r.dateText.size() <= kDateTextMax && r.originTimeText.size() <= kDateTextMax);
    for (const ComponentRecord& c : r.stationFiles)
        FUZZ_CHECK(!c.fileName.empty() && c.fileName.size() < size
                   && c.fileName.find_first_of(std::string(" \t\n\r\0", 5)) == std::string::npos);

    // The editor recomputes the derived texts from the numbers read.
    EventRecord copy = r;
    refreshEventTexts(copy);
    FUZZ_CHECK(copy.dateText.size() <= kDateTextMax && copy.originTimeText.size() <= kDateTextMax);
    return 0;
}
