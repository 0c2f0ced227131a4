// Ledger files: the money side of each policy. VelTra is the per-client
// transaction ledger (one entry per invoice and per payment), VelInv the
// premium invoices, VelPay the payments, VelAge one ageing record per client,
// VelAud the audit trail of changes to member data and Balance the balances
// by entity. The hamper savings scheme keeps the same ledger in its own files
// (Hamper, HamInv, HamPay, HamTra, HamAge): the same field lists, distinct
// record types.
//
// The DATE field of the invoice, payment and transaction files is a calendar
// date; every other date is a LONG day number and every time a LONG time of
// day in hundredths of a second.
#pragma once

#include "dictionary/Layout.h"
#include "dictionary/MemberFiles.h"

namespace vel::rec {

// One ledger entry: an invoice (TYPE "Invoice", DEBIT) or a payment
// (TYPE "Payment", CREDIT).
#define VEL_VELTRA_FIELDS(F) \
  F(CLIENT_ID, Text<10>)     \
  F(DATE, Date)              \
  F(TYPE, Text<10>)          \
  F(ACCOUNT, Text<10>)       \
  F(SOURCE, Text<11>)        \
  F(CREDIT, Real)            \
  F(DEBIT, Real)             \
  F(STATUS, Text<3>)         \
  F(BRANCH_ID, Text<4>)      \
  F(X_DATE, Long)            \
  F(X_TIME, Long)            \
  F(X_ID, Text<10>)          \
  F(BANK_NAME, Text<30>)     \
  F(BANK_ACCOUNT, Text<20>)  \
  F(DELETED, Long)           \
  F(UNIQUE, Text<14>)        \
  F(SENT, Byte)              \
  F(PAYOVER, Real)           \
  F(COLL_COMM, Real)         \
  F(AGE_COMM, Real)
VEL_RECORD(VelTra, VEL_VELTRA_FIELDS);

// One premium invoice; STATUS "Pd" once paid.
#define VEL_VELINV_FIELDS(F) \
  F(CLIENT_ID, Text<10>)     \
  F(DATE, Date)              \
  F(DEBIT, Real)             \
  F(STATUS, Text<3>)         \
  F(BRANCH_ID, Text<4>)      \
  F(UNIQUE, Text<14>)        \
  F(SENT, Byte)              \
  F(RISK, Real)              \
  F(ADMIN, Real)             \
  F(AGE_COMM, Real)          \
  F(PROC, Byte)
VEL_RECORD(VelInv, VEL_VELINV_FIELDS);

// One payment received; STATUS "SEL" once taken up by receipt capture.
#define VEL_VELPAY_FIELDS(F) \
  F(CLIENT_ID, Text<10>)     \
  F(DATE, Date)              \
  F(ACCOUNT, Text<10>)       \
  F(SOURCE, Text<11>)        \
  F(CREDIT, Real)            \
  F(STATUS, Text<3>)         \
  F(BRANCH_ID, Text<4>)      \
  F(X_DATE, Long)            \
  F(X_TIME, Long)            \
  F(X_ID, Text<10>)          \
  F(BANK_NAME, Text<30>)     \
  F(BANK_ACCOUNT, Text<20>)  \
  F(DELETED, Long)           \
  F(UNIQUE, Text<14>)        \
  F(SENT, Byte)              \
  F(COL_CODE, Text<5>)       \
  F(AGE_CODE, Text<5>)       \
  F(COL_COMM, Real)          \
  F(AGE_COMM, Real)          \
  F(PREM2PAY, Real)          \
  F(DBLPAY, Byte)
VEL_RECORD(VelPay, VEL_VELPAY_FIELDS);

// The ageing of one client's account.
#define VEL_VELAGE_FIELDS(F) \
  F(CLIENT_ID, Text<10>)     \
  F(TOTAL, Real)             \
  F(CURRENT, Real)           \
  F(P30, Real)               \
  F(P60, Real)               \
  F(P90, Real)               \
  F(P90PLUS, Real)           \
  F(BALBF, Real)             \
  F(BRANCH_ID, Text<4>)      \
  F(SENT, Byte)
VEL_RECORD(VelAge, VEL_VELAGE_FIELDS);

// One audited change to member data. CLIENT_ID is 17 characters here, wider
// than in the other files.
#define VEL_VELAUD_FIELDS(F) \
  F(DATE, Long)              \
  F(CLIENT_ID, Text<17>)     \
  F(C_BEFORE, Text<20>)      \
  F(C_AFTER, Text<20>)       \
  F(DESCRIP, Text<30>)       \
  F(USERNAME, Text<22>)      \
  F(TIME, Long)              \
  F(AMOUNT, Real)            \
  F(SENT, Byte)              \
  F(UNIQUE, Text<14>)
VEL_RECORD(VelAud, VEL_VELAUD_FIELDS);

// The balance of one entity.
#define VEL_BALANCE_FIELDS(F) \
  F(ENTITY, Text<10>)         \
  F(AMOUNT, Real)             \
  F(AR_AMT, Real)             \
  F(VARIANCE, Real)
VEL_RECORD(Balance, VEL_BALANCE_FIELDS);

// The hamper member: the client's fields without the plan fields.
#define VEL_HAMPER_FIELDS(F) VEL_MEMBER_FIELDS(F, VEL_FIELD_OMITTED_)
VEL_RECORD(Hamper, VEL_HAMPER_FIELDS);

VEL_RECORD(HamInv, VEL_VELINV_FIELDS);
VEL_RECORD(HamPay, VEL_VELPAY_FIELDS);
VEL_RECORD(HamTra, VEL_VELTRA_FIELDS);
VEL_RECORD(HamAge, VEL_VELAGE_FIELDS);

}  // namespace vel::rec
