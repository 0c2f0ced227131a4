#include "ConvertCommand.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "maintenance/Conversion.h"
#include "platform/Clock.h"
#include "recordstore/Engine.h"

namespace vel::admin {

namespace {

// Message boxes become lines on standard error; the conversion window a
// bar on standard error when that is a terminal.
class ConvertUi : public Ui {
 public:
  unsigned message(std::string_view text, std::string_view title, Icon, unsigned,
                   unsigned defaultButton) override {
    std::string body(text);
    for (char& c : body)
      if (c == '|') c = '\n';
    std::cerr << title << ": " << body << "\n";
    return defaultButton;
  }
  void halt(int) override { std::exit(2); }

  std::unique_ptr<Progress> progress(std::string_view title, std::string_view) override {
    if (title != "Converting Files" || !::isatty(2)) return std::make_unique<Progress>();
    struct Bar : Progress {
      void setText(std::string_view t) override {
        finish();
        text = t;
        draw(0);
      }
      void setPercent(int p) override { draw(p); }
      void draw(int p) {
        std::cerr << "\r" << text << " [" << std::string(static_cast<std::size_t>(p / 5), '#')
                  << std::string(static_cast<std::size_t>(20 - p / 5), ' ') << "] " << p << "%"
                  << std::flush;
        drawn = true;
      }
      void finish() {
        if (drawn) std::cerr << "\n";
        drawn = false;
      }
      ~Bar() override { finish(); }
      std::string text;
      bool drawn = false;
    };
    return std::make_unique<Bar>();
  }
};

int usage() {
  std::cerr << "usage: velmora-admin convert [--dir DIR]\n";
  return 1;
}

std::string list(const std::vector<std::string>& labels) {
  std::string s;
  for (const auto& l : labels) s += (s.empty() ? "" : ", ") + l;
  return s;
}

}  // namespace

int convertCommand(const std::vector<std::string_view>& args) {
  std::string dir = ".";
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--dir" && i + 1 < args.size())
      dir = args[++i];
    else
      return usage();
  }
  if (!std::filesystem::is_directory(dir)) {
    std::cerr << "velmora-admin: there is no data folder " << dir << "\n";
    return 2;
  }
  ConvertUi ui;
  SystemClock clock;
  auto engine = makeSqliteEngine();
  Conversion conversion(dir, *engine, ui, clock);
  ConversionReport r = conversion.run();
  if (!r.finished.empty())
    std::cout << "Finished the swap an interrupted conversion left: " << list(r.finished) << "\n";
  if (!r.converted.empty()) std::cout << "Converted: " << list(r.converted) << "\n";
  if (!r.invalid.empty())
    std::cerr << "velmora-admin: in no layout this program knows: " << list(r.invalid) << "\n";
  if (r.stopped) std::cerr << "velmora-admin: the conversion stopped: " << r.failure << "\n";
  if (r.converted.empty() && r.finished.empty() && r.invalid.empty() && !r.stopped)
    std::cout << "Every file is in its current layout; nothing to convert.\n";
  return r.stopped || !r.invalid.empty() ? 2 : 0;
}

}  // namespace vel::admin
