// The menu's list, form and utility procedures, registered by name.
#pragma once

class QWidget;

namespace vel {
class Catalog;
class DataFiles;
class ProcedureTable;
class ShellUi;
}  // namespace vel

namespace vel::qt {

// Fills the catalog with every declared list and form of the program.
void buildCatalog(Catalog& catalog);

// Registers every list of the catalog under its own name (opened as a
// maintenance list over `parent`), "&Configure System" and the Setup
// utilities.
void registerSetupProcedures(ProcedureTable& procedures, DataFiles& files, ShellUi& ui,
                             const Catalog& catalog, QWidget* parent);

}  // namespace vel::qt
