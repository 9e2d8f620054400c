// The reference program: the run as first written, for end-to-end
// comparisons with the program on generated networks.
#include <cstdio>

#include "reference/reference.h"

int main() {
  const fw::Status s = fw::PlainRun();
  if (s.ok) return 0;
  std::fputs(s.message.c_str(), stderr);
  if (s.line_break) std::fputc('\n', stderr);
  return 1;
}
