// The main frame: title, wallpaper, the menu of every procedure, and the
// four-zone status bar with its clock.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <vector>

#include "shell/Startup.h"

class QLabel;
class QPrinter;
class QTimer;
class QThread;

namespace vel {
class ProcedureTable;
class SettingsFile;
class ShellUi;
struct MenuItem;
}  // namespace vel

namespace vel::qt {

class MainFrame : public QMainWindow {
  Q_OBJECT
 public:
  // `settings` keeps the frame's placement between runs.
  MainFrame(Startup& startup, ShellUi& ui, const ProcedureTable& procedures,
            SettingsFile& settings, QWidget* parent = nullptr);
  ~MainFrame() override;

  // The frame's open steps (Startup::open), then its title and status bar.
  Startup::Outcome openFrame();

  // Runs the item with this control name as if chosen from the menu.
  void choose(const QString& control);
  // Procedures running on threads of their own just now.
  int runningThreads() const { return static_cast<int>(threads_.size()); }
  // The printer the frame's printer set-up chose; reports print on it.
  QPrinter& printer() { return *printer_; }

  QLabel* zone(int n) const { return zones_[static_cast<std::size_t>(n - 1)]; }

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void buildMenu();
  void select(const MenuItem& item);
  void startThreaded(const MenuItem& item);
  void refreshClock();
  void restorePlacement();
  void savePlacement();

  Startup& startup_;
  ShellUi& ui_;
  const ProcedureTable& procedures_;
  SettingsFile& settings_;
  std::vector<QLabel*> zones_;
  QTimer* clock_ = nullptr;
  std::unique_ptr<QPrinter> printer_;
  std::vector<QPointer<QThread>> threads_;
};

}  // namespace vel::qt
