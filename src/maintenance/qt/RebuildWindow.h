// "Rebuild Data Files": the index rebuild's window. A status line of fifty
// characters, "&Process" and "&Cancel", and below them the files that need
// attention once a run has found any.
//
// The window belongs to the frame's thread and stays usable beside the
// frame; each run's file work goes on a thread of its own, which hands every
// status text to the window as it is shown. The window cannot be closed
// while a run is under way, and waits for it when it goes with the frame.
#pragma once

#include <QDialog>
#include <QPointer>

#include <memory>
#include <string>

#include "maintenance/Rebuild.h"

class QLabel;
class QListWidget;
class QPushButton;
class QThread;

namespace vel {
class Engine;
}

namespace vel::qt {

class RebuildWindow : public QDialog {
  Q_OBJECT
 public:
  RebuildWindow(Engine& engine, std::string folder, std::string owner, QWidget* parent = nullptr);
  ~RebuildWindow() override;

  bool running() const { return worker_ != nullptr; }
  // What the last finished run reported.
  const RebuildReport& lastReport() const { return report_; }

 signals:
  void finished();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void reject() override;  // Escape: as Cancel, not during a run

 private:
  void process();
  void setStatus(const QString& text);
  void done();

  Engine& engine_;
  std::string folder_, owner_;
  QLabel* status_;
  QListWidget* problems_;
  QPushButton* process_;
  QPushButton* cancel_;
  QThread* worker_ = nullptr;
  std::shared_ptr<RebuildReport> running_;
  RebuildReport report_;
};

}  // namespace vel::qt
