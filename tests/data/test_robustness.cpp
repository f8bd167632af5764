// Every reader fed junk (random bytes and key lines from fixed seeds, long
// lines, NUL bytes, damaged seismograms) through the fuzz targets: a failed
// check of their results aborts the program.
#include "DataTestSupport.h"

#include <gtest/gtest.h>

#include <random>

#define FUZZ_TARGET(name) int name
#include "fuzz/fuzz_event_file.cpp"
#include "fuzz/fuzz_event_roundtrip.cpp"
#include "fuzz/fuzz_info_text.cpp"
#include "fuzz/fuzz_load_run.cpp"
#include "fuzz/fuzz_ray_table.cpp"
#include "fuzz/fuzz_sac.cpp"
#include "fuzz/fuzz_settings.cpp"
#include "fuzz/fuzz_station_line.cpp"
#include "fuzz/fuzz_travel_times.cpp"
#include "fuzz/fuzz_tutorial.cpp"

TEST(Robustness, EveryReaderSurvivesJunk) {
    std::vector<std::string> inputs = {"",
                                       std::string(10000, 'A'),
                                       "EVENT NAME: " + std::string(10000, 'n'),
                                       "STATION FILE: " + std::string(10000, 's') + "\nEVENT DEPTH: 1e38\n",
                                       std::string("EVENT DATE: 1990\0/01/01\nTITLE BAR: Y\0ES\n", 40),
                                       std::string(5000, '\0'),
                                       "<PRE>\n" + std::string(3000, '<') + "\n</PRE",
                                       std::string(10000, '9') + " 1 A\n5 6 B.INF"};
    std::mt19937 random(20240601u);
    const char* keys[] = {"EVENT LATITUDE: ", "EVENT DATE: ",    "ORIGIN TIME: ", "TIME WINDOW: ", "STATION FILE: ", "PHASE: ",
                          "TIMEOUT: ",        "BUTTON HEIGHT: ", "AUDIO: ",       "EXIT LABEL: ",  "EVENT NAME: "};
    const char alphabet[] = "0123456789.-+e:/ \tYESNOabc\xff";
    for (int n = 0; n < 80; ++n) {
        std::string s;
        for (std::size_t c = (n % 2 == 0) ? random() % 4000 : 0; c > 0; --c)   // random bytes
            s += static_cast<char>(random());
        for (int line = 0; line < (n % 2) * 30; ++line) {   // lines of the keys the readers know, random values
            s += keys[random() % std::size(keys)];
            for (std::size_t c = random() % 120; c > 0; --c) s += alphabet[random() % (sizeof alphabet - 1)];
            s += (random() % 4 == 0) ? "" : (random() % 2) ? "\n" : "\r\n";
        }
        inputs.push_back(s);
    }
    for (const auto harness : {fuzzEventFile, fuzzEventRoundTrip, fuzzInfoText, fuzzLoadRun, fuzzRayTable, fuzzSac, fuzzSettings,
                               fuzzStationLine, fuzzTravelTimes, fuzzTutorial})
        for (const std::string& input : inputs) harness(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    // Seismograms with random bytes flipped, sometimes in NPTS itself, and cut at random.
    const std::string valid = fuzz::stationSac("RAND", "BHZ", 1, 2, 64);
    for (int n = 0; n < 300; ++n) {
        std::string file = valid;
        for (int f = 1 + static_cast<int>(random() % 8); f > 0; --f)
            file[random() % 3 == 0 ? 316 + random() % 4 : random() % file.size()] = static_cast<char>(random());
        if (random() % 3 == 0) file.resize(random() % file.size());
        fuzzSac(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    }
}
