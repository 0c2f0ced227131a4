// How velmora-admin talks to whoever runs it: every message box becomes a
// line on standard error, a question takes its default answer, a file
// another station holds is tried again a few times before giving up, and a
// progress bar is drawn on standard error only when that is a terminal (a
// scheduler's log gets the lines alone).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "shell/ShellUi.h"

namespace vel::admin {

// A text bar: "label [#####     ]  50%", redrawn in place.
class TerminalBar : public Progress {
 public:
  explicit TerminalBar(std::string label);
  ~TerminalBar() override;
  void setText(std::string_view text) override;
  void setPercent(int percent) override;

 private:
  void finish();
  std::string label_;
  bool tty_;
  int shown_ = -1;
};

class ConsoleUi : public ShellUi {
 public:
  unsigned message(std::string_view text, std::string_view title, Icon icon, unsigned buttons,
                   unsigned defaultButton) override;
  // Stops the tool; a stop without a code of its own exits 2 (a failure).
  void halt(int exitCode) override;
  std::unique_ptr<Progress> progress(std::string_view title, std::string_view text) override;
  // Nobody is there to log in or to pick dates: the tool's own options say.
  void runLogin(LoginForm&) override {}
  void runFirstRun(FirstRunForm&) override {}
  void runDateRange(DateRangeForm&) override {}
  void runChangePassword(ChangePasswordForm&) override {}

  int shown = 0;  // messages shown so far: a run that showed one has failed

 private:
  static constexpr int kRetries = 3;
  int retries_ = 0;
};

}  // namespace vel::admin
