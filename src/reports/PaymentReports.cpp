#include "reports/PaymentReports.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "common/Picture.h"
#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "shell/ShellUi.h"

namespace vel {

namespace {

using report::Align;
using report::charsMm;

std::string routeLine(const ReportContext& ctx) { return "Route: " + ctx.route.value_or(""); }

// The client's three home address lines, the blank ones left out.
std::string homeAddress(const rec::VelCli& c) {
  std::string out;
  for (const auto* line : {&c.H_ADDR1, &c.H_ADDR2, &c.H_ADDR3}) {
    if (line->blank()) continue;
    if (!out.empty()) out += ", ";
    out += line->text();
  }
  return out;
}

// What the not-paid lists learn from one client's payments.
struct PaymentsSeen {
  bool inWindow = false;          // a payment dated from .. to
  std::optional<double> latest;   // amount of the latest-dated payment
};

// Reads the payments of `clientId` through the payments' client key, from
// the client's first payment while the client identifier is unchanged (the
// key compares without regard to case).
PaymentsSeen paymentsOf(ReportContext& ctx, FileManager& pay, int byClient,
                        std::string_view clientId, std::int32_t from, std::int32_t to) {
  PaymentsSeen seen;
  const auto& p = pay.rec<rec::VelPay>();
  pay.ClearBuffer();
  pay.rec<rec::VelPay>().CLIENT_ID = std::string(clientId);
  if (!startWalk(ctx, pay, byClient, true)) return seen;
  std::int64_t latestDay = 0;
  while (readNext(ctx, pay) && equalsNoCase(p.CLIENT_ID.str(), clientId)) {
    const std::int64_t d = p.DATE;
    if (inPeriod(d, from, to)) seen.inWindow = true;
    if (!seen.latest || d >= latestDay) {
      latestDay = d;
      seen.latest = p.CREDIT;
    }
  }
  return seen;
}

report::Document notPaidDocument(ReportContext& ctx, std::string title, std::string periodLine,
                                 std::int32_t from, std::int32_t to, ReportProgress& progress) {
  report::Document doc = startDocument(ctx, std::move(title), false);
  doc.page.widthMm = 297;  // landscape, for the address
  doc.page.heightMm = 210;
  doc.headerLines.push_back(routeLine(ctx));
  doc.periodText = std::move(periodLine);
  doc.columns = {{"Ref No", charsMm(10)},
                 {"Surname", charsMm(25)},
                 {"First Name", charsMm(20)},
                 {"Payment Amount", charsMm(14), Align::Right},
                 {"Address", charsMm(60)}};  // a longer address wraps

  FileManager& cli = ctx.files.fm<rec::VelCli>();
  FileManager& pay = ctx.files.fm<rec::VelPay>();
  FileUse useCli(cli), usePay(pay);
  // The clients' lines and each client's payments: only what the list shows.
  FieldSubsetRead clientLine(cli, {"CLIENT_ID", "ACTIVE", "ROUTE", "SURNAME", "FIRSTNAME",
                                   "H_ADDR1", "H_ADDR2", "H_ADDR3"});
  FieldSubsetRead paymentDates(pay, {"CLIENT_ID", "DATE", "CREDIT"});
  const auto& c = cli.rec<rec::VelCli>();
  const int payByClient = pay.keyIndex("By_Client");
  const std::string route = ctx.route.value_or("");
  cli.ClearBuffer();
  if (!openWalk(ctx, progress, cli) || !startWalk(ctx, cli, cli.keyIndex("By_Client"))) return doc;
  while (readNext(ctx, cli)) {
    progress.advance();
    if (!(c.ACTIVE == "Active") || !(c.ROUTE == route)) continue;
    const PaymentsSeen seen = paymentsOf(ctx, pay, payByClient, c.CLIENT_ID.str(), from, to);
    if (seen.inWindow) continue;
    doc.addRow({c.CLIENT_ID.text(), c.SURNAME.text(), c.FIRSTNAME.text(),
                seen.latest ? money(*seen.latest) : std::string(), homeAddress(c)});
  }
  return doc;
}

// The client fetched for the paid list, kept while consecutive payments
// belong to the same client.
struct PaidClient {
  std::string id;  // as the payment names it
  bool found = false;
  bool onRoute = false;
  std::string surname, firstName;
};

// Route first, then the period; nothing when either was cancelled.
std::optional<ReportContext> askRouteAndPeriod(DataFiles& files, ShellUi& ui, const Clock& clock,
                                               ReportPickers& pickers) {
  std::optional<std::string> route = pickers.pickRoute();
  if (!route) return std::nullopt;
  std::optional<ReportContext> ctx(std::in_place, files, ui, clock);
  ctx->route = std::move(route);
  if (!askPeriodInto(*ctx, ui, clock)) return std::nullopt;
  return ctx;
}

}  // namespace

report::Document premiumsNotPaid(ReportContext& ctx, ReportProgress& progress) {
  return notPaidDocument(ctx, "PREMIUMS NOT PAID", periodText(ctx.periodStart, ctx.periodEnd),
                         ctx.periodStart, ctx.periodEnd, progress);
}

report::Document premiumsNotPaid3(ReportContext& ctx, ReportProgress& progress) {
  return notPaidDocument(ctx, "PREMIUMS NOT PAID FOR 3 MONTHS",
                         "End Period: " + formatPicture("d06", ctx.actionDate),
                         notPaidWindowStart(ctx.actionDate), ctx.actionDate, progress);
}

report::Document premiumsPaid(ReportContext& ctx, ReportProgress& progress) {
  report::Document doc = startDocument(ctx, "PREMIUMS PAID", true);
  doc.headerLines.push_back(routeLine(ctx));
  doc.columns = {{"Ref No", charsMm(10)},
                 {"Surname", charsMm(17)},
                 {"First Name", charsMm(12)},
                 {"Date", charsMm(10)},
                 {"Policy Holder", charsMm(13), Align::Right},
                 {"Paid Self", charsMm(12), Align::Right},
                 {"", charsMm(14)}};

  FileManager& pay = ctx.files.fm<rec::VelPay>();
  FileManager& cli = ctx.files.fm<rec::VelCli>();
  FileUse usePay(pay), useCli(cli);
  // The client lookup per payment needs the route and the names only.
  FieldSubsetRead clientNames(cli, {"ROUTE", "SURNAME", "FIRSTNAME"});
  FieldSubsetRead paymentFields(pay, {"CLIENT_ID", "DATE", "STATUS", "CREDIT", "DBLPAY"});
  const auto& p = pay.rec<rec::VelPay>();
  auto& c = cli.rec<rec::VelCli>();
  const int cliByClient = cli.keyIndex("By_Client");
  const std::string route = ctx.route.value_or("");
  double holderTotal = 0, selfTotal = 0;
  // Each client is fetched once: payments in date order come from clients
  // all over the file, and most clients pay many times in a long period.
  std::unordered_map<std::string, PaidClient> clients;  // by CLIENT_ID, any case
  PaidClient client;
  bool fetched = false;

  pay.ClearBuffer();
  pay.rec<rec::VelPay>().DATE = ctx.periodStart;
  if (openWalk(ctx, progress, pay) && startWalk(ctx, pay, pay.keyIndex("By_Date"), true)) {
    while (readNext(ctx, pay)) {
      progress.advance();
      if (p.DATE > ctx.periodEnd) break;
      if (!fetched || !equalsNoCase(client.id, p.CLIENT_ID.str())) {
        fetched = true;
        auto [known, fresh] = clients.try_emplace(upper(p.CLIENT_ID.str()));
        if (fresh) {
          // A payment whose client has gone is on no route: the buffer
          // after a failed fetch holds no client, or the previous one.
          known->second = PaidClient{p.CLIENT_ID.text(), false, false, {}, {}};
          cli.ClearBuffer();
          c.CLIENT_ID = p.CLIENT_ID.str();
          if (getByKey(ctx, cli, cliByClient)) {
            known->second.found = true;
            known->second.onRoute = c.ROUTE == route;
            known->second.surname = c.SURNAME.text();
            known->second.firstName = c.FIRSTNAME.text();
          }
        }
        client = known->second;
        client.id = p.CLIENT_ID.text();
      }
      if (!client.found || !client.onRoute) continue;
      const bool self = p.STATUS == "SEL";
      (self ? selfTotal : holderTotal) += p.CREDIT;
      doc.addRow({p.CLIENT_ID.text(), client.surname, client.firstName,
                  formatPicture("d06", p.DATE), self ? std::string() : money(p.CREDIT),
                  self ? money(p.CREDIT) : std::string(),
                  p.DBLPAY != 0 ? "Double Payment" : ""});
    }
  }
  doc.addReportTotal({"", "", "Total", "", money(holderTotal), money(selfTotal), ""});
  return doc;
}

void printPremiumsNotPaid(DataFiles& files, ShellUi& ui, const Clock& clock,
                          ReportPickers& pickers, ReportOutput& output) {
  std::optional<ReportContext> ctx = askRouteAndPeriod(files, ui, clock, pickers);
  if (!ctx) return;
  presentReport(*ctx, output, "Printing Premiums Not Paid, please wait ...", premiumsNotPaid);
}

void printPremiumsNotPaid3(DataFiles& files, ShellUi& ui, const Clock& clock,
                           ReportPickers& pickers, ReportOutput& output) {
  std::optional<std::string> route = pickers.pickRoute();
  if (!route) return;
  std::optional<std::int32_t> action = pickers.pickActionDate(clock.today());
  if (!action) return;
  ReportContext ctx(files, ui, clock);
  ctx.route = std::move(route);
  ctx.actionDate = *action;
  presentReport(ctx, output, "Printing Premiums Not Paid for 3 Months, please wait ...",
                premiumsNotPaid3);
}

void printPremiumsPaid(DataFiles& files, ShellUi& ui, const Clock& clock, ReportPickers& pickers,
                       ReportOutput& output) {
  std::optional<ReportContext> ctx = askRouteAndPeriod(files, ui, clock, pickers);
  if (!ctx) return;
  presentReport(*ctx, output, "Printing Premiums Paid, please wait ...", premiumsPaid);
}

}  // namespace vel
