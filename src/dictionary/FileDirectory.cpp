#include "dictionary/FileDirectory.h"

#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "dictionary/OlderLayouts.h"

namespace vel {

namespace {

constexpr unsigned kUniqueX = kUnique | kExcludeEmpty;

// Keys of the member files VelCli and Hamper. By_Number allows duplicates:
// uniqueness of the number comes from adding the record at once when it is
// numbered, not from the key.
std::vector<KeySpec> memberKeys() {
  return {
      {"By_Street", {"H_ADDR1", "STRNO"}},
      {"By_Client", {"CLIENT_ID"}, kPrimary | kUnique | kExcludeEmpty},
      {"By_Name", {"SURNAME", "INITIALS"}, kExcludeEmpty},
      {"By_IDNumber", {"ID_NUMBER"}, kExcludeEmpty},
      {"By_Bank", {"BANK_NAME", "BRANCH_NAME"}, kExcludeEmpty},
      {"By_Number", {"NUMBER"}, kExcludeEmpty | kAutoNumber},
  };
}

// Keys of the invoice and transaction files (and, with By_Col_Code, of the
// payment files). By_Unique allows duplicates so that two entries written by
// one branch in the same hundredth of a second are both kept.
std::vector<KeySpec> moneyKeys() {
  return {
      {"By_Client", {"CLIENT_ID"}, kExcludeEmpty},
      {"By_Date", {"DATE"}, kExcludeEmpty},
      {"By_Unique", {"BRANCH_ID", "UNIQUE"}, kExcludeEmpty},
  };
}

std::vector<KeySpec> paymentKeys() {
  auto keys = moneyKeys();
  keys.push_back({"By_Col_Code", {"COL_CODE"}});
  return keys;
}

// One ageing record per client.
std::vector<KeySpec> ageKeys() { return {{"By_Client", {"CLIENT_ID"}, kUniqueX}}; }

std::vector<KeySpec> personKeys() {
  return {{"KeyCode", {"CODE"}, kUniqueX}, {"KeySurname", {"SURNAME"}}};
}

template <class Rec>
FileDecl declare(int recordBytes) {
  const Layout& l = layoutOf<Rec>();
  return FileDecl{l.label(), recordBytes, &l, olderLayouts(l.label())};
}

// A relation linking one field of the parent to the same-named field of the
// child, found through a key of the child; the same rule on update and delete.
RelationDecl relate(const char* parent, const char* child, const char* field, const char* childKey,
                    RelationRule rule) {
  RelationDecl r;
  r.parent = parent;
  r.child = child;
  r.links = {{field, field}};
  r.childKey = childKey;
  r.onUpdate = rule;
  r.onDelete = rule;
  return r;
}

// Ledger and dependant records follow their member through CLIENT_ID with no
// referential action: the forms decide what to remove.
RelationDecl byClient(const char* parent, const char* child) {
  return relate(parent, child, "CLIENT_ID", "By_Client", RelationRule::None);
}

// Renaming or deleting a bank name carries through to its branches.
RelationDecl byBankName(const char* child) {
  return relate("BankName", child, "NAME", "By_Name", RelationRule::Cascade);
}

}  // namespace

// The current layout of one record type: label (the struct's name), key prefix
// and keys.
#define VEL_LAYOUT_(Rec, Prefix, ...)                                        \
  template <>                                                                \
  const Layout& layoutOf<rec::Rec>() {                                       \
    static const Layout l = Layout::of<rec::Rec>(#Rec, Prefix, __VA_ARGS__); \
    return l;                                                                \
  }

// Member files.
VEL_LAYOUT_(VelCli, "CLI", memberKeys())
VEL_LAYOUT_(VelChd, "CHD",
            {{"By_IDNo", {"C1_ID_NUMBER"}}, {"By_Client", {"CLIENT_ID"}, kExcludeEmpty}})
VEL_LAYOUT_(VelExt, "EXT",
            {{"By_IDNo", {"ID_NUMBER"}}, {"By_Client", {"CLIENT_ID"}, kExcludeEmpty}})
VEL_LAYOUT_(PrnCli, "PRN",
            {{"By_Client", {"CLIENT_ID"}, kPrimary | kUnique | kExcludeEmpty},
             {"By_Name", {"SURNAME"}, kExcludeEmpty},
             {"By_IDNumber", {"ID_NUMBER"}, kExcludeEmpty}})
VEL_LAYOUT_(CliRout, "CLR", {})

// Ledger files.
VEL_LAYOUT_(VelTra, "TRA", moneyKeys())
VEL_LAYOUT_(VelInv, "INV", moneyKeys())
VEL_LAYOUT_(VelPay, "PAY", paymentKeys())
VEL_LAYOUT_(VelAge, "AGE", ageKeys())
VEL_LAYOUT_(VelAud, "AUD",
            {{"By_ClientID", {"CLIENT_ID"}, kExcludeEmpty},
             {"By_Date", {"DATE"}, kExcludeEmpty},
             {"By_Unique", {"UNIQUE"}, kUniqueX}})
VEL_LAYOUT_(Balance, "BAL", {{"KeyEntity", {"ENTITY"}, kUniqueX}})
VEL_LAYOUT_(Hamper, "HAM", memberKeys())
VEL_LAYOUT_(HamInv, "HINV", moneyKeys())
VEL_LAYOUT_(HamPay, "HPAY", paymentKeys())
VEL_LAYOUT_(HamTra, "HTRA", moneyKeys())
VEL_LAYOUT_(HamAge, "HAGE", ageKeys())

// Reference and setup files.
VEL_LAYOUT_(FConfig, "FCFG", {{"By_Branch_ID", {"BRANCH_ID"}, kUniqueX}})
VEL_LAYOUT_(VelData, "VDAT", {})
VEL_LAYOUT_(BDetal, "BDET", {})
VEL_LAYOUT_(Postal, "POST",
            {{"By_Town", {"TOWN"}, kExcludeEmpty},
             {"By_Suburb", {"SUBURB"}, kExcludeEmpty},
             {"By_PostalCode", {"POSTAL"}, kExcludeEmpty},
             {"By_StrCode", {"STREET"}, kExcludeEmpty}})
VEL_LAYOUT_(Users, "USR",
            {{"KeyCode", {"CODE"}, kUniqueX | kAutoNumber},
             {"KeyUserName", {"USERNAME"}, kUniqueX},
             {"KeyPassword", {"PASSWORD"}, kUniqueX}})
VEL_LAYOUT_(BankBranch, "BBR",
            {{"By_Name", {"NAME", "BRANCH", "CODE"}, kUniqueX},
             {"By_Code", {"CODE"}, kExcludeEmpty}})
VEL_LAYOUT_(BankList, "BLST",
            {{"By_Name", {"NAME", "BRANCH"}, kExcludeEmpty}, {"By_Code", {"CODE"}, kExcludeEmpty}})
VEL_LAYOUT_(BankName, "BNAM", {{"By_Name", {"NAME"}, kUniqueX}})
VEL_LAYOUT_(Banks, "BNK",
            {{"By_Name", {"NAME", "ACCOUNT"}, kUniqueX},
             {"By_Code", {"CODE", "ACCOUNT"}, kExcludeEmpty}})
VEL_LAYOUT_(Holiday, "HOL", {{"By_Date", {"DATE"}, kUniqueX}})
VEL_LAYOUT_(Config, "CFG", {})
VEL_LAYOUT_(Agent, "AGT", personKeys())
VEL_LAYOUT_(Collect, "COL", personKeys())
VEL_LAYOUT_(AgeIss, "AGI",
            {{"By_Code", {"CODE"}}, {"By_Number", {"NUMBER"}}, {"By_ClientID", {"CLIENT_ID"}}})
VEL_LAYOUT_(ReceiveR, "RCV", {{"By_Code", {"CODE"}}})
VEL_LAYOUT_(RecPrn, "RPRN", {{"By_Date", {"DATE"}}})
VEL_LAYOUT_(PlanChd, "PCHD", {{"By_Plan", {"PLAN", "AGEGROUP"}}})
VEL_LAYOUT_(Plan, "PLN", {{"By_Plan", {"PLAN"}}})
VEL_LAYOUT_(CommStr, "COMM", {})
VEL_LAYOUT_(Cashbox, "CASH",
            {{"By_Date", {"DATE"}}, {"By_Code", {"CODE"}}, {"By_Start", {"PREFIX", "START"}}})
VEL_LAYOUT_(Receipt, "RCPT", {{"By_Code", {"CODE"}}, {"By_Start", {"PREFIX", "START"}}})
VEL_LAYOUT_(DefPrn, "DPRN", {})
VEL_LAYOUT_(Town, "TWN", {{"By_Town", {"TOWN"}, kUnique}})
VEL_LAYOUT_(Route, "RTE", {{"By_Route", {"ROUTE"}, kUnique}})
VEL_LAYOUT_(SMS_Data, "SMS", {{"By_Reason", {"REASON"}, kUnique}})

#undef VEL_LAYOUT_

std::string FileDecl::diskName() const { return label.substr(0, 8) + ".Tps"; }

const std::vector<FileDecl>& fileDirectory() {
  // Declaration order: files are set up and initialised in this order.
  static const std::vector<FileDecl> files{
      declare<rec::FConfig>(12),   declare<rec::VelData>(16),     declare<rec::BDetal>(462),
      declare<rec::Postal>(78),    declare<rec::VelTra>(179),     declare<rec::Users>(103),
      declare<rec::Balance>(34),   declare<rec::BankBranch>(166), declare<rec::Holiday>(34),
      declare<rec::Config>(431),   declare<rec::VelInv>(69),      declare<rec::VelPay>(172),
      declare<rec::VelAge>(71),    declare<rec::VelExt>(176),     declare<rec::VelCli>(11511),
      declare<rec::BankList>(166), declare<rec::BankName>(30),    declare<rec::Banks>(98),
      declare<rec::Agent>(91),     declare<rec::VelAud>(140),     declare<rec::HamPay>(172),
      declare<rec::HamInv>(69),    declare<rec::HamAge>(71),      declare<rec::Hamper>(11410),
      declare<rec::AgeIss>(38),    declare<rec::CliRout>(15000),  declare<rec::ReceiveR>(31),
      declare<rec::RecPrn>(149),   declare<rec::PlanChd>(60),     declare<rec::Plan>(50),
      declare<rec::PrnCli>(68),    declare<rec::CommStr>(16),     declare<rec::Cashbox>(66),
      declare<rec::Receipt>(22),   declare<rec::DefPrn>(4),       declare<rec::Town>(30),
      declare<rec::Route>(120),    declare<rec::SMS_Data>(199),   declare<rec::Collect>(91),
      declare<rec::VelChd>(128),   declare<rec::HamTra>(179),
  };
  return files;
}

int fileIndex(std::string_view label) {
  const auto& files = fileDirectory();
  for (std::size_t i = 0; i < files.size(); ++i)
    if (equalsNoCase(files[i].label, label)) return static_cast<int>(i);
  return -1;
}

const FileDecl* findFile(std::string_view label) {
  int i = fileIndex(label);
  return i < 0 ? nullptr : &fileDirectory()[static_cast<std::size_t>(i)];
}

const std::vector<RelationDecl>& relations() {
  static const std::vector<RelationDecl> all{
      byClient("VelCli", "VelExt"), byClient("VelCli", "VelInv"), byClient("VelCli", "VelTra"),
      byClient("VelCli", "VelAge"), byClient("VelCli", "VelPay"), byClient("VelCli", "VelChd"),
      byBankName("BankList"),       byBankName("BankBranch"),     byClient("Hamper", "HamAge"),
      byClient("Hamper", "HamInv"), byClient("Hamper", "HamPay"), byClient("Hamper", "HamTra"),
  };
  return all;
}

}  // namespace vel
