// Calendar dates as day numbers and times of day as hundredths of a second.
//
// A day number counts whole days: day 1 is 1 January 1900, so day 0 is
// 31 December 1899, a Sunday, and `weekday(d)` is `d mod 7` with 0 = Sunday.
// Day number 0 also means "no date" throughout the system (a blank date
// field), so the functions that build day numbers never return 0 for a real
// date they accept: the supported calendar runs from 1 January 1801 to
// 31 December 9999, and day numbers before 1900 are negative.
//
// A time of day is a whole number of hundredths of a second since midnight,
// 0 .. 8639999.
#pragma once

#include <cstdint>
#include <string>

namespace vel {

inline constexpr int kFirstYear = 1801;
inline constexpr int kLastYear = 9999;
inline constexpr std::int32_t kHundredthsPerDay = 8640000;

struct Ymd {
  int year = 0, month = 0, day = 0;
  friend bool operator==(const Ymd&, const Ymd&) = default;
};

// Day number of a calendar date; 0 when the date is not a real calendar date
// (31/02, month 13, day 0) or its year lies outside 1801 .. 9999.
std::int32_t dateFromYmd(int year, int month, int day);

// Calendar date of any day number (day 0 gives 31/12/1899; callers that treat
// 0 as "no date" test for it first).
Ymd ymdFromDate(std::int32_t dayNumber);

// 0 = Sunday .. 6 = Saturday, also for negative day numbers.
int weekday(std::int32_t dayNumber);

// The record store keeps calendar DATE fields as yyyymmdd. 0 maps to 0 both
// ways; a yyyymmdd that is not a real date, or a day number outside the
// supported calendar, maps to 0.
std::int32_t yyyymmddToDate(std::int32_t yyyymmdd);
std::int32_t dateToYyyymmdd(std::int32_t dayNumber);

// Age in whole years on `on` of someone born on `birth`: the difference of
// the years, one less while that year's birthday is still to come (an earlier
// month, or the same month and an earlier day). Someone born on 29 February
// therefore turns a year older on 1 March in a year without 29 February
// (28 February is still "before the birthday"). Either date being 0 (no
// date) gives 0. A birth after `on` gives a negative age, as the rule says.
int ageOn(std::int32_t birth, std::int32_t on);

// The same day `months` calendar months later (or earlier when negative);
// a day past the end of the target month becomes that month's last day
// (31 January + 1 month = 28 or 29 February). 0 (no date) stays 0, and a
// result outside the supported calendar gives 0.
std::int32_t addMonths(std::int32_t day, int months);

// The last day of the month that `day` lies in; 0 stays 0.
std::int32_t lastDayOfMonth(std::int32_t day);

// The day number of 31 December 9999, the last date the system handles.
std::int32_t maxDate();

// Time of day from its parts; -1 when a part is out of range
// (hours 0..23, minutes and seconds 0..59, hundredths 0..99).
std::int32_t timeFromHms(int h, int m, int s, int hundredths = 0);

// Splits a time of day into its parts. A value outside one day is split
// without wrapping (8640000 gives 24:00:00.00); a negative value gives
// negative parts.
void hmsFromTime(std::int32_t t, int& h, int& m, int& s, int& hundredths);

// The UNIQUE identifier of an invoice, payment, transaction or audit entry:
// the day number followed directly by the time of day, both plain decimal
// digits without separators or leading zeros (day 46000 at 3600000 gives
// "460003600000"). At most 13 characters for any real date and time.
std::string uniqueStamp(std::int32_t dayNumber, std::int32_t timeOfDay);

}  // namespace vel
