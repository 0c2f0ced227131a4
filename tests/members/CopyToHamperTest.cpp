// "Copy Data to Hamper": the question, the member made from the client, one
// member per client however often it is pressed, and the client's billed
// premium put back to his plan premium.
#include "members/CopyToHamper.h"
#include "members/MembersFixture.h"
#include "recordstore/FileManager.h"

namespace vel::test {
namespace {

constexpr const char* kQuestion =
    "If all the policy holder data is complete, do you want to copy to the Hamper database??";

class CopyToHamperTest : public MembersFixture {
 protected:
  // A policy on the hamper add-on: billed its premium plus the contribution.
  rec::VelCli hamperPolicy() {
    rec::VelCli c = completePolicy();
    c.NUMBER = 10001;
    c.CLIENT_ID = "10001/MOL";
    c.HAMPER = 50.0;
    c.PREMIUM = 100.0;
    c.PLANPREM = 150.0;
    c.ID_NUMBER = "6101305800084";
    c.REMARKS = "Pays at the office";
    c.B1_RELATION = "Sister";
    c.S_FIRSTNAME = "Naledi";
    c.AGE_CODE = "A01";
    c.AGE_COMM = 12.5;
    c.COL_COMM = 7.5;
    c.MYCOMM = 3.0;
    c.SMS_DATE = dateFromYmd(2026, 12, 23);
    c.SMS_REA = "Premium due";
    c.SMS_MESS = "Your premium is due";
    c.SMS_SENDIT = 1;
    c.ACTIVE = "Active";
    c.STRNO = "12A";
    return c;
  }
};

TEST_F(CopyToHamperTest, AnsweringNoWritesNothing) {
  rec::VelCli c = hamperPolicy();
  ui.expect("Copy Data", kNo, kQuestion);
  EXPECT_EQ(CopyToHamperResult::Declined, copyToHamper(ui, files.fm<rec::Hamper>(), c));
  ASSERT_EQ(1u, ui.shown().size());
  EXPECT_EQ(Icon::Exclamation, ui.shown()[0].icon);
  EXPECT_EQ(kYes | kNo, ui.shown()[0].buttons);
  EXPECT_EQ(kNo, ui.shown()[0].defaultButton);
  EXPECT_TRUE(all<rec::Hamper>().empty());
  EXPECT_DOUBLE_EQ(150.0, c.PLANPREM);
}

TEST_F(CopyToHamperTest, MemberTakesTheClientsFieldsAndTheHamperContribution) {
  rec::VelCli c = hamperPolicy();
  ui.expect("Copy Data", kYes, kQuestion);
  EXPECT_EQ(CopyToHamperResult::Added, copyToHamper(ui, files.fm<rec::Hamper>(), c));
  // The hamper contribution is no longer billed with the policy's premium.
  EXPECT_DOUBLE_EQ(100.0, c.PLANPREM);

  const auto members = all<rec::Hamper>();
  ASSERT_EQ(1u, members.size());
  const rec::Hamper& h = members[0];
  EXPECT_EQ(10001, h.NUMBER);  // the client's own number, not a new one
  EXPECT_EQ("10001/MOL", h.CLIENT_ID.str());
  EXPECT_EQ("Molefe", h.SURNAME.str());
  EXPECT_EQ("6101305800084", h.ID_NUMBER.str());
  EXPECT_EQ("Pays at the office", h.REMARKS.str());
  EXPECT_EQ("Sister", h.B1_RELATION.str());
  EXPECT_EQ("Naledi", h.S_FIRSTNAME.str());
  EXPECT_EQ("A01", h.AGE_CODE.str());
  EXPECT_EQ("Active", h.ACTIVE.str());
  EXPECT_EQ("12A", h.STRNO.str());
  EXPECT_EQ(1804, h.P_CODE);
  EXPECT_DOUBLE_EQ(50.0, h.PREMIUM);
  EXPECT_DOUBLE_EQ(0.0, h.HAMPER);
  EXPECT_EQ(0, h.SMS_DATE);
  EXPECT_TRUE(h.SMS_REA.blank());
  EXPECT_TRUE(h.SMS_MESS.blank());
  EXPECT_EQ(0, h.SMS_SENDIT);
  EXPECT_DOUBLE_EQ(0.0, h.MYCOMM);
  EXPECT_DOUBLE_EQ(0.0, h.AGE_COMM);
  EXPECT_DOUBLE_EQ(0.0, h.COL_COMM);
}

TEST_F(CopyToHamperTest, CopyingAgainAddsNoSecondMemberButStillResetsTheBilledPremium) {
  rec::VelCli c = hamperPolicy();
  ui.expect("Copy Data", kYes).expect("Copy Data", kYes);
  EXPECT_EQ(CopyToHamperResult::Added, copyToHamper(ui, files.fm<rec::Hamper>(), c));
  // The plan was chosen again with the add-on meanwhile.
  c.PLANPREM = 150.0;
  c.HAMPER = 75.0;
  EXPECT_EQ(CopyToHamperResult::AlreadyMember, copyToHamper(ui, files.fm<rec::Hamper>(), c));
  EXPECT_DOUBLE_EQ(100.0, c.PLANPREM);
  const auto members = all<rec::Hamper>();
  ASSERT_EQ(1u, members.size());
  EXPECT_DOUBLE_EQ(50.0, members[0].PREMIUM);  // the first copy stands
}

}  // namespace
}  // namespace vel::test
