// Member files: the clients (VelCli), their children (VelChd) and extended
// family (VelExt), and the two scratch files built for printing (PrnCli, the
// clients picked for a print run; CliRout, two clients to a record for the
// two-up report).
//
// Field order is the stored order and every width is exact: the byte total
// of each record must equal the record length of the file directory.
#pragma once

#include "dictionary/Layout.h"

namespace vel::rec {

// Client record, the main member. The hamper member (Hamper) has the same
// fields without the plan fields, so the list is written once with two field
// macros: F for the fields both files have, P for the plan fields only VelCli
// has.
#define VEL_MEMBER_FIELDS(F, P) \
  F(NUMBER, Long)               \
  F(CLIENT_ID, Text<10>)        \
  F(DATE, Long)                 \
  F(SURNAME, Text<25>)          \
  F(FIRSTNAME, Text<20>)        \
  F(MIDDLENAME, Text<20>)       \
  F(INITIALS, Text<3>)          \
  F(TITLE, Text<6>)             \
  F(ID_NUMBER, Text<13>)        \
  F(DOB, Long)                  \
  F(GENDER, Text<10>)           \
  F(MAIDENNAME, Text<20>)       \
  F(H_ADDR1, Text<30>)          \
  F(H_ADDR2, Text<30>)          \
  F(H_ADDR3, Text<30>)          \
  F(H_CODE, Short)              \
  F(P_ADDR1, Text<30>)          \
  F(P_ADDR2, Text<30>)          \
  F(P_ADDR3, Text<30>)          \
  F(P_CODE, Short)              \
  F(PHONE_HOME, Text<15>)       \
  F(PHONE_WORK, Text<15>)       \
  F(PHONE_CELL, Text<15>)       \
  F(BANK_NAME, Text<30>)        \
  F(BRANCH_NAME, Text<30>)      \
  F(BRANCH_CODE, Text<6>)       \
  F(ACCOUNT_NUMBER, Text<15>)   \
  F(ACCOUNT_TYPE, Text<12>)     \
  F(REMARKS, Text<10240>)       \
  F(MARITAL_STAT, Text<1>)      \
  F(B1_FIRSTNAME, Text<20>)     \
  F(B1_SURNAME, Text<20>)       \
  F(B1_ID_NUMBER, Text<13>)     \
  F(B1_DOB, Long)               \
  F(B1_RELATION, Text<20>)      \
  F(B1_ADD1, Text<30>)          \
  F(B1_ADD2, Text<30>)          \
  F(B1_ADD3, Text<20>)          \
  F(B1_CODE, Text<4>)           \
  F(B1_CONTACT, Text<20>)       \
  F(INVOICED, Byte)             \
  F(SENT, Byte)                 \
  F(AGE_CODE, Text<5>)          \
  F(AGE_SURNAME, Text<20>)      \
  F(AGE_FNAME, Text<20>)        \
  F(COL_CODE, Text<5>)          \
  F(COL_SURNAME, Text<20>)      \
  F(COL_FNAME, Text<20>)        \
  F(S_SURNAME, Text<20>)        \
  F(S_FIRSTNAME, Text<20>)      \
  F(S_ID_NUMBER, Text<13>)      \
  F(S_DOB, Long)                \
  F(S_GENDER, Text<6>)          \
  F(PREMIUM, Real)              \
  P(CUT_OFF, Short)             \
  P(OPTION, Text<15>)           \
  P(DOM, Text<5>)               \
  P(WAIT_DATE, Long)            \
  P(PLAN, Text<7>)              \
  P(COVER, Text<32>)            \
  P(BENEFIT, Real)              \
  F(ACTIVE, Text<10>)           \
  F(EMAIL, Text<80>)            \
  F(SMS_DATE, Long)             \
  F(SMS_REA, Text<30>)          \
  F(SMS_SENDIT, Byte)           \
  F(SMS_MESS, Text<160>)        \
  P(DATECHANGE, Long)           \
  P(DATE6, Long)                \
  P(DATE24, Long)               \
  F(ROUTE, Text<20>)            \
  P(PREMTOPAY, Real)            \
  F(MYCOMM, Real)               \
  F(DAY5, Byte)                 \
  F(DAY10, Byte)                \
  F(S_ACTIVE, Text<10>)         \
  F(S_CHANGEDATE, Long)         \
  F(AGE_COMM, Real)             \
  F(COL_COMM, Real)             \
  F(HAM_BYTE, Byte)             \
  F(HAMPER, Real)               \
  P(PLANPREM, Real)             \
  F(STRNO, Text<10>)

// Drops a field from a list (used for the plan fields of the hamper member).
#define VEL_FIELD_OMITTED_(name, ...)

#define VEL_VELCLI_FIELDS(F) VEL_MEMBER_FIELDS(F, F)
VEL_RECORD(VelCli, VEL_VELCLI_FIELDS);

// One child of a client.
#define VEL_VELCHD_FIELDS(F) \
  F(CLIENT_ID, Text<10>)     \
  F(SENT, Byte)              \
  F(C1_SURNAME, Text<20>)    \
  F(C1_FIRSTNAME, Text<20>)  \
  F(C1_ID_NUMBER, Text<13>)  \
  F(C1_DOB, Long)            \
  F(C1_BENEFIT, Real)        \
  F(C1_AGE, Short)           \
  F(GENDER, Text<10>)        \
  F(PREMIUM, Real)           \
  F(NUMBER, Short)           \
  F(PREM2PAY, Real)          \
  F(MYCOMM, Real)            \
  F(ACTIVE, Text<10>)        \
  F(DATECHANGE, Long)
VEL_RECORD(VelChd, VEL_VELCHD_FIELDS);

// One extended-family member of a client.
#define VEL_VELEXT_FIELDS(F) \
  F(CLIENT_ID, Text<10>)     \
  F(DATE, Long)              \
  F(SURNAME, Text<25>)       \
  F(FIRSTNAME, Text<20>)     \
  F(MIDDLENAME, Text<20>)    \
  F(INITIALS, Text<3>)       \
  F(TITLE, Text<6>)          \
  F(ID_NUMBER, Text<13>)     \
  F(DOB, Long)               \
  F(GENDER, Text<10>)        \
  F(SENT, Byte)              \
  F(AGE_GROUP, Text<20>)     \
  F(RELATE, Text<20>)        \
  F(ACTIVE, Text<10>)        \
  F(DATECHANGE, Long)        \
  F(WAIT_DATE, Long)         \
  F(NUMBER, Short)
VEL_RECORD(VelExt, VEL_VELEXT_FIELDS);

// A client picked for a print run.
#define VEL_PRNCLI_FIELDS(F) \
  F(CLIENT_ID, Text<10>)     \
  F(SURNAME, Text<25>)       \
  F(FIRSTNAME, Text<20>)     \
  F(ID_NUMBER, Text<13>)
VEL_RECORD(PrnCli, VEL_PRNCLI_FIELDS);

// Two clients side by side for the two-up report. The second client's
// remarks are cut to 4272 characters so that the record is 15000 bytes.
#define VEL_CLIROUT_FIELDS(F) \
  F(CLIENT_ID1, Text<10>)     \
  F(SURNAME1, Text<25>)       \
  F(FIRSTNAME1, Text<20>)     \
  F(IDNO1, Text<13>)          \
  F(ADD1_1, Text<30>)         \
  F(ADD2_1, Text<30>)         \
  F(ADD3_1, Text<30>)         \
  F(PCODE1, Text<4>)          \
  F(TEL_H1, Text<15>)         \
  F(TEL_W1, Text<15>)         \
  F(TEL_C1, Text<15>)         \
  F(START_DATE1, Long)        \
  F(ROUTE1, Text<20>)         \
  F(PAY_DATE1, Text<5>)       \
  F(PREMIUM1, Real)           \
  F(REMARKS1, Text<10240>)    \
  F(CLIENT_ID2, Text<10>)     \
  F(SURNAME2, Text<25>)       \
  F(FIRSTNAME2, Text<20>)     \
  F(IDNO2, Text<13>)          \
  F(ADD1_2, Text<30>)         \
  F(ADD2_2, Text<30>)         \
  F(ADD3_2, Text<30>)         \
  F(PCODE2, Text<4>)          \
  F(TEL_H2, Text<15>)         \
  F(TEL_W2, Text<15>)         \
  F(TEL_C2, Text<15>)         \
  F(START_DATE2, Long)        \
  F(ROUTE2, Text<20>)         \
  F(PAY_DATE2, Text<5>)       \
  F(PREMIUM2, Real)           \
  F(REMARKS2, Text<4272>)
VEL_RECORD(CliRout, VEL_CLIROUT_FIELDS);

}  // namespace vel::rec
