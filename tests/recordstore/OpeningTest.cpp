// Opening and creating files on a folder that other stations share: files
// made read-only, and half-built files that a station dying while creating a
// file left behind.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "StoreFixture.h"

namespace vel {
namespace {

class OpeningTest : public test::StoreFixture {};

TEST_F(OpeningTest, WriteProtectedFileSaysAccessDeniedWhenOpenedAndWorksReadOnly) {
  VEL_SQLITE_FILES_ONLY();
  {
    FileManager& town = files.fm<rec::Town>();
    FileUse use(town);
    town.ClearBuffer();
    town.rec<rec::Town>().TOWN = "Tzaneen";
    ASSERT_EQ(town.Insert(), kDone);
  }
  // No write bit for anybody. Tests may run as root, to whom the system
  // grants writing anyway: the engine must go by the file's mode bits.
  ASSERT_EQ(::chmod(dir.file("Town.Tps").c_str(), 0444), 0);
  DataFiles station(dir.path(), *engine2, errors);
  FileManager& town = station.fm<rec::Town>();
  FileUse use(town);
  ui.expect("Access Denied", kOk, "Could not get write access to Town so trying read-only.");
  ASSERT_EQ(town.EnsureOpen(), kDone);  // told now, before any save
  EXPECT_EQ(ui.shown().size(), 1u);
  EXPECT_EQ(town.Records(), 1);
  town.ClearBuffer();
  town.rec<rec::Town>().TOWN = "Giyani";
  ui.expect("Record Insert Error", kOk);
  EXPECT_EQ(town.Insert(), kFailed);  // and nothing is written
  EXPECT_EQ(town.LastEngineCode(), ecode::kAccessDenied);
  ::chmod(dir.file("Town.Tps").c_str(), 0644);
}

// A process id that no process has any more.
pid_t deadProcess() {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return pid;
}

std::string hostName() {
  char buf[256] = {};
  ::gethostname(buf, sizeof buf - 1);
  return buf;
}

void touch(const std::string& path, std::chrono::hours age = std::chrono::hours(0)) {
  std::ofstream(path) << "half";
  auto when = std::filesystem::file_time_type::clock::now() - age;
  std::filesystem::last_write_time(path, when);
}

TEST_F(OpeningTest, HalfBuiltFilesOfDeadStationsGoAndThoseBeingBuiltStay) {
  VEL_SQLITE_FILES_ONLY();
  const std::string dead = std::to_string(deadProcess());
  const std::string alive = std::to_string(::getppid());  // our parent lives while we run
  const std::string self = std::to_string(::getpid());
  const std::string host = hostName();
  const std::string gone[] = {
      "Town.Tps.new" + dead + "-17@" + host,
      "Town.Tps.new" + dead + "-17@" + host + "-journal",
      "Agent.Tps.new" + dead + "-3",  // named without the machine: this machine's
      "Route.Tps.new" + alive + "-9@far-away-station",  // another machine's, long ago
  };
  const std::string kept[] = {
      "Town.Tps.new" + alive + "-17@" + host,
      "Town.Tps.new" + self + "-99@" + host,  // another thread of this process
      "Route.Tps.new" + dead + "-9@far-away-station",  // another machine's, just now
      "Town.Tps",  // not a half-built file at all
      "Town.Tps.newest",
  };
  for (const auto& f : gone) touch(dir.file(f), f.find("far-away") != std::string::npos
                                                    ? std::chrono::hours(2)
                                                    : std::chrono::hours(0));
  for (const auto& f : kept) touch(dir.file(f));

  DataFiles station(dir.path(), *engine2, errors);  // a station starting on the folder
  for (const auto& f : gone) EXPECT_FALSE(std::filesystem::exists(dir.file(f))) << f;
  for (const auto& f : kept) EXPECT_TRUE(std::filesystem::exists(dir.file(f))) << f;
}

TEST_F(OpeningTest, CreatingAFileClearsWhatADeadCreatorOfItLeft) {
  VEL_SQLITE_FILES_ONLY();
  const std::string leftover = dir.file("Holiday.Tps.new" + std::to_string(deadProcess()) + "-1@" +
                                        hostName());
  touch(leftover);
  FileManager& holiday = files.fm<rec::Holiday>();
  FileUse use(holiday);
  ASSERT_EQ(holiday.EnsureOpen(), kDone);
  EXPECT_FALSE(std::filesystem::exists(leftover));
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().filename().string().find(".new"), std::string::npos) << e.path();
}

}  // namespace
}  // namespace vel
