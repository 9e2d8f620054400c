#include "report/fixed_format.h"

#include <cassert>
#include <charconv>
#include <cstring>

namespace fw {

std::size_t FormatFixed(char* buf, const char* format, std::initializer_list<FormatArg> args) {
  char* at = buf;
  char* const end = buf + FormatRoom;
  const FormatArg* arg = args.begin();
  for (const char* f = format; *f != '\0';) {
    if (*f != '%') {
      const char* const text = f;
      while (*f != '\0' && *f != '%') ++f;
      std::memcpy(at, text, static_cast<std::size_t>(f - text));
      at += f - text;
      continue;
    }
    ++f;
    int decimals = 6;  // printf's for %f
    if (*f == '.') {
      decimals = f[1] - '0';
      f += 2;
    }
    assert(arg != args.end() && (*f == 'd' || *f == 'f') && decimals >= 0 && decimals <= 9);
    const std::to_chars_result written = *f == 'd' ? std::to_chars(at, end, arg->whole)
                                                   : std::to_chars(at, end, arg->real, std::chars_format::fixed, decimals);
    assert(written.ec == std::errc());
    at = written.ptr;
    ++arg;
    ++f;
  }
  return static_cast<std::size_t>(at - buf);
}

}  // namespace fw
