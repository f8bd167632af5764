// loadRun over a small installation made at start-up (four travel-time
// tables, the station list and one event folder with three seismograms);
// the input is the event file.
#include "FuzzSupport.h"
#include "data/RunSetup.h"
#include "data/Seismogram.h"

namespace {

const char* const kEventFile = "1990010100.evt";

const std::string& installation() {
    static const std::string dir = [] {
        const std::string d = fuzz::scratchDir();
        testdata::writeTables(d);
        testdata::writeFile(d + "/ZURIVI.STA", "ANMO    Albuquerque, New Mexico, USA    34.9459N 106.4572W\n"
                                               "HRV     Harvard, Massachusetts, USA     42.5064N 71.5583W\n");
        testdata::writeFile(d + "/1990010100/ANMO.BHZ", fuzz::stationSac("ANMO", "BHZ", 34.9f, -106.5f, 300));
        testdata::writeFile(d + "/1990010100/ANMO.BHN", fuzz::stationSac("ANMO", "BHN", 34.9f, -106.5f, 200));
        testdata::writeFile(d + "/1990010100/HRV.BHE", fuzz::stationSac("HRV", "BHE", 42.5f, -71.6f, 100));
        return d;
    }();
    return dir;
}

void checkRun(const RunState& run) {
    FUZZ_CHECK(run.seismogramCount >= 0 && static_cast<std::size_t>(run.seismogramCount) == run.seismograms.size());
    FUZZ_CHECK(run.name.size() <= kEventNameMax && run.dateText.size() <= kDateTextMax && run.originTimeText.size() <= kDateTextMax);
    for (const auto& k : run.seismograms) {
        FUZZ_CHECK(k && k->npts() > 0 && k->samples.size() == static_cast<std::size_t>(k->npts()));
        FUZZ_CHECK(k->traceBuffer.size() == k->samples.size() && k->soundBuffer.size() == k->samples.size());
        FUZZ_CHECK(k->description.size() <= 63);
    }
    for (const TravelTimeTable& t : run.tables) FUZZ_CHECK(t.count >= 0 && t.count <= kTableRows);
}

}   // namespace

FUZZ_TARGET(fuzzLoadRun)(const uint8_t* data, std::size_t size) {
    const std::string& dir = installation();
    fuzz::writeBytes(dir + "/" + kEventFile, data, size);

    RunState run;
    run.directory = dir;
    // Bytes with no line of an event file fail to load and leave the run as it was.
    if (!loadRun(run, kEventFile)) {
        FUZZ_CHECK(run.eventPath.empty() && run.seismograms.empty() && !loadRun(run, ""));
        return 0;
    }
    checkRun(run);
    const std::size_t count = run.seismograms.size();

    // Playing the event again reuses the buffers of the first run.
    FUZZ_CHECK(loadRun(run, "") && run.seismograms.size() == count);
    checkRun(run);
    return 0;
}
