#include "shell/FirstRun.h"

#include <cmath>

#include "dictionary/Dictionary.h"
#include "errors/EngineStatus.h"
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

std::string checkAdministratorDraft(const AdministratorDraft& a) {
  if (a.user.size() < 6 || a.user.size() > 10) return "The user name must have 6 to 10 characters";
  if (a.user != rtrim(a.user) || a.user.find_first_not_of(' ') != 0)
    return "The user name may not begin or end with a blank";
  if (a.password.size() < 6 || a.password.size() > 10)
    return "The password must have 6 to 10 characters";
  return {};
}

namespace {

void fillConfig(FileManager& f, const ConfigDraft& d, bool security) {
  f.ClearBuffer();
  auto& c = f.rec<rec::Config>();
  c.NAME = std::string(rtrim(d.name));
  c.ADDR1 = std::string(rtrim(d.addr1));
  c.ADDR2 = std::string(rtrim(d.addr2));
  c.ADDR3 = std::string(rtrim(d.addr3));
  c.BRANCH_ID = std::string(rtrim(d.branchId));
  c.VATRATE = d.vatRate;
  c.SECURITY = security ? 1 : 0;
}

ConfigAdd addRecords(DataFiles& files, const ConfigDraft& d, const AdministratorDraft* admin,
                     std::string& why) {
  why = checkConfigDraft(d);
  if (why.empty() && admin) why = checkAdministratorDraft(*admin);
  if (!why.empty()) return ConfigAdd::Refused;
  FileManager& f = files.fm<rec::Config>();
  FileManager& users = files.fm<rec::Users>();
  FileUse use(f), useUsers(users);
  if (f.EnsureOpen() != kDone) {
    why = "The configuration file could not be opened: " + f.LastEngineText();
    return ConfigAdd::Failed;
  }
  if (admin && users.EnsureOpen() != kDone) {
    why = "The Users file could not be opened: " + users.LastEngineText();
    return ConfigAdd::Failed;
  }
  // One transaction: the check that the folder is new and both records.
  std::vector<EngineFile*> both{f.engineFile()};
  if (admin) both.push_back(users.engineFile());
  std::unique_ptr<Transaction> tx;
  if (files.context().engine->begin(both, files.context().transactionTimeout, tx) != ecode::kNone) {
    why = "The configuration file could not be locked: " + engineStatus().text;
    return ConfigAdd::Failed;
  }
  std::int64_t n = 0;
  if (f.engineFile()->records(n) != ecode::kNone) {
    why = "The configuration file could not be read: " + engineStatus().text;
    return ConfigAdd::Failed;
  }
  // Another station may have set the folder up meanwhile: its record stands.
  const bool configured = n > 0;
  if (configured && !admin) return ConfigAdd::AlreadyThere;
  if (admin) {
    std::int64_t userCount = 0;
    if (users.engineFile()->records(userCount) != ecode::kNone) {
      why = "The Users file could not be read: " + engineStatus().text;
      return ConfigAdd::Failed;
    }
    if (userCount > 0) {
      if (configured) return ConfigAdd::AlreadyThere;
      why = "The data folder already has users; its administrator was not added";
      return ConfigAdd::Refused;
    }
    users.ClearBuffer();
    auto& u = users.rec<rec::Users>();
    u.CODE = 1;
    u.USERNAME = admin->user;
    u.PASSWORD = admin->password;
    u.SURNAME = "Administrator";
    if (users.engineFile()->add(users.buffer()) != ecode::kNone) {
      why = "The administrator could not be added: " + engineStatus().text;
      return ConfigAdd::Failed;
    }
  }
  if (configured) {
    // A folder set up without any user (as an earlier init could leave one
    // when its administrator was refused) gets its administrator now, with
    // the log-in switched on; the rest of its configuration stands.
    EngineFile& cf = *f.engineFile();
    if (cf.setOrder(kPhysicalOrder) != ecode::kNone || cf.next(f.buffer()) != ecode::kNone) {
      why = "The configuration record could not be read: " + engineStatus().text;
      return ConfigAdd::Failed;
    }
    f.rec<rec::Config>().SECURITY = 1;
    if (cf.put(f.buffer()) != ecode::kNone || tx->commit() != ecode::kNone) {
      why = "The log-in could not be switched on: " + engineStatus().text;
      return ConfigAdd::Failed;
    }
    return ConfigAdd::AdministratorAdded;
  }
  fillConfig(f, d, admin != nullptr);
  if (f.engineFile()->add(f.buffer()) != ecode::kNone || tx->commit() != ecode::kNone) {
    why = "The configuration record could not be added: " + engineStatus().text;
    return ConfigAdd::Failed;
  }
  return ConfigAdd::Added;
}

}  // namespace

ConfigAdd addConfigRecord(DataFiles& files, const ConfigDraft& d, std::string& why) {
  return addRecords(files, d, nullptr, why);
}

ConfigAdd addConfigRecord(DataFiles& files, const ConfigDraft& d, const AdministratorDraft& admin,
                          std::string& why) {
  return addRecords(files, d, &admin, why);
}

FirstRunForm::Step FirstRunForm::okPressed() {
  std::string why;
  switch (addConfigRecord(files_, draft, why)) {
    case ConfigAdd::Added:
      added_ = true;
      return Step::Close;
    case ConfigAdd::AlreadyThere:
    case ConfigAdd::AdministratorAdded:
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
