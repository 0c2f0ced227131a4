#include "setup/qt/SetupProcedures.h"

#include "forms/Catalog.h"
#include "reports/ClientLists.h"
#include "reports/ManagementReport.h"
#include "reports/qt/PrintPreviewWindow.h"
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

namespace {

// The reports' pickers: the route, agent and collector lists opened for
// picking.
class ListPickers : public ReportPickers {
 public:
  ListPickers(DataFiles& files, Ui& ui, const Catalog& catalog, QWidget* parent)
      : files_(files), ui_(ui), catalog_(catalog), parent_(parent) {}
  std::optional<std::string> pickRoute() override { return pick("Browse_Route", "ROUTE"); }
  std::optional<std::string> pickAgent() override { return pick("Browse_Agent", "CODE"); }
  std::optional<std::string> pickCollector() override { return pick("Browse_Collector", "CODE"); }
  std::optional<std::int32_t> pickActionDate(std::int32_t initial) override { return initial; }

 private:
  std::optional<std::string> pick(const char* list, const char* field) {
    const ListDecl* decl = catalog_.list(list);
    if (!decl) return std::nullopt;
    RecordBuffer picked(files_.fm(decl->file).layout());
    if (!runListWindow(files_, ui_, catalog_, *decl, ListMode::Select, parent_, &picked))
      return std::nullopt;
    return std::string(rtrim(picked.field(picked.layout().fieldIndex(field)).text()));
  }

  DataFiles& files_;
  Ui& ui_;
  const Catalog& catalog_;
  QWidget* parent_;
};

}  // namespace

void buildCatalog(Catalog& catalog) {
  addShellLists(catalog);
  addSetupLists(catalog, [](DataFiles& files, Ui& ui, const rec::Banks& account) {
    return bankAccountMayBeDeleted(files, ui, account.NAME.str());
  });
}

void registerSetupProcedures(ProcedureTable& procedures, DataFiles& files, ShellUi& ui,
                             const Catalog& catalog, const Clock& clock, QWidget* parent) {
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

  procedures.add("Print_Management", [&files, &ui, &clock, parent] {
    PreviewOutput out(parent);
    printManagementReport(files, ui, clock, out);
  });
  procedures.add("Print_Active", [&files, &ui, &catalog, &clock, parent] {
    PreviewOutput out(parent);
    ListPickers pickers(files, ui, catalog, parent);
    printActiveClientList(files, ui, clock, pickers, out);
  });
  procedures.add("Print_Non_Active", [&files, &ui, &catalog, &clock, parent] {
    PreviewOutput out(parent);
    ListPickers pickers(files, ui, catalog, parent);
    printNonActiveClientList(files, ui, clock, pickers, out);
  });
}

}  // namespace vel::qt
