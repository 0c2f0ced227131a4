// velmora-admin: the headless tool for a data folder.
//
//   velmora-admin init DIR --name NAME --branch ID [--address LINE]...
//                          [--vat RATE] [--login USER PASSWORD]
//       make a data folder with its configuration record (the business name,
//       up to three address lines and the branch id); --login adds the
//       administrator and switches the log-in on
//   velmora-admin seed-demo DIR [--clients N] [--months N]
//       make DIR a demo office: its configuration when it has none, plans,
//       setup lists and N policy holders (300 when not given), then --months
//       months of office life (6 when not given): month resets, receipt
//       books, receipts and counter payments, invoice runs
//   velmora-admin files DIR
//       open every record file of DIR (creating the missing ones), read each
//       to its end in arrival order and by every key, and list label, disk
//       name, record bytes and record count; a file that could not be read
//       to its end is named on standard error and the run fails
//   velmora-admin convert [--dir DIR]
//       convert the files of DIR (or the working folder) that are in an older
//       record layout, as the desktop program does at start-up, and finish a
//       conversion that was cut short
//   velmora-admin backup [--dir DIR] [--to FOLDER]
//   velmora-admin rebuild [--dir DIR]
//       the backup and the index rebuild (see BackupCommand.cpp)
//   velmora-admin report NAME [--dir DIR] [--from D] [--to D] [--route R]
//                        [--agent A] [--collector C] [--action D] --pdf FILE
//       print one report to a PDF file without a window, for scheduled use;
//       the data folder is DIR or the working folder; dates are dd/mm/yyyy
//       or yyyy-mm-dd, the period defaults to the first of the month through
//       today; `velmora-admin report list` names the reports and what each
//       needs
//   velmora-admin export NAME|all|main [--dir DIR] [--out FOLDER]
//       write one CSV export, Main.csv, or all of them (ExportCommand.cpp)
//   velmora-admin sms REASON [--dir DIR] [--client ID --amount A [--hamper]]
//   velmora-admin sms-outbox [--dir DIR] [--retry]
//       the SMS reminder runs and the outbox (see SmsCommand.h)
//   velmora-admin invoice-run [--dir DIR]
//   velmora-admin daily [--dir DIR]
//       the month's invoice run, and the daily start-up sequence for a
//       scheduler (InvoiceCommands.h)
//   velmora-admin copy-to-hamper [--dir DIR]
//       the policy holders with a hamper amount copied into the hamper club
//       (HamperCommand.cpp)
//   velmora-admin migrate --from DIR --to CONNECTION [--schema S] [--replace] [--switch]
//   velmora-admin migrate --from CONNECTION [--schema S] --to DIR [--replace] [--switch]
//       the office moved into a PostgreSQL database or back into record
//       files, and checked file by file (MigrateCommand.cpp)
//
// Every command works on the store the data folder's velmora.INI names:
// the record files of the folder, or a PostgreSQL database ([Store]).
//
// Failures are reported on standard error with the system's own message text;
// the exit code is 0 on success, 1 on a usage error and 2 on a failure.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ExportCommand.h"
#include "Console.h"
#include "ConvertCommand.h"
#include "InvoiceCommands.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "BackupCommand.h"
#include "HamperCommand.h"
#include "MigrateCommand.h"
#include "OfficeStore.h"
#include "maintenance/DemoOffice.h"
#include "platform/Clock.h"
#include "common/Dates.h"
#include "common/Picture.h"
#include "recordstore/DataFiles.h"
#include "reports/ReportCatalog.h"
#include "reports/qt/PagePainter.h"
#include "shell/FirstRun.h"
#include "SmsCommand.h"

namespace {

int usage() {
  std::cerr << "usage: velmora-admin init DIR --name NAME --branch ID [--address LINE]...\n"
               "                           [--vat RATE] [--login USER PASSWORD]\n"
               "       velmora-admin seed-demo DIR [--clients N] [--months N]\n"
               "       velmora-admin files DIR\n"
               "       velmora-admin backup [--dir DIR] [--to FOLDER]\n"
               "       velmora-admin rebuild [--dir DIR]\n"
               "       velmora-admin report NAME [--dir DIR] [--from D] [--to D] [--route R]\n"
               "                            [--agent A] [--collector C] [--action D] --pdf FILE\n"
               "       velmora-admin report list\n"
               "       velmora-admin export NAME|all|main [--dir DIR] [--out FOLDER]\n"
               "       velmora-admin sms REASON [--dir DIR] [--client ID --amount A [--hamper]]\n"
               "       velmora-admin sms-outbox [--dir DIR] [--retry]\n"
               "       velmora-admin convert [--dir DIR]\n"
               "       velmora-admin invoice-run [--dir DIR]\n"
               "       velmora-admin daily [--dir DIR]\n"
               "       velmora-admin copy-to-hamper [--dir DIR]\n"
               "       velmora-admin migrate --from DIR --to CONNECTION [--schema S] [--replace]"
               " [--switch]\n"
               "       velmora-admin migrate --from CONNECTION [--schema S] --to DIR [--replace]"
               " [--switch]\n";
  return 1;
}

int fail(const std::string& text) {
  std::cerr << "velmora-admin: " << text << "\n";
  return 2;
}

// One data folder's store, opened for a command, on the engine its
// velmora.INI names (vel::admin::engineOf).
struct Folder {
  Folder(const std::string& dir, std::unique_ptr<vel::Engine> e)
      : engine(std::move(e)), data(dir, *engine, errors) {
    errors.SetProcedureName("Main");
  }
  vel::admin::ConsoleUi ui;
  vel::ErrorManager errors{ui};
  std::unique_ptr<vel::Engine> engine;
  vel::DataFiles data;
};

bool makeFolder(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) std::cerr << "velmora-admin: could not make the data folder " << dir << ": "
                    << ec.message() << "\n";
  return !ec;
}

std::optional<double> parseNumber(std::string_view s) {
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

int init(const std::string& dir, const std::vector<std::string_view>& args) {
  vel::ConfigDraft draft;
  std::vector<std::string> address;
  std::string user, password;
  bool named = false, branched = false, login = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    auto value = [&](std::size_t n = 1) { return i + n < args.size(); };
    if (args[i] == "--name" && value()) {
      draft.name = args[++i];
      named = true;
    } else if (args[i] == "--branch" && value()) {
      draft.branchId = args[++i];
      branched = true;
    } else if (args[i] == "--address" && value()) {
      address.emplace_back(args[++i]);
    } else if (args[i] == "--vat" && value()) {
      auto v = parseNumber(args[++i]);
      if (!v) return fail("the VAT rate is not a number: " + std::string(args[i]));
      draft.vatRate = *v;
    } else if (args[i] == "--login" && value(2)) {
      user = args[++i];
      password = args[++i];
      login = true;
    } else {
      return usage();
    }
  }
  if (!named || !branched) return usage();
  if (address.size() > 3) return fail("at most three address lines");
  if (address.size() > 0) draft.addr1 = address[0];
  if (address.size() > 1) draft.addr2 = address[1];
  if (address.size() > 2) draft.addr3 = address[2];
  // Everything is checked before anything is written, and the configuration
  // and the administrator go in together: a refused or failed init leaves
  // the folder as it was, so that a corrected init succeeds.
  if (std::string why = vel::checkConfigDraft(draft); !why.empty()) return fail(why);
  vel::AdministratorDraft admin{user, password};
  if (login)
    if (std::string why = vel::checkAdministratorDraft(admin); !why.empty()) return fail(why);

  auto engine = vel::admin::engineOf(dir);
  if (!engine) return 2;
  if (!makeFolder(dir)) return 2;
  Folder f(dir, std::move(engine));
  std::string why;
  auto added = login ? vel::addConfigRecord(f.data, draft, admin, why)
                     : vel::addConfigRecord(f.data, draft, why);
  switch (added) {
    case vel::ConfigAdd::Added:
      break;
    case vel::ConfigAdd::AlreadyThere:
      return fail("the data folder " + dir + " already has its configuration; nothing changed");
    case vel::ConfigAdd::AdministratorAdded:
      std::cout << "The data folder already had its configuration; its administrator was added "
                   "and the log-in switched on.\n";
      return 0;
    case vel::ConfigAdd::Refused:
    case vel::ConfigAdd::Failed:
      return fail(why);
  }
  std::cout << "Data folder ready: " << std::filesystem::absolute(dir).string() << "\n";
  return 0;
}

// The demo branch's detail, so the demo opens without asking for it.
int addDemoBranchDetail(vel::DataFiles& data) {
  vel::FileManager& f = data.fm<vel::rec::BDetal>();
  vel::FileUse use(f);
  if (f.EnsureOpen() != vel::kDone) return fail("the branch detail file could not be opened");
  if (f.Records() > 0) return 0;
  vel::FileManager& config = data.fm<vel::rec::Config>();
  vel::FileUse useConfig(config);
  config.SetOrder(vel::kPhysicalOrder);
  if (config.TryReadNext() != vel::kDone) return fail("the configuration record is missing");
  const auto& c = config.rec<vel::rec::Config>();
  f.ClearBuffer();
  auto& b = f.rec<vel::rec::BDetal>();
  b.BUS_NAME = c.NAME.text();
  b.PHYS1 = c.ADDR1.text();
  b.PHYS2 = c.ADDR2.text();
  b.PHYS3 = c.ADDR3.text();
  b.CODE = "0699";
  b.TELEPHONE = "015 291 4410";
  b.FAX = "015 291 4411";
  b.EMAIL = "office@ubuntu-burial.example";
  b.BANK = "Standard Bank";
  b.BANKBRANCH = "Polokwane";
  b.BANKCODE = "052852";
  b.ACCHOLDER = "Ubuntu Family Burial Society";
  b.ACCNO = "0281234567";
  b.CELL_NO = "0825550199";
  if (f.TryInsert() != vel::kDone)
    return fail("the branch detail could not be added: " + f.LastEngineText());
  return 0;
}

int seedDemo(const std::string& dir, const std::vector<std::string_view>& args) {
  vel::DemoOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--clients" && i + 1 < args.size()) {
      auto v = parseNumber(args[++i]);
      if (!v || *v < 1 || *v > vel::kDemoMostClients || *v != static_cast<int>(*v))
        return fail("--clients takes a whole number from 1 to " +
                    std::to_string(vel::kDemoMostClients));
      options.clients = static_cast<int>(*v);
    } else if (args[i] == "--months" && i + 1 < args.size()) {
      auto v = parseNumber(args[++i]);
      if (!v || *v < 0 || *v > vel::kDemoMostMonths || *v != static_cast<int>(*v))
        return fail("--months takes a whole number from 0 to " +
                    std::to_string(vel::kDemoMostMonths));
      options.months = static_cast<int>(*v);
    } else {
      return usage();
    }
  }
  auto engine = vel::admin::engineOf(dir);
  if (!engine) return 2;
  if (!makeFolder(dir)) return 2;
  Folder f(dir, std::move(engine));
  if (!vel::hasConfigRecord(f.data)) {
    vel::ConfigDraft draft;
    draft.name = "Ubuntu Family Burial Society (Demo)";
    draft.addr1 = "14 Church Street";
    draft.addr2 = "Polokwane";
    draft.addr3 = "0699";
    draft.branchId = "01";
    std::string why;
    if (vel::addConfigRecord(f.data, draft, why) == vel::ConfigAdd::Failed) return fail(why);
  }
  // The branch detail goes in first, so that the seeding, which a second
  // run finishes when this one is cut short, is the last step.
  if (int rc = addDemoBranchDetail(f.data)) return rc;
  vel::SystemClock clock;
  vel::DemoResult r = vel::seedDemoOffice(f.data, clock, options);
  if (!r.ok) return fail(r.message);
  std::cout << r.message << "\n";
  return f.ui.shown ? 2 : 0;
}

// Reads `fm` to its end in one order, reading only the first field (and the
// key fields); false when a read failed before the end, with `why` saying how.
bool readsToTheEnd(vel::FileManager& fm, int order, std::int64_t& read, std::string& why) {
  read = 0;
  if (fm.SetOrder(order) != vel::kDone) {
    why = fm.LastEngineText();
    return false;
  }
  while (fm.TryReadNext() == vel::kDone) ++read;
  if (fm.EndOfData()) return true;
  why = fm.LastEngineText();
  return false;
}

// Each file is read to its end in arrival order and in every key order, so a
// damaged page of the records or of a key, or a lock another station holds
// beyond the wait, is found and named; a file that could not be read to its
// end makes the run fail.
int files(const std::string& dir) {
  if (!std::filesystem::is_directory(dir))
    return fail("there is no data folder " + dir + " (make it with: velmora-admin init " + dir +
                " ...)");
  auto engine = vel::admin::engineOf(dir);
  if (!engine) return 2;
  Folder f(dir, std::move(engine));
  std::printf("%-10s  %-12s  %6s  %10s\n", "Label", "Disk file", "Bytes", "Records");
  int failed = 0;
  for (std::size_t i = 0; i < f.data.size(); ++i) {
    vel::FileManager& fm = f.data.fm(i);
    vel::FileUse use(fm);
    if (fm.EnsureOpen() != vel::kDone) {
      ++failed;
      continue;
    }
    vel::FieldSubsetRead narrow(fm, {fm.layout().fields().front().name});
    std::int64_t records = 0;
    std::string why, where = "in arrival order";
    bool whole = readsToTheEnd(fm, vel::kPhysicalOrder, records, why);
    for (int k = 0; whole && k < static_cast<int>(fm.layout().keys().size()); ++k) {
      std::int64_t byKey = 0;
      whole = readsToTheEnd(fm, k, byKey, why);
      if (!whole) where = "by key " + fm.layout().keys()[static_cast<std::size_t>(k)].name;
    }
    std::printf("%-10s  %-12s  %6d  %10lld\n", fm.label().c_str(), fm.decl().diskName().c_str(),
                fm.layout().recordBytes(), static_cast<long long>(records));
    if (!whole) {
      ++failed;
      std::fflush(stdout);
      std::cerr << "velmora-admin: " << fm.label() << " (" << fm.decl().diskName()
                << ") could not be read to its end " << where << ": " << why << "\n";
    }
  }
  if (failed) std::cerr << "velmora-admin: " << failed << " file(s) could not be read in full\n";
  return failed || f.ui.shown ? 2 : 0;
}

// A date as the clerk writes it (dd/mm/yyyy) or as a scheduler does
// (yyyy-mm-dd).
std::optional<std::int32_t> parseDay(std::string_view text) {
  if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
    std::string d = std::string(text.substr(8, 2)) + "/" + std::string(text.substr(5, 2)) + "/" +
                    std::string(text.substr(0, 4));
    return vel::Picture::parse("d06").deformatDate(d);
  }
  auto d = vel::Picture::parse("d06").deformatDate(text);
  if (d && *d == 0) return std::nullopt;
  return d;
}

// The code as the file stores it, for a code typed in any case: the key
// finds it without regard to case, while the reports compare the stored
// code. Nothing when no record has this code, or when the file could not
// be read (then `why` says so).
std::optional<std::string> storedCode(vel::DataFiles& data, const char* label, const char* key,
                                      const char* field, const std::string& value,
                                      std::string& why) {
  vel::FileManager& fm = data.fm(label);
  vel::FileUse use(fm);
  fm.ClearBuffer();
  fm.field(field).text() = value;
  if (fm.TryGetByKey(fm.keyIndex(key)) == vel::kDone)
    return std::string(vel::rtrim(fm.field(field).text()));
  const int code = fm.LastEngineCode();
  if (code != vel::ecode::kRecordNotFound && code != vel::ecode::kNoRecord)
    why = "the " + fm.label() + " file could not be read: " + fm.LastEngineText() + " (" +
          std::to_string(code) + ")";
  return std::nullopt;
}

// Whether `dir` is a data folder: its configuration file is there and holds
// the configuration record. Looked at before any file is opened, so a wrong
// folder is left without a single record file made in it.
bool isDataFolder(Folder& f, const std::string& dir, std::string& why) {
  return vel::admin::hasConfigFile(*f.engine, dir, why) && vel::hasConfigRecord(f.data);
}

int listReports() {
  for (const vel::ReportEntry& e : vel::reportEntries()) {
    std::cout << e.name;
    if (e.period) std::cout << " [--from D --to D]";
    if (e.route) std::cout << " --route R";
    if (e.agent) std::cout << " --agent A";
    if (e.collector) std::cout << " --collector C";
    if (e.actionDate) std::cout << " [--action D]";
    std::cout << "\n";
  }
  return 0;
}

int report(std::string_view name, const std::vector<std::string_view>& args) {
  if (name == "list") return args.empty() ? listReports() : usage();
  const vel::ReportEntry* entry = vel::findReport(name);
  if (!entry) return fail("there is no report " + std::string(name) + " (velmora-admin report list)");
  std::string dir = ".", pdf, route, agent, collector;
  vel::SystemClock clock;
  const std::int32_t today = clock.today();
  const vel::Ymd t = vel::ymdFromDate(today);
  std::int32_t from = vel::dateFromYmd(t.year, t.month, 1), to = today, action = today;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view a = args[i];
    if (i + 1 >= args.size()) return usage();
    std::string_view v = args[++i];
    if (a == "--dir") dir = v;
    else if (a == "--pdf") pdf = v;
    else if (a == "--route") route = v;
    else if (a == "--agent") agent = v;
    else if (a == "--collector") collector = v;
    else if (a == "--from" || a == "--to" || a == "--action") {
      auto d = parseDay(v);
      if (!d) return fail(std::string(a) + " takes a date written dd/mm/yyyy or yyyy-mm-dd, not " + std::string(v));
      (a == "--from" ? from : a == "--to" ? to : action) = *d;
    } else {
      return usage();
    }
  }
  if (pdf.empty()) return fail("report " + entry->name + " needs --pdf FILE");
  if (from > to) return fail("the period starts after it ends");
  if (entry->route && route.empty()) return fail("report " + entry->name + " needs --route R");
  if (entry->agent && agent.empty()) return fail("report " + entry->name + " needs --agent A");
  if (entry->collector && collector.empty())
    return fail("report " + entry->name + " needs --collector C");
  if (!std::filesystem::is_directory(dir)) return fail("there is no data folder " + dir);
  auto engine = vel::admin::engineOf(dir);
  if (!engine) return 2;
  Folder f(dir, std::move(engine));
  if (std::string why; !isDataFolder(f, dir, why))
    return fail(!why.empty() ? why : dir + " is not a data folder: it has no configuration record (make one with: "
                "velmora-admin init " + dir + " ...)");
  // Each code as stored, so that "soweto north" prints the clients of
  // "Soweto North" rather than an empty report with zero totals.
  struct Wanted {
    std::string& code;
    const char *label, *key, *field, *what;
  };
  for (const Wanted& w : {Wanted{route, "Route", "By_Route", "ROUTE", "route"},
                          Wanted{agent, "Agent", "KeyCode", "CODE", "agent"},
                          Wanted{collector, "Collect", "KeyCode", "CODE", "collector"}}) {
    if (w.code.empty()) continue;
    std::string why;
    std::optional<std::string> stored = storedCode(f.data, w.label, w.key, w.field, w.code, why);
    if (!stored) return fail(why.empty() ? "there is no " + std::string(w.what) + " " + w.code : why);
    w.code = *stored;
  }
  vel::ReportContext ctx(f.data, f.ui, clock);
  ctx.periodStart = from;
  ctx.periodEnd = to;
  ctx.actionDate = action;
  if (!route.empty()) ctx.route = route;
  if (!agent.empty()) ctx.agent = agent;
  if (!collector.empty()) ctx.collector = collector;
  // A walk cut short by a failed read writes no PDF: a partial report would
  // pass for a complete one.
  std::optional<vel::report::Document> doc = vel::runReport(*entry, ctx);
  if (!doc) return fail("report " + entry->name + " was not written: a file could not be read");
  if (!vel::qt::renderPdf(*doc, pdf)) return fail("the PDF file " + pdf + " could not be written");
  return f.ui.shown ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  vel::admin::installSmsHooks();
  if (argc >= 2 && std::string_view(argv[1]) == "sms")
    return vel::admin::smsCommand({argv + 2, argv + argc});
  if (argc >= 2 && std::string_view(argv[1]) == "sms-outbox")
    return vel::admin::smsOutboxCommand({argv + 2, argv + argc});
  if (argc >= 2 && std::string_view(argv[1]) == "convert")
    return vel::admin::convertCommand(std::vector<std::string_view>(argv + 2, argv + argc));
  if (argc >= 2 && vel::admin::isBackupCommand(argv[1]))
    return vel::admin::runBackupCommand(argv[1], std::vector<std::string_view>(argv + 2, argv + argc));
  if (argc >= 2 && std::string_view(argv[1]) == "copy-to-hamper")
    return vel::admin::copyToHamperCommand(std::vector<std::string_view>(argv + 2, argv + argc));
  if (argc >= 2 && vel::admin::isInvoiceCommand(argv[1])) return vel::admin::invoiceCommand(argc, argv);
  if (argc >= 2 && std::string_view(argv[1]) == "migrate")
    return vel::admin::migrateCommand(std::vector<std::string_view>(argv + 2, argv + argc));
  if (argc < 3) return usage();
  std::string_view cmd = argv[1];
  if (cmd == "export")
    return vel::admin::exportCommand(argv[2], std::vector<std::string_view>(argv + 3, argv + argc));
  if (cmd == "report") return report(argv[2], std::vector<std::string_view>(argv + 3, argv + argc));
  const std::string dir = argv[2];
  std::vector<std::string_view> rest(argv + 3, argv + argc);
  if (cmd == "init") return init(dir, rest);
  if (cmd == "seed-demo") return seedDemo(dir, rest);
  if (cmd == "files" && rest.empty()) return files(dir);
  return usage();
}
