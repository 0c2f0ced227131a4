// Changing one's own password: the checks as each entry is completed, and
// OK repeating them so that nothing unchecked is ever stored.
#include "shell/ShellFixture.h"

namespace vel::test {
namespace {

using Step = ChangePasswordForm::Step;

class ChangePasswordTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    addUser("ADMIN1", "Secret1");  // codes are numbered by the file: 1, 2, 3
    addUser("THANDI", "pula77");
    addUser("SIPHO1", "vula88");
    globals().USER_CODE = 2;
  }

  void addUser(const char* name, const char* password) {
    FileManager& f = files.fm<rec::Users>();
    FileUse use(f);
    f.ClearBuffer();
    auto& u = f.rec<rec::Users>();
    u.USERNAME = name;
    u.PASSWORD = password;
    ASSERT_EQ(kDone, f.Insert());
  }

  std::string passwordOf(int code) {
    for (const auto& u : all<rec::Users>())
      if (u.CODE.value == code) return u.PASSWORD.text();
    return "(no user)";
  }

  // Types all three entries, completing each, as a user tabbing through would.
  static void typeAll(ChangePasswordForm& f, const char* old, const char* nw, const char* confirm) {
    f.setOldPassword(old);
    f.oldCompleted();
    f.setNewPassword(nw);
    f.newCompleted();
    f.setConfirmPassword(confirm);
    f.confirmCompleted();
  }
};

TEST_F(ChangePasswordTest, RightEntriesStoreTheConfirmedPassword) {
  ChangePasswordForm f(files, ui);
  typeAll(f, "pula77", "Lesedi99", "Lesedi99");
  EXPECT_EQ(Step::Close, f.okPressed());
  EXPECT_TRUE(f.saved());
  EXPECT_EQ("Lesedi99", passwordOf(2));
  EXPECT_EQ("Secret1", passwordOf(1));
}

TEST_F(ChangePasswordTest, WrongOldPasswordIsRefusedOnLeavingAndAtOk) {
  ChangePasswordForm f(files, ui);
  f.setOldPassword("PULA77");  // case counts
  ui.boxes.expect("Password ERROR", kOk, "Wrong Old Password");
  EXPECT_EQ(Step::FocusOld, f.oldCompleted());
  f.setNewPassword("Lesedi99");
  f.setConfirmPassword("Lesedi99");
  ui.boxes.expect("Password ERROR", kOk, "Wrong Old Password");
  EXPECT_EQ(Step::FocusOld, f.okPressed());
  EXPECT_EQ("pula77", passwordOf(2));
  // Trailing blanks do not count.
  f.setOldPassword("pula77   ");
  EXPECT_EQ(Step::Stay, f.oldCompleted());
}

TEST_F(ChangePasswordTest, NewPasswordNeedsSixCharactersAndMustDiffer) {
  ChangePasswordForm f(files, ui);
  f.setOldPassword("pula77");
  const char* const tooShort[] = {"abcde", "abcde     ", ""};
  for (const char* p : tooShort) {
    f.setNewPassword(p);
    ui.boxes.expect("Password Error", kOk, "Password must be at least 6 characters long");
    EXPECT_EQ(Step::FocusNew, f.newCompleted()) << '"' << p << '"';
  }
  f.setNewPassword("abcdef");
  EXPECT_EQ(Step::Stay, f.newCompleted());
  f.setNewPassword("pula77 ");
  ui.boxes.expect("Password Error", kOk, "You must change the password");
  EXPECT_EQ(Step::FocusNew, f.newCompleted());
}

TEST_F(ChangePasswordTest, ConfirmationMustMatchAndOkChecksItAgain) {
  ChangePasswordForm f(files, ui);
  f.setOldPassword("pula77");
  f.setNewPassword("Lesedi99");
  f.setConfirmPassword("lesedi99");
  ui.boxes.expect("Password ERROR", kOk, "Confirmation Password Error");
  EXPECT_EQ(Step::FocusConfirm, f.confirmCompleted());
  ui.boxes.expect("Password ERROR", kOk, "Confirmation Password Error");
  EXPECT_EQ(Step::FocusConfirm, f.okPressed());
  EXPECT_EQ("pula77", passwordOf(2));
}

TEST_F(ChangePasswordTest, UntouchedWindowsOkWritesNothing) {
  {
    ChangePasswordForm f(files, ui);
    ui.boxes.expect("Password ERROR", kOk, "Wrong Old Password");
    EXPECT_EQ(Step::FocusOld, f.okPressed());
    EXPECT_FALSE(f.saved());
  }
  // Even a user whose stored password is blank cannot end up with a blank
  // or unconfirmed one.
  addUser("BLANK1", "");
  globals().USER_CODE = 4;
  ChangePasswordForm f(files, ui);
  ui.boxes.expect("Password Error", kOk, "Password must be at least 6 characters long");
  EXPECT_EQ(Step::FocusNew, f.okPressed());
  f.setNewPassword("Lesedi99");
  ui.boxes.expect("Password ERROR", kOk, "Confirmation Password Error");
  EXPECT_EQ(Step::FocusConfirm, f.okPressed());
  EXPECT_EQ("", passwordOf(4));
}

TEST_F(ChangePasswordTest, MissingUserRecordIsReportedAndNothingWritten) {
  // The logged-in user's record is gone: the next record by code is user 3's.
  {
    FileManager& users = files.fm<rec::Users>();
    FileUse use(users);
    users.ClearBuffer();
    users.rec<rec::Users>().CODE = 2;
    ASSERT_EQ(kDone, users.GetByKey(users.keyIndex("KeyCode")));
    ASSERT_EQ(kDone, users.TryDelete());
  }
  ChangePasswordForm f(files, ui);
  f.setOldPassword("vula88");
  ui.boxes.expect("Password ERROR", kOk, "Error in User file");
  EXPECT_EQ(Step::Stay, f.oldCompleted());
  f.setNewPassword("Lesedi99");
  f.setConfirmPassword("Lesedi99");
  ui.boxes.expect("Password ERROR", kOk, "Error in User file");
  EXPECT_EQ(Step::Close, f.okPressed());
  EXPECT_FALSE(f.saved());
  EXPECT_EQ("vula88", passwordOf(3));
}

TEST_F(ChangePasswordTest, PasswordOfAnotherUserIsRefusedWithoutSayingWhose) {
  ChangePasswordForm f(files, ui);
  f.setOldPassword("pula77");
  EXPECT_EQ(Step::Stay, f.oldCompleted());
  f.setNewPassword("VULA88");  // the key ignores case
  ui.boxes.expect("Password Error", kOk,
                  "This password cannot be used. Please choose another one.");
  EXPECT_EQ(Step::FocusNew, f.newCompleted());
  f.setConfirmPassword("VULA88");
  ui.boxes.expect("Password Error", kOk,
                  "This password cannot be used. Please choose another one.");
  EXPECT_EQ(Step::FocusNew, f.okPressed());
  EXPECT_EQ("pula77", passwordOf(2));
  // Keeping one's own password in another case is no clash with oneself.
  f.setNewPassword("PULA77");
  EXPECT_EQ(Step::Stay, f.newCompleted());
}

TEST_F(ChangePasswordTest, WithLogInOffTheAdministratorsPasswordChanges) {
  globals().USER_CODE = 1;  // what start-up sets when log-in is off
  ui.onChangePassword = [](ChangePasswordForm& f) {
    typeAll(f, "Secret1", "Khaya2024", "Khaya2024");
    EXPECT_EQ(Step::Close, f.okPressed());
  };
  Change_Password(files, ui);
  EXPECT_EQ("Khaya2024", passwordOf(1));
  EXPECT_EQ("pula77", passwordOf(2));
}

}  // namespace
}  // namespace vel::test
