#include "members/Audit.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "common/Dates.h"
#include "common/Money.h"
#include "errors/EngineStatus.h"
#include "errors/ErrorManager.h"
#include "recordstore/DataFiles.h"
#include "recordstore/Engine.h"
#include "recordstore/FileManager.h"

namespace vel {

std::string auditDate(std::int32_t day) {
  if (day == 0) return {};
  Ymd d = ymdFromDate(day);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.day, d.month, d.year);
  return buf;
}

std::string auditMoney(double amount) { return fixedDecimal(amount, 2); }

namespace {

// Collects the changes of one record pair, field by field in the trail's order.
class Differ {
 public:
  template <int N>
  void text(const char* label, const Text<N>& a, const Text<N>& b) {
    if (!(a == b)) out.push_back({label, a.text(), b.text()});
  }
  void date(const char* label, std::int64_t a, std::int64_t b) {
    if (a != b) {
      out.push_back({label, auditDate(static_cast<std::int32_t>(a)),
                     auditDate(static_cast<std::int32_t>(b))});
    }
  }
  void money(const char* label, double a, double b) {
    if (!sameMoney(a, b)) out.push_back({label, auditMoney(a), auditMoney(b)});
  }
  std::vector<AuditChange> out;
};

}  // namespace

std::vector<AuditChange> clientChanges(const rec::VelCli& o, const rec::VelCli& n) {
  Differ d;
  d.text("Client_ID", o.CLIENT_ID, n.CLIENT_ID);
  d.text("Surname", o.SURNAME, n.SURNAME);
  d.text("Firstname", o.FIRSTNAME, n.FIRSTNAME);
  d.text("MiddleName", o.MIDDLENAME, n.MIDDLENAME);
  d.text("ID Number", o.ID_NUMBER, n.ID_NUMBER);
  d.date("Dob", o.DOB, n.DOB);
  d.text("Bank Name", o.BANK_NAME, n.BANK_NAME);
  d.text("Account Number", o.ACCOUNT_NUMBER, n.ACCOUNT_NUMBER);
  d.text("Age Code", o.AGE_CODE, n.AGE_CODE);
  d.text("Col Code", o.COL_CODE, n.COL_CODE);
  d.date("Wait Date", o.WAIT_DATE, n.WAIT_DATE);
  d.text("Plan", o.PLAN, n.PLAN);
  d.text("Beneficiary 1 1st Name", o.B1_FIRSTNAME, n.B1_FIRSTNAME);
  d.text("Beneficiary 1 Surname", o.B1_SURNAME, n.B1_SURNAME);
  d.text("Beneficiary 1 ID No", o.B1_ID_NUMBER, n.B1_ID_NUMBER);
  d.date("Beneficiary 1 DOB", o.B1_DOB, n.B1_DOB);
  d.text("Beneficiary 1 Contact", o.B1_CONTACT, n.B1_CONTACT);
  d.text("Spouse Surname", o.S_SURNAME, n.S_SURNAME);
  d.text("Spouse 1st Name", o.S_FIRSTNAME, n.S_FIRSTNAME);
  d.text("Spouse ID No", o.S_ID_NUMBER, n.S_ID_NUMBER);
  d.date("Spouse DOB", o.S_DOB, n.S_DOB);
  d.money("Premium Change", o.PREMIUM, n.PREMIUM);
  return std::move(d.out);
}

std::vector<AuditChange> childChanges(const rec::VelChd& o, const rec::VelChd& n) {
  Differ d;
  d.text("Child Client_ID", o.CLIENT_ID, n.CLIENT_ID);
  d.text("Child Surname", o.C1_SURNAME, n.C1_SURNAME);
  d.text("Child Firstname", o.C1_FIRSTNAME, n.C1_FIRSTNAME);
  d.text("Child ID Number", o.C1_ID_NUMBER, n.C1_ID_NUMBER);
  d.date("Child DoB", o.C1_DOB, n.C1_DOB);
  return std::move(d.out);
}

std::vector<AuditChange> extendedChanges(const rec::VelExt& o, const rec::VelExt& n) {
  Differ d;
  d.text("Ext Fam Client_ID", o.CLIENT_ID, n.CLIENT_ID);
  d.text("Ext Fam Surname", o.SURNAME, n.SURNAME);
  d.text("Ext Fam Firstname", o.FIRSTNAME, n.FIRSTNAME);
  d.text("Ext Fam Middlename", o.MIDDLENAME, n.MIDDLENAME);
  d.text("Ext Fam ID Number", o.ID_NUMBER, n.ID_NUMBER);
  d.date("Ext Fam DoB", o.DOB, n.DOB);
  d.text("Ext Fam Age Group", o.AGE_GROUP, n.AGE_GROUP);
  d.text("Ext Fam Relationship", o.RELATE, n.RELATE);
  return std::move(d.out);
}

int writeAudit(FileManager& aud, std::string_view clientId, const std::vector<AuditChange>& changes,
               Moment at, std::string_view user) {
  for (const AuditChange& c : changes) {
    aud.ClearBuffer();
    auto& a = aud.rec<rec::VelAud>();
    a.DATE = at.day;
    a.CLIENT_ID = clientId;
    a.C_BEFORE = c.before;
    a.C_AFTER = c.after;
    a.DESCRIP = c.label;
    a.USERNAME = user;
    a.TIME = at.time;
    a.SENT = 0;
    // The trail keeps what fits: values to 20 characters, the label to 30,
    // the client number to 17, the user name to 22.
    a.CLIENT_ID.cut();
    a.C_BEFORE.cut();
    a.C_AFTER.cut();
    a.DESCRIP.cut();
    a.USERNAME.cut();
    if (int rc = aud.TryInsert(); rc != kDone) return rc;
  }
  return kDone;
}

int writeWithAudit(FileManager& aud, const std::vector<FileManager*>& changeFiles,
                   const GroupWrite& change, std::string_view clientId,
                   const std::vector<AuditChange>& changes, Moment at, std::string_view user) {
  if (!change && changes.empty()) return kDone;
  // Every file of the group open on this thread before the transaction.
  std::vector<FileManager*> group{&aud};
  if (change) {
    for (FileManager* f : changeFiles)
      if (std::find(group.begin(), group.end(), f) == group.end()) group.push_back(f);
  }
  std::vector<std::unique_ptr<FileUse>> uses;
  std::vector<EngineFile*> engineFiles;
  for (FileManager* f : group) {
    uses.push_back(std::make_unique<FileUse>(*f));
    if (int rc = f->EnsureOpen(); rc != kDone) return kNotUsable;
    engineFiles.push_back(f->engineFile());
  }
  StoreContext& ctx = aud.context();
  std::unique_ptr<Transaction> tx;
  if (ctx.engine->begin(engineFiles, ctx.transactionTimeout, tx) != ecode::kNone) {
    ctx.errors->SetFile(aud.label());
    ctx.errors->Throw(msg::TransactionCancelled);
    return kFailed;
  }

  FileManager* failed = nullptr;
  int rc = kDone;
  if (change) {
    rc = change(failed);
    if (rc != kDone && !failed) failed = group.size() > 1 ? group[1] : &aud;
  }
  if (rc == kDone) {
    rc = writeAudit(aud, clientId, changes, at, user);
    if (rc != kDone) failed = &aud;
  }
  if (rc == kDone) {
    if (tx->commit() == ecode::kNone) return kDone;
    failed = nullptr;
  }

  // Nothing of the group stays; the message comes after the locks are freed.
  EngineStatus keep = engineStatus();
  tx->rollback();
  if (failed) {
    const int id = failed->LastError();
    failed->report(id != 0 ? id : msg::InsertError);
  } else {
    setEngineStatus(keep);
    ctx.errors->SetFile(aud.label());
    ctx.errors->Throw(msg::TransactionCancelled);
  }
  return kFailed;
}

}  // namespace vel
