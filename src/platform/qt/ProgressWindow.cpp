#include "platform/qt/ProgressWindow.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>

namespace vel::qt {

namespace {

constexpr qint64 kPumpEveryMs = 50;

QString toQt(std::string_view s) {
  // A vertical bar starts a new line, as in the message boxes.
  QString t = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
  t.replace(QLatin1Char('|'), QLatin1Char('\n'));
  return t;
}

bool isGuiThread() {
  return QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Runs `work` on the frame's thread without waiting for it.
template <class F>
void post(F work) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

}  // namespace

ProgressWindow::ProgressWindow(QWidget* parent, std::string_view title, std::string_view text)
    : onGuiThread_(isGuiThread()), shownText_(text) {
  const QString t = toQt(title), x = toQt(text);
  if (onGuiThread_) {
    build(parent, t, x);
    pump(true);  // painted before the walk takes the thread
  } else {
    // The worker waits only for the window to exist; later changes are posted.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { build(parent, t, x); },
        Qt::BlockingQueuedConnection);
  }
}

ProgressWindow::~ProgressWindow() {
  if (onGuiThread_) {
    delete window_.data();
    return;
  }
  QPointer<QDialog> w = window_;
  post([w] { delete w.data(); });
}

void ProgressWindow::build(QWidget* parent, const QString& title, const QString& text) {
  auto* w = new QDialog(parent ? parent : QApplication::activeWindow());
  w->setObjectName("ProgressWindow");
  w->setWindowTitle(title);
  w->setModal(false);
  text_ = new QLabel(text, w);
  text_->setObjectName("ProgressText");
  text_->setMinimumWidth(text_->fontMetrics().horizontalAdvance(QString(40, QLatin1Char('x'))));
  bar_ = new QProgressBar(w);
  bar_->setObjectName("ProgressBar");
  bar_->setRange(0, 100);
  bar_->setValue(0);
  auto* layout = new QVBoxLayout(w);
  layout->addWidget(text_);
  layout->addWidget(bar_);
  window_ = w;
  w->show();
}

void ProgressWindow::setText(std::string_view text) {
  if (text == shownText_) return;
  shownText_ = text;
  const QString t = toQt(text);
  if (onGuiThread_) {
    if (text_) text_->setText(t);
    pump(false);
    return;
  }
  QPointer<QLabel> label = text_;
  post([label, t] {
    if (label) label->setText(t);
  });
}

void ProgressWindow::setPercent(int percent) {
  percent = std::clamp(percent, 0, 100);
  if (percent == percent_) return;
  percent_ = percent;
  if (onGuiThread_) {
    if (bar_) bar_->setValue(percent);
    pump(false);
    return;
  }
  QPointer<QProgressBar> bar = bar_;
  post([bar, percent] {
    if (bar) bar->setValue(percent);
  });
}

void ProgressWindow::pump(bool now) {
  if (!now && sincePump_.isValid() && sincePump_.elapsed() < kPumpEveryMs) return;
  // User input waits: a click elsewhere must not start other work in the
  // middle of this walk.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  sincePump_.start();
}

}  // namespace vel::qt
