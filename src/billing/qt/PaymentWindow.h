// "Make a Payment": the payment form's window over PaymentForm.
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

class PaymentWindow : public QDialog {
  Q_OBJECT
 public:
  PaymentWindow(PaymentForm& form, QWidget* parent = nullptr);
  QLineEdit* amountEntry() const { return amount_; }
  QCheckBox* printReceipt() const { return print_; }
  QCheckBox* doublePayment() const { return double_; }
  QButtonGroup* sources() const { return sources_; }
  QButtonGroup* accounts() const { return accounts_; }
  QButtonGroup* whoPaid() const { return who_; }
  void acceptPressed();

 private:
  bool take();  // false: the amount typed is refused (box shown)
  PaymentForm& form_;
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

// Opens the payment form for the browse's client (insert) or the payment
// current in the payment file (change); a ticked "Print Receipt?" prints to
// `receipts` (none: the print preview).
Response runPaymentWindow(DataFiles& files, Ui& ui, const Clock& clock, const std::string& user,
                          Request request, QWidget* parent,
                          ReportOutput* receipts = nullptr);

// The receipt of one payment to the print preview (or `receipts`).
void printPaymentReceiptTo(DataFiles& files, Ui& ui, const Clock& clock, const rec::VelPay& payment,
                           QWidget* parent, ReportOutput* receipts = nullptr);

}  // namespace vel::qt
