// Sending text messages: the reminder runs (Send_SMS), the free message of a
// client or hamper member (Send_Message) and the retry of what waits.
//
// Every run works the same way: it takes the outbox lock, writes its message
// files into the outbox, then connects to the gateway once, uploads what was
// waiting before it and then its own files over that one connection, and
// quits. A file the gateway did not take stays in the outbox for the next
// run; the result says how many went and how many wait, and why.
//
// Only a message that carries a message line is written: a member without a
// cell number, or a client a reminder does not apply to, gets no file.
//
// The overdue reminders ("5 Day", "10 Day") clear the client's DAY5 / DAY10
// only once the message file is safely in the outbox, in the same write as
// the switch is read again, so a message is never lost and never sent twice
// by two stations.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Ui.h"
#include "sms/Gateway.h"

namespace vel {
class DataFiles;
}

namespace vel::sms {

// What a run did.
struct RunResult {
  int written = 0;   // message files this run put into the outbox
  int sent = 0;      // files the gateway accepted (this run's and older ones)
  int waiting = 0;   // files still in the outbox after the run
  bool noHost = false;          // no gateway is set up: nothing was uploaded
  std::string uploadFailure;    // why the gateway did not take the files
  std::string otherFailure;     // a file that could not be read or written
  int noCell = 0;               // members passed over for want of a cell number
  std::string notSent;          // why a single message was not written (bad input)
  // True when everything written went out and nothing failed.
  bool ok() const { return !noHost && uploadFailure.empty() && otherFailure.empty(); }
};

// The report of a run for the clerk, in the system's words ("|" starts a line).
std::string summary(const RunResult& r);

// The paying member of a "Payment" message: the ledger ("Velmora" for the
// burial cover, "Hamper" for the hamper club), the member and the amount.
struct PaymentOf {
  std::string ledger = "Velmora";
  std::string clientId;
  double amount = 0;
};

// A free message to one member, as the client or hamper form holds it.
struct MemberMessage {
  std::string cell;     // PHONE_CELL
  std::string message;  // SMS_MESS
};
template <class Member>
MemberMessage memberMessageOf(const Member& m) {
  return {m.PHONE_CELL.text(), m.SMS_MESS.text()};
}

using UploaderFactory = std::function<std::unique_ptr<Uploader>(const GatewaySettings&)>;

class SmsSender {
 public:
  // `settings` is where the gateway is; read from the data folder's
  // velmora.INI when not given.
  SmsSender(DataFiles& files, Ui& ui, const Clock& clock);
  void setGateway(GatewaySettings settings) { settings_ = std::move(settings); }
  void setUploaderFactory(UploaderFactory f) { factory_ = std::move(f); }
  // Whether the run shows the "SMS Utility" progress window (the desktop
  // program) or works silently (headless tool, tests).
  void setShowProgress(bool show) { showProgress_ = show; }

  // A reminder run: "Invoice", "5 Day" or "10 Day" over every active client,
  // or "Payment" for `payment`'s member alone.
  RunResult Send_SMS(std::string_view reason, const PaymentOf* payment = nullptr);
  // The free message of one member ("Send Message now").
  RunResult Send_Message(const MemberMessage& m);
  // Uploads what waits in the outbox.
  RunResult retryOutbox();
  // Counts what waits, without uploading.
  int waitingCount();

 private:
  struct Run;
  RunResult run(const std::function<void(Run&)>& write);
  void reminders(Run& run, std::string_view reason);
  void payment(Run& run, const PaymentOf& p);
  void upload(Run& run);

  DataFiles& files_;
  Ui& ui_;
  const Clock& clock_;
  std::optional<GatewaySettings> settings_;
  UploaderFactory factory_;
  bool showProgress_ = false;
};

}  // namespace vel::sms
