// The reminder runs, the thank-you and the free message against a real FTP
// server: what the gateway receives, byte for byte, and what stays behind
// when it does not take the files.

#include "sms/SmsFixture.h"
#include "support/Engines.h"

namespace vel::test {
namespace {

using Files = std::map<std::string, std::string>;

const std::string kHeader = header("7/Jul/2026", "09:15");

class SmsRun : public SmsFixture {
 protected:
  // A small office on 7 July: who is due a 5-day reminder and who is not.
  void office() {
    client("0001/ABE", "0821234567", 150.00, "1");         // due 1st: 7th > 6th
    client("0002/BEN", "0822222222", 120.00, "2");         // due 2nd: 7th is not after 7th
    client("0003/CEL", "0823333333 ", 99.50, "");          // blank: due 30 June
    client("0004/DAN", "0824444444", 80.00, "1", 0, 0);    // switches already cleared
    client("0005/EVE", "0825555555", 80.00, "1", 1, 1, "Non Active");
    client("0006/FAY", "", 80.00, "1");                    // no cell number
  }

  void refuseClientChanges(bool on) {
    EXPECT_EQ("", refuseWrites(files.fm<rec::VelCli>().path(), "UPDATE", on));
  }
};

TEST_F(SmsRun, FiveDayRunSendsOnlyClientsStrictlyPastDuePlusFiveOnceADay) {
  office();
  FtpServer server(ftpRoot.path(), "ruspen", "ruspen");
  ASSERT_TRUE(server.running());
  sms::SmsSender s = sender(gateway(server));

  sms::RunResult r = s.Send_SMS("5 Day");
  EXPECT_TRUE(r.ok()) << sms::summary(r);
  EXPECT_EQ(2, r.written);
  EXPECT_EQ(2, r.sent);
  EXPECT_EQ(0, r.waiting);
  EXPECT_EQ(1, r.noCell);
  // Two messages in one second: the second name gets a suffix, nothing is replaced.
  const Files want = {
      {"SK2026070791502.txt",
       kHeader + "0821234567~ Your Velmora Premium of R150 is 5 days overdue\r\n"},
      {"SK2026070791502-2.txt",
       kHeader + "0823333333~ Your Velmora Premium of R99.5 is 5 days overdue\r\n"},
  };
  EXPECT_EQ(want, server.received());
  EXPECT_EQ(1, server.connections()) << "one connection carries the whole run";
  EXPECT_EQ(0, stored("0001/ABE").DAY5.value);
  EXPECT_EQ(0, stored("0003/CEL").DAY5.value);
  EXPECT_EQ(1, stored("0001/ABE").DAY10.value) << "the 10-day switch is not this run's";
  EXPECT_EQ(1, stored("0002/BEN").DAY5.value);
  EXPECT_EQ(1, stored("0006/FAY").DAY5.value) << "no message was written for him";
  EXPECT_TRUE(inFolder("SmsOutbox").empty());
  EXPECT_EQ(2u, inFolder("SmsSent").size());

  // A second run the same day finds nothing more to say.
  r = s.Send_SMS("5 Day");
  EXPECT_EQ(0, r.written);
  EXPECT_EQ(0, r.sent);
  EXPECT_EQ(want, server.received());
  EXPECT_EQ(1, server.connections()) << "nothing to send: no connection";
}

TEST_F(SmsRun, TenDayRunUsesDuePlusTenAndItsOwnSwitch) {
  office();
  clock.set(dateFromYmd(2026, 7, 12), timeFromHms(14, 0, 0));
  FtpServer server(ftpRoot.path(), "ruspen", "ruspen");
  sms::RunResult r = sender(gateway(server)).Send_SMS("10 Day");
  EXPECT_TRUE(r.ok()) << sms::summary(r);
  const std::string head = header("12/Jul/2026", "14:00");
  const Files want = {
      {"SK20260712140000.txt",
       head + "0821234567~ Your Velmora Premium of R150 is 10 days overdue\r\n"},
      {"SK20260712140000-2.txt",
       head + "0823333333~ Your Velmora Premium of R99.5 is 10 days overdue\r\n"},
  };
  EXPECT_EQ(want, server.received());
  EXPECT_EQ(0, stored("0001/ABE").DAY10.value);
  EXPECT_EQ(1, stored("0001/ABE").DAY5.value);
  EXPECT_EQ(1, stored("0002/BEN").DAY10.value);  // due 2nd: 12th is not after 12th
}

TEST_F(SmsRun, InvoiceRunRemindsEveryActiveClientWithACellNumber) {
  office();
  FtpServer server(ftpRoot.path(), "ruspen", "ruspen");
  sms::RunResult r = sender(gateway(server)).Send_SMS("Invoice");
  EXPECT_TRUE(r.ok()) << sms::summary(r);
  const std::string text = "~ Please remember to pay your Velmora Premium of R";
  const Files want = {
      {"SK2026070791502.txt", kHeader + "0821234567" + text + "150\r\n"},
      {"SK2026070791502-2.txt", kHeader + "0822222222" + text + "120\r\n"},
      {"SK2026070791502-3.txt", kHeader + "0823333333" + text + "99.5\r\n"},
      {"SK2026070791502-4.txt", kHeader + "0824444444" + text + "80\r\n"},
  };
  EXPECT_EQ(want, server.received());
  EXPECT_EQ(1, stored("0001/ABE").DAY5.value) << "the invoice message leaves the overdue switches";
}

TEST_F(SmsRun, PaymentWritesOneThankYouFileForThePayingMemberOnly) {
  office();
  add<rec::Hamper>([](rec::Hamper& h) {
    h.CLIENT_ID = "0001/ABE";
    h.PHONE_CELL = "0839999999";
    h.ACTIVE = "Active";
  });
  FtpServer server(ftpRoot.path(), "ruspen", "ruspen");
  sms::SmsSender s = sender(gateway(server));
  sms::PaymentOf paid{"Velmora", "0002/BEN", 150.00};
  EXPECT_EQ(1, s.Send_SMS("Payment", &paid).sent);
  clock.advance(100);
  sms::PaymentOf hamper{"Hamper", "0001/ABE", 99.50};
  EXPECT_EQ(1, s.Send_SMS("Payment", &hamper).sent);
  // Not active, or not on file: no message.
  sms::PaymentOf inactive{"Velmora", "0005/EVE", 80};
  sms::PaymentOf unknown{"Velmora", "9999/ZZZ", 80};
  EXPECT_EQ(0, s.Send_SMS("Payment", &inactive).written);
  EXPECT_EQ(0, s.Send_SMS("Payment", &unknown).written);
  const Files want = {
      {"SK2026070791502.txt",
       kHeader + "0822222222~ Thank you for your payment for Velmora Premium of R150\r\n"},
      {"SK2026070791503.txt",
       kHeader + "0839999999~ Thank you for your payment for Velmora Premium of R99.5\r\n"},
  };
  EXPECT_EQ(want, server.received());
  EXPECT_EQ(1, stored("0002/BEN").DAY5.value) << "a thank-you changes nothing on the record";
}

TEST_F(SmsRun, FreeMessageOf160CharactersIsTheLastLineWhole) {
  FtpServer server(ftpRoot.path(), "ruspen", "ruspen");
  sms::SmsSender s = sender(gateway(server));
  std::string message;
  while (message.size() < 160) message += "Burial cover " + std::to_string(message.size()) + ". ";
  message.resize(160);
  message.back() = '!';
  sms::RunResult r = s.Send_Message({"0821234567  ", message + "   "});
  EXPECT_TRUE(r.ok()) << sms::summary(r);
  EXPECT_EQ((Files{{"SK2026070791502.txt", kHeader + "0821234567~ " + message + "\r\n"}}),
            server.received());

  // Without a cell number or a message nothing is written and the clerk is told why.
  r = s.Send_Message({"", "Hello"});
  EXPECT_EQ(0, r.written);
  EXPECT_EQ("This member has no cell number: no message was sent.", sms::summary(r));
  r = s.Send_Message({"0821234567", "   "});
  EXPECT_EQ(0, r.written);
  EXPECT_NE(std::string::npos, sms::summary(r).find("There is no message to send"));
  EXPECT_EQ(1u, server.received().size());
}

// Each way the gateway can fail leaves the files in the outbox with the
// failure reported; a later run sends them, and its own, once each.
TEST_F(SmsRun, FailedUploadsWaitInTheOutboxAndGoOnceWithTheNextRun) {
  struct Fault {
    const char* name;
    const char* says;
  };
  for (const Fault& fault : {Fault{"server down", "cannot be reached"},
                             Fault{"wrong password", "refused the log-in"},
                             Fault{"refused write", "refused to store"}}) {
    SCOPED_TRACE(fault.name);
    TempDir root, folder;
    ScriptedUi quiet;
    ErrorManager errs{quiet};
    auto folderEngine = makeEngineFor(folder.path());  // an office of its own
    DataFiles office(folder.path(), *folderEngine, errs);
    {
      FileManager& f = office.fm<rec::VelCli>();
      FileUse use(f);
      for (const char* id : {"0001/ABE", "0002/BEN"}) {
        f.ClearBuffer();
        auto& c = f.rec<rec::VelCli>();
        c.CLIENT_ID = id;
        c.PHONE_CELL = "0821234567";
        c.PREMIUM = 150;
        c.DOM = "1";
        c.DAY5 = 1;
        c.ACTIVE = "Active";
        ASSERT_EQ(kDone, f.Insert());
      }
    }
    sms::GatewaySettings g;
    g.host = "127.0.0.1";
    std::unique_ptr<FtpServer> server;
    const std::string f(fault.name);
    if (f == "server down") {
      FtpServer gone(root.path(), "ruspen", "ruspen");
      g.port = gone.port();  // it stops listening when it goes
    } else {
      server = std::make_unique<FtpServer>(root.path(), "ruspen", "ruspen", f == "refused write");
      g.port = server->port();
      if (f == "wrong password") g.password = "guess";
    }
    sms::SmsSender s(office, quiet, clock);
    s.setGateway(g);
    sms::RunResult r = s.Send_SMS("5 Day");
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(2, r.written);
    EXPECT_EQ(0, r.sent);
    EXPECT_EQ(2, r.waiting);
    EXPECT_NE(std::string::npos, r.uploadFailure.find(fault.says)) << r.uploadFailure;
    EXPECT_NE(std::string::npos, sms::summary(r).find("They wait in the outbox"));
    EXPECT_TRUE((server ? server->received() : Files{}).empty());
    sms::Outbox outbox(folder.path());
    EXPECT_EQ(2u, outbox.waiting().size());

    // The gateway is back: the next run sends what waited, then its own.
    server.reset();
    FtpServer back(root.path(), "ruspen", "ruspen");
    g.port = back.port();
    g.password = "ruspen";
    const int connectionsBefore = back.connections();  // the failed run's, same folder
    s.setGateway(g);
    clock.advance(100);
    r = s.Send_Message({"0830000000", "Welcome"});
    EXPECT_TRUE(r.ok()) << sms::summary(r);
    EXPECT_EQ(3, r.sent);
    EXPECT_EQ(0, r.waiting);
    const Files got = back.received();
    EXPECT_EQ(3u, got.size());
    // This office has no branch detail: lines 2-4 and 7 are blank.
    const std::string blank = "5\r\n\r\n\r\n\r\n7/Jul/2026\r\n09:15\r\n\r\n";
    EXPECT_EQ(blank + "0821234567~ Your Velmora Premium of R150 is 5 days overdue\r\n",
              got.at("SK2026070791502.txt"));
    EXPECT_EQ(got.at("SK2026070791502.txt"), got.at("SK2026070791502-2.txt"));
    EXPECT_EQ(blank + "0830000000~ Welcome\r\n",
              got.at("SK2026070791503.txt"));
    EXPECT_EQ(1, back.connections() - connectionsBefore);
    // Nothing more to send, and nothing is sent twice.
    r = s.retryOutbox();
    EXPECT_EQ(0, r.sent);
    EXPECT_EQ(3u, back.received().size());
    clock.set(dateFromYmd(2026, 7, 7), timeFromHms(9, 15, 2));
  }
}

TEST_F(SmsRun, WithoutAGatewayHostMessagesWaitAndTheRunSaysSo) {
  office();
  sms::SmsSender s(files, ui, clock);  // velmora.INI names no host
  sms::RunResult r = s.Send_SMS("5 Day");
  EXPECT_TRUE(r.noHost);
  EXPECT_EQ(2, r.waiting);
  EXPECT_NE(std::string::npos, sms::summary(r).find("No SMS gateway is set up"));
  // The host comes from the data folder's velmora.INI.
  FtpServer server(ftpRoot.path(), "gate", "way");
  std::ofstream(dir.file("velmora.INI"))
      << "[SMS Gateway]\nHost=127.0.0.1\nPort=" << server.port() << "\nUser=gate\nPassword=way\n";
  r = s.retryOutbox();
  EXPECT_TRUE(r.ok()) << sms::summary(r);
  EXPECT_EQ(2, r.sent);
  EXPECT_EQ(2u, server.received().size());
}

TEST_F(SmsRun, ASwitchThatCannotBeClearedKeepsItsMessageForTheNextRun) {
  office();
  FtpServer server(ftpRoot.path(), "ruspen", "ruspen");
  sms::SmsSender s = sender(gateway(server));
  refuseClientChanges(true);
  sms::RunResult r = s.Send_SMS("5 Day");
  EXPECT_EQ(0, r.written);
  EXPECT_TRUE(server.received().empty()) << "a message whose switch stays set is not sent";
  EXPECT_EQ(1, stored("0001/ABE").DAY5.value);
  refuseClientChanges(false);
  r = s.Send_SMS("5 Day");
  EXPECT_EQ(2, r.sent);
  EXPECT_EQ(2u, server.received().size());
  EXPECT_EQ(0, stored("0001/ABE").DAY5.value);
}

}  // namespace
}  // namespace vel::test
