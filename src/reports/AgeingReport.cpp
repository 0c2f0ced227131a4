#include "reports/AgeingReport.h"

#include <array>
#include <string>

#include "common/Picture.h"
#include "dictionary/Dictionary.h"
#include "shell/ShellUi.h"

namespace vel {

namespace {

using report::Align;
using report::charsMm;

// An ageing amount as printed: two decimals, a negative amount with its sign.
std::string arrears(double value) {
  std::string s = formatPicture("n-_10.2", value);
  const std::size_t i = s.find_first_not_of(' ');
  return i == std::string::npos ? std::string() : s.substr(i);
}

}  // namespace

report::Document ageingReport(ReportContext& ctx, ReportProgress& progress) {
  report::Document doc = startDocument(ctx, "AGEING REPORT", false);
  doc.page.widthMm = 297;  // landscape: six amount columns beside the names
  doc.page.heightMm = 210;
  doc.headerLines.push_back(businessLine(ctx));
  doc.periodText = "Route: " + ctx.route.value_or("");
  doc.columns = {{"Ref No", charsMm(10)},          {"Surname", charsMm(25)},
                 {"First Name", charsMm(20)},      {"Current", charsMm(11), Align::Right},
                 {"30 days", charsMm(11), Align::Right}, {"60 days", charsMm(11), Align::Right},
                 {"90 days", charsMm(11), Align::Right}, {"+90 days", charsMm(11), Align::Right},
                 {"Total", charsMm(11), Align::Right}};

  FileManager& age = ctx.files.fm<rec::VelAge>();
  FileManager& cli = ctx.files.fm<rec::VelCli>();
  FileUse useAge(age), useCli(cli);
  const auto& a = age.rec<rec::VelAge>();
  auto& c = cli.rec<rec::VelCli>();
  const int cliByClient = cli.keyIndex("By_Client");
  const std::string route = ctx.route.value_or("");
  std::array<double, 6> totals{};

  age.ClearBuffer();
  if (openWalk(ctx, progress, age) && startWalk(ctx, age, age.keyIndex("By_Client"))) {
    while (readNext(ctx, age)) {
      progress.advance();
      if (!(a.TOTAL > 0)) continue;
      // An ageing record whose client has gone is on no route (after a failed
      // fetch the buffer holds no client, or the one fetched before).
      cli.ClearBuffer();
      c.CLIENT_ID = a.CLIENT_ID.str();
      if (!getByKey(ctx, cli, cliByClient) || !(c.ROUTE == route)) continue;
      const std::array<double, 6> amounts{a.CURRENT, a.P30, a.P60, a.P90, a.P90PLUS, a.TOTAL};
      std::vector<std::string> row{a.CLIENT_ID.text(), c.SURNAME.text(), c.FIRSTNAME.text()};
      for (std::size_t i = 0; i < amounts.size(); ++i) {
        totals[i] += amounts[i];
        row.push_back(arrears(amounts[i]));
      }
      doc.addRow(std::move(row));
    }
  }
  std::vector<std::string> total{"", "", "Total"};
  for (double t : totals) total.push_back(arrears(t));
  doc.addReportTotal(std::move(total));
  return doc;
}

void printAgeing(DataFiles& files, ShellUi& ui, const Clock& clock, ReportPickers& pickers,
                 ReportOutput& output) {
  std::optional<std::string> route = pickers.pickRoute();
  if (!route) return;
  ReportContext ctx(files, ui, clock);
  ctx.route = std::move(route);
  presentReport(ctx, output, "Printing Ageing, please wait ...", ageingReport);
}

}  // namespace vel
