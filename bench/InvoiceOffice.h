// The office the invoice-run benchmarks bill, the same on every engine:
// 100,000 clients, six in seven active, one in three with an ageing record,
// billed 500 members a commit on the day below.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "ledger/Ageing.h"

namespace velbench {

inline constexpr int kInvoiceClients = 100'000;
inline constexpr int kInvoiceGroup = 500;
inline const std::int32_t kInvoiceDay = vel::dateFromYmd(2026, 11, 23);

inline std::string invoiceClientId(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06d/BN", n);
  return buf;
}

// Client `n` (from 1) into a cleared record.
inline void fillInvoiceClient(vel::rec::VelCli& r, int n) {
  r.NUMBER = n;
  r.CLIENT_ID = invoiceClientId(n);
  r.SURNAME = "Mokoena";
  r.FIRSTNAME = "Thabo";
  r.H_ADDR1 = "12 Vilakazi Street";
  r.PHONE_CELL = "0821234567";
  r.ACTIVE = n % 7 == 0 ? "Lapsed" : "Active";
  r.PLANPREM = 50 + n % 200;
  r.PREMIUM = r.PLANPREM;
}

// Whether client `n` has an ageing record, and that record.
inline bool hasAgeing(int n) { return n % 3 == 0; }
inline void fillInvoiceAgeing(vel::rec::VelAge& g, int n) {
  g.CLIENT_ID = invoiceClientId(n);
  vel::ledger::storeBuckets(g, {30000, 10000, 10000, 10000, 0, 0, 20000});
}

// Members the run bills: every active client.
inline int expectedInvoiced() { return kInvoiceClients - kInvoiceClients / 7; }

}  // namespace velbench
