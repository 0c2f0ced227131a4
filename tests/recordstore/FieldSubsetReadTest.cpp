// A walk that needs a few fields of a wide record reads only those: the other
// fields of the buffer are left alone, and such a record is never put back.
#include <thread>

#include "StoreFixture.h"
#include "errors/EngineStatus.h"

namespace vel {
namespace {

class FieldSubsetReadTest : public test::EngineStoreFixture {
 protected:
  void SetUp() override {
    FileManager& cli = files.fm<rec::VelCli>();
    FileUse use(cli);
    for (int i = 1; i <= 40; ++i) {
      cli.ClearBuffer();
      auto& c = cli.rec<rec::VelCli>();
      c.CLIENT_ID = "C" + std::to_string(100 + i);
      c.SURNAME = i % 2 ? "Dube" : "Zulu";
      c.ROUTE = "Route " + std::to_string(i % 3);
      c.PLANPREM = 100 + i;
      c.REMARKS = "remarks of " + std::to_string(i);
      ASSERT_EQ(cli.Insert(), kDone);
    }
  }
};

TEST_P(FieldSubsetReadTest, ReadsFillOnlyTheNamedFieldsAndRefuseAPut) {
  FileManager& cli = files.fm<rec::VelCli>();
  FileUse use(cli);
  auto& c = cli.rec<rec::VelCli>();
  {
    FieldSubsetRead narrow(cli, {"ROUTE", "PLANPREM"});
    EXPECT_TRUE(cli.ReadsFieldSubset());
    // By key: the named fields, nothing else of the record.
    cli.ClearBuffer();
    c.CLIENT_ID = "C107";
    c.REMARKS = "mine";
    ASSERT_EQ(cli.GetByKey(cli.keyIndex("By_Client")), kDone);
    EXPECT_EQ(c.ROUTE.str(), "Route 1");
    EXPECT_EQ(c.PLANPREM, 107);
    EXPECT_EQ(c.REMARKS.str(), "mine");
    EXPECT_TRUE(c.SURNAME.blank());
    // A put of what was read is refused and the record stays whole.
    c.ROUTE = "Route 9";
    EXPECT_EQ(cli.TryUpdate(), kFailed);
    EXPECT_EQ(cli.LastEngineCode(), ecode::kNotSupported);
    // A walk in an order of other fields still finds its way through the file.
    cli.ClearBuffer();
    ASSERT_EQ(cli.SetOrder(cli.keyIndex("By_Name")), kDone);
    int n = 0;
    double total = 0;
    while (cli.TryReadNext() == kDone) {
      ++n;
      total += c.PLANPREM;
      EXPECT_TRUE(c.SURNAME.blank());
    }
    EXPECT_TRUE(cli.EndOfData());
    EXPECT_EQ(n, 40);
    EXPECT_EQ(total, 40 * 100 + 40 * 41 / 2);
    // Another thread reads whole records meanwhile.
    std::thread([&] {
      FileUse theirs(cli);
      auto& t = cli.rec<rec::VelCli>();  // this thread's own buffer
      cli.ClearBuffer();
      t.CLIENT_ID = "C107";
      EXPECT_EQ(cli.GetByKey(cli.keyIndex("By_Client")), kDone);
      EXPECT_EQ(t.REMARKS.str(), "remarks of 7");
    }).join();
  }
  // Whole records again: read, changed and put.
  EXPECT_FALSE(cli.ReadsFieldSubset());
  cli.ClearBuffer();
  c.CLIENT_ID = "C107";
  ASSERT_EQ(cli.GetByKey(cli.keyIndex("By_Client")), kDone);
  EXPECT_EQ(c.SURNAME.str(), "Dube");
  EXPECT_EQ(c.REMARKS.str(), "remarks of 7");
  c.ROUTE = "Route 9";
  EXPECT_EQ(cli.Update(), kDone);
  cli.ClearBuffer();
  c.CLIENT_ID = "C107";
  ASSERT_EQ(cli.GetByKey(cli.keyIndex("By_Client")), kDone);
  EXPECT_EQ(c.ROUTE.str(), "Route 9");
  EXPECT_EQ(c.REMARKS.str(), "remarks of 7");
}

TEST_P(FieldSubsetReadTest, AnUnknownFieldIsRefused) {
  FileManager& cli = files.fm<rec::VelCli>();
  FileUse use(cli);
  EXPECT_EQ(cli.SetReadFields({"ROUTE", "NO_SUCH"}), kFailed);
  EXPECT_FALSE(cli.ReadsFieldSubset());
}

INSTANTIATE_TEST_SUITE_P(Engines, FieldSubsetReadTest, test::bothEngines(), test::engineParamName);

}  // namespace
}  // namespace vel
