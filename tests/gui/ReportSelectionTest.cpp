// The selections a report asks before it walks, through their windows: the
// "Agent" window refuses "&Process" with no agent, the "Collector" window
// closes with nothing chosen, the "Action Date" window returns its day, and a
// report on a thread of its own gets its selection from a window the frame's
// thread shows.
#include <QDateEdit>
#include <QEventLoop>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <atomic>
#include <thread>

#include "dictionary/SetupFiles.h"
#include "forms/Catalog.h"
#include "gui/GuiScript.h"
#include "reports/qt/ReportPickersQt.h"
#include "setup/qt/SetupProcedures.h"
#include "shell/ShellFixture.h"
#include "shell/qt/DateRangeWindow.h"

namespace vel::test {
namespace {

class ReportSelectionTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    qt::buildCatalog(catalog);
  }
  Catalog catalog;
};

TEST_F(ReportSelectionTest, TheAgentWindowWantsAnAgentAndTheCollectorWindowMayCloseEmpty) {
  qt::QtReportPickers pickers(files, ui, catalog, nullptr);
  {
    Script script;
    script.on("Agent", [&](QWidget* w) {
      ui.boxes.expect("Agent Error", kOk, "Please select an agent");
      press(w, "Process");
    });
    script.on("Agent", [&](QWidget* w) {
      QTest::keyClicks(w->findChild<QLineEdit*>("CODE"), "A07");
      press(w, "Process");
    });
    EXPECT_EQ(std::optional<std::string>("A07"), pickers.pickAgent());
    EXPECT_TRUE(script.done());
  }
  {
    Script script;
    script.on("Collector", [&](QWidget* w) { press(w, "Process"); });
    EXPECT_EQ(std::nullopt, pickers.pickCollector());
  }
  {
    Script script;
    script.on("Agent", [&](QWidget* w) {
      QTest::keyClicks(w->findChild<QLineEdit*>("CODE"), "A07");
      press(w, "Cancel");
    });
    EXPECT_EQ(std::nullopt, pickers.pickAgent());
  }
}

TEST_F(ReportSelectionTest, TheActionDateWindowReturnsTheDayChosen) {
  qt::QtReportPickers pickers(files, ui, catalog, nullptr);
  Script script;
  script.on("ActionDate", [&](QWidget* w) {
    w->findChild<QDateEdit*>("DATE")->setDate(QDate(2026, 11, 30));
    press(w, "OK");
  });
  EXPECT_EQ(std::optional<std::int32_t>(day(2026, 11, 30)), pickers.pickActionDate(day(2026, 12, 8)));
}

TEST_F(ReportSelectionTest, TheRoutesWindowTakesItsRouteFromTheLookupAndEndsWithNone) {
  {
    FileManager& f = files.fm<rec::Route>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::Route>().ROUTE = "Tembisa";
    ASSERT_EQ(kDone, f.Insert());
  }
  qt::QtReportPickers pickers(files, ui, catalog, nullptr);
  {
    Script script;
    script.on("Routes", [](QWidget* w) {
      QMetaObject::invokeMethod(w->findChild<QToolButton*>("ROUTE_lookup"), &QToolButton::click,
                                Qt::QueuedConnection);
    });
    script.on("Browse_Route", [](QWidget* w) { press(w, "Select"); });
    script.on("Routes", [](QWidget* w) { press(w, "OK"); });
    EXPECT_EQ(std::optional<std::string>("Tembisa"), pickers.pickRouteInWindow());
    EXPECT_TRUE(script.done()) << script.left();
  }
  Script script;
  script.on("Routes", [](QWidget* w) { press(w, "OK"); });
  EXPECT_EQ(std::nullopt, pickers.pickRouteInWindow());
}

TEST_F(ReportSelectionTest, AReportOnItsOwnThreadPicksItsRouteThroughTheFramesThread) {
  for (const char* name : {"Soweto North", "Tembisa"}) {
    FileManager& f = files.fm<rec::Route>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::Route>().ROUTE = name;
    ASSERT_EQ(kDone, f.Insert());
  }
  qt::QtReportPickers pickers(files, ui, catalog, nullptr);
  Script script;
  script.on("Browse_Route", [](QWidget* w) {
    QTest::keyClicks(w->findChild<QLineEdit*>("Locator"), "tem");
    press(w, "Select");
  });
  std::optional<std::string> picked;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    picked = pickers.pickRoute();
    done = true;
  });
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done) loop.quit();
  });
  poll.start(5);
  loop.exec();
  worker.join();
  EXPECT_EQ(std::optional<std::string>("Tembisa"), picked);
}

}  // namespace
}  // namespace vel::test
