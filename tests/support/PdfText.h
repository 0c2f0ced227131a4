// The text of a PDF file as pdftotext reads it (layout kept, pages separated
// by form feeds): what a test checks a printed report against.
#pragma once

#include <cstdio>
#include <string>

namespace vel::test {

inline std::string pdfText(const std::string& path) {
  std::string out;
  FILE* p = popen(("pdftotext -layout '" + path + "' - 2>&1").c_str(), "r");
  if (!p) return out;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

}  // namespace vel::test
