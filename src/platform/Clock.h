// The clock port: today's day number and the time of day.
//
// Rules never read the operating system's clock themselves; they are handed
// a Clock, so every test runs on a fixed day and time.
#pragma once

#include <atomic>
#include <cstdint>

namespace vel {

// A day number and a time of day read together.
struct Moment {
  std::int32_t day = 0;   // day number (common/Dates.h)
  std::int32_t time = 0;  // hundredths of a second since midnight
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Today's day number.
  virtual std::int32_t today() const = 0;
  // The time of day in hundredths of a second since midnight.
  virtual std::int32_t now() const = 0;
  // Day and time from one reading, so a stamp taken across midnight never
  // pairs one day's date with the other day's time.
  virtual Moment moment() const = 0;
};

// The computer's local date and time.
class SystemClock final : public Clock {
 public:
  std::int32_t today() const override;
  std::int32_t now() const override;
  Moment moment() const override;
};

// A clock that stands still until told otherwise; safe to read from
// several threads while a test moves it.
class FixedClock final : public Clock {
 public:
  FixedClock(std::int32_t day, std::int32_t time);

  void set(std::int32_t day, std::int32_t time);
  // Moves the clock on (or back, when negative) by `hundredths`, rolling
  // over midnight into the next (or previous) day.
  void advance(std::int64_t hundredths);

  std::int32_t today() const override;
  std::int32_t now() const override;
  Moment moment() const override;

 private:
  // Hundredths since midnight before day 0: one value, so a reader never
  // sees a new day with an old time.
  std::atomic<std::int64_t> ticks_;
};

}  // namespace vel
