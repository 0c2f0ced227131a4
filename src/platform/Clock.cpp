#include "platform/Clock.h"

#include <chrono>
#include <ctime>

#include "common/Dates.h"

namespace vel {

namespace {

std::int64_t toTicks(std::int32_t day, std::int32_t time) {
  return static_cast<std::int64_t>(day) * kHundredthsPerDay + time;
}

Moment fromTicks(std::int64_t ticks) {
  std::int64_t day = ticks / kHundredthsPerDay;
  std::int64_t time = ticks % kHundredthsPerDay;
  if (time < 0) {
    time += kHundredthsPerDay;
    --day;
  }
  return {static_cast<std::int32_t>(day), static_cast<std::int32_t>(time)};
}

}  // namespace

Moment SystemClock::moment() const {
  using namespace std::chrono;
  const auto point = system_clock::now();
  const std::time_t secs = system_clock::to_time_t(point);
  const auto subsec = duration_cast<milliseconds>(point.time_since_epoch()).count() % 1000;
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &secs);
#else
  localtime_r(&secs, &local);
#endif
  Moment m;
  m.day = dateFromYmd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  // tm_sec may read 60 during a leap second; keep the time inside the day.
  const int sec = local.tm_sec > 59 ? 59 : local.tm_sec;
  m.time = timeFromHms(local.tm_hour, local.tm_min, sec, static_cast<int>(subsec / 10));
  return m;
}

std::int32_t SystemClock::today() const { return moment().day; }
std::int32_t SystemClock::now() const { return moment().time; }

FixedClock::FixedClock(std::int32_t day, std::int32_t time) : ticks_(toTicks(day, time)) {}

void FixedClock::set(std::int32_t day, std::int32_t time) { ticks_ = toTicks(day, time); }

void FixedClock::advance(std::int64_t hundredths) { ticks_ += hundredths; }

Moment FixedClock::moment() const { return fromTicks(ticks_.load()); }
std::int32_t FixedClock::today() const { return moment().day; }
std::int32_t FixedClock::now() const { return moment().time; }

}  // namespace vel
