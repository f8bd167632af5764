// Seismogram (SAC) files: the run's read with samples and arrival times, and
// the header-only read the station list makes of every file of a folder.
#include "FuzzSupport.h"
#include "data/RunSetup.h"
#include "data/Seismogram.h"
#include "seismology/TravelTimes.h"

#include <algorithm>
#include <cmath>

namespace {

// Four small tables so that the arrival times are computed from real rows.
const TravelTimeTable* testTables()
{
    static const TravelTimeTable tables[4] = {
        parseTravelTimeTable(testdata::tableText(181, 10), 1), parseTravelTimeTable(testdata::tableText(181, 15), 1),
        parseTravelTimeTable(testdata::tableText(181, 20), 1), parseTravelTimeTable(testdata::tableText(181, 25), 1)};
    return tables;
}

} // namespace

FUZZ_TARGET(fuzzSac)(const uint8_t* data, std::size_t size)
{
    static const std::string path = fuzz::scratchPath("ANMO.BHZ");
    fuzz::writeBytes(path, data, size);

    RunContext run;
    run.originSeconds = secondsSince1901(1990, 1, 1, 0, 0, 0, 0);
    run.eventLatitude = 37.0f;
    run.eventLongitude = -121.9f;
    for (int n = 0; n < 4; ++n)
        run.tables[n] = &testTables()[n];

    KSAC full;
    full.loadSamples = true;
    full.readForRun(path, run);
    const int32_t n = full.npts();
    // Never more samples than the file holds, and the component code cut to 7.
    FUZZ_CHECK(n >= 0 && std::size_t(n) * 4 + kSacHeaderBytes <= std::max(size, kSacHeaderBytes));
    FUZZ_CHECK(full.componentCode.size() <= 7);
    if (n > 0) {
        FUZZ_CHECK(full.samples.size() == static_cast<std::size_t>(n) && full.traceBuffer.size() == full.samples.size() &&
                   full.soundBuffer.size() == full.samples.size());
        for (float v : full.samples)
            FUZZ_CHECK(std::isfinite(v));
        FUZZ_CHECK(full.header.f[DEPMIN] <= full.header.f[DEPMAX] && full.stationName.size() <= 8);
        FUZZ_CHECK(full.label == full.stationName + "-" + full.componentCode);
    } else {
        FUZZ_CHECK(full.samples.empty());
    }

    // Header only, as the station list reads each file of an event folder.
    KSAC head;
    head.loadSamples = false;
    head.readForRun(path, RunContext{});
    FUZZ_CHECK(head.npts() == n && head.samples.empty());
    if (head.npts() != 0) {
        const ComponentRecord c = componentFromSeismogram(head);
        FUZZ_CHECK((c.component == 'Z' || c.component == 'N' || c.component == 'E') && c.stationName.size() <= 8);
        const StationRecord s = stationFromComponent(c);
        FUZZ_CHECK(s.available[0] || s.available[1] || s.available[2]);
    }
    return 0;
}
