// The ledger descriptor: which files make one ledger.
//
// The office keeps two ledgers with the same layouts: the burial cover
// (members in VelCli, ledger in VelAge, VelInv, VelTra, VelPay) and the
// hamper savings club (members in Hamper, ledger in HamAge, HamInv, HamTra,
// HamPay). Every posting rule in this folder is written once as a template
// over a descriptor and instantiated for both, so the two ledgers can never
// drift apart.
#pragma once

#include <string_view>

#include "dictionary/LedgerFiles.h"
#include "dictionary/MemberFiles.h"

namespace vel::ledger {

// The burial-cover ledger of the policy holders.
struct BurialCover {
  using Member = rec::VelCli;
  using Ageing = rec::VelAge;
  using Invoice = rec::VelInv;
  using Entry = rec::VelTra;  // the transaction ledger
  using Payment = rec::VelPay;
  static constexpr std::string_view kName = "Velmora";
};

// The hamper savings club's ledger.
struct HamperClub {
  using Member = rec::Hamper;
  using Ageing = rec::HamAge;
  using Invoice = rec::HamInv;
  using Entry = rec::HamTra;
  using Payment = rec::HamPay;
  static constexpr std::string_view kName = "Hamper";
};

// The transaction types the ledger writes.
inline constexpr std::string_view kInvoiceType = "Invoice";
inline constexpr std::string_view kPaymentType = "Payment";

}  // namespace vel::ledger
