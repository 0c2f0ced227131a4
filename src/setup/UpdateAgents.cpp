#include "setup/UpdateAgents.h"

#include <map>
#include <string>
#include <utility>

#include "platform/Ui.h"
#include "recordstore/DataFiles.h"

namespace vel {

namespace {

constexpr const char* kTitle = "Policy Holder Update";
constexpr const char* kText = "Updating Policy Holders, please wait ...";

struct AgentName {
  std::string code;
  std::string shown;  // first name and surname, for the progress window
};

// (surname, first name) -> the agent that applies to clients of that name.
using AgentsByName = std::map<std::pair<std::string, std::string>, AgentName>;

// Reads every agent in record order. Applying the agents one after another
// to every client leaves each client with the code of the last agent of its
// name, so a later agent of the same name replaces an earlier one here; one
// walk over the clients then gives the same result as a walk per agent.
// False when the agents could not all be read: the failure has been shown
// (an opening failure by the record store, a read failure here), and no
// client may be matched against part of the list.
bool readAgents(DataFiles& files, AgentsByName& out) {
  FileManager& agents = files.fm<rec::Agent>();
  FileUse use(agents);
  if (agents.EnsureOpen() != kDone) return false;
  if (agents.SetOrder(kPhysicalOrder) != kDone) {
    showReadFailure(agents);
    return false;
  }
  const auto& a = agents.rec<rec::Agent>();
  while (agents.TryReadNext() == kDone) {
    out[{a.SURNAME.text(), a.FNAME.text()}] =
        AgentName{a.CODE.text(), a.FNAME.text() + " " + a.SURNAME.text()};
  }
  if (agents.EndOfData()) return true;
  showReadFailure(agents);
  return false;
}

}  // namespace

ClientRewriteResult Update_Agents(DataFiles& files, Ui& ui) {
  ClientRewriteResult r;
  AgentsByName byName;
  if (!readAgents(files, byName)) {
    r.ok = false;
    r.failure = "the agent file cannot be read";
    return r;
  }

  FileUse cliUse(files.fm<rec::VelCli>());
  {
    auto progress = ui.progress(kTitle, kText);
    const AgentName* shown = nullptr;
    r = rewriteClients(files, *progress, [&](rec::VelCli& c) {
      auto it = byName.find({c.AGE_SURNAME.text(), c.AGE_FNAME.text()});
      if (it == byName.end()) return false;
      const AgentName& agent = it->second;
      if (shown != &agent) {
        shown = &agent;
        progress->setText(std::string(kText) + "|" + agent.shown);
      }
      // A client with the code already keeps its record untouched.
      if (c.AGE_CODE == agent.code) return false;
      c.AGE_CODE = agent.code;
      return true;
    });
  }
  if (!r.ok) ui.message(rewriteStoppedText(r), kTitle, Icon::Exclamation, kOk, kOk);
  return r;
}

}  // namespace vel
