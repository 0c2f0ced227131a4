// A data folder with its managers, a scripted Ui and an error manager, on
// one record engine.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "recordstore/DataFiles.h"
#include "support/Engines.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

namespace vel::test {

template <class Base>
class StoreFixtureOn : public Base {
 protected:
  explicit StoreFixtureOn(EngineKind kind)
      : onEngine(kind), engine(makeEngineFor(dir.path(), kind)), engine2(makeEngineFor(dir.path(), kind)) {}
  void TearDown() override { ui.verifyDone(); }

  // A second station on the same folder (its own managers, same engine kind).
  std::unique_ptr<DataFiles> station(ErrorManager& em) {
    return std::make_unique<DataFiles>(dir.path(), *engine2, em);
  }

  TempDir dir;
  OnEngine onEngine;
  std::unique_ptr<Engine> engine;
  std::unique_ptr<Engine> engine2;
  ScriptedUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
};

// On the run's engine.
class StoreFixture : public StoreFixtureOn<::testing::Test> {
 protected:
  StoreFixture() : StoreFixtureOn(runEngine()) {}
};

// Once on each engine: instantiate with
// INSTANTIATE_TEST_SUITE_P(Engines, Fixture, test::bothEngines(), test::engineParamName).
class EngineStoreFixture : public StoreFixtureOn<::testing::TestWithParam<EngineKind>> {
 protected:
  EngineStoreFixture() : StoreFixtureOn(GetParam()) {}
};

}  // namespace vel::test
