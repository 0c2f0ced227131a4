// A data folder, a scripted shell Ui (message boxes expected in turn, the
// shell's windows answered by the test's own functions), a fixed clock and a
// lock file of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "platform/Clock.h"
#include "recordstore/DataFiles.h"
#include "shell/ChangePassword.h"
#include "shell/FirstRun.h"
#include "shell/GetRange.h"
#include "shell/Globals.h"
#include "shell/LoginForm.h"
#include "shell/ShellUi.h"
#include "shell/Startup.h"
#include "support/ScriptedUi.h"
#include "support/Records.h"
#include "support/TempDir.h"
#include "support/Engines.h"

namespace vel::test {

class ScriptedShellUi : public ShellUi {
 public:
  unsigned message(std::string_view text, std::string_view title, Icon icon, unsigned buttons,
                   unsigned def) override {
    return boxes.message(text, title, icon, buttons, def);
  }
  void halt(int code) override { boxes.halt(code); }
  void runLogin(LoginForm& f) override {
    ++loginsShown;
    if (onLogin) onLogin(f);
    else f.closed();
  }
  void runFirstRun(FirstRunForm& f) override {
    ++firstRunsShown;
    if (onFirstRun) onFirstRun(f);
  }
  void runDateRange(DateRangeForm& f) override {
    if (onDateRange) onDateRange(f);
  }
  void runChangePassword(ChangePasswordForm& f) override {
    if (onChangePassword) onChangePassword(f);
  }
  void backupNotice(bool show) override { noticeShown += show ? 1 : 0; }

  ScriptedUi boxes;
  std::function<void(LoginForm&)> onLogin;
  std::function<void(FirstRunForm&)> onFirstRun;
  std::function<void(DateRangeForm&)> onDateRange;
  std::function<void(ChangePasswordForm&)> onChangePassword;
  int loginsShown = 0, firstRunsShown = 0, noticeShown = 0;
};

class ShellFixture : public ::testing::Test {
 protected:
  void SetUp() override { globals().clear(); }
  void TearDown() override { ui.boxes.verifyDone(); }

  static std::int32_t day(int y, int m, int d) { return dateFromYmd(y, m, d); }

  // A new station on the folder at `today`, with hooks that log what ran.
  std::unique_ptr<Startup> station(std::int32_t today) {
    clock.set(today, timeFromHms(9, 30, 0));
    StartupHooks hooks;
    hooks.convertOlderFiles = [this] { ran.push_back("convert"); };
    hooks.generateInvoices = [this] { ran.push_back("invoices"); };
    hooks.smsRun = [this](std::string_view reason) { ran.push_back("sms " + std::string(reason)); };
    hooks.resetInvoiced = [this] {
      ran.push_back("reset");
      return true;
    };
    hooks.backup = [this] { ran.push_back("backup"); };
    return std::make_unique<Startup>(files, ui, clock, hooks, dir.file("instance.lock"));
  }

  // Writes the Config record as an installation would bring it.
  void installConfig(std::int32_t lastStart, int security = 0) {
    FileManager& f = files.fm<rec::Config>();
    FileUse use(f);
    f.ClearBuffer();
    auto& c = f.rec<rec::Config>();
    c.NAME = "Thembeka Burial Society";
    c.BRANCH_ID = "07";
    c.DATE = lastStart;
    c.SECURITY = security;
    ASSERT_EQ(kDone, f.Insert());
  }

  // The seeding a started folder has: the branch detail's one record, so no
  // "Update Information" box.
  void installBranchDetail() {
    FileManager& f = files.fm<rec::BDetal>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::BDetal>().BUS_NAME = "Thembeka Burial Society";
    ASSERT_EQ(kDone, f.Insert());
  }

  void setSwitches(int inv, int late5, int late10) {
    FileManager& f = files.fm<rec::DefPrn>();
    FileUse use(f);
    f.ClearBuffer();
    auto& d = f.rec<rec::DefPrn>();
    d.ON_INV = inv;
    d.ON_5LATE = late5;
    d.ON_10LATE = late10;
    ASSERT_EQ(kDone, f.Insert());
  }

  // VelData's one record: the day on or after which the next invoice run may be.
  void setNextInvoiceDate(std::int32_t next) {
    FileManager& f = files.fm<rec::VelData>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::VelData>().DATE = next;
    ASSERT_EQ(kDone, f.Insert());
  }

  template <class R>
  std::vector<R> all() {
    return readAll<R>(files);
  }

  TempDir dir;
  std::unique_ptr<Engine> engine = makeEngineFor(dir.path());
  ScriptedShellUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
  FixedClock clock{0, 0};
  std::vector<std::string> ran;
};

}  // namespace vel::test
