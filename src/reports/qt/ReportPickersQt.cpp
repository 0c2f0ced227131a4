#include "reports/qt/ReportPickersQt.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "forms/Catalog.h"
#include "forms/qt/ListWindow.h"
#include "platform/qt/GuiThread.h"
#include "shell/qt/DateRangeWindow.h"

namespace vel::qt {

namespace {

// The picked record's field, or nothing when the list was closed.
std::optional<std::string> pickFrom(DataFiles& files, Ui& ui, const Catalog& catalog,
                                    const char* list, const char* field, QWidget* parent) {
  const ListDecl* decl = catalog.list(list);
  if (!decl) return std::nullopt;
  RecordBuffer picked(files.fm(decl->file).layout());
  if (!runListWindow(files, ui, catalog, *decl, ListMode::Select, parent, &picked))
    return std::nullopt;
  return std::string(rtrim(picked.field(picked.layout().fieldIndex(field)).text()));
}

}  // namespace

AgentSelectWindow::AgentSelectWindow(AgentSelectForm& form, DataFiles& files, Ui& ui,
                                     const Catalog& catalog, QWidget* parent)
    : QDialog(parent), form_(form), files_(files), ui_(ui), catalog_(catalog) {
  setObjectName(form.title());
  setWindowTitle(form.title());
  auto* lay = new QVBoxLayout(this);
  auto* fl = new QFormLayout;
  auto* row = new QHBoxLayout;
  code_ = new QLineEdit(this);
  code_->setObjectName("CODE");
  code_->setMaxLength(5);
  row->addWidget(code_, 1);
  auto* b = new QToolButton(this);
  b->setText("...");
  b->setObjectName("CODE_lookup");
  connect(b, &QToolButton::clicked, this, &AgentSelectWindow::lookup);
  row->addWidget(b);
  fl->addRow(QString(form.title()) + ":", row);
  lay->addLayout(fl);
  auto* buttons = new QDialogButtonBox(this);
  auto* process = buttons->addButton("&Process", QDialogButtonBox::AcceptRole);
  process->setObjectName("Process");
  process->setDefault(true);
  auto* cancel = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("Cancel");
  connect(process, &QPushButton::clicked, this, &AgentSelectWindow::process);
  connect(cancel, &QPushButton::clicked, this, &AgentSelectWindow::reject);
  lay->addWidget(buttons);
}

void AgentSelectWindow::lookup() {
  bool agent = std::string_view(form_.title()) == "Agent";
  auto code = pickFrom(files_, ui_, catalog_, agent ? "Browse_Agent" : "Browse_Collector", "CODE",
                       this);
  if (code) code_->setText(QString::fromStdString(*code));
}

void AgentSelectWindow::process() {
  form_.setCode(code_->text().toStdString());
  if (form_.processPressed() == AgentSelectForm::Step::Close) QDialog::accept();
}

void AgentSelectWindow::reject() {
  form_.cancelPressed();
  QDialog::reject();
}

ActionDateWindow::ActionDateWindow(std::int32_t initial, QWidget* parent) : QDialog(parent) {
  setObjectName("ActionDate");
  setWindowTitle("Action Date");
  auto* lay = new QVBoxLayout(this);
  auto* fl = new QFormLayout;
  date_ = new QDateEdit(qdateFromDay(initial), this);
  date_->setObjectName("DATE");
  date_->setDisplayFormat("dd/MM/yyyy");
  date_->setCalendarPopup(true);
  fl->addRow("Action Date:", date_);
  lay->addLayout(fl);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("OK");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  lay->addWidget(buttons);
}

std::int32_t ActionDateWindow::day() const { return dayFromQDate(date_->date()); }

RoutesWindow::RoutesWindow(DataFiles& files, Ui& ui, const Catalog& catalog, QWidget* parent)
    : QDialog(parent) {
  setObjectName("Routes");
  setWindowTitle("Routes");
  auto* lay = new QVBoxLayout(this);
  auto* fl = new QFormLayout;
  auto* row = new QHBoxLayout;
  route_ = new QLineEdit(this);
  route_->setObjectName("ROUTE");
  route_->setMaxLength(20);
  row->addWidget(route_, 1);
  auto* b = new QToolButton(this);
  b->setText("...");
  b->setObjectName("ROUTE_lookup");
  connect(b, &QToolButton::clicked, this, [this, &files, &ui, &catalog] {
    if (auto r = pickFrom(files, ui, catalog, "Browse_Route", "ROUTE", this))
      route_->setText(QString::fromStdString(*r));
  });
  row->addWidget(b);
  fl->addRow("Route:", row);
  lay->addLayout(fl);
  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton("&OK", QDialogButtonBox::AcceptRole);
  ok->setObjectName("OK");
  ok->setDefault(true);
  buttons->addButton("&Cancel", QDialogButtonBox::RejectRole)->setObjectName("Cancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  lay->addWidget(buttons);
}

std::optional<std::string> RoutesWindow::route() const {
  std::string r = route_->text().trimmed().toStdString();
  if (r.empty()) return std::nullopt;
  return r;
}

std::optional<std::string> QtReportPickers::pickRouteInWindow() {
  std::optional<std::string> out;
  onGuiThread([&] {
    RoutesWindow w(files_, ui_, catalog_, parent_);
    if (w.exec() == QDialog::Accepted) out = w.route();
  });
  return out;
}

std::optional<std::string> QtReportPickers::pickRoute() {
  std::optional<std::string> out;
  onGuiThread([&] { out = pickFrom(files_, ui_, catalog_, "Browse_Route", "ROUTE", parent_); });
  return out;
}

std::optional<std::string> QtReportPickers::pickPerson(AgentSelectForm::Kind kind) {
  std::optional<std::string> out;
  onGuiThread([&] {
    AgentSelectForm form(ui_, kind);
    AgentSelectWindow w(form, files_, ui_, catalog_, parent_);
    w.exec();
    out = form.result();
  });
  return out;
}

std::optional<std::string> QtReportPickers::pickAgent() {
  return pickPerson(AgentSelectForm::Kind::Agent);
}

std::optional<std::string> QtReportPickers::pickCollector() {
  return pickPerson(AgentSelectForm::Kind::Collector);
}

std::optional<std::int32_t> QtReportPickers::pickActionDate(std::int32_t initial) {
  std::optional<std::int32_t> out;
  onGuiThread([&] {
    ActionDateWindow w(initial, parent_);
    if (w.exec() == QDialog::Accepted) out = w.day();
  });
  return out;
}

}  // namespace vel::qt
