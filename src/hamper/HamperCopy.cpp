#include "hamper/HamperCopy.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "dictionary/Dictionary.h"
#include "errors/EngineStatus.h"
#include "errors/ErrorManager.h"
#include "members/CopyToHamper.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"
#include "recordstore/FileManager.h"

namespace vel {
namespace {

std::string counter(std::int64_t n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%06lld", static_cast<long long>(n));
  return buf;
}

// Ends a transaction that did not commit, keeping the failure's status for
// the message.
void rollBack(std::unique_ptr<Transaction>& tx) {
  EngineStatus keep = engineStatus();
  tx->rollback();
  setEngineStatus(keep);
}

// One client's copy: the member added (or found) and the client's PLANPREM
// rewritten, in one transaction.
bool copyOne(DataFiles& files, const std::string& position, HamperCopyReport& report) {
  FileManager& cli = files.fm<rec::VelCli>();
  FileManager& ham = files.fm<rec::Hamper>();
  StoreContext& ctx = files.context();
  std::unique_ptr<Transaction> tx;
  if (ctx.engine->begin({ham.engineFile(), cli.engineFile()}, ctx.transactionTimeout, tx) !=
      ecode::kNone) {
    ctx.errors->SetFile(ham.label() + ", " + cli.label());
    ctx.errors->Throw(msg::TransactionCancelled);
    return false;
  }
  // Read afresh under the lock: another station may have changed him.
  if (cli.Reget(position) != kDone) {
    rollBack(tx);
    return false;
  }
  rec::VelCli client = cli.rec<rec::VelCli>();
  if (!(client.HAMPER > 0)) {
    tx->rollback();
    return true;
  }
  const HamperAdd added = addHamperMember(ham, client);
  if (added.result == CopyToHamperResult::Failed) {
    rollBack(tx);
    return false;
  }
  cli.rec<rec::VelCli>() = client;
  cli.rec<rec::VelCli>().PLANPREM = client.PREMIUM;
  if (cli.Update() != kDone) {
    rollBack(tx);
    return false;
  }
  if (tx->commit() != ecode::kNone) {
    rollBack(tx);
    ctx.errors->SetFile(ham.label());
    ctx.errors->Throw(msg::PutFailed);
    return false;
  }
  if (added.result == CopyToHamperResult::AlreadyMember) {
    ++report.alreadyMembers;
  } else {
    ++report.added;
    if (!added.keptNumber) report.renumbered.push_back(renumberedText(client, added.number));
  }
  return true;
}

}  // namespace

HamperCopyReport copyPolicyHoldersToHamper(DataFiles& files, Ui& ui) {
  HamperCopyReport report;
  FileManager& cli = files.fm<rec::VelCli>();
  FileManager& ham = files.fm<rec::Hamper>();
  // No client file: no one to copy.
  if (!cli.Exists()) return report;
  FileUse useCli(cli);
  FileUse useHam(ham);
  if (cli.EnsureOpen() != kDone || ham.EnsureOpen() != kDone) {
    report.complete = false;
    return report;
  }
  report.clients = cli.Records();
  auto window = ui.progress("Copy Utility", "Copying to Hamper, please wait ...");
  auto show = [&](std::int64_t read) {
    window->setText("Copying to Hamper, please wait ...   " + counter(read) + " of " +
                    counter(report.clients));
    window->setPercent(report.clients > 0 ? static_cast<int>(read * 100 / report.clients) : 100);
  };
  show(0);

  // The clients to copy, in file order: each is then copied under its own
  // lock, so the walk itself holds none.
  std::vector<std::pair<std::int64_t, std::string>> toCopy;
  std::int64_t read = 0;
  {
    FieldSubsetRead subset(cli, {"HAMPER"});
    cli.SetOrder(kPhysicalOrder);
    for (;;) {
      if (cli.TryReadNext() != kDone) {
        if (!cli.EndOfData()) {
          cli.report(msg::RetrievalError);
          report.complete = false;
        }
        break;
      }
      ++read;
      if (cli.rec<rec::VelCli>().HAMPER > 0) toCopy.emplace_back(read, cli.Position());
    }
  }
  for (const auto& [ordinal, position] : toCopy) {
    if (!copyOne(files, position, report)) ++report.failed;
    show(ordinal);
  }
  if (read > report.clients) report.clients = read;
  show(read);
  return report;
}

}  // namespace vel
