#include "SmsCommand.h"

#include <charconv>
#include <iostream>
#include <memory>
#include <string>

#include "Console.h"
#include "OfficeStore.h"
#include "errors/ErrorManager.h"
#include "platform/Clock.h"
#include "recordstore/DataFiles.h"
#include "sms/GatewayFile.h"
#include "sms/SmsRun.h"
#include "sms/SmsWorker.h"

namespace vel::admin {

namespace {

int usage() {
  std::cerr << "usage: velmora-admin sms REASON [--dir DIR] [--client ID --amount A [--hamper]]\n"
               "       velmora-admin sms-outbox [--dir DIR] [--retry]\n"
               "REASON is \"Invoice\", \"Payment\", \"5 Day\" or \"10 Day\"\n";
  return 1;
}

int fail(const std::string& why) {
  std::cerr << "velmora-admin: " << why << "\n";
  return 2;
}

// The data folder, made ready for the run: the managers of its files, on
// the engine its velmora.INI names.
struct Office {
  Office(const std::string& dir, std::unique_ptr<Engine> e)
      : engine(std::move(e)), files(dir, *engine, errors) {}
  ConsoleUi ui;
  ErrorManager errors{ui};
  std::unique_ptr<Engine> engine;
  DataFiles files;
  SystemClock clock;
};

// The office of `dir`, or nullptr after saying why there is none (no such
// folder, settings that cannot be used, no configuration file).
std::unique_ptr<Office> openOffice(const std::string& dir) {
  std::unique_ptr<Engine> engine = officeEngineOf(dir);
  if (!engine) return nullptr;
  return std::make_unique<Office>(dir, std::move(engine));
}

int finish(const sms::RunResult& r) {
  std::cout << r.written << " written, " << r.sent << " sent, " << r.waiting
            << " waiting in the outbox\n";
  if (r.ok()) return 0;
  std::string text = sms::summary(r);
  for (char& c : text)
    if (c == '|') c = '\n';
  std::cerr << text << "\n";
  return 2;
}

}  // namespace

int smsCommand(const std::vector<std::string_view>& args) {
  if (args.empty()) return usage();
  const std::string reason(args[0]);
  if (!sms::knownReason(reason)) return usage();
  std::string dir = ".";
  sms::PaymentOf pay;
  bool haveAmount = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string_view a = args[i];
    const bool more = i + 1 < args.size();
    if (a == "--dir" && more) {
      dir = args[++i];
    } else if (a == "--client" && more) {
      pay.clientId = args[++i];
    } else if (a == "--amount" && more) {
      const std::string_view v = args[++i];
      auto res = std::from_chars(v.data(), v.data() + v.size(), pay.amount);
      if (res.ec != std::errc() || res.ptr != v.data() + v.size() || pay.amount <= 0)
        return fail("the amount " + std::string(v) + " is not an amount in rand");
      haveAmount = true;
    } else if (a == "--hamper") {
      pay.ledger = "Hamper";
    } else {
      return usage();
    }
  }
  if (reason == sms::kPayment && (pay.clientId.empty() || !haveAmount))
    return fail("a Payment message needs --client ID and --amount A");
  std::unique_ptr<Office> office = openOffice(dir);
  if (!office) return 2;
  sms::SmsSender sender(office->files, office->ui, office->clock);
  return finish(sender.Send_SMS(reason, reason == sms::kPayment ? &pay : nullptr));
}

void installSmsHooks() {
  static ConsoleUi ui;
  static SystemClock clock;
  sms::installDirectMessageHooks(ui, clock);
}

int smsOutboxCommand(const std::vector<std::string_view>& args) {
  std::string dir = ".";
  bool retry = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--dir" && i + 1 < args.size())
      dir = args[++i];
    else if (args[i] == "--retry")
      retry = true;
    else
      return usage();
  }
  std::unique_ptr<Office> office = openOffice(dir);
  if (!office) return 2;
  sms::SmsSender sender(office->files, office->ui, office->clock);
  if (!retry) {
    std::cout << sender.waitingCount() << " waiting in the outbox\n";
    return 0;
  }
  return finish(sender.retryOutbox());
}

}  // namespace vel::admin
