#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/SettingsFile.h"
#include "support/TempDir.h"

namespace vel::test {
namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(SettingsFile, KeepsWhatItDoesNotKnowAndWritesItsOwn) {
  TempDir dir;
  const std::string path = dir.file("velmora.INI");
  {
    std::ofstream out(path, std::ios::binary);
    out << "[__Dont_Touch_Me__]\r\nSectors=2\r\n\r\n[Query]\r\nSaved1 = SURNAME='M*'\r\n";
  }
  SettingsFile s;
  ASSERT_TRUE(s.open(path));
  EXPECT_EQ("2", s.get("__dont_touch_me__", "sectors"));
  EXPECT_EQ("SURNAME='M*'", s.get("Query", "Saved1"));
  EXPECT_EQ("none", s.get("Query", "Saved2", "none"));
  s.set("__Dont_Touch_Me__", "Main", "10,20,800,600");
  s.set("__Dont_Touch_Me__", "Sectors", "3");
  ASSERT_TRUE(s.save());
  EXPECT_EQ(
      "[__Dont_Touch_Me__]\r\nSectors=3\r\nMain=10,20,800,600\r\n\r\n"
      "[Query]\r\nSaved1=SURNAME='M*'\r\n\r\n",
      slurp(path));
}

TEST(SettingsFile, MissingFileIsEmptyAndAFailedSaveKeepsTheOldFile) {
  TempDir dir;
  SettingsFile s;
  ASSERT_TRUE(s.open(dir.file("velmora.INI")));
  EXPECT_EQ("", s.get("__Dont_Touch_Me__", "Sectors"));
  s.set("A", "b", "c");
  ASSERT_TRUE(s.save());

  SettingsFile bad;
  ASSERT_TRUE(bad.open(dir.file("no-such-folder/velmora.INI")));
  bad.set("A", "b", "d");
  EXPECT_FALSE(bad.save());
  EXPECT_EQ("[A]\r\nb=c\r\n\r\n", slurp(dir.file("velmora.INI")));
}

}  // namespace
}  // namespace vel::test
