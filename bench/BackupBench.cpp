// The start-up backup of a large data folder, with and without another
// station writing to it, against a plain copy of the same files.
//
//   BM_Backup_PlainCopy     copy the ten files byte for byte, nobody writing
//                           (the baseline; such a copy taken while a station
//                           writes may be torn)
//   BM_Backup_Quiet         the backup, nobody writing
//   BM_Backup_WhileWriting  the backup while another process adds ledger
//                           entries, fifty to a commit, pausing 5 ms
//                           between commits as a station does
//
// Counters: `mb` the size of the files copied; `checked_ok` how many of the
// backups written passed the full integrity check (outside the timing) out
// of `files`; `writer_commits` the other station's commits during the copy.
//
// The folder is built once under $VEL_BENCH_DIR/backup, about
// $VEL_BACKUP_MB megabytes (default 500; most of it in VelTra), and kept
// for the next run when it is big enough.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "maintenance/Backup.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"

namespace {

namespace fs = std::filesystem;

fs::path backupFolder() {
  const char* dir = std::getenv("VEL_BENCH_DIR");
  return (dir && *dir ? fs::path(dir) : fs::path("/tmp/velbench")) / "backup";
}

std::uintmax_t wantedBytes() {
  const char* mb = std::getenv("VEL_BACKUP_MB");
  long n = mb ? std::atol(mb) : 0;
  return static_cast<std::uintmax_t>(n > 0 ? n : 500) * 1024 * 1024;
}

std::uintmax_t listedBytes(const fs::path& folder) {
  std::uintmax_t total = 0;
  for (const auto& b : vel::backupList()) {
    std::error_code ec;
    auto n = fs::file_size(folder / vel::findFile(b.label)->diskName(), ec);
    if (!ec) total += n;
  }
  return total;
}

void fillEntry(vel::rec::VelTra& t, std::int64_t i, const char* tag) {
  t.CLIENT_ID = std::to_string(1000 + i % 20000) + "/MOK";
  t.DATE = static_cast<std::int32_t>(46000 + i % 400);
  t.TYPE = i % 3 ? "Payment" : "Invoice";
  t.ACCOUNT = "Cash";
  t.SOURCE = "Capture";
  t.CREDIT = i % 3 ? 120.5 : 0;
  t.DEBIT = i % 3 ? 0 : 120.5;
  t.BRANCH_ID = "01";
  t.X_ID = "CLERK1";
  t.BANK_NAME = "Capitec Bank";
  t.UNIQUE = tag + std::to_string(i);
}

// Adds entries to `label`'s file in large transactions until the listed
// files reach the wanted size; the other files get a share of records too.
bool buildFolder(const fs::path& folder) {
  if (listedBytes(folder) >= wantedBytes()) return true;
  fs::remove_all(folder);
  fs::create_directories(folder);
  vel::SilentUi ui;
  vel::ErrorManager errors(ui);
  auto engine = vel::makeSqliteEngine();
  vel::DataFiles files(folder.string(), *engine, errors);
  for (const auto& b : vel::backupList())
    if (engine->create(*vel::findFile(b.label)->layout,
                       (folder / vel::findFile(b.label)->diskName()).string(), vel::kOwnerPassword))
      return false;
  // Clients and payments for a believable mix; the ledger takes the rest.
  auto fill = [&](vel::FileManager& f, std::int64_t n, auto&& make) {
    vel::FileUse use(f);
    if (f.TryEnsureOpen() != vel::kDone) return false;
    for (std::int64_t done = 0; done < n;) {
      std::unique_ptr<vel::Transaction> tx;
      if (engine->begin({f.engineFile()}, 30, tx)) return false;
      for (int k = 0; k < 50000 && done < n; ++k, ++done) {
        f.ClearBuffer();
        make(f, done);
        if (f.engineFile()->add(f.buffer())) return false;
      }
      if (tx->commit()) return false;
    }
    return true;
  };
  bool ok = fill(files.fm<vel::rec::VelCli>(), 20000, [](vel::FileManager& f, std::int64_t i) {
    auto& c = f.rec<vel::rec::VelCli>();
    c.NUMBER = static_cast<std::int32_t>(i + 1);
    c.CLIENT_ID = std::to_string(1000 + i) + "/MOK";
    c.SURNAME = "Mokoena";
    c.FIRSTNAME = "Thabo";
  });
  ok = ok && fill(files.fm<vel::rec::VelPay>(), 200000, [](vel::FileManager& f, std::int64_t i) {
    auto& p = f.rec<vel::rec::VelPay>();
    p.CLIENT_ID = std::to_string(1000 + i % 20000) + "/MOK";
    p.DATE = static_cast<std::int32_t>(46000 + i % 400);
    p.CREDIT = 120.5;
    p.BANK_NAME = "Capitec Bank";
  });
  vel::FileManager& tra = files.fm<vel::rec::VelTra>();
  std::int64_t start = 0;
  while (ok && listedBytes(folder) < wantedBytes()) {
    ok = fill(tra, 100000, [&](vel::FileManager& f, std::int64_t i) {
      fillEntry(f.rec<vel::rec::VelTra>(), start + i, "B");
    });
    start += 100000;
  }
  return ok;
}

// Another station in a child process adding entries until it is stopped;
// its commit count is kept in memory both processes see.
class Writer {
 public:
  explicit Writer(const fs::path& folder) {
    void* m = ::mmap(nullptr, sizeof(std::atomic<long>) * 2, PROT_READ | PROT_WRITE,
                     MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    shared_ = static_cast<std::atomic<long>*>(m);
    new (&shared_[0]) std::atomic<long>(0);  // commits
    new (&shared_[1]) std::atomic<long>(0);  // stop
    pid_ = ::fork();
    if (pid_ == 0) ::_exit(run(folder));
    while (shared_[0].load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ~Writer() {
    shared_[1] = 1;
    ::waitpid(pid_, nullptr, 0);
    ::munmap(shared_, sizeof(std::atomic<long>) * 2);
  }
  long commits() const { return shared_[0].load(); }

 private:
  int run(const fs::path& folder) {
    vel::SilentUi ui;
    vel::ErrorManager errors(ui);
    auto engine = vel::makeSqliteEngine();
    vel::DataFiles files(folder.string(), *engine, errors);
    vel::FileManager& tra = files.fm<vel::rec::VelTra>();
    vel::FileUse use(tra);
    if (tra.TryEnsureOpen() != vel::kDone) return 1;
    const std::string tag = "W" + std::to_string(::getpid() % 100000) + "-";
    for (std::int64_t i = 0; !shared_[1].load();) {
      std::unique_ptr<vel::Transaction> tx;
      if (engine->begin({tra.engineFile()}, 2, tx)) continue;
      for (int k = 0; k < 50; ++k, ++i) {
        tra.ClearBuffer();
        fillEntry(tra.rec<vel::rec::VelTra>(), i, tag.c_str());
        tra.engineFile()->add(tra.buffer());
      }
      if (!tx->commit()) ++shared_[0];
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
  }
  pid_t pid_ = -1;
  std::atomic<long>* shared_ = nullptr;
};

// How many of the listed backups in `to` pass the full integrity check.
int checkedBackups(const fs::path& to, int& files) {
  auto engine = vel::makeSqliteEngine();
  int good = 0;
  files = 0;
  for (const auto& b : vel::backupList()) {
    std::string name = vel::findFile(b.label)->diskName();
    name.replace(name.size() - 4, 4, ".Bak");
    if (!fs::exists(to / name)) continue;
    ++files;
    std::unique_ptr<vel::EngineFile> f;
    if (engine->open(*vel::findFile(b.label)->layout, (to / name).string(),
                     vel::OpenMode{vel::Access::ReadOnly, vel::Share::DenyNone}, vel::kOwnerPassword,
                     f))
      continue;
    std::string verdict;
    if (f->checkIntegrity(verdict) == 0) ++good;
  }
  return good;
}

void report(benchmark::State& state, const fs::path& folder, const fs::path& to) {
  state.counters["mb"] = static_cast<double>(listedBytes(folder)) / (1024.0 * 1024.0);
  int files = 0;
  state.counters["checked_ok"] = checkedBackups(to, files);
  state.counters["files"] = files;
}

void runBackup(benchmark::State& state, bool writing) {
  const fs::path folder = backupFolder();
  if (!buildFolder(folder)) {
    state.SkipWithError("the data folder could not be built");
    return;
  }
  const fs::path to = folder / "bak";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(to);
    fs::create_directories(to);
    std::unique_ptr<Writer> writer;
    if (writing) writer = std::make_unique<Writer>(folder);
    const long before = writer ? writer->commits() : 0;
    state.ResumeTiming();
    auto engine = vel::makeSqliteEngine();
    auto outcomes = vel::backupFiles(*engine, folder.string(), vel::kOwnerPassword, to.string(), nullptr);
    state.PauseTiming();
    if (writer) state.counters["writer_commits"] = static_cast<double>(writer->commits() - before);
    writer.reset();
    state.ResumeTiming();
    if (!vel::backupSucceeded(outcomes)) {
      std::string why;
      for (const auto& o : outcomes)
        if (!o.message.empty()) why += o.message + "; ";
      state.SkipWithError(("a file was not backed up: " + why).c_str());
      return;
    }
  }
  report(state, folder, to);
}

void BM_Backup_Quiet(benchmark::State& state) { runBackup(state, false); }
void BM_Backup_WhileWriting(benchmark::State& state) { runBackup(state, true); }

void BM_Backup_PlainCopy(benchmark::State& state) {
  const fs::path folder = backupFolder();
  if (!buildFolder(folder)) {
    state.SkipWithError("the data folder could not be built");
    return;
  }
  const fs::path to = folder / "copy";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(to);
    fs::create_directories(to);
    state.ResumeTiming();
    for (const auto& b : vel::backupList()) {
      const std::string name = vel::findFile(b.label)->diskName();
      const std::string bak = name.substr(0, name.size() - 4) + ".Bak";
      std::error_code ec;
      fs::copy_file(folder / name, to / bak, ec);
      // The backup's copies are on the disk when it ends; so are these.
      int fd = ::open((to / bak).c_str(), O_RDONLY);
      if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
      }
    }
  }
  report(state, folder, to);
  fs::remove_all(to);
}

void onePassEach(benchmark::internal::Benchmark* b) {
  const char* reps = std::getenv("VEL_BENCH_REPETITIONS");
  int n = reps ? std::atoi(reps) : 0;
  b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(n > 0 ? n : 3);
}

BENCHMARK(BM_Backup_PlainCopy)->Apply(onePassEach);
BENCHMARK(BM_Backup_Quiet)->Apply(onePassEach);
BENCHMARK(BM_Backup_WhileWriting)->Apply(onePassEach);

}  // namespace
