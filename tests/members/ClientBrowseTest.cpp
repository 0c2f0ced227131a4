// The policy holders' browse without windows: the first charge after a saved
// insert (and only then), "Edit Remarks" saving, "No of Clients", and the
// panels kept to one client's rows.
#include "dictionary/LedgerFiles.h"
#include "forms/Catalog.h"
#include "forms/ListPager.h"
#include "members/ClientBrowse.h"
#include "members/MemberContext.h"
#include "members/MembersFixture.h"
#include "recordstore/FileManager.h"

namespace vel::test {
namespace {

class ClientBrowseTest : public MembersFixture {
 protected:
  // The browse hands its values on through this thread's context.
  ClientBrowseTest() { memberContext().clear(); }
  ~ClientBrowseTest() override { memberContext().clear(); }

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
    s.clientForm = [this, response, c, seen](Request r) {
      seen->push_back(r);
      if (r == Request::Insert && response == Response::Completed) store(c);
      return response;
    };
    return s;
  }

  FixedClock clock{dateFromYmd(2026, 12, 8), 10 * 360000 + 30 * 6000};
};

TEST_F(ClientBrowseTest, SavedInsertPostsTheFirstChargeAtThePremiumOnce) {
  std::vector<Request> seen;
  ClientBrowseSetup s = setupWith(Response::Completed, newPolicy(), &seen);
  EXPECT_TRUE(runPolicyAction(files, Request::Insert, s));

  EXPECT_EQ("0042/MOL", memberContext().CUR_CLIENT_ID);
  EXPECT_EQ(dateFromYmd(2026, 12, 1), memberContext().START_DATE);
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
            afterPolicyAdded(files, again, "ThandiweMokoena", clock.moment()));
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
  EXPECT_EQ(0, memberContext().START_DATE);

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
    ASSERT_EQ(ledger::PostResult::Posted, afterPolicyAdded(files, c, "u", clock.moment()));
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

// A first payment starts the waiting period of a policy that had none; six
// calendar months on crosses the year from the second half.
TEST_F(ClientBrowseTest, PaymentPreparationStartsTheWaitingPeriodOnce) {
  struct Case {
    std::int32_t today, date6, date24;
  } cases[] = {
      {dateFromYmd(2026, 9, 15), dateFromYmd(2027, 3, 15), dateFromYmd(2026, 9, 15) + 730},
      {dateFromYmd(2027, 3, 15), dateFromYmd(2027, 9, 15), dateFromYmd(2027, 3, 15) + 730},
      {dateFromYmd(2026, 8, 31), dateFromYmd(2027, 2, 28), dateFromYmd(2026, 8, 31) + 730},
  };
  int n = 50;
  for (const Case& k : cases) {
    rec::VelCli c = newPolicy();
    c.NUMBER = ++n;
    c.CLIENT_ID = "00" + std::to_string(n) + "/MOL";
    c.WAIT_DATE = 0;
    c.DATECHANGE = 0;
    c.SMS_DATE = dateFromYmd(2026, 12, 20);
    c.SMS_SENDIT = 1;
    c.COL_CODE = "C07";
    c.AGE_CODE = "A03";
    store(c);
    ASSERT_TRUE(preparePayment(files, c.CLIENT_ID.text(), k.today));
    EXPECT_EQ(1, memberContext().FIRST_PAYMENT);
    EXPECT_EQ("C07", memberContext().COL_CODE);
    EXPECT_EQ("A03", memberContext().AGE_CODE);
    for (const auto& s : all<rec::VelCli>()) {
      if (s.CLIENT_ID != c.CLIENT_ID.str()) continue;
      EXPECT_EQ(k.today, s.WAIT_DATE);
      EXPECT_EQ(k.date6, s.DATE6);
      EXPECT_EQ(k.date24, s.DATE24);
      EXPECT_EQ(k.today, s.DATECHANGE);
      EXPECT_EQ(0, s.SMS_DATE);
      EXPECT_EQ(0, s.SMS_SENDIT);
    }
  }

  // A policy with its waiting period and a payment keeps its dates.
  rec::VelCli c = newPolicy();
  c.DATECHANGE = dateFromYmd(2026, 11, 1);
  c.DATE6 = dateFromYmd(2027, 6, 1);
  store(c);
  {
    FileManager& p = files.fm<rec::VelPay>();
    FileUse use(p);
    p.ClearBuffer();
    p.rec<rec::VelPay>().CLIENT_ID = "0042/MOL";
    p.rec<rec::VelPay>().CREDIT = 150.0;
    ASSERT_EQ(kDone, p.Insert());
  }
  ASSERT_TRUE(preparePayment(files, "0042/MOL", dateFromYmd(2026, 12, 8)));
  EXPECT_EQ(0, memberContext().FIRST_PAYMENT);
  for (const auto& s : all<rec::VelCli>()) {
    if (s.CLIENT_ID != "0042/MOL") continue;
    EXPECT_EQ(dateFromYmd(2026, 12, 1), s.WAIT_DATE);
    EXPECT_EQ(dateFromYmd(2027, 6, 1), s.DATE6);
    EXPECT_EQ(dateFromYmd(2026, 11, 1), s.DATECHANGE);
  }
  EXPECT_FALSE(preparePayment(files, "9999/NON", dateFromYmd(2026, 12, 8)));
}

// A payment made on the day of the client's invoice: deleting it reverses
// its own transaction, never the invoice's, and gives its amount back to the
// ageing; declining the question leaves everything.
TEST_F(ClientBrowseTest, DeletingAPaymentLeavesTheSameDaysInvoice) {
  rec::VelCli c = newPolicy();
  store(c);
  ASSERT_EQ(ledger::PostResult::Posted, afterPolicyAdded(files, c, "u", clock.moment()));
  std::string position;
  {
    FileManager& p = files.fm<rec::VelPay>();
    FileUse use(p);
    p.ClearBuffer();
    auto& pay = p.rec<rec::VelPay>();
    pay.CLIENT_ID = "0042/MOL";
    pay.DATE = clock.today();
    pay.CREDIT = 150.0;
    pay.UNIQUE = "P1";
    ASSERT_EQ(kDone, p.Insert());
    position = p.Position();
    FileManager& t = files.fm<rec::VelTra>();
    FileUse tuse(t);
    t.ClearBuffer();
    auto& tr = t.rec<rec::VelTra>();
    tr.CLIENT_ID = "0042/MOL";
    tr.DATE = clock.today();
    tr.TYPE = "Payment";
    tr.CREDIT = 150.0;
    tr.UNIQUE = "P1";
    ASSERT_EQ(kDone, t.Insert());
  }
  const char* question = "Are you sure you want to delete the highlighted record?";
  ui.expect("Confirm Delete", kNo, question);
  EXPECT_EQ(ledger::PostResult::NothingToPost, deletePaymentConfirmed(files, position, {"01", "Administrator"}, clock.moment()));
  EXPECT_EQ(1u, all<rec::VelPay>().size());
  EXPECT_EQ(2u, all<rec::VelTra>().size());

  ui.expect("Confirm Delete", kYes, question);
  EXPECT_EQ(ledger::PostResult::Posted, deletePaymentConfirmed(files, position, {"01", "Administrator"}, clock.moment()));
  EXPECT_TRUE(all<rec::VelPay>().empty());
  auto tras = all<rec::VelTra>();
  ASSERT_EQ(3u, tras.size()) << "the payment's entry stays, reversed";
  EXPECT_EQ("REV", tras[2].STATUS.str());
  EXPECT_DOUBLE_EQ(-150.0, tras[2].CREDIT);
  EXPECT_DOUBLE_EQ(300.0, all<rec::VelAge>()[0].TOTAL);
}

// The pick list: a client goes on once, "Clear List" empties it, and a
// client removed from the file after being picked is not printed.
TEST_F(ClientBrowseTest, PickListTakesEachClientOnceAndSkipsRemovedOnes) {
  std::vector<rec::VelCli> clients;
  for (int n : {45, 43, 44}) {
    rec::VelCli c = newPolicy();
    c.NUMBER = n;
    c.CLIENT_ID = "00" + std::to_string(n) + "/MOL";
    c.FIRSTNAME = "Client " + std::to_string(n);
    store(c);
    clients.push_back(c);
  }
  for (const auto& c : clients) EXPECT_TRUE(addToPickList(files, c));
  EXPECT_TRUE(addToPickList(files, clients[0]));
  EXPECT_EQ(3, pickCount(files));
  auto picks = all<rec::PrnCli>();
  EXPECT_EQ("Client 45", picks[0].FIRSTNAME.str());
  EXPECT_EQ(completePolicy().SURNAME.str(), picks[0].SURNAME.str());

  {
    FileManager& f = files.fm<rec::VelCli>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::VelCli>().CLIENT_ID = "0044/MOL";
    ASSERT_EQ(kDone, f.GetByKey(f.layout().keyIndex("By_Client")));
    ASSERT_EQ(kDone, f.Delete(false));
  }
  auto printed = pickedClients(files);
  ASSERT_EQ(2u, printed.size());
  EXPECT_EQ("0043/MOL", printed[0].CLIENT_ID.str());
  EXPECT_EQ("0045/MOL", printed[1].CLIENT_ID.str());

  EXPECT_TRUE(clearPickList(files));
  EXPECT_EQ(0, pickCount(files));
  EXPECT_TRUE(pickedClients(files).empty());
  EXPECT_TRUE(addToPickList(files, clients[1]));
  EXPECT_EQ(1, pickCount(files));
}

}  // namespace
}  // namespace vel::test
