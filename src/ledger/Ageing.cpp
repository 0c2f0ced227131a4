#include "ledger/Ageing.h"

#include <array>

namespace vel::ledger {

namespace {

// The buckets older than CURRENT, oldest first: the order in which credits
// and payments are set against them.
std::array<std::int64_t*, 4> olderBuckets(AgeBuckets& b) {
  return {&b.P90PLUS, &b.P90, &b.P60, &b.P30};
}

}  // namespace

void ageOpen(AgeBuckets& b, std::int64_t amount) {
  b = AgeBuckets{};
  b.TOTAL = amount;
  b.CURRENT = amount;
}

void ageCharge(AgeBuckets& b, std::int64_t amount) {
  b.P90PLUS += b.P90;
  b.P90 = b.P60;
  b.P60 = b.P30;
  b.P30 = b.CURRENT;
  b.BALBF = b.TOTAL;
  b.CURRENT = amount;
  b.TOTAL += amount;
}

void agePay(AgeBuckets& b, std::int64_t payment) {
  b.TOTAL -= payment;

  // A credit left in an older bucket (an earlier overpayment rolled on) is
  // gathered into CURRENT; whatever credit remains there then pays off the
  // older debts, oldest first.
  std::int64_t credits = 0;
  for (std::int64_t* bucket : olderBuckets(b))
    if (*bucket < 0) {
      credits += *bucket;
      *bucket = 0;
    }
  if (credits < 0) {
    b.CURRENT += credits;
    std::int64_t left = b.CURRENT;
    if (left < 0) {
      for (std::int64_t* bucket : olderBuckets(b)) {
        if (*bucket <= 0) continue;
        if (-left <= *bucket) {
          *bucket += left;
          b.CURRENT = 0;
          break;
        }
        left += *bucket;
        *bucket = 0;
        b.CURRENT = left;
      }
    }
  }

  // The payment clears the oldest debt first; a tie clears the bucket and
  // ends the allocation.
  for (std::int64_t* bucket : olderBuckets(b)) {
    if (payment == 0) break;
    if (payment <= *bucket) {
      *bucket -= payment;
      payment = 0;
    } else if (*bucket > 0) {
      payment -= *bucket;
      *bucket = 0;
    }
  }
  b.CURRENT -= payment;
}

void ageAdjust(AgeBuckets& b, std::int64_t difference) {
  b.TOTAL -= difference;
  b.CURRENT -= difference;
}

}  // namespace vel::ledger
