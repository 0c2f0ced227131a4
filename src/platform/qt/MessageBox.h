// Message boxes, the busy cursor and the program stop, with Qt.
#pragma once

#include <string_view>

#include "platform/Ui.h"

class QWidget;

namespace vel::qt {

// A modal box over `parent` (or the active window). A vertical bar in `text`
// starts a new line. Returns the button pressed, kNoButton when closed.
unsigned showMessage(QWidget* parent, std::string_view text, std::string_view title, Icon icon,
                     unsigned buttons, unsigned defaultButton);
void setBusy(bool on);
// Ends the program at once after a stopping message.
[[noreturn]] void haltProgram(int exitCode);

}  // namespace vel::qt
