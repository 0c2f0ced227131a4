// A walk over every client in record order that rewrites the clients a
// change asks for, committing in groups.
//
// The commission update and the agent update both touch every policy holder.
// One transaction per record would cost a disk flush each, so the clients are
// read and rewritten inside group transactions of kClientsPerGroup records:
// a group that fails leaves none of its clients half written, and the groups
// committed before it stay (both runs may simply be run again).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "dictionary/Dictionary.h"

namespace vel {

class DataFiles;
class FileManager;
class Progress;

inline constexpr int kClientsPerGroup = 500;

struct ClientRewriteResult {
  bool ok = true;
  std::int64_t read = 0;     // clients read
  std::int64_t written = 0;  // clients rewritten and committed
  std::string failure;       // what stopped the walk, for the user
};

// Reads every VelCli record in record order; `change` edits the record and
// returns whether it must be written back. The bar of `progress` follows the
// share of clients read. The client file must be open (FileUse) around it.
ClientRewriteResult rewriteClients(DataFiles& files, Progress& progress,
                                   const std::function<bool(rec::VelCli&)>& change);

// The message telling the user that a rewrite stopped part-way.
std::string rewriteStoppedText(const ClientRewriteResult& r);

// Shows, through the error manager, why the last read of `f` failed (a
// record held by another station, a lock time-out, a damaged page), naming
// the file. Only for a failed read that was not the end of the data.
void showReadFailure(FileManager& f);

}  // namespace vel
