#include "billing/ReceiptBooks.h"

#include "forms/Catalog.h"
#include "forms/FormDecl.h"
#include "forms/ListDecl.h"
#include "ledger/InvoicePosting.h"

namespace vel::billing {

namespace {

constexpr std::string_view kBookTitle = "Receipt Book";

bool refuse(Ui& ui, const std::string& text) {
  ui.message(text, kBookTitle, Icon::Exclamation, kOk, kOk);
  return false;
}

bool inOldBook(const rec::Receipt* before, const rec::Receipt& book, std::int64_t n) {
  return before && before->CODE == book.CODE && before->PREFIX == book.PREFIX &&
         n >= before->START.value && n <= before->MEND.value;
}

}  // namespace

std::string receiptRangeProblem(std::int64_t start, std::int64_t end) {
  for (std::int64_t n : {start, end})
    if (n > kHighestReceiptNumber)
      return "Receipt number " + std::to_string(n) +
             " cannot be issued: receipt numbers go up to 32767.|Nothing has been issued.";
  if (end < start)
    return "The last receipt number (" + std::to_string(end) + ") is below the first (" +
           std::to_string(start) + ").|Nothing has been issued.";
  return {};
}

int issueReceiptBook(DataFiles& files, Ui& ui, const rec::Receipt& book,
                     const rec::Receipt* before, std::int32_t today) {
  if (const std::string problem = receiptRangeProblem(book.START.value, book.MEND.value);
      !problem.empty()) {
    refuse(ui, problem);
    return kRefused;
  }
  FileManager& books = files.fm<rec::Receipt>();
  FileManager& issued = files.fm<rec::AgeIss>();
  FileUse useBooks(books), useIssued(issued);
  const std::string position = before ? books.Position() : std::string();
  const int savedBooks = books.PushState();
  const int savedIssued = issued.PushState();
  auto done = [&](int level) {
    books.PopState(savedBooks);
    issued.PopState(savedIssued);
    return level;
  };
  ledger::LedgerTransaction tx(files, {&books, &issued}, files.context().transactionTimeout);
  if (!tx.begun()) {
    files.context().errors->SetFile(tx.failedFiles());
    files.context().errors->Throw(msg::TransactionCancelled);
    return done(kFailed);
  }
  if (before) {
    // The book as it is on file now must be the one the form read.
    if (books.Reget(position) != kDone) return done(kFailed);
    const auto& stored = books.rec<rec::Receipt>();
    if (!(stored.CODE == before->CODE) || !(stored.PREFIX == before->PREFIX) ||
        stored.START.value != before->START.value || stored.MEND.value != before->MEND.value) {
      files.context().errors->SetFile(books.label());
      files.context().errors->Throw(msg::ConcurrencyChangedFromForm);
      return done(kFailed);
    }
    books.rec<rec::Receipt>() = book;
    if (books.Update() != kDone) return done(kFailed);
  } else {
    books.ClearBuffer();
    books.rec<rec::Receipt>() = book;
    if (books.Insert() != kDone) return done(kFailed);
  }
  for (std::int64_t n = book.START.value; n <= book.MEND.value; ++n) {
    if (inOldBook(before, book, n)) continue;
    issued.ClearBuffer();
    auto& r = issued.rec<rec::AgeIss>();
    r.CODE = book.CODE.text();
    r.NUMBER = n;
    r.AMOUNT = 0;
    r.PREFIX = book.PREFIX.text();
    r.DATE_ISS = today;
    r.DATE_REC = 0;
    if (issued.Insert() != kDone) return done(kFailed);
  }
  if (!tx.commit()) {
    files.context().errors->SetFile(issued.label());
    files.context().errors->Throw(msg::PutFailed);
    return done(kFailed);
  }
  return done(kDone);
}

void addReceiptBooks(Catalog& catalog, const Clock& clock) {
  ListDecl l;
  l.procedure = "Browse_Receipt";
  l.title = "Receipt Book";
  l.file = "Receipt";
  l.columns = {column("Agent Code", "CODE", 5), dateColumn("Date of Issue", "DATE"),
               column("Prefix", "PREFIX", 5), column("Start", "START", 8, Align::Right),
               column("End", "MEND", 8, Align::Right)};
  l.tabs = {{"By Code", "By_Code", "CODE"}, {"By Prefix", "By_Start", "PREFIX"}};
  l.form = "Update_Receipt";
  catalog.add(std::move(l));

  auto number = [](std::string prompt, std::string field) {
    EntryDecl e;
    e.prompt = std::move(prompt);
    e.field = std::move(field);
    e.kind = EntryKind::Number;
    return e;
  };
  FormDecl f;
  f.procedure = "Update_Receipt";
  f.file = "Receipt";
  f.title = "Receipt Book";
  EntryDecl agent;
  agent.prompt = "Agent Code:";
  agent.field = "CODE";
  agent.lookup.list = "Browse_Agent";
  agent.lookup.fromField = "CODE";
  EntryDecl date;
  date.prompt = "Date:";
  date.field = "DATE";
  date.kind = EntryKind::Day;
  EntryDecl prefix;
  prefix.prompt = "Prefix:";
  prefix.field = "PREFIX";
  EntryDecl start = number("Start:", "START");
  EntryDecl end = number("End:", "MEND");
  // Each number is checked as it is left and again on OK, so a number
  // AgeIss cannot hold never reaches the store.
  start.check = [](EntryContext& c) {
    const auto& b = *static_cast<const rec::Receipt*>(c.record);
    const std::string p = receiptRangeProblem(b.START.value, b.START.value);
    return p.empty() || refuse(c.ui, p);
  };
  end.check = [](EntryContext& c) {
    const auto& b = *static_cast<const rec::Receipt*>(c.record);
    const std::string p = receiptRangeProblem(b.START.value, b.MEND.value);
    return p.empty() || refuse(c.ui, p);
  };
  f.tabs.push_back(TabDecl{"General", {agent, date, prefix, start, end}});
  f.prime = [&clock](EntryContext& c) { static_cast<rec::Receipt*>(c.record)->DATE = clock.today(); };
  f.store = [&clock](EntryContext& c) -> int {
    const auto book = *static_cast<const rec::Receipt*>(c.record);
    const auto* before =
        c.request == Request::Change ? static_cast<const rec::Receipt*>(c.loaded) : nullptr;
    return issueReceiptBook(c.files, c.ui, book, before, clock.today());
  };
  catalog.add(std::move(f));
}

}  // namespace vel::billing
