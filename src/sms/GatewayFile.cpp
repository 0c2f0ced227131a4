#include "sms/GatewayFile.h"

#include <array>
#include <cstdio>

#include "common/Dates.h"
#include "common/Money.h"
#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "recordstore/DataFiles.h"

namespace vel::sms {

namespace {

constexpr std::string_view kEol = "\r\n";
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

bool knownReason(std::string_view reason) {
  return reason == kInvoice || reason == kPayment || reason == kFiveDay || reason == kTenDay;
}

GatewayAccount readGatewayAccount(DataFiles& files) {
  GatewayAccount a;
  FileManager& f = files.fm<rec::BDetal>();
  FileUse use(f);
  const int handle = f.PushState();
  f.SetOrder(kPhysicalOrder);
  if (f.TryReadNext() == kDone) {
    const auto& r = f.rec<rec::BDetal>();
    a.username = r.USERNAME.text();
    a.password = r.PASSWORD.text();
    a.conEmail = r.CON_EMAIL.text();
    a.cellNo = r.CELL_NO.text();
  }
  f.PopState(handle);
  return a;
}

std::string amountText(double rand) { return formatPlain(roundCents(rand)); }

std::string reminderText(std::string_view reason, double amount) {
  const std::string r = amountText(amount);
  if (reason == kInvoice) return "~ Please remember to pay your Velmora Premium of R" + r;
  if (reason == kPayment) return "~ Thank you for your payment for Velmora Premium of R" + r;
  if (reason == kFiveDay) return "~ Your Velmora Premium of R" + r + " is 5 days overdue";
  if (reason == kTenDay) return "~ Your Velmora Premium of R" + r + " is 10 days overdue";
  return {};
}

std::string freeText(std::string_view message) { return "~ " + std::string(rtrim(message)); }

std::string messageFile(const GatewayAccount& account, Moment at, std::string_view cell,
                        std::string_view text) {
  const Ymd d = ymdFromDate(at.day);
  int h = 0, m = 0, s = 0, hs = 0;
  hmsFromTime(at.time, h, m, s, hs);
  char date[32], time[8];
  std::snprintf(date, sizeof date, "%d/%s/%04d", d.day,
                std::string(kMonths[static_cast<std::size_t>(d.month - 1)]).c_str(), d.year);
  std::snprintf(time, sizeof time, "%02d:%02d", h, m);

  std::string out;
  for (std::string_view line :
       {std::string_view("5"), rtrim(account.username), rtrim(account.password),
        rtrim(account.conEmail), std::string_view(date), std::string_view(time),
        rtrim(account.cellNo)}) {
    out += line;
    out += kEol;
  }
  if (!rtrim(cell).empty()) {
    out += rtrim(cell);
    out += text;
    out += kEol;
  }
  return out;
}

std::string messageFileStem(Moment at) {
  int h = 0, m = 0, s = 0, hs = 0;
  hmsFromTime(at.time, h, m, s, hs);
  return "SK" + std::to_string(dateToYyyymmdd(at.day)) + std::to_string(h * 10000 + m * 100 + s);
}

std::int32_t dueDay(std::string_view dom, std::int32_t today) {
  long n = 0;
  for (char c : trim(dom)) {
    if (c < '0' || c > '9') break;
    n = n * 10 + (c - '0');
  }
  const Ymd t = ymdFromDate(today);
  return dateFromYmd(t.year, t.month, 1) - 1 + static_cast<std::int32_t>(n);
}

}  // namespace vel::sms
