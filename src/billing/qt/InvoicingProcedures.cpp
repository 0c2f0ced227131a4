#include "billing/qt/InvoicingProcedures.h"

#include "billing/InvoiceCorrection.h"
#include "billing/InvoiceRun.h"
#include "billing/ReceiptBooks.h"
#include "forms/Catalog.h"
#include "forms/qt/ListWindow.h"
#include "ledger/Postings.h"
#include "recordstore/DataFiles.h"
#include "shell/Globals.h"
#include "shell/Procedures.h"
#include "shell/ShellUi.h"
#include "shell/Startup.h"

namespace vel::qt {

namespace {

billing::InvoiceRunResult runInvoices(DataFiles& files, ShellUi& ui, const Clock& clock,
                                      bool automatic) {
  billing::InvoiceRunOptions options;
  options.automatic = automatic;
  ui.busy(true);
  const auto result = billing::Generate_Invoices(
      files, ui, clock, {ledger::officeBranch(files), globals().LOGPROG()}, options);
  ui.busy(false);
  return result;
}

}  // namespace

void registerInvoicing(ProcedureTable& procedures, DataFiles& files, ShellUi& ui, Catalog& catalog,
                       const Clock& clock, QWidget* parent) {
  billing::addReceiptBooks(catalog, clock);
  billing::addInvoiceForm(catalog, clock, [] { return globals().LOGPROG(); });
  procedures.add("Generate_Invoices",
                 [&files, &ui, &clock] { runInvoices(files, ui, clock, false); });
  procedures.add("Browse_Receipt", [&files, &ui, &catalog, parent] {
    if (const ListDecl* l = catalog.list("Browse_Receipt"))
      runListWindow(files, ui, catalog, *l, ListMode::Maintain, parent);
  });
}

void fillInvoicingHooks(StartupHooks& hooks, DataFiles& files, ShellUi& ui, const Clock& clock) {
  hooks.generateInvoices = [&files, &ui, &clock] { runInvoices(files, ui, clock, true); };
  hooks.resetInvoiced = [&files, &ui] { return billing::resetInvoicedWithin(files, ui); };
}

}  // namespace vel::qt
