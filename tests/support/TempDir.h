// A fresh, empty folder for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <string>

namespace vel::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  // Called with the folder just before it is removed: what a test kept for
  // the folder elsewhere (its office on a database server) goes with it.
  static void (*onRemove)(const std::string& folder);

 private:
  std::string path_;
};

}  // namespace vel::test
