// Deleting one of the branch's own bank accounts: refused while any
// transaction, deleted or not, names the bank.
#include "setup/BankAccountDelete.h"
#include "setup/SetupFixture.h"

namespace vel::test {
namespace {

constexpr const char* kRefusal = "Not Allowed to delete, this bank contains related transactions!";

class BankAccountDeleteTest : public SetupFixture {
 protected:
  // Adds one transaction naming `bank`; `deleted` marks it as the ledger marks
  // a deleted entry.
  void addTransaction(const char* client, const char* bank, bool deleted = false) {
    FileManager& f = files.fm<rec::VelTra>();
    FileUse use(f);
    f.ClearBuffer();
    auto& t = f.rec<rec::VelTra>();
    t.CLIENT_ID = client;
    t.TYPE = "Payment";
    t.CREDIT = 85.0;
    t.BANK_NAME = bank;
    if (deleted) {
      t.STATUS = "DEL";
      t.DELETED = 1;
    }
    ASSERT_EQ(kDone, f.Insert());
  }

  void addLedger() {
    addTransaction("0001/MOK", "Standard Bank Soweto");
    addTransaction("0002/DLA", "");
    addTransaction("0003/NKO", "Capitec Business", /*deleted=*/true);
    addTransaction("0004/ZUL", "FNB Cheque Account");
  }
};

TEST_F(BankAccountDeleteTest, BankNamedOnlyOnADeletedTransactionIsKept) {
  addLedger();
  ui.expect("Not Allowed to Delete", kOk, kRefusal);
  EXPECT_FALSE(bankAccountMayBeDeleted(files, ui, "Capitec Business"));
  ASSERT_EQ(1u, ui.windows.size());
  EXPECT_EQ("Please Wait.........", ui.windows[0]->title);
  EXPECT_EQ("Checking to see if any transactions use this bank! Please Wait .........",
            ui.windows[0]->texts.front());
  EXPECT_FALSE(ui.windows[0]->open);
}

TEST_F(BankAccountDeleteTest, NameComparesWithoutTrailingBlanksOrCase) {
  addLedger();
  ui.expect("Not Allowed to Delete", kOk, kRefusal);
  EXPECT_FALSE(bankAccountMayBeDeleted(files, ui, "standard bank soweto   "));
}

TEST_F(BankAccountDeleteTest, BankNoTransactionNamesMayBeDeleted) {
  addLedger();
  // A name that only begins another bank's name is another bank.
  EXPECT_TRUE(bankAccountMayBeDeleted(files, ui, "FNB Cheque"));
  EXPECT_TRUE(bankAccountMayBeDeleted(files, ui, "Nedbank Savings"));
  ASSERT_EQ(2u, ui.windows.size());
  EXPECT_EQ(100, ui.windows[0]->percents.back());
}

TEST_F(BankAccountDeleteTest, FolderWithoutLedgerHasNothingToProtect) {
  EXPECT_TRUE(bankAccountMayBeDeleted(files, ui, "Capitec Business"));
}

}  // namespace
}  // namespace vel::test
