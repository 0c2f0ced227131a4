#include "reports/IssuedReceipts.h"

#include <string>

#include "common/Picture.h"
#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "shell/ShellUi.h"

namespace vel {

using report::Align;
using report::charsMm;

namespace {

// A day as printed; no day (0) leaves the cell empty.
std::string dayText(std::int64_t day) { return day ? formatPicture("d06", day) : std::string(); }

}  // namespace

report::Document issuedReceipts(ReportContext& ctx, ReportProgress& progress) {
  report::Document doc = startDocument(ctx, "Issued Receipts", false);
  const std::string code = ctx.agent.value_or("");
  doc.periodText = "Agent: " + code;
  doc.columns = {{"Number", charsMm(8), Align::Right},
                 {"Ref No", charsMm(10)},
                 {"Amount", charsMm(12), Align::Right},
                 {"Date Issued", charsMm(12)},
                 {"Date Received", charsMm(13)}};

  FileManager& iss = ctx.files.fm<rec::AgeIss>();
  FileUse use(iss);
  const auto& r = iss.rec<rec::AgeIss>();
  if (!openWalk(ctx, progress, iss)) return doc;
  iss.ClearBuffer();
  iss.rec<rec::AgeIss>().CODE = code;
  if (!startWalk(ctx, iss, iss.keyIndex("By_Code"), true)) return doc;
  while (readNext(ctx, iss)) {
    progress.advance();
    if (!equalsNoCase(r.CODE.str(), rtrim(code))) break;
    doc.addRow({std::to_string(static_cast<std::int64_t>(r.NUMBER)), r.CLIENT_ID.text(), money(r.AMOUNT),
                dayText(r.DATE_ISS), dayText(r.DATE_REC)});
  }
  return doc;
}

void printIssuedReceipts(DataFiles& files, ShellUi& ui, const Clock& clock,
                         ReportPickers& pickers, ReportOutput& output) {
  std::optional<std::string> agent = pickers.pickAgent();
  if (!agent) return;
  ReportContext ctx(files, ui, clock);
  ctx.agent = std::move(agent);
  presentReport(ctx, output, "Printing Issued Receipts, please wait ...", issuedReceipts);
}

}  // namespace vel
