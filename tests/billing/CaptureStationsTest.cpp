// Stations capturing for the same clients at once, as real processes: no
// ageing update is lost and every ageing record stays whole.
#include <map>
#include <memory>
#include <vector>

#include "PaymentsFixture.h"
#include "billing/CaptureRun.h"
#include "common/Money.h"
#include "ledger/Ageing.h"
#include "recordstore/Processes.h"

namespace vel::test {
namespace {

constexpr int kRounds = 2;

std::string idOf(int n) {
  std::string s = std::to_string(n);
  return std::string(4 - s.size(), '0') + s + "/STN";
}

class StationsPayingTheSameClients : public PaymentsFixture,
                                     public ::testing::WithParamInterface<int> {};

TEST_P(StationsPayingTheSameClients, LoseNoAgeingUpdate) {
  const int stations = GetParam();
  // About as many payments in all however many stations there are: more
  // stations meet on fewer clients.
  const int clients = 100 / stations;
  for (int n = 1; n <= clients; ++n) {
    client(idOf(n), 100);
    ASSERT_EQ(ledger::PostResult::Posted,
              ledger::postFirstCharge<ledger::BurialCover>(files, {idOf(n), 100, 0, 0}, stamp, at));
  }

  // Each station captures receipts and takes counter payments for every
  // client, each amount its own so that a lost update shows. A unit refused
  // because another station held the files is simply tried again, as a
  // clerk would.
  auto station = [&](int which) {
    return [&, which] {
      OtherStation s(dir.path());
      s.files.context().transactionTimeout = 30;
      FixedClock clock(today, at.time + which);
      CaptureSession session;
      session.agent = "AG" + std::to_string(which);
      for (int round = 0; round < kRounds; ++round) {
        for (int n = 1; n <= clients; ++n) {
          const double amount = which + 0.01 * n + 0.1 * round;
          for (int tries = 0;; ++tries) {
            if (tries == 50) return 1;
            clock.advance(1);
            bool done;
            if (round % 2 == 0) {
              ReceiptEntry e{1000 * which + n, today, amount, idOf(n)};
              done = captureReceipt(s.files, s.ui, session, e, stamp, clock.moment()) ==
                     CaptureResult::Captured;
            } else {
              rec::VelPay p;
              p.CLIENT_ID = idOf(n);
              p.DATE = today;
              p.CREDIT = amount;
              done = ledger::postPayment<ledger::BurialCover>(s.files, p, {}, stamp,
                                                              clock.moment())
                         .result == ledger::PostResult::Posted;
            }
            if (done) break;
          }
        }
      }
      return 0;
    };
  };
  std::vector<std::unique_ptr<Child>> children;
  for (int which = 1; which <= stations; ++which)
    children.push_back(std::make_unique<Child>(station(which)));
  for (auto& c : children) ASSERT_EQ(0, c->exitCode());

  std::map<std::string, std::int64_t> owed;
  for (const auto& i : all<rec::VelInv>()) owed[i.CLIENT_ID.text()] += toCents(i.DEBIT);
  int payments = 0;
  for (const auto& p : all<rec::VelPay>()) {
    owed[p.CLIENT_ID.text()] -= toCents(p.CREDIT);
    ++payments;
  }
  EXPECT_EQ(stations * kRounds * clients, payments);
  EXPECT_EQ(static_cast<std::size_t>(stations * clients), all<rec::ReceiveR>().size())
      << "round 0 of every station";
  auto ages = all<rec::VelAge>();
  ASSERT_EQ(static_cast<std::size_t>(clients), ages.size());
  for (const auto& a : ages) {
    const ledger::AgeBuckets b = ledger::bucketsOf(a);
    EXPECT_EQ(owed[a.CLIENT_ID.text()], b.TOTAL) << a.CLIENT_ID.text();
    EXPECT_EQ(b.TOTAL, b.bucketSum()) << a.CLIENT_ID.text();
  }
}

INSTANTIATE_TEST_SUITE_P(CaptureStations, StationsPayingTheSameClients, ::testing::Values(2, 8),
                         [](const ::testing::TestParamInfo<int>& p) {
                           return std::to_string(p.param) + "Stations";
                         });

}  // namespace
}  // namespace vel::test
