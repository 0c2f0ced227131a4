// The "Policy Holders" window: the client list (a generic list panel) with
// "No of Clients", and beside it the highlighted client's ageing, remarks,
// invoices and payments, each a list panel kept to that client's rows and
// read again whenever the highlight moves.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "members/ClientBrowse.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vel {
class Catalog;
class DataFiles;
class ShellUi;
class Ui;
}  // namespace vel

namespace vel::qt {

class ListPanel;

class ClientBrowseWindow : public QDialog {
  Q_OBJECT
 public:
  ClientBrowseWindow(DataFiles& files, Ui& ui, const Catalog& catalog,
                     ClientBrowsePrints prints = {}, QWidget* parent = nullptr);

  ListPanel* clients() const { return clients_; }
  ListPanel* ageing() const { return ageing_; }
  ListPanel* invoices() const { return invoices_; }
  ListPanel* payments() const { return payments_; }
  QPlainTextEdit* remarks() const { return remarks_; }
  QLabel* count() const { return count_; }

 private:
  // Reads the panels again for the highlighted client.
  void follow();
  void editRemarks();
  void checkId();
  void recount();

  DataFiles& files_;
  Ui& ui_;
  ClientBrowsePrints prints_;
  ListPanel* clients_;
  ListPanel* ageing_;
  ListPanel* invoices_;
  ListPanel* payments_;
  QPlainTextEdit* remarks_;
  QLabel* count_;
};

// "Policy Holders" for picking: the client list with the pick list beside
// it, "Number to Print", and "Clear List", "Add to List", "Print List".
class ClientSelectWindow : public QDialog {
  Q_OBJECT
 public:
  // `printList` prints the picked clients' collection cards (none: the
  // button does nothing).
  ClientSelectWindow(DataFiles& files, Ui& ui, const Catalog& catalog,
                     std::function<void(const std::vector<rec::VelCli>&)> printList,
                     QWidget* parent = nullptr);

  ListPanel* clients() const { return clients_; }
  ListPanel* picks() const { return picks_; }
  QLabel* count() const { return count_; }

 private:
  void reread();

  DataFiles& files_;
  ListPanel* clients_;
  ListPanel* picks_;
  QLabel* count_;
};

// "Remarks": edits a text of up to 10240 characters; true on OK with the
// text in `text`.
bool runRemarksWindow(QString& text, QWidget* parent);

// "Check if ID Exists": the identity number to look for, typed into a small
// window ("ID Number to be checked", OK) that starts blank; nothing when the
// window was closed without OK.
std::optional<std::string> askIdNumber(QWidget* parent);

// Opens the browse modally (from the menu).
void runClientBrowse(DataFiles& files, Ui& ui, const Catalog& catalog,
                     const ClientBrowsePrints& prints, QWidget* parent);

}  // namespace vel::qt

namespace vel {
class Clock;
class ProcedureTable;
}  // namespace vel

namespace vel::qt {

// Declares the browse and its panels in the catalog and makes the menu's
// "Browse_Client" open it. Called after the generic lists are registered.
void registerClientBrowse(ProcedureTable& procedures, DataFiles& files, ShellUi& ui, Catalog& catalog,
                          const Clock& clock, QWidget* parent);

}  // namespace vel::qt
