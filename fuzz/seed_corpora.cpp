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

#include <algorithm>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string root;
int seedCount = 0;

void seed(const std::string& target, const std::string& name, const std::string& bytes)
{
    testdata::writeFile(root + "/" + target + "/seed-" + name, bytes);
    ++seedCount;
}

// The first `lines` lines of a table, after the byte that chooses the focal depth.
std::string tableSeed(char depthByte, const std::string& text, int lines)
{
    std::size_t end = 0;
    for (int n = 0; n < lines && end != std::string::npos; ++n)
        end = text.find('\n', end + 1);
    return depthByte + (end == std::string::npos ? text : text.substr(0, end + 1));
}

std::vector<fs::path> sortedEntries(const fs::path& dir)
{
    std::error_code ec;
    std::vector<fs::path> entries;
    for (const auto& e : fs::directory_iterator(dir, ec))
        entries.push_back(e.path());
    std::sort(entries.begin(), entries.end());
    return entries;
}

void fromInstallation(const fs::path& dir)
{
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
            seed(is("OV.INI") ? "fuzz_settings" : is(".INF") ? "fuzz_info_text" : is(".TXT") ? "fuzz_tutorial" : "fuzz_picture",
                 name, bytes.substr(0, 16384));
        } else if (is(".JB")) {
            seed("fuzz_travel_times", name + "-head", tableSeed(0, bytes, 24));
            seed("fuzz_travel_times", name + "-deep", tableSeed(static_cast<char>(200), bytes, 181));
        } else if (upper == "ZURIVI.STA") {
            std::istringstream lines(bytes);
            std::string line;
            for (int n = 0; n < 24 && std::getline(lines, line); ++n)
                seed("fuzz_station_line", "line" + std::to_string(n), line);
        } else if (is(".INX")) {
            // The number of index entries, the entries, and the data of their first steps.
            const std::string data = testdata::readFile(p.parent_path() / (name.substr(0, name.size() - 4) + ".BIN"));
            for (std::size_t steps : {2, 6})
                seed("fuzz_ray_table", name + "-" + std::to_string(steps),
                     static_cast<char>(steps) + bytes.substr(0, 4 * steps) + data.substr(0, 4000 * steps));
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <installation dir> <corpus root>\n", argv[0]);
        return 2;
    }
    root = argv[2];
    if (fs::is_directory(argv[1]))
        fromInstallation(argv[1]);
    else
        std::fprintf(stderr, "no installation at %s: no seeds\n", argv[1]);
    std::printf("%d seeds in %s\n", seedCount, root.c_str());
    return 0;
}
