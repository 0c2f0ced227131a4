#include "maintenance/MainCsv.h"

#include <array>
#include <charconv>
#include <filesystem>

#include "common/Picture.h"
#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "maintenance/ExportCsv.h"
#include "maintenance/ExportWalk.h"
#include "members/PlanCode.h"
#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace vel {

namespace {

enum Col {
  PolicyNumber,
  EntryDate,
  Type,
  Surname,
  FirstNames,
  Initials,
  IdentityNumber,
  DOB,
  EntryAge,
  Product,
  UnderwritersPremium,
  Premium,
  Cover,
  Branch,
  GroupSociety,
  Agent,
  Comments,
  Address,
  PostalAddress,
  Cell,
  HomeTel,
  WorkTel,
  PaymentMethod,
  DebitOrder,
  AccountNumber,
  AccountName,
  Bank,
  BranchCode,
  DebitDay,
  AccountType,
  StopOrder,
  SONumber,
  kColumns
};

struct Column {
  const char* header;
  int width;
};

constexpr std::array<Column, kColumns> kLayout = {{
    {"PolicyNumber", 20},
    {"EntryDate", 20},
    {"Type", 20},
    {"Surname", 30},
    {"FirstNames", 30},
    {"Initials", 10},
    {"IdentityNumber", 20},
    {"DOB", 20},
    {"EntryAge", 20},
    {"Product", 40},
    {"UnderwritersPremium", 30},
    {"Premium", 20},
    {"Cover", 20},
    {"Branch", 20},
    {"Group/Society", 30},
    {"Agent", 20},
    {"Comments", 100},
    {"Address", 100},
    {"PostalAddress", 100},
    {"Cell", 20},
    {"HomeTel", 20},
    {"WorkTel", 20},
    {"PaymentMethod", 20},
    {"DebitOrder", 20},
    {"AccountNumber", 20},
    {"AccountName", 30},
    {"Bank", 30},
    {"BranchCode", 20},
    {"DebitDay", 20},
    {"AccountType", 20},
    {"StopOrder", 20},
    {"S/O Number", 20},
}};

using Line = std::array<std::string, kColumns>;

const Picture& dayPicture() {
  static const Picture p = Picture::parse("d06");
  return p;
}
const Picture& amountPicture() {
  static const Picture p = Picture::parse("n_9.2");
  return p;
}

std::string trimmedFormat(std::string s) {
  std::size_t lead = s.find_first_not_of(' ');
  if (lead == std::string::npos) return {};
  s.erase(0, lead);
  return s;
}
std::string day(std::int64_t d) { return trimmedFormat(dayPicture().formatWhole(d)); }
std::string amount(double v) { return trimmedFormat(amountPicture().format(v)); }

std::string firstLetter(std::string_view s) {
  s = trim(s);
  return s.empty() ? std::string() : std::string(1, s.front());
}

// The age band of the plan, padded to 9 characters, then the option; blank
// for a plan other than A, B or C.
std::string product(const rec::VelCli& c) {
  std::string band;
  if (isPlan(c.PLAN.str(), 'A'))
    band = "18 - 64";
  else if (isPlan(c.PLAN.str(), 'B'))
    band = "65 - 74";
  else if (isPlan(c.PLAN.str(), 'C'))
    band = "75 - 84";
  else
    return {};
  band.resize(9, ' ');
  band.append(c.OPTION.str());
  return band;
}

// Three address lines each followed by a blank, then the postal code as a
// number.
std::string address(std::string_view a1, std::string_view a2, std::string_view a3,
                    std::int64_t code) {
  std::string s;
  for (std::string_view a : {a1, a2, a3}) {
    s.append(rtrim(a));
    s.push_back(' ');
  }
  s.append(std::to_string(code));
  return s;
}

// The debit day: the DOM text read as a number, written with picture n2.
std::string debitDay(std::string_view dom) {
  dom = trim(dom);
  long v = 0;
  std::from_chars(dom.data(), dom.data() + dom.size(), v);
  return trimmedFormat(formatPicture("n2", static_cast<double>(v)));
}

void writeLine(CsvFile& out, const Line& line) {
  for (std::size_t i = 0; i < kColumns; ++i) out.cell(rtrim(cutToWidth(line[i], kLayout[i].width)));
  out.endLine();
}

// Reads the dependants of one client through By_Client; false when a read
// failed (then `failure` names the file).
template <class R, class Each>
bool forEachOf(FileManager& fm, const std::string& clientId, std::string& failure, Each each) {
  if (trim(clientId).empty()) return true;
  fm.ClearBuffer();
  fm.rec<R>().CLIENT_ID = clientId;
  if (fm.SetOrderAt(fm.keyIndex("By_Client")) != kDone) {
    failure = fileFailureText(fm, "read");
    return false;
  }
  while (fm.TryReadNext() == kDone) {
    const R& r = fm.rec<R>();
    if (!equalsNoCase(r.CLIENT_ID.str(), clientId)) return true;
    each(r);
  }
  if (fm.EndOfData()) return true;
  failure = fileFailureText(fm, "read to its end");
  return false;
}

}  // namespace

std::string mainCsvNoteText(const std::string& folder) {
  return "This process will create a MAIN.CSV file in your " + exportFolderText(folder) + " folder";
}

ExportResult writeMainCsv(DataFiles& files, const std::string& outFolder, Progress& progress) {
  ExportResult r;
  r.path = (std::filesystem::path(outFolder) / kMainCsvName).string();
  FileManager& cli = files.fm<rec::VelCli>();
  FileManager& chd = files.fm<rec::VelChd>();
  FileManager& ext = files.fm<rec::VelExt>();
  const Layout& cl = cli.layout();
  std::vector<int> fields;
  for (const char* f :
       {"CLIENT_ID",   "DATE",        "SURNAME",    "FIRSTNAME",    "MIDDLENAME", "INITIALS",
        "ID_NUMBER",   "DOB",         "PLAN",       "OPTION",       "PREMIUM",    "REMARKS",
        "H_ADDR1",     "H_ADDR2",     "H_ADDR3",    "H_CODE",       "P_ADDR1",    "P_ADDR2",
        "P_ADDR3",     "P_CODE",      "PHONE_CELL", "PHONE_HOME",   "PHONE_WORK", "ACCOUNT_NUMBER",
        "BANK_NAME",   "BRANCH_CODE", "DOM",        "ACCOUNT_TYPE", "S_SURNAME",  "S_FIRSTNAME",
        "S_ID_NUMBER", "S_DOB",       "PREMTOPAY"})
    fields.push_back(cl.fieldIndex(f));

  ExportWalk walk(cli, fields);
  if (!walk.open(r.failure)) return r;
  FileUse chdUse(chd), extUse(ext);
  for (FileManager* f : {&chd, &ext}) {
    if (f->TryEnsureOpen() != kDone) {
      r.failure = fileFailureText(*f, "opened");
      return r;
    }
  }
  CsvFile out(r.path);
  if (!out.open()) {
    r.failure =
        "the file could not be created in " + exportFolderText(outFolder) + ": " + out.error();
    return r;
  }
  for (const Column& c : kLayout) out.cell(c.header);
  out.endLine();

  ProgressBar bar(progress, walk.total());
  const auto& c = cli.rec<rec::VelCli>();
  while (walk.next()) {
    const std::string clientId = c.CLIENT_ID.text();
    const std::string prod = product(c);
    const std::string entry = day(c.DATE);
    const std::string home = address(c.H_ADDR1, c.H_ADDR2, c.H_ADDR3, c.H_CODE);
    const std::string postal = address(c.P_ADDR1, c.P_ADDR2, c.P_ADDR3, c.P_CODE);

    Line m;
    m[EntryDate] = entry;
    m[Type] = "Main Member";
    m[Surname] = c.SURNAME.str();
    m[FirstNames] = std::string(c.FIRSTNAME.str()) + " " + firstLetter(c.MIDDLENAME.str());
    m[Initials] = c.INITIALS.str();
    m[IdentityNumber] = c.ID_NUMBER.str();
    m[DOB] = day(c.DOB);
    m[Product] = prod;
    m[Premium] = amount(c.PREMIUM);
    m[Cover] = "10000";
    m[Comments] = std::string(cutToWidth(c.REMARKS.value, 100));
    m[Address] = home;
    m[PostalAddress] = postal;
    m[Cell] = c.PHONE_CELL.str();
    m[HomeTel] = c.PHONE_HOME.str();
    m[WorkTel] = c.PHONE_WORK.str();
    m[AccountNumber] = c.ACCOUNT_NUMBER.str();
    m[AccountName] = std::string(c.INITIALS.str()) + " " + std::string(c.SURNAME.str());
    m[Bank] = c.BANK_NAME.str();
    m[BranchCode] = c.BRANCH_CODE.str();
    m[DebitDay] = debitDay(c.DOM.str());
    m[AccountType] = c.ACCOUNT_TYPE.str();
    writeLine(out, m);

    if (!c.S_ID_NUMBER.blank()) {
      Line s;
      s[EntryDate] = entry;
      s[Type] = "Spouse";
      s[Surname] = c.S_SURNAME.str();
      s[FirstNames] = c.S_FIRSTNAME.str();
      s[Initials] = firstLetter(c.S_FIRSTNAME.str());
      s[IdentityNumber] = c.S_ID_NUMBER.str();
      s[DOB] = day(c.S_DOB);
      s[Product] = prod;
      s[UnderwritersPremium] = amount(c.PREMTOPAY);
      s[Cover] = "10000.00";
      s[Address] = home;
      s[PostalAddress] = postal;
      writeLine(out, s);
    }

    const bool children =
        forEachOf<rec::VelChd>(chd, clientId, r.failure, [&](const rec::VelChd& k) {
          Line l;
          l[EntryDate] = entry;
          l[Type] = "Child";
          l[Surname] = k.C1_SURNAME.str();
          l[FirstNames] = k.C1_FIRSTNAME.str();
          l[Initials] = firstLetter(k.C1_FIRSTNAME.str());
          l[IdentityNumber] = k.C1_ID_NUMBER.str();
          l[DOB] = day(k.C1_DOB);
          l[Product] = prod;
          l[Premium] = amount(k.PREMIUM);
          l[Cover] = amount(k.C1_BENEFIT);
          l[Address] = home;
          l[PostalAddress] = postal;
          writeLine(out, l);
        });
    if (!children) return r;
    const bool extended =
        forEachOf<rec::VelExt>(ext, clientId, r.failure, [&](const rec::VelExt& e) {
          Line l;
          l[Type] = "Extended";
          l[Surname] = e.SURNAME.str();
          l[FirstNames] = e.FIRSTNAME.str();
          l[Initials] = e.INITIALS.str();
          l[IdentityNumber] = e.ID_NUMBER.str();
          l[DOB] = day(e.DOB);
          l[Product] = prod;
          l[Cover] = "10000.00";
          writeLine(out, l);
        });
    if (!extended) return r;
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

ExportResult Export_Main(DataFiles& files, Ui& ui) {
  ui.message(mainCsvNoteText(files.folder()), "Please Note", Icon::Information, kOk, kOk);
  ExportResult r;
  {
    auto progress = ui.progress("Exporting", "Exporting Main.csv, please wait ...");
    r = writeMainCsv(files, files.folder(), *progress);
  }
  if (!r.ok) showExportFailure(ui, kMainCsvName, r.failure);
  return r;
}

}  // namespace vel
