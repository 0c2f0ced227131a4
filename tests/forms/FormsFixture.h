// A data folder with a scripted Ui, for the rules of lists and forms.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "recordstore/DataFiles.h"
#include "support/ScriptedUi.h"
#include "support/Records.h"
#include "support/TempDir.h"
#include "support/Engines.h"

namespace vel::test {

class FormsFixture : public ::testing::Test {
 protected:
  void TearDown() override { ui.verifyDone(); }

  template <class R>
  std::vector<R> all() {
    return readAll<R>(files);
  }

  // Adds a record through the record store and returns its position.
  template <class R>
  std::string add(const R& r) {
    FileManager& f = files.fm<R>();
    f.Open();
    f.ClearBuffer();
    f.rec<R>() = r;
    EXPECT_EQ(kDone, f.Insert());
    std::string pos = f.Position();
    f.Close();
    return pos;
  }

  TempDir dir;
  std::unique_ptr<Engine> engine = makeEngineFor(dir.path());
  ScriptedUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
};

}  // namespace vel::test
