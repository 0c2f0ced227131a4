// A data folder for report tests: records written straight into the files,
// a scripted shell Ui that also records the progress windows, a fixed clock
// and an output that keeps every document handed to it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "platform/Clock.h"
#include "recordstore/DataFiles.h"
#include "reports/ReportFrame.h"
#include "shell/GetRange.h"
#include "shell/Globals.h"
#include "shell/ShellFixture.h"
#include "shell/ShellUi.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/Engines.h"

namespace vel::test {

// The shell's scripted Ui, also keeping every progress window it opened.
class ReportUi : public ScriptedShellUi {
 public:
  struct Window {
    std::string title, text;
    std::vector<int> percents;
  };
  class RecordingProgress : public Progress {
   public:
    explicit RecordingProgress(Window& w) : w_(w) {}
    void setText(std::string_view t) override { w_.text = t; }
    void setPercent(int p) override { w_.percents.push_back(p); }

   private:
    Window& w_;
  };

  void runDateRange(DateRangeForm& f) override {
    ++rangesShown;
    rangeOpenedWith = {f.start(), f.end()};
    ScriptedShellUi::runDateRange(f);
  }
  std::unique_ptr<Progress> progress(std::string_view title, std::string_view text) override {
    windows.push_back(std::make_unique<Window>(Window{std::string(title), std::string(text), {}}));
    return std::make_unique<RecordingProgress>(*windows.back());
  }

  int rangesShown = 0;
  std::pair<std::int32_t, std::int32_t> rangeOpenedWith{0, 0};
  std::vector<std::unique_ptr<Window>> windows;
};

class KeptOutput : public ReportOutput {
 public:
  void present(const report::Document& doc) override { docs.push_back(doc); }
  std::vector<report::Document> docs;
};

class ReportFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    globals().clear();
    globals().setVERSION("[1.02]");
  }
  void TearDown() override { ui.boxes.verifyDone(); }

  static std::int32_t day(int y, int m, int d) { return dateFromYmd(y, m, d); }

  // Adds one record of R, filled by `fill` from a cleared buffer.
  template <class R, class Fill>
  void add(Fill fill) {
    FileManager& f = files.fm<R>();
    FileUse use(f);
    f.ClearBuffer();
    fill(f.template rec<R>());
    ASSERT_EQ(kDone, f.Insert()) << f.label() << ": " << f.LastEngineText();
  }

  void config(std::string name, std::string a1, std::string a2, std::string a3,
              std::string branch) {
    add<rec::Config>([&](rec::Config& c) {
      c.NAME = name;
      c.ADDR1 = a1;
      c.ADDR2 = a2;
      c.ADDR3 = a3;
      c.BRANCH_ID = branch;
    });
  }

  void client(const std::string& id, const std::string& active, std::int32_t changed = 0,
              double planPrem = 0, double premToPay = 0, std::int32_t spouseChanged = 0) {
    add<rec::VelCli>([&](rec::VelCli& c) {
      c.CLIENT_ID = id;
      c.SURNAME = "Surname " + id;
      c.FIRSTNAME = "First";
      c.ACTIVE = active;
      c.DATECHANGE = changed;
      c.PLANPREM = planPrem;
      c.PREMTOPAY = premToPay;
      c.S_CHANGEDATE = spouseChanged;
    });
  }

  void entry(const std::string& id, std::int32_t date, const std::string& type, double amount,
             const std::string& status = "", double ageComm = 0, double collComm = 0) {
    add<rec::VelTra>([&](rec::VelTra& t) {
      t.CLIENT_ID = id;
      t.DATE = date;
      t.TYPE = type;
      if (type == "Invoice") t.DEBIT = amount;
      else t.CREDIT = amount;
      t.STATUS = status;
      t.AGE_COMM = ageComm;
      t.COLL_COMM = collComm;
    });
  }

  TempDir dir;
  std::unique_ptr<Engine> engine = makeEngineFor(dir.path());
  ReportUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
  FixedClock clock{day(2026, 3, 15), timeFromHms(10, 30, 0)};
  KeptOutput output;
};

}  // namespace vel::test
