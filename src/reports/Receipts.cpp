#include "reports/Receipts.h"

#include <type_traits>

#include "common/Money.h"
#include "common/Picture.h"
#include "errors/ErrorManager.h"
#include "reports/ClientDocuments.h"

namespace vel {

namespace {

using report::Align;
using report::Font;
using report::Item;

rec::Config configOf(DataFiles& files) {
  FileManager& f = files.fm<rec::Config>();
  FileUse use(f);
  const int h = f.PushState();
  f.ClearBuffer();
  if (f.SetOrder(kPhysicalOrder) != kDone || f.TryReadNext() != kDone) f.ClearBuffer();
  rec::Config c = f.rec<rec::Config>();
  f.PopState(h);
  return c;
}

std::string postalText(std::int64_t code) {
  if (code <= 0) return {};
  std::string s = std::to_string(code);
  return std::string(s.size() < 4 ? 4 - s.size() : 0, '0') + s;
}

void addOneReceipt(report::Document& doc, const ReceiptLines& r, const std::string& scheme,
                   const std::string& branchLine) {
  const Font heading{16, true}, bold{9.5, true}, plain{9.5, false};
  const double w = doc.page.printableWidth();
  std::vector<Item> items;
  double y = 0;
  items.push_back(Item::textAt(0, y, w, 9, "RECEIPT", Align::Centre, heading));
  y += 11;
  items.push_back(Item::textAt(0, y, w, 6, scheme, Align::Centre, bold));
  y += 7;
  if (!branchLine.empty()) {
    items.push_back(Item::textAt(0, y, w, 5, branchLine, Align::Centre, plain));
    y += 6;
  }
  y += 4;
  auto line = [&](const std::string& caption, const std::string& value, bool strong = false) {
    items.push_back(Item::textAt(0, y, 45, 5, caption, Align::Left, bold));
    items.push_back(Item::textAt(47, y, w - 47, 5, value, Align::Left, strong ? bold : plain));
    y += 6;
  };
  line("Date:", formatPicture("d06", r.date));
  std::string name = r.initials.empty() ? r.surname : r.initials + " " + r.surname;
  line("Client Name:", name);
  for (const std::string& a : r.address)
    if (!a.empty()) line("", a);
  if (!r.postalCode.empty()) line("", r.postalCode);
  y += 3;
  line("Receipt Amount:", receiptAmount(r.amount), true);
  y += 3;
  items.push_back(
      Item::textAt(0, y, w, 5, "Received without prejudice of rights", Align::Left, plain));
  y += 9;
  line("Client Number:", r.clientId + "  " + r.surname);
  items.push_back(Item::boxAt(-2, -2, w + 4, y + 2));
  doc.addFreeBand(y + 4, std::move(items));
}

}  // namespace

ReceiptLines receiptOf(const rec::RecPrn& r) {
  ReceiptLines l;
  l.date = static_cast<std::int32_t>(r.DATE.value);
  l.initials = r.INIT.text();
  l.surname = r.SURNAME.text();
  l.address[0] = r.ADD1.text();
  l.address[1] = r.ADD2.text();
  l.address[2] = r.ADD3.text();
  l.postalCode = postalText(r.PCODE);
  l.amount = r.AMOUNT;
  l.clientId = r.CLIENTID.text();
  return l;
}

template <class Payment, class Member>
ReceiptLines receiptOf(const Payment& p, const Member& c) {
  ReceiptLines l;
  l.date = static_cast<std::int32_t>(p.DATE.value);
  l.initials = c.INITIALS.text();
  l.surname = c.SURNAME.text();
  l.address[0] = c.H_ADDR1.text();
  l.address[1] = c.H_ADDR2.text();
  l.address[2] = c.H_ADDR3.text();
  l.postalCode = postalText(c.H_CODE);
  l.amount = p.CREDIT;
  l.clientId = p.CLIENT_ID.text();
  return l;
}

template ReceiptLines receiptOf(const rec::VelPay&, const rec::VelCli&);
template ReceiptLines receiptOf(const rec::HamPay&, const rec::Hamper&);

std::string hamperReceiptCaption(const std::string& scheme) {
  return scheme + " - Hamper Savings Club";
}

std::string receiptAmount(double amount) { return "R" + fixedDecimal(amount, 2); }

report::Document receiptDocument(ReportContext& ctx, const std::vector<ReceiptLines>& receipts,
                                 const std::string& branchLine, const std::string& schemeCaption) {
  report::Document doc = startDocument(ctx, "Receipt", false);
  doc.showPageHeader = false;
  const rec::Config config = configOf(ctx.files);
  const std::string scheme = schemeCaption.empty()
                                 ? readSchemeTexts(ctx.files.folder(), config.NAME.text()).scheme
                                 : schemeCaption;
  bool first = true;
  for (const ReceiptLines& r : receipts) {
    if (!first) doc.addPageBreak();
    first = false;
    addOneReceipt(doc, r, scheme, branchLine);
  }
  return doc;
}

int printQueuedReceipts(ReportContext& ctx, ReportOutput& output) {
  FileManager& f = ctx.files.fm<rec::RecPrn>();
  FileUse use(f);
  std::vector<std::string> positions;
  std::vector<ReceiptLines> receipts;
  if (f.EnsureOpen() != kDone) return 0;
  if (!startWalk(ctx, f, kPhysicalOrder)) return 0;
  while (readNext(ctx, f)) {
    const rec::RecPrn& r = f.rec<rec::RecPrn>();
    if (r.PRINTED == 1) continue;
    positions.push_back(f.Position());
    receipts.push_back(receiptOf(r));
  }
  if (ctx.failed || receipts.empty()) return 0;
  output.present(receiptDocument(ctx, receipts));
  // Marked one by one: a receipt whose mark cannot be written simply prints
  // again with the next run, which is better than one never printed.
  for (const std::string& pos : positions) {
    if (f.Reget(pos) != kDone) continue;
    f.rec<rec::RecPrn>().PRINTED = 1;
    f.Update();
  }
  return static_cast<int>(receipts.size());
}

template <class L>
bool printLedgerReceipt(ReportContext& ctx, ReportOutput& output,
                        const typename L::Payment& payment) {
  using Member = typename L::Member;
  FileManager& c = ctx.files.fm<Member>();
  FileUse use(c);
  const int h = c.PushState();
  c.ClearBuffer();
  c.rec<Member>().CLIENT_ID = payment.CLIENT_ID.str();
  const bool found = c.GetByKey(c.keyIndex("By_Client")) == kDone;
  const Member client = c.rec<Member>();
  c.PopState(h);
  if (!found) return false;
  const rec::Config config = configOf(ctx.files);
  std::string branch = config.NAME.text();
  if (!config.BRANCH_ID.blank()) branch += " (" + config.BRANCH_ID.text() + ")";
  branch += "   " + formatPicture("d06", ctx.started.day) + " " +
            formatPicture("t01", ctx.started.time);
  std::string caption;
  if constexpr (std::is_same_v<L, ledger::HamperClub>)
    caption = hamperReceiptCaption(readSchemeTexts(ctx.files.folder(), config.NAME.text()).scheme);
  output.present(receiptDocument(ctx, {receiptOf(payment, client)}, branch, caption));
  return true;
}

template bool printLedgerReceipt<ledger::BurialCover>(ReportContext&, ReportOutput&,
                                                      const rec::VelPay&);
template bool printLedgerReceipt<ledger::HamperClub>(ReportContext&, ReportOutput&,
                                                     const rec::HamPay&);

}  // namespace vel
