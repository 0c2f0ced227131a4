#include "shell/qt/QtShellUi.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/qt/GuiThread.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/ProgressWindow.h"
#include "shell/qt/ChangePasswordWindow.h"
#include "shell/qt/DateRangeWindow.h"
#include "shell/qt/FirstRunWindow.h"
#include "shell/qt/LoginWindow.h"

namespace vel::qt {

QtShellUi::QtShellUi() = default;
QtShellUi::~QtShellUi() = default;

unsigned QtShellUi::message(std::string_view text, std::string_view title, Icon icon,
                            unsigned buttons, unsigned defaultButton) {
  return showMessage(parent_, text, title, icon, buttons, defaultButton);
}

void QtShellUi::halt(int exitCode) { haltProgram(exitCode); }

void QtShellUi::busy(bool on) { setBusy(on); }

void QtShellUi::runLogin(LoginForm& form) {
  LoginWindow w(form, parent_);
  w.exec();
}

void QtShellUi::runFirstRun(FirstRunForm& form) {
  FirstRunWindow w(form, parent_);
  w.exec();
}

void QtShellUi::runDateRange(DateRangeForm& form) {
  // Reports on a thread of their own ask for their period too.
  onGuiThread([&] {
    DateRangeWindow w(form, parent_);
    w.exec();
  });
}

void QtShellUi::runChangePassword(ChangePasswordForm& form) {
  ChangePasswordWindow w(form, parent_);
  w.exec();
}

std::unique_ptr<Progress> QtShellUi::progress(std::string_view title, std::string_view text) {
  return std::make_unique<ProgressWindow>(parent_, title, text);
}

void QtShellUi::backupNotice(bool show) {
  if (!show) {
    notice_.reset();
    return;
  }
  notice_ = std::make_unique<QDialog>(parent_);
  notice_->setObjectName("BackupNotice");
  notice_->setWindowTitle("Processing Files");
  auto* layout = new QVBoxLayout(notice_.get());
  layout->addWidget(new QLabel("Making Back up, please be patient....", notice_.get()));
  notice_->show();
  QApplication::processEvents();  // painted before the backup takes the thread
}

}  // namespace vel::qt
