// The policy holders' browse without windows: the first charge after a saved
// insert (and only then), "Edit Remarks" saving, "No of Clients", and the
// panels kept to one client's rows.
#include "dictionary/LedgerFiles.h"
#include "forms/Catalog.h"
#include "forms/ListPager.h"
#include "members/ClientBrowse.h"
#include "members/MembersFixture.h"
#include "recordstore/FileManager.h"

namespace vel::test {
namespace {

class ClientBrowseTest : public MembersFixture {
 protected:
  rec::VelCli newPolicy() {
    rec::VelCli c = completePolicy();
    c.PREMIUM = 150.0;
    c.PLANPREM = 150.0;
    c.AGE_COMM = 12.5;
    c.COL_COMM = 7.5;
    c.WAIT_DATE = dateFromYmd(2026, 12, 1);
    c.INVOICED = 1;
    return c;
  }

  void store(const rec::VelCli& c) {
    FileManager& f = files.fm<rec::VelCli>();
    FileUse use(f);
    f.rec<rec::VelCli>() = c;
    ASSERT_EQ(kDone, f.Insert());
  }

  // A client form that stores `c` on insert and answers `response`.
  ClientBrowseSetup setupWith(Response response, rec::VelCli c, std::vector<Request>* seen) {
    ClientBrowseSetup s;
    s.clock = &clock;
    s.user = [] { return std::string("ThandiweMokoena"); };
    s.state = &state;
    s.clientForm = [this, response, c, seen](Request r) {
      seen->push_back(r);
      if (r == Request::Insert && response == Response::Completed) store(c);
      return response;
    };
    return s;
  }

  FixedClock clock{dateFromYmd(2026, 12, 8), 10 * 360000 + 30 * 6000};
  ClientBrowseState state;
};

TEST_F(ClientBrowseTest, SavedInsertPostsTheFirstChargeAtThePremiumOnce) {
  std::vector<Request> seen;
  ClientBrowseSetup s = setupWith(Response::Completed, newPolicy(), &seen);
  EXPECT_TRUE(runPolicyAction(files, Request::Insert, s));

  EXPECT_EQ("0042/MOL", state.curClientId);
  EXPECT_EQ(dateFromYmd(2026, 12, 1), state.startDate);
  auto ages = all<rec::VelAge>();
  ASSERT_EQ(1u, ages.size());
  EXPECT_EQ("0042/MOL", ages[0].CLIENT_ID.str());
  EXPECT_DOUBLE_EQ(150.0, ages[0].TOTAL);
  EXPECT_DOUBLE_EQ(150.0, ages[0].CURRENT);
  EXPECT_DOUBLE_EQ(0.0, ages[0].P30 + ages[0].P60 + ages[0].P90 + ages[0].P90PLUS + ages[0].BALBF);
  auto invs = all<rec::VelInv>();
  ASSERT_EQ(1u, invs.size());
  EXPECT_DOUBLE_EQ(150.0, invs[0].DEBIT);
  EXPECT_EQ(dateFromYmd(2026, 12, 8), invs[0].DATE);
  auto tras = all<rec::VelTra>();
  ASSERT_EQ(1u, tras.size());
  EXPECT_EQ("Invoice", tras[0].TYPE.str());
  EXPECT_DOUBLE_EQ(150.0, tras[0].DEBIT);
  EXPECT_DOUBLE_EQ(0.0, tras[0].CREDIT);
  EXPECT_DOUBLE_EQ(12.5, tras[0].AGE_COMM);
  EXPECT_DOUBLE_EQ(7.5, tras[0].COLL_COMM);
  EXPECT_EQ("ThandiweMo", tras[0].X_ID.str());
  EXPECT_EQ(invs[0].UNIQUE.str(), tras[0].UNIQUE.str());

  // The same policy charged again (the form's insert repeated) gets nothing.
  rec::VelCli again = all<rec::VelCli>()[0];
  EXPECT_EQ(ledger::PostResult::NothingToPost,
            afterPolicyAdded(files, again, "ThandiweMokoena", clock.moment(), state));
  EXPECT_EQ(1u, all<rec::VelInv>().size());
  EXPECT_EQ(1u, all<rec::VelTra>().size());
}

TEST_F(ClientBrowseTest, CancelledInsertAndOtherRequestsPostNothing) {
  std::vector<Request> seen;
  EXPECT_FALSE(runPolicyAction(files, Request::Insert,
                               setupWith(Response::Cancelled, newPolicy(), &seen)));
  store(newPolicy());
  EXPECT_TRUE(runPolicyAction(files, Request::Change,
                              setupWith(Response::Completed, newPolicy(), &seen)));
  EXPECT_TRUE(runPolicyAction(files, Request::Delete,
                              setupWith(Response::Completed, newPolicy(), &seen)));
  EXPECT_EQ((std::vector<Request>{Request::Insert, Request::Change, Request::Delete}), seen);
  EXPECT_TRUE(all<rec::VelAge>().empty());
  EXPECT_TRUE(all<rec::VelInv>().empty());
  EXPECT_TRUE(all<rec::VelTra>().empty());
  EXPECT_EQ(0, state.startDate);

  // Without a client form the policy buttons do nothing at all.
  ClientBrowseSetup none;
  EXPECT_FALSE(runPolicyAction(files, Request::Insert, none));
}

TEST_F(ClientBrowseTest, RemarksAreSavedOnTheClientAndCutToTheFieldWidth) {
  store(newPolicy());
  rec::VelCli other = newPolicy();
  other.NUMBER = 43;
  other.CLIENT_ID = "0043/MOL";
  other.REMARKS = "Leave as is";
  store(other);
  EXPECT_EQ(2, clientCount(files));

  std::string position;
  {
    FileManager& f = files.fm<rec::VelCli>();
    FileUse use(f);
    f.SetOrder(f.layout().keyIndex("By_Client"));
    f.rec<rec::VelCli>().CLIENT_ID = "0042/MOL";
    ASSERT_EQ(kDone, f.GetByKey(f.layout().keyIndex("By_Client")));
    position = f.Position();
  }
  EXPECT_TRUE(saveRemarks(files, position, std::string(10300, 'r')));
  auto clients = all<rec::VelCli>();
  for (const auto& c : clients) {
    if (c.CLIENT_ID == "0042/MOL") EXPECT_EQ(std::string(10240, 'r'), c.REMARKS.str());
    else EXPECT_EQ("Leave as is", c.REMARKS.str());
  }
  EXPECT_FALSE(saveRemarks(files, "no such place", "x"));
}

TEST_F(ClientBrowseTest, PanelsShowOnlyTheHighlightedClientsRows) {
  Catalog catalog;
  addClientBrowse(catalog, {});
  for (const char* id : {"0041/ABE", "0042/MOL", "0043/ZUL"}) {
    rec::VelCli c = newPolicy();
    c.CLIENT_ID = id;
    c.NUMBER = std::stoi(std::string(id).substr(0, 4));
    c.PREMIUM = 100 + c.NUMBER.value;
    store(c);
    ASSERT_EQ(ledger::PostResult::Posted, afterPolicyAdded(files, c, "u", clock.moment(), state));
  }
  for (const char* name : {kClientAgeing, kClientInvoices}) {
    const ListDecl& d = *catalog.list(name);
    FileManager& f = files.fm(d.file);
    FileUse use(f);
    ListPager pager(f, d);
    pager.setRange({{"CLIENT_ID", "0042/MOL"}});
    auto rows = pager.first(10);
    ASSERT_EQ(1u, rows.size()) << name;
    EXPECT_EQ("0042/MOL", rows[0].cells.back());
    EXPECT_EQ(1, pager.count());
    EXPECT_EQ("142.00", rows[0].cells[d.file == "VelAge" ? 0 : 1]);
  }
}

}  // namespace
}  // namespace vel::test
