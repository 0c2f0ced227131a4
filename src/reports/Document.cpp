#include "reports/Document.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "common/Picture.h"

namespace vel::report {

namespace {

// Band geometry in millimetres. Body text is 8.5 point (3 mm high); a row
// leaves a little air above and below it, and each further line of a
// wrapped cell adds kLineMm.
constexpr double kRowMm = 4.6;
constexpr double kLineMm = 3.6;
constexpr double kTitleMm = 7.5;
constexpr double kHeadingsMm = 5.0;
constexpr double kGapMm = 1.5;
constexpr double kCellPadMm = 0.8;
constexpr double kFooterMm = 4.6;

const Font kTitleFont{14, true};
const Font kHeaderFont{9, false};
const Font kHeadingFont{8.5, true};
const Font kBodyFont{8.5, false};
const Font kBoldFont{8.5, true};
const Font kFooterFont{7.5, false};

// Advance widths of DejaVu Sans and DejaVu Sans Bold for the characters
// ' ' to '~', in font units (2048 to the em).
constexpr std::uint16_t kRegular[95] = {
    651,  821,  942,  1716, 1303, 1946, 1597, 563,  799,  799,  1024, 1716, 651,  739,  651,  690,
    1303, 1303, 1303, 1303, 1303, 1303, 1303, 1303, 1303, 1303, 690,  690,  1716, 1716, 1716, 1087,
    2048, 1401, 1405, 1430, 1577, 1294, 1178, 1587, 1540, 604,  604,  1343, 1141, 1767, 1532, 1612,
    1235, 1612, 1423, 1300, 1251, 1499, 1401, 2025, 1403, 1251, 1403, 799,  690,  799,  1716, 1024,
    1024, 1255, 1300, 1126, 1300, 1260, 721,  1300, 1298, 569,  569,  1186, 569,  1995, 1298, 1253,
    1300, 1300, 842,  1067, 803,  1298, 1212, 1675, 1212, 1212, 1075, 1303, 690,  1303, 1716};
constexpr std::uint16_t kBold[95] = {
    713,  934,  1067, 1716, 1425, 2052, 1786, 627,  936,  936,  1071, 1716, 778,  850,  778,  748,
    1425, 1425, 1425, 1425, 1425, 1425, 1425, 1425, 1425, 1425, 819,  819,  1716, 1716, 1716, 1188,
    2048, 1585, 1561, 1503, 1700, 1399, 1399, 1681, 1714, 762,  762,  1587, 1305, 2038, 1714, 1741,
    1501, 1741, 1577, 1475, 1397, 1663, 1585, 2259, 1579, 1483, 1485, 936,  748,  936,  1716, 1024,
    1024, 1382, 1466, 1214, 1466, 1389, 891,  1466, 1458, 702,  702,  1362, 702,  2134, 1458, 1407,
    1466, 1466, 1010, 1219, 979,  1458, 1335, 1892, 1321, 1335, 1192, 1458, 748,  1458, 1716};
// A character outside that range is taken as wide as a capital M.
constexpr std::uint16_t kOtherRegular = 1767, kOtherBold = 2038;
// Room kept for the painter's rounding on a coarse device (the preview on
// screen): text is measured this much wider than its design width.
constexpr double kMeasureSlack = 1.03;

std::size_t utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead >> 5) == 0x6) return 2;
  if ((lead >> 4) == 0xE) return 3;
  if ((lead >> 3) == 0x1E) return 4;
  return 1;
}

// The characters of `text` as UTF-8 pieces, so that wrapping never splits
// one.
std::vector<std::string_view> characters(std::string_view text) {
  std::vector<std::string_view> out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = std::min(utf8Length(static_cast<unsigned char>(text[i])), text.size() - i);
    out.push_back(text.substr(i, n));
    i += n;
  }
  return out;
}

// One line of cells across the columns at height y, each cell wrapped to
// its column.
void placeCells(const Document& doc, const std::vector<double>& widths,
                const std::vector<std::string>& cells, double y, const Font& font,
                std::vector<Item>& out) {
  double x = doc.page.leftMm;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    const double inner = widths[i] - 2 * kCellPadMm;
    if (i < cells.size() && !cells[i].empty()) {
      double ly = y;
      for (std::string& line : wrapText(cells[i], inner, font)) {
        out.push_back(Item::textAt(x + kCellPadMm, ly, inner, kRowMm, std::move(line),
                                   doc.columns[i].align, font));
        ly += kLineMm;
      }
    }
    x += widths[i];
  }
}

// How many lines the tallest cell of a row takes.
int rowLines(const std::vector<double>& widths, const std::vector<std::string>& cells,
             const Font& font) {
  int lines = 1;
  for (std::size_t i = 0; i < widths.size() && i < cells.size(); ++i)
    if (!cells[i].empty())
      lines = std::max(lines, static_cast<int>(
                                  wrapText(cells[i], widths[i] - 2 * kCellPadMm, font).size()));
  return lines;
}

double extraLinesMm(int lines) { return (lines - 1) * kLineMm; }

class Paginator {
 public:
  explicit Paginator(const Document& doc) : doc_(doc), widths_(columnWidths(doc)) {
    const PageSetup& p = doc.page;
    footerTop_ = p.heightMm - p.bottomMm - kFooterMm;
    bodyBottom_ = doc.footer.show ? footerTop_ - kGapMm : p.heightMm - p.bottomMm;
    for (double w : widths_) columnsWidth_ += w;
  }

  std::vector<Page> run() {
    const auto& bands = doc_.bands();
    startPage();
    for (std::size_t i = 0; i < bands.size(); ++i) {
      const Band& b = bands[i];
      if (b.kind == BandKind::PageBreak) {
        if (used_) newPage();
        continue;
      }
      double need = height(b);
      // A group header without room for the band after it goes over too.
      if (b.kind == BandKind::GroupHeader && i + 1 < bands.size() &&
          bands[i + 1].kind != BandKind::PageBreak)
        need += height(bands[i + 1]);
      if (used_ && y_ + need > bodyBottom_) newPage();
      place(b);
    }
    finishPage();
    return std::move(pages_);
  }

 private:
  double height(const Band& b) const {
    switch (b.kind) {
      case BandKind::Free: return b.heightMm;
      case BandKind::GroupHeader:
        return kRowMm + 1.0 +
               extraLinesMm(static_cast<int>(
                   wrapText(b.text, doc_.page.printableWidth() - kCellPadMm, kBoldFont).size()));
      case BandKind::GroupTotal: return kRowMm + 1.0 + extraLinesMm(rowLines(widths_, b.cells, kBoldFont));
      case BandKind::ReportTotal: return kRowMm + 2.0 + extraLinesMm(rowLines(widths_, b.cells, kBoldFont));
      case BandKind::PageBreak: return 0;
      case BandKind::Detail: break;
    }
    return kRowMm + extraLinesMm(rowLines(widths_, b.cells, kBodyFont));
  }

  void startPage() {
    pages_.push_back(Page{static_cast<int>(pages_.size()) + 1, {}});
    used_ = false;
    y_ = doc_.page.topMm;
    if (doc_.showPageHeader) placeHeader();
  }
  void newPage() {
    finishPage();
    startPage();
  }
  void finishPage() {
    if (doc_.footer.show) placeFooter();
  }
  std::vector<Item>& items() { return pages_.back().items; }

  // A header line centred across the page, wrapped when it is wider.
  void placeCentred(const std::string& text, double lineMm, const Font& font) {
    const PageSetup& p = doc_.page;
    for (std::string& line : wrapText(text, p.printableWidth(), font)) {
      items().push_back(Item::textAt(p.leftMm, y_, p.printableWidth(), lineMm, std::move(line),
                                     Align::Centre, font));
      y_ += lineMm;
    }
  }

  void placeHeader() {
    const PageSetup& p = doc_.page;
    const double w = p.printableWidth();
    if (!doc_.title.empty()) placeCentred(doc_.title, kTitleMm, kTitleFont);
    for (const std::string& line : doc_.headerLines) placeCentred(line, kRowMm, kHeaderFont);
    if (!doc_.periodText.empty()) placeCentred(doc_.periodText, kRowMm, kHeaderFont);
    y_ += kGapMm;
    if (doc_.columns.empty()) return;
    std::vector<std::string> headings;
    for (const Column& c : doc_.columns) headings.push_back(c.heading);
    placeCells(doc_, widths_, headings, y_, kHeadingFont, items());
    y_ += kHeadingsMm + extraLinesMm(rowLines(widths_, headings, kHeadingFont));
    items().push_back(Item::lineAt(p.leftMm, y_ - 0.4, std::min(w, columnsWidth_), 0));
    y_ += kGapMm - 0.5;
  }

  void placeFooter() {
    const PageSetup& p = doc_.page;
    const double w = p.printableWidth();
    const Document::FooterLine f = doc_.footerLine(pages_.back().number);
    items().push_back(Item::lineAt(p.leftMm, footerTop_ - 0.3, w, 0));
    items().push_back(Item::textAt(p.leftMm, footerTop_, w / 3, kFooterMm, f.left, Align::Left,
                                   kFooterFont));
    items().push_back(Item::textAt(p.leftMm + w / 3, footerTop_, w / 3, kFooterMm, f.centre,
                                   Align::Centre, kFooterFont));
    items().push_back(Item::textAt(p.leftMm + 2 * w / 3, footerTop_, w / 3, kFooterMm, f.right,
                                   Align::Right, kFooterFont));
  }

  void place(const Band& b) {
    const PageSetup& p = doc_.page;
    const double cw = std::min(p.printableWidth(), columnsWidth_);
    const double h = height(b);
    used_ = true;
    switch (b.kind) {
      case BandKind::Detail:
        placeCells(doc_, widths_, b.cells, y_, kBodyFont, items());
        break;
      case BandKind::GroupHeader: {
        double ly = y_ + 1.0;
        for (std::string& line : wrapText(b.text, p.printableWidth() - kCellPadMm, kBoldFont)) {
          items().push_back(Item::textAt(p.leftMm + kCellPadMm, ly, p.printableWidth() - kCellPadMm,
                                         kRowMm, std::move(line), Align::Left, kBoldFont));
          ly += kLineMm;
        }
        break;
      }
      case BandKind::GroupTotal:
        items().push_back(Item::lineAt(p.leftMm, y_ + 0.5, cw, 0));
        placeCells(doc_, widths_, b.cells, y_ + 1.0, kBoldFont, items());
        break;
      case BandKind::ReportTotal:
        items().push_back(Item::lineAt(p.leftMm, y_ + 0.5, cw, 0));
        placeCells(doc_, widths_, b.cells, y_ + 1.0, kBoldFont, items());
        items().push_back(Item::lineAt(p.leftMm, y_ + h - 0.5, cw, 0));
        break;
      case BandKind::Free:
        for (Item it : b.items) {
          it.x += p.leftMm;
          it.y += y_;
          items().push_back(std::move(it));
        }
        break;
      case BandKind::PageBreak:
        break;
    }
    y_ += h;
  }

  const Document& doc_;
  std::vector<double> widths_;
  double columnsWidth_ = 0;
  std::vector<Page> pages_;
  double y_ = 0;
  double footerTop_ = 0, bodyBottom_ = 0;
  bool used_ = false;  // the page holds a body band
};

}  // namespace

double textMm(std::string_view text, const Font& font) {
  const std::uint16_t* table = font.bold ? kBold : kRegular;
  const std::uint16_t other = font.bold ? kOtherBold : kOtherRegular;
  double units = 0;
  for (std::string_view ch : characters(text)) {
    const auto c = static_cast<unsigned char>(ch[0]);
    units += (ch.size() == 1 && c >= 32 && c < 127) ? table[c - 32] : other;
  }
  return units / 2048.0 * font.points * 25.4 / 72.0 * kMeasureSlack;
}

std::vector<std::string> wrapText(std::string_view text, double widthMm, const Font& font) {
  std::vector<std::string> lines;
  std::string line;
  auto fits = [&](std::string_view s) { return textMm(s, font) <= widthMm; };
  auto flush = [&] {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(std::move(line));
    line.clear();
  };
  std::size_t i = 0;
  while (i < text.size()) {
    // The next word with the blanks before it.
    std::size_t j = i;
    while (j < text.size() && text[j] == ' ') ++j;
    while (j < text.size() && text[j] != ' ') ++j;
    std::string_view piece = text.substr(i, j - i);
    i = j;
    if (fits(line + std::string(piece))) {
      line += piece;
      continue;
    }
    if (!line.empty()) flush();
    const std::size_t start = piece.find_first_not_of(' ');
    std::string_view word = start == std::string_view::npos ? std::string_view() : piece.substr(start);
    // A word wider than the whole width is cut where it has to be.
    for (std::string_view ch : characters(word)) {
      if (!line.empty() && !fits(line + std::string(ch))) flush();
      line += ch;
    }
  }
  if (!line.empty() || lines.empty()) flush();
  return lines;
}

std::vector<double> columnWidths(const Document& doc) {
  std::vector<double> widths;
  for (const Column& c : doc.columns)
    widths.push_back(std::max(c.widthMm, textMm(c.heading, kHeadingFont) + 2 * kCellPadMm));
  return widths;
}

// As wide as `n` digits, the widest characters of codes, dates and amounts.
double charsMm(int n) { return n * textMm("0", kBodyFont) + 2 * kCellPadMm; }

Item Item::textAt(double x, double y, double w, double h, std::string text, Align align,
                  Font font) {
  Item it;
  it.kind = Kind::Text;
  it.x = x;
  it.y = y;
  it.w = w;
  it.h = h;
  it.text = std::move(text);
  it.align = align;
  it.font = font;
  return it;
}

Item Item::lineAt(double x, double y, double w, double h) {
  Item it;
  it.kind = Kind::Line;
  it.x = x;
  it.y = y;
  it.w = w;
  it.h = h;
  return it;
}

Item Item::boxAt(double x, double y, double w, double h) {
  Item it = lineAt(x, y, w, h);
  it.kind = Kind::Box;
  return it;
}

void Document::addRow(std::vector<std::string> cells) {
  bands_.push_back(Band{BandKind::Detail, std::move(cells), {}, 0, {}});
}
void Document::addGroupHeader(std::string text) {
  bands_.push_back(Band{BandKind::GroupHeader, {}, std::move(text), 0, {}});
}
void Document::addGroupTotal(std::vector<std::string> cells) {
  bands_.push_back(Band{BandKind::GroupTotal, std::move(cells), {}, 0, {}});
}
void Document::addReportTotal(std::vector<std::string> cells) {
  bands_.push_back(Band{BandKind::ReportTotal, std::move(cells), {}, 0, {}});
}
void Document::addFreeBand(double heightMm, std::vector<Item> items) {
  bands_.push_back(Band{BandKind::Free, {}, {}, heightMm, std::move(items)});
}
void Document::addPageBreak() { bands_.push_back(Band{BandKind::PageBreak, {}, {}, 0, {}}); }

std::vector<std::vector<std::string>> Document::rows(BandKind kind) const {
  std::vector<std::vector<std::string>> out;
  for (const Band& b : bands_)
    if (b.kind == kind) out.push_back(b.cells);
  return out;
}

Document::FooterLine Document::footerLine(int pageNumber) const {
  FooterLine f;
  f.left = "Report Date/Time: " + formatPicture("d06", footer.date) + " " +
           formatPicture("t01", footer.time);
  f.centre = footer.branch;
  if (!footer.branch.empty() && !footer.version.empty()) f.centre += "  ";
  f.centre += footer.version;
  f.right = "Page: " + std::to_string(pageNumber);
  return f;
}

std::vector<Page> paginate(const Document& doc) { return Paginator(doc).run(); }

std::vector<std::string> pageTexts(const Page& page) {
  std::vector<std::string> out;
  for (const Item& it : page.items)
    if (it.kind == Item::Kind::Text) out.push_back(it.text);
  return out;
}

}  // namespace vel::report
