// "New Installation": the business name, address and branch id of a data
// folder that has never been set up.
#pragma once

#include <QDialog>

class QLineEdit;

namespace vel {
class FirstRunForm;
}

namespace vel::qt {

class FirstRunWindow : public QDialog {
  Q_OBJECT
 public:
  FirstRunWindow(FirstRunForm& form, QWidget* parent = nullptr);

 private:
  void okPressed();
  QLineEdit* entry(const char* name, int width, const char* tip);

  FirstRunForm& form_;
  QLineEdit *name_, *addr1_, *addr2_, *addr3_, *branch_;
};

}  // namespace vel::qt
