// velmora-admin's SMS commands.
//
//   velmora-admin sms REASON [--dir DIR] [--client ID --amount A [--hamper]]
//       a reminder run ("Invoice", "5 Day", "10 Day"), or "Payment" for one
//       member and amount, then the upload of everything waiting
//   velmora-admin sms-outbox [--dir DIR] [--retry]
//       how many messages wait in the outbox; --retry uploads them
//
// Both print "N sent, M waiting" and exit 2 when an upload failed or no
// gateway is set up (the messages wait), 1 on a usage error.
#pragma once

#include <string_view>
#include <vector>

namespace vel::admin {

int smsCommand(const std::vector<std::string_view>& args);
// The thank-you and invoice messages that follow postings made by this tool.
void installSmsHooks();
int smsOutboxCommand(const std::vector<std::string_view>& args);

}  // namespace vel::admin
