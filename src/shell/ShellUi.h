// The windows the shell's rules need, beyond message boxes.
//
// Each window is run modally over a form controller that holds its rules;
// the window only maps its entries and buttons to the controller's methods.
// The desktop program implements this with real windows; tests script it.
#pragma once

#include "platform/Ui.h"

namespace vel {

class LoginForm;
class FirstRunForm;
class DateRangeForm;
class ChangePasswordForm;

class ShellUi : public Ui {
 public:
  // The log-in window (Pass_Win); returns when the window has closed.
  virtual void runLogin(LoginForm& form) = 0;
  // The first-run window of a new installation; returns when it has closed.
  virtual void runFirstRun(FirstRunForm& form) = 0;
  // "Select Date Range"; returns when it has closed.
  virtual void runDateRange(DateRangeForm& form) = 0;
  // "Change Password"; returns when the window has closed.
  virtual void runChangePassword(ChangePasswordForm& form) = 0;
  // The "Processing Files" notice around the daily backup.
  virtual void backupNotice(bool /*show*/) {}
};

}  // namespace vel
