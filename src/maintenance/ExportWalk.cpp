#include "maintenance/ExportWalk.h"

#include "errors/ErrorManager.h"
#include "platform/Ui.h"
#include "recordstore/FileManager.h"

namespace vel {

ExportWalk::ExportWalk(FileManager& fm, std::vector<int> fields)
    : fm_(fm), fields_(std::move(fields)) {}

ExportWalk::~ExportWalk() {
  if (!opened_) return;
  fm_.SetReadFields(std::vector<int>{});
  fm_.Close();
}

std::string fileFailureText(FileManager& fm, std::string_view what) {
  return "the " + fm.label() + " file could not be " + std::string(what) + ": " +
         fm.LastEngineText() + " (" + std::to_string(fm.LastEngineCode()) + ")";
}

bool ExportWalk::open(std::string& failure) {
  fm_.Open();
  opened_ = true;
  if (fm_.TryEnsureOpen() != kDone) {
    failure = fileFailureText(fm_, "opened");
    return false;
  }
  if (fm_.TryRecords(total_) != kDone) total_ = 0;  // the bar only; the walk tells failures
  fm_.SetReadFields(fields_);
  if (fm_.SetOrder(kPhysicalOrder) != kDone) {
    failure = fileFailureText(fm_, "read");
    return false;
  }
  return true;
}

bool ExportWalk::next() { return fm_.TryReadNext() == kDone; }

bool ExportWalk::finished(std::string& failure) {
  if (fm_.EndOfData()) return true;
  failure = fileFailureText(fm_, "read to its end");
  return false;
}

ProgressBar::ProgressBar(Progress& progress, std::int64_t total) : progress_(progress) {
  step_ = total > 0 ? 100.0 / static_cast<double>(total) : 0;
  progress_.setPercent(0);
  shown_ = 0;
}

void ProgressBar::step() {
  sum_ += step_;
  const int now = static_cast<int>(sum_);
  if (now != shown_) {
    shown_ = now;
    progress_.setPercent(now > 100 ? 100 : now);
  }
}

void showExportFailure(Ui& ui, std::string_view fileName, std::string_view failure) {
  std::string text = std::string(fileName) + " was not written: " + std::string(failure) +
                     ".|Nothing was changed; an earlier " + std::string(fileName) +
                     " is left as it was.";
  ui.message(text, kExportFailedTitle, Icon::Exclamation, kOk, kOk);
}

}  // namespace vel
