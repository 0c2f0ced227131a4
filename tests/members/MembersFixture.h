// A data folder for the policy-holder rules: engine, scripted Ui, error
// manager and the folder's files, with a complete policy to start from.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "recordstore/DataFiles.h"
#include "support/Records.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/Engines.h"

namespace vel::test {

class MembersFixture : public ::testing::Test {
 public:
  // A policy that passes every completeness check.
  static rec::VelCli completePolicy() {
    rec::VelCli c;
    c.NUMBER = 42;
    c.CLIENT_ID = "0042/MOL";
    c.DATE = dateFromYmd(2026, 3, 1);
    c.SURNAME = "Molefe";
    c.FIRSTNAME = "Thabo";
    c.PLAN = "A";
    c.OPTION = "Family";
    c.P_ADDR1 = "PO Box 12";
    c.P_ADDR3 = "Soweto";
    c.P_CODE = 1804;
    c.ACCOUNT_TYPE = "Savings";
    c.MARITAL_STAT = "M";
    c.PREMIUM = 100.0;
    c.PLANPREM = 100.0;
    c.SENT = 1;
    return c;
  }

 protected:
  void TearDown() override { ui.verifyDone(); }

  template <class R>
  std::vector<R> all() {
    return readAll<R>(files);
  }

  TempDir dir;
  std::unique_ptr<Engine> engine = makeEngineFor(dir.path());
  ScriptedUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
};

}  // namespace vel::test
