// Reading the input file into the network tables, and the process clock.
#ifndef FW_NETWORK_NETWORK_H
#define FW_NETWORK_NETWORK_H

#include <cstddef>
#include <cstdio>
#include <ctime>
#include <string>

#include "network/status.h"
#include "network/tables.h"

namespace fw {

constexpr const char* InputPath = "../output/input.txt";  // relative to the working directory

// The longest token the reader takes for a number, in bytes; a longer one is
// refused (so an endless token is refused at once). Writers of input files,
// such as tntp2input, keep within it.
constexpr std::size_t MaxTokenLength = 400;

// Opens InputPath and reads it with ReadNetInfoFrom. A file that cannot be
// opened gives the bare message "Error Opening File." (no line break).
// Writes the counts, run parameters, OD and link attribute tables.
Status ReadNetInfo();

// Reads and checks a whole input file from `in`; `name` is the file name used
// in messages. On failure the tables may hold part of the file.
Status ReadNetInfoFrom(std::FILE* in, const char* name);

// "link 3 (0 -> 1)": link l by position, with its tail and head, for messages.
std::string LinkName(int l);

// A real as a message shows it: %g, with every NaN shown as "nan".
std::string ShownReal(float value);

// The process clock (processor time of the process). It is read here only,
// so a test build can link a fixed clock instead.
std::clock_t ProcessClock();

// Milliseconds between two readings of ProcessClock.
inline double ClockMs(std::clock_t from, std::clock_t to) {
  return static_cast<double>(to - from) * 1000.0 / static_cast<double>(CLOCKS_PER_SEC);
}

}  // namespace fw

#endif  // FW_NETWORK_NETWORK_H
