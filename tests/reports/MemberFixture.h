// Helpers of the member list and collection card tests: pickers that answer
// from fields and log the order in which they were asked, and clients,
// hamper members and setup records written straight into the data folder.
#pragma once

#include <string>
#include <vector>

#include "reports/ReportFixture.h"

namespace vel::test {

using Rows = std::vector<std::vector<std::string>>;

// Answers each pick from its field; `asked` logs "route", "agent",
// "collector" and (through the fixture) "period" in the order asked.
struct MemberPickers : ReportPickers {
  std::optional<std::string> route, agent, collector;
  std::vector<std::string> asked;
  std::optional<std::string> pickRoute() override { return log("route", route); }
  std::optional<std::string> pickAgent() override { return log("agent", agent); }
  std::optional<std::string> pickCollector() override { return log("collector", collector); }
  std::optional<std::int32_t> pickActionDate(std::int32_t) override { return std::nullopt; }

 private:
  std::optional<std::string> log(const char* what, const std::optional<std::string>& answer) {
    asked.emplace_back(what);
    return answer;
  }
};

class MemberFixture : public ReportFixture {
 protected:
  void SetUp() override {
    ReportFixture::SetUp();
    ui.onDateRange = [this](DateRangeForm& f) {
      pickers.asked.emplace_back("period");
      if (!acceptPeriod) {
        f.cancelPressed();
        return;
      }
      if (periodStart) f.setStart(periodStart);
      if (periodEnd) f.setEnd(periodEnd);
      f.acceptPressed();
    };
  }

  // A client with the usual fields filled; `more` sets the rest.
  template <class More>
  void member(const std::string& id, const std::string& surname, More more) {
    add<rec::VelCli>([&](rec::VelCli& c) {
      c.CLIENT_ID = id;
      c.SURNAME = surname;
      c.FIRSTNAME = "Lerato";
      c.ACTIVE = "Active";
      c.H_ADDR1 = "12 Vilakazi Street";
      c.H_ADDR2 = "Orlando East";
      c.H_ADDR3 = "Soweto";
      c.H_CODE = 1804;
      c.PHONE_CELL = "0824417730";
      c.STRNO = "12";
      more(c);
    });
  }
  void member(const std::string& id, const std::string& surname) {
    member(id, surname, [](rec::VelCli&) {});
  }

  void hamper(const std::string& id, const std::string& surname, const std::string& active,
              const std::string& route, double premium) {
    add<rec::Hamper>([&](rec::Hamper& h) {
      h.CLIENT_ID = id;
      h.SURNAME = surname;
      h.FIRSTNAME = "Thabo";
      h.ACTIVE = active;
      h.ROUTE = route;
      h.PREMIUM = premium;
      h.H_ADDR1 = "4 Mooi Street";
      h.PHONE_CELL = "0731112222";
      h.PHONE_HOME = "011 555 1234";
      h.STRNO = "4";
    });
  }

  void route(const std::string& code, const std::string& description) {
    add<rec::Route>([&](rec::Route& r) {
      r.ROUTE = code;
      r.DESCRIPTION = description;
    });
  }
  template <class R>
  void person(const std::string& code, const std::string& first, const std::string& surname) {
    add<R>([&](R& p) {
      p.CODE = code;
      p.FNAME = first;
      p.SURNAME = surname;
    });
  }

  // Every record of the work file of the collection cards, in record order.
  std::vector<rec::CliRout> workRecords() {
    std::vector<rec::CliRout> out;
    FileManager& f = files.fm<rec::CliRout>();
    FileUse use(f);
    f.ClearBuffer();
    if (f.SetOrder(kPhysicalOrder) != kDone) return out;
    while (f.TryReadNext() == kDone) out.push_back(f.rec<rec::CliRout>());
    return out;
  }

  MemberPickers pickers;
  bool acceptPeriod = true;
  std::int32_t periodStart = 0, periodEnd = 0;  // 0: keep the default
};

}  // namespace vel::test
