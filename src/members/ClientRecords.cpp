#include "members/ClientRecords.h"

#include <string>

#include "common/Text.h"
#include "errors/EngineStatus.h"

namespace vel {

int showFailedRead(FileManager& f) {
  const int code = f.LastEngineCode();
  const std::string text = f.LastEngineText();
  setEngineStatus(code, text, std::to_string(code), text);
  ErrorManager& errors = *f.context().errors;
  errors.SetFile(f.label());
  errors.Throw(code == ecode::kRecordHeld ? msg::RecordHeld : msg::RetrievalError);
  return kFailed;
}

bool sameClientId(std::string_view a, std::string_view b) { return equalsNoCase(a, b); }

}  // namespace vel
