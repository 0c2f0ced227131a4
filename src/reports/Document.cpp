#include "reports/Document.h"

#include <algorithm>
#include <utility>

#include "common/Picture.h"

namespace vel::report {

namespace {

// Band geometry in millimetres. Body text is 8.5 point (3 mm high); a row
// leaves a little air above and below it.
constexpr double kRowMm = 4.6;
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

double columnsWidth(const Document& doc) {
  double w = 0;
  for (const Column& c : doc.columns) w += c.widthMm;
  return w;
}

// One line of cells across the columns at height y.
void placeCells(const Document& doc, const std::vector<std::string>& cells, double y,
                const Font& font, std::vector<Item>& out) {
  double x = doc.page.leftMm;
  for (std::size_t i = 0; i < doc.columns.size(); ++i) {
    const Column& c = doc.columns[i];
    if (i < cells.size() && !cells[i].empty())
      out.push_back(Item::textAt(x + kCellPadMm, y, c.widthMm - 2 * kCellPadMm, kRowMm, cells[i],
                                 c.align, font));
    x += c.widthMm;
  }
}

class Paginator {
 public:
  explicit Paginator(const Document& doc) : doc_(doc) {
    const PageSetup& p = doc.page;
    footerTop_ = p.heightMm - p.bottomMm - kFooterMm;
    bodyBottom_ = doc.footer.show ? footerTop_ - kGapMm : p.heightMm - p.bottomMm;
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
      case BandKind::GroupHeader: return kRowMm + 1.0;
      case BandKind::GroupTotal: return kRowMm + 1.0;
      case BandKind::ReportTotal: return kRowMm + 2.0;
      case BandKind::PageBreak: return 0;
      case BandKind::Detail: break;
    }
    return kRowMm;
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

  void placeHeader() {
    const PageSetup& p = doc_.page;
    const double w = p.printableWidth();
    if (!doc_.title.empty()) {
      items().push_back(Item::textAt(p.leftMm, y_, w, kTitleMm, doc_.title, Align::Centre,
                                     kTitleFont));
      y_ += kTitleMm;
    }
    for (const std::string& line : doc_.headerLines) {
      items().push_back(Item::textAt(p.leftMm, y_, w, kRowMm, line, Align::Centre, kHeaderFont));
      y_ += kRowMm;
    }
    if (!doc_.periodText.empty()) {
      items().push_back(
          Item::textAt(p.leftMm, y_, w, kRowMm, doc_.periodText, Align::Centre, kHeaderFont));
      y_ += kRowMm;
    }
    y_ += kGapMm;
    if (doc_.columns.empty()) return;
    std::vector<std::string> headings;
    for (const Column& c : doc_.columns) headings.push_back(c.heading);
    placeCells(doc_, headings, y_, kHeadingFont, items());
    y_ += kHeadingsMm;
    items().push_back(Item::lineAt(p.leftMm, y_ - 0.4, std::min(w, columnsWidth(doc_)), 0));
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
    const double cw = std::min(p.printableWidth(), columnsWidth(doc_));
    used_ = true;
    switch (b.kind) {
      case BandKind::Detail:
        placeCells(doc_, b.cells, y_, kBodyFont, items());
        break;
      case BandKind::GroupHeader:
        items().push_back(Item::textAt(p.leftMm + kCellPadMm, y_ + 1.0, p.printableWidth(), kRowMm,
                                       b.text, Align::Left, kBoldFont));
        break;
      case BandKind::GroupTotal:
        items().push_back(Item::lineAt(p.leftMm, y_ + 0.5, cw, 0));
        placeCells(doc_, b.cells, y_ + 1.0, kBoldFont, items());
        break;
      case BandKind::ReportTotal:
        items().push_back(Item::lineAt(p.leftMm, y_ + 0.5, cw, 0));
        placeCells(doc_, b.cells, y_ + 1.0, kBoldFont, items());
        items().push_back(Item::lineAt(p.leftMm, y_ + kRowMm + 1.5, cw, 0));
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
    y_ += height(b);
  }

  const Document& doc_;
  std::vector<Page> pages_;
  double y_ = 0;
  double footerTop_ = 0, bodyBottom_ = 0;
  bool used_ = false;  // the page holds a body band
};

}  // namespace

double charsMm(int n) { return n * 1.75 + 2 * kCellPadMm; }

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
