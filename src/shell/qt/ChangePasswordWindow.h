// "Change Password" (Change_Password): the window over a ChangePasswordForm.
#pragma once

#include <QDialog>

#include "shell/ChangePassword.h"

class QLineEdit;
class QPushButton;

namespace vel::qt {

class ChangePasswordWindow : public QDialog {
  Q_OBJECT
 public:
  ChangePasswordWindow(ChangePasswordForm& form, QWidget* parent = nullptr);

  QLineEdit* oldEntry() const { return old_; }
  QLineEdit* newEntry() const { return new_; }
  QLineEdit* confirmEntry() const { return confirm_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }

 protected:
  void reject() override;  // Esc or the window's close: nothing is written

 private:
  QLineEdit* makeEntry(const char* name);
  // Runs the completion check of an entry the user leaves after typing in it.
  void leaving(QLineEdit* entry, ChangePasswordForm::Step (ChangePasswordForm::*check)());
  void okPressed();
  void follow(ChangePasswordForm::Step step);

  ChangePasswordForm& form_;
  QLineEdit* old_;
  QLineEdit* new_;
  QLineEdit* confirm_;
  QPushButton* ok_;
  QPushButton* cancel_;
  // An entry was refused in the event now being handled (Return in an entry
  // completes it and then presses OK): OK does not show the refusal twice.
  bool justRefused_ = false;
};

}  // namespace vel::qt
