#include "members/qt/ClientBrowseWindow.h"
#include "members/qt/ClientFormWindow.h"
#include "billing/qt/PaymentWindow.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>
#include <memory>

#include "dictionary/MemberFiles.h"
#include "forms/Catalog.h"
#include "forms/qt/ListWindow.h"
#include "members/Check4ID.h"
#include "members/MemberContext.h"
#include "members/qt/ClientFormWindow.h"
#include "recordstore/DataFiles.h"
#include "reports/ClientDocuments.h"
#include "reports/qt/PrintPreviewWindow.h"
#include "shell/Globals.h"
#include "shell/Procedures.h"
#include "shell/ShellUi.h"

namespace vel::qt {

namespace {

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// A panel of one client's rows: no sort tabs or locator to show.
ListPanel* clientPanel(DataFiles& files, Ui& ui, const Catalog& catalog, const char* name,
                       QWidget* parent) {
  return sidePanel(files, ui, catalog, *catalog.list(name), 5, parent);
}

QPushButton* button(const char* text, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString(text).remove(QChar('&')));
  b->setAutoDefault(false);
  return b;
}

}  // namespace

ClientBrowseWindow::ClientBrowseWindow(DataFiles& files, Ui& ui, const Catalog& catalog,
                                       ClientBrowsePrints prints, QWidget* parent)
    : QDialog(parent), files_(files), ui_(ui), prints_(std::move(prints)) {
  const ListDecl& decl = *catalog.list(kBrowseClient);
  setObjectName(q(decl.procedure));
  setWindowTitle(q(decl.title));
  auto* outer = new QVBoxLayout(this);
  auto* body = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  clients_ = new ListPanel(files, ui, catalog, decl, ListMode::Maintain, this);
  narrowToSitBesidePanels(*clients_);
  left->addWidget(clients_, 1);
  auto* countRow = new QHBoxLayout;
  countRow->addWidget(new QLabel("No of Clients", this));
  count_ = new QLabel(this);
  count_->setObjectName("NoOfClients");
  countRow->addWidget(count_);
  countRow->addStretch();
  left->addLayout(countRow);
  body->addLayout(left, 3);

  auto* right = new QVBoxLayout;
  ageing_ = clientPanel(files, ui, catalog, kClientAgeing, this);
  right->addWidget(ageing_);
  right->addWidget(new QLabel("General Remarks", this));
  remarks_ = new QPlainTextEdit(this);
  remarks_->setObjectName("GeneralRemarks");
  remarks_->setReadOnly(true);
  remarks_->setMaximumHeight(remarks_->fontMetrics().height() * 5);
  right->addWidget(remarks_);
  auto* edit = button("Edit Remarks", this);
  right->addWidget(edit, 0, Qt::AlignLeft);
  invoices_ = clientPanel(files, ui, catalog, kClientInvoices, this);
  right->addWidget(invoices_);
  payments_ = clientPanel(files, ui, catalog, kClientPayments, this);
  right->addWidget(payments_);
  body->addLayout(right, 2);
  outer->addLayout(body, 1);

  // The client's print-outs preview the highlighted client's document;
  // "Print Receipt" belongs to the payment the payments panel highlights.
  auto* row = new QGridLayout;
  const char* texts[] = {"Print Documentation", "Print Receipt",        "Statement",
                         "Print Route Info",    "Print Client Info",    "Print Collection List",
                         "Check if ID Exists",  "Print Route Info per Period"};
  int i = 0;
  for (const char* t : texts) {
    QPushButton* b = button(t, this);
    row->addWidget(b, i / 4, i % 4);
    ++i;
    const std::string text = t;
    if (text == "Print Documentation" || text == "Statement" || text == "Print Client Info" ||
        text == "Print Route Info" || text == "Print Collection List") {
      connect(b, &QPushButton::clicked, this, [this, text] {
        const std::string& id = memberContext().CUR_CLIENT_ID;
        if (prints_.client && !id.empty()) prints_.client(text, id);
      });
    } else if (text == "Print Route Info per Period") {
      connect(b, &QPushButton::clicked, this, [this] {
        if (prints_.period) prints_.period();
      });
    } else if (text == "Check if ID Exists") {
      connect(b, &QPushButton::clicked, this, &ClientBrowseWindow::checkId);
    } else if (text == "Print Receipt") {
      // The payments panel prints its highlighted payment; its own print
      // button is not shown, so the window has one "Print Receipt".
      if (QPushButton* print = payments_->button(kActPrint)) {
        payments_->hideButton(kActPrint);
        connect(b, &QPushButton::clicked, print, &QPushButton::click);
      }
    }
  }
  auto* close = button("&Close", this);
  close->setToolTip("Close Window");
  row->addWidget(close, 1, 4);
  outer->addLayout(row);

  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(edit, &QPushButton::clicked, this, &ClientBrowseWindow::editRemarks);
  connect(clients_, &ListPanel::currentChanged, this, &ClientBrowseWindow::follow);
  // Any button of the client list may have added or removed a policy.
  for (ListAction a : {kActInsert, kActChange, kActDelete})
    if (QPushButton* b = clients_->button(a))
      connect(b, &QPushButton::clicked, this, [this] { recount(); follow(); });
  // A payment or invoice changed moves the client's ageing too.
  for (ListPanel* p : {invoices_, payments_})
    for (ListAction a : {kActInsert, kActChange, kActDelete})
      if (QPushButton* b = p->button(a)) connect(b, &QPushButton::clicked, this, [this] { follow(); });
  recount();
  follow();
  clients_->table()->setFocus();
}

void ClientBrowseWindow::recount() { count_->setText(QString::number(clientCount(files_))); }

void ClientBrowseWindow::follow() {
  RecordBuffer rec(files_.fm<rec::VelCli>().layout());
  bool have = clients_->currentRecord(rec);
  const auto* c = have ? static_cast<const rec::VelCli*>(rec.get()) : nullptr;
  // No client highlighted: a value no client number holds, so the panels
  // stand empty.
  memberContext().CUR_CLIENT_ID = c ? c->CLIENT_ID.text() : std::string();
  std::string id = c ? memberContext().CUR_CLIENT_ID : std::string("\x01");
  for (ListPanel* p : {ageing_, invoices_, payments_}) {
    p->setRange({{"CLIENT_ID", id}});
    p->first();
  }
  remarks_->setPlainText(c ? q(c->REMARKS.str()) : QString());
}

void ClientBrowseWindow::editRemarks() {
  const ListRow* row = clients_->current();
  if (!row) return;
  RecordBuffer rec(files_.fm<rec::VelCli>().layout());
  if (!clients_->currentRecord(rec)) return;
  QString text = q(static_cast<const rec::VelCli*>(rec.get())->REMARKS.str());
  memberContext().REMARKS_OF_HAMPER = 0;  // the client's remarks, not a hamper member's
  if (!runRemarksWindow(text, this)) return;
  std::string position = row->position;
  if (saveRemarks(files_, position, text.toStdString())) clients_->refresh(position);
  follow();
}

ClientSelectWindow::ClientSelectWindow(
    DataFiles& files, Ui& ui, const Catalog& catalog,
    std::function<void(const std::vector<rec::VelCli>&)> printList, QWidget* parent)
    : QDialog(parent), files_(files) {
  const ListDecl& decl = *catalog.list(kClientSelect);
  setObjectName(q(decl.procedure));
  setWindowTitle(q(decl.title));
  auto* outer = new QVBoxLayout(this);
  auto* body = new QHBoxLayout;
  clients_ = new ListPanel(files, ui, catalog, decl, ListMode::Maintain, this);
  body->addWidget(clients_, 3);
  auto* right = new QVBoxLayout;
  picks_ = clientPanel(files, ui, catalog, kPickList, this);
  right->addWidget(picks_, 1);
  auto* countRow = new QHBoxLayout;
  countRow->addWidget(new QLabel("Number to Print", this));
  count_ = new QLabel(this);
  count_->setObjectName("NumberToPrint");
  countRow->addWidget(count_);
  countRow->addStretch();
  right->addLayout(countRow);
  body->addLayout(right, 2);
  outer->addLayout(body, 1);
  auto* row = new QHBoxLayout;
  auto* clear = button("Clear List", this);
  auto* add = button("Add to List", this);
  auto* print = button("Print List", this);
  auto* close = button("&Close", this);
  close->setToolTip("Close Window");
  for (QPushButton* b : {clear, add, print}) row->addWidget(b);
  row->addStretch();
  row->addWidget(close);
  outer->addLayout(row);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(clear, &QPushButton::clicked, this, [this] {
    clearPickList(files_);
    reread();
  });
  connect(add, &QPushButton::clicked, this, [this] {
    RecordBuffer rec(files_.fm<rec::VelCli>().layout());
    if (!clients_->currentRecord(rec)) return;
    addToPickList(files_, *static_cast<const rec::VelCli*>(rec.get()));
    reread();
  });
  connect(print, &QPushButton::clicked, this, [this, printList] {
    if (printList) printList(pickedClients(files_));
  });
  reread();
  clients_->table()->setFocus();
}

void ClientBrowseWindow::checkId() {
  // The number typed stays in GLO:ID_NUMBER and primes the next new policy.
  memberContext().GLO_ID_NUMBER.clear();
  std::optional<std::string> number = askIdNumber(this);
  if (!number) return;
  memberContext().GLO_ID_NUMBER = *number;
  Check4ID(files_, ui_, *number);
}

std::optional<std::string> askIdNumber(QWidget* parent) {
  QDialog d(parent);
  d.setObjectName("Check4ID");
  d.setWindowTitle("Check ID Number");
  auto* lay = new QFormLayout(&d);
  auto* edit = new QLineEdit(&d);
  edit->setObjectName("GLO_ID_NUMBER");
  edit->setMaxLength(13);
  lay->addRow("ID Number to be checked", edit);
  auto* ok = new QPushButton("OK", &d);
  ok->setObjectName("OK");
  ok->setDefault(true);
  lay->addRow(ok);
  QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  return edit->text().trimmed().toStdString();
}

void ClientSelectWindow::reread() {
  count_->setText(QString::number(pickCount(files_)));
  picks_->refresh();
}

bool runRemarksWindow(QString& text, QWidget* parent) {
  QDialog d(parent);
  d.setObjectName("RemarksVelWin");
  d.setWindowTitle("Remarks");
  auto* lay = new QVBoxLayout(&d);
  auto* edit = new QPlainTextEdit(&d);
  edit->setObjectName("Remarks");
  edit->setPlainText(text);
  // The field holds 10240 characters; typing stops there.
  QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit] {
    QString t = edit->toPlainText();
    if (t.toUtf8().size() > 10240) {
      QByteArray b = t.toUtf8().left(10240);
      edit->setPlainText(QString::fromUtf8(b));
      edit->moveCursor(QTextCursor::End);
    }
  });
  lay->addWidget(edit);
  auto* box = new QDialogButtonBox(&d);
  box->addButton("OK", QDialogButtonBox::AcceptRole)->setObjectName("OK");
  box->addButton("Cancel", QDialogButtonBox::RejectRole)->setObjectName("Cancel");
  QObject::connect(box, &QDialogButtonBox::accepted, &d, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  lay->addWidget(box);
  d.resize(480, 320);
  if (d.exec() != QDialog::Accepted) return false;
  text = edit->toPlainText();
  return true;
}

void runClientBrowse(DataFiles& files, Ui& ui, const Catalog& catalog,
                     const ClientBrowsePrints& prints, QWidget* parent) {
  // The browse's files stay open while it is open.
  FileUse cli(files.fm<rec::VelCli>());
  ClientBrowseWindow w(files, ui, catalog, prints, parent);
  w.resize(fittedSize(w, QSize(1200, 700)));
  w.exec();
}

}  // namespace vel::qt

namespace vel::qt {

void registerClientBrowse(ProcedureTable& procedures, DataFiles& files, ShellUi& ui,
                          Catalog& catalog, const Clock& clock, QWidget* parent) {
  ClientBrowseSetup setup;
  setup.clock = &clock;
  setup.user = [] { return globals().LOGPROG(); };
  // The policy buttons open the client form, whose dependant tab lists the
  // policy's children and extended family.
  auto open = std::make_shared<OpenClientForm>();
  addClientDependants(catalog, clock, open);
  setup.clientForm = [&files, &ui, &catalog, &clock, parent, open](Request r) {
    return runClientFormWindow(files, ui, catalog, clock, r, open,
                               QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                                 : parent);
  };
  // The payments panel's insert and change open "Make a Payment"; its
  // "Print Receipt" prints the highlighted payment's receipt.
  setup.paymentForm = [&files, &ui, &clock, parent](Request r) {
    QWidget* over = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : parent;
    return runPaymentWindow(files, ui, clock, globals().LOGPROG(), r, over);
  };
  setup.printReceipt = [&files, &ui, &clock, parent](const rec::VelPay& p) {
    QWidget* over = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : parent;
    printPaymentReceiptTo(files, ui, clock, p, over);
  };
  addClientBrowse(catalog, std::move(setup));
  // The client's documents go to the print preview, as every report does.
  ClientBrowsePrints prints;
  prints.client = [&files, &ui, &clock, parent](std::string_view which, const std::string& id) {
    PreviewOutput out(parent);
    if (which == "Statement") {
      printClientStatement(files, ui, clock, id, out);
      return;
    }
    ReportContext ctx(files, ui, clock);
    if (which == "Print Route Info" || which == "Print Collection List") {
      presentReport(
          ctx, out, "Printing Collection Cards, please wait ...",
          [&](ReportContext& c, ReportProgress& p) { return clientCollectionCard(c, p, id); });
      return;
    }
    const bool pack = which == "Print Documentation";
    presentReport(ctx, out, pack ? "Policy Documents" : "Client Information",
                  [&](ReportContext& c, ReportProgress& p) {
                    return pack ? policyPack(c, p, id) : clientInfoSheet(c, p, id);
                  });
  };
  prints.period = [&files, &ui, &clock, parent] {
    PreviewOutput out(parent);
    // The period asked becomes START_DATE, as any report's period prompt does.
    if (auto period = printPeriodCollectionCards(files, ui, clock, out))
      memberContext().START_DATE = period->first;
  };
  procedures.add(kBrowseClient, [&files, &ui, &catalog, parent, prints] {
    runClientBrowse(files, ui, catalog, prints, parent);
  });
  // "Print Selected Collection Lists": the pick list, whose "Print List"
  // previews a collection card for every client still on file.
  procedures.add("Print_Selected_Collection", [&files, &ui, &catalog, &clock, parent] {
    FileUse cli(files.fm<rec::VelCli>());
    FileUse prn(files.fm<rec::PrnCli>());
    auto printList = [&](const std::vector<rec::VelCli>& picked) {
      if (picked.empty()) return;
      PreviewOutput out(QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                          : parent);
      ReportContext ctx(files, ui, clock);
      presentReport(
          ctx, out, "Printing Collection Cards, please wait ...",
          [&](ReportContext& c, ReportProgress&) { return clientCardsDocument(c, picked); });
    };
    ClientSelectWindow w(files, ui, catalog, printList, parent);
    w.resize(1100, 650);
    w.exec();
  });
}

}  // namespace vel::qt
