// Event files rewritten by the maintenance program (or by the station
// choice on the world map) must read back as the same event: after one
// write, which normalises what the file held, a second write changes nothing.
#include "FuzzSupport.h"
#include "data/EventFile.h"
#include "data/RunSetup.h"

namespace {

void checkSame(const EventRecord& a, const EventRecord& b)
{
    FUZZ_CHECK(a.name == b.name);
    FUZZ_CHECK(a.latitude == b.latitude);
    FUZZ_CHECK(a.longitude == b.longitude);
    FUZZ_CHECK(a.depth == b.depth);
    FUZZ_CHECK(a.magnitude == b.magnitude);
    FUZZ_CHECK(a.dateText == b.dateText);
    FUZZ_CHECK(a.originTimeText == b.originTimeText);
    FUZZ_CHECK(a.timeAcceleration == b.timeAcceleration);
    FUZZ_CHECK(a.timeWindow == b.timeWindow);
    FUZZ_CHECK(a.timeLimit == b.timeLimit);
    FUZZ_CHECK(a.viewAngle == b.viewAngle);
    FUZZ_CHECK(a.year == b.year && a.month == b.month && a.day == b.day);
    FUZZ_CHECK(a.hour == b.hour && a.minute == b.minute && a.second == b.second);
    FUZZ_CHECK(a.stationFiles.size() == b.stationFiles.size());
    for (std::size_t n = 0; n < a.stationFiles.size() && n < b.stationFiles.size(); ++n)
        FUZZ_CHECK(a.stationFiles[n].fileName == b.stationFiles[n].fileName);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static const std::string path = fuzz::scratchPath("1990010100.evt");
    fuzz::writeBytes(path, data, size);
    EventRecord first = readEventFile(path);

    first.fileName = path;
    FUZZ_CHECK(writeEventFile(first, {}, true));
    EventRecord second = readEventFile(path);
    FUZZ_CHECK(writeEventFile(second, {}, true));
    const EventRecord third = readEventFile(path);
    checkSame(second, third);
    return 0;
}
