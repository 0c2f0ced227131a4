// "Update Agents" (Utilities): every policy holder whose agent name matches
// an agent of the Agent list takes that agent's code.
#pragma once

#include "setup/ClientRewrite.h"

namespace vel {

class DataFiles;
class Ui;

// A client whose AGE_SURNAME and AGE_FNAME equal an agent's SURNAME and FNAME
// (trailing blanks removed; exact, case-sensitive) gets the agent's CODE in
// AGE_CODE. When several agents carry the same name, the last of them in
// record order wins. Clients matching no agent keep their code. Shows the
// progress window "Policy Holder Update".
ClientRewriteResult Update_Agents(DataFiles& files, Ui& ui);

}  // namespace vel
