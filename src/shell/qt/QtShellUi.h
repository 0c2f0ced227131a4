// The shell's windows with Qt: message boxes, the log-in window, the first
// run of a new installation, the date-range prompt, the change of password,
// progress windows and the backup notice.
#pragma once

#include <memory>

#include "shell/ShellUi.h"

class QWidget;
class QDialog;

namespace vel::qt {

class QtShellUi : public ShellUi {
 public:
  QtShellUi();
  ~QtShellUi() override;

  // Boxes and windows open over this window once it exists.
  void setParent(QWidget* parent) { parent_ = parent; }

  unsigned message(std::string_view text, std::string_view title, Icon icon, unsigned buttons,
                   unsigned defaultButton) override;
  void halt(int exitCode) override;
  void busy(bool on) override;
  void runLogin(LoginForm& form) override;
  void runFirstRun(FirstRunForm& form) override;
  void runDateRange(DateRangeForm& form) override;
  void runChangePassword(ChangePasswordForm& form) override;
  std::unique_ptr<Progress> progress(std::string_view title, std::string_view text) override;
  void backupNotice(bool show) override;

 private:
  QWidget* parent_ = nullptr;
  std::unique_ptr<QDialog> notice_;
};

}  // namespace vel::qt
