// The conversion window at start-up, off screen: the file's status text and
// the bar, shown while a file is converted and gone when the run returns.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>

#include "maintenance/ConversionFixture.h"
#include "shell/qt/QtShellUi.h"
#include "support/Engines.h"

namespace vel::test {
namespace {

QDialog* progressWindow(const char* title) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible() && d->windowTitle() == title)
      return d;
  return nullptr;
}

TEST(ConversionWindowGui, ShowsTheFileAndItsBarWhileConverting) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  std::vector<rec::older::VelCliK> clients(600);
  for (int i = 0; i < 600; ++i) clients[static_cast<std::size_t>(i)].CLIENT_ID = std::to_string(i);
  f.writeOld("VelCli", "K", clients);

  qt::QtShellUi ui;
  Conversion c(f.dir.path(), *f.engine, ui, f.clock);
  c.groupSize = 200;
  QString text;
  int bar = -1;
  QPointer<QDialog> window;
  c.afterStep = [&](std::string_view, ConversionStep s) {
    if (s != ConversionStep::Copying || window) return;
    window = progressWindow("Converting Files");
    ASSERT_TRUE(window);
    text = window->findChild<QLabel*>("ProgressText")->text();
    bar = window->findChild<QProgressBar*>("ProgressBar")->value();
    QDir().mkpath(VEL_SCREENSHOT_DIR);
    window->grab().save(QString(VEL_SCREENSHOT_DIR) + "/ConversionWindow.png");
  };
  ConversionReport r = c.run();
  EXPECT_EQ(r.converted, std::vector<std::string>{"VelCli"});
  EXPECT_EQ(text, "VelCli File");
  EXPECT_EQ(bar, 33);  // 200 of 600 clients
  EXPECT_TRUE(window.isNull());
  EXPECT_EQ(progressWindow("Converting Files"), nullptr);
}

}  // namespace
}  // namespace vel::test
