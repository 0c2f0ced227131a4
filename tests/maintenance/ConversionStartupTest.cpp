// The conversion as the start-up's first step: a folder written by an earlier
// version starts, and its files are in the current layout before the
// configuration is read and the settings files are seeded.
#include <gtest/gtest.h>

#include "dictionary/OlderLayouts.h"
#include "maintenance/Conversion.h"
#include "shell/ShellFixture.h"
#include "support/Engines.h"

namespace vel::test {
namespace {

class ConversionStartup : public ShellFixture {};

TEST_F(ConversionStartup, OlderFilesAreConvertedBeforeTheSettingsAreRead) {
  VEL_SQLITE_FILES_ONLY();
  installConfig(dateFromYmd(2026, 12, 8));
  // The branch detail and the users of an earlier version.
  {
    rec::older::BDetalA b;
    b.BUS_NAME = "Thembeka Burial Society";
    rec::older::UsersA u;
    u.CODE = 1;
    u.USERNAME = "CLERK";
    u.STATUS = "Clerk";
    const Layout& bl = *olderLayout("BDetal", "A");
    const Layout& ul = *olderLayout("Users", "A");
    for (auto [l, name, rec] :
         {std::tuple<const Layout*, const char*, void*>{&bl, "BDetal.Tps", &b},
          std::tuple<const Layout*, const char*, void*>{&ul, "Users.Tps", &u}}) {
      ASSERT_EQ(engine->create(*l, dir.file(name), kOwnerPassword), 0);
      std::unique_ptr<EngineFile> f;
      ASSERT_EQ(engine->open(*l, dir.file(name), OpenMode{}, kOwnerPassword, f), 0);
      ASSERT_EQ(f->add(rec), 0);
    }
  }
  clock.set(dateFromYmd(2026, 12, 9), timeFromHms(8, 0, 0));
  StartupHooks hooks;
  hookConversion(hooks, files, ui, clock);
  Startup s(files, ui, clock, hooks, dir.file("instance.lock"));
  // Had the branch detail not been converted first, its seeding would have
  // met a file it cannot open, and said so.
  ASSERT_EQ(Startup::Outcome::Running, s.initialise());
  s.close();

  auto detail = all<rec::BDetal>();
  ASSERT_EQ(detail.size(), 1u);
  EXPECT_EQ(detail[0].BUS_NAME, "Thembeka Burial Society");
  auto users = all<rec::Users>();
  ASSERT_EQ(users.size(), 1u);
  EXPECT_EQ(users[0].STATUS, "Clerk");
  EXPECT_TRUE(std::filesystem::exists(dir.file("BDetal.Old")));
  EXPECT_TRUE(std::filesystem::exists(dir.file("Users.Old")));
}

}  // namespace
}  // namespace vel::test
