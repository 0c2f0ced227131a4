// Receipt books issued to agents: the list "Receipt Book" (Browse_Receipt)
// and its form (Update_Receipt).
//
// Issuing a book stores the book (Receipt) and one issued-receipt record
// (AgeIss) per number from Start to End, all in one transaction, so a book
// is never half issued. AgeIss keeps a receipt number in two bytes: a
// number above 32767 is refused on the form with a message naming it, and
// nothing is written. A change of a book issues the numbers its new range
// adds; numbers it drops keep their records (they may hold captured
// receipts).
#pragma once

#include <cstdint>
#include <string>

#include "dictionary/Dictionary.h"
#include "platform/Clock.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace vel {
class Catalog;
}

namespace vel::billing {

inline constexpr std::int64_t kHighestReceiptNumber = 32767;

// The refusal of a book's numbers, or empty when Start and End can be
// issued: a number above 32767 (named), or End before Start.
std::string receiptRangeProblem(std::int64_t start, std::int64_t end);

// Stores `book` (added when `before` is null, else rewritten at the
// Receipt file's current record, which must be `before` as read) and adds
// the AgeIss records of the numbers it issues, dated `today`, in one
// transaction. 0 when done; otherwise the reason has been shown and nothing
// is on file.
int issueReceiptBook(DataFiles& files, Ui& ui, const rec::Receipt& book,
                     const rec::Receipt* before, std::int32_t today);

// Declares Browse_Receipt and Update_Receipt.
void addReceiptBooks(Catalog& catalog, const Clock& clock);

}  // namespace vel::billing
