// RelationManager: cascades on bank names, no action on client ledgers, and
// nothing left half-done when a cascade fails part-way.
#include "StoreFixture.h"

namespace vel {
namespace {

class RelationTest : public test::EngineStoreFixture {
 protected:
  void SetUp() override {
    files.rm<rec::BankName>().Open();
    addBank("ABSA");
    addBank("Capitec");
    addBranch<rec::BankList>("ABSA", "Polokwane", "632005");
    addBranch<rec::BankList>("ABSA", "Tzaneen", "632005");
    addBranch<rec::BankBranch>("ABSA", "Polokwane", "632005");
    addBranch<rec::BankBranch>("Capitec", "Polokwane", "470010");
  }
  void TearDown() override {
    files.rm<rec::BankName>().Close();
    EngineStoreFixture::TearDown();
  }

  void addBank(const char* name) {
    FileManager& f = files.fm<rec::BankName>();
    f.ClearBuffer();
    f.rec<rec::BankName>().NAME = name;
    ASSERT_EQ(files.rm<rec::BankName>().Insert(), kDone);
  }
  template <class R>
  void addBranch(const char* bank, const char* branch, const char* code) {
    FileManager& f = files.fm<R>();
    f.ClearBuffer();
    auto& r = f.template rec<R>();
    r.NAME = bank;
    r.BRANCH = branch;
    r.CODE = code;
    ASSERT_EQ(f.Insert(), kDone);
  }
  template <class R>
  std::vector<std::string> banksIn() {
    FileManager& f = files.fm<R>();
    std::vector<std::string> out;
    f.SetOrder(0);
    while (f.ReadNext() == kDone) {
      auto& r = f.template rec<R>();
      out.push_back(r.NAME.text() + "/" + r.BRANCH.text());
    }
    return out;
  }
  void fetchBank(const char* name) {
    FileManager& f = files.fm<rec::BankName>();
    f.rec<rec::BankName>().NAME = name;
    ASSERT_EQ(f.GetByKey(0), kDone);
    ASSERT_EQ(f.WatchAndReread(), kDone);
  }
};

TEST_P(RelationTest, OpeningTheParentOpensItsChildren) {
  EXPECT_EQ(files.fm<rec::BankList>().useCount(), 1);
  EXPECT_EQ(files.fm<rec::BankBranch>().useCount(), 1);
  files.rm<rec::BankList>().Open();  // a child opens its parent too
  EXPECT_EQ(files.fm<rec::BankName>().useCount(), 2);
  files.rm<rec::BankList>().Close();
}

TEST_P(RelationTest, RenamingABankRenamesItInBothBranchFiles) {
  fetchBank("ABSA");
  files.fm<rec::BankName>().rec<rec::BankName>().NAME = "Absa Bank";
  ASSERT_EQ(files.rm<rec::BankName>().Update(), kDone);
  EXPECT_EQ(banksIn<rec::BankList>(),
            (std::vector<std::string>{"Absa Bank/Polokwane", "Absa Bank/Tzaneen"}));
  EXPECT_EQ(banksIn<rec::BankBranch>(),
            (std::vector<std::string>{"Absa Bank/Polokwane", "Capitec/Polokwane"}));
}

TEST_P(RelationTest, DeletingABankDeletesItsBranchesInOneGo) {
  fetchBank("ABSA");
  ui.expect("Confirm Delete", kYes);
  ASSERT_EQ(files.rm<rec::BankName>().Delete(true), kDone);
  EXPECT_TRUE(banksIn<rec::BankList>().empty());
  EXPECT_EQ(banksIn<rec::BankBranch>(), (std::vector<std::string>{"Capitec/Polokwane"}));
  EXPECT_EQ(files.fm<rec::BankName>().Records(), 1);
}

TEST_P(RelationTest, ACascadeThatFailsPartWayLeavesEveryFileAsItWas) {
  // The new name is free in BankName, but BankBranch already holds a
  // Polokwane branch with ABSA's code under it: the cascade clashes there,
  // after BankList has been renamed.
  addBranch<rec::BankBranch>("Capitec2", "Polokwane", "632005");
  fetchBank("ABSA");
  files.fm<rec::BankName>().rec<rec::BankName>().NAME = "Capitec2";
  ui.expect("Record was not updated", kOk);
  EXPECT_EQ(files.rm<rec::BankName>().Update(), kFailed);
  EXPECT_EQ(files.fm<rec::BankName>().rec<rec::BankName>().NAME, "ABSA");
  EXPECT_EQ(banksIn<rec::BankList>(),
            (std::vector<std::string>{"ABSA/Polokwane", "ABSA/Tzaneen"}));
  FileManager& names = files.fm<rec::BankName>();
  names.rec<rec::BankName>().NAME = "ABSA";
  EXPECT_EQ(names.GetByKey(0), kDone);
}

TEST_P(RelationTest, DeletingAClientLeavesItsLedgerAndDependants) {
  RelationManager& cli = files.rm<rec::VelCli>();
  cli.Open();
  FileManager& c = files.fm<rec::VelCli>();
  c.ClearBuffer();
  c.rec<rec::VelCli>().CLIENT_ID = "0001/NKO";
  ASSERT_EQ(c.Insert(), kDone);
  for (const char* label : {"VelInv", "VelTra", "VelPay", "VelAge", "VelChd", "VelExt"}) {
    FileManager& f = files.fm(label);
    f.ClearBuffer();
    f.field("CLIENT_ID").text() = "0001/NKO";
    ASSERT_EQ(f.Insert(), kDone) << label;
  }
  c.rec<rec::VelCli>().CLIENT_ID = "0001/NKO";
  ASSERT_EQ(c.GetByKey(c.keyIndex("By_Client")), kDone);
  ASSERT_EQ(cli.Delete(false), kDone);
  EXPECT_EQ(c.Records(), 0);
  for (const char* label : {"VelInv", "VelTra", "VelPay", "VelAge", "VelChd", "VelExt"})
    EXPECT_EQ(files.fm(label).Records(), 1) << label;
  cli.Close();
}

INSTANTIATE_TEST_SUITE_P(Engines, RelationTest, test::bothEngines(), test::engineParamName);

}  // namespace
}  // namespace vel
