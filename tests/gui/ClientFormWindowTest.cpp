// The client form opened from "Policy Holders" off screen: a policy typed in
// and accepted is on file and in the list, with its first charge beside it.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include "dictionary/LedgerFiles.h"
#include "dictionary/MemberFiles.h"
#include "forms/Catalog.h"
#include "forms/qt/FormWindow.h"
#include "forms/qt/ListWindow.h"
#include "gui/FrameFixture.h"
#include "gui/GuiScript.h"
#include "members/ClientBrowse.h"
#include "members/qt/ClientBrowseWindow.h"
#include "recordstore/FileManager.h"
#include "setup/SetupLists.h"

namespace vel::test {
namespace {

class ClientFormWindowTest : public FrameFixture {
 protected:
  // Types `text` into the entry on `field` and leaves it, as a clerk does.
  static void type(QWidget* w, const char* field, const char* text) {
    auto* e = w->findChild<QLineEdit*>(field);
    ASSERT_NE(nullptr, e) << field;
    e->setFocus();
    e->setText(text);
    e->setModified(true);
    emit e->editingFinished();
  }
  static std::string text(QWidget* w, const char* field) {
    auto* e = w->findChild<QLineEdit*>(field);
    return e ? e->text().toStdString() : std::string("(none)");
  }
  static std::string cell(qt::ListPanel* p, int r, int c) {
    return p->model()->index(r, c).data().toString().toStdString();
  }

  Catalog catalog;
};

TEST_F(ClientFormWindowTest, InsertedPolicyIsSavedListedAndCharged) {
  auto frame = openFrame();
  qt::registerClientBrowse(procedures, files, ui, catalog, clock, frame.get());

  bool filled = false, listed = false;
  Script script;
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Insert"); });
  script.on("Update_VelCli", [&](QWidget* w) {
    ASSERT_NE(nullptr, qobject_cast<qt::FormWindow*>(w));
    EXPECT_EQ("Adding a Client Record", w->windowTitle().toStdString());
    // The surname numbers the policy as soon as it is left.
    type(w, "SURNAME", "Mokoena");
    EXPECT_EQ("0001/MOK", text(w, "CLIENT_ID"));
    type(w, "FIRSTNAME", "Thandi");
    type(w, "P_ADDR1", "PO Box 12");
    // Every tab, for the record; the dependants' tab lists this policy's.
    auto* tabs = w->findChild<QTabWidget*>();
    ASSERT_NE(nullptr, tabs);
    QDir().mkpath(VEL_SCREENSHOT_DIR);
    for (int i = 0; i < tabs->count(); ++i) {
      tabs->setCurrentIndex(i);
      QApplication::processEvents();
      w->grab().save(QString(VEL_SCREENSHOT_DIR) + "/client-form-" + QString::number(i + 1) +
                     ".png");
    }
    EXPECT_NE(nullptr, w->findChild<qt::ListPanel*>("Browse_VelChd"));
    EXPECT_NE(nullptr, w->findChild<qt::ListPanel*>("Browse_VelExt"));
    filled = true;
    press(w, "OK");
  });
  script.on(kBrowseClient, [&](QWidget* w) {
    auto* b = qobject_cast<qt::ClientBrowseWindow*>(w);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ("1", b->count()->text().toStdString());
    ASSERT_EQ(1, b->clients()->model()->rowCount());
    EXPECT_EQ("Mokoena", cell(b->clients(), 0, 0));
    ASSERT_EQ(1, b->ageing()->model()->rowCount());
    EXPECT_EQ("0001/MOK", cell(b->ageing(), 0, 6));
    ASSERT_EQ(1, b->invoices()->model()->rowCount());
    listed = true;
    press(w, "Close");
  });
  frame->choose("ADMINISTRATIONVELMORAPLAN");
  EXPECT_TRUE(filled);
  EXPECT_TRUE(listed);
  EXPECT_TRUE(script.done()) << script.left();

  const auto clients = readAll<rec::VelCli>(files);
  ASSERT_EQ(1u, clients.size());
  EXPECT_EQ("0001/MOK", clients[0].CLIENT_ID.text());
  EXPECT_EQ("Thandi", clients[0].FIRSTNAME.text());
  EXPECT_EQ("PO Box 12", clients[0].P_ADDR1.text());
  const auto ageing = readAll<rec::VelAge>(files);
  ASSERT_EQ(1u, ageing.size());
  EXPECT_EQ("0001/MOK", ageing[0].CLIENT_ID.text());
}

// A surname typed and never left still numbers the policy when Cancel's
// "Save Record" is answered Yes: no policy is saved without its number.
TEST_F(ClientFormWindowTest, SaveOnCancelNumbersAPolicyWhoseSurnameWasNeverLeft) {
  auto frame = openFrame();
  qt::registerClientBrowse(procedures, files, ui, catalog, clock, frame.get());
  Script script;
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Insert"); });
  script.on("Update_VelCli", [&](QWidget* w) {
    type(w, "FIRSTNAME", "Thandi");
    auto* e = w->findChild<QLineEdit*>("SURNAME");
    ASSERT_NE(nullptr, e);
    e->setText("Mokoena");
    e->setModified(true);
    ui.boxes.expect("Save Record", kYes);
    press(w, "Cancel");
  });
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Close"); });
  frame->choose("ADMINISTRATIONVELMORAPLAN");
  EXPECT_TRUE(script.done()) << script.left();
  const auto clients = readAll<rec::VelCli>(files);
  ASSERT_EQ(1u, clients.size());
  EXPECT_EQ("0001/MOK", clients[0].CLIENT_ID.text());
  const auto ageing = readAll<rec::VelAge>(files);
  ASSERT_EQ(1u, ageing.size());
  EXPECT_EQ("0001/MOK", ageing[0].CLIENT_ID.text());
}

// Change opens the highlighted policy with its own children listed, and
// what is altered is saved on that policy only.
TEST_F(ClientFormWindowTest, ChangeShowsThePolicysChildrenAndSavesTheChange) {
  const char* ids[] = {"0041/ABR", "0042/DLA"};
  for (int i = 0; i < 2; ++i) {
    FileManager& f = files.fm<rec::VelCli>();
    FileUse use(f);
    f.ClearBuffer();
    auto& c = f.rec<rec::VelCli>();
    c.NUMBER = 41 + i;
    c.CLIENT_ID = ids[i];
    c.SURNAME = i ? "Dlamini" : "Abrahams";
    c.FIRSTNAME = "Sipho";
    ASSERT_EQ(kDone, f.Insert());
    FileManager& k = files.fm<rec::VelChd>();
    FileUse kuse(k);
    k.ClearBuffer();
    k.rec<rec::VelChd>().CLIENT_ID = ids[i];
    k.rec<rec::VelChd>().C1_SURNAME = i ? "Dlamini" : "Abrahams";
    k.rec<rec::VelChd>().C1_FIRSTNAME = i ? "Lwazi" : "Ayesha";
    ASSERT_EQ(kDone, k.Insert());
  }
  auto frame = openFrame();
  qt::registerClientBrowse(procedures, files, ui, catalog, clock, frame.get());
  bool seen = false;
  Script script;
  script.on(kBrowseClient, [&](QWidget* w) {
    auto* b = qobject_cast<qt::ClientBrowseWindow*>(w);
    ASSERT_NE(nullptr, b);
    b->clients()->table()->selectRow(1);  // Dlamini
    press(w, "Change");
  });
  script.on("Update_VelCli", [&](QWidget* w) {
    EXPECT_EQ("Changing a Client Record", w->windowTitle().toStdString());
    EXPECT_EQ("0042/DLA", text(w, "CLIENT_ID"));
    auto* tabs = w->findChild<QTabWidget*>();
    ASSERT_NE(nullptr, tabs);
    tabs->setCurrentIndex(tabs->count() - 1);
    auto* kids = w->findChild<qt::ListPanel*>("Browse_VelChd");
    ASSERT_NE(nullptr, kids);
    ASSERT_EQ(1, kids->model()->rowCount());
    EXPECT_EQ("Lwazi", cell(kids, 0, 1));
    tabs->setCurrentIndex(0);
    type(w, "FIRSTNAME", "Bongani");
    seen = true;
    press(w, "OK");
  });
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Close"); });
  frame->choose("ADMINISTRATIONVELMORAPLAN");
  EXPECT_TRUE(seen);
  EXPECT_TRUE(script.done()) << script.left();
  for (const auto& c : readAll<rec::VelCli>(files))
    EXPECT_EQ(c.CLIENT_ID.text() == "0042/DLA" ? "Bongani" : "Sipho", c.FIRSTNAME.text());
}

// A plan code not on file opens the plan list; the row picked there brings
// its premiums, and the new
// policy's first charge is that premium.
TEST_F(ClientFormWindowTest, UnknownPlanOpensItsListAndThePickSetsThePremiumCharged) {
  addSetupLists(catalog, {});
  {
    FileManager& f = files.fm<rec::Plan>();
    FileUse use(f);
    f.ClearBuffer();
    auto& p = f.rec<rec::Plan>();
    p.PLAN = "A";
    p.TYPE = "1 Plus 5";
    p.COVER = 10000;
    p.PREMIUM = 85;
    ASSERT_EQ(kDone, f.Insert());
  }
  auto frame = openFrame();
  qt::registerClientBrowse(procedures, files, ui, catalog, clock, frame.get());
  Script script;
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Insert"); });
  script.on("Update_VelCli", [&](QWidget* w) {
    type(w, "SURNAME", "Mokoena");
    type(w, "FIRSTNAME", "Thandi");
    // A plan not on file opens the plan list.
    type(w, "PLAN", "Z");
  });
  script.on("Browse_Plans", [&](QWidget* w) { press(w, "Select"); });
  script.on("Update_VelCli", [&](QWidget* w) {
    EXPECT_EQ("A", text(w, "PLAN"));
    EXPECT_EQ("1 Plus 5", text(w, "OPTION"));
    EXPECT_EQ("85.00", text(w, "PREMIUM"));
    // The clerk is no administrator: the amount paid over stays hidden.
    auto* over = w->findChild<QLineEdit*>("PREMTOPAY");
    ASSERT_NE(nullptr, over);
    EXPECT_TRUE(over->isHidden());
    press(w, "OK");
  });
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Close"); });
  frame->choose("ADMINISTRATIONVELMORAPLAN");
  EXPECT_TRUE(script.done()) << script.left();
  const auto clients = readAll<rec::VelCli>(files);
  ASSERT_EQ(1u, clients.size());
  EXPECT_EQ(85.0, clients[0].PREMIUM);
  const auto ageing = readAll<rec::VelAge>(files);
  ASSERT_EQ(1u, ageing.size());
  EXPECT_EQ(85.0, ageing[0].TOTAL);
}

// Cancelling a new policy leaves nothing on file and nothing charged.
TEST_F(ClientFormWindowTest, CancelledInsertLeavesNothing) {
  auto frame = openFrame();
  qt::registerClientBrowse(procedures, files, ui, catalog, clock, frame.get());
  Script script;
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Insert"); });
  script.on("Update_VelCli", [&](QWidget* w) {
    type(w, "SURNAME", "Mokoena");
    ui.boxes.expect("Save Record", kNo);
    press(w, "Cancel");
  });
  script.on(kBrowseClient, [&](QWidget* w) {
    auto* b = qobject_cast<qt::ClientBrowseWindow*>(w);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(0, b->clients()->model()->rowCount());
    press(w, "Close");
  });
  frame->choose("ADMINISTRATIONVELMORAPLAN");
  EXPECT_TRUE(script.done()) << script.left();
  EXPECT_TRUE(readAll<rec::VelCli>(files).empty());
  EXPECT_TRUE(readAll<rec::VelAge>(files).empty());
}

}  // namespace
}  // namespace vel::test
