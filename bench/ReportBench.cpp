// The management report's data walk against a bare SQL aggregate.
//
//   BM_ManagementWalk_RecordStore  walkManagement() over 1,000,000 VelTra
//                                  entries and 100,000 clients: the ledger in
//                                  By_Date order from the period start, a
//                                  client fetched by By_Client for every
//                                  payment, then every client in By_Client
//                                  order
//   BM_ManagementWalk_BareSql      the same totals from two SELECTs with the
//                                  sqlite3 C API on the same files (the client
//                                  file ATTACHed for the pay-over lookup)
//
//   BM_PremiumsPaid_RecordStore    premiumsPaid() for one route over the
//                                  whole period: the payments in By_Date
//                                  order, the client fetched by By_Client
//                                  whenever the payment's client changes
//   BM_PremiumsPaid_BareSql        the same rows and totals from one SELECT
//                                  joining the client file
//   BM_PremiumsNotPaid_RecordStore premiumsNotPaid() for one route and one
//                                  month: every client in By_Client order,
//                                  the payments of each active client on the
//                                  route by the payments' By_Client key
//   BM_PremiumsNotPaid_BareSql     the same rows from one SELECT
//
// The data is shaped as an office makes it: clients with every field filled
// as the demo office fills them (addresses, phones, bank, spouse,
// beneficiary, the last SMS text, remarks on one in four), each month's
// invoices on one date (the invoice run), payments spread over the days, and
// the same payments in VelPay. The management period covers the whole
// ledger, so both sides read every row. The folder ($VEL_BENCH_DIR/office,
// default /tmp/velbench/office) is built once, through the record store in
// large transactions, and reused by later runs while its marker file is
// there.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "platform/Clock.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"
#include "reports/ManagementReport.h"
#include "reports/PaymentReports.h"

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 1'000'000;
constexpr int kClients = 100'000;
constexpr int kGroup = 50'000;  // records per transaction while building

std::uint64_t mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ull;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

std::string clientId(std::int64_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06lld/BEN", static_cast<long long>(n));
  return buf;
}

std::int32_t firstDay() { return vel::dateFromYmd(2023, 1, 1); }
constexpr int kRoutes = 10;
std::string routeName(std::uint64_t h) { return "Route " + std::to_string(h % kRoutes + 1); }
// The 25th of the month of `day`: the invoice run's date.
std::int32_t invoiceDay(std::int32_t day) { return vel::lastDayOfMonth(vel::addMonths(day, -1)) + 25; }

// A client as the client form and the demo office fill one: every field.
void fillClient(int i, vel::rec::VelCli& c) {
  static const char* const surnames[] = {"Mokoena", "Dlamini", "Nkosi", "Khumalo", "Ndlovu",
                                         "Mahlangu", "Zulu", "Mthembu", "Sithole", "Mabaso"};
  static const char* const first[] = {"Thabo", "Sipho", "Nomsa", "Lerato", "Bongani",
                                      "Zanele", "Mandla", "Palesa", "Themba", "Ayanda"};
  const std::uint64_t h = mix(static_cast<std::uint64_t>(i) + 7);
  c.NUMBER = i + 1;
  c.CLIENT_ID = clientId(i + 1);
  c.DATE = firstDay() - 400 + static_cast<std::int32_t>(h % 365);
  c.SURNAME = surnames[h % 10];
  c.FIRSTNAME = first[(h >> 8) % 10];
  c.MIDDLENAME = first[(h >> 12) % 10];
  c.INITIALS = std::string(1, c.FIRSTNAME.text()[0]) + c.MIDDLENAME.text()[0];
  c.TITLE = h % 2 ? "Mr" : "Mrs";
  c.ID_NUMBER = std::to_string(7000000000000ull + h % 999999999999ull);
  c.DOB = vel::dateFromYmd(1950 + static_cast<int>(h % 50), 1 + static_cast<int>(h % 12), 1 + static_cast<int>(h % 28));
  c.GENDER = h % 2 ? "Male" : "Female";
  c.H_ADDR1 = std::to_string(h % 3000 + 1) + " Vilakazi Street";
  c.H_ADDR2 = "Orlando West Extension " + std::to_string(h % 9 + 1);
  c.H_ADDR3 = "Soweto";
  c.H_CODE = 1804;
  c.P_ADDR1 = "P.O. Box " + std::to_string(h % 9000 + 100);
  c.P_ADDR2 = "Orlando";
  c.P_ADDR3 = "Soweto";
  c.P_CODE = 1804;
  c.PHONE_HOME = "011 " + std::to_string(900'0000 + h % 99'9999);
  c.PHONE_WORK = "011 " + std::to_string(800'0000 + h % 99'9999);
  c.PHONE_CELL = "082 " + std::to_string(100'0000 + h % 899'9999);
  c.BANK_NAME = "Capitec Bank";
  c.BRANCH_NAME = "Maponya Mall";
  c.BRANCH_CODE = "470010";
  c.ACCOUNT_NUMBER = std::to_string(1'000'000'000 + h % 999'999'999);
  c.ACCOUNT_TYPE = "Savings";
  c.REMARKS = h % 4 == 0 ? "Pays at the Maponya Mall kiosk on the last Friday; call the daughter "
                           "first if the premium is late."
                         : "";
  c.MARITAL_STAT = "M";
  c.B1_FIRSTNAME = first[(h >> 16) % 10];
  c.B1_SURNAME = c.SURNAME.text();
  c.B1_ID_NUMBER = std::to_string(9000000000000ull + h % 999999999999ull);
  c.B1_RELATION = "Daughter";
  c.B1_ADD1 = c.H_ADDR1.text();
  c.B1_ADD2 = c.H_ADDR2.text();
  c.B1_ADD3 = "Soweto";
  c.B1_CODE = "1804";
  c.B1_CONTACT = c.PHONE_CELL.text();
  c.AGE_CODE = "AG" + std::to_string(h % 20);
  c.AGE_SURNAME = "Mabena";
  c.AGE_FNAME = "Grace";
  c.COL_CODE = "CO" + std::to_string(h % 12);
  c.COL_SURNAME = "Radebe";
  c.COL_FNAME = "Jabu";
  c.S_SURNAME = c.SURNAME.text();
  c.S_FIRSTNAME = first[(h >> 20) % 10];
  c.S_ID_NUMBER = std::to_string(8000000000000ull + h % 999999999999ull);
  c.S_GENDER = h % 2 ? "Female" : "Male";
  c.PREMIUM = 145.0;
  c.OPTION = "Family";
  c.DOM = "25";
  c.PLAN = "Plan B";
  c.COVER = "Main member, spouse and children";
  c.BENEFIT = 15000;
  const int kind = static_cast<int>(h % 100);
  c.ACTIVE = kind < 80 ? "Active" : kind < 95 ? "Non Active" : "Deceased";
  c.EMAIL = h % 4 == 1 ? "member" + std::to_string(i) + "@webmail.co.za" : "";
  c.SMS_DATE = firstDay();
  c.SMS_REA = "Premium reminder";
  c.SMS_MESS = "Dear " + c.FIRSTNAME.text() + ", your premium of R145.00 is due on the 25th. "
               "Please pay your agent or collector. Thank you, Velmora burial cover.";
  c.DATECHANGE = firstDay() + static_cast<std::int32_t>(h / 100 % 1500);
  c.S_CHANGEDATE = kind >= 95 && h % 3 == 0 ? c.DATECHANGE.value : 0;
  c.ROUTE = routeName(h >> 24);
  c.PLANPREM = 145.0;
  c.PREMTOPAY = 95.0;
  c.STRNO = std::to_string(h % 3000 + 1);
}
std::int32_t lastDay() { return firstDay() + kEntries / 400; }

fs::path folder() {
  const char* dir = std::getenv("VEL_BENCH_DIR");
  return (dir && *dir ? fs::path(dir) : fs::path("/tmp/velbench")) / "office";
}

// A data folder opened the way the program opens it.
struct Office {
  explicit Office(const fs::path& f)
      : engine(vel::makeSqliteEngine()), errors(ui), files(f.string(), *engine, errors) {}
  std::unique_ptr<vel::Engine> engine;
  vel::SilentUi ui;
  vel::ErrorManager errors;
  vel::DataFiles files;
};

// Adds `n` records of one file in transactions of kGroup, `fill` writing
// record i into the cleared buffer.
template <class R, class Fill>
bool addAll(Office& o, int n, Fill fill) {
  vel::FileManager& f = o.files.fm<R>();
  vel::FileUse use(f);
  if (!f.engineFile()) {
    std::fprintf(stderr, "%s: cannot open (%s)\n", f.label().c_str(), f.LastEngineText().c_str());
    return false;
  }
  auto& r = f.rec<R>();
  for (int done = 0; done < n;) {
    std::unique_ptr<vel::Transaction> tx;
    if (o.engine->begin({f.engineFile()}, 5, tx) != 0) return false;
    for (int j = 0; j < kGroup && done < n; ++j, ++done) {
      f.ClearBuffer();
      fill(done, r);
      // Clients carry their number already; the record store's own numbering
      // would run a transaction per number.
      const bool added = std::is_same_v<R, vel::rec::VelCli>
                             ? f.engineFile()->add(f.buffer()) == 0
                             : f.TryInsert() == vel::kDone;
      if (!added) {
        std::fprintf(stderr, "%s: %s\n", f.label().c_str(), f.LastEngineText().c_str());
        return false;
      }
    }
    if (tx->commit() != 0) return false;
  }
  return true;
}

// The office: 100,000 clients (80% Active, 15% Non Active, 5% Deceased) and
// a ledger of about 400 entries a day, two invoices to every payment, one
// entry in a hundred deleted.
const fs::path& office() {
  static const fs::path path = [] {
    const fs::path f = folder();
    const fs::path marker = f / "complete";
    if (fs::exists(marker)) return f;
    fs::remove_all(f);
    fs::create_directories(f);
    Office o(f);
    const bool ok =
        addAll<vel::rec::VelCli>(o, kClients, fillClient) &&
        addAll<vel::rec::VelTra>(o, kEntries, [](int i, vel::rec::VelTra& t) {
          const bool payment = i % 3 == 2;
          t.CLIENT_ID = clientId(static_cast<std::int64_t>(mix(static_cast<std::uint64_t>(i)) %
                                                           kClients) + 1);
          const std::int32_t day = firstDay() + i / 400;
          t.DATE = payment ? day : invoiceDay(day);
          t.TYPE = payment ? "Payment" : "Invoice";
          t.CREDIT = payment ? 145.0 : 0.0;
          t.DEBIT = payment ? 0.0 : 145.0;
          t.STATUS = i % 100 == 42 ? "DEL" : payment ? "" : "Pd";
          t.BRANCH_ID = "0001";
          t.AGE_COMM = payment ? 14.5 : 0.0;
          t.COLL_COMM = payment ? 7.25 : 0.0;
        }) &&
        addAll<vel::rec::VelPay>(o, kEntries / 3, [](int j, vel::rec::VelPay& p) {
          const int i = 3 * j + 2;  // the ledger's payments, again
          p.CLIENT_ID = clientId(static_cast<std::int64_t>(mix(static_cast<std::uint64_t>(i)) %
                                                           kClients) + 1);
          p.DATE = firstDay() + i / 400;
          p.ACCOUNT = "Cash";
          p.SOURCE = "Agent";
          p.CREDIT = 145.0;
          p.STATUS = j % 5 == 0 ? "SEL" : "";
          p.BRANCH_ID = "0001";
          p.UNIQUE = std::to_string(p.DATE.value) + std::to_string(j);
          p.DBLPAY = j % 97 == 0 ? 1 : 0;
          p.COL_CODE = "CO1";
          p.AGE_CODE = "AG1";
          p.COL_COMM = 7.25;
          p.AGE_COMM = 14.5;
        });
    if (!ok) {
      std::fprintf(stderr, "cannot build the office in %s\n", f.c_str());
      std::abort();
    }
    std::ofstream(marker) << "built\n";
    return f;
  }();
  return path;
}

std::string diskPath(const fs::path& f, const char* label) {
  return (f / vel::fileDirectory()[static_cast<std::size_t>(vel::fileIndex(label))].diskName())
      .string();
}

void check(sqlite3* db, int rc, int want, const char* what) {
  if (rc == want) return;
  std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
  std::abort();
}

void BM_ManagementWalk_RecordStore(benchmark::State& state) {
  Office o(office());
  vel::FixedClock clock(lastDay(), 0);
  vel::ManagementFigures m;
  for (auto _ : state) {
    vel::ReportContext ctx(o.files, o.ui, clock);
    ctx.periodStart = firstDay();
    ctx.periodEnd = lastDay();
    vel::ReportProgress progress(o.ui, "bench");
    m = vel::walkManagement(ctx, progress);
    benchmark::DoNotOptimize(m);
  }
  state.counters["paid"] = m.premiumsPaid;
  state.counters["payover"] = m.payOver;
  state.counters["active"] = static_cast<double>(m.active);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * (kEntries + kClients));
}

// The same figures in SQL. Dates are stored as yyyymmdd; text right-trimmed.
void BM_ManagementWalk_BareSql(benchmark::State& state) {
  const fs::path f = office();
  sqlite3* db = nullptr;
  check(db,
        sqlite3_open_v2(diskPath(f, "VelTra").c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr),
        SQLITE_OK, "open");
  const std::string attach = "ATTACH '" + diskPath(f, "VelCli") + "' AS cli";
  check(db, sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr), SQLITE_OK, "attach");
  const char* ledgerSql =
      "SELECT SUM(CASE WHEN t.TYPE='Invoice' THEN t.DEBIT ELSE 0 END),"
      " SUM(CASE WHEN t.TYPE='Payment' THEN t.CREDIT ELSE 0 END),"
      " SUM(CASE WHEN t.TYPE='Payment' THEN"
      "   (SELECT c.PLANPREM-c.PREMTOPAY FROM cli.rec c WHERE c.CLIENT_ID=t.CLIENT_ID"
      "    AND c.CLIENT_ID<>'') ELSE 0 END),"
      " SUM(CASE WHEN t.TYPE='Payment' THEN t.AGE_COMM ELSE 0 END),"
      " SUM(CASE WHEN t.TYPE='Payment' THEN t.COLL_COMM ELSE 0 END)"
      " FROM main.rec t WHERE t.DATE<>0 AND t.DATE BETWEEN ?1 AND ?2 AND t.STATUS<>'DEL'";
  const char* clientSql =
      "SELECT SUM(ACTIVE='Active'), SUM(ACTIVE='Non Active'),"
      " SUM(ACTIVE='Active' AND DATECHANGE BETWEEN ?1 AND ?2),"
      " SUM(ACTIVE='Non Active' AND DATECHANGE BETWEEN ?1 AND ?2),"
      " SUM(ACTIVE='Deceased' AND DATECHANGE BETWEEN ?1 AND ?2),"
      " SUM(ACTIVE='Deceased' AND S_CHANGEDATE BETWEEN ?1 AND ?2)"
      " FROM cli.rec";
  sqlite3_stmt* ledger = nullptr;
  sqlite3_stmt* clients = nullptr;
  check(db, sqlite3_prepare_v2(db, ledgerSql, -1, &ledger, nullptr), SQLITE_OK, "ledger sql");
  check(db, sqlite3_prepare_v2(db, clientSql, -1, &clients, nullptr), SQLITE_OK, "client sql");
  double paid = 0, payOver = 0, active = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(ledger, 1, vel::dateToYyyymmdd(firstDay()));
    sqlite3_bind_int64(ledger, 2, vel::dateToYyyymmdd(lastDay()));
    check(db, sqlite3_step(ledger), SQLITE_ROW, "ledger");
    paid = sqlite3_column_double(ledger, 1);
    payOver = sqlite3_column_double(ledger, 2);
    sqlite3_reset(ledger);
    sqlite3_bind_int64(clients, 1, firstDay());
    sqlite3_bind_int64(clients, 2, lastDay());
    check(db, sqlite3_step(clients), SQLITE_ROW, "clients");
    active = sqlite3_column_double(clients, 0);
    sqlite3_reset(clients);
  }
  sqlite3_finalize(ledger);
  sqlite3_finalize(clients);
  sqlite3_close_v2(db);
  state.counters["paid"] = paid;
  state.counters["payover"] = payOver;
  state.counters["active"] = active;
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * (kEntries + kClients));
}

void onePassEach(benchmark::internal::Benchmark* b) {
  const char* reps = std::getenv("VEL_BENCH_REPETITIONS");
  int n = reps ? std::atoi(reps) : 0;
  b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(n > 0 ? n : 3);
}

constexpr const char* kRoute = "Route 3";
std::int32_t notPaidMonth() { return vel::dateFromYmd(2024, 6, 1); }

void BM_PremiumsPaid_RecordStore(benchmark::State& state) {
  Office o(office());
  vel::FixedClock clock(lastDay(), 0);
  std::size_t rows = 0;
  for (auto _ : state) {
    vel::ReportContext ctx(o.files, o.ui, clock);
    ctx.route = kRoute;
    ctx.periodStart = firstDay();
    ctx.periodEnd = lastDay();
    vel::ReportProgress progress(o.ui, "bench");
    vel::report::Document doc = vel::premiumsPaid(ctx, progress);
    rows = doc.rows().size();
    benchmark::DoNotOptimize(doc);
  }
  state.counters["rows"] = static_cast<double>(rows);
}

// Opens the payments with the client file attached.
sqlite3* openPayments(const fs::path& f) {
  sqlite3* db = nullptr;
  check(db,
        sqlite3_open_v2(diskPath(f, "VelPay").c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr),
        SQLITE_OK, "open");
  const std::string attach = "ATTACH '" + diskPath(f, "VelCli") + "' AS cli";
  check(db, sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr), SQLITE_OK, "attach");
  return db;
}

void BM_PremiumsPaid_BareSql(benchmark::State& state) {
  sqlite3* db = openPayments(office());
  const char* sql =
      "SELECT p.CLIENT_ID, c.SURNAME, c.FIRSTNAME, p.DATE, p.CREDIT, p.STATUS, p.DBLPAY"
      " FROM main.rec p JOIN cli.rec c ON c.CLIENT_ID=p.CLIENT_ID AND c.CLIENT_ID<>''"
      " WHERE p.DATE<>0 AND p.DATE BETWEEN ?1 AND ?2 AND c.ROUTE=?3 ORDER BY p.DATE, p._id";
  sqlite3_stmt* st = nullptr;
  check(db, sqlite3_prepare_v2(db, sql, -1, &st, nullptr), SQLITE_OK, "paid sql");
  std::size_t rows = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(st, 1, vel::dateToYyyymmdd(firstDay()));
    sqlite3_bind_int64(st, 2, vel::dateToYyyymmdd(lastDay()));
    sqlite3_bind_text(st, 3, kRoute, -1, SQLITE_STATIC);
    double holder = 0, self = 0;
    rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
      ++rows;
      benchmark::DoNotOptimize(sqlite3_column_text(st, 1));
      benchmark::DoNotOptimize(sqlite3_column_text(st, 2));
      const unsigned char* status = sqlite3_column_text(st, 5);
      (status && status[0] == 'S' ? self : holder) += sqlite3_column_double(st, 4);
    }
    sqlite3_reset(st);
    benchmark::DoNotOptimize(holder + self);
  }
  sqlite3_finalize(st);
  sqlite3_close_v2(db);
  state.counters["rows"] = static_cast<double>(rows);
}

void BM_PremiumsNotPaid_RecordStore(benchmark::State& state) {
  Office o(office());
  vel::FixedClock clock(lastDay(), 0);
  std::size_t rows = 0;
  for (auto _ : state) {
    vel::ReportContext ctx(o.files, o.ui, clock);
    ctx.route = kRoute;
    ctx.periodStart = notPaidMonth();
    ctx.periodEnd = vel::lastDayOfMonth(notPaidMonth());
    vel::ReportProgress progress(o.ui, "bench");
    vel::report::Document doc = vel::premiumsNotPaid(ctx, progress);
    rows = doc.rows().size();
    benchmark::DoNotOptimize(doc);
  }
  state.counters["rows"] = static_cast<double>(rows);
}

void BM_PremiumsNotPaid_BareSql(benchmark::State& state) {
  sqlite3* db = openPayments(office());
  const char* sql =
      "SELECT c.CLIENT_ID, c.SURNAME, c.FIRSTNAME, c.H_ADDR1, c.H_ADDR2, c.H_ADDR3,"
      " (SELECT p.CREDIT FROM main.rec p WHERE p.CLIENT_ID<>'' AND p.CLIENT_ID=c.CLIENT_ID"
      "  ORDER BY p.DATE DESC, p._id DESC LIMIT 1)"
      " FROM cli.rec c WHERE c.CLIENT_ID<>'' AND c.ACTIVE='Active' AND c.ROUTE=?3"
      " AND NOT EXISTS(SELECT 1 FROM main.rec p WHERE p.CLIENT_ID<>'' AND"
      "  p.CLIENT_ID=c.CLIENT_ID AND p.DATE BETWEEN ?1 AND ?2)"
      " ORDER BY c.CLIENT_ID";
  sqlite3_stmt* st = nullptr;
  check(db, sqlite3_prepare_v2(db, sql, -1, &st, nullptr), SQLITE_OK, "not paid sql");
  std::size_t rows = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(st, 1, vel::dateToYyyymmdd(notPaidMonth()));
    sqlite3_bind_int64(st, 2, vel::dateToYyyymmdd(vel::lastDayOfMonth(notPaidMonth())));
    sqlite3_bind_text(st, 3, kRoute, -1, SQLITE_STATIC);
    rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
      ++rows;
      for (int col = 0; col < 6; ++col) benchmark::DoNotOptimize(sqlite3_column_text(st, col));
      benchmark::DoNotOptimize(sqlite3_column_double(st, 6));
    }
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_close_v2(db);
  state.counters["rows"] = static_cast<double>(rows);
}

BENCHMARK(BM_ManagementWalk_RecordStore)->Apply(onePassEach);
BENCHMARK(BM_ManagementWalk_BareSql)->Apply(onePassEach);
BENCHMARK(BM_PremiumsPaid_RecordStore)->Apply(onePassEach);
BENCHMARK(BM_PremiumsPaid_BareSql)->Apply(onePassEach);
BENCHMARK(BM_PremiumsNotPaid_RecordStore)->Apply(onePassEach);
BENCHMARK(BM_PremiumsNotPaid_BareSql)->Apply(onePassEach);

}  // namespace
