// The export procedures of the menu: the 26 "Export ..." items of the File
// menu, each under its own menu text, and "&Export Data" (Export_Main).
#pragma once

namespace vel {
class DataFiles;
class ProcedureTable;
class Ui;
}  // namespace vel

namespace vel::qt {

void registerExportProcedures(ProcedureTable& procedures, DataFiles& files, Ui& ui);

}  // namespace vel::qt
