// Records and selections for the payment, ageing and issued-receipt reports:
// clients with a route and home address, payments, ageing records and issued
// receipts written into the fixture's data folder, and pickers that answer
// from set values and log the order in which they were asked.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "reports/ReportFixture.h"

namespace vel::test {

using Rows = std::vector<std::vector<std::string>>;

struct LoggingPickers : ReportPickers {
  std::optional<std::string> route, agent;
  std::optional<std::int32_t> actionDate;
  std::int32_t actionOpenedWith = 0;
  std::vector<std::string>* log = nullptr;

  std::optional<std::string> pickRoute() override {
    note("route");
    return route;
  }
  std::optional<std::string> pickAgent() override {
    note("agent");
    return agent;
  }
  std::optional<std::string> pickCollector() override {
    note("collector");
    return std::nullopt;
  }
  std::optional<std::int32_t> pickActionDate(std::int32_t initial) override {
    note("action date");
    actionOpenedWith = initial;
    return actionDate;
  }

 private:
  void note(const char* what) {
    if (log) log->push_back(what);
  }
};

class PaymentFixture : public ReportFixture {
 protected:
  void SetUp() override {
    ReportFixture::SetUp();
    pickers.log = &asked;
    ui.onDateRange = [this](DateRangeForm& f) {
      asked.push_back("period");
      if (cancelPeriod) {
        f.cancelPressed();
        return;
      }
      if (periodStart) f.setStart(periodStart);
      if (periodEnd) f.setEnd(periodEnd);
      f.acceptPressed();
    };
  }

  void member(const std::string& id, const std::string& active, const std::string& route,
              const std::string& addr1 = "", const std::string& addr2 = "",
              const std::string& addr3 = "") {
    add<rec::VelCli>([&](rec::VelCli& c) {
      c.CLIENT_ID = id;
      c.SURNAME = "Surname " + id.substr(0, 4);
      c.FIRSTNAME = "Thandi";
      c.ACTIVE = active;
      c.ROUTE = route;
      c.H_ADDR1 = addr1;
      c.H_ADDR2 = addr2;
      c.H_ADDR3 = addr3;
    });
  }

  void payment(const std::string& id, std::int32_t date, double amount,
               const std::string& status = "", int doublePay = 0) {
    add<rec::VelPay>([&](rec::VelPay& p) {
      p.CLIENT_ID = id;
      p.DATE = date;
      p.CREDIT = amount;
      p.STATUS = status;
      p.DBLPAY = doublePay;
      p.ACCOUNT = "Petty Cash";
      p.SOURCE = "Cash";
    });
  }

  LoggingPickers pickers;
  std::vector<std::string> asked;  // "route", "period", "action date", "agent" in order
  bool cancelPeriod = false;
  std::int32_t periodStart = 0, periodEnd = 0;  // 0: keep the default
};

}  // namespace vel::test
