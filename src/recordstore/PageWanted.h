// Tells an open file how many records its reader is about to read, so the
// engine reads them as one page rather than in its own growing steps (a
// list's page, a batch's group); the file is told to forget it again when
// the reader is done.
#pragma once

#include <string>

#include "recordstore/Engine.h"
#include "recordstore/FileManager.h"

namespace vel {

class PageWanted {
 public:
  PageWanted(FileManager& fm, int records) : file_(fm.engineFile()) {
    if (file_ && records > 0) file_->option("PAGE=" + std::to_string(records));
  }
  ~PageWanted() {
    if (file_) file_->option("PAGE=0");
  }
  PageWanted(const PageWanted&) = delete;
  PageWanted& operator=(const PageWanted&) = delete;

 private:
  EngineFile* file_;
};

}  // namespace vel
