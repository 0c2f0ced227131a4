// "&Capture Receipts" off screen, end to end through its windows: the agent,
// the range, two receipts, the cash count, and the receipts printed to PDF
// from the print preview. Screenshots of each window go to the build folder.
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QCheckBox>
#include <QTest>

#include "billing/qt/CaptureWindows.h"
#include "billing/qt/PaymentProcedures.h"
#include "billing/qt/PaymentWindow.h"
#include "members/ClientBrowse.h"
#include "members/MemberContext.h"
#include "dictionary/Dictionary.h"
#include "forms/Catalog.h"
#include "gui/FrameFixture.h"
#include "gui/GuiScript.h"
#include "ledger/Postings.h"
#include "recordstore/FileManager.h"
#include "reports/qt/PrintPreviewWindow.h"
#include "setup/qt/SetupProcedures.h"
#include "support/PdfText.h"
#include "support/Records.h"

namespace vel::test {
namespace {

void shot(QWidget* w, const char* name) {
  QDir().mkpath(VEL_SCREENSHOT_DIR);
  w->grab().save(QString(VEL_SCREENSHOT_DIR) + "/" + name);
}

void type(QWidget* window, const char* field, const QString& text) {
  auto* e = window->findChild<QLineEdit*>(field);
  ASSERT_NE(nullptr, e) << field;
  e->setFocus();
  e->selectAll();
  QTest::keyClicks(e, text);
}

class CaptureRunWindowTest : public FrameFixture {
 protected:
  template <class R, class Fill>
  void add(Fill fill) {
    FileManager& f = files.fm<R>();
    FileUse use(f);
    f.ClearBuffer();
    fill(f.template rec<R>());
    ASSERT_EQ(kDone, f.Insert());
  }
  void office() {
    add<rec::Agent>([](rec::Agent& a) {
      a.CODE = "AG1";
      a.SURNAME = "Mokoena";
    });
    for (const char* id : {"0041/ABR", "0042/DLA"}) {
      add<rec::VelCli>([&](rec::VelCli& c) {
        c.CLIENT_ID = id;
        c.SURNAME = id[5] == 'A' ? "Abrahams" : "Dlamini";
        c.INITIALS = "S";
        c.H_ADDR1 = "7 Mooi Street";
        c.PREMIUM = 100;
      });
      ASSERT_EQ(ledger::PostResult::Posted,
                ledger::postFirstCharge<ledger::BurialCover>(files, {id, 100, 0, 0},
                                                             {"01", "clerk"}, clock.moment()));
    }
    for (int n = 101; n <= 102; ++n)
      add<rec::AgeIss>([&](rec::AgeIss& i) {
        i.CODE = "AG1";
        i.NUMBER = n;
      });
  }
  Catalog catalog;
};

TEST_F(CaptureRunWindowTest, AgentRangeTwoReceiptsCashCountAndReceiptsToPdf) {
  auto frame = openFrame();
  office();
  qt::buildCatalog(catalog);
  qt::registerPayments(procedures, files, ui, catalog, clock, frame.get());
  const std::string pdf = dir.file("receipts.pdf");

  Script script;
  script.on("Agent", [](QWidget* w) {
    type(w, "CODE", "AG1");
    shot(w, "capture-agent.png");
    press(w, "Process");
  });
  script.on("Get_Range", [](QWidget* w) {
    EXPECT_EQ("Select Number Range", w->windowTitle());
    type(w, "START", "101");
    type(w, "END", "102");
    press(w, "OK");
  });
  script.on("Capture_Receipt", [](QWidget* w) {
    EXPECT_EQ("Receipt No", w->windowTitle());
    EXPECT_EQ("101", w->findChild<QLineEdit*>("NUMBER")->text());
    type(w, "AMOUNT", "150.00");
    type(w, "CLIENT_ID", "0041/ABR");
    shot(w, "capture-receipt.png");
    press(w, "OK");
  });
  script.on("Capture_Receipt", [](QWidget* w) {
    EXPECT_EQ("102", w->findChild<QLineEdit*>("NUMBER")->text());
    type(w, "AMOUNT", "45.50");
    type(w, "CLIENT_ID", "0042/dla");
    press(w, "OK");
  });
  script.on("Update_Cashbox", [](QWidget* w) {
    // Each count is accepted as the clerk leaves its entry.
    auto count = [&](const char* field, const char* n) {
      type(w, field, n);
      emit w->findChild<QLineEdit*>(field)->editingFinished();
    };
    count("R100", "1");
    count("R50", "1");
    count("R20", "2");
    count("R5", "1");
    count("C50", "1");
    EXPECT_EQ("195.50", w->findChild<QLabel*>("CSH_TOTAL")->text().trimmed());
    EXPECT_EQ("0.00", w->findChild<QLabel*>("Difference")->text().trimmed());
    shot(w, "capture-cashbox.png");
    press(w, "OK");
  });
  script.on("PrintPreview", [pdf](QWidget* w) {
    auto* p = static_cast<qt::PrintPreviewWindow*>(w);
    EXPECT_EQ(2, p->pageCount()) << "one receipt per page";
    shot(w, "capture-receipts-preview.png");
    p->askPdfName = [pdf] { return QString::fromStdString(pdf); };
    p->saveAsPdf();
    p->reject();
  });

  (*procedures.find("Capture_Receipt"))();
  EXPECT_TRUE(script.done()) << script.left() << " steps left";

  auto cash = readAll<rec::Cashbox>(files);
  ASSERT_EQ(1u, cash.size());
  EXPECT_DOUBLE_EQ(195.50, cash[0].IN_TOTAL);
  EXPECT_DOUBLE_EQ(195.50, cash[0].CSH_TOTAL);
  EXPECT_EQ(2u, readAll<rec::VelPay>(files).size());
  for (const auto& r : readAll<rec::RecPrn>(files)) EXPECT_EQ(1, r.PRINTED);
  auto issued = readAll<rec::AgeIss>(files);
  EXPECT_EQ(issued[1].CLIENT_ID, "0042/DLA");

  const std::string text = pdfText(pdf);
  for (const char* want : {"RECEIPT", "R150.00", "R45.50", "Received without prejudice of rights",
                           "0041/ABR", "Dlamini"})
    EXPECT_NE(std::string::npos, text.find(want)) << want << "\n" << text;
}

// "Make a Payment" at the counter: the controls land in the payment, which
// is posted whole; a zero amount is refused first.
TEST_F(CaptureRunWindowTest, MakeAPaymentStoresEveryControl) {
  auto frame = openFrame();
  office();
  memberContext().clear();
  ASSERT_TRUE(preparePayment(files, "0042/DLA", clock.today()));

  Script script;
  script.on("Update_VelPay", [](QWidget* w) {
    EXPECT_EQ("Make a Payment", w->windowTitle());
    type(w, "CREDIT", "0");
    press(w, "OK");
  });
  script.on("Update_VelPay", [](QWidget* w) {
    type(w, "CREDIT", "120.00");
    w->findChild<QRadioButton*>("Direct Deposit")->setChecked(true);
    w->findChild<QRadioButton*>("Bank")->setChecked(true);
    w->findChild<QRadioButton*>("Self")->setChecked(true);
    w->findChild<QCheckBox*>("DBLPAY")->setChecked(true);
    shot(w, "make-a-payment.png");
    press(w, "OK");
  });
  ui.boxes.expect("Payment Error", kOk, "Payment cannot be ZERO");
  EXPECT_EQ(Response::Completed, qt::runPaymentWindow(files, ui, clock, "clerk", Request::Insert,
                                                      frame.get()));
  EXPECT_TRUE(script.done());
  auto p = readAll<rec::VelPay>(files);
  ASSERT_EQ(1u, p.size());
  EXPECT_EQ(p[0].SOURCE, "Direct Depo");
  EXPECT_EQ(p[0].ACCOUNT, "Bank");
  EXPECT_EQ(p[0].STATUS, "SEL");
  EXPECT_EQ(1, p[0].DBLPAY);
  EXPECT_DOUBLE_EQ(120, p[0].CREDIT);
  EXPECT_EQ(3u, readAll<rec::VelTra>(files).size()) << "two first charges and the payment";
}

}  // namespace
}  // namespace vel::test
