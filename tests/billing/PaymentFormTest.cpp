// The payment form's own rules over the payment posting.
#include "PaymentsFixture.h"
#include "billing/PaymentForm.h"
#include "common/Money.h"
#include "ledger/MessageHooks.h"
#include "forms/Catalog.h"
#include "forms/ListActions.h"
#include "members/ClientBrowse.h"
#include "members/MemberContext.h"

namespace vel::test {
namespace {

class PaymentFormTest : public PaymentsFixture {
 protected:
  void SetUp() override {
    add<rec::CommStr>([](rec::CommStr& c) {
      c.AGENT = 12.5;
      c.COLL = 7.5;
    });
    client("0042/NGU", 100);
    ageingOf("0042/NGU", 100, 100);
    state.clear();
    state.CUR_CLIENT_ID = "0042/NGU";
    state.COL_CODE = "C1";
    state.AGE_CODE = "A1";
  }
  FixedClock clock{today, at.time};
  MemberContext& state = memberContext();
};

TEST_F(PaymentFormTest, ZeroAtCentsIsRefusedAndNothingIsWritten) {
  PaymentForm f(files, ui, clock, "Administrator", Request::Insert);
  ASSERT_TRUE(f.open());
  f.payment().CREDIT = 0.004;
  ui.expect("Payment Error", kOk, "Payment cannot be ZERO");
  EXPECT_EQ(PaymentForm::Step::FocusAmount, f.ok());
  EXPECT_TRUE(all<rec::VelPay>().empty());
  EXPECT_EQ(Response::Cancelled, f.response());
}

// Every control lands in its field: "Direct Deposit" cut to the field,
// "Self" as SEL, the double-payment tick kept; the hook hears of it once.
TEST_F(PaymentFormTest, ControlsAreStoredAndTheHookHearsOfThePayment) {
  std::vector<std::string> heard;
  ledger::messageHooks().afterPayment = [&](DataFiles&, std::string_view ledger,
                                           const std::string& id, double amount) {
    heard.push_back(std::string(ledger) + " " + id + " " + std::to_string(toCents(amount)));
  };
  state.FIRST_PAYMENT = 1;
  PaymentForm f(files, ui, clock, "Administrator", Request::Insert);
  ASSERT_TRUE(f.open());
  EXPECT_EQ(f.payment().SOURCE, "Cash");
  EXPECT_DOUBLE_EQ(7.5, f.payment().COL_COMM);
  f.setSource("Direct Deposit");
  EXPECT_EQ("Direct Deposit", f.sourceChoice());
  f.setAccount("Bank");
  f.whoPaidSelf = true;
  f.setDoublePayment(true);
  f.payment().CREDIT = 200;
  EXPECT_EQ(PaymentForm::Step::Close, f.ok());
  ledger::messageHooks().afterPayment = nullptr;

  auto p = all<rec::VelPay>();
  ASSERT_EQ(1u, p.size());
  EXPECT_EQ(p[0].SOURCE, "Direct Depo");
  EXPECT_EQ(p[0].ACCOUNT, "Bank");
  EXPECT_EQ(p[0].STATUS, "SEL");
  EXPECT_EQ(1, p[0].DBLPAY);
  EXPECT_EQ(p[0].COL_CODE, "C1");
  EXPECT_DOUBLE_EQ(0, p[0].COL_COMM) << "first payment: the agent's commission only";
  EXPECT_DOUBLE_EQ(-100, ageOf("0042/NGU").TOTAL);
  EXPECT_EQ((std::vector<std::string>{"Velmora 0042/NGU 20000"}), heard);
  EXPECT_EQ(Response::Completed, f.response());
}

// Changing the amount on the form posts a correction, not a second payment.
TEST_F(PaymentFormTest, ChangingAPaymentCorrectsIt) {
  {
    PaymentForm f(files, ui, clock, "Administrator", Request::Insert);
    ASSERT_TRUE(f.open());
    f.payment().CREDIT = 100;
    ASSERT_EQ(PaymentForm::Step::Close, f.ok());
  }
  FileManager& pf = files.fm<rec::VelPay>();
  FileUse use(pf);
  pf.SetOrder(kPhysicalOrder);
  ASSERT_EQ(kDone, pf.TryReadNext());
  clock.set(today + 1, at.time);
  PaymentForm f(files, ui, clock, "Administrator", Request::Change);
  ASSERT_TRUE(f.open());
  f.payment().CREDIT = 80;
  EXPECT_EQ(PaymentForm::Step::Close, f.ok());
  EXPECT_EQ(1u, all<rec::VelPay>().size());
  EXPECT_EQ(3u, all<rec::VelTra>().size());
  EXPECT_DOUBLE_EQ(20, ageOf("0042/NGU").TOTAL);
}

}  // namespace
}  // namespace vel::test

namespace vel::test {
namespace {

// The payments panel: "Print Receipt" prints the highlighted payment; the
// insert prepares the client and opens the payment form, never the generic
// cycle, so no payment is ever stored without its ledger.
TEST_F(PaymentFormTest, PaymentsPanelPrintsTheHighlightedReceiptAndOpensThePaymentForm) {
  Catalog catalog;
  addPaymentForm(catalog);
  std::vector<std::string> printed;
  std::vector<Request> opened;
  ClientBrowseSetup setup;
  setup.clock = &clock;
  setup.user = [] { return std::string("clerk"); };
  setup.printReceipt = [&](const rec::VelPay& p) {
    printed.push_back(p.CLIENT_ID.text() + " " + std::to_string(toCents(p.CREDIT)));
  };
  setup.paymentForm = [&](Request r) {
    opened.push_back(r);
    return Response::Cancelled;
  };
  addClientBrowse(catalog, setup);
  ASSERT_EQ(ledger::PostResult::Posted, pay("0042/NGU", 75, at).result);

  const ListDecl& panel = *catalog.list(kClientPayments);
  ListActions actions(files, ui, catalog, panel, [](const FormDecl&, Request, const Presets&) {
    ADD_FAILURE() << "the generic form must not open";
    return Response::Cancelled;
  });
  EXPECT_TRUE(actions.offered() & kActPrint);
  FileManager& f = files.fm<rec::VelPay>();
  FileUse use(f);
  f.SetOrder(kPhysicalOrder);
  ASSERT_EQ(kDone, f.TryReadNext());
  actions.act(kActPrint, f.Position());
  EXPECT_EQ((std::vector<std::string>{"0042/NGU 7500"}), printed);
  actions.act(kActInsert, {});
  actions.act(kActChange, f.Position());
  EXPECT_EQ((std::vector<Request>{Request::Insert, Request::Change}), opened);
  EXPECT_EQ(0, state.FIRST_PAYMENT) << "prepared from the payments on file";
}

// "Print Receipt?" ticked prints the payment as posted, once.
TEST_F(PaymentFormTest, TickedReceiptPrintsThePostedPayment) {
  PaymentForm f(files, ui, clock, "Administrator", Request::Insert);
  ASSERT_TRUE(f.open());
  std::vector<double> receipts;
  f.receipt = [&](const rec::VelPay& p) { receipts.push_back(p.CREDIT); };
  f.payment().CREDIT = 0;
  f.printReceipt = true;
  ui.expect("Payment Error", kOk);
  f.ok();
  EXPECT_TRUE(receipts.empty()) << "nothing posted, nothing printed";
  f.payment().CREDIT = 55.5;
  EXPECT_EQ(PaymentForm::Step::Close, f.ok());
  EXPECT_EQ((std::vector<double>{55.5}), receipts);
}

}  // namespace
}  // namespace vel::test

namespace vel::test {
namespace {

// Text that is no amount is refused by name and changes nothing; a decimal
// comma is read as the clerk meant it.
TEST_F(PaymentFormTest, TypedAmountsAreReadOrRefusedByName) {
  PaymentForm f(files, ui, clock, "Administrator", Request::Insert);
  ASSERT_TRUE(f.open());
  ASSERT_TRUE(f.enterAmount("45,50"));
  EXPECT_DOUBLE_EQ(45.5, f.payment().CREDIT);
  ui.expect("Invalid Entry", kOk, "Payment Amount: \"R4O\" is not an amount.");
  EXPECT_FALSE(f.enterAmount("R4O"));
  EXPECT_DOUBLE_EQ(45.5, f.payment().CREDIT);
  ui.expect("Invalid Entry", kOk, "Agent Comm: \"1,250\" is not an amount.");
  EXPECT_FALSE(f.enterCommission(true, "1,250"));
  EXPECT_DOUBLE_EQ(12.5, f.payment().AGE_COMM);
}

}  // namespace
}  // namespace vel::test
