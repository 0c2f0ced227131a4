// The premium correction and the payment delete, each posted as one group.
#include "LedgerFixture.h"
#include "ledger/PaymentPosting.h"

namespace vel::test {
namespace {

using ledger::BurialCover;
using ledger::HamperClub;
using ledger::PostResult;

class CorrectionTest : public LedgerFixture {
 protected:
  void ageing(const std::string& id, double total, double current, double p30 = 0) {
    add<rec::VelAge>([&](rec::VelAge& a) {
      a.CLIENT_ID = id;
      a.TOTAL = total;
      a.CURRENT = current;
      a.P30 = p30;
      a.SENT = 1;
    });
  }
  void invoice(const std::string& id, std::int32_t date, double debit) {
    add<rec::VelInv>([&](rec::VelInv& i) {
      i.CLIENT_ID = id;
      i.DATE = date;
      i.DEBIT = debit;
    });
  }
  void entry(const std::string& id, std::int32_t date, const std::string& type, double amount,
             const std::string& unique = "") {
    add<rec::VelTra>([&](rec::VelTra& t) {
      t.CLIENT_ID = id;
      t.DATE = date;
      t.TYPE = type;
      (type == "Invoice" ? t.DEBIT : t.CREDIT) = amount;
      t.BRANCH_ID = "01";
      t.UNIQUE = unique;
    });
  }
  PostResult correct(double from, double to, const std::string& id = "0042/NGU") {
    return ledger::postPremiumCorrection<BurialCover>(files, {id, from, to}, stamp, at);
  }
  // A member with two months invoiced at 100 and a neighbour whose records
  // sort after his.
  void policyOf100() {
    ageing("0042/NGU", 130, 100, 30);
    invoice("0042/NGU", today - 30, 100);
    invoice("0042/NGU", today - 1, 100);
    invoice("0043/NKO", today - 1, 75);
  }
};

TEST_F(CorrectionTest, PremiumRiseWritesNegativeEntryRaisesAgeingAndRebillsLastInvoice) {
  policyOf100();
  ASSERT_EQ(PostResult::Posted, correct(100, 120));

  auto entries = all<rec::VelTra>();
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ(entries[0].TYPE, "Invoice");
  EXPECT_DOUBLE_EQ(entries[0].DEBIT, -20) << "old less new";
  EXPECT_DOUBLE_EQ(entries[0].CREDIT, 0);
  EXPECT_EQ(entries[0].DATE, today);
  EXPECT_EQ(entries[0].X_ID, "Administra");

  auto ages = all<rec::VelAge>();
  EXPECT_DOUBLE_EQ(ages[0].TOTAL, 150);
  EXPECT_DOUBLE_EQ(ages[0].CURRENT, 120);
  EXPECT_DOUBLE_EQ(ages[0].P30, 30);
  EXPECT_EQ(ages[0].SENT, 0);

  auto invoices = all<rec::VelInv>();
  EXPECT_DOUBLE_EQ(invoices[0].DEBIT, 100) << "only the last invoice is re-billed";
  EXPECT_DOUBLE_EQ(invoices[1].DEBIT, 120);
  EXPECT_DOUBLE_EQ(invoices[2].DEBIT, 75) << "the neighbour's invoice is left alone";
}

TEST_F(CorrectionTest, SameCorrectionAgainPostsNothingButAFurtherChangePosts) {
  policyOf100();
  ASSERT_EQ(PostResult::Posted, correct(100, 120));
  EXPECT_EQ(PostResult::NothingToPost, correct(100, 120));
  EXPECT_EQ(1u, all<rec::VelTra>().size());
  EXPECT_DOUBLE_EQ(all<rec::VelAge>()[0].TOTAL, 150);

  // The same step again (120 to 140: D is -20 once more) is a new change.
  EXPECT_EQ(PostResult::Posted, correct(120, 140));
  EXPECT_EQ(2u, all<rec::VelTra>().size());
  EXPECT_DOUBLE_EQ(all<rec::VelAge>()[0].TOTAL, 170);
  EXPECT_DOUBLE_EQ(all<rec::VelInv>()[1].DEBIT, 140);
}

TEST_F(CorrectionTest, PremiumUnchangedAtCentsWritesNothing) {
  policyOf100();
  EXPECT_EQ(PostResult::NothingToPost, correct(100, 100.004));
  EXPECT_TRUE(all<rec::VelTra>().empty());
  EXPECT_DOUBLE_EQ(all<rec::VelAge>()[0].TOTAL, 130);
  EXPECT_DOUBLE_EQ(all<rec::VelInv>()[1].DEBIT, 100);
}

TEST_F(CorrectionTest, MemberWithoutAgeingOrInvoicesGetsTheEntryOnly) {
  ASSERT_EQ(PostResult::Posted, correct(100, 80));
  ASSERT_EQ(1u, all<rec::VelTra>().size());
  EXPECT_DOUBLE_EQ(all<rec::VelTra>()[0].DEBIT, 20);
  EXPECT_TRUE(all<rec::VelAge>().empty()) << "no ageing record is made up";
  EXPECT_TRUE(all<rec::VelInv>().empty());
  EXPECT_EQ(PostResult::NothingToPost, correct(100, 80));
}

TEST_F(CorrectionTest, FailureRebillingTheInvoiceTakesEntryAndAgeingBack) {
  policyOf100();
  refuseChanges("VelInv");
  ui.expect("Record was not updated", kOk);
  EXPECT_EQ(PostResult::Failed, correct(100, 120));
  EXPECT_TRUE(all<rec::VelTra>().empty());
  EXPECT_DOUBLE_EQ(all<rec::VelAge>()[0].TOTAL, 130);
  EXPECT_DOUBLE_EQ(all<rec::VelAge>()[0].CURRENT, 100);

  acceptAgain("VelInv");
  EXPECT_EQ(PostResult::Posted, correct(100, 120));
  EXPECT_DOUBLE_EQ(all<rec::VelAge>()[0].TOTAL, 150);
}

TEST_F(CorrectionTest, HamperCorrectionStaysOnTheHamperLedger) {
  add<rec::HamAge>([](rec::HamAge& a) {
    a.CLIENT_ID = "0007/DLA";
    a.TOTAL = a.CURRENT = 80;
  });
  ASSERT_EQ(PostResult::Posted,
            ledger::postPremiumCorrection<HamperClub>(files, {"0007/DLA", 80, 90}, stamp, at));
  EXPECT_DOUBLE_EQ(all<rec::HamAge>()[0].TOTAL, 90);
  EXPECT_EQ(1u, all<rec::HamTra>().size());
  EXPECT_TRUE(all<rec::VelTra>().empty());
}

// --- Deleting a payment -----------------------------------------------------

class PaymentDeleteTest : public CorrectionTest {
 protected:
  // Adds a payment and gives its position in the payment file.
  std::string payment(const std::string& id, std::int32_t date, double credit,
                      const std::string& unique) {
    FileManager& f = files.fm<rec::VelPay>();
    FileUse use(f);
    f.ClearBuffer();
    auto& p = f.rec<rec::VelPay>();
    p.CLIENT_ID = id;
    p.DATE = date;
    p.CREDIT = credit;
    p.ACCOUNT = "Petty Cash";
    p.BRANCH_ID = "01";
    p.UNIQUE = unique;
    EXPECT_EQ(kDone, f.Insert());
    return f.Position();
  }
};

// The ledger keeps the payment's own entry and shows its reversal; the
// amount goes back on the ageing once, however often the delete is repeated.
TEST_F(PaymentDeleteTest, ReversesThePaymentsOwnEntryAndGivesTheAmountBackOnce) {
  ageing("0042/NGU", 20, 20);
  entry("0042/NGU", today, "Invoice", 100, "1");
  entry("0042/NGU", today, "Payment", 50, "2");  // an earlier payment of the same day
  entry("0042/NGU", today, "Payment", 50, "3");
  entry("0042/NGU", today - 1, "Payment", 50, "4");
  payment("0042/NGU", today, 50, "2");
  const std::string pos = payment("0042/NGU", today, 50, "3");

  ASSERT_EQ(PostResult::Posted, ledger::deletePayment<BurialCover>(files, pos, stamp, at));

  auto payments = all<rec::VelPay>();
  ASSERT_EQ(1u, payments.size());
  EXPECT_EQ(payments[0].UNIQUE, "2");
  auto entries = all<rec::VelTra>();
  ASSERT_EQ(5u, entries.size()) << "nothing is taken off the ledger";
  const rec::VelTra& rev = entries[4];
  EXPECT_EQ(rev.TYPE, "Payment");
  EXPECT_EQ(rev.STATUS, "REV");
  EXPECT_DOUBLE_EQ(rev.CREDIT, -50);
  EXPECT_EQ(rev.DATE, today);
  EXPECT_DOUBLE_EQ(all<rec::VelAge>()[0].TOTAL, 70);
  EXPECT_DOUBLE_EQ(all<rec::VelAge>()[0].CURRENT, 70);

  EXPECT_EQ(PostResult::NothingToPost, ledger::deletePayment<BurialCover>(files, pos, stamp, at));
  EXPECT_DOUBLE_EQ(all<rec::VelAge>()[0].TOTAL, 70);
  EXPECT_EQ(5u, all<rec::VelTra>().size());
}

// The reversal copies the commission of the payment's own entry (found by
// stamp among entries of the same date and amount), never of an invoice.
TEST_F(PaymentDeleteTest, ReversalNegatesTheCommissionOfThePaymentsOwnEntry) {
  ageing("0042/NGU", 0, 0);
  entry("0042/NGU", today, "Invoice", 50, "1");
  add<rec::VelTra>([&](rec::VelTra& t) {
    t.CLIENT_ID = "0042/NGU";
    t.DATE = today;
    t.TYPE = "Payment";
    t.CREDIT = 50;
    t.AGE_COMM = 7.5;
    t.UNIQUE = "9";
  });
  const std::string pos = payment("0042/NGU", today, 50, "");
  ASSERT_EQ(PostResult::Posted, ledger::deletePayment<BurialCover>(files, pos, stamp, at));
  auto entries = all<rec::VelTra>();
  ASSERT_EQ(3u, entries.size());
  EXPECT_DOUBLE_EQ(entries[2].AGE_COMM, -7.5);
  EXPECT_DOUBLE_EQ(entries[2].CREDIT, -50);
}

TEST_F(PaymentDeleteTest, FailureOnTheAgeingKeepsPaymentAndLedger) {
  ageing("0042/NGU", 20, 20);
  entry("0042/NGU", today, "Payment", 50, "3");
  const std::string pos = payment("0042/NGU", today, 50, "3");
  refuseChanges("VelAge");
  ui.expect("Record was not updated", kOk);
  EXPECT_EQ(PostResult::Failed, ledger::deletePayment<BurialCover>(files, pos, stamp, at));
  EXPECT_EQ(1u, all<rec::VelPay>().size());
  EXPECT_EQ(1u, all<rec::VelTra>().size());
  EXPECT_DOUBLE_EQ(all<rec::VelAge>()[0].TOTAL, 20);
}

}  // namespace
}  // namespace vel::test
