// Reading link volumes: the program's result file (objective line, then
// "index volume cost" per link) and a TNTP flow file of best-known volumes.
// Every fault names the file and line: a wrong link count, a field that is not
// a number, a negative volume, a link line that does not match the input's link.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "network/network.h"
#include "network/tables.h"
#include "tools/file_messages.h"
#include "tools/fwgap/gap.h"

namespace fw {

namespace {

// One line's whitespace-separated fields and its 1-based line number.
struct Line {
  int number = 0;
  std::vector<std::string> fields;
};

}  // namespace

// Splits the whole stream into lines of fields, numbered from 1.
static std::vector<Line> ReadLines(std::istream& in) {
  std::vector<Line> lines;
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    Line line{number, {}};
    std::istringstream fields(text);
    for (std::string field; fields >> field;) line.fields.push_back(field);
    lines.push_back(line);
  }
  return lines;
}

// Reads a whole token as a finite real number.
static bool ParseReal(const std::string& token, double* value) {
  char* end = nullptr;
  *value = std::strtod(token.c_str(), &end);
  return end != token.c_str() && *end == '\0' && std::isfinite(*value);
}

// Reads a whole token of decimal digits as a number of at most 9 digits.
static bool ParseWhole(const std::string& token, int* value) {
  if (token.empty() || token.size() > 9) return false;
  for (const char c : token) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  *value = std::atoi(token.c_str());
  return true;
}

// Reads a volume field: a finite real of 0 or more.
static Status ParseVolume(const std::string& file, int line, const std::string& token, double* volume) {
  if (!ParseReal(token, volume)) return Status::Fail(Where(file, line) + "volume " + Quote(token) + " is not a number");
  if (*volume < 0.0) return Status::Fail(Where(file, line) + "volume " + token + " is negative");
  return Status::Ok();
}

// Reads result line `line` as link l's "index volume cost".
static Status ReadResultLink(const std::string& name, const Line& line, int l, ResultFile* result) {
  const std::string where = Where(name, line.number);
  if (line.fields.size() != 3) {
    return Status::Fail(where + "expected 3 fields (index volume cost), found " + std::to_string(line.fields.size()));
  }
  int index = -1;
  if (!ParseWhole(line.fields[0], &index) || index != l) {
    return Status::Fail(where + "link index " + Quote(line.fields[0]) + ", expected " + std::to_string(l));
  }
  double volume = 0.0;
  double cost = 0.0;
  Status s = ParseVolume(name, line.number, line.fields[1], &volume);
  if (!s.ok) return s;
  if (!ParseReal(line.fields[2], &cost)) return Status::Fail(where + "cost " + Quote(line.fields[2]) + " is not a number");
  result->volume.push_back(volume);
  result->cost.push_back(cost);
  return Status::Ok();
}

Status ReadInputFile(const std::string& name) {
  std::FILE* in = std::fopen(name.c_str(), "r");
  if (in == nullptr) return Status::Fail("cannot open " + name + ": " + std::strerror(errno));
  const Status s = ReadNetInfoFrom(in, name.c_str());
  std::fclose(in);
  return s;
}

Status ReadResultFile(std::istream& in, const std::string& name, int links, ResultFile* result) {
  const std::vector<Line> lines = ReadLines(in);
  if (lines.empty()) return Status::Fail(Where(name, 1) + "the file is empty; expected the objective");
  const Line& first = lines.front();
  if (first.fields.size() != 1 || !ParseReal(first.fields[0], &result->objective)) {
    return Status::Fail(Where(name, 1) + "expected the objective alone, found " +
                        Quote(first.fields.empty() ? "" : first.fields[0]) + " in " + std::to_string(first.fields.size()) +
                        " fields");
  }
  const int found = static_cast<int>(lines.size()) - 1;
  if (found > links) {
    return Status::Fail(Where(name, links + 2) + "link line " + std::to_string(links) + " is one too many: the input has " +
                        std::to_string(links) + " links");
  }
  for (int l = 0; l < found; ++l) {
    const Status s = ReadResultLink(name, lines[static_cast<std::size_t>(l) + 1], l, result);
    if (!s.ok) return s;
  }
  if (found < links) {
    return Status::Fail(Where(name, found + 1) + "the file ends after " + std::to_string(found) +
                        " link lines; the input has " + std::to_string(links) + " links");
  }
  return Status::Ok();
}

// A data line of a flow file: From, To, Volume and an optional Cost.
struct FlowLine {
  int line = 0;
  int from = 0;
  int to = 0;
  double volume = 0.0;
};

static Status ParseFlowLine(const std::string& name, const Line& line, FlowLine* flow) {
  const std::string where = Where(name, line.number);
  if (line.fields.size() != 3 && line.fields.size() != 4) {
    return Status::Fail(where + "expected 4 fields (From To Volume Cost), found " + std::to_string(line.fields.size()));
  }
  flow->line = line.number;
  if (!ParseWhole(line.fields[0], &flow->from) || flow->from < 1) {
    return Status::Fail(where + "From " + Quote(line.fields[0]) + " is not a node number 1 or more");
  }
  if (!ParseWhole(line.fields[1], &flow->to) || flow->to < 1) {
    return Status::Fail(where + "To " + Quote(line.fields[1]) + " is not a node number 1 or more");
  }
  return ParseVolume(name, line.number, line.fields[2], &flow->volume);
}

// Reads the data lines: blank and "~" comment lines are skipped, and a first
// line that does not start with a number is the column header.
static Status ParseFlowLines(std::istream& in, const std::string& name, std::vector<FlowLine>* flows, int* last_line) {
  bool header_allowed = true;
  const std::vector<Line> lines = ReadLines(in);
  *last_line = lines.empty() ? 1 : lines.back().number;
  for (const Line& line : lines) {
    if (line.fields.empty() || line.fields[0][0] == '~') continue;
    const bool numeric = std::isdigit(static_cast<unsigned char>(line.fields[0][0])) != 0;
    if (!numeric && header_allowed) {
      header_allowed = false;
      continue;
    }
    header_allowed = false;
    FlowLine flow;
    const Status s = ParseFlowLine(name, line, &flow);
    if (!s.ok) return s;
    flows->push_back(flow);
  }
  return Status::Ok();
}

Status ReadFlowFile(std::istream& in, const std::string& name, const std::string& input, std::vector<double>* volume) {
  std::vector<FlowLine> flows;
  int last_line = 0;
  Status s = ParseFlowLines(in, name, &flows, &last_line);
  if (!s.ok) return s;
  const int found = static_cast<int>(flows.size());
  if (found > LinkNumber) {
    return Status::Fail(Where(name, flows[static_cast<std::size_t>(LinkNumber)].line) + "link line " +
                        std::to_string(LinkNumber + 1) + " is one too many: " + input + " has " +
                        std::to_string(LinkNumber) + " links");
  }
  if (found < LinkNumber) {
    return Status::Fail(Where(name, last_line) + "the file ends after " + std::to_string(found) + " link lines; " + input +
                        " has " + std::to_string(LinkNumber) + " links");
  }
  int nodes = 0;  // the largest node number of the file; a split zone's destination lies beyond it
  for (const FlowLine& flow : flows) nodes = std::max(nodes, std::max(flow.from, flow.to));
  for (int l = 0; l < LinkNumber; ++l) {
    const FlowLine& flow = flows[static_cast<std::size_t>(l)];
    const bool head_matches = flow.to - 1 == LinkDest[l] || LinkDest[l] >= nodes;
    if (flow.from - 1 != LinkOrigin[l] || !head_matches) {
      return Status::Fail(Where(name, flow.line) + "link " + std::to_string(flow.from) + " -> " + std::to_string(flow.to) +
                          " does not match link " + std::to_string(l) + " of " + input + ", which runs from node " +
                          std::to_string(LinkOrigin[l]) + " to " + std::to_string(LinkDest[l]) + " (counting from 0)");
    }
    volume->push_back(flow.volume);
  }
  return Status::Ok();
}

}  // namespace fw
