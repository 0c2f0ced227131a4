// A data folder for the export tests: records added through the record
// store, exports written beside them, files read back as text or through a
// real CSV reader (read_csv.py, Python's csv module).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "errors/ErrorManager.h"
#include "maintenance/ExportTables.h"
#include "maintenance/MainCsv.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/Engines.h"

namespace vel::test {

class ExportFixture : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<Engine> engine = makeEngineFor(dir.path());
  ScriptedUi ui;
  ErrorManager errors{ui};
  DataFiles files{dir.path(), *engine, errors};
  Progress silent;

  void TearDown() override { ui.verifyDone(); }

  static std::int32_t day(int y, int m, int d) { return dateFromYmd(y, m, d); }

  // Adds one record of R filled by `fill`.
  template <class R, class Fill>
  void add(Fill fill) {
    FileManager& f = files.fm<R>();
    FileUse use(f);
    f.ClearBuffer();
    fill(f.template rec<R>());
    ASSERT_EQ(kDone, f.TryInsert()) << f.label() << ": " << f.LastEngineText();
  }

  ExportResult write(const std::string& name) {
    const ExportDecl* d = findExport(name);
    EXPECT_NE(nullptr, d) << name;
    if (!d) return {};
    return writeExport(files, *d, dir.path(), silent);
  }

  std::string text(const std::string& file) const {
    std::ifstream in(dir.file(file), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // The file's lines (CR LF taken off), for files without line breaks in cells.
  std::vector<std::string> lines(const std::string& file) const {
    std::vector<std::string> out;
    std::string all = text(file), line;
    std::size_t at = 0;
    while (at < all.size()) {
      std::size_t end = all.find("\r\n", at);
      if (end == std::string::npos) end = all.size();
      out.push_back(all.substr(at, end - at));
      at = end + 2;
    }
    return out;
  }

  // Runs read_csv.py over `args` (file names are taken in this folder);
  // gives its output, empty when every check passed.
  std::string readBack(const std::vector<std::string>& args) const {
    const auto script = std::filesystem::path(VEL_TEST_SCRIPTS) / "read_csv.py";
    std::string cmd = "python3 '" + script.string() + "'";
    for (const std::string& a : args) {
      std::string q;
      for (char c : a) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
      cmd += " '" + q + "'";
    }
    cmd += " 2>&1";
    std::string out;
    if (std::FILE* p = ::popen(cmd.c_str(), "r")) {
      char buf[4096];
      while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
      const int rc = ::pclose(p);
      if (rc != 0 && out.empty()) out = "read_csv.py failed to run";
    } else {
      out = "python3 could not be started";
    }
    return out;
  }

  std::string file(const std::string& name) const { return dir.file(name); }
};

}  // namespace vel::test
