#include "members/Check4ID.h"

#include <string>

#include "dictionary/Dictionary.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace vel {
namespace {

// `value` without trailing blanks, padded with blanks to `width`.
std::string wide(std::string_view value, std::size_t width) {
  std::string s(rtrim(value));
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

enum class Lookup { Found, NotFound, Failed };

// Reads the first record of `f` under `key` with the key fields already set
// in its buffer. A failure other than "not on file" was shown by the store.
Lookup lookUp(FileManager& f, const char* key) {
  if (f.GetByKey(f.keyIndex(key)) == kDone) return Lookup::Found;
  const int code = f.LastEngineCode();
  return code == ecode::kRecordNotFound || code == ecode::kNoRecord ? Lookup::NotFound
                                                                    : Lookup::Failed;
}

class IdSearch {
 public:
  IdSearch(DataFiles& files, Ui& ui, std::string_view id)
      : files_(files), ui_(ui), id_(wide(id, 13)), key_(rtrim(id)) {}

  Check4IdResult run() {
    search<rec::VelChd>(
        "By_IDNo", "Children", [](rec::VelChd& r, const std::string& id) { r.C1_ID_NUMBER = id; },
        [](const rec::VelChd& r) { return r.CLIENT_ID.text(); });
    search<rec::VelCli>(
        "By_IDNumber", "Main Member",
        [](rec::VelCli& r, const std::string& id) { r.ID_NUMBER = id; },
        [](const rec::VelCli& r) { return r.CLIENT_ID.text(); });
    search<rec::VelExt>(
        "By_IDNo", "Extended Family",
        [](rec::VelExt& r, const std::string& id) { r.ID_NUMBER = id; },
        [](const rec::VelExt& r) { return r.CLIENT_ID.text(); });
    return result_;
  }

 private:
  template <class R, class SetKey, class ClientOf>
  void search(const char* key, const char* database, SetKey setKey, ClientOf clientOf) {
    if (!result_.complete) return;
    FileManager& f = files_.fm<R>();
    // A file not yet created holds no one.
    if (!f.Exists()) return;
    FileUse use(f);
    f.ClearBuffer();
    setKey(f.rec<R>(), key_);
    switch (lookUp(f, key)) {
      case Lookup::NotFound:
        return;
      case Lookup::Failed:
        result_.complete = false;
        return;
      case Lookup::Found:
        break;
    }
    rec::VelCli holder;
    if (!holderOf(clientOf(f.rec<R>()), holder)) return;
    ui_.message("ID No " + id_ + " exists in " + database + " database - Main member Client ID " +
                    wide(holder.CLIENT_ID.str(), 10) + "  Surname " +
                    wide(holder.SURNAME.str(), 25) + " Plan " + wide(holder.PLAN.str(), 7) +
                    "  Option " + wide(holder.OPTION.str(), 15) + "  Status " +
                    wide(holder.ACTIVE.str(), 10),
                "", Icon::None, kOk, kOk);
    ++result_.found;
  }

  // The policy holder of `clientId`. A dependant whose policy is gone still
  // shows its message, with the holder's values blank.
  bool holderOf(const std::string& clientId, rec::VelCli& holder) {
    FileManager& cli = files_.fm<rec::VelCli>();
    if (!cli.Exists()) return true;
    FileUse use(cli);
    cli.ClearBuffer();
    cli.rec<rec::VelCli>().CLIENT_ID = clientId;
    switch (lookUp(cli, "By_Client")) {
      case Lookup::Found:
        holder = cli.rec<rec::VelCli>();
        return true;
      case Lookup::NotFound:
        return true;
      case Lookup::Failed:
        result_.complete = false;
        return false;
    }
    return false;
  }

  DataFiles& files_;
  Ui& ui_;
  std::string id_;   // as shown: 13 characters
  std::string key_;  // as looked up
  Check4IdResult result_;
};

}  // namespace

Check4IdResult Check4ID(DataFiles& files, Ui& ui, std::string_view idNumber) {
  if (rtrim(idNumber).empty()) return {};
  return IdSearch(files, ui, idNumber).run();
}

}  // namespace vel
