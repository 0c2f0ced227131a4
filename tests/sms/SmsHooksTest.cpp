// The runs the program starts by itself: the payment and invoice hooks of the
// ledger and the start-up reminders, on the worker beside the frame.
#include "ledger/MessageHooks.h"
#include "shell/Startup.h"
#include "sms/SmsFixture.h"
#include "sms/SmsWorker.h"

namespace vel::test {
namespace {

class SmsHooks : public SmsFixture {
 protected:
  void SetUp() override {
    SmsFixture::SetUp();
    client("0001/ABE", "0821234567", 150.00, "1");
    server = std::make_unique<FtpServer>(ftpRoot.path(), "ruspen", "ruspen");
    std::ofstream(dir.file("velmora.INI"))
        << "[SMS Gateway]\nHost=127.0.0.1\nPort=" << server->port() << "\n";
  }
  void TearDown() override {
    ledger::messageHooks() = {};
    SmsFixture::TearDown();
  }
  void switches(int onInv, int onPay) {
    add<rec::DefPrn>([&](rec::DefPrn& d) {
      d.ON_INV = onInv;
      d.ON_PAY = onPay;
    });
  }
  std::unique_ptr<FtpServer> server;
};

TEST_F(SmsHooks, APaymentWithTheSwitchOnSendsOneThankYou) {
  switches(0, 1);
  sms::SmsWorker worker(files, ui, clock);
  StartupHooks startup;
  sms::installMessageHooks(worker, startup);
  ledger::messageHooks().afterPayment(files, "Velmora", "0001/ABE", 150.00);
  worker.drain();
  EXPECT_EQ((std::map<std::string, std::string>{
                {"SK2026070791502.txt",
                 header("7/Jul/2026", "09:15") +
                     "0821234567~ Thank you for your payment for Velmora Premium of R150\r\n"}}),
            server->received());
}

TEST_F(SmsHooks, APaymentWithTheSwitchOffSendsNothing) {
  switches(1, 0);
  sms::SmsWorker worker(files, ui, clock);
  StartupHooks startup;
  sms::installMessageHooks(worker, startup);
  ledger::messageHooks().afterPayment(files, "Velmora", "0001/ABE", 150.00);
  worker.drain();
  EXPECT_TRUE(server->received().empty());
}

// A tool without a frame sends the thank-you before the posting returns.
TEST_F(SmsHooks, WithoutAWorkerThePaymentMessageGoesAtOnce) {
  switches(1, 1);
  sms::installDirectMessageHooks(ui, clock);
  ledger::messageHooks().afterPayment(files, "Velmora", "0001/ABE", 99.50);
  ledger::messageHooks().afterInvoiceRun(files, false);
  const auto got = server->received();
  ASSERT_EQ(1u, got.size());
  EXPECT_NE(std::string::npos, got.begin()->second.find("Premium of R99.5\r\n"));
}

// The automatic invoice run and the start-up sequence both ask for the
// invoice message: the clients get it once.
TEST_F(SmsHooks, InvoiceMessagesGoOnceADayWhoeverAsks) {
  switches(1, 0);
  sms::SmsWorker worker(files, ui, clock);
  StartupHooks startup;
  sms::installMessageHooks(worker, startup);
  ledger::messageHooks().afterInvoiceRun(files, false);  // the menu's run: no message
  worker.drain();
  EXPECT_TRUE(server->received().empty());
  ledger::messageHooks().afterInvoiceRun(files, true);
  startup.smsRun("Invoice");
  startup.smsRun("5 Day");
  worker.drain();
  const auto got = server->received();
  ASSERT_EQ(2u, got.size());
  EXPECT_NE(std::string::npos, got.at("SK2026070791502.txt").find("Please remember to pay"));
  EXPECT_NE(std::string::npos, got.at("SK2026070791502-2.txt").find("5 days overdue"));
}

// A gateway that stays away is reported once, not after every payment.
TEST_F(SmsHooks, AnUnreachableGatewayIsReportedOnceAndTheMessagesWait) {
  switches(0, 1);
  server->stop();
  sms::SmsWorker worker(files, ui, clock);
  StartupHooks startup;
  sms::installMessageHooks(worker, startup);
  ui.expect("SMS Utility", kOk);
  for (int i = 0; i < 3; ++i) {
    ledger::messageHooks().afterPayment(files, "Velmora", "0001/ABE", 10.0 * (i + 1));
    clock.advance(100);
  }
  worker.drain();
  EXPECT_EQ(3, worker.lastResult().waiting);
  EXPECT_EQ(3u, sms::Outbox(dir.path()).waiting().size());
}

}  // namespace
}  // namespace vel::test
