#include "maintenance/Migrate.h"

#include <charconv>
#include <filesystem>
#include <memory>

#include "dictionary/FileDirectory.h"
#include "errors/EngineStatus.h"

namespace vel {

namespace {

std::string join(const std::string& folder, const std::string& name) {
  return (std::filesystem::path(folder.empty() ? "." : folder) / name).string();
}

// The engine's last failure in words, with its code.
std::string lastFailure(int code) {
  const EngineStatus& st = engineStatus();
  std::string text = st.code == code && !st.text.empty() ? st.text : engineCodeText(code);
  if (st.code == code && !st.driverText.empty() && st.driverText != text)
    text += ": " + st.driverText;
  text += " (" + std::to_string(code) + ")";
  if (code == ecode::kInvalidLayout)
    text += "; convert the folder's older files first (velmora-admin convert)";
  else if (code == ecode::kInvalidKeys)
    text += "; rebuild its keys first (velmora-admin rebuild)";
  return text;
}

// FNV-1a over the canonical text, then a full mix, so that records whose
// texts differ in one place do not give hashes that cancel in the sum.
class Hash64 {
 public:
  void add(std::string_view s) {
    for (unsigned char c : s) {
      h_ ^= c;
      h_ *= 0x100000001b3ULL;
    }
  }
  std::uint64_t value() const {
    std::uint64_t z = h_ + 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }

 private:
  std::uint64_t h_ = 0xcbf29ce484222325ULL;
};

std::string canonicalReal(double v) {
  if (v == 0) v = 0;  // -0 is the same amount
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

// Which files of the directory exist at `side`; false, with `why`, when the
// store could not be asked.
bool filesAt(const StoreSide& side, std::vector<const FileDecl*>& out, std::string& why) {
  out.clear();
  for (const FileDecl& d : fileDirectory()) {
    bool there = false;
    if (int code = side.engine.exists(join(side.folder, d.diskName()), there)) {
      why = "the " + side.engine.name() + " store could not tell whether " + d.diskName() +
            " is there: " + lastFailure(code);
      return false;
    }
    if (there) out.push_back(&d);
  }
  return true;
}

// Copies one file; empty on success, else what failed.
std::string copyFile(const FileDecl& d, const StoreSide& from, const StoreSide& to,
                     const MigrateOptions& options) {
  const Layout& layout = *d.layout;
  std::unique_ptr<EngineFile> src;
  if (int code = from.engine.open(layout, join(from.folder, d.diskName()),
                                  OpenMode{Access::ReadOnly, Share::DenyNone}, options.owner, src))
    return d.label + " could not be opened at the source: " + lastFailure(code);
  std::int64_t total = 0;
  if (int code = src->records(total))
    return d.label + " could not be counted at the source: " + lastFailure(code);

  const std::string target = join(to.folder, d.diskName());
  if (int code = to.engine.create(layout, target, options.owner))
    return d.label + " could not be made at the target: " + lastFailure(code);
  std::unique_ptr<EngineFile> dst;
  if (int code = to.engine.open(layout, target, OpenMode{}, options.owner, dst))
    return d.label + " could not be opened at the target: " + lastFailure(code);

  if (int code = src->setOrder(kPhysicalOrder))
    return d.label + " could not be read at the source: " + lastFailure(code);
  RecordBuffer rec(layout);
  std::int64_t done = 0;
  if (options.progress) options.progress(d.label, 0, total);
  const int group = options.groupSize > 0 ? options.groupSize : 1000;
  while (true) {
    std::unique_ptr<Transaction> tx;
    if (int code = to.engine.begin({dst.get()}, 30, tx))
      return d.label + " could not be written at the target: " + lastFailure(code);
    int rc = ecode::kNone;
    int inGroup = 0;
    while (inGroup < group && (rc = src->next(rec.get())) == ecode::kNone) {
      if (int code = dst->add(rec.get()))
        return d.label + " record " + std::to_string(done + 1) +
               " could not be added at the target: " + lastFailure(code);
      ++inGroup;
      ++done;
    }
    if (rc != ecode::kNone && rc != ecode::kNoRecord)
      return d.label + " could not be read to its end at the source: " + lastFailure(rc);
    if (int code = tx->commit())
      return d.label + " could not be committed at the target: " + lastFailure(code);
    if (options.progress) options.progress(d.label, done, total);
    if (rc == ecode::kNoRecord) break;
  }
  return {};
}

}  // namespace

std::uint64_t recordHash(const Layout& layout, const void* rec) {
  Hash64 h;
  void* r = const_cast<void*>(rec);  // read only: FieldRef serves both ways
  for (int i = 0; i < static_cast<int>(layout.fields().size()); ++i) {
    FieldRef f = layout.field(r, i);
    h.add(f.desc().name);
    h.add("=");
    if (f.isText()) h.add(rtrim(f.text()));
    else if (f.isReal()) h.add(canonicalReal(f.real()));
    else h.add(std::to_string(f.whole()));
    h.add("\x1e");
  }
  return h.value();
}

int sumTable(EngineFile& file, TableSum& out) {
  out = {};
  if (int code = file.setOrder(kPhysicalOrder)) return code;
  RecordBuffer rec(file.layout());
  int rc = ecode::kNone;
  while ((rc = file.next(rec.get())) == ecode::kNone) {
    ++out.records;
    out.checksum += recordHash(file.layout(), rec.get());  // mod 2^64
  }
  return rc == ecode::kNoRecord ? ecode::kNone : rc;
}

bool MigrateReport::ok() const {
  if (!failure.empty() || !copied) return false;
  for (const MigratedFile& f : files)
    if (!f.matches()) return false;
  return true;
}

MigrateReport compareOffices(const StoreSide& from, const StoreSide& to, std::string_view owner) {
  MigrateReport report;
  std::vector<const FileDecl*> present;
  if (!filesAt(from, present, report.failure)) return report;
  report.copied = true;  // the comparison alone: nothing was to be copied
  auto sumAt = [&](const StoreSide& side, const FileDecl& d, TableSum& sum,
                   std::string& problem) {
    std::unique_ptr<EngineFile> f;
    const char* where = &side == &from ? "at the source" : "at the target";
    if (int code = side.engine.open(*d.layout, join(side.folder, d.diskName()),
                                    OpenMode{Access::ReadOnly, Share::DenyNone}, owner, f)) {
      problem = "could not be opened " + std::string(where) + ": " + lastFailure(code);
      return false;
    }
    if (int code = sumTable(*f, sum)) {
      problem = "could not be read to its end " + std::string(where) + ": " + lastFailure(code);
      return false;
    }
    return true;
  };
  for (const FileDecl* d : present) {
    MigratedFile m;
    m.label = d->label;
    m.name = d->diskName();
    m.compared = sumAt(from, *d, m.source, m.problem) && sumAt(to, *d, m.target, m.problem);
    report.files.push_back(std::move(m));
  }
  return report;
}

MigrateReport migrateOffice(const StoreSide& from, const StoreSide& to,
                            const MigrateOptions& options) {
  MigrateReport report;
  std::vector<const FileDecl*> present, inTheWay;
  if (!filesAt(from, present, report.failure)) return report;
  if (present.empty()) {
    report.failure = "the source holds no record file of this program";
    return report;
  }
  // Any file of the directory at the target stands in the way, not only
  // those the source has: the office moved must be the source, whole.
  if (!filesAt(to, inTheWay, report.failure)) return report;
  for (const FileDecl* d : inTheWay) report.occupied.push_back(d->diskName());
  if (!inTheWay.empty()) {
    if (!options.replace) {
      std::string names;
      for (const std::string& n : report.occupied) names += (names.empty() ? "" : ", ") + n;
      report.failure = "the target already holds " + names +
                       "; nothing was copied (replace them with --replace)";
      return report;
    }
    for (const FileDecl* d : inTheWay)
      if (int code = to.engine.remove(join(to.folder, d->diskName()))) {
        report.failure = d->diskName() + " could not be removed at the target: " +
                         lastFailure(code);
        return report;
      }
  }

  std::vector<const FileDecl*> made;
  for (const FileDecl* d : present) {
    made.push_back(d);
    std::string why = copyFile(*d, from, to, options);
    if (why.empty()) continue;
    // Take back what this run made, so the target is as it was before
    // (less what --replace removed) and a second run needs no --replace.
    for (const FileDecl* m : made) to.engine.remove(join(to.folder, m->diskName()));
    report.failure = why;
    return report;
  }

  MigrateReport compared = compareOffices(from, to, options.owner);
  compared.occupied = std::move(report.occupied);
  compared.copied = compared.failure.empty();
  return compared;
}

}  // namespace vel
