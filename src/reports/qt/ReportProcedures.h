// The Reports menu's procedures, registered by name: each asks its
// selections, walks its files and shows the print preview. The ageing and
// premiums-paid reports walk on a thread of their own while the frame stays
// free; their windows still open on the frame's thread.
#pragma once

class QWidget;

namespace vel {
class Catalog;
class Clock;
class DataFiles;
class ProcedureTable;
class ShellUi;
}  // namespace vel

namespace vel::qt {

void registerReportProcedures(ProcedureTable& procedures, DataFiles& files, ShellUi& ui,
                              const Catalog& catalog, const Clock& clock, QWidget* parent);

}  // namespace vel::qt
