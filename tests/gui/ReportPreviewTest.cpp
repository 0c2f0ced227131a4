// Reports on paper and on screen: a PDF read back as text, the preview's
// page counter, jump window and zoom, and printing only on acceptance.
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QFile>
#include <QPrinter>
#include <QTest>

#include <cstdio>
#include <string>

#include "support/PdfText.h"
#include "reports/ManagementReport.h"
#include "reports/ReportFixture.h"
#include "reports/qt/PagePainter.h"
#include "reports/qt/PrintPreviewWindow.h"

namespace vel::test {
namespace {

int pagesIn(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\f';
  return n;
}

report::Document clientList(int rows) {
  report::Document doc;
  doc.title = "ACTIVE CLIENT LIST";
  doc.headerLines = {"Thembeka Burial Society, 12 Vilakazi Street, Orlando East, Soweto"};
  doc.periodText = "Route: Soweto North";
  doc.columns = {{"Ref No", report::charsMm(10)},
                 {"Surname", report::charsMm(25)},
                 {"First Name", report::charsMm(20)},
                 {"Premium", report::charsMm(10), report::Align::Right}};
  doc.footer = {true, dateFromYmd(2026, 3, 15), timeFromHms(10, 30, 0), "07", "[1.02]"};
  for (int i = 1; i <= rows; ++i) {
    char ref[16];
    std::snprintf(ref, sizeof ref, "%04d/MOK", i);
    doc.addRow({ref, "Mokoena", i % 2 ? "Nomvula" : "Thabo", "145.00"});
  }
  doc.addReportTotal({"", "", "Total", "21750.00"});
  return doc;
}

void saveScreenshot(const QImage& img, const char* name) {
  QDir().mkpath(VEL_SCREENSHOT_DIR);
  img.save(QString(VEL_SCREENSHOT_DIR) + "/" + name);
}

class ReportPreview : public ReportFixture {};

TEST_F(ReportPreview, ManagementReportPdfReadsBackWithTitleRowsAndFooter) {
  config("Thembeka Burial Society", "12 Vilakazi Street", "Orlando East", "Soweto", "07");
  client("0001/AAA", "Active", day(2026, 3, 1), 145.00, 95.00);
  entry("0001/AAA", day(2026, 3, 1), "Payment", 145.00, "", 14.50, 7.25);
  ReportContext ctx(files, ui, clock);
  ctx.periodStart = day(2026, 3, 1);
  ctx.periodEnd = day(2026, 3, 15);
  ReportProgress progress(ui, "test");
  report::Document doc = managementDocument(ctx, walkManagement(ctx, progress));

  const std::string path = dir.file("management.pdf");
  ASSERT_TRUE(qt::renderPdf(doc, path));
  const std::string text = pdfText(path);
  EXPECT_NE(std::string::npos, text.find("MANAGEMENT REPORT")) << text;
  EXPECT_NE(std::string::npos, text.find("Thembeka Burial Society, 12 Vilakazi Street")) << text;
  EXPECT_NE(std::string::npos, text.find("Period: 01/03/2026 to 15/03/2026")) << text;
  EXPECT_NE(std::string::npos, text.find("Premiums Paid")) << text;
  EXPECT_NE(std::string::npos, text.find("145.00")) << text;
  EXPECT_NE(std::string::npos, text.find("Report Date/Time: 15/03/2026 10:30")) << text;
  EXPECT_NE(std::string::npos, text.find("07 [1.02]")) << text;
  EXPECT_NE(std::string::npos, text.find("Page: 1")) << text;
  EXPECT_EQ(1, pagesIn(text));
}

TEST_F(ReportPreview, PreviewPagesThroughAndJumps) {
  qt::PrintPreviewWindow w(clientList(150));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  ASSERT_EQ(3, w.pageCount());
  EXPECT_EQ("Page 1 of 3", w.pageIndicator());
  EXPECT_EQ("Enter a page number from 1 to 3", w.jumpPrompt());
  EXPECT_EQ((QStringList{"No Zoom", "Page Width", "50%", "75%", "100%", "200%", "300%"}),
            qt::PrintPreviewWindow::zoomChoices());
  w.nextPage();
  EXPECT_EQ("Page 2 of 3", w.pageIndicator());
  w.showPage(3);
  w.nextPage();  // no page 4
  EXPECT_EQ("Page 3 of 3", w.pageIndicator());
  w.showPage(0);  // ignored
  w.previousPage();
  EXPECT_EQ(2, w.currentPage());

  // Zoom: 200% is twice 100%, whatever the window size; "No Zoom" shows
  // the whole page inside the window.
  w.showPage(1);
  w.setZoom("100%");
  const QSize actual = w.shownImage().size();
  w.setZoom("200%");
  EXPECT_NEAR(2.0 * actual.width(), w.shownImage().width(), 2);
  saveScreenshot(w.grab().toImage(), "report_preview_200.png");
  w.setZoom("No Zoom");
  EXPECT_LE(w.shownImage().height(), w.height());
  w.setZoom("Page Width");
  saveScreenshot(w.grab().toImage(), "report_preview_page_width.png");
  EXPECT_FALSE(w.printed());
}

TEST_F(ReportPreview, PrintsEveryPageOnlyWhenAccepted) {
  const std::string path = dir.file("printed.pdf");
  {
    qt::PrintPreviewWindow w(clientList(150));
    int asked = 0;
    w.askPrinter = [&](QPrinter&) {
      ++asked;
      return false;  // the print dialog was cancelled
    };
    w.print();
    EXPECT_EQ(1, asked);
    EXPECT_FALSE(w.printed());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
  }
  qt::PrintPreviewWindow w(clientList(150));
  w.askPrinter = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    return true;
  };
  w.showPage(2);  // printing does not depend on the page shown
  w.print();
  EXPECT_TRUE(w.printed());
  EXPECT_EQ(QDialog::Accepted, w.result());
  const std::string text = pdfText(path);
  EXPECT_EQ(3, pagesIn(text));
  EXPECT_NE(std::string::npos, text.find("0001/MOK")) << text;
  EXPECT_NE(std::string::npos, text.find("0150/MOK")) << text;
  EXPECT_NE(std::string::npos, text.find("21750.00")) << text;
  EXPECT_NE(std::string::npos, text.find("Page: 3")) << text;
}

TEST_F(ReportPreview, SaveAsPdfWritesTheWholeReport) {
  const std::string path = dir.file("saved.pdf");
  qt::PrintPreviewWindow w(clientList(3));
  w.askPdfName = [&] { return QString::fromStdString(path); };
  w.saveAsPdf();
  const std::string text = pdfText(path);
  EXPECT_NE(std::string::npos, text.find("ACTIVE CLIENT LIST")) << text;
  EXPECT_NE(std::string::npos, text.find("0003/MOK")) << text;
}

}  // namespace
}  // namespace vel::test

namespace vel::test {
namespace {

// The preview opens within the screen, however small (a 1280 x 800 laptop,
// or the smaller off-screen test screen): its buttons and page counter are
// never below the bottom edge.
TEST(ReportPreviewSize, FitsTheScreenItOpensOn) {
  qt::PrintPreviewWindow w(clientList(120));
  w.show();
  QApplication::processEvents();
  const QSize avail = QGuiApplication::primaryScreen()->availableGeometry().size();
  EXPECT_LE(w.frameGeometry().width(), avail.width());
  EXPECT_LE(w.frameGeometry().height(), avail.height());
  EXPECT_LE(w.height(), 800 - 48);
  EXPECT_LE(w.minimumSizeHint().width(), 1280);
  EXPECT_LE(w.minimumSizeHint().height(), 800);
}

}  // namespace
}  // namespace vel::test
