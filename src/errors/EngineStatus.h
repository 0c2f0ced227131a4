// The calling thread's last engine error, as the record engine left it.
//
// Every engine call sets it (0 and blank on success); the error manager
// captures it into the thread's error context when a message is raised.
#pragma once

#include <string>
#include <string_view>

namespace vel {

struct EngineStatus {
  int code = 0;              // engine error code (2, 5, 33, 40, ...)
  std::string text;          // engine error text
  std::string driverCode;    // file-driver error code (text)
  std::string driverText;    // file-driver error text
};

// This thread's status (each thread has its own).
EngineStatus& engineStatus();
void setEngineStatus(int code, std::string_view text, std::string_view driverCode = {},
                     std::string_view driverText = {});
inline void clearEngineStatus() { setEngineStatus(0, {}); }
// Puts back a status saved earlier (after clean-up work that changed it).
inline void setEngineStatus(const EngineStatus& saved) {
  setEngineStatus(saved.code, saved.text, saved.driverCode, saved.driverText);
}

}  // namespace vel
