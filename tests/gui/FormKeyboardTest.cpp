// The generic form window at the keyboard, off screen: where the focus
// starts, Tab past a date's calendar button, the recall keys, and "Save
// Record" refusing a date that cannot be read.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>

#include "common/Dates.h"
#include "dictionary/SetupFiles.h"
#include "forms/Catalog.h"
#include "forms/FormsFixture.h"
#include "forms/qt/FormWindow.h"
#include "setup/qt/SetupProcedures.h"

namespace vel::test {
namespace {

class FormKeyboardTest : public FormsFixture {
 protected:
  void SetUp() override { qt::buildCatalog(catalog); }

  // Opens `form` for `request` on the record at `pos` (none for insert) and
  // shows its window with the focus where the window puts it.
  void open(const char* form, Request request, const std::string& pos = {}) {
    const FormDecl& decl = *catalog.form(form);
    if (!pos.empty()) {
      FileManager& f = files.fm(decl.file);
      f.Open();
      ASSERT_EQ(kDone, f.Reget(pos));
    }
    cycle = std::make_unique<FormCycle>(files, ui, decl, request);
    ASSERT_TRUE(cycle->open());
    window = std::make_unique<qt::FormWindow>(*cycle, files, ui, catalog);
    static_cast<QDialog&>(*window).show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QApplication::processEvents();
  }
  void TearDown() override {
    window.reset();
    cycle.reset();
    FormsFixture::TearDown();
  }

  QLineEdit* edit(const char* field) { return window->findChild<QLineEdit*>(field); }
  static QString focused() {
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName() : QString();
  }

  std::string holiday(int y, int m, int d, const char* name) {
    rec::Holiday h;
    h.DATE = dateFromYmd(y, m, d);
    h.DESCRIPTION = name;
    return add(h);
  }

  Catalog catalog;
  std::unique_ptr<FormCycle> cycle;
  std::unique_ptr<qt::FormWindow> window;
};

TEST_F(FormKeyboardTest, TheFocusStartsOnTheFirstEntryThatCanBeTyped) {
  open("Update_Users", Request::Insert);  // "Code" is numbered by the file
  EXPECT_EQ("SURNAME", focused().toStdString());
}

TEST_F(FormKeyboardTest, TabGoesFromADateToTheNextEntryNotToItsCalendarButton) {
  open("Update_Holidays", Request::Insert);
  ASSERT_EQ("DATE", focused().toStdString());
  QDir().mkpath(VEL_SCREENSHOT_DIR);
  window->grab().save(QString(VEL_SCREENSHOT_DIR) + "/Update_Holidays.png");
  QTest::keyClicks(edit("DATE"), "25/12/2026");
  QTest::keyClick(edit("DATE"), Qt::Key_Tab);
  EXPECT_EQ("DESCRIPTION", focused().toStdString());
  QTest::keyClick(edit("DESCRIPTION"), Qt::Key_Backtab);
  EXPECT_EQ("DATE", focused().toStdString());
}

TEST_F(FormKeyboardTest, BothRecallKeysBringBackTheValueFromBeforeTheChange) {
  rec::Town t;
  t.TOWN = "Mthatha";
  std::string town = add(t);
  std::string xmas = holiday(2026, 12, 25, "Christmas");
  struct Case {
    const char* form;
    std::string pos;
    const char* field;
    const char* was;
  };
  // Update_Town's own key is Ctrl+H, Update_Holidays' Ctrl+'; both work on each.
  for (const Case& c : {Case{"Update_Town", town, "TOWN", "Mthatha"},
                        Case{"Update_Holidays", xmas, "DESCRIPTION", "Christmas"}}) {
    for (Qt::Key key : {Qt::Key_H, Qt::Key_Apostrophe}) {
      open(c.form, Request::Change, c.pos);
      QLineEdit* e = edit(c.field);
      e->setFocus();
      e->selectAll();
      QTest::keyClicks(e, "Typed over");
      QTest::keyClick(e, key, Qt::ControlModifier);
      EXPECT_EQ(c.was, e->text().toStdString()) << c.form << " key " << key;
      window.reset();
      cycle.reset();
      files.fm(catalog.form(c.form)->file).Close();
    }
  }
}

TEST_F(FormKeyboardTest, SaveRecordYesRefusesADateThatCannotBeReadAndSavesNothing) {
  std::string xmas = holiday(2026, 12, 25, "Christmas");
  open("Update_Holidays", Request::Change, xmas);
  edit("DATE")->setText("45/13/2026");
  edit("DESCRIPTION")->setText("Christmas Day");
  ui.expect("Save Record", kYes);
  ui.expect("Invalid Entry", kOk, "45/13/2026 is not a date");
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ("DATE", focused().toStdString());
  auto saved = all<rec::Holiday>();
  ASSERT_EQ(1u, saved.size());
  EXPECT_EQ("Christmas", saved[0].DESCRIPTION.text());
  EXPECT_EQ(dateFromYmd(2026, 12, 25), saved[0].DATE.value);
}

}  // namespace
}  // namespace vel::test
