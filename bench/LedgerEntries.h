// The ledger entries the ledger benchmarks write and read: entry `i` of a
// ledger written day by day, the same on every engine and in every run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "recordstore/FileManager.h"

namespace velbench {

// Client numbers the entries are spread over.
inline constexpr int kLedgerClients = 100'000;

// One ledger entry as plain values, already in stored form (trimmed text).
struct Entry {
  std::string clientId, type, account, source, status, branchId, xId, bankName, bankAccount, unique;
  std::int64_t date = 0, xDate = 0, xTime = 0, deleted = 0, sent = 0;
  double credit = 0, debit = 0, payover = 0, collComm = 0, ageComm = 0;
};

inline std::uint64_t mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ull;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

// Entry `i` of a ledger written day by day: about 400 entries a day, each for
// a client drawn from kLedgerClients, two invoices to every payment.
inline void makeEntry(std::int64_t i, Entry& e) {
  static const std::int32_t firstDay = vel::dateFromYmd(2023, 1, 1);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%07llu",
                static_cast<unsigned long long>(mix(static_cast<std::uint64_t>(i)) % kLedgerClients + 1));
  e.clientId = buf;
  e.date = firstDay + i / 400;
  bool payment = i % 3 == 2;
  e.type = payment ? "Payment" : "Invoice";
  e.account = payment ? "Debit Ord" : "Premium";
  e.source = payment ? "Bank" : "Invoice run";
  e.credit = payment ? 150.0 : 0.0;
  e.debit = payment ? 0.0 : 150.0;
  e.status = payment ? "" : "Pd";
  e.branchId = "0001";
  e.xDate = e.date;
  e.xTime = (i * 37) % 8'640'000;
  e.xId = "ADMIN";
  e.bankName = payment ? "First National Bank" : "";
  e.bankAccount = payment ? "62123456789" : "";
  e.deleted = 0;
  std::snprintf(buf, sizeof buf, "%014lld", static_cast<long long>(20230101000000LL + i));
  e.unique = buf;
  e.sent = i % 2;
  e.payover = payment ? 142.5 : 0.0;
  e.collComm = payment ? 4.5 : 0.0;
  e.ageComm = payment ? 3.0 : 0.0;
}

// The entry as a VelTra record.
inline void fill(vel::rec::VelTra& r, const Entry& e) {
  r.CLIENT_ID = e.clientId;
  r.DATE = e.date;
  r.TYPE = e.type;
  r.ACCOUNT = e.account;
  r.SOURCE = e.source;
  r.CREDIT = e.credit;
  r.DEBIT = e.debit;
  r.STATUS = e.status;
  r.BRANCH_ID = e.branchId;
  r.X_DATE = e.xDate;
  r.X_TIME = e.xTime;
  r.X_ID = e.xId;
  r.BANK_NAME = e.bankName;
  r.BANK_ACCOUNT = e.bankAccount;
  r.DELETED = e.deleted;
  r.UNIQUE = e.unique;
  r.SENT = e.sent;
  r.PAYOVER = e.payover;
  r.COLL_COMM = e.collComm;
  r.AGE_COMM = e.ageComm;
}

// The program's own walk of the ledger `tra` in By_Client order, as a
// report reads it: every record, each debit summed; the run is an error
// unless `expected` records came.
inline void walkByClient(benchmark::State& state, vel::FileManager& tra, std::int64_t expected) {
  auto& r = tra.rec<vel::rec::VelTra>();
  const int byClient = tra.keyIndex("By_Client");
  std::int64_t rows = 0;
  for (auto _ : state) {
    double sum = 0;
    rows = 0;
    tra.SetOrder(byClient);
    while (tra.TryReadNext() == 0) {
      sum += r.DEBIT;
      ++rows;
    }
    benchmark::DoNotOptimize(sum);
  }
  if (rows != expected) state.SkipWithError("wrong number of records read");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * rows);
}

}  // namespace velbench
