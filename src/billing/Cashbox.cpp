#include "billing/Cashbox.h"

#include <charconv>

#include "common/Money.h"
#include "common/Text.h"
#include "forms/Catalog.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace vel {

const std::array<const char*, kDenominations> kDenominationLabels{
    "R 200", "R 100", "R 50", "R 20", "R 10", "R 5",  "R 2",
    "R 1",   "C 50",  "C 20", "C 10", "C 05", "C 02", "C 01"};
const std::array<const char*, kDenominations> kDenominationFields{
    "R200", "R100", "R50", "R20", "R10", "R5",  "R2",
    "R1",   "C50",  "C20", "C10", "C05", "C02", "C01"};

namespace {

Short& countField(rec::Cashbox& c, int i) {
  Short* fields[kDenominations] = {&c.R200, &c.R100, &c.R50, &c.R20, &c.R10,
                                        &c.R5,   &c.R2,   &c.R1,  &c.C50, &c.C20,
                                        &c.C10,  &c.C05,  &c.C02, &c.C01};
  return *fields[i];
}

// The same check for the list's own form: the count typed must fit.
EntryCheck countFits(int i) {
  return [i](EntryContext& ctx) {
    auto& c = *static_cast<rec::Cashbox*>(ctx.record);
    const std::int64_t n = countField(c, i).value;
    if (n >= 0 && n <= kMostCoins) return true;
    ctx.ui.message(std::string(kDenominationLabels[static_cast<std::size_t>(i)]) + ": " +
                       std::to_string(n) + " cannot be counted.|A count must be from 0 to " +
                       std::to_string(kMostCoins) + ".",
                   "Cashbox Error", Icon::Exclamation, kOk, kOk);
    return false;
  };
}

}  // namespace

void addCashbox(Catalog& catalog) {
  ListDecl l;
  l.procedure = kCashboxList;
  l.title = "Receipt Book";
  l.file = "Cashbox";
  l.columns = {dateColumn("Date", "DATE"),
               column("Agent Code", "CODE", 6),
               column("Prefix", "PREFIX", 6),
               column("Start", "START", 8, Align::Right),
               column("End", "MEND", 8, Align::Right),
               moneyColumn("In Total", "IN_TOTAL")};
  l.tabs = {{"By Date", "By_Date", ""}, {"By Code", "By_Code", "CODE"},
            {"By Prefix", "By_Start", "PREFIX"}};
  l.actions = kActInsert | kActChange | kActDelete;
  l.form = kCashboxForm;
  catalog.add(std::move(l));

  FormDecl f;
  f.procedure = kCashboxForm;
  f.file = "Cashbox";
  f.title = "Form Cashbox";
  TabDecl general{"General", {}};
  auto entry = [](std::string prompt, std::string field, EntryKind kind, std::string picture) {
    EntryDecl e;
    e.prompt = std::move(prompt);
    e.field = std::move(field);
    e.kind = kind;
    e.picture = std::move(picture);
    return e;
  };
  general.entries.push_back(entry("Date:", "DATE", EntryKind::Day, "d06"));
  EntryDecl agent = entry("Agent Code:", "CODE", EntryKind::Text, "");
  agent.lookup.list = "Browse_Agent";
  agent.lookup.fromField = "CODE";
  general.entries.push_back(agent);
  general.entries.push_back(entry("Prefix:", "PREFIX", EntryKind::Text, ""));
  general.entries.push_back(entry("Start:", "START", EntryKind::Number, "n7"));
  general.entries.push_back(entry("End:", "MEND", EntryKind::Number, "n7"));
  general.entries.push_back(entry("Total Receipts:", "IN_TOTAL", EntryKind::Number, "n-_10.2"));
  TabDecl coins{"Coinage", {}};
  for (int i = 0; i < kDenominations; ++i) {
    EntryDecl e = entry(std::string(kDenominationLabels[static_cast<std::size_t>(i)]) + ":",
                        kDenominationFields[static_cast<std::size_t>(i)], EntryKind::Number, "n_6");
    e.check = countFits(i);
    coins.entries.push_back(e);
  }
  coins.entries.push_back(entry("Cash Total:", "CSH_TOTAL", EntryKind::Number, "n-_10.2"));
  f.tabs = {general, coins};
  catalog.add(std::move(f));
}

CashboxForm::CashboxForm(DataFiles& files, Ui& ui, const Clock& clock, std::string agentCode,
                         double runningTotal)
    : files_(files), ui_(ui), running_(toCents(runningTotal)) {
  rec_.DATE = clock.today();
  rec_.CODE = agentCode;
  rec_.START = 0;
  rec_.MEND = 0;
}

std::int64_t CashboxForm::cashCents() const {
  std::int64_t sum = 0;
  for (int i = 0; i < kDenominations; ++i) sum += lineCents(i);
  return sum;
}

std::int64_t CashboxForm::differenceCents() const { return running_ - cashCents(); }

bool CashboxForm::enterCount(int i, std::string_view text) {
  const std::string t(trim(text));
  std::int64_t n = 0;
  const char* end = t.data() + t.size();
  auto [p, ec] = std::from_chars(t.data(), end, n);
  const bool whole = t.empty() || (ec == std::errc() && p == end);
  if (t.empty()) n = 0;
  if (!whole || n < 0 || n > kMostCoins) {
    const std::string label = kDenominationLabels[static_cast<std::size_t>(i)];
    const std::string why = !whole ? " is not a whole number of notes or coins."
                            : n < 0 ? " is below zero."
                                    : " is more than one count can hold (at most " +
                                          std::to_string(kMostCoins) + ").";
    ui_.message(label + ": " + t + why + "|The count was not taken.", "Cashbox Error",
                Icon::Exclamation, kOk, kOk);
    return false;
  }
  counts_[static_cast<std::size_t>(i)] = n;
  countField(rec_, i) = n;
  rec_.CSH_TOTAL = fromCents(cashCents());
  return true;
}

bool CashboxForm::enterAgent(std::string_view code) {
  FileManager& f = files_.fm<rec::Agent>();
  FileUse use(f);
  const int h = f.PushState();
  f.ClearBuffer();
  f.rec<rec::Agent>().CODE = trim(code);
  const bool found = !trim(code).empty() && f.TryGetByKey(f.keyIndex("KeyCode")) == kDone;
  if (found) rec_.CODE = f.rec<rec::Agent>().CODE.str();
  f.PopState(h);
  return found;
}

CashboxForm::Step CashboxForm::ok() {
  if (cashCents() != running_)
    ui_.message("Total cash entered when capturing receipts differs from coinage", "Cash Error",
                Icon::Exclamation, kOk, kOk);
  rec_.IN_TOTAL = fromCents(running_);
  rec_.CSH_TOTAL = fromCents(cashCents());
  FileManager& f = files_.fm<rec::Cashbox>();
  FileUse use(f);
  f.ClearBuffer();
  f.rec<rec::Cashbox>() = rec_;
  if (f.Insert() != kDone) return Step::Stay;
  added_ = true;
  return Step::Close;
}

}  // namespace vel
