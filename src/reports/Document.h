// A printed document made of bands, and its layout into pages.
//
// Every report, and later receipts, statements and policy documents, fills a
// Document: a page header (title, business lines, period), column headings,
// then body bands in order — detail rows, group headers, group totals, the
// report totals and free bands of positioned text and boxes — and a page
// footer. paginate() lays the bands out into pages of positioned items in
// millimetres; the windows only paint those items, so the page breaks and
// page count are the same on screen, on paper and in a PDF, and tests can
// check them without a window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vel::report {

enum class Align : std::uint8_t { Left, Centre, Right };

struct Font {
  double points = 8.5;
  bool bold = false;
};

// Width of a column that holds `n` characters of body text, in millimetres.
double charsMm(int n);

// Width in millimetres of `text` (UTF-8) printed in `font`: the reports'
// typeface, DejaVu Sans, laid out glyph by glyph without kerning or
// ligatures, as the painter draws it.
double textMm(std::string_view text, const Font& font);

// `text` broken into lines that each fit `widthMm` in `font`: at blanks
// where it can, inside a word only when the word alone is too wide. An
// empty text is one empty line.
std::vector<std::string> wrapText(std::string_view text, double widthMm, const Font& font);

// A column of a list: its heading, width and alignment (the heading follows
// the column's alignment). A column is never narrower than its heading, and
// a value wider than its column wraps onto more lines of the row: no cell
// cuts its text off.
struct Column {
  std::string heading;
  double widthMm = 20;
  Align align = Align::Left;
};

// A piece of a page: text in a box, a ruled line or an outlined box.
// Positions are in millimetres; in a free band they count from the band's
// top-left corner, on a page from the paper's top-left corner. A Line runs
// from (x, y) to (x + w, y + h).
struct Item {
  enum class Kind : std::uint8_t { Text, Line, Box };
  Kind kind = Kind::Text;
  double x = 0, y = 0, w = 0, h = 0;
  std::string text;
  Align align = Align::Left;
  Font font;

  static Item textAt(double x, double y, double w, double h, std::string text,
                     Align align = Align::Left, Font font = {});
  static Item lineAt(double x, double y, double w, double h);
  static Item boxAt(double x, double y, double w, double h);
};

enum class BandKind : std::uint8_t {
  Detail,       // one cell per column
  GroupHeader,  // one text across the page, bold
  GroupTotal,   // one cell per column, bold, ruled above
  ReportTotal,  // one cell per column, bold, ruled above and below
  Free,         // positioned items in a band of its own height
  PageBreak,    // the next band starts a new page
};

struct Band {
  BandKind kind = BandKind::Detail;
  std::vector<std::string> cells;  // Detail, GroupTotal, ReportTotal
  std::string text;                // GroupHeader
  double heightMm = 0;             // Free
  std::vector<Item> items;         // Free
};

struct PageSetup {
  double widthMm = 210, heightMm = 297;  // A4 portrait
  double leftMm = 12, rightMm = 12, topMm = 10, bottomMm = 10;
  bool landscape() const { return widthMm > heightMm; }
  double printableWidth() const { return widthMm - leftMm - rightMm; }
};

// What the footer of every page prints besides the page number.
struct Footer {
  bool show = true;
  std::int32_t date = 0;  // report date (day number), taken when the report starts
  std::int32_t time = 0;  // report time (hundredths since midnight)
  std::string branch;     // Config.BRANCH_ID
  std::string version;    // "[1.02]"
};

struct Document {
  std::string title;
  std::vector<std::string> headerLines;  // business name and address lines
  std::string periodText;
  std::vector<Column> columns;
  PageSetup page;
  Footer footer;
  // Prints the title block and column headings on every page (not only on
  // the first); a letter or receipt may turn the page header off entirely.
  bool showPageHeader = true;

  void addRow(std::vector<std::string> cells);
  void addGroupHeader(std::string text);
  void addGroupTotal(std::vector<std::string> cells);
  void addReportTotal(std::vector<std::string> cells);
  void addFreeBand(double heightMm, std::vector<Item> items);
  void addPageBreak();

  const std::vector<Band>& bands() const { return bands_; }
  // The cells of every band of one kind, in order.
  std::vector<std::vector<std::string>> rows(BandKind kind = BandKind::Detail) const;

  // The three parts of the footer line of page `page`: the report date and
  // time, the branch and version, and the page number.
  struct FooterLine {
    std::string left, centre, right;
  };
  FooterLine footerLine(int pageNumber) const;

 private:
  std::vector<Band> bands_;
};

struct Page {
  int number = 1;
  std::vector<Item> items;  // in paper millimetres
};

// Lays the document out into pages. The header and footer repeat on every
// page; a band never splits across pages; a group header is kept with the
// band after it. A document without body bands still gives one page.
std::vector<Page> paginate(const Document& doc);

// The widths the columns are laid out with: each the declared width or the
// width its heading needs, whichever is more.
std::vector<double> columnWidths(const Document& doc);

// The texts of one page in painting order, for tests and text output.
std::vector<std::string> pageTexts(const Page& page);

}  // namespace vel::report
