#include "setup/qt/SetupProcedures.h"

#include "forms/Catalog.h"
#include "forms/qt/FormWindow.h"
#include "forms/qt/ListWindow.h"
#include "dictionary/SetupFiles.h"
#include "recordstore/DataFiles.h"
#include "setup/BankAccountDelete.h"
#include "setup/CommissionUpdate.h"
#include "setup/SetupLists.h"
#include "setup/UpdateAgents.h"
#include "shell/ChangePassword.h"
#include "shell/Procedures.h"
#include "shell/ShellLists.h"
#include "shell/ShellUi.h"

namespace vel::qt {


void buildCatalog(Catalog& catalog) {
  addShellLists(catalog);
  addSetupLists(catalog, [](DataFiles& files, Ui& ui, const rec::Banks& account) {
    return bankAccountMayBeDeleted(files, ui, account.NAME.str());
  });
}

void registerSetupProcedures(ProcedureTable& procedures, DataFiles& files, ShellUi& ui,
                             const Catalog& catalog, QWidget* parent) {
  for (const std::string& name : catalog.listNames()) {
    procedures.add(name, [&files, &ui, &catalog, parent, name] {
      if (const ListDecl* l = catalog.list(name))
        runListWindow(files, ui, catalog, *l, ListMode::Maintain, parent);
    });
  }
  procedures.add("Update_Config", [&files, &ui, &catalog, parent] {
    Update_Config(files, ui, catalog, [&](const FormDecl& f, Request r, const Presets& p) {
      return runFormWindow(files, ui, catalog, f, r, p, parent);
    });
  });
  procedures.add("Change_Password", [&files, &ui] { Change_Password(files, ui); });
  procedures.add("Update_Commission", [&files, &ui] { Update_Commission(files, ui); });
  procedures.add("Update_Agents", [&files, &ui] { Update_Agents(files, ui); });
}

}  // namespace vel::qt
