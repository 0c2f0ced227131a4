#include "platform/qt/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <cstdlib>

namespace vel::qt {

namespace {

struct ButtonText {
  unsigned value;
  const char* text;
  QMessageBox::ButtonRole role;
};

constexpr ButtonText kButtons[] = {
    {kOk, "&OK", QMessageBox::AcceptRole},       {kYes, "&Yes", QMessageBox::YesRole},
    {kNo, "&No", QMessageBox::NoRole},           {kAbort, "&Abort", QMessageBox::RejectRole},
    {kRetry, "&Retry", QMessageBox::AcceptRole}, {kIgnore, "&Ignore", QMessageBox::AcceptRole},
    {kCancel, "&Cancel", QMessageBox::RejectRole}, {kHelp, "&Help", QMessageBox::HelpRole},
};

QMessageBox::Icon toQt(Icon icon) {
  switch (icon) {
    case Icon::None: return QMessageBox::NoIcon;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    case Icon::Hand: return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

unsigned showMessage(QWidget* parent, std::string_view text, std::string_view title, Icon icon,
                     unsigned buttons, unsigned defaultButton) {
  // A procedure on a thread of its own reports through the same boxes: the
  // box is shown by the frame's thread while this thread waits for the answer.
  if (QThread::currentThread() != QCoreApplication::instance()->thread()) {
    unsigned answer = kNoButton;
    const std::string t(text), ti(title);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] { answer = showMessage(parent, t, ti, icon, buttons, defaultButton); },
        Qt::BlockingQueuedConnection);
    return answer;
  }
  if (!parent) parent = QApplication::activeWindow();
  QString body = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  body.replace(QLatin1Char('|'), QLatin1Char('\n'));
  QMessageBox box(toQt(icon), QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())),
                  body, QMessageBox::NoButton, parent);
  if (buttons == 0) buttons = kOk;
  QAbstractButton* escape = nullptr;
  std::vector<std::pair<QAbstractButton*, unsigned>> made;
  for (const ButtonText& b : kButtons) {
    if (!(buttons & b.value)) continue;
    QPushButton* button = box.addButton(QString::fromUtf8(b.text), b.role);
    made.emplace_back(button, b.value);
    if (b.value == defaultButton) box.setDefaultButton(button);
    if (b.value == kCancel || b.value == kNo || (!escape && b.value == kOk)) escape = button;
  }
  if (escape) box.setEscapeButton(escape);
  // A box always shows the normal cursor, whatever long work is under way.
  const bool busy = QGuiApplication::overrideCursor() != nullptr;
  if (busy) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (busy) QGuiApplication::restoreOverrideCursor();
  for (const auto& [button, value] : made)
    if (box.clickedButton() == button) return value;
  return kNoButton;
}

void setBusy(bool on) {
  if (QThread::currentThread() != QCoreApplication::instance()->thread()) return;
  if (on)
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  else
    while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

void haltProgram(int exitCode) {
  // Every write the program makes is already committed: nothing to save.
  std::_Exit(exitCode);
}

}  // namespace vel::qt
