// The hamper club's "Make a Payment" off screen: the payment typed into the
// window lands on the hamper ledger with its receipt, and the member's
// statement, client information and card print to PDF through the report
// engine. A screenshot of the window goes to the build folder.
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "dictionary/Dictionary.h"
#include "gui/FrameFixture.h"
#include "gui/GuiScript.h"
#include "hamper/qt/HamperPaymentWindow.h"
#include "hamper/qt/HamperPrints.h"
#include "members/MemberContext.h"
#include "recordstore/FileManager.h"
#include "reports/qt/PrintPreviewWindow.h"
#include "shell/GetRange.h"
#include "support/PdfText.h"
#include "support/Records.h"

namespace vel::test {
namespace {

class HamperPaymentWindowTest : public FrameFixture {
 protected:
  template <class R, class Fill>
  void add(Fill fill) {
    FileManager& f = files.fm<R>();
    FileUse use(f);
    f.ClearBuffer();
    fill(f.template rec<R>());
    ASSERT_EQ(kDone, f.Insert());
  }
  void member() {
    add<rec::Hamper>([](rec::Hamper& h) {
      h.CLIENT_ID = "0042/DLA";
      h.SURNAME = "Dlamini";
      h.INITIALS = "N";
      h.H_ADDR1 = "7 Khumalo Street";
      h.ROUTE = "R1";
      h.PREMIUM = 75;
      h.HAMPER = 900;
      h.DATE = day(2026, 12, 1);
    });
    add<rec::HamAge>([](rec::HamAge& a) {
      a.CLIENT_ID = "0042/DLA";
      a.TOTAL = 75;
      a.CURRENT = 75;
    });
    add<rec::HamTra>([](rec::HamTra& t) {
      t.CLIENT_ID = "0042/DLA";
      t.DATE = day(2026, 11, 21);
      t.TYPE = "Invoice";
      t.DEBIT = 75;
    });
  }
  std::string pdf(const char* name) { return dir.file(name); }
};

TEST_F(HamperPaymentWindowTest, PaymentFromTheWindowPostsToTheHamperLedgerAndPrints) {
  auto frame = openFrame();
  member();
  memberContext().clear();
  memberContext().CUR_CLIENT_ID = "0042/DLA";

  Script script;
  script.on("Update_HamPay", [](QWidget* w) {
    EXPECT_EQ("Make a Payment", w->windowTitle());
    auto* amount = w->findChild<QLineEdit*>("CREDIT");
    amount->setFocus();
    amount->selectAll();
    QTest::keyClicks(amount, "100.00");
    w->findChild<QRadioButton*>("Bank")->setChecked(true);
    w->findChild<QCheckBox*>("PrintReceipt")->setChecked(true);
    QDir().mkpath(VEL_SCREENSHOT_DIR);
    w->grab().save(QString(VEL_SCREENSHOT_DIR) + "/hamper-make-a-payment.png");
    press(w, "OK");
  });
  qt::PdfOutput receipt(pdf("receipt.pdf"));
  EXPECT_EQ(Response::Completed,
            qt::runHamperPaymentWindow(files, ui, clock, "clerk", Request::Insert, frame.get(),
                                       &receipt));
  EXPECT_TRUE(script.done());
  ASSERT_TRUE(receipt.ok());
  const std::string receiptText = pdfText(pdf("receipt.pdf"));
  for (const char* want : {"RECEIPT", "R100.00", "Dlamini", "Hamper Savings Club"})
    EXPECT_NE(std::string::npos, receiptText.find(want)) << want << "\n" << receiptText;

  const auto pays = readAll<rec::HamPay>(files);
  ASSERT_EQ(1u, pays.size());
  EXPECT_EQ(pays[0].ACCOUNT, "Bank");
  EXPECT_DOUBLE_EQ(75, pays[0].PREM2PAY);
  EXPECT_DOUBLE_EQ(-25, readAll<rec::HamAge>(files).at(0).TOTAL);
  EXPECT_TRUE(readAll<rec::VelPay>(files).empty());

  // The statement of the month: the credit carried to the close.
  ui.onDateRange = [&](DateRangeForm& f) {
    f.setStart(day(2026, 12, 1));
    f.setEnd(day(2026, 12, 31));
    f.acceptPressed();
  };
  qt::PdfOutput statement(pdf("statement.pdf"));
  ASSERT_TRUE(
      qt::printHamperButton(files, ui, clock, "Statement", "0042/DLA", frame.get(), &statement));
  ASSERT_TRUE(statement.ok());
  const std::string text = pdfText(pdf("statement.pdf"));
  for (const char* want :
       {"Hamper Statement", "Balance brought forward:", "75.00", "100.00", "-25.00", "TOTALS:"})
    EXPECT_NE(std::string::npos, text.find(want)) << want << "\n" << text;

  qt::PdfOutput info(pdf("info.pdf"));
  ASSERT_TRUE(
      qt::printHamperButton(files, ui, clock, "Print Client Info", "0042/DLA", frame.get(), &info));
  const std::string infoText = pdfText(pdf("info.pdf"));
  for (const char* want : {"Hamper Member", "Dlamini", "900.00", "75.00"})
    EXPECT_NE(std::string::npos, infoText.find(want)) << want << "\n" << infoText;

  qt::PdfOutput card(pdf("card.pdf"));
  ASSERT_TRUE(
      qt::printHamperButton(files, ui, clock, "Print Route Info", "0042/DLA", frame.get(), &card));
  const std::string cardText = pdfText(pdf("card.pdf"));
  for (const char* want : {"0042/DLA", "7 Khumalo Street", "75.00"})
    EXPECT_NE(std::string::npos, cardText.find(want)) << want << "\n" << cardText;
}

}  // namespace
}  // namespace vel::test
