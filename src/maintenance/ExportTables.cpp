#include "maintenance/ExportTables.h"

#include <cmath>
#include <filesystem>
#include <map>

#include "common/Picture.h"
#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "maintenance/ExportCsv.h"
#include "maintenance/ExportWalk.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace vel {

namespace {

// Pictures of the export columns.
constexpr const char* kDay = "d06";
constexpr const char* kTime = "t01";
constexpr const char* kAmount = "n_9.2";
constexpr const char* kRecordNo = "n_9";
constexpr const char* kPostCode = "n_4";
constexpr const char* kCount = "n_6";
constexpr const char* kAge = "n3";
constexpr const char* kFlag = "n2";
constexpr const char* kNumeric = "#";

ExportColumn text(std::string header, std::string field, int width) {
  return {std::move(header), std::move(field), width, {}};
}
ExportColumn pic(std::string header, std::string field, int width, const char* picture) {
  return {std::move(header), std::move(field), width, picture};
}

// The ageing files: VelAge and HamAge.
std::vector<ExportColumn> ageColumns() {
  return {text("Client_ID", "CLIENT_ID", 10),     pic("Total", "TOTAL", 12, kAmount),
          pic("Current", "CURRENT", 12, kAmount), pic("P30", "P30", 12, kAmount),
          pic("P60", "P60", 12, kAmount),         pic("P90", "P90", 12, kAmount),
          pic("P90Plus", "P90PLUS", 12, kAmount), pic("BalBF", "BALBF", 12, kAmount),
          text("Branch", "BRANCH_ID", 4)};
}

std::vector<ExportColumn> transactionColumns() {
  return {text("Client_ID", "CLIENT_ID", 10),
          pic("Date", "DATE", 12, kDay),
          text("Type", "TYPE", 10),
          text("Account", "ACCOUNT", 10),
          text("Source", "SOURCE", 11),
          pic("Credit", "CREDIT", 12, kAmount),
          pic("Debit", "DEBIT", 12, kAmount),
          text("Status", "STATUS", 3),
          text("Branch", "BRANCH_ID", 4),
          pic("X_Date", "X_DATE", 12, kDay),
          pic("X_Time", "X_TIME", 12, kTime),
          text("X_Id", "X_ID", 10),
          text("Bank_Name", "BANK_NAME", 30),
          text("Bank_Account", "BANK_ACCOUNT", 20),
          pic("Deleted", "DELETED", 12, kRecordNo),
          text("Unique", "UNIQUE", 14),
          pic("PayOver", "PAYOVER", 12, kAmount),
          pic("Coll_Comm", "COLL_COMM", 12, kAmount),
          pic("Age_Comm", "AGE_COMM", 12, kAmount)};
}

std::vector<ExportColumn> paymentColumns() {
  return {text("Client_ID", "CLIENT_ID", 10),
          pic("Date", "DATE", 12, kDay),
          text("Account", "ACCOUNT", 10),
          text("Source", "SOURCE", 11),
          pic("Credit", "CREDIT", 12, kAmount),
          text("Status", "STATUS", 3),
          text("Branch", "BRANCH_ID", 4),
          pic("X_Date", "X_DATE", 12, kDay),
          pic("X_Time", "X_TIME", 12, kTime),
          text("X_Id", "X_ID", 10),
          text("Bank_Name", "BANK_NAME", 30),
          text("Bank_Account", "BANK_ACCOUNT", 20),
          pic("Deleted", "DELETED", 12, kRecordNo),
          text("Unique", "UNIQUE", 14),
          text("Col_C", "COL_CODE", 5),
          text("Age_C", "AGE_CODE", 5),
          pic("Col_Comm", "COL_COMM", 12, kAmount),
          pic("Age_Comm", "AGE_COMM", 12, kAmount),
          pic("Prem2Pay", "PREM2PAY", 12, kAmount),
          pic("DblPay", "DBLPAY", 12, kFlag)};
}

std::vector<ExportColumn> invoiceColumns() {
  return {text("Client_ID", "CLIENT_ID", 10),       pic("Date", "DATE", 12, kDay),
          pic("Debit", "DEBIT", 12, kAmount),       text("Status", "STATUS", 3),
          text("Branch", "BRANCH_ID", 4),           text("Unique", "UNIQUE", 14),
          pic("Risk", "RISK", 12, kAmount),         pic("Admin", "ADMIN", 12, kAmount),
          pic("Age_Comm", "AGE_COMM", 12, kAmount), pic("Proc", "PROC", 12, kFlag)};
}

// BankList and BankBranch: the same fields, the code column headed
// differently.
std::vector<ExportColumn> bankBranchColumns(const char* codeHeader) {
  return {text("Name", "NAME", 30),    text("Branch", "BRANCH", 30),
          text(codeHeader, "CODE", 6), text("Contact", "CONTACT", 30),
          text("Phone", "PHONE", 20),  text("Address", "ADDRESS", 50)};
}

// Agent and Collect: the same fields, headed differently.
std::vector<ExportColumn> personColumns(bool agent) {
  return {text("Code", "CODE", 5),
          text("Surname", "SURNAME", 20),
          text(agent ? "First Name" : "FName", "FNAME", 20),
          text(agent ? "Middle Name" : "MidName", "MIDNAME", 20),
          text("TelNo", "TELNO", 15),
          text("CellNo", "CELLNO", 10)};
}

std::vector<ExportColumn> planColumns(bool children) {
  std::vector<ExportColumn> c = {text("Plan", "PLAN", 3),
                                 text("Type", "TYPE", 15),
                                 pic("Premium", "PREMIUM", 12, kAmount),
                                 pic("Pay_Over", children ? "PAYOVER" : "PAY_OVER", 12, kAmount),
                                 pic("Comm", "COMM", 12, kAmount),
                                 pic("Cover", "COVER", 12, kAmount)};
  if (children) c.push_back(text("AgeGroup", "AGEGROUP", 10));
  return c;
}

// Headers of the member files' columns (VelCli and Hamper), by field.
const std::map<std::string, std::string, std::less<>>& memberHeaders() {
  static const std::map<std::string, std::string, std::less<>> h = {
      {"NUMBER", "Client No"},
      {"CLIENT_ID", "Client ID"},
      {"DATE", "Entry Date"},
      {"SURNAME", "Surname"},
      {"FIRSTNAME", "Firstname"},
      {"MIDDLENAME", "MiddleName"},
      {"INITIALS", "Ini"},
      {"TITLE", "Title"},
      {"ID_NUMBER", "ID_Number"},
      {"DOB", "Dob"},
      {"GENDER", "Gender"},
      {"MAIDENNAME", "MaidenName"},
      {"H_ADDR1", "H_Addr1"},
      {"H_ADDR2", "H_Addr2"},
      {"H_ADDR3", "H_Addr3"},
      {"H_CODE", "Ham:H_Code"},
      {"P_ADDR1", "P_Addr1"},
      {"P_ADDR2", "P_Addr2"},
      {"P_ADDR3", "P_Addr3"},
      {"P_CODE", "P_Code"},
      {"PHONE_HOME", "Phone_Home"},
      {"PHONE_WORK", "Phone_Work"},
      {"PHONE_CELL", "Phone_Cell"},
      {"BANK_NAME", "Bank_Name"},
      {"BRANCH_NAME", "Branch_Name"},
      {"BRANCH_CODE", "Branch"},
      {"ACCOUNT_NUMBER", "Account_Number"},
      {"ACCOUNT_TYPE", "Account_Type"},
      {"REMARKS", "Remarks"},
      {"MARITAL_STAT", "M"},
      {"B1_FIRSTNAME", "B1_FirstName"},
      {"B1_SURNAME", "B1_Surname"},
      {"B1_ID_NUMBER", "B1_ID_Number"},
      {"B1_DOB", "Ham:B1_DOB"},
      {"B1_RELATION", "B1_Relation"},
      {"B1_ADD1", "B1_Add1"},
      {"B1_ADD2", "B1_Add2"},
      {"B1_ADD3", "B1_Add3"},
      {"B1_CODE", "B1_C"},
      {"B1_CONTACT", "B1_Contact"},
      {"INVOICED", ""},
      {"AGE_CODE", "Age_C"},
      {"AGE_SURNAME", "Age_Surname"},
      {"AGE_FNAME", "Age_FName"},
      {"COL_CODE", "Col_C"},
      {"COL_SURNAME", "Col_Surname"},
      {"COL_FNAME", "Col_FName"},
      {"S_SURNAME", "S_Surname"},
      {"S_FIRSTNAME", "S_FirstName"},
      {"S_ID_NUMBER", "S_ID_Number"},
      {"S_DOB", "Ham:S_DOB"},
      {"S_GENDER", "S_Gend"},
      {"PREMIUM", "Premium"},
      {"CUT_OFF", "Cut_Off"},
      {"OPTION", "Option"},
      {"DOM", "Dom"},
      {"WAIT_DATE", "Wait_Date"},
      {"PLAN", "Plan"},
      {"COVER", "Cover"},
      {"BENEFIT", "Benefit"},
      {"ACTIVE", "Active"},
      {"EMAIL", "Email"},
      {"SMS_DATE", "SMS_Date"},
      {"SMS_REA", "SMS_Rea"},
      {"SMS_SENDIT", "SMS_SendIt"},
      {"SMS_MESS", "SMS_Mess"},
      {"DATECHANGE", "DateChange"},
      {"DATE6", "Date6"},
      {"DATE24", "Date24"},
      {"ROUTE", "Route"},
      {"PREMTOPAY", "PremToPay"},
      {"MYCOMM", "MyComm"},
      {"DAY5", "Day5"},
      {"DAY10", "Day10"},
      {"S_ACTIVE", "S_Active"},
      {"S_CHANGEDATE", "S_ChangeDate"},
      {"AGE_COMM", "Age_Comm"},
      {"COL_COMM", "Col_Comm"},
      {"HAM_BYTE", "Ham_Byte"},
      {"HAMPER", "Hamper"},
      {"PLANPREM", "PlanPrem"},
      {"STRNO", "StrNo"},
  };
  return h;
}

bool isMemberDate(std::string_view f) {
  for (const char* d : {"DATE", "DOB", "B1_DOB", "S_DOB", "WAIT_DATE", "SMS_DATE", "DATECHANGE",
                        "DATE6", "DATE24", "S_CHANGEDATE"})
    if (f == d) return true;
  return false;
}

// Every field of a member file in record order except SENT: the number,
// dates and postal codes 12 wide, the remarks `remarksWidth`, every other
// text the width of its field.
std::vector<ExportColumn> memberColumns(const Layout& layout, int remarksWidth) {
  std::vector<ExportColumn> cols;
  for (const FieldDesc& f : layout.fields()) {
    const std::string_view name = f.name;
    if (name == "SENT") continue;
    auto h = memberHeaders().find(name);
    std::string header = h == memberHeaders().end() ? std::string(name) : h->second;
    if (name == "NUMBER")
      cols.push_back(pic(header, f.name, 12, kRecordNo));
    else if (isMemberDate(name))
      cols.push_back(pic(header, f.name, 12, kDay));
    else if (name == "H_CODE" || name == "P_CODE")
      cols.push_back(pic(header, f.name, 12, kPostCode));
    else if (name == "REMARKS")
      cols.push_back(text(header, f.name, remarksWidth));
    else if (name == "INVOICED")
      cols.push_back(pic(header, f.name, 12, kFlag));
    else if (f.type == FieldType::String)
      cols.push_back(text(header, f.name, f.width));
    else if (f.type == FieldType::Real)
      cols.push_back(pic(header, f.name, 12, kAmount));
    else if (f.type == FieldType::Byte)
      cols.push_back(pic(header, f.name, 12, kFlag));
    else
      cols.push_back(pic(header, f.name, 12, kCount));
  }
  return cols;
}

std::vector<ExportDecl> build() {
  std::vector<ExportDecl> d;
  auto add = [&](const char* procedure, const char* file, const char* source, const char* note,
                 std::vector<ExportColumn> cols) {
    d.push_back({procedure, file, source, note, std::move(cols)});
  };
  add("Export Velmora Ageing", "VelAge.csv", "VelAge", "VelAge", ageColumns());
  add("Export Velmora Extended", "VelExt.csv", "VelExt", "VelExt",
      {text("Client_ID", "CLIENT_ID", 10), pic("Date", "DATE", 12, kDay),
       text("Surname", "SURNAME", 25), text("Firstname", "FIRSTNAME", 20),
       text("MiddleName", "MIDDLENAME", 20), text("Initials", "INITIALS", 3),
       text("Title", "TITLE", 6), text("ID_Number", "ID_NUMBER", 13), pic("Dob", "DOB", 12, kDay),
       text("Gender", "GENDER", 10), text("Age_Group", "AGE_GROUP", 20),
       text("Relate", "RELATE", 20), text("Active", "ACTIVE", 10),
       pic("DateChange", "DATECHANGE", 12, kDay), pic("Wait_Date", "WAIT_DATE", 12, kDay),
       pic("Number", "NUMBER", 12, kCount)});
  add("Export Velmora Child", "VelChild.csv", "VelChd", "VelChd",
      {text("Client_ID", "CLIENT_ID", 10), text("Surname", "C1_SURNAME", 20),
       text("FirstName", "C1_FIRSTNAME", 20), text("ID_Number", "C1_ID_NUMBER", 13),
       pic("DOB", "C1_DOB", 13, kDay), pic("Benefit", "C1_BENEFIT", 13, kAmount),
       pic("Age", "C1_AGE", 13, kAge), text("Gender", "GENDER", 10),
       pic("Premium", "PREMIUM", 13, kAmount), pic("Number", "NUMBER", 13, kCount),
       pic("Prem2Pay", "PREM2PAY", 13, kAmount), pic("MyComm", "MYCOMM", 13, kAmount),
       text("Active", "ACTIVE", 10), pic("DateChange", "DATECHANGE", 13, kDay)});
  add("Export Bank List", "BankList.csv", "BankList", "BankList", bankBranchColumns("Branch"));
  add("Export Bank Name", "BankName.csv", "BankName", "BankName", {text("Name", "NAME", 30)});
  add("Export Banks", "Banks.csv", "Banks", "Banks",
      {text("Name", "NAME", 30), text("Acc No", "ACCOUNT", 16), text("Branch", "CODE", 6),
       text("Acc Type", "TYPE", 15), text("Description", "DESCRIPTION", 30),
       pic("0", "DEFAULT", -1, kNumeric)});
  add("Export Agents", "Agent.csv", "Agent", "Agent", personColumns(true));
  add("Export Velmora Clients", "VelCli.csv", "VelCli", "VelCli",
      memberColumns(layoutOf<rec::VelCli>(), 1024));
  add("Export Comm Structure", "CommStru.csv", "CommStr", "CommStr",
      {pic("0", "AGENT", -1, kNumeric), pic("0", "COLL", -1, kNumeric)});
  add("Export Town", "Town.csv", "Town", "Town", {text("Town", "TOWN", 30)});
  add("Export Route", "Route.csv", "Route", "Route",
      {text("Route", "ROUTE", 20), text("Description", "DESCRIPTION", 100)});
  add("Export SMS Data", "SMS_Data.csv", "SMS_Data", "SMSData",
      {text("Reason", "REASON", 39), text("XMessage", "XMESSAGE", 160)});
  add("Export Collector", "Collect.csv", "Collect", "Collect", personColumns(false));
  add("Export Postal", "Postal.csv", "Postal", "Postal",
      {text("Town", "TOWN", 30), text("Suburb", "SUBURB", 40), text("Postal", "POSTAL", 4),
       text("Street", "STREET", 4)});
  add("Export Velmora Transactions", "VelTra.csv", "VelTra", "VelTra", transactionColumns());
  add("Export Bank Branch", "BankBranch.csv", "BankBranch", "BankBra", bankBranchColumns("Code"));
  add("Export Velmora Payments", "VelPay.csv", "VelPay", "VelPay", paymentColumns());
  add("Export Velmora Invoice", "VelInv.csv", "VelInv", "VelInv", invoiceColumns());
  add("Export Hamper Transactions", "HamTra.csv", "HamTra", "HamTra", transactionColumns());
  add("Export Hamper Payments", "HamPay.csv", "HamPay", "HamPay", paymentColumns());
  add("Export Hamper Invoice", "HamInv.csv", "HamInv", "HamInv", invoiceColumns());
  add("Export Hamper Ageing", "HamAge.csv", "HamAge", "HamAge", ageColumns());
  add("Export Hamper", "Hamper.csv", "Hamper", "Hamper",
      memberColumns(layoutOf<rec::Hamper>(), 10240));
  add("Export AgeIss", "AgeIss.csv", "AgeIss", "AgeIss",
      {text("Code", "CODE", 5), pic("Date_Iss", "DATE_ISS", 12, kDay),
       pic("Date_Rec", "DATE_REC", 12, kDay), text("Prefix", "PREFIX", 5),
       pic("Number", "NUMBER", 12, kRecordNo), pic("Amount", "AMOUNT", 12, kAmount),
       text("Client_ID", "CLIENT_ID", 10)});
  add("Export Plan Child", "PlanChild.csv", "PlanChd", "PlanChd", planColumns(true));
  add("Export Plan", "Plan.csv", "Plan", "Plan", planColumns(false));
  return d;
}

// One column made ready for the walk: its field and its picture read once.
struct PreparedColumn {
  int field = -1;
  int width = -1;
  enum class How { Text, Picture, Numeric } how = How::Text;
  Picture picture;
};

std::string_view trimLeft(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

}  // namespace

const std::vector<ExportDecl>& exportTables() {
  static const std::vector<ExportDecl> d = build();
  return d;
}

const ExportDecl* findExport(std::string_view name) {
  std::string_view bare = name;
  if (bare.size() > 4 && equalsNoCase(bare.substr(bare.size() - 4), ".csv")) bare.remove_suffix(4);
  for (const ExportDecl& d : exportTables()) {
    std::string_view file = d.fileName;
    file.remove_suffix(4);
    if (d.procedure == name || equalsNoCase(file, bare) || equalsNoCase(d.source, bare)) return &d;
  }
  return nullptr;
}

std::string exportFolderText(const std::string& folder) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(folder, ec);
  if (ec) return folder;
  return p.lexically_normal().string();
}

std::string exportNoteText(const ExportDecl& decl, const std::string& folder) {
  return "This process will create " + decl.noteName + ".CSV file in your " +
         exportFolderText(folder) + " folder";
}

ExportResult writeExport(DataFiles& files, const ExportDecl& decl, const std::string& outFolder,
                         Progress& progress) {
  ExportResult r;
  r.path = (std::filesystem::path(outFolder) / decl.fileName).string();
  FileManager& fm = files.fm(decl.source);
  const Layout& layout = fm.layout();

  std::vector<PreparedColumn> cols(decl.columns.size());
  std::vector<int> fields;
  for (std::size_t i = 0; i < cols.size(); ++i) {
    const ExportColumn& c = decl.columns[i];
    PreparedColumn& p = cols[i];
    p.field = layout.fieldIndex(c.field);
    p.width = c.width;
    if (c.picture == kNumeric)
      p.how = PreparedColumn::How::Numeric;
    else if (!c.picture.empty()) {
      p.how = PreparedColumn::How::Picture;
      p.picture = Picture::parse(c.picture);
    }
    fields.push_back(p.field);
  }

  ExportWalk walk(fm, fields);
  if (!walk.open(r.failure)) return r;
  CsvFile out(r.path);
  if (!out.open()) {
    r.failure =
        "the file could not be created in " + exportFolderText(outFolder) + ": " + out.error();
    return r;
  }

  for (const ExportColumn& c : decl.columns) {
    if (c.picture == kNumeric)
      out.number(c.header);
    else
      out.cell(cutToWidth(c.header, c.width));
  }
  out.endLine();

  ProgressBar bar(progress, walk.total());
  void* rec = fm.buffer();
  std::string formatted;
  while (walk.next()) {
    for (const PreparedColumn& p : cols) {
      FieldRef f = layout.field(rec, p.field);
      switch (p.how) {
        case PreparedColumn::How::Text:
          out.cell(rtrim(cutToWidth(f.text(), p.width)));
          break;
        case PreparedColumn::How::Picture:
          formatted = f.isReal() ? p.picture.format(f.real()) : p.picture.formatWhole(f.whole());
          out.cell(rtrim(trimLeft(formatted)));
          break;
        case PreparedColumn::How::Numeric:
          out.number(f.isReal() ? formatPlain(f.real()) : std::to_string(f.whole()));
          break;
      }
    }
    out.endLine();
    ++r.records;
    bar.step();
  }
  if (!walk.finished(r.failure)) return r;
  if (!out.commit()) {
    r.failure =
        "the file could not be written in " + exportFolderText(outFolder) + ": " + out.error();
    return r;
  }
  r.ok = true;
  return r;
}

ExportResult runExport(DataFiles& files, Ui& ui, const ExportDecl& decl) {
  ui.message(exportNoteText(decl, files.folder()), "Please Note", Icon::Information, kOk, kOk);
  ExportResult r;
  {
    auto progress = ui.progress("Exporting", "Exporting " + decl.fileName + ", please wait ...");
    r = writeExport(files, decl, files.folder(), *progress);
  }
  if (!r.ok) showExportFailure(ui, decl.fileName, r.failure);
  return r;
}

}  // namespace vel
