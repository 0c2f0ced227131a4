// The frame off screen: its whole menu tree, its open steps on a real data
// folder, the access check and the two ways a menu item runs.
#include <QApplication>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <thread>

#include "gui/FrameFixture.h"
#include "platform/SettingsFile.h"
#include "platform/qt/MessageBox.h"
#include "shell/FrameText.h"
#include "shell/MenuTable.h"
#include "shell/Procedures.h"
#include "shell/qt/DateRangeWindow.h"
#include "shell/qt/LoginWindow.h"
#include "shell/qt/MainFrame.h"

namespace vel::test {
namespace {

void saveScreenshot(QWidget& w, const char* name) {
  QDir().mkpath(VEL_SCREENSHOT_DIR);
  w.grab().save(QString(VEL_SCREENSHOT_DIR) + "/" + name);
}

// The menu as the frame shows it: one line per menu and item, in order.
std::vector<std::string> menuLines(QMenuBar* bar) {
  std::vector<std::string> lines;
  for (QAction* m : bar->actions()) {
    lines.push_back(m->text().toStdString() + " " + m->objectName().toStdString());
    for (QAction* a : m->menu()->actions())
      lines.push_back("  " + (a->isSeparator() ? std::string("-") : a->text().toStdString()) +
                      " " + a->objectName().toStdString());
  }
  return lines;
}

const std::vector<std::string> kMenuTree = {
    "&File FILEMENU",
    "  P&rint Setup... PRINTSETUP",
    "  - SEPARATOR1",
    "  &Configure System FILECONFIGURESYSTEM",
    "  &Users FILEUSERS",
    "  Change &Password FILECHANGEPASSWORD",
    "  &Generate Invoices ITEM1",
    "  Export Agents ITEM36",
    "  Export AgeIss ITEM12",
    "  Export Banks ITEM13",
    "  Export Bank Branch ITEM20",
    "  Export Bank List ITEM15",
    "  Export Bank Name ITEM14",
    "  Export Collector ITEM24",
    "  Export Comm Structure ITEM28",
    "  Export Velmora Ageing ITEM17",
    "  Export Velmora Child ITEM23",
    "  Export Velmora Clients ITEM11",
    "  Export Velmora Extended ITEM16",
    "  Export Velmora Invoice ITEM19",
    "  Export Velmora Payments ITEM18",
    "  Export Velmora Transactions ITEM21",
    "  Export Hamper Ageing ITEM32",
    "  Export Hamper ITEM31",
    "  Export Hamper Invoice ITEM33",
    "  Export Hamper Payments ITEM34",
    "  Export Hamper Transactions ITEM35",
    "  Export Plan ITEM29",
    "  Export Plan Child ITEM30",
    "  Export Postal ITEM22",
    "  Export Route ITEM26",
    "  Export SMS Data ITEM25",
    "  Export Town ITEM27",
    "  E&xit EXIT",
    "&Administration LOANSANDEXPENSES",
    "  Members ADMINISTRATIONVELMORAPLAN",
    "  Hampers ITEM9",
    "  Print Selected Collection Lists PRNSEL",
    "  Print DUAL Route Info per Date ITEM4",
    "&Setup MENU1",
    "  Branch &Detail MAINTENANCEBRANCHDETAIL",
    "  &Commission Structure COMMSTR",
    "  Default &SMS Sending DEFSMS",
    "&Maintenance MAINTAINANCE",
    "  &Capture Receipts CAPREC",
    "  &Issue Receipt Book RECBOOK",
    "  &Public Holidays MAINTAINANCEPUBLICHOLIDAYS",
    "  &Postal Codes MAINTENANCEPOSTALCODES",
    "  &Branch Banks MAINTENANCEBANKLIST",
    "  &Client Banks MAINTENANCEBANKNAME",
    "  &SMS General Message SMS",
    "  &Agents AGENT",
    "  &Collectors COLLECT",
    "  &Towns TOWN",
    "  &Route ROUTE",
    "  &Plans ITEM2",
    "  Plans for &Children ITEM3",
    "&Reports REPORTS",
    "  Print &Management PRNMAN",
    "  Print &Ageing ADMINISTRATIONVELMORAPRINTAGEING",
    "  Print &Premiums Paid ADMINISTRATIONVELMORAPRINTPREMIUMSCOLLECTED",
    "  Print Premiums Not Paid PRNNOTPAID",
    "  Print Premiums Not Paid for 3 Months PRNNOT3",
    "  Print New Policies per Route PRNNEWPOL",
    "  Print New Policies per Agent NEWPOLA",
    "  Print New Policies per Agent - Totals only ITEM5",
    "  Print Active &Client List PRNACTIVE",
    "  Print &Non Active Client List NONACT",
    "  Print Collector Rounds PRNROUNDS",
    "  Print Name and Address NAMEADD",
    "  Print_Issued_Receipts ITEM6",
    "  Print Names on Routes PRNROUNDS:2",
    "  Print Names and Addresses ITEM8",
    "  Print Hamper List HAMPER",
    "&Utilities UTILITIES",
    "  Rebui&ld Indexes UTILITIESREBUILDINDEXES",
    "  &Update Commission Structure COMMSTR:2",
    "  &Export Data EXDAT",
    "  Update Agents ITEM7",
    "  Copy Policy Holders to Hamper ITEM10",
};

class FrameTest : public FrameFixture {};

TEST_F(FrameTest, MenuTreeIsTheSystemsMenuInOrder) {
  auto frame = openFrame();
  EXPECT_EQ(kMenuTree, menuLines(frame->menuBar()));
  // Every item routes by its control name.
  for (const Menu& m : mainMenu())
    for (const MenuItem& i : m.items)
      EXPECT_EQ(&i, findMenuItem(i.control)) << i.control;
  EXPECT_EQ("Setup Printer",
            frame->findChild<QAction*>("PRINTSETUP")->statusTip().toStdString());
  EXPECT_EQ("Exit this application", frame->findChild<QAction*>("EXIT")->statusTip().toStdString());
}

TEST_F(FrameTest, OpenedFrameShowsTitleUserDayAndTime) {
  auto frame = openFrame();
  EXPECT_EQ(startup_->title(), frame->windowTitle().toStdString());
  EXPECT_EQ(0u, frame->windowTitle().toStdString().find(
                    "Velmora Administration Version 1.02 - Thembeka Burial Society"));
  EXPECT_EQ("User: ", frame->zone(2)->text().toStdString());
  EXPECT_EQ("Tuesday, December 8, 2026", frame->zone(3)->text().toStdString());
  EXPECT_EQ("9:30 AM", frame->zone(4)->text().toStdString());
  clock.set(day(2026, 12, 8), timeFromHms(9, 31, 5));
  QTRY_COMPARE_WITH_TIMEOUT(frame->zone(4)->text(), QString("9:31 AM"), 3000);

  // Hovering an item puts its hint into zone 1.
  QAction* users = frame->findChild<QAction*>("FILEUSERS");
  users->showStatusText(frame.get());
  EXPECT_EQ("Users", frame->zone(1)->text().toStdString());
  frame->resize(1000, 650);
  saveScreenshot(*frame, "main-frame.png");

  // Closing keeps the frame's placement for the next start.
  frame->close();
  EXPECT_FALSE(settings.get("__Dont_Touch_Me__", "Main").empty());
}

TEST_F(FrameTest, AdministratorItemsAreCheckedBeforeTheyRun) {
  auto frame = openFrame();
  int management = 0;
  procedures.add("Print_Management", [&] { ++management; });
  globals().USER_CODE = 2;
  ui.boxes.expect("Access Error", kOk, "You do not have access rights to this option");
  frame->choose("PRNMAN");
  EXPECT_EQ(0, management);
  globals().USER_CODE = 1;
  frame->choose("PRNMAN");
  EXPECT_EQ(1, management);
  frame->choose("PRNNOTPAID");  // not built yet: nothing happens
}

TEST_F(FrameTest, FrameThreadItemIsModalAndThreadItemLeavesTheFrameFree) {
  auto frame = openFrame();
  // A frame-thread list: while it is open, it is the modal window.
  bool wasModal = false;
  procedures.add("Browse_Town", [&] {
    QDialog list(frame.get());
    list.setWindowTitle("Browse Towns");
    QTimer::singleShot(0, &list, [&] {
      wasModal = QApplication::activeModalWidget() == &list;
      list.accept();
    });
    list.exec();
  });
  frame->choose("TOWN");
  EXPECT_TRUE(wasModal);

  // The ageing report's work runs on its own thread with its own buffers;
  // the frame keeps serving the menu meanwhile.
  std::atomic<bool> release{false};
  std::thread::id worker;
  std::string configName;
  bool handedBack = false;
  procedures.addThreaded("Print_Ageing", [&]() -> ProcedureTable::Run {
    worker = std::this_thread::get_id();
    FileManager& config = files.fm<rec::Config>();
    FileUse use(config);
    config.SetOrder(kPhysicalOrder);
    if (config.TryReadNext() == kDone) configName = config.rec<rec::Config>().NAME.text();
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return [&] { handedBack = true; };
  });
  frame->choose("ADMINISTRATIONVELMORAPRINTAGEING");
  EXPECT_EQ(1, frame->runningThreads());
  auto* window = frame->findChild<QDialog*>("Print_Ageing");
  ASSERT_NE(nullptr, window);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->isModal());
  frame->choose("TOWN");  // the menu still answers
  release = true;
  QTRY_VERIFY_WITH_TIMEOUT(handedBack, 5000);
  EXPECT_NE(std::this_thread::get_id(), worker);
  EXPECT_EQ("Thembeka Burial Society", configName);
  EXPECT_EQ(0, frame->runningThreads());
}

TEST_F(FrameTest, ThreadProcedureBoxIsShownByTheFrameThread) {
  auto frame = openFrame();
  unsigned answer = 0;
  bool shownOnFrameThread = false;
  procedures.addThreaded("Rebuild_Indexes", [&]() -> ProcedureTable::Run {
    answer = qt::showMessage(nullptr, "Rebuild the keys now?", "Rebuild", Icon::Question,
                             kYes | kNo, kNo);
    return {};
  });
  // Answer the box with "Yes" as soon as it shows.
  QTimer answerer;
  answerer.setInterval(10);
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shownOnFrameThread = box->thread() == QApplication::instance()->thread();
      for (QAbstractButton* b : box->buttons())
        if (b->text() == "&Yes") b->click();
    }
  });
  answerer.start();
  frame->choose("UTILITIESREBUILDINDEXES");
  QTRY_COMPARE_WITH_TIMEOUT(frame->runningThreads(), 0, 5000);
  EXPECT_TRUE(shownOnFrameThread);
  EXPECT_EQ(static_cast<unsigned>(kYes), answer);
}

TEST_F(FrameTest, LogInThroughTheWindow) {
  {
    FileManager& f = files.fm<rec::Users>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::Users>().CODE = 1;
    f.rec<rec::Users>().USERNAME = "MANAGER";
    f.rec<rec::Users>().PASSWORD = "Ubuntu1";
    ASSERT_EQ(kDone, f.Insert());
  }
  globals().CANCELLED = 1;
  LoginForm form(files, ui);
  qt::LoginWindow window(form);
  window.show();
  QTest::keyClicks(window.userEntry(), "MANAGER");
  QTest::keyClicks(window.passwordEntry(), "wrong!");
  ui.boxes.expect("Password ERROR", kOk, "Incorrect Password");
  window.findChild<QPushButton*>("Login")->click();
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(1, globals().CANCELLED);
  window.passwordEntry()->clear();
  QTest::keyClicks(window.passwordEntry(), "Ubuntu1");
  saveScreenshot(window, "login-window.png");
  window.findChild<QPushButton*>("Login")->click();
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(QDialog::Accepted, window.result());
  EXPECT_EQ(0, globals().CANCELLED);
  EXPECT_EQ(1, globals().USER_CODE);
  EXPECT_EQ(1, globals().IS_ADMIN);
}

TEST_F(FrameTest, DateRangeWindowRefusesAnEndBeforeTheStart) {
  globals().PERIOD_START = day(2026, 11, 1);
  globals().PERIOD_END = day(2026, 10, 1);
  DateRangeForm form(ui);
  qt::DateRangeWindow window(form);
  window.show();
  EXPECT_EQ(QDate(2026, 11, 1), window.startEntry()->date());
  ui.boxes.expect("Range Error", kOk, "Invalid Date Range");
  window.findChild<QPushButton*>("Accept")->click();
  EXPECT_TRUE(window.isVisible());
  window.endEntry()->setDate(QDate(2026, 11, 30));
  saveScreenshot(window, "date-range.png");
  window.findChild<QPushButton*>("Accept")->click();
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(0, globals().CANCELLED);
  EXPECT_EQ(day(2026, 11, 30), globals().PERIOD_END);
}

}  // namespace
}  // namespace vel::test
