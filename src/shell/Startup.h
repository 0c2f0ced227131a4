// The life of the process, from start to the running frame and back:
// the frame's initialisation (conversion, configuration, log-in, seeding of
// the one-record files, the single-instance check), the frame's open steps
// with the daily start-up sequence, and the frame's close.
//
// It runs on the first thread, before the user can touch the menu. Whatever
// stops the program goes through Ui::halt after its message; the methods
// then return Outcome::Stopped and the caller does nothing more.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/InstanceLock.h"
#include "platform/Ui.h"

namespace vel {

class Clock;
class DataFiles;
class ShellUi;

// The procedures start-up calls out to. Each defaults to doing nothing, so
// the shell runs before the subsystems that fill them in exist.
struct StartupHooks {
  std::function<void()> convertOlderFiles;
  std::function<void()> generateInvoices;
  std::function<void(std::string_view reason)> smsRun;  // "Invoice", "5 Day", "10 Day"
  // The month reset of the invoiced marks. It is called inside the write
  // transaction by which one station claims the day's sequence (over Config,
  // VelCli and Hamper), so it must not begin one of its own; false when a
  // write failed, and then nothing of the claim is kept.
  std::function<bool()> resetInvoiced;
  std::function<void()> backup;
};

class Startup {
 public:
  Startup(DataFiles& files, ShellUi& ui, const Clock& clock, StartupHooks hooks = {},
          std::string instanceLockPath = InstanceLock::machinePath());
  ~Startup();
  Startup(const Startup&) = delete;
  Startup& operator=(const Startup&) = delete;

  enum class Outcome {
    Running,     // go on
    Stopped,     // the program has been stopped after a message
    SecondCopy,  // another copy runs on this machine: close the frame and end
  };

  // Before the frame is shown.
  Outcome initialise();
  // When the frame has opened: version, seeding, date checks, the daily
  // sequence, title and status bar.
  Outcome open();
  // The frame closes: the files it kept open are closed.
  void close();

  // The daily sequence without the frame, for the headless tool: reads the
  // configuration and the message switches, then runs the sequence when the
  // last start-up was before today (once a day, whatever the number of
  // stations). False, after its message, when the folder has no
  // configuration or the clock is behind the last start-up.
  bool runDailyHeadless();

  // The frame's title after open (the plain title before).
  const std::string& title() const { return title_; }
  // Status bar zones 2, 3 and 4 as they read now.
  std::string userZone() const;
  std::string dayZone() const;
  std::string timeZone() const;

  // What the last open did, for the frame and for tests.
  bool dailySequenceRan() const { return dailyRan_; }
  bool invoiceGateOpened() const { return gateOpened_; }

 private:
  Outcome stop(std::string_view text, std::string_view title, Icon icon);
  void seedCommission();
  void seedDefPrn();
  void seedBalance();
  void seedBranchDetail();
  void dailySequence();
  void backup();
  enum class Claim { Taken, TakenByOther, Failed };
  Claim claimDay();
  void invoiceGate();

  DataFiles& files_;
  ShellUi& ui_;
  const Clock& clock_;
  StartupHooks hooks_;
  std::string lockPath_;
  InstanceLock lock_;
  std::string title_;
  bool initialised_ = false;
  bool keptOpen_ = false;
  bool velDataExisted_ = true;
  bool dailyRan_ = false;
  bool gateOpened_ = false;
  bool claimFailed_ = false;
};

}  // namespace vel
