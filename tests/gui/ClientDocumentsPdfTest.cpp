// One client's statement, information sheet and policy pack on paper: the PDF read back
// as text, and the first page of each saved as an image for review.
#include <QDir>
#include <string>

#include "reports/ClientDocuments.h"
#include "reports/ReportFixture.h"
#include "reports/qt/PagePainter.h"
#include "support/PdfText.h"

namespace vel::test {
namespace {

class ClientDocumentsPdf : public ReportFixture {
 protected:
  void office() {
    config("Thembeka Burial Society", "12 Vilakazi Street", "Orlando East", "Soweto", "07");
    add<rec::VelCli>([&](rec::VelCli& c) {
      c.CLIENT_ID = "0042/MOK";
      c.SURNAME = "Mokoena";
      c.FIRSTNAME = "Thabo";
      c.INITIALS = "T";
      c.PLAN = "A";
      c.OPTION = "Family";
      c.PLANPREM = 161;
      c.DOB = day(1980, 1, 1);
    });
    entry("0042/MOK", day(2026, 2, 21), "Invoice", 161);
    entry("0042/MOK", day(2026, 3, 2), "Payment", 100);
    entry("0042/MOK", day(2026, 3, 14), "Invoice", 161);
    add<rec::VelAge>([&](rec::VelAge& a) {
      a.CLIENT_ID = "0042/MOK";
      a.CURRENT = 161;
      a.P30 = 61;
      a.TOTAL = 222;
    });
  }

  void save(const report::Document& doc, const std::string& name) {
    const std::vector<report::Page> pages = report::paginate(doc);
    ASSERT_FALSE(pages.empty());
    QDir().mkpath(VEL_SCREENSHOT_DIR);
    EXPECT_TRUE(qt::pageImage(doc, pages[0], 3).save(QString(VEL_SCREENSHOT_DIR) + "/" +
                                                     QString::fromStdString(name)));
  }
};

TEST_F(ClientDocumentsPdf, StatementAndInfoSheetReadBack) {
  office();
  ReportContext ctx(files, ui, clock);
  ctx.periodStart = day(2026, 3, 1);
  ctx.periodEnd = day(2026, 3, 31);
  ReportProgress progress(ui, "Statement");
  const report::Document statement = clientStatement(ctx, progress, "0042/MOK");
  const report::Document sheet = clientInfoSheet(ctx, progress, "0042/MOK");
  ASSERT_FALSE(ctx.failed);

  const std::string path = dir.file("statement.pdf");
  ASSERT_TRUE(qt::renderPdf(statement, path));
  const std::string text = pdfText(path);
  for (const char* want : {"Statement", "Mokoena T. (0042/MOK)", "Balance brought forward:",
                           "161.00", "TOTALS:", "222.00", "90 Days Plus"})
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
  save(statement, "client_statement.png");

  ASSERT_TRUE(qt::renderPdf(sheet, dir.file("sheet.pdf")));
  EXPECT_NE(pdfText(dir.file("sheet.pdf")).find("0042/MOK"), std::string::npos);
  save(sheet, "client_info_sheet.png");

  const report::Document pack = policyPack(ctx, progress, "0042/MOK");
  ASSERT_FALSE(ctx.failed);
  ASSERT_TRUE(qt::renderPdf(pack, dir.file("pack.pdf")));
  const std::string packText = pdfText(dir.file("pack.pdf"));
  for (const char* want : {"Application Certificate", "Claim Form", "Personal Details",
                           "Thembeka Burial Society", "Signature of claimant"})
    EXPECT_NE(packText.find(want), std::string::npos) << want << "\n" << packText;
  save(pack, "client_policy_pack.png");
}

}  // namespace
}  // namespace vel::test
