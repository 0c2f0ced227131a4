// The progress window with Qt: a title, one line of text and a bar from 0 to
// 100, shown at once and closed when the object goes.
//
// Long walks run on the frame's thread as often as on a thread of their own.
// On the frame's thread the window pumps paint events now and then (at most
// every 50 ms, user input excluded) so that it keeps updating while the walk
// holds the thread; from any other thread every change is handed to the
// frame's thread, which owns the widgets.
#pragma once

#include <QElapsedTimer>
#include <QPointer>

#include <string>
#include <string_view>

#include "platform/Ui.h"

class QDialog;
class QLabel;
class QProgressBar;
class QWidget;

namespace vel::qt {

class ProgressWindow : public Progress {
 public:
  ProgressWindow(QWidget* parent, std::string_view title, std::string_view text);
  ~ProgressWindow() override;
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  void setText(std::string_view text) override;
  void setPercent(int percent) override;

  // The window itself (for tests); null once it has gone.
  QDialog* window() const { return window_; }

 private:
  void build(QWidget* parent, const QString& title, const QString& text);
  // Lets the frame's thread paint, when the last pump is long enough ago.
  void pump(bool now);

  const bool onGuiThread_;
  QPointer<QDialog> window_;
  QPointer<QLabel> text_;
  QPointer<QProgressBar> bar_;
  QElapsedTimer sincePump_;
  int percent_ = -1;
  std::string shownText_;
};

}  // namespace vel::qt
