#include "billing/InvoiceRun.h"

#include <memory>
#include <vector>

#include "common/Money.h"
#include "dictionary/Dictionary.h"
#include "errors/EngineStatus.h"
#include "ledger/InvoicePosting.h"
#include "ledger/MessageHooks.h"
#include "recordstore/PageWanted.h"

namespace vel::billing {

namespace {

using ledger::BurialCover;
using ledger::HamperClub;

// The whole-number bar of a pass: 100 / records per record read, the
// running sum cut to a whole number. Sets the window only when it moves.
class PassBar {
 public:
  PassBar(Progress& p, std::int64_t records)
      : p_(p), step_(records > 0 ? 100.0 / static_cast<double>(records) : 0) {
    p_.setPercent(0);
  }
  void advance() {
    sum_ += step_;
    const int shown = sum_ >= 100 ? 100 : static_cast<int>(sum_);
    if (shown != shown_) {
      shown_ = shown;
      p_.setPercent(shown);
    }
  }

 private:
  Progress& p_;
  double step_;
  double sum_ = 0;
  int shown_ = 0;
};

std::string labelsOf(std::initializer_list<FileManager*> fs) {
  std::string s;
  for (FileManager* f : fs) s += (s.empty() ? "" : ", ") + f->label();
  return s;
}

// One pass of the run over a ledger's members.
template <class L>
class InvoicePass {
 public:
  InvoicePass(DataFiles& files, Ui& ui, const Clock& clock, const ledger::PostingStamp& stamp,
              const InvoiceRunOptions& options, Progress& progress)
      : files_(files),
        ui_(ui),
        clock_(clock),
        stamp_(stamp),
        options_(options),
        progress_(progress),
        mem_(files.fm<typename L::Member>()),
        inv_(files.fm<typename L::Invoice>()),
        age_(files.fm<typename L::Ageing>()),
        tra_(files.fm<typename L::Entry>()) {}

  // Bills the pass; adds what it billed to `result`. False when it stopped.
  bool run(InvoiceRunResult& result, int& invoiced) {
    FileUse m(mem_), i(inv_), a(age_), t(tra_);
    std::int64_t records = 0;
    if (mem_.TryEnsureOpen() != kDone || mem_.TryRecords(records) != kDone)
      return stop(result, mem_.label(), mem_.LastEngineText(), {});
    PassBar bar(progress_, records);
    // Each group's members come as one page of the group's size.
    PageWanted page(mem_, options_.groupSize);
    const int byClient = mem_.keyIndex("By_Client");
    std::string position;
    // A member due for its invoice as the group read it: the record and the
    // file's cursor on it, so posting needs no second read of it.
    struct Due {
      typename L::Member member;
      std::shared_ptr<void> cursor;
    };
    std::vector<Due> due;
    for (bool end = false; !end;) {
      ledger::LedgerTransaction tx(files_, {&mem_, &inv_, &age_, &tra_}, options_.lockWaitSeconds);
      if (!tx.begun()) return stop(result, tx.failedFiles(), tx.failureText(), {});
      const int rc = position.empty() ? mem_.SetOrder(byClient) : mem_.ResetTo(position);
      if (rc != kDone) return stop(result, mem_.label(), mem_.LastEngineText(), {});
      // The group's members are read first, then posted: rewriting a member
      // in the middle of the walk would make every next read start a page
      // afresh. Nobody else can write while the group holds the lock, so
      // what was read stays as read, and each member is posted from the
      // copy kept of it.
      due.clear();
      for (int read = 0; read < options_.groupSize; ++read) {
        if (mem_.TryReadNext() != kDone) {
          if (!mem_.EndOfData()) return stop(result, mem_.label(), mem_.LastEngineText(), {});
          end = true;
          break;
        }
        bar.advance();
        position = mem_.Position();
        if (ledger::dueForInvoice(mem_.rec<typename L::Member>()))
          due.push_back({mem_.rec<typename L::Member>(), mem_.engineFile()->saveCursor()});
      }
      int groupMembers = 0;
      std::int64_t groupCents = 0;
      for (const Due& d : due) {
        mem_.rec<typename L::Member>() = d.member;
        mem_.engineFile()->restoreCursor(d.cursor);
        const std::string clientId = mem_.rec<typename L::Member>().CLIENT_ID.text();
        if (!tx.savepoint()) return stop(result, labelsOf({&mem_}), engineStatus().text, clientId);
        std::string failedFile;
        std::int64_t cents = 0;
        if (ledger::addMonthlyInvoice<L>(files_, stamp_, clock_.moment(), &failedFile, &cents) !=
            kDone) {
          const std::string why = files_.fm(failedFile).LastEngineText();
          // The members before this one are whole: keep them.
          tx.rollbackToSavepoint();
          if (tx.commit()) {
            result.cents += groupCents;
            invoiced += groupMembers;
          }
          return stop(result, failedFile, why, clientId);
        }
        if (!tx.releaseSavepoint())
          return stop(result, labelsOf({&mem_}), engineStatus().text, clientId);
        ++groupMembers;
        groupCents += cents;
      }
      if (!tx.commit()) return stop(result, tx.failedFiles(), tx.failureText(), {});
      result.cents += groupCents;
      invoiced += groupMembers;
    }
    return true;
  }

 private:
  bool stop(InvoiceRunResult& result, const std::string& file, const std::string& why,
            const std::string& clientId) {
    result.ok = false;
    std::string text = "The invoice run stopped";
    if (!clientId.empty()) text += " at client " + clientId;
    text += ".|" + file + ": " + (why.empty() ? std::string("the file could not be used") : why) +
            "|Every member invoiced so far is on file; start the run again to finish it.";
    result.failure = text;
    ui_.message(text, kInvoiceRunTitle, Icon::Exclamation, kOk, kOk);
    return false;
  }

  DataFiles& files_;
  Ui& ui_;
  const Clock& clock_;
  const ledger::PostingStamp& stamp_;
  const InvoiceRunOptions& options_;
  Progress& progress_;
  FileManager& mem_;
  FileManager& inv_;
  FileManager& age_;
  FileManager& tra_;
};

// One reset pass: INVOICED = 0 on every member of the file that has it set.
template <class Member>
bool resetPass(DataFiles& files, Ui& ui, Progress& progress) {
  FileManager& f = files.fm<Member>();
  FileUse use(f);
  std::int64_t records = 0;
  auto failed = [&] {
    files.context().errors->SetFile(f.label());
    ui.message("The invoiced marks could not be cleared.|" + f.label() + ": " +
                   f.LastEngineText(),
               kInvoiceRunTitle, Icon::Exclamation, kOk, kOk);
    return false;
  };
  if (f.TryEnsureOpen() != kDone || f.TryRecords(records) != kDone) return failed();
  PassBar bar(progress, records);
  if (f.SetOrder(f.keyIndex("By_Client")) != kDone) return failed();
  for (;;) {
    if (f.TryReadNext() != kDone) {
      if (f.EndOfData()) return true;
      return failed();
    }
    bar.advance();
    auto& m = f.rec<Member>();
    if (m.INVOICED.value == 0) continue;
    m.INVOICED = 0;
    if (f.TryUpdate() != kDone) return failed();
  }
}

}  // namespace

InvoiceRunResult Generate_Invoices(DataFiles& files, Ui& ui, const Clock& clock,
                                   const ledger::PostingStamp& stamp,
                                   const InvoiceRunOptions& options) {
  InvoiceRunResult result;
  {
    auto progress = ui.progress(kInvoiceRunTitle, kInvoiceRunText);
    InvoicePass<BurialCover> clients(files, ui, clock, stamp, options, *progress);
    if (!clients.run(result, result.clientsInvoiced)) return result;
  }
  {
    auto progress = ui.progress(kInvoiceRunTitle, kInvoiceRunText);
    InvoicePass<HamperClub> hamper(files, ui, clock, stamp, options, *progress);
    if (!hamper.run(result, result.hamperInvoiced)) return result;
  }
  if (auto& hook = ledger::messageHooks().afterInvoiceRun) hook(files, options.automatic);
  return result;
}

bool resetInvoicedWithin(DataFiles& files, Ui& ui) {
  {
    auto progress = ui.progress(kInvoiceRunTitle, kInvoiceRunText);
    if (!resetPass<rec::VelCli>(files, ui, *progress)) return false;
  }
  auto progress = ui.progress(kInvoiceRunTitle, kInvoiceRunText);
  return resetPass<rec::Hamper>(files, ui, *progress);
}

bool Reset_Invoiced(DataFiles& files, Ui& ui) {
  FileManager& cli = files.fm<rec::VelCli>();
  FileManager& ham = files.fm<rec::Hamper>();
  FileUse c(cli), h(ham);
  ledger::LedgerTransaction tx(files, {&cli, &ham}, 120);
  if (!tx.begun()) {
    ui.message("The invoiced marks could not be cleared.|" + tx.failedFiles() + ": " +
                   tx.failureText(),
               kInvoiceRunTitle, Icon::Exclamation, kOk, kOk);
    return false;
  }
  if (!resetInvoicedWithin(files, ui)) return false;
  if (!tx.commit()) {
    ui.message("The invoiced marks could not be cleared.|" + tx.failedFiles() + ": " +
                   tx.failureText(),
               kInvoiceRunTitle, Icon::Exclamation, kOk, kOk);
    return false;
  }
  return true;
}

}  // namespace vel::billing
