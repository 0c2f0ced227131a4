// Typed text read into a field: what is refused, and a message the clerk can
// act on when it is.
#include <gtest/gtest.h>

#include <cstring>

#include "common/Dates.h"
#include "dictionary/SetupFiles.h"
#include "forms/EntryText.h"

namespace vel::test {
namespace {

template <class R>
FieldRef fieldOf(R& rec, const char* name) {
  for (const FieldDesc& d : R::fields())
    if (std::strcmp(d.name, name) == 0) return FieldRef(d, &rec);
  ADD_FAILURE() << name;
  return FieldRef(R::fields().front(), &rec);
}

EntryDecl entry(const char* prompt, const char* field, EntryKind kind, const char* picture = "") {
  EntryDecl e;
  e.prompt = prompt;
  e.field = field;
  e.kind = kind;
  e.picture = picture;
  return e;
}

TEST(EntryText, ADateWrittenAsADateButNotOnTheCalendarSaysSo) {
  rec::Holiday h;
  h.DATE = dateFromYmd(2026, 12, 25);
  FieldRef date = fieldOf(h, "DATE");
  EntryDecl e = entry("Date:", "DATE", EntryKind::Day);
  std::string problem;
  for (const char* text : {"31/02/2026", "45/13/2026", "29/02/2025", "0/1/2026"}) {
    EXPECT_FALSE(setFieldText(date, e, text, problem)) << text;
    EXPECT_EQ(std::string(text) + " is not a date", problem);
  }
  for (const char* text : {"25/12/26", "25 Dec 2026", "25/12-2026", "Christmas"}) {
    EXPECT_FALSE(setFieldText(date, e, text, problem)) << text;
    EXPECT_EQ("Date must be a date written as dd/mm/yyyy", problem) << text;
  }
  EXPECT_EQ(dateFromYmd(2026, 12, 25), h.DATE.value);  // each refusal left it alone
  EXPECT_TRUE(setFieldText(date, e, "29/02/2028", problem));
  EXPECT_EQ(dateFromYmd(2028, 2, 29), h.DATE.value);
}

TEST(EntryText, AmountsTakeADecimalCommaAndATooLargeOneSaysTheLargestAllowed) {
  rec::Plan p;
  FieldRef premium = fieldOf(p, "PREMIUM");
  EntryDecl e = entry("Premium:", "PREMIUM", EntryKind::Number, "n_9.2");
  std::string problem;
  ASSERT_TRUE(setFieldText(premium, e, "12,50", problem)) << problem;
  EXPECT_EQ(12.5, p.PREMIUM.value);
  ASSERT_TRUE(setFieldText(premium, e, "999999,99", problem)) << problem;
  EXPECT_EQ(999999.99, p.PREMIUM.value);

  EXPECT_FALSE(setFieldText(premium, e, "1000000", problem));
  EXPECT_EQ("Premium is too large: the largest allowed is 999999.99", problem);
  EXPECT_FALSE(setFieldText(premium, e, "-10000000", problem));
  EXPECT_EQ("Premium is too small: the smallest allowed is -99999.99", problem);
  // A comma before three digits may be a thousands separator: not guessed at.
  EXPECT_FALSE(setFieldText(premium, e, "1,250", problem));
  EXPECT_EQ(999999.99, p.PREMIUM.value);

  // The field's own picture when the entry names none.
  EntryDecl plain = entry("Pay Over:", "PAY_OVER", EntryKind::Number);
  ASSERT_TRUE(setFieldText(fieldOf(p, "PAY_OVER"), plain, "7,5", problem)) << problem;
  EXPECT_EQ(7.5, p.PAY_OVER.value);
}

}  // namespace
}  // namespace vel::test
