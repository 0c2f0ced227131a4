// "Hampers" off screen, opened from the menu: a member added through the
// member form gets his number, his identity number decoded and his first
// charge, and the panels beside the list follow him.
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

}  // namespace
}  // namespace vel::test
