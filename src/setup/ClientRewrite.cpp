#include "setup/ClientRewrite.h"

#include <algorithm>
#include <memory>

#include "errors/EngineStatus.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "shell/Globals.h"

namespace vel {

namespace {

// Moves the bar to the share of `done` in `total`. The running share is
// worked out from the count each time, so with more than 100 clients the
// bar still moves (a whole-number step per record would be 0 there).
class Bar {
 public:
  Bar(Progress& p, std::int64_t total) : p_(p), total_(total) {}
  void at(std::int64_t done) {
    show(total_ <= 0 ? 100 : static_cast<int>(std::min<std::int64_t>(done * 100 / total_, 100)));
  }
  // The walk is over: full, even when the file changed size since it was counted.
  void finish() { show(100); }

 private:
  void show(int pct) {
    if (pct == shown_) return;
    shown_ = pct;
    globals().PROGRESS = pct;
    p_.setPercent(pct);
  }

  Progress& p_;
  std::int64_t total_;
  int shown_ = -1;
};

}  // namespace

ClientRewriteResult rewriteClients(DataFiles& files, Progress& progress,
                                   const std::function<bool(rec::VelCli&)>& change) {
  ClientRewriteResult r;
  FileManager& cli = files.fm<rec::VelCli>();
  auto stop = [&](std::string why) {
    r.ok = false;
    r.failure = std::move(why);
    return r;
  };

  EngineFile* file = cli.engineFile();
  if (!file) return stop("the client file cannot be used");
  Bar bar(progress, cli.Records());
  bar.at(0);
  if (cli.SetOrder(kPhysicalOrder) != kDone) return stop("the client file cannot be read");
  auto& c = cli.rec<rec::VelCli>();

  for (bool more = true; more;) {
    // The group is read inside its transaction: its write lock keeps other
    // stations from changing a client between our read and our rewrite.
    std::unique_ptr<Transaction> tx;
    if (files.context().engine->begin({file}, files.context().transactionTimeout, tx) !=
        ecode::kNone)
      return stop("the client file " + cli.label() + " could not be locked: " + engineStatus().text);
    std::int64_t inGroup = 0;
    for (int n = 0; n < kClientsPerGroup; ++n) {
      const int rc = cli.TryReadNext();
      if (rc != kDone) {
        if (!cli.EndOfData()) {
          showReadFailure(cli);
          return stop("a client could not be read from " + cli.label() + ": " +
                      cli.LastEngineText());
        }
        more = false;
        break;
      }
      ++r.read;
      if (change(c)) {
        if (cli.TryUpdate() != kDone)
          return stop("client " + c.CLIENT_ID.text() + " could not be written to " + cli.label() +
                      ": " + cli.LastEngineText());
        ++inGroup;
      }
      bar.at(r.read);
    }
    if (tx->commit() != ecode::kNone)
      return stop("the clients could not be written to " + cli.label() + ": " + engineStatus().text);
    r.written += inGroup;
  }
  bar.finish();
  return r;
}

void showReadFailure(FileManager& f) {
  const int code = f.LastEngineCode();
  const std::string text = f.LastEngineText();
  setEngineStatus(code, text, std::to_string(code), text);
  ErrorManager& errors = *f.context().errors;
  errors.SetFile(f.label());
  errors.Throw(code == ecode::kRecordHeld ? msg::RecordHeld : msg::RetrievalError);
}

std::string rewriteStoppedText(const ClientRewriteResult& r) {
  return "The update stopped: " + r.failure + ".|" + std::to_string(r.written) +
         " client(s) were updated before it stopped; the rest are unchanged.|"
         "Run the update again to finish it.";
}

}  // namespace vel
