#include "InvoiceCommands.h"

#include <iostream>
#include <memory>
#include <string>

#include "Console.h"
#include "OfficeStore.h"
#include "billing/InvoiceRun.h"
#include "common/Money.h"
#include "errors/ErrorManager.h"
#include "ledger/Postings.h"
#include "maintenance/Backup.h"
#include "platform/Clock.h"
#include "recordstore/DataFiles.h"
#include "shell/Globals.h"
#include "shell/ShellUi.h"
#include "shell/Startup.h"
#include "sms/SmsRun.h"

namespace vel::admin {

namespace {

// The user stamped into the transactions the tool writes.
constexpr std::string_view kToolUser = "Scheduled";

int usage() {
  std::cerr << "usage: velmora-admin invoice-run [--dir DIR]\n"
               "       velmora-admin daily [--dir DIR]\n";
  return 1;
}

void summary(const billing::InvoiceRunResult& r) {
  std::cout << "Invoiced " << r.membersInvoiced() << " members (" << r.clientsInvoiced
            << " clients, " << r.hamperInvoiced << " hamper members), amount R"
            << fixedDecimal(fromCents(r.cents), 2) << "\n";
}

}  // namespace

bool isInvoiceCommand(std::string_view command) {
  return command == "invoice-run" || command == "daily";
}

int invoiceCommand(int argc, char** argv) {
  const std::string_view command = argv[1];
  std::string dir = ".";
  for (int i = 2; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--dir" && i + 1 < argc)
      dir = argv[++i];
    else
      return usage();
  }

  ConsoleUi ui;
  ErrorManager errors(ui);
  errors.SetProcedureName(command == "daily" ? "Main" : "Generate_Invoices");
  auto engine = engineOf(dir);
  if (!engine) return 2;
  DataFiles files(dir, *engine, errors);
  SystemClock clock;
  {
    FileManager& config = files.fm("Config");
    FileUse use(config);
    std::int64_t records = 0;
    if (config.TryEnsureOpen() != kDone || config.TryRecords(records) != kDone || records == 0) {
      std::cerr << "velmora-admin: " << dir
                << " has no configuration record: not a data folder of this program\n";
      return 2;
    }
  }
  const ledger::PostingStamp stamp{ledger::officeBranch(files), std::string(kToolUser)};

  if (command == "invoice-run") {
    const auto result = billing::Generate_Invoices(files, ui, clock, stamp);
    summary(result);
    return result.ok ? 0 : 2;
  }

  // The daily sequence, as the first start-up of the day runs it.
  billing::InvoiceRunResult result;
  bool resetFailed = false;
  StartupHooks hooks;
  hooks.generateInvoices = [&] {
    billing::InvoiceRunOptions o;
    o.automatic = true;
    result = billing::Generate_Invoices(files, ui, clock, stamp, o);
  };
  hooks.resetInvoiced = [&] {
    resetFailed = !billing::resetInvoicedWithin(files, ui);
    return !resetFailed;
  };
  // The reminder runs the office has switched on. Messages that cannot go
  // (no gateway set up, the gateway down) wait in the outbox for the next
  // run; a failed upload or a file that could not be written fails the day.
  bool smsFailed = false;
  hooks.smsRun = [&](std::string_view reason) {
    sms::SmsSender sender(files, ui, clock);
    const sms::RunResult r = sender.Send_SMS(reason);
    std::cout << "SMS " << reason << ": " << r.written << " written, " << r.sent << " sent, "
              << r.waiting << " waiting in the outbox\n";
    if (!r.uploadFailure.empty() || !r.otherFailure.empty()) smsFailed = true;
  };
  // The day's backup, as the desktop program makes it after the sequence.
  bool backupFailed = false;
  hooks.backup = [&] {
    StoreContext& ctx = files.context();
    backupFailed = !backupSucceeded(backupFiles(*ctx.engine, ctx.folder, ctx.owner, {}, &ui));
  };
  globals().setLOGPROG(std::string(kToolUser));
  Startup startup(files, ui, clock, hooks);
  if (!startup.runDailyHeadless()) return 2;
  if (!startup.dailySequenceRan()) {
    std::cout << "The daily sequence has already run today\n";
    return 0;
  }
  if (resetFailed) return 2;
  const bool othersFailed = smsFailed || backupFailed;
  if (!startup.invoiceGateOpened()) {
    std::cout << "No invoice run due today\n";
    return othersFailed ? 2 : 0;
  }
  summary(result);
  return result.ok && !othersFailed ? 0 : 2;
}

}  // namespace vel::admin
