// Velmora Administration: the desktop program.
//
// Started in its data folder (the working folder); it reads no arguments of
// its own. Start-up runs on this first thread before the frame takes the
// user's choices; when the frame closes, the settings file is written back.
#include <QApplication>

#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "platform/Clock.h"
#include "platform/SettingsFile.h"
#include "recordstore/DataFiles.h"
#include "recordstore/StoreChoice.h"
#include "billing/qt/InvoicingProcedures.h"
#include "forms/Catalog.h"
#include "maintenance/qt/ExportProcedures.h"
#include "maintenance/Conversion.h"
#include "billing/qt/PaymentProcedures.h"
#include "maintenance/Backup.h"
#include "maintenance/qt/BackupProcedures.h"
#include "members/qt/ClientBrowseWindow.h"
#include "hamper/qt/HamperBrowseWindow.h"
#include "reports/qt/ReportProcedures.h"
#include "setup/qt/SetupProcedures.h"
#include "shell/Procedures.h"
#include "shell/Startup.h"
#include "shell/qt/MainFrame.h"
#include "shell/qt/QtShellUi.h"
#include "sms/SmsWorker.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Velmora Administration");

  // The process's services, in this order: the error manager with its
  // messages, the settings file, the record engine the settings name, the
  // file declarations.
  vel::qt::QtShellUi ui;
  vel::ErrorManager errors(ui);
  vel::SettingsFile settings;
  settings.open(vel::kSettingsFileName);
  // Settings that name an engine this station cannot use stop the program
  // before a record file is touched: guessing would split the office
  // between the folder's files and the database.
  std::unique_ptr<vel::Engine> engine;
  if (std::string problem; !vel::makeEngineFor(".", engine, problem)) {
    ui.message(problem, "Program Halted", vel::Icon::Exclamation, vel::kOk, vel::kOk);
    return 1;
  }
  vel::DataFiles files(".", *engine, errors);
  vel::SystemClock clock;

  // The subsystems' procedures and start-up hooks join here as they are built.
  vel::StartupHooks hooks;
  vel::ProcedureTable procedures;
  // The SMS runs go on a thread beside the frame.
  vel::sms::SmsWorker sms(files, ui, clock);
  vel::sms::installMessageHooks(sms, hooks);
  vel::hookConversion(hooks, files, ui, clock);
  hooks.backup = [&files, &ui] { vel::runBackup(files, ui); };
  vel::qt::fillInvoicingHooks(hooks, files, ui, clock);

  vel::Startup startup(files, ui, clock, hooks);
  vel::qt::MainFrame frame(startup, ui, procedures, settings);

  // Every list and form, and the menu's procedures that open them.
  vel::Catalog catalog;
  vel::qt::buildCatalog(catalog);
  vel::qt::registerSetupProcedures(procedures, files, ui, catalog, &frame);
  vel::qt::registerReportProcedures(procedures, files, ui, catalog, clock, &frame);
  vel::qt::registerClientBrowse(procedures, files, ui, catalog, clock, &frame);
  vel::qt::registerExportProcedures(procedures, files, ui);
  vel::qt::registerPayments(procedures, files, ui, catalog, clock, &frame);
  vel::qt::registerBackupProcedures(procedures, files, &frame);
  vel::qt::registerInvoicing(procedures, files, ui, catalog, clock, &frame);
  vel::qt::registerHamperProcedures(procedures, files, ui, catalog, clock, &frame);

  switch (startup.initialise()) {
    case vel::Startup::Outcome::Stopped:
      return 1;
    case vel::Startup::Outcome::SecondCopy:
      return 0;  // the frame closes without being shown
    case vel::Startup::Outcome::Running:
      break;
  }
  frame.show();
  ui.setParent(&frame);
  if (frame.openFrame() != vel::Startup::Outcome::Running) {
    sms.drain([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); });
    return 1;
  }

  const int rc = QApplication::exec();
  // Messages still being sent finish first; their boxes are shown meanwhile.
  sms.drain([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); });
  startup.close();
  settings.save();
  return rc;
}
