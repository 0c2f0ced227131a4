// The older layouts a data folder may still hold: each must have exactly the
// bytes and fields the earlier versions wrote, differ from the current layout
// (or the engine could not tell them apart), and be tried in its fixed order.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "dictionary/Dictionary.h"
#include "dictionary/OlderLayouts.h"

namespace vel {
namespace {

struct OlderRow {
  const char* label;
  const char* letter;
  int bytes;
  int fields;
};

// In the order they are tried.
const OlderRow kOlder[] = {
    {"Agent", "A", 90, 6},      {"BDetal", "A", 420, 17},    {"VelAud", "A", 126, 9},
    {"VelAge", "A", 71, 10},    {"VelExt", "A", 251, 25},    {"VelExt", "B", 163, 16},
    {"VelExt", "C", 176, 17},   {"VelCli", "G", 11639, 106}, {"VelCli", "H", 11454, 75},
    {"VelCli", "I", 11468, 77}, {"VelCli", "J", 11484, 79},  {"VelCli", "K", 11501, 82},
    {"VelChd", "A", 114, 13},   {"VelChd", "B", 128, 15},    {"VelInv", "A", 44, 7},
    {"VelInv", "B", 68, 10},    {"VelPay", "A", 137, 15},    {"VelPay", "B", 150, 17},
    {"VelPay", "C", 171, 20},   {"VelTra", "A", 155, 17},    {"VelTra", "B", 179, 20},
    {"Users", "A", 142, 47},
};

TEST(OlderLayouts, EachHasTheBytesAndFieldsOfItsTime) {
  for (const auto& row : kOlder) {
    SCOPED_TRACE(std::string(row.label) + " " + row.letter);
    const Layout* l = olderLayout(row.label, row.letter);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->recordBytes(), row.bytes);
    EXPECT_EQ(static_cast<int>(l->fields().size()), row.fields);
    EXPECT_EQ(l->label(), row.label);
  }
}

TEST(OlderLayouts, AreTriedInTheirOrderAndAreWhatTheDirectoryOffers) {
  std::set<std::string> labels;
  for (const auto& row : kOlder) labels.insert(row.label);
  for (const std::string& label : labels) {
    SCOPED_TRACE(label);
    std::string letters;
    for (const Layout* l : olderLayouts(label)) letters += l->variant();
    std::string want;
    for (const auto& row : kOlder)
      if (label == row.label) want += row.letter;
    EXPECT_EQ(letters, want);
    ASSERT_NE(findFile(label), nullptr);
    EXPECT_EQ(findFile(label)->older, olderLayouts(label));
  }
  // A file that never changed its layout has none to try.
  EXPECT_TRUE(olderLayouts("Plan").empty());
  EXPECT_TRUE(findFile("Plan")->older.empty());
}

// The engine recognises a file's layout by its signature: two layouts of one
// file that share a signature could not be told apart, and the wrong one
// would be used to read the records.
TEST(OlderLayouts, EveryLayoutOfAFileIsDistinguishable) {
  for (const auto& decl : fileDirectory()) {
    std::set<std::string> seen{decl.layout->signature()};
    for (const Layout* l : decl.older) {
      SCOPED_TRACE(decl.label + " " + l->variant());
      EXPECT_TRUE(seen.insert(l->signature()).second);
    }
  }
}

// The shared fields keep their name and type, so that copying by name
// carries every value over; only the few named changes of type are allowed.
TEST(OlderLayouts, SharedFieldsKeepTheirTypeSaveTheNamedChanges) {
  const std::set<std::string> retyped{"VelExt.ACTIVE", "VelCli.ACTIVE", "VelCli.OPTION"};
  for (const auto& decl : fileDirectory()) {
    for (const Layout* l : decl.older) {
      for (const auto& f : l->fields()) {
        int j = decl.layout->fieldIndex(f.name);
        if (j < 0) continue;
        const auto& now = decl.layout->fields()[static_cast<std::size_t>(j)];
        if (retyped.count(decl.label + "." + f.name)) continue;
        SCOPED_TRACE(decl.label + " " + l->variant() + " " + f.name);
        EXPECT_EQ(f.type, now.type);
        EXPECT_EQ(f.width, now.width);
      }
    }
  }
}

}  // namespace
}  // namespace vel
