#include "members/qt/ClientFormWindow.h"

#include <QDesktopServices>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <algorithm>

#include "dictionary/MemberFiles.h"
#include "dictionary/SetupFiles.h"
#include "forms/Catalog.h"
#include "forms/qt/FormWindow.h"
#include "forms/qt/ListWindow.h"
#include "members/ClientForm.h"
#include "members/DependantForms.h"
#include "members/MemberContext.h"
#include "members/PlanPremium.h"
#include "shell/Globals.h"
#include "sms/SmsWorker.h"

namespace vel::qt {

namespace {

// The first entry on `field`; -1 when the form has none.
int entryOn(FormCycle& cycle, const std::string& field) {
  const auto& entries = cycle.entries();
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i]->field == field) return static_cast<int>(i);
  return -1;
}

// The controller's reply in the window's terms. A code not on file keeps
// the focus on its entry, where the clerk may type another or use its list.
FormCycle::Outcome outcome(FormCycle& cycle, const ClientForm::Reply& r) {
  FormCycle::Outcome o;
  o.redisplay = r.redisplay;
  switch (r.action) {
    case ClientForm::Reply::Close:
      o.action = FormCycle::Outcome::Close;
      break;
    case ClientForm::Reply::Focus:
    case ClientForm::Reply::OpenList:
      o.entry = entryOn(cycle, r.focus);
      if (o.entry >= 0) o.action = FormCycle::Outcome::Focus;
      break;
    case ClientForm::Reply::Stay:
      break;
  }
  return o;
}

// The form layout of the tab named `name`; nullptr when there is none.
QFormLayout* tabLayout(FormWindow& w, const char* name) {
  auto* tabs = w.findChild<QTabWidget*>();
  if (!tabs) return nullptr;
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->tabText(i).remove(QChar('&')) == name)
      return qobject_cast<QFormLayout*>(tabs->widget(i)->layout());
  return nullptr;
}

// What the client form shows beside the record's entries: the ages of the
// holder and the spouse, the e-mail address as a link that opens the
// user's mail program, and "Copy Data to Hamper".
class ClientExtras {
 public:
  ClientExtras(FormWindow& w, ClientForm& form) : form_(form) {
    if (QFormLayout* home = tabLayout(w, "Home Address")) {
      cage_ = new QLabel(&w);
      cage_->setObjectName("CAGE");
      home->addRow("Principal Member Age", cage_);
      mail_ = new QLabel(&w);
      mail_->setObjectName("EMAIL_link");
      mail_->setTextFormat(Qt::RichText);
      mail_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
      // The address opens a new message in the user's mail program.
      QObject::connect(mail_, &QLabel::linkActivated, &w,
                       [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
      home->addRow("", mail_);
      auto* copy = new QPushButton("Copy Data to Hamper", &w);
      copy->setObjectName("Copy Data to Hamper");
      copy->setAutoDefault(false);
      copy->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
      copy->setEnabled(!form.cycle().readOnly());
      QObject::connect(copy, &QPushButton::clicked, &w, [this] { form_.copyDataToHamper(); });
      home->addRow(copy);
    }
    if (QFormLayout* spouse = tabLayout(w, "Spouse/Beneficiaries/Agent/Collector")) {
      sage_ = new QLabel(&w);
      sage_->setObjectName("SAGE");
      spouse->addRow("Spouse Age", sage_);
    }
    show();
  }

  // Shown again after every entry completed or row picked.
  void show() {
    if (cage_) cage_->setText(QString::number(form_.CAGE()));
    if (sage_) sage_->setText(QString::number(form_.SAGE()));
    if (mail_) {
      const QString link = QString::fromStdString(form_.emailLink());
      mail_->setText(link.isEmpty() ? QString()
                                    : "<a href=\"" + link.toHtmlEscaped() + "\">" +
                                          link.mid(7).toHtmlEscaped() + "</a>");
    }
  }

 private:
  ClientForm& form_;
  QLabel* cage_ = nullptr;
  QLabel* sage_ = nullptr;
  QLabel* mail_ = nullptr;
};

// The policy's children and extended family on their tab, read again each
// time the tab comes forward (a new policy has its number only once its
// surname is in).
void addDependantLists(FormWindow& w, ClientForm& form, DataFiles& files, Ui& ui,
                       const Catalog& catalog) {
  auto* tabs = w.findChild<QTabWidget*>();
  if (!tabs) return;
  int at = -1;
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->tabText(i).remove(QChar('&')) == "Children/Ext Family") at = i;
  const ListDecl* children = catalog.list("Browse_VelChd");
  const ListDecl* extended = catalog.list("Browse_VelExt");
  if (at < 0 || !children || !extended) return;
  QWidget* page = tabs->widget(at);
  auto* lay = qobject_cast<QFormLayout*>(page->layout());
  if (!lay) return;
  const ListMode mode = form.cycle().readOnly() ? ListMode::View : ListMode::Maintain;
  auto* kids = new ListPanel(files, ui, catalog, *children, mode, page);
  auto* family = new ListPanel(files, ui, catalog, *extended, mode, page);
  // Each list carries its own heading.
  lay->addRow(kids);
  lay->addRow(family);
  auto follow = [&form, kids, family] {
    // No number yet: a value no policy holds, so the lists stand empty.
    std::string id = form.client().CLIENT_ID.text();
    if (id.empty()) id.assign(1, '\x01');
    kids->setVisible(form.childButtonsShown());
    family->setVisible(form.extendedButtonsShown());
    for (ListPanel* p : {kids, family}) {
      p->setRange({{"CLIENT_ID", id}});
      p->first();
    }
  };
  QObject::connect(tabs, &QTabWidget::currentChanged, &w, [tabs, at, follow](int i) {
    if (i == at) follow();
  });
}

}  // namespace

void addClientDependants(Catalog& catalog, const Clock& clock,
                         std::shared_ptr<OpenClientForm> open) {
  DependantSession session;
  session.clock = &clock;
  session.user = [] { return globals().LOGPROG(); };
  session.isAdmin = [] { return globals().IS_ADMIN.load() == 1; };
  // The client form counts the policy's dependants and applies its option
  // rules before a dependant form opens.
  session.action = [open](DependantList list, DependantAction act) {
    return open->form ? open->form->dependantAction(list, act) : act == DependantAction::Insert;
  };
  session.policy = [open]() -> std::optional<DependantPolicy> {
    if (!open->form) return std::nullopt;
    DependantPolicy p;
    p.client = open->form->client();
    p.startDate = memberContext().START_DATE;
    return p;
  };
  addDependantForms(catalog, session);
}

Response runClientFormWindow(DataFiles& files, Ui& ui, const Catalog& catalog, const Clock& clock,
                             Request request, const std::shared_ptr<OpenClientForm>& open,
                             QWidget* parent) {
  ClientForm form(files, ui, clock, request);
  if (!form.open()) return Response::Cancelled;
  FormCycle& cycle = form.cycle();
  FormWindow w(cycle, files, ui, catalog, parent);
  w.setObjectName("Update_VelCli");
  ClientExtras extras(w, form);
  FormRules rules;
  rules.accepted = [&](int i) {
    ClientForm::Reply r = form.accepted(cycle.entries()[static_cast<std::size_t>(i)]->field);
    extras.show();
    // A code not on file opens its list, as its button does, once this
    // completion has run its course.
    if (r.action == ClientForm::Reply::OpenList)
      if (auto* b = w.findChild<QToolButton*>(QString::fromStdString(r.focus + "_lookup")))
        QMetaObject::invokeMethod(b, &QToolButton::click, Qt::QueuedConnection);
    return outcome(cycle, r);
  };
  rules.ok = [&] { return outcome(cycle, form.ok()); };
  rules.leave = [&] { return outcome(cycle, form.cancel()); };
  // A row picked from a list fills what goes with it: the branch with the
  // bank, the premiums with the plan row, names and commission with the
  // agent or collector.
  rules.picked = [&](int i, const RecordBuffer& row) {
    const std::string& field = cycle.entries()[static_cast<std::size_t>(i)]->field;
    const Layout& l = row.layout();
    const void* r = row.get();
    ClientForm::Reply reply;
    if (field == "BANK_NAME" && &l == &layoutOf<rec::BankList>()) {
      reply = form.bankPicked(*static_cast<const rec::BankList*>(r));
    } else if (field == "PLAN" && &l == &layoutOf<rec::Plan>()) {
      memberContext().selectPlan(planPickOf(*static_cast<const rec::Plan*>(r)));
      reply = form.planPicked();
    } else if (field == "SMS_REA" && &l == &layoutOf<rec::SMS_Data>()) {
      reply = form.smsReasonPicked(*static_cast<const rec::SMS_Data*>(r));
    } else if (field == "AGE_CODE" && &l == &layoutOf<rec::Agent>()) {
      reply = form.agentPicked(*static_cast<const rec::Agent*>(r));
    } else if (field == "COL_CODE" && &l == &layoutOf<rec::Collect>()) {
      reply = form.collectorPicked(*static_cast<const rec::Collect*>(r));
    } else if (field == "ROUTE" && &l == &layoutOf<rec::Route>()) {
      memberContext().SEL_ROUTE = static_cast<const rec::Route*>(r)->ROUTE.text();
      reply = form.routePicked();
    }
    extras.show();
    return outcome(cycle, reply);
  };
  w.setRules(std::move(rules));
  if (open) open->form = &form;
  addDependantLists(w, form, files, ui, catalog);
  // "Prem To Pay Over" is for the administrator's eyes only.
  if (!form.premToPayShown())
    if (auto* e = w.findChild<QWidget*>("PREMTOPAY"))
      if (auto* lay = qobject_cast<QFormLayout*>(e->parentWidget()->layout()))
        lay->setRowVisible(e, false);
  // "Send Message now" under the SMS message: the message as it stands on the
  // form goes to this client at once.
  if (auto* mess = w.findChild<QWidget*>("SMS_MESS"))
    if (auto* lay = qobject_cast<QFormLayout*>(mess->parentWidget()->layout())) {
      auto* send = new QPushButton("Send Message now", mess->parentWidget());
      send->setObjectName("SendMessageNow");
      QObject::connect(send, &QPushButton::clicked, &w, [&] {
        sms::Send_Message(files, ui, clock, sms::memberMessageOf(form.client()));
      });
      lay->addRow(send);
    }
  // Wide enough for all five tabs side by side.
  w.resize(std::max(w.sizeHint().width(), 900), w.sizeHint().height());
  w.exec();
  if (open) open->form = nullptr;
  return form.response();
}

}  // namespace vel::qt
