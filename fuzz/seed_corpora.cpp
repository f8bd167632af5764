// Fills the seed corpora of the fuzz targets: small, valid files cut from an
// installation (its settings, event files, seismograms, tables, ray-path
// tables, texts, station list and pictures), or made here when no
// installation is at hand.
//
//   seed_corpora <installation dir> <corpus root>
//
// Seeds are kept small (a few kilobytes) so that the fuzzers stay fast: the
// seismograms are cut to a few hundred samples, the ray-path tables to their
// first steps and the pictures to a small crop.
#include "fileio/FileSystem.h"
#include "data/Seismogram.h"
#include "FuzzSupport.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int seedCount = 0;

void writeSeed(const fs::path& root, const std::string& target, const std::string& name,
               const std::string& bytes)
{
    const fs::path dir = root / target;
    fs::create_directories(dir);
    std::ofstream out(dir / ("seed-" + name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ++seedCount;
}

bool hasSuffix(const std::string& name, const std::string& suffix)
{
    if (name.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(name[name.size() - suffix.size() + i])) !=
            std::toupper(static_cast<unsigned char>(suffix[i])))
            return false;
    return true;
}

uint32_t le32(const std::string& b, std::size_t at)
{
    if (at + 4 > b.size())
        return 0;
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 |
           uint32_t(uint8_t(b[at + 2])) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}

void putLe16(std::string& b, uint16_t v)
{
    b.push_back(char(v & 0xff));
    b.push_back(char(v >> 8));
}

void putLe32(std::string& b, uint32_t v)
{
    for (int n = 0; n < 4; ++n)
        b.push_back(char((v >> (8 * n)) & 0xff));
}

// A bottom-up BMP with a 40-byte information header.
std::string bmp(int width, int height, int bits, uint32_t compression, const std::string& palette,
                const std::string& pixels)
{
    std::string b = "BM";
    const uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette.size());
    putLe32(b, offset + static_cast<uint32_t>(pixels.size()));
    putLe32(b, 0);
    putLe32(b, offset);
    putLe32(b, 40);
    putLe32(b, static_cast<uint32_t>(width));
    putLe32(b, static_cast<uint32_t>(height));
    putLe16(b, 1);
    putLe16(b, static_cast<uint16_t>(bits));
    putLe32(b, compression);
    putLe32(b, static_cast<uint32_t>(pixels.size()));
    putLe32(b, 2835);
    putLe32(b, 2835);
    putLe32(b, static_cast<uint32_t>(palette.size() / 4));
    putLe32(b, 0);
    return b + palette + pixels;
}

// A crop of an uncompressed 24-bit picture, or nothing for other kinds.
std::string cropBmp24(const std::string& file, int w, int h)
{
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M')
        return {};
    const uint32_t offset = le32(file, 10);
    const int32_t width = static_cast<int32_t>(le32(file, 18));
    const int32_t height = static_cast<int32_t>(le32(file, 22));
    const uint32_t bitsAndPlanes = le32(file, 26);
    if ((bitsAndPlanes >> 16) != 24 || le32(file, 30) != 0 || width < w || height < h)
        return {};
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t outStride = (static_cast<std::size_t>(w) * 3 + 3) / 4 * 4;
    std::string pixels;
    // Rows from the middle of the picture, where there is something to see.
    const std::size_t y0 = static_cast<std::size_t>(height / 2), x0 = static_cast<std::size_t>(width / 2);
    for (int y = 0; y < h; ++y) {
        const std::size_t at = offset + (y0 + static_cast<std::size_t>(y)) * stride + x0 * 3;
        if (at + static_cast<std::size_t>(w) * 3 > file.size())
            return {};
        std::string row = file.substr(at, static_cast<std::size_t>(w) * 3);
        row.resize(outStride, '\0');
        pixels += row;
    }
    return bmp(w, h, 24, 0, "", pixels);
}

void generatedPictures(const fs::path& root)
{
    std::string palette;
    for (int n = 0; n < 16; ++n) {
        palette.push_back(char(n * 16));
        palette.push_back(char(255 - n * 16));
        palette.push_back(char(n * 8));
        palette.push_back('\0');
    }
    std::string pixels8;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            pixels8.push_back(char((x + y) % 16));
    writeSeed(root, "fuzz_picture", "palette8.bmp", bmp(8, 6, 8, 0, palette, pixels8));
    // RLE8: runs, an absolute run, end of line, end of picture.
    std::string rle = {4, 1, 4, 2, 0, 0, 0, 3, 5, 6, 7, 0, 8, 3, 0, 0, 0, 1};
    writeSeed(root, "fuzz_picture", "rle8.bmp", bmp(8, 2, 8, 1, palette, rle));
    std::string pixels1 = {char(0xaa), 0, 0, 0, char(0x55), 0, 0, 0};
    writeSeed(root, "fuzz_picture", "mono.bmp", bmp(8, 2, 1, 0, palette.substr(0, 8), pixels1));
    std::string pixels32;
    for (int n = 0; n < 4 * 4; ++n)
        putLe32(pixels32, 0x00102030u * static_cast<uint32_t>(n));
    writeSeed(root, "fuzz_picture", "rgb32.bmp", bmp(4, 4, 32, 0, "", pixels32));
    std::string pixels24(12 * 3, '\x7f');
    writeSeed(root, "fuzz_picture", "rgb24.bmp", bmp(4, 3, 24, 0, "", pixels24));
}

// A seismogram cut to its first `count` samples (the count in its header
// changed to match), or nothing when the file is no seismogram.
std::string cutSac(const std::string& file, int32_t count)
{
    if (file.size() < kSacHeaderBytes)
        return {};
    const std::size_t nptsAt = 70 * 4 + NPTS * 4;
    const std::size_t available = (file.size() - kSacHeaderBytes) / 4;
    count = std::min<int32_t>(count, static_cast<int32_t>(available));
    std::string out = file.substr(0, kSacHeaderBytes + static_cast<std::size_t>(count) * 4);
    out[nptsAt] = char((count >> 24) & 0xff);
    out[nptsAt + 1] = char((count >> 16) & 0xff);
    out[nptsAt + 2] = char((count >> 8) & 0xff);
    out[nptsAt + 3] = char(count & 0xff);
    return out;
}

std::string tableSeed(unsigned char depthByte, const std::string& text, std::size_t lines)
{
    std::string out(1, static_cast<char>(depthByte));
    std::size_t pos = 0;
    for (std::size_t n = 0; n < lines && pos < text.size(); ++n) {
        std::size_t end = text.find('\n', pos);
        end = end == std::string::npos ? text.size() : end + 1;
        out.append(text, pos, end - pos);
        pos = end;
    }
    return out;
}

std::string syntheticTable()
{
    std::string text;
    for (int row = 0; row < 181; ++row) {
        char line[160];
        int used = std::snprintf(line, sizeof line, "%5d", row);
        for (int column = 0; column < 14; ++column)
            used += std::snprintf(line + used, sizeof line - static_cast<std::size_t>(used), "%7.1f",
                                  row * 11.5 + column * 0.7);
        text += line;
        text += "\n";
    }
    return text;
}

// A ray-path table pair cut to its first `steps` index entries, with the data
// up to where the step after them starts.
std::string raySeed(const std::string& index, const std::string& data, std::size_t steps)
{
    steps = std::min({steps, index.size() / 4, std::size_t(255)});
    std::size_t end = data.size();
    if (steps < index.size() / 4)
        end = std::min<std::size_t>(le32(index, steps * 4), data.size());
    std::string out(1, static_cast<char>(steps));
    out += index.substr(0, steps * 4);
    out += data.substr(0, end);
    return out;
}

std::string rayRecord(const char* phase, int16_t leg, uint16_t time, const std::vector<int16_t>& xy)
{
    std::string r(12, '\0');
    std::copy(phase, phase + std::min<std::size_t>(12, std::char_traits<char>::length(phase)), r.begin());
    putLe16(r, static_cast<uint16_t>(leg));
    putLe16(r, time);
    putLe16(r, static_cast<uint16_t>(xy.size() / 2));
    putLe16(r, 0);
    for (int16_t v : xy)
        putLe16(r, static_cast<uint16_t>(v));
    return r;
}

void fromInstallation(const fs::path& dir, const fs::path& root)
{
    std::error_code ec;
    std::vector<fs::path> entries;
    for (const auto& e : fs::directory_iterator(dir, ec))
        entries.push_back(e.path());
    std::sort(entries.begin(), entries.end());

    int sacSeeds = 0;
    for (const fs::path& p : entries) {
        const std::string name = p.filename().string();
        if (fs::is_directory(p)) {
            // An event folder: a few of its seismograms, cut short.
            std::vector<fs::path> files;
            for (const auto& e : fs::directory_iterator(p, ec))
                files.push_back(e.path());
            std::sort(files.begin(), files.end());
            int taken = 0;
            for (const fs::path& f : files) {
                if (taken >= 2 || sacSeeds >= 12)
                    break;
                const std::string cut = cutSac(readAll(f), taken == 0 ? 256 : 40);
                if (cut.empty())
                    continue;
                writeSeed(root, "fuzz_sac", f.parent_path().filename().string() + "-" +
                                                f.filename().string(), cut);
                ++taken;
                ++sacSeeds;
            }
            continue;
        }
        const std::string bytes = readAll(p);
        if (name == "OV.INI") {
            writeSeed(root, "fuzz_settings", name, bytes);
        } else if (hasSuffix(name, ".evt")) {
            writeSeed(root, "fuzz_event_file", name, bytes);
            writeSeed(root, "fuzz_event_roundtrip", name, bytes);
            // loadRun's installation has its own seismograms: list them too.
            writeSeed(root, "fuzz_load_run", name,
                      bytes + "STATION FILE: ANMO.BHZ\r\nSTATION FILE: HRV.BHE\r\n");
        } else if (hasSuffix(name, ".INF")) {
            writeSeed(root, "fuzz_info_text", name, bytes);
        } else if (name == "tutorial.txt") {
            writeSeed(root, "fuzz_tutorial", name, bytes);
        } else if (hasSuffix(name, ".JB")) {
            writeSeed(root, "fuzz_travel_times", name + "-head", tableSeed(0, bytes, 24));
            writeSeed(root, "fuzz_travel_times", name + "-deep", tableSeed(200, bytes, 24));
            writeSeed(root, "fuzz_travel_times", name + "-all", tableSeed(60, bytes, 181));
        } else if (name == "ZURIVI.STA") {
            std::size_t pos = 0;
            int n = 0;
            while (pos < bytes.size() && n < 24) {
                std::size_t end = bytes.find('\n', pos);
                if (end == std::string::npos) end = bytes.size();
                writeSeed(root, "fuzz_station_line", "line" + std::to_string(n++),
                          bytes.substr(pos, end - pos));
                pos = end + 1;
            }
        } else if (hasSuffix(name, ".INX")) {
            const fs::path data = p.parent_path() / (name.substr(0, name.size() - 4) + ".BIN");
            const std::string bin = readAll(data);
            writeSeed(root, "fuzz_ray_table", name + "-2", raySeed(bytes, bin, 2));
            writeSeed(root, "fuzz_ray_table", name + "-6", raySeed(bytes, bin, 6));
        } else if (hasSuffix(name, ".bmp") || name == "WORLD.SAV") {
            const std::string crop = cropBmp24(bytes, 16, 12);
            if (!crop.empty())
                writeSeed(root, "fuzz_picture", name + "-crop", crop);
            writeSeed(root, "fuzz_picture", name + "-head", bytes.substr(0, 600));
        }
    }
}

void synthetic(const fs::path& root)
{
    writeSeed(root, "fuzz_settings", "OV.INI",
              "WORKING DIRECTORY: \r\nTITLE BAR: NO\r\nMENU BAR: YES\r\nINITIAL TIMEOUT: 60\r\n"
              "TIMEOUT: 30\r\nCAN EXIT: NO\r\nEXIT LABEL: Leave now\r\nTUTORIAL EVENT: 1994060900\r\n"
              "TUTORIAL: YES\r\nAUDIO: EQ\r\nVIEW: 3D\r\nBUTTON HEIGHT: 2.5\r\n"
              "SPECIFIED PHASES ON CROSS-SECTION: YES\r\nPHASE: P*\r\nPHASE: SKS\r\n");
    const std::string evt =
        "EVENT NAME: Synthetic event\r\nEVENT LATITUDE:   -13.8410\r\nEVENT LONGITUDE:  -67.5530\r\n"
        "EVENT DEPTH:      631.3\r\nEVENT MAGNITUDE:    8.2\r\nEVENT DATE: 1994/06/09\r\n"
        "ORIGIN TIME: 00:33:16.2\r\nTIME ACCELERATION: 20\r\nTIME WINDOW: 1800\r\n"
        "TIME LIMIT: 3600\r\nVIEW ANGLE: 292\r\nSTATION FILE: ANMO.BHZ\r\n"
        "STATION FILE: ANMO.BHN\r\nSTATION FILE: HRV.BHE\r\n";
    writeSeed(root, "fuzz_event_file", "event.evt", evt);
    writeSeed(root, "fuzz_event_roundtrip", "event.evt", evt);
    writeSeed(root, "fuzz_load_run", "event.evt", evt);
    writeSeed(root, "fuzz_sac", "ANMO.BHZ", fuzz::stationSac("ANMO", "BHZ", 34.9f, -106.5f, 200));
    writeSeed(root, "fuzz_sac", "HRV.BHZ", fuzz::stationSac("HRV", "BHZ", 42.5f, -71.6f, 16));
    const std::string table = syntheticTable();
    writeSeed(root, "fuzz_travel_times", "head", tableSeed(0, table, 24));
    writeSeed(root, "fuzz_travel_times", "all", tableSeed(200, table, 181));
    std::string bin;
    std::vector<uint32_t> offsets;
    for (uint16_t t = 0; t <= 40; t += 10) {
        offsets.push_back(static_cast<uint32_t>(bin.size()));
        bin += rayRecord("P", 1, t, {0, 0, static_cast<int16_t>(t * 5), 10, 30, 40});
        bin += rayRecord("S", 2, t, {1, 2, 3, 4});
        bin += rayRecord("PKIKP", 1, t, {});
    }
    std::string index;
    for (uint32_t o : offsets)
        putLe32(index, o);
    writeSeed(root, "fuzz_ray_table", "steps", raySeed(index, bin, offsets.size()));
    writeSeed(root, "fuzz_info_text", "SEIS.INF",
              "Seismograms\n\nThe lines are the ground's motion at each station. It moves\n"
              "up and down as the waves pass!\n<PRE>\n  P   S\n</PRE>\n<MORE \"WAVES.INF\">\n");
    writeSeed(root, "fuzz_tutorial", "tutorial.txt", "0 25 TUT0.INF\n20 31 TUT1.INF\n161 25 TUT2.INF\n");
    writeSeed(root, "fuzz_station_line", "anmo", "ANMO    Albuquerque, New Mexico, USA    34.9459N 106.4572W");
    writeSeed(root, "fuzz_station_line", "hrv", "HRV     Harvard, Massachusetts, USA     42.5064S 71.5583E");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <installation dir> <corpus root>\n", argv[0]);
        return 2;
    }
    const fs::path installation = argv[1];
    const fs::path root = argv[2];
    std::error_code ec;
    // The made-up seeds always go in; they cover what an installation may lack.
    synthetic(root);
    generatedPictures(root);
    if (fs::is_directory(installation, ec))
        fromInstallation(installation, root);
    else
        std::fprintf(stderr, "no installation at %s: made-up seeds only\n", argv[1]);
    std::printf("%d seeds in %s\n", seedCount, root.string().c_str());
    return 0;
}
