// What the fuzz targets share: stopping on a broken promise, so that the
// fuzzer keeps the input, and reading an input file of the program from text.
#ifndef FW_FUZZ_FUZZ_SUPPORT_H
#define FW_FUZZ_FUZZ_SUPPORT_H

#include <cstdio>
#include <cstdlib>
#include <string>

#include "network/network.h"
#include "network/status.h"
#include "network/tables.h"

namespace fw {

// A broken promise: abort, so that the fuzzer keeps the input.
inline void Require(bool holds) {
  if (!holds) std::abort();
}

// A message the tools print: one line, not empty.
inline void RequireOneLine(const std::string& message) {
  Require(!message.empty() && message.find('\n') == std::string::npos);
}

// Reads `text` as the program's input file into fresh tables.
inline Status ReadInputText(const std::string& text) {
  ResetTables();
  static char empty[1];
  void* bytes = text.empty() ? static_cast<void*>(empty) : static_cast<void*>(const_cast<char*>(text.data()));
  std::FILE* in = fmemopen(bytes, text.size(), "r");
  if (in == nullptr) std::abort();
  const Status s = ReadNetInfoFrom(in, "input.txt");
  std::fclose(in);
  return s;
}

// A small network of all three cost families for the readers of link
// volumes: 4 nodes, 5 links (0->1, 0->2, 1->3, 2->3, 1->2), pairs 0->3 and 1->3.
constexpr const char* VolumeNetwork =
    "0.01 0.0001 10 5 4 2\n"
    "0 3 100\n"
    "1 3 50.5\n"
    "0 0 1 10 50 0.15 4 1\n"
    "1 0 2 5 40 0 0 0\n"
    "2 1 3 3 80 0.15 4 2\n"
    "3 2 3 7 60 0 0 1\n"
    "4 1 2 1 30 1 2 1\n";

}  // namespace fw

#endif  // FW_FUZZ_FUZZ_SUPPORT_H
