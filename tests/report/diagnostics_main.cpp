// A small driver for the developer diagnostics: reads ../output/input.txt,
// then runs the routine named on the command line, so the tests can watch
// its standard output, standard input and exit status in a child process.
#include <cstdio>
#include <cstring>

#include "network/network.h"
#include "report/report.h"

int main(int argc, char** argv) {
  const fw::Status s = fw::ReadNetInfo();
  if (!s.ok || argc != 2) return 2;
  if (std::strcmp(argv[1], "links") == 0) {
    fw::ReadNetInfoTest();
    std::printf("[returned, next input byte %d]", std::getchar());
    return 0;
  }
  if (std::strcmp(argv[1], "tree") == 0) fw::mcrTest();
  if (std::strcmp(argv[1], "loading") == 0) fw::AllOrNothingTest();
  return 2;
}
