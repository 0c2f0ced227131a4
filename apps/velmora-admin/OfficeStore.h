// The record store of the data folder a command works on: the engine its
// velmora.INI names (SQLite files in the folder, or a PostgreSQL database),
// made before any record file is touched, so that every command of the tool
// works on the same records as the desktop program.
#pragma once

#include <memory>
#include <string>

#include "recordstore/Engine.h"

namespace vel::admin {

// The engine of data folder `dir`; nullptr after telling on standard error
// why velmora.INI cannot be used (the command then exits 2).
std::unique_ptr<Engine> engineOf(const std::string& dir);

// Whether the configuration file of `dir` is in its store (a data folder of
// this program). False too when the store could not be asked, with the
// engine's reason in `why`.
bool hasConfigFile(Engine& engine, const std::string& dir, std::string& why);

// The engine of data folder `dir` once it is known to be one: the folder is
// there, its velmora.INI can be used and its store holds the configuration
// file. nullptr after telling on standard error why not (the command then
// exits 2), with no record file made.
std::unique_ptr<Engine> officeEngineOf(const std::string& dir);

}  // namespace vel::admin
