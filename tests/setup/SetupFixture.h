// A data folder with a scripted Ui that also records what the progress
// windows showed, and helpers that write clients, agents and transactions.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "recordstore/DataFiles.h"
#include "support/ScriptedUi.h"
#include "support/Records.h"
#include "support/TempDir.h"
#include "support/Engines.h"

namespace vel::test {

// What one progress window showed, in order.
struct ShownProgress {
  std::string title;
  std::vector<std::string> texts;
  std::vector<int> percents;
  bool open = true;
};

class RecordingUi : public ScriptedUi {
 public:
  std::unique_ptr<Progress> progress(std::string_view title, std::string_view text) override {
    windows.push_back(std::make_shared<ShownProgress>());
    windows.back()->title = title;
    windows.back()->texts.emplace_back(text);
    return std::make_unique<Recorder>(windows.back());
  }
  std::vector<std::shared_ptr<ShownProgress>> windows;

 private:
  class Recorder : public Progress {
   public:
    explicit Recorder(std::shared_ptr<ShownProgress> s) : s_(std::move(s)) {}
    ~Recorder() override { s_->open = false; }
    void setText(std::string_view t) override { s_->texts.emplace_back(t); }
    void setPercent(int p) override { s_->percents.push_back(p); }

   private:
    std::shared_ptr<ShownProgress> s_;
  };
};

class SetupFixture : public ::testing::Test {
 protected:
  void TearDown() override { ui.verifyDone(); }

  struct Client {
    std::string agentSurname, agentFirst, agentCode;
    double ageComm = 10, colComm = 5;
  };

  // Adds the clients in one transaction, numbered from 1.
  void addClients(const std::vector<Client>& clients) {
    FileManager& f = files.fm<rec::VelCli>();
    FileUse use(f);
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(ecode::kNone, engine->begin({f.engineFile()}, 2, tx));
    int number = static_cast<int>(f.Records());
    for (const Client& c : clients) {
      ++number;
      f.ClearBuffer();
      auto& r = f.rec<rec::VelCli>();
      r.NUMBER = number;
      r.CLIENT_ID = clientId(number);
      r.SURNAME = "Client";
      r.AGE_SURNAME = c.agentSurname;
      r.AGE_FNAME = c.agentFirst;
      r.AGE_CODE = c.agentCode;
      r.AGE_COMM = c.ageComm;
      r.COL_COMM = c.colComm;
      ASSERT_EQ(ecode::kNone, f.engineFile()->add(f.buffer()));
    }
    ASSERT_EQ(ecode::kNone, tx->commit());
  }

  static std::string clientId(int number) {
    std::string n = std::to_string(number);
    return std::string(4 - std::min<std::size_t>(4, n.size()), '0') + n + "/CLI";
  }

  void addAgent(const char* code, const char* surname, const char* first) {
    FileManager& f = files.fm<rec::Agent>();
    FileUse use(f);
    f.ClearBuffer();
    auto& a = f.rec<rec::Agent>();
    a.CODE = code;
    a.SURNAME = surname;
    a.FNAME = first;
    ASSERT_EQ(kDone, f.Insert());
  }

  template <class R>
  std::vector<R> all() {
    return readAll<R>(files);
  }

  TempDir dir;
  std::unique_ptr<Engine> engine = makeEngineFor(dir.path());
  RecordingUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
};

}  // namespace vel::test
