// The list window over a thousand records, off screen: the keys, the wheel,
// the position bar and the locator each reach every record in every sort
// order, in both directions; after an insert, a change or a delete the list
// stands on the record with its neighbours and still scrolls both ways; Enter
// does the list's natural action.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

#include <map>
#include <set>

#include "common/Dates.h"
#include "dictionary/SetupFiles.h"
#include "forms/Catalog.h"
#include "forms/FormsFixture.h"
#include "forms/qt/ListWindow.h"
#include "gui/GuiScript.h"
#include "setup/SetupLists.h"

namespace vel::test {
namespace {

class ListWindowTest : public FormsFixture {
 protected:
  void SetUp() override { addSetupLists(catalog, {}); }

  // Town 0000, Town 0002, ... Town 1998, added in a scattered order.
  void addTowns(int n) {
    FileManager& f = files.fm<rec::Town>();
    FileUse use(f);
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(ecode::kNone, engine->begin({f.engineFile()}, 5, tx));
    for (int i = 0; i < n; ++i) {
      f.ClearBuffer();
      f.rec<rec::Town>().TOWN = town(((i * 379) % n) * 2);
      ASSERT_EQ(ecode::kNone, f.engineFile()->add(f.buffer()));
    }
    ASSERT_EQ(ecode::kNone, tx->commit());
  }
  static std::string town(int n) {
    char s[16];
    std::snprintf(s, sizeof s, "Town %04d", n);
    return s;
  }

  // Postal codes whose towns and street codes come in long runs of equal
  // values, so that every sort order has its own sequence.
  void addPostal(int n) {
    FileManager& f = files.fm<rec::Postal>();
    FileUse use(f);
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(ecode::kNone, engine->begin({f.engineFile()}, 5, tx));
    for (int i = 0; i < n; ++i) {
      f.ClearBuffer();
      auto& r = f.rec<rec::Postal>();
      char buf[40];
      std::snprintf(buf, sizeof buf, "Town %02d", (i * 7) % 20);
      r.TOWN = buf;
      std::snprintf(buf, sizeof buf, "Suburb %04d", (i * 613) % n);
      r.SUBURB = buf;
      std::snprintf(buf, sizeof buf, "%04d", n - i);
      r.POSTAL = buf;
      std::snprintf(buf, sizeof buf, "S%d", i % 3);
      r.STREET = buf;
      ASSERT_EQ(ecode::kNone, f.engineFile()->add(f.buffer()));
    }
    ASSERT_EQ(ecode::kNone, tx->commit());
  }

  std::unique_ptr<qt::ListWindow> open(const char* list, ListMode mode = ListMode::Maintain) {
    auto w = std::make_unique<qt::ListWindow>(files, ui, catalog, *catalog.list(list), mode);
    w->resize(700, 500);
    w->show();
    QApplication::processEvents();
    return w;
  }

  // The list's records in the open tab's order, by position, read by a
  // pager of its own.
  std::map<std::string, int> ranks(qt::ListPanel* p) {
    FileManager& f = files.fm(p->decl().file);
    FileUse use(f);
    ListPager pager(f, p->decl());
    pager.setTab(p->tab());
    std::map<std::string, int> out;
    for (auto& r : pager.first(100000)) out.emplace(r.position, static_cast<int>(out.size()));
    return out;
  }

  // The ranks of the rows on screen, top to bottom.
  static std::vector<int> onScreen(qt::ListPanel* p, const std::map<std::string, int>& rank) {
    QApplication::processEvents();
    QTableView* t = p->table();
    std::vector<int> out;
    int top = t->rowAt(0);
    if (top < 0) return out;
    int h = t->viewport()->height();
    for (int r = top; r < p->model()->rowCount(); ++r) {
      QRect rect = t->visualRect(p->model()->index(r, 0));
      if (rect.top() >= h) break;
      auto it = rank.find(p->model()->row(r)->position);
      out.push_back(it == rank.end() ? -1 : it->second);
    }
    return out;
  }

  // Steps through the list with `step` until the screen shows the row of
  // rank `until` (or nothing changes any more) and checks that every screen
  // shows consecutive rows and that together they cover every row between.
  void walk(qt::ListPanel* p, const std::map<std::string, int>& rank, int until,
            const std::function<void()>& step) {
    int n = static_cast<int>(rank.size());
    std::vector<bool> seen(static_cast<std::size_t>(n), false);
    std::vector<int> before;
    int still = 0;
    for (int i = 0; i < 4 * n; ++i) {
      std::vector<int> s = onScreen(p, rank);
      ASSERT_FALSE(s.empty());
      for (std::size_t k = 0; k < s.size(); ++k) {
        ASSERT_GE(s[k], 0) << "a row that is not in the file";
        if (k) {
          ASSERT_EQ(s[k - 1] + 1, s[k]) << "rows missing or twice on one screen";
        }
        seen[static_cast<std::size_t>(s[k])] = true;
      }
      if (!before.empty()) {
        // Consecutive screens overlap or touch: no row is skipped.
        ASSERT_TRUE(s.front() <= before.back() + 1 && s.back() + 1 >= before.front())
            << "jumped from " << before.front() << " to " << s.front();
      }
      if (std::find(s.begin(), s.end(), until) != s.end()) break;
      // A step may first bring the highlight to the screen's edge; a second
      // step that changes nothing is stuck.
      still = before == s ? still + 1 : 0;
      ASSERT_LT(still, 2) << "stuck at " << s.front() << " before reaching " << until;
      before = s;
      step();
    }
    int lo = std::min(until, before.empty() ? until : before.front());
    int hi = std::max(until, before.empty() ? until : before.back());
    for (int r = lo; r <= hi; ++r) ASSERT_TRUE(seen[static_cast<std::size_t>(r)]) << "row " << r << " never shown";
  }

  static void key(qt::ListPanel* p, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(p->table(), k, m);
  }
  static void wheel(qt::ListPanel* p, int notches) {
    QWidget* v = p->table()->viewport();
    QPointF at = v->rect().center();
    QWheelEvent e(at, v->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(v, &e);
  }
  static QScrollBar* bar(qt::ListPanel* p) { return p->findChild<QScrollBar*>("Position"); }

  std::string currentText(qt::ListPanel* p) {
    const ListRow* r = p->current();
    return r ? r->cells[0] : std::string();
  }

  Catalog catalog;
};

TEST_F(ListWindowTest, PageKeysAndTheWheelReachEveryRowBothWays) {
  addTowns(1000);
  auto w = open("Browse_Town");
  qt::ListPanel* p = w->panel();
  auto rank = ranks(p);
  ASSERT_EQ(1000u, rank.size());
  walk(p, rank, 999, [&] { key(p, Qt::Key_PageDown); });
  EXPECT_EQ("Town 1998", currentText(p));
  walk(p, rank, 0, [&] { key(p, Qt::Key_PageUp); });
  EXPECT_EQ("Town 0000", currentText(p));
  walk(p, rank, 999, [&] { wheel(p, 1); });
  walk(p, rank, 0, [&] { wheel(p, -1); });
  // The arrow keys go row by row past every page the list reads.
  key(p, Qt::Key_Home);
  for (int i = 0; i < 150; ++i) key(p, Qt::Key_Down);
  EXPECT_EQ(town(300), currentText(p));
  for (int i = 0; i < 150; ++i) key(p, Qt::Key_Up);
  EXPECT_EQ(town(0), currentText(p));
}

TEST_F(ListWindowTest, EverySortOrderWalksToItsEndAndBackInRunsOfEqualKeys) {
  addPostal(1000);
  auto w = open("Browse_Post");
  qt::ListPanel* p = w->panel();
  for (int tab = 0; tab < 4; ++tab) {
    SCOPED_TRACE(tab);
    p->setTab(tab);
    auto rank = ranks(p);
    ASSERT_EQ(1000u, rank.size());
    walk(p, rank, 999, [&] { key(p, Qt::Key_PageDown); });
    walk(p, rank, 0, [&] { wheel(p, -2); });
  }
}

TEST_F(ListWindowTest, EndHomeAndTheLocatorLandAndScrollOnBothSides) {
  addTowns(1000);
  auto w = open("Browse_Town");
  qt::ListPanel* p = w->panel();
  auto rank = ranks(p);
  QScrollBar* b = bar(p);
  ASSERT_NE(nullptr, b);
  EXPECT_TRUE(b->isVisible());
  EXPECT_EQ(0, b->value());

  key(p, Qt::Key_End);
  EXPECT_EQ("Town 1998", currentText(p));
  EXPECT_EQ(b->maximum(), b->value());
  walk(p, rank, 0, [&] { key(p, Qt::Key_PageUp); });
  EXPECT_EQ(0, b->value());

  key(p, Qt::Key_End);
  key(p, Qt::Key_Home);
  EXPECT_EQ("Town 0000", currentText(p));
  EXPECT_EQ(0, b->value());
  walk(p, rank, 999, [&] { wheel(p, 3); });
  EXPECT_EQ(b->maximum(), b->value());

  // The locator lands on the middle of the file, and the bar says so.
  p->locator()->setFocus();
  QTest::keyClicks(p->locator(), "town 1000");
  EXPECT_EQ("Town 1000", currentText(p));
  double at = double(b->value()) / b->maximum();
  EXPECT_NEAR(0.5, at, 0.1);
  QDir().mkpath(VEL_SCREENSHOT_DIR);
  w->grab().save(QString(VEL_SCREENSHOT_DIR) + "/list-window-middle.png");
  walk(p, rank, 0, [&] { key(p, Qt::Key_PageUp); });
  p->locator()->clear();
  QTest::keyClicks(p->locator(), "Town 14");
  EXPECT_EQ("Town 1400", currentText(p));
  walk(p, rank, 999, [&] { key(p, Qt::Key_PageDown); });
}

TEST_F(ListWindowTest, DraggingTheBarGoesToThatPartOfTheFileAndScrollsOnFromThere) {
  addTowns(1000);
  auto w = open("Browse_Town");
  qt::ListPanel* p = w->panel();
  auto rank = ranks(p);
  QScrollBar* b = bar(p);
  ASSERT_NE(nullptr, b);
  for (double f : {0.25, 0.5, 0.8}) {
    SCOPED_TRACE(f);
    b->setSliderDown(true);
    b->setSliderPosition(static_cast<int>(f * b->maximum()));
    b->setSliderDown(false);
    std::vector<int> s = onScreen(p, rank);
    ASSERT_FALSE(s.empty());
    EXPECT_NEAR(f * 1000, s.front(), 100);
    // The bar stays where it was let go.
    EXPECT_NEAR(f, double(b->value()) / b->maximum(), 0.02);
  }
  walk(p, rank, 0, [&] { key(p, Qt::Key_PageUp); });
  b->setSliderDown(true);
  b->setSliderPosition(b->maximum() / 3);
  b->setSliderDown(false);
  walk(p, rank, 999, [&] { wheel(p, 2); });
  // Pressing on the bar's track pages as PgDn does.
  b->setSliderDown(true);
  b->setSliderPosition(b->maximum() / 2);
  b->setSliderDown(false);
  int top = onScreen(p, rank).front();
  b->triggerAction(QAbstractSlider::SliderPageStepAdd);
  int next = onScreen(p, rank).front();
  EXPECT_GT(next, top);
  EXPECT_LE(next, top + static_cast<int>(onScreen(p, rank).size()));
  // The wheel over the bar scrolls a few rows on, as over the list: the
  // highlight stays on its record.
  p->table()->selectRow(p->table()->rowAt(0) + 4);
  std::string highlighted = currentText(p);
  next = onScreen(p, rank).front();
  QPointF at = b->rect().center();
  QWheelEvent turn(at, b->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
  QApplication::sendEvent(b, &turn);
  int after = onScreen(p, rank).front();
  EXPECT_GT(after, next);
  EXPECT_LE(after, next + 5);
  EXPECT_EQ(highlighted, currentText(p));
}

TEST_F(ListWindowTest, AfterInsertChangeAndDeleteTheRowStandsAmongItsNeighbours) {
  addTowns(1000);
  auto w = open("Browse_Town");
  qt::ListPanel* p = w->panel();
  auto neighbours = [&](const std::string& above, const std::string& row, const std::string& below) {
    auto rank = ranks(p);
    std::vector<int> s = onScreen(p, rank);
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(row, currentText(p));
    int cur = p->table()->currentIndex().row();
    ASSERT_GT(cur, 0);
    EXPECT_EQ(above, p->model()->row(cur - 1)->cells[0]);
    EXPECT_EQ(below, p->model()->row(cur + 1)->cells[0]);
    // Both neighbours are on screen.
    int top = p->table()->rowAt(0);
    EXPECT_LT(top, cur);
    EXPECT_GT(top + static_cast<int>(s.size()) - 1, cur);
    // The list scrolls on to both ends.
    walk(p, rank, 0, [&] { key(p, Qt::Key_PageUp); });
    walk(p, rank, static_cast<int>(rank.size()) - 1, [&] { key(p, Qt::Key_PageDown); });
  };

  auto typeTown = [](QWidget* form, const char* text) {
    auto* e = form->findChild<QLineEdit*>("TOWN");
    ASSERT_NE(nullptr, e);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
    press(form, "OK");
  };
  {
    Script script;
    script.on("Update_Town", [&](QWidget* form) { typeTown(form, "Town 1001"); });
    p->act(kActInsert);
    EXPECT_TRUE(script.done());
  }
  neighbours("Town 1000", "Town 1001", "Town 1002");

  // A change moves the record to its new place in the order.
  p->locate("Town 1500");
  ASSERT_EQ("Town 1500", currentText(p));
  {
    Script script;
    script.on("Update_Town", [&](QWidget* form) { typeTown(form, "Town 0501"); });
    p->act(kActChange);
    EXPECT_TRUE(script.done());
  }
  neighbours("Town 0500", "Town 0501", "Town 0502");

  // After a delete the list stands on the record that followed it.
  p->locate("Town 0800");
  ASSERT_EQ("Town 0800", currentText(p));
  {
    ui.expect("Confirm Delete", kYes);
    Script script;
    script.on("Update_Town", [&](QWidget* form) { press(form, "OK"); });
    p->act(kActDelete);
    EXPECT_TRUE(script.done());
  }
  neighbours("Town 0798", "Town 0802", "Town 0804");
}

TEST_F(ListWindowTest, EnterChangesViewsOrSelectsAndNeverInserts) {
  addTowns(100);
  {
    // A maintenance list: Enter changes the highlighted record.
    auto w = open("Browse_Town");
    qt::ListPanel* p = w->panel();
    key(p, Qt::Key_Down);
    QString title;
    Script script;
    script.on("Update_Town", [&](QWidget* form) {
      title = form->windowTitle();
      auto* e = form->findChild<QLineEdit*>("TOWN");
      EXPECT_EQ("Town 0002", e ? e->text().trimmed() : QString());
      press(form, "Cancel");
    });
    key(p, Qt::Key_Return);
    EXPECT_TRUE(script.done());
    EXPECT_EQ("Record Will Be Changed", title);
    // Enter from the locator does the same.
    Script again;
    again.on("Update_Town", [&](QWidget* form) {
      title = form->windowTitle();
      press(form, "Cancel");
    });
    QTest::keyClick(p->locator(), Qt::Key_Return);
    EXPECT_TRUE(again.done());
    EXPECT_EQ("Record Will Be Changed", title);
  }
  {
    // A list without Change views the record.
    ListDecl viewOnly = *catalog.list("Browse_Town");
    viewOnly.procedure = "Browse_Town_View";
    viewOnly.actions = kActInsert | kActView;
    catalog.add(viewOnly);
    auto w = open("Browse_Town_View");
    QString title;
    Script script;
    script.on("Update_Town", [&](QWidget* form) {
      title = form->windowTitle();
      press(form, "Cancel");
    });
    key(w->panel(), Qt::Key_Return);
    EXPECT_TRUE(script.done());
    EXPECT_EQ("View Record", title);
  }
  {
    // A lookup: Enter selects.
    auto w = open("Browse_Town", ListMode::Select);
    key(w->panel(), Qt::Key_End);
    key(w->panel(), Qt::Key_Return);
    EXPECT_EQ(QDialog::Accepted, w->result());
    RecordBuffer picked(files.fm<rec::Town>().layout());
    ASSERT_TRUE(w->panel()->currentRecord(picked));
    EXPECT_EQ("Town 0198", std::string(rtrim(picked.field(0).text())));
  }
  {
    // An empty list opens nothing on Enter.
    FileManager& f = files.fm<rec::Route>();
    FileUse use(f);
    auto w = open("Browse_Route");
    Script script;
    script.on("Update_Route", [&](QWidget* form) { press(form, "Cancel"); });
    key(w->panel(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(script.done());
    EXPECT_TRUE(w->isVisible());
  }
}

TEST_F(ListWindowTest, TheHolidayLocatorTakesATypedDate) {
  {
    FileManager& f = files.fm<rec::Holiday>();
    FileUse use(f);
    for (auto [d, m] : {std::pair{1, 1}, {21, 3}, {27, 4}, {1, 5}, {16, 6}, {9, 8}, {24, 9},
                        {16, 12}, {25, 12}, {26, 12}}) {
      f.ClearBuffer();
      f.rec<rec::Holiday>().DATE = dateFromYmd(2026, m, d);
      f.rec<rec::Holiday>().DESCRIPTION = "Holiday";
      ASSERT_EQ(kDone, f.Insert());
    }
  }
  auto w = open("Browse_Holidays");
  qt::ListPanel* p = w->panel();
  p->locator()->setFocus();
  QTest::keyClicks(p->locator(), "16/06/2026");
  EXPECT_EQ("16/06/2026", currentText(p));
  // A date between two holidays finds the next one; a date still being
  // typed leaves the highlight where it is.
  p->locator()->clear();
  QTest::keyClicks(p->locator(), "10/08/2026");
  EXPECT_EQ("24/09/2026", currentText(p));
  QTest::keyClick(p->locator(), Qt::Key_Backspace);
  EXPECT_EQ("24/09/2026", currentText(p));
}

TEST_F(ListWindowTest, ThePlanListClosesWithItsOwnButton) {
  auto w = open("Browse_Plans");
  EXPECT_EQ("&Close", w->closeButton()->text());
  auto towns = open("Browse_Town");
  EXPECT_EQ("Clos&e", towns->closeButton()->text());
}

}  // namespace
}  // namespace vel::test
