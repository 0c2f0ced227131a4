// "User Login" (Pass_Win): the log-in window over a LoginForm.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

#include "shell/LoginForm.h"

namespace vel::qt {

class LoginWindow : public QDialog {
  Q_OBJECT
 public:
  LoginWindow(LoginForm& form, QWidget* parent = nullptr);

  QLineEdit* userEntry() const { return user_; }
  QLineEdit* passwordEntry() const { return password_; }

 protected:
  void reject() override;  // Esc or the window's close: CANCELLED stays 1

 private:
  void userCompleted();
  bool passwordCompleted();  // false when refused
  void loginPressed();
  void exitPressed();
  void follow(LoginForm::Step step);

  LoginForm& form_;
  QLineEdit* user_;
  QLineEdit* password_;
  QPushButton* login_;
  QPushButton* exit_;
};

}  // namespace vel::qt
