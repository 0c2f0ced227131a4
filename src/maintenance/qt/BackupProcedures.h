// The backup and rebuild procedures of the menu, registered by name.
#pragma once

class QWidget;

namespace vel {
class DataFiles;
class ProcedureTable;
}  // namespace vel

namespace vel::qt {

// "Rebuild_Indexes": opens the "Rebuild Data Files" window beside the frame.
void registerBackupProcedures(ProcedureTable& procedures, DataFiles& files, QWidget* parent);

}  // namespace vel::qt
