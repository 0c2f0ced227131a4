#include "shell/qt/ChangePasswordWindow.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vel::qt {

using Step = ChangePasswordForm::Step;

ChangePasswordWindow::ChangePasswordWindow(ChangePasswordForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
  setObjectName("Change_Password");
  setWindowTitle("Change Password");
  setModal(true);

  old_ = makeEntry("OldPassword");
  new_ = makeEntry("NewPassword");
  confirm_ = makeEntry("ConfirmPassword");
  auto* fields = new QFormLayout;
  fields->addRow("Old Password", old_);
  fields->addRow("New Password", new_);
  fields->addRow("Confirm Password", confirm_);

  ok_ = new QPushButton("&OK", this);
  ok_->setObjectName("OK");
  ok_->setDefault(true);
  cancel_ = new QPushButton("&Cancel", this);
  cancel_->setObjectName("Cancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(buttons);

  connect(old_, &QLineEdit::textEdited, this,
          [this](const QString& t) { form_.setOldPassword(t.toStdString()); });
  connect(new_, &QLineEdit::textEdited, this,
          [this](const QString& t) { form_.setNewPassword(t.toStdString()); });
  connect(confirm_, &QLineEdit::textEdited, this,
          [this](const QString& t) { form_.setConfirmPassword(t.toStdString()); });
  connect(old_, &QLineEdit::editingFinished, this,
          [this] { leaving(old_, &ChangePasswordForm::oldCompleted); });
  connect(new_, &QLineEdit::editingFinished, this,
          [this] { leaving(new_, &ChangePasswordForm::newCompleted); });
  connect(confirm_, &QLineEdit::editingFinished, this,
          [this] { leaving(confirm_, &ChangePasswordForm::confirmCompleted); });
  connect(ok_, &QPushButton::clicked, this, &ChangePasswordWindow::okPressed);
  connect(cancel_, &QPushButton::clicked, this, [this] { follow(form_.cancelPressed()); });
  old_->setFocus();
}

QLineEdit* ChangePasswordWindow::makeEntry(const char* name) {
  auto* e = new QLineEdit(this);
  e->setObjectName(name);
  e->setMaxLength(static_cast<int>(ChangePasswordForm::kEntryWidth));
  e->setEchoMode(QLineEdit::Password);
  e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QString(12, QLatin1Char('W'))));
  return e;
}

void ChangePasswordWindow::leaving(QLineEdit* entry, Step (ChangePasswordForm::*check)()) {
  // An entry is completed when the user leaves it after typing in it; going
  // to Cancel is no completion, and a closing window checks nothing.
  if (!entry->isModified() || !isVisible()) return;
  if (QApplication::focusWidget() == cancel_) return;
  entry->setModified(false);
  const Step step = (form_.*check)();
  if (step == Step::Stay) return;
  justRefused_ = true;
  QTimer::singleShot(0, this, [this] { justRefused_ = false; });
  follow(step);
}

void ChangePasswordWindow::okPressed() {
  if (justRefused_) return;  // the refusal has just been shown; the focus is on it
  old_->setModified(false);
  new_->setModified(false);
  confirm_->setModified(false);
  follow(form_.okPressed());
}

void ChangePasswordWindow::follow(Step step) {
  QLineEdit* focus = nullptr;
  switch (step) {
    case Step::Stay:
      return;
    case Step::FocusOld:
      focus = old_;
      break;
    case Step::FocusNew:
      focus = new_;
      break;
    case Step::FocusConfirm:
      focus = confirm_;
      break;
    case Step::Close:
      done(form_.saved() ? QDialog::Accepted : QDialog::Rejected);
      return;
  }
  focus->setFocus();
  focus->selectAll();
}

void ChangePasswordWindow::reject() {
  form_.cancelPressed();
  QDialog::reject();
}

}  // namespace vel::qt
