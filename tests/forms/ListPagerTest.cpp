// Paging a list by key: first and last pages, stepping on from a row in both
// directions, the locator, a range of one parent's rows, hidden records, and
// the row an insert through the list comes back on.
#include "forms/ListPager.h"

#include "common/Dates.h"
#include "dictionary/SetupFiles.h"
#include "forms/Catalog.h"
#include "forms/FormCycle.h"
#include "forms/FormsFixture.h"
#include "forms/ListActions.h"

namespace vel::test {
namespace {

class ListPagerTest : public FormsFixture {
 protected:
  void SetUp() override {
    decl.procedure = "Browse_Town";
    decl.file = "Town";
    decl.columns = {ColumnDecl{"Town", "TOWN", "", 30, Align::Left, {}}};
    decl.tabs = {{"By Town", "By_Town", "TOWN"}};
    decl.form = "Update_Town";
    FileManager& f = files.fm<rec::Town>();
    FileUse use(f);
    // Town 000 .. Town 249, added in a shuffled order.
    for (int i = 0; i < 250; ++i) {
      int n = (i * 97) % 250;
      char name[16];
      std::snprintf(name, sizeof name, "Town %03d", n);
      f.ClearBuffer();
      f.rec<rec::Town>().TOWN = name;
      ASSERT_EQ(kDone, f.Insert());
    }
  }

  static std::vector<std::string> names(const std::vector<ListRow>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r.cells[0]);
    return out;
  }

  ListDecl decl;
};

TEST_F(ListPagerTest, PagesRunInKeyOrderBothWaysFromAnyRow) {
  FileManager& f = files.fm<rec::Town>();
  FileUse use(f);
  ListPager pager(f, decl);
  auto first = pager.first(3);
  EXPECT_EQ((std::vector<std::string>{"Town 000", "Town 001", "Town 002"}), names(first));
  auto next = pager.after(first.back(), 2);
  EXPECT_EQ((std::vector<std::string>{"Town 003", "Town 004"}), names(next));
  auto last = pager.last(2);
  EXPECT_EQ((std::vector<std::string>{"Town 248", "Town 249"}), names(last));
  EXPECT_TRUE(pager.after(last.back(), 5).empty());
  EXPECT_EQ((std::vector<std::string>{"Town 247", "Town 246"}), names(pager.before(last.front(), 2)));
  // The locator ignores letter case; past the end it shows the last page.
  EXPECT_EQ((std::vector<std::string>{"Town 120", "Town 121"}), names(pager.locate("town 12", 2)));
  EXPECT_EQ((std::vector<std::string>{"Town 249"}), names(pager.locate("Zulu", 1)));
  // From a row's position, that row first.
  EXPECT_EQ((std::vector<std::string>{"Town 004", "Town 005"}), names(pager.from(next.back().position, 2)));
}

TEST_F(ListPagerTest, HiddenRecordsAndRangesKeepToTheirRows) {
  FileManager& f = files.fm<rec::Town>();
  FileUse use(f);
  decl.shows = [](const void* r) {
    std::string_view t = static_cast<const rec::Town*>(r)->TOWN.str();
    return t.back() != '1';
  };
  ListPager pager(f, decl);
  EXPECT_EQ((std::vector<std::string>{"Town 000", "Town 002", "Town 003"}), names(pager.first(3)));

  // Branches of one bank only.
  ListDecl branches;
  branches.file = "BankList";
  branches.columns = {ColumnDecl{"Branch", "BRANCH", "", 30, Align::Left, {}}};
  branches.tabs = {{"By Name", "By_Name", "BRANCH"}};
  FileManager& b = files.fm<rec::BankList>();
  FileUse use2(b);
  for (auto [bank, branch] : {std::pair{"Absa", "Zeerust"}, std::pair{"Capitec", "Mthatha"},
                              std::pair{"Capitec", "Butterworth"}, std::pair{"Nedbank", "Aliwal"}}) {
    b.ClearBuffer();
    b.rec<rec::BankList>().NAME = bank;
    b.rec<rec::BankList>().BRANCH = branch;
    ASSERT_EQ(kDone, b.Insert());
  }
  ListPager bp(b, branches);
  bp.setRange({{"NAME", "Capitec"}});
  EXPECT_EQ((std::vector<std::string>{"Butterworth", "Mthatha"}), names(bp.first(10)));
  EXPECT_EQ((std::vector<std::string>{"Butterworth", "Mthatha"}), names(bp.last(10)));
  EXPECT_EQ((std::vector<std::string>{"Mthatha"}), names(bp.locate("M", 10)));
  // The count for the scroll bar keeps to the range too.
  EXPECT_EQ(2, bp.count());
  EXPECT_EQ(4, ListPager(b, branches).count());
}

// The scroll bar's estimate: a row's place from its key values, and rows
// from a place, over text of digits, text of letters and number keys.
TEST_F(ListPagerTest, PlacesInTheListAreEstimatedFromKeysBothWays) {
  FileManager& f = files.fm<rec::Town>();
  FileUse use(f);
  ListPager pager(f, decl);
  auto row = [&](const char* town) { return pager.locate(town, 1).at(0); };
  EXPECT_DOUBLE_EQ(0, pager.place(row("Town 000")));
  EXPECT_DOUBLE_EQ(1, pager.place(row("Town 249")));
  EXPECT_NEAR(0.5, pager.place(row("Town 125")), 0.01);
  EXPECT_EQ("Town 000", names(pager.at(0, 1)).at(0));
  EXPECT_EQ("Town 249", names(pager.at(1, 1)).at(0));
  std::string mid = names(pager.at(0.4, 1)).at(0);
  EXPECT_TRUE(mid >= "Town 095" && mid <= "Town 105") << mid;

  // Surnames spread over the alphabet, whatever their letter case.
  ListDecl people = decl;
  people.file = "Agent";
  people.columns = {ColumnDecl{"Surname", "SURNAME", "", 30, Align::Left, {}}};
  people.tabs = {{"By Surname", "KeySurname", "SURNAME"}};
  FileManager& a = files.fm<rec::Agent>();
  FileUse useAgents(a);
  for (const char* s : {"Abrahams", "dlamini", "Mokoena", "Naidoo", "Zwane"}) {
    a.ClearBuffer();
    a.rec<rec::Agent>().SURNAME = s;
    ASSERT_EQ(kDone, a.Insert());
  }
  ListPager ap(a, people);
  ASSERT_EQ("Mokoena", names(ap.locate("Mok", 1)).at(0));
  EXPECT_NEAR(0.48, ap.place(ap.locate("Mok", 1).at(0)), 0.05);
  EXPECT_EQ("dlamini", names(ap.at(0.1, 1)).at(0));
  EXPECT_EQ("Naidoo", names(ap.at(0.49, 1)).at(0));

  // A date key: days between the first and last.
  ListDecl days = decl;
  days.file = "Holiday";
  days.columns = {ColumnDecl{"Date", "DATE", "d06", 10, Align::Left, {}}};
  days.tabs = {{"By Date", "By_Date", "DATE"}};
  FileManager& h = files.fm<rec::Holiday>();
  FileUse useDays(h);
  for (int m : {1, 4, 7, 10, 12}) {
    h.ClearBuffer();
    h.rec<rec::Holiday>().DATE = dateFromYmd(2026, m, 1);
    ASSERT_EQ(kDone, h.Insert());
  }
  ListPager hp(h, days);
  EXPECT_NEAR(181.0 / 334, hp.place(hp.locate("01/07/2026", 1).at(0)), 0.01);
  EXPECT_EQ("01/10/2026", names(hp.at(0.6, 1)).at(0));
  // A date still being typed is no date: no rows, the list stays put.
  EXPECT_TRUE(hp.locate("01/07/20", 5).empty());
  EXPECT_EQ("01/04/2026", names(hp.locate("2/2/2026", 1)).at(0));
}

TEST_F(ListPagerTest, AnInsertThroughTheListComesBackOnTheNewRow) {
  Catalog catalog;
  catalog.add(decl);
  FormDecl form;
  form.procedure = "Update_Town";
  form.file = "Town";
  catalog.add(form);
  FileManager& f = files.fm<rec::Town>();
  FileUse use(f);
  ListActions list(files, ui, catalog, *catalog.list("Browse_Town"),
                   [&](const FormDecl& fs, Request r, const Presets& p) {
                     return runFormWith(files, ui, fs, r, p, [](FormCycle& c) {
                       c.file().rec<rec::Town>().TOWN = "Town 100a";
                       c.ok();
                     });
                   });
  ListActions::Result res = list.act(kActInsert, {});
  ASSERT_TRUE(res.refresh);
  ListPager pager(f, decl);
  EXPECT_EQ((std::vector<std::string>{"Town 100a", "Town 101"}), names(pager.from(res.position, 2)));
}

}  // namespace
}  // namespace vel::test
