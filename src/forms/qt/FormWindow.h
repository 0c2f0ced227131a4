// The generic update form: renders any FormDecl over a FormCycle.
//
// Each entry becomes a widget beside its prompt; completing an entry writes
// its text into the record and runs the entry's check; OK, Cancel, closing
// the window and the recall key go to the cycle, and the window does what the
// cycle answers.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "forms/FormCycle.h"
#include "forms/ListActions.h"

class QWidget;
class QPushButton;

namespace vel {
class Catalog;
class DataFiles;
class RecordBuffer;
class Ui;
}  // namespace vel

namespace vel::qt {

// A form's own rules beside the common cycle, for a form whose controller
// holds more than its declaration does. Not given: the cycle alone.
struct FormRules {
  // After entry `i` passed its own check: what the window must do next.
  std::function<FormCycle::Outcome(int i)> accepted;
  // In place of the cycle's OK (the controller calls the cycle itself).
  std::function<FormCycle::Outcome()> ok;
  // In place of the cycle's leave (Cancel, Esc, the window closed).
  std::function<FormCycle::Outcome()> leave;
  // A row picked from entry `i`'s list, after its fields were copied and
  // before the entry is completed.
  std::function<FormCycle::Outcome(int i, const RecordBuffer& row)> picked;
};

class FormWindow : public QDialog {
  Q_OBJECT
 public:
  FormWindow(FormCycle& cycle, DataFiles& files, Ui& ui, const Catalog& catalog,
             QWidget* parent = nullptr);
  ~FormWindow() override;

  // The widget of entry `i` (for tests).
  QWidget* entryWidget(int i) const { return widgets_[static_cast<std::size_t>(i)]; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }
  void okPressed();
  void setRules(FormRules rules) { rules_ = std::move(rules); }

 protected:
  void reject() override;  // Esc, the Cancel button and the window's close
  void closeEvent(class QCloseEvent* e) override;

 private:
  QWidget* makeEntry(int i, const EntryDecl& e, QWidget* page);
  void display(int i);  // the record's value into entry i
  void showAll();
  bool take(int i);          // entry i's text into the record; false when refused (box shown)
  void hold(int i);          // as take, without a box: unreadable text waits for OK
  void completed(int i);     // the user left entry i
  void focusEntry(int i);
  void lookupPressed(int i);
  void recallPressed();
  int entryOf(QWidget* w) const;
  void apply(const FormCycle::Outcome& o);
  void pickDate(int i);

  FormCycle& cycle_;
  DataFiles& files_;
  Ui& ui_;
  const Catalog& catalog_;
  std::vector<QWidget*> widgets_;  // one per entry (a label for notes)
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  FormRules rules_;
  bool busy_ = false;  // a check or a box is running: completion signals wait
  bool closing_ = false;
};

// Opens the form for `request` on the current record of its file, modally,
// and returns its response.
Response runFormWindow(DataFiles& files, Ui& ui, const Catalog& catalog, const FormDecl& form,
                       Request request, const Presets& presets, QWidget* parent);

}  // namespace vel::qt
