// The payments' procedures on the desktop: "&Capture Receipts"
// (Capture_Receipt), the cashbox list, and the declarations of the payment
// and cashbox forms.
#pragma once

class QWidget;

namespace vel {
class Catalog;
class Clock;
class DataFiles;
class ProcedureTable;
class ShellUi;
}  // namespace vel

namespace vel::qt {

void registerPayments(ProcedureTable& procedures, DataFiles& files, ShellUi& ui, Catalog& catalog,
                      const Clock& clock, QWidget* parent);

}  // namespace vel::qt
