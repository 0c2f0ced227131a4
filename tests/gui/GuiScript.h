// Driving nested modal windows from a test: steps run one by one, each when
// the window it names is on top, and buttons are pressed once the current
// event has finished.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <deque>
#include <functional>
#include <map>
#include <string>

namespace vel::test {

// Steps run one by one, each when the modal window it names is on top.
class Script {
 public:
  using Step = std::function<void(QWidget*)>;
  Script() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* w = QApplication::activeModalWidget();
      if (!w) return;
      // A window's step runs only in that window's own event loop: a window
      // closed a moment ago leaves its loop running until it returns, while
      // the window under it is already active.
      int level = QThread::currentThread()->loopLevel();
      auto seen = levels_.try_emplace(w, level).first->second;
      if (seen != level) return;
      if (steps_.empty() || w->objectName() != steps_.front().first) return;
      Step s = steps_.front().second;
      steps_.pop_front();
      s(w);
    });
    timer_.start(5);
  }
  Script& on(const std::string& window, Step s) {
    steps_.emplace_back(QString::fromStdString(window), std::move(s));
    return *this;
  }
  bool done() const { return steps_.empty(); }
  std::size_t left() const { return steps_.size(); }

 private:
  QTimer timer_;
  std::map<QWidget*, int> levels_;
  std::deque<std::pair<QString, Step>> steps_;
};

// Presses a button once the current event has finished (a modal window it
// opens then runs its own loop outside the script's step).
inline void press(QWidget* window, const char* button) {
  auto* b = window->findChild<QPushButton*>(button);
  ASSERT_NE(nullptr, b) << button;
  QMetaObject::invokeMethod(b, &QPushButton::click, Qt::QueuedConnection);
}

}  // namespace vel::test
