// A data folder with a plan table, a children's plan table and the policies'
// dependants, for the rules that read them; a scripted Ui that fails the test
// on any box it was not told to expect.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "recordstore/DataFiles.h"
#include "support/Records.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/Engines.h"

namespace vel::test {

class PlanFixture : public ::testing::Test {
 protected:
  void TearDown() override { ui.verifyDone(); }

  // Adds one record of R, filled by `fill` from a cleared buffer.
  template <class R, class Fill>
  void add(Fill fill) {
    FileManager& f = files.fm<R>();
    FileUse use(f);
    f.ClearBuffer();
    fill(f.template rec<R>());
    ASSERT_EQ(kDone, f.Insert()) << f.label() << ": " << f.LastEngineText();
  }

  void plan(const char* code, const char* type, double premium, double payOver, double comm,
            double cover) {
    add<rec::Plan>([&](rec::Plan& p) {
      p.PLAN = code;
      p.TYPE = type;
      p.PREMIUM = premium;
      p.PAY_OVER = payOver;
      p.COMM = comm;
      p.COVER = cover;
    });
  }

  void childPlan(const char* code, const char* group, double premium, double payOver,
                 double comm, double cover) {
    add<rec::PlanChd>([&](rec::PlanChd& p) {
      p.PLAN = code;
      p.AGEGROUP = group;
      p.PREMIUM = premium;
      p.PAYOVER = payOver;
      p.COMM = comm;
      p.COVER = cover;
    });
  }

  void child(const std::string& clientId, int number, double premium = 0, double prem2pay = 0,
             const char* active = "Active") {
    add<rec::VelChd>([&](rec::VelChd& c) {
      c.CLIENT_ID = clientId;
      c.NUMBER = number;
      c.C1_SURNAME = "Child";
      c.PREMIUM = premium;
      c.PREM2PAY = prem2pay;
      c.ACTIVE = active;
    });
  }

  void extended(const std::string& clientId, int number, const char* active = "Active") {
    add<rec::VelExt>([&](rec::VelExt& e) {
      e.CLIENT_ID = clientId;
      e.NUMBER = number;
      e.SURNAME = "Relative";
      e.ACTIVE = active;
    });
  }

  void hamperMember(const std::string& clientId) {
    add<rec::Hamper>([&](rec::Hamper& h) {
      h.NUMBER = 1;
      h.CLIENT_ID = clientId;
      h.SURNAME = "Member";
    });
  }

  // A policy on plan A, option `option`, with nothing else filled in.
  static rec::VelCli policy(const std::string& clientId, const char* plan, const char* option) {
    rec::VelCli c{};
    c.CLIENT_ID = clientId;
    c.SURNAME = "Mokoena";
    c.PLAN = plan;
    c.OPTION = option;
    return c;
  }

  TempDir dir;
  std::unique_ptr<Engine> engine = makeEngineFor(dir.path());
  ScriptedUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
};

}  // namespace vel::test
