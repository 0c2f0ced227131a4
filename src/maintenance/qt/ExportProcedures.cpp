#include "maintenance/qt/ExportProcedures.h"

#include "maintenance/ExportTables.h"
#include "maintenance/MainCsv.h"
#include "shell/Procedures.h"

namespace vel::qt {

void registerExportProcedures(ProcedureTable& procedures, DataFiles& files, Ui& ui) {
  for (const ExportDecl& d : exportTables())
    procedures.add(d.procedure, [&files, &ui, &d] { runExport(files, ui, d); });
  procedures.add("Export_Main", [&files, &ui] { Export_Main(files, ui); });
}

}  // namespace vel::qt
