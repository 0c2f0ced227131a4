// The hamper club's member list, "Hampers", and the member form, "Hamper",
// as data and rules without windows.
//
// Browse_Hamper lists the members in three orders (client number, name,
// identity number), each with its locator; beside it the highlighted
// member's ageing, remarks, invoices and payments, read by key over that
// member's rows only, with "Accept Hamper Payments here" under the payments.
// The member buttons run Update_Hamper; a member the form added gets his
// first charge on the hamper ledger at once, as a new policy does on its own.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "dictionary/LedgerFiles.h"
#include "forms/FormDecl.h"
#include "forms/FormSettings.h"
#include "ledger/Postings.h"
#include "platform/Clock.h"

namespace vel {

class Catalog;
class DataFiles;

inline constexpr const char* kBrowseHamper = "Browse_Hamper";
inline constexpr const char* kHamperAgeing = "Browse_Hamper_Ageing";
inline constexpr const char* kHamperInvoices = "Browse_Hamper_Invoices";
inline constexpr const char* kHamperPayments = "Browse_Hamper_Payments";
inline constexpr const char* kUpdateHamper = "Update_Hamper";
// The payment and invoice forms of the hamper ledger, opened by the panels.
inline constexpr const char* kUpdateHamPay = "Update_HamPay";
inline constexpr const char* kUpdateHamInvoice = "Update_HamInvoice";
inline constexpr const char* kHamperPaymentsLegend = "Accept Hamper Payments here";

// The highlighted member's print-outs, named by their buttons ("Print
// Collection List", "Print Client Info", "Print Route Info", "Statement");
// the period's cards ("Print Route Info per Period"); the highlighted
// payment's receipt ("Print Receipt"). Not given: the button does nothing.
struct HamperBrowsePrints {
  std::function<void(std::string_view button, const std::string& clientId)> member;
  std::function<void()> period;
  std::function<void(const rec::HamPay&)> receipt;
};

struct HamperBrowseSetup {
  // Runs the member form for a request over the current Hamper record and
  // returns its response. Not given: the member buttons do nothing.
  std::function<Response(Request)> memberForm;
  // Runs "Make a Payment" over the hamper ledger (Update_HamPay) for the
  // payments panel's insert (the member of CUR_CLIENT_ID) and change (the
  // highlighted payment). Not given: those buttons do nothing.
  std::function<Response(Request)> paymentForm;
  const Clock* clock = nullptr;        // the program's clock, for the ledger panels
  std::function<std::string()> user;   // the logged-in user (LOGPROG)
  HamperBrowsePrints prints;
};

// Declares the browse and its three panels in the catalog.
void addHamperBrowse(Catalog& catalog, HamperBrowseSetup setup);

// The member form as data: tabs "Personal" and "Remarks / SMS". The identity
// number is taken as on the client form: on a new member its first
// acceptance fills the date of birth, gender and citizenship title from it
// and shows the "ID Validation" summary. A new member's client number is
// formed from his running number and surname when the surname is accepted.
FormDecl hamperFormDecl(const Clock& clock);

// After the form added a member: CUR_CLIENT_ID is set to him. Unlike a new
// policy, a new hamper member gets no first charge here: the month's invoice
// run bills him (his INVOICED mark is left clear).
void afterMemberAdded(const rec::Hamper& member);

// "Edit Remarks" saving: REMARKS of the member at `position` becomes `text`
// and the record is put. False when it could not be read or put (shown).
bool saveHamperRemarks(DataFiles& files, const std::string& position, const std::string& text);

// Runs a member button: the form, and for a saved insert the first charge.
// Returns whether the list must be read again.
bool runMemberAction(DataFiles& files, Request request, const HamperBrowseSetup& setup);

}  // namespace vel
