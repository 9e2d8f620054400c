// The numbers of the run log and the result file, written from the same
// format strings as std::printf would write them, several times faster:
// std::to_chars writes a double with a given number of decimals exactly as
// printf's "%.Nf" does (the C++ standard defines it so), without printf's
// multiple-precision arithmetic; a widened single-precision value, which
// every printed real is, is rounded in 64-bit integers, faster still. A run
// writes a line per step and two per link, so on small networks printf was
// a twentieth of a run.
#ifndef FW_REPORT_FIXED_FORMAT_H
#define FW_REPORT_FIXED_FORMAT_H

#include <cstddef>
#include <initializer_list>

namespace fw {

// One value for a conversion of FormatFixed; converted implicitly, as
// printf's arguments are.
struct FormatArg {
  FormatArg(int value) : whole(value), real(value) {}
  FormatArg(double value) : whole(0), real(value) {}
  int whole;    // for %d
  double real;  // for %f and %.Nf
};

// Room for any line FormatFixed writes from the program's formats: at most
// eight conversions of at most 330 characters each (the longest double with
// six decimals), and the format's own text.
constexpr std::size_t FormatRoom = 4096;

// Writes `format` into buf[0 .. FormatRoom-1] as std::snprintf would with
// `args`, for formats of at most eight conversions, each %d, %f or %.Nf (N one
// digit), and at most 1024 other characters; returns the length written (no
// terminating zero).
std::size_t FormatFixed(char* buf, const char* format, std::initializer_list<FormatArg> args);

}  // namespace fw

#endif  // FW_REPORT_FIXED_FORMAT_H
