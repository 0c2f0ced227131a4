// A new installation: the first Config record.
//
// A data folder whose Config file holds no record has never been set up. The
// first-run window asks the business name, three address lines and the
// branch id and adds the record; `velmora-admin init` adds it from its
// options through the same rules.
#pragma once

#include <string>

namespace vel {

class DataFiles;
class Ui;

struct ConfigDraft {
  std::string name;      // Config.NAME, text 50
  std::string addr1, addr2, addr3;  // Config.ADDR1-3, text 30 each
  std::string branchId;  // Config.BRANCH_ID, text 4
  double vatRate = 15.0; // Config.VATRATE, percent
};

// The first refusal of a draft as the message to show, or "" when it is fine.
std::string checkConfigDraft(const ConfigDraft& draft);

// The administrator a new installation may start with (user code 1).
struct AdministratorDraft {
  std::string user;      // Users.USERNAME, 6 to 10 characters
  std::string password;  // Users.PASSWORD, 6 to 10 characters
};
// The first refusal of an administrator as the message to show, or "".
std::string checkAdministratorDraft(const AdministratorDraft& admin);

// AdministratorAdded: the folder had its configuration but no user at all;
// the administrator was added and the log-in switched on.
enum class ConfigAdd { Added, AlreadyThere, AdministratorAdded, Refused, Failed };
// Adds the Config record made from `draft` when the file has none. `why`
// says what went wrong for Refused and Failed.
ConfigAdd addConfigRecord(DataFiles& files, const ConfigDraft& draft, std::string& why);
// The same with the administrator: the Config record with the log-in
// switched on and the administrator are added together or not at all, so a
// refusal or a failure leaves the folder as it was for another try.
ConfigAdd addConfigRecord(DataFiles& files, const ConfigDraft& draft,
                          const AdministratorDraft& admin, std::string& why);

// True when the Config file has at least one record (creating it if missing).
bool hasConfigRecord(DataFiles& files);

class FirstRunForm {
 public:
  static constexpr const char* kTitle = "New Installation";

  FirstRunForm(DataFiles& files, Ui& ui) : files_(files), ui_(ui) {}

  ConfigDraft draft;

  enum class Step { Stay, Close };
  // "&OK": check the entries and add the record; stays open on a refusal.
  Step okPressed();
  // "&Cancel" or closing the window: nothing is added; start-up goes on with
  // an empty configuration and asks again at the next start.
  Step cancelPressed() { return Step::Close; }
  bool added() const { return added_; }

 private:
  DataFiles& files_;
  Ui& ui_;
  bool added_ = false;
};

}  // namespace vel
