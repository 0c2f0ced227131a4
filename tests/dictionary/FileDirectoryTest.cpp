// The file directory: order, disk names, record lengths, lookup, relations.
#include <gtest/gtest.h>

#include <cctype>
#include <set>

#include "common/Text.h"
#include "dictionary/Dictionary.h"

namespace vel {
namespace {

struct DirRow {
  const char* label;
  const char* disk;
  int bytes;
  int keys;
  const char* autoKey;  // name of the auto-numbered key, or ""
};

// The directory in declaration order.
const DirRow kDirectory[] = {
    {"FConfig", "FConfig.Tps", 12, 1, ""},
    {"VelData", "VelData.Tps", 16, 0, ""},
    {"BDetal", "BDetal.Tps", 462, 0, ""},
    {"Postal", "Postal.Tps", 78, 4, ""},
    {"VelTra", "VelTra.Tps", 179, 3, ""},
    {"Users", "Users.Tps", 103, 3, "KeyCode"},
    {"Balance", "Balance.Tps", 34, 1, ""},
    {"BankBranch", "BankBran.Tps", 166, 2, ""},
    {"Holiday", "Holiday.Tps", 34, 1, ""},
    {"Config", "Config.Tps", 431, 0, ""},
    {"VelInv", "VelInv.Tps", 69, 3, ""},
    {"VelPay", "VelPay.Tps", 172, 4, ""},
    {"VelAge", "VelAge.Tps", 71, 1, ""},
    {"VelExt", "VelExt.Tps", 176, 2, ""},
    {"VelCli", "VelCli.Tps", 11511, 6, "By_Number"},
    {"BankList", "BankList.Tps", 166, 2, ""},
    {"BankName", "BankName.Tps", 30, 1, ""},
    {"Banks", "Banks.Tps", 98, 2, ""},
    {"Agent", "Agent.Tps", 91, 2, ""},
    {"VelAud", "VelAud.Tps", 140, 3, ""},
    {"HamPay", "HamPay.Tps", 172, 4, ""},
    {"HamInv", "HamInv.Tps", 69, 3, ""},
    {"HamAge", "HamAge.Tps", 71, 1, ""},
    {"Hamper", "Hamper.Tps", 11410, 6, "By_Number"},
    {"AgeIss", "AgeIss.Tps", 38, 3, ""},
    {"CliRout", "CliRout.Tps", 15000, 0, ""},
    {"ReceiveR", "ReceiveR.Tps", 31, 1, ""},
    {"RecPrn", "RecPrn.Tps", 149, 1, ""},
    {"PlanChd", "PlanChd.Tps", 60, 1, ""},
    {"Plan", "Plan.Tps", 50, 1, ""},
    {"PrnCli", "PrnCli.Tps", 68, 3, ""},
    {"CommStr", "CommStr.Tps", 16, 0, ""},
    {"Cashbox", "Cashbox.Tps", 66, 3, ""},
    {"Receipt", "Receipt.Tps", 22, 2, ""},
    {"DefPrn", "DefPrn.Tps", 4, 0, ""},
    {"Town", "Town.Tps", 30, 1, ""},
    {"Route", "Route.Tps", 120, 1, ""},
    {"SMS_Data", "SMS_Data.Tps", 199, 1, ""},
    {"Collect", "Collect.Tps", 91, 2, ""},
    {"VelChd", "VelChd.Tps", 128, 2, ""},
    {"HamTra", "HamTra.Tps", 179, 3, ""},
};

TEST(FileDirectory, ListsEveryFileInOrderWithItsLengthAndKeys) {
  const auto& files = fileDirectory();
  ASSERT_EQ(files.size(), std::size(kDirectory));
  for (std::size_t i = 0; i < files.size(); ++i) {
    const DirRow& want = kDirectory[i];
    const FileDecl& f = files[i];
    SCOPED_TRACE(want.label);
    EXPECT_EQ(f.label, want.label);
    EXPECT_EQ(f.diskName(), want.disk);
    EXPECT_EQ(f.recordBytes, want.bytes);
    ASSERT_NE(f.layout, nullptr);
    EXPECT_EQ(f.layout->label(), f.label);
    // A width typo in a layout shows up here.
    EXPECT_EQ(f.layout->recordBytes(), f.recordBytes);
    EXPECT_EQ(f.layout->keys().size(), static_cast<std::size_t>(want.keys));
    int a = f.layout->autoNumberKey();
    EXPECT_EQ(a < 0 ? std::string() : f.layout->keys()[static_cast<std::size_t>(a)].name,
              want.autoKey);
    // The older layouts each file may hold are checked in OlderLayoutsTest.
  }
}

TEST(FileDirectory, LabelsDiskNamesAndKeyPrefixesAreDistinct) {
  std::set<std::string> labels, disks, prefixes;
  for (const auto& f : fileDirectory()) {
    labels.insert(upper(f.label));
    disks.insert(upper(f.diskName()));
    const std::string& p = f.layout->prefix();
    prefixes.insert(p);
    EXPECT_TRUE(p.size() >= 3 && p.size() <= 4) << f.label << ": " << p;
    EXPECT_EQ(p, upper(p)) << f.label;
    for (char c : p) EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(c))) << f.label;
  }
  EXPECT_EQ(labels.size(), 41u);
  EXPECT_EQ(disks.size(), 41u);
  EXPECT_EQ(prefixes.size(), 41u);
  EXPECT_EQ(layoutOf<rec::VelCli>().keyDescription(1), "CLI:By_Client");
}

TEST(FileDirectory, FindsFilesByLabelWithoutRegardToCase) {
  EXPECT_EQ(fileIndex("FConfig"), 0);
  EXPECT_EQ(fileIndex("HamTra"), 40);
  EXPECT_EQ(fileIndex("velcli"), 14);
  EXPECT_EQ(fileIndex("SMS_DATA"), 37);
  EXPECT_EQ(fileIndex("BankBran"), -1);  // the disk name is not a label
  EXPECT_EQ(fileIndex(""), -1);
  const FileDecl* f = findFile("bankbranch");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->label, "BankBranch");
  EXPECT_EQ(f->layout, &layoutOf<rec::BankBranch>());
  EXPECT_EQ(findFile("NoSuchFile"), nullptr);
}

TEST(FileDirectory, RelationsLinkParentsToChildrenThroughAKeyOfTheChild) {
  struct Row {
    const char* parent;
    const char* child;
    const char* link;
    RelationRule rule;
  };
  const Row want[] = {
      {"VelCli", "VelExt", "CLIENT_ID", RelationRule::None},
      {"VelCli", "VelInv", "CLIENT_ID", RelationRule::None},
      {"VelCli", "VelTra", "CLIENT_ID", RelationRule::None},
      {"VelCli", "VelAge", "CLIENT_ID", RelationRule::None},
      {"VelCli", "VelPay", "CLIENT_ID", RelationRule::None},
      {"VelCli", "VelChd", "CLIENT_ID", RelationRule::None},
      {"BankName", "BankList", "NAME", RelationRule::Cascade},
      {"BankName", "BankBranch", "NAME", RelationRule::Cascade},
      {"Hamper", "HamAge", "CLIENT_ID", RelationRule::None},
      {"Hamper", "HamInv", "CLIENT_ID", RelationRule::None},
      {"Hamper", "HamPay", "CLIENT_ID", RelationRule::None},
      {"Hamper", "HamTra", "CLIENT_ID", RelationRule::None},
  };
  const auto& rels = relations();
  ASSERT_EQ(rels.size(), std::size(want));
  for (std::size_t i = 0; i < rels.size(); ++i) {
    const RelationDecl& r = rels[i];
    SCOPED_TRACE(r.parent + "->" + r.child);
    EXPECT_EQ(r.parent, want[i].parent);
    EXPECT_EQ(r.child, want[i].child);
    EXPECT_EQ(r.onUpdate, want[i].rule);
    EXPECT_EQ(r.onDelete, want[i].rule);
    ASSERT_EQ(r.links.size(), 1u);
    EXPECT_EQ(r.links[0].first, want[i].link);
    EXPECT_EQ(r.links[0].second, want[i].link);

    // Both ends exist, the linking fields have one width, and the child key
    // starts with the linking field so that it finds the linked records.
    const FileDecl* p = findFile(r.parent);
    const FileDecl* c = findFile(r.child);
    ASSERT_TRUE(p && c);
    int pf = p->layout->fieldIndex(r.links[0].first);
    int cf = c->layout->fieldIndex(r.links[0].second);
    ASSERT_GE(pf, 0);
    ASSERT_GE(cf, 0);
    EXPECT_EQ(p->layout->fields()[static_cast<std::size_t>(pf)].width,
              c->layout->fields()[static_cast<std::size_t>(cf)].width);
    int k = c->layout->keyIndex(r.childKey);
    ASSERT_GE(k, 0) << r.childKey;
    EXPECT_EQ(c->layout->keys()[static_cast<std::size_t>(k)].components.front(), cf);
  }
}

}  // namespace
}  // namespace vel
