// The outbox's names: two writers in one second never replace each other.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "sms/Outbox.h"
#include "support/TempDir.h"

namespace vel::sms {
namespace {

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Outbox, WritersOfOneSecondGetNamesOfTheirOwn) {
  test::TempDir dir;
  // Two stations on one folder, each with its own Outbox, writing at once.
  constexpr int kEach = 150;
  std::vector<std::vector<std::string>> names(2);
  std::vector<std::thread> stations;
  for (int s = 0; s < 2; ++s)
    stations.emplace_back([&, s] {
      Outbox ob(dir.path());
      for (int i = 0; i < kEach; ++i) {
        std::string why;
        auto name = ob.queue("SK2026070791502", "station " + std::to_string(s) + " message " +
                                                    std::to_string(i) + "\r\n", why);
        if (name) names[static_cast<std::size_t>(s)].push_back(*name);
      }
    });
  for (auto& t : stations) t.join();

  Outbox ob(dir.path());
  std::set<std::string> all;
  for (int s = 0; s < 2; ++s) {
    ASSERT_EQ(static_cast<std::size_t>(kEach), names[static_cast<std::size_t>(s)].size());
    for (int i = 0; i < kEach; ++i) {
      const std::string& n = names[static_cast<std::size_t>(s)][static_cast<std::size_t>(i)];
      all.insert(n);
      EXPECT_EQ("station " + std::to_string(s) + " message " + std::to_string(i) + "\r\n",
                contents(ob.pathOf(n)));
    }
  }
  EXPECT_EQ(2u * kEach, all.size());
  EXPECT_EQ(2u * kEach, ob.waiting().size()) << "no temporary file is left or listed";
}

TEST(Outbox, ANameAlreadySentIsNotUsedAgain) {
  test::TempDir dir;
  Outbox ob(dir.path());
  std::string why;
  auto first = ob.queue("SK2026070791502", "one", why);
  ASSERT_TRUE(first);
  ASSERT_TRUE(ob.markSent(*first));
  auto second = ob.queue("SK2026070791502", "two", why);
  ASSERT_TRUE(second);
  EXPECT_EQ("SK2026070791502-2.txt", *second);
  EXPECT_EQ("one", contents(ob.sentFolder() + "/SK2026070791502.txt"));
  EXPECT_EQ(std::vector<std::string>{"SK2026070791502-2.txt"}, ob.waiting());
}

}  // namespace
}  // namespace vel::sms
