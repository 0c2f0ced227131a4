#include "shell/FirstRun.h"

#include <cmath>

#include "dictionary/Dictionary.h"
#include "recordstore/DataFiles.h"

namespace vel {

namespace {

std::string tooLong(const char* what, int width) {
  return std::string(what) + " may be at most " + std::to_string(width) + " characters";
}

}  // namespace

std::string checkConfigDraft(const ConfigDraft& d) {
  if (rtrim(d.name).empty()) return "Please enter the Business Name";
  if (rtrim(d.name).size() > 50) return tooLong("The Business Name", 50);
  if (rtrim(d.addr1).size() > 30 || rtrim(d.addr2).size() > 30 || rtrim(d.addr3).size() > 30)
    return tooLong("Each Address line", 30);
  if (rtrim(d.branchId).empty()) return "Please enter the Branch ID";
  if (rtrim(d.branchId).size() > 4) return tooLong("The Branch ID", 4);
  if (!std::isfinite(d.vatRate) || d.vatRate < 0 || d.vatRate >= 100)
    return "The VAT Rate must be a percentage from 0 to 99.99";
  return {};
}

bool hasConfigRecord(DataFiles& files) {
  FileManager& f = files.fm<rec::Config>();
  FileUse use(f);
  if (f.EnsureOpen() != kDone) return false;
  return f.Records() > 0;
}

ConfigAdd addConfigRecord(DataFiles& files, const ConfigDraft& d, std::string& why) {
  why = checkConfigDraft(d);
  if (!why.empty()) return ConfigAdd::Refused;
  FileManager& f = files.fm<rec::Config>();
  FileUse use(f);
  if (f.EnsureOpen() != kDone) {
    why = "The configuration file could not be opened: " + f.LastEngineText();
    return ConfigAdd::Failed;
  }
  // Another station may have set the folder up meanwhile: its record stands.
  if (f.Records() > 0) return ConfigAdd::AlreadyThere;
  f.ClearBuffer();
  auto& c = f.rec<rec::Config>();
  c.NAME = std::string(rtrim(d.name));
  c.ADDR1 = std::string(rtrim(d.addr1));
  c.ADDR2 = std::string(rtrim(d.addr2));
  c.ADDR3 = std::string(rtrim(d.addr3));
  c.BRANCH_ID = std::string(rtrim(d.branchId));
  c.VATRATE = d.vatRate;
  if (f.TryInsert() != kDone) {
    why = "The configuration record could not be added: " + f.LastEngineText();
    return ConfigAdd::Failed;
  }
  return ConfigAdd::Added;
}

FirstRunForm::Step FirstRunForm::okPressed() {
  std::string why;
  switch (addConfigRecord(files_, draft, why)) {
    case ConfigAdd::Added:
      added_ = true;
      return Step::Close;
    case ConfigAdd::AlreadyThere:
      return Step::Close;
    case ConfigAdd::Refused:
      ui_.message(why, kTitle, Icon::Exclamation, kOk, kOk);
      return Step::Stay;
    case ConfigAdd::Failed:
      break;
  }
  ui_.message(why, kTitle, Icon::Hand, kOk, kOk);
  return Step::Stay;
}

}  // namespace vel
