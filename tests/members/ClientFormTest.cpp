// The client form's rules without its window: priming and numbering a new
// policy, the identity summary once per opening, the copies and defaults
// made on acceptance, the plan pick with the hamper add-on and the dependant
// buttons, the status choice with Set Active's correction and audit trail,
// and Accept and Cancel.

#include <optional>

#include "common/Dates.h"
#include "ledger/LedgerDesc.h"
#include "ledger/Postings.h"
#include "members/ClientForm.h"
#include "members/MemberContext.h"
#include "members/PlanFixture.h"
#include "platform/Clock.h"
#include "shell/Globals.h"
#include "support/Engines.h"

namespace vel::test {
namespace {

const std::int32_t kToday = dateFromYmd(2026, 12, 8);
// Born 1 January 1980, male (5 in position 7), South African.
constexpr const char* kHolderId = "8001015009087";

class ClientFormTest : public PlanFixture {
 protected:
  void SetUp() override {
    memberContext().clear();
    globals().clear();
    globals().setLOGPROG("clerk one");
  }
  void TearDown() override {
    PlanFixture::TearDown();
    memberContext().clear();
    globals().clear();
  }

  // Adds a complete policy on plan A "Family" at R100 and makes it the
  // VelCli file's current record, as the browse does before a change.
  rec::VelCli storedPolicy(double premium = 100.0) {
    rec::VelCli c = policy("0042/MOL", "A", "Family");
    c.NUMBER = 42;
    c.FIRSTNAME = "Thabo";
    c.P_ADDR1 = "PO Box 12";
    c.P_ADDR3 = "Soweto";
    c.P_CODE = 1804;
    c.ACCOUNT_TYPE = "Savings";
    c.MARITAL_STAT = "M";
    c.ACTIVE = "Non Active";
    c.PREMIUM = premium;
    c.PLANPREM = premium;
    FileManager& f = files.fm<rec::VelCli>();
    f.Open();
    f.ClearBuffer();
    f.rec<rec::VelCli>() = c;
    EXPECT_EQ(kDone, f.Insert()) << f.LastEngineText();
    pos = f.Position();
    EXPECT_EQ(kDone, f.Reget(pos));
    return c;
  }
  // Makes the stored policy current again.
  void current() {
    files.fm<rec::VelCli>().Open();
    EXPECT_EQ(kDone, files.fm<rec::VelCli>().Reget(pos));
  }
  void releasePolicies() { files.fm<rec::VelCli>().Close(); }
  template <class R>
  std::vector<R> all() {
    return readAll<R>(files);
  }

  FixedClock clock{kToday, 9 * 360000};
  std::string pos;  // the stored policy's position
};

TEST_F(ClientFormTest, NewPolicyIsPrimedNumberedAndSummarisedOncePerOpening) {
  memberContext().GLO_ID_NUMBER = kHolderId;
  memberContext().SEL_PLAN = "B";  // picked on an earlier form
  {
    ClientForm form(files, ui, clock, Request::Insert);
    ASSERT_TRUE(form.open());
    EXPECT_EQ("", memberContext().SEL_PLAN);
    EXPECT_EQ("Adding a Client Record", form.caption());
    rec::VelCli& c = form.client();
    EXPECT_EQ(kToday, c.DATE);
    EXPECT_EQ("Savings", c.ACCOUNT_TYPE.text());
    EXPECT_EQ(1, c.INVOICED);
    EXPECT_EQ("Active", c.ACTIVE.text());
    EXPECT_EQ(kHolderId, c.ID_NUMBER.text());
    // Birth date and gender come from the number checked before opening.
    EXPECT_EQ(dateFromYmd(1980, 1, 1), c.DOB);
    EXPECT_EQ("Male", c.GENDER.text());
    EXPECT_EQ(46, form.CAGE());

    c.SURNAME = "O'Neil";
    form.accepted("SURNAME");
    EXPECT_EQ("0001/O-N", c.CLIENT_ID.text());
    EXPECT_EQ("0001/O-N", memberContext().CUR_CLIENT_ID);

    ui.expect("ID Validation", kOk);
    form.accepted("ID_NUMBER");
    EXPECT_EQ("N", c.TITLE.text());
    // A second acceptance recomputes the age and shows nothing.
    c.DOB = dateFromYmd(1990, 12, 9);
    form.accepted("ID_NUMBER");
    EXPECT_EQ(35, form.CAGE());

    // The spouse's number has its own count.
    c.S_ID_NUMBER = "8506150123081";
    ui.expect("ID Validation", kOk);
    form.accepted("S_ID_NUMBER");
    EXPECT_EQ(dateFromYmd(1985, 6, 15), c.S_DOB);
    EXPECT_EQ("Female", c.S_GENDER.text());
    EXPECT_EQ(41, form.SAGE());
    form.accepted("S_ID_NUMBER");
    c.B1_ID_NUMBER = "7003035009083";
    form.accepted("B1_ID_NUMBER");
    EXPECT_EQ(dateFromYmd(1970, 3, 3), c.B1_DOB);

    EXPECT_EQ(ClientForm::Reply::Close, form.ok().action);
    EXPECT_EQ(Response::Completed, form.response());
  }
  auto saved = all<rec::VelCli>();
  ASSERT_EQ(1u, saved.size());
  EXPECT_EQ("0001/O-N", saved[0].CLIENT_ID.text());
  EXPECT_EQ(1, saved[0].INVOICED);

  // A new opening shows the summary again.
  {
    ClientForm form(files, ui, clock, Request::Insert);
    ASSERT_TRUE(form.open());
    ui.expect("ID Validation", kOk);
    form.accepted("ID_NUMBER");
    ui.expect("Save Record", kNo);
    EXPECT_EQ(ClientForm::Reply::Close, form.cancel().action);
  }
}

TEST_F(ClientFormTest, CancelledInsertGivesItsNumberBack) {
  for (int round = 0; round < 2; ++round) {
    ClientForm form(files, ui, clock, Request::Insert);
    ASSERT_TRUE(form.open());
    EXPECT_EQ(1, form.client().NUMBER) << "round " << round;
    form.client().SURNAME = "Dlamini";
    form.accepted("SURNAME");
    EXPECT_EQ("0001/DLA", form.client().CLIENT_ID.text());
    ui.expect("Save Record", kNo);
    EXPECT_EQ(ClientForm::Reply::Close, form.cancel().action);
    EXPECT_EQ(Response::Cancelled, form.response());
  }
  EXPECT_TRUE(all<rec::VelCli>().empty());
}

TEST_F(ClientFormTest, AcceptWithoutLeavingTheSurnameStillNumbersThePolicy) {
  {
    ClientForm form(files, ui, clock, Request::Insert);
    ASSERT_TRUE(form.open());
    form.client().SURNAME = "Mokoena";
    EXPECT_EQ(ClientForm::Reply::Close, form.ok().action);
  }
  ASSERT_EQ(1u, all<rec::VelCli>().size());
  EXPECT_EQ("0001/MOK", all<rec::VelCli>()[0].CLIENT_ID.text());
}

TEST_F(ClientFormTest, SavingOnCancelStillNumbersThePolicy) {
  {
    ClientForm form(files, ui, clock, Request::Insert);
    ASSERT_TRUE(form.open());
    form.client().SURNAME = "Mokoena";
    ui.expect("Save Record", kYes);
    EXPECT_EQ(ClientForm::Reply::Close, form.cancel().action);
  }
  ASSERT_EQ(1u, all<rec::VelCli>().size());
  EXPECT_EQ("0001/MOK", all<rec::VelCli>()[0].CLIENT_ID.text());
}

TEST_F(ClientFormTest, TypedCodesAreLookedUpAndUnknownOnesOpenTheirList) {
  add<rec::Town>([](rec::Town& t) { t.TOWN = "Soweto"; });
  add<rec::Route>([](rec::Route& r) { r.ROUTE = "North"; });
  add<rec::SMS_Data>([](rec::SMS_Data& d) { d.REASON = "Premium reminder for the month of Dece"; });
  add<rec::Agent>([](rec::Agent& a) { a.CODE = "A01"; });
  add<rec::Collect>([](rec::Collect& a) { a.CODE = "C07"; });
  add<rec::BankList>([](rec::BankList& b) {
    b.NAME = "FNB";
    b.BRANCH = "Maponya Mall";
    b.CODE = "250655";
  });
  plan("A", "Family", 100, 80, 10, 15000);

  struct Case {
    const char* field;
    const char* typed;
    const char* list;  // nullptr: accepted without a list
  };
  const Case cases[] = {
      {"P_ADDR3", "soweto", nullptr},   {"P_ADDR3", "Sowet", "Browse_Town"},
      {"H_ADDR3", "", nullptr},         {"H_ADDR3", "Alex", "Browse_Town"},
      {"ROUTE", "NORTH", nullptr},      {"ROUTE", "South", "Browse_Route"},
      {"SMS_REA", "Premium reminder for the month", nullptr},
      {"SMS_REA", "Overdue", "Browse_SMS"},
      {"PLAN", "a", nullptr},           {"PLAN", "E", "Browse_Plans"},
      {"AGE_CODE", "A01", nullptr},     {"AGE_CODE", "A02", "Browse_Agent"},
      {"COL_CODE", "c07", nullptr},     {"COL_CODE", "C01", "Browse_Collector"},
      {"BANK_NAME", "fnb", nullptr},    {"BANK_NAME", "Absa", "Browse_C_Banks_Branches"},
  };
  ClientForm form(files, ui, clock, Request::Insert);
  ASSERT_TRUE(form.open());
  FileManager& cli = files.fm<rec::VelCli>();
  for (const Case& t : cases) {
    SCOPED_TRACE(std::string(t.field) + " = " + t.typed);
    cli.field(cli.layout().fieldIndex(t.field)).text() = t.typed;
    ClientForm::Reply r = form.accepted(t.field);
    if (t.list) {
      EXPECT_EQ(ClientForm::Reply::OpenList, r.action);
      EXPECT_EQ(t.field, r.focus);
      EXPECT_EQ(t.list, r.list);
    } else {
      EXPECT_NE(ClientForm::Reply::OpenList, r.action);
    }
  }
  // A typed plan code fills nothing in.
  EXPECT_DOUBLE_EQ(0, form.client().PREMIUM);
  EXPECT_TRUE(form.client().OPTION.blank());
  ui.expect("Save Record", kNo);
  form.cancel();
}

TEST_F(ClientFormTest, AcceptedFieldsFillTheirCompanions) {
  add<rec::CommStr>([](rec::CommStr& s) {
    s.AGENT = 12.5;
    s.COLL = 7.25;
  });
  ClientForm form(files, ui, clock, Request::Insert);
  ASSERT_TRUE(form.open());
  rec::VelCli& c = form.client();

  struct Initials {
    const char* first;
    const char* middle;
    const char* expected;
  };
  for (const Initials& t : {Initials{"Thabo", "Sipho", "TS"}, Initials{"Thabo", "", "T"},
                            Initials{"", "Sipho", "S"}, Initials{"", "", ""}}) {
    c.FIRSTNAME = t.first;
    c.MIDDLENAME = t.middle;
    form.accepted("MIDDLENAME");
    EXPECT_EQ(t.expected, c.INITIALS.text()) << t.first << "/" << t.middle;
  }

  form.datePicked("WAIT_DATE", dateFromYmd(2026, 1, 1));
  EXPECT_EQ(dateFromYmd(2026, 7, 4), c.DATE6);
  EXPECT_EQ(dateFromYmd(2028, 1, 1), c.DATE24);
  c.WAIT_DATE = 0;
  form.accepted("WAIT_DATE");
  EXPECT_EQ(0, c.DATE6);
  EXPECT_EQ(0, c.DATE24);

  rec::SMS_Data reason;
  reason.REASON = "Premium reminder for the month of Dece";  // 38 characters
  form.smsReasonPicked(reason);
  EXPECT_EQ("Premium reminder for the month", c.SMS_REA.text());

  memberContext().SEL_ROUTE = "Soweto North";
  form.routePicked();
  EXPECT_EQ("Soweto North", c.ROUTE.text());

  // Commissions default from the commission structure, never overwrite.
  rec::Agent agent;
  agent.CODE = "A01";
  agent.SURNAME = "Nkosi";
  agent.FNAME = "Lindiwe";
  form.agentPicked(agent);
  EXPECT_EQ("A01", c.AGE_CODE.text());
  EXPECT_EQ("Nkosi", c.AGE_SURNAME.text());
  EXPECT_DOUBLE_EQ(12.5, c.AGE_COMM);
  c.COL_COMM = 3.0;
  rec::Collect coll;
  coll.CODE = "C07";
  coll.SURNAME = "Zulu";
  coll.FNAME = "Bongani";
  form.collectorPicked(coll);
  EXPECT_EQ("Zulu", c.COL_SURNAME.text());
  EXPECT_DOUBLE_EQ(3.0, c.COL_COMM);
  c.AGE_COMM = 0;
  agent.SURNAME = "Khumalo";
  form.agentPicked(agent);
  EXPECT_DOUBLE_EQ(12.5, c.AGE_COMM);

  // The bank's branch is copied unless both branch fields are given.
  FileManager& banks = files.fm<rec::BankList>();
  banks.rec<rec::BankList>().BRANCH = "Maponya Mall";
  banks.rec<rec::BankList>().CODE = "250655";
  c.BRANCH_NAME = "Kept";
  c.BANK_NAME = "FNB";
  form.accepted("BANK_NAME");
  EXPECT_EQ("Maponya Mall", c.BRANCH_NAME.text());
  EXPECT_EQ("250655", c.BRANCH_CODE.text());
  c.BRANCH_NAME = "Jabulani";
  c.BRANCH_CODE = "250123";
  form.accepted("BANK_NAME");
  EXPECT_EQ("Jabulani", c.BRANCH_NAME.text());

  ui.expect("Save Record", kNo);
  form.cancel();
}

TEST_F(ClientFormTest, PlanPickSetsPremiumsHamperAddOnAndDependantButtons) {
  struct Case {
    const char* plan;
    const char* option;
    bool hamper;
    double planPrem;
    bool children;
    bool extended;
  };
  plan("A", "Family", 100, 80, 10, 15000);
  plan("HAM", "Hamper", 50, 50, 0, 0);
  const Case cases[] = {
      {"A", "Family", true, 150, true, false},
      {"A", "Family", false, 100, true, false},
      {"A", "Single", false, 100, false, false},
      {"A", "Family 10", false, 100, false, true},
      {"B", "Family 10", false, 100, false, false},
      {"D", "Single", false, 100, true, true},  // other plans leave the buttons
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(std::string(t.plan) + " " + t.option);
    ClientForm form(files, ui, clock, Request::Insert);
    ASSERT_TRUE(form.open());
    rec::VelCli& c = form.client();
    c.HAM_BYTE = t.hamper ? 1 : 0;
    memberContext().selectPlan({t.plan, t.option, 100, 80, 10, 15000});
    form.planPicked();
    EXPECT_EQ(t.plan, c.PLAN.text());
    EXPECT_EQ(t.option, c.OPTION.text());
    EXPECT_DOUBLE_EQ(100, c.PREMIUM);
    EXPECT_DOUBLE_EQ(t.planPrem, c.PLANPREM);
    EXPECT_DOUBLE_EQ(t.hamper ? 50 : 0, c.HAMPER);
    EXPECT_DOUBLE_EQ(80, c.PREMTOPAY);
    EXPECT_DOUBLE_EQ(15000, c.BENEFIT);
    EXPECT_EQ(t.children, form.childButtonsShown());
    EXPECT_EQ(t.extended, form.extendedButtonsShown());
    ui.expect("Save Record", kNo);
    form.cancel();
  }
}

TEST_F(ClientFormTest, PremiumToPayOverIsShownToTheAdministratorOnly) {
  storedPolicy();
  releasePolicies();
  for (std::uint8_t admin : {0, 1}) {
    globals().IS_ADMIN = admin;
    current();
    ClientForm form(files, ui, clock, Request::View);
    ASSERT_TRUE(form.open());
    EXPECT_EQ(admin == 1, form.premToPayShown());
    EXPECT_EQ("View Record", form.caption());
    EXPECT_EQ(ClientForm::Reply::Close, form.ok().action);
    releasePolicies();
  }
}

TEST_F(ClientFormTest, OpeningTakesTheBranchAndCopyToHamperStopsDoubleBilling) {
  add<rec::Config>([](rec::Config& c) { c.BRANCH_ID = "JHB"; });
  storedPolicy();
  FileManager& f = files.fm<rec::VelCli>();
  f.rec<rec::VelCli>().HAM_BYTE = 1;
  f.rec<rec::VelCli>().HAMPER = 50;
  f.rec<rec::VelCli>().PLANPREM = 150;
  ASSERT_EQ(kDone, f.Update());
  {
    ClientForm form(files, ui, clock, Request::Change);
    ASSERT_TRUE(form.open());
    EXPECT_EQ("JHB", globals().CUR_BRANCH());
    ui.expect("Copy Data", kYes);
    EXPECT_EQ(CopyToHamperResult::Added, form.copyDataToHamper());
    EXPECT_DOUBLE_EQ(100, form.client().PLANPREM);
    EXPECT_EQ(ClientForm::Reply::Close, form.ok().action);
  }
  releasePolicies();
  EXPECT_DOUBLE_EQ(100, all<rec::VelCli>().at(0).PLANPREM);
  ASSERT_EQ(1u, all<rec::Hamper>().size());
  EXPECT_EQ("0042/MOL", all<rec::Hamper>()[0].CLIENT_ID.text());

  // Viewing a policy copies nothing and asks nothing.
  current();
  ClientForm view(files, ui, clock, Request::View);
  ASSERT_TRUE(view.open());
  EXPECT_EQ(CopyToHamperResult::Declined, view.copyDataToHamper());
  view.ok();
  releasePolicies();
}

TEST_F(ClientFormTest, NonActiveDatesTheChangeAndWritesNothingElse) {
  storedPolicy();
  ClientForm form(files, ui, clock, Request::Change);
  ASSERT_TRUE(form.open());
  rec::VelCli& c = form.client();
  c.ACTIVE = "Active";  // the clerk's choice lands in the record first
  form.statusChosen("Deceased");
  EXPECT_EQ(kToday, c.DATECHANGE);
  EXPECT_TRUE(all<rec::VelTra>().empty());
  EXPECT_TRUE(all<rec::VelAud>().empty());
  ui.expect("Save Record", kNo);
  form.cancel();
  releasePolicies();
}

TEST_F(ClientFormTest, ActiveOnAChangeCorrectsTheLedgerOnceAndCountsChildrenOnce) {
  plan("A", "Family", 120, 90, 10, 15000);
  child("0042/MOL", 6, 15, 12);  // a sixth child pays its own premium
  storedPolicy(100.0);
  {
    ClientForm form(files, ui, clock, Request::Change);
    ASSERT_TRUE(form.open());
    rec::VelCli& c = form.client();
    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE(round);
      ClientForm::Reply r = form.statusChosen("Active");
      EXPECT_NE(ClientForm::Reply::Focus, r.action) << r.focus;
      EXPECT_DOUBLE_EQ(135, c.PREMIUM);
      EXPECT_DOUBLE_EQ(102, c.PREMTOPAY);
      EXPECT_DOUBLE_EQ(135, c.PLANPREM);
      EXPECT_EQ(kToday, c.DATECHANGE);
      EXPECT_EQ(0, c.SENT);
    }
    EXPECT_EQ(ClientForm::Reply::Close, form.ok().action);
  }
  releasePolicies();
  // One correction of old - new, however often Active was chosen.
  auto tra = all<rec::VelTra>();
  ASSERT_EQ(1u, tra.size());
  EXPECT_EQ("0042/MOL", tra[0].CLIENT_ID.text());
  EXPECT_DOUBLE_EQ(-35, tra[0].DEBIT);
  bool premiumAudited = false;
  for (const rec::VelAud& a : all<rec::VelAud>())
    if (a.C_BEFORE.str() == "100.00" && a.C_AFTER.str() == "135.00") premiumAudited = true;
  EXPECT_TRUE(premiumAudited);
  EXPECT_EQ("Active", all<rec::VelCli>().at(0).ACTIVE.text());
}

// Set Active on a change writes the policy, the ledger's correction and the
// trail as one unit: a refused trail record leaves none of them behind and
// shows the store's message; tried again, all of it is kept and the form's
// own save still goes through (its version was given back on the rollback).
TEST_F(ClientFormTest, ActiveOnAChangeKeepsPolicyCorrectionAndTrailTogether) {
  plan("A", "Family", 120, 90, 10, 15000);
  rec::VelCli stored = storedPolicy(100.0);
  ASSERT_EQ(ledger::PostResult::Posted,
            ledger::postFirstCharge<ledger::BurialCover>(files, ledger::firstChargeOf(stored),
                                                         {"01", "clerk"}, clock.moment()));
  current();
  auto refuseAudit = [&](bool on) {
    {
      FileManager& f = files.fm<rec::VelAud>();
      FileUse use(f);
      ASSERT_EQ(kDone, f.EnsureOpen());
    }
    EXPECT_EQ("", refuseWrites(files.fm<rec::VelAud>().path(), "INSERT", on));
  };
  refuseAudit(true);
  {
    ClientForm form(files, ui, clock, Request::Change);
    ASSERT_TRUE(form.open());
    rec::VelCli& c = form.client();
    {
      // Another station in the middle of a write on the ageing file: the
      // group cannot begin, and nothing is written.
      FileHold other(files.fm<rec::VelAge>().path(), FileHold::Write);
      ASSERT_TRUE(other.take());
      files.context().transactionTimeout = 0;
      ui.expect("Transaction cancelled", kOk);
      form.statusChosen("Active");
      ui.verifyDone();
      other.release();
      EXPECT_EQ("Non Active", all<rec::VelCli>().at(0).ACTIVE.text());
      EXPECT_EQ(1u, all<rec::VelTra>().size());
    }
    ui.expect("Record Insert Error", kOk);
    form.statusChosen("Active");
    ui.verifyDone();
    EXPECT_DOUBLE_EQ(120, c.PREMIUM);  // the clerk's values stay in the form
    EXPECT_EQ("Non Active", all<rec::VelCli>().at(0).ACTIVE.text());
    EXPECT_DOUBLE_EQ(100, all<rec::VelCli>().at(0).PREMIUM);
    ASSERT_EQ(1u, all<rec::VelTra>().size());
    EXPECT_DOUBLE_EQ(100, all<rec::VelAge>().at(0).TOTAL);
    EXPECT_DOUBLE_EQ(100, all<rec::VelInv>().at(0).DEBIT);
    EXPECT_TRUE(all<rec::VelAud>().empty());

    refuseAudit(false);
    form.statusChosen("Active");
    EXPECT_EQ("Active", all<rec::VelCli>().at(0).ACTIVE.text());
    EXPECT_DOUBLE_EQ(120, all<rec::VelCli>().at(0).PREMIUM);
    auto tra = all<rec::VelTra>();
    ASSERT_EQ(2u, tra.size());
    EXPECT_DOUBLE_EQ(-20, tra[1].DEBIT);
    EXPECT_DOUBLE_EQ(120, all<rec::VelAge>().at(0).TOTAL);
    EXPECT_DOUBLE_EQ(120, all<rec::VelInv>().at(0).DEBIT);
    EXPECT_FALSE(all<rec::VelAud>().empty());
    c.REMARKS = "Set active at the counter";
    EXPECT_EQ(ClientForm::Reply::Close, form.ok().action);
  }
  releasePolicies();
  EXPECT_EQ("Set active at the counter", all<rec::VelCli>().at(0).REMARKS.text());
}

TEST_F(ClientFormTest, ActiveOnAnIncompletePolicyFocusesTheMissingField) {
  rec::VelCli stored = storedPolicy();
  (void)stored;
  ClientForm form(files, ui, clock, Request::Change);
  ASSERT_TRUE(form.open());
  form.client().P_ADDR3 = "";
  ui.expect("Postal Address Town Error", kOk, "Please enter the Postal Address Town");
  ClientForm::Reply r = form.statusChosen("Active");
  EXPECT_EQ(ClientForm::Reply::Focus, r.action);
  EXPECT_EQ("P_ADDR3", r.focus);
  EXPECT_TRUE(all<rec::VelTra>().empty());
  EXPECT_TRUE(all<rec::VelAud>().empty());
  ui.expect("Save Record", kNo);
  form.cancel();
  releasePolicies();
}

TEST_F(ClientFormTest, DependantButtonsCountThePolicyAndKeepTheTenPersonLimit) {
  for (int n = 1; n <= 5; ++n) child("0042/MOL", n);
  for (int n = 1; n <= 4; ++n) extended("0042/MOL", n);
  rec::VelCli c = storedPolicy();
  FileManager& f = files.fm<rec::VelCli>();
  f.rec<rec::VelCli>().OPTION = "1 Plus 9";
  f.rec<rec::VelCli>().S_SURNAME = "Molefe";
  ASSERT_EQ(kDone, f.Update());
  {
    ClientForm form(files, ui, clock, Request::Change);
    ASSERT_TRUE(form.open());
    ui.expect("Add Error", kOk, "You cannot add more children/extended family than 10 persons");
    EXPECT_FALSE(form.dependantAction(DependantList::Children, DependantAction::Insert));
    EXPECT_EQ(5, memberContext().CHILD_COUNT);
    EXPECT_EQ(4, memberContext().EXT_COUNT);
    EXPECT_EQ(9, memberContext().DEP_COUNT);
    // Without a spouse the tenth dependant may still be added.
    form.client().S_SURNAME = "";
    EXPECT_TRUE(form.dependantAction(DependantList::ExtendedFamily, DependantAction::Insert));
    form.client().OPTION = "Single";
    ui.expect("Error", kOk, "You cannot edit children when SINGLE option is selected");
    EXPECT_FALSE(form.dependantAction(DependantList::Children, DependantAction::Change));
    ui.expect("Save Record", kNo);
    form.cancel();
  }
  // In view mode the buttons do nothing.
  ClientForm view(files, ui, clock, Request::View);
  ASSERT_TRUE(view.open());
  EXPECT_FALSE(view.dependantAction(DependantList::Children, DependantAction::Insert));
  view.ok();
  releasePolicies();
}

}  // namespace
}  // namespace vel::test
