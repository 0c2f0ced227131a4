// The child and extended-family forms in their window, off screen: what an
// entry's check fills in shows at once, and the extended family's box and
// status choice stay on one value.
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTest>

#include "common/Dates.h"
#include "forms/Catalog.h"
#include "forms/FormsFixture.h"
#include "forms/qt/FormWindow.h"
#include "members/DependantForms.h"
#include "platform/Clock.h"

namespace vel::test {
namespace {

class DependantFormWindowTest : public FormsFixture {
 protected:
  void SetUp() override {
    session.clock = &clock;
    session.user = [] { return std::string("clerk1"); };
    session.policy = [] {
      DependantPolicy p;
      p.client.CLIENT_ID = "0042/MOL";
      p.client.PLAN = "A";
      p.client.OPTION = "1 Plus 9";
      return std::optional<DependantPolicy>(p);
    };
    addDependantForms(catalog, session);
  }
  void TearDown() override {
    window.reset();
    cycle.reset();
    FormsFixture::TearDown();
  }

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
    QDir().mkpath(VEL_SCREENSHOT_DIR);
    window->grab().save(QString(VEL_SCREENSHOT_DIR) + "/" + form + ".png");
  }

  int entry(const char* field, EntryKind kind) {
    for (int i = 0; i < static_cast<int>(cycle->entries().size()); ++i)
      if (cycle->entries()[static_cast<std::size_t>(i)]->field == field &&
          cycle->entries()[static_cast<std::size_t>(i)]->kind == kind)
        return i;
    ADD_FAILURE() << field;
    return 0;
  }
  QLineEdit* edit(const char* field) { return window->findChild<QLineEdit*>(field); }

  FixedClock clock{dateFromYmd(2026, 12, 8), 360000};
  DependantSession session;
  Catalog catalog;
  std::unique_ptr<FormCycle> cycle;
  std::unique_ptr<qt::FormWindow> window;
};

TEST_F(DependantFormWindowTest, TheChildsNumberFillsDateAgeAndGenderOnLeavingIt) {
  open("Update_VelChd", Request::Insert);
  QLineEdit* id = edit("C1_ID_NUMBER");
  ASSERT_TRUE(id);
  id->setFocus();
  QTest::keyClicks(id, "1406125009081");
  QTest::keyClick(id, Qt::Key_Tab);
  EXPECT_EQ("12/06/2014", edit("C1_DOB")->text().toStdString());
  EXPECT_EQ("12", edit("C1_AGE")->text().trimmed().toStdString());
}

TEST_F(DependantFormWindowTest, ClearingTheBoxMakesTheStatusNonActiveAndTickingItActive) {
  rec::VelExt e;
  e.CLIENT_ID = "0042/MOL";
  e.SURNAME = "Dube";
  e.ACTIVE = "Active";
  e.NUMBER = 1;
  std::string pos = add(e);
  open("Update_VelExt", Request::Change, pos);
  auto* box = qobject_cast<QCheckBox*>(window->entryWidget(entry("ACTIVE", EntryKind::Check)));
  auto* group = window->entryWidget(entry("ACTIVE", EntryKind::Radio))->findChild<QButtonGroup*>();
  ASSERT_TRUE(box && group);
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(0, group->checkedId());
  box->click();
  EXPECT_EQ("Non Active", cycle->file().rec<rec::VelExt>().ACTIVE.str());
  EXPECT_EQ(1, group->checkedId());
  group->button(2)->click();  // "Deceased"
  EXPECT_FALSE(box->isChecked());
  box->click();
  EXPECT_EQ("Active", cycle->file().rec<rec::VelExt>().ACTIVE.str());
  EXPECT_EQ(0, group->checkedId());
}

}  // namespace
}  // namespace vel::test
