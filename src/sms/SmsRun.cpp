#include "sms/SmsRun.h"

#include <algorithm>
#include <cstdint>
#include <vector>


#include "common/Dates.h"
#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "recordstore/DataFiles.h"
#include "sms/GatewayFile.h"
#include "sms/Outbox.h"

namespace vel::sms {

namespace {

// Clients whose overdue switch is cleared in one write: few enough that the
// client file is not held long, many enough that a run of thousands is quick.
constexpr std::size_t kGroup = 250;

std::string count(int n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

bool isActive(std::string_view active) { return rtrim(active) == "Active"; }

}  // namespace

struct SmsSender::Run {
  explicit Run(const std::string& folder) : outbox(folder) {}
  Outbox outbox;
  GatewayAccount account;
  RunResult result;
  std::unique_ptr<Progress> progress;
};

std::string summary(const RunResult& r) {
  if (!r.notSent.empty() && r.sent == 0 && r.waiting == 0) return r.notSent;
  std::string text = r.notSent.empty() ? std::string() : r.notSent + "|";
  text += count(r.sent, "message", "messages") + " sent, " +
                     std::to_string(r.waiting) + " waiting in the outbox.";
  if (r.noHost)
    text += "|No SMS gateway is set up (Host in the section [SMS Gateway] of velmora.INI):"
            "|the messages wait in the outbox until one is.";
  if (!r.uploadFailure.empty())
    text += "|The messages could not be uploaded: " + r.uploadFailure +
            ".|They wait in the outbox and go with the next run.";
  if (!r.otherFailure.empty()) text += "|" + r.otherFailure;
  if (r.noCell > 0)
    text += "|" + count(r.noCell, "member", "members") + " without a cell number got no message.";
  return text;
}

SmsSender::SmsSender(DataFiles& files, Ui& ui, const Clock& clock)
    : files_(files), ui_(ui), clock_(clock) {}

RunResult SmsSender::run(const std::function<void(Run&)>& write) {
  Run r(files_.folder());
  std::string why;
  std::unique_ptr<Outbox::Lock> lock = r.outbox.lock(why);
  if (!lock) {
    r.result.otherFailure = "The outbox cannot be used: " + why + ".";
    return r.result;
  }
  if (showProgress_) r.progress = ui_.progress("SMS Utility", "Sending SMS, please wait ...");
  if (write) {
    r.account = readGatewayAccount(files_);
    write(r);
    r.outbox.sync();
  }
  upload(r);
  r.result.waiting = static_cast<int>(r.outbox.waiting().size());
  return r.result;
}

void SmsSender::upload(Run& r) {
  const std::vector<std::string> names = r.outbox.waiting();
  if (names.empty()) return;
  const GatewaySettings settings = settings_ ? *settings_ : readGatewaySettings(files_.folder());
  if (!settings.configured()) {
    r.result.noHost = true;
    return;
  }
  std::unique_ptr<Uploader> up = factory_ ? factory_(settings) : makeFtpUploader(settings);
  if (r.progress) r.progress->setPercent(0);
  if (!up->connect()) {
    r.result.uploadFailure = up->error();
    return;
  }
  const double step = 100.0 / static_cast<double>(names.size());
  double done = 0;
  for (const std::string& name : names) {
    if (!up->put(r.outbox.pathOf(name), name)) {
      // The rest wait too: the connection is not trusted after a refusal.
      r.result.uploadFailure = up->error();
      break;
    }
    ++r.result.sent;
    if (!r.outbox.markSent(name)) {
      r.result.otherFailure = "The uploaded file " + name + " could not be moved to " +
                              r.outbox.sentFolder() + ": it will be sent again.";
      break;
    }
    done += step;
    if (r.progress) r.progress->setPercent(static_cast<int>(done));
  }
  up->quit();
}

RunResult SmsSender::Send_SMS(std::string_view reason, const PaymentOf* pay) {
  if (reason == kPayment) {
    if (!pay) return {};
    return run([&](Run& r) { payment(r, *pay); });
  }
  if (!knownReason(reason)) return {};
  return run([&](Run& r) { reminders(r, reason); });
}

RunResult SmsSender::Send_Message(const MemberMessage& m) {
  return run([&](Run& r) {
    if (trim(m.cell).empty()) {
      r.result.notSent = "This member has no cell number: no message was sent.";
      return;
    }
    if (trim(m.message).empty()) {
      r.result.notSent = "There is no message to send: type it in \"SMS Message\" first.";
      return;
    }
    const std::string text = messageFile(r.account, clock_.moment(), m.cell, freeText(m.message));
    std::string why;
    if (r.outbox.queue(messageFileStem(clock_.moment()), text, why))
      ++r.result.written;
    else
      r.result.otherFailure = "The message was not written: " + why + ".";
  });
}

RunResult SmsSender::retryOutbox() { return run(nullptr); }

int SmsSender::waitingCount() {
  Outbox ob(files_.folder());
  return static_cast<int>(ob.waiting().size());
}

void SmsSender::payment(Run& r, const PaymentOf& p) {
  // The paying member from the ledger's member file: VelCli or Hamper.
  const bool hamper = p.ledger == "Hamper";
  FileManager& f = hamper ? files_.fm<rec::Hamper>() : files_.fm<rec::VelCli>();
  FileUse use(f);
  const int handle = f.PushState();
  f.ClearBuffer();
  std::string cell;
  bool found = false, active = false;
  if (hamper) {
    f.rec<rec::Hamper>().CLIENT_ID = p.clientId;
  } else {
    f.rec<rec::VelCli>().CLIENT_ID = p.clientId;
  }
  if (f.TryGetByKey(f.keyIndex("By_Client")) == kDone) {
    found = true;
    if (hamper) {
      active = isActive(f.rec<rec::Hamper>().ACTIVE.str());
      cell = f.rec<rec::Hamper>().PHONE_CELL.text();
    } else {
      active = isActive(f.rec<rec::VelCli>().ACTIVE.str());
      cell = f.rec<rec::VelCli>().PHONE_CELL.text();
    }
  }
  f.PopState(handle);
  if (r.progress) r.progress->setPercent(100);
  if (!found || !active) return;
  if (cell.empty()) {
    r.result.noCell = 1;
    return;
  }
  const std::string text =
      messageFile(r.account, clock_.moment(), cell, reminderText(kPayment, p.amount));
  std::string why;
  if (r.outbox.queue(messageFileStem(clock_.moment()), text, why))
    ++r.result.written;
  else
    r.result.otherFailure = "The thank-you message was not written: " + why + ".";
}

void SmsSender::reminders(Run& r, std::string_view reason) {
  FileManager& cli = files_.fm<rec::VelCli>();
  FileUse use(cli);
  if (cli.EnsureOpen() != kDone) {
    r.result.otherFailure = "The client file cannot be opened: no reminders were written.";
    return;
  }
  const int handle = cli.PushState();
  const std::int32_t today = clock_.today();
  const bool invoice = reason == kInvoice;
  const bool five = reason == kFiveDay;
  const int late = five ? 5 : 10;

  // Whether a client, as read, is to get this run's message (the cell number
  // is checked after).
  auto applies = [&](const rec::VelCli& c) {
    if (!isActive(c.ACTIVE.str())) return false;
    if (invoice) return true;
    if ((five ? c.DAY5 : c.DAY10).value != 1) return false;
    return today > dueDay(c.DOM.str(), today) + late;  // strictly later
  };

  // The walk reads the few fields the choice needs; the clients chosen are
  // read whole again in the write that clears their switch.
  std::vector<std::string> chosen;
  {
    std::int64_t records = 0;
    cli.TryRecords(records);
    const double step = records > 0 ? 100.0 / static_cast<double>(records) : 0;
    double sum = 0;
    FieldSubsetRead subset(cli, {"CLIENT_ID", "ACTIVE", "PHONE_CELL", "PREMIUM", "DOM", "DAY5",
                                 "DAY10"});
    cli.SetOrder(kPhysicalOrder);
    for (;;) {
      if (cli.TryReadNext() != kDone) {
        if (!cli.EndOfData()) {
          cli.report(msg::RetrievalError);
          r.result.otherFailure =
              "The client file could not be read to its end: the clients after the failure "
              "got no reminder.";
        }
        break;
      }
      sum += step;
      if (r.progress) r.progress->setPercent(static_cast<int>(sum));
      const auto& c = cli.rec<rec::VelCli>();
      if (!applies(c)) continue;
      if (c.PHONE_CELL.blank()) {
        ++r.result.noCell;
        continue;
      }
      if (invoice) {
        const std::string text = messageFile(r.account, clock_.moment(), c.PHONE_CELL.str(),
                                             reminderText(reason, c.PREMIUM));
        std::string why;
        if (!r.outbox.queue(messageFileStem(clock_.moment()), text, why)) {
          r.result.otherFailure = "The reminders were not all written: " + why + ".";
          break;
        }
        ++r.result.written;
      } else {
        chosen.push_back(c.CLIENT_ID.text());
      }
    }
  }

  const int byClient = cli.keyIndex("By_Client");
  StoreContext& ctx = files_.context();
  for (std::size_t from = 0; from < chosen.size() && r.result.otherFailure.empty();
       from += kGroup) {
    std::unique_ptr<Transaction> tx;
    EngineFile* ef = cli.engineFile();
    if (!ef || ctx.engine->begin({ef}, ctx.transactionTimeout, tx) != ecode::kNone) {
      r.result.otherFailure =
          "The client file is held by another station: the overdue reminders not yet written "
          "go with the next run.";
      break;
    }
    std::vector<std::string> group;
    const std::size_t to = std::min(chosen.size(), from + kGroup);
    for (std::size_t i = from; i < to; ++i) {
      cli.ClearBuffer();
      auto& c = cli.rec<rec::VelCli>();
      c.CLIENT_ID = chosen[i];
      if (cli.TryGetByKey(byClient) != kDone) continue;
      // Read again in the write: another station may have sent it meanwhile.
      if (!applies(c) || c.PHONE_CELL.blank()) continue;
      const std::string text = messageFile(r.account, clock_.moment(), c.PHONE_CELL.str(),
                                           reminderText(reason, c.PREMIUM));
      std::string why;
      std::optional<std::string> name = r.outbox.queue(messageFileStem(clock_.moment()), text, why);
      if (!name) {
        r.result.otherFailure = "The reminders were not all written: " + why + ".";
        break;
      }
      (five ? c.DAY5 : c.DAY10) = 0;
      if (cli.TryUpdate() != kDone) {
        r.outbox.discard(*name);  // the switch stays set: the next run sends it
        continue;
      }
      group.push_back(*name);
    }
    // The files are on disk before the switches that say they were sent.
    r.outbox.sync();
    if (tx->commit() != ecode::kNone) {
      tx.reset();
      for (const std::string& name : group) r.outbox.discard(name);
      r.result.otherFailure =
          "The client file could not be written: the overdue reminders not yet written go "
          "with the next run.";
      break;
    }
    r.result.written += static_cast<int>(group.size());
  }
  cli.PopState(handle);
}

}  // namespace vel::sms
