// "Policy Holders" off screen, opened from the menu on a small office: the
// count of clients, the panels following the highlighted client, remarks
// edited through their window, and the right click that only tells off.
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>

#include "dictionary/LedgerFiles.h"
#include "dictionary/MemberFiles.h"
#include "forms/Catalog.h"
#include "forms/qt/ListWindow.h"
#include "gui/FrameFixture.h"
#include "gui/GuiScript.h"
#include "members/ClientBrowse.h"
#include "members/qt/ClientBrowseWindow.h"
#include "reports/Document.h"
#include "reports/qt/PrintPreviewWindow.h"
#include "recordstore/FileManager.h"

namespace vel::test {
namespace {

class ClientBrowseGuiTest : public FrameFixture {
 protected:
  // Three policies, each with its first charge; the middle one also paid.
  void addOffice() {
    const char* surnames[] = {"Abrahams", "Dlamini", "Zulu"};
    for (int i = 0; i < 3; ++i) {
      rec::VelCli c;
      c.NUMBER = 41 + i;
      char id[11];
      std::snprintf(id, sizeof id, "%04d/%.3s", 41 + i, surnames[i]);
      c.CLIENT_ID = id;
      c.SURNAME = surnames[i];
      c.FIRSTNAME = "Sipho";
      c.ID_NUMBER = std::to_string(6101305800080 + i);
      c.PREMIUM = 100.0 + 10 * i;
      c.PLANPREM = c.PREMIUM;
      c.REMARKS = std::string("Remark of ") + surnames[i];
      c.INVOICED = 1;
      {
        FileManager& f = files.fm<rec::VelCli>();
        FileUse use(f);
        f.rec<rec::VelCli>() = c;
        ASSERT_EQ(kDone, f.Insert());
      }
      ASSERT_EQ(ledger::PostResult::Posted, afterPolicyAdded(files, c, "clerk", clock.moment()));
    }
    FileManager& p = files.fm<rec::VelPay>();
    FileUse use(p);
    p.ClearBuffer();
    auto& pay = p.rec<rec::VelPay>();
    pay.CLIENT_ID = "0042/Dla";
    pay.DATE = day(2026, 12, 8);
    pay.CREDIT = 110.0;
    pay.ACCOUNT = "Cash";
    ASSERT_EQ(kDone, p.Insert());
  }

  static int rows(qt::ListPanel* p) { return p->model()->rowCount(); }
  static std::string cell(qt::ListPanel* p, int r, int c) {
    return p->model()->index(r, c).data().toString().toStdString();
  }

  Catalog catalog;
};

TEST_F(ClientBrowseGuiTest, PanelsFollowTheHighlightedClient) {
  auto frame = openFrame();
  addOffice();
  qt::registerClientBrowse(procedures, files, ui, catalog, clock, frame.get());

  bool checked = false;
  Script script;
  script.on(kBrowseClient, [&](QWidget* w) {
    auto* b = qobject_cast<qt::ClientBrowseWindow*>(w);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ("Policy Holders", b->windowTitle().toStdString());
    EXPECT_EQ("3", b->count()->text().toStdString());
    // By surname: Abrahams first, with his own charge and no payment.
    ASSERT_EQ(3, rows(b->clients()));
    EXPECT_EQ("Abrahams", cell(b->clients(), 0, 0));
    ASSERT_EQ(1, rows(b->ageing()));
    EXPECT_EQ("100.00", cell(b->ageing(), 0, 5));
    EXPECT_EQ("0041/Abr", cell(b->ageing(), 0, 6));
    ASSERT_EQ(1, rows(b->invoices()));
    EXPECT_EQ("100.00", cell(b->invoices(), 0, 1));
    EXPECT_EQ(0, rows(b->payments()));
    EXPECT_EQ("Remark of Abrahams", b->remarks()->toPlainText().toStdString());

    b->clients()->table()->selectRow(1);
    EXPECT_EQ("Dlamini", cell(b->clients(), 1, 0));
    ASSERT_EQ(1, rows(b->ageing()));
    EXPECT_EQ("0042/Dla", cell(b->ageing(), 0, 6));
    EXPECT_EQ("110.00", cell(b->ageing(), 0, 5));
    ASSERT_EQ(1, rows(b->invoices()));
    EXPECT_EQ("0042/Dla", cell(b->invoices(), 0, 2));
    ASSERT_EQ(1, rows(b->payments()));
    EXPECT_EQ("110.00", cell(b->payments(), 0, 1));
    EXPECT_EQ("Cash", cell(b->payments(), 0, 2));
    EXPECT_EQ("Remark of Dlamini", b->remarks()->toPlainText().toStdString());

    // The locator of the client-number order jumps to Zulu.
    b->clients()->findChild<QTabBar*>()->setCurrentIndex(2);
    b->clients()->locate("0043");
    EXPECT_EQ("0043/Zul", cell(b->ageing(), 0, 6));

    // Deleting Dlamini's payment gives its amount back to his ageing.
    b->clients()->findChild<QTabBar*>()->setCurrentIndex(0);
    b->clients()->table()->selectRow(1);
    ui.boxes.expect("Confirm Delete", kYes);
    b->payments()->findChild<QPushButton*>("Delete")->click();
    EXPECT_EQ(0, rows(b->payments()));
    EXPECT_EQ("220.00", cell(b->ageing(), 0, 5));
    b->clients()->findChild<QTabBar*>()->setCurrentIndex(2);
    b->clients()->locate("0043");

    // A right click only tells the clerk off.
    ui.boxes.expect("Naughty Naughty", kOk, "You cannot use the mouse to do this request");
    emit b->clients()->table()->customContextMenuRequested(QPoint(5, 5));

    QDir().mkpath(VEL_SCREENSHOT_DIR);
    b->grab().save(QString(VEL_SCREENSHOT_DIR) + "/client-browse.png");
    checked = true;
    press(w, "Edit Remarks");
  });
  script.on("RemarksVelWin", [&](QWidget* w) {
    auto* e = w->findChild<QPlainTextEdit*>("Remarks");
    ASSERT_NE(nullptr, e);
    EXPECT_EQ("Remark of Zulu", e->toPlainText().toStdString());
    e->setPlainText("Pays at the office");
    press(w, "OK");
  });
  script.on(kBrowseClient, [&](QWidget* w) {
    auto* b = qobject_cast<qt::ClientBrowseWindow*>(w);
    EXPECT_EQ("Pays at the office", b->remarks()->toPlainText().toStdString());
    press(w, "Close");
  });
  frame->choose("ADMINISTRATIONVELMORAPLAN");
  EXPECT_TRUE(checked);
  EXPECT_TRUE(script.done());
  bool saved = false;
  for (const auto& c : readAll<rec::VelCli>(files))
    if (c.CLIENT_ID == "0043/Zul") saved = c.REMARKS == "Pays at the office";
  EXPECT_TRUE(saved);
}

// The client-info and documentation buttons preview the highlighted
// client's own print-out, not another client's.
TEST_F(ClientBrowseGuiTest, PrintButtonsPreviewTheHighlightedClientsDocuments) {
  auto frame = openFrame();
  addOffice();
  qt::registerClientBrowse(procedures, files, ui, catalog, clock, frame.get());

  auto pageText = [](QWidget* w) {
    auto* p = qobject_cast<qt::PrintPreviewWindow*>(w);
    std::string all;
    if (!p) return all;
    for (const report::Page& page : report::paginate(p->document()))
      for (const std::string& t : report::pageTexts(page)) all += t + "\n";
    return all;
  };
  std::string info, pack;
  Script script;
  script.on(kBrowseClient, [&](QWidget* w) {
    auto* b = qobject_cast<qt::ClientBrowseWindow*>(w);
    ASSERT_NE(nullptr, b);
    b->clients()->table()->selectRow(1);  // Dlamini
    press(w, "Print Client Info");
  });
  script.on("PrintPreview", [&](QWidget* w) {
    info = pageText(w);
    QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
  });
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Print Documentation"); });
  script.on("PrintPreview", [&](QWidget* w) {
    pack = pageText(w);
    QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
  });
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Close"); });
  frame->choose("ADMINISTRATIONVELMORAPLAN");
  EXPECT_TRUE(script.done());
  EXPECT_NE(std::string::npos, info.find("Dlamini")) << info;
  EXPECT_EQ(std::string::npos, info.find("Abrahams")) << info;
  EXPECT_NE(std::string::npos, pack.find("Dlamini")) << pack;
}

// The Insert, Delete and Enter keys do nothing on the client list; the
// buttons run the client form.
TEST_F(ClientBrowseGuiTest, PolicyKeysAreSwallowedAndButtonsRunTheForm) {
  addOffice();
  std::vector<Request> asked;
  ClientBrowseSetup setup;
  setup.clientForm = [&](Request r) {
    asked.push_back(r);
    return Response::Cancelled;
  };
  addClientBrowse(catalog, setup);
  FileUse cli(files.fm<rec::VelCli>());
  qt::ClientBrowseWindow w(files, ui, catalog);
  w.show();
  QTableView* t = w.clients()->table();
  for (Qt::Key k : {Qt::Key_Insert, Qt::Key_Delete, Qt::Key_Return, Qt::Key_Enter}) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(t, &press);
    QKeyEvent ctrl(QEvent::KeyPress, k, Qt::ControlModifier);
    QApplication::sendEvent(t, &ctrl);
  }
  EXPECT_TRUE(asked.empty());
  for (const char* b : {"Insert", "Change", "Delete"})
    w.clients()->findChild<QPushButton*>(b)->click();
  EXPECT_EQ((std::vector<Request>{Request::Insert, Request::Change, Request::Delete}), asked);
  // Nothing was saved, so nothing was charged.
  EXPECT_EQ(3u, readAll<rec::VelInv>(files).size());
}

// The browse fits a screen of 1280 by 1024 (or 1366 by 768) whole: its
// lists scroll sideways rather than push the Close button off the screen.
TEST_F(ClientBrowseGuiTest, TheWindowFitsACommonScreen) {
  addOffice();
  addClientBrowse(catalog, ClientBrowseSetup{});
  FileUse cli(files.fm<rec::VelCli>());
  qt::ClientBrowseWindow w(files, ui, catalog);
  w.show();
  const QSize least = w.minimumSizeHint().expandedTo(w.minimumSize());
  EXPECT_LE(least.width(), 1280);
  EXPECT_LE(least.height(), 768);
  w.resize(1200, 700);
  QApplication::processEvents();
  auto* close = w.findChild<QPushButton*>("Close");
  ASSERT_NE(nullptr, close);
  EXPECT_LE(close->mapTo(&w, QPoint(close->width(), 0)).x(), w.width());
}

TEST_F(ClientBrowseGuiTest, PickListFromTheMenuAddsAndClears) {
  auto frame = openFrame();
  addOffice();
  qt::registerClientBrowse(procedures, files, ui, catalog, clock, frame.get());
  Script script;
  script.on(kClientSelect, [&](QWidget* w) {
    auto* s = qobject_cast<qt::ClientSelectWindow*>(w);
    ASSERT_NE(nullptr, s);
    EXPECT_EQ("0", s->count()->text().toStdString());
    s->clients()->table()->selectRow(2);
    w->findChild<QPushButton*>("Add to List")->click();
    s->clients()->table()->selectRow(0);
    w->findChild<QPushButton*>("Add to List")->click();
    w->findChild<QPushButton*>("Add to List")->click();
    EXPECT_EQ("2", s->count()->text().toStdString());
    ASSERT_EQ(2, rows(s->picks()));
    EXPECT_EQ("0041/Abr", cell(s->picks(), 0, 0));
    EXPECT_EQ("Zulu", cell(s->picks(), 1, 1));
    // The same refusals as the browse.
    ui.boxes.expect("Naughty Naughty", kOk, "You cannot use the mouse to do this request");
    emit s->clients()->table()->customContextMenuRequested(QPoint(5, 5));
    QDir().mkpath(VEL_SCREENSHOT_DIR);
    s->grab().save(QString(VEL_SCREENSHOT_DIR) + "/client-select.png");
    w->findChild<QPushButton*>("Clear List")->click();
    EXPECT_EQ("0", s->count()->text().toStdString());
    EXPECT_EQ(0, rows(s->picks()));
    press(w, "Close");
  });
  frame->choose("PRNSEL");
  EXPECT_TRUE(script.done());
}

}  // namespace
}  // namespace vel::test
