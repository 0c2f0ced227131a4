// The premiums-paid report on paper: rendered to a PDF and read back as text.
#include <cstdio>
#include <string>

#include "support/PdfText.h"
#include "reports/PaymentFixture.h"
#include "reports/PaymentReports.h"
#include "reports/qt/PagePainter.h"

namespace vel::test {
namespace {

class PaymentReportsPdf : public PaymentFixture {};

TEST_F(PaymentReportsPdf, PremiumsPaidReadsBackWithTitleRowAndTotals) {
  config("Thembeka Burial Society", "12 Vilakazi Street", "Orlando East", "Soweto", "07");
  member("0001/MOK", "Active", "Soweto North");
  member("0002/NKO", "Active", "Soweto North");
  payment("0001/MOK", day(2026, 3, 2), 145.00);
  payment("0002/NKO", day(2026, 3, 9), 85.00, "SEL", 1);
  ReportContext ctx(files, ui, clock);
  ctx.route = "Soweto North";
  ctx.periodStart = day(2026, 3, 1);
  ctx.periodEnd = day(2026, 3, 15);
  ReportProgress progress(ui, "test");
  const report::Document doc = premiumsPaid(ctx, progress);

  const std::string path = dir.file("premiums-paid.pdf");
  ASSERT_TRUE(qt::renderPdf(doc, path));
  const std::string text = pdfText(path);
  EXPECT_NE(std::string::npos, text.find("PREMIUMS PAID")) << text;
  EXPECT_NE(std::string::npos, text.find("Route: Soweto North")) << text;
  EXPECT_NE(std::string::npos, text.find("Period: 01/03/2026 to 15/03/2026")) << text;
  EXPECT_NE(std::string::npos, text.find("0002/NKO")) << text;
  EXPECT_NE(std::string::npos, text.find("09/03/2026")) << text;
  EXPECT_NE(std::string::npos, text.find("Double Payment")) << text;
  EXPECT_NE(std::string::npos, text.find("145.00")) << text;
  EXPECT_NE(std::string::npos, text.find("Page: 1")) << text;
}

}  // namespace
}  // namespace vel::test
