// The member lists and collection cards on paper: PDFs read back as text,
// and a card page saved as an image for review.
#include <QDir>
#include <cstdio>
#include <string>

#include "support/PdfText.h"
#include "reports/CollectionCards.h"
#include "reports/MemberFixture.h"
#include "reports/MemberReports.h"
#include "reports/qt/PagePainter.h"

namespace vel::test {
namespace {

bool has(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

class MemberReportsPdf : public MemberFixture {
 protected:
  void office() {
    config("Thembeka Burial Society", "12 Vilakazi Street", "Orlando East", "Soweto", "07");
    const char* names[][2] = {
        {"0001/MOK", "Mokoena"}, {"0002/NKO", "Nkosi"}, {"0003/DLA", "Dlamini"}};
    for (int i = 0; i < 3; ++i) {
      member(names[i][0], names[i][1], [&](rec::VelCli& c) {
        c.DATE = day(2026, 3, 2 + i);
        c.ID_NUMBER = "8001015009087";
        c.PHONE_HOME = "011 938 2210";
        c.PHONE_WORK = "011 222 3333";
        c.ROUTE = "Soweto North";
        c.COL_CODE = "C01";
        c.DOM = "25";
        c.PLANPREM = 145;
      });
    }
    person<rec::Collect>("C01", "Sipho", "Ndlovu");
  }
};

TEST_F(MemberReportsPdf, CollectionCardsReadBackWithTitleLabelsAndClients) {
  office();
  printCollectionCards(files, ui, clock, pickers, output);
  ASSERT_EQ(1u, output.docs.size());
  const report::Document& doc = output.docs[0];

  const std::string path = dir.file("cards.pdf");
  ASSERT_TRUE(qt::renderPdf(doc, path));
  const std::string text = pdfText(path);
  for (const char* want : {"Thembeka Burial Society",
                           "Name & Address",
                           "Telephone No",
                           "(H)",
                           "(W)",
                           "Cell",
                           "Ref No",
                           "Route",
                           "Start Date",
                           "Payment Date",
                           "ID Number",
                           "Premium",
                           "Month",
                           "Receipt No",
                           "0001/MOK",
                           "0003/DLA",
                           "Lerato Nkosi",
                           "R145.00",
                           "02/03/2026",
                           "Report Date/Time: 15/03/2026 10:30"})
    EXPECT_TRUE(has(text, want)) << want << "\n" << text;

  const std::vector<report::Page> pages = report::paginate(doc);
  ASSERT_EQ(1u, pages.size());
  QDir().mkpath(VEL_SCREENSHOT_DIR);
  EXPECT_TRUE(
      qt::pageImage(doc, pages[0], 4).save(QString(VEL_SCREENSHOT_DIR) + "/collection_cards.png"));
}

TEST_F(MemberReportsPdf, CollectorListReadsBackWithHeaderAndRow) {
  office();
  pickers.collector = "C01";
  printCollectorList(files, ui, clock, pickers, output);
  ASSERT_EQ(1u, output.docs.size());
  const std::string path = dir.file("collector.pdf");
  ASSERT_TRUE(qt::renderPdf(output.docs[0], path));
  const std::string text = pdfText(path);
  EXPECT_TRUE(has(text, "COLLECTOR LIST")) << text;
  EXPECT_TRUE(has(text, "Collector: C01 - Sipho Ndlovu")) << text;
  EXPECT_TRUE(has(text, "0002/NKO")) << text;
  EXPECT_TRUE(has(text, "12 Vilakazi Street, Orlando East, Soweto")) << text;
  EXPECT_TRUE(has(text, "Str No")) << text;
}

}  // namespace
}  // namespace vel::test
