// The SMS runs of the desktop program, on a thread beside the frame.
//
// The start-up reminders, the invoice and payment messages and "Send
// Message now" are handed to one worker thread that runs them one after the
// other with its own record buffers, each with the "SMS Utility" progress
// window, so the frame never waits for the gateway. A run that leaves
// messages waiting says so in a box (the same failure is not repeated run
// after run while the gateway stays away); "Send Message now" always reports.
//
// installMessageHooks fills the ledger's posting hooks and the start-up
// sequence's SMS hook with runs of this worker.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/Clock.h"
#include "platform/Ui.h"
#include "sms/SmsRun.h"

namespace vel {
class DataFiles;
struct StartupHooks;
}  // namespace vel

namespace vel::sms {

class SmsWorker {
 public:
  SmsWorker(DataFiles& files, Ui& ui, const Clock& clock);
  // Runs what is still queued, then ends the thread.
  ~SmsWorker();
  SmsWorker(const SmsWorker&) = delete;
  SmsWorker& operator=(const SmsWorker&) = delete;

  // A reminder run ("Invoice", "5 Day", "10 Day"). "Invoice" runs at most
  // once a day, whichever caller asks first.
  void reminders(std::string_view reason);
  // "Payment" for one member, when the office's switch ON_PAY is on.
  void payment(PaymentOf p);
  // "Invoice" after the automatic invoice run, when ON_INV is on.
  void invoiceRunDone();
  // "Send Message now": one free message, the result always reported.
  void message(MemberMessage m);

  // Waits until every run handed over so far has finished; `pump` is called
  // meanwhile, so the caller's thread can go on showing the runs' boxes.
  void drain(const std::function<void()>& pump = {});
  // For tests: the result of the last run.
  RunResult lastResult();

 private:
  using Job = std::function<RunResult(SmsSender&)>;
  void post(Job job, bool alwaysReport);
  void loop();

  DataFiles& files_;
  Ui& ui_;
  const Clock& clock_;
  std::mutex mu_;
  std::condition_variable cv_;
  struct Entry {
    Job job;
    bool alwaysReport;
  };
  std::deque<Entry> queue_;
  int running_ = 0;
  bool stop_ = false;
  std::int32_t invoiceDay_ = -1;
  std::string lastFailure_;
  RunResult last_;
  std::thread thread_;
};

// Fills the ledger's message hooks and `startup`'s SMS hook with runs of
// `worker`, and makes it the one Send_Message hands its messages to.
void installMessageHooks(SmsWorker& worker, StartupHooks& startup);

// The same ledger hooks for a program without a frame (velmora-admin): the
// message is sent on the posting's own thread before the posting returns,
// and a run that leaves messages waiting says so through `ui`.
void installDirectMessageHooks(Ui& ui, const Clock& clock);

// "Send Message now" of the client and hamper forms: the member's free
// message, on the installed worker; without one (a test, a tool) it is sent
// here and now. Either way the clerk is told how it went.
void Send_Message(DataFiles& files, Ui& ui, const Clock& clock, const MemberMessage& m);

}  // namespace vel::sms
