// The child and extended-family forms driven through their form cycle, and
// the lists of one policy's dependants: numbering, rating, the free
// children, identity numbers, status dates, the audit trail and the option
// rules in front of every action.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "PlanFixture.h"
#include "common/Dates.h"
#include "forms/Catalog.h"
#include "forms/FormCycle.h"
#include "forms/ListActions.h"
#include "forms/ListPager.h"
#include "members/DependantForms.h"
#include "platform/Clock.h"
#include "support/Engines.h"

namespace vel::test {
namespace {

const std::int32_t kToday = dateFromYmd(2026, 12, 8);

class DependantFormsTest : public PlanFixture {
 protected:
  DependantFormsTest() {
    session.clock = &clock;
    session.user = [] { return std::string("clerk1"); };
    session.isAdmin = [this] { return admin; };
    session.policy = [this]() -> std::optional<DependantPolicy> {
      return DependantPolicy{holder, dateFromYmd(2026, 11, 1)};
    };
  }

  static int at(FormCycle& c, std::string_view field, EntryKind kind = EntryKind::Text) {
    for (int i = 0; i < static_cast<int>(c.entries().size()); ++i) {
      const EntryDecl& e = *c.entries()[static_cast<std::size_t>(i)];
      if (e.field == field && (kind == EntryKind::Text || e.kind == kind)) return i;
    }
    ADD_FAILURE() << "no entry " << field;
    return 0;
  }

  // Types `text` into the entry of `field` and completes it.
  static void type(FormCycle& c, std::string_view field, std::string_view text,
                   EntryKind kind = EntryKind::Text) {
    int i = at(c, field, kind);
    ASSERT_TRUE(c.enter(i, text));
    ASSERT_TRUE(c.accept(i));
  }

  template <class R>
  std::vector<R> all() {
    return readAll<R>(files);
  }

  template <class R>
  std::string insert(const R& r) {
    FileManager& f = files.fm<R>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<R>() = r;
    EXPECT_EQ(kDone, f.Insert());
    return f.Position();
  }

  // Runs `form` on the record at `pos` (or a new one), as the list does.
  template <class R>
  Response run(const FormDecl& form, Request req, const std::string& pos,
               const std::function<void(FormCycle&)>& steps) {
    FileManager& f = files.fm<R>();
    FileUse use(f);
    if (req != Request::Insert) {
      EXPECT_EQ(kDone, f.Reget(pos));
    }
    return runFormWith(files, ui, form, req, {}, steps);
  }

  Response addChild(const std::function<void(FormCycle&)>& steps) {
    return run<rec::VelChd>(childForm(session), Request::Insert, {}, [&](FormCycle& c) {
      steps(c);
      EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
    });
  }

  rec::VelChd childNumbered(int number) {
    for (const rec::VelChd& c : all<rec::VelChd>())
      if (c.NUMBER.value == number) return c;
    ADD_FAILURE() << "no child " << number;
    return {};
  }

  FixedClock clock{kToday, 3600 * 100 * 10};
  rec::VelCli holder = policy("0042/MOL", "A", "Family");
  DependantSession session;
  bool admin = true;
};

// --- Children ------------------------------------------------------------------

TEST_F(DependantFormsTest, ChildrenAreNumberedOnAndOnlyTheSixthPays) {
  childPlan("A", "6 - 13", 12.0, 3.0, 0.0, 5000.0);
  ASSERT_EQ(Response::Completed, addChild([&](FormCycle& c) {
              EXPECT_EQ("0042/MOL", c.file().rec<rec::VelChd>().CLIENT_ID.str());
              type(c, "C1_SURNAME", "Molefe");
              type(c, "C1_ID_NUMBER", "1406125009081");  // 12 on 8/12/2026, male
            }));
  rec::VelChd first = childNumbered(1);
  EXPECT_EQ(12, first.C1_AGE.value);
  EXPECT_EQ(dateFromYmd(2014, 6, 12), first.C1_DOB.value);
  EXPECT_EQ("Male", first.GENDER.str());
  EXPECT_DOUBLE_EQ(5000.0, first.C1_BENEFIT.value);
  EXPECT_DOUBLE_EQ(0.0, first.PREMIUM.value);
  EXPECT_EQ("Active", first.ACTIVE.str());

  // Children of another policy do not count; Non Active ones do.
  child("0043/ABC", 1);
  for (int n = 2; n <= 4; ++n) child("0042/MOL", n);
  child("0042/MOL", 5, 0, 0, "Non Active");
  ASSERT_EQ(Response::Completed,
            addChild([&](FormCycle& c) { type(c, "C1_ID_NUMBER", "1406124009082"); }));
  rec::VelChd sixth = childNumbered(6);
  EXPECT_EQ("0042/MOL", sixth.CLIENT_ID.str());
  EXPECT_DOUBLE_EQ(12.0, sixth.PREMIUM.value);
  EXPECT_DOUBLE_EQ(3.0, sixth.PREM2PAY.value);
  EXPECT_EQ("Female", sixth.GENDER.str());
}

TEST_F(DependantFormsTest, ChildIsRatedOnTheLastOfNumberAndDateAccepted) {
  childPlan("A", "6 - 13", 0.0, 0.0, 0.0, 5000.0);
  childPlan("A", "14 - 26", 0.0, 0.0, 7000.0, 1.0);  // the oldest group's benefit is COMM
  run<rec::VelChd>(childForm(session), Request::Insert, {}, [&](FormCycle& c) {
    auto& r = c.file().rec<rec::VelChd>();
    type(c, "C1_DOB", "01/01/2012", EntryKind::Day);  // 14
    EXPECT_EQ(14, r.C1_AGE.value);
    EXPECT_DOUBLE_EQ(7000.0, r.C1_BENEFIT.value);
    type(c, "C1_ID_NUMBER", "1406125009081");  // 12: the typed date is kept
    EXPECT_EQ(dateFromYmd(2012, 1, 1), r.C1_DOB.value);
    EXPECT_EQ(12, r.C1_AGE.value);
    EXPECT_DOUBLE_EQ(5000.0, r.C1_BENEFIT.value);
    type(c, "C1_DOB", "01/01/2012", EntryKind::Day);
    EXPECT_EQ(14, r.C1_AGE.value);
    EXPECT_DOUBLE_EQ(7000.0, r.C1_BENEFIT.value);
    ui.expect("Changes will be lost!", kYes);
    c.leave();
  });
}

TEST_F(DependantFormsTest, ChildWithoutNumberOrDateIsNotRated) {
  childPlan("A", "0 - 11 Mth", 9.0, 0.0, 0.0, 2500.0);
  for (int n = 1; n <= 5; ++n) child("0042/MOL", n);
  ASSERT_EQ(Response::Completed,
            addChild([&](FormCycle& c) { type(c, "C1_SURNAME", "Molefe"); }));
  rec::VelChd sixth = childNumbered(6);
  EXPECT_EQ(0, sixth.C1_AGE.value);
  EXPECT_DOUBLE_EQ(0.0, sixth.C1_BENEFIT.value);
  EXPECT_DOUBLE_EQ(0.0, sixth.PREMIUM.value);
}

TEST_F(DependantFormsTest, ChildStatusDatesTheChangeAndOnlyWatchedFieldsAreAudited) {
  rec::VelChd kid;
  kid.CLIENT_ID = "0042/MOL";
  kid.C1_SURNAME = "Molefe";
  kid.C1_DOB = dateFromYmd(2014, 6, 12);
  kid.NUMBER = 1;
  kid.ACTIVE = "Active";
  kid.DATECHANGE = dateFromYmd(2025, 1, 1);
  std::string pos = insert(kid);
  FormDecl form = childForm(session);

  run<rec::VelChd>(form, Request::Change, pos, [&](FormCycle& c) {
    type(c, "ACTIVE", "Deceased", EntryKind::Radio);
    EXPECT_EQ(kToday, c.file().rec<rec::VelChd>().DATECHANGE.value);
    type(c, "ACTIVE", "Active", EntryKind::Radio);  // changed back: the old date returns
    EXPECT_EQ(dateFromYmd(2025, 1, 1), c.file().rec<rec::VelChd>().DATECHANGE.value);
    type(c, "ACTIVE", "Deceased", EntryKind::Radio);
    EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
  });
  EXPECT_EQ("Deceased", all<rec::VelChd>()[0].ACTIVE.str());
  EXPECT_EQ(kToday, all<rec::VelChd>()[0].DATECHANGE.value);
  EXPECT_TRUE(all<rec::VelAud>().empty());

  run<rec::VelChd>(form, Request::Change, pos, [&](FormCycle& c) {
    type(c, "C1_SURNAME", "Molefe-Dube");
    type(c, "C1_DOB", "13/06/2014", EntryKind::Day);
    EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
  });
  auto trail = all<rec::VelAud>();
  ASSERT_EQ(2u, trail.size());
  EXPECT_EQ("Child Surname", trail[0].DESCRIP.str());
  EXPECT_EQ("Molefe", trail[0].C_BEFORE.str());
  EXPECT_EQ("Molefe-Dube", trail[0].C_AFTER.str());
  EXPECT_EQ("Child DoB", trail[1].DESCRIP.str());
  EXPECT_EQ("12/06/2014", trail[1].C_BEFORE.str());
  EXPECT_EQ("13/06/2014", trail[1].C_AFTER.str());
  EXPECT_EQ("0042/MOL", trail[1].CLIENT_ID.str());
  EXPECT_EQ("clerk1", trail[1].USERNAME.str());
  EXPECT_EQ(kToday, trail[1].DATE.value);
}

// A dependant's change and its trail are one write: a refused trail record
// keeps the dependant as it was, and saving again once the trail is accepted
// keeps both (the form was given back the version it read).
TEST_F(DependantFormsTest, DependantChangeAndItsTrailAreKeptOrLostTogether) {
  rec::VelChd kid;
  kid.CLIENT_ID = "0042/MOL";
  kid.C1_SURNAME = "Molefe";
  kid.NUMBER = 1;
  kid.ACTIVE = "Active";
  std::string pos = insert(kid);
  auto refuseAudit = [&](bool on) {
    {
      FileManager& f = files.fm<rec::VelAud>();
      FileUse use(f);
      ASSERT_EQ(kDone, f.EnsureOpen());
    }
    EXPECT_EQ("", refuseWrites(files.fm<rec::VelAud>().path(), "INSERT", on));
  };
  refuseAudit(true);
  run<rec::VelChd>(childForm(session), Request::Change, pos, [&](FormCycle& c) {
    type(c, "C1_SURNAME", "Molefe-Dube");
    ui.expect("Record Insert Error", kOk);
    ui.expect("Record Update Error", kCancel);
    EXPECT_NE(FormCycle::Outcome::Close, c.ok().action);
    // Read behind the form's back, leaving its buffer and position alone.
    FileManager& f = files.fm<rec::VelChd>();
    const int h = f.PushState();
    EXPECT_EQ("Molefe", all<rec::VelChd>()[0].C1_SURNAME.str());
    f.PopState(h);
    EXPECT_TRUE(all<rec::VelAud>().empty());
    refuseAudit(false);
    EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
  });
  EXPECT_EQ("Molefe-Dube", all<rec::VelChd>()[0].C1_SURNAME.str());
  auto trail = all<rec::VelAud>();
  ASSERT_EQ(1u, trail.size());
  EXPECT_EQ("Molefe-Dube", trail[0].C_AFTER.str());

  // The extended family's form keeps the same rule.
  rec::VelExt gran;
  gran.CLIENT_ID = "0042/MOL";
  gran.SURNAME = "Molefe";
  gran.NUMBER = 1;
  gran.ACTIVE = "Active";
  pos = insert(gran);
  refuseAudit(true);
  run<rec::VelExt>(extendedForm(session), Request::Change, pos, [&](FormCycle& c) {
    type(c, "SURNAME", "Ndlovu");
    ui.expect("Record Insert Error", kOk);
    ui.expect("Record Update Error", kNo);
    EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
  });
  EXPECT_EQ("Molefe", all<rec::VelExt>()[0].SURNAME.str());
  EXPECT_EQ(1u, all<rec::VelAud>().size());
  refuseAudit(false);
}

TEST_F(DependantFormsTest, NumberOnFileIsToldOnceOnANewChild) {
  rec::VelCli other = policy("0007/DUB", "B", "Family");
  other.NUMBER = 7;
  other.ID_NUMBER = "1406125009081";
  insert(other);
  ui.expect("", kOk);
  ASSERT_EQ(Response::Completed,
            addChild([&](FormCycle& c) { type(c, "C1_ID_NUMBER", "1406125009081"); }));
  ASSERT_EQ(1u, ui.shown().size());
  EXPECT_NE(std::string::npos, ui.shown()[0].text.find("exists in Main Member database"));
  // A change of an existing child does not search again.
  std::string pos;
  {
    FileManager& f = files.fm<rec::VelChd>();
    FileUse use(f);
    ASSERT_EQ(kDone, f.SetOrderAt(0));
    ASSERT_EQ(kDone, f.TryReadNext());
    pos = f.Position();
  }
  run<rec::VelChd>(childForm(session), Request::Change, pos, [&](FormCycle& c) {
    type(c, "C1_ID_NUMBER", "1406125009081");
    EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
  });
  EXPECT_EQ(1u, ui.shown().size());
}

TEST_F(DependantFormsTest, PayOverPremiumIsOnTheFormOnlyForAnAdministrator) {
  auto has = [](const FormDecl& f) {
    for (const EntryDecl* e : f.entries())
      if (e->field == "PREM2PAY") return true;
    return false;
  };
  EXPECT_TRUE(has(childForm(session)));
  admin = false;
  EXPECT_FALSE(has(childForm(session)));

  // Through its list, the form follows the user logged in when it opens,
  // not the one at the program's start.
  Catalog catalog;
  addDependantForms(catalog, session);
  std::vector<bool> shown;
  FormRunner runner = [&](const FormDecl& f, Request, const Presets&) {
    shown.push_back(has(f));
    return Response::Cancelled;
  };
  FileManager& f = files.fm<rec::VelChd>();
  FileUse use(f);
  ListActions acts(files, ui, catalog, *catalog.list("Browse_VelChd"), runner);
  acts.act(kActInsert, "");
  admin = true;
  acts.act(kActInsert, "");
  EXPECT_EQ((std::vector<bool>{false, true}), shown);
}

// --- Extended family -----------------------------------------------------------

TEST_F(DependantFormsTest, ExtendedFamilyIsPrimedAndGroupedByTheAgeInItsNumber) {
  holder.OPTION = "1 Plus 9";
  extended("0042/MOL", 1);
  struct Case {
    const char* id;
    const char* group;
  } cases[] = {{"6106010800081", "Below 66 years"},       // 65
               {"6006010800081", "Between 66-74 years"},  // 66
               {"4606015800081", "Between 66-74 years"}};  // 80
  int number = 2;
  for (const Case& k : cases) {
    run<rec::VelExt>(extendedForm(session), Request::Insert, {}, [&](FormCycle& c) {
      auto& e = c.file().rec<rec::VelExt>();
      EXPECT_EQ(number, e.NUMBER.value);
      EXPECT_EQ(kToday, e.DATE.value);
      EXPECT_EQ(dateFromYmd(2026, 11, 1), e.WAIT_DATE.value);
      type(c, "ID_NUMBER", k.id);
      EXPECT_EQ(k.group, e.AGE_GROUP.str()) << k.id;
      EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
    });
    ++number;
  }
  // A date of birth typed first is kept, and sets no group from the number.
  // The number is the first member's: the clerk is told so.
  ui.expect("", kOk);
  run<rec::VelExt>(extendedForm(session), Request::Insert, {}, [&](FormCycle& c) {
    auto& e = c.file().rec<rec::VelExt>();
    type(c, "DOB", "01/01/1950", EntryKind::Day);
    type(c, "ID_NUMBER", "6106010800081");
    EXPECT_EQ(dateFromYmd(1950, 1, 1), e.DOB.value);
    EXPECT_TRUE(e.AGE_GROUP.blank());
    EXPECT_EQ("Female", e.GENDER.str());
    ui.expect("Changes will be lost!", kYes);
    c.leave();
  });
  EXPECT_EQ(4u, all<rec::VelExt>().size());
}

TEST_F(DependantFormsTest, ExtendedInitialsFollowTheNamesButSurviveOkUnchanged) {
  rec::VelExt gran;
  gran.CLIENT_ID = "0042/MOL";
  gran.FIRSTNAME = "Nomsa";
  gran.MIDDLENAME = "Grace";
  gran.INITIALS = "NGX";  // typed by hand
  gran.ACTIVE = "Active";
  gran.NUMBER = 1;
  std::string pos = insert(gran);
  FormDecl form = extendedForm(session);
  run<rec::VelExt>(form, Request::Change, pos, [&](FormCycle& c) {
    type(c, "RELATE", "Grandmother");
    EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
  });
  EXPECT_EQ("NGX", all<rec::VelExt>()[0].INITIALS.str());
  auto trail = all<rec::VelAud>();
  ASSERT_EQ(1u, trail.size());
  EXPECT_EQ("Ext Fam Relationship", trail[0].DESCRIP.str());

  run<rec::VelExt>(form, Request::Change, pos, [&](FormCycle& c) {
    type(c, "MIDDLENAME", "");
    EXPECT_EQ("N", c.file().rec<rec::VelExt>().INITIALS.str());
    type(c, "MIDDLENAME", "Thandi");
    EXPECT_EQ("NT", c.file().rec<rec::VelExt>().INITIALS.str());
    // The box and the three-way choice write the same status.
    type(c, "ACTIVE", "Non Active", EntryKind::Check);
    EXPECT_EQ(kToday, c.file().rec<rec::VelExt>().DATECHANGE.value);
    EXPECT_EQ(FormCycle::Outcome::Close, c.ok().action);
  });
  rec::VelExt saved = all<rec::VelExt>()[0];
  EXPECT_EQ("Non Active", saved.ACTIVE.str());
  trail = all<rec::VelAud>();
  ASSERT_EQ(2u, trail.size());
  EXPECT_EQ("Ext Fam Middlename", trail[1].DESCRIP.str());
}

// --- The lists of one policy ---------------------------------------------------

TEST_F(DependantFormsTest, ListsShowOnePolicyAndPassTheOptionRulesFirst) {
  Catalog catalog;
  addDependantForms(catalog, session);
  const ListDecl* children = catalog.list("Browse_VelChd");
  const ListDecl* ext = catalog.list("Browse_VelExt");
  ASSERT_TRUE(children && ext);
  ASSERT_TRUE(catalog.form(children->form) && catalog.form(ext->form));

  child("0041/AAA", 1);
  child("0042/MOL", 1);
  child("0042/MOL", 2);
  child("0043/ZZZ", 1);
  {
    FileManager& f = files.fm<rec::VelChd>();
    FileUse use(f);
    ListPager pager(f, *children);
    pager.setRange({{"CLIENT_ID", "0042/MOL"}});
    EXPECT_EQ(2u, pager.first(10).size());
    EXPECT_EQ(2, pager.count());
  }

  int forms = 0;
  FormRunner runner = [&](const FormDecl&, Request, const Presets&) {
    ++forms;
    return Response::Cancelled;
  };
  // The extended family is refused on a Family option, before any form.
  {
    FileManager& f = files.fm<rec::VelExt>();
    FileUse use(f);
    ListActions acts(files, ui, catalog, *ext, runner);
    ui.expect("Error", kOk,
              "You cannot add extended family unless FAMILY 10 option is selected");
    acts.act(kActInsert, "");
    EXPECT_EQ(0, forms);
  }
  // Ten people on a ten-person policy: the spouse and nine dependants.
  holder.OPTION = "1 Plus 9";
  holder.S_SURNAME = "Molefe";
  for (int n = 3; n <= 9; ++n) child("0042/MOL", n);
  FileManager& f = files.fm<rec::VelChd>();
  FileUse use(f);
  ListActions acts(files, ui, catalog, *children, runner);
  ui.expect("Add Error", kOk);
  acts.act(kActInsert, "");
  EXPECT_EQ(0, forms);
  holder.S_SURNAME = "";
  acts.act(kActInsert, "");
  EXPECT_EQ(1, forms);
}

}  // namespace
}  // namespace vel::test
