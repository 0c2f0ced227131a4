// The selections a report asks before it walks, with windows: the route list
// in select mode, the small "Agent" / "Collector" window with its "..."
// lookup, and the "Action Date" window. Each may be asked from a report's
// own thread; the window then runs on the frame's thread.
#pragma once

#include <QDialog>

#include "reports/ReportFrame.h"

class QLineEdit;
class QDateEdit;

namespace vel {
class Catalog;
}

namespace vel::qt {

class AgentSelectWindow : public QDialog {
  Q_OBJECT
 public:
  AgentSelectWindow(AgentSelectForm& form, DataFiles& files, Ui& ui, const Catalog& catalog,
                    QWidget* parent = nullptr);
  QLineEdit* codeEntry() const { return code_; }

 protected:
  void reject() override;

 private:
  void lookup();
  void process();

  AgentSelectForm& form_;
  DataFiles& files_;
  Ui& ui_;
  const Catalog& catalog_;
  QLineEdit* code_;
};

class ActionDateWindow : public QDialog {
  Q_OBJECT
 public:
  ActionDateWindow(std::int32_t initial, QWidget* parent = nullptr);
  std::int32_t day() const;
  QDateEdit* dateEntry() const { return date_; }

 private:
  QDateEdit* date_;
};

// "Routes": a route entry with a "..." lookup into the route list, "&OK"
// and "&Cancel"; OK with no route closes with nothing chosen.
class RoutesWindow : public QDialog {
  Q_OBJECT
 public:
  RoutesWindow(DataFiles& files, Ui& ui, const Catalog& catalog, QWidget* parent = nullptr);
  std::optional<std::string> route() const;
  QLineEdit* routeEntry() const { return route_; }

 private:
  QLineEdit* route_;
};

class QtReportPickers : public ReportPickers {
 public:
  QtReportPickers(DataFiles& files, Ui& ui, const Catalog& catalog, QWidget* parent)
      : files_(files), ui_(ui), catalog_(catalog), parent_(parent) {}
  std::optional<std::string> pickRoute() override;
  std::optional<std::string> pickRouteInWindow() override;
  std::optional<std::string> pickAgent() override;
  std::optional<std::string> pickCollector() override;
  std::optional<std::int32_t> pickActionDate(std::int32_t initial) override;

 private:
  std::optional<std::string> pickPerson(AgentSelectForm::Kind kind);

  DataFiles& files_;
  Ui& ui_;
  const Catalog& catalog_;
  QWidget* parent_;
};

}  // namespace vel::qt
