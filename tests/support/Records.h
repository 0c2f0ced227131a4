// Every record of a file, in arrival order: what a test compares a file with.
#pragma once

#include <vector>

#include "recordstore/DataFiles.h"

namespace vel::test {

template <class R>
std::vector<R> readAll(DataFiles& files) {
  FileManager& f = files.fm<R>();
  FileUse use(f);
  std::vector<R> out;
  f.SetOrder(kPhysicalOrder);
  while (f.TryReadNext() == kDone) out.push_back(f.rec<R>());
  return out;
}

}  // namespace vel::test
