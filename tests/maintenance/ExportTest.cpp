// The single-file exports: each file's header line as the office's other
// systems expect it, values written through their pictures, text cut to its
// column, RFC 4180 quoting that a real CSV reader reads back intact, and an
// export that cannot read its file to the end writing nothing at all.
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>

#include "maintenance/ExportCsv.h"
#include "maintenance/ExportFixture.h"
#include "shell/MenuTable.h"
#include "support/FileDamage.h"
#include "support/Engines.h"

namespace vel::test {
namespace {

namespace fs = std::filesystem;

const std::string kMemberHeaderStart =
    "Client No,Client ID,Entry Date,Surname,Firstname,MiddleName,Ini,Title,ID_Number,Dob,Gender,"
    "MaidenName,H_Addr1,H_Addr2,H_Addr3,Ham:H_Code,P_Addr1,P_Addr2,P_Addr3,P_Code,Phone_Home,"
    "Phone_Work,Phone_Cell,Bank_Name,Branch_Name,Branch,Account_Number,Account_Type,Remarks,M,"
    "B1_FirstName,B1_Surname,B1_ID_Number,Ham:B1_DOB,B1_Relation,B1_Add1,B1_Add2,B1_Add3,B1_C,"
    "B1_Contact,,Age_C,Age_Surname,Age_FName,Col_C,Col_Surname,Col_FName,S_Surname,S_FirstName,"
    "S_ID_Number,Ham:S_DOB,S_Gend,Premium,";

const std::map<std::string, std::string> kHeaders = {
    {"VelAge.csv", "Client_ID,Total,Current,P30,P60,P90,P90Plus,BalBF,Bran"},
    {"VelExt.csv",
     "Client_ID,Date,Surname,Firstname,MiddleName,Ini,Title,ID_Number,Dob,Gender,Age_Group,"
     "Relate,Active,DateChange,Wait_Date,Number"},
    {"VelChild.csv",
     "Client_ID,Surname,FirstName,ID_Number,DOB,Benefit,Age,Gender,Premium,Number,Prem2Pay,"
     "MyComm,Active,DateChange"},
    {"BankList.csv", "Name,Branch,Branch,Contact,Phone,Address"},
    {"BankName.csv", "Name"},
    {"Banks.csv", "Name,Acc No,Branch,Acc Type,Description,0"},
    {"Agent.csv", "Code,Surname,First Name,Middle Name,TelNo,CellNo"},
    {"VelCli.csv",
     kMemberHeaderStart +
         "Cut_Off,Option,Dom,Wait_Date,Plan,Cover,Benefit,Active,Email,SMS_Date,SMS_Rea,"
         "SMS_SendIt,SMS_Mess,DateChange,Date6,Date24,Route,PremToPay,MyComm,Day5,Day10,S_Active,"
         "S_ChangeDate,Age_Comm,Col_Comm,Ham_Byte,Hamper,PlanPrem,StrNo"},
    {"CommStru.csv", "0,0"},
    {"Town.csv", "Town"},
    {"Route.csv", "Route,Description"},
    {"SMS_Data.csv", "Reason,XMessage"},
    {"Collect.csv", "Code,Surname,FName,MidName,TelNo,CellNo"},
    {"Postal.csv", "Town,Suburb,Post,Stre"},
    {"VelTra.csv",
     "Client_ID,Date,Type,Account,Source,Credit,Debit,Sta,Bran,X_Date,X_Time,X_Id,Bank_Name,"
     "Bank_Account,Deleted,Unique,PayOver,Coll_Comm,Age_Comm"},
    {"BankBranch.csv", "Name,Branch,Code,Contact,Phone,Address"},
    {"VelPay.csv",
     "Client_ID,Date,Account,Source,Credit,Sta,Bran,X_Date,X_Time,X_Id,Bank_Name,Bank_Account,"
     "Deleted,Unique,Col_C,Age_C,Col_Comm,Age_Comm,Prem2Pay,DblPay"},
    {"VelInv.csv", "Client_ID,Date,Debit,Sta,Bran,Unique,Risk,Admin,Age_Comm,Proc"},
    {"HamTra.csv",
     "Client_ID,Date,Type,Account,Source,Credit,Debit,Sta,Bran,X_Date,X_Time,X_Id,Bank_Name,"
     "Bank_Account,Deleted,Unique,PayOver,Coll_Comm,Age_Comm"},
    {"HamPay.csv",
     "Client_ID,Date,Account,Source,Credit,Sta,Bran,X_Date,X_Time,X_Id,Bank_Name,Bank_Account,"
     "Deleted,Unique,Col_C,Age_C,Col_Comm,Age_Comm,Prem2Pay,DblPay"},
    {"HamInv.csv", "Client_ID,Date,Debit,Sta,Bran,Unique,Risk,Admin,Age_Comm,Proc"},
    {"HamAge.csv", "Client_ID,Total,Current,P30,P60,P90,P90Plus,BalBF,Bran"},
    {"Hamper.csv",
     kMemberHeaderStart +
         "Active,Email,SMS_Date,SMS_Rea,SMS_SendIt,SMS_Mess,Route,MyComm,Day5,Day10,S_Active,"
         "S_ChangeDate,Age_Comm,Col_Comm,Ham_Byte,Hamper,StrNo"},
    {"AgeIss.csv", "Code,Date_Iss,Date_Rec,Prefi,Number,Amount,Client_ID"},
    {"PlanChild.csv", "Pla,Type,Premium,Pay_Over,Comm,Cover,AgeGroup"},
    {"Plan.csv", "Pla,Type,Premium,Pay_Over,Comm,Cover"},
};

using Export = ExportFixture;

// An empty file gives its header line alone, for each of the 26 exports; the
// member files carry every field but SENT (82 and 70 columns).
TEST_F(Export, EveryExportOfAnEmptyFileIsItsHeaderLineAlone) {
  ASSERT_EQ(26u, exportTables().size());
  for (const ExportDecl& d : exportTables()) {
    const Layout& source = files.fm(d.source).layout();
    for (const ExportColumn& c : d.columns)
      EXPECT_GE(source.fieldIndex(c.field), 0) << d.fileName << ": no field " << c.field;
    ExportResult r = write(d.fileName);
    ASSERT_TRUE(r.ok) << d.fileName << ": " << r.failure;
    EXPECT_EQ(0, r.records);
    ASSERT_EQ(1u, kHeaders.count(d.fileName)) << d.fileName;
    EXPECT_EQ(kHeaders.at(d.fileName) + "\r\n", text(d.fileName)) << d.fileName;
  }
  EXPECT_EQ(82u, findExport("VelCli.csv")->columns.size());
  EXPECT_EQ(70u, findExport("Hamper.csv")->columns.size());
}

// Each "Export ..." item of the File menu starts an export of its own, and
// the "Please Note" texts name the files as the office knows them.
TEST_F(Export, EveryMenuItemHasItsExportAndNote) {
  std::set<std::string> written;
  int items = 0;
  for (const Menu& m : mainMenu())
    for (const MenuItem& i : m.items) {
      if (!i.text.starts_with("Export ")) continue;
      ++items;
      const ExportDecl* d = findExport(i.procedure);
      ASSERT_NE(nullptr, d) << i.text;
      EXPECT_EQ(std::string(i.procedure), d->procedure);
      written.insert(d->fileName);
    }
  EXPECT_EQ(26, items);
  EXPECT_EQ(26u, written.size());
  std::string names;
  for (const ExportDecl& d : exportTables()) names += d.noteName + " ";
  EXPECT_EQ(
      "VelAge VelExt VelChd BankList BankName Banks Agent VelCli CommStr Town Route SMSData "
      "Collect Postal VelTra BankBra VelPay VelInv HamTra HamPay HamInv HamAge Hamper AgeIss "
      "PlanChd Plan ",
      names);
}

// Dates as day/month/year, times as hours and minutes, amounts with two
// decimals and their minus sign, no date as an empty cell; an amount wider
// than its column is written whole, never cut.
TEST_F(Export, LedgerLinesAreWrittenThroughTheirPictures) {
  add<rec::VelTra>([&](rec::VelTra& t) {
    t.CLIENT_ID = "0001/ADA";
    t.DATE = day(2026, 12, 9);
    t.TYPE = "Payment";
    t.ACCOUNT = "Petty Cash";
    t.SOURCE = "Cash";
    t.CREDIT = 150;
    t.BRANCH_ID = "01";
    t.X_DATE = day(2026, 12, 9);
    t.X_TIME = 10 * 360000 + 30 * 6000 + 1550;
    t.X_ID = "ADMIN";
    t.UNIQUE = "461234567";
    t.PAYOVER = 142.5;
    t.COLL_COMM = 4.5;
    t.AGE_COMM = 3;
  });
  add<rec::VelTra>([&](rec::VelTra& t) {
    t.CLIENT_ID = "0002/BOT";
    t.TYPE = "Invoice";
    t.DEBIT = 123456789012.5;
    t.CREDIT = -25.5;
    t.DELETED = 7;
  });
  ASSERT_TRUE(write("VelTra").ok);
  auto l = lines("VelTra.csv");
  ASSERT_EQ(3u, l.size());
  EXPECT_EQ(
      "0001/ADA,09/12/2026,Payment,Petty Cash,Cash,150.00,0.00,,01,09/12/2026,10:30,ADMIN,,,0,"
      "461234567,142.50,4.50,3.00",
      l[1]);
  EXPECT_EQ("0002/BOT,,Invoice,,,-25.50,123456789012.50,,,,00:00,,,,7,,0.00,0.00,0.00", l[2]);
}

// The two numeric exports: the commission structure under its "0,0" line
// and the bank account's default flag, plain numbers never quoted.
TEST_F(Export, NumericColumnsArePlainNumbers) {
  add<rec::CommStr>([](rec::CommStr& c) {
    c.AGENT = 12.5;
    c.COLL = 7.25;
  });
  add<rec::Banks>([](rec::Banks& b) {
    b.NAME = "FNB, Polokwane";
    b.ACCOUNT = "62123456789";
    b.CODE = "250655";
    b.TYPE = "Cheque";
    b.DEFAULT = 1;
  });
  ASSERT_TRUE(write("CommStru.csv").ok);
  ASSERT_TRUE(write("Banks.csv").ok);
  EXPECT_EQ("0,0\r\n12.5,7.25\r\n", text("CommStru.csv"));
  EXPECT_EQ("Name,Acc No,Branch,Acc Type,Description,0\r\n"
            "\"FNB, Polokwane\",62123456789,250655,Cheque,,1\r\n",
            text("Banks.csv"));
}

// A surname with a comma or an apostrophe, a name with quotes and remarks
// with a line break reach the file quoted as RFC 4180 has it and are read
// back intact by a real CSV reader, every line with its header's columns.
// Remarks longer than the column are cut to its 1024 characters.
TEST_F(Export, AwkwardTextSurvivesAReadBack) {
  const std::string remarks = "Paid at the office.\nCall before 10am, \"please\".";
  const std::string longRemarks(2000, 'x');
  add<rec::VelCli>([&](rec::VelCli& c) {
    c.NUMBER = 1;
    c.CLIENT_ID = "0001/VAN";
    c.SURNAME = "Van Wyk, Jr";
    c.FIRSTNAME = "Thabo \"TJ\"";
    c.MIDDLENAME = "O'Neil";
    c.REMARKS = remarks;
    c.H_CODE = 699;
    c.PREMIUM = 115;
  });
  add<rec::VelCli>([&](rec::VelCli& c) {
    c.NUMBER = 2;
    c.CLIENT_ID = "0002/DAN";
    c.SURNAME = "D'Almeida";
    c.REMARKS = longRemarks;
  });
  add<rec::VelExt>([](rec::VelExt& e) {
    e.CLIENT_ID = "0001/VAN";
    e.SURNAME = "O'Reilly, Smith";
    e.FIRSTNAME = "Anna";
  });
  ASSERT_TRUE(write("VelCli").ok);
  ASSERT_TRUE(write("VelExt").ok);
  const std::string all = text("VelCli.csv");
  EXPECT_NE(std::string::npos,
            all.find("\r\n1,0001/VAN,,\"Van Wyk, Jr\",\"Thabo \"\"TJ\"\"\",O'Neil,"));
  EXPECT_NE(std::string::npos,
            all.find(",\"Paid at the office.\nCall before 10am, \"\"please\"\".\","));
  EXPECT_NE(std::string::npos, all.find(",699,"));

  EXPECT_EQ("", readBack({file("VelCli.csv"), file("VelExt.csv"),
                          "--cell", file("VelCli.csv"), "1", "Surname", "Van Wyk, Jr",
                          "--cell", file("VelCli.csv"), "1", "Firstname", "Thabo \"TJ\"",
                          "--cell", file("VelCli.csv"), "1", "MiddleName", "O'Neil",
                          "--cell", file("VelCli.csv"), "1", "Remarks", remarks,
                          "--cell", file("VelCli.csv"), "2", "Surname", "D'Almeida",
                          "--cell", file("VelCli.csv"), "2", "Remarks", std::string(1024, 'x'),
                          "--cell", file("VelExt.csv"), "1", "Surname", "O'Reilly, Smith"}));
}

TEST(CsvCells, QuotingAndCutting) {
  std::string line;
  appendCsvCell(line, "plain");
  line += '|';
  appendCsvCell(line, "a,b");
  line += '|';
  appendCsvCell(line, "say \"hi\"");
  line += '|';
  appendCsvCell(line, "two\r\nlines");
  line += '|';
  appendCsvCell(line, "");
  EXPECT_EQ("plain|\"a,b\"|\"say \"\"hi\"\"\"|\"two\r\nlines\"|", line);
  // A character of several bytes is dropped whole, never split.
  EXPECT_EQ("Zo", cutToWidth("Zo\xc3\xab", 3));
  EXPECT_EQ("Zo\xc3\xab", cutToWidth("Zo\xc3\xab", 4));
  EXPECT_EQ("Bran", cutToWidth("Branch", 4));
}

class ExportFailure : public ExportFixture {
 protected:
  void SetUp() override {
    FileManager& f = files.fm<rec::VelTra>();
    FileUse use(f);
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(ecode::kNone, engine->begin({f.engineFile()}, 2, tx));
    for (int i = 1; i <= 400; ++i) {
      f.ClearBuffer();
      auto& t = f.rec<rec::VelTra>();
      t.CLIENT_ID = "0001/ADA";
      t.TYPE = "Invoice";
      t.DEBIT = i;
      t.UNIQUE = std::to_string(1000 + i);
      t.BANK_NAME = "A bank name to fill the pages";
      ASSERT_EQ(ecode::kNone, f.engineFile()->add(f.buffer()));
    }
    ASSERT_EQ(ecode::kNone, tx->commit());
  }

  std::vector<std::string> folderNames() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
};

// A damaged page part-way through the file: the export names the file, and
// the earlier export stays as it was with no half file or leftover beside it.
TEST_F(ExportFailure, AFailedReadWritesNothing) {
  VEL_SQLITE_FILES_ONLY();
  ASSERT_TRUE(write("VelTra").ok);
  const std::string earlier = text("VelTra.csv");
  ASSERT_EQ(401u, lines("VelTra.csv").size());
  const auto before = folderNames();

  ASSERT_GT(damagePages(files.fm<rec::VelTra>().path()), 0);
  ExportResult r = write("VelTra");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(std::string::npos, r.failure.find("VelTra")) << r.failure;
  EXPECT_EQ(earlier, text("VelTra.csv"));
  EXPECT_EQ(before, folderNames());
}

// From the menu: the "Please Note" box names the real data folder, then a
// failure is told in a box naming the file.
TEST_F(ExportFailure, TheMenuProcedureNotesTheFolderAndTellsAFailure) {
  VEL_SQLITE_FILES_ONLY();
  ASSERT_GT(damagePages(files.fm<rec::VelTra>().path()), 0);
  const std::string folder = fs::absolute(dir.path()).lexically_normal().string();
  ui.expect("Please Note", kOk, "This process will create VelTra.CSV file in your " + folder +
                                    " folder");
  ui.expect("Export Failed", kOk);
  EXPECT_FALSE(runExport(files, ui, *findExport("Export Velmora Transactions")).ok);
  const auto shown = ui.shown();
  ASSERT_EQ(2u, shown.size());
  EXPECT_NE(std::string::npos, shown[1].text.find("VelTra.csv was not written: the VelTra file"))
      << shown[1].text;
  EXPECT_FALSE(fs::exists(file("VelTra.csv")));
}

// The part file of an export whose process died is cleared by the next
// export of that file; a part file whose writer may still be running (this
// process, or another station's recent one) is left alone.
TEST_F(Export, PartFilesOfDeadExportsAreCleared) {
  // The number of a process that has ended.
  std::string deadPid;
  if (std::FILE* p = ::popen("sh -c 'echo $$'", "r")) {
    char buf[32] = {};
    if (std::fgets(buf, sizeof buf, p)) deadPid = buf;
    ::pclose(p);
  }
  while (!deadPid.empty() && deadPid.back() == '\n') deadPid.pop_back();
  ASSERT_FALSE(deadPid.empty());
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  const std::string dead = file("Town.csv.part-" + deadPid + "-1@" + host);
  const std::string live = file("Town.csv.part-" + std::to_string(::getpid()) + "-1@" + host);
  const std::string foreign = file("Town.csv.part-" + deadPid + "-1@another-station");
  const std::string other = file("Route.csv.part-" + deadPid + "-1@" + host);
  for (const std::string& f : {dead, live, foreign, other}) std::ofstream(f) << "half";

  ASSERT_TRUE(write("Town").ok);
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(live));
  EXPECT_TRUE(fs::exists(foreign));
  EXPECT_TRUE(fs::exists(other));  // another export's, cleared when that one is written
  EXPECT_EQ("Town\r\n", text("Town.csv"));
}

// An output folder that is not there: told, nothing left behind.
TEST_F(Export, AnOutputFolderThatIsNotThereIsTold) {
  ExportResult r = writeExport(files, *findExport("Town"), file("missing"), silent);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(std::string::npos, r.failure.find("could not be created")) << r.failure;
  EXPECT_FALSE(fs::exists(file("missing")));
}

}  // namespace
}  // namespace vel::test
