// What another station or a failing disk does to a record file, for tests
// that check a walk tells such a failure from the end of the data.
//
// Header only. The lock is taken on either engine; damaging pages works on
// SQLite files on disk only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/Engines.h"

namespace vel::test {

// Another station's exclusive lock on a record file, held from take() until
// the object goes: no other connection can read the file meanwhile.
class ExclusiveLock {
 public:
  explicit ExclusiveLock(std::string path) : hold_(std::move(path), FileHold::Exclusive) {}
  // True when the lock is held. Waits at most a few seconds for readers of
  // the moment to finish their page.
  bool take() { return hold_.take(); }
  bool held() const { return hold_.held(); }
  void release() { hold_.release(); }

 private:
  FileHold hold_;
};

// Overwrites every page of a record file from `fromShare` of its length to
// the end with rubbish, as a failing disk would, and keeps the first pages
// (the file's schema and owner) intact so that it still opens. Returns the
// number of pages damaged.
inline int damagePages(const std::string& path, double fromShare = 0.5) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!f) return 0;
  unsigned char header[18] = {};
  f.read(reinterpret_cast<char*>(header), sizeof header);
  std::uint32_t pageSize = (header[16] << 8) | header[17];
  if (pageSize == 1) pageSize = 65536;
  if (pageSize < 512) return 0;
  const auto size = std::filesystem::file_size(path);
  const std::uint64_t pages = size / pageSize;
  std::uint64_t first = static_cast<std::uint64_t>(static_cast<double>(pages) * fromShare);
  if (first < 2) first = 2;
  const std::vector<char> rubbish(pageSize, static_cast<char>(0xA5));
  int damaged = 0;
  for (std::uint64_t p = first; p < pages; ++p, ++damaged) {
    f.seekp(static_cast<std::streamoff>(p * pageSize));
    f.write(rubbish.data(), static_cast<std::streamsize>(rubbish.size()));
  }
  return damaged;
}

}  // namespace vel::test
