#include "shell/qt/FirstRunWindow.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/FirstRun.h"

namespace vel::qt {

QLineEdit* FirstRunWindow::entry(const char* name, int width, const char* tip) {
  auto* e = new QLineEdit(this);
  e->setObjectName(name);
  e->setMaxLength(width);  // the field's width: nothing longer can be typed
  e->setToolTip(tip);
  return e;
}

FirstRunWindow::FirstRunWindow(FirstRunForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
  setObjectName("FirstRun");
  setWindowTitle(FirstRunForm::kTitle);
  setModal(true);

  auto* intro = new QLabel(
      "This data folder has not been set up yet.\n"
      "Enter the business name, its address and the branch id to start.",
      this);
  name_ = entry("NAME", 50, "Business name as it appears on the title and reports");
  addr1_ = entry("ADDR1", 30, "Address line 1");
  addr2_ = entry("ADDR2", 30, "Address line 2");
  addr3_ = entry("ADDR3", 30, "Address line 3");
  branch_ = entry("BRANCH_ID", 4, "Branch id of this office");
  name_->setMinimumWidth(name_->fontMetrics().horizontalAdvance(QString(36, QLatin1Char('n'))));

  auto* fields = new QFormLayout;
  fields->addRow("Business Name", name_);
  fields->addRow("Address", addr1_);
  fields->addRow("", addr2_);
  fields->addRow("", addr3_);
  fields->addRow("Branch ID", branch_);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton("&OK", QDialogButtonBox::AcceptRole);
  ok->setObjectName("OK");
  ok->setDefault(true);
  QPushButton* cancel = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("Cancel");
  connect(ok, &QPushButton::clicked, this, &FirstRunWindow::okPressed);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addLayout(fields);
  layout->addWidget(buttons);

  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

void FirstRunWindow::okPressed() {
  form_.draft.name = name_->text().toStdString();
  form_.draft.addr1 = addr1_->text().toStdString();
  form_.draft.addr2 = addr2_->text().toStdString();
  form_.draft.addr3 = addr3_->text().toStdString();
  form_.draft.branchId = branch_->text().toStdString();
  if (form_.okPressed() == FirstRunForm::Step::Close) accept();
}

}  // namespace vel::qt
