// The browse's own print-outs and its identity check, off screen: the
// collection cards of the clients added in a period (and nothing for a
// period without any), the pick list's cards of clients still on file, and
// "Check if ID Exists" with its message and the number kept for the next
// new policy.
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "common/Dates.h"
#include "dictionary/LedgerFiles.h"
#include "dictionary/MemberFiles.h"
#include "forms/Catalog.h"
#include "forms/qt/ListWindow.h"
#include "gui/FrameFixture.h"
#include "gui/GuiScript.h"
#include "members/ClientBrowse.h"
#include "members/MemberContext.h"
#include "members/qt/ClientBrowseWindow.h"
#include "recordstore/FileManager.h"
#include "reports/Document.h"
#include "reports/qt/PrintPreviewWindow.h"

namespace vel::test {
namespace {

class ClientBrowsePrints : public FrameFixture {
 protected:
  void SetUp() override {
    FrameFixture::SetUp();
    memberContext().clear();
  }
  void TearDown() override {
    memberContext().clear();
    FrameFixture::TearDown();
  }

  // Three clients added on the 1st, the 5th and the 8th of December.
  void addOffice() {
    const char* surnames[] = {"Abrahams", "Dlamini", "Zulu"};
    const int days[] = {1, 5, 8};
    for (int i = 0; i < 3; ++i) {
      FileManager& f = files.fm<rec::VelCli>();
      FileUse use(f);
      f.ClearBuffer();
      auto& c = f.rec<rec::VelCli>();
      c.NUMBER = 41 + i;
      c.CLIENT_ID =
          std::string("004") + std::to_string(1 + i) + "/" + std::string(surnames[i]).substr(0, 3);
      c.SURNAME = surnames[i];
      c.FIRSTNAME = "Sipho";
      c.ID_NUMBER = std::to_string(6101305800080 + i);
      c.DATE = day(2026, 12, days[i]);
      c.PLANPREM = 100;
      ASSERT_EQ(kDone, f.Insert());
    }
  }

  // The texts of every page of the preview.
  static std::string previewText(QWidget* w) {
    auto* p = qobject_cast<qt::PrintPreviewWindow*>(w);
    std::string all;
    if (!p) return all;
    for (const report::Page& page : report::paginate(p->document()))
      for (const std::string& t : report::pageTexts(page)) all += t + "\n";
    return all;
  }
  static void closePreview(QWidget* w) {
    QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
  }

  Catalog catalog;
};

TEST_F(ClientBrowsePrints, PeriodCardsAreThoseOfTheClientsAddedInThePeriod) {
  auto frame = openFrame();
  addOffice();
  qt::registerClientBrowse(procedures, files, ui, catalog, clock, frame.get());
  std::vector<std::pair<std::int32_t, std::int32_t>> asked;
  std::pair<std::int32_t, std::int32_t> period{day(2026, 12, 2), day(2026, 12, 8)};
  ui.onDateRange = [&](DateRangeForm& f) {
    asked.emplace_back(f.start(), f.end());
    f.setStart(period.first);
    f.setEnd(period.second);
    f.acceptPressed();
  };
  std::string cards;
  Script script;
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Print Route Info per Period"); });
  script.on("PrintPreview", [&](QWidget* w) {
    cards = previewText(w);
    closePreview(w);
  });
  // A period in which nobody was added prints nothing: no preview opens.
  script.on(kBrowseClient, [&](QWidget* w) {
    period = {day(2026, 11, 1), day(2026, 11, 30)};
    press(w, "Print Route Info per Period");
  });
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Close"); });
  frame->choose("ADMINISTRATIONVELMORAPLAN");
  EXPECT_TRUE(script.done()) << script.left();
  // Both ends of the period start at today.
  ASSERT_EQ(2u, asked.size());
  EXPECT_EQ(day(2026, 12, 8), asked[0].first);
  EXPECT_EQ(day(2026, 12, 8), asked[0].second);
  EXPECT_EQ(std::string::npos, cards.find("Abrahams")) << cards;
  EXPECT_NE(std::string::npos, cards.find("Dlamini")) << cards;
  EXPECT_NE(std::string::npos, cards.find("Zulu")) << cards;
  EXPECT_LT(cards.find("Dlamini"), cards.find("Zulu")) << cards;
  // The last period asked is the start date handed on.
  EXPECT_EQ(day(2026, 11, 1), memberContext().START_DATE);
}

TEST_F(ClientBrowsePrints, PickListPrintsTheCardsOfClientsStillOnFile) {
  auto frame = openFrame();
  addOffice();
  qt::registerClientBrowse(procedures, files, ui, catalog, clock, frame.get());
  std::string cards;
  Script script;
  script.on(kClientSelect, [&](QWidget* w) {
    auto* s = qobject_cast<qt::ClientSelectWindow*>(w);
    ASSERT_NE(nullptr, s);
    for (int row : {2, 0, 1}) {
      s->clients()->table()->selectRow(row);
      w->findChild<QPushButton*>("Add to List")->click();
    }
    // Dlamini leaves the scheme after he was picked.
    FileManager& f = files.fm<rec::VelCli>();
    const int h = f.PushState();
    f.ClearBuffer();
    f.rec<rec::VelCli>().CLIENT_ID = "0042/Dla";
    ASSERT_EQ(kDone, f.GetByKey(f.keyIndex("By_Client")));
    ASSERT_EQ(kDone, f.Delete(false));
    f.PopState(h);
    press(w, "Print List");
  });
  script.on("PrintPreview", [&](QWidget* w) {
    cards = previewText(w);
    closePreview(w);
  });
  script.on(kClientSelect, [&](QWidget* w) { press(w, "Close"); });
  frame->choose("PRNSEL");
  EXPECT_TRUE(script.done()) << script.left();
  EXPECT_EQ(std::string::npos, cards.find("Dlamini")) << cards;
  // In the pick list's client-number order.
  ASSERT_NE(std::string::npos, cards.find("Abrahams")) << cards;
  ASSERT_NE(std::string::npos, cards.find("Zulu")) << cards;
  EXPECT_LT(cards.find("Abrahams"), cards.find("Zulu")) << cards;
}

TEST_F(ClientBrowsePrints, CheckIfIdExistsTellsWhereAndKeepsTheNumber) {
  auto frame = openFrame();
  addOffice();
  qt::registerClientBrowse(procedures, files, ui, catalog, clock, frame.get());
  memberContext().GLO_ID_NUMBER = "7001015009086";  // from an earlier check
  std::string keptWhileAsked = "(not asked)";
  Script script;
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Check if ID Exists"); });
  script.on("Check4ID", [&](QWidget* w) {
    keptWhileAsked = memberContext().GLO_ID_NUMBER;
    auto* e = w->findChild<QLineEdit*>("GLO_ID_NUMBER");
    ASSERT_NE(nullptr, e);
    EXPECT_TRUE(e->text().isEmpty());
    e->setText("6101305800081");
    // Every value at its field's full width, so that the messages line up.
    auto pad = [](std::string v, std::size_t n) { return v.append(n - v.size(), ' '); };
    ui.boxes.expect("", kOk,
                    "ID No 6101305800081 exists in Main Member database - Main member Client ID " +
                        pad("0042/Dla", 10) + "  Surname " + pad("Dlamini", 25) + " Plan " +
                        pad("", 7) + "  Option " + pad("", 15) + "  Status " + pad("", 10));
    press(w, "OK");
  });
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Check if ID Exists"); });
  // A number on no file shows nothing; closing the window checks nothing.
  script.on("Check4ID", [&](QWidget* w) {
    w->findChild<QLineEdit*>("GLO_ID_NUMBER")->setText("9912315009089");
    press(w, "OK");
  });
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Close"); });
  frame->choose("ADMINISTRATIONVELMORAPLAN");
  EXPECT_TRUE(script.done()) << script.left();
  EXPECT_EQ("", keptWhileAsked);
  EXPECT_EQ("9912315009089", memberContext().GLO_ID_NUMBER);
}

// The window's one "Print Receipt" prints the receipt of the payment the
// payments panel highlights (the panel's own print button is not shown).
TEST_F(ClientBrowsePrints, PrintReceiptPrintsTheHighlightedPayment) {
  auto frame = openFrame();
  addOffice();
  {
    FileManager& p = files.fm<rec::VelPay>();
    FileUse use(p);
    p.ClearBuffer();
    auto& pay = p.rec<rec::VelPay>();
    pay.CLIENT_ID = "0041/Abr";
    pay.DATE = day(2026, 12, 3);
    pay.CREDIT = 87.5;
    pay.ACCOUNT = "Petty Cash";
    ASSERT_EQ(kDone, p.Insert());
  }
  qt::registerClientBrowse(procedures, files, ui, catalog, clock, frame.get());
  std::string receipt;
  int receiptButtons = -1;
  Script script;
  script.on(kBrowseClient, [&](QWidget* w) {
    receiptButtons = 0;
    for (QPushButton* b : w->findChildren<QPushButton*>())
      if (b->isVisibleTo(w) && b->text() == "Print Receipt") ++receiptButtons;
    press(w, "Print Receipt");
  });
  script.on("PrintPreview", [&](QWidget* w) {
    receipt = previewText(w);
    closePreview(w);
  });
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Close"); });
  frame->choose("ADMINISTRATIONVELMORAPLAN");
  EXPECT_TRUE(script.done()) << script.left();
  EXPECT_EQ(1, receiptButtons);
  EXPECT_NE(std::string::npos, receipt.find("R87.50")) << receipt;
  EXPECT_NE(std::string::npos, receipt.find("0041/Abr")) << receipt;
}

}  // namespace
}  // namespace vel::test
