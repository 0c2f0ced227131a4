// The demo office: a seeded folder must hold data the rest of the system can
// trust — client numbers, identity numbers, premiums and dependants formed
// as the forms form them — and seeding must never double an office.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "maintenance/DemoOffice.h"
#include "recordstore/DataFiles.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/Engines.h"

namespace vel {
namespace {

const std::int32_t kToday = dateFromYmd(2026, 12, 8);

std::string hostName() {
  char buf[256] = {};
  ::gethostname(buf, sizeof buf - 1);
  return buf;
}

// One data folder with its managers; fails the test on any message box.
struct Office {
  test::TempDir dir;
  std::unique_ptr<Engine> engine = test::makeEngineFor(dir.path());
  test::ScriptedUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
  FixedClock clock{kToday, 0};

  ~Office() { ui.verifyDone(); }

  DemoResult seed(int clients, unsigned seed = 20261208, int months = 6) {
    DemoOptions o;
    o.clients = clients;
    o.seed = seed;
    o.months = months;
    return seedDemoOffice(files, clock, o);
  }

  template <class R>
  std::vector<R> all() {
    std::vector<R> out;
    FileManager& f = files.fm<R>();
    if (!test::fileExists(*engine, f.path())) return out;
    FileUse use(f);
    f.SetOrder(kPhysicalOrder);
    while (f.ReadNext() == kDone) out.push_back(f.rec<R>());
    return out;
  }

  std::int64_t count(std::string_view label) {
    FileManager& f = files.fm(label);
    if (!test::fileExists(*engine, f.path())) return 0;
    FileUse use(f);
    return f.Records();
  }

  // Every record of every file, field by field, as text.
  std::string dump() {
    std::string out;
    for (std::size_t i = 0; i < files.size(); ++i) {
      FileManager& f = files.fm(i);
      if (!test::fileExists(*engine, f.path())) continue;
      FileUse use(f);
      f.SetOrder(kPhysicalOrder);
      while (f.ReadNext() == kDone) {
        out += f.label();
        for (std::size_t k = 0; k < f.layout().fields().size(); ++k)
          out += "|" + f.field(static_cast<int>(k)).display();
        out += "\n";
      }
    }
    return out;
  }
};

// The identity-number rules, written independently of the seeding code.
bool checkDigitHolds(const std::string& id) {
  if (id.size() != 13) return false;
  int sum = 0;
  for (int i = 0; i < 13; ++i) {  // Luhn, from the right
    char ch = id[static_cast<std::size_t>(12 - i)];
    if (ch < '0' || ch > '9') return false;
    int d = ch - '0';
    if (i % 2 == 1) d = d * 2 > 9 ? d * 2 - 9 : d * 2;
    sum += d;
  }
  return sum % 10 == 0;
}

// Date of birth of an identity number, its century chosen to keep it out of
// the future.
std::int32_t birthOf(const std::string& id) {
  int yy = std::stoi(id.substr(0, 2)), mm = std::stoi(id.substr(2, 2)),
      dd = std::stoi(id.substr(4, 2));
  std::int32_t d = dateFromYmd(2000 + yy, mm, dd);
  return d != 0 && d <= kToday ? d : dateFromYmd(1900 + yy, mm, dd);
}

std::string genderOf(const std::string& id) { return id[6] >= '5' ? "Male" : "Female"; }

// A person's identity number agrees with the date of birth and gender kept.
void expectPerson(std::string_view who, const std::string& id, std::int64_t dob,
                  std::string_view gender) {
  SCOPED_TRACE(std::string(who) + " " + id);
  ASSERT_TRUE(checkDigitHolds(id));
  EXPECT_EQ(birthOf(id), dob);
  EXPECT_EQ(genderOf(id), gender);
  EXPECT_TRUE(id[10] == '0' || id[10] == '1');  // South African or permanent resident
}

std::string childGroupOf(std::int64_t age) {
  if (age < 1) return "0 - 11 Mth";
  if (age <= 5) return "1 - 5";
  if (age <= 13) return "6 - 13";
  return "14 - 26";
}

// One office of the default size, seeded once for the consistency checks.
class SeededOffice : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    office_ = new Office;
    result_ = office_->seed(300);
    clients_ = office_->all<rec::VelCli>();
    children_ = office_->all<rec::VelChd>();
    extended_ = office_->all<rec::VelExt>();
    hamper_ = office_->all<rec::Hamper>();
    for (const auto& p : office_->all<rec::Plan>()) plans_[{p.PLAN.text(), p.TYPE.text()}] = p;
    for (const auto& p : office_->all<rec::PlanChd>())
      childPlans_[{p.PLAN.text(), p.AGEGROUP.text()}] = p;
  }
  static void TearDownTestSuite() {
    delete office_;
    office_ = nullptr;
  }

  static std::vector<rec::VelChd> childrenOf(const rec::VelCli& c) {
    std::vector<rec::VelChd> out;
    for (const auto& ch : children_)
      if (ch.CLIENT_ID == c.CLIENT_ID) out.push_back(ch);
    return out;
  }
  static std::vector<rec::VelExt> extendedOf(const rec::VelCli& c) {
    std::vector<rec::VelExt> out;
    for (const auto& e : extended_)
      if (e.CLIENT_ID == c.CLIENT_ID) out.push_back(e);
    return out;
  }

  static inline Office* office_ = nullptr;
  static inline DemoResult result_;
  static inline std::vector<rec::VelCli> clients_;
  static inline std::vector<rec::VelChd> children_;
  static inline std::vector<rec::VelExt> extended_;
  static inline std::vector<rec::Hamper> hamper_;
  static inline std::map<std::pair<std::string, std::string>, rec::Plan> plans_;
  static inline std::map<std::pair<std::string, std::string>, rec::PlanChd> childPlans_;
};

TEST_F(SeededOffice, ReportsWhatItWroteAndTheFilesAgree) {
  ASSERT_TRUE(result_.ok) << result_.message;
  EXPECT_EQ(result_.clients, 300);
  EXPECT_EQ(clients_.size(), 300u);
  EXPECT_EQ(children_.size(), static_cast<std::size_t>(result_.children));
  EXPECT_EQ(extended_.size(), static_cast<std::size_t>(result_.extended));
  EXPECT_EQ(hamper_.size(), static_cast<std::size_t>(result_.hamperMembers));
  EXPECT_EQ(result_.plans, 17);
  EXPECT_EQ(result_.childPlans, 16);
  EXPECT_NE(result_.message.find("300 clients"), std::string::npos) << result_.message;
  // Every client has an account; the hamper members are billed by the
  // months' invoice runs on their own ledger and pay into it.
  EXPECT_EQ(office_->count("VelAge"), 300);
  EXPECT_EQ(office_->count("HamAge"), result_.hamperMembers);
  EXPECT_GT(office_->count("HamPay"), 0);
  EXPECT_EQ(office_->count("VelAud"), 0);
}

TEST_F(SeededOffice, PlanTablesHaveEveryOptionAndAgeGroupAndOlderPlansCostMore) {
  const char* options[] = {"Single", "Single Parent", "Family", "1 Plus 9"};
  const char* groups[] = {"0 - 11 Mth", "1 - 5", "6 - 13", "14 - 26"};
  for (const char* option : options) {
    double previous = 0;
    for (const char* plan : {"A", "B", "C", "D"}) {
      auto it = plans_.find({plan, option});
      ASSERT_NE(it, plans_.end()) << plan << " " << option;
      EXPECT_GT(it->second.PREMIUM, previous) << plan << " " << option;
      EXPECT_GT(it->second.PREMIUM, it->second.PAY_OVER);
      EXPECT_GT(it->second.COVER, 0);
      previous = it->second.PREMIUM;
    }
  }
  for (const char* plan : {"A", "B", "C", "D"})
    for (const char* group : groups)
      EXPECT_TRUE(childPlans_.count({plan, group})) << plan << " " << group;
  ASSERT_TRUE(plans_.count({"HAM", "Hamper"}));
  EXPECT_GT((plans_[{"HAM", "Hamper"}].PREMIUM), 0);
}

TEST_F(SeededOffice, ClientNumbersAreFormedFromNumberAndSurnameAndAreUnique) {
  std::set<std::string> seen;
  std::int64_t expectNumber = 1;
  for (const auto& c : clients_) {
    EXPECT_EQ(c.NUMBER, expectNumber++);
    std::string number = std::to_string(c.NUMBER.value);
    std::string expected = std::string(4 - number.size(), '0') + number + "/";
    for (char ch : c.SURNAME.text().substr(0, 3))
      expected +=
          ch == '\'' ? '-' : static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    // Stored text drops trailing blanks: "Le Roux" numbered 85 is "0085/LE".
    EXPECT_EQ(c.CLIENT_ID.text(), rtrim(expected));
    EXPECT_TRUE(seen.insert(c.CLIENT_ID.text()).second) << c.CLIENT_ID.text();
  }
}

TEST_F(SeededOffice, EveryIdentityNumberIsValidAndAgreesWithItsPerson) {
  std::set<std::string> insured;  // the lives covered never share a number
  auto unique = [&](const std::string& id) { EXPECT_TRUE(insured.insert(id).second) << id; };
  for (const auto& c : clients_) {
    expectPerson("client", c.ID_NUMBER.text(), c.DOB, c.GENDER.str());
    unique(c.ID_NUMBER.text());
    // The identity check marks a foreign citizen with "Y", a South African with "N".
    EXPECT_EQ(c.TITLE.text(), c.ID_NUMBER.text()[10] == '0' ? "N" : "Y");
    EXPECT_EQ(c.INITIALS.text(),
              c.FIRSTNAME.text().substr(0, 1) + c.MIDDLENAME.text().substr(0, 1));
    if (!c.S_ID_NUMBER.blank()) {
      expectPerson("spouse", c.S_ID_NUMBER.text(), c.S_DOB, c.S_GENDER.str());
      unique(c.S_ID_NUMBER.text());
    }
    ASSERT_FALSE(c.B1_ID_NUMBER.blank());
    EXPECT_TRUE(checkDigitHolds(c.B1_ID_NUMBER.text())) << c.B1_ID_NUMBER.text();
    EXPECT_EQ(birthOf(c.B1_ID_NUMBER.text()), c.B1_DOB);
  }
  for (const auto& ch : children_) {
    expectPerson("child", ch.C1_ID_NUMBER.text(), ch.C1_DOB, ch.GENDER.str());
    unique(ch.C1_ID_NUMBER.text());
  }
  for (const auto& e : extended_) {
    expectPerson("extended", e.ID_NUMBER.text(), e.DOB, e.GENDER.str());
    unique(e.ID_NUMBER.text());
  }
}

TEST_F(SeededOffice, PolicyMoneyFollowsThePlanRowAndTheChildrensPremiums) {
  const double hamperPremium = plans_[{"HAM", "Hamper"}].PREMIUM;
  for (const auto& c : clients_) {
    SCOPED_TRACE(c.CLIENT_ID.text());
    auto it = plans_.find({c.PLAN.text(), c.OPTION.text()});
    ASSERT_NE(it, plans_.end());
    const rec::Plan& row = it->second;
    double childPremium = 0, childPayOver = 0;
    for (const auto& ch : childrenOf(c)) {
      childPremium += ch.PREMIUM;
      childPayOver += ch.PREM2PAY;
    }
    EXPECT_DOUBLE_EQ(c.BENEFIT, row.COVER);
    EXPECT_DOUBLE_EQ(c.PREMIUM, row.PREMIUM + childPremium);
    EXPECT_DOUBLE_EQ(c.PREMTOPAY, row.PAY_OVER + childPayOver);
    // The amount billed includes every child's premium; hamper members are
    // copied into the hamper scheme, whose ledger bills the hamper.
    EXPECT_DOUBLE_EQ(c.HAMPER, c.HAM_BYTE ? hamperPremium : 0);
    EXPECT_DOUBLE_EQ(c.PLANPREM, c.PREMIUM);
    // The start-up commission structure (no CommStr record in this folder).
    EXPECT_DOUBLE_EQ(c.AGE_COMM, 10);
    EXPECT_DOUBLE_EQ(c.COL_COMM, 5);
    EXPECT_EQ(c.DATE6, c.WAIT_DATE + 184);
    EXPECT_EQ(c.DATE24, c.WAIT_DATE + 730);
    EXPECT_LT(c.DATE, kToday);
    EXPECT_GE(ageOn(static_cast<std::int32_t>(c.DOB), static_cast<std::int32_t>(c.DATE)), 18);
  }
}

// The accounts: each client's ageing agrees with his transactions, every
// invoice and payment has its own transaction, nothing is billed before the
// policy started or after it stopped, and the office shows arrears, paid-up
// members and credits alike.
TEST_F(SeededOffice, EveryAccountAgreesWithItsTransactionsAndItsAgeing) {
  struct Account {
    std::int64_t debits = 0, credits = 0;
    int ageing = 0;
    rec::VelAge age;
    std::vector<rec::VelInv> invoices;
    std::multiset<std::string> paymentStamps, paymentEntries, invoiceStamps, invoiceEntries;
  };
  auto cents = [](double r) { return static_cast<std::int64_t>(std::llround(r * 100)); };
  std::map<std::string, Account> acc;
  for (const auto& a : office_->all<rec::VelAge>()) {
    ++acc[a.CLIENT_ID.text()].ageing;
    acc[a.CLIENT_ID.text()].age = a;
  }
  for (const auto& t : office_->all<rec::VelTra>()) {
    Account& a = acc[t.CLIENT_ID.text()];
    a.debits += cents(t.DEBIT);
    a.credits += cents(t.CREDIT);
    (t.TYPE == "Payment" ? a.paymentEntries : a.invoiceEntries).insert(t.UNIQUE.text());
    EXPECT_TRUE(t.TYPE == "Payment" || t.TYPE == "Invoice") << t.TYPE.text();
  }
  for (const auto& i : office_->all<rec::VelInv>()) {
    acc[i.CLIENT_ID.text()].invoices.push_back(i);
    acc[i.CLIENT_ID.text()].invoiceStamps.insert(i.UNIQUE.text());
  }
  for (const auto& p : office_->all<rec::VelPay>()) acc[p.CLIENT_ID.text()].paymentStamps.insert(p.UNIQUE.text());

  int inArrears = 0, paidUp = 0, inCredit = 0, overNinety = 0;
  for (const auto& c : clients_) {
    SCOPED_TRACE(c.CLIENT_ID.text());
    auto it = acc.find(c.CLIENT_ID.text());
    ASSERT_NE(it, acc.end());
    const Account& a = it->second;
    ASSERT_EQ(a.ageing, 1);
    const rec::VelAge& g = a.age;
    const std::int64_t total = cents(g.TOTAL);
    EXPECT_EQ(total, cents(g.CURRENT) + cents(g.P30) + cents(g.P60) + cents(g.P90) +
                         cents(g.P90PLUS));
    EXPECT_EQ(total, a.debits - a.credits);
    EXPECT_EQ(a.invoiceStamps, a.invoiceEntries);
    EXPECT_EQ(a.paymentStamps, a.paymentEntries);

    // The first invoice on the day of joining, every invoice at the amount
    // billed (children included), none after the policy stopped.
    ASSERT_FALSE(a.invoices.empty());
    std::int64_t first = a.invoices.front().DATE;
    bool thisMonth = false;
    for (const auto& i : a.invoices) {
      first = std::min<std::int64_t>(first, i.DATE);
      EXPECT_DOUBLE_EQ(i.DEBIT, c.PLANPREM);
      EXPECT_LE(i.DATE, c.ACTIVE == "Active" ? std::int64_t{kToday} : c.DATECHANGE.value);
      const Ymd d = ymdFromDate(static_cast<std::int32_t>(i.DATE));
      thisMonth = thisMonth || (d.year == 2026 && d.month == 12);
    }
    EXPECT_EQ(first, c.DATE);
    EXPECT_EQ(c.INVOICED, thisMonth ? 1 : 0);

    if (total > 0) ++inArrears;
    if (total == 0) ++paidUp;
    if (total < 0) ++inCredit;
    if (cents(g.P90) + cents(g.P90PLUS) > 0) ++overNinety;
  }
  EXPECT_GT(inArrears, 30);
  EXPECT_GT(paidUp, 30);
  EXPECT_GT(inCredit, 0);
  EXPECT_GT(overNinety, 0);
  EXPECT_EQ(acc.size(), clients_.size());  // no entry of a client who is not on file
}

TEST_F(SeededOffice, ClientsReferToSetupRecordsThatExist) {
  std::map<std::string, rec::Agent> agents;
  for (const auto& a : office_->all<rec::Agent>()) agents[a.CODE.text()] = a;
  std::map<std::string, rec::Collect> collectors;
  for (const auto& a : office_->all<rec::Collect>()) collectors[a.CODE.text()] = a;
  std::set<std::string> routes, towns, branches;
  for (const auto& r : office_->all<rec::Route>()) routes.insert(r.ROUTE.text());
  for (const auto& t : office_->all<rec::Town>()) towns.insert(t.TOWN.text());
  for (const auto& b : office_->all<rec::BankList>())
    branches.insert(b.NAME.text() + "|" + b.BRANCH.text() + "|" + b.CODE.text());
  std::set<std::string> bankNames;
  for (const auto& b : office_->all<rec::BankName>()) bankNames.insert(b.NAME.text());
  for (const auto& b : office_->all<rec::BankBranch>()) EXPECT_TRUE(bankNames.count(b.NAME.text()));
  for (const auto& b : office_->all<rec::Banks>()) EXPECT_TRUE(bankNames.count(b.NAME.text()));
  for (const auto& p : office_->all<rec::Postal>()) EXPECT_TRUE(towns.count(p.TOWN.text()));

  for (const auto& c : clients_) {
    SCOPED_TRACE(c.CLIENT_ID.text());
    ASSERT_TRUE(agents.count(c.AGE_CODE.text()));
    EXPECT_EQ(agents[c.AGE_CODE.text()].SURNAME, c.AGE_SURNAME);
    EXPECT_EQ(agents[c.AGE_CODE.text()].FNAME, c.AGE_FNAME);
    ASSERT_TRUE(collectors.count(c.COL_CODE.text()));
    EXPECT_EQ(collectors[c.COL_CODE.text()].SURNAME, c.COL_SURNAME);
    EXPECT_TRUE(routes.count(c.ROUTE.text()));
    EXPECT_TRUE(towns.count(c.H_ADDR3.text()));
    EXPECT_TRUE(towns.count(c.P_ADDR3.text()));
    EXPECT_NE(c.P_CODE, 0);
    EXPECT_FALSE(c.MARITAL_STAT.blank());
    EXPECT_FALSE(c.ACCOUNT_TYPE.blank());
    if (!c.BANK_NAME.blank()) {
      EXPECT_TRUE(branches.count(c.BANK_NAME.text() + "|" + c.BRANCH_NAME.text() + "|" +
                                 c.BRANCH_CODE.text()));
    }
  }
}

TEST_F(SeededOffice, ChildrenAreRatedFromTheirPlansAgeGroupAndTheFirstFiveRideFree) {
  std::set<std::string> clientIds;
  for (const auto& c : clients_) clientIds.insert(c.CLIENT_ID.text());
  for (const auto& ch : children_) EXPECT_TRUE(clientIds.count(ch.CLIENT_ID.text()));
  for (const auto& c : clients_) {
    auto kids = childrenOf(c);
    if (c.OPTION == "Single") {
      EXPECT_TRUE(kids.empty()) << c.CLIENT_ID.text();
    }
    for (std::size_t k = 0; k < kids.size(); ++k) {
      const auto& ch = kids[k];
      SCOPED_TRACE(c.CLIENT_ID.text() + " child " + std::to_string(k + 1));
      EXPECT_EQ(ch.NUMBER, static_cast<std::int64_t>(k + 1));
      EXPECT_EQ(ch.C1_AGE, ageOn(static_cast<std::int32_t>(ch.C1_DOB), kToday));
      ASSERT_LE(ch.C1_AGE, 26);
      auto row = childPlans_.find({c.PLAN.text(), childGroupOf(ch.C1_AGE)});
      ASSERT_NE(row, childPlans_.end());
      // The oldest group's benefit is read from its commission column.
      EXPECT_DOUBLE_EQ(ch.C1_BENEFIT, ch.C1_AGE >= 14 ? row->second.COMM : row->second.COVER);
      EXPECT_DOUBLE_EQ(ch.PREMIUM, k < 5 ? 0 : row->second.PREMIUM.value);
      EXPECT_DOUBLE_EQ(ch.PREM2PAY, k < 5 ? 0 : row->second.PAYOVER.value);
      EXPECT_EQ(ch.ACTIVE.text(), "Active");
      // Born when the member was at least 16.
      EXPECT_GE(ageOn(static_cast<std::int32_t>(c.DOB), static_cast<std::int32_t>(ch.C1_DOB)), 16);
    }
  }
}

TEST_F(SeededOffice, ExtendedFamilyOnlyOnOnePlusNineAndWithinTheTenPersonLimit) {
  for (const auto& c : clients_) {
    auto ext = extendedOf(c);
    SCOPED_TRACE(c.CLIENT_ID.text());
    if (c.OPTION != "1 Plus 9") {
      EXPECT_TRUE(ext.empty());
      continue;
    }
    EXPECT_FALSE(ext.empty());
    std::size_t persons = ext.size() + childrenOf(c).size() + (c.S_SURNAME.blank() ? 0 : 1);
    EXPECT_LE(persons, 9u);
    for (std::size_t k = 0; k < ext.size(); ++k) {
      const auto& e = ext[k];
      EXPECT_EQ(e.NUMBER, static_cast<std::int64_t>(k + 1));
      EXPECT_EQ(e.WAIT_DATE, c.WAIT_DATE);
      int age = ageOn(static_cast<std::int32_t>(e.DOB), kToday);
      EXPECT_EQ(e.AGE_GROUP.text(), age > 65 ? "Between 66-74 years" : "Below 66 years");
      EXPECT_FALSE(e.RELATE.blank());
    }
  }
}

TEST_F(SeededOffice, SpousesOnlyWhereTheOptionCoversThem) {
  for (const auto& c : clients_) {
    SCOPED_TRACE(c.CLIENT_ID.text());
    if (c.OPTION == "Single" || c.OPTION == "Single Parent") {
      EXPECT_TRUE(c.S_ID_NUMBER.blank());
      EXPECT_TRUE(c.MARITAL_STAT == "S" || c.MARITAL_STAT == "D" || c.MARITAL_STAT == "W");
    }
    if (!c.S_ID_NUMBER.blank()) {
      EXPECT_NE(c.S_GENDER.text(), c.GENDER.text());
      EXPECT_TRUE(c.S_ACTIVE == "Active" || c.S_ACTIVE == "Deceased");
    }
  }
}

TEST_F(SeededOffice, HamperMembersAreTheHamperClientsCopiedOnce) {
  std::map<std::string, const rec::VelCli*> hamperClients;
  for (const auto& c : clients_)
    if (c.HAM_BYTE) hamperClients[c.CLIENT_ID.text()] = &c;
  ASSERT_EQ(hamper_.size(), hamperClients.size());
  for (const auto& h : hamper_) {
    auto it = hamperClients.find(h.CLIENT_ID.text());
    ASSERT_NE(it, hamperClients.end()) << h.CLIENT_ID.text();
    const rec::VelCli& c = *it->second;
    EXPECT_DOUBLE_EQ(h.PREMIUM, c.HAMPER);
    EXPECT_EQ(h.ID_NUMBER, c.ID_NUMBER);
    EXPECT_EQ(h.SURNAME, c.SURNAME);
    EXPECT_EQ(h.ACTIVE, c.ACTIVE);
    EXPECT_DOUBLE_EQ(h.AGE_COMM, 0);  // commission is not carried across
    hamperClients.erase(it);
  }
}

TEST_F(SeededOffice, TheMixLooksLikeARealOffice) {
  std::map<std::string, int> statuses, plans, options;
  int spouses = 0, bigFamilies = 0, foreign = 0, banked = 0;
  for (const auto& c : clients_) {
    ++statuses[c.ACTIVE.text()];
    ++plans[c.PLAN.text()];
    ++options[c.OPTION.text()];
    spouses += c.S_ID_NUMBER.blank() ? 0 : 1;
    bigFamilies += childrenOf(c).size() > 5 ? 1 : 0;
    foreign += c.TITLE == "Y" ? 1 : 0;
    banked += c.BANK_NAME.blank() ? 0 : 1;
    if (c.ACTIVE != "Active") {
      EXPECT_GT(c.DATECHANGE, c.DATE) << c.CLIENT_ID.text();
    }
  }
  EXPECT_EQ(statuses.size(), 3u);
  EXPECT_GT(statuses["Active"], 240);
  EXPECT_GT(statuses["Non Active"], 0);
  EXPECT_GT(statuses["Deceased"], 0);
  EXPECT_EQ(plans.size(), 4u);
  EXPECT_GT(plans["A"], plans["B"]);
  EXPECT_EQ(options.size(), 4u);
  EXPECT_GT(spouses, 50);
  EXPECT_GT(bigFamilies, 0);  // some sixth child pays its own premium
  EXPECT_GT(foreign, 0);
  EXPECT_GT(banked, 60);
  EXPECT_GT(result_.hamperMembers, 10);
  EXPECT_GT(result_.extended, 20);
}

TEST(DemoOffice, SecondSeedingIsRefusedAndChangesNothing) {
  Office office;
  ASSERT_TRUE(office.seed(20).ok);
  std::string before = office.dump();
  DemoResult again = office.seed(20);
  EXPECT_FALSE(again.ok);
  EXPECT_NE(again.message.find("already has 20 clients"), std::string::npos) << again.message;
  EXPECT_EQ(again.clients, 0);
  EXPECT_EQ(office.dump(), before);
}

TEST(DemoOffice, AFolderWithItsOwnListsIsRefusedBeforeAnythingIsWritten) {
  Office office;
  {
    FileManager& town = office.files.fm<rec::Town>();
    FileUse use(town);
    town.ClearBuffer();
    town.rec<rec::Town>().TOWN = "Musina";
    ASSERT_EQ(town.Insert(), kDone);
  }
  DemoResult r = office.seed(10);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("Town"), std::string::npos) << r.message;
  EXPECT_EQ(office.count("VelCli"), 0);
  EXPECT_EQ(office.count("Plan"), 0);
  EXPECT_EQ(office.count("Town"), 1);
}

TEST(DemoOffice, ClientsLockedByAnotherStationLeaveNoClientHalfWritten) {
  Office office;
  // Another station holds the write lock on the client file.
  test::ScriptedUi ui2;
  ErrorManager errors2(ui2);
  auto engine2 = test::makeEngineFor(office.dir.path());
  DataFiles station(office.dir.path(), *engine2, errors2);
  FileManager& theirs = station.fm<rec::VelCli>();
  FileUse use(theirs);
  std::unique_ptr<Transaction> lock;
  ASSERT_EQ(engine2->begin({theirs.engineFile()}, 0, lock), ecode::kNone);
  office.files.context().transactionTimeout = 0;

  DemoResult r = office.seed(30);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("could not be locked"), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("Seed the demo office again"), std::string::npos) << r.message;
  EXPECT_EQ(r.clients, 0);
  lock->rollback();
  EXPECT_EQ(office.count("VelCli"), 0);
  EXPECT_EQ(office.count("VelChd"), 0);
  EXPECT_EQ(office.count("Plan"), 17);  // the setup lists went in before
  ui2.verifyDone();

  // The next run finishes it: the same office a clean seeding makes.
  office.files.context().transactionTimeout = 2;
  ASSERT_TRUE(office.seed(30).ok);
  Office clean;
  ASSERT_TRUE(clean.seed(30).ok);
  EXPECT_EQ(office.dump(), clean.dump());
  EXPECT_FALSE(std::filesystem::exists(office.dir.file("DemoSeeding.Txt")));
}

TEST(DemoOffice, ASeedingThatStillRunsIsNotClearedByASecondOne) {
  Office office;
  ASSERT_TRUE(office.seed(5).ok);
  // The mark of a seeding under way in a live process (our parent's).
  std::ofstream(office.dir.file("DemoSeeding.Txt"))
      << "Process: " << ::getppid() << "\nMachine: " << hostName() << "\n";
  const std::string before = office.dump();
  DemoResult r = office.seed(5);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("already running"), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("DemoSeeding.Txt"), std::string::npos) << r.message;  // how to start clean
  EXPECT_EQ(office.dump(), before);
}

TEST(DemoOffice, ClientCountsOutsideOneToAHundredThousandAreRefused) {
  Office office;
  for (int n : {0, -3, kDemoMostClients + 1}) {
    DemoResult r = office.seed(n);
    EXPECT_FALSE(r.ok) << n;
    EXPECT_NE(r.message.find("1 to 100000"), std::string::npos) << r.message;
  }
  EXPECT_EQ(office.count("Plan"), 0);
}

// Client numbers from 10000 on take the digits they need; the ones before
// keep their four digits. Seeds past one transaction's worth of clients, so
// the groups join up without a gap or a repeat.
TEST(DemoOffice, ClientsPastNineThousandNineHundredAndNinetyNineGetFiveDigitNumbers) {
  Office office;
  DemoResult r = office.seed(10002, 20261208, 0);
  ASSERT_TRUE(r.ok) << r.message;
  FileManager& cli = office.files.fm<rec::VelCli>();
  FileUse use(cli);
  ASSERT_EQ(cli.Records(), 10002);
  std::set<std::string> ids;
  cli.SetOrder(kPhysicalOrder);
  std::int64_t expect = 1;
  while (cli.ReadNext() == kDone) {
    const auto& c = cli.rec<rec::VelCli>();
    ASSERT_EQ(c.NUMBER, expect++);
    const std::string id = c.CLIENT_ID.text();
    const std::string digits = id.substr(0, id.find('/'));
    EXPECT_EQ(digits.size(), c.NUMBER < 10000 ? 4u : 5u) << id;
    EXPECT_EQ(std::stoll(digits), c.NUMBER) << id;
    EXPECT_TRUE(ids.insert(id).second) << id;
  }
  EXPECT_EQ(expect, 10003);
}

TEST(DemoOffice, SameSeedGivesTheSameOfficeAndAnotherSeedAnother) {
  Office first, second, other;
  ASSERT_TRUE(first.seed(40).ok);
  ASSERT_TRUE(second.seed(40).ok);
  ASSERT_TRUE(other.seed(40, 7).ok);
  std::string a = first.dump();
  EXPECT_FALSE(a.empty());
  EXPECT_EQ(a, second.dump());
  EXPECT_NE(a, other.dump());
}

TEST(DemoOffice, CommissionComesFromTheOfficesCommissionStructure) {
  Office office;
  {
    FileManager& comm = office.files.fm<rec::CommStr>();
    FileUse use(comm);
    comm.ClearBuffer();
    comm.rec<rec::CommStr>().AGENT = 12.5;
    comm.rec<rec::CommStr>().COLL = 7.25;
    ASSERT_EQ(comm.Insert(), kDone);
  }
  ASSERT_TRUE(office.seed(5).ok);
  for (const auto& c : office.all<rec::VelCli>()) {
    EXPECT_DOUBLE_EQ(c.AGE_COMM, 12.5);
    EXPECT_DOUBLE_EQ(c.COL_COMM, 7.25);
  }
  EXPECT_EQ(office.count("CommStr"), 1);
}

}  // namespace
}  // namespace vel
