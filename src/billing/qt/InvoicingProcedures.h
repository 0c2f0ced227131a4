// The invoicing procedures of the menu and the daily sequence's invoicing
// hooks, for the desktop program.
#pragma once

class QWidget;

namespace vel {
class Catalog;
class Clock;
class DataFiles;
class ProcedureTable;
class ShellUi;
struct StartupHooks;
}  // namespace vel

namespace vel::qt {

// Declares the receipt-book list and form and the invoice form, and
// registers "Generate_Invoices" (File, "&Generate Invoices": no question
// asked) and "Browse_Receipt" ("&Issue Receipt Book").
void registerInvoicing(ProcedureTable& procedures, DataFiles& files, ShellUi& ui, Catalog& catalog,
                       const Clock& clock, QWidget* parent);

// The daily sequence's automatic invoice run and month reset.
void fillInvoicingHooks(StartupHooks& hooks, DataFiles& files, ShellUi& ui, const Clock& clock);

}  // namespace vel::qt
