// Program entry: runs the assignment and turns a failure into one message on
// standard error and exit status 1. Command-line arguments are ignored.
#include <cstdio>

#include "solver/solver.h"

int main() {
  const fw::Status s = fw::Run();
  if (s.ok) return 0;
  std::fputs(s.message.c_str(), stderr);
  if (s.line_break) std::fputc('\n', stderr);
  return 1;
}
