// Conversion of older files at start-up: one conversion per older layout
// with the defaults it fills in, the client split of the first layout, the
// ageing rebuilt from the clients, and the cases where nothing or only part
// can be done.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "maintenance/ConversionFixture.h"
#include "support/Engines.h"

namespace vel {
namespace {

using test::OldFolder;
namespace older = rec::older;

template <class Rec>
Rec client(int number, const std::string& surname) {
  Rec c;
  c.NUMBER = number;
  c.CLIENT_ID = (number < 1000 ? "0" : "") + std::string(number < 100 ? "0" : "") +
                (number < 10 ? "0" : "") + std::to_string(number) + "/" + surname.substr(0, 3);
  c.SURNAME = surname;
  c.FIRSTNAME = "Thandi";
  c.ID_NUMBER = "8001015009087";
  c.H_ADDR1 = "12 Church Street";
  c.H_ADDR3 = "Polokwane";
  c.PREMIUM = 95.5;
  c.PLAN = "A";
  c.DOM = "1";
  c.WAIT_DATE = 45000;
  c.BENEFIT = 7500;
  c.REMARKS = std::string(3000, 'r') + " end";
  return c;
}

TEST(Conversion, AFolderInTheCurrentLayoutsIsLeftAsItIs) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  f.writeNow(std::vector<rec::VelCli>{client<rec::VelCli>(1, "Mokoena")});
  rec::Agent agent;
  agent.CODE = "A1";
  agent.SENT = 1;
  f.writeNow(std::vector<rec::Agent>{agent});
  const auto before = f.listing();
  ConversionReport r = f.convert();
  EXPECT_TRUE(r.converted.empty());
  EXPECT_FALSE(r.stopped);
  // Nothing is made, not even the files that are missing: normal start-up
  // creates those.
  EXPECT_EQ(f.listing(), before);
  EXPECT_EQ(f.ui.log.windows, 0);
  EXPECT_EQ(f.read<rec::VelCli>().size(), 1u);
}

TEST(Conversion, AgentGetsItsSentMarkCleared) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  older::AgentA a1, a2;
  a1.CODE = "A1";
  a1.SURNAME = "Dube";
  a1.FNAME = "Sipho";
  a1.CELLNO = "082";
  a2.CODE = "A2";
  a2.SURNAME = "Nkosi";
  f.writeOld("Agent", "A", std::vector<older::AgentA>{a1, a2});
  ConversionReport r = f.convert();
  ASSERT_EQ(r.converted, std::vector<std::string>{"Agent"});
  auto agents = f.read<rec::Agent>();
  ASSERT_EQ(agents.size(), 2u);
  EXPECT_EQ(agents[0].CODE, "A1");
  EXPECT_EQ(agents[0].FNAME, "Sipho");
  EXPECT_EQ(agents[0].CELLNO, "082");
  EXPECT_EQ(agents[1].SURNAME, "Nkosi");
  EXPECT_EQ(agents[0].SENT.value, 0);
  EXPECT_EQ(f.countOld("Agent.Old", "Agent", "A"), 2);
  EXPECT_FALSE(f.has("nAgent.Tps"));
  EXPECT_EQ(f.ui.log.texts(), std::vector<std::string>{"Agent File"});
  EXPECT_EQ(f.ui.log.highest(), 100);
}

TEST(Conversion, BranchDetailDropsTheOldRegistrationFieldsAndStartsTheGatewayBlank) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  older::BDetalA b;
  b.BUS_NAME = "Ubuntu Burial";
  b.NCR_REG = "NCR123";
  b.EMAIL = "office@example.org";
  b.REPORATE = 12.5;
  b.DESIG = "Manager";
  b.ACCNO = "0281234567";
  f.writeOld("BDetal", "A", std::vector<older::BDetalA>{b});
  f.convert();
  auto d = f.read<rec::BDetal>();
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].BUS_NAME, "Ubuntu Burial");
  EXPECT_EQ(d[0].EMAIL, "office@example.org");
  EXPECT_EQ(d[0].ACCNO, "0281234567");
  EXPECT_TRUE(d[0].USERNAME.blank());
  EXPECT_TRUE(d[0].PASSWORD.blank());
  EXPECT_TRUE(d[0].CON_EMAIL.blank());
  EXPECT_TRUE(d[0].CELL_NO.blank());
}

TEST(Conversion, AuditEntriesAreNumberedInTheOrderTheyWereRead) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  std::vector<older::VelAudA> old;
  for (int i = 0; i < 3; ++i) {
    older::VelAudA a;
    a.DATE = 46000 + i;
    a.CLIENT_ID = "0001/Mok";
    a.DESCRIP = "Premium " + std::to_string(i);
    a.AMOUNT = 10.0 * i;
    old.push_back(a);
  }
  f.writeOld("VelAud", "A", old);
  f.convert();
  auto aud = f.read<rec::VelAud>();
  ASSERT_EQ(aud.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(aud[i].UNIQUE, std::to_string(i + 1));
    EXPECT_EQ(aud[i].DESCRIP, "Premium " + std::to_string(i));
    EXPECT_EQ(aud[i].AMOUNT.value, 10.0 * i);
  }
}

TEST(Conversion, AgeingIsRebuiltFromTheClientsAndTheOldOneKept) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  rec::Config cfg;
  cfg.BRANCH_ID = "07";
  f.writeNow(std::vector<rec::Config>{cfg});
  auto a = client<rec::VelCli>(2, "Zulu"), b = client<rec::VelCli>(1, "Mokoena");
  b.PREMIUM = 120;
  f.writeNow(std::vector<rec::VelCli>{a, b});
  older::VelAgeA stale;
  stale.CLIENT_ID = "0001/Mok";
  stale.TOTAL = stale.P90 = 999;
  f.writeOld("VelAge", "A", std::vector<older::VelAgeA>{stale, stale});
  ConversionReport r = f.convert();
  ASSERT_EQ(r.converted, std::vector<std::string>{"VelAge"});
  auto age = f.read<rec::VelAge>();
  ASSERT_EQ(age.size(), 2u);
  // In client order, the premium current, nothing in arrears.
  EXPECT_EQ(age[0].CLIENT_ID, "0001/Mok");
  EXPECT_EQ(age[0].TOTAL.value, 120);
  EXPECT_EQ(age[0].CURRENT.value, 120);
  EXPECT_EQ(age[1].CLIENT_ID, "0002/Zul");
  EXPECT_EQ(age[1].TOTAL.value, 95.5);
  for (const auto& x : age) {
    EXPECT_EQ(x.P30.value + x.P60.value + x.P90.value + x.P90PLUS.value + x.BALBF.value, 0);
    EXPECT_EQ(x.BRANCH_ID, "07");
    EXPECT_EQ(x.SENT.value, 0);
  }
  EXPECT_EQ(f.countOld("VelAge.Old", "VelAge", "A"), 2);
}

TEST(Conversion, ExtendedFamilyOfEachOlderLayout) {
  VEL_SQLITE_FILES_ONLY();
  {
    OldFolder f;
    older::VelExtA e;
    e.BRANCH_ID = "01";
    e.CLIENT_ID = "0001/Mok";
    e.SURNAME = "Mokoena";
    e.FIRSTNAME = "Gogo";
    e.DOB = 20000;
    e.RELATE = "Mother";
    e.PREMIUM = 30;
    e.ACTIVE = 1;
    e.WAIT_DATE = 45000;
    f.writeOld("VelExt", "A", std::vector<older::VelExtA>{e});
    f.convert();
    auto x = f.read<rec::VelExt>();
    ASSERT_EQ(x.size(), 1u);
    EXPECT_EQ(x[0].CLIENT_ID, "0001/Mok");
    EXPECT_EQ(x[0].FIRSTNAME, "Gogo");
    EXPECT_EQ(x[0].DOB.value, 20000);
    EXPECT_EQ(x[0].RELATE, "Mother");
    EXPECT_EQ(x[0].ACTIVE, "Active");
    EXPECT_EQ(x[0].WAIT_DATE.value, 0);
    EXPECT_EQ(x[0].NUMBER.value, 0);
    EXPECT_EQ(x[0].DATECHANGE.value, 0);
  }
  {
    OldFolder f;
    older::VelExtB e;
    e.CLIENT_ID = "0002/Zul";
    e.SURNAME = "Zulu";
    e.ACTIVE = 0;
    e.WAIT_DATE = 45001;
    e.NUMBER = 3;
    f.writeOld("VelExt", "B", std::vector<older::VelExtB>{e});
    f.convert();
    auto x = f.read<rec::VelExt>();
    ASSERT_EQ(x.size(), 1u);
    EXPECT_EQ(x[0].ACTIVE, "Active");
    EXPECT_EQ(x[0].DATECHANGE.value, 0);
    EXPECT_EQ(x[0].WAIT_DATE.value, 45001);
    EXPECT_EQ(x[0].NUMBER.value, 3);
  }
  {
    OldFolder f;
    older::VelExtC e;
    e.CLIENT_ID = "0003/Nko";
    e.ID_NUMBER = "5001015009087";
    e.ACTIVE = "Deceased";
    e.DATECHANGE = 46100;
    f.writeOld("VelExt", "C", std::vector<older::VelExtC>{e});
    f.convert();
    auto x = f.read<rec::VelExt>("By_IDNo");
    ASSERT_EQ(x.size(), 1u);
    EXPECT_EQ(x[0].ACTIVE, "Deceased");
    EXPECT_EQ(x[0].DATECHANGE.value, 46100);
  }
}

TEST(Conversion, ClientsOfLayoutJBecomeOnePlusNineWithTheNewBenefit) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  auto a = client<older::VelCliJ>(1, "Mokoena");
  a.OPTION = "Family 10";
  a.AGE_COMM = 12;
  auto b = client<older::VelCliJ>(2, "Zulu");
  b.OPTION = "Single";
  f.writeOld("VelCli", "J", std::vector<older::VelCliJ>{a, b});
  ConversionReport r = f.convert();
  ASSERT_EQ(r.converted, std::vector<std::string>{"VelCli"});
  auto c = f.read<rec::VelCli>();
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].OPTION, "1 Plus 9");
  EXPECT_EQ(c[1].OPTION, "Single");
  for (const auto& x : c) {
    EXPECT_EQ(x.BENEFIT.value, 10000);
    EXPECT_EQ(x.HAM_BYTE.value, 0);
    EXPECT_EQ(x.HAMPER.value, 0);
    EXPECT_EQ(x.PLANPREM.value, 0);
    EXPECT_TRUE(x.STRNO.blank());
    EXPECT_EQ(x.REMARKS.text(), std::string(3000, 'r') + " end");
  }
  EXPECT_EQ(c[0].AGE_COMM.value, 12);  // J had the commissions already
  EXPECT_EQ(f.countOld("VelCli.Old", "VelCli", "J"), 2);
  EXPECT_FALSE(f.has("nVelCli.Tps"));
}

TEST(Conversion, ClientsOfLayoutsHIAndKGetTheDefaultsOfEveryLayoutTheySkip) {
  VEL_SQLITE_FILES_ONLY();
  rec::CommStr rates;
  rates.AGENT = 7.5;
  rates.COLL = 2.25;
  {
    OldFolder f;
    f.writeNow(std::vector<rec::CommStr>{rates});
    auto h = client<older::VelCliH>(1, "Mokoena");
    h.OPTION = "Family 10";
    h.S_SURNAME = "Mokoena";
    f.writeOld("VelCli", "H", std::vector<older::VelCliH>{h});
    f.convert();
    auto c = f.read<rec::VelCli>();
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].S_ACTIVE, "Active");
    EXPECT_EQ(c[0].S_CHANGEDATE.value, 0);
    EXPECT_EQ(c[0].AGE_COMM.value, 7.5);
    EXPECT_EQ(c[0].COL_COMM.value, 2.25);
    EXPECT_EQ(c[0].OPTION, "1 Plus 9");
    EXPECT_EQ(c[0].BENEFIT.value, 10000);
    EXPECT_EQ(c[0].S_SURNAME, "Mokoena");
  }
  {
    OldFolder f;
    f.writeNow(std::vector<rec::CommStr>{rates});
    auto i = client<older::VelCliI>(1, "Mokoena");
    i.S_ACTIVE = "Deceased";
    i.S_CHANGEDATE = 46000;
    f.writeOld("VelCli", "I", std::vector<older::VelCliI>{i});
    f.convert();
    auto c = f.read<rec::VelCli>();
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].S_ACTIVE, "Deceased");
    EXPECT_EQ(c[0].S_CHANGEDATE.value, 46000);
    EXPECT_EQ(c[0].AGE_COMM.value, 7.5);
    EXPECT_EQ(c[0].COL_COMM.value, 2.25);
  }
  {
    OldFolder f;  // no commission record: nothing to give
    auto k = client<older::VelCliK>(1, "Mokoena");
    k.OPTION = "Family 10";
    k.BENEFIT = 5000;
    k.HAMPER = 50;
    k.PLANPREM = 140;
    k.AGE_COMM = 3;
    f.writeOld("VelCli", "K", std::vector<older::VelCliK>{k});
    f.convert();
    auto c = f.read<rec::VelCli>("By_Street");
    ASSERT_EQ(c.size(), 1u);
    // K already had the new option names and benefits: they are kept.
    EXPECT_EQ(c[0].OPTION, "Family 10");
    EXPECT_EQ(c[0].BENEFIT.value, 5000);
    EXPECT_EQ(c[0].HAMPER.value, 50);
    EXPECT_EQ(c[0].PLANPREM.value, 140);
    EXPECT_EQ(c[0].AGE_COMM.value, 3);
    EXPECT_TRUE(c[0].STRNO.blank());
  }
}

TEST(Conversion, ChildrenInvoicesPaymentsTransactionsAndUsersOfEachOlderLayout) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  older::VelChdA ch;
  ch.CLIENT_ID = "0001/Mok";
  ch.C1_SURNAME = "Mokoena";
  ch.NUMBER = 2;
  ch.PREMIUM = 15;
  f.writeOld("VelChd", "A", std::vector<older::VelChdA>{ch});
  older::VelInvA inv;
  inv.CLIENT_ID = "0001/Mok";
  inv.DATE = dateFromYmd(2019, 3, 21);
  inv.DEBIT = 95.5;
  inv.UNIQUE = "43544123456";
  f.writeOld("VelInv", "A", std::vector<older::VelInvA>{inv});
  older::VelPayB pay;
  pay.CLIENT_ID = "0001/Mok";
  pay.DATE = dateFromYmd(2019, 4, 2);
  pay.CREDIT = 95.5;
  pay.COL_CODE = "C1";
  pay.COL_COMM = 4;
  f.writeOld("VelPay", "B", std::vector<older::VelPayB>{pay});
  older::VelTraB tra;
  tra.CLIENT_ID = "0001/Mok";
  tra.DATE = dateFromYmd(2019, 4, 2);
  tra.TYPE = "Payment";
  tra.CREDIT = 95.5;
  tra.RISK = 40;
  tra.ADMIN = 10;
  tra.AGE_COMM = 5;
  f.writeOld("VelTra", "B", std::vector<older::VelTraB>{tra});
  older::UsersA u;
  u.CODE = 1;
  u.USERNAME = "ADMIN";
  u.PASSWORD = "SECRET";
  u.ACC01 = 1;
  u.STATUS = "Administrator";
  u.ACC39 = 1;
  f.writeOld("Users", "A", std::vector<older::UsersA>{u});

  ConversionReport r = f.convert();
  EXPECT_EQ(r.converted,
            (std::vector<std::string>{"VelChd", "VelInv", "VelPay", "VelTra", "Users"}));
  EXPECT_EQ(f.ui.log.texts(), (std::vector<std::string>{"VelChd File", "VelInv File", "VelPay File",
                                                        "VelTra File", "Users File"}));

  auto c = f.read<rec::VelChd>();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].ACTIVE, "Active");
  EXPECT_EQ(c[0].DATECHANGE.value, 0);
  EXPECT_EQ(c[0].NUMBER.value, 2);
  EXPECT_EQ(c[0].PREMIUM.value, 15);

  auto i = f.read<rec::VelInv>("By_Date");
  ASSERT_EQ(i.size(), 1u);
  EXPECT_EQ(i[0].DATE.value, dateFromYmd(2019, 3, 21));  // a calendar date still
  EXPECT_EQ(i[0].DEBIT.value, 95.5);
  EXPECT_EQ(i[0].RISK.value + i[0].ADMIN.value + i[0].AGE_COMM.value, 0);
  EXPECT_EQ(i[0].PROC.value, 0);

  auto p = f.read<rec::VelPay>("By_Col_Code");
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].COL_CODE, "C1");
  EXPECT_EQ(p[0].COL_COMM.value, 4);
  EXPECT_TRUE(p[0].AGE_CODE.blank());
  EXPECT_EQ(p[0].AGE_COMM.value + p[0].PREM2PAY.value, 0);
  EXPECT_EQ(p[0].DBLPAY.value, 0);

  auto t = f.read<rec::VelTra>();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].TYPE, "Payment");
  EXPECT_EQ(t[0].CREDIT.value, 95.5);
  // The old risk, admin and agent's share are not what the new fields mean.
  EXPECT_EQ(t[0].PAYOVER.value + t[0].COLL_COMM.value + t[0].AGE_COMM.value, 0);

  auto us = f.read<rec::Users>("KeyUserName");
  ASSERT_EQ(us.size(), 1u);
  EXPECT_EQ(us[0].CODE.value, 1);
  EXPECT_EQ(us[0].PASSWORD, "SECRET");
  EXPECT_EQ(us[0].STATUS, "Administrator");
}

TEST(Conversion, TheOtherOlderLayoutsOfPaymentsInvoicesTransactionsAndChildren) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  older::VelPayA pa;
  pa.CLIENT_ID = "0001/Mok";
  pa.CREDIT = 50;
  older::VelPayC pc;
  pc.CLIENT_ID = "0002/Zul";
  pc.AGE_CODE = "A1";
  pc.AGE_COMM = 6;
  pc.PREM2PAY = 80;
  older::VelInvB ib;
  ib.CLIENT_ID = "0001/Mok";
  ib.RISK = 40;
  ib.ADMIN = 12;
  ib.AGE_COMM = 6;
  older::VelTraA ta;
  ta.CLIENT_ID = "0001/Mok";
  ta.DEBIT = 95.5;
  older::VelChdB cb;
  cb.CLIENT_ID = "0001/Mok";
  cb.ACTIVE = "Non Active";
  cb.DATECHANGE = 46001;

  {
    OldFolder a;
    a.writeOld("VelPay", "A", std::vector<older::VelPayA>{pa});
    a.convert();
    auto p = a.read<rec::VelPay>();
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].CREDIT.value, 50);
    EXPECT_TRUE(p[0].COL_CODE.blank());
    EXPECT_EQ(p[0].COL_COMM.value, 0);
  }
  f.writeOld("VelPay", "C", std::vector<older::VelPayC>{pc});
  f.writeOld("VelInv", "B", std::vector<older::VelInvB>{ib});
  f.writeOld("VelTra", "A", std::vector<older::VelTraA>{ta});
  f.writeOld("VelChd", "B", std::vector<older::VelChdB>{cb});
  f.convert();
  auto p = f.read<rec::VelPay>();
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].AGE_CODE, "A1");
  EXPECT_EQ(p[0].AGE_COMM.value, 6);
  EXPECT_EQ(p[0].PREM2PAY.value, 80);
  EXPECT_EQ(p[0].DBLPAY.value, 0);
  auto i = f.read<rec::VelInv>();
  ASSERT_EQ(i.size(), 1u);
  EXPECT_EQ(i[0].RISK.value, 40);
  EXPECT_EQ(i[0].ADMIN.value, 12);
  EXPECT_EQ(i[0].PROC.value, 0);
  auto t = f.read<rec::VelTra>();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].DEBIT.value, 95.5);
  auto c = f.read<rec::VelChd>();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].ACTIVE, "Non Active");
  EXPECT_EQ(c[0].DATECHANGE.value, 46001);
}

// The first client layout: children inside the client, extended family
// apart. Each client keeps its own fields; its children and extended family
// become children numbered 1 to 5 and from 6 on; its town joins the towns.
TEST(Conversion, FirstClientLayoutIsSplitIntoClientsChildrenAndTowns) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  auto a = client<older::VelCliG>(1, "Mokoena");
  a.BRANCH_ID = "01";
  a.OPTION = "F";
  a.ACTIVE = 1;
  a.B2_SURNAME = "Second";
  a.C1_SURNAME = "Mokoena";
  a.C1_FIRSTNAME = "Lerato";
  a.C1_DOB = dateFromYmd(2015, 6, 1);
  a.C1_BENEFIT = 5000;
  a.C1_AGE = 11;
  a.C3_SURNAME = "Mokoena";  // a gap: the child keeps its place
  a.C3_FIRSTNAME = "Tumi";
  a.TRACKING_NO = "T1";
  auto b = client<older::VelCliG>(2, "Zulu");
  b.H_ADDR3 = "POLOKWANE";  // the same town in other letters
  auto c = client<older::VelCliG>(3, "Nkosi");
  c.H_ADDR3 = "Seshego";
  f.writeOld("VelCli", "G", std::vector<older::VelCliG>{a, b, c});

  older::VelExtA gogo, cousin, elder, other;
  gogo.CLIENT_ID = cousin.CLIENT_ID = elder.CLIENT_ID = "0001/Mok";
  gogo.SURNAME = "Mokoena-Dlamini-Mthembu";  // 23 characters: cut to 20
  gogo.FIRSTNAME = "Ausi";
  gogo.GENDER = "Female";
  gogo.DOB = dateFromYmd(2013, 12, 10);  // 12 on the conversion day, birthday tomorrow
  cousin.SURNAME = "Dube";
  cousin.DOB = dateFromYmd(2000, 12, 9);  // 26 today
  elder.SURNAME = "Mokoena";
  elder.DOB = dateFromYmd(1950, 1, 1);
  other.CLIENT_ID = "0003/NKO";  // the client id in other letters: still the same client
  other.SURNAME = "Nkosi";
  other.DOB = dateFromYmd(2026, 1, 1);  // under one year
  f.writeOld("VelExt", "A", std::vector<older::VelExtA>{gogo, other, cousin, elder});

  ConversionReport r = f.convert();
  EXPECT_EQ(r.converted, (std::vector<std::string>{"VelExt", "VelCli"}));
  EXPECT_FALSE(r.stopped);

  auto cli = f.read<rec::VelCli>();
  ASSERT_EQ(cli.size(), 3u);
  EXPECT_EQ(cli[0].CLIENT_ID, "0001/Mok");
  EXPECT_EQ(cli[0].OPTION, "F");
  EXPECT_EQ(cli[0].COVER, "10000");
  EXPECT_EQ(cli[0].ACTIVE, "Active");
  EXPECT_EQ(cli[0].BENEFIT.value, 7500);
  EXPECT_EQ(cli[0].PREMIUM.value, 95.5);
  EXPECT_EQ(cli[0].WAIT_DATE.value, 45000);
  EXPECT_EQ(cli[0].REMARKS.text(), std::string(3000, 'r') + " end");
  EXPECT_TRUE(cli[0].S_GENDER.blank());
  EXPECT_TRUE(cli[0].COL_CODE.blank());
  EXPECT_EQ(cli[0].DATE6.value + cli[0].DATE24.value + cli[0].DAY5.value, 0);

  std::map<std::pair<std::string, std::int64_t>, rec::VelChd> kids;
  for (const auto& k : f.read<rec::VelChd>())
    EXPECT_TRUE(kids.emplace(std::make_pair(k.CLIENT_ID.text(), k.NUMBER.value), k).second);
  ASSERT_EQ(kids.size(), 6u);
  const auto& lerato = kids.at({"0001/Mok", 1});
  EXPECT_EQ(lerato.C1_FIRSTNAME, "Lerato");
  EXPECT_EQ(lerato.C1_BENEFIT.value, 5000);
  EXPECT_EQ(lerato.C1_AGE.value, 11);
  EXPECT_EQ(lerato.PREMIUM.value, 0);
  EXPECT_TRUE(lerato.GENDER.blank());
  EXPECT_EQ(lerato.ACTIVE, "Active");
  EXPECT_EQ(kids.at({"0001/Mok", 3}).C1_FIRSTNAME, "Tumi");
  EXPECT_EQ(kids.count({"0001/Mok", 2}), 0u);

  // Extended family, from 6 in the order read by client.
  const auto& g6 = kids.at({"0001/Mok", 6});
  EXPECT_EQ(g6.C1_SURNAME, "Mokoena-Dlamini-Mthe");
  EXPECT_EQ(g6.GENDER, "Female");
  EXPECT_EQ(g6.C1_AGE.value, 12);
  EXPECT_EQ(g6.PREMIUM.value, 15);
  EXPECT_EQ(g6.C1_BENEFIT.value, 5000);
  const auto& c7 = kids.at({"0001/Mok", 7});
  EXPECT_EQ(c7.C1_AGE.value, 26);
  EXPECT_EQ(c7.PREMIUM.value, 20);
  EXPECT_EQ(c7.C1_BENEFIT.value, 10000);
  const auto& e8 = kids.at({"0001/Mok", 8});
  EXPECT_EQ(e8.C1_AGE.value, 76);
  EXPECT_EQ(e8.PREMIUM.value, 0);
  EXPECT_EQ(e8.C1_BENEFIT.value, 0);
  const auto& baby = kids.at({"0003/Nko", 6});
  EXPECT_EQ(baby.C1_AGE.value, 0);
  EXPECT_EQ(baby.PREMIUM.value, 15);
  EXPECT_EQ(baby.C1_BENEFIT.value, 1000);

  // One town each, whatever the letters.
  auto towns = f.read<rec::Town>("By_Town");
  ASSERT_EQ(towns.size(), 2u);
  EXPECT_EQ(towns[0].TOWN, "Polokwane");
  EXPECT_EQ(towns[1].TOWN, "Seshego");

  // The extended family are children now; their file is emptied (the
  // records converted from layout A stay in VelExt.Old).
  EXPECT_FALSE(f.has("VelExt.Tps"));
  EXPECT_EQ(f.countOld("VelExt.Old", "VelExt", "A"), 4);
  EXPECT_EQ(f.countOld("VelCli.Old", "VelCli", "G"), 3);
}

TEST(Conversion, NoOlderLayoutFitsTheFileIsLeftAndTheOthersAreConverted) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  // A transaction file written in a layout no version had.
  f.writeWith(layoutOf<rec::VelAge>(), "VelTra", std::vector<rec::VelAge>{rec::VelAge{}});
  f.writeOld("Users", "A", std::vector<older::UsersA>{older::UsersA{}});
  f.ui.expect("Invalid Record Declaration", kOk, "Invalid VelTra File");
  const auto before = std::filesystem::file_size(f.path("VelTra.Tps"));
  ConversionReport r = f.convert();
  EXPECT_EQ(r.invalid, std::vector<std::string>{"VelTra"});
  EXPECT_EQ(r.converted, std::vector<std::string>{"Users"});
  EXPECT_FALSE(r.stopped);
  EXPECT_EQ(std::filesystem::file_size(f.path("VelTra.Tps")), before);
  EXPECT_FALSE(f.has("VelTra.Old"));
  EXPECT_FALSE(f.has("nVelTra.Tps"));
}

TEST(Conversion, ConvertingAgainReplacesTheEarlierOldFile) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  f.writeOld("VelInv", "A", std::vector<older::VelInvA>(3));
  f.convert();
  ASSERT_EQ(f.countOld("VelInv.Old", "VelInv", "A"), 3);
  // The file comes back in an older layout (restored from an old backup).
  std::filesystem::remove(f.path("VelInv.Tps"));
  f.writeOld("VelInv", "B", std::vector<older::VelInvB>(5));
  f.convert();
  EXPECT_EQ(f.countOld("VelInv.Old", "VelInv", "B"), 5);
  EXPECT_EQ(f.read<rec::VelInv>().size(), 5u);
}

TEST(Conversion, AnEmptyOldFileBecomesAnEmptyCurrentFile) {
  VEL_SQLITE_FILES_ONLY();
  OldFolder f;
  f.writeOld("VelPay", "A", std::vector<older::VelPayA>{});
  ConversionReport r = f.convert();
  EXPECT_EQ(r.converted, std::vector<std::string>{"VelPay"});
  EXPECT_TRUE(f.read<rec::VelPay>().empty());
  EXPECT_EQ(f.countOld("VelPay.Old", "VelPay", "A"), 0);
  EXPECT_EQ(f.ui.log.texts(), std::vector<std::string>{"VelPay File"});
}

}  // namespace
}  // namespace vel
