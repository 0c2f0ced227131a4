// "Select Date Range" (Get_Range) over a DateRangeForm, with a calendar
// ("Select a Date") behind each date's "..." button.
#pragma once

#include <QDialog>

class QDateEdit;

namespace vel {
class DateRangeForm;
}

namespace vel::qt {

class DateRangeWindow : public QDialog {
  Q_OBJECT
 public:
  DateRangeWindow(DateRangeForm& form, QWidget* parent = nullptr);

  QDateEdit* startEntry() const { return start_; }
  QDateEdit* endEntry() const { return end_; }

 protected:
  void reject() override;

 private:
  QDateEdit* dateEntry(const char* name, int day);
  void pickDate(QDateEdit* entry);
  void acceptPressed();

  DateRangeForm& form_;
  QDateEdit* start_;
  QDateEdit* end_;
};

// Day numbers and Qt dates.
int dayFromQDate(const class QDate& d);
class QDate qdateFromDay(int day);

}  // namespace vel::qt
