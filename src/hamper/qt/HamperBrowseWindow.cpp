#include "hamper/qt/HamperBrowseWindow.h"

#include <QApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "dictionary/Dictionary.h"
#include "forms/Catalog.h"
#include "forms/FormCycle.h"
#include "forms/qt/FormWindow.h"
#include "forms/qt/ListWindow.h"
#include "hamper/HamperCheck.h"
#include "hamper/HamperCopy.h"
#include "hamper/HamperLedgerForms.h"
#include "hamper/qt/HamperPaymentWindow.h"
#include "hamper/qt/HamperPrints.h"
#include "members/MemberContext.h"
#include "members/qt/ClientBrowseWindow.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "shell/Globals.h"
#include "shell/Procedures.h"
#include "shell/ShellUi.h"
#include "sms/SmsRun.h"
#include "sms/SmsWorker.h"

namespace vel::qt {

namespace {

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// A panel of one member's rows: no sort tabs or locator to show.
ListPanel* memberPanel(DataFiles& files, Ui& ui, const Catalog& catalog, const char* name,
                       QWidget* parent) {
  return sidePanel(files, ui, catalog, *catalog.list(name), 4, parent);
}

QPushButton* button(const char* text, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString(text).remove(QChar('&')));
  b->setAutoDefault(false);
  return b;
}

QWidget* over(QWidget* parent) {
  return QApplication::activeModalWidget() ? QApplication::activeModalWidget() : parent;
}

}  // namespace

HamperBrowseWindow::HamperBrowseWindow(DataFiles& files, Ui& ui, const Catalog& catalog,
                                       HamperBrowsePrints prints, QWidget* parent)
    : QDialog(parent), files_(files), ui_(ui), prints_(std::move(prints)) {
  const ListDecl& decl = *catalog.list(kBrowseHamper);
  setObjectName(q(decl.procedure));
  setWindowTitle(q(decl.title));
  auto* outer = new QVBoxLayout(this);
  auto* body = new QHBoxLayout;
  members_ = new ListPanel(files, ui, catalog, decl, ListMode::Maintain, this);
  narrowToSitBesidePanels(*members_);
  body->addWidget(members_, 3);

  auto* right = new QVBoxLayout;
  ageing_ = memberPanel(files, ui, catalog, kHamperAgeing, this);
  right->addWidget(ageing_);
  right->addWidget(new QLabel("General Remarks", this));
  remarks_ = new QPlainTextEdit(this);
  remarks_->setObjectName("GeneralRemarks");
  remarks_->setReadOnly(true);
  remarks_->setMaximumHeight(remarks_->fontMetrics().height() * 5);
  right->addWidget(remarks_);
  auto* edit = button("Edit Remarks", this);
  right->addWidget(edit, 0, Qt::AlignLeft);
  invoices_ = memberPanel(files, ui, catalog, kHamperInvoices, this);
  right->addWidget(invoices_);
  payments_ = memberPanel(files, ui, catalog, kHamperPayments, this);
  right->addWidget(payments_);
  body->addLayout(right, 2);
  outer->addLayout(body, 1);

  // "Print Receipt" prints the payment the payments panel highlights; the
  // others belong to the highlighted member.
  auto* row = new QGridLayout;
  const char* texts[] = {"Check if ID Exists", "Print Collection List",       "Print Client Info",
                         "Print Route Info",   "Print Route Info per Period", "Statement",
                         "Print Receipt"};
  int i = 0;
  for (const char* t : texts) {
    QPushButton* b = button(t, this);
    row->addWidget(b, i / 4, i % 4);
    ++i;
    const std::string text = t;
    if (text == "Check if ID Exists") {
      connect(b, &QPushButton::clicked, this, &HamperBrowseWindow::checkId);
    } else if (text == "Print Route Info per Period") {
      connect(b, &QPushButton::clicked, this, [this] {
        if (prints_.period) prints_.period();
      });
    } else if (text == "Print Receipt") {
      // The payments panel prints its highlighted payment; its own print
      // button is not shown, so the window has one "Print Receipt".
      if (QPushButton* print = payments_->button(kActPrint)) {
        payments_->hideButton(kActPrint);
        connect(b, &QPushButton::clicked, print, &QPushButton::click);
      }
    } else {
      connect(b, &QPushButton::clicked, this, [this, text] {
        const std::string& id = memberContext().CUR_CLIENT_ID;
        if (prints_.member && !id.empty()) prints_.member(text, id);
      });
    }
  }
  auto* close = button("&Close", this);
  close->setToolTip("Close Window");
  row->addWidget(close, 1, 3);
  outer->addLayout(row);

  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(edit, &QPushButton::clicked, this, &HamperBrowseWindow::editRemarks);
  connect(members_, &ListPanel::currentChanged, this, &HamperBrowseWindow::follow);
  for (ListPanel* p : {members_, invoices_, payments_})
    for (ListAction a : {kActInsert, kActChange, kActDelete})
      if (QPushButton* b = p->button(a)) connect(b, &QPushButton::clicked, this, [this] { follow(); });
  follow();
  members_->table()->setFocus();
}

void HamperBrowseWindow::follow() {
  RecordBuffer rec(files_.fm<rec::Hamper>().layout());
  const bool have = members_->currentRecord(rec);
  const auto* h = have ? static_cast<const rec::Hamper*>(rec.get()) : nullptr;
  memberContext().CUR_CLIENT_ID = h ? h->CLIENT_ID.text() : std::string();
  // No member highlighted: a value no client number holds, so the panels
  // stand empty.
  const std::string id = h ? memberContext().CUR_CLIENT_ID : std::string("\x01");
  for (ListPanel* p : {ageing_, invoices_, payments_}) {
    p->setRange({{"CLIENT_ID", id}});
    p->first();
  }
  remarks_->setPlainText(h ? q(h->REMARKS.str()) : QString());
}

void HamperBrowseWindow::editRemarks() {
  const ListRow* row = members_->current();
  if (!row) return;
  RecordBuffer rec(files_.fm<rec::Hamper>().layout());
  if (!members_->currentRecord(rec)) return;
  QString text = q(static_cast<const rec::Hamper*>(rec.get())->REMARKS.str());
  memberContext().REMARKS_OF_HAMPER = 1;  // the member's remarks, not a client's
  if (!runRemarksWindow(text, this)) return;
  const std::string position = row->position;
  if (saveHamperRemarks(files_, position, text.toStdString())) members_->refresh(position);
  follow();
}

void HamperBrowseWindow::checkId() {
  std::optional<std::string> number = askIdNumber(this);
  if (!number) return;
  Check4HamID(files_, ui_, *number);
}

Response runHamperForm(DataFiles& files, Ui& ui, const Catalog& catalog, const Clock& clock,
                       Request request, QWidget* parent) {
  const FormDecl* decl = catalog.form(kUpdateHamper);
  if (!decl) return Response::Cancelled;
  FormCycle cycle(files, ui, *decl, request);
  if (!cycle.open()) return Response::Cancelled;
  FormWindow w(cycle, files, ui, catalog, parent);
  // "Send Message now": the member's free message as the form holds it.
  if (auto* tabs = w.findChild<QTabWidget*>()) {
    for (int t = 0; t < tabs->count(); ++t) {
      if (tabs->tabText(t) != "Remarks / SMS" || !tabs->widget(t)->layout()) continue;
      auto* send = button("Send Message now", tabs->widget(t));
      send->setObjectName("SendMessageNow");
      tabs->widget(t)->layout()->addWidget(send);
      QObject::connect(send, &QPushButton::clicked, &w, [&files, &ui, &clock, &cycle] {
        sms::Send_Message(files, ui, clock,
                          sms::memberMessageOf(cycle.file().rec<rec::Hamper>()));
      });
    }
  }
  w.exec();
  return cycle.response();
}

void registerHamperProcedures(ProcedureTable& procedures, DataFiles& files, ShellUi& ui,
                              Catalog& catalog, const Clock& clock, QWidget* parent) {
  catalog.add(hamperFormDecl(clock));
  addHamperLedgerForms(catalog, clock, [] { return globals().LOGPROG(); });
  HamperBrowsePrints prints;
  prints.member = [&files, &ui, &clock, parent](std::string_view which, const std::string& id) {
    printHamperButton(files, ui, clock, which, id, over(parent));
  };
  prints.period = [&files, &ui, &clock, parent] {
    printHamperButton(files, ui, clock, "Print Route Info per Period", {}, over(parent));
  };
  prints.receipt = [&files, &ui, &clock, parent](const rec::HamPay& p) {
    printHamperReceiptTo(files, ui, clock, p, over(parent));
  };
  HamperBrowseSetup setup;
  setup.clock = &clock;
  setup.user = [] { return globals().LOGPROG(); };
  setup.prints = prints;
  setup.paymentForm = [&files, &ui, &clock, parent](Request r) {
    return runHamperPaymentWindow(files, ui, clock, globals().LOGPROG(), r, over(parent));
  };
  const Catalog* cat = &catalog;
  setup.memberForm = [&files, &ui, cat, &clock, parent](Request r) {
    return runHamperForm(files, ui, *cat, clock, r, over(parent));
  };
  addHamperBrowse(catalog, std::move(setup));
  procedures.add(kBrowseHamper, [&files, &ui, &catalog, parent, prints] {
    FileUse ham(files.fm<rec::Hamper>());
    HamperBrowseWindow w(files, ui, catalog, prints, parent);
    w.resize(fittedSize(w, QSize(1200, 700)));
    w.exec();
  });
  procedures.add("Copy_To_Hamper", [&files, &ui] {
    const HamperCopyReport r = copyPolicyHoldersToHamper(files, ui);
    // The copy itself reports nothing; a member who took another number
    // than his client's is named, so the clerk knows.
    if (r.renumbered.empty()) return;
    std::string text;
    for (const std::string& line : r.renumbered) text += (text.empty() ? "" : "|") + line;
    ui.message(text, "Copy Utility", Icon::Information, kOk, kOk);
  });
}

}  // namespace vel::qt
