#include "report/fixed_format.h"

#include <cassert>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace fw {

// Writes x with `decimals` decimals as printf's "%.Nf" does, where x is a
// widened single-precision value: with at most 24 significant bits, x times
// 10^decimals is an integer over a power of two that 64 bits hold, so it is
// rounded exactly in integers, halfway to even as printf rounds. Returns
// nullptr, having written nothing, for any other value (not finite, below
// the normal range, more bits, or too large or too small a power of two),
// which std::to_chars writes: it is five times slower.
static char* FixedFromFloat(char* at, double x, int decimals) {
  static constexpr std::uint64_t Tens[10] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};
  std::uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const bool negative = (bits >> 63) != 0;
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  std::uint64_t scaled = 0;  // x times 10^decimals, rounded, without its sign
  if (biased != 0 || fraction != 0) {
    if (biased == 0 || biased == 0x7FF || (fraction & ((std::uint64_t{1} << 29) - 1)) != 0) return nullptr;
    const std::uint64_t mantissa = (fraction | std::uint64_t{1} << 52) >> 29;  // below 2^24
    const int exponent = biased - 1075 + 29;                                   // x = mantissa 2^exponent
    const std::uint64_t product = mantissa * Tens[decimals];                   // below 2^54
    if (exponent >= 0) {
      if (exponent > 9) return nullptr;
      scaled = product << exponent;
    } else {
      if (exponent < -62) return nullptr;
      const int shift = -exponent;
      const std::uint64_t rest = product & ((std::uint64_t{1} << shift) - 1);
      const std::uint64_t half = std::uint64_t{1} << (shift - 1);
      scaled = product >> shift;
      scaled += static_cast<std::uint64_t>(rest > half || (rest == half && (scaled & 1) != 0));
    }
  }
  if (negative) *at++ = '-';  // printf keeps the sign of -0 and of what rounds to 0
  at = std::to_chars(at, at + 24, scaled / Tens[decimals]).ptr;
  if (decimals == 0) return at;
  *at++ = '.';
  std::uint64_t digits = scaled % Tens[decimals];
  for (int k = decimals - 1; k >= 0; --k) {
    at[k] = static_cast<char>('0' + digits % 10);
    digits /= 10;
  }
  return at + decimals;
}

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
    char* const fast = *f == 'd' ? nullptr : FixedFromFloat(at, arg->real, decimals);
    if (fast != nullptr) {
      at = fast;
    } else {
      const std::to_chars_result written = *f == 'd' ? std::to_chars(at, end, arg->whole)
                                                     : std::to_chars(at, end, arg->real, std::chars_format::fixed, decimals);
      assert(written.ec == std::errc());
      at = written.ptr;
    }
    ++arg;
    ++f;
  }
  return static_cast<std::size_t>(at - buf);
}

}  // namespace fw
