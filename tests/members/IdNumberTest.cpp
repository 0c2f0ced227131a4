// Identity numbers: the date, gender and citizenship read out of a number,
// the age rule, the summary, and how each member form fills its fields.
#include <gtest/gtest.h>

#include <string>

#include "common/Dates.h"
#include "members/IdNumber.h"
#include "support/ScriptedUi.h"

namespace vel {
namespace {

const std::int32_t kToday = dateFromYmd(2026, 12, 8);

// 800101 5009 0 8 and its check digit 7: a South African man born 1/1/1980.
const std::string kMan = "8001015009087";

std::int32_t ymd(int y, int m, int d) { return dateFromYmd(y, m, d); }

TEST(DateFromId, CenturyKeepsTheBirthDateOnOrBeforeToday) {
  struct Case {
    const char* id;
    std::int32_t expected;
  } cases[] = {
      {"8001015009087", ymd(1980, 1, 1)},
      {"0002295009087", ymd(2000, 2, 29)},   // a leap day in 2000
      {"2612085009087", ymd(2026, 12, 8)},   // born today
      {"2612095009087", ymd(1926, 12, 9)},   // tomorrow is a century ago
      {"2701015009087", ymd(1927, 1, 1)},    // next year is a century ago
      {"2611305009087", ymd(2026, 11, 30)},  // earlier this year
      {"9912315009087", ymd(1999, 12, 31)},
      {"000101", ymd(2000, 1, 1)},  // six digits carry the whole date
  };
  for (const Case& c : cases) EXPECT_EQ(DateFromId(c.id, kToday), c.expected) << c.id;
}

TEST(DateFromId, ImpossibleOrMissingDatesGiveNoDate) {
  for (const char* id : {"8013015009087", "8004315009087", "9902295009087", "8001005009087",
                         "80A1015009087", "80010", "", "             "})
    EXPECT_EQ(DateFromId(id, kToday), 0) << "'" << id << "'";
}

TEST(DateFromId, TheWindowMovesWithTheClock) {
  // The same number read on two days a year apart.
  EXPECT_EQ(DateFromId("2706015009087", ymd(2026, 12, 8)), ymd(1927, 6, 1));
  EXPECT_EQ(DateFromId("2706015009087", ymd(2027, 6, 1)), ymd(2027, 6, 1));
}

TEST(GenderFromId, SeventhPositionDecides) {
  EXPECT_EQ(GenderFromId("8001015009087"), "Male");
  EXPECT_EQ(GenderFromId("8001019009087"), "Male");
  EXPECT_EQ(GenderFromId("8001014009087"), "Female");
  EXPECT_EQ(GenderFromId("8001010009087"), "Female");
  EXPECT_EQ(GenderFromId("800101X009087"), "");  // the field keeps its value
  EXPECT_EQ(GenderFromId("800101"), "");
  EXPECT_EQ(GenderFromId("8001015"), "Male");  // seven characters reach position 7
}

TEST(AgeOn, OneLessUntilTheBirthdayComes) {
  const std::int32_t born = ymd(1980, 12, 20);
  EXPECT_EQ(AgeOn(born, ymd(2026, 12, 19)), 45);  // later this month
  EXPECT_EQ(AgeOn(born, ymd(2026, 12, 20)), 46);  // on the day
  EXPECT_EQ(AgeOn(born, ymd(2026, 11, 30)), 45);  // an earlier month
  EXPECT_EQ(AgeOn(born, ymd(2027, 1, 1)), 46);
  EXPECT_EQ(AgeOn(ymd(2000, 2, 29), ymd(2027, 2, 28)), 26);
  EXPECT_EQ(AgeOn(ymd(2000, 2, 29), ymd(2027, 3, 1)), 27);
  EXPECT_EQ(AgeOn(0, kToday), 0);
}

TEST(IdSummary, GenderCitizenshipAndTheYearDifference) {
  struct Case {
    const char* id;
    const char* gender;
    const char* citizenship;
  } cases[] = {
      {"8001015009087", "Male", "South African"},
      {"8001014009088", "Female", "South African"},
      {"8001015009186", "Male", "Foreign"},
      {"8001015009285", "Male", "Other"},
      {"8001015", "No Gender", "Other"},          // 7 characters: position 7 is the last, unread
      {"80010150", "Male", "Other"},              // 8 reach the gender
      {"80010150090", "Male", "Other"},           // 11: position 11 is the last, unread
      {"800101500908", "Male", "South African"},  // 12 reach the citizenship
      {"800101X009087", "No Gender", "South African"},  // a letter tells nothing
      {"", "No Gender", "Other"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    IdSummaryInfo s = IdSummary(c.id, kToday);
    EXPECT_EQ(s.gender, c.gender);
    EXPECT_EQ(s.citizenship, c.citizenship);
  }
  // The summary's age is the year difference even before this year's birthday.
  IdSummaryInfo late = IdSummary("8012205009083", kToday);
  EXPECT_EQ(late.yearDifference, 46);
  EXPECT_EQ(AgeOn(late.birth, kToday), 45);
}

TEST(IdSummary, CheckDigitOnlyAddsALine) {
  EXPECT_TRUE(IdSummary(kMan, kToday).checkDigitAgrees);
  EXPECT_EQ(IdSummary(kMan, kToday).message(),
            "Age : 46|Gender : Male|Citizenship : South African");
  // The sums: odd positions 8+0+0+5+0+0 = 13; even 0,1,1,0,9,8 doubled and
  // digit-summed 0+2+2+0+9+7 = 20; 13 + 20 + 7 = 40.
  IdSummaryInfo s = IdSummary(kMan, kToday);
  EXPECT_EQ(s.oddSum, 13);
  EXPECT_EQ(s.evenSum, 20);
  for (const char* wrong : {"8001015009088", "800101500908", "80010150090X7", "8001015009087 1"}) {
    SCOPED_TRACE(wrong);
    IdSummaryInfo w = IdSummary(wrong, kToday);
    EXPECT_FALSE(w.checkDigitAgrees);
    EXPECT_NE(w.message().find("|Check Digit : "), std::string::npos);
  }
  EXPECT_EQ(IdSummary("80130150090", kToday).message().substr(0, 14), "Age : Unknown|");
  // Trailing blanks are not part of the number.
  EXPECT_TRUE(IdSummary("8001015009087   ", kToday).checkDigitAgrees);
}

// --- The variants by form ------------------------------------------------

struct ClientVariant : ::testing::Test {
  test::ScriptedUi ui;
  rec::VelCli c;
  std::int16_t checks = 0;
  ~ClientVariant() override { ui.verifyDone(); }
};

TEST_F(ClientVariant, FirstAcceptanceOnAnInsertFillsEmptyFieldsAndShowsTheSummary) {
  c.ID_NUMBER = kMan;
  ui.expect("ID Validation", kOk, "Age : 46|Gender : Male|Citizenship : South African");
  EXPECT_TRUE(ClientIdAccepted(c, checks, true, kToday, ui));
  EXPECT_EQ(c.DOB, ymd(1980, 1, 1));
  EXPECT_EQ(c.GENDER.text(), "Male");
  EXPECT_EQ(c.TITLE.text(), "N");
  ASSERT_EQ(ui.shown().size(), 1u);
  EXPECT_EQ(ui.shown()[0].icon, Icon::Exclamation);
  // Accepted again while the form is open: no second summary.
  c.ID_NUMBER = "8001014009088";
  EXPECT_FALSE(ClientIdAccepted(c, checks, true, kToday, ui));
  EXPECT_EQ(c.GENDER.text(), "Male");
}

TEST_F(ClientVariant, TitleFollowsCitizenshipAndTypedValuesAreKept) {
  struct Case {
    const char* id;
    const char* title;
  } cases[] = {{"8001014009187", "Y"}, {"8001014009286", "Mrs"}, {"8001014009088", "N"}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.id);
    rec::VelCli r;
    std::int16_t n = 0;
    r.TITLE = "Mrs";
    r.DOB = ymd(1979, 5, 5);  // typed before the number
    r.GENDER = "Male";        // typed before the number
    r.ID_NUMBER = k.id;
    ui.expect("ID Validation", kOk);
    ClientIdAccepted(r, n, true, kToday, ui);
    EXPECT_EQ(r.TITLE.text(), k.title);
    EXPECT_EQ(r.DOB, ymd(1979, 5, 5));
    EXPECT_EQ(r.GENDER.text(), "Male");
  }
}

TEST_F(ClientVariant, ChangesAndBlankNumbersDeriveNothing) {
  c.ID_NUMBER = kMan;
  EXPECT_FALSE(ClientIdAccepted(c, checks, false, kToday, ui));  // a change
  EXPECT_EQ(c.DOB, 0);
  EXPECT_TRUE(c.GENDER.blank());
  c.ID_NUMBER = "";
  EXPECT_FALSE(ClientIdAccepted(c, checks, true, kToday, ui));
  EXPECT_EQ(checks, 0);  // a blank number does not use up the one summary
  EXPECT_TRUE(ui.shown().empty());
}

TEST_F(ClientVariant, SpouseHasItsOwnCountAndSummaryAndTheBeneficiaryOnlyADate) {
  c.ID_NUMBER = kMan;
  c.S_ID_NUMBER = "8203104009081";
  std::int16_t spouseChecks = 0;
  ui.expect("ID Validation", kOk, "Age : 44|Gender : Female|Citizenship : South African");
  ui.expect("ID Validation", kOk, "Age : 46|Gender : Male|Citizenship : South African");
  EXPECT_TRUE(SpouseIdAccepted(c, spouseChecks, true, kToday, ui));
  EXPECT_TRUE(ClientIdAccepted(c, checks, true, kToday, ui));
  EXPECT_EQ(c.S_DOB, ymd(1982, 3, 10));
  EXPECT_EQ(c.S_GENDER.text(), "Female");
  EXPECT_FALSE(SpouseIdAccepted(c, spouseChecks, true, kToday, ui));

  c.B1_ID_NUMBER = "5507305009087";
  BeneficiaryIdAccepted(c, false, kToday);
  EXPECT_EQ(c.B1_DOB, 0);
  BeneficiaryIdAccepted(c, true, kToday);
  EXPECT_EQ(c.B1_DOB, ymd(1955, 7, 30));
  c.B1_ID_NUMBER = "6001015009087";
  BeneficiaryIdAccepted(c, true, kToday);
  EXPECT_EQ(c.B1_DOB, ymd(1955, 7, 30));  // a date already there stays
}

TEST(HamperVariant, FillsTheHamperMemberAsTheClientFormDoes) {
  test::ScriptedUi ui;
  rec::Hamper h;
  std::int16_t checks = 0;
  h.ID_NUMBER = "8001014009187";
  ui.expect("ID Validation", kOk, "Age : 46|Gender : Female|Citizenship : Foreign");
  EXPECT_TRUE(HamperIdAccepted(h, checks, true, kToday, ui));
  EXPECT_EQ(h.DOB, ymd(1980, 1, 1));
  EXPECT_EQ(h.GENDER.text(), "Female");
  EXPECT_EQ(h.TITLE.text(), "Y");
  ui.verifyDone();
}

TEST(ChildVariant, GenderIsSetBackFromTheNumberInEveryMode) {
  rec::VelChd ch;
  ch.C1_ID_NUMBER = "1405105009087";
  EXPECT_EQ(ChildIdAccepted(ch, true, kToday), ymd(2014, 5, 10));
  EXPECT_EQ(ch.C1_DOB, ymd(2014, 5, 10));
  EXPECT_EQ(ch.GENDER.text(), "Male");
  ch.GENDER = "Female";  // the clerk changes it
  ch.C1_DOB = ymd(2012, 1, 1);
  EXPECT_EQ(ChildIdAccepted(ch, false, kToday), ymd(2014, 5, 10));
  EXPECT_EQ(ch.GENDER.text(), "Male");
  EXPECT_EQ(ch.C1_DOB, ymd(2012, 1, 1));  // the typed date is not replaced
}

TEST(ChildVariant, BlankOrShortNumbersLeaveTheChildAlone) {
  rec::VelChd ch;
  ch.GENDER = "Female";
  EXPECT_EQ(ChildIdAccepted(ch, true, kToday), 0);  // blank: no age, no rating
  EXPECT_EQ(ch.C1_DOB, 0);
  ch.C1_ID_NUMBER = "140510";  // too short to show a gender
  EXPECT_EQ(ChildIdAccepted(ch, false, kToday), ymd(2014, 5, 10));
  EXPECT_EQ(ch.GENDER.text(), "Female");  // never "No Gender"
}

TEST(ExtendedVariant, AgeGroupFromTheNumberOnlyWhenNoDateWasTyped) {
  struct Case {
    const char* id;
    const char* group;
  } cases[] = {
      {"6012085009087", "Between 66-74 years"},  // 66 today
      {"6012095009087", "Below 66 years"},       // 65, 66 tomorrow
      {"4601015009087", "Between 66-74 years"},  // 80
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.id);
    rec::VelExt e;
    e.ID_NUMBER = k.id;
    ExtendedIdAccepted(e, true, kToday);
    EXPECT_EQ(e.AGE_GROUP.text(), k.group);
    EXPECT_EQ(e.DOB, DateFromId(k.id, kToday));
    EXPECT_EQ(e.GENDER.text(), "Male");
  }
  rec::VelExt typed;
  typed.DOB = ymd(1990, 1, 1);
  typed.ID_NUMBER = "4601014009087";
  ExtendedIdAccepted(typed, true, kToday);
  EXPECT_EQ(typed.DOB, ymd(1990, 1, 1));
  EXPECT_TRUE(typed.AGE_GROUP.blank());
  EXPECT_EQ(typed.GENDER.text(), "Female");

  rec::VelExt dateless;  // month 13: no date, so no age group either
  dateless.ID_NUMBER = "4613015009087";
  ExtendedIdAccepted(dateless, true, kToday);
  EXPECT_EQ(dateless.DOB, 0);
  EXPECT_TRUE(dateless.AGE_GROUP.blank());
}

}  // namespace
}  // namespace vel
