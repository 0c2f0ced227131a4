#include "shell/ChangePassword.h"

#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "recordstore/DataFiles.h"
#include "shell/Globals.h"
#include "shell/ShellLists.h"
#include "shell/ShellUi.h"

namespace vel {

namespace {

constexpr std::size_t kMinimumLength = 6;

std::string entry(const std::string& text) {
  return text.substr(0, ChangePasswordForm::kEntryWidth);
}

// Passwords are plain text compared exactly: case counts, trailing blanks
// do not.
bool samePassword(std::string_view a, std::string_view b) { return rtrim(a) == rtrim(b); }

}  // namespace

ChangePasswordForm::ChangePasswordForm(DataFiles& files, Ui& ui) : files_(files), ui_(ui) {
  files_.fm<rec::Users>().Open();
}

ChangePasswordForm::~ChangePasswordForm() { files_.fm<rec::Users>().Close(); }

void ChangePasswordForm::setOldPassword(const std::string& text) { old_ = entry(text); }
void ChangePasswordForm::setNewPassword(const std::string& text) { new_ = entry(text); }
void ChangePasswordForm::setConfirmPassword(const std::string& text) { confirm_ = entry(text); }

ChangePasswordForm::Read ChangePasswordForm::readUser() {
  FileManager& users = files_.fm<rec::Users>();
  if (users.EnsureOpen() != kDone) return Read::Failed;  // reported by the record store
  users.ClearBuffer();
  auto& u = users.rec<rec::Users>();
  const std::int32_t code = globals().USER_CODE;
  u.CODE = code;
  if (users.SetOrderAt(users.keyIndex("KeyCode")) != kDone) {
    users.report(msg::RetrievalError);
    return Read::Failed;
  }
  // The first record from the code on: another user, or none, when the
  // logged-in user's record is not there.
  if (users.TryReadNext() != kDone || u.CODE.value != code) return Read::Missing;
  return Read::Found;
}

ChangePasswordForm::Step ChangePasswordForm::oldCompleted() {
  switch (readUser()) {
    case Read::Failed:
      return Step::Stay;
    case Read::Missing:
      // The focus stays where it is: no entry can put this right.
      ui_.message("Error in User file", "Password ERROR", Icon::None, kOk, kOk);
      return Step::Stay;
    case Read::Found:
      break;
  }
  const auto& u = files_.fm<rec::Users>().rec<rec::Users>();
  if (samePassword(old_, u.PASSWORD.str())) return Step::Stay;
  ui_.message("Wrong Old Password", "Password ERROR", Icon::Hand, kOk, kOk);
  return Step::FocusOld;
}

ChangePasswordForm::Step ChangePasswordForm::newCompleted() {
  if (rtrim(new_).size() < kMinimumLength) {
    ui_.message("Password must be at least 6 characters long", "Password Error", Icon::Hand, kOk,
                kOk);
    return Step::FocusNew;
  }
  if (samePassword(new_, old_)) {
    ui_.message("You must change the password", "Password Error", Icon::Hand, kOk, kOk);
    return Step::FocusNew;
  }
  // The file keeps each password once; the refusal does not say whose it is.
  if (readUser() == Read::Found && passwordTaken(files_.fm<rec::Users>(), new_)) {
    ui_.message(kPasswordTakenText, "Password Error", Icon::Hand, kOk, kOk);
    return Step::FocusNew;
  }
  return Step::Stay;
}

ChangePasswordForm::Step ChangePasswordForm::confirmCompleted() {
  if (samePassword(confirm_, new_)) return Step::Stay;
  ui_.message("Confirmation Password Error", "Password ERROR", Icon::Hand, kOk, kOk);
  return Step::FocusConfirm;
}

ChangePasswordForm::Step ChangePasswordForm::okPressed() {
  // The checks run again here, not only as each entry is left: a window
  // closed with OK before every entry was completed would otherwise store a
  // blank or unconfirmed password that no log-in could then match.
  switch (readUser()) {
    case Read::Failed:
      return Step::Stay;
    case Read::Missing:
      // Nothing to write, and nothing in this window can change that.
      ui_.message("Error in User file", "Password ERROR", Icon::None, kOk, kOk);
      return Step::Close;
    case Read::Found:
      break;
  }
  if (Step s = oldCompleted(); s != Step::Stay) return s;
  if (Step s = newCompleted(); s != Step::Stay) return s;
  if (Step s = confirmCompleted(); s != Step::Stay) return s;

  // The user's record was read into the buffer just now.
  FileManager& users = files_.fm<rec::Users>();
  users.rec<rec::Users>().PASSWORD = confirm_;
  // newCompleted refused a password another user has; should one be taken
  // meanwhile, the record store refuses it and the window stays open.
  if (users.Update() != kDone) return Step::FocusNew;
  saved_ = true;
  return Step::Close;
}

void Change_Password(DataFiles& files, ShellUi& ui) {
  ChangePasswordForm form(files, ui);
  ui.runChangePassword(form);
}

}  // namespace vel
