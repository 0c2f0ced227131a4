// The date-range prompt (Get_Range, "Select Date Range") with which reports
// ask for their period.
//
// The window shows "Start Date:" and "End Date:" on PERIOD_START and
// PERIOD_END, each with a "..." button that opens a calendar titled
// "Select a Date", and the buttons "&Accept" and "&Cancel". CANCELLED is 1
// while it is open, so any way of closing other than "&Accept" counts as
// cancelled; the caller tests CANCELLED and does nothing when it is 1.
#pragma once

#include <cstdint>

namespace vel {

class ShellUi;
class Ui;

class DateRangeForm {
 public:
  static constexpr const char* kTitle = "Select Date Range";
  static constexpr const char* kCalendarTitle = "Select a Date";

  explicit DateRangeForm(Ui& ui);  // CANCELLED := 1

  std::int32_t start() const { return start_; }
  std::int32_t end() const { return end_; }
  void setStart(std::int32_t day) { start_ = day; }
  void setEnd(std::int32_t day) { end_ = day; }

  enum class Step { Stay, Close };
  Step acceptPressed();  // "Invalid Date Range" when the end lies before the start
  Step cancelPressed();

 private:
  Ui& ui_;
  std::int32_t start_, end_;
};

// Runs the prompt starting at the current period; true when a period was
// accepted (PERIOD_START and PERIOD_END then hold it).
bool Get_Range(ShellUi& ui);

}  // namespace vel
