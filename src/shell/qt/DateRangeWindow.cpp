#include "shell/qt/DateRangeWindow.h"

#include <QCalendarWidget>
#include <QDate>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/Dates.h"
#include "shell/GetRange.h"

namespace vel::qt {

int dayFromQDate(const QDate& d) { return dateFromYmd(d.year(), d.month(), d.day()); }

QDate qdateFromDay(int day) {
  if (day <= 0) return QDate::currentDate();
  Ymd d = ymdFromDate(day);
  return QDate(d.year, d.month, d.day);
}

QDateEdit* DateRangeWindow::dateEntry(const char* name, int day) {
  auto* e = new QDateEdit(qdateFromDay(day), this);
  e->setObjectName(name);
  e->setDisplayFormat("dd/MM/yyyy");
  e->setMinimumDate(QDate(1900, 1, 1));
  e->setMaximumDate(QDate(9999, 12, 31));
  return e;
}

DateRangeWindow::DateRangeWindow(DateRangeForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
  setObjectName("Get_Range");
  setWindowTitle(DateRangeForm::kTitle);
  setModal(true);
  start_ = dateEntry("PERIOD_START", form.start());
  end_ = dateEntry("PERIOD_END", form.end());

  auto row = [this](QDateEdit* e) {
    auto* h = new QHBoxLayout;
    h->addWidget(e, 1);
    auto* pick = new QToolButton(this);
    pick->setText("...");
    pick->setObjectName(e->objectName() + "_Calendar");
    connect(pick, &QToolButton::clicked, this, [this, e] { pickDate(e); });
    h->addWidget(pick);
    return h;
  };
  auto* fields = new QFormLayout;
  fields->addRow("Start Date:", row(start_));
  fields->addRow("End Date:", row(end_));

  auto* accept = new QPushButton("&Accept", this);
  accept->setObjectName("Accept");
  accept->setDefault(true);
  auto* cancel = new QPushButton("&Cancel", this);
  cancel->setObjectName("Cancel");
  connect(accept, &QPushButton::clicked, this, &DateRangeWindow::acceptPressed);
  connect(cancel, &QPushButton::clicked, this, [this] {
    form_.cancelPressed();
    QDialog::reject();
  });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(accept);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(buttons);
}

void DateRangeWindow::pickDate(QDateEdit* entry) {
  QDialog calendar(this);
  calendar.setWindowTitle(DateRangeForm::kCalendarTitle);
  auto* cal = new QCalendarWidget(&calendar);
  cal->setSelectedDate(entry->date());
  cal->setGridVisible(true);
  auto* layout = new QVBoxLayout(&calendar);
  layout->addWidget(cal);
  connect(cal, &QCalendarWidget::activated, &calendar, &QDialog::accept);
  if (calendar.exec() == QDialog::Accepted) entry->setDate(cal->selectedDate());
}

void DateRangeWindow::acceptPressed() {
  form_.setStart(dayFromQDate(start_->date()));
  form_.setEnd(dayFromQDate(end_->date()));
  if (form_.acceptPressed() == DateRangeForm::Step::Close) QDialog::accept();
}

void DateRangeWindow::reject() {
  form_.cancelPressed();
  QDialog::reject();
}

}  // namespace vel::qt
