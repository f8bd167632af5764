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
const TravelTimeTable* testTables() {
    static TravelTimeTable tables[4];
    for (int p = 0; p < 4 && tables[p].count == 0; ++p) tables[p] = parseTravelTimeTable(testdata::tableText(181, 10 + 5 * p), 1);
    return tables;
}

}   // namespace

FUZZ_TARGET(fuzzSac)(const uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::scratchPath("ANMO.BHZ");
    fuzz::writeBytes(path, data, size);

    const TravelTimeTable* t = testTables();
    const RunContext run{secondsSince1901(1990, 1, 1, 0, 0, 0, 0), 37.0f, -121.9f, {t, t + 1, t + 2, t + 3}};

    KSAC full;
    full.loadSamples = true;
    full.readForRun(path, run);
    const int32_t n = full.npts();
    // Never more samples than the file holds, and the component code cut to 7.
    FUZZ_CHECK(n >= 0 && std::size_t(n) * 4 + kSacHeaderBytes <= std::max(size, kSacHeaderBytes) && full.componentCode.size() <= 7);
    if (n > 0) {
        FUZZ_CHECK(full.samples.size() == static_cast<std::size_t>(n) && full.traceBuffer.size() == full.samples.size()
                   && full.soundBuffer.size() == full.samples.size());
        for (float v : full.samples) FUZZ_CHECK(std::isfinite(v));
        FUZZ_CHECK(full.header.f[DEPMIN] <= full.header.f[DEPMAX] && full.stationName.size() <= 8
                   && full.label == full.stationName + "-" + full.componentCode);
    } else {
        FUZZ_CHECK(full.samples.empty());
    }

    // Header only, as the station list reads each file of an event folder.
    KSAC head;   // loadSamples is false
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
