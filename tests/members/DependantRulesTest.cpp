// The dependant buttons a plan and option call for, the option rules with
// their messages, and the ten-person limit counted from the files.
#include <string>

#include "members/DependantRules.h"
#include "members/PlanFixture.h"

namespace vel::test {
namespace {

constexpr auto U = ButtonShow::Unchanged;
constexpr auto S = ButtonShow::Shown;
constexpr auto H = ButtonShow::Hidden;

TEST(DependantButtons, FollowPlanAndOption) {
  struct Case {
    const char* plan;
    const char* option;
    ButtonShow children, extended;
  };
  const Case cases[] = {
      {"A", "Single", H, H},          {"B", "Single", H, H},
      {"C", "Single", H, H},          {"D", "Single", U, U},
      {"A", "Single Parent", S, H},   {"B", "Family", S, H},
      {"C", "Family", S, H},          {"D", "Family", U, U},
      {"A", "Family 10", H, S},       {"B", "Family 10", H, H},
      {"C", "Family 10", U, U},       {"A", "1 Plus 9", U, U},
      {"HAM", "Single", U, U},        {"", "Family", U, U},
      // The long form of older policies and the office's own spelling.
      {"Plan A", "Single", H, H},     {"Plan B", "family 10", H, H},
      {"a", "SINGLE PARENT ", S, H},
  };
  for (const Case& c : cases) {
    const DependantButtons b = dependantButtons(c.plan, c.option);
    EXPECT_EQ(c.children, b.children) << c.plan << " / " << c.option;
    EXPECT_EQ(c.extended, b.extended) << c.plan << " / " << c.option;
  }
}

TEST(DependantOptionRules, RefuseChildrenOnSingleAndExtendedFamilyOffTheTenPersonOption) {
  using L = DependantList;
  using A = DependantAction;
  struct Case {
    const char* option;
    L list;
    A action;
    const char* text;  // nullptr: allowed
  };
  const Case cases[] = {
      {"Single", L::Children, A::Insert, "You cannot add children when SINGLE option is selected"},
      {"Single", L::Children, A::Change, "You cannot edit children when SINGLE option is selected"},
      {"Single", L::Children, A::Delete,
       "You cannot delete children when SINGLE option is selected"},
      {"Family", L::Children, A::Insert, nullptr},
      {"1 Plus 9", L::Children, A::Delete, nullptr},
      {"Family", L::ExtendedFamily, A::Insert,
       "You cannot add extended family unless FAMILY 10 option is selected"},
      {"Single Parent", L::ExtendedFamily, A::Change,
       "You cannot edit extended family unless FAMILY 10 option is selected"},
      {"", L::ExtendedFamily, A::Delete,
       "You cannot delete extended family unless FAMILY 10 option is selected"},
      {"1 Plus 9", L::ExtendedFamily, A::Insert, nullptr},
      // The older name of the ten-person option allows what its buttons show.
      {"Family 10", L::ExtendedFamily, A::Change, nullptr},
  };
  for (const Case& c : cases) {
    const auto r = optionRefusal(c.option, c.list, c.action);
    if (!c.text) {
      EXPECT_FALSE(r) << c.option << ": " << r->text;
      continue;
    }
    ASSERT_TRUE(r) << c.option;
    EXPECT_EQ("Error", r->title);
    EXPECT_EQ(c.text, r->text);
  }
}

TEST(DependantOptionRules, TenPeopleInAllWithTheSpouseCountingAsOne) {
  struct Case {
    const char* option;
    int dependants;
    bool spouse, over;
  };
  const Case cases[] = {
      {"1 Plus 9", 8, true, false}, {"1 Plus 9", 9, true, true},   {"1 Plus 9", 9, false, false},
      {"1 Plus 9", 10, false, true}, {"Family 10", 9, true, true}, {"Family", 40, true, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.over, overPersonLimit(c.option, c.dependants, c.spouse))
        << c.option << " " << c.dependants << (c.spouse ? " with spouse" : "");
}

class DependantLimit : public PlanFixture {
 protected:
  // `n` dependants of `id`: children first, then extended family; some of
  // them no longer active, which still count.
  void dependants(const std::string& id, int children, int ext) {
    for (int i = 1; i <= children; ++i) child(id, i, 0, 0, i == 1 ? "Deceased" : "Active");
    for (int i = 1; i <= ext; ++i) extended(id, i, i == 1 ? "Non Active" : "Active");
  }
};

TEST_F(DependantLimit, SpouseAndNineDependantsRefuseTheNextChild) {
  dependants("0042/MOK", 5, 4);
  dependants("0043/DLA", 3, 3);  // another policy's are not counted
  rec::VelCli c = policy("0042/MOK", "A", "1 Plus 9");
  c.S_SURNAME = "Mokoena";
  ui.expect("Add Error", kOk, "You cannot add more children/extended family than 10 persons");
  DependantCounts counts;
  EXPECT_EQ(kRefused, checkDependantAction(ui, files, c, DependantList::Children,
                                           DependantAction::Insert, counts));
  EXPECT_EQ(Icon::Question, ui.shown().at(0).icon);
  EXPECT_EQ(unsigned{kOk}, ui.shown().at(0).buttons);
  EXPECT_EQ(5, counts.children);
  EXPECT_EQ(4, counts.extended);
}

TEST_F(DependantLimit, WithoutSpouseTheTenthIsAddedAndTheEleventhRefused) {
  dependants("0042/MOK", 4, 5);
  rec::VelCli c = policy("0042/MOK", "A", "1 Plus 9");
  DependantCounts counts;
  EXPECT_EQ(kDone, checkDependantAction(ui, files, c, DependantList::ExtendedFamily,
                                        DependantAction::Insert, counts));
  EXPECT_EQ(4, counts.children);  // CHILD_COUNT and EXT_COUNT for the form to number the new one
  EXPECT_EQ(5, counts.extended);

  extended("0042/MOK", 6);
  ui.expect("Add Error", kOk);
  EXPECT_EQ(kRefused, checkDependantAction(ui, files, c, DependantList::Children,
                                           DependantAction::Insert, counts));
}

TEST_F(DependantLimit, FamilyTakesAnyNumberOfChildrenButNoExtendedFamily) {
  dependants("0042/MOK", 12, 0);
  rec::VelCli c = policy("0042/MOK", "A", "Family");
  c.S_SURNAME = "Mokoena";
  DependantCounts counts;
  EXPECT_EQ(kDone, checkDependantAction(ui, files, c, DependantList::Children,
                                        DependantAction::Insert, counts));
  EXPECT_EQ(12, counts.children);
  ui.expect("Error", kOk, "You cannot add extended family unless FAMILY 10 option is selected");
  EXPECT_EQ(kRefused, checkDependantAction(ui, files, c, DependantList::ExtendedFamily,
                                           DependantAction::Insert, counts));
}

}  // namespace
}  // namespace vel::test
