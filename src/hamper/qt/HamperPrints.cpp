#include "hamper/qt/HamperPrints.h"

#include "billing/qt/PaymentWindow.h"
#include "hamper/HamperStatement.h"
#include "reports/ClientDocuments.h"
#include "reports/qt/PrintPreviewWindow.h"
#include "shell/ShellUi.h"

namespace vel::qt {

bool printHamperButton(DataFiles& files, ShellUi& ui, const Clock& clock, std::string_view which,
                       const std::string& clientId, QWidget* parent, ReportOutput* output) {
  using L = ledger::HamperClub;
  PreviewOutput preview(parent);
  ReportOutput& out = output ? *output : preview;
  if (which == "Statement") {
    printHamperStatement(files, ui, clock, clientId, out);
    return true;
  }
  if (which == "Print Route Info per Period") {
    printPeriodMemberCards<L>(files, ui, clock, out);
    return true;
  }
  ReportContext ctx(files, ui, clock);
  if (which == "Print Route Info" || which == "Print Collection List") {
    presentReport(ctx, out, "Printing Collection Cards, please wait ...",
                  [&](ReportContext& c, ReportProgress& p) {
                    return memberCollectionCard<L>(c, p, clientId);
                  });
    return true;
  }
  if (which == "Print Client Info") {
    presentReport(ctx, out, "Client Information", [&](ReportContext& c, ReportProgress& p) {
      return memberInfoSheet<L>(c, p, clientId);
    });
    return true;
  }
  return false;
}

void printHamperReceiptTo(DataFiles& files, Ui& ui, const Clock& clock, const rec::HamPay& payment,
                          QWidget* parent, ReportOutput* output) {
  printLedgerReceiptTo<ledger::HamperClub>(files, ui, clock, payment, parent, output);
}

}  // namespace vel::qt
