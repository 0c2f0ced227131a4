// The "5 Day" reminder run against a bare loop, both uploading to a local
// FTP server (tests/sms/ftp_server.py over pyftpdlib).
//
//   BM_SmsFiveDay_Run       SmsSender::Send_SMS("5 Day") over 100,000 clients
//                           of whom 10% are past due + 5 with DAY5 set: the
//                           walk, the message files through the outbox, the
//                           switches cleared, one connection uploading all
//   BM_SmsFiveDay_BareLoop  the same 10,000 message files written into a
//                           folder by a plain loop and uploaded with libcurl
//                           over one connection; no record file is touched
//
// Both count messages per second of wall time. The clients are built once in
// $VEL_BENCH_DIR/sms (default /tmp/velbench/sms); each run arms the switches
// again before it starts.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "platform/Clock.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"
#include "sms/FtpServer.h"
#include "sms/GatewayFile.h"
#include "sms/SmsRun.h"

namespace {

namespace fs = std::filesystem;

constexpr int kClients = 100'000;
constexpr int kDue = kClients / 10;

fs::path benchRoot() {
  const char* dir = std::getenv("VEL_BENCH_DIR");
  return (dir && *dir ? fs::path(dir) : fs::path("/tmp/velbench")) / "sms";
}

vel::Moment at() { return {vel::dateFromYmd(2026, 7, 7), vel::timeFromHms(9, 15, 2)}; }

struct Office {
  explicit Office(const fs::path& f)
      : engine(vel::makeSqliteEngine()), errors(ui), files(f.string(), *engine, errors) {}
  std::unique_ptr<vel::Engine> engine;
  vel::SilentUi ui;
  vel::ErrorManager errors;
  vel::DataFiles files;
};

std::string clientId(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06d/BEN", n);
  return buf;
}

// 100,000 active clients with cell numbers; every tenth is due on the 1st
// with DAY5 set, the others are due later in the month.
const fs::path& office() {
  static const fs::path path = [] {
    const fs::path f = benchRoot() / "office";
    if (fs::exists(f / "complete")) return f;
    fs::remove_all(f);
    fs::create_directories(f);
    Office o(f);
    vel::FileManager& cli = o.files.fm<vel::rec::VelCli>();
    vel::FileUse use(cli);
    for (int done = 0; done < kClients;) {
      std::unique_ptr<vel::Transaction> tx;
      if (o.engine->begin({cli.engineFile()}, 5, tx) != 0) std::abort();
      for (int j = 0; j < 20'000 && done < kClients; ++j, ++done) {
        cli.ClearBuffer();
        auto& c = cli.rec<vel::rec::VelCli>();
        c.NUMBER = done + 1;
        c.CLIENT_ID = clientId(done + 1);
        c.SURNAME = "Benchmark";
        c.FIRSTNAME = "Client " + std::to_string(done + 1);
        c.PHONE_CELL = "082" + std::to_string(1000000 + done);
        c.PREMIUM = 145.0;
        c.ACTIVE = "Active";
        c.DOM = done % 10 == 0 ? "1" : "25";
        c.DAY5 = 1;
        c.DAY10 = 1;
        c.REMARKS = "Pays at the office on the last Friday.";
        if (cli.engineFile()->add(cli.buffer()) != 0) std::abort();
      }
      if (tx->commit() != 0) std::abort();
    }
    {
      vel::FileManager& b = o.files.fm<vel::rec::BDetal>();
      vel::FileUse ub(b);
      b.ClearBuffer();
      auto& d = b.rec<vel::rec::BDetal>();
      d.USERNAME = "velmora01";
      d.PASSWORD = "s3cret";
      d.CON_EMAIL = "office@velmora.co.za";
      d.CELL_NO = "0825550000";
      if (b.TryInsert() != vel::kDone) std::abort();
    }
    std::ofstream(f / "complete") << "built\n";
    return f;
  }();
  return path;
}

void armSwitches(const fs::path& f) {
  sqlite3* db = nullptr;
  sqlite3_open((f / "VelCli.Tps").c_str(), &db);
  sqlite3_exec(db, "UPDATE rec SET DAY5=1", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  fs::remove_all(f / "SmsOutbox");
  fs::remove_all(f / "SmsSent");
}

void BM_SmsFiveDay_Run(benchmark::State& state) {
  const fs::path f = office();
  int sent = 0;
  for (auto _ : state) {
    state.PauseTiming();
    armSwitches(f);
    const fs::path root = benchRoot() / "gateway-run";
    fs::remove_all(root);
    vel::test::FtpServer server(root.string(), "ruspen", "ruspen");
    Office o(f);
    vel::FixedClock clock(at().day, at().time);
    vel::sms::SmsSender sender(o.files, o.ui, clock);
    vel::sms::GatewaySettings g;
    g.host = "127.0.0.1";
    g.port = server.port();
    sender.setGateway(g);
    state.ResumeTiming();
    const vel::sms::RunResult r = sender.Send_SMS("5 Day");
    state.PauseTiming();
    sent = r.sent;
    if (!r.ok() || r.sent != kDue) state.SkipWithError(vel::sms::summary(r).c_str());
    state.ResumeTiming();
  }
  state.counters["messages"] = sent;
  state.counters["messages_per_s"] =
      benchmark::Counter(static_cast<double>(sent) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

std::size_t readFile(char* buffer, std::size_t size, std::size_t count, void* stream) {
  return std::fread(buffer, size, count, static_cast<std::FILE*>(stream));
}

void BM_SmsFiveDay_BareLoop(benchmark::State& state) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  const vel::sms::GatewayAccount account{"velmora01", "s3cret", "office@velmora.co.za",
                                         "0825550000"};
  int sent = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path out = benchRoot() / "bare-files";
    const fs::path root = benchRoot() / "gateway-bare";
    fs::remove_all(out);
    fs::remove_all(root);
    fs::create_directories(out);
    vel::test::FtpServer server(root.string(), "ruspen", "ruspen");
    state.ResumeTiming();

    std::vector<std::string> names;
    for (int i = 0; i < kDue; ++i) {
      const std::string name = "SK2026070791502-" + std::to_string(i + 1) + ".txt";
      std::ofstream(out / name, std::ios::binary)
          << vel::sms::messageFile(account, at(), "082" + std::to_string(1000000 + i * 10),
                                   vel::sms::reminderText("5 Day", 145.0));
      names.push_back(name);
    }
    CURL* curl = curl_easy_init();
    const std::string base = "ftp://127.0.0.1:" + std::to_string(server.port()) + "/";
    curl_easy_setopt(curl, CURLOPT_USERNAME, "ruspen");
    curl_easy_setopt(curl, CURLOPT_PASSWORD, "ruspen");
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readFile);
    sent = 0;
    for (const std::string& name : names) {
      std::FILE* in = std::fopen((out / name).c_str(), "rb");
      const std::string url = base + name;
      curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
      curl_easy_setopt(curl, CURLOPT_READDATA, in);
      if (curl_easy_perform(curl) == CURLE_OK) ++sent;
      std::fclose(in);
    }
    curl_easy_cleanup(curl);
    if (sent != kDue) state.SkipWithError("the bare loop's uploads failed");
  }
  state.counters["messages"] = sent;
  state.counters["messages_per_s"] =
      benchmark::Counter(static_cast<double>(sent) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

void onePass(benchmark::internal::Benchmark* b) {
  const char* reps = std::getenv("VEL_BENCH_REPETITIONS");
  const int n = reps ? std::atoi(reps) : 0;
  b->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1)->Repetitions(n > 0 ? n : 1);
}

}  // namespace

BENCHMARK(BM_SmsFiveDay_Run)->Apply(onePass);
BENCHMARK(BM_SmsFiveDay_BareLoop)->Apply(onePass);
