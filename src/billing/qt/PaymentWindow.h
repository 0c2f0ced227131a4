// "Make a Payment": the payment form's window over BasicPaymentForm, one
// window for each ledger (Update_VelPay, Update_HamPay). The window has no
// signals or slots of its own, so it is a plain class template.
#pragma once

#include <QDialog>

#include <string>

#include "billing/PaymentForm.h"

class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QLineEdit;

namespace vel {
class Catalog;
class Clock;
class ReportOutput;
}  // namespace vel

namespace vel::qt {

template <class L>
class BasicPaymentWindow : public QDialog {
 public:
  BasicPaymentWindow(BasicPaymentForm<L>& form, QWidget* parent = nullptr);
  QLineEdit* amountEntry() const { return amount_; }
  QCheckBox* printReceipt() const { return print_; }
  QCheckBox* doublePayment() const { return double_; }
  QButtonGroup* sources() const { return sources_; }
  QButtonGroup* accounts() const { return accounts_; }
  QButtonGroup* whoPaid() const { return who_; }
  void acceptPressed();

 private:
  bool take();  // false: the amount typed is refused (box shown)
  BasicPaymentForm<L>& form_;
  QButtonGroup* accounts_;
  QButtonGroup* sources_;
  QButtonGroup* who_;
  QCheckBox* print_;
  QCheckBox* double_;
  QLineEdit* amount_;
  QLineEdit* colCode_;
  QLineEdit* colComm_;
  QLineEdit* ageCode_;
  QLineEdit* ageComm_;
  QDateEdit* date_;
};

using PaymentWindow = BasicPaymentWindow<ledger::BurialCover>;

// Opens the payment form of ledger L for the browse's member (insert) or the
// payment current in L's payment file (change); a ticked "Print Receipt?"
// prints to `receipts` (none: the print preview).
template <class L>
Response runLedgerPaymentWindow(DataFiles& files, Ui& ui, const Clock& clock,
                                const std::string& user, Request request, QWidget* parent,
                                ReportOutput* receipts = nullptr);

// The burial cover's payment form (the client browse's payments panel).
inline Response runPaymentWindow(DataFiles& files, Ui& ui, const Clock& clock,
                                 const std::string& user, Request request, QWidget* parent,
                                 ReportOutput* receipts = nullptr) {
  return runLedgerPaymentWindow<ledger::BurialCover>(files, ui, clock, user, request, parent,
                                                     receipts);
}

// The receipt of one payment of ledger L to the print preview (or `receipts`).
template <class L>
void printLedgerReceiptTo(DataFiles& files, Ui& ui, const Clock& clock,
                          const typename L::Payment& payment, QWidget* parent,
                          ReportOutput* receipts = nullptr);
inline void printPaymentReceiptTo(DataFiles& files, Ui& ui, const Clock& clock,
                                  const rec::VelPay& payment, QWidget* parent,
                                  ReportOutput* receipts = nullptr) {
  printLedgerReceiptTo<ledger::BurialCover>(files, ui, clock, payment, parent, receipts);
}

}  // namespace vel::qt
