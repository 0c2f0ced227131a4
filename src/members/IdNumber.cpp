#include "members/IdNumber.h"

#include <algorithm>

#include "common/Dates.h"
#include "platform/Ui.h"

namespace vel {
namespace {

bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }

// The character at position `pos` (from 1), or 0 past the end.
char at(std::string_view id, std::size_t pos) { return pos <= id.size() ? id[pos - 1] : '\0'; }

// Two digits at positions pos and pos + 1 as a number; -1 when either is not
// a digit.
int pairAt(std::string_view id, std::size_t pos) {
  const char a = at(id, pos), b = at(id, pos + 1);
  if (!isDigit(a) || !isDigit(b)) return -1;
  return (a - '0') * 10 + (b - '0');
}

std::string_view genderOfDigit(char ch) {
  if (!isDigit(ch)) return {};
  return ch >= '5' ? "Male" : "Female";
}

}  // namespace

std::int32_t DateFromId(std::string_view id, std::int32_t today) {
  const int yy = pairAt(id, 1), mm = pairAt(id, 3), dd = pairAt(id, 5);
  if (yy < 0 || mm < 0 || dd < 0) return 0;
  // The latest year ending in yy that is not after this year; a century
  // earlier when the day itself is still to come this year.
  const Ymd now = ymdFromDate(today);
  int year = now.year - ((now.year % 100 - yy + 100) % 100);
  if (year == now.year && (mm > now.month || (mm == now.month && dd > now.day))) year -= 100;
  return dateFromYmd(year, mm, dd);
}

std::string_view GenderFromId(std::string_view id) { return genderOfDigit(at(id, 7)); }

std::int16_t AgeOn(std::int32_t dob, std::int32_t today) {
  return static_cast<std::int16_t>(std::clamp(ageOn(dob, today), -32768, 32767));
}

IdSummaryInfo IdSummary(std::string_view id, std::int32_t today) {
  IdSummaryInfo s;
  id = rtrim(id);
  const std::size_t length = id.size();
  // Positions 1 to L - 1; a non-digit counts as 0 in the sums and tells
  // neither gender nor citizenship.
  for (std::size_t i = 1; i + 1 <= length && i <= 12; ++i) {
    const char ch = id[i - 1];
    const int d = isDigit(ch) ? ch - '0' : 0;
    if (i % 2 == 1) {
      s.oddSum += d;
      if (i == 7 && isDigit(ch)) s.gender = std::string(genderOfDigit(ch));
      if (i == 11 && isDigit(ch)) {
        if (d == 0) s.citizenship = "South African";
        if (d == 1) s.citizenship = "Foreign";
      }
    } else {
      s.evenSum += 2 * d < 10 ? 2 * d : 2 * d / 10 + 2 * d % 10;
    }
  }
  s.checkDigitAgrees = length == 13 && std::all_of(id.begin(), id.end(), isDigit) &&
                       (s.oddSum + s.evenSum + (id[12] - '0')) % 10 == 0;
  s.birth = DateFromId(id, today);
  if (s.birth != 0) s.yearDifference = ymdFromDate(today).year - ymdFromDate(s.birth).year;
  return s;
}

std::string IdSummaryInfo::message() const {
  std::string text = "Age : " + (birth != 0 ? std::to_string(yearDifference) : "Unknown") +
                     "|Gender : " + gender + "|Citizenship : " + citizenship;
  if (!checkDigitAgrees) text += "|Check Digit : Does not agree - please check the number";
  return text;
}

void ShowIdSummary(Ui& ui, std::string_view id, std::int32_t today) {
  ui.message(IdSummary(id, today).message(), "ID Validation", Icon::Exclamation, kOk, kOk);
}

namespace {

// The holder variant, shared by the client and the hamper member forms.
template <class Member>
bool holderIdAccepted(Member& m, std::int16_t& idChecks, bool inserting, std::int32_t today,
                      Ui& ui) {
  if (!inserting || m.ID_NUMBER.blank()) return false;
  if (++idChecks != 1) return false;
  const std::string id = m.ID_NUMBER.text();
  if (m.DOB == 0) m.DOB = DateFromId(id, today);
  if (m.GENDER.blank()) m.GENDER = GenderFromId(id);
  const IdSummaryInfo s = IdSummary(id, today);
  if (s.citizenship == "South African") m.TITLE = "N";
  if (s.citizenship == "Foreign") m.TITLE = "Y";
  ui.message(s.message(), "ID Validation", Icon::Exclamation, kOk, kOk);
  return true;
}

// The walk's gender, in every mode, when the number shows one.
template <class Text>
void genderFromWalk(Text& gender, std::string_view id, std::int32_t today) {
  const IdSummaryInfo s = IdSummary(id, today);
  if (s.knowsGender()) gender = s.gender;
}

}  // namespace

bool ClientIdAccepted(rec::VelCli& c, std::int16_t& idChecks, bool inserting, std::int32_t today,
                      Ui& ui) {
  return holderIdAccepted(c, idChecks, inserting, today, ui);
}

bool HamperIdAccepted(rec::Hamper& h, std::int16_t& idChecks, bool inserting, std::int32_t today,
                      Ui& ui) {
  return holderIdAccepted(h, idChecks, inserting, today, ui);
}

bool SpouseIdAccepted(rec::VelCli& c, std::int16_t& spouseIdChecks, bool inserting,
                      std::int32_t today, Ui& ui) {
  if (!inserting || c.S_ID_NUMBER.blank()) return false;
  if (++spouseIdChecks != 1) return false;
  const std::string id = c.S_ID_NUMBER.text();
  if (c.S_DOB == 0) c.S_DOB = DateFromId(id, today);
  if (c.S_GENDER.blank()) c.S_GENDER = GenderFromId(id);
  ShowIdSummary(ui, id, today);
  return true;
}

void BeneficiaryIdAccepted(rec::VelCli& c, bool inserting, std::int32_t today) {
  if (!inserting || c.B1_ID_NUMBER.blank() || c.B1_DOB != 0) return;
  c.B1_DOB = DateFromId(c.B1_ID_NUMBER.str(), today);
}

std::int32_t ChildIdAccepted(rec::VelChd& c, bool inserting, std::int32_t today) {
  if (c.C1_ID_NUMBER.blank()) return 0;
  const std::string id = c.C1_ID_NUMBER.text();
  const std::int32_t birth = DateFromId(id, today);
  if (inserting) {
    if (c.C1_DOB == 0) c.C1_DOB = birth;
    if (c.GENDER.blank()) c.GENDER = GenderFromId(id);
  }
  genderFromWalk(c.GENDER, id, today);
  return birth;
}

std::string_view ExtendedAgeGroup(int age) {
  return age > 65 ? "Between 66-74 years" : "Below 66 years";
}

void ExtendedIdAccepted(rec::VelExt& e, bool inserting, std::int32_t today) {
  if (e.ID_NUMBER.blank()) return;
  const std::string id = e.ID_NUMBER.text();
  if (inserting) {
    if (e.DOB == 0) {
      // A number without a date sets no age group: age 0 would read as
      // "Below 66 years" for someone whose age nobody knows.
      if (const std::int32_t birth = DateFromId(id, today); birth != 0) {
        e.DOB = birth;
        e.AGE_GROUP = ExtendedAgeGroup(AgeOn(birth, today));
      }
    }
    if (e.GENDER.blank()) e.GENDER = GenderFromId(id);
  }
  genderFromWalk(e.GENDER, id, today);
}

}  // namespace vel
