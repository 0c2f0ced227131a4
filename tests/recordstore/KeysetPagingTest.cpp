// Reading in key order through long runs of equal key values: every page
// seeks straight to its (key, id) place, and the walk gives every record once
// in key order, forwards and backwards, across page boundaries and turns.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "dictionary/Dictionary.h"
#include "errors/EngineStatus.h"
#include "recordstore/Engine.h"
#include "support/Engines.h"
#include "support/TempDir.h"

namespace vel {
namespace {

class KeysetPagingTest : public ::testing::TestWithParam<test::EngineKind> {
 protected:
  std::unique_ptr<EngineFile> openNew(const Layout& l) {
    std::string p = dir.file(l.label() + ".Tps");
    EXPECT_EQ(engine->create(l, p, "MapleCourt"), 0);
    std::unique_ptr<EngineFile> f;
    EXPECT_EQ(engine->open(l, p, OpenMode{}, "MapleCourt", f), 0) << engineStatus().text;
    return f;
  }
  test::TempDir dir;
  test::OnEngine onEngine{GetParam()};
  std::unique_ptr<Engine> engine = test::makeEngineFor(dir.path(), GetParam());
};

TEST_P(KeysetPagingTest, EveryPageOfEveryKeyIsASeekInTheKeysIndex) {
  VEL_SQLITE_FILES_ONLY();
  for (const Layout* l : {&layoutOf<rec::VelCli>(), &layoutOf<rec::VelPay>(),
                          &layoutOf<rec::VelTra>(), &layoutOf<rec::Agent>()}) {
    auto f = openNew(*l);
    for (int k = 0; k < static_cast<int>(l->keys().size()); ++k) {
      const std::string index = "INDEX k_" + l->keys()[static_cast<std::size_t>(k)].name;
      for (const std::string& plan : sqliteReadPlans(*f, k)) {
        SCOPED_TRACE(l->label() + " " + plan);
        // The first and last pages read the index from one end; every other
        // read seeks into it.
        bool fromAnEnd = plan.rfind("first", 0) == 0 || plan.rfind("last", 0) == 0;
        if (!fromAnEnd) {
          EXPECT_EQ(plan.find("SCAN"), std::string::npos);
        }
        EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos);
        std::size_t at = plan.find(index);
        ASSERT_NE(at, std::string::npos);
        at += index.size();
        EXPECT_TRUE(at == plan.size() || plan[at] == ' ' || plan[at] == ';');  // this key's own
        if (plan.rfind("run forward", 0) == 0) {
          EXPECT_NE(plan.find("rowid>?"), std::string::npos);
        }
        if (plan.rfind("run backward", 0) == 0) {
          EXPECT_NE(plan.find("rowid<?"), std::string::npos);
        }
      }
    }
    for (const std::string& plan : sqliteReadPlans(*f, kPhysicalOrder))
      EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;
  }
}

// Payments on three dates in long runs, and some without a date, which the
// date key leaves out.
struct Payments {
  std::vector<std::pair<std::int64_t, std::int64_t>> byDate;  // (date, arrival number), sorted
};

Payments addPayments(Engine& engine, EngineFile& f) {
  Payments p;
  rec::VelPay r;
  std::unique_ptr<Transaction> tx;
  EXPECT_EQ(engine.begin({&f}, 2, tx), 0);
  for (int i = 0; i < 3300; ++i) {
    r = rec::VelPay{};
    r.CLIENT_ID = std::to_string(i);
    r.DATE = i % 11 == 0 ? 0 : 46000 + (i * 7) % 3;
    r.CREDIT = i;
    EXPECT_EQ(f.add(&r), 0);
    if (r.DATE != 0) p.byDate.emplace_back(r.DATE, i);
  }
  EXPECT_EQ(tx->commit(), 0);
  std::sort(p.byDate.begin(), p.byDate.end());
  return p;
}

std::pair<std::int64_t, std::int64_t> seen(const rec::VelPay& r) {
  return {r.DATE, static_cast<std::int64_t>(r.CREDIT)};
}

TEST_P(KeysetPagingTest, WalksThroughRunsOfEqualDatesGiveEveryRecordOnceInOrder) {
  auto f = openNew(layoutOf<rec::VelPay>());
  Payments p = addPayments(*engine, *f);
  const int byDate = layoutOf<rec::VelPay>().keyIndex("By_Date");
  rec::VelPay r;

  std::vector<std::pair<std::int64_t, std::int64_t>> fwd, back;
  ASSERT_EQ(f->setOrder(byDate), 0);
  while (f->next(&r) == 0) fwd.push_back(seen(r));
  EXPECT_EQ(engineStatus().code, ecode::kNoRecord);
  EXPECT_EQ(fwd, p.byDate);
  ASSERT_EQ(f->setOrder(byDate), 0);
  while (f->previous(&r) == 0) back.push_back(seen(r));
  std::reverse(back.begin(), back.end());
  EXPECT_EQ(back, p.byDate);

  // From a date on, and up to it: the run of that date is whole on both sides.
  rec::VelPay at;
  at.DATE = 46001;
  auto firstOf = std::lower_bound(p.byDate.begin(), p.byDate.end(), std::pair<std::int64_t, std::int64_t>(46001, 0));
  auto pastIt = std::lower_bound(p.byDate.begin(), p.byDate.end(), std::pair<std::int64_t, std::int64_t>(46002, 0));
  std::vector<std::pair<std::int64_t, std::int64_t>> from, upTo;
  ASSERT_EQ(f->setOrderAt(byDate, &at), 0);
  while (f->next(&r) == 0) from.push_back(seen(r));
  EXPECT_EQ(from, decltype(from)(firstOf, p.byDate.end()));
  ASSERT_EQ(f->setOrderAt(byDate, &at), 0);
  while (f->previous(&r) == 0) upTo.push_back(seen(r));
  std::reverse(upTo.begin(), upTo.end());
  EXPECT_EQ(upTo, decltype(upTo)(p.byDate.begin(), pastIt));

  // Turning inside a run, past several pages: back reads the record before
  // the last one handed out, and forward again the one after it.
  ASSERT_EQ(f->setOrder(byDate), 0);
  for (int i = 0; i < 1500; ++i) ASSERT_EQ(f->next(&r), 0);
  ASSERT_EQ(f->previous(&r), 0);
  EXPECT_EQ(seen(r), p.byDate[1498]);
  ASSERT_EQ(f->next(&r), 0);
  EXPECT_EQ(seen(r), p.byDate[1499]);
  // And from a saved position in the middle of a run.
  std::string pos = f->position();
  ASSERT_EQ(f->resetTo(pos), 0);
  ASSERT_EQ(f->next(&r), 0);
  EXPECT_EQ(seen(r), p.byDate[1500]);
  ASSERT_EQ(f->resetTo(pos), 0);
  ASSERT_EQ(f->previous(&r), 0);
  EXPECT_EQ(seen(r), p.byDate[1498]);
}

TEST_P(KeysetPagingTest, RunsOfEqualSurnamesOfTwoPartKeyIgnoreCaseAndAreWalkedWhole) {
  const Layout& l = layoutOf<rec::VelCli>();
  auto f = openNew(l);
  const int byName = l.keyIndex("By_Name");
  // Surname runs in mixed case; initials split each run further.
  const char* surnames[] = {"Dlamini", "DLAMINI", "Mokoena", "mokoena", "Nkosi"};
  std::vector<std::tuple<std::string, std::string, int>> expect;
  rec::VelCli c;
  std::unique_ptr<Transaction> tx;
  ASSERT_EQ(engine->begin({f.get()}, 2, tx), 0);
  for (int i = 0; i < 2000; ++i) {
    c = rec::VelCli{};
    c.NUMBER = i;
    c.SURNAME = surnames[i % 5];
    c.INITIALS = i % 3 == 0 ? "T" : "S";
    ASSERT_EQ(f->add(&c), 0);
    std::string folded = surnames[i % 5];
    std::transform(folded.begin(), folded.end(), folded.begin(), ::toupper);
    expect.emplace_back(folded, c.INITIALS.str(), i);
  }
  ASSERT_EQ(tx->commit(), 0);
  std::sort(expect.begin(), expect.end());
  std::vector<int> want, got;
  for (const auto& e : expect) want.push_back(std::get<2>(e));

  ASSERT_EQ(f->setOrder(byName), 0);
  while (f->next(&c) == 0) got.push_back(static_cast<int>(c.NUMBER));
  EXPECT_EQ(got, want);
  got.clear();
  ASSERT_EQ(f->setOrder(byName), 0);
  while (f->previous(&c) == 0) got.push_back(static_cast<int>(c.NUMBER));
  std::reverse(got.begin(), got.end());
  EXPECT_EQ(got, want);
}

// A reader that says how many records it wants (PAGE=N) changes only how
// many rows each page brings: the walk from the start, and the walk from
// given values (their whole run, then what follows), give the same records
// in the same order for any N, and PAGE=0 goes back to the engine's pages.
TEST_P(KeysetPagingTest, PagesOfTheSizeAReaderAsksForGiveTheSameWalk) {
  const Layout& l = layoutOf<rec::VelCli>();
  auto f = openNew(l);
  const int byName = l.keyIndex("By_Name");
  const char* surnames[] = {"Dlamini", "dlamini", "Mokoena", "Nkosi", "NKOSI", "Zulu"};
  rec::VelCli c;
  std::unique_ptr<Transaction> tx;
  ASSERT_EQ(engine->begin({f.get()}, 2, tx), 0);
  for (int i = 0; i < 600; ++i) {
    c = rec::VelCli{};
    c.NUMBER = i;
    c.SURNAME = surnames[i % 6];
    c.INITIALS = i % 4 == 0 ? "A" : "B";
    ASSERT_EQ(f->add(&c), 0);
  }
  ASSERT_EQ(tx->commit(), 0);

  auto walk = [&](bool forward, const char* from) {
    std::vector<int> got;
    if (from) {
      c = rec::VelCli{};
      c.SURNAME = from;
      EXPECT_EQ(f->setOrderAt(byName, &c), 0);
    } else {
      EXPECT_EQ(f->setOrder(byName), 0);
    }
    while ((forward ? f->next(&c) : f->previous(&c)) == 0) got.push_back(static_cast<int>(c.NUMBER));
    return got;
  };
  struct Case { bool forward; const char* from; };
  const Case cases[] = {{true, nullptr}, {false, nullptr}, {true, "nkosi"}, {false, "Nkosi"},
                        {true, "Mzz"}, {false, "Mzz"}};
  for (const Case& k : cases) {
    ASSERT_EQ(f->option("PAGE=0"), 0);
    const std::vector<int> want = walk(k.forward, k.from);
    ASSERT_FALSE(want.empty());
    for (const char* page : {"PAGE=1", "PAGE=7", "page=60", "PAGE=100000"}) {
      SCOPED_TRACE(std::string(page) + (k.forward ? " forward" : " backward") + " from " +
                   (k.from ? k.from : "the start"));
      ASSERT_EQ(f->option(page), 0);
      EXPECT_EQ(walk(k.forward, k.from), want);
    }
  }
  // From values: forward, the run of those values first (either case,
  // initials in order, then by id); backward, what comes before them.
  ASSERT_EQ(f->option("PAGE=0"), 0);
  c = rec::VelCli{};
  c.SURNAME = "NKOSI";
  ASSERT_EQ(f->setOrderAt(byName, &c), 0);
  ASSERT_EQ(f->next(&c), 0);
  EXPECT_EQ(c.NUMBER, 4);  // NKOSI A, the run's first by initials and id
  c = rec::VelCli{};
  c.SURNAME = "nkosi";
  ASSERT_EQ(f->setOrderAt(byName, &c), 0);
  ASSERT_EQ(f->previous(&c), 0);
  EXPECT_EQ(c.NUMBER, 590);  // Mokoena B, the last before the run
}

INSTANTIATE_TEST_SUITE_P(Engines, KeysetPagingTest, test::bothEngines(), test::engineParamName);

}  // namespace
}  // namespace vel
