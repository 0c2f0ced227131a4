// "Send Message now" on the client form: the message as it stands on the form
// is written for the gateway at once, and the clerk is told where it is.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "dictionary/MemberFiles.h"
#include "forms/Catalog.h"
#include "gui/FrameFixture.h"
#include "gui/GuiScript.h"
#include "members/ClientBrowse.h"
#include "members/qt/ClientBrowseWindow.h"
#include "recordstore/FileManager.h"

namespace vel::test {
namespace {

class SmsSendMessageTest : public FrameFixture {
 protected:
  Catalog catalog;
};

TEST_F(SmsSendMessageTest, SendMessageNowWritesTheFormsMessageForThisClient) {
  {
    FileManager& f = files.fm<rec::VelCli>();
    FileUse use(f);
    f.ClearBuffer();
    auto& c = f.rec<rec::VelCli>();
    c.NUMBER = 7;
    c.CLIENT_ID = "0007/NDL";
    c.SURNAME = "Ndlovu";
    c.PHONE_CELL = "0821234567";
    c.SMS_MESS = "Your policy documents are ready";
    ASSERT_EQ(kDone, f.Insert());
  }
  auto frame = openFrame();
  qt::registerClientBrowse(procedures, files, ui, catalog, clock, frame.get());
  bool pressed = false;
  Script script;
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Change"); });
  script.on("Update_VelCli", [&](QWidget* w) {
    auto* send = w->findChild<QPushButton*>("SendMessageNow");
    ASSERT_NE(nullptr, send);
    auto* tabs = w->findChild<QTabWidget*>();
    for (int i = 0; tabs && i < tabs->count(); ++i)
      if (tabs->widget(i)->isAncestorOf(send)) tabs->setCurrentIndex(i);
    QApplication::processEvents();
    QDir().mkpath(VEL_SCREENSHOT_DIR);
    w->grab().save(QString(VEL_SCREENSHOT_DIR) + "/client-form-send-message.png");
    // No gateway is set up in this folder: the message waits and the box says so.
    ui.boxes.expect("SMS Utility", kOk);
    send->click();
    pressed = true;
    press(w, "Cancel");
  });
  script.on(kBrowseClient, [&](QWidget* w) { press(w, "Close"); });
  frame->choose("ADMINISTRATIONVELMORAPLAN");
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(script.done()) << script.left();

  std::vector<std::filesystem::path> waiting;
  for (const auto& e : std::filesystem::directory_iterator(dir.file("SmsOutbox")))
    if (e.path().filename().string()[0] != '.') waiting.push_back(e.path());
  ASSERT_EQ(1u, waiting.size());
  std::ifstream in(waiting[0], std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string s = text.str();
  EXPECT_EQ("0821234567~ Your policy documents are ready\r\n", s.substr(s.rfind("\r\n", s.size() - 3) + 2));
  const auto shown = ui.boxes.shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_NE(std::string::npos, shown.back().text.find("1 waiting in the outbox"));
}

}  // namespace
}  // namespace vel::test
