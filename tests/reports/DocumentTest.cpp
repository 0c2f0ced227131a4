// Laying report bands out into pages: header and footer on every page, rows
// flowing over page breaks without loss, group headers kept with their rows.
#include "reports/Document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/Dates.h"
#include "platform/Ui.h"
#include "reports/ReportFrame.h"

namespace vel::report {
namespace {

Document listDocument() {
  Document doc;
  doc.title = "ACTIVE CLIENT LIST";
  doc.headerLines = {"Thembeka Burial Society, Soweto"};
  doc.periodText = "Period: 01/03/2026 to 15/03/2026";
  doc.columns = {{"Ref No", charsMm(10)}, {"Surname", charsMm(25)},
                 {"Premium", charsMm(10), Align::Right}};
  doc.footer = {true, dateFromYmd(2026, 3, 15), timeFromHms(9, 5, 0), "07", "[1.02]"};
  return doc;
}

bool has(const std::vector<std::string>& texts, const std::string& t) {
  return std::find(texts.begin(), texts.end(), t) != texts.end();
}

// The detail texts of a page: everything between the headings and the footer.
std::vector<std::string> refsOn(const Page& p) {
  std::vector<std::string> out;
  for (const std::string& t : pageTexts(p))
    if (t.size() == 8 && t[4] == '/') out.push_back(t);
  return out;
}

TEST(ReportPages, EmptyReportStillPrintsHeaderAndFooterOnOnePage) {
  Document doc = listDocument();
  std::vector<Page> pages = paginate(doc);
  ASSERT_EQ(1u, pages.size());
  std::vector<std::string> texts = pageTexts(pages[0]);
  EXPECT_TRUE(has(texts, "ACTIVE CLIENT LIST"));
  EXPECT_TRUE(has(texts, "Period: 01/03/2026 to 15/03/2026"));
  EXPECT_TRUE(has(texts, "Surname"));
  EXPECT_TRUE(has(texts, "Report Date/Time: 15/03/2026 09:05"));
  EXPECT_TRUE(has(texts, "07  [1.02]"));
  EXPECT_TRUE(has(texts, "Page: 1"));
}

TEST(ReportPages, RowsFlowOverPagesInOrderWithHeaderAndFooterOnEach) {
  Document doc = listDocument();
  std::vector<std::string> refs;
  for (int i = 1; i <= 150; ++i) {
    char ref[16];
    std::snprintf(ref, sizeof ref, "%04d/ABC", i);
    refs.push_back(ref);
    doc.addRow({ref, "Surname", "85.00"});
  }
  std::vector<Page> pages = paginate(doc);
  ASSERT_GE(pages.size(), 3u);

  std::vector<std::string> printed;
  for (const Page& p : pages) {
    std::vector<std::string> texts = pageTexts(p);
    EXPECT_TRUE(has(texts, "ACTIVE CLIENT LIST")) << "page " << p.number;
    EXPECT_TRUE(has(texts, "Ref No")) << "page " << p.number;
    EXPECT_TRUE(has(texts, "Page: " + std::to_string(p.number)));
    for (const std::string& r : refsOn(p)) printed.push_back(r);
    // Nothing strays into the footer or off the paper.
    for (const Item& it : p.items) {
      EXPECT_LE(it.y + it.h, doc.page.heightMm - doc.page.bottomMm + 0.01) << it.text;
      if (it.kind == Item::Kind::Text && it.text.rfind("Report Date", 0) != 0 &&
          it.text.rfind("Page:", 0) != 0 && it.text != "07  [1.02]") {
        EXPECT_LT(it.y + it.h, doc.page.heightMm - doc.page.bottomMm - 4.6) << it.text;
      }
    }
  }
  EXPECT_EQ(refs, printed);
}

// A value wider than its column wraps: every word is printed once, in
// order, no line is wider than the column, and the next row starts below
// the wrapped one. A heading wider than its column widens the column.
TEST(ReportPages, LongValuesWrapWithinTheirColumnAndPushTheNextRowDown) {
  Document doc = listDocument();
  doc.columns = {{"Ref No", charsMm(10)},
                 {"Address", charsMm(20)},
                 {"Payment Amount", charsMm(6), Align::Right}};
  const std::string address =
      "Unit 1204 Wellington Mansions, Corner of Mooi and Jeppe Stree, Johannesburg Central Busines";
  doc.addRow({"0001/ABC", address, "145.00"});
  doc.addRow({"0002/ABC", "4 Mooi Street", "99.00"});
  doc.addRow({"0003/ABC", "Averyveryveryverylongsinglewordwithnoblanksatallinit", ""});
  const std::vector<Page> pages = paginate(doc);
  ASSERT_EQ(1u, pages.size());

  const std::vector<double> widths = columnWidths(doc);
  EXPECT_GE(widths[2], textMm("Payment Amount", Font{8.5, true}));
  std::string joined;
  double lastLineY = 0, secondRowY = 0;
  int lines = 0;
  for (const Item& it : pages[0].items) {
    if (it.kind != Item::Kind::Text) continue;
    EXPECT_LE(textMm(it.text, it.font), it.w + 1e-9) << it.text;
    if (it.text == "0002/ABC") secondRowY = it.y;
    if (address.find(it.text) != std::string::npos && it.text.size() > 3 && it.x > 30 && it.x < 70) {
      joined += (joined.empty() ? "" : " ") + it.text;
      lastLineY = std::max(lastLineY, it.y);
      ++lines;
    }
  }
  EXPECT_EQ(address, joined);
  EXPECT_GT(lines, 2);
  EXPECT_GT(secondRowY, lastLineY + 3.0);  // below the last address line, not over it

  // A word too long for the column is cut where it must be, and all of it printed.
  const std::vector<std::string> cut =
      wrapText("Averyveryveryverylongsinglewordwithnoblanksatallinit", 30, Font{});
  EXPECT_GT(cut.size(), 1u);
  std::string whole;
  for (const std::string& piece : cut) {
    EXPECT_LE(textMm(piece, Font{}), 30.0);
    whole += piece;
  }
  EXPECT_EQ("Averyveryveryverylongsinglewordwithnoblanksatallinit", whole);
}

TEST(ReportPages, GroupHeaderIsKeptWithItsFirstRow) {
  Document doc = listDocument();
  // Fill the first page up to exactly one free row, then a group.
  std::vector<Page> probe;
  int fit = 0;
  do {
    doc.addRow({"0000/AAA", "", ""});
    ++fit;
    probe = paginate(doc);
  } while (probe.size() == 1);
  // `fit` rows overflow; fit - 2 leave room for one row, not two.
  Document grouped = listDocument();
  for (int i = 0; i < fit - 2; ++i) grouped.addRow({"0000/AAA", "", ""});
  grouped.addGroupHeader("Route: Soweto North");
  grouped.addRow({"0001/GRP", "", ""});
  std::vector<Page> pages = paginate(grouped);
  ASSERT_EQ(2u, pages.size());
  EXPECT_FALSE(has(pageTexts(pages[0]), "Route: Soweto North"));
  EXPECT_TRUE(has(pageTexts(pages[1]), "Route: Soweto North"));
  EXPECT_TRUE(has(pageTexts(pages[1]), "0001/GRP"));
}

TEST(ReportPages, PageBreakAndFreeBandsPlaceTheirItemsOnTheNextPage) {
  Document doc;
  doc.showPageHeader = false;
  doc.footer.show = false;
  doc.addFreeBand(30, {Item::textAt(5, 2, 80, 5, "Receipt 1"), Item::boxAt(0, 0, 100, 30)});
  doc.addPageBreak();
  doc.addPageBreak();  // a second break makes no empty page
  doc.addFreeBand(30, {Item::textAt(5, 2, 80, 5, "Receipt 2")});
  std::vector<Page> pages = paginate(doc);
  ASSERT_EQ(2u, pages.size());
  EXPECT_EQ((std::vector<std::string>{"Receipt 1"}), pageTexts(pages[0]));
  EXPECT_EQ((std::vector<std::string>{"Receipt 2"}), pageTexts(pages[1]));
  // Band items are placed relative to the band: left margin, top margin.
  EXPECT_DOUBLE_EQ(doc.page.leftMm + 5, pages[1].items[0].x);
  EXPECT_DOUBLE_EQ(doc.page.topMm + 2, pages[1].items[0].y);
}

TEST(ReportFrame, AgentWindowInsistsOnAnAgentButCollectorWindowCloses) {
  struct Boxes : SilentUi {
    unsigned message(std::string_view text, std::string_view title, Icon, unsigned,
                     unsigned def) override {
      shown.push_back(std::string(title) + ": " + std::string(text));
      return def;
    }
    std::vector<std::string> shown;
  } ui;
  AgentSelectForm agent(ui, AgentSelectForm::Kind::Agent);
  EXPECT_EQ("Agent", std::string(agent.title()));
  EXPECT_EQ(AgentSelectForm::Step::Stay, agent.processPressed());
  EXPECT_EQ((std::vector<std::string>{"Agent Error: Please select an agent"}), ui.shown);
  agent.setCode("AG3");
  EXPECT_EQ(AgentSelectForm::Step::Close, agent.processPressed());
  EXPECT_EQ(std::optional<std::string>("AG3"), agent.result());

  AgentSelectForm collector(ui, AgentSelectForm::Kind::Collector);
  EXPECT_EQ(AgentSelectForm::Step::Close, collector.processPressed());
  EXPECT_EQ(std::nullopt, collector.result());
  EXPECT_EQ(1u, ui.shown.size());
}

}  // namespace
}  // namespace vel::report
