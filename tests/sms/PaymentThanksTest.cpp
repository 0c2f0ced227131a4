// A payment taken at the counter, on either ledger, reaches the member as
// one thank-you file at the gateway: the payment form posts, the ledger's
// hook hands the member to the SMS side, and the file arrives on the real
// FTP server the test starts.
#include "billing/PaymentForm.h"
#include "ledger/MessageHooks.h"
#include "members/MemberContext.h"
#include "sms/SmsFixture.h"
#include "sms/SmsWorker.h"

namespace vel::test {
namespace {

class PaymentThanks : public SmsFixture {
 protected:
  void SetUp() override {
    SmsFixture::SetUp();
    memberContext().clear();
    server = std::make_unique<FtpServer>(ftpRoot.path(), "ruspen", "ruspen");
    std::ofstream(dir.file("velmora.INI"))
        << "[SMS Gateway]\nHost=127.0.0.1\nPort=" << server->port() << "\n";
    add<rec::DefPrn>([](rec::DefPrn& d) { d.ON_PAY = 1; });
    sms::installDirectMessageHooks(ui, clock);
  }
  void TearDown() override {
    ledger::messageHooks() = {};
    memberContext().clear();
    SmsFixture::TearDown();
  }
  std::unique_ptr<FtpServer> server;
};

TEST_F(PaymentThanks, ACounterPaymentOnEachLedgerSendsOneThankYou) {
  client("0001/ABE", "0821234567", 150.00);
  memberContext().CUR_CLIENT_ID = "0001/ABE";
  {
    PaymentForm f(files, ui, clock, "clerk", Request::Insert);
    ASSERT_TRUE(f.open());
    f.payment().CREDIT = 150.00;
    ASSERT_EQ(PaymentForm::Step::Close, f.ok());
  }
  auto got = server->received();
  ASSERT_EQ(1u, got.size());
  EXPECT_NE(std::string::npos,
            got.begin()->second.find("0821234567~ Thank you for your payment for Velmora Premium "
                                     "of R150\r\n"))
      << got.begin()->second;

  add<rec::Hamper>([](rec::Hamper& h) {
    h.CLIENT_ID = "0002/HAM";
    h.SURNAME = "Hamper";
    h.PHONE_CELL = "0831234567";
    h.PREMIUM = 60.00;
    h.ACTIVE = "Active";
  });
  memberContext().CUR_CLIENT_ID = "0002/HAM";
  {
    HamperPaymentForm f(files, ui, clock, "clerk", Request::Insert);
    ASSERT_TRUE(f.open());
    f.payment().CREDIT = 60.00;
    ASSERT_EQ(HamperPaymentForm::Step::Close, f.ok());
  }
  got = server->received();
  ASSERT_EQ(2u, got.size());
  int hamperFiles = 0;
  for (const auto& [name, text] : got)
    if (text.find("0831234567~") != std::string::npos) {
      ++hamperFiles;
      EXPECT_NE(std::string::npos, text.find("R60\r\n")) << text;
    }
  EXPECT_EQ(1, hamperFiles);
}

}  // namespace
}  // namespace vel::test
