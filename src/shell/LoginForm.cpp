#include "shell/LoginForm.h"

#include "dictionary/Dictionary.h"
#include "recordstore/DataFiles.h"
#include "shell/Globals.h"

namespace vel {

namespace {
constexpr int kStopExit = 1;
}

LoginForm::LoginForm(DataFiles& files, Ui& ui) : files_(files), ui_(ui) {
  files_.fm<rec::Users>().Open();
}

LoginForm::~LoginForm() { files_.fm<rec::Users>().Close(); }

void LoginForm::setUserName(const std::string& name) { globals().setLOGPROG(name); }
void LoginForm::setPassword(const std::string& password) { globals().setLOGPASS(password); }

bool LoginForm::readUser(bool check) {
  FileManager& users = files_.fm<rec::Users>();
  users.EnsureOpen();
  users.ClearBuffer();
  auto& u = users.rec<rec::Users>();
  std::string typed = std::string(rtrim(globals().LOGPROG()));
  u.USERNAME = typed.substr(0, 10);
  // A name no record has leaves the typed name in the buffer, so it passes
  // here and fails at the password.
  users.TryGetByKey(users.keyIndex("KeyUserName"));
  if (!check) return true;
  if (u.USERNAME.str() != typed) {
    ui_.message("Incorrect User Name", "User Name Error", Icon::Hand, kOk, kOk);
    ui_.halt(kStopExit);
    stopped_ = true;
    return false;
  }
  globals().IS_ADMIN = u.CODE.value == 1 ? 1 : 0;
  return true;
}

bool LoginForm::passwordMatches() const {
  // Plain text, exact and case-sensitive; trailing blanks do not count.
  const auto& u = files_.fm<rec::Users>().rec<rec::Users>();
  return rtrim(globals().LOGPASS()) == u.PASSWORD.str();
}

LoginForm::Step LoginForm::userNameCompleted() {
  return readUser(true) ? Step::Stay : Step::Stop;
}

LoginForm::Step LoginForm::passwordCompleted() {
  if (passwordMatches()) return Step::Stay;
  ui_.message("Incorrect Password", "Password ERROR", Icon::Hand, kOk, kOk);
  return Step::FocusPassword;
}

LoginForm::Step LoginForm::loginPressed() {
  readUser(false);
  if (!rtrim(globals().LOGPASS()).empty() && passwordMatches()) {
    if (!readUser(true)) return Step::Stop;
    const auto& u = files_.fm<rec::Users>().rec<rec::Users>();
    globals().USER_CODE = static_cast<std::int32_t>(u.CODE.value);
    globals().IS_ADMIN = u.CODE.value == 1 ? 1 : 0;
    globals().CANCELLED = 0;
    ui_.busy(true);
    return Step::Close;
  }
  ui_.message("Incorrect Password", "Password ERROR", Icon::Hand, kOk, kOk);
  return Step::FocusPassword;
}

LoginForm::Step LoginForm::exitPressed() {
  globals().CANCELLED = 1;
  return Step::Close;
}

}  // namespace vel
