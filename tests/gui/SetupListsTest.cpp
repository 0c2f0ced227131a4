// The setup lists through their windows, off screen: each opened from the
// frame's menu, a record inserted, changed and deleted through the generic
// list and form windows, and the file checked after each step. Screenshots of
// the list and form windows go to the build folder.
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <deque>
#include <functional>
#include <map>

#include "gui/FrameFixture.h"
#include "gui/GuiScript.h"
#include "forms/Catalog.h"
#include "forms/qt/FormWindow.h"
#include "forms/qt/ListWindow.h"
#include "platform/SettingsFile.h"
#include "reports/qt/ReportProcedures.h"
#include "setup/qt/SetupProcedures.h"
#include "shell/Procedures.h"
#include "shell/ShellFixture.h"
#include "shell/qt/MainFrame.h"

namespace vel::test {
namespace {

void saveScreenshot(QWidget& w, const QString& name) {
  QDir().mkpath(VEL_SCREENSHOT_DIR);
  w.grab().save(QString(VEL_SCREENSHOT_DIR) + "/" + name);
}

void type(QWidget* form, const std::string& field, const QString& text) {
  auto* e = form->findChild<QLineEdit*>(QString::fromStdString(field));
  ASSERT_NE(nullptr, e) << field;
  e->setFocus();
  e->clear();
  QTest::keyClicks(e, text);
}

QString cell(QWidget* list, int row, int col) {
  auto* t = list->findChild<QTableView*>("List");
  return t->model()->index(row, col).data().toString();
}

int rows(QWidget* list) { return list->findChild<QTableView*>("List")->model()->rowCount(); }

struct SetupCase {
  const char* control;
  const char* list;
  const char* form;
  const char* file;
  const char* field;
  const char* first;
  const char* second;
  int column;  // the list column that shows the field
};

// A started frame whose menu opens every list, form and report.
class SetupListsTest : public FrameFixture {
 protected:
  std::unique_ptr<qt::MainFrame> openFrame() {
    auto frame = FrameFixture::openFrame();
    qt::buildCatalog(catalog);
    qt::registerSetupProcedures(procedures, files, ui, catalog, frame.get());
    qt::registerReportProcedures(procedures, files, ui, catalog, clock, frame.get());
    return frame;
  }

  std::int64_t records(const char* label) {
    FileManager& f = files.fm(label);
    FileUse use(f);
    return f.Records();
  }

  Catalog catalog;
};

const SetupCase kCases[] = {
    {"TOWN", "Browse_Town", "Update_Town", "Town", "TOWN", "Mthatha", "Butterworth", 0},
    {"MAINTENANCEPOSTALCODES", "Browse_Post", "Update_Postal", "Postal", "TOWN", "Mthatha",
     "Butterworth", 0},
    {"ROUTE", "Browse_Route", "Update_Route", "Route", "ROUTE", "Ngangelizwe", "Mbekweni", 0},
    {"AGENT", "Browse_Agent", "Update_Agent", "Agent", "CODE", "A01", "A02", 0},
    {"COLLECT", "Browse_Collector", "Update_Collector", "Collect", "CODE", "C01", "C02", 0},
    {"MAINTENANCEBANKLIST", "Browse_B_Banks", "Update_Banks", "Banks", "NAME", "Capitec",
     "Nedbank", 0},
    {"MAINTENANCEBANKNAME", "Browse_C_Banks", "Update_Bank", "BankName", "NAME", "Absa",
     "First National", 0},
    {"MAINTAINANCEPUBLICHOLIDAYS", "Browse_Holidays", "Update_Holidays", "Holiday", "DATE",
     "25/12/2026", "26/12/2026", 0},
    {"SMS", "Browse_SMS", "Update_SMS", "SMS_Data", "REASON", "Funeral", "Condolence", 0},
    {"ITEM2", "Browse_Plans", "UpdatePlan", "Plan", "PLAN", "E", "F", 0},
    {"ITEM3", "Browse_PlanChd", "Update_PlanChd", "PlanChd", "PLAN", "E", "F", 0},
};

TEST_F(SetupListsTest, EverySetupAndSettingsItemOfTheMenuHasItsProcedure) {
  auto frame = openFrame();
  for (const char* name :
       {"Browse_Agent", "Browse_BDetail", "Browse_B_Banks", "Browse_C_Banks", "Browse_Collector",
        "Browse_Comm", "Browse_DefPrn", "Browse_Holidays", "Browse_PlanChd", "Browse_Plans",
        "Browse_Post", "Browse_Route", "Browse_SMS", "Browse_Town", "Browse_Users",
        "Change_Password", "Update_Agents", "Update_Commission", "Update_Config",
        "Print_Management", "Print_Not_Paid", "Print_Not_Paid_3", "Print_New_Route",
        "Print_New_Agent", "Print_New_Agent_Totals", "Print_Active", "Print_Non_Active",
        "Print_Collector_Rounds", "Print_Name_Address", "Print_Issued_Receipts",
        "Print_Route_Names", "Print_Route_Addresses", "Print_Hamper_List", "Print_Dual_Cards"})
    EXPECT_NE(nullptr, procedures.find(name)) << name;
  // The ageing and premiums-paid reports walk on threads of their own.
  EXPECT_NE(nullptr, procedures.findThreaded("Print_Ageing"));
  EXPECT_NE(nullptr, procedures.findThreaded("Print_Premiums_Paid"));
}

TEST_F(SetupListsTest, TheAgeingReportWalksBesideTheFrameAndPreviewsOnTheFramesThread) {
  auto frame = openFrame();
  {
    FileManager& f = files.fm<rec::Route>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::Route>().ROUTE = "Tembisa";
    ASSERT_EQ(kDone, f.Insert());
  }
  Script script;
  script.on("Browse_Route", [](QWidget* w) { press(w, "Select"); });
  bool previewed = false;
  script.on("PrintPreview", [&](QWidget* w) {
    previewed = QThread::currentThread() == QApplication::instance()->thread();
    QTimer::singleShot(50, w, [w] {
      saveScreenshot(*w, "ageing-preview.png");
      w->close();
    });
  });
  frame->choose("ADMINISTRATIONVELMORAPRINTAGEING");
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (script.done() && frame->runningThreads() == 0) loop.quit();
  });
  poll.start(10);
  QTimer::singleShot(20000, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_TRUE(script.done()) << script.left();
  EXPECT_TRUE(previewed);
}

TEST_F(SetupListsTest, EachSetupListInsertsChangesAndDeletesThroughItsWindows) {
  auto frame = openFrame();
  for (const SetupCase& c : kCases) {
    SCOPED_TRACE(c.list);
    const FormSettings& s = formSettings(c.form);
    Script script;
    script.on(c.list, [&](QWidget* list) {
      EXPECT_EQ(0, rows(list));
      press(list, "Insert");
    });
    script.on(c.form, [&](QWidget* form) {
      type(form, c.field, c.first);
      if (std::string(c.list) == "Browse_Town") saveScreenshot(*form, "form-window.png");
      press(form, "OK");
    });
    if (s.stayOpenOnInsert)  // the form stays on the added record
      script.on(c.form, [&](QWidget* form) { press(form, "Cancel"); });
    script.on(c.list, [&](QWidget* list) {
      EXPECT_EQ(1, records(c.file));
      ASSERT_EQ(1, rows(list));
      EXPECT_EQ(c.first, cell(list, 0, c.column));
      press(list, "Change");
    });
    script.on(c.form, [&](QWidget* form) {
      type(form, c.field, c.second);
      press(form, "OK");
    });
    script.on(c.list, [&](QWidget* list) {
      ASSERT_EQ(1, rows(list));
      EXPECT_EQ(c.second, cell(list, 0, c.column));
      if (std::string(c.list) == "Browse_Town") saveScreenshot(*list, "list-window.png");
      if (s.confirmDelete) ui.boxes.expect("Confirm Delete", kYes);
      press(list, "Delete");
    });
    script.on(c.form, [&](QWidget* form) { press(form, "OK"); });
    script.on(c.list, [&](QWidget* list) {
      EXPECT_EQ(0, rows(list));
      press(list, "Close");
    });
    frame->choose(c.control);
    EXPECT_TRUE(script.done()) << script.left() << " steps never ran";
    EXPECT_EQ(0, records(c.file));
  }
}

TEST_F(SetupListsTest, ALookupListReturnsTheHighlightedRecordOnSelectAndNothingOnClose) {
  auto frame = openFrame();
  for (const char* name : {"Absa", "Capitec", "Nedbank"}) {
    FileManager& f = files.fm<rec::BankName>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::BankName>().NAME = name;
    ASSERT_EQ(kDone, f.Insert());
  }
  const ListDecl& decl = *catalog.list("SelectBank");
  RecordBuffer picked(files.fm<rec::BankName>().layout());
  {
    Script script;
    script.on("SelectBank", [](QWidget* list) {
      auto* locator = list->findChild<QLineEdit*>("Locator");
      QTest::keyClicks(locator, "cap");
      saveScreenshot(*list, "select-list.png");
      press(list, "Select");
    });
    EXPECT_TRUE(qt::runListWindow(files, ui, catalog, decl, ListMode::Select, frame.get(), &picked));
    EXPECT_TRUE(script.done());
  }
  EXPECT_EQ("Capitec", static_cast<rec::BankName*>(picked.get())->NAME.text());
  {
    Script script;
    script.on("SelectBank", [](QWidget* list) { press(list, "Close"); });
    static_cast<rec::BankName*>(picked.get())->NAME = "unchanged";
    EXPECT_FALSE(qt::runListWindow(files, ui, catalog, decl, ListMode::Select, frame.get(), &picked));
  }
  EXPECT_EQ("unchanged", static_cast<rec::BankName*>(picked.get())->NAME.text());
}

TEST_F(SetupListsTest, ABankNameShowsItsBranchesBesideIt) {
  auto frame = openFrame();
  {
    FileManager& n = files.fm<rec::BankName>();
    FileUse use(n);
    for (const char* name : {"Absa", "Capitec"}) {
      n.ClearBuffer();
      n.rec<rec::BankName>().NAME = name;
      ASSERT_EQ(kDone, n.Insert());
    }
    FileManager& b = files.fm<rec::BankList>();
    FileUse use2(b);
    for (auto [bank, branch] : {std::pair{"Absa", "Mthatha"}, std::pair{"Capitec", "Umtata Plaza"},
                                std::pair{"Capitec", "Butterworth"}}) {
      b.ClearBuffer();
      b.rec<rec::BankList>().NAME = bank;
      b.rec<rec::BankList>().BRANCH = branch;
      ASSERT_EQ(kDone, b.Insert());
    }
  }
  Script script;
  script.on("Browse_C_Banks", [&](QWidget* w) {
    auto* win = static_cast<qt::ListWindow*>(w);
    ASSERT_NE(nullptr, win->detail());
    EXPECT_EQ(1, win->detail()->model()->rowCount());
    win->panel()->table()->selectRow(1);  // Capitec
    EXPECT_EQ(2, win->detail()->model()->rowCount());
    EXPECT_EQ("Butterworth", win->detail()->model()->index(0, 0).data().toString());
    saveScreenshot(*w, "client-banks.png");
    press(w, "Close");
  });
  frame->choose("MAINTENANCEBANKNAME");
  EXPECT_TRUE(script.done());
}

TEST_F(SetupListsTest, AnAmountThatCannotBeReadIsRefusedAndNeverDroppedSilently) {
  auto frame = openFrame();
  Script script;
  script.on("Browse_Plans", [](QWidget* list) { press(list, "Insert"); });
  script.on("UpdatePlan", [&](QWidget* form) {
    type(form, "PLAN", "E");
    type(form, "PREMIUM", "1,250");
    // OK refuses the amount and keeps the form open.
    ui.boxes.expect("Invalid Entry", kOk);
    press(form, "OK");
  });
  script.on("UpdatePlan", [&](QWidget* form) {
    // Cancel with the unreadable amount still typed asks first; staying
    // puts the focus on the first entry, and leaving the amount refuses it
    // again.
    ui.boxes.expect("Changes will be lost!", kNo);
    ui.boxes.expect("Invalid Entry", kOk);
    press(form, "Cancel");
  });
  script.on("UpdatePlan", [&](QWidget* form) {
    ui.boxes.expect("Changes will be lost!", kYes);
    press(form, "Cancel");
  });
  script.on("Browse_Plans", [](QWidget* list) {
    EXPECT_EQ(0, rows(list));
    press(list, "Close");
  });
  frame->choose("ITEM2");
  EXPECT_TRUE(script.done()) << script.left();
  EXPECT_EQ(0, records("Plan"));
}

TEST_F(SetupListsTest, TheUsersFormShowsItsCaptionAndRefusesAShortUserName) {
  auto frame = openFrame();
  globals().USER_CODE = 1;
  Script script;
  script.on("Browse_Users", [](QWidget* list) { press(list, "Insert"); });
  script.on("Update_Users", [&](QWidget* form) {
    EXPECT_EQ("Adding a Users Record", form->windowTitle());
    type(form, "PASSWORD", "secret1");
    type(form, "USERNAME", "sipho");
    ui.boxes.expect("User Name Error", kOk);
    saveScreenshot(*form, "users-form.png");
    press(form, "OK");
  });
  script.on("Update_Users", [&](QWidget* form) {
    type(form, "USERNAME", "siphom");
    press(form, "OK");
  });
  script.on("Browse_Users", [](QWidget* list) {
    EXPECT_EQ(1, rows(list));
    EXPECT_EQ("siphom", cell(list, 0, 1));
    press(list, "Close");
  });
  frame->choose("FILEUSERS");
  EXPECT_TRUE(script.done()) << script.left();
  ASSERT_EQ(1u, all<rec::Users>().size());
  EXPECT_EQ("secret1", all<rec::Users>()[0].PASSWORD.text());
}

}  // namespace
}  // namespace vel::test
