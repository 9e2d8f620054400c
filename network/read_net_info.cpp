// The input reader: run parameters, OD pairs and links as whitespace-separated
// numbers, in that order. Every field is checked as it is read, so a file the
// program cannot solve faithfully is refused before any output file exists.
//
// Choices about bad input, made here once:
//  - a field that is not a number, or a file that ends before the declared
//    records, is refused (a silent zero would be a wrong result);
//  - an integer field must hold a whole number that fits 32 bits: "1.5" or
//    "2e3" is refused rather than split into two fields;
//  - a real must be finite in single precision: "nan", "inf" and overflowing
//    exponents are refused;
//  - counts must lie in 0 .. the table capacity, node indices in
//    0 .. NodeNum-1, and a link's number must equal its record position;
//  - a type-1 link needs a capacity above 0 (its cost would be 0/0 at zero
//    volume); the other families take their penalty instead and stay allowed;
//  - a UTF-8 byte-order mark at the start is skipped; text after the last
//    declared record is ignored.
// Reals go straight from text to single precision, as a formatted scan does.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "network/cost_family.h"
#include "network/network.h"

namespace fw {

namespace {

// The reader's position in the file, for messages.
struct Reader {
  std::FILE* in;          // the open input
  const char* name;       // file name for messages
  bool first_token;       // a byte-order mark may precede it
  const char* part;       // "header", "OD record", "link record"
  int record;             // the record's position; -1 in the header
  char token[MaxTokenLength + 1];  // the latest token, NUL-terminated
};

}  // namespace

// A token as it may be shown in a message: at most 40 bytes, bytes outside
// printable ASCII written as \xNN.
static std::string Shown(const char* text) {
  std::string shown = "\"";
  std::size_t n = 0;
  for (const char* p = text; *p != '\0'; ++p, ++n) {
    if (n == 40) {
      shown += "...";
      break;
    }
    const unsigned char ch = static_cast<unsigned char>(*p);
    if (ch >= 0x20 && ch < 0x7f) {
      shown += static_cast<char>(ch);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned>(ch));
      shown += hex;
    }
  }
  return shown + "\"";
}

// A real as a message shows it: shortest form, enough digits to tell values apart.
static std::string Number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  return text;
}

// Where the reader is, as messages name it: "header", "OD record 3", "link
// record 12". Made only for a message: most files have none.
static std::string Where(const Reader& r) {
  return r.record < 0 ? std::string(r.part) : std::string(r.part) + " " + std::to_string(r.record);
}

static Status FieldError(const Reader& r, const char* field, const std::string& problem) {
  return Status::Fail(std::string(r.name) + ": " + Where(r) + ", field " + field + ": " + problem);
}

// Whitespace as a formatted scan skips it in the C locale, which the program
// never leaves: blank, tab, line feed, vertical tab, form feed, carriage return.
static bool IsBlank(int ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); }

// Reads the next whitespace-delimited token into r.token. Whitespace is what a
// formatted scan skips: blank, tab, line feed, carriage return, vertical tab,
// form feed. A NUL byte does not end a token; it makes the token invalid.
// Reading stops one byte past the longest acceptable token, so an endless
// token (a device that never ends, a file of one huge word) is refused at once.
// The bytes are read without the stream's lock: the reader is its only user.
static Status NextToken(Reader& r, const char* field) {
  int ch;
  do {
    ch = getc_unlocked(r.in);
  } while (ch != EOF && IsBlank(ch));
  std::size_t n = 0;
  bool too_long = false;
  bool has_nul = false;
  while (ch != EOF && !IsBlank(ch)) {
    if (ch == 0) has_nul = true;
    if (n == MaxTokenLength) {
      too_long = true;
      break;
    }
    r.token[n++] = static_cast<char>(ch);
    ch = getc_unlocked(r.in);
  }
  r.token[n] = '\0';
  if (std::ferror(r.in)) {
    return Status::Fail(std::string(r.name) + ": cannot be read: " + std::strerror(errno));
  }
  if (r.first_token) {
    r.first_token = false;
    if (std::strncmp(r.token, "\xef\xbb\xbf", 3) == 0) {
      std::memmove(r.token, r.token + 3, n - 2);
      if (r.token[0] == '\0') return NextToken(r, field);
    }
  }
  if (n == 0) {
    return Status::Fail(std::string(r.name) + ": the file ends in " + Where(r) + ", before field " + field);
  }
  if (too_long) return FieldError(r, field, "a token of more than " + std::to_string(MaxTokenLength) + " bytes is not a number");
  if (has_nul) return FieldError(r, field, "expected a number, found a token with a NUL byte");
  return Status::Ok();
}

// Whether the token reads completely as a real number (what a real field accepts).
static bool IsReal(const char* text, float* value) {
  char* end = nullptr;
  errno = 0;
  *value = std::strtof(text, &end);
  return end != text && *end == '\0';
}

static Status ReadInt(Reader& r, const char* field, int* value) {
  Status s = NextToken(r, field);
  if (!s.ok) return s;
  const char* digits = r.token + ((r.token[0] == '+' || r.token[0] == '-') ? 1 : 0);
  bool whole = *digits != '\0';
  for (const char* p = digits; *p != '\0'; ++p) whole = whole && std::isdigit(static_cast<unsigned char>(*p));
  if (!whole) {
    float real;
    if (IsReal(r.token, &real)) return FieldError(r, field, "expected a whole number, found the real " + Shown(r.token));
    return FieldError(r, field, "expected a whole number, found " + Shown(r.token));
  }
  errno = 0;
  const long long parsed = std::strtoll(r.token, nullptr, 10);
  if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) {
    return FieldError(r, field, Shown(r.token) + " does not fit a 32-bit whole number");
  }
  *value = static_cast<int>(parsed);
  return Status::Ok();
}

static Status ReadReal(Reader& r, const char* field, float* value) {
  Status s = NextToken(r, field);
  if (!s.ok) return s;
  float parsed;
  if (!IsReal(r.token, &parsed)) return FieldError(r, field, "expected a number, found " + Shown(r.token));
  if (!std::isfinite(parsed)) return FieldError(r, field, Shown(r.token) + " is not a finite single-precision number");
  *value = parsed;
  return Status::Ok();
}

static Status CheckCount(const Reader& r, const char* field, int count, int capacity, const char* unit) {
  if (count < 0) return FieldError(r, field, std::to_string(count) + " is negative");
  if (count > capacity) {
    return FieldError(r, field, std::to_string(count) + " exceeds the table capacity of " + std::to_string(capacity) + " " + unit);
  }
  return Status::Ok();
}

static Status ReadNode(Reader& r, const char* field, int* node) {
  Status s = ReadInt(r, field, node);
  if (!s.ok) return s;
  if (*node < 0 || *node >= NodeNum) {
    const std::string range = NodeNum == 0 ? "there are no nodes (NodeNum is 0)"
                                           : "expected 0.." + std::to_string(NodeNum - 1) + " (NodeNum is " + std::to_string(NodeNum) + ")";
    return FieldError(r, field, "node " + std::to_string(*node) + " is out of range: " + range);
  }
  return Status::Ok();
}

static Status ReadHeader(Reader& r) {
  r.part = "header";
  r.record = -1;
  Status s = ReadReal(r, "MaxError", &MaxError);
  if (s.ok) s = ReadReal(r, "ObjectError", &ObjectError);
  if (s.ok) s = ReadInt(r, "MaxIteration", &MaxIteration);
  if (s.ok) s = ReadInt(r, "LinkNumber", &LinkNumber);
  if (s.ok) s = CheckCount(r, "LinkNumber", LinkNumber, MaxLinks, "links");
  if (s.ok) s = ReadInt(r, "NodeNum", &NodeNum);
  if (s.ok) s = CheckCount(r, "NodeNum", NodeNum, MaxNodes, "nodes");
  if (s.ok) s = ReadInt(r, "OdpairNum", &OdpairNum);
  if (s.ok) s = CheckCount(r, "OdpairNum", OdpairNum, MaxOdpairs, "OD pairs");
  return s;
}

static Status ReadOdRecord(Reader& r, int od) {
  r.part = "OD record";
  r.record = od;
  Status s = ReadNode(r, "Origin", &Origin[od]);
  if (s.ok) s = ReadNode(r, "Dest", &Dest[od]);
  if (s.ok) s = ReadReal(r, "TripVol", &TripVol[od]);
  return s;
}

static Status ReadLinkRecord(Reader& r, int l) {
  r.part = "link record";
  r.record = l;
  Status s = ReadInt(r, "LinkNum", &LinkNum[l]);
  if (s.ok && LinkNum[l] != l) {
    return FieldError(r, "LinkNum", std::to_string(LinkNum[l]) + " differs from the record position " + std::to_string(l));
  }
  if (s.ok) s = ReadNode(r, "LinkOrigin", &LinkOrigin[l]);
  if (s.ok) s = ReadNode(r, "LinkDest", &LinkDest[l]);
  if (s.ok) s = ReadReal(r, "TravelTime", &TravelTime[l]);
  if (s.ok) s = ReadReal(r, "Capacity", &Capacity[l]);
  if (s.ok) s = ReadReal(r, "a", &a[l]);
  if (s.ok) s = ReadReal(r, "b", &b[l]);
  if (s.ok) s = ReadReal(r, "LinkCFType", &LinkCFType[l]);
  if (!s.ok) return s;
  switch (FamilyOf(LinkCFType[l])) {
    case CostFamily::PowerLaw:
      if (!(Capacity[l] > 0.0f)) {
        return FieldError(r, "Capacity", "a type-1 link needs a capacity above 0, found " + Number(Capacity[l]));
      }
      break;
    case CostFamily::Reciprocal:
    case CostFamily::ReciprocalPlusTime:
      break;  // a capacity of 0 or less takes the penalty
  }
  return s;
}

Status ReadNetInfoFrom(std::FILE* in, const char* name) {
  Reader r{in, name, true, "header", -1, {}};
  Status s = ReadHeader(r);
  for (int od = 0; s.ok && od < OdpairNum; ++od) s = ReadOdRecord(r, od);
  for (int l = 0; s.ok && l < LinkNumber; ++l) s = ReadLinkRecord(r, l);
  return s;
}

Status ReadNetInfo() {
  std::FILE* in = std::fopen(InputPath, "r");
  if (in == nullptr) return Status::Bare("Error Opening File.");
  Status s = ReadNetInfoFrom(in, InputPath);
  std::fclose(in);
  return s;
}

}  // namespace fw
