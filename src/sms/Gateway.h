// The SMS gateway's file-transfer server and the upload of message files.
//
// Where the gateway is and how to log in are deployment settings, kept in
// the section [SMS Gateway] of velmora.INI in the data folder:
//
//   [SMS Gateway]
//   Host=ftp.gateway.example     (blank: nothing is uploaded, files wait)
//   Port=21
//   User=ruspen
//   Password=ruspen
//
// An upload session connects and logs in once, puts every file over that one
// connection, and quits; no script or password is written to disk for it.
#pragma once

#include <memory>
#include <string>

namespace vel::sms {

struct GatewaySettings {
  std::string host;
  int port = 21;
  std::string user = "ruspen";
  std::string password = "ruspen";
  bool configured() const { return !host.empty(); }
};

// The settings from `dataFolder`/velmora.INI; defaults where a key is missing.
GatewaySettings readGatewaySettings(const std::string& dataFolder);

// One connection to the gateway for the length of a run.
class Uploader {
 public:
  virtual ~Uploader() = default;
  // Connects and logs in. False with `error()` set when that failed.
  virtual bool connect() = 0;
  // Puts the local file `path` as `name`. False with `error()` set.
  virtual bool put(const std::string& path, const std::string& name) = 0;
  // Ends the session (QUIT) and closes the connection.
  virtual void quit() = 0;
  // What went wrong last, in words.
  virtual const std::string& error() const = 0;
};

// The FTP uploader (libcurl).
std::unique_ptr<Uploader> makeFtpUploader(const GatewaySettings& settings);

}  // namespace vel::sms
