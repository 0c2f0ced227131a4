// A data folder for payments and receipt capture: the ledger fixture's
// files, Ui and moment, with clients, invoices and ageing records to pay.
#pragma once

#include "ledger/LedgerFixture.h"
#include "ledger/PaymentPosting.h"

namespace vel::test {

class PaymentsFixture : public LedgerFixture {
 protected:
  void client(const std::string& id, double premium, int day5 = 0, int day10 = 0) {
    add<rec::VelCli>([&](rec::VelCli& c) {
      c.CLIENT_ID = id;
      c.SURNAME = "Nkosi";
      c.INITIALS = "TM";
      c.H_ADDR1 = "12 Vilakazi Street";
      c.H_ADDR2 = "Orlando West";
      c.H_ADDR3 = "Soweto";
      c.H_CODE = 1804;
      c.PREMIUM = premium;
      c.PREMTOPAY = premium - 10;
      c.DAY5 = day5;
      c.DAY10 = day10;
    });
  }
  void ageingOf(const std::string& id, double total, double current, double p30 = 0) {
    add<rec::VelAge>([&](rec::VelAge& a) {
      a.CLIENT_ID = id;
      a.TOTAL = total;
      a.CURRENT = current;
      a.P30 = p30;
    });
  }
  // An invoice written at `written` (its UNIQUE stamp); `risk` splits it.
  void invoiceAt(const std::string& id, Moment written, double debit, double risk = 0) {
    add<rec::VelInv>([&](rec::VelInv& i) {
      i.CLIENT_ID = id;
      i.DATE = written.day;
      i.DEBIT = debit;
      i.RISK = risk;
      i.UNIQUE = uniqueStamp(written.day, written.time);
    });
  }
  std::vector<std::string> marks(const std::string& id) {
    std::vector<std::string> out;
    for (const auto& i : all<rec::VelInv>())
      if (i.CLIENT_ID == id) out.push_back(i.STATUS.text());
    return out;
  }
  rec::VelAge ageOf(const std::string& id) {
    for (const auto& a : all<rec::VelAge>())
      if (a.CLIENT_ID == id) return a;
    return {};
  }
  rec::VelCli clientOf(const std::string& id) {
    for (const auto& c : all<rec::VelCli>())
      if (c.CLIENT_ID == id) return c;
    return {};
  }
  // A counter payment of `amount` posted at `when`.
  ledger::PaymentOutcome pay(const std::string& id, double amount, Moment when,
                             ledger::FirstPayment first = ledger::FirstPayment::OnFile) {
    rec::VelPay p;
    p.CLIENT_ID = id;
    p.DATE = when.day;
    p.ACCOUNT = "Petty Cash";
    p.SOURCE = "Cash";
    p.CREDIT = amount;
    p.AGE_COMM = 12.5;
    p.COL_COMM = 7.5;
    ledger::PaymentOptions o;
    o.first = first;
    return ledger::postPayment<ledger::BurialCover>(files, p, o, stamp, when);
  }
  // The position of the payment file's n-th record (arrival order).
  std::string paymentPosition(std::size_t n) {
    FileManager& f = files.fm<rec::VelPay>();
    f.Open();
    f.SetOrder(kPhysicalOrder);
    for (std::size_t k = 0; k <= n; ++k) EXPECT_EQ(kDone, f.TryReadNext());
    std::string pos = f.Position();
    f.Close();
    return pos;
  }
  Moment later(int days, int hours = 0) const {
    return {today + days, at.time + hours * 360000};
  }
};

}  // namespace vel::test
