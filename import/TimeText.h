// Calendar times of recordings as seconds since 1970-01-01 00:00:00 UTC, and
// their text form "YYYY-MM-DDTHH:MM:SS.ffffff". Every function accepts only
// the years 1 to 9999 and real dates, so a damaged header gives nullopt
// instead of a time thousands of years away.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// A moment broken down in UTC (no leap seconds, like every data centre's
// epoch time).
struct CalendarTime {
    int year = 1970, month = 1, day = 1, dayOfYear = 1;
    int hour = 0, minute = 0;
    double second = 0;   // 0 <= second < 60
};

// Seconds since 1970 of a calendar date and time of day; nullopt when a field
// is out of range (month 1..12, the day within its month, hour 0..23, minute
// 0..59, second 0 up to but not including 61 so a leap second is kept).
std::optional<double> epochFromCalendar(int year, int month, int day, int hour, int minute,
                                        double second);
// The same from the day of the year (1 = 1 January, up to 365 or 366).
std::optional<double> epochFromDayOfYear(int year, int dayOfYear, int hour, int minute,
                                         double second);

// Reads "YYYY-MM-DDTHH:MM:SS[.f...][Z]", with a blank instead of the T, or a
// bare "YYYY-MM-DD" (midnight). Up to nine fraction digits; surrounding blanks
// are ignored; anything else gives nullopt.
std::optional<double> parseTimeText(std::string_view text);

// The calendar form of an epoch time (times outside the years 1..9999 are
// clamped to them).
CalendarTime calendarFromEpoch(double epochSeconds);

// "YYYY-MM-DDTHH:MM:SS" followed by '.' and fractionDigits digits (0..9, none
// when 0), rounded so that 59.9999999 never prints as second 60.
std::string formatTimeText(double epochSeconds, int fractionDigits = 6);
