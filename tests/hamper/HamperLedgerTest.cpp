// The hamper club's ledger forms and statement: the burial cover's payment
// form, invoice correction and statement over the hamper files, which must
// leave the burial-cover ledger untouched.
#include <gtest/gtest.h>

#include "billing/PaymentsFixture.h"
#include "common/Money.h"
#include "forms/Catalog.h"
#include "forms/FormCycle.h"
#include "forms/ListActions.h"
#include "hamper/HamperLedgerForms.h"
#include "hamper/HamperStatement.h"
#include "ledger/Ageing.h"
#include "ledger/MessageHooks.h"
#include "members/MemberContext.h"
#include "reports/Receipts.h"

namespace vel::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class KeptDocs : public ReportOutput {
 public:
  void present(const report::Document& doc) override { docs.push_back(doc); }
  std::vector<report::Document> docs;
};

// A hamper member 0042/NGU (contribution 80, both reminder switches on)
// owing two months, and a policy holder of the same client number with a
// ledger of his own that no hamper posting may touch.
class HamperLedgerTest : public PaymentsFixture {
 protected:
  void SetUp() override {
    add<rec::CommStr>([](rec::CommStr& c) {
      c.AGENT = 12.5;
      c.COLL = 7.5;
    });
    add<rec::Hamper>([](rec::Hamper& h) {
      h.CLIENT_ID = kId;
      h.SURNAME = "Ngubane";
      h.INITIALS = "SP";
      h.H_ADDR1 = "4 Mooi Street";
      h.PREMIUM = 80;
      h.DAY5 = 1;
      h.DAY10 = 1;
    });
    add<rec::HamAge>([](rec::HamAge& a) {
      a.CLIENT_ID = kId;
      a.TOTAL = 160;
      a.CURRENT = 80;
      a.P30 = 80;
    });
    for (int m : {1, 2})
      add<rec::HamInv>([&](rec::HamInv& i) {
        i.CLIENT_ID = kId;
        i.DATE = dateFromYmd(2026, m, 21);
        i.DEBIT = 80;
        i.UNIQUE = uniqueStamp(dateFromYmd(2026, m, 21), 0);
      });
    client(kId, 150, 1, 1);
    ageingOf(kId, 300, 150, 150);
    invoiceAt(kId, {dateFromYmd(2026, 2, 21), 0}, 150);
    burialBefore = snapshot();
    memberContext().clear();
    memberContext().CUR_CLIENT_ID = kId;
    addHamperLedgerForms(catalog, clock, [] { return std::string("Thandi"); });
  }

  // The burial-cover ledger and client as one comparable text.
  std::string snapshot() {
    std::string s;
    for (const auto& a : all<rec::VelAge>()) s += std::to_string(toCents(a.TOTAL)) + ";";
    for (const auto& i : all<rec::VelInv>())
      s += i.STATUS.text() + std::to_string(toCents(i.DEBIT)) + ";";
    const rec::VelCli c = clientOf(kId);
    s += std::to_string(c.DAY5) + std::to_string(c.DAY10) + ";";
    s +=
        std::to_string(all<rec::VelPay>().size()) + "/" + std::to_string(all<rec::VelTra>().size());
    return s;
  }
  rec::HamAge hamAge() { return all<rec::HamAge>().at(0); }

  HamperPaymentForm::Step payHamper(double amount) {
    HamperPaymentForm f(files, ui, clock, "Thandi", Request::Insert);
    EXPECT_TRUE(f.open());
    f.payment().CREDIT = amount;
    return f.ok();
  }

  static constexpr const char* kId = "0042/NGU";
  FixedClock clock{today, at.time};
  Catalog catalog;
  std::string burialBefore;
};

// A hamper payment is written the five ways on the hamper files: payment
// (PREM2PAY the member's PREMIUM), invoice marks, "Payment" entry, Age_Pay
// and the reminder switches; the message hook hears "Hamper".
TEST_F(HamperLedgerTest, PaymentPostsToTheHamperLedgerOnly) {
  std::vector<std::string> heard;
  ledger::messageHooks().afterPayment = [&](DataFiles&, std::string_view ledger,
                                            const std::string& id, double amount) {
    heard.push_back(std::string(ledger) + " " + id + " " + std::to_string(toCents(amount)));
  };
  EXPECT_EQ(HamperPaymentForm::Step::Close, payHamper(100));
  ledger::messageHooks().afterPayment = nullptr;

  const auto pays = all<rec::HamPay>();
  ASSERT_EQ(1u, pays.size());
  EXPECT_DOUBLE_EQ(80, pays[0].PREM2PAY);
  EXPECT_DOUBLE_EQ(100, pays[0].CREDIT);
  EXPECT_DOUBLE_EQ(0, pays[0].COL_COMM) << "no hamper payment on file: the agent's commission";
  const auto entries = all<rec::HamTra>();
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("Payment", entries[0].TYPE.str());
  EXPECT_DOUBLE_EQ(12.5, entries[0].AGE_COMM);
  EXPECT_EQ((ledger::AgeBuckets{6000, 6000, 0, 0, 0, 0, 0}), ledger::bucketsOf(hamAge()));
  for (const auto& i : all<rec::HamInv>()) EXPECT_EQ("Pd", i.STATUS.str());
  const rec::Hamper h = all<rec::Hamper>().at(0);
  EXPECT_EQ(0, h.DAY5);
  EXPECT_EQ(0, h.DAY10);
  EXPECT_EQ((std::vector<std::string>{"Hamper 0042/NGU 10000"}), heard);
  EXPECT_EQ(burialBefore, snapshot());

  // The second payment is no longer the first: the collector's commission.
  EXPECT_EQ(HamperPaymentForm::Step::Close, payHamper(10));
  EXPECT_DOUBLE_EQ(7.5, all<rec::HamTra>().at(1).COLL_COMM);
  EXPECT_DOUBLE_EQ(0, all<rec::HamTra>().at(1).AGE_COMM);
}

// Changing a hamper payment on the form corrects it on the hamper ledger:
// a reversing and a new entry, the ageing as if the right amount had been
// taken the first time, and still one payment record.
TEST_F(HamperLedgerTest, ChangedPaymentIsCorrectedNotPaidTwice) {
  ASSERT_EQ(HamperPaymentForm::Step::Close, payHamper(100));
  FileManager& pf = files.fm<rec::HamPay>();
  FileUse use(pf);
  pf.SetOrder(kPhysicalOrder);
  ASSERT_EQ(kDone, pf.TryReadNext());
  clock.set(today + 1, at.time);
  HamperPaymentForm f(files, ui, clock, "Thandi", Request::Change);
  ASSERT_TRUE(f.open());
  EXPECT_DOUBLE_EQ(100, f.payment().CREDIT);
  f.payment().CREDIT = 70;
  EXPECT_EQ(HamperPaymentForm::Step::Close, f.ok());
  EXPECT_EQ(1u, all<rec::HamPay>().size());
  EXPECT_DOUBLE_EQ(70, all<rec::HamPay>().at(0).CREDIT);
  EXPECT_EQ(3u, all<rec::HamTra>().size());
  EXPECT_EQ(9000, ledger::bucketsOf(hamAge()).TOTAL);
  EXPECT_EQ(burialBefore, snapshot());
}

// A payment that cannot be aged (HamAge refuses the change) leaves every
// hamper file as it was; a zero amount is refused before anything.
TEST_F(HamperLedgerTest, PaymentIsWholeOrNothing) {
  ui.expect("Payment Error", kOk, "Payment cannot be ZERO");
  EXPECT_EQ(HamperPaymentForm::Step::FocusAmount, payHamper(0.004));
  refuseChanges("HamAge");
  ui.expect("Record was not updated", kOk);
  EXPECT_EQ(HamperPaymentForm::Step::Stay, payHamper(100));
  EXPECT_TRUE(all<rec::HamPay>().empty());
  EXPECT_TRUE(all<rec::HamTra>().empty());
  for (const auto& i : all<rec::HamInv>()) EXPECT_EQ("", i.STATUS.str());
  EXPECT_EQ(1, all<rec::Hamper>().at(0).DAY5);
  EXPECT_EQ(16000, ledger::bucketsOf(hamAge()).TOTAL);
}

// Update_HamInvoice: a lowered invoice posts the difference on HamTra and
// adjusts HamAge, in the hamper files only.
TEST_F(HamperLedgerTest, InvoiceCorrectionAdjustsTheHamperAgeing) {
  const FormDecl* form = catalog.form("Update_HamInvoice");
  ASSERT_NE(nullptr, form);
  EXPECT_EQ("HamInv", form->file);
  ASSERT_NE(nullptr, catalog.form("Update_HamPay"));
  FileManager& f = files.fm<rec::HamInv>();
  FileUse use(f);
  f.SetOrder(kPhysicalOrder);
  ASSERT_EQ(kDone, f.ReadNext());
  EXPECT_EQ(Response::Completed,
            runFormWith(files, ui, *form, Request::Change, {}, [](FormCycle& c) {
              c.file().rec<rec::HamInv>().DEBIT = 60;
              EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
            }));
  const auto entries = all<rec::HamTra>();
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("Invoice", entries[0].TYPE.str());
  EXPECT_DOUBLE_EQ(20, entries[0].DEBIT);
  EXPECT_EQ("Thandi", entries[0].X_ID.str());
  EXPECT_EQ((ledger::AgeBuckets{14000, 6000, 8000, 0, 0, 0, 0}), ledger::bucketsOf(hamAge()));
  EXPECT_DOUBLE_EQ(60, all<rec::HamInv>().at(0).DEBIT);
  EXPECT_EQ(burialBefore, snapshot());
}

class HamperStatementTest : public HamperLedgerTest {
 protected:
  void entry(std::int32_t date, const char* type, double amount) {
    add<rec::HamTra>([&](rec::HamTra& t) {
      t.CLIENT_ID = kId;
      t.DATE = date;
      t.TYPE = type;
      (std::string_view(type) == "Invoice" ? t.DEBIT : t.CREDIT) = amount;
    });
  }
  report::Document statement(std::int32_t from, std::int32_t to) {
    ReportContext ctx(files, ui, clock);
    ctx.periodStart = from;
    ctx.periodEnd = to;
    ReportProgress progress(ui, "Statement");
    report::Document doc = hamperStatement(ctx, progress, kId);
    EXPECT_FALSE(ctx.failed);
    return doc;
  }
  static std::vector<std::string> ageingTexts(const report::Document& doc) {
    std::vector<std::string> out;
    for (const auto& b : doc.bands())
      if (b.kind == report::BandKind::Free)
        for (const auto& i : b.items)
          if (i.kind == report::Item::Kind::Text) out.push_back(i.text);
    return out;
  }
};

// A member who paid ahead: the credit shows as a negative balance and is
// carried on, so the closing balance is the ageing's Total, not 0.
TEST_F(HamperStatementTest, CreditIsCarriedOnAndClosingEqualsTheAgeingTotal) {
  // Before the period: 2 x 80 invoiced, nothing paid -> 160.00 brought forward
  // (the ageing of the fixture holds exactly that).
  entry(dateFromYmd(2026, 1, 21), "Invoice", 80);
  entry(dateFromYmd(2026, 2, 21), "Invoice", 80);
  // In the period: the counter payment of 300 through the form, then a
  // month's charge that the credit still covers.
  clock.set(dateFromYmd(2026, 3, 10), at.time);
  HamperPaymentForm f(files, ui, clock, "Thandi", Request::Insert);
  ASSERT_TRUE(f.open());
  f.payment().CREDIT = 300;
  ASSERT_EQ(HamperPaymentForm::Step::Close, f.ok());
  entry(dateFromYmd(2026, 3, 21), "Invoice", 80);
  {  // the run's charge on the ageing, as the invoice run ages it
    FileManager& a = files.fm<rec::HamAge>();
    FileUse use(a);
    a.SetOrder(kPhysicalOrder);
    ASSERT_EQ(kDone, a.ReadNext());
    ledger::Age_Charge(a.rec<rec::HamAge>(), 80);
    ASSERT_EQ(kDone, a.Update());
  }

  const report::Document doc = statement(dateFromYmd(2026, 3, 1), dateFromYmd(2026, 3, 31));
  EXPECT_EQ(doc.title, "Hamper Statement");
  EXPECT_EQ(doc.headerLines.back(), "Ngubane S.P. (0042/NGU)");
  EXPECT_EQ(doc.rows(), (Rows{
                            {"", "Balance brought forward:", "", "", "160.00"},
                            {"10/03/2026", "Payment", "", "300.00", "-140.00"},
                            {"21/03/2026", "Invoice", "80.00", "", "-60.00"},
                        }));
  EXPECT_EQ(doc.rows(report::BandKind::ReportTotal),
            (Rows{{"", "TOTALS:", "80.00", "300.00", "-60.00"}}));
  const auto texts = ageingTexts(doc);
  ASSERT_EQ(13u, texts.size());
  EXPECT_EQ("Total", texts[11]);
  EXPECT_EQ("-60.00", texts[12]) << "closing balance = the ageing's Total";
  EXPECT_EQ(-6000, ledger::bucketsOf(hamAge()).TOTAL);
  // The policy holder's statement of the same number reads his own ledger.
  ReportContext ctx(files, ui, clock);
  ctx.periodStart = dateFromYmd(2026, 3, 1);
  ctx.periodEnd = dateFromYmd(2026, 3, 31);
  ReportProgress progress(ui, "Statement");
  EXPECT_EQ(clientStatement(ctx, progress, kId).rows(),
            (Rows{{"", "Balance brought forward:", "", "", "0.00"}}));
}

// The hamper receipt names the member from the hamper file and the club.
TEST_F(HamperLedgerTest, ReceiptReadsTheMemberAndNamesTheClub) {
  rec::HamPay p;
  p.CLIENT_ID = kId;
  p.DATE = today;
  p.CREDIT = 95.5;
  KeptDocs out;
  ReportContext ctx(files, ui, clock);
  ASSERT_TRUE(printLedgerReceipt<ledger::HamperClub>(ctx, out, p));
  ASSERT_EQ(1u, out.docs.size());
  std::string text;
  for (const auto& b : out.docs[0].bands())
    for (const auto& i : b.items) text += i.text + "|";
  EXPECT_NE(std::string::npos, text.find("R95.50")) << text;
  EXPECT_NE(std::string::npos, text.find("Ngubane")) << text;
  EXPECT_NE(std::string::npos, text.find("4 Mooi Street")) << text;
  EXPECT_NE(std::string::npos, text.find("Hamper Savings Club")) << text;
  p.CLIENT_ID = "9999/NON";
  EXPECT_FALSE(printLedgerReceipt<ledger::HamperClub>(ctx, out, p));
}

}  // namespace
}  // namespace vel::test
