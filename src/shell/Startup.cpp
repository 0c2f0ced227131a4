#include "shell/Startup.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "common/Dates.h"
#include "dictionary/Dictionary.h"
#include "platform/Clock.h"
#include "recordstore/DataFiles.h"
#include "shell/FirstRun.h"
#include "shell/FrameText.h"
#include "shell/Globals.h"
#include "shell/LoginForm.h"
#include "shell/ShellUi.h"

namespace vel {

namespace {

constexpr int kStopExit = 1;

// The files the frame keeps open while it lives, in the order it opens them.
constexpr std::string_view kKeptOpen[] = {"BDetal", "CommStr", "Config",
                                          "DefPrn", "VelData", "Users"};

// The first record in arrival order into the buffer; false when there is none.
bool readFirst(FileManager& f) {
  if (f.SetOrder(kPhysicalOrder) != kDone) return false;
  return f.TryReadNext() == kDone;
}

void call(const std::function<void()>& hook) {
  if (hook) hook();
}

}  // namespace

Startup::Startup(DataFiles& files, ShellUi& ui, const Clock& clock, StartupHooks hooks,
                 std::string instanceLockPath)
    : files_(files),
      ui_(ui),
      clock_(clock),
      hooks_(std::move(hooks)),
      lockPath_(std::move(instanceLockPath)),
      title_(kFrameTitle) {}

Startup::~Startup() { close(); }

Startup::Outcome Startup::stop(std::string_view text, std::string_view title, Icon icon) {
  ui_.message(text, title, icon, kOk, kOk);
  ui_.halt(kStopExit);
  return Outcome::Stopped;
}

Startup::Outcome Startup::initialise() {
  ErrorManager& errors = *files_.context().errors;
  errors.SetProcedureName("Main");
  initialised_ = true;
  // The owner password is the data files' own (DataFiles carries it).
  call(hooks_.convertOlderFiles);

  // The configuration: its one record, or a first run for a new installation.
  // Only a file that truly holds no record goes on with a cleared one (and so
  // without a log-in). A file that cannot be opened, counted or read stops
  // the program: going on with a cleared record would switch the log-in off
  // and give everybody the administrator's rights.
  FileManager& config = files_.fm<rec::Config>();
  config.Open();
  std::int64_t records = 0;
  if (config.TryEnsureOpen() != kDone || config.engineFile()->records(records) != ecode::kNone)
    return stop("No Configuration File", "Program Halted", Icon::Exclamation);
  if (records == 0) {
    FirstRunForm first(files_, ui_);
    ui_.runFirstRun(first);
  }
  if (!readFirst(config)) {
    if (!config.EndOfData())
      return stop("No Configuration File", "Program Halted", Icon::Exclamation);
    config.ClearBuffer();  // no record: goes on with SECURITY 0
  }

  auto& g = globals();
  if (config.rec<rec::Config>().SECURITY.value == 1) {
    g.CANCELLED = 1;
    LoginForm login(files_, ui_);
    ui_.runLogin(login);
    if (login.stopped()) return Outcome::Stopped;
    if (g.CANCELLED == 1)
      return stop("Incorrect Login.... System Halted", "Login Error", Icon::Hand);
  } else {
    g.USER_CODE = 1;
  }

  seedCommission();
  // The kept files are opened now, which creates those that are missing;
  // whether VelData was there before tells the daily sequence of a new folder.
  velDataExisted_ = files_.fm<rec::VelData>().Exists();
  for (std::string_view label : kKeptOpen) {
    FileManager& f = files_.fm(label);
    f.Open();
    f.EnsureOpen();
  }
  keptOpen_ = true;

  // One copy per machine; the log-in comes first, as it always has.
  if (lock_.acquire(lockPath_) == InstanceLock::Outcome::AlreadyRunning) {
    ui_.message("Velmora Administration Already Running!", "Execution Error!",
                Icon::Exclamation, kOk, kOk);
    return Outcome::SecondCopy;
  }
  return Outcome::Running;
}

void Startup::seedCommission() {
  FileManager& f = files_.fm<rec::CommStr>();
  FileUse use(f);
  if (f.EnsureOpen() != kDone || f.Records() > 0) return;
  f.ClearBuffer();
  auto& c = f.rec<rec::CommStr>();
  c.AGENT = 10;
  c.COLL = 5;
  f.TryInsert();
}

void Startup::seedDefPrn() {
  FileManager& f = files_.fm<rec::DefPrn>();
  if (f.EnsureOpen() != kDone) return;
  if (readFirst(f)) return;  // the switches stay in the buffer for the daily sequence
  f.ClearBuffer();
  f.TryInsert();
}

void Startup::seedBalance() {
  FileManager& f = files_.fm<rec::Balance>();
  FileUse use(f);
  if (f.EnsureOpen() != kDone) return;
  f.ClearBuffer();
  if (f.Records() == 0) {
    for (const char* entity : {"Petty Cash", "Bank"}) {
      f.ClearBuffer();
      f.rec<rec::Balance>().ENTITY = entity;
      f.TryInsert();
    }
    return;
  }
  f.SetOrder(f.keyIndex("KeyEntity"));
  f.TryReadNext();
}

void Startup::seedBranchDetail() {
  FileManager& f = files_.fm<rec::BDetal>();
  if (f.EnsureOpen() != kDone) return;
  if (f.Records() > 0) {
    readFirst(f);
    return;
  }
  f.ClearBuffer();
  f.rec<rec::BDetal>().BUS_NAME = files_.fm<rec::Config>().rec<rec::Config>().NAME.text();
  f.TryInsert();
  ui_.message("Please update information in Branch Detail file", "Update Information",
              Icon::Hand, kOk, kOk);
}

Startup::Outcome Startup::open() {
  auto& g = globals();
  ui_.busy(true);
  g.setVERSION(versionFromTitle(kFrameTitle));
  seedDefPrn();
  seedBalance();

  FileManager& config = files_.fm<rec::Config>();
  auto& cfg = config.rec<rec::Config>();
  g.setCUR_BRANCH(cfg.BRANCH_ID.text());
  g.CANCELLED = 0;
  seedBranchDetail();

  const std::int32_t today = clock_.today();
  if (cfg.DATE.value == 0) {
    cfg.DATE = today;
    config.TryUpdate();
  }
  if (today < cfg.DATE.value) {
    ui_.busy(false);
    return stop("Invalid System Date", "Program Halted", Icon::Exclamation);
  }
  if (cfg.DATE.value < today) dailySequence();
  backup();

  title_ = openedFrameTitle(kFrameTitle, cfg.NAME.value, cfg.BRANCH_ID.value);
  ui_.busy(false);
  return Outcome::Running;
}

void Startup::dailySequence() {
  // Several stations may start on the same morning: one of them takes the
  // day's sequence, the others find it taken and go straight on.
  const Claim claim = claimDay();
  claimFailed_ = claim == Claim::Failed;
  if (claim != Claim::Taken) return;
  dailyRan_ = true;

  invoiceGate();
  globals().CANCELLED = 0;

  files_.fm<rec::Users>().EnsureOpen();
}

// Every start-up, after the day's sequence (whichever station ran it), takes
// a fresh backup: a station that starts late in the day copies the files as
// they stand then, not as they stood at the first start of the morning.
void Startup::backup() {
  ui_.backupNotice(true);
  call(hooks_.backup);
  ui_.backupNotice(false);
}

namespace {

// Begins a write transaction over `fs`, waiting for other stations with
// growing pauses (a month reset on another station holds the files for a
// few seconds) up to two minutes.
int beginWaiting(DataFiles& files, const std::vector<FileManager*>& fs,
                 std::unique_ptr<Transaction>& tx) {
  std::vector<EngineFile*> engineFiles;
  for (FileManager* f : fs) {
    if (f->EnsureOpen() != kDone) return ecode::kNotOpen;
    engineFiles.push_back(f->engineFile());
  }
  StoreContext& ctx = files.context();
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  auto pause = std::chrono::milliseconds(20);
  for (;;) {
    const int rc = ctx.engine->begin(engineFiles, ctx.transactionTimeout, tx);
    if (rc == ecode::kNone) return rc;
    tx.reset();
    if ((rc != ecode::kLockTimeout && rc != ecode::kRecordHeld) ||
        std::chrono::steady_clock::now() >= until)
      return rc;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(500));
  }
}

void reportTransaction(DataFiles& files, std::string_view labels) {
  files.context().errors->SetFile(labels);
  files.context().errors->Throw(msg::TransactionCancelled);
}

}  // namespace

// The last start-up date is read, tested and set in one transaction, with
// the month reset inside it: of two stations starting at once only one
// resets the marks, and never after the other has begun to invoice.
Startup::Claim Startup::claimDay() {
  FileManager& config = files_.fm<rec::Config>();
  FileManager& clients = files_.fm<rec::VelCli>();
  FileManager& hamper = files_.fm<rec::Hamper>();
  FileUse c(clients), h(hamper);
  std::unique_ptr<Transaction> tx;
  if (beginWaiting(files_, {&config, &clients, &hamper}, tx) != ecode::kNone) {
    reportTransaction(files_, "Config, VelCli, Hamper");
    return Claim::Failed;
  }
  auto& cfg = config.rec<rec::Config>();
  if (!readFirst(config)) return Claim::Failed;
  const std::int32_t today = clock_.today();
  if (cfg.DATE.value >= today) return Claim::TakenByOther;

  // The month reset comes before the invoice gate, so that a month whose
  // first start-up falls after the 20th is still invoiced. Year and month
  // are both compared, so a gap of exactly a year still resets.
  const Ymd last = ymdFromDate(cfg.DATE.value);
  const Ymd now = ymdFromDate(today);
  if ((last.month != now.month || last.year != now.year) && hooks_.resetInvoiced &&
      !hooks_.resetInvoiced())
    return Claim::Failed;

  cfg.DATE = today;
  cfg.EOD = 0;
  if (config.Update() != kDone) return Claim::Failed;
  if (tx->commit() != ecode::kNone) {
    tx.reset();
    config.report(msg::PutFailed);
    readFirst(config);
    return Claim::Failed;
  }
  return Claim::Taken;
}

// The gate is read, tested and moved in one transaction: of two stations
// past the 20th only one opens it.
void Startup::invoiceGate() {
  FileManager& data = files_.fm<rec::VelData>();
  if (data.EnsureOpen() != kDone) return;
  auto& vd = data.rec<rec::VelData>();
  const std::int32_t today = clock_.today();
  bool open = false;
  bool newInstallation = false;
  {
    std::unique_ptr<Transaction> tx;
    if (beginWaiting(files_, {&data}, tx) != ecode::kNone) {
      reportTransaction(files_, data.label());
      return;
    }
    bool added = false;
    if (!readFirst(data)) {
      if (!data.EndOfData()) return;
      data.ClearBuffer();
      vd.DATE = today;
      vd.BRANCH_ID = files_.fm<rec::Config>().rec<rec::Config>().BRANCH_ID.text();
      vd.PREMIUM = 0;
      if (data.Insert() != kDone) return;
      added = true;
    }
    // A new file means a new installation: no runs on its first day.
    newInstallation = added && !velDataExisted_;
    const Ymd now = ymdFromDate(today);
    if (!newInstallation && now.day > 20 && vd.DATE.value < today) {
      vd.DATE = now.month == 12 ? dateFromYmd(now.year + 1, 1, 20)
                                : dateFromYmd(now.year, now.month + 1, 20);
      if (data.Update() != kDone) return;
      open = true;
    }
    if (tx->commit() != ecode::kNone) {
      tx.reset();
      data.report(msg::PutFailed);
      return;
    }
  }
  if (open) {
    gateOpened_ = true;
    call(hooks_.generateInvoices);
    if (files_.fm<rec::DefPrn>().rec<rec::DefPrn>().ON_INV.value == 1 && hooks_.smsRun)
      hooks_.smsRun("Invoice");
  }
  if (newInstallation) return;
  const auto& sw = files_.fm<rec::DefPrn>().rec<rec::DefPrn>();
  if (sw.ON_5LATE.value == 1 && hooks_.smsRun) hooks_.smsRun("5 Day");
  if (sw.ON_10LATE.value == 1 && hooks_.smsRun) hooks_.smsRun("10 Day");
}

bool Startup::runDailyHeadless() {
  FileManager& config = files_.fm<rec::Config>();
  FileManager& switches = files_.fm<rec::DefPrn>();
  FileUse c(config), d(switches), v(files_.fm<rec::VelData>()), u(files_.fm<rec::Users>());
  velDataExisted_ = files_.fm<rec::VelData>().Exists();
  if (config.TryEnsureOpen() != kDone || !readFirst(config)) {
    ui_.message("No Configuration File", "Program Halted", Icon::Exclamation, kOk, kOk);
    return false;
  }
  if (switches.EnsureOpen() != kDone || !readFirst(switches)) switches.ClearBuffer();
  const std::int32_t today = clock_.today();
  auto& cfg = config.rec<rec::Config>();
  globals().setCUR_BRANCH(cfg.BRANCH_ID.text());
  if (cfg.DATE.value != 0 && today < cfg.DATE.value) {
    ui_.message("Invalid System Date", "Program Halted", Icon::Exclamation, kOk, kOk);
    return false;
  }
  dailyRan_ = false;
  if (cfg.DATE.value < today) dailySequence();
  if (claimFailed_) return false;
  backup();
  return true;
}

std::string Startup::userZone() const { return statusUser(globals().LOGPROG()); }
std::string Startup::dayZone() const { return statusDay(clock_.today()); }
std::string Startup::timeZone() const { return statusTime(clock_.now()); }

void Startup::close() {
  if (keptOpen_) {
    for (std::string_view label : kKeptOpen) files_.fm(label).Close();
    keptOpen_ = false;
  }
  if (initialised_) {
    files_.fm<rec::Config>().Close();  // the open of the configuration step
    files_.context().errors->PopProcedureName();
    initialised_ = false;
  }
}

}  // namespace vel
