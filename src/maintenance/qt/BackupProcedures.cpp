#include "maintenance/qt/BackupProcedures.h"

#include <QPointer>

#include "maintenance/qt/RebuildWindow.h"
#include "recordstore/DataFiles.h"
#include "shell/Procedures.h"

namespace vel::qt {

void registerBackupProcedures(ProcedureTable& procedures, DataFiles& files, QWidget* parent) {
  // A procedure of its own thread whose window stays beside the frame: the
  // window opens on the frame's thread, and each run it starts does its file
  // work on a thread of its own.
  QPointer<QWidget> frame(parent);
  procedures.addThreaded("Rebuild_Indexes", [&files, frame]() -> ProcedureTable::Run {
    return [&files, frame] {
      StoreContext& ctx = files.context();
      auto* w = new RebuildWindow(*ctx.engine, ctx.folder, ctx.owner, frame.data());
      w->setAttribute(Qt::WA_DeleteOnClose);
      w->show();
    };
  });
}

}  // namespace vel::qt
