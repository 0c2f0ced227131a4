// Posting a payment, and correcting or removing one, each as one unit.
#include "PaymentsFixture.h"

namespace vel::test {
namespace {

using ledger::BurialCover;
using ledger::FirstPayment;
using ledger::PostResult;

using PaymentPostingTest = PaymentsFixture;

// With invoices from the invoice run (no split) one payment of any amount
// marks every open invoice; an invoice with a split is marked alone.
TEST_F(PaymentPostingTest, MarksOpenInvoicesByTheRuleNotByTheAmount) {
  client("0042/NGU", 100);
  ageingOf("0042/NGU", 300, 100, 200);
  for (int m = 0; m < 3; ++m) invoiceAt("0042/NGU", later(-90 + 30 * m), 100);
  client("0043/DUB", 100);
  ageingOf("0043/DUB", 300, 300);
  invoiceAt("0043/DUB", later(-60), 100, /*risk*/ 40);
  invoiceAt("0043/DUB", later(-30), 100);

  auto out = pay("0042/NGU", 0.01, at);
  ASSERT_EQ(PostResult::Posted, out.result);
  EXPECT_EQ(3, out.invoicesMarked);
  EXPECT_EQ((std::vector<std::string>{"Pd", "Pd", "Pd"}), marks("0042/NGU"));

  ASSERT_EQ(PostResult::Posted, pay("0043/DUB", 500, at).result);
  EXPECT_EQ((std::vector<std::string>{"Pd", ""}), marks("0043/DUB"));
  ASSERT_EQ(PostResult::Posted, pay("0043/DUB", 1, later(0, 1)).result);
  EXPECT_EQ((std::vector<std::string>{"Pd", "Pd"}), marks("0043/DUB"));
}

// The first payment credits the agent; a later one the collector. The
// commission that went to nobody is cleared on the payment the form stores.
TEST_F(PaymentPostingTest, CommissionGoesToOnePartyByTheFirstPaymentSwitch) {
  client("0042/NGU", 100);
  ageingOf("0042/NGU", 100, 100);
  ASSERT_EQ(PostResult::Posted, pay("0042/NGU", 100, at, FirstPayment::Yes).result);
  ASSERT_EQ(PostResult::Posted, pay("0042/NGU", 100, later(1), FirstPayment::No).result);

  auto entries = all<rec::VelTra>();
  ASSERT_EQ(2u, entries.size());
  EXPECT_DOUBLE_EQ(12.5, entries[0].AGE_COMM);
  EXPECT_DOUBLE_EQ(0, entries[0].COLL_COMM);
  EXPECT_DOUBLE_EQ(0, entries[1].AGE_COMM);
  EXPECT_DOUBLE_EQ(7.5, entries[1].COLL_COMM);
  auto payments = all<rec::VelPay>();
  EXPECT_DOUBLE_EQ(0, payments[0].COL_COMM);
  EXPECT_DOUBLE_EQ(12.5, payments[0].AGE_COMM);
  EXPECT_DOUBLE_EQ(0, payments[1].AGE_COMM);
  EXPECT_DOUBLE_EQ(90, payments[1].PREM2PAY) << "the client's PREMTOPAY";
  EXPECT_EQ(entries[1].UNIQUE, payments[1].UNIQUE.str());
  EXPECT_DOUBLE_EQ(90, entries[1].PAYOVER);

  // Decided from the file: the client has payments now.
  EXPECT_FALSE(pay("0042/NGU", 5, later(2)).firstPayment);
  client("0044/MKH", 100);
  EXPECT_TRUE(pay("0044/MKH", 5, later(2)).firstPayment);
}

// DAY5/DAY10 clear only when TOTAL falls strictly below PREMIUM.
TEST_F(PaymentPostingTest, OverdueSwitchesClearBelowThePremiumOnly) {
  client("0042/NGU", 100, 1, 1);
  ageingOf("0042/NGU", 250, 100, 150);
  auto out = pay("0042/NGU", 150, at);  // leaves exactly one premium
  EXPECT_DOUBLE_EQ(100, out.total);
  EXPECT_FALSE(out.overdueCleared);
  EXPECT_EQ(1, clientOf("0042/NGU").DAY5);
  EXPECT_EQ(1, clientOf("0042/NGU").DAY10);

  out = pay("0042/NGU", 0.01, later(0, 1));
  EXPECT_TRUE(out.overdueCleared);
  EXPECT_EQ(0, clientOf("0042/NGU").DAY5);
  EXPECT_EQ(0, clientOf("0042/NGU").DAY10);
  const rec::VelAge a = ageOf("0042/NGU");
  EXPECT_DOUBLE_EQ(99.99, a.TOTAL);
  EXPECT_DOUBLE_EQ(0, a.P30);
  EXPECT_NEAR(a.TOTAL, a.CURRENT + a.P30 + a.P60 + a.P90 + a.P90PLUS, 1e-9);
}

// A write that fails part-way leaves no trace: no payment, no entry, no
// marks, the ageing as it was.
TEST_F(PaymentPostingTest, AFailureLeavesNothingOfThePayment) {
  client("0042/NGU", 100, 1, 1);
  ageingOf("0042/NGU", 100, 100);
  invoiceAt("0042/NGU", later(-1), 100);
  refuseAdds("VelPay");  // the last write of the unit
  ui.expect("Record Insert Error", kOk);
  EXPECT_EQ(PostResult::Failed, pay("0042/NGU", 100, at).result);
  EXPECT_TRUE(all<rec::VelPay>().empty());
  EXPECT_TRUE(all<rec::VelTra>().empty());
  EXPECT_EQ((std::vector<std::string>{""}), marks("0042/NGU"));
  EXPECT_DOUBLE_EQ(100, ageOf("0042/NGU").TOTAL);
  EXPECT_EQ(1, clientOf("0042/NGU").DAY5);
}

// An unknown client gets nothing; a client without an ageing record gets one
// holding the credit, so the money is never lost.
TEST_F(PaymentPostingTest, UnknownClientWritesNothingAndMissingAgeingIsOpened) {
  EXPECT_TRUE(pay("9999/XXX", 50, at).unknownMember);
  EXPECT_TRUE(all<rec::VelPay>().empty());
  client("0042/NGU", 100);
  ASSERT_EQ(PostResult::Posted, pay("0042/NGU", 50, at).result);
  EXPECT_DOUBLE_EQ(-50, ageOf("0042/NGU").TOTAL);
  EXPECT_DOUBLE_EQ(-50, ageOf("0042/NGU").CURRENT);
}

// Removing a payment opens again exactly the invoices it marked: those
// billed after it stay as a later payment marked them.
TEST_F(PaymentPostingTest, DeletingAPaymentReopensOnlyTheInvoicesItMarked) {
  client("0042/NGU", 100);
  ageingOf("0042/NGU", 100, 100);
  invoiceAt("0042/NGU", later(-40), 100);
  ASSERT_EQ(PostResult::Posted, pay("0042/NGU", 100, later(-35)).result);  // marks the first
  invoiceAt("0042/NGU", later(-10), 100);
  invoiceAt("0042/NGU", later(-9), 100);
  ASSERT_EQ(PostResult::Posted, pay("0042/NGU", 200, later(-5)).result);  // marks the next two
  invoiceAt("0042/NGU", later(-1), 100);
  EXPECT_EQ((std::vector<std::string>{"Pd", "Pd", "Pd", ""}), marks("0042/NGU"));

  // Without the second payment: only the first invoice was ever paid.
  ASSERT_EQ(PostResult::Posted,
            ledger::deletePayment<BurialCover>(files, paymentPosition(1), stamp, at));
  EXPECT_EQ((std::vector<std::string>{"Pd", "", "", ""}), marks("0042/NGU"));
  // Without the first as well: nothing is paid.
  ASSERT_EQ(PostResult::Posted,
            ledger::deletePayment<BurialCover>(files, paymentPosition(0), stamp, at));
  EXPECT_EQ((std::vector<std::string>{"", "", "", ""}), marks("0042/NGU"));
  EXPECT_DOUBLE_EQ(100, ageOf("0042/NGU").TOTAL);
  // Two payments and two reversals stay on the ledger.
  double credits = 0;
  for (const auto& t : all<rec::VelTra>()) credits += t.CREDIT;
  EXPECT_EQ(4u, all<rec::VelTra>().size());
  EXPECT_DOUBLE_EQ(0, credits);
}

// Removing the older of two payments: the later one would have marked every
// invoice open at its time, so nothing reopens.
TEST_F(PaymentPostingTest, DeletingAnOlderPaymentLeavesWhatTheLaterOneWouldHaveMarked) {
  client("0042/NGU", 100);
  ageingOf("0042/NGU", 0, 0);
  invoiceAt("0042/NGU", later(-40), 100);
  ASSERT_EQ(PostResult::Posted, pay("0042/NGU", 100, later(-35)).result);
  invoiceAt("0042/NGU", later(-10), 100);
  ASSERT_EQ(PostResult::Posted, pay("0042/NGU", 100, later(-5)).result);
  ASSERT_EQ(PostResult::Posted,
            ledger::deletePayment<BurialCover>(files, paymentPosition(0), stamp, at));
  EXPECT_EQ((std::vector<std::string>{"Pd", "Pd"}), marks("0042/NGU"));
}

// A corrected amount: the ledger shows the old posting, its reversal and
// the new posting; the ageing ends as if the right amount had been paid; a
// second correction from the same stale screen is refused.
TEST_F(PaymentPostingTest, CorrectionReversesAndRepostsAndIsNeverAppliedTwice) {
  client("0042/NGU", 100);
  ageingOf("0042/NGU", 300, 100, 200);
  invoiceAt("0042/NGU", later(-30), 100);
  ASSERT_EQ(PostResult::Posted, pay("0042/NGU", 100, at).result);
  const rec::VelPay loaded = all<rec::VelPay>()[0];
  const std::string pos = paymentPosition(0);

  rec::VelPay changed = loaded;
  changed.CREDIT = 60;
  const Moment when = later(0, 2);
  ASSERT_EQ(PostResult::Posted,
            ledger::correctPayment<BurialCover>(files, pos, loaded, changed, stamp, when));
  auto entries = all<rec::VelTra>();
  ASSERT_EQ(3u, entries.size());
  EXPECT_DOUBLE_EQ(100, entries[0].CREDIT);
  EXPECT_DOUBLE_EQ(-100, entries[1].CREDIT);
  EXPECT_EQ(entries[1].STATUS, "REV");
  EXPECT_DOUBLE_EQ(60, entries[2].CREDIT);
  EXPECT_DOUBLE_EQ(240, ageOf("0042/NGU").TOTAL);
  ASSERT_EQ(1u, all<rec::VelPay>().size());
  EXPECT_DOUBLE_EQ(60, all<rec::VelPay>()[0].CREDIT);
  EXPECT_EQ((std::vector<std::string>{"Pd"}), marks("0042/NGU"));

  rec::VelPay again = loaded;
  again.CREDIT = 60;
  ui.expect("Record Was Not Updated", kOk);
  EXPECT_EQ(PostResult::Failed,
            ledger::correctPayment<BurialCover>(files, pos, loaded, again, stamp, later(0, 3)));
  EXPECT_EQ(3u, all<rec::VelTra>().size());
  EXPECT_DOUBLE_EQ(240, ageOf("0042/NGU").TOTAL);

  // Removing the corrected payment reverses the new posting, not the old.
  ASSERT_EQ(PostResult::Posted, ledger::deletePayment<BurialCover>(files, pos, stamp, later(1)));
  entries = all<rec::VelTra>();
  ASSERT_EQ(4u, entries.size());
  EXPECT_DOUBLE_EQ(-60, entries[3].CREDIT);
  EXPECT_DOUBLE_EQ(300, ageOf("0042/NGU").TOTAL);
}

// The hamper club's ledger is posted by the same rules into its own files.
TEST_F(PaymentPostingTest, HamperPaymentsGoToTheHamperLedger) {
  add<rec::Hamper>([](rec::Hamper& h) {
    h.CLIENT_ID = "0007/KHU";
    h.PREMIUM = 50;
  });
  rec::HamPay p;
  p.CLIENT_ID = "0007/KHU";
  p.DATE = today;
  p.CREDIT = 50;
  ASSERT_EQ(PostResult::Posted,
            ledger::postPayment<ledger::HamperClub>(files, p, {}, stamp, at).result);
  EXPECT_EQ(1u, all<rec::HamTra>().size());
  EXPECT_DOUBLE_EQ(-50, all<rec::HamAge>()[0].TOTAL);
  EXPECT_TRUE(all<rec::VelTra>().empty());
}

}  // namespace
}  // namespace vel::test
