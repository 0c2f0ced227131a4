#include "billing/qt/CaptureWindows.h"

#include <QApplication>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/Money.h"
#include "common/Picture.h"
#include "dictionary/Dictionary.h"
#include "forms/Catalog.h"
#include "forms/qt/ListWindow.h"
#include "recordstore/DataFiles.h"
#include "reports/qt/PrintPreviewWindow.h"
#include "shell/qt/DateRangeWindow.h"

namespace vel::qt {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

std::optional<std::string> pickAgent(DataFiles& files, Ui& ui, const Catalog& catalog,
                                     QWidget* parent) {
  const ListDecl* decl = catalog.list("Browse_Agent");
  if (!decl) return std::nullopt;
  RecordBuffer picked(files.fm(decl->file).layout());
  if (!runListWindow(files, ui, catalog, *decl, ListMode::Select, parent, &picked))
    return std::nullopt;
  return std::string(rtrim(picked.field(picked.layout().fieldIndex("CODE")).text()));
}

QToolButton* lookupButton(QWidget* parent, const char* name) {
  auto* b = new QToolButton(parent);
  b->setText("...");
  b->setObjectName(name);
  return b;
}

QDateEdit* dateEdit(std::int32_t day, QWidget* parent) {
  auto* d = new QDateEdit(qdateFromDay(day), parent);
  d->setObjectName("DATE");
  d->setDisplayFormat("dd/MM/yyyy");
  d->setCalendarPopup(true);
  d->setToolTip("Select a Date");
  return d;
}

QString moneyText(std::int64_t cents) { return q(formatPicture("n-_10.2", fromCents(cents))); }

// "&OK" and "&Cancel" under a window.
QDialogButtonBox* okCancel(QDialog* d, const char* okText = "&OK") {
  auto* box = new QDialogButtonBox(d);
  auto* ok = box->addButton(okText, QDialogButtonBox::AcceptRole);
  ok->setObjectName("OK");
  ok->setDefault(true);
  box->addButton("&Cancel", QDialogButtonBox::RejectRole)->setObjectName("Cancel");
  return box;
}

}  // namespace

// ---------------------------------------------------------------- Agent

CaptureAgentWindow::CaptureAgentWindow(DataFiles& files, Ui& ui, const Catalog& catalog,
                                       QWidget* parent)
    : QDialog(parent) {
  setObjectName("Agent");
  setWindowTitle("Agent");
  auto* lay = new QVBoxLayout(this);
  auto* fl = new QFormLayout;
  auto* row = new QHBoxLayout;
  code_ = new QLineEdit(this);
  code_->setObjectName("CODE");
  code_->setMaxLength(5);
  row->addWidget(code_, 1);
  auto* b = lookupButton(this, "CODE_lookup");
  b->setToolTip("Select an agent");
  connect(b, &QToolButton::clicked, this, [this, &files, &ui, &catalog] {
    if (auto c = pickAgent(files, ui, catalog, this)) code_->setText(q(*c));
  });
  row->addWidget(b);
  fl->addRow("Agent:", row);
  lay->addLayout(fl);
  auto* box = new QDialogButtonBox(this);
  auto* process = box->addButton("&Process", QDialogButtonBox::AcceptRole);
  process->setObjectName("Process");
  process->setDefault(true);
  box->addButton("&Cancel", QDialogButtonBox::RejectRole)->setObjectName("Cancel");
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  lay->addWidget(box);
}

std::string CaptureAgentWindow::code() const { return code_->text().trimmed().toStdString(); }

// ---------------------------------------------------------------- Range

NumberRangeWindow::NumberRangeWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("Get_Range");
  setWindowTitle("Select Number Range");
  auto* lay = new QVBoxLayout(this);
  auto* fl = new QFormLayout;
  auto digits = [this](const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setMaxLength(7);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,7}"), e));
    return e;
  };
  start_ = digits("START");
  end_ = digits("END");
  fl->addRow("Start:", start_);
  fl->addRow("End:", end_);
  lay->addLayout(fl);
  auto* box = okCancel(this);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  lay->addWidget(box);
}

std::pair<std::int64_t, std::int64_t> NumberRangeWindow::range() const {
  return {start_->text().toLongLong(), end_->text().toLongLong()};
}

// ---------------------------------------------------------------- Receipt

ReceiptWindow::ReceiptWindow(ReceiptForm& form, QWidget* parent) : QDialog(parent), form_(form) {
  setObjectName(kCaptureReceipt);
  setWindowTitle("Receipt No");
  auto* lay = new QVBoxLayout(this);
  auto* fl = new QFormLayout;
  auto* agent = new QLineEdit(q(form.agent()), this);
  agent->setObjectName("AGENT");
  agent->setReadOnly(true);
  fl->addRow("Agent Code:", agent);
  number_ = new QLineEdit(QString::number(form.entry().number), this);
  number_->setObjectName("NUMBER");
  number_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,7}"), number_));
  fl->addRow("Receipt Number:", number_);
  date_ = dateEdit(form.entry().date, this);
  fl->addRow("Date:", date_);
  amount_ = new QLineEdit(q(fixedDecimal(form.entry().amount, 2)), this);
  amount_->setObjectName("AMOUNT");
  fl->addRow("Amount:", amount_);
  client_ = new QLineEdit(this);
  client_->setObjectName("CLIENT_ID");
  client_->setMaxLength(10);
  fl->addRow("Client ID:", client_);
  lay->addLayout(fl);
  auto* box = okCancel(this);
  connect(box, &QDialogButtonBox::accepted, this, &ReceiptWindow::okPressed);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  lay->addWidget(box);
  client_->setFocus();
}

bool ReceiptWindow::take() {
  ReceiptEntry& e = form_.entry();
  form_.setNumber(number_->text().toLongLong());
  e.date = dayFromQDate(date_->date());
  e.clientId = client_->text().trimmed().toStdString();
  return form_.enterAmount(amount_->text().toStdString());
}

void ReceiptWindow::okPressed() {
  if (!take()) {
    amount_->setFocus();
    amount_->selectAll();
    return;
  }
  switch (form_.ok()) {
    case ReceiptForm::Step::Close:
      accept();
      return;
    case ReceiptForm::Step::FocusClient:
      client_->setFocus();
      client_->selectAll();
      return;
    case ReceiptForm::Step::Stay:
      return;
  }
}

// ---------------------------------------------------------------- Cashbox

CashboxWindow::CashboxWindow(CashboxForm& form, DataFiles& files, Ui& ui, const Catalog& catalog,
                             QWidget* parent)
    : QDialog(parent), form_(form), files_(files), ui_(ui), catalog_(catalog) {
  setObjectName(kCashboxForm);
  setWindowTitle("Form Cashbox");
  auto* lay = new QVBoxLayout(this);
  auto* fl = new QFormLayout;
  date_ = dateEdit(static_cast<std::int32_t>(form.record().DATE.value), this);
  fl->addRow("Date:", date_);
  auto* row = new QHBoxLayout;
  agent_ = new QLineEdit(q(form.record().CODE.text()), this);
  agent_->setObjectName("CODE");
  agent_->setMaxLength(5);
  row->addWidget(agent_, 1);
  auto* b = lookupButton(this, "CODE_lookup");
  connect(b, &QToolButton::clicked, this, [this] {
    if (auto c = pickAgent(files_, ui_, catalog_, this)) {
      agent_->setText(q(*c));
      form_.enterAgent(*c);
    }
  });
  connect(agent_, &QLineEdit::editingFinished, this, &CashboxWindow::agentEntered);
  row->addWidget(b);
  fl->addRow("Agent Code:", row);
  auto* running = new QLabel(moneyText(form.runningCents()), this);
  running->setObjectName("IN_TOTAL");
  fl->addRow("Total Receipts:", running);
  lay->addLayout(fl);

  auto* grid = new QGridLayout;
  for (int i = 0; i < kDenominations; ++i) {
    const auto k = static_cast<std::size_t>(i);
    auto* e = new QLineEdit("0", this);
    e->setObjectName(kDenominationFields[k]);
    e->setMaximumWidth(90);
    counts_[k] = e;
    lines_[k] = new QLabel(moneyText(0), this);
    lines_[k]->setObjectName(QString(kDenominationFields[k]) + "_value");
    lines_[k]->setMinimumWidth(80);
    lines_[k]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const int col = i < 8 ? 0 : 3, r = i < 8 ? i : i - 8;
    grid->addWidget(new QLabel(kDenominationLabels[k], this), r, col);
    grid->addWidget(e, r, col + 1);
    grid->addWidget(lines_[k], r, col + 2);
    connect(e, &QLineEdit::editingFinished, this, [this, i] { countEntered(i); });
  }
  lay->addLayout(grid);
  auto* totals = new QFormLayout;
  cash_ = new QLabel(this);
  cash_->setObjectName("CSH_TOTAL");
  difference_ = new QLabel(this);
  difference_->setObjectName("Difference");
  totals->addRow("Cash Total:", cash_);
  totals->addRow("Difference:", difference_);
  lay->addLayout(totals);
  auto* box = okCancel(this);
  connect(box, &QDialogButtonBox::accepted, this, &CashboxWindow::okPressed);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  lay->addWidget(box);
  redraw();
}

void CashboxWindow::countEntered(int i) {
  QLineEdit* e = counts_[static_cast<std::size_t>(i)];
  if (!e->isModified()) return;
  e->setModified(false);
  if (!form_.enterCount(i, e->text().toStdString())) {
    e->setText(QString::number(form_.count(i)));
    e->setFocus();
    e->selectAll();
  }
  redraw();
}

void CashboxWindow::agentEntered() {
  if (!agent_->isModified()) return;
  agent_->setModified(false);
  if (form_.enterAgent(agent_->text().toStdString())) {
    agent_->setText(q(form_.record().CODE.text()));
    return;
  }
  // A code not on file opens the agent list; cancelling leaves the focus here.
  if (auto c = pickAgent(files_, ui_, catalog_, this)) {
    agent_->setText(q(*c));
    form_.enterAgent(*c);
  } else {
    agent_->setFocus();
  }
}

void CashboxWindow::redraw() {
  for (int i = 0; i < kDenominations; ++i)
    lines_[static_cast<std::size_t>(i)]->setText(moneyText(form_.lineCents(i)));
  cash_->setText(moneyText(form_.cashCents()));
  difference_->setText(moneyText(form_.differenceCents()));
}

void CashboxWindow::okPressed() {
  // A count still being typed is taken first, as leaving its entry would.
  for (int i = 0; i < kDenominations; ++i)
    if (counts_[static_cast<std::size_t>(i)]->isModified()) countEntered(i);
  form_.setDate(dayFromQDate(date_->date()));
  if (form_.ok() == CashboxForm::Step::Close) accept();
}

// ---------------------------------------------------------------- the run

QtCaptureWindows::QtCaptureWindows(DataFiles& files, Ui& ui, const Catalog& catalog,
                                   QWidget* parent, ReportOutput* output)
    : files_(files), ui_(ui), catalog_(catalog), parent_(parent), output_(output) {}

QtCaptureWindows::~QtCaptureWindows() = default;

std::optional<std::string> QtCaptureWindows::agent() {
  CaptureAgentWindow w(files_, ui_, catalog_, parent_);
  if (w.exec() != QDialog::Accepted) return std::nullopt;
  return w.code();
}

std::optional<std::pair<std::int64_t, std::int64_t>> QtCaptureWindows::numberRange() {
  NumberRangeWindow w(parent_);
  if (w.exec() != QDialog::Accepted) return std::nullopt;
  return w.range();
}

void QtCaptureWindows::receipt(ReceiptForm& form) {
  ReceiptWindow w(form, parent_);
  w.exec();
}

void QtCaptureWindows::cashbox(CashboxForm& form) {
  CashboxWindow w(form, files_, ui_, catalog_, parent_);
  w.exec();
}

ReportOutput& QtCaptureWindows::receipts() {
  if (output_) return *output_;
  if (!preview_) preview_ = std::make_unique<PreviewOutput>(parent_);
  return *preview_;
}

}  // namespace vel::qt
