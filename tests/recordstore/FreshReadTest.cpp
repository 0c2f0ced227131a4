// A record handed out by a walk is the record as the file holds it at that
// moment, and a put after a walk never overwrites a change it did not see:
// a walk that puts every client back runs while other stations (real
// processes) save changes to the same clients.
#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <random>

#include "Processes.h"
#include "StoreFixture.h"
#include "errors/EngineStatus.h"

namespace vel {
namespace {

constexpr int kClients = 5000;
constexpr int kEvery = 250;  // the walk stops for the test's own changes at every 250th client

std::string clientId(int number) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "C%05d", number);
  return buf;
}

class FreshReadTest : public test::EngineStoreFixture {
 protected:
  // Thousands of single-record commits: on a memory-backed folder when the
  // machine has one, so the test measures sharing, not the disk's syncs.
  static void SetUpTestSuite() {
    const char* old = std::getenv("TMPDIR");
    savedTmp_ = old ? std::optional<std::string>(old) : std::nullopt;
    if (::access("/dev/shm", W_OK) == 0) ::setenv("TMPDIR", "/dev/shm", 1);
  }
  static void TearDownTestSuite() {
    if (savedTmp_) ::setenv("TMPDIR", savedTmp_->c_str(), 1);
    else ::unsetenv("TMPDIR");
  }
  static inline std::optional<std::string> savedTmp_;

  void addClients() {
    FileManager& cli = files.fm<rec::VelCli>();
    FileUse use(cli);
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(engine->begin({cli.engineFile()}, 2, tx), 0);
    for (int n = 1; n <= kClients; ++n) {
      cli.ClearBuffer();
      auto& c = cli.rec<rec::VelCli>();
      c.NUMBER = n;
      c.CLIENT_ID = clientId(n);
      c.SURNAME = "Mokoena";
      c.PHONE_CELL = "082 000 0000";
      c.REMARKS = std::string(400, 'r');  // a client as wide as a real one
      ASSERT_EQ(cli.engineFile()->add(cli.buffer()), 0) << engineStatus().text;
    }
    ASSERT_EQ(tx->commit(), 0);
  }

  // Saves `phone` on client `number` as a form would, again after another
  // station's change got in between. True when saved.
  static bool savePhone(FileManager& cli, int number, const std::string& phone) {
    auto& c = cli.rec<rec::VelCli>();
    for (int attempt = 0; attempt < 50; ++attempt) {
      cli.ClearBuffer();
      c.CLIENT_ID = clientId(number);
      if (cli.TryGetByKey(cli.keyIndex("By_Client")) != kDone) return false;
      c.PHONE_CELL = phone;
      if (cli.TryUpdate() == kDone) return true;
      if (cli.LastEngineCode() != ecode::kChanged) return false;
    }
    return false;
  }
};

// The walk marks every client (DAY5) and puts it back; on "changed by another
// station" the buffer holds the current version and the mark is applied again.
int walkAndMark(const std::string& folder, test::Pipe& atStop, test::Pipe& goOn) {
  test::OtherStation s(folder);
  FileManager& cli = s.files.fm<rec::VelCli>();
  FileUse use(cli);
  auto& c = cli.rec<rec::VelCli>();
  if (cli.SetOrder(cli.keyIndex("By_Number")) != kDone) return 1;
  std::int64_t last = 0;
  int walked = 0;
  while (cli.TryReadNext() == kDone) {
    if (c.NUMBER <= last) return 2;  // a record handed out twice or out of order
    last = c.NUMBER;
    ++walked;
    if (c.NUMBER % kEvery == 0) {
      atStop.send();  // another station now changes this client and one ahead
      goOn.wait();
    }
    int attempt = 0;
    for (;;) {
      c.DAY5 = 1;
      if (cli.TryUpdate() == kDone) break;
      if (cli.LastEngineCode() != ecode::kChanged || ++attempt == 20) return 3;
    }
  }
  if (!cli.EndOfData()) return 4;
  return walked == kClients ? 0 : 5;
}

TEST_P(FreshReadTest, WalkPuttingEveryClientBackLosesNoChangeOfOtherStations) {
  addClients();
  std::map<int, std::string> expected;  // client number -> the phone saved last
  const std::string randomLog = dir.file("random-changes.txt");

  test::Pipe atStop, goOn, startRandom;
  test::Child walker([&] { return walkAndMark(dir.path(), atStop, goOn); });
  // A second station changing clients at random while the walk runs; it
  // leaves the clients the test itself changes alone.
  test::Child changer([&] {
    test::OtherStation s(dir.path());
    FileManager& cli = s.files.fm<rec::VelCli>();
    FileUse use(cli);
    std::mt19937 rng(20261208);
    std::uniform_int_distribution<int> pick(1, kClients);
    std::map<int, std::string> saved;
    startRandom.wait();
    for (int i = 0; i < 400; ++i) {
      int n = pick(rng);
      if (n % kEvery == 0 || (n - 5) % kEvery == 0) continue;
      std::string phone = "R" + std::to_string(i);
      if (!savePhone(cli, n, phone)) return 1;
      saved[n] = phone;
    }
    std::ofstream out(randomLog);
    for (const auto& [n, phone] : saved) out << n << ' ' << phone << '\n';
    return 0;
  });
  startRandom.send();

  {
    FileManager& cli = files.fm<rec::VelCli>();
    FileUse use(cli);
    for (int n = kEvery; n <= kClients; n += kEvery) {
      ASSERT_TRUE(walker.waitFor(atStop)) << "the walk stopped: " << walker.exitCode();
      // The client the walk holds now, and one it has read ahead of it.
      for (int m : {n, n + 5}) {
        if (m > kClients) continue;
        std::string phone = "T" + std::to_string(m);
        ASSERT_TRUE(savePhone(cli, m, phone)) << m << ": " << cli.LastEngineText();
        expected[m] = phone;
      }
      goOn.send();
    }
  }
  ASSERT_EQ(walker.exitCode(), 0);
  ASSERT_EQ(changer.exitCode(), 0);
  std::ifstream in(randomLog);
  int n;
  std::string phone;
  while (in >> n >> phone) expected[n] = phone;
  ASSERT_GT(expected.size(), 100u);

  FileManager& cli = files.fm<rec::VelCli>();
  FileUse use(cli);
  auto& c = cli.rec<rec::VelCli>();
  ASSERT_EQ(cli.SetOrder(cli.keyIndex("By_Number")), kDone);
  int seen = 0, lost = 0, unmarked = 0;
  while (cli.TryReadNext() == kDone) {
    ++seen;
    auto it = expected.find(static_cast<int>(c.NUMBER));
    if (it != expected.end() && c.PHONE_CELL.str() != it->second) {
      if (++lost <= 5) ADD_FAILURE() << "client " << c.NUMBER << " lost " << it->second;
    }
    if (c.DAY5 != 1) ++unmarked;
  }
  EXPECT_EQ(seen, kClients);
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(unmarked, 0);
}

// A walk that only reads sees what another station committed to records it
// had already read ahead: a change, and a record deleted.
TEST_P(FreshReadTest, RecordsReadAheadAreHandedOutAsTheOtherStationLeftThem) {
  addClients();
  FileManager& cli = files.fm<rec::VelCli>();
  FileUse use(cli);
  auto& c = cli.rec<rec::VelCli>();
  ASSERT_EQ(cli.SetOrder(cli.keyIndex("By_Number")), kDone);
  for (int i = 1; i <= 20; ++i) ASSERT_EQ(cli.TryReadNext(), kDone);  // reads ahead past 30

  ErrorManager otherErrors{ui};
  auto other = station(otherErrors);
  {
    FileManager& o = other->fm<rec::VelCli>();
    FileUse use2(o);
    ASSERT_TRUE(savePhone(o, 30, "083 555 0030"));
    o.ClearBuffer();
    o.rec<rec::VelCli>().CLIENT_ID = clientId(40);
    ASSERT_EQ(o.GetByKey(o.keyIndex("By_Client")), kDone);
    ASSERT_EQ(o.Delete(false), kDone);
  }
  std::vector<std::int64_t> numbers;
  for (int i = 21; i <= 50; ++i) {
    ASSERT_EQ(cli.TryReadNext(), kDone);
    numbers.push_back(c.NUMBER);
    if (c.NUMBER == 30) {
      EXPECT_EQ(c.PHONE_CELL.str(), "083 555 0030");
    }
  }
  EXPECT_EQ(std::count(numbers.begin(), numbers.end(), 40), 0);
  EXPECT_EQ(numbers.front(), 21);
  EXPECT_EQ(numbers.back(), 51);
}

// A put of a record another station changed after it was read (without a
// watch) is refused, and the buffer then holds the other station's version.
TEST_P(FreshReadTest, PutOfARecordChangedSinceItWasReadIsRefused) {
  FileManager& town = files.fm<rec::Town>();
  FileUse use(town);
  town.ClearBuffer();
  town.rec<rec::Town>().TOWN = "Polokwane";
  ASSERT_EQ(town.Insert(), kDone);
  town.ClearBuffer();
  town.rec<rec::Town>().TOWN = "Polokwane";
  ASSERT_EQ(town.GetByKey(0), kDone);

  ErrorManager otherErrors{ui};
  auto other = station(otherErrors);
  {
    FileManager& t2 = other->fm<rec::Town>();
    FileUse use2(t2);
    t2.ClearBuffer();
    t2.rec<rec::Town>().TOWN = "Polokwane";
    ASSERT_EQ(t2.GetByKey(0), kDone);
    t2.rec<rec::Town>().TOWN = "Pietersburg";
    ASSERT_EQ(t2.Update(), kDone);
  }
  town.rec<rec::Town>().TOWN = "Polokwane City";
  EXPECT_EQ(town.TryUpdate(), kFailed);
  EXPECT_EQ(town.LastEngineCode(), ecode::kChanged);
  EXPECT_EQ(town.rec<rec::Town>().TOWN.str(), "Pietersburg");
  town.rec<rec::Town>().TOWN = "Polokwane City";
  EXPECT_EQ(town.TryUpdate(), kDone);  // the version it holds now is current
}

INSTANTIATE_TEST_SUITE_P(Engines, FreshReadTest, test::bothEngines(), test::engineParamName);

}  // namespace
}  // namespace vel
