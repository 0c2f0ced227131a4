// A small office for the SMS runs: real record files in a temporary folder,
// the branch's gateway account, a fixed clock and a real FTP server as the
// gateway.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "platform/Clock.h"
#include "recordstore/DataFiles.h"
#include "sms/FtpServer.h"
#include "sms/Outbox.h"
#include "sms/SmsRun.h"
#include "support/Records.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/Engines.h"

namespace vel::test {

// The lines 1-7 every file of the test office carries on that day and time.
inline std::string header(const std::string& date, const std::string& time) {
  return "5\r\nvelmora01\r\ns3cret\r\noffice@velmora.co.za\r\n" + date + "\r\n" + time +
         "\r\n0825550000\r\n";
}

class SmsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    add<rec::BDetal>([](rec::BDetal& b) {
      b.USERNAME = "velmora01";
      b.PASSWORD = "s3cret";
      b.CON_EMAIL = "office@velmora.co.za";
      b.CELL_NO = "0825550000";
    });
  }
  void TearDown() override { ui.verifyDone(); }

  template <class R, class Fill>
  void add(Fill fill) {
    FileManager& f = files.fm<R>();
    FileUse use(f);
    f.ClearBuffer();
    fill(f.template rec<R>());
    ASSERT_EQ(kDone, f.Insert()) << f.label() << ": " << f.LastEngineText();
  }

  // An active client with a cell number, premium and due day.
  void client(const std::string& id, const std::string& cell, double premium,
              const std::string& dom = "1", int day5 = 1, int day10 = 1,
              const std::string& active = "Active") {
    add<rec::VelCli>([&](rec::VelCli& c) {
      c.CLIENT_ID = id;
      c.SURNAME = "Client " + id;
      c.PHONE_CELL = cell;
      c.PREMIUM = premium;
      c.DOM = dom;
      c.DAY5 = day5;
      c.DAY10 = day10;
      c.ACTIVE = active;
    });
  }

  rec::VelCli stored(const std::string& id) {
    for (const rec::VelCli& c : readAll<rec::VelCli>(files))
      if (c.CLIENT_ID == id) return c;
    ADD_FAILURE() << "no client " << id;
    return {};
  }

  // The gateway at `server`, with its log-in pair.
  sms::GatewaySettings gateway(const FtpServer& server, std::string password = "ruspen") {
    sms::GatewaySettings g;
    g.host = "127.0.0.1";
    g.port = server.port();
    g.password = std::move(password);
    return g;
  }

  sms::SmsSender sender(const sms::GatewaySettings& g) {
    sms::SmsSender s(files, ui, clock);
    s.setGateway(g);
    return s;
  }

  std::vector<std::string> inFolder(const std::string& sub) {
    std::vector<std::string> names;
    const std::string d = dir.path() + "/" + sub;
    if (!std::filesystem::exists(d)) return names;
    for (const auto& e : std::filesystem::directory_iterator(d))
      if (e.path().filename().string()[0] != '.') names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir;
  TempDir ftpRoot;
  std::unique_ptr<Engine> engine = makeEngineFor(dir.path());
  ScriptedUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
  // Tuesday 7 July 2026, 09:15:02.
  FixedClock clock{dateFromYmd(2026, 7, 7), timeFromHms(9, 15, 2)};
};

}  // namespace vel::test
