// Main.csv, the underwriter's schedule: one line per insured life, built from
// the client, its spouse, children and extended family as the schedule
// prescribes, with the product of plans A, B and C however the plan is coded.
#include "maintenance/ExportFixture.h"

namespace vel::test {
namespace {

class MainCsv : public ExportFixture {
 protected:
  void client(int number, const std::string& id, const std::string& surname,
              const std::string& plan, const std::string& option) {
    add<rec::VelCli>([&](rec::VelCli& c) {
      c.NUMBER = number;
      c.CLIENT_ID = id;
      c.SURNAME = surname;
      c.PLAN = plan;
      c.OPTION = option;
      c.DATE = day(2026, 3, 2);
    });
  }

  ExportResult writeMain() { return writeMainCsv(files, dir.path(), silent); }
};

const std::string kHeader =
    "PolicyNumber,EntryDate,Type,Surname,FirstNames,Initials,IdentityNumber,DOB,EntryAge,"
    "Product,UnderwritersPremium,Premium,Cover,Branch,Group/Society,Agent,Comments,Address,"
    "PostalAddress,Cell,HomeTel,WorkTel,PaymentMethod,DebitOrder,AccountNumber,AccountName,Bank,"
    "BranchCode,DebitDay,AccountType,StopOrder,S/O Number";

// A family: the main member with every column the schedule fills, the spouse
// and the children with the member's addresses but no telephone or bank,
// the extended family with neither; cover "10000" on the member's line and
// "10000.00" on the spouse's and the extended family's.
TEST_F(MainCsv, AFamilyGivesOneLinePerInsuredLife) {
  add<rec::VelCli>([&](rec::VelCli& c) {
    c.NUMBER = 1;
    c.CLIENT_ID = "0001/NKO";
    c.DATE = day(2026, 3, 2);
    c.SURNAME = "Nkosi";
    c.FIRSTNAME = "Sipho";
    c.MIDDLENAME = "Daniel";
    c.INITIALS = "SD";
    c.ID_NUMBER = "8001015009087";
    c.DOB = day(1980, 1, 1);
    c.PLAN = "A";
    c.OPTION = "Family";
    c.PREMIUM = 145;
    c.REMARKS = "Pays at the office";
    c.H_ADDR1 = "12 Vilakazi Street";
    c.H_ADDR2 = "Orlando West";
    c.H_ADDR3 = "Soweto";
    c.H_CODE = 1804;
    c.P_ADDR1 = "P O Box 12";
    c.P_ADDR3 = "Soweto";
    c.P_CODE = 1804;
    c.PHONE_CELL = "0821234567";
    c.PHONE_HOME = "011 123 4567";
    c.ACCOUNT_NUMBER = "62123456789";
    c.BANK_NAME = "FNB";
    c.BRANCH_CODE = "250655";
    c.DOM = "25";
    c.ACCOUNT_TYPE = "Cheque";
    c.S_SURNAME = "Nkosi";
    c.S_FIRSTNAME = "Lindiwe";
    c.S_ID_NUMBER = "8205050123084";
    c.S_DOB = day(1982, 5, 5);
    c.PREMTOPAY = 95.5;
  });
  for (const auto& [name, idNo, born, benefit] :
       {std::tuple{"Ayanda", "1005055123081", day(2010, 5, 5), 5000.0},
        std::tuple{"Bongani", "1407075123082", day(2014, 7, 7), 2500.0}}) {
    add<rec::VelChd>([&](rec::VelChd& k) {
      k.CLIENT_ID = "0001/NKO";
      k.C1_SURNAME = "Nkosi";
      k.C1_FIRSTNAME = name;
      k.C1_ID_NUMBER = idNo;
      k.C1_DOB = born;
      k.PREMIUM = 10;
      k.C1_BENEFIT = benefit;
    });
  }
  add<rec::VelExt>([&](rec::VelExt& e) {
    e.CLIENT_ID = "0001/NKO";
    e.SURNAME = "Dlamini";
    e.FIRSTNAME = "Grace";
    e.INITIALS = "G";
    e.ID_NUMBER = "5506060123085";
    e.DOB = day(1955, 6, 6);
  });
  // Another client's dependants stay on that client's lines.
  add<rec::VelChd>([&](rec::VelChd& k) {
    k.CLIENT_ID = "0002/OTH";
    k.C1_SURNAME = "Other";
  });

  ExportResult r = writeMain();
  ASSERT_TRUE(r.ok) << r.failure;
  const std::string home = "12 Vilakazi Street Orlando West Soweto 1804";
  const std::string postal = "P O Box 12  Soweto 1804";
  const std::string product = "18 - 64  Family";
  EXPECT_EQ(kHeader + "\r\n" +
                ",02/03/2026,Main Member,Nkosi,Sipho D,SD,8001015009087,01/01/1980,," + product +
                ",,145.00,10000,,,,Pays at the office," + home + "," + postal +
                ",0821234567,011 123 4567,,,,62123456789,SD Nkosi,FNB,250655,25,Cheque,,\r\n" +
                ",02/03/2026,Spouse,Nkosi,Lindiwe,L,8205050123084,05/05/1982,," + product +
                ",95.50,,10000.00,,,,," + home + "," + postal + ",,,,,,,,,,,,,\r\n" +
                ",02/03/2026,Child,Nkosi,Ayanda,A,1005055123081,05/05/2010,," + product +
                ",,10.00,5000.00,,,,," + home + "," + postal + ",,,,,,,,,,,,,\r\n" +
                ",02/03/2026,Child,Nkosi,Bongani,B,1407075123082,07/07/2014,," + product +
                ",,10.00,2500.00,,,,," + home + "," + postal + ",,,,,,,,,,,,,\r\n" +
                ",,Extended,Dlamini,Grace,G,5506060123085,06/06/1955,," + product +
                ",,,10000.00,,,,,,,,,,,,,,,,,,,\r\n",
            text("Main.csv"));
  EXPECT_EQ("", readBack({file("Main.csv")}));
}

// The product of plans A, B and C, coded as the plan table codes them or in
// the long form; any other plan leaves it blank on every line of the client.
// A spouse name without an identity number gives no spouse line.
TEST_F(MainCsv, ProductFollowsThePlanCodeAndOtherPlansLeaveItBlank) {
  client(1, "0001/AAA", "Alpha", "A", "Single");
  client(2, "0002/BBB", "Bravo", "Plan B", "Single Parent");
  client(3, "0003/CCC", "Charlie", "c", "1 Plus 9");
  client(4, "0004/DDD", "Delta", "D", "Family");
  client(5, "0005/HAM", "Hotel", "HAM", "Family");
  {
    FileManager& f = files.fm<rec::VelCli>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::VelCli>().CLIENT_ID = "0004/DDD";
    ASSERT_EQ(kDone, f.TryGetByKey(f.keyIndex("By_Client")));
    f.rec<rec::VelCli>().S_SURNAME = "Delta";
    f.rec<rec::VelCli>().S_FIRSTNAME = "Dora";
    ASSERT_EQ(kDone, f.TryUpdate());
  }
  add<rec::VelExt>([](rec::VelExt& e) {
    e.CLIENT_ID = "0004/DDD";
    e.SURNAME = "Delta";
  });
  ASSERT_TRUE(writeMain().ok);
  EXPECT_EQ("", readBack({file("Main.csv"),
                          "--cell", file("Main.csv"), "1", "Product", "18 - 64  Single",
                          "--cell", file("Main.csv"), "2", "Product", "65 - 74  Single Parent",
                          "--cell", file("Main.csv"), "3", "Product", "75 - 84  1 Plus 9",
                          "--cell", file("Main.csv"), "4", "Product", "",
                          "--cell", file("Main.csv"), "5", "Type", "Extended",
                          "--cell", file("Main.csv"), "5", "Product", "",
                          "--cell", file("Main.csv"), "6", "Product", "",
                          "--cell", file("Main.csv"), "6", "Surname", "Hotel"}));
  EXPECT_EQ(7u, lines("Main.csv").size());
}

// Comments carry the first 100 characters of the remarks, line breaks and
// all; a surname with a comma or an apostrophe is read back intact.
TEST_F(MainCsv, RemarksAndAwkwardNamesSurviveAReadBack) {
  add<rec::VelCli>([&](rec::VelCli& c) {
    c.NUMBER = 1;
    c.CLIENT_ID = "0001/OBR";
    c.SURNAME = "O'Brien, Snr";
    c.FIRSTNAME = "Mpho";
    c.INITIALS = "M";
    c.REMARKS = "Line one, \"quoted\"\nLine two " + std::string(200, 'z');
    c.S_ID_NUMBER = "8205050123084";
    c.S_SURNAME = "D'Souza";
  });
  ASSERT_TRUE(writeMain().ok);
  const std::string comments = ("Line one, \"quoted\"\nLine two " + std::string(200, 'z')).substr(0, 100);
  EXPECT_EQ("", readBack({file("Main.csv"),
                          "--cell", file("Main.csv"), "1", "Surname", "O'Brien, Snr",
                          "--cell", file("Main.csv"), "1", "AccountName", "M O'Brien, Snr",
                          "--cell", file("Main.csv"), "1", "Comments", comments,
                          "--cell", file("Main.csv"), "2", "Surname", "D'Souza",
                          "--cell", file("Main.csv"), "2", "Comments", ""}));
}

// "Export Data" from the menu: the note names the real data folder.
TEST_F(MainCsv, TheMenuProcedureNamesTheDataFolder) {
  const std::string folder = std::filesystem::absolute(dir.path()).lexically_normal().string();
  ui.expect("Please Note", kOk,
            "This process will create a MAIN.CSV file in your " + folder + " folder");
  EXPECT_TRUE(Export_Main(files, ui).ok);
  EXPECT_EQ(kHeader + "\r\n", text("Main.csv"));
}

}  // namespace
}  // namespace vel::test
