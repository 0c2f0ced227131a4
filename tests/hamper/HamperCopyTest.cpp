// The hamper club's members from the policy holders: who is copied, that no
// one is copied twice or under another member's number, what the member is
// billed afterwards, and the identity-number check of the club.
#include "billing/InvoiceRun.h"
#include "hamper/HamperCheck.h"
#include "hamper/HamperCopy.h"
#include "members/CopyToHamper.h"
#include "members/MembersFixture.h"
#include "platform/Clock.h"
#include "recordstore/FileManager.h"

namespace vel::test {
namespace {

class HamperCopyTest : public MembersFixture {
 protected:
  rec::VelCli client(std::int32_t number, const std::string& id, double hamper) {
    rec::VelCli c = completePolicy();
    c.NUMBER = number;
    c.CLIENT_ID = id;
    c.SURNAME = "Client " + id;
    c.HAMPER = hamper;
    c.PREMIUM = 100.0;
    c.PLANPREM = 100.0 + (hamper > 0 ? hamper : 0);
    c.ACTIVE = "Active";
    return c;
  }

  template <class R>
  void add(const R& r) {
    FileManager& f = files.fm<R>();
    FileUse use(f);
    ASSERT_EQ(kDone, f.EnsureOpen());
    f.rec<R>() = r;
    // As stored, number and all: the auto-number is not asked for.
    ASSERT_EQ(ecode::kNone, f.engineFile()->add(f.buffer()));
  }

  rec::Hamper memberOf(const std::string& clientId) {
    for (const auto& h : all<rec::Hamper>())
      if (h.CLIENT_ID.str() == clientId) return h;
    ADD_FAILURE() << "no member " << clientId;
    return {};
  }

  rec::VelCli clientOf(const std::string& clientId) {
    for (const auto& c : all<rec::VelCli>())
      if (c.CLIENT_ID.str() == clientId) return c;
    ADD_FAILURE() << "no client " << clientId;
    return {};
  }
};

TEST_F(HamperCopyTest, OnlyClientsWithAHamperAmountAreCopiedAndEachOnlyOnce) {
  add(client(1, "0001/ONE", 50.0));
  add(client(2, "0002/TWO", 0.0));
  add(client(3, "0003/THR", -5.0));
  add(client(4, "0004/FOU", 30.0));

  HamperCopyReport first = copyPolicyHoldersToHamper(files, ui);
  EXPECT_TRUE(first.complete);
  EXPECT_EQ(4, first.clients);
  EXPECT_EQ(2, first.added);
  EXPECT_EQ(0, first.failed);
  EXPECT_TRUE(first.renumbered.empty());
  ASSERT_EQ(2u, all<rec::Hamper>().size());
  EXPECT_DOUBLE_EQ(50.0, memberOf("0001/ONE").PREMIUM);
  EXPECT_EQ(1, memberOf("0001/ONE").NUMBER);
  EXPECT_DOUBLE_EQ(30.0, memberOf("0004/FOU").PREMIUM);
  // The contribution leaves the policy's bill; those not copied keep theirs.
  EXPECT_DOUBLE_EQ(100.0, clientOf("0001/ONE").PLANPREM);
  EXPECT_DOUBLE_EQ(100.0, clientOf("0002/TWO").PLANPREM);
  EXPECT_DOUBLE_EQ(100.0, clientOf("0003/THR").PLANPREM);

  // Between the runs the plan is chosen again with the add-on, and the
  // contribution raised: the second run only rewrites PLANPREM.
  {
    FileManager& f = files.fm<rec::VelCli>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::VelCli>().CLIENT_ID = "0001/ONE";
    ASSERT_EQ(kDone, f.GetByKey(f.keyIndex("By_Client")));
    f.rec<rec::VelCli>().HAMPER = 80.0;
    f.rec<rec::VelCli>().PLANPREM = 180.0;
    ASSERT_EQ(kDone, f.Update());
  }
  HamperCopyReport second = copyPolicyHoldersToHamper(files, ui);
  EXPECT_EQ(0, second.added);
  EXPECT_EQ(2, second.alreadyMembers);
  ASSERT_EQ(2u, all<rec::Hamper>().size());
  EXPECT_DOUBLE_EQ(50.0, memberOf("0001/ONE").PREMIUM);
  EXPECT_DOUBLE_EQ(100.0, clientOf("0001/ONE").PLANPREM);
}

TEST_F(HamperCopyTest, AnEmptyFolderCopiesNoOne) {
  HamperCopyReport r = copyPolicyHoldersToHamper(files, ui);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(0, r.clients);
  EXPECT_EQ(0, r.added);
}

// A member already in the club under number 42 (signed up on the hamper
// side) must not share it with the copied client 42.
TEST_F(HamperCopyTest, ACopiedMemberTakesTheNextNumberWhenHisIsHeld) {
  rec::Hamper held;
  held.NUMBER = 42;
  held.CLIENT_ID = "0042/HAM";
  held.SURNAME = "Hamper only";
  add(held);
  rec::Hamper highest;
  highest.NUMBER = 90;
  highest.CLIENT_ID = "0090/HAM";
  add(highest);
  add(client(42, "0042/MOL", 50.0));
  add(client(7, "0007/SEV", 20.0));

  HamperCopyReport r = copyPolicyHoldersToHamper(files, ui);
  EXPECT_EQ(2, r.added);
  EXPECT_EQ(91, memberOf("0042/MOL").NUMBER);
  EXPECT_EQ(7, memberOf("0007/SEV").NUMBER);  // free: kept
  ASSERT_EQ(1u, r.renumbered.size());
  EXPECT_EQ("Hamper number 42 is held by another member; 0042/MOL was added as hamper member 91.",
            r.renumbered[0]);
  EXPECT_EQ(42, memberOf("0042/HAM").NUMBER);

  // The client form's copy follows the same rule and says so.
  rec::VelCli c = client(7, "0007/OTH", 25.0);
  ui.expect("Copy Data", kYes)
      .expect("Copy Data", kOk,
              "Hamper number 7 is held by another member; 0007/OTH was added as hamper member 92.");
  EXPECT_EQ(CopyToHamperResult::Added, copyToHamper(ui, files.fm<rec::Hamper>(), c));
  EXPECT_EQ(92, memberOf("0007/OTH").NUMBER);
}

// The month's run bills the member the contribution he was copied with, and
// leaves his reminder days alone.
TEST_F(HamperCopyTest, TheRunChargesTheCopiedAmountAndNeverArmsTheReminderDays) {
  add(client(5, "0005/FIV", 60.0));
  ASSERT_EQ(1, copyPolicyHoldersToHamper(files, ui).added);
  {
    FileManager& f = files.fm<rec::VelCli>();
    FileUse use(f);
    f.ClearBuffer();
    f.rec<rec::VelCli>().CLIENT_ID = "0005/FIV";
    ASSERT_EQ(kDone, f.GetByKey(f.keyIndex("By_Client")));
    f.rec<rec::VelCli>().HAMPER = 120.0;  // a later change on the client
    ASSERT_EQ(kDone, f.Update());
  }
  FixedClock clock(dateFromYmd(2026, 11, 25), 900000);
  const auto result = billing::Generate_Invoices(files, ui, clock, {"", "clerk"});
  ASSERT_TRUE(result.ok) << result.failure;
  EXPECT_EQ(1, result.hamperInvoiced);
  const auto invoices = all<rec::HamInv>();
  ASSERT_EQ(1u, invoices.size());
  EXPECT_DOUBLE_EQ(60.0, invoices[0].DEBIT);
  const rec::Hamper m = memberOf("0005/FIV");
  EXPECT_EQ(1, m.INVOICED);
  EXPECT_EQ(0, m.DAY5);
  EXPECT_EQ(0, m.DAY10);
}

TEST_F(HamperCopyTest, CheckingAnIdNumberTellsOnlyOfMembersHoldingIt) {
  // No member file yet.
  EXPECT_EQ(HamperIdCheck::NotFound, Check4HamID(files, ui, "6101305800084"));
  rec::Hamper h;
  h.NUMBER = 1;
  h.CLIENT_ID = "0001/ONE";
  h.ID_NUMBER = "6101305800084";
  add(h);
  rec::Hamper noId;
  noId.NUMBER = 2;
  noId.CLIENT_ID = "0002/TWO";
  add(noId);
  ui.expect("", kOk, "ID No 6101305800084 exists in Hamper database");
  EXPECT_EQ(HamperIdCheck::Found, Check4HamID(files, ui, "6101305800084"));
  ASSERT_EQ(1u, ui.shown().size());
  EXPECT_EQ(Icon::Information, ui.shown()[0].icon);
  EXPECT_EQ(HamperIdCheck::NotFound, Check4HamID(files, ui, "8001015009087"));
  // A blank number matches no member captured without one.
  EXPECT_EQ(HamperIdCheck::NotFound, Check4HamID(files, ui, "   "));
}

}  // namespace
}  // namespace vel::test
