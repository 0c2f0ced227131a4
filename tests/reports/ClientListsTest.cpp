// The route client lists: who is printed, in client order, with which
// columns; no route chosen prints nothing.
#include "reports/ClientLists.h"

#include "reports/ReportFixture.h"

namespace vel::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

struct Pickers : ReportPickers {
  std::optional<std::string> route;
  std::optional<std::string> pickRoute() override { return route; }
  std::optional<std::string> pickAgent() override { return std::nullopt; }
  std::optional<std::string> pickCollector() override { return std::nullopt; }
  std::optional<std::int32_t> pickActionDate(std::int32_t) override { return std::nullopt; }
};

class ClientLists : public ReportFixture {
 protected:
  void member(const std::string& id, const std::string& surname, const std::string& active,
              const std::string& route) {
    add<rec::VelCli>([&](rec::VelCli& c) {
      c.CLIENT_ID = id;
      c.SURNAME = surname;
      c.FIRSTNAME = "Lerato";
      c.ACTIVE = active;
      c.ROUTE = route;
      c.PLANPREM = 145.00;
      c.PHONE_WORK = "011 938 2210";
      c.PHONE_CELL = "0824417730";
    });
  }
  void office() {
    // Added out of client order: the lists print in client order.
    member("0003/DLA", "Dlamini", "Active", "Soweto North");
    member("0001/MOK", "Mokoena", "Active", "Soweto North");
    member("0002/NKO", "Nkosi", "Non Active", "Soweto North");
    member("0004/ZUL", "Zulu", "Active", "Tembisa");
    member("0005/SIT", "Sithole", "Deceased", "Soweto North");
    member("0006/KHU", "Khumalo", "active", "Soweto North");  // status compared exactly
  }
  Pickers pickers;
};

TEST_F(ClientLists, ActiveListPrintsActiveClientsOfTheRouteWithPremium) {
  office();
  pickers.route = "Soweto North";
  printActiveClientList(files, ui, clock, pickers, output);
  ASSERT_EQ(1u, output.docs.size());
  EXPECT_EQ("ACTIVE CLIENT LIST", output.docs[0].title);
  EXPECT_EQ("Route: Soweto North", output.docs[0].periodText);
  EXPECT_EQ((Rows{{"0001/MOK", "Mokoena", "Lerato", "145.00"},
                  {"0003/DLA", "Dlamini", "Lerato", "145.00"}}),
            output.docs[0].rows());
  ASSERT_EQ(1u, ui.windows.size());
  EXPECT_EQ("Generating Report", ui.windows[0]->title);
}

TEST_F(ClientLists, NonActiveListPrintsTelephones) {
  office();
  pickers.route = "Soweto North";
  printNonActiveClientList(files, ui, clock, pickers, output);
  ASSERT_EQ(1u, output.docs.size());
  EXPECT_EQ((Rows{{"0002/NKO", "Nkosi", "Lerato", "011 938 2210", "", "0824417730"}}),
            output.docs[0].rows());
}

TEST_F(ClientLists, NoRouteChosenPrintsNothingAndEmptyRouteStillPrintsAPage) {
  office();
  printActiveClientList(files, ui, clock, pickers, output);
  EXPECT_TRUE(output.docs.empty());
  EXPECT_TRUE(ui.windows.empty());

  pickers.route = "Giyani";
  printActiveClientList(files, ui, clock, pickers, output);
  ASSERT_EQ(1u, output.docs.size());
  EXPECT_TRUE(output.docs[0].rows().empty());
  EXPECT_EQ(1u, report::paginate(output.docs[0]).size());
}

}  // namespace
}  // namespace vel::test
