#include "reports/ManagementReport.h"

#include <cmath>
#include <optional>
#include <string>
#include <type_traits>
#include <unordered_map>

#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "shell/ShellUi.h"

namespace vel {

namespace {

void walkTransactions(ReportContext& ctx, ReportProgress& progress, ManagementFigures& m) {
  FileManager& tra = ctx.files.fm<rec::VelTra>();
  FileManager& cli = ctx.files.fm<rec::VelCli>();
  FileUse useTra(tra), useCli(cli);
  // The client lookup per payment needs two amounts of the widest record.
  FieldSubsetRead clientAmounts(cli, {"PLANPREM", "PREMTOPAY"});
  FieldSubsetRead entryFields(tra, {"CLIENT_ID", "DATE", "TYPE", "STATUS", "DEBIT", "CREDIT",
                                    "AGE_COMM", "COLL_COMM"});
  const int byDate = tra.keyIndex("By_Date");
  const int byClient = cli.keyIndex("By_Client");
  auto& t = tra.rec<rec::VelTra>();
  auto& c = cli.rec<rec::VelCli>();

  std::unordered_map<std::string, std::optional<double>> payOverOf;  // by CLIENT_ID, any case
  if (!openWalk(ctx, progress, tra)) return;
  tra.ClearBuffer();
  t.DATE = ctx.periodStart;
  if (!startWalk(ctx, tra, byDate, true)) return;
  while (readNext(ctx, tra)) {
    progress.advance();
    if (t.DATE > ctx.periodEnd) break;
    if (t.STATUS == "DEL") continue;
    if (t.TYPE == "Invoice") {
      m.premiumsDue += t.DEBIT;
    } else if (t.TYPE == "Payment") {
      m.premiumsPaid += t.CREDIT;
      // Each client is fetched once: a client pays many times in a long
      // period, and the client record is the widest the system has. A
      // payment whose client has gone adds nothing to the pay over (the
      // buffer would otherwise hold no client, or the previous one).
      auto [it, fresh] = payOverOf.try_emplace(upper(t.CLIENT_ID.str()), 0.0);
      if (fresh) {
        cli.ClearBuffer();
        c.CLIENT_ID = t.CLIENT_ID.str();
        it->second = getByKey(ctx, cli, byClient)
                         ? std::optional<double>(c.PLANPREM - c.PREMTOPAY)
                         : std::nullopt;
      }
      if (it->second)
        m.payOver += *it->second;
      else
        ++m.paymentsWithoutClient;
      m.agentCommission += t.AGE_COMM;
      m.collectorCommission += t.COLL_COMM;
    }
  }
}

void walkClients(ReportContext& ctx, ReportProgress& progress, ManagementFigures& m) {
  FileManager& cli = ctx.files.fm<rec::VelCli>();
  FileUse use(cli);
  FieldSubsetRead statusFields(cli, {"ACTIVE", "DATECHANGE", "S_CHANGEDATE"});
  auto& c = cli.rec<rec::VelCli>();
  if (!openWalk(ctx, progress, cli) || !startWalk(ctx, cli, cli.keyIndex("By_Client"))) return;
  const std::int32_t from = ctx.periodStart, to = ctx.periodEnd;
  while (readNext(ctx, cli)) {
    progress.advance();
    if (c.ACTIVE == "Active") {
      ++m.active;
      if (inPeriod(c.DATECHANGE, from, to)) ++m.becameActive;
    } else if (c.ACTIVE == "Non Active") {
      ++m.nonActive;
      if (inPeriod(c.DATECHANGE, from, to)) ++m.becameNonActive;
    } else if (c.ACTIVE == "Deceased") {
      if (inPeriod(c.S_CHANGEDATE, from, to)) {
        ++m.dependantsDeceased;
        ++m.claims;
        m.claimAmount += kFixedClaim;
      }
      if (inPeriod(c.DATECHANGE, from, to)) {
        ++m.mainDeceased;
        ++m.claims;
        m.claimAmount += kFixedClaim;
      }
    }
  }
}

// Children and extended family: a dependant who died in the period is a
// claim, for the child's own benefit or for the fixed amount.
template <class R>
void walkDependants(ReportContext& ctx, ReportProgress& progress, ManagementFigures& m) {
  FileManager& f = ctx.files.fm<R>();
  FileUse use(f);
  auto& r = f.rec<R>();
  if (!openWalk(ctx, progress, f) || !startWalk(ctx, f, kPhysicalOrder)) return;
  while (readNext(ctx, f)) {
    progress.advance();
    if (!(r.ACTIVE == "Deceased") || !inPeriod(r.DATECHANGE, ctx.periodStart, ctx.periodEnd))
      continue;
    ++m.dependantsDeceased;
    ++m.claims;
    if constexpr (std::is_same_v<R, rec::VelChd>)
      m.claimAmount += r.C1_BENEFIT;
    else
      m.claimAmount += kFixedClaim;
  }
}

}  // namespace

ManagementFigures walkManagement(ReportContext& ctx, ReportProgress& progress) {
  ManagementFigures m;
  walkTransactions(ctx, progress, m);
  m.grossProfit = m.premiumsPaid - m.payOver;
  walkClients(ctx, progress, m);
  walkDependants<rec::VelChd>(ctx, progress, m);
  walkDependants<rec::VelExt>(ctx, progress, m);
  m.nettProfit = m.grossProfit - m.agentCommission - m.collectorCommission;
  return m;
}

report::Document managementDocument(ReportContext& ctx, const ManagementFigures& m) {
  report::Document doc = startDocument(ctx, "MANAGEMENT REPORT", true);
  doc.headerLines.push_back(businessLine(ctx));
  doc.columns = {{"", 90, report::Align::Left}, {"", 35, report::Align::Right}};
  doc.addRow({"Premiums Due", money(m.premiumsDue)});
  doc.addRow({"Premiums Paid", money(m.premiumsPaid)});
  doc.addRow({"Premium Amount to Pay Over", money(m.payOver)});
  doc.addRow({"Gross Profit on Premiums", money(m.grossProfit)});
  doc.addRow({"Agent Commission", money(m.agentCommission)});
  doc.addRow({"Collector Commission", money(m.collectorCommission)});
  doc.addRow({"Nett Profit", money(m.nettProfit)});
  doc.addRow({"Active", count(m.active)});
  doc.addRow({"Non Active", count(m.nonActive)});
  doc.addRow({"Main Member Deceased", count(m.mainDeceased)});
  doc.addRow({"Dependants Deceased", count(m.dependantsDeceased)});
  doc.addRow({"Claims", count(m.claims)});
  doc.addRow({"Amount", count(std::llround(m.claimAmount))});
  doc.addRow({"Became Active during period", count(m.becameActive)});
  doc.addRow({"Became Non Active during period", count(m.becameNonActive)});
  return doc;
}

void printManagementReport(DataFiles& files, ShellUi& ui, const Clock& clock,
                           ReportOutput& output) {
  ReportContext ctx(files, ui, clock);
  if (!askPeriodInto(ctx, ui, clock)) return;
  presentReport(ctx, output, "Printing Management Report, please wait ...",
                [](ReportContext& c, ReportProgress& p) {
                  return managementDocument(c, walkManagement(c, p));
                });
}

}  // namespace vel
