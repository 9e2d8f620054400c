// Reading the iteration lines of fwassign's run log: " iteration#" header, a
// rule of dashes, "0 objective", then "n objective step derivative tree-ms
// search-ms" for each step n = 1, 2, ... in order.
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "tools/fwplot/plot.h"

namespace fw {

static std::string At(const std::string& name, int line) { return name + ":" + std::to_string(line) + ": "; }

// Reads a whole token as a finite real.
static bool Real(const std::string& token, double* value) {
  char* end = nullptr;
  *value = std::strtod(token.c_str(), &end);
  return end != token.c_str() && *end == '\0' && std::isfinite(*value);
}

// Reads iteration line `fields` as iteration `expected`; false when it is none.
static bool IterationLine(const std::vector<std::string>& fields, int expected, RunLog* log) {
  const std::size_t count = expected == 0 ? 2 : 6;
  double objective = 0.0;
  double step = 0.0;
  if (fields.size() != count || fields[0] != std::to_string(expected) || !Real(fields[1], &objective)) return false;
  if (expected > 0 && !Real(fields[2], &step)) return false;
  log->objective.push_back(objective);
  log->step.push_back(step);
  return true;
}

Status ReadRunLog(std::istream& in, const std::string& name, RunLog* log) {
  *log = RunLog{};
  enum { Header, Rule, Lines } expect = Header;
  std::string text;
  int line = 0;
  while (std::getline(in, text)) {
    ++line;
    std::istringstream words(text);
    std::vector<std::string> fields;
    for (std::string word; words >> word;) fields.push_back(word);
    if (fields.empty() && expect != Lines) continue;
    if (expect == Header) {
      if (fields[0] != "iteration#") return Status::Fail(At(name, line) + "not a run log of fwassign: expected its ' iteration#' header");
      expect = Rule;
    } else if (expect == Rule) {
      if (text.find_first_not_of(" -") != std::string::npos) return Status::Fail(At(name, line) + "expected the rule of dashes under the header");
      expect = Lines;
    } else if (!IterationLine(fields, static_cast<int>(log->objective.size()), log)) {
      break;
    }
  }
  if (log->objective.empty()) {
    return Status::Fail(At(name, line + 1) + (expect == Header ? "not a run log of fwassign: no ' iteration#' header"
                                                               : "expected the iteration-0 line '0 objective'"));
  }
  return Status::Ok();
}

}  // namespace fw
