#include "import/TimeText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

constexpr double kFirst = -62135596800.0;   // 0001-01-01T00:00:00
constexpr double kLast = 253402300799.0;    // 9999-12-31T23:59:59

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leapYear(y) ? 29 : days[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (valid fields).
std::int64_t daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}

bool timeOfDayValid(int hour, int minute, double second) {
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && std::isfinite(second)
           && second >= 0 && second < 61;
}

// Reads exactly n digits at text[pos].
bool digits(std::string_view text, std::size_t pos, std::size_t n, int& value) {
    if (pos + n > text.size()) return false;
    value = 0;
    for (std::size_t i = pos; i < pos + n; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}   // namespace

std::optional<double> epochFromCalendar(int year, int month, int day, int hour, int minute,
                                        double second) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1
        || day > daysInMonth(year, month) || !timeOfDayValid(hour, minute, second))
        return std::nullopt;
    return double(daysFromCivil(year, month, day)) * 86400.0 + hour * 3600.0 + minute * 60.0
           + second;
}

std::optional<double> epochFromDayOfYear(int year, int dayOfYear, int hour, int minute,
                                         double second) {
    if (year < 1 || year > 9999 || dayOfYear < 1 || dayOfYear > (leapYear(year) ? 366 : 365)
        || !timeOfDayValid(hour, minute, second))
        return std::nullopt;
    return double(daysFromCivil(year, 1, 1) + dayOfYear - 1) * 86400.0 + hour * 3600.0
           + minute * 60.0 + second;
}

std::optional<double> parseTimeText(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty()
           && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'
               || text.back() == '\n'))
        text.remove_suffix(1);
    int y, mo, d, h = 0, mi = 0, s = 0;
    if (!digits(text, 0, 4, y) || text.size() < 10 || text[4] != '-' || !digits(text, 5, 2, mo)
        || text[7] != '-' || !digits(text, 8, 2, d))
        return std::nullopt;
    double fraction = 0;
    std::size_t pos = 10;
    if (pos < text.size()) {
        if ((text[pos] != 'T' && text[pos] != ' ') || !digits(text, 11, 2, h) || text.size() < 19
            || text[13] != ':' || !digits(text, 14, 2, mi) || text[16] != ':'
            || !digits(text, 17, 2, s))
            return std::nullopt;
        pos = 19;
        if (pos < text.size() && text[pos] == '.') {
            ++pos;
            double scale = 0.1;
            std::size_t n = 0;
            while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
                if (++n > 9) return std::nullopt;
                fraction += (text[pos] - '0') * scale;
                scale /= 10;
                ++pos;
            }
            if (n == 0) return std::nullopt;
        }
        if (pos < text.size() && text[pos] == 'Z') ++pos;
        if (pos != text.size()) return std::nullopt;
    }
    return epochFromCalendar(y, mo, d, h, mi, s + fraction);
}

CalendarTime calendarFromEpoch(double t) {
    if (!std::isfinite(t)) t = 0;
    t = std::clamp(t, kFirst, kLast + 0.999999);
    const double days = std::floor(t / 86400.0);
    double rest = t - days * 86400.0;   // 0 <= rest < 86400
    if (rest >= 86400.0) rest = std::nextafter(86400.0, 0.0);
    CalendarTime c;
    civilFromDays(std::int64_t(days), c.year, c.month, c.day);
    c.dayOfYear = int(daysFromCivil(c.year, c.month, c.day) - daysFromCivil(c.year, 1, 1)) + 1;
    c.hour = int(rest / 3600);
    c.minute = int((rest - c.hour * 3600) / 60);
    c.second = rest - c.hour * 3600 - c.minute * 60;
    return c;
}

std::string formatTimeText(double t, int fractionDigits) {
    fractionDigits = std::clamp(fractionDigits, 0, 9);
    if (!std::isfinite(t)) t = 0;
    t = std::clamp(t, kFirst, kLast);
    // Whole seconds and the rounded fraction in integers, so rounding carries
    // into the minute instead of printing second 60.
    std::int64_t scale = 1;
    for (int i = 0; i < fractionDigits; ++i) scale *= 10;
    double whole = std::floor(t);
    std::int64_t frac = std::llround((t - whole) * double(scale));
    if (frac >= scale) {
        frac -= scale;
        whole += 1;
    }
    const CalendarTime c = calendarFromEpoch(whole);
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", c.year, c.month, c.day,
                          c.hour, c.minute, int(c.second));
    if (fractionDigits > 0)
        std::snprintf(buf + n, sizeof buf - n, ".%0*lld", fractionDigits, (long long)frac);
    return buf;
}
