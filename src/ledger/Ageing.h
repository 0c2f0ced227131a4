// Ageing: how much a member owes and how old the debt is.
//
// Each member has one ageing record (VelAge, or HamAge for the hamper club)
// with five buckets: CURRENT, P30, P60, P90 and P90PLUS, their sum TOTAL and
// BALBF, the TOTAL before the latest monthly charge. The buckets are never
// recomputed from the transactions: every operation that charges or credits
// the member applies one of the four rules below to the record it has read
// and puts it back.
//
// All arithmetic is done in whole cents: the stored doubles are read as
// cents, the rule runs on integers and the results are stored back as rand.
// So a payment that equals a bucket to the cent clears it, however the two
// doubles differ in their last binary digits, and TOTAL stays exactly the
// sum of the buckets when it was so before.
#pragma once

#include <cstdint>

#include "common/Money.h"

namespace vel::ledger {

// The money of an ageing record, in cents.
struct AgeBuckets {
  std::int64_t TOTAL = 0, CURRENT = 0, P30 = 0, P60 = 0, P90 = 0, P90PLUS = 0, BALBF = 0;

  std::int64_t bucketSum() const { return CURRENT + P30 + P60 + P90 + P90PLUS; }
  friend bool operator==(const AgeBuckets&, const AgeBuckets&) = default;
};

// Fresh record of a member who has none: everything owed is current.
void ageOpen(AgeBuckets& b, std::int64_t amount);
// The monthly roll: every bucket one period older (P90 joins P90PLUS),
// BALBF the old TOTAL, then the new charge is current.
void ageCharge(AgeBuckets& b, std::int64_t amount);
// A payment received (positive): credits held in the older buckets are first
// set against what else is open, then the payment clears the oldest debt
// first; what is left comes off CURRENT, which may become a credit.
void agePay(AgeBuckets& b, std::int64_t payment);
// A correction of a charge already made; difference = old amount - new
// amount. Only TOTAL and CURRENT move.
void ageAdjust(AgeBuckets& b, std::int64_t difference);

// The buckets of an ageing record (VelAge or HamAge), rounded to cents.
template <class AgeRec>
AgeBuckets bucketsOf(const AgeRec& r) {
  return {toCents(r.TOTAL), toCents(r.CURRENT), toCents(r.P30),  toCents(r.P60),
          toCents(r.P90),   toCents(r.P90PLUS), toCents(r.BALBF)};
}

// Stores the buckets into the record and marks it changed (SENT = 0).
template <class AgeRec>
void storeBuckets(AgeRec& r, const AgeBuckets& b) {
  r.TOTAL = fromCents(b.TOTAL);
  r.CURRENT = fromCents(b.CURRENT);
  r.P30 = fromCents(b.P30);
  r.P60 = fromCents(b.P60);
  r.P90 = fromCents(b.P90);
  r.P90PLUS = fromCents(b.P90PLUS);
  r.BALBF = fromCents(b.BALBF);
  r.SENT = 0;
}

// The four rules on an ageing record in rand. Age_Open fills the money fields
// only: the caller sets CLIENT_ID and BRANCH_ID.
template <class AgeRec>
void Age_Open(AgeRec& r, double amount) {
  AgeBuckets b;
  ageOpen(b, toCents(amount));
  storeBuckets(r, b);
}

template <class AgeRec>
void Age_Charge(AgeRec& r, double amount) {
  AgeBuckets b = bucketsOf(r);
  ageCharge(b, toCents(amount));
  storeBuckets(r, b);
}

template <class AgeRec>
void Age_Pay(AgeRec& r, double payment) {
  AgeBuckets b = bucketsOf(r);
  agePay(b, toCents(payment));
  storeBuckets(r, b);
}

template <class AgeRec>
void Age_Adjust(AgeRec& r, double difference) {
  AgeBuckets b = bucketsOf(r);
  ageAdjust(b, toCents(difference));
  storeBuckets(r, b);
}

}  // namespace vel::ledger
