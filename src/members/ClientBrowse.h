// The policy holders' list, "Policy Holders", and its rules without windows.
//
// Browse_Client lists every policy holder in three orders (surname, identity
// number, client number), each with its locator; beside it four panels show
// the highlighted client's ageing, remarks, invoices and payments, each read
// by key over that client's rows only. The policy buttons run the client
// form; after the form saved a new policy, its first charge is posted here.
//
// On the client list the Insert, Delete and Enter keys do nothing (the
// buttons must be used) and a right click only gives the clerk a message.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/MemberFiles.h"
#include "forms/FormSettings.h"
#include "ledger/Postings.h"
#include "platform/Clock.h"

namespace vel {

class Catalog;
class DataFiles;
class Ui;

// Procedure names of the browse and of its panels' lists.
inline constexpr const char* kBrowseClient = "Browse_Client";
inline constexpr const char* kClientAgeing = "Browse_Client_Ageing";
inline constexpr const char* kClientInvoices = "Browse_Client_Invoices";
inline constexpr const char* kClientPayments = "Browse_Client_Payments";
inline constexpr const char* kClientSelect = "Browse_Client_Select";
inline constexpr const char* kPickList = "Browse_PrnCli";

// The highlighted client's print-outs, named by their buttons ("Print
// Documentation", "Statement", "Print Client Info", "Print Route Info",
// "Print Collection List"). Not given: those buttons do nothing.
using ClientPrint = std::function<void(std::string_view button, const std::string& clientId)>;

// The browse's print-outs.
struct ClientBrowsePrints {
  ClientPrint client;            // the highlighted client's
  std::function<void()> period;  // "Print Route Info per Period"
};

// Runs the client form with a request over the current VelCli record and
// returns its response. Not given: the policy buttons do nothing.
using ClientFormRunner = std::function<Response(Request)>;

struct ClientBrowseSetup {
  ClientFormRunner clientForm;
  const Clock* clock = nullptr;  // the program's clock (none: nothing is posted)
  std::function<std::string()> user;  // the logged-in user (LOGPROG)
  // Runs the payment form ("Make a Payment") for the payments panel's
  // insert (after preparePayment) and change, and prints the receipt of the
  // highlighted payment for its "Print Receipt" button. Not given: the
  // panel's insert and change open the declared form, and no receipt prints.
  std::function<Response(Request)> paymentForm;
  std::function<void(const rec::VelPay&)> printReceipt;
};

// Declares the browse and its three panel lists (ageing, invoices,
// payments). The panels' buttons open the payment and invoice forms once
// those are declared; until then they do nothing.
void addClientBrowse(Catalog& catalog, ClientBrowseSetup setup);

// "No of Clients": the records in VelCli.
std::int64_t clientCount(DataFiles& files);

// The message a right click on the client list gives.
void refuseMouse(Ui& ui);

// After the client form saved a new policy: CUR_CLIENT_ID becomes its
// number and START_DATE its waiting date (the thread's MemberContext), and
// its first charge (ageing record, first invoice and "Invoice"
// transaction at PREMIUM) is posted in one transaction. A policy already
// charged gets nothing more.
ledger::PostResult afterPolicyAdded(DataFiles& files, const rec::VelCli& policy,
                                    const std::string& user, Moment at);

// "Edit Remarks" saving: REMARKS of the client at `position` becomes
// `text` (cut to the field's width) and the record is put. False when the
// client could not be read or put (the store has told the clerk why).
bool saveRemarks(DataFiles& files, const std::string& position, const std::string& text);

// Before a payment of `clientId` is added: the client's SMS date and send
// switch are cleared; a client without DATECHANGE gets today; a client
// without waiting period starts it today (DATE6 six calendar months on, the
// month's last day when it is shorter; DATE24 730 days on). The thread's
// MemberContext takes the client (CUR_CLIENT_ID), his collector and agent
// codes and whether this is his first payment (FIRST_PAYMENT). False when
// the client cannot be read or put (the store has told the clerk why);
// nothing is then handed on.
bool preparePayment(DataFiles& files, const std::string& clientId, std::int32_t today);

// "&Delete" of the payments panel: after "Confirm Delete", the payment at
// `position` is taken off as one unit: the payment goes, the ledger keeps
// its entry and gets a reversing one, its amount goes back on the client's
// ageing and the invoices it marked paid are open again. Declining writes
// nothing (NothingToPost). The hamper browse uses it over the hamper ledger
// (HamperClub).
template <class L = ledger::BurialCover>
ledger::PostResult deletePaymentConfirmed(DataFiles& files, const std::string& position,
                                          const ledger::PostingStamp& stamp, Moment at);

// The pick list of Browse_Client_Select (PrnCli): the clients whose
// collection cards "Print List" prints.
// "Number to Print": the entries of the pick list.
std::int64_t pickCount(DataFiles& files);
// "Clear List": the pick list emptied. False when an entry could not be
// removed (the store has told the clerk why).
bool clearPickList(DataFiles& files);
// "Add to List": the client's number, names and identity number. A client
// already on the list is not added twice (true: he is on it).
bool addToPickList(DataFiles& files, const rec::VelCli& client);
// The clients of the pick list as they are on file now, in the list's
// client-number order; an entry whose client has since been removed is
// passed over.
std::vector<rec::VelCli> pickedClients(DataFiles& files);

// Runs a policy button: the client form with the request, and for a saved
// insert the first charge. Returns whether the list must be read again.
bool runPolicyAction(DataFiles& files, Request request, const ClientBrowseSetup& setup);

}  // namespace vel
