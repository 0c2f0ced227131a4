#include "members/Audit.h"

#include <cstdio>

#include "common/Dates.h"
#include "common/Money.h"
#include "errors/ErrorManager.h"
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

}  // namespace vel
