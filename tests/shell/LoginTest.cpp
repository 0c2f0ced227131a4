// The log-in window's rules and what start-up does with their outcome.
#include "shell/MenuTable.h"
#include "shell/ShellFixture.h"

namespace vel::test {
namespace {

using Step = LoginForm::Step;
using Outcome = Startup::Outcome;

class LoginTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    installConfig(day(2026, 12, 8), /*security=*/1);
    installBranchDetail();
    addUser(1, "ADMIN", "Secret");
    addUser(2, "THANDI", "pula77");
    addUser(3, "SIPHO", "vula88", "DEL");
  }

  void addUser(int code, const char* name, const char* password, const char* status = "") {
    FileManager& f = files.fm<rec::Users>();
    FileUse use(f);
    f.ClearBuffer();
    auto& u = f.rec<rec::Users>();
    u.CODE = code;
    u.USERNAME = name;
    u.PASSWORD = password;
    u.STATUS = status;
    ASSERT_EQ(kDone, f.Insert());
  }

  // Types a name and a password and presses "&Login", as the window does.
  static Step logIn(LoginForm& f, const char* name, const char* password) {
    f.setUserName(name);
    if (f.userNameCompleted() == Step::Stop) return Step::Stop;
    f.setPassword(password);
    f.passwordCompleted();
    return f.loginPressed();
  }

  Outcome start() {
    station_ = station(day(2026, 12, 8));
    return station_->initialise();
  }
  std::unique_ptr<Startup> station_;
};

TEST_F(LoginTest, RightPasswordLogsInWithTheUsersCode) {
  ui.onLogin = [](LoginForm& f) { EXPECT_EQ(Step::Close, logIn(f, "THANDI", "pula77")); };
  EXPECT_EQ(Outcome::Running, start());
  EXPECT_EQ(2, globals().USER_CODE);
  EXPECT_EQ(0, globals().IS_ADMIN);
  EXPECT_EQ(0, globals().CANCELLED);
  EXPECT_EQ("User: THANDI", station_->userZone());
}

TEST_F(LoginTest, AdministratorIsFlagged) {
  ui.onLogin = [](LoginForm& f) { EXPECT_EQ(Step::Close, logIn(f, "ADMIN", "Secret")); };
  EXPECT_EQ(Outcome::Running, start());
  EXPECT_EQ(1, globals().USER_CODE);
  EXPECT_EQ(1, globals().IS_ADMIN);
}

TEST_F(LoginTest, DeletedUserStillLogsIn) {
  ui.onLogin = [](LoginForm& f) { EXPECT_EQ(Step::Close, logIn(f, "SIPHO", "vula88")); };
  EXPECT_EQ(Outcome::Running, start());
  EXPECT_EQ(3, globals().USER_CODE);
}

TEST_F(LoginTest, WrongPasswordsAreRefusedAndMayBeTriedAgain) {
  ui.onLogin = [this](LoginForm& f) {
    // Case counts in a password; a blank one is never enough.
    ui.boxes.expect("Password ERROR", kOk, "Incorrect Password");
    ui.boxes.expect("Password ERROR", kOk, "Incorrect Password");
    EXPECT_EQ(Step::FocusPassword, logIn(f, "ADMIN", "secret"));
    ui.boxes.expect("Password ERROR", kOk, "Incorrect Password");
    ui.boxes.expect("Password ERROR", kOk, "Incorrect Password");
    EXPECT_EQ(Step::FocusPassword, logIn(f, "ADMIN", ""));
    EXPECT_EQ(Step::Close, logIn(f, "ADMIN", "Secret"));
  };
  EXPECT_EQ(Outcome::Running, start());
}

TEST_F(LoginTest, UnknownNameFailsAtThePasswordNotTheName) {
  ui.onLogin = [this](LoginForm& f) {
    f.setUserName("NOBODY");
    EXPECT_EQ(Step::Stay, f.userNameCompleted());
    // The unknown user's stored password is blank: only "&Login" refuses it.
    f.setPassword("");
    EXPECT_EQ(Step::Stay, f.passwordCompleted());
    ui.boxes.expect("Password ERROR", kOk, "Incorrect Password");
    EXPECT_EQ(Step::FocusPassword, f.loginPressed());
    f.setPassword("anything");
    ui.boxes.expect("Password ERROR", kOk, "Incorrect Password");
    EXPECT_EQ(Step::FocusPassword, f.passwordCompleted());
    ui.boxes.expect("Password ERROR", kOk, "Incorrect Password");
    EXPECT_EQ(Step::FocusPassword, f.loginPressed());
    EXPECT_EQ(Step::Close, f.exitPressed());
    ui.boxes.expect("Login Error", kOk, "Incorrect Login.... System Halted");
  };
  EXPECT_EQ(Outcome::Stopped, start());
  EXPECT_TRUE(ui.boxes.halted());
}

TEST_F(LoginTest, NameStoredDifferentlyStopsTheProgram) {
  // The key finds "THANDI" for "thandi"; the exact comparison then differs.
  ui.onLogin = [this](LoginForm& f) {
    ui.boxes.expect("User Name Error", kOk, "Incorrect User Name");
    EXPECT_EQ(Step::Stop, logIn(f, "thandi", "pula77"));
  };
  EXPECT_EQ(Outcome::Stopped, start());
  EXPECT_TRUE(ui.boxes.halted());
  EXPECT_EQ(0, globals().USER_CODE);
}

TEST_F(LoginTest, ClosingTheWindowStopsTheProgram) {
  ui.boxes.expect("Login Error", kOk, "Incorrect Login.... System Halted");
  EXPECT_EQ(Outcome::Stopped, start());
  EXPECT_EQ(1, ui.loginsShown);
}

TEST_F(LoginTest, ManagementItemsAreForTheAdministratorOnly) {
  const MenuItem* management = findMenuItem("PRNMAN");
  const MenuItem* paid = findMenuItem("ADMINISTRATIONVELMORAPRINTPREMIUMSCOLLECTED");
  const MenuItem* ageing = findMenuItem("ADMINISTRATIONVELMORAPRINTAGEING");
  ASSERT_TRUE(management && paid && ageing);

  globals().USER_CODE = 2;
  ui.boxes.expect("Access Error", kOk, "You do not have access rights to this option");
  ui.boxes.expect("Access Error", kOk, "You do not have access rights to this option");
  EXPECT_FALSE(menuAccess(*management, ui));
  EXPECT_FALSE(menuAccess(*paid, ui));
  EXPECT_TRUE(menuAccess(*ageing, ui));

  globals().USER_CODE = 1;
  EXPECT_TRUE(menuAccess(*management, ui));
  EXPECT_TRUE(menuAccess(*paid, ui));
}

// Get_Range: the period is taken only when it is a real range.
TEST_F(LoginTest, DateRangeAcceptsOnlyAnEndNotBeforeTheStart) {
  ui.onDateRange = [this](DateRangeForm& f) {
    EXPECT_EQ(1, globals().CANCELLED);
    f.setStart(day(2026, 11, 30));
    f.setEnd(day(2026, 11, 1));
    ui.boxes.expect("Range Error", kOk, "Invalid Date Range");
    EXPECT_EQ(DateRangeForm::Step::Stay, f.acceptPressed());
    EXPECT_EQ(1, globals().CANCELLED);
    f.setEnd(day(2026, 11, 30));  // one day is a range
    EXPECT_EQ(DateRangeForm::Step::Close, f.acceptPressed());
  };
  EXPECT_TRUE(Get_Range(ui));
  EXPECT_EQ(day(2026, 11, 30), globals().PERIOD_START);
  EXPECT_EQ(day(2026, 11, 30), globals().PERIOD_END);

  ui.onDateRange = [this](DateRangeForm& f) {
    EXPECT_EQ(day(2026, 11, 30), f.start());  // starts at the last period
    f.setStart(day(2026, 1, 1));
    EXPECT_EQ(DateRangeForm::Step::Close, f.cancelPressed());
  };
  EXPECT_FALSE(Get_Range(ui));
  EXPECT_EQ(1, globals().CANCELLED);
  EXPECT_EQ(day(2026, 11, 30), globals().PERIOD_START);

  ui.onDateRange = nullptr;  // closed some other way
  EXPECT_FALSE(Get_Range(ui));
}

}  // namespace
}  // namespace vel::test
