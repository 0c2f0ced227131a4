#include "reports/ReportFrame.h"

#include <utility>

#include "common/Dates.h"
#include "common/Picture.h"
#include "dictionary/Dictionary.h"
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

report::Document buildReport(ReportContext& ctx, std::string_view subject, const ReportBuild& build) {
  ReportProgress progress(ctx.ui, subject);
  return build(ctx, progress);
}

std::string periodText(std::int32_t start, std::int32_t end) {
  return "Period: " + formatPicture("d06", start) + " to " + formatPicture("d06", end);
}

std::string businessLine(DataFiles& files) {
  const rec::Config c = readConfig(files);
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
  doc.footer.branch = readConfig(ctx.files).BRANCH_ID.text();
  doc.footer.version = globals().VERSION();
  if (withPeriod) doc.periodText = periodText(ctx.periodStart, ctx.periodEnd);
  return doc;
}

std::string money(double value) { return trimmedLeft(formatPicture("n_9.2", value)); }

std::string count(std::int64_t value) {
  return trimmedLeft(Picture::parse("n_6").formatWhole(value));
}

}  // namespace vel
