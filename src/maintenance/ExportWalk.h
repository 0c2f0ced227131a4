// What every export shares: reading one record file in record order to its
// end, the progress bar of the walk, and the box that tells an export failed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vel {

class FileManager;
class Progress;
class Ui;

// Reads a file in record order, only the fields given (and its key fields),
// for the length of a scope. A walk tells the end of the data from a failed
// read: after next() answers false, finished() says which it was.
class ExportWalk {
 public:
  ExportWalk(FileManager& fm, std::vector<int> fields);
  ~ExportWalk();
  ExportWalk(const ExportWalk&) = delete;
  ExportWalk& operator=(const ExportWalk&) = delete;

  // Opens the file shared and positions before its first record; false,
  // with `failure` naming the file and the reason, when it cannot.
  bool open(std::string& failure);
  std::int64_t total() const { return total_; }  // records in the file when opened
  bool next();                                   // the next record is in the file's buffer
  // True when the walk reached the end of the data; false, with `failure`
  // naming the file and the reason, when a read failed before it.
  bool finished(std::string& failure);

 private:
  FileManager& fm_;
  std::vector<int> fields_;
  bool opened_ = false;
  std::int64_t total_ = 0;
};

// The bar of a walk over `total` records: before the walk the step is 100
// divided by the number of records; the bar shows the running sum cut to a
// whole number and advances once per record read.
class ProgressBar {
 public:
  ProgressBar(Progress& progress, std::int64_t total);
  void step();

 private:
  Progress& progress_;
  double step_ = 0, sum_ = 0;
  int shown_ = -1;
};

// Title of the box that tells an export failed.
inline constexpr std::string_view kExportFailedTitle = "Export Failed";

// Tells the user that `fileName` was not written and why.
void showExportFailure(Ui& ui, std::string_view fileName, std::string_view failure);

// "the VelTra file could not be read: <engine text> (<code>)".
std::string fileFailureText(FileManager& fm, std::string_view what);

}  // namespace vel
