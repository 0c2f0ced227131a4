#include "setup/CommissionUpdate.h"

#include "recordstore/DataFiles.h"

namespace vel {

namespace {
constexpr const char* kTitle = "Commission Structure";
}

ClientRewriteResult Update_Commission(DataFiles& files, Ui& ui) {
  FileManager& comm = files.fm<rec::CommStr>();
  FileUse commUse(comm);
  ClientRewriteResult unread;
  unread.ok = false;
  unread.failure = "the commission structure could not be read";
  // An open failure has been shown by the record store.
  if (comm.EnsureOpen() != kDone) return unread;
  const bool positioned = comm.SetOrder(kPhysicalOrder) == kDone;
  if (!positioned || (comm.TryReadNext() != kDone && !comm.EndOfData())) {
    // A structure held by another station or damaged is not a missing one:
    // say why it could not be read, and change no client.
    showReadFailure(comm);
    return unread;
  }
  if (comm.EndOfData()) {
    ui.message("There is no commission structure to apply.|Enter the Agent and Collector "
               "amounts under the commission structure first; no client was changed.",
               kTitle, Icon::Exclamation, kOk, kOk);
    ClientRewriteResult none;
    none.ok = false;
    none.failure = "no commission structure";
    return none;
  }
  const double agent = comm.rec<rec::CommStr>().AGENT;
  const double collector = comm.rec<rec::CommStr>().COLL;

  FileUse cliUse(files.fm<rec::VelCli>());
  ClientRewriteResult r;
  {
    auto progress = ui.progress(kTitle, "Updating Clients, please wait ...");
    r = rewriteClients(files, *progress, [&](rec::VelCli& c) {
      // A client that has the amounts already is left as it is: the end
      // result is the same and other stations' open forms are not disturbed.
      if (c.AGE_COMM.value == agent && c.COL_COMM.value == collector) return false;
      c.AGE_COMM = agent;
      c.COL_COMM = collector;
      return true;
    });
  }
  if (!r.ok) ui.message(rewriteStoppedText(r), kTitle, Icon::Exclamation, kOk, kOk);
  return r;
}

}  // namespace vel
