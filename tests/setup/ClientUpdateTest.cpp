// The two utilities that rewrite every policy holder: the commission
// structure and the agents' codes.
#include <algorithm>

#include "setup/CommissionUpdate.h"
#include "setup/SetupFixture.h"
#include "setup/UpdateAgents.h"
#include "support/FileDamage.h"
#include "support/Engines.h"

namespace vel::test {
namespace {

class CommissionUpdateTest : public SetupFixture {
 protected:
  void setStructure(double agent, double collector) {
    FileManager& f = files.fm<rec::CommStr>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::CommStr>().AGENT = agent;
    f.rec<rec::CommStr>().COLL = collector;
    ASSERT_EQ(kDone, f.Insert());
  }
};

TEST_F(CommissionUpdateTest, ReachesEveryClientPastAHundredAndTheBarMoves) {
  // More clients than one group, and more than 100: the bar's step per client
  // is then below one percent, and it must still move and end full.
  addClients(std::vector<Client>(650));
  setStructure(12.50, 6.25);

  const ClientRewriteResult r = Update_Commission(files, ui);
  EXPECT_TRUE(r.ok) << r.failure;
  EXPECT_EQ(650, r.read);
  EXPECT_EQ(650, r.written);
  const auto clients = all<rec::VelCli>();
  ASSERT_EQ(650u, clients.size());
  for (const auto& c : clients) {
    EXPECT_EQ(12.50, c.AGE_COMM.value) << c.CLIENT_ID.text();
    EXPECT_EQ(6.25, c.COL_COMM.value) << c.CLIENT_ID.text();
  }

  ASSERT_EQ(1u, ui.windows.size());
  const ShownProgress& w = *ui.windows[0];
  EXPECT_EQ("Commission Structure", w.title);
  EXPECT_EQ("Updating Clients, please wait ...", w.texts.front());
  EXPECT_TRUE(std::is_sorted(w.percents.begin(), w.percents.end()));
  EXPECT_GT(w.percents.size(), 50u);
  EXPECT_EQ(100, w.percents.back());
  EXPECT_FALSE(w.open);
}

TEST_F(CommissionUpdateTest, WithoutAStructureNothingChanges) {
  addClients(std::vector<Client>(3));
  ui.expect("Commission Structure", kOk);
  const ClientRewriteResult r = Update_Commission(files, ui);
  EXPECT_FALSE(r.ok);
  for (const auto& c : all<rec::VelCli>()) {
    EXPECT_EQ(10.0, c.AGE_COMM.value);
    EXPECT_EQ(5.0, c.COL_COMM.value);
  }
  EXPECT_TRUE(ui.windows.empty());
}

TEST_F(CommissionUpdateTest, ClientsHeldByAnotherStationAreReportedAndLeftAlone) {
  addClients(std::vector<Client>(5));
  setStructure(20, 8);
  files.context().transactionTimeout = 0;
  // Another station is in the middle of writing clients.
  std::unique_ptr<EngineFile> other;
  ASSERT_EQ(ecode::kNone, engine->open(layoutOf<rec::VelCli>(),
                                       files.fm<rec::VelCli>().path(), OpenMode{},
                                       kOwnerPassword, other));
  std::unique_ptr<Transaction> held;
  ASSERT_EQ(ecode::kNone, engine->begin({other.get()}, 0, held));

  ui.expect("Commission Structure", kOk);
  const ClientRewriteResult r = Update_Commission(files, ui);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(0, r.written);
  ASSERT_EQ(1u, ui.shown().size());
  EXPECT_NE(std::string::npos, ui.shown()[0].text.find("could not be locked"))
      << ui.shown()[0].text;
  held.reset();
  for (const auto& c : all<rec::VelCli>()) EXPECT_EQ(10.0, c.AGE_COMM.value);
}

TEST_F(CommissionUpdateTest, AStructureHeldByAnotherStationIsNotTakenForAMissingOne) {
  addClients(std::vector<Client>(3));
  setStructure(20, 8);
  FileManager& comm = files.fm<rec::CommStr>();
  FileUse open(comm);
  ASSERT_EQ(kDone, comm.EnsureOpen());
  ExclusiveLock other(comm.path());
  ASSERT_TRUE(other.take());

  ui.expect("Record not read", kOk);  // not "There is no commission structure to apply"
  const ClientRewriteResult r = Update_Commission(files, ui);
  other.release();
  EXPECT_FALSE(r.ok);
  ASSERT_EQ(1u, ui.shown().size());
  EXPECT_NE(std::string::npos, ui.shown()[0].text.find("the CommStr file")) << ui.shown()[0].text;
  EXPECT_TRUE(ui.windows.empty());
  for (const auto& c : all<rec::VelCli>()) EXPECT_EQ(10.0, c.AGE_COMM.value);
}

TEST_F(CommissionUpdateTest, ADamagedClientFileStopsTheUpdateNamingTheFile) {
  VEL_SQLITE_FILES_ONLY();
  addClients(std::vector<Client>(600));
  setStructure(10, 5);  // what the clients have: the walk only reads
  files.fm<rec::VelCli>().Close();
  ASSERT_GT(damagePages(files.fm<rec::VelCli>().path()), 0);

  ui.expect("Record Retrieval Error", kOk).expect("Commission Structure", kOk);
  const ClientRewriteResult r = Update_Commission(files, ui);
  EXPECT_FALSE(r.ok);
  EXPECT_LT(r.read, 600);
  ASSERT_EQ(2u, ui.shown().size());
  EXPECT_NE(std::string::npos, ui.shown()[0].text.find("the VelCli file")) << ui.shown()[0].text;
  EXPECT_NE(std::string::npos, ui.shown()[0].text.find("(36)")) << ui.shown()[0].text;
  EXPECT_NE(std::string::npos, ui.shown()[1].text.find("The update stopped")) << ui.shown()[1].text;
}

class UpdateAgentsTest : public SetupFixture {};

TEST_F(UpdateAgentsTest, ADamagedAgentFileChangesNoClient) {
  VEL_SQLITE_FILES_ONLY();
  // Matching clients against part of the agents would give some clients the
  // wrong code; the update stops before any client is touched.
  addClients({{"Agent", "Zanele", "OLD1"}});
  {
    FileManager& f = files.fm<rec::Agent>();
    FileUse use(f);
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(ecode::kNone, engine->begin({f.engineFile()}, 2, tx));
    for (int i = 1; i <= 400; ++i) {
      f.ClearBuffer();
      auto& a = f.rec<rec::Agent>();
      a.CODE = "A" + std::to_string(i);
      a.SURNAME = "Agent";
      a.FNAME = i == 400 ? "Zanele" : "Sipho";
      ASSERT_EQ(ecode::kNone, f.engineFile()->add(f.buffer()));
    }
    ASSERT_EQ(ecode::kNone, tx->commit());
  }
  files.fm<rec::Agent>().Close();
  ASSERT_GT(damagePages(files.fm<rec::Agent>().path()), 0);

  ui.expect("Record Retrieval Error", kOk);
  const ClientRewriteResult r = Update_Agents(files, ui);
  EXPECT_FALSE(r.ok);
  ASSERT_EQ(1u, ui.shown().size());
  EXPECT_NE(std::string::npos, ui.shown()[0].text.find("the Agent file")) << ui.shown()[0].text;
  EXPECT_EQ("OLD1", all<rec::VelCli>()[0].AGE_CODE.text());
}

TEST_F(UpdateAgentsTest, ClientsTakeTheCodeOfTheAgentOfTheirName) {
  addAgent("A001", "Mokoena", "Thabo");
  addAgent("A002", "Mokoena", "thabo");  // another name: case counts
  addAgent("A003", "Dlamini", "Sipho");
  addAgent("A004", "Dlamini", "Sipho");  // same name, later in the file
  addAgent("A005", "Nkosi", "Lindiwe");
  addClients({
      {"Mokoena   ", "Thabo  ", "OLD1"},  // trailing blanks do not count
      {"MOKOENA", "THABO", "OLD2"},       // matches no agent
      {"Mokoena", "thabo", "OLD3"},
      {"Dlamini", "Sipho", "OLD4"},
      {" Nkosi", "Lindiwe", "OLD5"},      // a leading blank does count
      {"", "", "OLD6"},                   // no agent named at all
      {"Nkosi", "Lindiwe", "A005"},       // has the code already
  });

  const ClientRewriteResult r = Update_Agents(files, ui);
  EXPECT_TRUE(r.ok) << r.failure;
  EXPECT_EQ(7, r.read);
  EXPECT_EQ(3, r.written);

  std::vector<std::string> codes;
  for (const auto& c : all<rec::VelCli>()) codes.push_back(c.AGE_CODE.text());
  // Applying the agents one by one in file order leaves the last one of a
  // name, A004, on its clients.
  EXPECT_EQ((std::vector<std::string>{"A001", "OLD2", "A002", "A004", "OLD5", "OLD6", "A005"}),
            codes);

  ASSERT_EQ(1u, ui.windows.size());
  const ShownProgress& w = *ui.windows[0];
  EXPECT_EQ("Policy Holder Update", w.title);
  EXPECT_EQ("Updating Policy Holders, please wait ...", w.texts.front());
  EXPECT_NE(w.texts.end(), std::find(w.texts.begin(), w.texts.end(),
                                     "Updating Policy Holders, please wait ...|Sipho Dlamini"));
  EXPECT_EQ(100, w.percents.back());
}

TEST_F(UpdateAgentsTest, WithoutAgentsEveryClientKeepsItsCode) {
  addClients({{"Mokoena", "Thabo", "OLD1"}});
  const ClientRewriteResult r = Update_Agents(files, ui);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(0, r.written);
  EXPECT_EQ("OLD1", all<rec::VelCli>()[0].AGE_CODE.text());
}

}  // namespace
}  // namespace vel::test
