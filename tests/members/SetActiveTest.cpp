// Setting a policy Active: the completeness checks in their order, and on a
// change the premium correction and the audit trail kept or lost together.
#include <functional>

#include "members/Audit.h"
#include "members/MembersFixture.h"
#include "members/PlanCode.h"
#include "members/PlanPremium.h"
#include "members/SetActive.h"
#include "recordstore/FileManager.h"

namespace vel::test {
namespace {

struct CheckCase {
  std::function<void(rec::VelCli&)> spoil;
  Incomplete expected;
};

// Each row spoils one field of a complete policy, and every field after it
// in the check order too, so the row's check must be the one reported.
TEST(SetActiveChecks, FirstFailingCheckGivesItsTitleTextAndFocus) {
  const std::vector<CheckCase> cases{
      {[](rec::VelCli& c) { c.PLAN = "   "; },
       {"Plan Error", "Please select a Plan", "PLAN"}},
      {[](rec::VelCli& c) { c.P_ADDR1 = ""; },
       {"Postal Address Error", "Please enter the Postal Address", "P_ADDR1"}},
      {[](rec::VelCli& c) { c.P_ADDR3 = ""; },
       {"Postal Address Town Error", "Please enter the Postal Address Town", "P_ADDR3"}},
      {[](rec::VelCli& c) { c.P_CODE = 0; },
       {"Postal Address Code Error", "Please enter the Postal Address Code", "P_CODE"}},
      {[](rec::VelCli& c) { c.ACCOUNT_TYPE = ""; },
       {"Account Type Error", "Please enter an Account Type", "ACCOUNT_TYPE"}},
      {[](rec::VelCli& c) { c.MARITAL_STAT = " "; },
       {"Marital status Error", "Please select Marital Status", "MARITAL_STAT"}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].expected.focus);
    rec::VelCli c = MembersFixture::completePolicy();
    for (std::size_t j = i; j < cases.size(); ++j) cases[j].spoil(c);
    ASSERT_TRUE(firstIncomplete(c).has_value());
    EXPECT_EQ(cases[i].expected, *firstIncomplete(c));
  }
  EXPECT_FALSE(firstIncomplete(MembersFixture::completePolicy()).has_value());
}

TEST(SetActiveChecks, PlanLettersMatchTheTableCodesAndTheLongForms) {
  EXPECT_TRUE(isPlan("A", 'A'));
  EXPECT_TRUE(isPlan("Plan A", 'A'));
  EXPECT_TRUE(isPlan("plan a ", 'A'));
  EXPECT_TRUE(isPlan("c", 'C'));
  EXPECT_FALSE(isPlan("B", 'A'));
  EXPECT_FALSE(isPlan("HAM", 'A'));
  EXPECT_FALSE(isPlan("Plan AB", 'A'));
  EXPECT_FALSE(isPlan("", 'A'));

  rec::VelCli c = MembersFixture::completePolicy();
  c.PLAN = "A";
  c.OPTION = "Family 10";
  EXPECT_FALSE(childrenAddToPremium(c.PLAN.str(), c.OPTION.str()));
  c.PLAN = "Plan A";
  EXPECT_FALSE(childrenAddToPremium(c.PLAN.str(), c.OPTION.str()));
  c.OPTION = "Family";
  EXPECT_TRUE(childrenAddToPremium(c.PLAN.str(), c.OPTION.str()));
  c.PLAN = "B";
  c.OPTION = "Family 10";
  EXPECT_TRUE(childrenAddToPremium(c.PLAN.str(), c.OPTION.str()));
}

class SetActiveTest : public MembersFixture {
 protected:
  // A correction that adds one "Invoice" transaction of old minus new.
  SetActiveRequest request(rec::VelCli& client, const rec::VelCli* old) {
    SetActiveRequest r{client, old, at, "clerk one", {}, {}};
    FileManager& tra = files.fm<rec::VelTra>();
    r.correction = [&tra, &client, old, this](FileManager*& failed) {
      ++corrections;
      tra.ClearBuffer();
      auto& t = tra.rec<rec::VelTra>();
      t.CLIENT_ID = client.CLIENT_ID;
      t.TYPE = "Invoice";
      t.DEBIT = old->PREMIUM - client.PREMIUM;
      if (failCorrection) t.TYPE = "A type far too long";  // refused by the store
      int rc = tra.TryInsert();
      if (rc != kDone) failed = &tra;
      return rc;
    };
    r.correctionFiles = {&tra};
    return r;
  }

  const Moment at{dateFromYmd(2026, 12, 9), timeFromHms(9, 30, 0)};
  int corrections = 0;
  bool failCorrection = false;
};

TEST_F(SetActiveTest, IncompletePolicyShowsItsCheckAndWritesNothing) {
  rec::VelCli old = completePolicy();
  rec::VelCli c = old;
  c.P_ADDR3 = "";
  c.PREMIUM = 120.0;
  ui.expect("Postal Address Town Error", kOk, "Please enter the Postal Address Town");
  SetActiveRequest r = request(c, &old);
  SetActiveOutcome out = setActive(ui, files.fm<rec::VelAud>(), r);
  EXPECT_EQ(SetActiveResult::Incomplete, out.result);
  EXPECT_EQ("P_ADDR3", out.focus);
  ASSERT_EQ(1u, ui.shown().size());
  EXPECT_EQ(Icon::Question, ui.shown()[0].icon);
  EXPECT_EQ(kOk, ui.shown()[0].buttons);
  EXPECT_EQ(1, c.SENT);
  EXPECT_EQ(0, corrections);
  EXPECT_TRUE(all<rec::VelAud>().empty());
}

TEST_F(SetActiveTest, NewPolicyOnlyClearsSent) {
  rec::VelCli c = completePolicy();
  SetActiveRequest r = request(c, nullptr);
  EXPECT_EQ(SetActiveResult::Done, setActive(ui, files.fm<rec::VelAud>(), r).result);
  EXPECT_EQ(0, c.SENT);
  EXPECT_EQ(0, corrections);
  EXPECT_TRUE(all<rec::VelAud>().empty());
}

TEST_F(SetActiveTest, PremiumRiseWritesCorrectionAndTrailTogether) {
  rec::VelCli old = completePolicy();
  rec::VelCli c = old;
  c.PREMIUM = 120.0;
  c.S_SURNAME = "Molefe";
  SetActiveRequest r = request(c, &old);
  EXPECT_EQ(SetActiveResult::Done, setActive(ui, files.fm<rec::VelAud>(), r).result);
  EXPECT_EQ(0, c.SENT);

  const auto tra = all<rec::VelTra>();
  ASSERT_EQ(1u, tra.size());
  EXPECT_DOUBLE_EQ(-20.0, tra[0].DEBIT);
  const auto aud = all<rec::VelAud>();
  ASSERT_EQ(2u, aud.size());
  EXPECT_EQ("Spouse Surname", aud[0].DESCRIP.str());
  EXPECT_EQ("Premium Change", aud[1].DESCRIP.str());
  EXPECT_EQ("100.00", aud[1].C_BEFORE.str());
  EXPECT_EQ("120.00", aud[1].C_AFTER.str());
  EXPECT_EQ("clerk one", aud[1].USERNAME.str());
  EXPECT_EQ(at.day, aud[1].DATE);
  EXPECT_EQ(at.time, aud[1].TIME);
}

TEST_F(SetActiveTest, UnchangedPremiumRunsNoCorrectionButAuditsOtherFields) {
  rec::VelCli old = completePolicy();
  rec::VelCli c = old;
  c.PREMIUM = 100.0 + 1e-9;
  c.FIRSTNAME = "Thabang";
  SetActiveRequest r = request(c, &old);
  EXPECT_EQ(SetActiveResult::Done, setActive(ui, files.fm<rec::VelAud>(), r).result);
  EXPECT_EQ(0, corrections);
  EXPECT_TRUE(all<rec::VelTra>().empty());
  const auto aud = all<rec::VelAud>();
  ASSERT_EQ(1u, aud.size());
  EXPECT_EQ("Firstname", aud[0].DESCRIP.str());
}

TEST_F(SetActiveTest, FailedCorrectionLeavesNeitherLedgerNorTrail) {
  rec::VelCli old = completePolicy();
  rec::VelCli c = old;
  c.PREMIUM = 80.0;
  c.SURNAME = "Mokoena";
  failCorrection = true;
  ui.expect("Record Insert Error", kOk);
  SetActiveRequest r = request(c, &old);
  EXPECT_EQ(SetActiveResult::Failed, setActive(ui, files.fm<rec::VelAud>(), r).result);
  EXPECT_EQ(1, corrections);
  EXPECT_TRUE(all<rec::VelTra>().empty());
  EXPECT_TRUE(all<rec::VelAud>().empty());
}

TEST_F(SetActiveTest, ChoosingActiveTwiceWritesTheTrailTwice) {
  rec::VelCli old = completePolicy();
  rec::VelCli c = old;
  c.PLAN = "B";
  for (int i = 0; i < 2; ++i) {
    SetActiveRequest r = request(c, &old);
    EXPECT_EQ(SetActiveResult::Done, setActive(ui, files.fm<rec::VelAud>(), r).result);
  }
  const auto aud = all<rec::VelAud>();
  ASSERT_EQ(2u, aud.size());
  EXPECT_EQ("A", aud[1].C_BEFORE.str());
  EXPECT_EQ("B", aud[1].C_AFTER.str());
}

}  // namespace
}  // namespace vel::test
