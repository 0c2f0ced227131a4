// DataFiles: the managers of one data folder.
//
// Made once at program start: a FileManager and a RelationManager for every
// file of the directory, in directory order, with the relations registered.
// Nothing is opened until a procedure asks for a file.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "recordstore/FileManager.h"
#include "recordstore/FileUsage.h"
#include "recordstore/RelationManager.h"

namespace vel {

// The owner password every data file is created and opened with.
inline constexpr std::string_view kOwnerPassword = "MapleCourt";

class DataFiles {
 public:
  DataFiles(std::string folder, Engine& engine, ErrorManager& errors,
            std::string owner = std::string(kOwnerPassword));
  DataFiles(const DataFiles&) = delete;
  DataFiles& operator=(const DataFiles&) = delete;

  const std::string& folder() const { return ctx_.folder; }
  StoreContext& context() { return ctx_; }
  FileUsage& usage() { return usage_; }

  std::size_t size() const { return managers_.size(); }
  FileManager& fm(std::size_t index) { return *managers_[index]; }
  FileManager& fm(std::string_view label);  // aborts on an unknown label: a program fault
  RelationManager& rm(std::size_t index) { return *relations_[index]; }
  RelationManager& rm(std::string_view label);

  template <class R>
  FileManager& fm() { return fm(layoutOf<R>().label()); }
  template <class R>
  RelationManager& rm() { return rm(layoutOf<R>().label()); }

 private:
  FileUsage usage_;
  StoreContext ctx_;
  std::vector<std::unique_ptr<FileManager>> managers_;
  std::vector<std::unique_ptr<RelationManager>> relations_;
};

// Opens a file for the length of a scope and closes it again.
class FileUse {
 public:
  explicit FileUse(FileManager& f) : f_(f) { f_.Open(); }
  ~FileUse() { f_.Close(); }
  FileUse(const FileUse&) = delete;
  FileUse& operator=(const FileUse&) = delete;

 private:
  FileManager& f_;
};

}  // namespace vel
