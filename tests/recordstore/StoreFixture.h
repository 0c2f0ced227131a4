// A data folder with its managers, a scripted Ui and an error manager.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "recordstore/DataFiles.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

namespace vel::test {

class StoreFixture : public ::testing::Test {
 protected:
  void TearDown() override { ui.verifyDone(); }

  // A second station on the same folder (its own managers, same engine kind).
  std::unique_ptr<DataFiles> station(ErrorManager& em) {
    return std::make_unique<DataFiles>(dir.path(), *engine2, em);
  }

  TempDir dir;
  std::unique_ptr<Engine> engine = makeSqliteEngine();
  std::unique_ptr<Engine> engine2 = makeSqliteEngine();
  ScriptedUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
};

}  // namespace vel::test
