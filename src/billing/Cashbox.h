// The cashbox: the cash an agent handed in, counted note by note and coin by
// coin and set against the total of the receipts just captured.
//
// Update_Cashbox ("Form Cashbox") is opened by the capture run after the last
// receipt; Browse_Cashbox lists the counts kept. Every value is worked in
// whole cents, so a count of 195.50 in notes and coins equals receipts of
// 150.00 and 45.50 exactly.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "dictionary/Dictionary.h"
#include "platform/Clock.h"

namespace vel {

class Catalog;
class DataFiles;
class Ui;

inline constexpr const char* kCashboxForm = "Update_Cashbox";
inline constexpr const char* kCashboxList = "Browse_Cashbox";

// The fourteen denominations in window order.
inline constexpr int kDenominations = 14;
inline constexpr std::array<std::int64_t, kDenominations> kFaceCents{
    20000, 10000, 5000, 2000, 1000, 500, 200, 100, 50, 20, 10, 5, 2, 1};
// "R 200" ... "C 01", as the window labels them.
extern const std::array<const char*, kDenominations> kDenominationLabels;
// The count's field of the Cashbox record: "R200" ... "C01".
extern const std::array<const char*, kDenominations> kDenominationFields;

// The highest count one denomination can hold.
inline constexpr std::int64_t kMostCoins = 32767;

// Declares Browse_Cashbox ("Receipt Book": Date, Agent Code, Prefix, Start,
// End, In Total; tabs "By Date", "By Code", "By Prefix") and its form.
void addCashbox(Catalog& catalog);

// The count window's rules.
class CashboxForm {
 public:
  // Primed: today, the agent of the run, the run's total, every count 0.
  CashboxForm(DataFiles& files, Ui& ui, const Clock& clock, std::string agentCode,
              double runningTotal);

  rec::Cashbox& record() { return rec_; }
  std::int64_t runningCents() const { return running_; }
  std::int64_t count(int i) const { return counts_[static_cast<std::size_t>(i)]; }
  std::int64_t lineCents(int i) const { return count(i) * kFaceCents[static_cast<std::size_t>(i)]; }
  std::int64_t cashCents() const;        // the sum of the line values: "Cash Total"
  std::int64_t differenceCents() const;  // running total less the cash: "Difference"

  // A count typed for denomination `i`. A count that is not a whole number
  // from 0 to 32767 is refused with a box naming the value and why; the
  // count keeps its old value and false is returned.
  bool enterCount(int i, std::string_view text);

  // The agent code typed: true when it is an agent on file (taken as stored).
  // False: the window opens the agent list for a choice.
  bool enterAgent(std::string_view code);
  void setDate(std::int32_t day) { rec_.DATE = day; }

  enum class Step { Stay, Close };
  // OK: a cash total that differs from the receipts gives "Cash Error" (OK
  // only) and the count is still kept; the record is added and the window
  // closes. A failed add is shown and the window stays.
  Step ok();
  Step cancel() { return Step::Close; }
  bool added() const { return added_; }

 private:
  DataFiles& files_;
  Ui& ui_;
  rec::Cashbox rec_;
  std::int64_t running_;
  std::array<std::int64_t, kDenominations> counts_{};
  bool added_ = false;
};

}  // namespace vel
