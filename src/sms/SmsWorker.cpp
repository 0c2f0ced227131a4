#include "sms/SmsWorker.h"

#include <atomic>
#include <chrono>

#include "dictionary/Dictionary.h"
#include "ledger/MessageHooks.h"
#include "recordstore/DataFiles.h"
#include "shell/Startup.h"
#include "sms/GatewayFile.h"

namespace vel::sms {

namespace {
// The worker Send_Message hands its messages to, when the program made one.
std::atomic<SmsWorker*> installed{nullptr};

enum Switch { kOnInvoice, kOnPayment };

// The office's message switch (DefPrn), read when the message is due.
bool switchOn(DataFiles& files, Switch which) {
  FileManager& f = files.fm<rec::DefPrn>();
  FileUse use(f);
  const int handle = f.PushState();
  f.SetOrder(kPhysicalOrder);
  bool on = false;
  if (f.TryReadNext() == kDone) {
    const auto& d = f.rec<rec::DefPrn>();
    on = (which == kOnInvoice ? d.ON_INV : d.ON_PAY).value == 1;
  }
  f.PopState(handle);
  return on;
}
}  // namespace

SmsWorker::SmsWorker(DataFiles& files, Ui& ui, const Clock& clock)
    : files_(files), ui_(ui), clock_(clock), thread_([this] { loop(); }) {}

SmsWorker::~SmsWorker() {
  SmsWorker* self = this;
  installed.compare_exchange_strong(self, nullptr);
  {
    std::lock_guard<std::mutex> g(mu_);
    stop_ = true;
  }
  cv_.notify_all();
  thread_.join();
}

void SmsWorker::post(Job job, bool alwaysReport) {
  {
    std::lock_guard<std::mutex> g(mu_);
    queue_.push_back({std::move(job), alwaysReport});
  }
  cv_.notify_all();
}

void SmsWorker::loop() {
  for (;;) {
    Entry e;
    {
      std::unique_lock<std::mutex> g(mu_);
      cv_.wait(g, [this] { return stop_ || !queue_.empty(); });
      if (queue_.empty()) return;  // stopping, nothing left
      e = std::move(queue_.front());
      queue_.pop_front();
      ++running_;
    }
    SmsSender sender(files_, ui_, clock_);
    sender.setShowProgress(true);
    RunResult r = e.job(sender);
    // A gateway that stays away is reported once, not after every payment:
    // a box comes when the kind of failure changes.
    const std::string failure = std::string(r.noHost ? "h" : "") +
                                (r.uploadFailure.empty() ? "" : "u") +
                                (r.otherFailure.empty() ? "" : "o");
    const bool report = e.alwaysReport || (!failure.empty() && failure != lastFailure_);
    lastFailure_ = failure;
    if (report)
      ui_.message(summary(r), "SMS Utility", r.ok() && r.notSent.empty() ? Icon::Information
                                                                          : Icon::Exclamation,
                  kOk, kOk);
    {
      std::lock_guard<std::mutex> g(mu_);
      last_ = r;
      --running_;
    }
    cv_.notify_all();
  }
}

void SmsWorker::drain(const std::function<void()>& pump) {
  std::unique_lock<std::mutex> g(mu_);
  while (!queue_.empty() || running_ > 0) {
    if (!pump) {
      cv_.wait(g);
      continue;
    }
    g.unlock();
    pump();
    g.lock();
    cv_.wait_for(g, std::chrono::milliseconds(10));
  }
}

RunResult SmsWorker::lastResult() {
  std::lock_guard<std::mutex> g(mu_);
  return last_;
}

void SmsWorker::reminders(std::string_view reason) {
  if (reason == kInvoice) {
    std::lock_guard<std::mutex> g(mu_);
    if (invoiceDay_ == clock_.today()) return;
    invoiceDay_ = clock_.today();
  }
  std::string r(reason);
  post([r](SmsSender& s) { return s.Send_SMS(r); }, false);
}

void SmsWorker::invoiceRunDone() {
  {
    std::lock_guard<std::mutex> g(mu_);
    if (invoiceDay_ == clock_.today()) return;
    invoiceDay_ = clock_.today();
  }
  post(
      [this](SmsSender& s) {
        if (!switchOn(files_, kOnInvoice)) return RunResult{};
        return s.Send_SMS(kInvoice);
      },
      false);
}

void SmsWorker::payment(PaymentOf p) {
  post(
      [this, p](SmsSender& s) {
        if (!switchOn(files_, kOnPayment)) return RunResult{};
        return s.Send_SMS(kPayment, &p);
      },
      false);
}

void SmsWorker::message(MemberMessage m) {
  post([m](SmsSender& s) { return s.Send_Message(m); }, true);
}

void Send_Message(DataFiles& files, Ui& ui, const Clock& clock, const MemberMessage& m) {
  if (SmsWorker* w = installed.load()) {
    w->message(m);
    return;
  }
  SmsSender s(files, ui, clock);
  s.setShowProgress(true);
  const RunResult r = s.Send_Message(m);
  ui.message(summary(r), "SMS Utility",
             r.ok() && r.notSent.empty() ? Icon::Information : Icon::Exclamation, kOk, kOk);
}

void installDirectMessageHooks(Ui& ui, const Clock& clock) {
  auto report = [&ui](const RunResult& r) {
    if (!r.ok()) ui.message(summary(r), "SMS Utility", Icon::Exclamation, kOk, kOk);
  };
  ledger::MessageHooks& hooks = ledger::messageHooks();
  hooks.afterInvoiceRun = [&ui, &clock, report](DataFiles& files, bool automatic) {
    if (!automatic || !switchOn(files, kOnInvoice)) return;
    report(SmsSender(files, ui, clock).Send_SMS(kInvoice));
  };
  hooks.afterPayment = [&ui, &clock, report](DataFiles& files, std::string_view ledgerName,
                                             const std::string& clientId, double amount) {
    if (!switchOn(files, kOnPayment)) return;
    const PaymentOf p{std::string(ledgerName), clientId, amount};
    report(SmsSender(files, ui, clock).Send_SMS(kPayment, &p));
  };
}

void installMessageHooks(SmsWorker& worker, StartupHooks& startup) {
  installed = &worker;
  ledger::MessageHooks& hooks = ledger::messageHooks();
  hooks.afterInvoiceRun = [&worker](DataFiles&, bool automatic) {
    if (automatic) worker.invoiceRunDone();
  };
  hooks.afterPayment = [&worker](DataFiles&, std::string_view ledgerName,
                                 const std::string& clientId, double amount) {
    worker.payment(PaymentOf{std::string(ledgerName), clientId, amount});
  };
  startup.smsRun = [&worker](std::string_view reason) { worker.reminders(reason); };
}

}  // namespace vel::sms
