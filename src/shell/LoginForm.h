// The log-in window's rules (Pass_Win, "User Login").
//
// The window shows two entries, "Login" on LOGPROG and "Password" on
// LOGPASS, and the buttons "&Login" and "&Exit". It calls the methods below
// as the user completes an entry or presses a button and does what the
// returned step says. Success leaves CANCELLED at 0; anything else leaves it
// at 1, and start-up then stops the program.
#pragma once

#include <string>

namespace vel {

class DataFiles;
class Ui;

class LoginForm {
 public:
  LoginForm(DataFiles& files, Ui& ui);  // opens Users for the window's life
  ~LoginForm();
  LoginForm(const LoginForm&) = delete;
  LoginForm& operator=(const LoginForm&) = delete;

  enum class Step {
    Stay,           // nothing more to do
    FocusPassword,  // put the focus back on the password entry
    Close,          // close the window
    Stop,           // the program has been stopped (Ui::halt was called)
  };

  // The entries write the global fields as the user types.
  void setUserName(const std::string& name);
  void setPassword(const std::string& password);

  Step userNameCompleted();
  Step passwordCompleted();
  Step loginPressed();
  Step exitPressed();
  // The window closed by any other way: CANCELLED stays 1.
  void closed() {}
  // The program was stopped from this window ("Incorrect User Name").
  bool stopped() const { return stopped_; }

 private:
  // Reads the typed user by name. With `check`, a stored name that differs
  // from the typed one stops the program: false then.
  bool readUser(bool check);
  bool passwordMatches() const;

  DataFiles& files_;
  Ui& ui_;
  bool stopped_ = false;
};

}  // namespace vel
