// "Rebuild Data Files", off screen: opened from the menu's procedure, a run
// on its own thread reaching the status line, and the files that need
// attention listed under it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "../maintenance/BackupOffice.h"
#include "maintenance/qt/BackupProcedures.h"
#include "maintenance/qt/RebuildWindow.h"
#include "shell/Procedures.h"
#include "support/FileDamage.h"
#include "support/Engines.h"

namespace vel::test {
namespace {

void saveScreenshot(QWidget& w, const char* name) {
  QDir().mkpath(VEL_SCREENSHOT_DIR);
  w.grab().save(QString(VEL_SCREENSHOT_DIR) + "/" + name);
}

QString status(QWidget* w) { return w->findChild<QLabel*>("Status")->text(); }

TEST(RebuildWindowGui, MenuProcedureOpensTheWindowBesideTheFrame) {
  BackupOffice o;
  ProcedureTable procedures;
  QWidget frame;
  qt::registerBackupProcedures(procedures, o.files, &frame);
  const ProcedureTable::Work* work = procedures.findThreaded("Rebuild_Indexes");
  ASSERT_NE(work, nullptr);
  ProcedureTable::Run then = (*work)();
  ASSERT_TRUE(then);
  then();
  auto* w = frame.findChild<qt::RebuildWindow*>("RebuildWindow");
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->isModal());
  EXPECT_EQ(w->windowTitle(), "Rebuild Data Files");
  EXPECT_EQ(status(w), "Press PROCESS to Rebuild Files");
  EXPECT_EQ(w->findChild<QPushButton*>("Process")->text(), "&Process");
  EXPECT_EQ(w->findChild<QPushButton*>("Cancel")->text(), "&Cancel");
  QPointer<QWidget> gone(w);
  QTest::mouseClick(w->findChild<QPushButton*>("Cancel"), Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return gone.isNull(); }));
}

TEST(RebuildWindowGui, RunOnItsThreadEndsCompleteAndListsADamagedFile) {
  VEL_SQLITE_FILES_ONLY();
  BackupOffice o;
  ASSERT_TRUE(o.seed(300));
  qt::RebuildWindow w(*o.engine, o.dir.path(), std::string(kOwnerPassword));
  w.show();
  auto* process = w.findChild<QPushButton*>("Process");
  auto* problems = w.findChild<QListWidget*>("Problems");

  QTest::mouseClick(process, Qt::LeftButton);
  EXPECT_TRUE(w.running());
  EXPECT_FALSE(process->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.running(); }, 60000));
  EXPECT_EQ(status(&w), "Rebuild Complete");
  EXPECT_FALSE(problems->isVisible());
  EXPECT_TRUE(process->isEnabled());

  // Pressed again after VelTra has been damaged: named, never passed.
  ASSERT_GT(damagePages(o.tps("VelTra"), 0.5), 0);
  QTest::mouseClick(process, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.running(); }, 60000));
  EXPECT_EQ(status(&w), "Rebuild Complete: 1 file needs attention");
  EXPECT_TRUE(problems->isVisible());
  ASSERT_GE(problems->count(), 1);
  EXPECT_TRUE(problems->item(problems->count() - 1)->text().startsWith("Transact - "));
  EXPECT_LE(status(&w).size(), kRebuildStatusWidth);
  saveScreenshot(w, "RebuildWindow.png");
}

}  // namespace
}  // namespace vel::test
