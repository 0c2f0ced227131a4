#include "billing/qt/PaymentProcedures.h"

#include "billing/CaptureRun.h"
#include "billing/Cashbox.h"
#include "billing/PaymentForm.h"
#include "billing/qt/CaptureWindows.h"
#include "forms/Catalog.h"
#include "forms/qt/ListWindow.h"
#include "shell/Globals.h"
#include "shell/Procedures.h"
#include "shell/ShellUi.h"

namespace vel::qt {

void registerPayments(ProcedureTable& procedures, DataFiles& files, ShellUi& ui, Catalog& catalog,
                      const Clock& clock, QWidget* parent) {
  addPaymentForm(catalog);
  addCashbox(catalog);
  procedures.add(kCaptureReceipt, [&files, &ui, &catalog, &clock, parent] {
    QtCaptureWindows windows(files, ui, catalog, parent);
    runCapture(files, ui, clock, windows, globals().LOGPROG());
  });
  procedures.add(kCashboxList, [&files, &ui, &catalog, parent] {
    if (const ListDecl* l = catalog.list(kCashboxList))
      runListWindow(files, ui, catalog, *l, ListMode::Maintain, parent);
  });
}

}  // namespace vel::qt
