#include "sms/Gateway.h"

#include <curl/curl.h>

#include <cstdio>
#include <mutex>

#include "common/Text.h"
#include "platform/SettingsFile.h"

namespace vel::sms {

namespace {

constexpr std::string_view kSection = "SMS Gateway";

void globalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t readFile(char* buffer, size_t size, size_t count, void* stream) {
  return std::fread(buffer, size, count, static_cast<std::FILE*>(stream));
}

size_t discard(char*, size_t size, size_t count, void*) { return size * count; }

class FtpUploader final : public Uploader {
 public:
  explicit FtpUploader(GatewaySettings s) : s_(std::move(s)) {
    globalInit();
    base_ = "ftp://" + s_.host + ":" + std::to_string(s_.port) + "/";
  }
  ~FtpUploader() override { quit(); }

  bool connect() override {
    curl_ = curl_easy_init();
    if (!curl_) return failed("the file transfer could not be started");
    curl_easy_setopt(curl_, CURLOPT_USERNAME, s_.user.c_str());
    curl_easy_setopt(curl_, CURLOPT_PASSWORD, s_.password.c_str());
    curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT, 20L);
    // A stalled transfer (under 1 byte/s for a minute) is given up, not waited on forever.
    curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, errbuf_);
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, discard);
    // Connect and log in without a transfer: the session the puts then use.
    curl_easy_setopt(curl_, CURLOPT_URL, base_.c_str());
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
    const CURLcode rc = curl_easy_perform(curl_);
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 0L);
    if (rc != CURLE_OK) return failed(describe(rc));
    return true;
  }

  bool put(const std::string& path, const std::string& name) override {
    if (!curl_) return failed("not connected to the gateway");
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return failed("the message file " + path + " cannot be read");
    std::fseek(in, 0, SEEK_END);
    const long size = std::ftell(in);
    std::fseek(in, 0, SEEK_SET);
    const std::string url = base_ + name;
    curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl_, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl_, CURLOPT_READFUNCTION, readFile);
    curl_easy_setopt(curl_, CURLOPT_READDATA, in);
    curl_easy_setopt(curl_, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    errbuf_[0] = 0;
    const CURLcode rc = curl_easy_perform(curl_);
    std::fclose(in);
    curl_easy_setopt(curl_, CURLOPT_UPLOAD, 0L);
    if (rc != CURLE_OK) return failed("the gateway did not take " + name + ": " + describe(rc));
    return true;
  }

  void quit() override {
    // Cleaning up the handle sends QUIT on the open connection and closes it.
    if (curl_) curl_easy_cleanup(curl_);
    curl_ = nullptr;
  }

  const std::string& error() const override { return error_; }

 private:
  bool failed(std::string why) {
    error_ = std::move(why);
    return false;
  }

  std::string describe(CURLcode rc) const {
    long reply = 0;
    if (curl_) curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &reply);
    std::string where = s_.host + ":" + std::to_string(s_.port);
    switch (rc) {
      case CURLE_COULDNT_RESOLVE_HOST:
        return "the gateway " + s_.host + " is not known";
      case CURLE_COULDNT_CONNECT:
      case CURLE_OPERATION_TIMEDOUT:
        return "the gateway " + where + " cannot be reached";
      case CURLE_LOGIN_DENIED:
        return "the gateway " + where + " refused the log-in of user " + s_.user;
      case CURLE_UPLOAD_FAILED:
      case CURLE_REMOTE_ACCESS_DENIED:
        return "the gateway refused to store the file (reply " + std::to_string(reply) + ")";
      default:
        break;
    }
    std::string text = errbuf_[0] ? std::string(errbuf_) : curl_easy_strerror(rc);
    return "the transfer to " + where + " failed: " + text;
  }

  GatewaySettings s_;
  std::string base_;
  CURL* curl_ = nullptr;
  char errbuf_[CURL_ERROR_SIZE] = {};
  std::string error_;
};

}  // namespace

GatewaySettings readGatewaySettings(const std::string& dataFolder) {
  GatewaySettings g;
  SettingsFile ini;
  if (!ini.open(dataFolder + "/velmora.INI")) return g;
  g.host = std::string(trim(ini.get(kSection, "Host")));
  const std::string port(trim(ini.get(kSection, "Port")));
  if (!port.empty()) {
    try {
      g.port = std::stoi(port);
    } catch (...) {
      g.port = 21;
    }
  }
  g.user = ini.get(kSection, "User", g.user);
  g.password = ini.get(kSection, "Password", g.password);
  return g;
}

std::unique_ptr<Uploader> makeFtpUploader(const GatewaySettings& settings) {
  return std::make_unique<FtpUploader>(settings);
}

}  // namespace vel::sms
