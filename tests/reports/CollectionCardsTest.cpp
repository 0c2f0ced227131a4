// The dual collection cards: the work file built afresh two clients to a
// record (an odd last client alone on the left), the remarks cut where the
// right half's field ends, and one band of cards per work record.
#include <algorithm>

#include "reports/CollectionCards.h"
#include "reports/MemberFixture.h"

namespace vel::test {
namespace {

class CollectionCards : public MemberFixture {
 protected:
  void joined(const std::string& id, const std::string& surname, std::int32_t date,
              std::string remarks = "") {
    member(id, surname, [&](rec::VelCli& c) {
      c.DATE = date;
      c.ID_NUMBER = "8001015009087";
      c.PHONE_HOME = "011 938 2210";
      c.PHONE_WORK = "011 222 3333";
      c.ROUTE = "Soweto North";
      c.DOM = "25";
      c.PLANPREM = 145;
      c.REMARKS = remarks;
    });
  }

  // The texts of every page of the cards document.
  static std::vector<std::string> texts(const report::Document& doc) {
    std::vector<std::string> out;
    for (const report::Page& p : report::paginate(doc))
      for (std::string& t : report::pageTexts(p)) out.push_back(std::move(t));
    return out;
  }
  static long countOf(const std::vector<std::string>& texts, const std::string& t) {
    return std::count(texts.begin(), texts.end(), t);
  }
};

TEST_F(CollectionCards, ClientsOfThePeriodPairUpAndAnOddLastOneStandsAlone) {
  config("Thembeka Burial Society", "12 Vilakazi Street", "Orlando East", "Soweto", "07");
  joined("0003/DLA", "Dlamini", day(2026, 3, 1));   // record order, not client order
  joined("0001/MOK", "Mokoena", day(2026, 2, 28));  // before the period
  joined("0002/NKO", "Nkosi", day(2026, 3, 15));
  member("0004/ZUL", "Zulu", [&](rec::VelCli& c) {
    c.DATE = day(2026, 3, 10);
    c.ACTIVE = "Non Active";  // no status filter
    c.H_CODE = 82;
  });

  printCollectionCards(files, ui, clock, pickers, output);

  const std::vector<rec::CliRout> work = workRecords();
  ASSERT_EQ(2u, work.size());
  EXPECT_EQ("0003/DLA", work[0].CLIENT_ID1.text());
  EXPECT_EQ("0002/NKO", work[0].CLIENT_ID2.text());
  EXPECT_EQ("Nkosi", work[0].SURNAME2.text());
  EXPECT_EQ("8001015009087", work[0].IDNO2.text());
  EXPECT_EQ("Orlando East", work[0].ADD2_2.text());
  EXPECT_EQ("1804", work[0].PCODE2.text());
  EXPECT_EQ("011 222 3333", work[0].TEL_W2.text());
  EXPECT_EQ(day(2026, 3, 15), work[0].START_DATE2);
  EXPECT_EQ("Soweto North", work[0].ROUTE2.text());
  EXPECT_EQ("25", work[0].PAY_DATE2.text());
  EXPECT_EQ(145.0, work[0].PREMIUM2);
  EXPECT_EQ("0004/ZUL", work[1].CLIENT_ID1.text());
  EXPECT_EQ("0082", work[1].PCODE1.text());  // four digits, as the lists print it
  EXPECT_TRUE(work[1].CLIENT_ID2.blank());
  EXPECT_TRUE(work[1].SURNAME2.blank());

  // One band per work record; the second carries the left card only.
  ASSERT_EQ(1u, output.docs.size());
  const report::Document& doc = output.docs[0];
  ASSERT_EQ(2u, doc.bands().size());
  const std::vector<std::string> all = texts(doc);
  EXPECT_EQ(3, countOf(all, "Thembeka Burial Society"));
  EXPECT_EQ(3, countOf(all, "Name & Address"));
  EXPECT_EQ(1, countOf(all, "0004/ZUL"));
  EXPECT_EQ(1, countOf(all, "Lerato Nkosi"));
  EXPECT_EQ(1, countOf(all, "0082"));
  EXPECT_EQ(1, countOf(all, "15/03/2026"));
  EXPECT_EQ(2, countOf(all, "R145.00"));
  for (const char* label : {"Telephone No", "(H)", "(W)", "Cell", "Ref No", "Route", "Start Date",
                            "Payment Date", "ID Number", "Month", "Date", "Receipt No"})
    EXPECT_EQ(3, countOf(all, label)) << label;
  EXPECT_EQ(6, countOf(all, "Premium"));  // the field and the grid's column
  // The zero premium of the Non Active client prints blank.
  EXPECT_EQ(0, countOf(all, "R0.00"));
  ASSERT_EQ(1u, ui.windows.size());
  EXPECT_EQ("Printing Collection Cards, please wait ...", ui.windows[0]->text);
}

TEST_F(CollectionCards, RightHalfKeepsTheFirst4272CharactersOfTheRemarks) {
  std::string remarks(10240, 'x');
  for (std::size_t i = 0; i < remarks.size(); ++i) remarks[i] = static_cast<char>('a' + i % 26);
  joined("0001/MOK", "Mokoena", day(2026, 3, 2), remarks);
  joined("0002/NKO", "Nkosi", day(2026, 3, 3), remarks);

  printCollectionCards(files, ui, clock, pickers, output);  // no error box: the add succeeds

  const std::vector<rec::CliRout> work = workRecords();
  ASSERT_EQ(1u, work.size());
  EXPECT_EQ(remarks, work[0].REMARKS1.text());
  EXPECT_EQ(remarks.substr(0, 4272), work[0].REMARKS2.text());
}

TEST_F(CollectionCards, AnOversizedPostalCodeIsCutRatherThanLosingTheCard) {
  member("0001/MOK", "Mokoena", [&](rec::VelCli& c) {
    c.DATE = day(2026, 3, 2);
    c.H_CODE = 12345;  // five digits never fit the four-character field
  });
  printCollectionCards(files, ui, clock, pickers, output);
  const std::vector<rec::CliRout> work = workRecords();
  ASSERT_EQ(1u, work.size());
  EXPECT_EQ("1234", work[0].PCODE1.text());
}

TEST_F(CollectionCards, EachRunStartsTheWorkFileAfresh) {
  joined("0001/MOK", "Mokoena", day(2026, 2, 2));
  joined("0002/NKO", "Nkosi", day(2026, 3, 3));
  periodStart = day(2026, 2, 1);
  printCollectionCards(files, ui, clock, pickers, output);
  EXPECT_EQ(1u, workRecords().size());

  periodStart = day(2026, 3, 1);
  printCollectionCards(files, ui, clock, pickers, output);
  const std::vector<rec::CliRout> work = workRecords();
  ASSERT_EQ(1u, work.size());
  EXPECT_EQ("0002/NKO", work[0].CLIENT_ID1.text());
  EXPECT_TRUE(work[0].CLIENT_ID2.blank());
}

TEST_F(CollectionCards, CancelledPeriodEndsWithoutOutputAndNoClientsStillGivesAPage) {
  acceptPeriod = false;
  printCollectionCards(files, ui, clock, pickers, output);
  EXPECT_TRUE(output.docs.empty());
  EXPECT_TRUE(ui.windows.empty());

  acceptPeriod = true;
  joined("0001/MOK", "Mokoena", day(2026, 1, 5));
  printCollectionCards(files, ui, clock, pickers, output);
  ASSERT_EQ(1u, output.docs.size());
  EXPECT_TRUE(workRecords().empty());
  EXPECT_TRUE(output.docs[0].bands().empty());
  EXPECT_EQ(1u, report::paginate(output.docs[0]).size());
}

}  // namespace
}  // namespace vel::test
