// "Change Password" (Change_Password): the logged-in user changes his or her
// own password.
//
// The window shows three entries of 10 characters, "Old Password", "New
// Password" and "Confirm Password", and the buttons "&OK" and "&Cancel". It
// calls the methods below as the user completes an entry or presses a button
// and does what the returned step says. The user is the one whose CODE is
// USER_CODE (1 when log-in is off).
#pragma once

#include <string>

namespace vel {

class DataFiles;
class Ui;
class ShellUi;

class ChangePasswordForm {
 public:
  static constexpr std::size_t kEntryWidth = 10;

  ChangePasswordForm(DataFiles& files, Ui& ui);  // opens Users for the window's life
  ~ChangePasswordForm();
  ChangePasswordForm(const ChangePasswordForm&) = delete;
  ChangePasswordForm& operator=(const ChangePasswordForm&) = delete;

  enum class Step {
    Stay,          // nothing more to do
    FocusOld,      // put the focus back on "Old Password"
    FocusNew,      // put the focus back on "New Password"
    FocusConfirm,  // put the focus back on "Confirm Password"
    Close,         // close the window
  };

  // The entries, as the user types them (cut to 10 characters).
  void setOldPassword(const std::string& text);
  void setNewPassword(const std::string& text);
  void setConfirmPassword(const std::string& text);
  const std::string& oldPassword() const { return old_; }
  const std::string& newPassword() const { return new_; }
  const std::string& confirmPassword() const { return confirm_; }

  Step oldCompleted();
  Step newCompleted();
  Step confirmCompleted();
  // Repeats the three checks in order and writes the confirmed password when
  // they all pass; the first entry that fails keeps the focus.
  Step okPressed();
  Step cancelPressed() { return Step::Close; }

  // The password was written.
  bool saved() const { return saved_; }

 private:
  enum class Read { Found, Missing, Failed };
  // Reads the record of USER_CODE into the Users buffer.
  Read readUser();

  DataFiles& files_;
  Ui& ui_;
  std::string old_, new_, confirm_;
  bool saved_ = false;
};

// The menu's "Change &Password": runs the window over a new form.
void Change_Password(DataFiles& files, ShellUi& ui);

}  // namespace vel
