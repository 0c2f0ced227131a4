// The first charge of a new member, posted as one group.
#include <algorithm>
#include <thread>

#include "LedgerFixture.h"

namespace vel::test {
namespace {

using ledger::BurialCover;
using ledger::FirstCharge;
using ledger::HamperClub;
using ledger::PostResult;

class FirstChargeTest : public LedgerFixture {
 protected:
  void client(const std::string& id, std::uint8_t invoiced = 0) {
    add<rec::VelCli>([&](rec::VelCli& c) {
      c.NUMBER = 42;
      c.CLIENT_ID = id;
      c.SURNAME = "Ngubane";
      c.INVOICED = invoiced;
      c.PREMIUM = 150;
      c.AGE_COMM = 12.5;
      c.COL_COMM = 7.25;
    });
  }
  FirstCharge charge(const std::string& id = "0042/NGU") { return {id, 150, 12.5, 7.25}; }
  std::size_t ledgerRecords() {
    return all<rec::VelAge>().size() + all<rec::VelInv>().size() + all<rec::VelTra>().size();
  }
};

TEST_F(FirstChargeTest, NewPolicyGetsAgeingInvoiceAndInvoiceEntryAndIsMarkedInvoiced) {
  client("0042/NGU");
  ASSERT_EQ(PostResult::Posted, ledger::postFirstCharge<BurialCover>(files, charge(), stamp, at));

  auto ages = all<rec::VelAge>();
  ASSERT_EQ(1u, ages.size());
  EXPECT_EQ(ages[0].CLIENT_ID, "0042/NGU");
  EXPECT_DOUBLE_EQ(ages[0].TOTAL, 150);
  EXPECT_DOUBLE_EQ(ages[0].CURRENT, 150);
  EXPECT_DOUBLE_EQ(ages[0].P30 + ages[0].P60 + ages[0].P90 + ages[0].P90PLUS + ages[0].BALBF, 0);
  EXPECT_EQ(ages[0].BRANCH_ID, "01");

  const std::string unique = uniqueStamp(at.day, at.time);
  auto invoices = all<rec::VelInv>();
  ASSERT_EQ(1u, invoices.size());
  EXPECT_EQ(invoices[0].CLIENT_ID, "0042/NGU");
  EXPECT_EQ(invoices[0].DATE, today);
  EXPECT_DOUBLE_EQ(invoices[0].DEBIT, 150);
  EXPECT_TRUE(invoices[0].STATUS.blank());
  EXPECT_EQ(invoices[0].UNIQUE, unique);
  EXPECT_EQ(invoices[0].BRANCH_ID, "01");

  auto entries = all<rec::VelTra>();
  ASSERT_EQ(1u, entries.size());
  const rec::VelTra& t = entries[0];
  EXPECT_EQ(t.TYPE, "Invoice");
  EXPECT_EQ(t.DATE, today);
  EXPECT_DOUBLE_EQ(t.DEBIT, 150);
  EXPECT_DOUBLE_EQ(t.CREDIT, 0);
  EXPECT_DOUBLE_EQ(t.AGE_COMM, 12.5);
  EXPECT_DOUBLE_EQ(t.COLL_COMM, 7.25);
  EXPECT_EQ(t.X_DATE, at.day);
  EXPECT_EQ(t.X_TIME, at.time);
  EXPECT_EQ(t.X_ID, "Administra") << "the user's first 10 characters";
  EXPECT_EQ(t.UNIQUE, unique);
  EXPECT_TRUE(t.ACCOUNT.blank() && t.SOURCE.blank() && t.BANK_NAME.blank());

  auto clients = all<rec::VelCli>();
  ASSERT_EQ(1u, clients.size());
  EXPECT_EQ(clients[0].INVOICED, 1) << "the month's invoice run passes the new policy over";
}

TEST_F(FirstChargeTest, PostingAgainWritesNothing) {
  client("0042/NGU");
  ASSERT_EQ(PostResult::Posted, ledger::postFirstCharge<BurialCover>(files, charge(), stamp, at));
  // The same member in another case is the same member to the key.
  EXPECT_EQ(PostResult::NothingToPost,
            ledger::postFirstCharge<BurialCover>(files, charge("0042/ngu"), stamp, at));
  EXPECT_EQ(3u, ledgerRecords());
}

TEST_F(FirstChargeTest, HamperMemberIsChargedOnTheHamperLedgerOnly) {
  add<rec::Hamper>([](rec::Hamper& h) {
    h.NUMBER = 7;
    h.CLIENT_ID = "0007/DLA";
    h.PREMIUM = 80;
  });
  ASSERT_EQ(PostResult::Posted,
            ledger::postFirstCharge<HamperClub>(files, {"0007/DLA", 80, 0, 0}, stamp, at));
  EXPECT_EQ(1u, all<rec::HamAge>().size());
  EXPECT_EQ(1u, all<rec::HamInv>().size());
  ASSERT_EQ(1u, all<rec::HamTra>().size());
  EXPECT_DOUBLE_EQ(all<rec::HamTra>()[0].DEBIT, 80);
  EXPECT_EQ(all<rec::Hamper>()[0].INVOICED, 1);
  EXPECT_EQ(0u, ledgerRecords());
}

// A failure on the last write of the group (the transaction file refusing
// its record) takes the ageing record and the invoice back with it; the
// clerk sees the store's message and a second try posts once.
TEST_F(FirstChargeTest, FailureOnTheLastWriteLeavesNothingAndASecondTryPostsOnce) {
  client("0042/NGU");
  refuseAdds("VelTra");
  ui.expect("Record Insert Error", kOk);
  EXPECT_EQ(PostResult::Failed, ledger::postFirstCharge<BurialCover>(files, charge(), stamp, at));
  EXPECT_EQ(0u, ledgerRecords());
  EXPECT_EQ(all<rec::VelCli>()[0].INVOICED, 0);
  ASSERT_EQ(1u, ui.shown().size());
  EXPECT_NE(std::string::npos, ui.shown()[0].text.find("VelTra")) << ui.shown()[0].text;

  acceptAgain("VelTra");
  EXPECT_EQ(PostResult::Posted, ledger::postFirstCharge<BurialCover>(files, charge(), stamp, at));
  EXPECT_EQ(3u, ledgerRecords());
}

// Marking the member is part of the group too.
TEST_F(FirstChargeTest, FailureMarkingTheMemberLeavesNoLedgerRecords) {
  client("0042/NGU");
  refuseChanges("VelCli");
  ui.expect("Record was not updated", kOk);
  EXPECT_EQ(PostResult::Failed, ledger::postFirstCharge<BurialCover>(files, charge(), stamp, at));
  EXPECT_EQ(0u, ledgerRecords());
}

TEST_F(FirstChargeTest, FileHeldByAnotherStationIsReportedAndNothingIsWritten) {
  client("0042/NGU");
  files.context().transactionTimeout = 0;
  FileManager& tra = files.fm<rec::VelTra>();
  FileUse use(tra);
  ASSERT_EQ(kDone, tra.EnsureOpen());
  {
    WriteLock other(path("VelTra"));  // another station in the middle of a write
    ui.expect("Transaction cancelled", kOk);
    EXPECT_EQ(PostResult::Failed, ledger::postFirstCharge<BurialCover>(files, charge(), stamp, at));
    EXPECT_NE(std::string::npos, ui.shown().at(0).text.find("Another Station"))
        << ui.shown().at(0).text;
  }
  EXPECT_EQ(0u, ledgerRecords());
  EXPECT_EQ(PostResult::Posted, ledger::postFirstCharge<BurialCover>(files, charge(), stamp, at));
}

// The caller's buffer and place in a file survive a posting.
TEST_F(FirstChargeTest, CallersBufferIsGivenBack) {
  client("0042/NGU");
  FileManager& cli = files.fm<rec::VelCli>();
  FileUse use(cli);
  cli.ClearBuffer();
  cli.rec<rec::VelCli>().CLIENT_ID = "0042/NGU";
  ASSERT_EQ(kDone, cli.GetByKey(cli.keyIndex("By_Client")));
  cli.rec<rec::VelCli>().SURNAME = "Typed but not saved";
  ASSERT_EQ(PostResult::Posted, ledger::postFirstCharge<BurialCover>(files, charge(), stamp, at));
  EXPECT_EQ(cli.rec<rec::VelCli>().SURNAME, "Typed but not saved");
}

// Bulk callers add the three records inside their own transaction.
TEST_F(FirstChargeTest, AddedInsideTheCallersTransactionGoesWithIt) {
  std::vector<FileManager*> fs{&files.fm<rec::VelAge>(), &files.fm<rec::VelInv>(),
                               &files.fm<rec::VelTra>()};
  std::vector<std::unique_ptr<FileUse>> uses;
  std::vector<EngineFile*> efs;
  for (FileManager* f : fs) {
    uses.push_back(std::make_unique<FileUse>(*f));
    efs.push_back(f->engineFile());
  }
  {
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(ecode::kNone, engine->begin(efs, 2, tx));
    for (const char* id : {"0001/ABE", "0002/BOT"})
      ASSERT_EQ(kDone, ledger::addFirstCharge<BurialCover>(files, charge(id), stamp, at));
    // A member already charged is refused by the ageing file's key.
    std::string failed;
    EXPECT_EQ(kFailed,
              ledger::addFirstCharge<BurialCover>(files, charge("0001/ABE"), stamp, at, &failed));
    EXPECT_EQ("VelAge", failed);
    ASSERT_EQ(ecode::kNone, tx->commit());
  }
  EXPECT_EQ(6u, ledgerRecords());
  {
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(ecode::kNone, engine->begin(efs, 2, tx));
    ASSERT_EQ(kDone, ledger::addFirstCharge<BurialCover>(files, charge("0003/CEL"), stamp, at));
  }  // not committed: rolled back
  EXPECT_EQ(6u, ledgerRecords());
}

TEST_F(FirstChargeTest, OfficeBranchIsThatOfTheConfiguration) {
  EXPECT_EQ("", ledger::officeBranch(files));
  add<rec::Config>([](rec::Config& c) { c.BRANCH_ID = "07"; });
  EXPECT_EQ("07", ledger::officeBranch(files));
}

}  // namespace
}  // namespace vel::test

namespace vel::test {
namespace {

// Two stations posting the same new member's first charge at once: the check
// and the writes are one transaction, so exactly one of them posts.
TEST_F(FirstChargeTest, TwoStationsPostingAtOnceChargeTheMemberOnce) {
  client("0042/NGU");
  files.context().transactionTimeout = 60;  // a loaded machine may be slow; nobody gives up
  for (int round = 0; round < 5; ++round) {
    const std::string id = "00" + std::to_string(50 + round) + "/RUN";
    std::vector<PostResult> results(2);
    std::vector<std::thread> stations;
    for (int s = 0; s < 2; ++s)
      stations.emplace_back([&, s] {
        // Each thread has its own buffers and its own connection to the files.
        results[s] = ledger::postFirstCharge<BurialCover>(files, charge(id), stamp, at);
      });
    for (auto& t : stations) t.join();
    EXPECT_EQ(1, std::count(results.begin(), results.end(), PostResult::Posted)) << id;
    EXPECT_EQ(1, std::count(results.begin(), results.end(), PostResult::NothingToPost)) << id;
  }
  EXPECT_EQ(15u, ledgerRecords());
}

}  // namespace
}  // namespace vel::test
