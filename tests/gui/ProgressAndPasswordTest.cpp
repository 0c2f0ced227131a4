// The progress window and the change-password window, off screen.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <thread>

#include "platform/qt/ProgressWindow.h"
#include "shell/ShellFixture.h"
#include "shell/qt/ChangePasswordWindow.h"

namespace vel::test {
namespace {

void saveScreenshot(QWidget& w, const char* name) {
  QDir().mkpath(VEL_SCREENSHOT_DIR);
  w.grab().save(QString(VEL_SCREENSHOT_DIR) + "/" + name);
}

QString labelText(QDialog* w) { return w->findChild<QLabel*>("ProgressText")->text(); }
int barValue(QDialog* w) { return w->findChild<QProgressBar*>("ProgressBar")->value(); }

TEST(ProgressWindowGui, ShowsAtOnceFollowsChangesAndCloses) {
  QPointer<QDialog> shown;
  {
    qt::ProgressWindow p(nullptr, "Commission Structure", "Updating Clients, please wait ...");
    shown = p.window();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(shown->isModal());
    EXPECT_EQ("Commission Structure", shown->windowTitle());
    p.setPercent(40);
    p.setPercent(140);  // held to the bar's range
    p.setText("Updating Policy Holders, please wait ...|Sipho Dlamini");
    EXPECT_EQ(100, barValue(shown));
    EXPECT_EQ("Updating Policy Holders, please wait ...\nSipho Dlamini", labelText(shown));
  }
  EXPECT_TRUE(shown.isNull());
}

TEST(ProgressWindowGui, WorkerThreadChangesReachTheWindow) {
  std::atomic<QDialog*> made{nullptr};
  std::atomic<bool> seen{false};
  std::thread worker([&] {
    qt::ProgressWindow p(nullptr, "Please Wait.........", "Checking ...");
    made = p.window();
    for (int i = 0; i <= 100; ++i) p.setPercent(i);
    p.setText("Checked");
    // The window stays up until the frame's thread has seen the changes.
    while (!seen) std::this_thread::yield();
  });
  // The frame's thread turns its event loop while the worker runs; the
  // worker's widget work is done here.
  ASSERT_TRUE(QTest::qWaitFor([&] { return made.load() != nullptr; }));
  QPointer<QDialog> shown = made.load();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return barValue(shown) == 100 && labelText(shown) == "Checked"; }));
  EXPECT_TRUE(shown->isVisible());
  seen = true;
  worker.join();
  EXPECT_TRUE(QTest::qWaitFor([&] { return shown.isNull(); }));
}

class ChangePasswordGui : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    FileManager& f = files.fm<rec::Users>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::Users>().USERNAME = "ADMIN1";
    f.rec<rec::Users>().PASSWORD = "Secret1";
    ASSERT_EQ(kDone, f.Insert());
    globals().USER_CODE = 1;
  }

  std::string storedPassword() {
    FileManager& f = files.fm<rec::Users>();
    FileUse use(f);
    f.SetOrder(kPhysicalOrder);
    EXPECT_EQ(kDone, f.TryReadNext());
    return f.rec<rec::Users>().PASSWORD.text();
  }
};

TEST_F(ChangePasswordGui, TypedPasswordsAreStoredOnOk) {
  ChangePasswordForm form(files, ui);
  qt::ChangePasswordWindow w(form);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  EXPECT_EQ("Change Password", w.windowTitle());
  EXPECT_EQ(QLineEdit::Password, w.oldEntry()->echoMode());
  EXPECT_EQ(10, w.newEntry()->maxLength());
  EXPECT_EQ("&OK", w.okButton()->text());
  EXPECT_EQ("&Cancel", w.cancelButton()->text());

  w.oldEntry()->setFocus();
  QTest::keyClicks(w.oldEntry(), "Secret1");
  QTest::keyClick(w.oldEntry(), Qt::Key_Tab);
  QTest::keyClicks(w.newEntry(), "Khaya2024");
  QTest::keyClick(w.newEntry(), Qt::Key_Tab);
  QTest::keyClicks(w.confirmEntry(), "Khaya2024");
  saveScreenshot(w, "change-password.png");
  QTest::keyClick(w.confirmEntry(), Qt::Key_Return);
  EXPECT_EQ(QDialog::Accepted, w.result());
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ("Khaya2024", storedPassword());
}

TEST_F(ChangePasswordGui, RefusedConfirmationIsShownOnceAndKeepsTheFocus) {
  ChangePasswordForm form(files, ui);
  qt::ChangePasswordWindow w(form);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.oldEntry()->setFocus();
  QTest::keyClicks(w.oldEntry(), "Secret1");
  QTest::keyClick(w.oldEntry(), Qt::Key_Tab);
  QTest::keyClicks(w.newEntry(), "Khaya2024");
  QTest::keyClick(w.newEntry(), Qt::Key_Tab);
  QTest::keyClicks(w.confirmEntry(), "Khaya2025");
  // Return completes the entry (refused) and presses OK, which must not show
  // the same refusal a second time.
  ui.boxes.expect("Password ERROR", kOk, "Confirmation Password Error");
  QTest::keyClick(w.confirmEntry(), Qt::Key_Return);
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(w.confirmEntry()->hasFocus());
  EXPECT_EQ("Secret1", storedPassword());
  // Cancel closes without writing.
  QTest::mouseClick(w.cancelButton(), Qt::LeftButton);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ("Secret1", storedPassword());
}

}  // namespace
}  // namespace vel::test
