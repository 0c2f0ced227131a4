#include "billing/InvoiceCorrection.h"

#include "dictionary/Dictionary.h"
#include "forms/Catalog.h"
#include "forms/FormDecl.h"
#include "ledger/InvoicePosting.h"
#include "recordstore/DataFiles.h"

namespace vel::billing {

void addInvoiceForm(Catalog& catalog, const Clock& clock, std::function<std::string()> user) {
  FormDecl f;
  f.procedure = std::string(kInvoiceFormName);
  f.file = "VelInv";
  f.title = "Invoice";
  EntryDecl id;
  id.prompt = "Client ID:";
  id.field = "CLIENT_ID";
  EntryDecl date;
  date.prompt = "Date:";
  date.field = "DATE";
  date.kind = EntryKind::Day;
  EntryDecl debit;
  debit.prompt = "Debit:";
  debit.field = "DEBIT";
  debit.kind = EntryKind::Number;
  debit.picture = "n-_10.2";
  f.tabs.push_back(TabDecl{"General", {id, date, debit}});
  f.store = [&clock, user](EntryContext& c) -> int {
    FileManager& inv = c.files.fm<rec::VelInv>();
    if (c.request != Request::Change || !c.loaded) return inv.Insert();
    ledger::InvoiceCorrection<ledger::BurialCover> correction;
    correction.position = inv.Position();
    correction.loaded = *static_cast<const rec::VelInv*>(c.loaded);
    correction.edited = *static_cast<const rec::VelInv*>(c.record);
    const ledger::PostingStamp stamp{ledger::officeBranch(c.files), user ? user() : std::string()};
    const auto r = ledger::postInvoiceCorrection(c.files, correction, stamp, clock.moment());
    return r == ledger::PostResult::Failed ? kFailed : kDone;
  };
  catalog.add(std::move(f));
}

}  // namespace vel::billing
