// "Hampers" off screen, opened from the menu: a member added through the
// member form gets his number and his identity number decoded and is left
// to the invoice run; a payment taken in the payments panel goes to the
// hamper ledger and its receipt prints; the panels follow the member.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include <set>

#include "dictionary/LedgerFiles.h"
#include "forms/Catalog.h"
#include "forms/qt/ListWindow.h"
#include "gui/FrameFixture.h"
#include "gui/GuiScript.h"
#include "hamper/HamperBrowse.h"
#include "hamper/qt/HamperBrowseWindow.h"
#include "members/MemberContext.h"
#include "recordstore/FileManager.h"
#include "reports/Document.h"
#include "reports/qt/PrintPreviewWindow.h"

namespace vel::test {
namespace {

class HamperBrowseGuiTest : public FrameFixture {
 protected:
  void SetUp() override {
    FrameFixture::SetUp();
    memberContext().clear();
  }
  void TearDown() override {
    memberContext().clear();
    FrameFixture::TearDown();
  }
  static void type(QWidget* w, const char* field, const QString& text) {
    auto* e = w->findChild<QLineEdit*>(field);
    ASSERT_NE(nullptr, e) << field;
    e->setFocus();
    e->setText(text);
    e->setModified(true);
    emit e->editingFinished();
  }
  static std::string text(QWidget* w, const char* field) {
    auto* e = w->findChild<QLineEdit*>(field);
    return e ? e->text().trimmed().toStdString() : std::string("(none)");
  }
  static int rows(qt::ListPanel* p) { return p->model()->rowCount(); }
  static std::string cell(qt::ListPanel* p, int r, int c) {
    return p->model()->index(r, c).data().toString().trimmed().toStdString();
  }

  Catalog catalog;
};

TEST_F(HamperBrowseGuiTest, AMemberAddedFromTheMenuGetsHisNumberAndIsLeftToTheInvoiceRun) {
  auto frame = openFrame();
  qt::registerHamperProcedures(procedures, files, ui, catalog, clock, frame.get());

  bool added = false, followed = false;
  Script script;
  script.on(kBrowseHamper, [&](QWidget* w) {
    auto* b = qobject_cast<qt::HamperBrowseWindow*>(w);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ("Hampers", b->windowTitle().toStdString());
    // It fits a screen of 1280 by 1024 (or 1366 by 768) whole.
    EXPECT_LE(b->minimumSizeHint().width(), 1280);
    EXPECT_LE(b->minimumSizeHint().height(), 768);
    EXPECT_EQ(0, rows(b->members()));
    press(w, "Insert");
  });
  script.on(kUpdateHamper, [&](QWidget* w) {
    type(w, "SURNAME", "Nkosi");
    EXPECT_EQ("0001/NKO", text(w, "CLIENT_ID"));
    type(w, "FIRSTNAME", "Lindiwe");
    // The number is decoded as on the client form, once.
    ui.boxes.expect("ID Validation", kOk);
    type(w, "ID_NUMBER", "8001015009087");
    EXPECT_EQ("01/01/1980", text(w, "DOB"));
    type(w, "PREMIUM", "75.00");
    type(w, "PHONE_CELL", "0821234567");
    EXPECT_NE(nullptr, w->findChild<QPushButton*>("SendMessageNow"));
    added = true;
    press(w, "OK");
  });
  script.on(kBrowseHamper, [&](QWidget* w) {
    auto* b = qobject_cast<qt::HamperBrowseWindow*>(w);
    ASSERT_NE(nullptr, b);
    ASSERT_EQ(1, rows(b->members()));
    EXPECT_EQ("0001/NKO", cell(b->members(), 0, 0));
    b->members()->table()->selectRow(0);
    // No first charge: the month's invoice run bills a new member.
    EXPECT_EQ(0, rows(b->ageing()));
    EXPECT_EQ(0, rows(b->invoices()));
    EXPECT_EQ(0, rows(b->payments()));
    QDir().mkpath(VEL_SCREENSHOT_DIR);
    b->grab().save(QString(VEL_SCREENSHOT_DIR) + "/hamper-browse.png");
    followed = true;
    press(w, "Close");
  });
  frame->choose("ITEM9");
  EXPECT_TRUE(added);
  EXPECT_TRUE(followed);
  EXPECT_TRUE(script.done()) << script.left();

  const auto members = readAll<rec::Hamper>(files);
  ASSERT_EQ(1u, members.size());
  EXPECT_EQ("Male", members[0].GENDER.str());
  EXPECT_DOUBLE_EQ(75.0, members[0].PREMIUM);
  EXPECT_EQ(0, members[0].INVOICED);  // this month's run bills him
  EXPECT_TRUE(readAll<rec::HamTra>(files).empty());
  EXPECT_TRUE(readAll<rec::VelInv>(files).empty());
}

// "Copy Policy Holders to Hamper" from the menu: the clients with a hamper
// amount join, and a member who could not keep his client's number is named.
TEST_F(HamperBrowseGuiTest, TheCopyUtilityFromTheMenuNamesARenumberedMember) {
  auto add = [&](auto r) {
    using R = decltype(r);
    FileManager& f = files.fm<R>();
    FileUse use(f);
    ASSERT_EQ(kDone, f.EnsureOpen());
    f.rec<R>() = r;
    ASSERT_EQ(ecode::kNone, f.engineFile()->add(f.buffer()));
  };
  rec::Hamper own;
  own.NUMBER = 3;
  own.CLIENT_ID = "0003/HAM";
  add(own);
  for (int n : {3, 4}) {
    rec::VelCli c;
    c.NUMBER = n;
    c.CLIENT_ID = "000" + std::to_string(n) + "/CLI";
    c.SURNAME = "Client";
    c.HAMPER = 40.0;
    c.PREMIUM = 100.0;
    c.PLANPREM = 140.0;
    add(c);
  }
  auto frame = openFrame();
  qt::registerHamperProcedures(procedures, files, ui, catalog, clock, frame.get());
  ui.boxes.expect("Copy Utility", kOk,
                  "Hamper number 3 is held by another member; 0003/CLI was added as hamper member 4.|"
                  "Hamper number 4 is held by another member; 0004/CLI was added as hamper member 5.");
  frame->choose("ITEM10");
  const auto members = readAll<rec::Hamper>(files);
  ASSERT_EQ(3u, members.size());
  std::set<std::int64_t> numbers;
  for (const auto& m : members) numbers.insert(m.NUMBER);
  // 0004/CLI found 4 taken by then and took the next as well.
  EXPECT_EQ((std::set<std::int64_t>{3, 4, 5}), numbers);
}

// A member billed 75.00 pays 75.00 in "Make a Payment" from the payments
// panel: the payment, its entry and the ageing land on the hamper ledger
// only, the panels show it, and the window's "Print Receipt" prints it.
TEST_F(HamperBrowseGuiTest, APaymentTakenInThePanelGoesToTheHamperLedgerAndItsReceiptPrints) {
  {
    FileManager& h = files.fm<rec::Hamper>();
    FileUse use(h);
    h.ClearBuffer();
    auto& m = h.rec<rec::Hamper>();
    m.NUMBER = 7;
    m.CLIENT_ID = "0007/MOK";
    m.SURNAME = "Mokoena";
    m.PREMIUM = 75.0;
    m.ACTIVE = "Active";
    ASSERT_EQ(kDone, h.Insert());
    FileManager& a = files.fm<rec::HamAge>();
    FileUse ause(a);
    a.ClearBuffer();
    auto& g = a.rec<rec::HamAge>();
    g.CLIENT_ID = "0007/MOK";
    g.TOTAL = 75.0;
    g.CURRENT = 75.0;
    ASSERT_EQ(kDone, a.Insert());
  }
  auto frame = openFrame();
  qt::registerHamperProcedures(procedures, files, ui, catalog, clock, frame.get());
  std::string receipt;
  int receiptButtons = -1;
  Script script;
  script.on(kBrowseHamper, [&](QWidget* w) {
    auto* b = qobject_cast<qt::HamperBrowseWindow*>(w);
    ASSERT_NE(nullptr, b);
    b->members()->table()->selectRow(0);
    QPushButton* insert = b->payments()->button(kActInsert);
    ASSERT_NE(nullptr, insert);
    QMetaObject::invokeMethod(insert, &QPushButton::click, Qt::QueuedConnection);
  });
  script.on("Update_HamPay", [&](QWidget* w) {
    type(w, "CREDIT", "75.00");
    QDir().mkpath(VEL_SCREENSHOT_DIR);
    w->grab().save(QString(VEL_SCREENSHOT_DIR) + "/hamper-browse-payment.png");
    press(w, "OK");
  });
  script.on(kBrowseHamper, [&](QWidget* w) {
    auto* b = qobject_cast<qt::HamperBrowseWindow*>(w);
    ASSERT_NE(nullptr, b);
    ASSERT_EQ(1, rows(b->payments()));
    EXPECT_EQ("75.00", cell(b->payments(), 0, 1));
    ASSERT_EQ(1, rows(b->ageing()));
    EXPECT_EQ("0.00", cell(b->ageing(), 0, 5));  // Total
    receiptButtons = 0;
    for (QPushButton* p : w->findChildren<QPushButton*>())
      if (p->isVisibleTo(w) && p->text() == "Print Receipt") ++receiptButtons;
    b->payments()->table()->selectRow(0);
    press(w, "Print Receipt");
  });
  script.on("PrintPreview", [&](QWidget* w) {
    if (auto* p = qobject_cast<qt::PrintPreviewWindow*>(w))
      for (const report::Page& page : report::paginate(p->document()))
        for (const std::string& t : report::pageTexts(page)) receipt += t + "\n";
    QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
  });
  script.on(kBrowseHamper, [&](QWidget* w) { press(w, "Close"); });
  frame->choose("ITEM9");
  EXPECT_TRUE(script.done()) << script.left();

  const auto pays = readAll<rec::HamPay>(files);
  ASSERT_EQ(1u, pays.size());
  EXPECT_DOUBLE_EQ(75.0, pays[0].CREDIT);
  EXPECT_DOUBLE_EQ(75.0, pays[0].PREM2PAY);  // the member's PREMIUM
  const auto entries = readAll<rec::HamTra>(files);
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("Payment", entries[0].TYPE.str());
  EXPECT_TRUE(readAll<rec::VelPay>(files).empty());
  EXPECT_TRUE(readAll<rec::VelTra>(files).empty());
  EXPECT_EQ(1, receiptButtons);
  EXPECT_NE(std::string::npos, receipt.find("R75.00")) << receipt;
}

}  // namespace
}  // namespace vel::test
