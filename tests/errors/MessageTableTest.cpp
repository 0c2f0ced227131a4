#include <gtest/gtest.h>

#include <set>

#include "errors/ErrorManager.h"

namespace vel {
namespace {

MessageEntry entryOf(const std::vector<MessageEntry>& all, int id) {
  for (const auto& e : all)
    if (e.id == id) return e;
  return {};
}

TEST(MessageTable, StandardBlockCarriesEveryMessageOnceWithItsExactText) {
  std::vector<MessageEntry> all;
  ASSERT_TRUE(decodeMessageBlock(standardMessageBlock(), all));
  std::set<int> ids;
  for (const auto& e : all) EXPECT_TRUE(ids.insert(e.id).second) << "twice: " << e.id;
  EXPECT_EQ(all.size(), 52u);
  EXPECT_EQ(*ids.begin(), 1);
  EXPECT_EQ(*ids.rbegin(), 53);
  EXPECT_FALSE(ids.count(32));

  // Blanks and bars that are part of the texts survive the block.
  EXPECT_EQ(entryOf(all, 1).text,
            "Error: (%ErrorText) attempting to access a record from the %File file.  Returning to "
            "previous window.");
  EXPECT_EQ(entryOf(all, 45).text, "The following SMTP Error occurred: %Message ");
  EXPECT_EQ(entryOf(all, 47).text, "%Message ");
  EXPECT_EQ(entryOf(all, 35).text,
            "Attempts to automatically number this record have failed.|File: %File|Key: %Key|"
            "Error: %ErrorText.|Try Again?");
  EXPECT_EQ(entryOf(all, 52).text,
            "Poorly Formed Comment String \"%Message\" at Position %Field.");

  const MessageEntry usage = entryOf(all, msg::UseClosedFile);
  EXPECT_EQ(usage.title, "File Usage Error");
  EXPECT_EQ(usage.level, kProgram);
  EXPECT_EQ(entryOf(all, msg::CreateError).level, kFatal);
  EXPECT_EQ(entryOf(all, msg::ConfirmCancel).level, kUserLevel);
  EXPECT_EQ(entryOf(all, msg::RetrySave).title, "Record Update Error");
}

TEST(MessageTable, BlockRoundTripIsLittleEndianAndKeepsFullLengthTexts) {
  const std::vector<MessageEntry> in = {
      {0xABCD, 7, std::string(255, 'T'), "", ""},
      {2, 5, "", std::string(255, 'x'), ""},
  };
  const std::string block = encodeMessageBlock(in);
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(block.substr(0, 4), std::string("\x02\x00\xCD\xAB", 4));

  std::vector<MessageEntry> out;
  ASSERT_TRUE(decodeMessageBlock(block, out));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].id, 0xABCD);
  EXPECT_EQ(out[0].level, 7);
  EXPECT_EQ(out[0].title, in[0].title);
  EXPECT_EQ(out[1].text, in[1].text);
  EXPECT_EQ(encodeMessageBlock(out), block);
}

TEST(MessageTable, TextTooLongForTheFormatIsNotEncoded) {
  EXPECT_EQ(encodeMessageBlock({{1, 5, "Title", std::string(256, 'x'), ""}}), "");
  EXPECT_EQ(encodeMessageBlock({{1, 5, std::string(256, 'T'), "text", ""}}), "");
}

TEST(MessageTable, TruncatedOrOverlongBlockIsRefusedWhole) {
  const std::string block = encodeMessageBlock({{1, 5, "One", "first"}, {2, 1, "Two", "second"}});
  const std::vector<MessageEntry> untouched = {{9, 9, "keep", "me"}};
  for (std::size_t n = 0; n < block.size(); ++n) {
    std::vector<MessageEntry> out = untouched;
    EXPECT_FALSE(decodeMessageBlock(std::string_view(block).substr(0, n), out)) << n;
    EXPECT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].title, "keep");
  }
  std::vector<MessageEntry> out;
  EXPECT_FALSE(decodeMessageBlock(block + "x", out));
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace vel
