// The "Hampers" window: the member list with its three orders, and beside it
// the highlighted member's ageing, remarks, invoices and payments ("Accept
// Hamper Payments here"), each a list panel kept to that member's rows.
#pragma once

#include <QDialog>
#include <string>

#include "hamper/HamperBrowse.h"

class QPlainTextEdit;

namespace vel {
class Catalog;
class DataFiles;
class ProcedureTable;
class Ui;
}  // namespace vel

namespace vel {
class ShellUi;
}

namespace vel::qt {

class ListPanel;

class HamperBrowseWindow : public QDialog {
  Q_OBJECT
 public:
  HamperBrowseWindow(DataFiles& files, Ui& ui, const Catalog& catalog,
                     HamperBrowsePrints prints = {}, QWidget* parent = nullptr);

  ListPanel* members() const { return members_; }
  ListPanel* ageing() const { return ageing_; }
  ListPanel* invoices() const { return invoices_; }
  ListPanel* payments() const { return payments_; }
  QPlainTextEdit* remarks() const { return remarks_; }

 private:
  void follow();  // the panels read again for the highlighted member
  void editRemarks();
  void checkId();

  DataFiles& files_;
  Ui& ui_;
  HamperBrowsePrints prints_;
  ListPanel* members_;
  ListPanel* ageing_;
  ListPanel* invoices_;
  ListPanel* payments_;
  QPlainTextEdit* remarks_;
};

// Update_Hamper over the current Hamper record, modally, with "Send Message
// now" on its "Remarks / SMS" tab; returns the form's response.
Response runHamperForm(DataFiles& files, Ui& ui, const Catalog& catalog, const Clock& clock,
                       Request request, QWidget* parent);

// Declares the browse, its panels, the member form and the hamper ledger's
// payment and invoice forms in the catalog, and makes the menu's
// "Browse_Hamper" and "Copy_To_Hamper" run them. The payments panel opens
// "Make a Payment" over the hamper ledger; the print buttons preview the
// member's statement, information sheet, card and the payment's receipt.
void registerHamperProcedures(ProcedureTable& procedures, DataFiles& files, ShellUi& ui,
                              Catalog& catalog, const Clock& clock, QWidget* parent);

}  // namespace vel::qt
