// Client numbers: four digits at least, as many as the number needs beyond,
// and never cut to fit the field.
#include <gtest/gtest.h>

#include "members/ClientNumber.h"

namespace vel {
namespace {

TEST(ClientIdFor, NumberAndTheFirstThreeCharactersOfTheSurname) {
  struct Case {
    std::int64_t number;
    const char* surname;
    const char* id;
  } cases[] = {
      {42, "Mokoena", "0042/MOK"},
      {42, "O'Neil", "0042/O-N"},  // an apostrophe would break quoting elsewhere
      {7, "D'Oliveira", "0007/D-O"},
      {85, "Le Roux", "0085/LE"},  // the blank is a trailing one once stored
      {3, "Ng", "0003/NG"},
      {9999, "Mahlangu", "9999/MAH"},
      {10000, "Molefe", "10000/MOL"},  // past four digits: the digits it needs
      {123456, "van der Merwe", "123456/VAN"},
      {999999, "Zulu", "999999/ZUL"},  // the last that fits ten characters
      {1000000, "Ng", "1000000/NG"},   // short surnames leave room for a seventh digit
  };
  for (const Case& c : cases) {
    ClientIdResult r = ClientIdFor(c.number, c.surname);
    EXPECT_TRUE(r.ok) << c.number << " " << r.message;
    EXPECT_EQ(r.id, c.id);
  }
}

TEST(ClientIdFor, ANumberTooLongForTheFieldIsRefusedNotCut) {
  ClientIdResult r = ClientIdFor(1000000, "Mokoena");
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.id.empty());
  EXPECT_NE(r.message.find("1000000/MOK"), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("10 characters"), std::string::npos) << r.message;
  EXPECT_FALSE(ClientIdFor(0, "Mokoena").ok);
}

}  // namespace
}  // namespace vel
