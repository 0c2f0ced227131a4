#include <gtest/gtest.h>

#include <array>
#include <ostream>

#include "common/Dates.h"
#include "dictionary/Field.h"
#include "platform/Clock.h"

namespace vel {

static void PrintTo(const Ymd& d, std::ostream* os) {
  *os << d.day << "/" << d.month << "/" << d.year;
}

namespace {

int monthLength(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

TEST(Dates, EveryDayOfTheSupportedCenturiesRoundTrips) {
  const std::int32_t first = dateFromYmd(1801, 1, 1);
  const std::int32_t last = dateFromYmd(2100, 12, 31);
  ASSERT_EQ(first, -36158);
  Ymd expected{1801, 1, 1};
  for (std::int32_t day = first; day <= last; ++day) {
    ASSERT_EQ(ymdFromDate(day), expected) << "day " << day;
    if (day != 0) {  // day 0 (31/12/1899) is the "no date" value
      ASSERT_EQ(dateFromYmd(expected.year, expected.month, expected.day), day);
      ASSERT_EQ(yyyymmddToDate(dateToYyyymmdd(day)), day);
    }
    if (++expected.day > monthLength(expected.year, expected.month)) {
      expected.day = 1;
      if (++expected.month > 12) expected = {expected.year + 1, 1, 1};
    }
  }
  EXPECT_EQ(expected, (Ymd{2101, 1, 1}));
}

TEST(Dates, OriginAndLimits) {
  EXPECT_EQ(dateFromYmd(1900, 1, 1), 1);
  EXPECT_EQ(ymdFromDate(0), (Ymd{1899, 12, 31}));
  EXPECT_EQ(dateFromYmd(2026, 12, 8), 46363);
  EXPECT_EQ(maxDate(), dateFromYmd(9999, 12, 31));
  EXPECT_EQ(maxDate(), 2958464);
  // The record store's range for DATE fields is the same last day.
  EXPECT_EQ(Date::kMax, maxDate());
  EXPECT_EQ(ymdFromDate(maxDate()), (Ymd{9999, 12, 31}));
}

TEST(Dates, RefusesWhatIsNotACalendarDate) {
  struct Case {
    int y, m, d;
    bool real;
  };
  const Case cases[] = {
      {1900, 2, 29, false}, {2000, 2, 29, true},   {2100, 2, 29, false}, {2024, 2, 29, true},
      {2026, 2, 31, false}, {2026, 4, 31, false},  {2026, 13, 1, false}, {2026, 0, 1, false},
      {2026, 1, 0, false},  {1800, 12, 31, false}, {1801, 1, 1, true},   {10000, 1, 1, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(dateFromYmd(c.y, c.m, c.d) != 0, c.real) << c.y << "-" << c.m << "-" << c.d;

  EXPECT_EQ(yyyymmddToDate(0), 0);
  EXPECT_EQ(dateToYyyymmdd(0), 0);
  EXPECT_EQ(yyyymmddToDate(20260231), 0);
  EXPECT_EQ(yyyymmddToDate(20261208), 46363);
  EXPECT_EQ(dateToYyyymmdd(46363), 20261208);
  EXPECT_EQ(dateToYyyymmdd(maxDate() + 1), 0);
}

TEST(Dates, WeekdayCountsFromSundayAlsoBeforeTheOrigin) {
  EXPECT_EQ(weekday(0), 0);                          // 31/12/1899, Sunday
  EXPECT_EQ(weekday(dateFromYmd(1900, 1, 1)), 1);    // Monday
  EXPECT_EQ(weekday(dateFromYmd(2026, 12, 8)), 2);   // Tuesday
  EXPECT_EQ(weekday(dateFromYmd(2000, 1, 1)), 6);    // Saturday
  EXPECT_EQ(weekday(dateFromYmd(1899, 12, 30)), 6);  // day -1, Saturday
  EXPECT_EQ(weekday(dateFromYmd(1801, 1, 1)), 4);    // Thursday
}

TEST(Dates, AgeTurnsOnTheBirthday) {
  struct Case {
    Ymd birth, on;
    int age;
  };
  const Case cases[] = {
      {{1980, 6, 15}, {2026, 6, 14}, 45},  // day before
      {{1980, 6, 15}, {2026, 6, 15}, 46},  // on the birthday
      {{1980, 6, 15}, {2026, 5, 31}, 45},  // earlier month, later day
      {{1980, 6, 15}, {2026, 7, 1}, 46},   // later month, earlier day
      {{2026, 3, 1}, {2026, 3, 1}, 0},
      {{2000, 2, 29}, {2025, 2, 28}, 24},  // 29 February: not yet on the 28th
      {{2000, 2, 29}, {2025, 3, 1}, 25},   // ...a year older on 1 March
      {{2000, 2, 29}, {2028, 2, 29}, 28},
      {{2026, 12, 9}, {2026, 12, 8}, -1},  // birth after the day asked
  };
  for (const Case& c : cases) {
    const std::int32_t birth = dateFromYmd(c.birth.year, c.birth.month, c.birth.day);
    const std::int32_t on = dateFromYmd(c.on.year, c.on.month, c.on.day);
    EXPECT_EQ(ageOn(birth, on), c.age) << c.birth.year << "-" << c.birth.month << " on "
                                       << c.on.year << "-" << c.on.month << "-" << c.on.day;
  }
  EXPECT_EQ(ageOn(0, dateFromYmd(2026, 1, 1)), 0);
}

TEST(Dates, AddMonthsClampsToTheEndOfTheMonth) {
  struct Case {
    Ymd from;
    int months;
    Ymd to;
  };
  const Case cases[] = {
      {{2026, 1, 31}, 1, {2026, 2, 28}},    {{2024, 1, 31}, 1, {2024, 2, 29}},
      {{2026, 3, 31}, -1, {2026, 2, 28}},   {{2026, 8, 31}, 6, {2027, 2, 28}},
      {{2026, 12, 15}, 1, {2027, 1, 15}},   {{2026, 1, 15}, -13, {2024, 12, 15}},
      {{2026, 5, 10}, 0, {2026, 5, 10}},    {{2024, 2, 29}, 12, {2025, 2, 28}},
      {{2026, 10, 31}, 24, {2028, 10, 31}},
  };
  for (const Case& c : cases) {
    const std::int32_t from = dateFromYmd(c.from.year, c.from.month, c.from.day);
    EXPECT_EQ(ymdFromDate(addMonths(from, c.months)), c.to)
        << c.from.year << "-" << c.from.month << "-" << c.from.day << " + " << c.months;
  }
  EXPECT_EQ(addMonths(0, 3), 0);
  EXPECT_EQ(addMonths(maxDate(), 1), 0);
  EXPECT_EQ(ymdFromDate(lastDayOfMonth(dateFromYmd(2024, 2, 3))), (Ymd{2024, 2, 29}));
  EXPECT_EQ(ymdFromDate(lastDayOfMonth(dateFromYmd(2026, 12, 31))), (Ymd{2026, 12, 31}));
}

TEST(Times, PartsAndStamp) {
  EXPECT_EQ(timeFromHms(0, 0, 0), 0);
  EXPECT_EQ(timeFromHms(23, 59, 59, 99), kHundredthsPerDay - 1);
  EXPECT_EQ(timeFromHms(10, 0, 0), 3600000);
  EXPECT_EQ(timeFromHms(24, 0, 0), -1);
  EXPECT_EQ(timeFromHms(10, 60, 0), -1);
  EXPECT_EQ(timeFromHms(10, 0, 0, 100), -1);
  int h, m, s, cs;
  hmsFromTime(timeFromHms(14, 5, 9, 7), h, m, s, cs);
  EXPECT_EQ((std::array{h, m, s, cs}), (std::array{14, 5, 9, 7}));

  EXPECT_EQ(uniqueStamp(46000, 3600000), "460003600000");
  EXPECT_EQ(uniqueStamp(46000, 5), "460005");  // no leading zeros in the time
  EXPECT_LE(uniqueStamp(maxDate(), kHundredthsPerDay - 1).size(), 14u);
}

TEST(FixedClock, AdvanceRollsOverMidnightBothWays) {
  FixedClock clock(46363, timeFromHms(23, 59, 59, 50));
  clock.advance(100);
  EXPECT_EQ(clock.today(), 46364);
  EXPECT_EQ(clock.now(), 50);
  clock.advance(-100);
  EXPECT_EQ(clock.moment().day, 46363);
  EXPECT_EQ(clock.moment().time, timeFromHms(23, 59, 59, 50));
  clock.advance(3LL * kHundredthsPerDay);
  EXPECT_EQ(clock.today(), 46366);
  clock.set(100, 0);
  EXPECT_EQ(clock.today(), 100);
  EXPECT_EQ(clock.now(), 0);
}

TEST(SystemClock, GivesARealDateAndATimeInsideTheDay) {
  SystemClock clock;
  const Moment m = clock.moment();
  EXPECT_NE(dateToYyyymmdd(m.day), 0);
  EXPECT_GE(m.time, 0);
  EXPECT_LT(m.time, kHundredthsPerDay);
}

}  // namespace
}  // namespace vel
