// velmora-admin's billing commands:
//
//   velmora-admin invoice-run [--dir DIR]
//       the month's invoice run on DIR (the working folder when not given)
//   velmora-admin daily [--dir DIR]
//       the daily start-up sequence without a window, for a scheduler: the
//       month reset, the invoice run after the 20th, the message runs that
//       are switched on; once a day however often and from however many
//       stations it is started
//
// Both draw a text bar on a terminal, end with a summary line (members
// invoiced, amount) and exit 0 when done, 1 on bad usage, 2 on a failure
// (the reason on standard error).
#pragma once

#include <string_view>

namespace vel::admin {

bool isInvoiceCommand(std::string_view command);
int invoiceCommand(int argc, char** argv);

}  // namespace vel::admin
