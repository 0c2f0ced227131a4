#include "shell/GetRange.h"

#include "shell/Globals.h"
#include "shell/ShellUi.h"

namespace vel {

DateRangeForm::DateRangeForm(Ui& ui)
    : ui_(ui), start_(globals().PERIOD_START), end_(globals().PERIOD_END) {
  globals().CANCELLED = 1;
}

DateRangeForm::Step DateRangeForm::acceptPressed() {
  if (end_ < start_) {
    ui_.message("Invalid Date Range", "Range Error", Icon::None, kOk, kOk);
    return Step::Stay;
  }
  globals().PERIOD_START = start_;
  globals().PERIOD_END = end_;
  globals().CANCELLED = 0;
  return Step::Close;
}

DateRangeForm::Step DateRangeForm::cancelPressed() {
  globals().CANCELLED = 1;
  return Step::Close;
}

bool Get_Range(ShellUi& ui) {
  DateRangeForm form(ui);
  ui.runDateRange(form);
  return globals().CANCELLED == 0;
}

}  // namespace vel
