// Paging a list by key: first and last pages, stepping on from a row in both
// directions, the locator, a range of one parent's rows, hidden records, and
// the row an insert through the list comes back on.
#include "forms/ListPager.h"

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
