#include "fileio/TextInput.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace textinput {

namespace {

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Parses an optionally signed decimal integer as "%d" does.
bool parseInteger(std::string_view line, std::size_t& pos, int64_t& value, bool& negative) {
    std::size_t p = pos;
    skipBlanks(line, p);
    negative = false;
    if (p < line.size() && (line[p] == '+' || line[p] == '-')) {
        negative = line[p] == '-';
        ++p;
    }
    const std::size_t digits = p;
    int64_t v = 0;
    bool overflow = false;
    while (p < line.size() && isDigit(line[p])) {
        if (v > (std::numeric_limits<int64_t>::max() - 9) / 10)
            overflow = true;
        else
            v = v * 10 + (line[p] - '0');
        ++p;
    }
    if (p == digits || overflow) return false;
    value = negative ? -v : v;
    pos = p;
    return true;
}

}   // namespace

std::string toUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = upper(c);
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string textMode(std::string_view data) {
    std::string out;
    out.reserve(data.size());
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') continue;
        out.push_back(data[i]);
    }
    return out;
}

PieceReader::PieceReader(std::string_view data, std::size_t maxChars)
    : data_(data), limit_(maxChars > 1 ? maxChars - 1 : 1) {}

bool PieceReader::next(std::string_view& piece) {
    if (pos_ >= data_.size()) return false;
    std::size_t end = pos_;
    const std::size_t stop = pos_ + std::min(limit_, data_.size() - pos_);
    while (end < stop) {
        if (data_[end++] == '\n') break;
    }
    piece = data_.substr(pos_, end - pos_);
    pos_ = end;
    return true;
}

std::string_view chopLineFeed(std::string_view piece) {
    if (!piece.empty() && piece.back() == '\n') piece.remove_suffix(1);
    return piece;
}

void skipBlanks(std::string_view line, std::size_t& pos) {
    while (pos < line.size() && isBlank(line[pos])) ++pos;
}

bool matchKey(std::string_view line, std::string_view key, std::size_t& pos) {
    std::size_t p = 0;
    for (char k : key) {
        if (k == ' ') {
            skipBlanks(line, p);
            continue;
        }
        if (p >= line.size() || line[p] != k) return false;
        ++p;
    }
    pos = p;
    return true;
}

bool readInt(std::string_view line, std::size_t& pos, int32_t& value) {
    std::size_t p = pos;
    int64_t v = 0;
    bool negative = false;
    if (!parseInteger(line, p, v, negative)) return false;
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        return false;
    value = static_cast<int32_t>(v);
    pos = p;
    return true;
}

bool readUnsigned(std::string_view line, std::size_t& pos, uint32_t& value) {
    std::size_t p = pos;
    int64_t v = 0;
    bool negative = false;
    if (!parseInteger(line, p, v, negative)) return false;
    // A negative count or time-out is not a number of seconds.
    if (v < 0 || v > std::numeric_limits<uint32_t>::max()) return false;
    value = static_cast<uint32_t>(v);
    pos = p;
    return true;
}

bool readFloat(std::string_view line, std::size_t& pos, float& value) {
    std::size_t p = pos;
    skipBlanks(line, p);
    bool negative = false;
    if (p < line.size() && (line[p] == '+' || line[p] == '-')) {
        negative = line[p] == '-';
        ++p;
    }
    // Only plain decimal numbers: digits, a point, digits, an exponent.
    if (p >= line.size() || !(isDigit(line[p]) || line[p] == '.')) return false;
    double v = 0;
    const char* first = line.data() + p;
    const char* last = line.data() + line.size();
    auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
    if (ec != std::errc() || !std::isfinite(v)) return false;
    if (negative) v = -v;
    if (std::fabs(v) > std::numeric_limits<float>::max()) return false;
    value = static_cast<float>(v);
    pos = p + static_cast<std::size_t>(ptr - first);
    return true;
}

bool readWord(std::string_view line, std::size_t& pos, std::string& value) {
    std::size_t p = pos;
    skipBlanks(line, p);
    const std::size_t start = p;
    // A NUL byte ends the word as it ends a C string: a value never holds one,
    // so what is written back (where it becomes a blank) reads back the same.
    while (p < line.size() && !isBlank(line[p]) && line[p] != '\0') ++p;
    if (p == start) return false;
    value.assign(line.substr(start, p - start));
    pos = p;
    return true;
}

bool readChar(std::string_view line, std::size_t& pos, char& value) {
    if (pos >= line.size()) return false;
    value = line[pos++];
    return true;
}

bool scanInt(std::string_view line, std::string_view key, int32_t& value) {
    std::size_t pos = 0;
    return matchKey(line, key, pos) && readInt(line, pos, value);
}

bool scanUnsigned(std::string_view line, std::string_view key, uint32_t& value) {
    std::size_t pos = 0;
    return matchKey(line, key, pos) && readUnsigned(line, pos, value);
}

bool scanFloat(std::string_view line, std::string_view key, float& value) {
    std::size_t pos = 0;
    return matchKey(line, key, pos) && readFloat(line, pos, value);
}

bool scanWord(std::string_view line, std::string_view key, std::string& value) {
    std::size_t pos = 0;
    return matchKey(line, key, pos) && readWord(line, pos, value);
}

std::string cut(std::string_view text, std::size_t max) {
    return std::string(text.substr(0, std::min(text.size(), max)));
}

std::string formatFixed(double value, int width, int decimals, char pad) {
    char buffer[512];
    auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                   decimals);
    std::string text = ec == std::errc() ? std::string(buffer, ptr) : std::string("0");
    if (static_cast<int>(text.size()) < width) {
        const std::size_t fill = static_cast<std::size_t>(width) - text.size();
        if (pad == '0' && !text.empty() && text[0] == '-')
            text.insert(1, fill, '0');
        else
            text.insert(0, fill, pad);
    }
    return text;
}

std::string formatGeneral(double value) {
    char buffer[64];
    auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                   std::chars_format::general, 6);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("0");
}

int32_t truncToInt(double value) {
    if (!std::isfinite(value)) return 0;
    double t = std::trunc(value);
    if (t < std::numeric_limits<int32_t>::min() || t > std::numeric_limits<int32_t>::max())
        return 0;
    return static_cast<int32_t>(t);
}

int16_t clampToShort(int64_t value) {
    if (value < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
    if (value > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
    return static_cast<int16_t>(value);
}

}   // namespace textinput
