// A report whose walk is cut short by a failed read is never passed off as
// complete: a damaged page or another station's lock shows the file and the
// reason through the error manager, and no document reaches the output.
#include <memory>
#include <string>

#include "reports/ClientLists.h"
#include "reports/ReportCatalog.h"
#include "reports/ReportFixture.h"
#include "support/FileDamage.h"
#include "support/Engines.h"

namespace vel::test {
namespace {

constexpr int kRecords = 240;  // many pages, so that damage lies ahead of the first page read
constexpr const char* kRoute = "Soweto North";

class ReadFailure : public ReportFixture {
 protected:
  // Adds `n` records of R in one transaction, each filled by `fill(rec, i)`.
  template <class R, class Fill>
  void addMany(int n, Fill fill) {
    FileManager& f = files.fm<R>();
    FileUse use(f);
    std::unique_ptr<Transaction> tx;
    ASSERT_EQ(ecode::kNone, engine->begin({f.engineFile()}, 2, tx));
    for (int i = 1; i <= n; ++i) {
      f.ClearBuffer();
      fill(f.template rec<R>(), i);
      ASSERT_EQ(ecode::kNone, f.engineFile()->add(f.buffer())) << f.label() << " " << i;
    }
    ASSERT_EQ(ecode::kNone, tx->commit());
  }

  static std::string id(int i) {
    std::string n = std::to_string(i);
    return std::string(4 - n.size(), '0') + n + "/MEM";
  }

  template <class M>
  static void member(M& m, int i) {
    m.NUMBER = i;
    m.CLIENT_ID = id(i);
    m.SURNAME = "Member";
    m.FIRSTNAME = "Thandi";
    m.ACTIVE = "Active";
    m.ROUTE = kRoute;
    m.AGE_CODE = "A1";
    m.COL_CODE = "C1";
    m.DATE = day(2026, 3, 2);
    m.H_ADDR1 = "12 Vilakazi Street";
  }

  // Fills the file the report walks first and gives back its label.
  std::string fillDrivingFile(const std::string& report) {
    const std::int32_t d = day(2026, 3, 5);
    if (report == "management") {
      addMany<rec::VelTra>(kRecords, [&](rec::VelTra& t, int i) {
        t.CLIENT_ID = id(i);
        t.DATE = d;
        t.TYPE = "Invoice";
        t.DEBIT = 100;
        t.UNIQUE = std::to_string(1000 + i);
      });
      return "VelTra";
    }
    if (report == "ageing") {
      addMany<rec::VelAge>(kRecords, [&](rec::VelAge& a, int i) {
        a.CLIENT_ID = id(i);
        a.TOTAL = 50;
        a.CURRENT = 50;
      });
      return "VelAge";
    }
    if (report == "premiums-paid") {
      addMany<rec::VelPay>(kRecords, [&](rec::VelPay& p, int i) {
        p.CLIENT_ID = id(i);
        p.DATE = d;
        p.CREDIT = 100;
        p.UNIQUE = std::to_string(1000 + i);
      });
      return "VelPay";
    }
    if (report == "issued-receipts") {
      addMany<rec::AgeIss>(kRecords, [&](rec::AgeIss& r, int i) {
        r.CODE = "A1";
        r.NUMBER = i;
        r.DATE_ISS = d;
      });
      return "AgeIss";
    }
    if (report == "hamper") {
      addMany<rec::Hamper>(kRecords, [&](rec::Hamper& h, int i) { member(h, i); });
      return "Hamper";
    }
    addMany<rec::VelCli>(kRecords, [&](rec::VelCli& c, int i) { member(c, i); });
    return "VelCli";
  }

  ReportContext context() {
    ReportContext ctx(files, ui, clock);
    ctx.periodStart = day(2026, 3, 1);
    ctx.periodEnd = day(2026, 3, 31);
    ctx.actionDate = day(2026, 3, 15);
    ctx.route = kRoute;
    ctx.agent = "A1";
    ctx.collector = "C1";
    return ctx;
  }
};

// Every report of the catalog, its driving file damaged past its first pages.
class DamagedDrivingFile : public ReadFailure,
                           public ::testing::WithParamInterface<std::string> {};

TEST_P(DamagedDrivingFile, StopsWithTheFileAndReasonAndShowsNoReport) {
  VEL_SQLITE_FILES_ONLY();
  config("Ubuntu Family Burial Society", "14 Church Street", "Polokwane", "0699", "01");
  const std::string label = fillDrivingFile(GetParam());
  files.fm(label).Close();  // nothing of ours holds the file while it is damaged
  ASSERT_GT(damagePages(files.fm(label).path()), 0);

  ui.boxes.expect("Record Retrieval Error", kOk);
  const ReportEntry* entry = findReport(GetParam());
  ASSERT_NE(nullptr, entry);
  ReportContext ctx = context();
  EXPECT_FALSE(runReport(*entry, ctx).has_value());
  EXPECT_TRUE(ctx.failed);
  ASSERT_EQ(1u, ui.boxes.shown().size());
  const std::string& text = ui.boxes.shown()[0].text;
  EXPECT_NE(std::string::npos, text.find("the " + label + " file")) << text;
  EXPECT_NE(std::string::npos, text.find("(36)")) << text;  // invalid file: the damaged page
}

INSTANTIATE_TEST_SUITE_P(EveryReport, DamagedDrivingFile,
                         ::testing::Values("management", "ageing", "premiums-paid", "not-paid",
                                           "not-paid-3", "new-route", "new-agent",
                                           "new-agent-totals", "active", "non-active",
                                           "collector", "name-address", "issued-receipts",
                                           "route", "hamper", "cards"),
                         [](const auto& param) {
                           std::string n = param.param;
                           for (char& c : n)
                             if (c == '-') c = '_';
                           return n;
                         });

// Premiums paid looks each paying client up by number. A client file that
// cannot be read there is a failure, not a payment of a client gone.
TEST_F(ReadFailure, ADamagedClientLookupStopsPremiumsPaidInsteadOfCountingTheClientAsGone) {
  VEL_SQLITE_FILES_ONLY();
  config("Ubuntu Family Burial Society", "14 Church Street", "Polokwane", "0699", "01");
  addMany<rec::VelCli>(kRecords, [&](rec::VelCli& c, int i) { member(c, i); });
  fillDrivingFile("premiums-paid");
  files.fm<rec::VelCli>().Close();
  ASSERT_GT(damagePages(files.fm<rec::VelCli>().path()), 0);

  ui.boxes.expect("Record Retrieval Error", kOk);
  ReportContext ctx = context();
  EXPECT_FALSE(runReport(*findReport("premiums-paid"), ctx).has_value());
  EXPECT_TRUE(ctx.failed);
  ASSERT_EQ(1u, ui.boxes.shown().size());
  EXPECT_NE(std::string::npos, ui.boxes.shown()[0].text.find("the VelCli file"))
      << ui.boxes.shown()[0].text;
}

// The progress window of a report that takes another station's exclusive
// lock on the file being walked once the first record has been read.
class LockingUi : public ReportUi {
 public:
  std::unique_ptr<Progress> progress(std::string_view title, std::string_view text) override {
    auto inner = ReportUi::progress(title, text);
    return std::make_unique<Locker>(std::move(inner), *this);
  }
  std::unique_ptr<ExclusiveLock> lock;
  int percentsBeforeLock = 1;  // setPercent calls (0 starts the pass) before the lock is taken
  bool tookLock = false;

 private:
  class Locker : public Progress {
   public:
    Locker(std::unique_ptr<Progress> inner, LockingUi& ui) : inner_(std::move(inner)), ui_(ui) {}
    void setText(std::string_view t) override { inner_->setText(t); }
    void setPercent(int p) override {
      inner_->setPercent(p);
      if (ui_.lock && !ui_.tookLock && --ui_.percentsBeforeLock < 0)
        ui_.tookLock = ui_.lock->take();
    }

   private:
    std::unique_ptr<Progress> inner_;
    LockingUi& ui_;
  };
};

class HeldByAnotherStation : public ReadFailure {
 protected:
  LockingUi lockingUi;
  ErrorManager lockingErrors{lockingUi};
  DataFiles lockingFiles{dir.path(), *engine, lockingErrors};
};

TEST_F(HeldByAnotherStation, AWalkThatMeetsALockStopsAndSaysSoInsteadOfEndingShort) {
  config("Ubuntu Family Burial Society", "14 Church Street", "Polokwane", "0699", "01");
  fillDrivingFile("name-address");
  // The lock comes once the walk is under way: the first pages were read,
  // and the rest of the clients lie behind the other station's lock.
  lockingUi.lock = std::make_unique<ExclusiveLock>(lockingFiles.fm<rec::VelCli>().path());
  lockingUi.boxes.expect("Record not read", kOk);
  ReportContext ctx(lockingFiles, lockingUi, clock);
  EXPECT_FALSE(runReport(*findReport("name-address"), ctx).has_value());
  lockingUi.lock->release();
  ASSERT_TRUE(lockingUi.tookLock) << "the other station never got its lock";
  ASSERT_EQ(1u, lockingUi.boxes.shown().size());
  EXPECT_NE(std::string::npos, lockingUi.boxes.shown()[0].text.find("the VelCli file"))
      << lockingUi.boxes.shown()[0].text;
  lockingUi.boxes.verifyDone();
}

TEST_F(HeldByAnotherStation, TheMenuItemShowsNoPreviewOfAShortWalk) {
  config("Ubuntu Family Burial Society", "14 Church Street", "Polokwane", "0699", "01");
  fillDrivingFile("active");
  lockingUi.lock = std::make_unique<ExclusiveLock>(lockingFiles.fm<rec::VelCli>().path());
  lockingUi.percentsBeforeLock = 3;
  lockingUi.boxes.expect("Record not read", kOk);
  struct Pickers : ReportPickers {
    std::optional<std::string> pickRoute() override { return kRoute; }
    std::optional<std::string> pickAgent() override { return std::nullopt; }
    std::optional<std::string> pickCollector() override { return std::nullopt; }
    std::optional<std::int32_t> pickActionDate(std::int32_t) override { return std::nullopt; }
  } pickers;
  printActiveClientList(lockingFiles, lockingUi, clock, pickers, output);
  lockingUi.lock->release();
  ASSERT_TRUE(lockingUi.tookLock);
  EXPECT_TRUE(output.docs.empty());
  lockingUi.boxes.verifyDone();
}

}  // namespace
}  // namespace vel::test
