// Travel-time tables ("P.JB" ...): any bytes give at most 181 rows, the file
// reader agrees with the text parser, and the lookups the views make on the
// table stay within it.
#include "FuzzSupport.h"
#include "seismology/TravelTimes.h"

#include <cmath>

FUZZ_TARGET(fuzzTravelTimes)(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the focal depth (and so the column); the rest is the file.
    const float depthKm = static_cast<float>(data[0]) * 4.0f - 20.0f;
    const int column = depthColumn(depthKm);
    FUZZ_CHECK(column >= 0 && column <= 13);

    static const std::string dir = fuzz::scratchDir();
    fuzz::writeBytes(fuzz::scratchPath("P.JB"), data + 1, size - 1);
    const TravelTimeTable loaded = loadTravelTimeTable("P", depthKm, dir);

    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const TravelTimeTable parsed = parseTravelTimeTable(text, column);
    FUZZ_CHECK(loaded.count == parsed.count && loaded.times == parsed.times && parsed.count >= 0 && parsed.count <= kTableRows);
    for (int row = parsed.count; row < kTableRows; ++row) FUZZ_CHECK(parsed.times[static_cast<std::size_t>(row)] == 0);

    for (float distance : {-1.0f, 0.0f, 0.5f, 37.3f, 179.9f, 180.0f, 200.0f, NAN}) (void)arrivalTime(parsed, distance);
    for (float time : {-5.0f, 0.0f, 1.0f, 99.5f, 1000.0f, 3600.0f, 1e9f, NAN}) {
        const float d = frontDistance(parsed, time);
        FUZZ_CHECK(std::isnan(d) || (d >= 0.0f && d <= 180.0f));
    }
    return 0;
}
