#include "reports/ClientDocuments.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "common/Money.h"
#include "common/Picture.h"
#include "common/Text.h"
#include "shell/ShellUi.h"

namespace vel {

namespace {

using report::Align;
using report::Column;
using report::Font;
using report::Item;

std::string dateText(std::int64_t day) { return formatPicture("d06", static_cast<double>(day)); }

// "Mokoena T.G. (0042/MOK)": the surname, the initials and the client number.
std::string clientLine(const rec::VelCli& c) {
  std::string line = c.SURNAME.text();
  std::string initials = c.INITIALS.text();
  if (!initials.empty()) {
    std::string dotted;
    for (char ch : initials) dotted += std::string(1, ch) + ".";
    line += " " + dotted;
  }
  return line + " (" + c.CLIENT_ID.text() + ")";
}

// One transaction of the period as printed.
struct Line {
  std::int64_t date = 0;
  std::string type;
  std::int64_t debit = 0, credit = 0;  // cents
};

}  // namespace

report::Document clientStatement(ReportContext& ctx, ReportProgress& progress,
                                 const std::string& clientId) {
  report::Document doc = startDocument(ctx, "Statement", true);
  doc.columns = {Column{"Date", 22},
                 Column{"Transaction", 40},
                 Column{"Invoices", 28, Align::Right},
                 Column{"Received", 28, Align::Right},
                 Column{"Balance", 30, Align::Right}};
  doc.headerLines.push_back(businessLine(ctx));

  FileManager& cli = ctx.files.fm<rec::VelCli>();
  FileManager& tra = ctx.files.fm<rec::VelTra>();
  FileManager& age = ctx.files.fm<rec::VelAge>();
  FileUse useCli(cli), useTra(tra), useAge(age);

  cli.ClearBuffer();
  cli.rec<rec::VelCli>().CLIENT_ID = clientId;
  if (cli.EnsureOpen() != kDone) {
    ctx.failed = true;
    return doc;
  }
  if (getByKey(ctx, cli, cli.keyIndex("By_Client")))
    doc.headerLines.push_back(clientLine(cli.rec<rec::VelCli>()));
  else if (ctx.failed)
    return doc;
  else
    doc.headerLines.push_back(clientId);

  // The client's transactions: before the period into the balance brought
  // forward, within it as lines; deleted entries are not on the ledger.
  std::int64_t broughtForward = 0;
  std::vector<Line> lines;
  if (!openWalk(ctx, progress, tra)) return doc;
  tra.ClearBuffer();
  tra.rec<rec::VelTra>().CLIENT_ID = clientId;
  if (!startWalk(ctx, tra, tra.keyIndex("By_Client"), true)) return doc;
  const rec::VelTra& t = tra.rec<rec::VelTra>();
  while (readNext(ctx, tra)) {
    progress.advance();
    if (!equalsNoCase(t.CLIENT_ID.str(), clientId)) break;
    if (t.DELETED != 0) continue;
    const std::int64_t debit = toCents(t.DEBIT), credit = toCents(t.CREDIT);
    if (t.DATE < ctx.periodStart)
      broughtForward += debit - credit;
    else if (t.DATE <= ctx.periodEnd)
      lines.push_back({t.DATE, t.TYPE.text(), debit, credit});
  }
  if (ctx.failed) return doc;
  // The ledger keeps entries in the order they were written; the statement
  // reads by date, same-day entries in the order written.
  std::stable_sort(lines.begin(), lines.end(),
                   [](const Line& a, const Line& b) { return a.date < b.date; });

  const auto rand = [](std::int64_t cents) { return money(fromCents(cents)); };
  doc.addRow({"", "Balance brought forward:", "", "", rand(broughtForward)});
  std::int64_t balance = broughtForward, invoiced = 0, received = 0;
  for (const Line& l : lines) {
    balance += l.debit - l.credit;
    invoiced += l.debit;
    received += l.credit;
    doc.addRow({dateText(l.date), l.type, l.debit ? rand(l.debit) : "",
                l.credit ? rand(l.credit) : "", rand(balance)});
  }
  doc.addReportTotal({"", "TOTALS:", rand(invoiced), rand(received), rand(balance)});

  // The ageing as it stands on file.
  double buckets[6] = {};
  age.ClearBuffer();
  age.rec<rec::VelAge>().CLIENT_ID = clientId;
  if (age.EnsureOpen() != kDone) {
    ctx.failed = true;
    return doc;
  }
  if (getByKey(ctx, age, age.keyIndex("By_Client"))) {
    const rec::VelAge& a = age.rec<rec::VelAge>();
    const double values[6] = {a.CURRENT, a.P30, a.P60, a.P90, a.P90PLUS, a.TOTAL};
    std::copy(std::begin(values), std::end(values), buckets);
  } else if (ctx.failed) {
    return doc;
  }
  static constexpr const char* kHeadings[6] = {"Current", "30 Days",       "60 Days",
                                               "90 Days", "90 Days Plus", "Total"};
  const double width = doc.page.printableWidth() / 6;
  const Font bold{8.5, true};
  std::vector<Item> items;
  items.push_back(Item::textAt(0, 2, 60, 5, "Ageing", Align::Left, bold));
  for (int i = 0; i < 6; ++i) {
    items.push_back(Item::textAt(i * width, 7.5, width - 1, 5, kHeadings[i], Align::Right, bold));
    items.push_back(Item::textAt(i * width, 12.5, width - 1, 5, money(buckets[i]), Align::Right));
  }
  items.push_back(Item::boxAt(0, 7, doc.page.printableWidth(), 11));
  doc.addFreeBand(19, std::move(items));
  return doc;
}

void printClientStatement(DataFiles& files, ShellUi& ui, const Clock& clock,
                          const std::string& clientId, ReportOutput& output) {
  ReportContext ctx(files, ui, clock);
  if (!askPeriodInto(ctx, ui, clock)) return;
  presentReport(ctx, output, "Printing Statement, please wait ...",
                [&](ReportContext& c, ReportProgress& p) { return clientStatement(c, p, clientId); });
}

}  // namespace vel
