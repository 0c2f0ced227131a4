// No printed cell cuts off its value: every report of the catalog, filled
// with the longest values the files hold (addresses of 94 characters, full
// surnames, large amounts), is painted with the real fonts and every text
// must fit the box it was given, on paper (the PDF) and in the preview.
#include <QFontMetricsF>
#include <QImage>
#include <QPdfWriter>

#include <string>

#include "reports/MemberFixture.h"
#include "reports/ReportCatalog.h"
#include "reports/qt/PagePainter.h"
#include "support/PdfText.h"

namespace vel::test {
namespace {

constexpr const char* kRoute = "Soweto North Ext 2AB";  // all twenty characters

class ReportTextFits : public MemberFixture {
 protected:
  // The widest values the client record holds, on every report's driving file.
  void office() {
    config("Thembeka Burial Society of Greater Soweto", "12 Vilakazi Street",
           "Orlando East", "Soweto", "07");
    route(kRoute, "The streets north of the station, collected on Saturdays");
    person<rec::Agent>("AG1", "Nomvula", "Mahlangu-Mthembu");
    person<rec::Collect>("CL1", "Bongani", "Khumalo-Dlamini");
    for (int i = 1; i <= 3; ++i) {
      const std::string id = "000" + std::to_string(i) + "/MAH";
      member(id, "Mahlangu-Mthembu Wellingt", [&](rec::VelCli& c) {
        c.FIRSTNAME = "Nomathemba Precious";
        c.H_ADDR1 = "Unit 1204 Wellington Mansions,";  // 30 each: 94 with the joins
        c.H_ADDR2 = "Corner of Mooi and Jeppe Stree";
        c.H_ADDR3 = "Johannesburg Central Business";
        c.H_CODE = 699;
        c.STRNO = "1204-1206";
        c.PHONE_CELL = "+27 82 441 7730";
        c.PHONE_HOME = "+27 11 938 2210";
        c.PHONE_WORK = "+27 11 222 3333";
        c.ROUTE = kRoute;
        c.AGE_CODE = "AG1";
        c.COL_CODE = "CL1";
        c.AGE_COMM = 99999.99;
        c.PLANPREM = 99999.99;
        c.DATE = day(2026, 3, 2);
        c.DOM = "25";
        c.ID_NUMBER = "8001015009087";
      });
      add<rec::VelPay>([&](rec::VelPay& p) {
        p.CLIENT_ID = id;
        p.DATE = day(2026, 3, 3);
        p.CREDIT = 999999.99;
        p.DBLPAY = 1;
        p.UNIQUE = "p" + std::to_string(i);
      });
      add<rec::VelTra>([&](rec::VelTra& t) {
        t.CLIENT_ID = id;
        t.DATE = day(2026, 3, 3);
        t.TYPE = "Payment";
        t.CREDIT = 999999.99;
        t.AGE_COMM = 99999.99;
        t.UNIQUE = "t" + std::to_string(i);
      });
      add<rec::VelAge>([&](rec::VelAge& a) {
        a.CLIENT_ID = id;
        a.CURRENT = -999999.99;
        a.P90PLUS = 999999.99;
        a.TOTAL = 999999.99;
      });
      add<rec::AgeIss>([&](rec::AgeIss& r) {
        r.CODE = "AG1";
        r.NUMBER = static_cast<std::int16_t>(30000 + i);
        r.CLIENT_ID = id;
        r.AMOUNT = 999999.99;
        r.DATE_ISS = day(2026, 3, 3);
        r.DATE_REC = day(2026, 3, 28);
      });
      add<rec::Hamper>([&](rec::Hamper& h) {
        h.CLIENT_ID = id;
        h.SURNAME = "Mahlangu-Mthembu Wellingt";
        h.FIRSTNAME = "Nomathemba Precious";
        h.ACTIVE = "Active";
        h.ROUTE = kRoute;
        h.PREMIUM = 99999.99;
        h.H_ADDR1 = "Unit 1204 Wellington Mansions,";
        h.H_ADDR2 = "Corner of Mooi and Jeppe Stree";
        h.H_ADDR3 = "Johannesburg Central Business";
        h.PHONE_CELL = "+27 82 441 7730";
        h.PHONE_HOME = "+27 11 938 2210";
        h.STRNO = "1204-1206";
      });
    }
  }

  report::Document run(const std::string& name) {
    ReportContext ctx(files, ui, clock);
    ctx.periodStart = day(2026, 3, 1);
    ctx.periodEnd = day(2026, 3, 31);
    ctx.actionDate = day(2026, 9, 30);
    ctx.route = kRoute;
    ctx.agent = "AG1";
    ctx.collector = "CL1";
    std::optional<report::Document> doc = runReport(*findReport(name), ctx);
    EXPECT_TRUE(doc.has_value()) << name;
    return doc ? *doc : report::Document{};
  }

  // Every text of every page that is wider than its box on `device`.
  static std::vector<std::string> overflowing(const std::vector<report::Page>& pages,
                                              QPaintDevice& device) {
    std::vector<std::string> out;
    const double perMm = device.logicalDpiX() / 25.4;
    for (const report::Page& page : pages)
      for (const report::Item& it : page.items) {
        if (it.kind != report::Item::Kind::Text) continue;
        const QFontMetricsF m(qt::reportFont(it.font), &device);
        const double need = m.horizontalAdvance(QString::fromStdString(it.text));
        if (need > it.w * perMm + 0.5)
          out.push_back("\"" + it.text + "\" needs " + std::to_string(need / perMm) +
                        " mm, has " + std::to_string(it.w) + " mm");
      }
    return out;
  }
};

class EveryReportText : public ReportTextFits, public ::testing::WithParamInterface<std::string> {};

TEST_P(EveryReportText, FitsItsBoxOnPaperAndInThePreview) {
  office();
  const report::Document doc = run(GetParam());
  const std::vector<report::Page> pages = report::paginate(doc);
  ASSERT_FALSE(pages.empty());

  QPdfWriter pdf(QString::fromStdString(dir.file("probe.pdf")));
  pdf.setResolution(300);
  for (const std::string& o : overflowing(pages, pdf)) ADD_FAILURE() << GetParam() << " on paper: " << o;
  QImage screen(800, 1100, QImage::Format_RGB32);  // the preview: about 4 pixels to the mm
  screen.setDotsPerMeterX(3780);
  screen.setDotsPerMeterY(3780);
  for (const std::string& o : overflowing(pages, screen))
    ADD_FAILURE() << GetParam() << " in the preview: " << o;

  // The columns stay on the paper.
  double columns = 0;
  for (double w : report::columnWidths(doc)) columns += w;
  EXPECT_LE(columns, doc.page.printableWidth() + 0.01) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Catalog, EveryReportText,
                         ::testing::Values("management", "ageing", "premiums-paid", "not-paid",
                                           "not-paid-3", "new-route", "new-agent",
                                           "new-agent-totals", "active", "non-active",
                                           "collector", "name-address", "issued-receipts",
                                           "route", "hamper", "cards"),
                         [](const auto& param) {
                           std::string n = param.param;
                           for (char& c : n)
                             if (c == '-') c = '_';
                           return n;
                         });

// The headings and long values as pdftotext reads them back: whole, never
// "yment Amount" or "ommission", and the whole address.
TEST_F(ReportTextFits, HeadingsAndAddressesReadBackWhole) {
  office();
  struct Want {
    const char* report;
    std::vector<std::string> texts;
  };
  // Single words of the address: a wrapped address may break between any two.
  const Want wants[] = {
      {"not-paid-3", {"Payment Amount", "Mansions,", "Jeppe", "Johannesburg", "Business"}},
      {"new-route", {"Commission", "Entry Date", "Johannesburg", "Business", "0699"}},
      {"new-agent", {"Commission", "Entry Date"}},
      {"issued-receipts", {"Date Received", "Date Issued"}},
      {"hamper", {"Premium", "Johannesburg", "Business", "1204-1206"}},
      {"collector", {"Johannesburg", "Business", "+27 82 441 7730"}},
      {"name-address", {"Johannesburg", "Business", "0699"}},
      {"route", {"Johannesburg", "Business"}},
      {"premiums-paid", {"Policy Holder", "Double Payment"}},
  };
  for (const Want& w : wants) {
    const std::string path = dir.file(std::string(w.report) + ".pdf");
    ASSERT_TRUE(qt::renderPdf(run(w.report), path));
    const std::string text = pdfText(path);
    for (const std::string& t : w.texts)
      EXPECT_NE(std::string::npos, text.find(t)) << w.report << " lacks \"" << t << "\":\n" << text;
  }
}

}  // namespace
}  // namespace vel::test
