#include "maintenance/DemoOffice.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/Dates.h"
#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "errors/EngineStatus.h"
#include "ledger/Ageing.h"
#include "ledger/LedgerDesc.h"
#include "ledger/InvoicePosting.h"
#include "ledger/PaymentPosting.h"
#include "ledger/Postings.h"
#include "billing/CaptureRun.h"
#include "billing/InvoiceRun.h"
#include "billing/ReceiptBooks.h"
#include "platform/Ui.h"
#include "members/ClientNumber.h"
#include "members/CopyToHamper.h"
#include "members/PlanPremium.h"

namespace vel {
namespace {

// ---------------------------------------------------------------------------
// Random numbers. splitmix64 with our own range reduction: the standard
// library's distributions differ between implementations, and the demo must
// come out the same everywhere for the same seed.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A whole number from lo to hi, both included.
  int between(int lo, int hi) {
    if (hi <= lo) return lo;
    return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1));
  }
  bool chance(int percent) { return between(1, 100) <= percent; }
  // An index chosen with the given weights.
  int weighted(std::initializer_list<int> weights) {
    int total = 0;
    for (int w : weights) total += w;
    int r = between(1, total), i = 0;
    for (int w : weights) {
      if (r <= w) return i;
      r -= w;
      ++i;
    }
    return i - 1;
  }
  template <class T>
  const T& pick(std::span<const T> from) {
    return from[static_cast<std::size_t>(between(0, static_cast<int>(from.size()) - 1))];
  }

 private:
  std::uint64_t state_;
};

// ---------------------------------------------------------------------------
// Identity numbers: YYMMDD, a four-digit sequence (0000-4999 female,
// 5000-9999 male), the citizenship digit (0 South African, 1 permanent
// resident), 8, and the check digit. The check digit is the Luhn digit: odd
// positions summed, even positions doubled and their digits summed, and the
// digit that brings the total to a multiple of ten.
int identityCheckDigit(std::string_view first12) {
  int sum = 0;
  for (std::size_t i = 0; i < 12; ++i) {
    int d = first12[i] - '0';
    if (i % 2 == 0) {
      sum += d;
    } else {
      d *= 2;
      sum += d > 9 ? d - 9 : d;
    }
  }
  return (10 - sum % 10) % 10;
}

std::string twoDigits(int n) {
  return std::string{static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
}

// ---------------------------------------------------------------------------
// Office data.

struct PlanRow {
  const char* plan;
  const char* type;
  double premium, payOver, comm, cover;
};

// Older age plans cost more and cover less. The legend: A 18 - 64,
// B 65 - 74, C 75 - 85, D 85 and older.
constexpr PlanRow kPlans[] = {
    {"A", "Single", 85.00, 55.00, 8.50, 10000},
    {"A", "Single Parent", 115.00, 75.00, 11.50, 10000},
    {"A", "Family", 145.00, 95.00, 14.50, 10000},
    {"A", "1 Plus 9", 285.00, 185.00, 28.50, 10000},
    {"B", "Single", 140.00, 95.00, 14.00, 7500},
    {"B", "Single Parent", 175.00, 120.00, 17.50, 7500},
    {"B", "Family", 215.00, 145.00, 21.50, 7500},
    {"B", "1 Plus 9", 365.00, 245.00, 36.50, 7500},
    {"C", "Single", 195.00, 135.00, 19.50, 5000},
    {"C", "Single Parent", 235.00, 160.00, 23.50, 5000},
    {"C", "Family", 290.00, 200.00, 29.00, 5000},
    {"C", "1 Plus 9", 455.00, 310.00, 45.50, 5000},
    {"D", "Single", 255.00, 180.00, 25.50, 3000},
    {"D", "Single Parent", 305.00, 215.00, 30.50, 3000},
    {"D", "Family", 375.00, 265.00, 37.50, 3000},
    {"D", "1 Plus 9", 560.00, 395.00, 56.00, 3000},
};
constexpr int kOptionsPerPlan = 4;
enum Option { kSingle, kSingleParent, kFamily, kOnePlusNine };

// The hamper add-on: the monthly contribution towards the year-end hamper.
constexpr PlanRow kHamperRow = {"HAM", "Hamper", 150.00, 0, 0, 0};

constexpr const char* kAgeGroups[] = {"0 - 11 Mth", "1 - 5", "6 - 13", "14 - 26"};

struct ChildRow {
  double premium, payOver, comm, cover;
};

// Children's rows per plan (A to D), one per age group. The oldest group's
// benefit is read from its commission column, so that column carries the
// benefit there.
constexpr ChildRow kChildRows[4][4] = {
    {{8.00, 5.00, 1.00, 2500},
     {10.00, 6.50, 1.00, 5000},
     {12.00, 8.00, 1.50, 7500},
     {15.00, 10.00, 10000, 10000}},
    {{10.00, 6.50, 1.00, 2000},
     {12.00, 8.00, 1.50, 4000},
     {15.00, 10.00, 1.50, 6000},
     {18.00, 12.00, 7500, 7500}},
    {{12.00, 8.00, 1.50, 1500},
     {15.00, 10.00, 1.50, 3000},
     {18.00, 12.00, 2.00, 4500},
     {22.00, 15.00, 5000, 5000}},
    {{14.00, 9.00, 1.50, 1500},
     {18.00, 12.00, 2.00, 3000},
     {22.00, 15.00, 2.00, 4500},
     {26.00, 17.00, 5000, 5000}},
};

// The children's age group of an age in whole years; -1 past 26.
int childAgeGroup(int age) {
  if (age < 1) return 0;
  if (age <= 5) return 1;
  if (age <= 13) return 2;
  if (age <= 26) return 3;
  return -1;
}

// The first five children ride on the main premium.
constexpr int kFreeChildren = 5;

// Clients per transaction. Each commit flushes eight files to the disk
// several times over (journal, records, master journal), and every commit
// journals again the index pages its ledger entries touch, which are spread
// over the whole of the date and stamp indexes: ten thousand clients per
// commit seed a hundred thousand clients with their accounts in ten commits,
// in about half the time five thousand take.
constexpr int kClientsPerCommit = 10000;

struct Area {
  const char* town;
  const char* suburb;
  const char* boxCode;     // postal (box) code
  const char* streetCode;  // street code, the home address's code
  int route;               // index into kRoutes
  int weight;              // share of the clients who live here
  bool limpopo;            // served by the northern agents
  const char* streets[4];
};

struct RouteInfo {
  const char* name;
  const char* description;
  int collector;  // index into kCollectors
};

constexpr RouteInfo kRoutes[] = {
    {"Soweto North", "Orlando East, Meadowlands and Dobsonville; collected on Saturdays", 0},
    {"Soweto South", "Diepkloof and Pimville; collected on month-end Fridays", 1},
    {"Tembisa", "Moriting and Ethafeni sections", 2},
    {"Alexandra", "Alexandra township, east and west of London Road", 2},
    {"Mamelodi", "Mamelodi East and West", 3},
    {"Soshanguve", "Soshanguve blocks along Aubrey Matlala Road", 3},
    {"Katlehong", "Katlehong and Ncala", 4},
    {"Polokwane", "Polokwane town and Westenburg", 5},
    {"Seshego", "Seshego zones", 5},
    {"Venda", "Thohoyandou and the villages around it", 6},
    {"Giyani", "Giyani sections", 6},
};

// clang-format off
constexpr Area kAreas[] = {
    {"Soweto", "Orlando East", "1804", "1804", 0, 10, false,
     {"Vilakazi Street", "Mooki Street", "Mputhi Street", "Sofasonke Street"}},
    {"Soweto", "Meadowlands", "1852", "1852", 0, 7, false,
     {"Mahalefele Road", "Nhlapo Street", "Masupha Street", "Mofolo Street"}},
    {"Soweto", "Dobsonville", "1863", "1863", 0, 5, false,
     {"Elias Motsoaledi Road", "Mphahlele Street", "Kgosi Street", "Dube Street"}},
    {"Soweto", "Diepkloof", "1864", "1862", 1, 8, false,
     {"Immink Drive", "Ntsane Street", "Koma Road", "Moema Street"}},
    {"Soweto", "Pimville", "1809", "1809", 1, 5, false,
     {"Klipspruit Valley Road", "Modjadji Street", "Sebotsa Street", "Maseko Street"}},
    {"Tembisa", "Moriting", "1632", "1632", 2, 7, false,
     {"Andrew Mapheto Drive", "Isimuku Street", "Mokwena Street", "Tsepo Street"}},
    {"Tembisa", "Ethafeni", "1632", "1632", 2, 5, false,
     {"Rev RTJ Namane Drive", "Ingwe Street", "Umgababa Street", "Khwezi Street"}},
    {"Alexandra", "Alexandra", "2014", "2090", 3, 5, false,
     {"London Road", "Selborne Street", "Roosevelt Street", "Vasco da Gama Street"}},
    {"Mamelodi", "Mamelodi East", "0122", "0122", 4, 7, false,
     {"Tsamaya Avenue", "Serene Street", "Shilovane Street", "Maphalla Drive"}},
    {"Mamelodi", "Mamelodi West", "0122", "0122", 4, 5, false,
     {"Hinterland Avenue", "Makhubela Street", "Mahube Drive", "Kubu Street"}},
    {"Soshanguve", "Soshanguve Block L", "0152", "0152", 5, 5, false,
     {"Aubrey Matlala Road", "Letlhakeng Street", "Tshwane Road", "Mabopane Road"}},
    {"Katlehong", "Ncala", "1431", "1432", 6, 5, false,
     {"Moshoeshoe Street", "Khumalo Street", "Nhlapo Road", "Sam Ntuli Street"}},
    {"Polokwane", "Westenburg", "0699", "0699", 7, 4, true,
     {"Grobler Street", "Thabo Mbeki Street", "Landdros Mare Street", "Dahl Street"}},
    {"Seshego", "Seshego Zone 1", "0742", "0742", 8, 5, true,
     {"Matlala Road", "Moloto Street", "Lekgalameetse Street", "Mashashane Street"}},
    {"Thohoyandou", "Thohoyandou Block F", "0950", "0950", 9, 4, true,
     {"Mphephu Street", "Punda Maria Road", "Mvusuludzo Street", "Makwarela Road"}},
    {"Giyani", "Giyani Section A", "0826", "0826", 10, 3, true,
     {"Main Road", "Hlanganani Street", "Xikukwani Street", "Risinga Street"}},
};
// clang-format on

struct FieldPerson {
  const char* code;
  const char* surname;
  const char* first;
  const char* middle;
  const char* tel;
  const char* cell;
};

// Agents AG1-AG4 sell in Gauteng, AG5 and AG6 in Limpopo.
constexpr FieldPerson kAgents[] = {
    {"AG1", "Mokwena", "Lesego", "Grace", "011 938 2210", "0824417730"},
    {"AG2", "Dube", "Sibongile", "", "011 920 4471", "0736620914"},
    {"AG3", "Maseko", "Jabulani", "Peter", "011 926 1188", "0795531207"},
    {"AG4", "Pretorius", "Annelie", "", "012 805 3390", "0829974415"},
    {"AG5", "Manamela", "Tlou", "Johannes", "015 291 4020", "0716608823"},
    {"AG6", "Nemavhola", "Rudzani", "", "015 962 0147", "0768810352"},
};
constexpr int kGautengAgents = 4;

constexpr FieldPerson kCollectors[] = {
    {"CL1", "Sithole", "Bheki", "", "", "0837742016"},
    {"CL2", "Mabuza", "Elsie", "Nomsa", "", "0726615590"},
    {"CL3", "Mokgathi", "Kgothatso", "", "", "0614429873"},
    {"CL4", "Skhosana", "Doctor", "", "", "0798812243"},
    {"CL5", "Radebe", "Nompumelelo", "", "", "0847730618"},
    {"CL6", "Mphahlele", "Mahlatse", "", "", "0820051477"},
    {"CL7", "Mabunda", "Hlulani", "", "", "0725509934"},
};

struct BranchInfo {
  const char* bank;
  const char* branch;
  const char* code;
  const char* contact;
  const char* phone;
  const char* address;
};

constexpr const char* kBankNames[] = {"ABSA Bank",           "African Bank", "Capitec Bank",
                                      "First National Bank", "Nedbank",      "Standard Bank"};

constexpr BranchInfo kBranches[] = {
    {"ABSA Bank", "Maponya Mall", "632005", "T. Khoza", "011 938 0500",
     "2127 Chris Hani Road, Klipspruit"},
    {"ABSA Bank", "Tembisa Mall", "632005", "N. Mashego", "011 926 7000",
     "Cnr Andrew Mapheto and Olifantsfontein Rd"},
    {"ABSA Bank", "Mall of the North", "632005", "P. Ramokgopa", "015 265 0100",
     "Cnr N1 and Mall of the North Drive, Polokwane"},
    {"African Bank", "Tembisa", "430000", "L. Maphanga", "011 926 1450",
     "Tembisa Plaza, Andrew Mapheto Drive"},
    {"Capitec Bank", "Jabulani Mall", "470010", "S. Nkabinde", "011 984 3020",
     "Cnr Bolani and Koma Road, Jabulani"},
    {"Capitec Bank", "Mamelodi Crossing", "470010", "M. Mahlangu", "012 801 1400",
     "Cnr Tsamaya and Hinterland Avenue, Mamelodi"},
    {"Capitec Bank", "Thohoyandou", "470010", "A. Ramabulana", "015 962 4110",
     "Thavhani Mall, Thohoyandou"},
    {"First National Bank", "Protea Glen", "250655", "K. Modise", "011 980 2200",
     "Protea Glen Mall, Soweto"},
    {"First National Bank", "Pan Africa", "250655", "D. Nkosi", "011 882 9000",
     "Pan Africa Mall, Alexandra"},
    {"Nedbank", "Dobsonville", "198765", "R. Khumalo", "011 988 3300",
     "Dobsonville Mall, Elias Motsoaledi Road"},
    {"Nedbank", "Polokwane", "198765", "E. Letsoalo", "015 299 3000",
     "Cnr Thabo Mbeki and Landdros Mare Street"},
    {"Standard Bank", "Maponya Mall", "051001", "B. Zwane", "011 938 1400",
     "2127 Chris Hani Road, Klipspruit"},
    {"Standard Bank", "Mamelodi", "051001", "J. Masilela", "012 805 2100", "Denlyn Mall, Mamelodi"},
    {"Standard Bank", "Giyani", "051001", "T. Chauke", "015 812 9000", "Giyani Plaza, Main Road"},
};

struct OwnAccount {
  const char* bank;
  const char* account;
  const char* code;
  const char* type;
  const char* description;
  bool isDefault;
};

constexpr OwnAccount kOwnAccounts[] = {
    {"Standard Bank", "071234568", "051001", "Cheque", "Premium collections", true},
    {"Capitec Bank", "1480236679", "470010", "Savings", "Hamper club savings", false},
};

constexpr const char* kFemaleNames[] = {
    "Nomvula",    "Thandiwe",   "Lerato",      "Palesa",     "Zanele",    "Nokuthula", "Busisiwe",
    "Precious",   "Dimakatso",  "Refilwe",     "Nthabiseng", "Ayanda",    "Zodwa",     "Lindiwe",
    "Khanyisile", "Boitumelo",  "Tshegofatso", "Mamello",    "Rethabile", "Agnes",     "Maria",
    "Elizabeth",  "Johanna",    "Martha",      "Grace",      "Sarah",     "Portia",    "Matshidiso",
    "Hlengiwe",   "Nonhlanhla", "Sibongile",   "Tsakani",    "Khensani",  "Masego",    "Kgomotso",
    "Mulalo",     "Ntombi",     "Dineo",
};

constexpr const char* kMaleNames[] = {
    "Thabo",   "Sipho",  "Mandla",   "Tshepo",   "Lucky",   "Themba",       "Bongani", "Kagiso",
    "Tebogo",  "Sello",  "Jabulani", "Kabelo",   "Vusi",    "Sibusiso",     "Musa",    "Karabo",
    "Tumelo",  "Neo",    "Lwazi",    "Andile",   "Katlego", "Oupa",         "Petrus",  "Johannes",
    "Samuel",  "Joseph", "Elias",    "David",    "Simon",   "Tshilidzi",    "Hlulani", "Nkosinathi",
    "Mxolisi", "Lesiba", "Mothusi",  "Dumisani", "Rudzani", "Khathutshelo",
};

constexpr const char* kSurnames[] = {
    "Mokoena",  "Nkosi",        "Dlamini",    "Ndlovu",    "Khumalo",       "Mahlangu",
    "Mthembu",  "Baloyi",       "Maluleke",   "Mabasa",    "Shabalala",     "Zulu",
    "Sithole",  "Molefe",       "Mofokeng",   "Radebe",    "Tshabalala",    "Ngobeni",
    "Chauke",   "Mathebula",    "Rikhotso",   "Mudau",     "Ramabulana",    "Ledwaba",
    "Maake",    "Mphahlele",    "Sebola",     "Letsoalo",  "Modise",        "Motaung",
    "Kekana",   "Masemola",     "Phiri",      "Makhubela", "Mnisi",         "Masilela",
    "Mashaba",  "Nemutanzhela", "Netshiavha", "Tshivhase", "Mabunda",       "Hlongwane",
    "Ntuli",    "Cele",         "Mkhize",     "Buthelezi", "Madonsela",     "Sibiya",
    "Vilakazi", "Magagula",     "Skosana",    "Mtsweni",   "van der Merwe", "Botha",
    "Pillay",   "Naidoo",       "Jacobs",     "Adams",     "D'Oliveira",    "Le Roux",
};

constexpr const char* kCellPrefixes[] = {"060", "061", "062", "063", "064", "066",
                                         "071", "072", "073", "074", "076", "078",
                                         "079", "081", "082", "083", "084"};

constexpr const char* kMailDomains[] = {"gmail.com", "yahoo.com", "webmail.co.za", "outlook.com"};

constexpr const char* kRemarks[] = {
    "Prefers premium reminders by SMS.",
    "Pays at the office on pay day.",
    "Collector to call after 17:00 on weekdays.",
    "Works night shift; visit on weekends.",
    "Referred by a neighbour who is also a member.",
    "Moved within the township; address confirmed by phone.",
    "Asked for the policy to be explained in Sesotho.",
};

constexpr const char* kPayDays[] = {"25", "15", "30", "1", "7", "20"};

// Extended family: relation, gender (0 female, 1 male, 2 either), the range
// of the age difference (relative minus member), how many one household can
// have, and whether the relation comes through the spouse.
struct Relation {
  const char* name;
  int gender;
  int olderFrom, olderTo;
  int most;
  bool inLaw;
};

constexpr Relation kRelations[] = {
    {"Mother", 0, 18, 40, 1, false},       {"Father", 1, 20, 45, 1, false},
    {"Sister", 0, -12, 12, 4, false},      {"Brother", 1, -12, 12, 4, false},
    {"Aunt", 0, 12, 30, 3, false},         {"Uncle", 1, 12, 30, 3, false},
    {"Grandmother", 0, 38, 60, 2, false},  {"Cousin", 2, -10, 10, 9, false},
    {"Niece", 0, -40, -15, 4, false},      {"Nephew", 1, -40, -15, 4, false},
    {"Mother-in-law", 0, 18, 40, 1, true}, {"Father-in-law", 1, 20, 45, 1, true},
};
constexpr int kCloseRelations = 4;  // the first four: parents, sisters, brothers
constexpr int kCousin = 7;

template <class T, std::size_t N>
constexpr std::span<const T> all(const T (&a)[N]) {
  return std::span<const T>(a, N);
}

// ---------------------------------------------------------------------------

struct Person {
  std::string first, middle, surname;
  bool male = false;
  int age = 0;
  std::int32_t dob = 0;
  std::string id;
};

struct Relative {
  Person person;
  const Relation* relation;
};

std::string initialsOf(const Person& p) {
  std::string s;
  if (!p.first.empty()) s += p.first[0];
  if (!p.middle.empty()) s += p.middle[0];
  return s;
}

const char* genderText(bool male) { return male ? "Male" : "Female"; }

// The mark of a seeding under way: a small text file in the data folder,
// written before the first record and removed after the last. It names the
// process and machine, so a second run can tell a seeding that still runs
// from one that was cut short.
class DemoMark {
 public:
  explicit DemoMark(const std::string& folder)
      : path_((std::filesystem::path(folder.empty() ? "." : folder) / "DemoSeeding.Txt").string()) {}
  const std::string& path() const { return path_; }
  bool present() const { return std::filesystem::exists(path_); }

  // Who runs the seeding that left the mark, if it still runs ("" if not).
  std::string runningElsewhere() const {
    std::ifstream in(path_);
    std::string line;
    long pid = 0;
    std::string host;
    while (std::getline(in, line)) {
      if (line.rfind("Process: ", 0) == 0) pid = std::atol(line.c_str() + 9);
      if (line.rfind("Machine: ", 0) == 0) host = line.substr(9);
    }
    if (pid <= 0) return {};
    if (host != machine()) return "process " + std::to_string(pid) + " on " + host;
    if (pid == ::getpid()) return {};
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)
      return "process " + std::to_string(pid);
    return {};
  }

  bool set() const {
    std::ofstream out(path_, std::ios::trunc);
    out << "The demo office is being seeded into this folder.\n"
        << "If no seeding runs any more, seed the demo office again to start it afresh.\n"
        << "Process: " << ::getpid() << "\n"
        << "Machine: " << machine() << "\n";
    out.flush();
    return static_cast<bool>(out);
  }
  void clear() const {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }

 private:
  static std::string machine() {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0) return {};
    return buf;
  }
  std::string path_;
};

class DemoBuilder {
 public:
  DemoBuilder(DataFiles& files, const Clock& clock, const DemoOptions& options)
      : files_(files), options_(options), today_(clock.today()), rng_(options.seed) {
    planMonths();
  }

  DemoResult run() {
    if (options_.clients < 1 || options_.clients > kDemoMostClients)
      return refuse("The demo office takes 1 to " + std::to_string(kDemoMostClients) + " clients.");
    if (options_.months < 0 || options_.months > kDemoMostMonths)
      return refuse("The demo office plays 0 to " + std::to_string(kDemoMostMonths) +
                    " months of office life.");
    // A seeding that was cut short (killed, a power cut) left its mark: what
    // it wrote is the demo's own and goes, and this run starts it afresh.
    DemoMark mark(files_.folder());
    if (mark.present()) {
      if (std::string who = mark.runningElsewhere(); !who.empty())
        return refuse("A demo seeding is already running in this data folder (" + who +
                      "). If it no longer runs, delete " + mark.path() +
                      " and seed the demo office again.");
      if (!clearDemoFiles()) return result_;
    }
    if (!checkEmpty()) return result_;
    if (!mark.set()) return refuse("The data folder cannot be written: " + mark.path());
    readCommission();
    stamp_.branch = ledger::officeBranch(files_);
    // The setup lists in two transactions (one may span ten files at most).
    const bool listed = inOneTransaction({&files_.fm<rec::Plan>(), &files_.fm<rec::PlanChd>(),
                                          &files_.fm<rec::Town>(), &files_.fm<rec::Postal>(),
                                          &files_.fm<rec::Route>()},
                                         [&] { return seedPlans() && seedPlaces(); }) &&
                        inOneTransaction({&files_.fm<rec::Agent>(), &files_.fm<rec::Collect>(),
                                          &files_.fm<rec::BankName>(), &files_.fm<rec::BankList>(),
                                          &files_.fm<rec::BankBranch>(), &files_.fm<rec::Banks>()},
                                         [&] { return seedFieldStaff() && seedBanks(); });
    if (!listed) return stopped();
    if (!seedClients()) return stopped();
    // With months to play, the invoice runs bill the hamper members too;
    // without, they get a few months of hamper history written directly.
    if (!(options_.months > 0 ? playMonths() : seedHamperLedger())) return stopped();
    mark.clear();
    result_.ok = true;
    result_.message = "Demo office seeded: " + std::to_string(result_.clients) + " clients (" +
                      std::to_string(result_.activeClients) + " active), " +
                      std::to_string(result_.children) + " children, " +
                      std::to_string(result_.extended) + " extended family, " +
                      std::to_string(result_.hamperMembers) + " hamper members." + monthsSummary();
    return result_;
  }

 private:
  DemoResult refuse(std::string why) {
    result_.ok = false;
    result_.message = std::move(why);
    return result_;
  }
  // What was committed before the failure stays, with the mark that tells a
  // new run to clear it and start afresh.
  DemoResult stopped() {
    return refuse("Seeding the demo office stopped: " + error_ +
                  " Seed the demo office again to start it afresh.");
  }

  // The files the demo fills, and so the ones a new run clears.
  static constexpr const char* kDemoFiles[] = {
      "VelCli", "VelChd",  "VelExt",   "Hamper",   "Plan",       "PlanChd", "Town", "Postal",
      "Route",  "Agent",   "Collect",  "BankName", "BankList",   "BankBranch", "Banks",
      "VelAge", "VelInv",  "VelTra",   "VelPay",     "HamAge",  "HamInv", "HamTra", "HamPay"};

  // Removes the demo's files, which the next use creates empty again.
  bool clearDemoFiles() {
    for (const char* label : demoFiles()) {
      FileManager& f = files_.fm(label);
      if (!f.Exists()) continue;
      if (files_.context().engine->remove(f.path()) != ecode::kNone) {
        refuse("The unfinished demo office could not be cleared: " + f.label() + " " +
               engineStatus().text + ". Start the demo office in a new, empty data folder.");
        return false;
      }
    }
    return true;
  }

  // Every file the demo fills must be empty: a second run would double the
  // office. A file not yet on disk is empty and is left uncreated here.
  bool checkEmpty() {
    for (const char* label : demoFiles()) {
      FileManager& f = files_.fm(label);
      if (!f.Exists()) continue;
      FileUse use(f);
      if (f.EnsureOpen() != kDone) {
        refuse("The data folder's file " + f.label() + " cannot be used.");
        return false;
      }
      const std::int64_t n = f.Records();
      if (n == 0) continue;
      if (f.label() == "VelCli")
        refuse("The data folder already has " + std::to_string(n) +
               " clients; the demo office goes only into a folder without clients. Start it in "
               "a new, empty data folder.");
      else
        refuse("The data folder already has records in " + f.label() +
               "; the demo office goes only into a folder whose lists are empty. Start it in a "
               "new, empty data folder.");
      return false;
    }
    return true;
  }

  // The commission amounts new policies take; start-up seeds the structure
  // with 10 and 5, which stand in until it has run.
  void readCommission() {
    FileManager& f = files_.fm<rec::CommStr>();
    if (!f.Exists()) return;
    FileUse use(f);
    if (f.SetOrder(kPhysicalOrder) != kDone || f.TryReadNext() != kDone) return;
    agentComm_ = f.rec<rec::CommStr>().AGENT;
    collectorComm_ = f.rec<rec::CommStr>().COLL;
  }

  // Runs `write` as one transaction over the given files, so that its
  // records reach the disk in one flush and all or none of them stay.
  template <class Write>
  bool inOneTransaction(std::initializer_list<FileManager*> fs, Write write) {
    std::vector<std::unique_ptr<FileUse>> uses;
    std::vector<EngineFile*> engineFiles;
    for (FileManager* f : fs) {
      uses.push_back(std::make_unique<FileUse>(*f));
      if (!f->engineFile()) {
        error_ = "the file " + f->label() + " cannot be used.";
        return false;
      }
      engineFiles.push_back(f->engineFile());
    }
    std::unique_ptr<Transaction> tx;
    if (files_.context().engine->begin(engineFiles, files_.context().transactionTimeout, tx) !=
        ecode::kNone) {
      error_ = "the files could not be locked: " + engineStatus().text + ".";
      return false;
    }
    const DemoResult before = result_;
    if (!write()) {
      result_ = before;  // rolled back with the transaction
      return false;
    }
    if (tx->commit() != ecode::kNone) {
      result_ = before;
      error_ = "the files could not be written: " + engineStatus().text + ".";
      return false;
    }
    return true;
  }

  bool add(FileManager& f) {
    if (f.TryInsert() == kDone) return true;
    return refused(f, f.LastEngineText());
  }

  // Adds the buffer of an auto-numbered file with the number already in it.
  // Only inside a group transaction, whose write lock keeps other stations
  // from numbering at the same time.
  bool addNumbered(FileManager& f) {
    if (f.engineFile()->add(f.buffer()) == ecode::kNone) return true;
    return refused(f, engineStatus().text);
  }

  bool refused(FileManager& f, const std::string& why) {
    error_ = f.label() + " refused a record";
    if (!why.empty()) error_ += ": " + why;
    error_ += ".";
    return false;
  }

  // --- Setup lists ---------------------------------------------------------

  bool seedPlans() {
    FileManager& plan = files_.fm<rec::Plan>();
    FileUse use(plan);
    auto& p = plan.rec<rec::Plan>();
    auto addPlan = [&](const PlanRow& row) {
      plan.ClearBuffer();
      p.PLAN = row.plan;
      p.TYPE = row.type;
      p.PREMIUM = row.premium;
      p.PAY_OVER = row.payOver;
      p.COMM = row.comm;
      p.COVER = row.cover;
      return add(plan) && ++result_.plans;
    };
    for (const PlanRow& row : kPlans)
      if (!addPlan(row)) return false;
    if (!addPlan(kHamperRow)) return false;

    FileManager& chd = files_.fm<rec::PlanChd>();
    FileUse useChd(chd);
    auto& c = chd.rec<rec::PlanChd>();
    for (int pl = 0; pl < 4; ++pl) {
      for (int g = 0; g < 4; ++g) {
        const ChildRow& row = kChildRows[pl][g];
        chd.ClearBuffer();
        c.PLAN = kPlans[pl * kOptionsPerPlan].plan;
        c.TYPE = "Child";
        c.PREMIUM = row.premium;
        c.PAYOVER = row.payOver;
        c.COMM = row.comm;
        c.COVER = row.cover;
        c.AGEGROUP = kAgeGroups[g];
        if (!add(chd)) return false;
        ++result_.childPlans;
      }
    }
    return true;
  }

  bool seedPlaces() {
    FileManager& town = files_.fm<rec::Town>();
    FileManager& postal = files_.fm<rec::Postal>();
    FileManager& route = files_.fm<rec::Route>();
    FileUse u1(town), u2(postal), u3(route);
    std::set<std::string> towns;
    for (const Area& a : kAreas) {
      if (towns.insert(a.town).second) {
        town.ClearBuffer();
        town.rec<rec::Town>().TOWN = a.town;
        if (!add(town)) return false;
        ++result_.setupRecords;
      }
      postal.ClearBuffer();
      auto& p = postal.rec<rec::Postal>();
      p.TOWN = a.town;
      p.SUBURB = a.suburb;
      p.POSTAL = a.boxCode;
      p.STREET = a.streetCode;
      if (!add(postal)) return false;
      ++result_.setupRecords;
    }
    for (const RouteInfo& r : kRoutes) {
      route.ClearBuffer();
      route.rec<rec::Route>().ROUTE = r.name;
      route.rec<rec::Route>().DESCRIPTION = r.description;
      if (!add(route)) return false;
      ++result_.setupRecords;
    }
    return true;
  }

  bool seedFieldStaff() {
    auto addAll = [&](FileManager& f, std::span<const FieldPerson> people) {
      FileUse use(f);
      for (const FieldPerson& fp : people) {
        f.ClearBuffer();
        auto& r = f.rec<rec::Agent>();  // Agent and Collect share one layout
        r.CODE = fp.code;
        r.SURNAME = fp.surname;
        r.FNAME = fp.first;
        r.MIDNAME = fp.middle;
        r.TELNO = fp.tel;
        r.CELLNO = fp.cell;
        if (!add(f)) return false;
        ++result_.setupRecords;
      }
      return true;
    };
    return addAll(files_.fm<rec::Agent>(), all(kAgents)) &&
           addAll(files_.fm<rec::Collect>(), all(kCollectors));
  }

  bool seedBanks() {
    FileManager& names = files_.fm<rec::BankName>();
    FileManager& list = files_.fm<rec::BankList>();
    FileManager& branches = files_.fm<rec::BankBranch>();
    FileManager& own = files_.fm<rec::Banks>();
    FileUse u1(names), u2(list), u3(branches), u4(own);
    for (const char* bank : kBankNames) {
      names.ClearBuffer();
      names.rec<rec::BankName>().NAME = bank;
      if (!add(names)) return false;
      ++result_.setupRecords;
    }
    // The client form looks branches up in BankList, the branch maintenance
    // works on BankBranch; both hold the same branches.
    for (FileManager* f : {&list, &branches}) {
      for (const BranchInfo& b : kBranches) {
        f->ClearBuffer();
        auto& r = f->rec<rec::BankBranch>();
        r.NAME = b.bank;
        r.BRANCH = b.branch;
        r.CODE = b.code;
        r.CONTACT = b.contact;
        r.PHONE = b.phone;
        r.ADDRESS = b.address;
        if (!add(*f)) return false;
        ++result_.setupRecords;
      }
    }
    for (const OwnAccount& a : kOwnAccounts) {
      own.ClearBuffer();
      auto& r = own.rec<rec::Banks>();
      r.NAME = a.bank;
      r.ACCOUNT = a.account;
      r.CODE = a.code;
      r.TYPE = a.type;
      r.DESCRIPTION = a.description;
      r.DEFAULT = a.isDefault ? 1 : 0;
      if (!add(own)) return false;
      ++result_.setupRecords;
    }
    return true;
  }

  // --- People ----------------------------------------------------------------

  // A date of birth on which someone is `age` today.
  std::int32_t birthDateFor(int age) {
    Ymd t = ymdFromDate(today_);
    int month = rng_.between(1, 12), day = rng_.between(1, 28);
    std::int32_t dob = dateFromYmd(t.year - age, month, day);
    if (ageOn(dob, today_) != age) dob = dateFromYmd(t.year - age - 1, month, day);
    return dob;
  }

  std::string identityNumber(std::int32_t dob, bool male, bool citizen) {
    Ymd d = ymdFromDate(dob);
    for (;;) {
      int sequence = rng_.between(0, 4999) + (male ? 5000 : 0);
      std::string id = twoDigits(d.year % 100) + twoDigits(d.month) + twoDigits(d.day) +
                       twoDigits(sequence / 100) + twoDigits(sequence % 100) +
                       (citizen ? "0" : "1") + "8";
      id += static_cast<char>('0' + identityCheckDigit(id));
      if (ids_.insert(id).second) return id;  // no two people share a number
    }
  }

  std::string firstName(bool male) {
    return male ? rng_.pick(all(kMaleNames)) : rng_.pick(all(kFemaleNames));
  }

  // A new person of the household being built, with a first name no one
  // else in it has.
  Person person(bool male, int age, std::string surname, bool citizen = true) {
    Person p;
    p.male = male;
    p.age = age;
    for (int tries = 0; tries < 10; ++tries) {
      p.first = firstName(male);
      if (!householdNames_.count(p.first)) break;
    }
    householdNames_.insert(p.first);
    if (rng_.chance(55)) {
      do p.middle = firstName(male);
      while (p.middle == p.first);
    }
    p.surname = std::move(surname);
    p.dob = birthDateFor(age);
    p.id = identityNumber(p.dob, male, citizen);
    return p;
  }

  std::string surname() { return rng_.pick(all(kSurnames)); }

  std::string cellNumber() {
    std::string n = rng_.pick(all(kCellPrefixes));
    for (int i = 0; i < 7; ++i) n += static_cast<char>('0' + rng_.between(0, 9));
    return n;
  }

  std::string landline(const Area& a) {
    // Limpopo, Pretoria (Mamelodi and Soshanguve) and Johannesburg codes.
    std::string n = a.limpopo ? "015 " : (a.route == 4 || a.route == 5 ? "012 " : "011 ");
    n += std::to_string(rng_.between(200, 999)) + " " + std::to_string(rng_.between(1000, 9999));
    return n;
  }

  std::string mailAddress(const Person& p) {
    std::string at;
    for (char ch : p.first + "." + p.surname)
      if (ch != ' ' && ch != '\'') at += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch);
    if (rng_.chance(40)) at += std::to_string(rng_.between(1, 99));
    return at + "@" + rng_.pick(all(kMailDomains));
  }

  // --- Clients ---------------------------------------------------------------

  const Area& pickArea() {
    int total = 0;
    for (const Area& a : kAreas) total += a.weight;
    int r = rng_.between(1, total);
    for (const Area& a : kAreas) {
      if (r <= a.weight) return a;
      r -= a.weight;
    }
    return kAreas[0];
  }

  // Clients go in with their dependants and hamper membership in groups, one
  // transaction per group over the member files: a commit per record would
  // cost a disk flush each, and a group that fails part-way leaves none of
  // its clients half written. The client and hamper numbers are counted here
  // (the files were empty, and each group holds the write lock), since the
  // record store's own numbering runs a transaction per number.
  bool seedClients() {
    FileManager& cli = files_.fm<rec::VelCli>();
    for (int first = 0; first < options_.clients; first += kClientsPerCommit) {
      const int last = std::min(options_.clients, first + kClientsPerCommit);
      auto group = [&] {
        std::int64_t onFile = 0;
        cli.engineFile()->records(onFile);
        if (onFile != result_.clients) {
          error_ = "another station added clients while the demo office was being seeded.";
          return false;
        }
        for (int number = first + 1; number <= last; ++number)
          if (!seedClient(number)) return false;
        return true;
      };
      if (!inOneTransaction({&cli, &files_.fm<rec::VelChd>(), &files_.fm<rec::VelExt>(),
                             &files_.fm<rec::Hamper>(), &files_.fm<rec::VelAge>(),
                             &files_.fm<rec::VelInv>(), &files_.fm<rec::VelTra>(),
                             &files_.fm<rec::VelPay>()},
                            group))
        return false;
    }
    return true;
  }

  bool seedClient(int number) {
    FileManager& cli = files_.fm<rec::VelCli>();
    householdNames_.clear();
    cli.ClearBuffer();
    auto& c = cli.rec<rec::VelCli>();
    c.NUMBER = number;

    // Age decides the plan: A 18 - 64, B 65 - 74, C 75 - 85, D 86 and older.
    const int band = rng_.weighted({70, 18, 9, 3});
    // Everyone joined at 18 or older before the months played began.
    const int youngest = 18 + (today_ - joinBy_) / 365 + 1;
    const int age = band == 0   ? rng_.between(youngest, 64)
                    : band == 1 ? rng_.between(65, 74)
                    : band == 2 ? rng_.between(75, 85)
                                : rng_.between(86, 96);
    const int option = band == 0   ? rng_.weighted({25, 25, 35, 15})
                       : band == 1 ? rng_.weighted({40, 0, 45, 15})
                                   : rng_.weighted({55, 0, 45, 0});
    const PlanRow& plan = kPlans[band * kOptionsPerPlan + option];

    const Area& area = pickArea();
    const bool male = rng_.chance(42);
    const bool citizen = !rng_.chance(3);
    Person member = person(male, age, surname(), citizen);

    bool hasSpouse =
        (option == kFamily && rng_.chance(90)) || (option == kOnePlusNine && rng_.chance(60));
    Person spouse;
    std::string maiden;
    if (hasSpouse) {
      int spouseAge =
          std::clamp(male ? age - rng_.between(0, 7) : age + rng_.between(0, 7), 18, 96);
      spouse = person(!male, spouseAge, member.surname);
      if (!male) maiden = surname();
    }

    // Policy dates: joined up to six years ago and not before 18, the
    // waiting period starting on the day of joining.
    const Ymd born = ymdFromDate(member.dob);
    // With months of office life to play, every policy is on file before
    // the first of them, so each month's invoice run finds it joined.
    const std::int32_t earliest = std::min(
        joinBy_, std::max(joinBy_ - 6 * 365, dateFromYmd(born.year + 18, born.month, born.day)));
    const int span = joinBy_ - earliest;
    const std::int32_t joined = joinBy_ - rng_.between(std::min(20, span), span);
    const int status = joined > joinBy_ - 60 ? 0 : rng_.weighted({86, 9, 5});
    static constexpr const char* kStatus[] = {"Active", "Non Active", "Deceased"};

    const ClientIdResult clientId = ClientIdFor(c.NUMBER, member.surname);
    if (!clientId.ok) {
      error_ = clientId.message;
      return false;
    }
    c.CLIENT_ID = clientId.id;
    c.DATE = joined;
    c.SURNAME = member.surname;
    c.FIRSTNAME = member.first;
    c.MIDDLENAME = member.middle;
    c.INITIALS = initialsOf(member);
    c.TITLE = citizen ? "N" : "Y";  // as the identity check sets it: "Y" for a foreign citizen
    c.ID_NUMBER = member.id;
    c.DOB = member.dob;
    c.GENDER = genderText(male);
    c.MAIDENNAME = maiden;

    fillAddress(c, area);
    fillContact(c, member, area);
    fillBank(c);
    c.REMARKS = rng_.chance(25) ? rng_.pick(all(kRemarks)) : "";
    c.MARITAL_STAT = maritalStatus(hasSpouse, option == kFamily || age > 60);
    if (hasSpouse) fillSpouse(c, spouse, joined);
    fillFieldStaff(c, area);
    // Only the youngest plan's families have children young enough to be
    // covered.
    std::vector<Person> children;
    if (band == 0 && option != kSingle) children = childrenOf(member, option);

    // Money follows the plan row picked; each child beyond the fifth adds the
    // premium of its age group.
    c.PLAN = plan.plan;
    c.OPTION = plan.type;
    c.BENEFIT = plan.cover;
    ChildPremiums childSum;
    std::vector<rec::VelChd> childRecords;
    for (std::size_t k = 0; k < children.size(); ++k) {
      childRecords.push_back(childRecord(c, children[k], static_cast<int>(k), band));
      childSum.premium += childRecords.back().PREMIUM;
      childSum.payOver += childRecords.back().PREM2PAY;
    }

    // Hamper members carry the hamper contribution; they are copied into the
    // hamper scheme (as the copy utility leaves them), so the hamper is
    // billed on its own ledger and the amount billed here is the policy
    // premium alone.
    const bool hamper = status == 0 && rng_.chance(12);
    if (hamper) {
      c.HAM_BYTE = 1;
      c.HAMPER = kHamperRow.premium;
    }
    setPolicyPremium(c, PlanRate{plan.premium, plan.payOver}, childSum, hamper);

    c.ACTIVE = kStatus[status];
    if (status != 0) c.DATECHANGE = rng_.between(joined + 30, std::max(joined + 30, joinBy_));
    c.WAIT_DATE = joined;
    c.DATE6 = joined + 184;
    c.DATE24 = joined + 730;
    c.DOM = rng_.pick(all(kPayDays));
    // "1 Plus 9" covers up to nine others beside the member.
    std::vector<Relative> relatives;
    if (option == kOnePlusNine) {
      int room = 9 - (hasSpouse ? 1 : 0) - static_cast<int>(children.size());
      relatives = extendedFamily(member, maiden, hasSpouse, rng_.between(1, std::min(6, room)));
    }
    fillBeneficiary(c, member, hasSpouse ? &spouse : nullptr, children, relatives, area);

    // The account's history is worked out before the client is written:
    // the INVOICED mark says whether this month has been billed.
    const std::int32_t lastDay = status == 0 ? today_ : static_cast<std::int32_t>(c.DATECHANGE);
    std::vector<LedgerEvent> history =
        runs_.empty() ? accountHistory(joined, lastDay, c.PLANPREM)
                      : std::vector<LedgerEvent>{{LedgerEvent::kFirstCharge, officeMoment(joined),
                                                  c.PLANPREM}};
    if (status == 0 && !runs_.empty()) rememberAccount(c);
    c.INVOICED = billedThisMonth(history) ? 1 : 0;

    if (!addNumbered(cli)) return false;
    ++result_.clients;
    if (status == 0) ++result_.activeClients;

    return addChildren(childRecords) && addExtendedFamily(c, relatives) &&
           (!hamper || copyToHamper(c)) && addLedger(c, history);
  }

  // --- The ledger ------------------------------------------------------------

  // One entry of a client's account: the first charge, a month's invoice or
  // a payment received.
  struct LedgerEvent {
    enum Kind { kFirstCharge, kInvoice, kPayment } kind;
    Moment at;
    double amount;
    bool paid = false;  // an invoice the payments have covered
  };

  // The office's invoice run bills on this day of each month.
  static constexpr int kInvoiceDay = 21;
  // Months of invoices and payments before today that the demo writes.
  static constexpr int kHistoryMonths = 4;

  // Office hours: 08:00 to 16:00, in hundredths of a second.
  Moment officeMoment(std::int32_t day) {
    return {day, rng_.between(8 * 3600, 16 * 3600 - 1) * 100};
  }

  // The first charge on the day of joining, then for each of the last few
  // months the client's payment (a good payer rarely misses one, a poor one
  // often does; some pay more than one month at a time) and the month's
  // invoice, up to `lastDay` (today, or the day the policy stopped).
  std::vector<LedgerEvent> accountHistory(std::int32_t joined, std::int32_t lastDay,
                                          double premium) {
    std::vector<LedgerEvent> out;
    out.push_back({LedgerEvent::kFirstCharge, officeMoment(joined), premium});
    const int payer = rng_.weighted({60, 30, 10});  // good, poor, no payer
    const int payChance = payer == 0 ? 92 : payer == 1 ? 55 : 5;
    const Ymd t = ymdFromDate(today_);
    for (int back = kHistoryMonths - 1; back >= 0; --back) {
      int year = t.year, month = t.month - back;
      while (month < 1) {
        month += 12;
        --year;
      }
      const std::int32_t runDay = dateFromYmd(year, month, kInvoiceDay);
      const std::int32_t monthStart = dateFromYmd(year, month, 1);
      const std::int32_t payFrom = std::max(joined + 1, monthStart);
      const std::int32_t payTo = std::min({lastDay, runDay - 1, today_});
      if (payFrom <= payTo && rng_.chance(payChance)) {
        const int months = rng_.chance(10) ? 2 : 1;
        out.push_back({LedgerEvent::kPayment, officeMoment(rng_.between(payFrom, payTo)),
                       roundCents(premium * months)});
      }
      if (runDay > joined && runDay <= lastDay)
        out.push_back({LedgerEvent::kInvoice, officeMoment(runDay), premium});
    }
    // An invoice is paid once the payments cover it and every earlier one.
    std::int64_t paid = 0, billed = 0;
    for (const LedgerEvent& e : out)
      if (e.kind == LedgerEvent::kPayment) paid += toCents(e.amount);
    for (LedgerEvent& e : out) {
      if (e.kind == LedgerEvent::kPayment) continue;
      billed += toCents(e.amount);
      e.paid = billed <= paid;
    }
    return out;
  }

  bool billedThisMonth(const std::vector<LedgerEvent>& history) const {
    const Ymd t = ymdFromDate(today_);
    for (auto it = history.rbegin(); it != history.rend(); ++it) {
      if (it->kind == LedgerEvent::kPayment) continue;
      const Ymd d = ymdFromDate(it->at.day);
      return d.year == t.year && d.month == t.month;
    }
    return false;
  }

  // Writes the history: the first charge through the ledger's own posting,
  // then each invoice and payment with its transaction, the ageing record
  // carried along by the ageing rules and put back once at the end.
  template <class L = ledger::BurialCover>
  bool addLedger(const typename L::Member& c, const std::vector<LedgerEvent>& history) {
    const std::string id = c.CLIENT_ID.text();
    FileManager& age = files_.fm<typename L::Ageing>();
    FileManager& inv = files_.fm<typename L::Invoice>();
    FileManager& tra = files_.fm<typename L::Entry>();
    FileManager& pay = files_.fm<typename L::Payment>();
    ledger::AgeBuckets buckets;
    for (const LedgerEvent& e : history) {
      const std::string unique = uniqueStamp(e.at.day, e.at.time);
      switch (e.kind) {
        case LedgerEvent::kFirstCharge: {
          ledger::FirstCharge charge = ledger::firstChargeOf(c);
          charge.premium = e.amount;
          std::string failed;
          if (ledger::addFirstCharge<L>(files_, charge, stamp_, e.at, &failed) !=
              kDone)
            return refused(files_.fm(failed), files_.fm(failed).LastEngineText());
          ledger::ageOpen(buckets, toCents(e.amount));
          if (e.paid && !markFirstInvoicePaid<typename L::Invoice>(inv, id)) return false;
          break;
        }
        case LedgerEvent::kInvoice: {
          inv.ClearBuffer();
          auto& i = inv.rec<typename L::Invoice>();
          i.CLIENT_ID = id;
          i.DATE = e.at.day;
          i.DEBIT = e.amount;
          i.STATUS = e.paid ? "Pd" : "";
          i.BRANCH_ID = stamp_.branch;
          i.UNIQUE = unique;
          if (!add(inv)) return false;
          fillEntry<typename L::Entry>(tra, id, e, unique, c);
          tra.rec<typename L::Entry>().TYPE = ledger::kInvoiceType;
          tra.rec<typename L::Entry>().DEBIT = e.amount;
          if (!add(tra)) return false;
          ledger::ageCharge(buckets, toCents(e.amount));
          break;
        }
        case LedgerEvent::kPayment: {
          pay.ClearBuffer();
          auto& p = pay.rec<typename L::Payment>();
          p.CLIENT_ID = id;
          p.DATE = e.at.day;
          p.SOURCE = "Cash";
          p.CREDIT = e.amount;
          p.STATUS = "SEL";
          p.BRANCH_ID = stamp_.branch;
          p.X_DATE = e.at.day;
          p.X_TIME = e.at.time;
          p.X_ID = stamp_.user;
          p.UNIQUE = unique;
          p.COL_CODE = c.COL_CODE.value;
          p.AGE_CODE = c.AGE_CODE.value;
          p.COL_COMM = c.COL_COMM;
          p.AGE_COMM = c.AGE_COMM;
          p.PREM2PAY = payOver(c);
          if (!add(pay)) return false;
          fillEntry<typename L::Entry>(tra, id, e, unique, c);
          tra.rec<typename L::Entry>().TYPE = ledger::kPaymentType;
          tra.rec<typename L::Entry>().SOURCE = "Cash";
          tra.rec<typename L::Entry>().CREDIT = e.amount;
          tra.rec<typename L::Entry>().PAYOVER = payOver(c);
          if (!add(tra)) return false;
          ledger::agePay(buckets, toCents(e.amount));
          break;
        }
      }
    }
    if (history.size() == 1) return true;  // the ageing record stands as opened
    age.ClearBuffer();
    age.rec<typename L::Ageing>().CLIENT_ID = id;
    if (age.TryGetByKey(age.keyIndex("By_Client")) != kDone)
      return refused(age, age.LastEngineText());
    ledger::storeBuckets(age.rec<typename L::Ageing>(), buckets);
    if (age.TryUpdate() != kDone) return refused(age, age.LastEngineText());
    return true;
  }

  // The first invoice, written by the first charge, marked paid.
  template <class Invoice>
  bool markFirstInvoicePaid(FileManager& inv, const std::string& id) {
    inv.ClearBuffer();
    inv.rec<Invoice>().CLIENT_ID = id;
    if (inv.TryGetByKey(inv.keyIndex("By_Client")) != kDone)
      return refused(inv, inv.LastEngineText());
    inv.rec<Invoice>().STATUS = "Pd";
    if (inv.TryUpdate() != kDone) return refused(inv, inv.LastEngineText());
    return true;
  }

  template <class Entry, class Member>
  void fillEntry(FileManager& tra, const std::string& id, const LedgerEvent& e,
                 const std::string& unique, const Member& c) {
    tra.ClearBuffer();
    auto& t = tra.rec<Entry>();
    t.CLIENT_ID = id;
    t.DATE = e.at.day;
    t.BRANCH_ID = stamp_.branch;
    t.X_DATE = e.at.day;
    t.X_TIME = e.at.time;
    t.X_ID = stamp_.user;
    t.UNIQUE = unique;
    t.AGE_COMM = c.AGE_COMM;
    t.COLL_COMM = c.COL_COMM;
  }

  // One letter of the client form's choice: Married, Community of property
  // and Accrual for a couple; Widowed, Single or Divorced otherwise.
  std::string maritalStatus(bool hasSpouse, bool mostlyWidowed) {
    if (hasSpouse) return {"MCA"[rng_.weighted({70, 20, 10})]};
    if (mostlyWidowed) return {"WSD"[rng_.weighted({60, 20, 20})]};
    return {"SDW"[rng_.weighted({60, 25, 15})]};
  }

  void fillSpouse(rec::VelCli& c, const Person& spouse, std::int32_t joined) {
    c.S_SURNAME = spouse.surname;
    c.S_FIRSTNAME = spouse.first;
    c.S_ID_NUMBER = spouse.id;
    c.S_DOB = spouse.dob;
    c.S_GENDER = genderText(spouse.male);
    c.S_ACTIVE = "Active";
    if (rng_.chance(4)) {
      c.S_ACTIVE = "Deceased";
      c.S_CHANGEDATE = rng_.between(joined + 1, today_);
    }
  }

  // The area's collector and route, and an agent who sells there; the
  // commission as the client form gives it when an agent and a collector
  // are chosen.
  void fillFieldStaff(rec::VelCli& c, const Area& area) {
    const FieldPerson& agent = area.limpopo ? kAgents[rng_.between(kGautengAgents, 5)]
                                            : kAgents[rng_.between(0, kGautengAgents - 1)];
    const FieldPerson& collector = kCollectors[kRoutes[area.route].collector];
    c.AGE_CODE = agent.code;
    c.AGE_SURNAME = agent.surname;
    c.AGE_FNAME = agent.first;
    c.COL_CODE = collector.code;
    c.COL_SURNAME = collector.surname;
    c.COL_FNAME = collector.first;
    c.AGE_COMM = agentComm_;
    c.COL_COMM = collectorComm_;
    c.ROUTE = kRoutes[area.route].name;
  }

  // Children of 26 at most, born when the member was at least 16, eldest
  // first (the order the clerk captures them in).
  std::vector<Person> childrenOf(const Person& member, int option) {
    const int count =
        option == kOnePlusNine ? rng_.between(0, 3) : 1 + rng_.weighted({25, 30, 22, 13, 5, 3, 2});
    const int oldest = std::min(26, member.age - 17);
    std::vector<Person> children;
    for (int k = 0; k < count; ++k) {
      bool boy = rng_.chance(50);
      children.push_back(person(boy, rng_.between(0, oldest), member.surname));
    }
    std::sort(children.begin(), children.end(),
              [](const Person& a, const Person& b) { return a.dob < b.dob; });
    return children;
  }

  void fillAddress(rec::VelCli& c, const Area& area) {
    std::string street = area.streets[rng_.between(0, 3)];
    std::string number = std::to_string(rng_.between(1, 9999));
    c.STRNO = number;
    c.H_ADDR1 = street;
    c.H_ADDR2 = area.suburb;
    c.H_ADDR3 = area.town;
    c.H_CODE = std::stoi(area.streetCode);
    if (rng_.chance(30)) {
      c.P_ADDR1 = "P O Box " + std::to_string(rng_.between(10, 9999));
      c.P_CODE = std::stoi(area.boxCode);
    } else {
      c.P_ADDR1 = number + " " + street;
      c.P_CODE = std::stoi(area.streetCode);
    }
    c.P_ADDR2 = area.suburb;
    c.P_ADDR3 = area.town;
  }

  void fillContact(rec::VelCli& c, const Person& member, const Area& area) {
    if (rng_.chance(95)) c.PHONE_CELL = cellNumber();
    if (rng_.chance(15)) c.PHONE_HOME = landline(area);
    if (rng_.chance(20)) c.PHONE_WORK = landline(area);
    if (rng_.chance(25)) c.EMAIL = mailAddress(member);
  }

  void fillBank(rec::VelCli& c) {
    c.ACCOUNT_TYPE = "Savings";  // the client form's default
    if (!rng_.chance(45)) return;
    const BranchInfo& b = rng_.pick(all(kBranches));
    c.BANK_NAME = b.bank;
    c.BRANCH_NAME = b.branch;
    c.BRANCH_CODE = b.code;
    std::string account = std::to_string(rng_.between(1, 9));
    for (int i = 0; i < 9; ++i) account += static_cast<char>('0' + rng_.between(0, 9));
    c.ACCOUNT_NUMBER = account;
    static constexpr const char* kTypes[] = {"Savings", "Transmission", "Cheque"};
    c.ACCOUNT_TYPE = kTypes[rng_.weighted({65, 25, 10})];
  }

  // The one beneficiary: often the spouse, else a grown child, else a parent
  // or a sibling, taken from the extended family when it is covered there.
  void fillBeneficiary(rec::VelCli& c, const Person& member, const Person* spouse,
                       const std::vector<Person>& children, const std::vector<Relative>& relatives,
                       const Area& area) {
    Person b;
    std::string relation;
    const Person* grown = nullptr;
    for (const Person& ch : children)
      if (ch.age >= 18) grown = &ch;
    const Relative* close = nullptr;
    for (const Relative& r : relatives)
      if (r.person.age >= 18 && r.relation - kRelations < kCloseRelations) close = &r;
    if (spouse && rng_.chance(65)) {
      b = *spouse;
      relation = member.male ? "Wife" : "Husband";
    } else if (grown && rng_.chance(70)) {
      b = *grown;
      relation = grown->male ? "Son" : "Daughter";
    } else if (close) {
      b = close->person;
      relation = close->relation->name;
    } else if (member.age < 50 && rng_.chance(50)) {
      b = person(false, std::min(96, member.age + rng_.between(19, 35)), member.surname);
      relation = "Mother";
    } else if (member.age >= 45) {
      bool son = rng_.chance(50);
      b = person(son, member.age - rng_.between(20, std::min(30, member.age - 18)), member.surname);
      relation = son ? "Son" : "Daughter";
    } else {
      bool brother = rng_.chance(50);
      b = person(brother, std::max(18, member.age + rng_.between(-8, 8)), member.surname);
      relation = brother ? "Brother" : "Sister";
    }
    c.B1_FIRSTNAME = b.first;
    c.B1_SURNAME = b.surname;
    c.B1_ID_NUMBER = b.id;
    c.B1_DOB = b.dob;
    c.B1_RELATION = relation;
    c.B1_ADD1 = c.STRNO.text() + " " + c.H_ADDR1.text();
    c.B1_ADD2 = area.suburb;
    c.B1_ADD3 = area.town;
    c.B1_CODE = area.streetCode;
    c.B1_CONTACT = cellNumber();
  }

  // A child as the child form records it: age and age group from the date of
  // birth, benefit and premium from the plan's children's row.
  rec::VelChd childRecord(const rec::VelCli& c, const Person& p, int index, int planIndex) {
    rec::VelChd r;
    r.CLIENT_ID = c.CLIENT_ID.value;
    r.C1_SURNAME = p.surname;
    r.C1_FIRSTNAME = p.first;
    r.C1_ID_NUMBER = p.id;
    r.C1_DOB = p.dob;
    r.C1_AGE = ageOn(p.dob, today_);
    r.GENDER = genderText(p.male);
    const int group = childAgeGroup(static_cast<int>(r.C1_AGE));
    const ChildRow& row = kChildRows[planIndex][group];
    r.C1_BENEFIT = group == 3 ? row.comm : row.cover;
    if (index >= kFreeChildren) {
      r.PREMIUM = row.premium;
      r.PREM2PAY = row.payOver;
    }
    r.NUMBER = index + 1;
    r.ACTIVE = "Active";
    return r;
  }

  bool addChildren(const std::vector<rec::VelChd>& records) {
    if (records.empty()) return true;
    FileManager& chd = files_.fm<rec::VelChd>();
    for (const rec::VelChd& r : records) {
      chd.rec<rec::VelChd>() = r;
      if (!add(chd)) return false;
      ++result_.children;
    }
    return true;
  }

  std::vector<Relative> extendedFamily(const Person& member, const std::string& maiden,
                                       bool hasSpouse, int count) {
    // Blood relatives carry the member's own family name.
    const std::string family = maiden.empty() ? member.surname : maiden;
    int taken[std::size(kRelations)] = {};
    std::vector<Relative> out;
    for (int k = 0; k < count; ++k) {
      int chosen = -1, age = 0;
      for (int tries = 0; tries < 20 && chosen < 0; ++tries) {
        int i = rng_.between(0, static_cast<int>(std::size(kRelations)) - 1);
        const Relation& r = kRelations[i];
        if ((r.inLaw && !hasSpouse) || taken[i] >= r.most) continue;
        age = member.age + rng_.between(r.olderFrom, r.olderTo);
        if (age >= 1 && age <= 95) chosen = i;
      }
      if (chosen < 0) {
        chosen = kCousin;  // a cousin of about the member's own age
        age = std::clamp(member.age, 1, 95);
      }
      ++taken[chosen];
      const Relation& rel = kRelations[chosen];
      const bool male = rel.gender == 2 ? rng_.chance(50) : rel.gender == 1;
      const bool sameName = !rel.inLaw && (rel.olderFrom >= 18 || rng_.chance(50));
      out.push_back({person(male, age, sameName ? family : surname()), &rel});
    }
    return out;
  }

  bool addExtendedFamily(const rec::VelCli& c, const std::vector<Relative>& relatives) {
    if (relatives.empty()) return true;
    FileManager& ext = files_.fm<rec::VelExt>();
    for (std::size_t k = 0; k < relatives.size(); ++k) {
      const Person& p = relatives[k].person;
      ext.ClearBuffer();
      auto& r = ext.rec<rec::VelExt>();
      r.CLIENT_ID = c.CLIENT_ID.value;
      r.DATE = c.DATE;
      r.SURNAME = p.surname;
      r.FIRSTNAME = p.first;
      r.MIDDLENAME = p.middle;
      r.INITIALS = initialsOf(p);
      r.TITLE = p.male ? "Mr" : (p.age >= 25 ? "Mrs" : "Miss");
      r.ID_NUMBER = p.id;
      r.DOB = p.dob;
      r.GENDER = genderText(p.male);
      r.AGE_GROUP = p.age > 65 ? "Between 66-74 years" : "Below 66 years";
      r.RELATE = relatives[k].relation->name;
      r.ACTIVE = "Active";
      r.WAIT_DATE = c.WAIT_DATE;
      r.NUMBER = static_cast<std::int64_t>(k + 1);
      if (!add(ext)) return false;
      ++result_.extended;
    }
    return true;
  }

  // The hamper member as the copy utility makes it from the client, kept
  // for the hamper ledger's pass.
  bool copyToHamper(const rec::VelCli& c) {
    FileManager& ham = files_.fm<rec::Hamper>();
    ham.ClearBuffer();
    rec::Hamper& m = ham.rec<rec::Hamper>();
    hamperFromClient(c, m);
    m.NUMBER = result_.hamperMembers + 1;  // the hamper file's own running number
    m.INVOICED = 0;                        // set by the hamper ledger's pass
    if (!addNumbered(ham)) return false;
    ++result_.hamperMembers;
    hamperMembers_.push_back(m);
    return true;
  }

  // What a payment of the member was due to pay over: the client's
  // PREMTOPAY, the hamper member's contribution.
  static double payOver(const rec::VelCli& c) { return c.PREMTOPAY; }
  static double payOver(const rec::Hamper& m) { return m.PREMIUM; }

  // The hamper members' own ledger: a first charge when they joined the
  // club (at most a few months back), the monthly run's invoices and their
  // payments, written by the same rules as the policies' accounts. Its own
  // random sequence, so the policies come out as they always did.
  bool seedHamperLedger() {
    if (hamperMembers_.empty()) return true;
    Random hamperRng(static_cast<std::uint64_t>(options_.seed) * 31 + 7);
    std::swap(rng_, hamperRng);
    FileManager& ham = files_.fm<rec::Hamper>();
    bool ok = true;
    for (std::size_t first = 0; ok && first < hamperMembers_.size(); first += kClientsPerCommit) {
      const std::size_t last = std::min(hamperMembers_.size(), first + kClientsPerCommit);
      ok = inOneTransaction(
          {&ham, &files_.fm<rec::HamAge>(), &files_.fm<rec::HamInv>(), &files_.fm<rec::HamTra>(),
           &files_.fm<rec::HamPay>()},
          [&] {
            for (std::size_t k = first; k < last; ++k)
              if (!seedHamperAccount(hamperMembers_[k])) return false;
            return true;
          });
    }
    std::swap(rng_, hamperRng);
    return ok;
  }

  bool seedHamperAccount(const rec::Hamper& m) {
    const std::int32_t joined = std::max<std::int32_t>(m.DATE, today_ - 150);
    const std::vector<LedgerEvent> history = accountHistory(joined, today_, m.PREMIUM);
    if (!addLedger<ledger::HamperClub>(m, history)) return false;
    if (!billedThisMonth(history)) return true;
    FileManager& ham = files_.fm<rec::Hamper>();
    ham.ClearBuffer();
    ham.rec<rec::Hamper>().CLIENT_ID = m.CLIENT_ID;
    if (ham.TryGetByKey(ham.keyIndex("By_Client")) != kDone)
      return refused(ham, ham.LastEngineText());
    ham.rec<rec::Hamper>().INVOICED = 1;
    if (ham.TryUpdate() != kDone) return refused(ham, ham.LastEngineText());
    return true;
  }

  // --- Months of office life ---------------------------------------------------
  //
  // After the policies are on file the office lives through its last months
  // by its own rules: at the start of each month the invoiced marks are
  // reset, each agent is issued a receipt book, the members pay (most at
  // the counter, some to their agent, whose receipts are captured against
  // the book), and on the 21st the invoice run bills every active member.
  // Good payers rarely miss a month, poor ones often do and a few never pay,
  // so the ageing ends with members 30, 60, 90 and more days behind.

  // Files the months write besides the policies' own.
  static constexpr const char* kMonthFiles[] = {"Receipt", "AgeIss", "ReceiveR", "RecPrn",
                                                "HamAge",  "HamInv", "HamTra"};
  static std::vector<const char*> demoFiles() {
    std::vector<const char*> out(std::begin(kDemoFiles), std::end(kDemoFiles));
    out.insert(out.end(), std::begin(kMonthFiles), std::end(kMonthFiles));
    return out;
  }

  // Payments (and invoice-run members) posted per commit: each commit
  // journals again the key pages it touches, so fewer, larger groups seed
  // a large office faster.
  static constexpr int kPaymentsPerCommit = 10000;
  // Numbers in the receipt book each agent is issued every month, and how
  // many of them the agent fills (at most).
  static constexpr int kBookNumbers = 25;
  static constexpr int kReceiptsPerAgent = 6;
  static constexpr std::int64_t kFirstReceiptNumber = 1001;

  // What the months need of an active policy.
  struct Account {
    std::string id;
    std::string agent;
    double premium = 0;
    int payChance = 0;  // per cent, each month
  };

  // The months played, oldest first: the day each month's invoice run falls
  // on, the latest no later than today.
  void planMonths() {
    joinBy_ = today_;
    if (options_.months <= 0) return;
    Ymd t = ymdFromDate(today_);
    int year = t.year, month = t.day >= kInvoiceDay ? t.month : t.month - 1;
    for (int k = 0; k < options_.months; ++k) {
      while (month < 1) {
        month += 12;
        --year;
      }
      runs_.insert(runs_.begin(), dateFromYmd(year, month, kInvoiceDay));
      --month;
    }
    const Ymd first = ymdFromDate(runs_.front());
    joinBy_ = dateFromYmd(first.year, first.month, 1) - 1;
  }

  void rememberAccount(const rec::VelCli& c) {
    const int payer = rng_.weighted({60, 30, 10});  // good, poor, no payer
    accounts_.push_back({c.CLIENT_ID.text(), std::string(trim(c.AGE_CODE.text())), c.PLANPREM,
                         payer == 0 ? 92 : payer == 1 ? 55 : 4});
  }

  bool playMonths() {
    if (runs_.empty()) return true;
    SilentUi ui;
    for (std::int32_t run : runs_) {
      const Ymd r = ymdFromDate(run);
      const std::int32_t first = dateFromYmd(r.year, r.month, 1);
      if (!monthReset(ui) || !issueBooks(ui, first) || !takePayments(ui, first, run - 1) ||
          !takeHamperPayments(first, run - 1) || !invoiceRun(ui, run))
        return false;
      ++result_.monthsPlayed;
    }
    // Today in a later month than the last run: the month has been reset,
    // its books issued and the payments so far taken; its run is to come.
    const Ymd last = ymdFromDate(runs_.back()), t = ymdFromDate(today_);
    if (t.month != last.month || t.year != last.year) {
      const std::int32_t first = dateFromYmd(t.year, t.month, 1);
      if (!monthReset(ui) || !issueBooks(ui, first) || !takePayments(ui, first, today_) ||
          !takeHamperPayments(first, today_))
        return false;
    }
    return true;
  }

  bool monthReset(Ui& ui) {
    if (billing::Reset_Invoiced(files_, ui)) return true;
    error_ = "the month reset of the invoiced marks failed.";
    return false;
  }

  bool invoiceRun(Ui& ui, std::int32_t day) {
    FixedClock clock(day, 17 * 3600 * 100);
    billing::InvoiceRunOptions o;
    o.groupSize = kPaymentsPerCommit;
    const billing::InvoiceRunResult r = billing::Generate_Invoices(files_, ui, clock, stamp_, o);
    if (!r.ok) {
      error_ = "an invoice run stopped: " + r.failure;
      return false;
    }
    result_.invoicesBilled += r.membersInvoiced();
    return true;
  }

  // One book per agent, issued on the first of the month, while the
  // numbers fit the issued-receipt records.
  bool issueBooks(Ui& ui, std::int32_t day) {
    books_.clear();
    for (const FieldPerson& a : kAgents) {
      const std::int64_t end = nextReceipt_ + kBookNumbers - 1;
      if (end > billing::kHighestReceiptNumber) break;
      rec::Receipt book;
      book.CODE = a.code;
      book.DATE = day;
      book.START = nextReceipt_;
      book.MEND = end;
      if (billing::issueReceiptBook(files_, ui, book, nullptr, day) != 0) {
        error_ = std::string("the receipt book of agent ") + a.code + " could not be issued.";
        return false;
      }
      books_[a.code] = nextReceipt_;
      nextReceipt_ = end + 1;
      ++result_.receiptBooks;
    }
    return true;
  }

  // A payment of the month: at the counter, or to the agent against his book.
  struct Planned {
    std::size_t account;
    Moment at;
    double amount;
    std::int64_t receipt = 0;  // the book's number; 0 at the counter
  };

  bool takePayments(Ui& ui, std::int32_t from, std::int32_t to) {
    if (to < from) return true;
    std::vector<Planned> plan;
    std::map<std::string, int> filled;  // receipts each agent has filled
    for (std::size_t i = 0; i < accounts_.size(); ++i) {
      const Account& a = accounts_[i];
      if (!rng_.chance(a.payChance)) continue;
      const int months = rng_.chance(8) ? 2 : 1;
      Planned p{i, officeMoment(rng_.between(from, to)), roundCents(a.premium * months)};
      auto book = books_.find(a.agent);
      if (book != books_.end() && filled[a.agent] < kReceiptsPerAgent && rng_.chance(10))
        p.receipt = book->second + filled[a.agent]++;
      plan.push_back(p);
    }
    // The counter payments go in client order, each group's reads and
    // writes falling on neighbouring pages of the files and their keys (in
    // the order of the days they would touch every page of every group);
    // the agents' receipts are captured day by day, as their books fill.
    std::vector<const Planned*> counter;
    std::vector<const Planned*> receipts;
    for (const Planned& p : plan) (p.receipt != 0 ? receipts : counter).push_back(&p);
    std::stable_sort(receipts.begin(), receipts.end(), [](const Planned* x, const Planned* y) {
      return x->at.day != y->at.day ? x->at.day < y->at.day : x->at.time < y->at.time;
    });
    for (const Planned* p : receipts)
      if (!captureOne(ui, *p)) return false;
    FileUse useCli(files_.fm<rec::VelCli>()), usePay(files_.fm<rec::VelPay>()),
        useInv(files_.fm<rec::VelInv>()), useTra(files_.fm<rec::VelTra>()),
        useAge(files_.fm<rec::VelAge>());
    for (std::size_t at = 0; at < counter.size(); at += kPaymentsPerCommit) {
      const std::size_t end = std::min(counter.size(), at + kPaymentsPerCommit);
      ledger::LedgerTransaction tx(files_, {&files_.fm<rec::VelCli>(), &files_.fm<rec::VelPay>(),
                                            &files_.fm<rec::VelInv>(), &files_.fm<rec::VelTra>(),
                                            &files_.fm<rec::VelAge>()},
                                   120);
      if (!tx.begun()) {
        error_ = tx.failedFiles() + ": " + tx.failureText();
        return false;
      }
      for (std::size_t k = at; k < end; ++k)
        if (!counterPayment(*counter[k])) return false;
      if (!tx.commit()) {
        error_ = "the payments could not be committed: " + engineStatus().text;
        return false;
      }
    }
    return markReceiptsPrinted();
  }

  // The hamper club's members pay their contribution at the counter, most
  // of them every month, through the same payment rule on the hamper ledger.
  // A member the club has not billed yet (he joined after the last run)
  // pays nothing.
  bool takeHamperPayments(std::int32_t from, std::int32_t to) {
    if (to < from || hamperMembers_.empty() || result_.invoicesBilled == 0) return true;
    const std::vector<FileManager*> fs{&files_.fm<rec::Hamper>(), &files_.fm<rec::HamPay>(),
                                       &files_.fm<rec::HamInv>(), &files_.fm<rec::HamTra>(),
                                       &files_.fm<rec::HamAge>()};
    std::vector<std::unique_ptr<FileUse>> uses;
    for (FileManager* f : fs) uses.push_back(std::make_unique<FileUse>(*f));
    for (std::size_t at = 0; at < hamperMembers_.size(); at += kPaymentsPerCommit) {
      const std::size_t end = std::min(hamperMembers_.size(), at + kPaymentsPerCommit);
      ledger::LedgerTransaction tx(files_, fs, 120);
      if (!tx.begun()) {
        error_ = tx.failedFiles() + ": " + tx.failureText();
        return false;
      }
      for (std::size_t k = at; k < end; ++k) {
        const rec::Hamper& m = hamperMembers_[k];
        if (!(m.ACTIVE == "Active") || !rng_.chance(85)) continue;
        rec::HamPay pay;
        pay.CLIENT_ID = m.CLIENT_ID.text();
        pay.DATE = rng_.between(from, to);
        pay.ACCOUNT = "Petty Cash";
        pay.SOURCE = "Cash";
        pay.CREDIT = m.PREMIUM;
        pay.STATUS = "SEL";
        pay.BRANCH_ID = stamp_.branch;
        const Moment when = officeMoment(static_cast<std::int32_t>(pay.DATE.value));
        const ledger::PaymentOutcome out =
            ledger::addPayment<ledger::HamperClub>(files_, pay, {}, stamp_, when);
        if (out.result != ledger::PostResult::Posted) {
          error_ = "the hamper payment of " + m.CLIENT_ID.text() +
                   " could not be posted: " + engineStatus().text;
          return false;
        }
        ++result_.counterPayments;
      }
      if (!tx.commit()) {
        error_ = "the hamper payments could not be committed: " + engineStatus().text;
        return false;
      }
    }
    return true;
  }

  // A payment taken at the counter, posted by the ledger's payment rule.
  bool counterPayment(const Planned& p) {
    const Account& a = accounts_[p.account];
    rec::VelPay pay;
    pay.CLIENT_ID = a.id;
    pay.DATE = p.at.day;
    pay.ACCOUNT = "Petty Cash";
    pay.SOURCE = "Cash";
    pay.CREDIT = p.amount;
    pay.STATUS = "SEL";
    pay.BRANCH_ID = stamp_.branch;
    pay.AGE_CODE = a.agent;
    pay.AGE_COMM = agentComm_;
    pay.COL_COMM = collectorComm_;
    const ledger::PaymentOutcome out =
        ledger::addPayment<ledger::BurialCover>(files_, pay, {}, stamp_, p.at);
    if (out.result != ledger::PostResult::Posted) {
      error_ = "the payment of " + a.id + " could not be posted: " + engineStatus().text;
      return false;
    }
    ++result_.counterPayments;
    return true;
  }

  // A receipt the agent wrote out, captured against his book.
  bool captureOne(Ui& ui, const Planned& p) {
    const Account& a = accounts_[p.account];
    CaptureSession session;
    session.agent = a.agent;
    const ReceiptEntry entry{p.receipt, p.at.day, p.amount, a.id};
    if (captureReceipt(files_, ui, session, entry, stamp_, p.at) != CaptureResult::Captured) {
      error_ = "receipt " + std::to_string(p.receipt) + " of " + a.id + " could not be captured.";
      return false;
    }
    ++result_.receiptsCaptured;
    return true;
  }

  // The month's receipts went out printed with the capture run.
  bool markReceiptsPrinted() {
    FileManager& q = files_.fm<rec::RecPrn>();
    if (!q.Exists()) return true;
    return inOneTransaction({&q}, [&] {
      q.SetOrder(kPhysicalOrder);
      while (q.ReadNext() == kDone) {
        if (q.rec<rec::RecPrn>().PRINTED.value == 1) continue;
        q.rec<rec::RecPrn>().PRINTED = 1;
        if (q.TryUpdate() != kDone) return refused(q, q.LastEngineText());
      }
      return true;
    });
  }

  std::string monthsSummary() const {
    if (runs_.empty()) return "";
    return " " + std::to_string(result_.monthsPlayed) + " months played: " +
           std::to_string(result_.invoicesBilled) + " invoices billed, " +
           std::to_string(result_.counterPayments) + " counter payments, " +
           std::to_string(result_.receiptsCaptured) + " receipts captured in " +
           std::to_string(result_.receiptBooks) + " receipt books.";
  }

  std::vector<std::int32_t> runs_;  // the invoice run days played, oldest first
  std::int32_t joinBy_ = 0;         // the last day a policy may have joined
  std::vector<Account> accounts_;   // the active policies
  std::map<std::string, std::int64_t> books_;  // the month's first number per agent
  std::int64_t nextReceipt_ = kFirstReceiptNumber;

  DataFiles& files_;
  DemoOptions options_;
  std::int32_t today_;
  Random rng_;
  std::set<std::string> ids_;
  std::vector<rec::Hamper> hamperMembers_;  // copied into the club, for their ledger
  std::set<std::string> householdNames_;  // first names already used in this household
  double agentComm_ = 10, collectorComm_ = 5;
  ledger::PostingStamp stamp_{"", "Demo"};
  DemoResult result_;
  std::string error_;
};

}  // namespace

DemoResult seedDemoOffice(DataFiles& files, const Clock& clock, const DemoOptions& options) {
  return DemoBuilder(files, clock, options).run();
}

}  // namespace vel
