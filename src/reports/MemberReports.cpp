#include "reports/MemberReports.h"

#include <utility>

#include "common/Picture.h"
#include "dictionary/Dictionary.h"
#include "shell/ShellUi.h"

namespace vel {

namespace {

using report::Align;
using report::charsMm;
using Cells = std::vector<std::string>;

constexpr const char* kActive = "Active";

// The three home address lines, the blank ones left out, joined with ", ".
template <class M>
std::string address(const M& m) {
  std::string out;
  for (const auto* line : {&m.H_ADDR1, &m.H_ADDR2, &m.H_ADDR3}) {
    if (line->blank()) continue;
    if (!out.empty()) out += ", ";
    out += line->text();
  }
  return out;
}

// The home postal code as four digits with leading zeros; none when zero.
std::string postalCode(std::int64_t code) {
  return code == 0 ? std::string() : Picture::parse("n04").formatWhole(code);
}

std::string dateText(std::int64_t day) { return formatPicture("d06", static_cast<double>(day)); }

bool blank(const std::optional<std::string>& code) {
  return !code || code->find_first_not_of(' ') == std::string::npos;
}

// Walks the members of file R in client order and hands each to `visit`,
// advancing the progress bar per record read. Only one record is held at a
// time, whatever the size of the file.
template <class R, class Visit>
void walkMembers(ReportContext& ctx, ReportProgress& progress, Visit visit) {
  FileManager& f = ctx.files.fm<R>();
  FileUse use(f);
  const R& m = f.rec<R>();
  if (!openWalk(ctx, progress, f)) return;
  f.ClearBuffer();
  if (!startWalk(ctx, f, f.keyIndex("By_Client"))) return;
  while (readNext(ctx, f)) {
    progress.advance();
    visit(m);
  }
}

// A field person's name as "CODE - First Surname", or the code alone when
// the code is not on file.
template <class R>
std::string personText(ReportContext& ctx, const std::string& code) {
  FileManager& f = ctx.files.fm<R>();
  FileUse use(f);
  f.ClearBuffer();
  R& p = f.rec<R>();
  p.CODE = code;
  if (!getByKey(ctx, f, f.keyIndex("KeyCode"))) return code;
  std::string name = p.FNAME.text();
  if (!p.SURNAME.blank()) name += (name.empty() ? "" : " ") + p.SURNAME.text();
  return name.empty() ? code : code + " - " + name;
}

// "Route: X" followed by the route's description when the route is on file.
std::string routeHeader(ReportContext& ctx, const std::string& route) {
  std::string out = "Route: " + route;
  FileManager& f = ctx.files.fm<rec::Route>();
  FileUse use(f);
  f.ClearBuffer();
  rec::Route& r = f.rec<rec::Route>();
  r.ROUTE = route;
  if (getByKey(ctx, f, f.keyIndex("By_Route")) && !r.DESCRIPTION.blank())
    out += " - " + r.DESCRIPTION.text();
  return out;
}

void landscape(report::Document& doc) {
  doc.page.widthMm = 297;
  doc.page.heightMm = 210;
}

// The columns every member list starts with.
std::vector<report::Column> nameColumns() {
  return {{"Ref No", charsMm(10)}, {"Surname", charsMm(25)}, {"First Name", charsMm(20)}};
}

template <class M>
Cells nameCells(const M& m) {
  return {m.CLIENT_ID.text(), m.SURNAME.text(), m.FIRSTNAME.text()};
}

// Cell number, address and street number: the collector and route lists.
report::Document cellAddressList(ReportContext& ctx, ReportProgress& progress, const char* title,
                                 std::string header,
                                 bool (*keep)(const rec::VelCli&, const std::string&),
                                 const std::string& code) {
  report::Document doc = startDocument(ctx, title, false);
  landscape(doc);
  doc.periodText = std::move(header);
  doc.columns = nameColumns();
  doc.columns.push_back({"Cell", charsMm(15)});
  doc.columns.push_back({"Address", charsMm(50)});  // a longer address wraps
  doc.columns.push_back({"Str No", charsMm(10)});
  walkMembers<rec::VelCli>(ctx, progress, [&](const rec::VelCli& c) {
    if (!keep(c, code)) return;
    Cells row = nameCells(c);
    row.push_back(c.PHONE_CELL.text());
    row.push_back(address(c));
    row.push_back(c.STRNO.text());
    doc.addRow(std::move(row));
  });
  return doc;
}

// The new policies of the period, with `keep` choosing route or agent.
template <class Keep, class Row>
void walkNewPolicies(ReportContext& ctx, ReportProgress& progress, Keep keep, Row row) {
  walkMembers<rec::VelCli>(ctx, progress, [&](const rec::VelCli& c) {
    if (c.ACTIVE == kActive && inPeriod(c.DATE, ctx.periodStart, ctx.periodEnd) && keep(c)) row(c);
  });
}

report::Document newPoliciesOfAgent(ReportContext& ctx, ReportProgress& progress, bool lines) {
  report::Document doc = startDocument(ctx, "NEW POLICIES", true);
  const std::string agent = ctx.agent.value_or("");
  doc.periodText += "   Agent: " + personText<rec::Agent>(ctx, agent);
  if (lines) {
    doc.columns = nameColumns();
    doc.columns.push_back({"Commission", charsMm(10), Align::Right});
    doc.columns.push_back({"Entry Date", charsMm(10)});
  } else {
    doc.columns = {{"Agent", charsMm(10)}, {"Total Commission", charsMm(16), Align::Right}};
  }
  double total = 0;
  walkNewPolicies(
      ctx, progress, [&](const rec::VelCli& c) { return c.AGE_CODE == agent; },
      [&](const rec::VelCli& c) {
        total += c.AGE_COMM;
        if (!lines) return;
        Cells row = nameCells(c);
        row.push_back(money(c.AGE_COMM));
        row.push_back(dateText(c.DATE));
        doc.addRow(std::move(row));
      });
  if (lines)
    doc.addReportTotal({"", "", "Total Commission", money(total), ""});
  else
    doc.addReportTotal({agent, money(total)});
  return doc;
}

// The frame of a menu item: the selections in order, then the walk under the
// progress window, then the output. `ask` fills the context's selection and
// says whether the user chose one.
template <class Ask>
void run(DataFiles& files, ShellUi& ui, const Clock& clock, ReportOutput& output,
         const char* subject, report::Document (*build)(ReportContext&, ReportProgress&), Ask ask) {
  ReportContext ctx(files, ui, clock);
  if (!ask(ctx)) return;
  presentReport(ctx, output, subject, build);
}

bool askCode(std::optional<std::string>& into, std::optional<std::string> chosen) {
  if (blank(chosen)) return false;
  into = std::move(chosen);
  return true;
}

constexpr const char* kNewPolicies = "Printing New Policies, please wait ...";

}  // namespace

report::Document collectorList(ReportContext& ctx, ReportProgress& progress) {
  const std::string code = ctx.collector.value_or("");
  return cellAddressList(
      ctx, progress, "COLLECTOR LIST", "Collector: " + personText<rec::Collect>(ctx, code),
      [](const rec::VelCli& c, const std::string& col) {
        return c.ACTIVE == kActive && c.COL_CODE == col;
      },
      code);
}

report::Document routeList(ReportContext& ctx, ReportProgress& progress) {
  const std::string route = ctx.route.value_or("");
  return cellAddressList(
      ctx, progress, "ROUTE", routeHeader(ctx, route),
      [](const rec::VelCli& c, const std::string& r) {
        return c.ACTIVE == kActive && c.ROUTE == r;
      },
      route);
}

report::Document newPoliciesPerRoute(ReportContext& ctx, ReportProgress& progress) {
  report::Document doc = startDocument(ctx, "NEW POLICIES", true);
  landscape(doc);
  const std::string route = ctx.route.value_or("");
  doc.periodText += "   Route: " + route;
  doc.columns = nameColumns();
  doc.columns.push_back({"Commission", charsMm(10), Align::Right});
  doc.columns.push_back({"Entry Date", charsMm(10)});
  doc.columns.push_back({"Address", charsMm(50)});
  doc.columns.push_back({"Code", charsMm(5)});
  walkNewPolicies(
      ctx, progress, [&](const rec::VelCli& c) { return c.ROUTE == route; },
      [&](const rec::VelCli& c) {
        Cells row = nameCells(c);
        row.push_back(money(c.AGE_COMM));
        row.push_back(dateText(c.DATE));
        row.push_back(address(c));
        row.push_back(postalCode(c.H_CODE));
        doc.addRow(std::move(row));
      });
  return doc;
}

report::Document newPoliciesPerAgent(ReportContext& ctx, ReportProgress& progress) {
  return newPoliciesOfAgent(ctx, progress, true);
}

report::Document newPoliciesPerAgentTotals(ReportContext& ctx, ReportProgress& progress) {
  return newPoliciesOfAgent(ctx, progress, false);
}

report::Document nameAndAddressList(ReportContext& ctx, ReportProgress& progress) {
  report::Document doc = startDocument(ctx, "NAME and ADDRESS", false);
  landscape(doc);
  doc.columns = nameColumns();
  doc.columns.push_back({"Address", charsMm(55)});
  doc.columns.push_back({"Code", charsMm(5)});
  doc.columns.push_back({"Str No", charsMm(10)});
  walkMembers<rec::VelCli>(ctx, progress, [&](const rec::VelCli& c) {
    Cells row = nameCells(c);
    row.push_back(address(c));
    row.push_back(postalCode(c.H_CODE));
    row.push_back(c.STRNO.text());
    doc.addRow(std::move(row));
  });
  return doc;
}

report::Document hamperClientList(ReportContext& ctx, ReportProgress& progress) {
  report::Document doc = startDocument(ctx, "HAMPER CLIENT LIST", false);
  landscape(doc);
  const std::string route = ctx.route.value_or("");
  doc.periodText = routeHeader(ctx, route);
  doc.columns = {{"Ref No", charsMm(10)}, {"Surname", charsMm(22)}, {"First Name", charsMm(16)}};
  doc.columns.push_back({"Premium", charsMm(10), Align::Right});
  doc.columns.push_back({"Address", charsMm(33)});  // a longer address wraps
  doc.columns.push_back({"Cell", charsMm(15)});
  doc.columns.push_back({"Home", charsMm(15)});
  doc.columns.push_back({"Str No", charsMm(10)});
  walkMembers<rec::Hamper>(ctx, progress, [&](const rec::Hamper& h) {
    if (!(h.ACTIVE == kActive && h.ROUTE == route)) return;
    Cells row = nameCells(h);
    row.push_back(money(h.PREMIUM));
    row.push_back(address(h));
    row.push_back(h.PHONE_CELL.text());
    row.push_back(h.PHONE_HOME.text());
    row.push_back(h.STRNO.text());
    doc.addRow(std::move(row));
  });
  return doc;
}

void printCollectorList(DataFiles& files, ShellUi& ui, const Clock& clock, ReportPickers& pickers,
                        ReportOutput& output) {
  run(files, ui, clock, output, "Printing Collector List, please wait ...", collectorList,
      [&](ReportContext& ctx) { return askCode(ctx.collector, pickers.pickCollector()); });
}

void printNewPoliciesPerRoute(DataFiles& files, ShellUi& ui, const Clock& clock,
                              ReportPickers& pickers, ReportOutput& output) {
  run(files, ui, clock, output, kNewPolicies, newPoliciesPerRoute, [&](ReportContext& ctx) {
    return askCode(ctx.route, pickers.pickRoute()) && askPeriodInto(ctx, ui, clock);
  });
}

void printNewPoliciesPerAgent(DataFiles& files, ShellUi& ui, const Clock& clock,
                              ReportPickers& pickers, ReportOutput& output) {
  run(files, ui, clock, output, kNewPolicies, newPoliciesPerAgent, [&](ReportContext& ctx) {
    return askPeriodInto(ctx, ui, clock) && askCode(ctx.agent, pickers.pickAgent());
  });
}

void printNewPoliciesPerAgentTotals(DataFiles& files, ShellUi& ui, const Clock& clock,
                                    ReportPickers& pickers, ReportOutput& output) {
  run(files, ui, clock, output, kNewPolicies, newPoliciesPerAgentTotals, [&](ReportContext& ctx) {
    return askPeriodInto(ctx, ui, clock) && askCode(ctx.agent, pickers.pickAgent());
  });
}

void printNameAndAddressList(DataFiles& files, ShellUi& ui, const Clock& clock,
                             ReportPickers& /*pickers*/, ReportOutput& output) {
  run(files, ui, clock, output, "Printing Names and Addresses, please wait ...", nameAndAddressList,
      [](ReportContext&) { return true; });
}

void printRouteList(DataFiles& files, ShellUi& ui, const Clock& clock, ReportPickers& pickers,
                    ReportOutput& output) {
  run(files, ui, clock, output, "Printing Route, please wait ...", routeList,
      [&](ReportContext& ctx) { return askCode(ctx.route, pickers.pickRouteInWindow()); });
}

void printHamperClientList(DataFiles& files, ShellUi& ui, const Clock& clock,
                           ReportPickers& pickers, ReportOutput& output) {
  run(files, ui, clock, output, "Printing Hamper Clients, please wait ...", hamperClientList,
      [&](ReportContext& ctx) { return askCode(ctx.route, pickers.pickRoute()); });
}

}  // namespace vel
