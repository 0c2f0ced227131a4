// Check4ID: where an identity number is already on file, in the order
// children, policy holders, extended family, with values at full width.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "members/Check4ID.h"
#include "recordstore/DataFiles.h"
#include "support/FileDamage.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/Engines.h"

namespace vel {
namespace {

struct Check4IDTest : ::testing::Test {
  test::TempDir dir;
  std::unique_ptr<Engine> engine = test::makeEngineFor(dir.path());
  test::ScriptedUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};

  ~Check4IDTest() override { ui.verifyDone(); }

  void addClient(std::int64_t number, const char* clientId, const char* surname, const char* id,
                 const char* plan, const char* option, const char* active) {
    FileManager& f = files.fm<rec::VelCli>();
    FileUse use(f);
    f.ClearBuffer();
    auto& c = f.rec<rec::VelCli>();
    c.NUMBER = number;
    c.CLIENT_ID = clientId;
    c.SURNAME = surname;
    c.ID_NUMBER = id;
    c.PLAN = plan;
    c.OPTION = option;
    c.ACTIVE = active;
    ASSERT_EQ(f.Insert(), kDone);
  }
  void addChild(const char* clientId, const char* id) {
    FileManager& f = files.fm<rec::VelChd>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::VelChd>().CLIENT_ID = clientId;
    f.rec<rec::VelChd>().C1_ID_NUMBER = id;
    ASSERT_EQ(f.Insert(), kDone);
  }
  void addExtended(const char* clientId, const char* id) {
    FileManager& f = files.fm<rec::VelExt>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::VelExt>().CLIENT_ID = clientId;
    f.rec<rec::VelExt>().ID_NUMBER = id;
    ASSERT_EQ(f.Insert(), kDone);
  }
};

// The policy of 0042/MOK as every message names it.
const std::string kMokoena =
    "Main member Client ID 0042/MOK    Surname Mokoena                   Plan A        Option "
    "Family           Status Active    ";

TEST_F(Check4IDTest, ChildrenFirstThenPolicyHoldersThenExtendedFamily) {
  addClient(42, "0042/MOK", "Mokoena", "8001015009087", "A", "Family", "Active");
  addClient(43, "0043/DLA", "Dlamini", "7505054009083", "B", "1 Plus 9", "Non Active");
  addChild("0042/MOK", "8001015009087");
  addExtended("0042/MOK", "8001015009087");
  addExtended("0043/DLA", "8001015009087");  // a second match in one file: only the first
  ui.expect("", kOk, "ID No 8001015009087 exists in Children database - " + kMokoena);
  ui.expect("", kOk, "ID No 8001015009087 exists in Main Member database - " + kMokoena);
  ui.expect("", kOk, "ID No 8001015009087 exists in Extended Family database - " + kMokoena);
  Check4IdResult r = Check4ID(files, ui, "8001015009087");
  EXPECT_EQ(r.found, 3);
  EXPECT_TRUE(r.complete);
  for (const test::ShownBox& box : ui.shown()) {
    EXPECT_EQ(box.icon, Icon::None);
    EXPECT_EQ(box.buttons, kOk);
  }
}

TEST_F(Check4IDTest, ShortValuesArePaddedToTheirFieldWidth) {
  addClient(7, "0007/NG", "Ng", "", "C", "Single", "Deceased");
  addExtended("0007/NG", "46010150");
  ui.expect("", kOk,
            "ID No 46010150      exists in Extended Family database - Main member Client ID "
            "0007/NG     Surname Ng                        Plan C        Option Single         "
            "  Status Deceased  ");
  EXPECT_EQ(Check4ID(files, ui, "46010150").found, 1);
}

TEST_F(Check4IDTest, NothingFoundOrABlankNumberShowsNothing) {
  addClient(42, "0042/MOK", "Mokoena", "8001015009087", "A", "Family", "Active");
  addChild("0042/MOK", "");  // a child captured without a number
  EXPECT_EQ(Check4ID(files, ui, "9001015009080").found, 0);
  EXPECT_EQ(Check4ID(files, ui, "").found, 0);
  EXPECT_EQ(Check4ID(files, ui, "             ").found, 0);
  EXPECT_TRUE(ui.shown().empty());
}

TEST_F(Check4IDTest, ADependantWhosePolicyIsGoneStillShows) {
  addChild("0099/GON", "1405105009087");
  ui.expect("", kOk,
            "ID No 1405105009087 exists in Children database - Main member Client ID "
            "            Surname                           Plan          Option "
            "                 Status           ");
  EXPECT_EQ(Check4ID(files, ui, "1405105009087").found, 1);
}

TEST_F(Check4IDTest, AnEmptyDataFolderHoldsNoOneAndCreatesNoFile) {
  EXPECT_EQ(Check4ID(files, ui, "8001015009087").found, 0);
  EXPECT_FALSE(test::fileExists(*engine, files.fm<rec::VelCli>().path()));
}

// A file another station holds locked is not passed off as holding no one:
// the store names it and the search goes no further.
TEST_F(Check4IDTest, AFileThatCannotBeReadStopsTheSearch) {
  addClient(42, "0042/MOK", "Mokoena", "8001015009087", "A", "Family", "Active");
  addChild("0042/MOK", "1405105009087");
  FileManager& children = files.fm<rec::VelChd>();
  FileUse use(children);
  ASSERT_EQ(children.EnsureOpen(), kDone);
  test::ExclusiveLock lock(children.path());
  ASSERT_TRUE(lock.take());
  ui.expect("Record Retrieval Error", kOk);
  Check4IdResult r = Check4ID(files, ui, "8001015009087");
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.found, 0);  // the policy holder's file is not searched either
  ASSERT_EQ(ui.shown().size(), 1u);
  EXPECT_NE(ui.shown()[0].text.find("VelChd"), std::string::npos) << ui.shown()[0].text;
}

}  // namespace
}  // namespace vel
