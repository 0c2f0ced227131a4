#include "errors/EngineStatus.h"

#include "dictionary/Field.h"

namespace vel {

EngineStatus& engineStatus() {
  thread_local EngineStatus status;
  return status;
}

void setEngineStatus(int code, std::string_view text, std::string_view driverCode,
                     std::string_view driverText) {
  EngineStatus& s = engineStatus();
  s.code = code;
  s.text.assign(rtrim(text));
  s.driverCode.assign(rtrim(driverCode));
  s.driverText.assign(rtrim(driverText));
}

}  // namespace vel
