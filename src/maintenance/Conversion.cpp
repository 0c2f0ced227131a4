#include "maintenance/Conversion.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "common/Dates.h"
#include "common/Text.h"
#include "dictionary/Dictionary.h"
#include "dictionary/OlderLayouts.h"
#include "errors/EngineStatus.h"
#include "recordstore/StoreChoice.h"
#include "shell/Startup.h"

namespace vel {

namespace fs = std::filesystem;

namespace {

constexpr int kStatusWidth = 30;
constexpr int kTransactionWait = 30;  // seconds: nobody else should hold these files

std::string statusText(const std::string& label) {
  std::string s = label + " File";
  if (s.size() > kStatusWidth) s.resize(kStatusWidth);
  return s;
}

std::string lastText() {
  const EngineStatus& s = engineStatus();
  std::string t = s.text.empty() ? engineCodeText(s.code) : s.text;
  return t + " (" + std::to_string(s.code) + ")";
}

bool exists(const std::string& p) {
  std::error_code ec;
  return fs::exists(p, ec);
}

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec);
}

// Removes a file and the rollback journal a crash may have left beside it.
void discard(const std::string& p) {
  ::unlink(p.c_str());
  ::unlink((p + "-journal").c_str());
}

// Makes the renames of a swap durable before the next step relies on them.
void syncFolder(const std::string& folder) {
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Pairs of (older field, current field) with the same name.
std::vector<std::pair<int, int>> sameNamedFields(const Layout& from, const Layout& to) {
  std::vector<std::pair<int, int>> pairs;
  for (std::size_t i = 0; i < from.fields().size(); ++i) {
    int j = to.fieldIndex(from.fields()[i].name);
    if (j >= 0) pairs.emplace_back(static_cast<int>(i), j);
  }
  return pairs;
}

void copyFields(const std::vector<std::pair<int, int>>& pairs, const Layout& from, void* in,
                const Layout& to, void* out) {
  for (auto [i, j] : pairs) to.field(out, j).assign(from.field(in, i));
}

// The commission figures of the first CommStr record, given to clients that
// had none of their own.
struct Commission {
  double agent = 0;
  double collector = 0;
};

// The client layouts from H on, each of which the next one grew from.
constexpr std::string_view kClientLetters = "HIJK";

// Fills the fields the older layout `letter` of file `label` lacked. A file
// skipping several layouts (a client file in layout H) gets the defaults of
// each layout it skips, as a file converted one layout at a time would.
void applyDefaults(const std::string& label, const std::string& letter, void* out,
                   std::int64_t running, const Commission& comm) {
  if (label == "VelAud") {
    static_cast<rec::VelAud*>(out)->UNIQUE = std::to_string(running);
  } else if (label == "VelExt") {
    auto& e = *static_cast<rec::VelExt*>(out);
    if (letter == "A") {
      // The old BYTE flag was 1 for a member on cover: the status text the
      // forms know for that is "Active".
      e.ACTIVE = "Active";
      e.WAIT_DATE = 0;
      e.NUMBER = 0;
    } else if (letter == "B") {
      e.ACTIVE = "Active";
      e.DATECHANGE = 0;
    }
  } else if (label == "VelCli") {
    auto& c = *static_cast<rec::VelCli*>(out);
    auto from = kClientLetters.find(letter);
    if (from == std::string_view::npos) return;
    auto skips = [&](char l) { return kClientLetters.find(l) >= from; };
    if (skips('H')) {
      c.S_ACTIVE = "Active";
      c.S_CHANGEDATE = 0;
    }
    if (skips('I')) {
      c.AGE_COMM = comm.agent;
      c.COL_COMM = comm.collector;
    }
    if (skips('J')) {
      if (c.OPTION == "Family 10") c.OPTION = "1 Plus 9";
      c.BENEFIT = 10000;
      c.HAM_BYTE = 0;
      c.HAMPER = 0;
      c.PLANPREM = 0;
    }
    c.STRNO.clear();
  } else if (label == "VelTra") {
    // Layout B's RISK, ADMIN and AGE_COMM were the premium's split, not the
    // commissions the current fields hold: the agent's share starts at 0
    // with the others, never carried over under the same name.
    auto& t = *static_cast<rec::VelTra*>(out);
    t.PAYOVER = 0;
    t.COLL_COMM = 0;
    t.AGE_COMM = 0;
  } else if (label == "VelChd") {
    auto& ch = *static_cast<rec::VelChd*>(out);
    if (letter == "A") {
      ch.ACTIVE = "Active";
      ch.DATECHANGE = 0;
    }
  }
  // Agent, BDetal, VelInv, VelPay and Users: the new fields start
  // blank or zero, and the dropped ones are simply not copied.
}

// Premium and benefit of an extended-family member who becomes a child, by
// age band. Members past 26 keep neither.
void rateExtendedChild(rec::VelChd& ch, int age) {
  if (age < 0 || age > 26) return;
  ch.PREMIUM = age <= 13 ? 15 : 20;
  ch.C1_BENEFIT = age < 1 ? 1000 : age <= 5 ? 2000 : age <= 13 ? 5000 : 10000;
}

// The numbers of the children of client `id` already in VelChd; an engine
// code other than 0 when they could not be read.
int childNumbersOnFile(EngineFile& chd, const Text<10>& id, std::vector<std::int64_t>& numbers) {
  numbers.clear();
  if (id.blank()) return ecode::kNone;
  const Layout& l = layoutOf<rec::VelChd>();
  rec::VelChd have;
  have.CLIENT_ID = id;
  int got = chd.get(l.keyIndex("By_Client"), &have);
  // Keys find a client id whatever the case of its letters; so does the loop.
  while (got == ecode::kNone && equalsNoCase(have.CLIENT_ID.str(), id.str())) {
    numbers.push_back(have.NUMBER);
    got = chd.next(&have);
  }
  return got == ecode::kNoRecord || got == ecode::kRecordNotFound ? ecode::kNone : got;
}

// The extended family of one client, read by client from VelExt in
// whichever layout it holds (the fields used are in every one of them).
class ExtendedFamily {
 public:
  ExtendedFamily(const Layout& l, EngineFile& file)
      : l_(l),
        file_(file),
        buf_(l),
        byClient_(l.keyIndex("By_Client")),
        id_(l.fieldIndex("CLIENT_ID")),
        surname_(l.fieldIndex("SURNAME")),
        first_(l.fieldIndex("FIRSTNAME")),
        idNo_(l.fieldIndex("ID_NUMBER")),
        dob_(l.fieldIndex("DOB")),
        gender_(l.fieldIndex("GENDER")) {}

  // Fills `child` from each member of client `id` in turn and calls `take`
  // (which stops the walk by answering false). An engine code other than 0
  // when the members could not be read.
  template <class Take>
  int each(const Text<10>& id, rec::VelChd& child, std::int32_t today, Take take) {
    if (id.blank()) return ecode::kNone;
    void* e = buf_.get();
    l_.clear(e);
    text(id_) = id.text();
    int got = file_.get(byClient_, e);
    while (got == ecode::kNone && equalsNoCase(rtrim(text(id_)), id.str())) {
      layoutOf<rec::VelChd>().clear(&child);
      std::string surname(rtrim(text(surname_)));
      if (surname.size() > 20) surname.resize(20);
      child.C1_SURNAME = surname;
      child.C1_FIRSTNAME = std::string(rtrim(text(first_)));
      child.C1_ID_NUMBER = std::string(rtrim(text(idNo_)));
      child.C1_DOB = l_.field(e, dob_).whole();
      child.GENDER = std::string(rtrim(text(gender_)));
      if (child.C1_DOB.value != 0) {
        const int age = ageOn(static_cast<std::int32_t>(child.C1_DOB.value), today);
        child.C1_AGE = age;
        rateExtendedChild(child, age);
      }
      if (!take()) return ecode::kNone;
      got = file_.next(e);
    }
    return got == ecode::kNoRecord || got == ecode::kRecordNotFound ? ecode::kNone : got;
  }

 private:
  std::string& text(int field) { return l_.field(buf_.get(), field).text(); }

  const Layout& l_;
  EngineFile& file_;
  RecordBuffer buf_;
  int byClient_, id_, surname_, first_, idNo_, dob_, gender_;
};

// The five children held inside a client of the first layout, in order.
void inlineChildren(const rec::older::VelCliG& o, rec::VelChd (&kids)[5]) {
  const struct {
    const Text<20>& surname;
    const Text<20>& first;
    const Text<13>& id;
    const Long& dob;
    const Real& benefit;
    const Short& age;
  } held[] = {
      {o.C1_SURNAME, o.C1_FIRSTNAME, o.C1_ID_NUMBER, o.C1_DOB, o.C1_BENEFIT, o.C1_AGE},
      {o.C2_SURNAME, o.C2_FIRSTNAME, o.C2_ID_NUMBER, o.C2_DOB, o.C2_BENEFIT, o.C2_AGE},
      {o.C3_SURNAME, o.C3_FIRSTNAME, o.C3_ID_NUMBER, o.C3_DOB, o.C3_BENEFIT, o.C3_AGE},
      {o.C4_SURNAME, o.C4_FIRSTNAME, o.C4_ID_NUMBER, o.C4_DOB, o.C4_BENEFIT, o.C4_AGE},
      {o.C5_SURNAME, o.C5_FIRSTNAME, o.C5_ID_NUMBER, o.C5_DOB, o.C5_BENEFIT, o.C5_AGE},
  };
  for (int k = 0; k < 5; ++k) {
    rec::VelChd& ch = kids[k];
    layoutOf<rec::VelChd>().clear(&ch);
    ch.C1_SURNAME = held[k].surname.text();
    ch.C1_FIRSTNAME = held[k].first.text();
    ch.C1_ID_NUMBER = held[k].id.text();
    ch.C1_DOB = held[k].dob.value;
    ch.C1_BENEFIT = held[k].benefit.value;
    ch.C1_AGE = held[k].age.value;
  }
}

}  // namespace

const std::vector<std::string>& conversionOrder() {
  static const std::vector<std::string> order{"Agent",  "BDetal", "VelAud", "VelAge",
                                              "VelExt", "VelCli", "VelChd", "VelInv",
                                              "VelPay", "VelTra", "Users"};
  return order;
}

// One opened file with the layout it opened with.
struct Conversion::Source {
  const Layout* layout = nullptr;
  std::unique_ptr<EngineFile> file;
};

Conversion::Conversion(std::string folder, Engine& engine, Ui& ui, const Clock& clock,
                       std::string owner)
    : folder_(std::move(folder)),
      engine_(engine),
      ui_(ui),
      clock_(clock),
      owner_(std::move(owner)) {}

std::string Conversion::path(std::string_view diskName) const {
  return folder_.empty() ? std::string(diskName) : folder_ + "/" + std::string(diskName);
}

std::string Conversion::tpsPath(const std::string& label) const {
  return path(findFile(label)->diskName());
}

std::string Conversion::newPath(const std::string& label) const {
  return path("n" + findFile(label)->diskName());
}

std::string Conversion::oldPath(const std::string& label) const {
  std::string disk = findFile(label)->diskName();
  return path(disk.substr(0, disk.size() - 4) + ".Old");
}

void Conversion::step(const std::string& label, ConversionStep s) {
  if (afterStep) afterStep(label, s);
}

Progress& Conversion::window() {
  if (!window_) window_ = ui_.progress("Converting Files", "");
  return *window_;
}

void Conversion::showFile(const std::string& label) {
  Progress& w = window();
  percent_ = 0;
  shown_ = 0;
  w.setPercent(0);
  w.setText(statusText(label));
}

void Conversion::advance() {
  percent_ += step_;
  int p = std::min(100, static_cast<int>(percent_));
  if (p != shown_) {
    shown_ = p;
    window().setPercent(p);
  }
}

Conversion::Outcome Conversion::failed(const std::string& label, const std::string& what) {
  report_.failure = label + ": " + what;
  ui_.message("The conversion of the " + label + " file stopped: " + what +
                  "|Nothing has been lost; it is done again at the next start.",
              "File Conversion", Icon::Exclamation, kOk, kOk);
  return Outcome::Failed;
}

// Opens a file read-write with its current layout or, failing that with 47,
// with the first older layout that fits. 47 when none fits.
int Conversion::openAny(const std::string& label, Source& src) {
  const FileDecl* decl = findFile(label);
  std::vector<const Layout*> tries{decl->layout};
  for (const Layout* l : olderLayouts(label)) tries.push_back(l);
  int code = ecode::kInvalidLayout;
  for (const Layout* l : tries) {
    code = engine_.open(*l, tpsPath(label), OpenMode{}, owner_, src.file);
    if (code == ecode::kNone) {
      src.layout = l;
      return code;
    }
    if (code != ecode::kInvalidLayout) return code;
  }
  return code;
}

// Whether any file is in an older layout or a conversion was cut short.
// Only looks: a folder with nothing to do is left exactly as it is.
bool Conversion::needsWork() {
  for (const std::string& label : conversionOrder()) {
    if (exists(newPath(label))) return true;
    std::unique_ptr<EngineFile> f;
    if (engine_.open(*findFile(label)->layout, tpsPath(label), OpenMode{}, owner_, f) ==
        ecode::kInvalidLayout)
      return true;
  }
  return false;
}

ConversionReport Conversion::run() {
  report_ = {};
  // Older layouts live only in record files of a data folder: the swaps
  // below rename files on disk. A database holds the tables migrate made in
  // the current layout, and a table in another one is refused on opening.
  if (!recordsOnDisk(engine_)) return report_;
  if (!needsWork()) return report_;
  // Two stations started together would each take the other's half-built
  // file for a stale one. The first to get here converts; the other waits
  // for it and then finds the files converted.
  const std::string lockPath = path("Convert.Lck");
  const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT, 0666);
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  if (lock < 0 || ::fcntl(lock, F_SETLKW, &whole) != 0) {
    if (lock >= 0) ::close(lock);
    report_.stopped = true;
    failed("Convert.Lck",
           std::string("the conversion could not be reserved: ") + std::strerror(errno));
    return report_;
  }
  for (const std::string& label : conversionOrder()) {
    if (!recover(label) || checkFile(label) == Outcome::Failed) {
      report_.stopped = true;
      break;
    }
  }
  window_.reset();
  ::close(lock);  // frees the lock
  return report_;
}

Conversion::Outcome Conversion::checkFile(const std::string& label) {
  std::unique_ptr<EngineFile> f;
  int code = engine_.open(*findFile(label)->layout, tpsPath(label), OpenMode{}, owner_, f);
  f.reset();
  if (code != ecode::kInvalidLayout) return Outcome::NotNeeded;
  return convertFile(label);
}

Conversion::Outcome Conversion::convertFile(const std::string& label) {
  showFile(label);
  Source src;
  for (const Layout* l : olderLayouts(label)) {
    int code = engine_.open(*l, tpsPath(label), OpenMode{}, owner_, src.file);
    if (code == ecode::kNone) {
      src.layout = l;
      break;
    }
    if (code != ecode::kInvalidLayout)
      return failed(label, "the file could not be opened: " + lastText());
  }
  if (!src.layout) {
    ui_.message("Invalid " + statusText(label), "Invalid Record Declaration", Icon::Exclamation,
                kOk, kOk);
    report_.invalid.push_back(label);
    return Outcome::Invalid;
  }
  if (label == "VelAge") {
    src.file.reset();
    return rebuildAgeing();
  }
  if (label == "VelCli" && src.layout->variant() == "G") return splitClients(src);
  return copyFile(label, src);
}

Conversion::Outcome Conversion::copyFile(const std::string& label, Source& src) {
  const Layout& cur = *findFile(label)->layout;
  const std::string n = newPath(label);
  discard(n);
  std::unique_ptr<EngineFile> dst;
  if (engine_.create(cur, n, owner_) || engine_.open(cur, n, OpenMode{}, owner_, dst))
    return failed(label, "the new file " + n + " could not be made: " + lastText());

  std::int64_t count = 0;
  if (src.file->records(count))
    return failed(label, "the records could not be counted: " + lastText());
  step_ = count > 0 ? 100.0 / static_cast<double>(count) : 0;

  Commission comm;
  if (label == "VelCli") {
    Source cs;
    const Layout& cl = layoutOf<rec::CommStr>();
    if (engine_.open(cl, path(findFile("CommStr")->diskName()), OpenMode{}, owner_, cs.file) == 0) {
      RecordBuffer r(cl);
      cs.file->setOrder(kPhysicalOrder);
      if (cs.file->next(r.get()) == 0) {
        comm.agent = static_cast<rec::CommStr*>(r.get())->AGENT;
        comm.collector = static_cast<rec::CommStr*>(r.get())->COLL;
      }
    }
  }

  const Layout& old = *src.layout;
  const auto pairs = sameNamedFields(old, cur);
  RecordBuffer in(old), out(cur);
  std::unique_ptr<Transaction> tx;
  if (engine_.begin({dst.get()}, kTransactionWait, tx))
    return failed(label, "the new file could not be written: " + lastText());
  src.file->setOrder(kPhysicalOrder);
  std::int64_t running = 0;
  int inGroup = 0, rc = 0;
  while ((rc = src.file->next(in.get())) == ecode::kNone) {
    ++running;
    cur.clear(out.get());
    copyFields(pairs, old, in.get(), cur, out.get());
    applyDefaults(label, old.variant(), out.get(), running, comm);
    if (dst->add(out.get()))
      return failed(label,
                    "record " + std::to_string(running) + " could not be added: " + lastText());
    advance();
    if (++inGroup == groupSize) {
      if (tx->commit()) return failed(label, "the new file could not be written: " + lastText());
      tx.reset();
      step(label, ConversionStep::Copying);
      if (engine_.begin({dst.get()}, kTransactionWait, tx))
        return failed(label, "the new file could not be written: " + lastText());
      inGroup = 0;
    }
  }
  if (rc != ecode::kNoRecord)
    return failed(label,
                  "record " + std::to_string(running + 1) + " could not be read: " + lastText());
  if (tx->commit()) return failed(label, "the new file could not be written: " + lastText());
  tx.reset();
  dst.reset();
  src.file.reset();
  step(label, ConversionStep::Copied);
  return swap(label);
}

// The ageing file is not copied: one record per client, the client's
// premium current, rebuilt in client order.
Conversion::Outcome Conversion::rebuildAgeing() {
  const std::string label = "VelAge";
  const Layout& cur = layoutOf<rec::VelAge>();

  std::string branch;
  {
    std::unique_ptr<EngineFile> cf;
    const Layout& cl = layoutOf<rec::Config>();
    if (engine_.open(cl, path(findFile("Config")->diskName()), OpenMode{}, owner_, cf) == 0) {
      RecordBuffer r(cl);
      cf->setOrder(kPhysicalOrder);
      if (cf->next(r.get()) == 0) branch = static_cast<rec::Config*>(r.get())->BRANCH_ID.text();
    }
  }

  Source cli;
  int code = openAny("VelCli", cli);
  if (code && code != ecode::kFileNotFound)
    return failed(label, "the clients could not be read: " + lastText());

  const std::string n = newPath(label);
  discard(n);
  std::unique_ptr<EngineFile> dst;
  if (engine_.create(cur, n, owner_) || engine_.open(cur, n, OpenMode{}, owner_, dst))
    return failed(label, "the new file " + n + " could not be made: " + lastText());

  if (cli.file) {
    const Layout& cl = *cli.layout;
    const int id = cl.fieldIndex("CLIENT_ID"), premium = cl.fieldIndex("PREMIUM");
    std::int64_t count = 0;
    if (cli.file->records(count))
      return failed(label, "the clients could not be counted: " + lastText());
    step_ = count > 0 ? 100.0 / static_cast<double>(count) : 0;
    cli.file->setReadFields({id, premium});
    cli.file->setOrder(cl.keyIndex("By_Client"));
    RecordBuffer in(cl), out(cur);
    auto& age = *static_cast<rec::VelAge*>(out.get());
    std::unique_ptr<Transaction> tx;
    if (engine_.begin({dst.get()}, kTransactionWait, tx))
      return failed(label, "the new file could not be written: " + lastText());
    int inGroup = 0, rc = 0;
    while ((rc = cli.file->next(in.get())) == ecode::kNone) {
      cur.clear(out.get());
      age.CLIENT_ID = cl.field(in.get(), id).text();
      age.TOTAL = age.CURRENT = cl.field(in.get(), premium).real();
      age.BRANCH_ID = branch;
      if (dst->add(out.get()))
        return failed(
            label, "the ageing of " + age.CLIENT_ID.text() + " could not be added: " + lastText());
      advance();
      if (++inGroup == groupSize) {
        if (tx->commit()) return failed(label, "the new file could not be written: " + lastText());
        tx.reset();
        step(label, ConversionStep::Copying);
        if (engine_.begin({dst.get()}, kTransactionWait, tx))
          return failed(label, "the new file could not be written: " + lastText());
        inGroup = 0;
      }
    }
    if (rc != ecode::kNoRecord)
      return failed(label, "the clients could not be read: " + lastText());
    if (tx->commit()) return failed(label, "the new file could not be written: " + lastText());
  }
  dst.reset();
  cli.file.reset();
  step(label, ConversionStep::Copied);
  return swap(label);
}

// The first client layout held up to five children in the client record and
// kept extended family apart. Each client is copied; its children and its
// extended family become children in VelChd, numbered 1 to 5 and from 6 on;
// its home town goes to Town. A child already on file under the same client
// and number is not added again, so a split begun twice adds each child once.
Conversion::Outcome Conversion::splitClients(Source& src) {
  const std::string label = "VelCli";
  auto splitting = ui_.progress("Please Wait", "Moving children and extended family");

  // The children's file must be in the current layout before children are
  // added to it.
  {
    std::unique_ptr<EngineFile> probe;
    int code = engine_.open(layoutOf<rec::VelChd>(), tpsPath("VelChd"), OpenMode{}, owner_, probe);
    probe.reset();
    if (code == ecode::kInvalidLayout) {
      src.file.reset();
      Outcome o = convertFile("VelChd");
      if (o != Outcome::Done)
        return o == Outcome::Failed ? o : failed(label, "VelChd could not be converted first");
      showFile(label);
      if (openAny(label, src) || src.layout->variant() != "G")
        return failed(label, "the clients could not be opened again: " + lastText());
    } else if (code != ecode::kNone && code != ecode::kFileNotFound) {
      return failed(label, "the children's file could not be opened: " + lastText());
    }
  }

  const Layout& cur = layoutOf<rec::VelCli>();
  const Layout& chdL = layoutOf<rec::VelChd>();
  const Layout& townL = layoutOf<rec::Town>();
  std::unique_ptr<EngineFile> chd, town, dst;
  const std::string chdPath = tpsPath("VelChd"), townPath = tpsPath("Town");
  if (engine_.create(chdL, chdPath, owner_) || engine_.open(chdL, chdPath, OpenMode{}, owner_, chd))
    return failed(label, "the children's file could not be opened: " + lastText());
  if (engine_.create(townL, townPath, owner_) ||
      engine_.open(townL, townPath, OpenMode{}, owner_, town))
    return failed(label, "the towns file could not be opened: " + lastText());

  Source ext;
  int extCode = openAny("VelExt", ext);
  if (extCode && extCode != ecode::kFileNotFound)
    return failed(label, "the extended family could not be read: " + lastText());

  const std::string n = newPath(label);
  discard(n);
  if (engine_.create(cur, n, owner_) || engine_.open(cur, n, OpenMode{}, owner_, dst))
    return failed(label, "the new file " + n + " could not be made: " + lastText());

  std::int64_t count = 0;
  if (src.file->records(count))
    return failed(label, "the records could not be counted: " + lastText());
  step_ = count > 0 ? 100.0 / static_cast<double>(count) : 0;

  const Layout& old = *src.layout;
  const auto pairs = sameNamedFields(old, cur);
  RecordBuffer in(old), out(cur);
  auto& o = *static_cast<rec::older::VelCliG*>(in.get());
  auto& c = *static_cast<rec::VelCli*>(out.get());
  const std::int32_t today = clock_.today();
  std::unique_ptr<ExtendedFamily> family;
  if (ext.file) family = std::make_unique<ExtendedFamily>(*ext.layout, *ext.file);

  std::unique_ptr<Transaction> tx;
  auto begin = [&] {
    return engine_.begin({dst.get(), chd.get(), town.get()}, kTransactionWait, tx) == 0;
  };
  if (!begin()) return failed(label, "the new files could not be written: " + lastText());

  std::vector<std::int64_t> numbers;  // children of this client already on file
  rec::VelChd child;
  auto addChild = [&](rec::VelChd& ch, std::int64_t number) -> bool {
    if (std::find(numbers.begin(), numbers.end(), number) != numbers.end()) return true;
    ch.CLIENT_ID = c.CLIENT_ID;
    ch.SENT = 0;
    ch.NUMBER = number;
    ch.ACTIVE = "Active";
    ch.DATECHANGE = 0;
    return chd->add(&ch) == ecode::kNone;
  };
  auto childFailed = [&] {
    return failed(label, "a child of " + c.CLIENT_ID.text() + " could not be added: " + lastText());
  };

  src.file->setOrder(kPhysicalOrder);
  std::int64_t running = 0;
  int inGroup = 0, rc = 0;
  while ((rc = src.file->next(in.get())) == ecode::kNone) {
    ++running;
    cur.clear(out.get());
    copyFields(pairs, old, in.get(), cur, out.get());
    c.OPTION = o.OPTION.text();
    c.COVER = "10000";
    c.ACTIVE = "Active";

    if (childNumbersOnFile(*chd, c.CLIENT_ID, numbers))
      return failed(label,
                    "the children of " + c.CLIENT_ID.text() + " could not be read: " + lastText());
    rec::VelChd held[5];
    inlineChildren(o, held);
    // A client without an id has no way to its children; theirs stay in
    // VelCli.Old rather than be added anew each time a split is begun.
    for (int k = 0; k < 5 && !c.CLIENT_ID.blank(); ++k)
      if (!held[k].C1_SURNAME.blank() && !addChild(held[k], k + 1)) return childFailed();
    if (family) {
      std::int64_t number = 6;
      bool added = true;
      int got = family->each(c.CLIENT_ID, child, today,
                             [&] { return added = addChild(child, number++); });
      if (!added) return childFailed();
      if (got)
        return failed(label, "the extended family of " + c.CLIENT_ID.text() +
                                 " could not be read: " + lastText());
    }

    // The town list keeps one record per town: a town already there is
    // refused by its unique key, which is what is wanted.
    if (!o.H_ADDR3.blank()) {
      rec::Town place;
      place.TOWN = o.H_ADDR3.text();
      int added = town->add(&place);
      if (added && added != ecode::kDuplicateKey)
        return failed(label, "the town " + o.H_ADDR3.text() + " could not be added: " + lastText());
    }

    if (dst->add(out.get()))
      return failed(label,
                    "record " + std::to_string(running) + " could not be added: " + lastText());
    advance();
    if (++inGroup == std::min(groupSize, kSharedGroup)) {
      if (tx->commit()) return failed(label, "the new files could not be written: " + lastText());
      tx.reset();
      step(label, ConversionStep::Copying);
      if (!begin()) return failed(label, "the new files could not be written: " + lastText());
      inGroup = 0;
    }
  }
  if (rc != ecode::kNoRecord)
    return failed(label,
                  "record " + std::to_string(running + 1) + " could not be read: " + lastText());
  if (tx->commit()) return failed(label, "the new files could not be written: " + lastText());
  tx.reset();
  dst.reset();
  chd.reset();
  town.reset();
  ext.file.reset();
  src.file.reset();
  step(label, ConversionStep::Copied);

  // The extended family are children now. VelExt is put aside before the
  // clients are swapped, so that a run cut short in between finds no
  // extended family to make children of a second time.
  // It is kept as VelExt.Old, unless that already holds the same records in
  // their older layout, converted in this run.
  const std::string extTps = tpsPath("VelExt"), extOld = oldPath("VelExt");
  const bool convertedNow = std::find(report_.converted.begin(), report_.converted.end(),
                                      "VelExt") != report_.converted.end();
  if (exists(extTps)) {
    if (convertedNow && exists(extOld)) {
      discard(extTps);
    } else if (::rename(extTps.c_str(), extOld.c_str()) != 0) {
      return failed(label, "VelExt could not be put aside: " + std::string(std::strerror(errno)));
    }
    syncFolder(folder_);
  }
  step(label, ConversionStep::ExtendedRemoved);
  return swap(label);
}

// The old file keeps its records as .Old and the new one takes the .Tps
// name. The .Tps name is first linked to the .Old name, so that the rename
// that puts the new file in place replaces the old one in a single step; a
// folder without hard links renames the .Tps file to .Old first, and a run
// cut short between the two renames is finished at the next start.
Conversion::Outcome Conversion::swap(const std::string& label) {
  const std::string tps = tpsPath(label), n = newPath(label), old = oldPath(label);
  if (::unlink(old.c_str()) != 0 && errno != ENOENT)
    return failed(label, old + " could not be removed: " + std::strerror(errno));
  ::unlink((old + "-journal").c_str());
  step(label, ConversionStep::OldRemoved);
  if (::link(tps.c_str(), old.c_str()) != 0 && ::rename(tps.c_str(), old.c_str()) != 0)
    return failed(label, tps + " could not be kept as " + old + ": " + std::strerror(errno));
  syncFolder(folder_);
  step(label, ConversionStep::OldKept);
  if (::rename(n.c_str(), tps.c_str()) != 0)
    return failed(label, n + " could not take the name " + tps + ": " + std::strerror(errno));
  syncFolder(folder_);
  step(label, ConversionStep::Swapped);
  report_.converted.push_back(label);
  return Outcome::Done;
}

// A new file left by a run that was cut short. It is put in place when it is
// complete and the swap had begun (the old records are already kept as
// .Old); otherwise it is thrown away, and the conversion is done again from
// the old file, which is never touched before the new one is complete.
bool Conversion::recover(const std::string& label) {
  const std::string tps = tpsPath(label), n = newPath(label), old = oldPath(label);
  if (!exists(n)) return true;
  const bool haveTps = exists(tps), haveOld = exists(old);
  const bool swapBegun = haveOld && (!haveTps || sameFile(tps, old));
  if (swapBegun && newFileComplete(label)) {
    if (::rename(n.c_str(), tps.c_str()) != 0) {
      failed(label, n + " could not take the name " + tps + ": " + std::strerror(errno));
      return false;
    }
    syncFolder(folder_);
    report_.finished.push_back(label);
    return true;
  }
  if (!haveTps && !haveOld) {
    // Only the new file is left (the .Old removed by hand): it may be the
    // only copy of the records, so it is put in place when it can be read,
    // rather than leave the name free for an empty file.
    std::unique_ptr<EngineFile> nf;
    if (engine_.open(*findFile(label)->layout, n, OpenMode{}, owner_, nf) == ecode::kNone) {
      nf.reset();
      if (::rename(n.c_str(), tps.c_str()) == 0) {
        syncFolder(folder_);
        report_.finished.push_back(label);
        return true;
      }
    }
    failed(label, n + " is there without " + tps + " or " + old + "; it has been left as it is");
    return false;
  }
  if (!haveTps && ::rename(old.c_str(), tps.c_str()) != 0) {
    failed(label, old + " could not be put back as " + tps + ": " + std::strerror(errno));
    return false;
  }
  discard(n);
  syncFolder(folder_);
  return true;
}

// Whether the new file holds every record the conversion would have put in
// it: one per record of the old file, or for the ageing one per client.
bool Conversion::newFileComplete(const std::string& label) {
  std::unique_ptr<EngineFile> nf;
  if (engine_.open(*findFile(label)->layout, newPath(label), OpenMode{}, owner_, nf)) return false;
  std::int64_t have = 0;
  if (nf->records(have)) return false;
  nf.reset();

  std::int64_t want = -1;
  if (label == "VelAge") {
    Source cli;
    int code = openAny("VelCli", cli);
    if (code == ecode::kFileNotFound) return have == 0;
    if (code) return false;
    const Layout& cl = *cli.layout;
    cli.file->setReadFields({cl.fieldIndex("CLIENT_ID")});
    cli.file->setOrder(cl.keyIndex("By_Client"));
    RecordBuffer r(cl);
    want = 0;
    int rc = 0;
    while ((rc = cli.file->next(r.get())) == ecode::kNone) ++want;
    if (rc != ecode::kNoRecord) return false;
  } else {
    for (const Layout* l : olderLayouts(label)) {
      std::unique_ptr<EngineFile> of;
      if (engine_.open(*l, oldPath(label), OpenMode{Access::ReadOnly}, owner_, of)) continue;
      if (of->records(want)) return false;
      break;
    }
  }
  return want >= 0 && have == want;
}

ConversionReport convertOlderFiles(DataFiles& files, Ui& ui, const Clock& clock) {
  StoreContext& ctx = files.context();
  Conversion conversion(ctx.folder, *ctx.engine, ui, clock, ctx.owner);
  return conversion.run();
}

void hookConversion(StartupHooks& hooks, DataFiles& files, Ui& ui, const Clock& clock) {
  hooks.convertOlderFiles = [&files, &ui, &clock] { convertOlderFiles(files, ui, clock); };
}

}  // namespace vel
