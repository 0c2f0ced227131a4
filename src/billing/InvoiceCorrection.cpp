#include "billing/InvoiceCorrection.h"

#include <type_traits>

#include "dictionary/Dictionary.h"
#include "forms/Catalog.h"
#include "forms/FormDecl.h"
#include "ledger/InvoicePosting.h"
#include "recordstore/DataFiles.h"

namespace vel::billing {

template <class L>
void addLedgerInvoiceForm(Catalog& catalog, const Clock& clock, std::function<std::string()> user) {
  constexpr bool hamper = std::is_same_v<L, ledger::HamperClub>;
  FormDecl f;
  f.procedure = std::string(hamper ? kHamperInvoiceFormName : kInvoiceFormName);
  f.file = hamper ? "HamInv" : "VelInv";
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
    FileManager& inv = c.files.fm<typename L::Invoice>();
    if (c.request != Request::Change || !c.loaded) return inv.Insert();
    ledger::InvoiceCorrection<L> correction;
    correction.position = inv.Position();
    correction.loaded = *static_cast<const typename L::Invoice*>(c.loaded);
    correction.edited = *static_cast<const typename L::Invoice*>(c.record);
    const ledger::PostingStamp stamp{ledger::officeBranch(c.files), user ? user() : std::string()};
    const auto r = ledger::postInvoiceCorrection(c.files, correction, stamp, clock.moment());
    return r == ledger::PostResult::Failed ? kFailed : kDone;
  };
  catalog.add(std::move(f));
}

template void addLedgerInvoiceForm<ledger::BurialCover>(Catalog&, const Clock&,
                                                        std::function<std::string()>);
template void addLedgerInvoiceForm<ledger::HamperClub>(Catalog&, const Clock&,
                                                       std::function<std::string()>);

}  // namespace vel::billing
