// File "&Generate Invoices" off screen on a small office: the run bills
// every active member once through the menu, and its "Generating Velmora
// Data" window shows the whole-number bar. Screenshots go to the build
// folder.
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QProgressBar>

#include <map>
#include <memory>
#include <vector>

#include "billing/InvoiceRun.h"
#include "billing/qt/InvoicingProcedures.h"
#include "dictionary/Dictionary.h"
#include "forms/Catalog.h"
#include "gui/FrameFixture.h"
#include "ledger/Postings.h"
#include "platform/qt/ProgressWindow.h"
#include "recordstore/FileManager.h"
#include "setup/qt/SetupProcedures.h"
#include "support/Records.h"

namespace vel::test {
namespace {

// The desktop's progress window, with every percent it was given kept and a
// screenshot taken half-way.
class WatchedProgress : public Progress {
 public:
  WatchedProgress(std::string_view title, std::string_view text, std::vector<int>& percents,
                  QString& shownTitle, QString& shownText)
      : window_(nullptr, title, text), percents_(percents) {
    shownTitle = window_.window()->windowTitle();
    shownText = window_.window()->findChild<QLabel*>("ProgressText")->text();
  }
  void setText(std::string_view text) override { window_.setText(text); }
  void setPercent(int percent) override {
    window_.setPercent(percent);
    percents_.push_back(window_.window()->findChild<QProgressBar*>("ProgressBar")->value());
    if (percent >= 50 && !shot_) {
      QDir().mkpath(VEL_SCREENSHOT_DIR);
      window_.window()->grab().save(QString(VEL_SCREENSHOT_DIR) + "/invoice-run-progress.png");
      shot_ = true;
    }
  }

 private:
  qt::ProgressWindow window_;
  std::vector<int>& percents_;
  bool shot_ = false;
};

class ProgressUi : public SilentUi {
 public:
  std::unique_ptr<Progress> progress(std::string_view title, std::string_view text) override {
    return std::make_unique<WatchedProgress>(title, text, percents, title_, text_);
  }
  std::vector<int> percents;
  QString title_, text_;
};

class InvoiceRunWindowTest : public FrameFixture {
 protected:
  // Four policies, three of them active, each with its first charge on
  // file and the month reset.
  void office() {
    const char* ids[] = {"0001/ABR", "0002/DLA", "0003/MOK", "0004/NDL"};
    for (int k = 0; k < 4; ++k) {
      FileManager& f = files.fm<rec::VelCli>();
      {
        FileUse use(f);
        f.ClearBuffer();
        auto& c = f.rec<rec::VelCli>();
        c.CLIENT_ID = ids[k];
        c.SURNAME = "Member";
        c.ACTIVE = k == 2 ? "Non Active" : "Active";
        c.PREMIUM = 100 + 10 * k;
        c.PLANPREM = 100 + 10 * k;
        ASSERT_EQ(kDone, f.Insert());
      }
      ASSERT_EQ(ledger::PostResult::Posted,
                ledger::postFirstCharge<ledger::BurialCover>(
                    files, {ids[k], 100.0 + 10 * k, 0, 0}, {"01", "clerk"}, clock.moment()));
    }
    SilentUi quiet;
    ASSERT_TRUE(billing::Reset_Invoiced(files, quiet));
  }
  Catalog catalog;
};

TEST_F(InvoiceRunWindowTest, TheFileMenuBillsEveryActiveMemberOnceAndASecondRunNoOne) {
  auto frame = openFrame();
  office();
  qt::buildCatalog(catalog);
  qt::registerInvoicing(procedures, files, ui, catalog, clock, frame.get());
  frame->choose("ITEM1");
  frame->choose("ITEM1");  // the month is billed already: nothing more

  std::map<std::string, int> invoices;
  for (const auto& i : readAll<rec::VelInv>(files)) ++invoices[i.CLIENT_ID.text()];
  EXPECT_EQ(2, invoices["0001/ABR"]);  // the first charge and the month
  EXPECT_EQ(2, invoices["0002/DLA"]);
  EXPECT_EQ(1, invoices["0003/MOK"]);  // not active: the first charge only
  EXPECT_EQ(2, invoices["0004/NDL"]);
  for (const auto& c : readAll<rec::VelCli>(files))
    EXPECT_EQ(c.ACTIVE == "Active" ? 1 : 0, c.INVOICED) << c.CLIENT_ID.text();
  // Each ageing owes the first charge and, when billed, the month again.
  const std::map<std::string, double> owed{
      {"0001/ABR", 200}, {"0002/DLA", 220}, {"0003/MOK", 120}, {"0004/NDL", 260}};
  for (const auto& a : readAll<rec::VelAge>(files))
    EXPECT_DOUBLE_EQ(owed.at(a.CLIENT_ID.text()), a.TOTAL) << a.CLIENT_ID.text();
}

TEST_F(InvoiceRunWindowTest, TheGeneratingWindowShowsItsTitleTextAndAWholeNumberBar) {
  auto frame = openFrame();
  office();
  ProgressUi progressUi;
  const auto r =
      billing::Generate_Invoices(files, progressUi, clock, {"01", "clerk"}, {});
  ASSERT_TRUE(r.ok) << r.failure;
  EXPECT_EQ(3, r.clientsInvoiced);
  EXPECT_EQ(34000, r.cents);
  EXPECT_EQ("Generating Velmora Data", progressUi.title_);
  EXPECT_EQ("Generating Invoices, please wait ...", progressUi.text_);
  // Four records, a quarter each: from empty the bar steps 25, 50, 75, 100.
  ASSERT_GE(progressUi.percents.size(), 5u);
  const std::vector<int> first(progressUi.percents.begin(), progressUi.percents.begin() + 5);
  EXPECT_EQ((std::vector<int>{0, 25, 50, 75, 100}), first);
}

}  // namespace
}  // namespace vel::test
