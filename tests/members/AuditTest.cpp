// The audit trail: which watched fields count as changed, how their values
// are written, and that every record of one change reaches the file.
#include <functional>

#include "members/Audit.h"
#include "members/MembersFixture.h"
#include "recordstore/FileManager.h"

namespace vel::test {
namespace {

struct WatchedCase {
  const char* label;
  std::function<void(rec::VelCli&)> before, after;
  const char* beforeText;
  const char* afterText;
};

// One row per watched field, in the order the trail writes them.
std::vector<WatchedCase> watchedFields() {
  const std::int32_t d1 = dateFromYmd(2026, 12, 7), d2 = dateFromYmd(1961, 1, 30);
  auto text = [](auto member, const char* v) {
    return [member, v](rec::VelCli& c) { (c.*member) = v; };
  };
  auto date = [](auto member, std::int32_t v) {
    return [member, v](rec::VelCli& c) { (c.*member) = v; };
  };
  using C = rec::VelCli;
  return {
      {"Client_ID", text(&C::CLIENT_ID, "0042/MOL"), text(&C::CLIENT_ID, "0042/MOK"), "0042/MOL", "0042/MOK"},
      {"Surname", text(&C::SURNAME, "Molefe"), text(&C::SURNAME, "Mokoena"), "Molefe", "Mokoena"},
      {"Firstname", text(&C::FIRSTNAME, "Thabo"), text(&C::FIRSTNAME, "thabo"), "Thabo", "thabo"},
      {"MiddleName", text(&C::MIDDLENAME, ""), text(&C::MIDDLENAME, "Sipho"), "", "Sipho"},
      {"ID Number", text(&C::ID_NUMBER, "6101305800084"), text(&C::ID_NUMBER, "6101305800085"),
       "6101305800084", "6101305800085"},
      {"Dob", date(&C::DOB, d2), date(&C::DOB, d1), "30/01/1961", "07/12/2026"},
      {"Bank Name", text(&C::BANK_NAME, "Capitec"), text(&C::BANK_NAME, ""), "Capitec", ""},
      {"Account Number", text(&C::ACCOUNT_NUMBER, "123"), text(&C::ACCOUNT_NUMBER, "124"), "123", "124"},
      {"Age Code", text(&C::AGE_CODE, "A01"), text(&C::AGE_CODE, "A02"), "A01", "A02"},
      {"Col Code", text(&C::COL_CODE, "C01"), text(&C::COL_CODE, "C02"), "C01", "C02"},
      {"Wait Date", date(&C::WAIT_DATE, 0), date(&C::WAIT_DATE, d1), "", "07/12/2026"},
      {"Plan", text(&C::PLAN, "A"), text(&C::PLAN, "B"), "A", "B"},
      {"Beneficiary 1 1st Name", text(&C::B1_FIRSTNAME, "Lerato"), text(&C::B1_FIRSTNAME, "Lindi"), "Lerato", "Lindi"},
      {"Beneficiary 1 Surname", text(&C::B1_SURNAME, "Dlamini"), text(&C::B1_SURNAME, "Zulu"), "Dlamini", "Zulu"},
      {"Beneficiary 1 ID No", text(&C::B1_ID_NUMBER, "1"), text(&C::B1_ID_NUMBER, "2"), "1", "2"},
      {"Beneficiary 1 DOB", date(&C::B1_DOB, d1), date(&C::B1_DOB, 0), "07/12/2026", ""},
      {"Beneficiary 1 Contact", text(&C::B1_CONTACT, "0821234567"), text(&C::B1_CONTACT, "0831234567"),
       "0821234567", "0831234567"},
      {"Spouse Surname", text(&C::S_SURNAME, ""), text(&C::S_SURNAME, "Molefe"), "", "Molefe"},
      {"Spouse 1st Name", text(&C::S_FIRSTNAME, "Naledi"), text(&C::S_FIRSTNAME, "Nali"), "Naledi", "Nali"},
      {"Spouse ID No", text(&C::S_ID_NUMBER, "7"), text(&C::S_ID_NUMBER, "8"), "7", "8"},
      {"Spouse DOB", date(&C::S_DOB, d2), date(&C::S_DOB, d2 + 1), "30/01/1961", "31/01/1961"},
      {"Premium Change", [](C& c) { c.PREMIUM = 100.0; }, [](C& c) { c.PREMIUM = -20.005; }, "100.00",
       "-20.01"},
  };
}

TEST(AuditChanges, EachWatchedFieldAloneGivesItsLabelAndFormats) {
  const auto cases = watchedFields();
  ASSERT_EQ(22u, cases.size());
  for (const WatchedCase& w : cases) {
    SCOPED_TRACE(w.label);
    rec::VelCli before, after;
    w.before(before);
    w.after(after);
    EXPECT_EQ((std::vector<AuditChange>{{w.label, w.beforeText, w.afterText}}),
              clientChanges(before, after));
    // Back again is the mirror change.
    EXPECT_EQ((std::vector<AuditChange>{{w.label, w.afterText, w.beforeText}}),
              clientChanges(after, before));
  }
}

TEST(AuditChanges, AllWatchedFieldsChangedComeInTrailOrder) {
  rec::VelCli before, after;
  const auto cases = watchedFields();
  for (const WatchedCase& w : cases) {
    w.before(before);
    w.after(after);
  }
  // Fields outside the watch list never reach the trail.
  after.PHONE_CELL = "0820000000";
  after.REMARKS = "moved house";
  after.OPTION = "Single";
  const auto changes = clientChanges(before, after);
  ASSERT_EQ(cases.size(), changes.size());
  for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(cases[i].label, changes[i].label);
}

TEST(AuditChanges, TrailingBlanksAndSubCentDifferencesAreNoChange) {
  rec::VelCli before, after;
  before.SURNAME = "Molefe";
  after.SURNAME = "Molefe   ";
  before.PREMIUM = 120.0;
  after.PREMIUM = 100.0 + 20.0 + 1e-9;
  EXPECT_TRUE(clientChanges(before, after).empty());
}

TEST(AuditChanges, DependantFieldsUseTheirOwnLabels) {
  rec::VelChd before, after;
  before.C1_FIRSTNAME = "Ayanda";
  after.C1_FIRSTNAME = "Ayanda";
  after.C1_DOB = dateFromYmd(2015, 6, 1);
  after.C1_SURNAME = "Molefe";
  EXPECT_EQ((std::vector<AuditChange>{{"Child Surname", "", "Molefe"},
                                      {"Child DoB", "", "01/06/2015"}}),
            childChanges(before, after));

  rec::VelExt oldExt, newExt;
  oldExt.RELATE = "Aunt";
  newExt.RELATE = "Mother-in-law";
  newExt.AGE_GROUP = "65 - 74";
  newExt.ACTIVE = "Deceased";  // a status change alone is not audited
  EXPECT_EQ((std::vector<AuditChange>{{"Ext Fam Age Group", "", "65 - 74"},
                                      {"Ext Fam Relationship", "Aunt", "Mother-in-law"}}),
            extendedChanges(oldExt, newExt));
}

class AuditWrite : public MembersFixture {};

TEST_F(AuditWrite, EveryChangeOfOneMomentIsKeptStampedAndCut) {
  FileManager& aud = files.fm<rec::VelAud>();
  FileUse use(aud);
  const Moment at{dateFromYmd(2026, 12, 9), timeFromHms(10, 15, 0)};
  std::vector<AuditChange> changes{
      {"Surname", "Molefe", "Mokoena"},
      {"Beneficiary 1 1st Name", "A name far longer than twenty", "Short"},
      {"Premium Change", "100.00", "120.00"},
  };
  ASSERT_EQ(kDone, writeAudit(aud, "0042/MOL", changes, at, "clerk one"));
  // Choosing Active again in the same hundredth writes the same records again.
  ASSERT_EQ(kDone, writeAudit(aud, "0042/MOL", changes, at, "clerk one"));

  const auto rows = all<rec::VelAud>();
  ASSERT_EQ(6u, rows.size());
  for (const rec::VelAud& r : rows) {
    EXPECT_EQ(at.day, r.DATE);
    EXPECT_EQ(at.time, r.TIME);
    EXPECT_EQ("0042/MOL", r.CLIENT_ID.str());
    EXPECT_EQ("clerk one", r.USERNAME.str());
    EXPECT_EQ(0, r.SENT);
  }
  EXPECT_EQ("Beneficiary 1 1st Name", rows[1].DESCRIP.str());
  EXPECT_EQ("A name far longer th", rows[1].C_BEFORE.str());
  EXPECT_EQ("Short", rows[1].C_AFTER.str());
  EXPECT_EQ("120.00", rows[2].C_AFTER.str());
}

}  // namespace
}  // namespace vel::test
