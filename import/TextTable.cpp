#include "import/TextTable.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

std::string trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return std::string(s);
}

std::vector<std::string> split(std::string_view line) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = line.find('|', start);
        out.push_back(
            trimmed(line.substr(start, bar == std::string_view::npos ? bar : bar - start)));
        if (bar == std::string_view::npos) return out;
        start = bar + 1;
    }
}

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}   // namespace

bool TextTable::readHeader(std::string_view text) {
    names_.clear();
    rows_.clear();
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    bool header = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string line = trimmed(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        if (!header) {
            if (line[0] != '#') return false;
            for (const std::string& n : split(std::string_view(line).substr(1)))
                names_.push_back(lower(n));
            if (names_.size() < 2) return false;
            header = true;
        } else if (line[0] != '#') {
            rows_.push_back(split(line));
        }
    }
    return header;
}

int TextTable::column(std::string_view name) const {
    const std::string wanted = lower(std::string(name));
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (names_[i] == wanted) return int(i);
    return -1;
}

std::string TextTable::field(const std::vector<std::string>& row, int column) {
    return column >= 0 && std::size_t(column) < row.size() ? row[std::size_t(column)]
                                                           : std::string();
}

std::optional<double> TextTable::number(const std::string& field) {
    if (field.empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(field.c_str(), &end);
    if (end != field.c_str() + field.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}
