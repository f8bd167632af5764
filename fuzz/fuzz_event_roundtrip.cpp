// Event files rewritten by the maintenance program (or by the station choice
// on the world map) must read back as the same event: after one write, which
// normalises what the file held, a second write changes nothing.
#include "FuzzSupport.h"
#include "data/EventFile.h"
#include "data/RunSetup.h"
#include "fileio/FileSystem.h"

FUZZ_TARGET(fuzzEventRoundTrip)(const uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::scratchPath("1990010100.evt");
    fuzz::writeBytes(path, data, size);
    EventRecord first = readEventFile(path);
    first.fileName = path;
    std::string written, again;
    FUZZ_CHECK(writeEventFile(first, {}, true) && readWholeFile(path, written));
    EventRecord second = readEventFile(path);
    FUZZ_CHECK(writeEventFile(second, {}, true) && readWholeFile(path, again) && again == written);
    return 0;
}
