#include "common/Dates.h"

namespace vel {

namespace {

// Days from 1 March of year 0 style civil arithmetic (proleptic Gregorian),
// counted from 1 January 1970; exact for every year the system handles.
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);                 // [0, 399]
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;  // [0, 365]
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;            // [0, 146096]
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Offset between that count and ours: our day 0 is 31 December 1899.
constexpr std::int64_t kDayZero = daysFromCivil(1899, 12, 31);

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

bool inCalendar(std::int32_t day) {
  return day >= dateFromYmd(kFirstYear, 1, 1) && day <= maxDate();
}

}  // namespace

std::int32_t dateFromYmd(int year, int month, int day) {
  if (year < kFirstYear || year > kLastYear || month < 1 || month > 12) return 0;
  if (day < 1 || day > daysInMonth(year, month)) return 0;
  return static_cast<std::int32_t>(
      daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kDayZero);
}

Ymd ymdFromDate(std::int32_t dayNumber) {
  const std::int64_t z = dayNumber + kDayZero + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);                    // [0, 146096]
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                // [0, 365]
  const unsigned mp = (5 * doy + 2) / 153;                                     // [0, 11]
  Ymd r;
  r.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  r.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  r.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (r.month <= 2));
  return r;
}

int weekday(std::int32_t dayNumber) {
  const int w = static_cast<int>(dayNumber % 7);
  return w < 0 ? w + 7 : w;
}

std::int32_t yyyymmddToDate(std::int32_t yyyymmdd) {
  if (yyyymmdd <= 0) return 0;
  return dateFromYmd(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
}

std::int32_t dateToYyyymmdd(std::int32_t dayNumber) {
  if (dayNumber == 0 || !inCalendar(dayNumber)) return 0;
  const Ymd d = ymdFromDate(dayNumber);
  return d.year * 10000 + d.month * 100 + d.day;
}

int ageOn(std::int32_t birth, std::int32_t on) {
  if (birth == 0 || on == 0) return 0;
  const Ymd b = ymdFromDate(birth);
  const Ymd t = ymdFromDate(on);
  int age = t.year - b.year;
  if (t.month < b.month || (t.month == b.month && t.day < b.day)) --age;
  return age;
}

std::int32_t addMonths(std::int32_t day, int months) {
  if (day == 0) return 0;
  const Ymd d = ymdFromDate(day);
  const std::int64_t index = static_cast<std::int64_t>(d.year) * 12 + (d.month - 1) + months;
  const std::int64_t year = index >= 0 ? index / 12 : (index - 11) / 12;
  if (year < kFirstYear || year > kLastYear) return 0;
  const int y = static_cast<int>(year);
  const int m = static_cast<int>(index - year * 12) + 1;
  const int last = daysInMonth(y, m);
  return dateFromYmd(y, m, d.day < last ? d.day : last);
}

std::int32_t lastDayOfMonth(std::int32_t day) {
  if (day == 0) return 0;
  const Ymd d = ymdFromDate(day);
  return day + (daysInMonth(d.year, d.month) - d.day);
}

std::int32_t maxDate() {
  static const std::int32_t kMax = dateFromYmd(kLastYear, 12, 31);
  return kMax;
}

std::int32_t timeFromHms(int h, int m, int s, int hundredths) {
  if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59 || hundredths < 0 || hundredths > 99)
    return -1;
  return ((h * 60 + m) * 60 + s) * 100 + hundredths;
}

void hmsFromTime(std::int32_t t, int& h, int& m, int& s, int& hundredths) {
  hundredths = static_cast<int>(t % 100);
  s = static_cast<int>(t / 100 % 60);
  m = static_cast<int>(t / 6000 % 60);
  h = static_cast<int>(t / 360000);
}

std::string uniqueStamp(std::int32_t dayNumber, std::int32_t timeOfDay) {
  return std::to_string(dayNumber) + std::to_string(timeOfDay);
}

}  // namespace vel
