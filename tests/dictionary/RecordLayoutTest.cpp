// Record layouts: field counts and places, the twin files, and the keys.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <string>

#include "dictionary/Dictionary.h"

namespace vel {
namespace {

const Layout& layout(const char* label) {
  const FileDecl* f = findFile(label);
  if (!f) throw std::runtime_error(std::string("no file ") + label);
  return *f->layout;
}

std::vector<std::string> fieldNames(const Layout& l) {
  std::vector<std::string> names;
  for (const auto& f : l.fields()) names.emplace_back(f.name);
  return names;
}

// The field part of a layout's signature (names, types, widths in order).
std::string fieldSignature(const Layout& l) {
  const std::string s = l.signature();
  return s.substr(0, s.find('|'));
}

TEST(RecordLayout, FieldCounts) {
  const std::map<std::string, int> want = {
      {"VelCli", 83},  {"Hamper", 71}, {"VelChd", 15}, {"VelExt", 17},  {"PrnCli", 4},
      {"CliRout", 32}, {"VelTra", 20}, {"VelInv", 11}, {"VelPay", 21},  {"VelAge", 10},
      {"VelAud", 10},  {"Balance", 4}, {"Config", 28}, {"BDetal", 17},  {"Users", 8},
      {"Cashbox", 21}, {"RecPrn", 11}, {"AgeIss", 7},  {"Agent", 7},    {"BankBranch", 6},
      {"FConfig", 3},  {"DefPrn", 4},  {"PlanChd", 7}, {"SMS_Data", 2}, {"Receipt", 5},
  };
  for (const auto& [label, n] : want)
    EXPECT_EQ(layout(label.c_str()).fields().size(), static_cast<std::size_t>(n)) << label;
}

// Fields whose place a slip in the order would move: 1-based position, name,
// type, width and byte offset in the stored record.
TEST(RecordLayout, FieldsSitAtTheirStoredPlaces) {
  struct Row {
    const char* file;
    int pos;
    const char* name;
    FieldType type;
    int width, offset;
  };
  const Row rows[] = {
      {"VelCli", 29, "REMARKS", FieldType::String, 10240, 461},
      {"VelCli", 55, "CUT_OFF", FieldType::Short, 2, 11046},
      {"VelCli", 83, "STRNO", FieldType::String, 10, 11501},
      {"Hamper", 55, "ACTIVE", FieldType::String, 10, 11046},
      {"Hamper", 71, "STRNO", FieldType::String, 10, 11400},
      {"VelChd", 11, "NUMBER", FieldType::Short, 2, 96},
      {"VelExt", 17, "NUMBER", FieldType::Short, 2, 174},
      {"VelTra", 2, "DATE", FieldType::Date, 4, 10},
      {"VelTra", 16, "UNIQUE", FieldType::String, 14, 140},
      {"VelInv", 11, "PROC", FieldType::Byte, 1, 68},
      {"VelPay", 16, "COL_CODE", FieldType::String, 5, 137},
      {"VelPay", 21, "DBLPAY", FieldType::Byte, 1, 171},
      {"VelAud", 2, "CLIENT_ID", FieldType::String, 17, 4},
      {"VelAud", 10, "UNIQUE", FieldType::String, 14, 126},
      {"Users", 1, "CODE", FieldType::Short, 2, 0},
      {"Config", 12, "ARC_FILE", FieldType::String, 80, 178},
      {"Config", 19, "SECURITY", FieldType::Byte, 1, 345},
      {"BDetal", 14, "USERNAME", FieldType::String, 25, 322},
      {"Cashbox", 7, "R200", FieldType::Short, 2, 30},
      {"Cashbox", 21, "CSH_TOTAL", FieldType::Real, 8, 58},
      {"RecPrn", 9, "PCODE", FieldType::Short, 2, 117},
      {"AgeIss", 5, "NUMBER", FieldType::Short, 2, 18},
      {"Receipt", 2, "DATE", FieldType::Long, 4, 5},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.file) + "." + r.name);
    const auto& fields = layout(r.file).fields();
    ASSERT_LE(r.pos, static_cast<int>(fields.size()));
    const FieldDesc& f = fields[static_cast<std::size_t>(r.pos - 1)];
    EXPECT_STREQ(f.name, r.name);
    EXPECT_EQ(f.type, r.type);
    EXPECT_EQ(f.width, r.width);
    int offset = 0;
    for (int i = 0; i < r.pos - 1; ++i) offset += fields[static_cast<std::size_t>(i)].width;
    EXPECT_EQ(offset, r.offset);
  }
}

// Calendar dates are kept to the DATE field of the six invoice, payment and
// transaction files; every other date is a LONG day number.
TEST(RecordLayout, OnlyTheLedgerDateFieldsAreCalendarDates) {
  std::set<std::string> dates;
  for (const auto& f : fileDirectory())
    for (const auto& d : f.layout->fields())
      if (d.type == FieldType::Date) dates.insert(f.label + "." + d.name);
  EXPECT_EQ(dates, (std::set<std::string>{"VelInv.DATE", "VelPay.DATE", "VelTra.DATE",
                                          "HamInv.DATE", "HamPay.DATE", "HamTra.DATE"}));
}

TEST(RecordLayout, TwinFilesShareTheirLayouts) {
  // Same fields and keys.
  for (auto [a, b] : {std::pair{"VelInv", "HamInv"},
                      {"VelPay", "HamPay"},
                      {"VelTra", "HamTra"},
                      {"VelAge", "HamAge"},
                      {"Agent", "Collect"}})
    EXPECT_EQ(layout(a).signature(), layout(b).signature()) << a << " / " << b;
  // Same fields, different keys.
  EXPECT_EQ(fieldSignature(layout("BankBranch")), fieldSignature(layout("BankList")));
  EXPECT_NE(layout("BankBranch").signature(), layout("BankList").signature());
}

TEST(RecordLayout, HamperIsTheClientRecordWithoutThePlanFields) {
  const std::set<std::string> planFields = {"CUT_OFF", "OPTION", "DOM",       "WAIT_DATE",
                                            "PLAN",    "COVER",  "BENEFIT",   "DATECHANGE",
                                            "DATE6",   "DATE24", "PREMTOPAY", "PLANPREM"};
  const Layout& cli = layoutOf<rec::VelCli>();
  const Layout& ham = layoutOf<rec::Hamper>();
  std::string want;
  for (const auto& f : cli.fields())
    if (!planFields.count(f.name))
      want += std::string(f.name) + fieldTypeName(f.type) + std::to_string(f.width) + ";";
  std::string got;
  for (const auto& f : ham.fields())
    got += std::string(f.name) + fieldTypeName(f.type) + std::to_string(f.width) + ";";
  EXPECT_EQ(got, want);
  EXPECT_EQ(cli.signature().substr(cli.signature().find('|')),
            ham.signature().substr(ham.signature().find('|')));

  // The descriptor of the shortened record still reaches its own members.
  rec::Hamper h;
  ham.field(&h, ham.fieldIndex("STRNO")).text() = "12A";
  ham.field(&h, ham.fieldIndex("HAMPER")).real() = 150.5;
  EXPECT_EQ(h.STRNO, "12A");
  EXPECT_EQ(h.HAMPER, 150.5);
}

TEST(RecordLayout, TwoUpRecordHoldsTwoClientsInTheSameOrder) {
  const auto names = fieldNames(layoutOf<rec::CliRout>());
  const auto& fields = layoutOf<rec::CliRout>().fields();
  ASSERT_EQ(names.size(), 32u);
  for (std::size_t i = 0; i < 16; ++i) {
    std::string second = names[i];
    ASSERT_EQ(second.back(), '1') << second;
    second.back() = '2';
    EXPECT_EQ(names[i + 16], second);
    EXPECT_EQ(fields[i].type, fields[i + 16].type) << second;
    if (i < 15) {
      EXPECT_EQ(fields[i].width, fields[i + 16].width) << second;
    }
  }
  EXPECT_EQ(fields[15].width, 10240);
  EXPECT_EQ(fields[31].width, 4272);  // cut so that the record is 15000 bytes
}

// "U" unique / "D" duplicates, then "X" empty values excluded, "P" primary,
// "A" auto-numbered.
std::string attributes(const KeyDesc& k) {
  return std::string(k.unique() ? "U" : "D") + (k.excludeEmpty() ? "X" : "") +
         (k.primary() ? "P" : "") + (k.autoNumber() ? "A" : "");
}

TEST(RecordLayout, KeyComponentsAndAttributes) {
  struct Row {
    const char* file;
    const char* key;
    const char* components;
    const char* attrs;
  };
  const Row rows[] = {
      {"VelCli", "By_Street", "H_ADDR1,STRNO", "D"},
      {"VelCli", "By_Client", "CLIENT_ID", "UXP"},
      {"VelCli", "By_Name", "SURNAME,INITIALS", "DX"},
      {"VelCli", "By_Number", "NUMBER", "DXA"},
      {"Hamper", "By_Client", "CLIENT_ID", "UXP"},
      {"Hamper", "By_Bank", "BANK_NAME,BRANCH_NAME", "DX"},
      {"PrnCli", "By_Client", "CLIENT_ID", "UXP"},
      {"VelChd", "By_IDNo", "C1_ID_NUMBER", "D"},
      {"VelChd", "By_Client", "CLIENT_ID", "DX"},
      {"VelTra", "By_Unique", "BRANCH_ID,UNIQUE", "DX"},
      {"VelInv", "By_Unique", "BRANCH_ID,UNIQUE", "DX"},
      {"VelPay", "By_Unique", "BRANCH_ID,UNIQUE", "DX"},
      {"VelPay", "By_Col_Code", "COL_CODE", "D"},
      {"VelAud", "By_Unique", "UNIQUE", "UX"},
      {"VelAud", "By_ClientID", "CLIENT_ID", "DX"},
      {"VelAge", "By_Client", "CLIENT_ID", "UX"},
      {"Balance", "KeyEntity", "ENTITY", "UX"},
      {"BankBranch", "By_Name", "NAME,BRANCH,CODE", "UX"},
      {"BankList", "By_Name", "NAME,BRANCH", "DX"},
      {"Banks", "By_Code", "CODE,ACCOUNT", "DX"},
      {"Users", "KeyCode", "CODE", "UXA"},
      {"Users", "KeyPassword", "PASSWORD", "UX"},
      {"Holiday", "By_Date", "DATE", "UX"},
      {"Town", "By_Town", "TOWN", "U"},
      {"SMS_Data", "By_Reason", "REASON", "U"},
      {"PlanChd", "By_Plan", "PLAN,AGEGROUP", "D"},
      {"Cashbox", "By_Start", "PREFIX,START", "D"},
      {"Collect", "KeySurname", "SURNAME", "D"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.file) + "." + r.key);
    const Layout& l = layout(r.file);
    int k = l.keyIndex(r.key);
    ASSERT_GE(k, 0);
    const KeyDesc& key = l.keys()[static_cast<std::size_t>(k)];
    std::string comps;
    for (int c : key.components)
      comps +=
          (comps.empty() ? "" : ",") + std::string(l.fields()[static_cast<std::size_t>(c)].name);
    EXPECT_EQ(comps, r.components);
    EXPECT_EQ(attributes(key), r.attrs);
  }
}

TEST(RecordLayout, OnlyTheMemberFilesHavePrimaryKeysAndOnlyThreeFilesNumberTheirRecords) {
  std::set<std::string> primary, numbered;
  for (const auto& f : fileDirectory()) {
    for (const auto& k : f.layout->keys()) {
      if (k.primary()) {
        primary.insert(f.label + "." + k.name);
        EXPECT_TRUE(k.unique()) << f.label;
      }
      if (k.autoNumber()) {
        ASSERT_EQ(k.components.size(), 1u);
        numbered.insert(f.label + "." +
                        f.layout->fields()[static_cast<std::size_t>(k.components[0])].name);
      }
    }
  }
  EXPECT_EQ(primary,
            (std::set<std::string>{"VelCli.By_Client", "Hamper.By_Client", "PrnCli.By_Client"}));
  EXPECT_EQ(numbered, (std::set<std::string>{"VelCli.NUMBER", "Hamper.NUMBER", "Users.CODE"}));
}

}  // namespace
}  // namespace vel
