#include "reports/CollectionCards.h"

#include <array>
#include <string>
#include <type_traits>
#include <utility>

#include "common/Picture.h"
#include "dictionary/Dictionary.h"
#include "shell/ShellUi.h"

namespace vel {

namespace {

using report::Align;
using report::Font;
using report::Item;

// The fields of one half of a work record, named without their side digit:
// the left half's fields end in "1", the right half's in "2".
enum HalfField {
  kId,
  kSurname,
  kFirstName,
  kIdNo,
  kAdd1,
  kAdd2,
  kAdd3,
  kPostal,
  kTelHome,
  kTelWork,
  kTelCell,
  kStart,
  kRoute,
  kPayDate,
  kPremium,
  kRemarks,
  kHalfFields
};
constexpr std::array<const char*, kHalfFields> kHalfNames = {
    "CLIENT_ID", "SURNAME", "FIRSTNAME", "IDNO",       "ADD1_", "ADD2_",    "ADD3_",   "PCODE",
    "TEL_H",     "TEL_W",   "TEL_C",     "START_DATE", "ROUTE", "PAY_DATE", "PREMIUM", "REMARKS"};

// One half of the work record in the file's buffer, reached by field name.
class Half {
 public:
  Half(FileManager& work, char side) : work_(work) {
    for (std::size_t i = 0; i < kHalfNames.size(); ++i)
      index_[i] = work.layout().fieldIndex(std::string(kHalfNames[i]) + side);
  }

  FieldRef field(HalfField f) const { return work_.field(index_[static_cast<std::size_t>(f)]); }

  // Text cut to the stored width, so that a value too long never makes the
  // add fail: the right half's remarks keep their first 4272 characters.
  void setText(HalfField f, std::string_view value) const {
    FieldRef r = field(f);
    const auto width = static_cast<std::size_t>(r.desc().width);
    r.text().assign(value.substr(0, std::min(value.size(), width)));
  }
  std::string text(HalfField f) const { return std::string(rtrim(field(f).text())); }

  // A policy holder's card (VelCli) or a hamper member's (Hamper, who has no
  // debit-order day and pays his monthly contribution, PREMIUM).
  template <class Member>
  void fill(const Member& c) const {
    setText(kId, c.CLIENT_ID.str());
    setText(kSurname, c.SURNAME.str());
    setText(kFirstName, c.FIRSTNAME.str());
    setText(kIdNo, c.ID_NUMBER.str());
    setText(kAdd1, c.H_ADDR1.str());
    setText(kAdd2, c.H_ADDR2.str());
    setText(kAdd3, c.H_ADDR3.str());
    // Four digits with leading zeros ("0699"), as the lists print them.
    setText(kPostal, c.H_CODE == 0 ? std::string() : Picture::parse("n04").formatWhole(c.H_CODE));
    setText(kTelHome, c.PHONE_HOME.str());
    setText(kTelWork, c.PHONE_WORK.str());
    setText(kTelCell, c.PHONE_CELL.str());
    field(kStart).whole() = c.DATE;
    setText(kRoute, c.ROUTE.str());
    if constexpr (std::is_same_v<Member, rec::VelCli>) {
      setText(kPayDate, c.DOM.str());
      field(kPremium).real() = c.PLANPREM;
    } else {
      field(kPremium).real() = c.PREMIUM;
    }
    setText(kRemarks, c.REMARKS.str());
  }

  // A right half left empty by an odd last client.
  bool empty() const {
    return text(kId).empty() && text(kSurname).empty() && text(kFirstName).empty() &&
           field(kStart).whole() == 0;
  }

 private:
  FileManager& work_;
  std::array<int, kHalfFields> index_{};
};

std::string trimmedLeft(std::string s) {
  std::size_t i = s.find_first_not_of(' ');
  return i == std::string::npos ? std::string() : s.substr(i);
}

// Starts the work file afresh: deleted, created empty. Should the file not
// go (another station still has it), whatever it holds is deleted instead,
// so that old cards never print with new ones. Every failure has been shown
// when this returns false.
bool startWorkFile(ReportContext& ctx) {
  DataFiles& files = ctx.files;
  FileManager& work = files.fm<rec::CliRout>();
  Engine& engine = *files.context().engine;
  engine.remove(work.path());  // a missing file is what we want
  engine.create(work.layout(), work.path(), files.context().owner);
  FileUse use(work);
  if (work.EnsureOpen() != kDone) {
    ctx.failed = true;
    return false;
  }
  while (work.Records() > 0) {
    work.ClearBuffer();
    if (!startWalk(ctx, work, kPhysicalOrder) || !readNext(ctx, work)) {
      ctx.failed = true;  // a count that finds records a read does not is a damaged file
      return false;
    }
    if (work.Delete(false) != kDone) {
      ctx.failed = true;
      return false;
    }
  }
  return !ctx.failed;
}

// The configured business name, the scheme title line of every card.
std::string schemeTitle(ReportContext& ctx) {
  FileManager& f = ctx.files.fm<rec::Config>();
  FileUse use(f);
  f.ClearBuffer();
  if (!startWalk(ctx, f, kPhysicalOrder) || !readNext(ctx, f)) return {};
  return f.rec<rec::Config>().NAME.text();
}

// Card geometry in millimetres: two cards side by side fill the printable
// width of an A4 page, two bands fill its height.
constexpr double kCardW = 91, kCardH = 130, kCardGap = 4, kBandH = kCardH + 4;
constexpr double kRowH = 4.2;
constexpr double kAddressRowH = 3.55;  // six lines between the title rule and the telephones
constexpr int kAddressLines = 6;
constexpr double kLabelW = 28;         // "Name & Address" in the label font
constexpr double kGridTop = 61, kGridHeadH = 5;
constexpr int kGridRows = 12;  // a year of payments
constexpr double kGridRowH = (kCardH - kGridTop - kGridHeadH) / kGridRows;

const Font kTitleFont{10, true};
constexpr double kSmallestTitle = 6.5;  // points: a 50-character scheme name still fits
const Font kLabelFont{8, true};
const Font kValueFont{8.5, false};

void addCard(std::vector<Item>& items, double x0, const Half& h, const std::string& title) {
  auto label = [&](double x, double y, double w, std::string text) {
    items.push_back(Item::textAt(x0 + x, y, w, kRowH, std::move(text), Align::Left, kLabelFont));
  };
  auto value = [&](double x, double y, double w, std::string text) {
    items.push_back(Item::textAt(x0 + x, y, w, kRowH, std::move(text), Align::Left, kValueFont));
  };
  items.push_back(Item::boxAt(x0, 0, kCardW, kCardH));
  // The scheme title in the largest size that fits the card's width.
  Font titleFont = kTitleFont;
  while (titleFont.points > kSmallestTitle && report::textMm(title, titleFont) > kCardW - 4)
    titleFont.points -= 0.5;
  items.push_back(Item::textAt(x0 + 2, 2, kCardW - 4, 6, title, Align::Centre, titleFont));
  items.push_back(Item::lineAt(x0, 9, kCardW, 0));

  // Name and address, one line each, a long name wrapped; blank lines are
  // closed up.
  label(2, 10.5, kLabelW, "Name & Address");
  const double valueW = kCardW - kLabelW - 4;
  std::vector<std::string> lines;
  std::string name = h.text(kFirstName);
  if (!h.text(kSurname).empty()) name += (name.empty() ? "" : " ") + h.text(kSurname);
  for (const std::string& part :
       {name, h.text(kAdd1), h.text(kAdd2), h.text(kAdd3), trimmedLeft(h.text(kPostal))})
    if (!part.empty())
      for (std::string& line : report::wrapText(part, valueW, kValueFont))
        lines.push_back(std::move(line));
  double y = 10.5;
  for (std::size_t i = 0; i < lines.size() && i < kAddressLines; ++i) {
    value(2 + kLabelW, y, valueW, std::move(lines[i]));
    y += kAddressRowH;
  }

  label(2, 32, kLabelW, "Telephone No");
  const std::pair<const char*, HalfField> phones[] = {
      {"(H)", kTelHome}, {"(W)", kTelWork}, {"Cell", kTelCell}};
  y = 32;
  for (const auto& [tag, f] : phones) {
    label(2 + kLabelW, y, 9, tag);
    value(2 + kLabelW + 9, y, kCardW - kLabelW - 13, h.text(f));
    y += kRowH;
  }
  items.push_back(Item::lineAt(x0, 45.5, kCardW, 0));

  const std::string premium = trimmedLeft(formatPicture("N~R~_7.2b", h.field(kPremium).real()));
  const std::string start = formatPicture("d06", static_cast<double>(h.field(kStart).whole()));
  // Three rows of label and value pairs. The route (up to 20 characters)
  // takes the wide value of the last row, beside the short payment day.
  struct Pair {
    const char* label;
    std::string value;
    double x, labelW, valueW;
  };
  const Pair rows[3][2] = {
      {{"Ref No", h.text(kId), 2, 17.8, 26.2}, {"Premium", premium, 46.5, 23.5, 19}},
      {{"ID Number", h.text(kIdNo), 2, 17.8, 26.2}, {"Start Date", start, 46.5, 23.5, 19}},
      {{"Route", h.text(kRoute), 2, 17.8, 35.4}, {"Payment Date", h.text(kPayDate), 55.5, 23.5, 10}},
  };
  y = 47;
  for (const auto& row : rows) {
    for (const Pair& p : row) {
      label(p.x, y, p.labelW, p.label);
      value(p.x + p.labelW, y, p.valueW, p.value);
    }
    y += kRowH;
  }

  // The grid the collector fills in by hand.
  const std::pair<const char*, double> columns[] = {
      {"Month", 20}, {"Date", 22}, {"Receipt No", 27}, {"Premium", 22}};
  double x = 0;
  for (const auto& [heading, w] : columns) {
    items.push_back(
        Item::textAt(x0 + x, kGridTop + 0.5, w, kRowH, heading, Align::Centre, kLabelFont));
    if (x > 0) items.push_back(Item::lineAt(x0 + x, kGridTop, 0, kCardH - kGridTop));
    x += w;
  }
  items.push_back(Item::lineAt(x0, kGridTop, kCardW, 0));
  for (int r = 0; r < kGridRows; ++r)
    items.push_back(Item::lineAt(x0, kGridTop + kGridHeadH + r * kGridRowH, kCardW, 0));
}

}  // namespace

std::int64_t fillCardFile(ReportContext& ctx, ReportProgress& progress) {
  if (!startWorkFile(ctx)) return -1;
  FileManager& cli = ctx.files.fm<rec::VelCli>();
  FileManager& work = ctx.files.fm<rec::CliRout>();
  FileUse useCli(cli), useWork(work);
  const rec::VelCli& c = cli.rec<rec::VelCli>();
  const Half left(work, '1'), right(work, '2');
  if (!openWalk(ctx, progress, cli)) return -1;
  work.ClearBuffer();
  std::int64_t added = 0;
  bool leftFilled = false;
  auto add = [&] {
    if (work.Insert() != kDone) {
      ctx.failed = true;  // the record store has shown why
      return false;
    }
    ++added;
    work.ClearBuffer();
    leftFilled = false;
    return true;
  };
  cli.ClearBuffer();
  if (!startWalk(ctx, cli, kPhysicalOrder)) return -1;
  while (readNext(ctx, cli)) {
    progress.advance();
    if (!inPeriod(c.DATE, ctx.periodStart, ctx.periodEnd)) continue;
    if (!leftFilled) {
      left.fill(c);
      leftFilled = true;
      continue;
    }
    right.fill(c);
    if (!add()) return -1;
  }
  if (ctx.failed) return -1;
  if (leftFilled && !add()) return -1;
  return added;
}

report::Document cardDocument(ReportContext& ctx, ReportProgress& progress) {
  report::Document doc = startDocument(ctx, "COLLECTION CARDS", false);
  doc.showPageHeader = false;  // every card carries its own title line
  const std::string title = schemeTitle(ctx);
  FileManager& work = ctx.files.fm<rec::CliRout>();
  FileUse use(work);
  const Half left(work, '1'), right(work, '2');
  work.ClearBuffer();
  if (!openWalk(ctx, progress, work) || !startWalk(ctx, work, kPhysicalOrder)) return doc;
  while (readNext(ctx, work)) {
    progress.advance();
    std::vector<Item> items;
    addCard(items, 0, left, title);
    if (!right.empty()) addCard(items, kCardW + kCardGap, right, title);
    doc.addFreeBand(kBandH, std::move(items));
  }
  return doc;
}

template <class Member>
report::Document memberCardDocument(ReportContext& ctx, const Member& client) {
  report::Document doc = startDocument(ctx, "COLLECTION CARDS", false);
  doc.showPageHeader = false;
  const std::string title = schemeTitle(ctx);
  // The card is laid out from a work record in memory, formed as the period's
  // run forms it, so that both print the same card.
  FileManager& work = ctx.files.fm<rec::CliRout>();
  const int saved = work.PushState();
  work.ClearBuffer();
  const Half left(work, '1');
  left.fill(client);
  std::vector<Item> items;
  addCard(items, 0, left, title);
  work.PopState(saved);
  doc.addFreeBand(kBandH, std::move(items));
  return doc;
}

report::Document clientCardDocument(ReportContext& ctx, const rec::VelCli& client) {
  return memberCardDocument(ctx, client);
}

report::Document clientCardDocument(ReportContext& ctx, const rec::Hamper& member) {
  return memberCardDocument(ctx, member);
}

report::Document collectionCards(ReportContext& ctx, ReportProgress& progress) {
  // A work file that could not be filled gives no cards at all: the
  // failure has been shown, and the context's failure keeps the report back.
  if (fillCardFile(ctx, progress) < 0) {
    ctx.failed = true;
    return {};
  }
  return cardDocument(ctx, progress);
}

void printCollectionCards(DataFiles& files, ShellUi& ui, const Clock& clock,
                          ReportPickers& /*pickers*/, ReportOutput& output) {
  ReportContext ctx(files, ui, clock);
  if (!askPeriodInto(ctx, ui, clock)) return;
  presentReport(ctx, output, "Printing Collection Cards, please wait ...", collectionCards);
}

}  // namespace vel
