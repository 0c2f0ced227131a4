#include "billing/qt/PaymentWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/Money.h"
#include "members/ClientBrowse.h"
#include "recordstore/DataFiles.h"
#include "reports/Receipts.h"
#include "reports/qt/PrintPreviewWindow.h"
#include "shell/qt/DateRangeWindow.h"

namespace vel::qt {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// A titled group of radio buttons, one per choice, the `chosen` one on.
QGroupBox* radios(QWidget* parent, const char* title, const char* name,
                  const std::vector<std::string>& choices, const std::string& chosen,
                  QButtonGroup*& group) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(name);
  auto* lay = new QHBoxLayout(box);
  group = new QButtonGroup(box);
  for (std::size_t i = 0; i < choices.size(); ++i) {
    auto* r = new QRadioButton(q(choices[i]), box);
    r->setObjectName(q(choices[i]));
    r->setChecked(choices[i] == chosen);
    group->addButton(r, static_cast<int>(i));
    lay->addWidget(r);
  }
  return box;
}

QString amountText(double v) { return q(fixedDecimal(v, 2)); }

}  // namespace

template <class L>
BasicPaymentWindow<L>::BasicPaymentWindow(BasicPaymentForm<L>& form, QWidget* parent)
    : QDialog(parent), form_(form) {
  setObjectName(PaymentFormNames<L>::procedure);
  setWindowTitle("Make a Payment");
  auto& p = form.payment();
  auto* lay = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(radios(this, "Received Into", "ACCOUNT", kReceivedInto, p.ACCOUNT.text(), accounts_));
  print_ = new QCheckBox("Print Receipt?", this);
  print_->setObjectName("PrintReceipt");
  top->addWidget(print_);
  lay->addLayout(top);
  lay->addWidget(radios(this, "Source", "SOURCE", kSources, form.sourceChoice(), sources_));

  auto* fl = new QFormLayout;
  amount_ = new QLineEdit(amountText(p.CREDIT), this);
  amount_->setObjectName("CREDIT");
  fl->addRow("Payment Amount:", amount_);
  auto pair = [&](const char* codeName, const std::string& code, const char* commName,
                  double comm, QLineEdit*& codeEdit, QLineEdit*& commEdit) {
    auto* row = new QHBoxLayout;
    codeEdit = new QLineEdit(q(code), this);
    codeEdit->setObjectName(codeName);
    codeEdit->setMaxLength(5);
    commEdit = new QLineEdit(amountText(comm), this);
    commEdit->setObjectName(commName);
    row->addWidget(codeEdit);
    row->addWidget(new QLabel("Comm:", this));
    row->addWidget(commEdit);
    return row;
  };
  fl->addRow("Collector Code:",
             pair("COL_CODE", p.COL_CODE.text(), "COL_COMM", p.COL_COMM, colCode_, colComm_));
  fl->addRow("Agent Code:",
             pair("AGE_CODE", p.AGE_CODE.text(), "AGE_COMM", p.AGE_COMM, ageCode_, ageComm_));
  date_ = new QDateEdit(qdateFromDay(static_cast<int>(p.DATE.value)), this);
  date_->setObjectName("DATE");
  date_->setDisplayFormat("dd/MM/yyyy");
  date_->setCalendarPopup(true);
  fl->addRow("Date:", date_);
  lay->addLayout(fl);
  lay->addWidget(radios(this, "Who Paid?", "WhoPaid", kWhoPaid,
                        form.whoPaidSelf ? kWhoPaid[1] : kWhoPaid[0], who_));
  double_ = new QCheckBox("Double Payment", this);
  double_->setObjectName("DBLPAY");
  double_->setToolTip("Place Tick in box if payment for last month");
  double_->setChecked(p.DBLPAY == 1);
  lay->addWidget(double_);

  auto* box = new QDialogButtonBox(this);
  auto* ok = box->addButton("&Accept", QDialogButtonBox::AcceptRole);
  ok->setObjectName("OK");
  ok->setDefault(true);
  box->addButton("&Cancel", QDialogButtonBox::RejectRole)->setObjectName("Cancel");
  connect(box, &QDialogButtonBox::accepted, this, &BasicPaymentWindow::acceptPressed);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  lay->addWidget(box);
  amount_->setFocus();
  amount_->selectAll();
}

template <class L>
bool BasicPaymentWindow<L>::take() {
  auto& p = form_.payment();
  if (accounts_->checkedId() >= 0)
    form_.setAccount(kReceivedInto[static_cast<std::size_t>(accounts_->checkedId())]);
  if (sources_->checkedId() >= 0)
    form_.setSource(kSources[static_cast<std::size_t>(sources_->checkedId())]);
  p.COL_CODE = colCode_->text().trimmed().toStdString();
  p.AGE_CODE = ageCode_->text().trimmed().toStdString();
  p.DATE = dayFromQDate(date_->date());
  form_.whoPaidSelf = who_->checkedId() == 1;
  form_.printReceipt = print_->isChecked();
  form_.setDoublePayment(double_->isChecked());
  return form_.enterCommission(false, colComm_->text().toStdString()) &&
         form_.enterCommission(true, ageComm_->text().toStdString()) &&
         form_.enterAmount(amount_->text().toStdString());
}

template <class L>
void BasicPaymentWindow<L>::acceptPressed() {
  if (!take()) {
    amount_->setFocus();
    amount_->selectAll();
    return;
  }
  switch (form_.ok()) {
    case BasicPaymentForm<L>::Step::Close:
      accept();
      return;
    case BasicPaymentForm<L>::Step::FocusAmount:
      amount_->setFocus();
      amount_->selectAll();
      return;
    case BasicPaymentForm<L>::Step::Stay:
      return;
  }
}

template <class L>
void printLedgerReceiptTo(DataFiles& files, Ui& ui, const Clock& clock,
                          const typename L::Payment& payment, QWidget* parent,
                          ReportOutput* receipts) {
  PreviewOutput preview(parent);
  ReportContext ctx(files, ui, clock);
  printLedgerReceipt<L>(ctx, receipts ? *receipts : preview, payment);
}

template <class L>
Response runLedgerPaymentWindow(DataFiles& files, Ui& ui, const Clock& clock,
                                const std::string& user, Request request, QWidget* parent,
                                ReportOutput* receipts) {
  BasicPaymentForm<L> form(files, ui, clock, user, request);
  if (!form.open()) return Response::Cancelled;
  form.receipt = [&](const typename L::Payment& p) {
    printLedgerReceiptTo<L>(files, ui, clock, p, parent, receipts);
  };
  BasicPaymentWindow<L> w(form, parent);
  w.exec();
  return form.response();
}

template void printLedgerReceiptTo<ledger::BurialCover>(DataFiles&, Ui&, const Clock&,
                                                        const rec::VelPay&, QWidget*,
                                                        ReportOutput*);
template void printLedgerReceiptTo<ledger::HamperClub>(DataFiles&, Ui&, const Clock&,
                                                       const rec::HamPay&, QWidget*, ReportOutput*);
template class BasicPaymentWindow<ledger::BurialCover>;
template class BasicPaymentWindow<ledger::HamperClub>;
template Response runLedgerPaymentWindow<ledger::BurialCover>(DataFiles&, Ui&, const Clock&,
                                                              const std::string&, Request, QWidget*,
                                                              ReportOutput*);
template Response runLedgerPaymentWindow<ledger::HamperClub>(DataFiles&, Ui&, const Clock&,
                                                             const std::string&, Request, QWidget*,
                                                             ReportOutput*);

}  // namespace vel::qt
