// The windows of the capture run: "Agent", "Select Number Range", one
// "Receipt No" per receipt, and "Form Cashbox" (also opened on its own).
// Each maps its widgets to the rules in billing/ and nothing more.
#pragma once

#include <QDialog>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "billing/CaptureRun.h"
#include "billing/Cashbox.h"

class QDateEdit;
class QLabel;
class QLineEdit;

namespace vel {
class Catalog;
class Clock;
class ProcedureTable;
class ReportOutput;
class ShellUi;
}  // namespace vel

namespace vel::qt {

// "Agent": a code with its "..." lookup into the agent list, "&Process" and
// "&Cancel". Process closes with the code typed (empty when none).
class CaptureAgentWindow : public QDialog {
  Q_OBJECT
 public:
  CaptureAgentWindow(DataFiles& files, Ui& ui, const Catalog& catalog, QWidget* parent = nullptr);
  QLineEdit* codeEntry() const { return code_; }
  std::string code() const;

 private:
  QLineEdit* code_;
};

// "Select Number Range": Start and End, whole numbers of up to 7 digits.
class NumberRangeWindow : public QDialog {
  Q_OBJECT
 public:
  explicit NumberRangeWindow(QWidget* parent = nullptr);
  QLineEdit* startEntry() const { return start_; }
  QLineEdit* endEntry() const { return end_; }
  std::pair<std::int64_t, std::int64_t> range() const;

 private:
  QLineEdit* start_;
  QLineEdit* end_;
};

// "Receipt No": Agent Code, Receipt Number (editable), Date ("Select a
// Date"), Amount and Client ID over a ReceiptForm.
class ReceiptWindow : public QDialog {
  Q_OBJECT
 public:
  ReceiptWindow(ReceiptForm& form, QWidget* parent = nullptr);
  QLineEdit* numberEntry() const { return number_; }
  QLineEdit* amountEntry() const { return amount_; }
  QLineEdit* clientEntry() const { return client_; }
  QDateEdit* dateEntry() const { return date_; }
  void okPressed();

 private:
  bool take();  // false: the amount typed is refused (box shown)
  ReceiptForm& form_;
  QLineEdit* number_;
  QDateEdit* date_;
  QLineEdit* amount_;
  QLineEdit* client_;
};

// "Form Cashbox": the fourteen counts with their line values, "Cash Total"
// and "Difference", redrawn whenever a count is accepted.
class CashboxWindow : public QDialog {
  Q_OBJECT
 public:
  CashboxWindow(CashboxForm& form, DataFiles& files, Ui& ui, const Catalog& catalog,
                QWidget* parent = nullptr);
  QLineEdit* countEntry(int i) const { return counts_[static_cast<std::size_t>(i)]; }
  QLabel* difference() const { return difference_; }
  QLabel* cashTotal() const { return cash_; }
  void okPressed();

 private:
  void countEntered(int i);
  void agentEntered();
  void redraw();

  CashboxForm& form_;
  DataFiles& files_;
  Ui& ui_;
  const Catalog& catalog_;
  QLineEdit* agent_;
  QDateEdit* date_;
  std::array<QLineEdit*, kDenominations> counts_{};
  std::array<QLabel*, kDenominations> lines_{};
  QLabel* cash_;
  QLabel* difference_;
};

// The run's windows on the desktop; the receipts go to the print preview
// unless another output is given (a test's PDF).
class QtCaptureWindows : public CaptureWindows {
 public:
  QtCaptureWindows(DataFiles& files, Ui& ui, const Catalog& catalog, QWidget* parent,
                   ReportOutput* output = nullptr);
  ~QtCaptureWindows() override;
  std::optional<std::string> agent() override;
  std::optional<std::pair<std::int64_t, std::int64_t>> numberRange() override;
  void receipt(ReceiptForm& form) override;
  void cashbox(CashboxForm& form) override;
  ReportOutput& receipts() override;

 private:
  DataFiles& files_;
  Ui& ui_;
  const Catalog& catalog_;
  QWidget* parent_;
  ReportOutput* output_;
  std::unique_ptr<ReportOutput> preview_;
};

}  // namespace vel::qt
