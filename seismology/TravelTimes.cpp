#include "seismology/TravelTimes.h"

#include "fileio/FileSystem.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr std::array<float, kTableRows> makeDistanceAxis() {
    std::array<float, kTableRows> a{};
    for (int i = 0; i < kTableRows; ++i) a[i] = static_cast<float>(i);
    return a;
}

// Width of the distance label before the first column, and of each column.
constexpr std::size_t kLabelWidth = 5;
constexpr std::size_t kColumnWidth = 7;
constexpr int kLastColumn = 13;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads one decimal number the way formatted input does: leading blanks are
// skipped, then an optional sign, digits with an optional point, and an
// optional exponent. Never looks beyond `text`. False when no number starts
// there or the number does not fit a 32-bit float.
bool scanNumber(std::string_view text, float& value) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    std::size_t start = i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        start = ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) ++j;
            i = j;
        }
    }
    double magnitude = 0;
    const auto res = std::from_chars(text.data() + start, text.data() + i, magnitude);
    if (res.ec != std::errc() || res.ptr != text.data() + i) return false;
    const double v = negative ? -magnitude : magnitude;
    if (!std::isfinite(v) || std::fabs(v) > 3.0e38) return false;
    value = static_cast<float>(v);
    return true;
}

}   // namespace

const std::array<float, kTableRows> distanceAxis = makeDistanceAxis();
const std::array<const char*, 4> kTablePhases = {"P", "S", "PP", "SS"};

int depthColumn(float depthKm) {
    const double c = (static_cast<double>(depthKm) - 33.0) * 0.015777847901546228 + 1.0;
    if (!(c >= 0.0)) return 0;   // shallow, negative or not a number
    if (c >= kLastColumn) return kLastColumn;
    return static_cast<int>(c);
}

TravelTimeTable parseTravelTimeTable(const std::string& text, int column) {
    TravelTimeTable table;
    if (column < 0) column = 0;
    if (column > kLastColumn) column = kLastColumn;
    const std::size_t offset = kLabelWidth + kColumnWidth * static_cast<std::size_t>(column);

    const std::string_view all(text);
    std::size_t pos = 0;
    float previous = 0;   // a first row without a number reads 0
    while (pos < all.size() && table.count < kTableRows) {
        std::size_t end = all.find('\n', pos);
        if (end == std::string_view::npos) end = all.size();
        const std::string_view line = all.substr(pos, end - pos);
        pos = end + 1;

        float value = 0;
        if (line.size() > offset && scanNumber(line.substr(offset), value))
            previous = static_cast<float>(std::floor(static_cast<double>(value) + 0.5));
        table.times[static_cast<std::size_t>(table.count)] = previous;
        ++table.count;
    }
    return table;
}

TravelTimeTable loadTravelTimeTable(const std::string& phase, float depthKm,
                                    const std::string& dir) {
    const std::string path = resolvePath(joinPath(dir, phase + ".JB"));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return {};

    // Only the first 181 lines have a place in the table; reading stops there,
    // whatever follows.
    std::string text;
    text.reserve(181 * 106);
    int lines = 0;
    char buffer[4096];
    // A sane table is about 20 kB; a file without line ends stops somewhere.
    constexpr std::size_t kMaxBytes = std::size_t(4) << 20;
    while (lines < kTableRows && text.size() < kMaxBytes) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
        if (n == 0) break;
        std::size_t used = 0;
        while (used < n && lines < kTableRows) {
            const void* nl = std::memchr(buffer + used, '\n', n - used);
            const std::size_t stop =
                nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - buffer) + 1 : n;
            text.append(buffer + used, stop - used);
            if (nl) ++lines;
            used = stop;
        }
    }
    std::fclose(f);
    return parseTravelTimeTable(text, depthColumn(depthKm));
}

float interpolateTable(const float* xs, const float* ys, int n, float x) {
    // Written so that a value that is not a number falls outside as well.
    if (n <= 0 || !xs || !ys || !(x >= xs[0]) || !(x <= xs[n - 1])) return 0;
    if (x == xs[n - 1]) return ys[n - 1];
    int i = 1;
    while (!(xs[i] > x)) ++i;   // stops at n - 1 at the latest, since x < xs[n - 1]
    return ys[i] - (ys[i] - ys[i - 1]) * (xs[i] - x) / (xs[i] - xs[i - 1]);
}

namespace {
int rowsOf(const TravelTimeTable& table) {
    return table.count < 0 ? 0 : (table.count > kTableRows ? kTableRows : table.count);
}
}   // namespace

float arrivalTime(const TravelTimeTable& table, float distance) {
    return interpolateTable(distanceAxis.data(), table.times.data(), rowsOf(table), distance);
}

float frontDistance(const TravelTimeTable& table, float time) {
    return interpolateTable(table.times.data(), distanceAxis.data(), rowsOf(table), time);
}

namespace {

// An entry matches a name when equal; an entry with an asterisk also when its
// characters before the asterisk agree with the name's as far as both go.
bool entryMatches(const std::string& entry, const char* name) {
    if (entry == name) return true;
    const std::size_t star = entry.find('*');
    if (star == std::string::npos) return false;
    for (std::size_t i = 0; i < star && name[i] != '\0'; ++i)
        if (entry[i] != name[i]) return false;
    return true;
}

}   // namespace

bool phaseSelected(const PhaseSelection& selection, const char* phaseName) {
    if (!phaseName) return false;
    if (selection.all) return true;
    if (selection.pOnly) return phaseName[0] == 'P';
    if (selection.sOnly) return phaseName[0] == 'S';
    if (selection.specified) {
        for (const std::string& entry : selection.phases)
            if (entryMatches(entry, phaseName)) return true;
        return false;
    }
    return true;
}
