#include "members/ClientRecords.h"

#include <string>

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

bool sameClientId(std::string_view a, std::string_view b) {
  a = rtrim(a);
  b = rtrim(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace vel
