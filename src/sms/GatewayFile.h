// The gateway's message file: what one text message looks like on disk.
//
// A message file is eight lines of plain text, written with CRLF line ends
// (the gateway reads files made on office PCs):
//
//   1  "5"
//   2  the branch's gateway user name (BDetal.USERNAME)
//   3  the branch's gateway password (BDetal.PASSWORD)
//   4  the contact e-mail (BDetal.CON_EMAIL)
//   5  today as day/Mon/year, the day without a leading zero ("3/Jul/2014")
//   6  the time now as hh:mm, 24-hour, hour with a leading zero ("09:15")
//   7  the branch's own cell number (BDetal.CELL_NO)
//   8  the recipient's cell number followed directly by the text
//
// Every value has its trailing blanks removed. The file is named "SK", the
// date as yyyymmdd and the time hhmmss read as a number (no leading zeros),
// then ".txt": SK2014070391502.txt for 09:15:02 on 3 July 2014.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace vel {
class DataFiles;
}

namespace vel::sms {

// The four reminder reasons a run knows.
inline constexpr std::string_view kInvoice = "Invoice";
inline constexpr std::string_view kPayment = "Payment";
inline constexpr std::string_view kFiveDay = "5 Day";
inline constexpr std::string_view kTenDay = "10 Day";
bool knownReason(std::string_view reason);

// The branch's account with the gateway (lines 2-4 and 7), from the first
// BDetal record. A missing file or record gives blank values.
struct GatewayAccount {
  std::string username, password, conEmail, cellNo;
};
GatewayAccount readGatewayAccount(DataFiles& files);

// An amount as a plain number: no separator, no trailing zeros (150, 99.5).
std::string amountText(double rand);

// The text of line 8 after the cell number, by reason ("Invoice", "Payment",
// "5 Day", "10 Day"); `amount` is the premium, or the payment for "Payment".
std::string reminderText(std::string_view reason, double amount);
// A free message: "~ " and the message, trailing blanks removed.
std::string freeText(std::string_view message);

// The whole file: lines 1-7 and, when given, line 8 (cell number + text).
std::string messageFile(const GatewayAccount& account, Moment at, std::string_view cell,
                        std::string_view text);

// "SK" + yyyymmdd + hhmmss as a number, without the ".txt".
std::string messageFileStem(Moment at);

// The day the premium of a client with this DOM falls due in the month of
// `today`: the DOM-th day of that month, days past the end running on into
// the next month, 0 (and a blank DOM) the last day of the previous month.
std::int32_t dueDay(std::string_view dom, std::int32_t today);

}  // namespace vel::sms
