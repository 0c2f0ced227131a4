#include "support/TempDir.h"

#include <cstdlib>
#include <stdexcept>

namespace vel::test {

TempDir::TempDir() {
  std::string base = std::filesystem::temp_directory_path() / "velmora-test-XXXXXX";
  if (!::mkdtemp(base.data())) throw std::runtime_error("cannot make a temporary folder");
  path_ = base;
}

void (*TempDir::onRemove)(const std::string&) = nullptr;

TempDir::~TempDir() {
  if (onRemove) onRemove(path_);
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace vel::test
