// Issuing receipt books through the "Receipt Book" form.
#include <gtest/gtest.h>

#include "billing/ReceiptBooks.h"
#include "forms/Catalog.h"
#include "forms/FormCycle.h"
#include "forms/ListActions.h"
#include "ledger/LedgerFixture.h"

namespace vel::test {
namespace {

class ReceiptBookTest : public LedgerFixture {
 protected:
  void SetUp() override { billing::addReceiptBooks(catalog, clock); }

  // The form as a clerk fills it: agent, prefix, start and end, then OK.
  Response issue(Request request, const std::string& code, std::int64_t start, std::int64_t end,
                 bool* closed = nullptr) {
    return runFormWith(files, ui, *catalog.form("Update_Receipt"), request, {},
                       [&](FormCycle& c) {
                         auto& b = c.file().rec<rec::Receipt>();
                         b.CODE = code;
                         b.PREFIX = "AB";
                         b.START = start;
                         b.MEND = end;
                         const bool close = c.ok().action == FormCycle::Outcome::Close;
                         if (closed) *closed = close;
                         if (!close) c.leave();
                       });
  }

  Catalog catalog;
  FixedClock clock{dateFromYmd(2026, 3, 15), 0};
};

TEST_F(ReceiptBookTest, IssuingABookAddsOneIssuedReceiptPerNumber) {
  EXPECT_EQ(Response::Completed, issue(Request::Insert, "AG01", 101, 105));
  const auto books = all<rec::Receipt>();
  ASSERT_EQ(1u, books.size());
  EXPECT_EQ(clock.today(), books[0].DATE.value);
  const auto issued = all<rec::AgeIss>();
  ASSERT_EQ(5u, issued.size());
  for (std::size_t i = 0; i < issued.size(); ++i) {
    EXPECT_EQ(101 + static_cast<int>(i), issued[i].NUMBER.value);
    EXPECT_EQ("AG01", issued[i].CODE.str());
    EXPECT_EQ("AB", issued[i].PREFIX.str());
    EXPECT_EQ(clock.today(), issued[i].DATE_ISS.value);
    EXPECT_EQ(0, issued[i].DATE_REC.value);
    EXPECT_TRUE(issued[i].CLIENT_ID.blank());
  }
}

TEST_F(ReceiptBookTest, NumbersThatDoNotFitAreNamedAndNothingIsWritten) {
  // 32767 is the last number an issued receipt holds.
  ui.expect("Receipt Book", kOk,
            "Receipt number 32768 cannot be issued: receipt numbers go up to 32767.|"
            "Nothing has been issued.");
  ui.expect("Changes will be lost!", kYes);
  bool closed = true;
  issue(Request::Insert, "AG01", 32760, 32768, &closed);
  EXPECT_FALSE(closed);
  ui.expect("Receipt Book", kOk,
            "Receipt number 40000 cannot be issued: receipt numbers go up to 32767.|"
            "Nothing has been issued.");
  ui.expect("Changes will be lost!", kYes);
  issue(Request::Insert, "AG01", 40000, 40010, &closed);
  ui.expect("Receipt Book", kOk).expect("Changes will be lost!", kYes);
  issue(Request::Insert, "AG01", 20, 10, &closed);
  EXPECT_TRUE(all<rec::Receipt>().empty());
  EXPECT_TRUE(all<rec::AgeIss>().empty());

  EXPECT_EQ(Response::Completed, issue(Request::Insert, "AG01", 32765, 32767));
  EXPECT_EQ(3u, all<rec::AgeIss>().size());
}

TEST_F(ReceiptBookTest, BookIsIssuedWholeOrNotAtAll) {
  // The fourth number's record is refused as a full disk would refuse it.
  refuseAddsWhere("AgeIss", "NUMBER", "4");
  ui.expect("Record Insert Error", kOk).expect("Changes will be lost!", kYes);
  bool closed = true;
  issue(Request::Insert, "AG02", 1, 6, &closed);
  EXPECT_FALSE(closed);
  EXPECT_TRUE(all<rec::Receipt>().empty());
  EXPECT_TRUE(all<rec::AgeIss>().empty());
}

TEST_F(ReceiptBookTest, WideningABookIssuesOnlyTheNewNumbers) {
  ASSERT_EQ(Response::Completed, issue(Request::Insert, "AG03", 1, 3));
  FileManager& f = files.fm<rec::Receipt>();
  FileUse use(f);
  f.SetOrder(kPhysicalOrder);
  ASSERT_EQ(kDone, f.ReadNext());
  EXPECT_EQ(Response::Completed, issue(Request::Change, "AG03", 1, 5));
  const auto issued = all<rec::AgeIss>();
  ASSERT_EQ(5u, issued.size());
  EXPECT_EQ(5, issued[4].NUMBER.value);
  ASSERT_EQ(1u, all<rec::Receipt>().size());
  EXPECT_EQ(5, all<rec::Receipt>()[0].MEND.value);
}

}  // namespace
}  // namespace vel::test
