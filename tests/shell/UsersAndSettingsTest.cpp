// The users list and form, the configuration form and the branch-detail
// list: who may change what, the 6-character rules, keys that stay taken by
// deleted users, and the buttons that settings files hide.
#include "dictionary/SetupFiles.h"
#include "forms/Catalog.h"
#include "forms/FormCycle.h"
#include "forms/ListActions.h"
#include "forms/ListPager.h"
#include "shell/ShellFixture.h"
#include "shell/ShellLists.h"

namespace vel::test {
namespace {

class UsersAndSettingsTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    addShellLists(catalog);
  }

  // Runs a form the way a window would: `steps` fills the record and presses
  // buttons; returns the response.
  FormRunner runner(std::function<void(FormCycle&)> steps) {
    return [this, steps](const FormDecl& f, Request r, const Presets& p) {
      ++formsOpened;
      return runFormWith(files, ui, f, r, p, steps);
    };
  }

  rec::Users user(const char* name, const char* password, const char* status = "") {
    rec::Users u;
    u.USERNAME = name;
    u.PASSWORD = password;
    u.SURNAME = "Dlamini";
    u.STATUS = status;
    return u;
  }

  // Adds a user through the users form and returns the response.
  Response addUser(const rec::Users& u) {
    return runFormWith(files, ui, *catalog.form("Update_Users"), Request::Insert, {},
                       [&](FormCycle& c) {
                         auto& r = c.file().rec<rec::Users>();
                         std::int64_t code = r.CODE;
                         r = u;
                         r.CODE = code;
                         if (c.ok().action != FormCycle::Outcome::Close) c.leave();
                       });
  }

  std::vector<std::string> listed(const char* list) {
    const ListDecl& decl = *catalog.list(list);
    FileManager& fm = files.fm(decl.file);
    FileUse use(fm);
    ListPager pager(fm, decl);
    std::vector<std::string> out;
    for (const ListRow& r : pager.first(50)) out.push_back(r.cells.at(1));
    return out;
  }

  Catalog catalog;
  int formsOpened = 0;
};

TEST_F(UsersAndSettingsTest, UserNamesAndPasswordsNeedSixCharactersTrailingBlanksNotCounted) {
  ui.boxes.expect("User Name Error", kOk, "User Name must have at least 6 characters");
  ui.boxes.expect("Changes will be lost!", kYes);
  EXPECT_EQ(Response::Cancelled, addUser(user("sipho ", "secret1")));
  ui.boxes.expect("Password Error", kOk, "Password must be at least 6 characters long");
  ui.boxes.expect("Changes will be lost!", kYes);
  EXPECT_EQ(Response::Cancelled, addUser(user("siphom", "abcde  ")));
  EXPECT_EQ(Response::Completed, addUser(user("siphom", "abcdef")));
  ASSERT_EQ(1u, all<rec::Users>().size());
  EXPECT_EQ(1, all<rec::Users>()[0].CODE.value);
}

TEST_F(UsersAndSettingsTest, ADeletedUsersPasswordAndNameStayTaken) {
  globals().USER_CODE = 1;
  ASSERT_EQ(Response::Completed, addUser(user("admin1", "first1")));
  ASSERT_EQ(Response::Completed, addUser(user("thandi", "second")));
  // Delete thandi through the list: marked "DEL", kept in the file.
  ListActions list(files, ui, catalog, *catalog.list("Browse_Users"), runner({}));
  FileManager& fm = files.fm<rec::Users>();
  FileUse use(fm);
  ASSERT_EQ(kDone, fm.GetByKey(fm.keyIndex("KeyCode")));  // position on some record
  fm.ClearBuffer();
  fm.rec<rec::Users>().USERNAME = "thandi";
  ASSERT_EQ(kDone, fm.GetByKey(fm.keyIndex("KeyUserName")));
  ui.boxes.expect("Delete User", kYes, "Are you Absolutely Sure?");
  list.act(kActDelete, fm.Position());
  EXPECT_EQ(0, formsOpened);
  auto users = all<rec::Users>();
  ASSERT_EQ(2u, users.size());
  EXPECT_EQ("DEL", users[1].STATUS.text());
  EXPECT_EQ((std::vector<std::string>{"admin1"}), listed("Browse_Users"));

  // A password that is taken is refused without saying whose it is, in any
  // letter case (the key ignores case).
  for (const char* taken : {"second", "SECOND", "first1"}) {
    ui.boxes.expect("Password Error", kOk,
                    "This password cannot be used. Please choose another one.");
    ui.boxes.expect("Changes will be lost!", kYes);
    EXPECT_EQ(Response::Cancelled, addUser(user("nomsa1", taken))) << taken;
  }
  ui.boxes.expect("Duplicate Key Error", kOk,
                  "Adding this record creates a duplicate entry for the key: Username");
  ui.boxes.expect("Changes will be lost!", kYes);
  EXPECT_EQ(Response::Cancelled, addUser(user("thandi", "third3")));
  EXPECT_EQ(2u, all<rec::Users>().size());
}

TEST_F(UsersAndSettingsTest, OnlyTheAdministratorMaintainsUsersAndNobodyDeletesTheAdministrator) {
  ASSERT_EQ(Response::Completed, addUser(user("admin1", "first1")));
  ASSERT_EQ(Response::Completed, addUser(user("thandi", "second")));
  FileManager& fm = files.fm<rec::Users>();
  FileUse use(fm);
  fm.SetOrder(kPhysicalOrder);
  ASSERT_EQ(kDone, fm.ReadNext());
  std::string admin = fm.Position();
  ASSERT_EQ(kDone, fm.ReadNext());
  std::string thandi = fm.Position();

  globals().USER_CODE = 2;  // thandi is logged in: every button is inert
  ListActions list(files, ui, catalog, *catalog.list("Browse_Users"), runner({}));
  list.act(kActInsert, {});
  list.act(kActChange, thandi);
  list.act(kActDelete, admin);
  list.act(kActDelete, thandi);
  EXPECT_EQ(0, formsOpened);

  globals().USER_CODE = 1;
  ui.boxes.expect("Delete Error", kOk, "You cannot delete the System Adminstrator data");
  list.act(kActDelete, admin);
  ui.boxes.expect("Delete User", kNo);
  list.act(kActDelete, thandi);
  for (const auto& u : all<rec::Users>()) EXPECT_EQ("", u.STATUS.text());
  ASSERT_EQ(1u, ui.boxes.shown().size() - 1);
  EXPECT_EQ(Icon::Hand, ui.boxes.shown()[0].icon);
}

TEST_F(UsersAndSettingsTest, ConfigurationOpensOnlyOnceAUserExistsAndKeepsSecurityAndVat) {
  installConfig(day(2026, 12, 1));
  auto run = runner([](FormCycle& c) {
    auto& cfg = c.file().rec<rec::Config>();
    cfg.SECURITY = 1;
    cfg.VATRATE = 15.5;
    c.ok();
  });
  ui.boxes.expect("Access Error", kOk,
                  "Please enter System Administrator data in USERS menu option before accessing "
                  "this option.");
  Update_Config(files, ui, catalog, run);
  EXPECT_EQ(0, formsOpened);

  ASSERT_EQ(Response::Completed, addUser(user("admin1", "first1")));
  Update_Config(files, ui, catalog, run);
  EXPECT_EQ(1, formsOpened);
  auto cfg = all<rec::Config>().at(0);
  EXPECT_EQ(1, cfg.SECURITY.value);
  EXPECT_DOUBLE_EQ(15.5, cfg.VATRATE.value);
  EXPECT_EQ("Thembeka Burial Society", cfg.NAME.text());
  EXPECT_EQ(1u, all<rec::Config>().size());
}

TEST_F(UsersAndSettingsTest, BranchDetailOffersInsertOnlyWhenEmptyAndNeverDelete) {
  const ListDecl& decl = *catalog.list("Browse_BDetail");
  EXPECT_EQ(unsigned(kActInsert | kActChange), decl.offered(files));
  installBranchDetail();
  EXPECT_EQ(unsigned(kActChange), decl.offered(files));

  ListActions list(files, ui, catalog, decl, runner([](FormCycle& c) { c.ok(); }));
  FileManager& fm = files.fm<rec::BDetal>();
  FileUse use(fm);
  fm.SetOrder(kPhysicalOrder);
  ASSERT_EQ(kDone, fm.ReadNext());
  list.act(kActInsert, {});
  list.act(kActDelete, fm.Position());
  EXPECT_EQ(0, formsOpened);
  list.act(kActChange, fm.Position());
  EXPECT_EQ(1, formsOpened);
  EXPECT_EQ(1u, all<rec::BDetal>().size());
}

}  // namespace
}  // namespace vel::test
