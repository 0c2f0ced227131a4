#include "hamper/HamperCheck.h"

#include <string>

#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace vel {

HamperIdCheck Check4HamID(DataFiles& files, Ui& ui, std::string_view idNumber) {
  const std::string id(rtrim(idNumber));
  if (id.empty()) return HamperIdCheck::NotFound;
  FileManager& ham = files.fm<rec::Hamper>();
  // A club without a member file yet has no one.
  if (!ham.Exists()) return HamperIdCheck::NotFound;
  FileUse use(ham);
  ham.ClearBuffer();
  ham.rec<rec::Hamper>().ID_NUMBER = id;
  if (ham.TryGetByKey(ham.keyIndex("By_IDNumber")) != kDone) {
    const int code = ham.LastEngineCode();
    if (code == ecode::kRecordNotFound || code == ecode::kNoRecord) return HamperIdCheck::NotFound;
    ham.report(msg::RetrievalError);
    return HamperIdCheck::Failed;
  }
  ui.message("ID No " + id + " exists in Hamper database", "", Icon::Information, kOk, kOk);
  return HamperIdCheck::Found;
}

}  // namespace vel
