#include "reports/ReportFrame.h"

#include <utility>

#include "common/Dates.h"
#include "common/Picture.h"
#include "dictionary/Dictionary.h"
#include "errors/EngineStatus.h"
#include "shell/FrameText.h"
#include "shell/GetRange.h"
#include "shell/Globals.h"
#include "shell/ShellUi.h"

namespace vel {

namespace {

std::string trimmedLeft(std::string s) {
  std::size_t i = s.find_first_not_of(' ');
  return i == std::string::npos ? std::string() : s.substr(i);
}

// Config's one record (a cleared record when the file is empty or missing).
rec::Config readConfig(DataFiles& files) {
  FileManager& f = files.fm<rec::Config>();
  FileUse use(f);
  f.ClearBuffer();
  if (f.SetOrder(kPhysicalOrder) != kDone || f.TryReadNext() != kDone) f.ClearBuffer();
  return f.rec<rec::Config>();
}

// The same within a report: a configuration record that cannot be read
// fails the report rather than printing a blank branch or business name.
rec::Config readConfig(ReportContext& ctx) {
  FileManager& f = ctx.files.fm<rec::Config>();
  FileUse use(f);
  f.ClearBuffer();
  if (ctx.failed || f.EnsureOpen() != kDone) {
    ctx.failed = true;
    f.ClearBuffer();
    return f.rec<rec::Config>();
  }
  if (!startWalk(ctx, f, kPhysicalOrder) || !readNext(ctx, f)) f.ClearBuffer();
  return f.rec<rec::Config>();
}

// The version text the frame's title carries, for a footer printed where no
// frame has started (the headless tool).
std::string versionText() {
  std::string v = globals().VERSION();
  return v.empty() ? versionFromTitle(kFrameTitle) : v;
}

}  // namespace

AgentSelectForm::Step AgentSelectForm::processPressed() {
  if (code_.find_first_not_of(' ') == std::string::npos) {
    if (kind_ == Kind::Agent) {
      ui_.message("Please select an agent", "Agent Error", Icon::Exclamation, kOk, kOk);
      return Step::Stay;
    }
    accepted_ = false;
    return Step::Close;
  }
  accepted_ = true;
  return Step::Close;
}

AgentSelectForm::Step AgentSelectForm::cancelPressed() {
  accepted_ = false;
  return Step::Close;
}

std::optional<std::string> AgentSelectForm::result() const {
  if (!accepted_) return std::nullopt;
  return code_;
}

ReportContext::ReportContext(DataFiles& f, Ui& u, const Clock& c)
    : files(f), ui(u), clock(c), started(c.moment()) {}

ReportProgress::ReportProgress(Ui& ui, std::string_view subject)
    : window_(ui.progress("Generating Report", subject)) {
  globals().PROGRESS = 0;
}

void ReportProgress::startPass(std::int64_t records) {
  step_ = records > 0 ? 100.0 / static_cast<double>(records) : 0;
  sum_ = 0;
  shown_ = -1;
  show();
}

void ReportProgress::advance() {
  sum_ += step_;
  show();
}

void ReportProgress::show() {
  int now = static_cast<int>(sum_);
  if (now > 100) now = 100;
  if (now == shown_) return;
  shown_ = now;
  globals().PROGRESS = now;
  window_->setPercent(now);
}

void setDefaultPeriod(const Clock& clock) {
  const std::int32_t today = clock.today();
  const Ymd t = ymdFromDate(today);
  globals().PERIOD_START = dateFromYmd(t.year, t.month, 1);
  globals().PERIOD_END = today;
}

std::optional<std::pair<std::int32_t, std::int32_t>> askPeriod(ShellUi& ui, const Clock& clock) {
  setDefaultPeriod(clock);
  if (!Get_Range(ui)) return std::nullopt;
  return std::make_pair(globals().PERIOD_START.load(), globals().PERIOD_END.load());
}

bool askPeriodInto(ReportContext& ctx, ShellUi& ui, const Clock& clock) {
  auto period = askPeriod(ui, clock);
  if (!period) return false;
  ctx.periodStart = period->first;
  ctx.periodEnd = period->second;
  return true;
}

bool openWalk(ReportContext& ctx, ReportProgress& progress, FileManager& f) {
  if (ctx.failed) return false;
  // The record store has shown why a file could not be opened.
  if (f.EnsureOpen() != kDone) {
    ctx.failed = true;
    return false;
  }
  progress.startPass(f.Records());
  return true;
}

bool startWalk(ReportContext& ctx, FileManager& f, int key, bool atBuffer) {
  if (ctx.failed) return false;
  if (f.EnsureOpen() != kDone) {
    ctx.failed = true;
    return false;
  }
  if ((atBuffer ? f.SetOrderAt(key) : f.SetOrder(key)) == kDone) return true;
  walkFailed(ctx, f);
  return false;
}

bool readNext(ReportContext& ctx, FileManager& f) {
  if (ctx.failed) return false;
  if (f.TryReadNext() == kDone) return true;
  if (!f.EndOfData()) walkFailed(ctx, f);
  return false;
}

bool getByKey(ReportContext& ctx, FileManager& f, int key) {
  if (ctx.failed) return false;
  if (f.TryGetByKey(key) == kDone) return true;
  const int code = f.LastEngineCode();
  if (code != ecode::kRecordNotFound && code != ecode::kNoRecord) walkFailed(ctx, f);
  return false;
}

void walkFailed(ReportContext& ctx, FileManager& f) {
  if (ctx.failed) return;
  ctx.failed = true;
  const int code = f.LastEngineCode();
  const std::string text = f.LastEngineText();
  // The driver's code and text too, so that an engine-own failure (90) is
  // explained in its own words.
  setEngineStatus(code, text, std::to_string(code), text);
  ErrorManager& errors = *f.context().errors;
  errors.SetFile(f.label());
  errors.Throw(code == ecode::kRecordHeld ? msg::RecordHeld : msg::RetrievalError);
}

namespace {

// `code` as the file stores it, when a record of `label` has it under `key`
// (keys compare without regard to case); otherwise as given.
void takeStored(ReportContext& ctx, std::optional<std::string>& code, const char* label,
                const char* key, const char* field) {
  if (!code || code->find_first_not_of(' ') == std::string::npos) return;
  FileManager& f = ctx.files.fm(label);
  FileUse use(f);
  if (ctx.failed || f.EnsureOpen() != kDone) {
    ctx.failed = true;
    return;
  }
  f.ClearBuffer();
  f.field(field).text() = *code;
  if (getByKey(ctx, f, f.keyIndex(key))) code = std::string(rtrim(f.field(field).text()));
}

}  // namespace

void takeStoredCodes(ReportContext& ctx) {
  takeStored(ctx, ctx.route, "Route", "By_Route", "ROUTE");
  takeStored(ctx, ctx.agent, "Agent", "KeyCode", "CODE");
  takeStored(ctx, ctx.collector, "Collect", "KeyCode", "CODE");
}

std::optional<report::Document> buildReport(ReportContext& ctx, std::string_view subject,
                                            const ReportBuild& build) {
  report::Document doc;
  {
    ReportProgress progress(ctx.ui, subject);
    takeStoredCodes(ctx);
    if (!ctx.failed) doc = build(ctx, progress);
  }
  if (ctx.failed) return std::nullopt;
  return doc;
}

void presentReport(ReportContext& ctx, ReportOutput& output, std::string_view subject,
                   const ReportBuild& build) {
  if (std::optional<report::Document> doc = buildReport(ctx, subject, build)) output.present(*doc);
}

std::string periodText(std::int32_t start, std::int32_t end) {
  return "Period: " + formatPicture("d06", start) + " to " + formatPicture("d06", end);
}

std::string businessLine(DataFiles& files) { return businessLineOf(readConfig(files)); }

std::string businessLine(ReportContext& ctx) { return businessLineOf(readConfig(ctx)); }

std::string businessLineOf(const rec::Config& c) {
  std::string line(c.NAME.str());
  for (const auto* a : {&c.ADDR1, &c.ADDR2, &c.ADDR3}) line += ", " + a->text();
  if (line.size() > 65) line.resize(65);
  return line;
}

report::Document startDocument(ReportContext& ctx, std::string title, bool withPeriod) {
  report::Document doc;
  doc.title = std::move(title);
  doc.footer.date = ctx.started.day;
  doc.footer.time = ctx.started.time;
  doc.footer.branch = readConfig(ctx).BRANCH_ID.text();
  doc.footer.version = versionText();
  if (withPeriod) doc.periodText = periodText(ctx.periodStart, ctx.periodEnd);
  return doc;
}

std::string money(double value) { return trimmedLeft(formatPicture("n_9.2", value)); }

std::string count(std::int64_t value) {
  return trimmedLeft(Picture::parse("n_6").formatWhole(value));
}

}  // namespace vel
