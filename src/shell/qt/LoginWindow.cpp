#include "shell/qt/LoginWindow.h"

#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/LoginForm.h"

namespace vel::qt {

LoginWindow::LoginWindow(LoginForm& form, QWidget* parent) : QDialog(parent), form_(form) {
  setObjectName("Pass_Win");
  setWindowTitle("User Login");
  setModal(true);

  user_ = new QLineEdit(this);
  user_->setObjectName("LOGPROG");
  user_->setMaxLength(20);
  user_->setToolTip("Login to Program");
  password_ = new QLineEdit(this);
  password_->setObjectName("LOGPASS");
  password_->setMaxLength(20);
  password_->setEchoMode(QLineEdit::Password);
  password_->setToolTip("Login Password");
  // The entries show 10 characters.
  const int width = user_->fontMetrics().horizontalAdvance(QString(12, QLatin1Char('W')));
  user_->setMinimumWidth(width);
  password_->setMinimumWidth(width);

  auto* fields = new QFormLayout;
  fields->addRow("Login", user_);
  fields->addRow("Password", password_);

  login_ = new QPushButton("&Login", this);
  login_->setObjectName("Login");
  login_->setDefault(true);
  exit_ = new QPushButton("&Exit", this);
  exit_->setObjectName("Exit");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(login_);
  buttons->addWidget(exit_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(buttons);

  connect(user_, &QLineEdit::textEdited, this,
          [this](const QString& t) { form_.setUserName(t.toStdString()); });
  connect(password_, &QLineEdit::textEdited, this,
          [this](const QString& t) { form_.setPassword(t.toStdString()); });
  // An entry is completed when the user leaves it after typing in it.
  connect(user_, &QLineEdit::editingFinished, this, [this] {
    if (!user_->isModified()) return;
    user_->setModified(false);
    userCompleted();
  });
  connect(password_, &QLineEdit::editingFinished, this, [this] {
    if (!password_->isModified() || !isVisible()) return;
    password_->setModified(false);
    passwordCompleted();
  });
  connect(login_, &QPushButton::clicked, this, &LoginWindow::loginPressed);
  connect(exit_, &QPushButton::clicked, this, &LoginWindow::exitPressed);

  // The normal arrow while the window waits for the user.
  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

void LoginWindow::follow(LoginForm::Step step) {
  switch (step) {
    case LoginForm::Step::Stay:
      break;
    case LoginForm::Step::FocusPassword:
      password_->setFocus();
      password_->selectAll();
      break;
    case LoginForm::Step::Close:
      done(QDialog::Accepted);
      break;
    case LoginForm::Step::Stop:
      done(QDialog::Rejected);
      break;
  }
}

void LoginWindow::userCompleted() { follow(form_.userNameCompleted()); }

bool LoginWindow::passwordCompleted() {
  const auto step = form_.passwordCompleted();
  follow(step);
  return step != LoginForm::Step::FocusPassword;
}

void LoginWindow::loginPressed() {
  // An entry still being typed in is completed first, as leaving it would.
  if (user_->isModified()) {
    user_->setModified(false);
    if (form_.userNameCompleted() == LoginForm::Step::Stop) return follow(LoginForm::Step::Stop);
  }
  if (password_->isModified()) {
    password_->setModified(false);
    if (!passwordCompleted()) return;  // one refusal is enough for one press
  }
  follow(form_.loginPressed());
}

void LoginWindow::exitPressed() { follow(form_.exitPressed()); }

void LoginWindow::reject() {
  form_.closed();
  QDialog::reject();
}

}  // namespace vel::qt
