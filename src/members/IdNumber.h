// Identity numbers: what a 13-digit South African identity number tells
// about its holder, and how each member form fills its fields from it.
//
// Positions, counted from 1: 1-2 year of birth, 3-4 month, 5-6 day, 7 the
// first digit of the gender sequence (0-4 female, 5-9 male), 8-10 the rest of
// that sequence, 11 citizenship (0 South African, 1 foreign), 12 a further
// digit, 13 the check digit.
//
// No number is ever refused: a clerk may have to capture a policy whose
// holder's number is wrong on the paper. Non-digits, short numbers and
// impossible dates simply leave the derived values unset.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dictionary/Dictionary.h"

namespace vel {

class Ui;

// The date of birth the number carries, as a day number; 0 (no date) when
// the first six characters are not six digits or are not a real date
// (month 13, 31 April). The two-digit year takes the latest century that
// keeps the date on or before `today`: on 8/12/2026, "261208" is 8/12/2026
// and "261209" is 9/12/1926.
std::int32_t DateFromId(std::string_view id, std::int32_t today);

// "Female" for 0-4 in position 7, "Male" for 5-9; "" (leave the field as it
// is) for any other character or a number shorter than 7.
std::string_view GenderFromId(std::string_view id);

// Whole years on `today` of someone born on `dob`: the difference of the
// years, one less while this year's birthday is still to come. 0 when either
// date is 0.
std::int16_t AgeOn(std::int32_t dob, std::int32_t today);

// What the digit walk over a number finds. The walk reads positions 1 to
// L - 1, L being the length without trailing blanks (the last character is
// never read): a number shorter than 8 leaves the gender unknown, one
// shorter than 12 leaves the citizenship "Other".
struct IdSummaryInfo {
  std::string gender = "No Gender";   // "Male", "Female" or "No Gender"
  std::string citizenship = "Other";  // "South African", "Foreign" or "Other"
  int oddSum = 0;                     // digits in positions 1, 3, ... 11
  int evenSum = 0;  // digits in positions 2, 4, ... 12, doubled, their digits summed
  // True only for 13 digits whose last is the check digit of the first
  // twelve (the two sums and the digit make a multiple of ten).
  bool checkDigitAgrees = false;
  std::int32_t birth = 0;  // DateFromId
  // Year of today minus year of birth (no month and day correction, unlike
  // AgeOn); meaningful only when `birth` is not 0.
  int yearDifference = 0;

  bool knowsGender() const { return gender != "No Gender"; }
  // The message titled "ID Validation": age, gender and citizenship on three
  // lines ("|" starts a line), and a fourth when the check digit does not
  // agree. The number is never refused for it.
  std::string message() const;
};

IdSummaryInfo IdSummary(std::string_view id, std::int32_t today);

// Shows the summary of `id` titled "ID Validation", exclamation icon, OK.
void ShowIdSummary(Ui& ui, std::string_view id, std::int32_t today);

// --- The variants by form ----------------------------------------------------
//
// Each runs when its form accepts the identity number. `inserting` is true
// on a new record. A blank number derives nothing in any of them.

// The policy holder's number on the client form. `idChecks` is the form's
// count of acceptances since it opened. On an insert with a non-blank number
// whose acceptance is the first: DOB from the number when 0, GENDER when
// blank, TITLE "N" for a South African and "Y" for a foreign citizen, and the
// summary of the number as typed. Returns whether the summary was shown. The
// form then recomputes the holder's age from DOB.
bool ClientIdAccepted(rec::VelCli& c, std::int16_t& idChecks, bool inserting, std::int32_t today,
                      Ui& ui);
// The same for the hamper member form's number.
bool HamperIdAccepted(rec::Hamper& h, std::int16_t& idChecks, bool inserting, std::int32_t today,
                      Ui& ui);
// The spouse's number (S_ID_NUMBER), with the form's own count: S_DOB when 0,
// S_GENDER when blank, and the summary built from the spouse's number.
bool SpouseIdAccepted(rec::VelCli& c, std::int16_t& spouseIdChecks, bool inserting,
                      std::int32_t today, Ui& ui);
// The beneficiary's number: on an insert with B1_DOB 0, B1_DOB from it.
void BeneficiaryIdAccepted(rec::VelCli& c, bool inserting, std::int32_t today);

// A child's number (C1_ID_NUMBER), every acceptance: on an insert, C1_DOB when
// 0 and GENDER when blank; then, in every mode, GENDER from position 7 when
// the number shows one. Returns the date of birth the number carries (0 for
// a blank or dateless number): the child form rates the child on the age
// from that date, and rates nothing when it is 0.
std::int32_t ChildIdAccepted(rec::VelChd& c, bool inserting, std::int32_t today);

// An extended-family member's number (ID_NUMBER), every acceptance: on an
// insert with DOB 0, DOB from the number and AGE_GROUP from the age on that
// date ("Between 66-74 years" above 65, else "Below 66 years"); on an insert
// GENDER when blank; then, in every mode, GENDER from position 7 when the
// number shows one. A date of birth already typed is kept and then no age
// group is set from the number.
void ExtendedIdAccepted(rec::VelExt& e, bool inserting, std::int32_t today);

// The extended-family age group of an age in whole years.
std::string_view ExtendedAgeGroup(int age);

}  // namespace vel
