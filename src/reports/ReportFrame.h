// The frame every list report shares: the period, the selections asked
// before the walk, the "Generating Report" progress window, the header and
// footer values, and the hand-over of the finished document to the preview.
//
// A report procedure reads in this order: period (Get_Range, when the report
// takes one), route / agent / collector, progress window, the walk that fills
// a Document, then the preview, which prints all pages only when the user
// accepts it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Ui.h"
#include "dictionary/Dictionary.h"
#include "recordstore/DataFiles.h"
#include "reports/Document.h"

namespace vel {

class ShellUi;

// The pickers a report asks for its selection before it walks. Each returns
// the chosen code, or nothing when the user cancelled (the report then ends
// without output).
class ReportPickers {
 public:
  virtual ~ReportPickers() = default;
  // The route browse in select mode; the chosen ROUTE.
  virtual std::optional<std::string> pickRoute() = 0;
  // The small "Routes" window with its "..." lookup (the route list asks
  // this way); by default the route browse.
  virtual std::optional<std::string> pickRouteInWindow() { return pickRoute(); }
  // The "Agent" selection window (see AgentSelectForm); the chosen agent CODE.
  virtual std::optional<std::string> pickAgent() = 0;
  // The "Collector" selection window; the chosen collector CODE.
  virtual std::optional<std::string> pickCollector() = 0;
  // The "Action Date" window of the three-month report; the chosen day.
  virtual std::optional<std::int32_t> pickActionDate(std::int32_t initial) = 0;
};

// The rules of the small "Agent" / "Collector" selection window: an entry
// with a "..." lookup and the buttons "&Process" and "&Cancel".
class AgentSelectForm {
 public:
  enum class Kind { Agent, Collector };
  enum class Step { Stay, Close };

  AgentSelectForm(Ui& ui, Kind kind) : ui_(ui), kind_(kind) {}

  const char* title() const { return kind_ == Kind::Agent ? "Agent" : "Collector"; }
  const std::string& code() const { return code_; }
  void setCode(std::string code) { code_ = std::move(code); }

  // "&Process": with no agent chosen, "Please select an agent" ("Agent
  // Error") and the window stays. With no collector chosen the window closes
  // with nothing chosen.
  Step processPressed();
  Step cancelPressed();
  // What the window closed with: the code, or nothing after Cancel.
  std::optional<std::string> result() const;

 private:
  Ui& ui_;
  Kind kind_;
  std::string code_;
  bool accepted_ = false;
};

// Where a finished report goes: the print preview on the desktop, a PDF from
// the headless tool, a list of documents in tests.
class ReportOutput {
 public:
  virtual ~ReportOutput() = default;
  virtual void present(const report::Document& doc) = 0;
};

// What one run of a report works with.
struct ReportContext {
  ReportContext(DataFiles& f, Ui& u, const Clock& c);

  DataFiles& files;
  Ui& ui;
  const Clock& clock;
  Moment started;  // report date and time, printed in every footer
  std::int32_t periodStart = 0, periodEnd = 0;
  std::optional<std::string> route, agent, collector;
  std::int32_t actionDate = 0;  // the three-month report's "Action Date"
  // A read failed during the walk (a record held by another station beyond
  // the wait, a lock time-out, a damaged page). The failure has been shown
  // naming the file and the reason; the report is incomplete and is never
  // shown, printed or written.
  bool failed = false;
};

// The progress of one report: the "Generating Report" window with its
// subject line, and the bar advanced per record read of each pass.
class ReportProgress {
 public:
  ReportProgress(Ui& ui, std::string_view subject);
  // Starts a pass over a file of `records` records: the step is 100 divided
  // by the count, the bar shows the running sum cut to a whole number.
  void startPass(std::int64_t records);
  void advance();

 private:
  void show();

  std::unique_ptr<Progress> window_;
  double step_ = 0, sum_ = 0;
  int shown_ = -1;
};

// The period every report starts from: the first day of the current month
// through today.
void setDefaultPeriod(const Clock& clock);

// Sets the default period and asks for it with the date-range prompt; the
// chosen period, or nothing when the user cancelled.
std::optional<std::pair<std::int32_t, std::int32_t>> askPeriod(ShellUi& ui, const Clock& clock);

// Asks the period as askPeriod does and puts it into the context; false when
// the user cancelled.
bool askPeriodInto(ReportContext& ctx, ShellUi& ui, const Clock& clock);

// Reading a report's files. A walk stops at the end of the data or at a
// failure, and the two are never confused: a short walk passed off as
// complete would print 7 of 22 clients with correct-looking totals. On a
// failure these show the record store's reason through the error manager
// (once per report), mark the context failed and return false; once the
// context has failed every later walk of the report stops at once.
//
// Opens `f` (an opening failure is shown by the record store) and starts the
// progress pass over its records.
bool openWalk(ReportContext& ctx, ReportProgress& progress, FileManager& f);
// Positions `f` on key `key` (kPhysicalOrder for arrival order) at its first
// record, or with `atBuffer` at the key values now in the buffer.
bool startWalk(ReportContext& ctx, FileManager& f, int key, bool atBuffer = false);
// The next record into the buffer: true with a record, false at the end of
// the data or on a failure.
bool readNext(ReportContext& ctx, FileManager& f);
// A lookup by key: true when found; false when there is no such record or on
// a failure (then ctx.failed is set).
bool getByKey(ReportContext& ctx, FileManager& f, int key);
// Shows the last failure of `f` (file and engine reason) and marks the
// report failed; a report shows only its first failure.
void walkFailed(ReportContext& ctx, FileManager& f);

// A route, agent or collector typed in another case than stored ("soweto
// north") becomes the stored code, so that the report compares the clients'
// codes with it and lists them rather than nobody. A code on no record is
// left as it is.
void takeStoredCodes(ReportContext& ctx);

// A report's walk: fills a document from the context's files.
using ReportBuild = std::function<report::Document(ReportContext&, ReportProgress&)>;

// Runs `build` with the "Generating Report" window showing `subject`, the
// context's codes taken as stored first; the window closes before the
// finished document is returned. Nothing when a
// read failed: the failure has been shown and there is no report to show.
std::optional<report::Document> buildReport(ReportContext& ctx, std::string_view subject,
                                            const ReportBuild& build);

// buildReport, then the document to `output` when the walk was complete.
void presentReport(ReportContext& ctx, ReportOutput& output, std::string_view subject,
                   const ReportBuild& build);

// "Period: 01/03/2026 to 15/03/2026".
std::string periodText(std::int32_t start, std::int32_t end);

// The configured business name followed by ", " and each of the three
// address lines, each clipped of trailing blanks, cut to 65 characters.
std::string businessLine(DataFiles& files);
std::string businessLine(ReportContext& ctx);  // a Config that cannot be read fails the report
std::string businessLineOf(const rec::Config& config);

// A document with the title, the footer values (report date and time,
// Config.BRANCH_ID, the version) and, when the context has one, the period.
report::Document startDocument(ReportContext& ctx, std::string title, bool withPeriod);

// Money and counts as reports print them, without the picture's padding.
std::string money(double value);          // n_9.2
std::string count(std::int64_t value);    // n_6

inline bool inPeriod(std::int64_t day, std::int32_t start, std::int32_t end) {
  return day >= start && day <= end;
}

}  // namespace vel
