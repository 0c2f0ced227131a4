// Correcting an invoice's amount on the invoice form.
#include <gtest/gtest.h>

#include "billing/InvoiceCorrection.h"
#include "forms/Catalog.h"
#include "forms/FormCycle.h"
#include "forms/ListActions.h"
#include "ledger/Ageing.h"
#include "ledger/LedgerFixture.h"

namespace vel::test {
namespace {

class InvoiceCorrectionTest : public LedgerFixture {
 protected:
  void SetUp() override {
    billing::addInvoiceForm(catalog, clock, [] { return std::string("Thandi"); });
    add<rec::VelInv>([](rec::VelInv& i) {
      i.CLIENT_ID = "0007/MOK";
      i.DATE = dateFromYmd(2026, 2, 21);
      i.DEBIT = 120;
    });
    add<rec::VelAge>([](rec::VelAge& a) {
      a.CLIENT_ID = "0007/MOK";
      ledger::storeBuckets(a, {30000, 12000, 18000, 0, 0, 0, 18000});
    });
  }

  // Opens the invoice form on the invoice, lets `edit` change it, presses OK.
  Response correct(const std::function<void(rec::VelInv&)>& edit, bool* closed = nullptr) {
    FileManager& f = files.fm<rec::VelInv>();
    FileUse use(f);
    f.SetOrder(kPhysicalOrder);
    EXPECT_EQ(kDone, f.ReadNext());
    return runFormWith(files, ui, *catalog.form("Update_Invoice"), Request::Change, {},
                       [&](FormCycle& c) {
                         edit(c.file().rec<rec::VelInv>());
                         const bool close = c.ok().action == FormCycle::Outcome::Close;
                         if (closed) *closed = close;
                         if (!close) c.leave();
                       });
  }

  Catalog catalog;
  FixedClock clock{dateFromYmd(2026, 3, 2), timeFromHms(11, 0, 0)};
};

TEST_F(InvoiceCorrectionTest, LoweredAmountPostsTheDifferenceAndAdjustsTheAgeing) {
  EXPECT_EQ(Response::Completed, correct([](rec::VelInv& i) { i.DEBIT = 95.5; }));
  ASSERT_EQ(1u, all<rec::VelInv>().size());
  EXPECT_EQ(95.5, all<rec::VelInv>()[0].DEBIT.value);
  const auto entries = all<rec::VelTra>();
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("Invoice", entries[0].TYPE.str());
  EXPECT_EQ(24.5, entries[0].DEBIT.value);  // old - new
  EXPECT_EQ(clock.today(), entries[0].DATE.value);
  EXPECT_EQ("Thandi", entries[0].X_ID.str());
  // Only TOTAL and CURRENT move.
  EXPECT_EQ((ledger::AgeBuckets{27550, 9550, 18000, 0, 0, 0, 18000}),
            ledger::bucketsOf(all<rec::VelAge>()[0]));
}

TEST_F(InvoiceCorrectionTest, UnchangedAmountPostsNothing) {
  EXPECT_EQ(Response::Completed, correct([](rec::VelInv& i) { i.STATUS = "Pd"; }));
  EXPECT_EQ("Pd", all<rec::VelInv>()[0].STATUS.str());
  EXPECT_TRUE(all<rec::VelTra>().empty());
  EXPECT_EQ(30000, ledger::bucketsOf(all<rec::VelAge>()[0]).TOTAL);
}

TEST_F(InvoiceCorrectionTest, CorrectionIsWholeOrNothing) {
  refuseChanges("VelAge");
  ui.expect("Record was not updated", kOk).expect("Changes will be lost!", kYes);
  bool closed = true;
  correct([](rec::VelInv& i) { i.DEBIT = 200; }, &closed);
  EXPECT_FALSE(closed);
  EXPECT_EQ(120.0, all<rec::VelInv>()[0].DEBIT.value);
  EXPECT_TRUE(all<rec::VelTra>().empty());
  EXPECT_EQ(30000, ledger::bucketsOf(all<rec::VelAge>()[0]).TOTAL);
}

}  // namespace
}  // namespace vel::test
