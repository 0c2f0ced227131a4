// Each record engine against the capabilities the program relies on.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>

#include "dictionary/Dictionary.h"
#include "errors/EngineStatus.h"
#include "recordstore/Engine.h"
#include "support/Engines.h"
#include "support/TempDir.h"

namespace vel {
namespace {

class EngineTest : public ::testing::TestWithParam<test::EngineKind> {
 protected:
  std::unique_ptr<EngineFile> openNew(const Layout& l, const std::string& name,
                                      std::string_view owner = "MapleCourt") {
    std::string p = dir.file(name);
    EXPECT_EQ(engine->create(l, p, owner), 0);
    std::unique_ptr<EngineFile> f;
    EXPECT_EQ(engine->open(l, p, OpenMode{}, owner, f), 0) << engineStatus().text;
    return f;
  }
  std::unique_ptr<EngineFile> reopen(const Layout& l, const std::string& name) {
    std::unique_ptr<EngineFile> f;
    EXPECT_EQ(engine->open(l, dir.file(name), OpenMode{}, "MapleCourt", f), 0);
    return f;
  }

  test::TempDir dir;
  test::OnEngine onEngine{GetParam()};
  std::unique_ptr<Engine> engine = test::makeEngineFor(dir.path(), GetParam());
};

// Reads the whole file forward in `key` order, returning one field per record.
std::vector<std::string> walk(EngineFile& f, int key, const char* field, bool forward = true) {
  const Layout& l = f.layout();
  RecordBuffer r(l);
  std::vector<std::string> out;
  EXPECT_EQ(f.setOrder(key), 0);
  while ((forward ? f.next(r.get()) : f.previous(r.get())) == 0)
    out.push_back(r.field(l.fieldIndex(field)).display());
  EXPECT_EQ(engineStatus().code, ecode::kNoRecord);
  return out;
}

TEST_P(EngineTest, OpenRefusesMissingForeignAndOtherLayoutFiles) {
  const Layout& town = layoutOf<rec::Town>();
  std::unique_ptr<EngineFile> f;
  EXPECT_EQ(engine->open(town, dir.file("Town.Tps"), OpenMode{}, "MapleCourt", f),
            ecode::kFileNotFound);

  openNew(town, "Town.Tps");
  EXPECT_EQ(engine->open(town, dir.file("Town.Tps"), OpenMode{}, "SomeoneElse", f), ecode::kBadOwner);
  EXPECT_NE(engineStatus().text.find("Owner"), std::string::npos);
  // A file laid out for another record declaration answers 47.
  EXPECT_EQ(engine->open(layoutOf<rec::Route>(), dir.file("Town.Tps"), OpenMode{}, "MapleCourt", f),
            ecode::kInvalidLayout);
}

TEST_P(EngineTest, FileThatIsNoRecordFileIsRefused) {
  VEL_SQLITE_FILES_ONLY();
  const Layout& town = layoutOf<rec::Town>();
  std::unique_ptr<EngineFile> f;
  FILE* junk = std::fopen(dir.file("Junk.Tps").c_str(), "w");
  std::fputs("not a record file, just text that is long enough to be read as a header", junk);
  std::fclose(junk);
  EXPECT_EQ(engine->open(town, dir.file("Junk.Tps"), OpenMode{}, "MapleCourt", f), ecode::kInvalidFile);
}

TEST_P(EngineTest, ReadOnlyOpenReadsButNeverWrites) {
  const Layout& town = layoutOf<rec::Town>();
  auto rw = openNew(town, "Town.Tps");
  rec::Town t;
  t.TOWN = "Modimolle";
  ASSERT_EQ(rw->add(&t), 0);
  std::unique_ptr<EngineFile> ro;
  ASSERT_EQ(engine->open(town, dir.file("Town.Tps"), OpenMode{Access::ReadOnly, Share::DenyNone},
                         "MapleCourt", ro),
            0);
  EXPECT_EQ(walk(*ro, 0, "TOWN"), (std::vector<std::string>{"Modimolle"}));
  ASSERT_EQ(ro->setOrder(0), 0);
  ASSERT_EQ(ro->next(&t), 0);
  t.TOWN = "Nylstroom";
  EXPECT_EQ(ro->put(&t), ecode::kAccessDenied);
  EXPECT_EQ(ro->add(&t), ecode::kAccessDenied);
  EXPECT_EQ(walk(*rw, 0, "TOWN"), (std::vector<std::string>{"Modimolle"}));
  // Only shared opening is offered; a request to deny others is refused, not ignored.
  EXPECT_EQ(engine->open(town, dir.file("Town.Tps"), OpenMode{Access::ReadWrite, Share::DenyWrite},
                         "MapleCourt", ro),
            ecode::kNotSupported);
}

TEST_P(EngineTest, CreateKeepsAFileAnotherStationMadeFirst) {
  const Layout& town = layoutOf<rec::Town>();
  auto f = openNew(town, "Town.Tps");
  rec::Town t;
  t.TOWN = "Polokwane";
  ASSERT_EQ(f->add(&t), 0);
  EXPECT_EQ(engine->create(town, dir.file("Town.Tps"), "MapleCourt"), 0);
  std::int64_t n = 0;
  ASSERT_EQ(f->records(n), 0);
  EXPECT_EQ(n, 1);
}

TEST_P(EngineTest, MissingKeyIsReportedAndRebuilt) {
  VEL_SQLITE_FILES_ONLY();
  const Layout& l = layoutOf<rec::Agent>();
  { openNew(l, "Agent.Tps"); }
  sqlite3* db;
  ASSERT_EQ(sqlite3_open(dir.file("Agent.Tps").c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "DROP INDEX k_KeySurname", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  std::unique_ptr<EngineFile> f;
  EXPECT_EQ(engine->open(l, dir.file("Agent.Tps"), OpenMode{}, "MapleCourt", f), ecode::kInvalidKeys);
  EXPECT_EQ(engine->repairKeys(l, dir.file("Agent.Tps"), "MapleCourt"), 0);
  EXPECT_EQ(engine->open(l, dir.file("Agent.Tps"), OpenMode{}, "MapleCourt", f), 0);
  EXPECT_EQ(f->option("FULLBUILD=ON"), 0);
  EXPECT_EQ(f->buildKeys(false), 0);
  EXPECT_EQ(f->option("Recover=10"), 0);
  EXPECT_EQ(f->option("Colour=blue"), ecode::kNotSupported);
}

// Options are taken whatever the case of their names; a page size that is
// no whole number, or an option the engine lacks, is refused and changes
// nothing.
TEST_P(EngineTest, OptionsInAnyCaseAndBadPageSizesRefused) {
  auto f = openNew(layoutOf<rec::Agent>(), "Agent.Tps");
  for (const char* opt : {"fullbuild=on", "FULLBUILD=Off", "recover=30", "Recover=0", "PAGE=60",
                          "page=0", "Page=1"})
    EXPECT_EQ(f->option(opt), 0) << opt;
  for (const char* opt : {"PAGE=", "PAGE=-3", "PAGE=12x", "PAGE=99999999999", "SIZE=4"})
    EXPECT_EQ(f->option(opt), ecode::kNotSupported) << opt;
  // PAGE=1 still stands after the refusals: a walk reads every record.
  const char* ids[] = {"A1", "A2", "A3"};
  for (const char* id : ids) {
    rec::Agent a;
    a.CODE = id;
    a.SURNAME = "Mokoena";
    ASSERT_EQ(f->add(&a), 0) << engineStatus().text;
  }
  rec::Agent a;
  int n = 0;
  ASSERT_EQ(f->setOrder(kPhysicalOrder), 0);
  while (f->next(&a) == 0) ++n;
  EXPECT_EQ(n, 3);
}

TEST_P(EngineTest, KeysIgnoreCaseAndTrailingBlanksAndKeepDuplicatesInArrivalOrder) {
  auto f = openNew(layoutOf<rec::Agent>(), "Agent.Tps");
  const char* rows[][2] = {{"A3", "mokoena"}, {"a1", "Dlamini  "}, {"A2", "MOKOENA"}, {"A4", "ndlovu"}};
  for (auto& r : rows) {
    rec::Agent a;
    a.CODE = r[0];
    a.SURNAME = r[1];
    ASSERT_EQ(f->add(&a), 0) << engineStatus().text;
  }
  int bySurname = layoutOf<rec::Agent>().keyIndex("KeySurname");
  EXPECT_EQ(walk(*f, bySurname, "CODE"), (std::vector<std::string>{"a1", "A3", "A2", "A4"}));
  EXPECT_EQ(walk(*f, bySurname, "CODE", false), (std::vector<std::string>{"A4", "A2", "A3", "a1"}));

  // Get by key finds "Dlamini" typed in any case, with or without blanks.
  rec::Agent probe;
  probe.SURNAME = "DLAMINI   ";
  ASSERT_EQ(f->get(bySurname, &probe), 0);
  EXPECT_EQ(probe.CODE, "a1");
  EXPECT_EQ(probe.SURNAME, "Dlamini");  // stored without its trailing blanks

  // The unique code key refuses "A1" beside "a1".
  rec::Agent dup;
  dup.CODE = "A1";
  EXPECT_EQ(f->add(&dup), ecode::kDuplicateKey);
  bool clash = false;
  EXPECT_EQ(f->duplicateOn(layoutOf<rec::Agent>().keyIndex("KeyCode"), &dup, "", clash), 0);
  EXPECT_TRUE(clash);
}

TEST_P(EngineTest, KeysThatExcludeEmptyValuesLeaveBlankRecordsOut) {
  const Layout& l = layoutOf<rec::VelCli>();
  auto f = openNew(l, "VelCli.Tps");
  for (const char* id : {"", "0002/ABC", "", "0001/XYZ"}) {
    rec::VelCli c;
    c.CLIENT_ID = id;
    c.SURNAME = std::string("S") + id;
    ASSERT_EQ(f->add(&c), 0) << engineStatus().text;  // blank ids never clash
  }
  int byClient = l.keyIndex("By_Client");
  EXPECT_EQ(walk(*f, byClient, "CLIENT_ID"), (std::vector<std::string>{"0001/XYZ", "0002/ABC"}));
  EXPECT_EQ(walk(*f, kPhysicalOrder, "CLIENT_ID").size(), 4u);
  rec::VelCli blank;
  EXPECT_EQ(f->get(byClient, &blank), ecode::kRecordNotFound);
  // By_Street keeps empty values: clients without a street come first.
  EXPECT_EQ(walk(*f, l.keyIndex("By_Street"), "CLIENT_ID").size(), 4u);
}

TEST_P(EngineTest, ReadsOnFromAnyPositionInBothDirections) {
  const Layout& l = layoutOf<rec::Holiday>();
  auto f = openNew(l, "Holiday.Tps");
  for (int d = 1; d <= 200; ++d) {  // a page boundary or two inside
    rec::Holiday h;
    h.DATE = 50000 + (d * 37) % 200;
    h.DESCRIPTION = "Day " + std::to_string(d);
    ASSERT_EQ(f->add(&h), 0);
  }
  int byDate = l.keyIndex("By_Date");
  rec::Holiday h;
  h.DATE = 50100;
  ASSERT_EQ(f->setOrderAt(byDate, &h), 0);
  ASSERT_EQ(f->next(&h), 0);
  EXPECT_EQ(h.DATE, 50100);
  ASSERT_EQ(f->next(&h), 0);
  EXPECT_EQ(h.DATE, 50101);
  ASSERT_EQ(f->previous(&h), 0);  // turning round reads back from where we stand
  EXPECT_EQ(h.DATE, 50100);

  // A position taken here comes back after reading elsewhere.
  std::string pos = f->position();
  EXPECT_LE(pos.size(), 1024u);
  ASSERT_EQ(f->setOrder(byDate), 0);
  ASSERT_EQ(f->previous(&h), 0);
  EXPECT_EQ(h.DATE, 50199);
  ASSERT_EQ(f->reget(pos, &h), 0);
  EXPECT_EQ(h.DATE, 50100);
  ASSERT_EQ(f->next(&h), 0);
  EXPECT_EQ(h.DATE, 50101);
  ASSERT_EQ(f->resetTo(pos), 0);
  ASSERT_EQ(f->previous(&h), 0);
  EXPECT_EQ(h.DATE, 50099);

  // Setting order at values between records, and past the end.
  h.DATE = 60000;
  ASSERT_EQ(f->setOrderAt(byDate, &h), 0);
  EXPECT_EQ(f->next(&h), ecode::kNoRecord);
  ASSERT_EQ(f->previous(&h), 0);
  EXPECT_EQ(h.DATE, 50199);
}

TEST_P(EngineTest, DeletingTheCurrentRecordKeepsTheWalkGoing) {
  const Layout& l = layoutOf<rec::Town>();
  auto f = openNew(l, "Town.Tps");
  for (const char* t : {"A", "B", "C", "D"}) {
    rec::Town r;
    r.TOWN = t;
    ASSERT_EQ(f->add(&r), 0);
  }
  rec::Town r;
  ASSERT_EQ(f->setOrder(0), 0);
  std::string seen;
  while (f->next(&r) == 0) {
    seen += r.TOWN.text();
    if (r.TOWN == "B" || r.TOWN == "C") {
      ASSERT_EQ(f->erase(), 0);
    }
  }
  EXPECT_EQ(seen, "ABCD");
  EXPECT_EQ(walk(*f, 0, "TOWN"), (std::vector<std::string>{"A", "D"}));
}

TEST_P(EngineTest, WatchedRecordChangedByAnotherStationIsNotOverwritten) {
  const Layout& l = layoutOf<rec::Route>();
  auto mine = openNew(l, "Route.Tps");
  rec::Route r;
  r.ROUTE = "North";
  r.DESCRIPTION = "first";
  ASSERT_EQ(mine->add(&r), 0);
  auto theirs = reopen(l, "Route.Tps");

  rec::Route a, b;
  a.ROUTE = "North";
  b.ROUTE = "North";
  ASSERT_EQ(mine->get(0, &a), 0);
  ASSERT_EQ(mine->watch(), 0);
  ASSERT_EQ(theirs->get(0, &b), 0);
  b.DESCRIPTION = "theirs";
  ASSERT_EQ(theirs->put(&b), 0);

  a.DESCRIPTION = "mine";
  EXPECT_EQ(mine->put(&a), ecode::kChanged);
  ASSERT_EQ(mine->reget(mine->position(), &a), 0);
  EXPECT_EQ(a.DESCRIPTION, "theirs");
  // Watched again on the new version, the save goes through.
  ASSERT_EQ(mine->watch(), 0);
  a.DESCRIPTION = "mine";
  EXPECT_EQ(mine->put(&a), 0);
  // Unwatched, a put is refused just the same: it never overwrites a change
  // it did not see.
  EXPECT_EQ(theirs->put(&b), ecode::kChanged);
  ASSERT_EQ(theirs->reget(theirs->position(), &b), 0);
  EXPECT_EQ(b.DESCRIPTION, "mine");
}

TEST_P(EngineTest, ValuesThatDoNotFitAreRefusedAndTheFileKeepsItsRecord) {
  const Layout& l = layoutOf<rec::Cashbox>();
  auto f = openNew(l, "Cashbox.Tps");
  rec::Cashbox c;
  c.CODE = "AG1";
  c.R200 = 12;
  ASSERT_EQ(f->add(&c), 0);

  struct Case {
    const char* what;
    void (*spoil)(rec::Cashbox&);
    const char* field;
  } cases[] = {
      {"SHORT over 32767", [](rec::Cashbox& x) { x.R100 = 40000; }, "R100"},
      {"SHORT under -32768", [](rec::Cashbox& x) { x.C01 = -40000; }, "C01"},
      {"LONG over its range", [](rec::Cashbox& x) { x.START = 5000000000LL; }, "START"},
      {"text wider than 5", [](rec::Cashbox& x) { x.CODE = "AGENT7"; }, "CODE"},
      {"amount not a number", [](rec::Cashbox& x) { x.IN_TOTAL = std::nan(""); }, "IN_TOTAL"},
  };
  for (const auto& cs : cases) {
    rec::Cashbox bad = c;
    cs.spoil(bad);
    EXPECT_EQ(f->put(&bad), ecode::kValueDoesNotFit) << cs.what;
    EXPECT_NE(engineStatus().text.find(cs.field), std::string::npos) << engineStatus().text;
    EXPECT_EQ(f->add(&bad), ecode::kValueDoesNotFit) << cs.what;
  }
  rec::Cashbox back;
  back.CODE = "AG1";
  ASSERT_EQ(f->get(l.keyIndex("By_Code"), &back), 0);
  EXPECT_EQ(back.R200, 12);
  EXPECT_EQ(back.R100, 0);
  std::int64_t n = 0;
  ASSERT_EQ(f->records(n), 0);
  EXPECT_EQ(n, 1);
  // The largest values that do fit are stored as they are.
  c.R100 = 32767;
  c.C01 = -32768;
  ASSERT_EQ(f->put(&c), 0);
}

TEST_P(EngineTest, CalendarDatesRoundTripAsDayNumbers) {
  const Layout& l = layoutOf<rec::VelInv>();
  auto f = openNew(l, "VelInv.Tps");
  rec::VelInv inv;
  inv.CLIENT_ID = "0001/ABC";
  inv.DATE = 46000;
  inv.DEBIT = 150.25;
  ASSERT_EQ(f->add(&inv), 0);
  inv.DATE = 0;
  ASSERT_EQ(f->add(&inv), 0);
  rec::VelInv back;
  ASSERT_EQ(f->setOrder(kPhysicalOrder), 0);
  ASSERT_EQ(f->next(&back), 0);
  EXPECT_EQ(back.DATE, 46000);
  EXPECT_DOUBLE_EQ(back.DEBIT, 150.25);
  ASSERT_EQ(f->next(&back), 0);
  EXPECT_EQ(back.DATE, 0);
}

TEST_P(EngineTest, TransactionOverSeveralFilesCommitsAllOrNothing) {
  auto towns = openNew(layoutOf<rec::Town>(), "Town.Tps");
  auto routes = openNew(layoutOf<rec::Route>(), "Route.Tps");
  auto count = [](EngineFile& f) {
    std::int64_t n = -1;
    f.records(n);
    return n;
  };
  {
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(engine->begin({towns.get(), routes.get()}, 2, tx), 0) << engineStatus().text;
    rec::Town t;
    t.TOWN = "Tzaneen";
    ASSERT_EQ(towns->add(&t), 0);
    rec::Route r;
    r.ROUTE = "East";
    ASSERT_EQ(routes->add(&r), 0);
    EXPECT_EQ(count(*towns), 1);  // the transaction sees its own work
    // Destroyed without commit: rolled back.
  }
  EXPECT_EQ(count(*towns), 0);
  EXPECT_EQ(count(*routes), 0);
  {
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(engine->begin({routes.get(), towns.get()}, 2, tx), 0);
    rec::Town t;
    t.TOWN = "Tzaneen";
    ASSERT_EQ(towns->add(&t), 0);
    rec::Route r;
    r.ROUTE = "East";
    ASSERT_EQ(routes->add(&r), 0);
    ASSERT_EQ(tx->commit(), 0);
  }
  EXPECT_EQ(count(*towns), 1);
  EXPECT_EQ(count(*routes), 1);
  EXPECT_EQ(walk(*towns, 0, "TOWN"), (std::vector<std::string>{"Tzaneen"}));
}

TEST_P(EngineTest, TransactionGivesUpWhenAnotherHoldsTheLock) {
  auto mine = openNew(layoutOf<rec::Town>(), "Town.Tps");
  auto theirs = reopen(layoutOf<rec::Town>(), "Town.Tps");
  std::unique_ptr<Transaction> held, waiting;
  ASSERT_EQ(engine->begin({theirs.get()}, 2, held), 0);
  EXPECT_EQ(engine->begin({mine.get()}, 0, waiting), ecode::kLockTimeout);
  EXPECT_FALSE(waiting);
  ASSERT_EQ(held->commit(), 0);
  EXPECT_EQ(engine->begin({mine.get()}, 0, waiting), 0);
}

TEST_P(EngineTest, SavedCursorComesBackAfterAnInnerWalk) {
  const Layout& l = layoutOf<rec::Town>();
  auto f = openNew(l, "Town.Tps");
  for (const char* t : {"A", "B", "C"}) {
    rec::Town r;
    r.TOWN = t;
    ASSERT_EQ(f->add(&r), 0);
  }
  rec::Town r;
  ASSERT_EQ(f->setOrder(0), 0);
  ASSERT_EQ(f->next(&r), 0);
  auto saved = f->saveCursor();
  EXPECT_EQ(walk(*f, 0, "TOWN").size(), 3u);
  f->restoreCursor(saved);
  ASSERT_EQ(f->next(&r), 0);
  EXPECT_EQ(r.TOWN, "B");
}

INSTANTIATE_TEST_SUITE_P(Engines, EngineTest, test::bothEngines(), test::engineParamName);

}  // namespace
}  // namespace vel
