// Fills the seed corpora of the fuzz targets with small, valid files cut from
// an installation.
//
//   seed_corpora <installation dir> <corpus root>
//
// Seeds stay a few kilobytes so that the fuzzers stay fast: seismograms are
// cut to 256 samples, tables and ray-path tables to their first rows and
// steps, pictures to the length the picture target reads.
#include "FuzzSupport.h"
#include "fileio/TextInput.h"
#include "import/MiniSeedWriter.h"

#include <algorithm>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string root;
int seedCount = 0;

void seed(const std::string& target, const std::string& name, const std::string& bytes) {
    testdata::writeFile(root + "/" + target + "/seed-" + name, bytes);
    ++seedCount;
}

// The first `lines` lines of a table, after the byte that chooses the focal depth.
std::string tableSeed(char depthByte, const std::string& text, int lines) {
    std::size_t end = 0;
    for (int n = 0; n < lines && end != std::string::npos; ++n) end = text.find('\n', end + 1);
    return depthByte + (end == std::string::npos ? text : text.substr(0, end + 1));
}

// Recordings and metadata as data centres serve them.
void importSeeds() {
    const std::string big = fuzz::stationSac("ANMO", "BHZ", 34.9f, -106.5f, 200);
    std::string little = big;   // numeric words reversed, text kept
    for (std::size_t off = 0; off + 4 <= little.size(); off += 4)
        if (off < 440 || off >= kSacHeaderBytes) std::reverse(little.begin() + long(off), little.begin() + long(off) + 4);
    std::string v7 = big;
    v7.replace(280 + NVHDR * 4, 4, std::string("\0\0\0\x07", 4));
    for (int i = 0; i < 22; ++i) v7 += std::string("\x40\x0a\0\0\0\0\0\0", 8);   // 3.25
    seed("fuzz_import_sac", "big", big);
    seed("fuzz_import_sac", "little", little);
    seed("fuzz_import_sac", "v7", v7);

    TraceSegment seg{{"IU", "ANMO", "00", "BHZ"}, 1299822384.12, 20.0, {}};
    for (int n = 0; n < 600; ++n) seg.samples.push_back(double((n * 37) % 101 - 50) * (n % 7 + 1));
    const std::pair<const char*, MiniSeedEncoding> encodings[] = {{"steim1", MiniSeedEncoding::Steim1},
                                                                  {"steim2", MiniSeedEncoding::Steim2},
                                                                  {"int32", MiniSeedEncoding::Int32},
                                                                  {"float32", MiniSeedEncoding::Float32},
                                                                  {"float64", MiniSeedEncoding::Float64}};
    for (const auto& [name, encoding] : encodings) seed("fuzz_mseed", name, packMiniSeed(seg, encoding, 512));
    TraceSegment other = seg;
    other.id.channel = "BHN";
    other.startTime += 40;
    seed("fuzz_mseed", "two-channels",
         packMiniSeed(seg, MiniSeedEncoding::Steim2, 256) + packMiniSeed(other, MiniSeedEncoding::Steim1, 256));
    // Origin 10 s after the data starts, output at 20 per second, then the file.
    TraceSegment later = other;
    later.startTime += 35;   // a gap after the first run of the second channel
    seed("fuzz_import_processing", "two-channels-gap",
         std::string("\x0a\0\x13\0", 4) + packMiniSeed(seg, MiniSeedEncoding::Steim2, 256)
             + packMiniSeed(other, MiniSeedEncoding::Steim1, 256) + packMiniSeed(later, MiniSeedEncoding::Int32, 256));

    seed(
        "fuzz_station_meta", "channels",
        "#Network|Station|Location|Channel|Latitude|Longitude|Elevation|Depth|Azimuth|Dip|SensorDescription|Scale|ScaleFreq|ScaleUnits|SampleRate|StartTime|EndTime\n"
        "IU|ANMO|00|BH1|34.945981|-106.457133|1671.0|145.0|328.0|0.0|STS-6A|2.05e9|0.02|M/S|40.0|2018-07-09T20:45:00|\n"
        "IU|ANMO|--|BHZ|34.945981|-106.457133|1671.0|145.0|0.0|-90.0|STS-6A|2.05e9|0.02|M/S|40.0|2018-07-09T20:45:00|2599-12-31T23:59:59\n");
    seed("fuzz_station_meta", "stations",
         "#Network|Station|Latitude|Longitude|Elevation|SiteName|StartTime|EndTime\n"
         "II|BFO|48.3319|8.3311|589.0|Black Forest Observatory, Schiltach, Germany|1996-05-29T00:00:00|\n");
    seed("fuzz_station_meta", "xml",
         "<?xml version=\"1.0\"?><FDSNStationXML xmlns=\"http://www.fdsn.org/xml/station/1\">"
         "<Network code=\"IU\"><Station code=\"ANMO\" startDate=\"2002-11-19T21:07:00\">"
         "<Latitude>34.9459</Latitude><Longitude>-106.4572</Longitude><Elevation>1820</Elevation>"
         "<Site><Name>Albuquerque, New Mexico, USA</Name></Site>"
         "<Channel code=\"BH2\" locationCode=\"10\"><Latitude>34.94</Latitude><Longitude>-106.45</Longitude>"
         "<Azimuth>58</Azimuth><Dip>0</Dip></Channel></Station>"
         "<Station code=\"COLA\"><Latitude>64.87</Latitude><Longitude>-147.86</Longitude></Station>"
         "</Network></FDSNStationXML>");
    seed(
        "fuzz_event_meta", "text",
        "#EventID|Time|Latitude|Longitude|Depth/km|Author|Catalog|Contributor|ContributorID|MagType|Magnitude|MagAuthor|EventLocationName\n"
        "3279407|2011-03-11T05:46:23.200|38.2963|142.498|19.7|ISC|ISC|ISC|16461282|MW|9.1|GCMT|NEAR EAST COAST OF HONSHU, JAPAN\n");
    seed("fuzz_event_meta", "quakeml",
         "<?xml version=\"1.0\"?><q:quakeml xmlns:q=\"http://quakeml.org/xmlns/quakeml/1.2\" xmlns=\"http://quakeml.org/xmlns/bed/1.2\">"
         "<eventParameters><event publicID=\"e1\"><preferredOriginID>o2</preferredOriginID>"
         "<description><text>Honshu</text></description>"
         "<origin publicID=\"o1\"><time><value>2011-03-11T05:46:24Z</value></time></origin>"
         "<origin publicID=\"o2\"><time><value>2011-03-11T05:46:23.0Z</value></time>"
         "<latitude><value>38.3</value></latitude><longitude><value>142.4</value></longitude>"
         "<depth><value>19700</value></depth></origin>"
         "<magnitude publicID=\"m1\"><mag><value>9.1</value></mag></magnitude></event>"
         "</eventParameters></q:quakeml>");
}

std::vector<fs::path> sortedEntries(const fs::path& dir) {
    std::error_code ec;
    std::vector<fs::path> entries;
    for (const auto& e : fs::directory_iterator(dir, ec)) entries.push_back(e.path());
    std::sort(entries.begin(), entries.end());
    return entries;
}

void fromInstallation(const fs::path& dir) {
    int sacSeeds = 0;
    for (const fs::path& p : sortedEntries(dir)) {
        const std::string name = p.filename().string(), upper = textinput::toUpper(name);
        const auto is = [&](const std::string& end) { return upper.ends_with(end); };
        const std::string bytes = fs::is_directory(p) ? std::string() : testdata::readFile(p);
        if (fs::is_directory(p)) {
            // An event folder: its first seismogram, cut to 256 samples.
            for (const fs::path& f : sortedEntries(p)) {
                std::string sac = testdata::readFile(f);
                if (sacSeeds < 8 && sac.size() >= kSacHeaderBytes + 256 * 4) {
                    sac.replace(280 + NPTS * 4, 4, std::string("\0\0\x01\0", 4));   // 256, big-endian
                    seed("fuzz_sac", name + "-" + f.filename().string(), sac.substr(0, kSacHeaderBytes + 256 * 4));
                    ++sacSeeds;
                    break;
                }
            }
        } else if (is(".EVT")) {
            seed("fuzz_event_file", name, bytes);
            seed("fuzz_event_roundtrip", name, bytes);
            // loadRun's installation has its own seismograms: list them too.
            seed("fuzz_load_run", name, bytes + "STATION FILE: ANMO.BHZ\r\nSTATION FILE: HRV.BHE\r\n");
        } else if (is("OV.INI") || is(".INF") || is("TUTORIAL.TXT") || is(".BMP") || is("WORLD.SAV")) {
            // Whole files; pictures to the length the picture target reads.
            seed(is("OV.INI") ? "fuzz_settings"
                 : is(".INF") ? "fuzz_info_text"
                 : is(".TXT") ? "fuzz_tutorial"
                              : "fuzz_picture",
                 name, bytes.substr(0, 16384));
        } else if (is(".JB")) {
            seed("fuzz_travel_times", name + "-head", tableSeed(0, bytes, 24));
            seed("fuzz_travel_times", name + "-deep", tableSeed(static_cast<char>(200), bytes, 181));
        } else if (upper == "ZURIVI.STA") {
            std::istringstream lines(bytes);
            std::string line;
            for (int n = 0; n < 24 && std::getline(lines, line); ++n) seed("fuzz_station_line", "line" + std::to_string(n), line);
        } else if (is(".INX")) {
            // The number of index entries, the entries, and the data of their first steps.
            const std::string data = testdata::readFile(p.parent_path() / (name.substr(0, name.size() - 4) + ".BIN"));
            for (std::size_t steps : {2, 6})
                seed("fuzz_ray_table", name + "-" + std::to_string(steps),
                     static_cast<char>(steps) + bytes.substr(0, 4 * steps) + data.substr(0, 4000 * steps));
        }
    }
}

}   // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <installation dir> <corpus root>\n", argv[0]);
        return 2;
    }
    root = argv[2];
    if (fs::is_directory(argv[1]))
        fromInstallation(argv[1]);
    else
        std::fprintf(stderr, "no installation at %s: no seeds from it\n", argv[1]);
    // No installation holds miniSEED or data-centre metadata: those seeds are made here.
    importSeeds();
    std::printf("%d seeds in %s\n", seedCount, root.c_str());
    return 0;
}
