#include "reports/ClientLists.h"

#include "dictionary/Dictionary.h"

namespace vel {

namespace {

using report::Align;
using report::charsMm;

// Walks the clients in client order and adds a row for each client on the
// route whose status is `status`.
template <class Row>
void walkRoute(ReportContext& ctx, ReportProgress& progress, std::string_view status,
               report::Document& doc, Row row) {
  FileManager& cli = ctx.files.fm<rec::VelCli>();
  FileUse use(cli);
  const auto& c = cli.rec<rec::VelCli>();
  if (!openWalk(ctx, progress, cli) || !startWalk(ctx, cli, cli.keyIndex("By_Client"))) return;
  const std::string route = ctx.route.value_or("");
  while (readNext(ctx, cli)) {
    progress.advance();
    if (c.ACTIVE == status && c.ROUTE == route) doc.addRow(row(c));
  }
}

report::Document routeDocument(ReportContext& ctx, const char* title) {
  report::Document doc = startDocument(ctx, title, false);
  doc.periodText = "Route: " + ctx.route.value_or("");
  doc.columns = {{"Ref No", charsMm(10)}, {"Surname", charsMm(20)}, {"First Name", charsMm(15)}};
  return doc;
}

void runRouteList(DataFiles& files, Ui& ui, const Clock& clock, ReportPickers& pickers,
                  ReportOutput& output, const char* subject,
                  report::Document (*build)(ReportContext&, ReportProgress&)) {
  std::optional<std::string> route = pickers.pickRoute();
  if (!route) return;
  ReportContext ctx(files, ui, clock);
  ctx.route = std::move(route);
  presentReport(ctx, output, subject, build);
}

}  // namespace

report::Document activeClientList(ReportContext& ctx, ReportProgress& progress) {
  report::Document doc = routeDocument(ctx, "ACTIVE CLIENT LIST");
  doc.columns.push_back({"Premium", charsMm(10), Align::Right});
  walkRoute(ctx, progress, "Active", doc, [](const rec::VelCli& c) {
    return std::vector<std::string>{c.CLIENT_ID.text(), c.SURNAME.text(), c.FIRSTNAME.text(),
                                    money(c.PLANPREM)};
  });
  return doc;
}

report::Document nonActiveClientList(ReportContext& ctx, ReportProgress& progress) {
  report::Document doc = routeDocument(ctx, "NON ACTIVE CLIENT LIST");
  doc.columns.push_back({"Work", charsMm(14)});
  doc.columns.push_back({"Home", charsMm(14)});
  doc.columns.push_back({"Cell", charsMm(14)});
  walkRoute(ctx, progress, "Non Active", doc, [](const rec::VelCli& c) {
    return std::vector<std::string>{c.CLIENT_ID.text(),  c.SURNAME.text(),
                                    c.FIRSTNAME.text(),  c.PHONE_WORK.text(),
                                    c.PHONE_HOME.text(), c.PHONE_CELL.text()};
  });
  return doc;
}

void printActiveClientList(DataFiles& files, Ui& ui, const Clock& clock, ReportPickers& pickers,
                           ReportOutput& output) {
  runRouteList(files, ui, clock, pickers, output,
               "Printing Active Clients, please wait ...", activeClientList);
}

void printNonActiveClientList(DataFiles& files, Ui& ui, const Clock& clock,
                              ReportPickers& pickers, ReportOutput& output) {
  runRouteList(files, ui, clock, pickers, output,
               "Printing Non Active Clients, please wait ...", nonActiveClientList);
}

}  // namespace vel
