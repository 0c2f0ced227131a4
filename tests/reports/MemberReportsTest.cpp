// The member lists: who each list prints, with which columns and header,
// the order in which the selections are asked, and what a cancelled or
// empty selection does.
#include "reports/MemberFixture.h"
#include "reports/MemberReports.h"

namespace vel::test {
namespace {

class MemberReports : public MemberFixture {
 protected:
  const report::Document& onlyDoc() {
    EXPECT_EQ(1u, output.docs.size());
    return output.docs.at(0);
  }
};

TEST_F(MemberReports, CollectorListPrintsActiveClientsOfTheCollector) {
  person<rec::Collect>("C01", "Sipho", "Ndlovu");
  member("0003/DLA", "Dlamini", [](rec::VelCli& c) { c.COL_CODE = "C01"; });
  member("0001/MOK", "Mokoena", [](rec::VelCli& c) {
    c.COL_CODE = "C01";
    c.H_ADDR2 = "";  // a blank address line is closed up
    c.STRNO = "7A";
  });
  member("0002/NKO", "Nkosi", [](rec::VelCli& c) {
    c.COL_CODE = "C01";
    c.ACTIVE = "Non Active";
  });
  member("0004/ZUL", "Zulu", [](rec::VelCli& c) { c.COL_CODE = "C02"; });
  pickers.collector = "C01";

  printCollectorList(files, ui, clock, pickers, output);

  const report::Document& doc = onlyDoc();
  EXPECT_EQ("COLLECTOR LIST", doc.title);
  EXPECT_EQ("Collector: C01 - Sipho Ndlovu", doc.periodText);
  EXPECT_EQ(
      (Rows{{"0001/MOK", "Mokoena", "Lerato", "0824417730", "12 Vilakazi Street, Soweto", "7A"},
            {"0003/DLA", "Dlamini", "Lerato", "0824417730",
             "12 Vilakazi Street, Orlando East, Soweto", "12"}}),
      doc.rows());
  ASSERT_EQ(1u, ui.windows.size());
  EXPECT_EQ("Printing Collector List, please wait ...", ui.windows[0]->text);
}

TEST_F(MemberReports, NoCodeChosenEndsWithoutOutput) {
  member("0001/MOK", "Mokoena");
  pickers.collector = "   ";  // the window closed with nothing chosen
  printCollectorList(files, ui, clock, pickers, output);
  printRouteList(files, ui, clock, pickers, output);         // route: cancelled
  printHamperClientList(files, ui, clock, pickers, output);  // route: cancelled
  printNewPoliciesPerRoute(files, ui, clock, pickers, output);
  EXPECT_TRUE(output.docs.empty());
  EXPECT_TRUE(ui.windows.empty());
  // A cancelled route is never followed by the period.
  EXPECT_EQ((std::vector<std::string>{"collector", "route", "route", "route"}), pickers.asked);
}

TEST_F(MemberReports, NewPoliciesPerRouteTakesTheRouteThenThePeriodBothEndsIncluded) {
  auto entered = [](std::int32_t d, const char* route) {
    return [=](rec::VelCli& c) {
      c.DATE = d;
      c.ROUTE = route;
      c.AGE_COMM = 25;
    };
  };
  member("0001/MOK", "Mokoena", entered(day(2026, 2, 1), "Soweto North"));
  member("0002/NKO", "Nkosi", entered(day(2026, 2, 28), "Soweto North"));
  member("0003/DLA", "Dlamini", entered(day(2026, 1, 31), "Soweto North"));  // before
  member("0004/ZUL", "Zulu", entered(day(2026, 3, 1), "Soweto North"));      // after
  member("0005/SIT", "Sithole", entered(day(2026, 2, 10), "Tembisa"));
  member("0006/KHU", "Khumalo", [&](rec::VelCli& c) {
    entered(day(2026, 2, 10), "Soweto North")(c);
    c.ACTIVE = "Non Active";
  });
  member("0007/MAS", "Masilela", [&](rec::VelCli& c) {
    entered(day(2026, 2, 12), "Soweto North")(c);
    c.H_CODE = 82;  // four digits with leading zeros
    c.AGE_COMM = 12.5;
  });
  member("0008/NTU", "Ntuli", [&](rec::VelCli& c) {
    entered(day(2026, 2, 13), "Soweto North")(c);
    c.H_CODE = 0;  // no postal code
  });
  pickers.route = "Soweto North";
  periodStart = day(2026, 2, 1);
  periodEnd = day(2026, 2, 28);

  printNewPoliciesPerRoute(files, ui, clock, pickers, output);

  EXPECT_EQ((std::vector<std::string>{"route", "period"}), pickers.asked);
  const report::Document& doc = onlyDoc();
  EXPECT_EQ("NEW POLICIES", doc.title);
  EXPECT_EQ("Period: 01/02/2026 to 28/02/2026   Route: Soweto North", doc.periodText);
  const std::string addr = "12 Vilakazi Street, Orlando East, Soweto";
  EXPECT_EQ((Rows{{"0001/MOK", "Mokoena", "Lerato", "25.00", "01/02/2026", addr, "1804"},
                  {"0002/NKO", "Nkosi", "Lerato", "25.00", "28/02/2026", addr, "1804"},
                  {"0007/MAS", "Masilela", "Lerato", "12.50", "12/02/2026", addr, "0082"},
                  {"0008/NTU", "Ntuli", "Lerato", "25.00", "13/02/2026", addr, ""}}),
            doc.rows());
  EXPECT_EQ("Printing New Policies, please wait ...", ui.windows.at(0)->text);
}

class NewPoliciesPerAgent : public MemberReports {
 protected:
  void office() {
    person<rec::Agent>("A01", "Zanele", "Mthembu");
    auto sold = [](const char* agent, std::int32_t d, double comm) {
      return [=](rec::VelCli& c) {
        c.AGE_CODE = agent;
        c.DATE = d;
        c.AGE_COMM = comm;
      };
    };
    member("0002/NKO", "Nkosi", sold("A01", day(2026, 3, 14), 30));
    member("0001/MOK", "Mokoena", sold("A01", day(2026, 3, 1), 25.5));
    member("0003/DLA", "Dlamini", sold("A02", day(2026, 3, 2), 40));
    member("0004/ZUL", "Zulu", sold("A01", day(2026, 2, 28), 40));  // before the period
    member("0005/SIT", "Sithole", [&](rec::VelCli& c) {
      sold("A01", day(2026, 3, 5), 40)(c);
      c.ACTIVE = "Deceased";
    });
    pickers.agent = "A01";
  }
};

TEST_F(NewPoliciesPerAgent, LinesAndTheAgentsTotalCommission) {
  office();
  printNewPoliciesPerAgent(files, ui, clock, pickers, output);

  EXPECT_EQ((std::vector<std::string>{"period", "agent"}), pickers.asked);
  const report::Document& doc = onlyDoc();
  EXPECT_EQ("Period: 01/03/2026 to 15/03/2026   Agent: A01 - Zanele Mthembu", doc.periodText);
  EXPECT_EQ((Rows{{"0001/MOK", "Mokoena", "Lerato", "25.50", "01/03/2026"},
                  {"0002/NKO", "Nkosi", "Lerato", "30.00", "14/03/2026"}}),
            doc.rows());
  EXPECT_EQ((Rows{{"", "", "Total Commission", "55.50", ""}}),
            doc.rows(report::BandKind::ReportTotal));
}

TEST_F(NewPoliciesPerAgent, TotalsOnlyPrintsNoLines) {
  office();
  printNewPoliciesPerAgentTotals(files, ui, clock, pickers, output);
  const report::Document& doc = onlyDoc();
  EXPECT_TRUE(doc.rows().empty());
  EXPECT_EQ((Rows{{"A01", "55.50"}}), doc.rows(report::BandKind::ReportTotal));
}

TEST_F(NewPoliciesPerAgent, CancelledPeriodAsksNoAgentAndAnAgentWithoutPoliciesTotalsZero) {
  office();
  acceptPeriod = false;
  printNewPoliciesPerAgent(files, ui, clock, pickers, output);
  EXPECT_TRUE(output.docs.empty());
  EXPECT_EQ((std::vector<std::string>{"period"}), pickers.asked);

  acceptPeriod = true;
  pickers.agent = "A09";  // not on file: the code alone in the header
  printNewPoliciesPerAgentTotals(files, ui, clock, pickers, output);
  const report::Document& doc = onlyDoc();
  EXPECT_EQ("Period: 01/03/2026 to 15/03/2026   Agent: A09", doc.periodText);
  EXPECT_EQ((Rows{{"A09", "0.00"}}), doc.rows(report::BandKind::ReportTotal));
}

TEST_F(MemberReports, NameAndAddressListsEveryClientWithoutAsking) {
  member("0002/NKO", "Nkosi", [](rec::VelCli& c) { c.ACTIVE = "Deceased"; });
  member("0001/MOK", "Mokoena", [](rec::VelCli& c) {
    c.H_ADDR1 = "";
    c.H_ADDR2 = "";
    c.H_ADDR3 = "";
    c.H_CODE = 0;
    c.STRNO = "";
  });
  printNameAndAddressList(files, ui, clock, pickers, output);
  EXPECT_TRUE(pickers.asked.empty());
  const report::Document& doc = onlyDoc();
  EXPECT_EQ("NAME and ADDRESS", doc.title);
  EXPECT_EQ((Rows{{"0001/MOK", "Mokoena", "Lerato", "", "", ""},
                  {"0002/NKO", "Nkosi", "Lerato", "12 Vilakazi Street, Orlando East, Soweto",
                   "1804", "12"}}),
            doc.rows());
}

TEST_F(MemberReports, RouteListCarriesTheRouteDescriptionAndAnEmptyRouteStillPrintsAPage) {
  route("Soweto North", "Orlando and Meadowlands, Tuesdays");
  member("0001/MOK", "Mokoena", [](rec::VelCli& c) { c.ROUTE = "Soweto North"; });
  member("0002/NKO", "Nkosi", [](rec::VelCli& c) { c.ROUTE = "Tembisa"; });
  member("0003/DLA", "Dlamini", [](rec::VelCli& c) {
    c.ROUTE = "Soweto North";
    c.ACTIVE = "Non Active";
  });
  pickers.route = "Soweto North";
  printRouteList(files, ui, clock, pickers, output);
  const report::Document& doc = onlyDoc();
  EXPECT_EQ("ROUTE", doc.title);
  EXPECT_EQ("Route: Soweto North - Orlando and Meadowlands, Tuesdays", doc.periodText);
  EXPECT_EQ((Rows{{"0001/MOK", "Mokoena", "Lerato", "0824417730",
                   "12 Vilakazi Street, Orlando East, Soweto", "12"}}),
            doc.rows());

  pickers.route = "Giyani";
  printRouteList(files, ui, clock, pickers, output);
  ASSERT_EQ(2u, output.docs.size());
  EXPECT_EQ("Route: Giyani", output.docs[1].periodText);
  EXPECT_TRUE(output.docs[1].rows().empty());
  EXPECT_EQ(1u, report::paginate(output.docs[1]).size());
}

// A code typed in another case than stored is the stored code: the clients
// of "Soweto North" are listed for "SOWETO NORTH", never an empty report
// with zero totals.
TEST_F(MemberReports, RouteAgentAndCollectorTypedInAnotherCaseAreTheStoredOnes) {
  route("Soweto North", "Orlando and Meadowlands, Tuesdays");
  person<rec::Agent>("Ag7", "Zanele", "Mthembu");
  person<rec::Collect>("Cl3", "Sipho", "Ndlovu");
  member("0001/MOK", "Mokoena", [&](rec::VelCli& c) {
    c.ROUTE = "Soweto North";
    c.AGE_CODE = "Ag7";
    c.COL_CODE = "Cl3";
    c.AGE_COMM = 25;
    c.DATE = day(2026, 3, 2);
  });
  pickers.route = "SOWETO NORTH";
  printRouteList(files, ui, clock, pickers, output);
  pickers.collector = "cl3";
  printCollectorList(files, ui, clock, pickers, output);
  pickers.agent = "AG7";
  printNewPoliciesPerAgentTotals(files, ui, clock, pickers, output);
  pickers.route = "soweto north";
  printHamperClientList(files, ui, clock, pickers, output);

  ASSERT_EQ(4u, output.docs.size());
  EXPECT_EQ("Route: Soweto North - Orlando and Meadowlands, Tuesdays", output.docs[0].periodText);
  EXPECT_EQ(1u, output.docs[0].rows().size());
  EXPECT_EQ("Collector: Cl3 - Sipho Ndlovu", output.docs[1].periodText);
  EXPECT_EQ(1u, output.docs[1].rows().size());
  EXPECT_EQ((Rows{{"Ag7", "25.00"}}), output.docs[2].rows(report::BandKind::ReportTotal));
  EXPECT_EQ("Route: Soweto North - Orlando and Meadowlands, Tuesdays", output.docs[3].periodText);
}

TEST_F(MemberReports, HamperListPrintsActiveHamperMembersOfTheRoute) {
  hamper("0002/NKO", "Nkosi", "Active", "Tembisa", 50);
  hamper("0001/MOK", "Mokoena", "Active", "Tembisa", 75);
  hamper("0003/DLA", "Dlamini", "Non Active", "Tembisa", 75);
  hamper("0004/ZUL", "Zulu", "Active", "Soweto North", 75);
  member("0005/SIT", "Sithole", [](rec::VelCli& c) { c.ROUTE = "Tembisa"; });  // a client only
  pickers.route = "Tembisa";
  printHamperClientList(files, ui, clock, pickers, output);
  const report::Document& doc = onlyDoc();
  EXPECT_EQ("HAMPER CLIENT LIST", doc.title);
  EXPECT_EQ((Rows{{"0001/MOK", "Mokoena", "Thabo", "75.00", "4 Mooi Street", "0731112222",
                   "011 555 1234", "4"},
                  {"0002/NKO", "Nkosi", "Thabo", "50.00", "4 Mooi Street", "0731112222",
                   "011 555 1234", "4"}}),
            doc.rows());
}

}  // namespace
}  // namespace vel::test
