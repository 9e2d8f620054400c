// TNTP net and trip-table reading: metadata, link lines and "Origin" blocks,
// with every field checked and every fault reported with its file and line.
#include "tools/tntp2input/tntp_reader.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <map>
#include <sstream>
#include <utility>

#include "network/network.h"
#include "tools/file_messages.h"

namespace fw {
namespace {

// Largest node, zone or link count accepted; keeps node indices of split zones in int.
constexpr long long MaxCount = 1000000000;

// A metadata line "<TAG> value" and where it was.
struct MetaEntry {
  std::string tag;
  std::string value;
  int line = 0;
};

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The line without its "~" comment and surrounding blanks (a CRLF's '\r' included).
std::string Content(const std::string& line) { return Trim(line.substr(0, line.find('~'))); }

// Reads up to the next line with content, counting lines in *line_number,
// into *text as Content gives it; false at the end of the file.
bool NextContent(std::istream& in, int* line_number, std::string* text) {
  std::string raw;
  while (std::getline(in, raw)) {
    ++*line_number;
    *text = Content(raw);
    if (!text->empty()) return true;
  }
  return false;
}

std::vector<std::string> Fields(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> fields;
  std::string field;
  while (in >> field) fields.push_back(field);
  return fields;
}

// The end of the message about a field that ParseTntpNumber refuses.
const std::string NotANumber = " is not a number (expected decimal digits, finite in single precision, at most " +
                               std::to_string(MaxTokenLength) + " characters)";

// Reads a decimal integer of digits only, at most MaxCount.
bool ParseCount(const std::string& token, int* value) {
  if (token.empty() || token.size() > 10) return false;
  for (char c : token) {
    if (!IsDigit(c)) return false;
  }
  const long long count = std::stoll(token);
  if (count > MaxCount) return false;
  *value = static_cast<int>(count);
  return true;
}

// Reads the metadata lines up to <END OF METADATA>, counting lines in *line_number.
Status ReadMetadata(std::istream& in, const std::string& file, int* line_number,
                    std::vector<MetaEntry>* meta) {
  std::string text;
  while (NextContent(in, line_number, &text)) {
    if (text[0] != '<') {
      return Status::Fail(Where(file, *line_number) + "expected a metadata line '<TAG> value', found " +
                          Quote(text) + " (is <END OF METADATA> missing?)");
    }
    const std::size_t close = text.find('>');
    if (close == std::string::npos) {
      return Status::Fail(Where(file, *line_number) + "metadata tag " + Quote(text) + " has no closing '>'");
    }
    MetaEntry entry{Trim(text.substr(1, close - 1)), Trim(text.substr(close + 1)), *line_number};
    if (entry.tag == "END OF METADATA") return Status::Ok();
    for (const MetaEntry& earlier : *meta) {
      if (earlier.tag == entry.tag) {
        return Status::Fail(Where(file, *line_number) + "<" + entry.tag + "> repeated (first at line " +
                            std::to_string(earlier.line) + ")");
      }
    }
    meta->push_back(entry);
  }
  return Status::Fail(Where(file, *line_number) + "missing <END OF METADATA>");
}

// Reads the count a metadata line states into *value.
Status MetaCount(const MetaEntry& entry, const std::string& file, int* value) {
  if (!ParseCount(entry.value, value)) {
    return Status::Fail(Where(file, entry.line) + "<" + entry.tag + "> " + Quote(entry.value) +
                        " is not a count (expected a whole number 0.." + std::to_string(MaxCount) + ")");
  }
  return Status::Ok();
}

// Reads a generalized-cost factor; a nonzero one adds a term the input format lacks.
Status MetaFactor(const MetaEntry& entry, const std::string& file, const std::string& what,
                  TntpNumber* factor, std::vector<std::string>* warnings) {
  if (!ParseTntpNumber(entry.value, factor)) {
    return Status::Fail(Where(file, entry.line) + "<" + entry.tag + "> " + Quote(entry.value) +
                        " is not a number");
  }
  if (factor->value != 0.0) {
    warnings->push_back(Where(file, entry.line) + "<" + entry.tag + "> " + factor->text +
                        " is ignored: " + what + " do not enter the link costs of the input format");
  }
  return Status::Ok();
}

void WarnUnknownTag(const MetaEntry& entry, const std::string& file, std::vector<std::string>* warnings) {
  warnings->push_back(Where(file, entry.line) + "metadata <" + entry.tag +
                      "> is not understood and is ignored; the links are converted as BPR costs");
}

}  // namespace

bool ParseTntpNumber(const std::string& token, TntpNumber* number) {
  const std::size_t size = token.size();
  std::size_t i = 0;
  std::string sign;
  if (i < size && (token[i] == '+' || token[i] == '-')) {
    if (token[i] == '-') sign = "-";
    ++i;
  }
  const std::size_t whole_begin = i;
  while (i < size && IsDigit(token[i])) ++i;
  std::string whole = token.substr(whole_begin, i - whole_begin);
  std::string fraction;
  if (i < size && token[i] == '.') {
    const std::size_t fraction_begin = ++i;
    while (i < size && IsDigit(token[i])) ++i;
    fraction = token.substr(fraction_begin, i - fraction_begin);
  }
  if (whole.empty() && fraction.empty()) return false;
  std::string exponent;
  if (i < size && (token[i] == 'e' || token[i] == 'E')) {
    const std::size_t exponent_begin = i++;
    if (i < size && (token[i] == '+' || token[i] == '-')) ++i;
    const std::size_t digits_begin = i;
    while (i < size && IsDigit(token[i])) ++i;
    if (i == digits_begin) return false;
    exponent = token.substr(exponent_begin, i - exponent_begin);
  }
  if (i != size) return false;
  // The program reads single precision: a value that overflows it is no number there.
  if (!std::isfinite(std::strtof(token.c_str(), nullptr))) return false;

  // Trailing fraction zeros do not change the decimal value, so dropping them
  // leaves every reading of the number, single precision included, the same.
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (whole.empty()) whole = "0";
  const std::string text = sign + whole + (fraction.empty() ? "" : "." + fraction) + exponent;
  // The converter writes the text as it stands, so the program must be able to read it.
  if (text.size() > MaxTokenLength) return false;
  number->text = text;
  number->value = std::strtod(token.c_str(), nullptr);
  return true;
}

namespace {

// The fields of a link line after its two nodes, in file order, and what each must hold.
struct NumberField {
  const char* name;
  TntpNumber TntpLink::*number;
  // A length, time or BPR parameter. Link type is a facility class in TNTP
  // files, and toll is only weighed by <TOLL FACTOR>, so either may be negative.
  bool non_negative;
  // Checked against single precision's normal range, in which the program
  // keeps its reals.
  bool single_range;
};

constexpr NumberField kNumberFields[] = {
    {"capacity", &TntpLink::capacity, true, true},
    {"length", &TntpLink::length, true, true},
    {"free_flow_time", &TntpLink::free_flow_time, true, true},
    {"b", &TntpLink::b, true, true},
    {"power", &TntpLink::power, true, true},
    {"speed", &TntpLink::speed, true, false},
    {"toll", &TntpLink::toll, false, false},
    {"link_type", &TntpLink::link_type, false, false},
};

// The two node fields that start a link line.
struct NodeField {
  const char* name;
  int TntpLink::*node;
};

constexpr NodeField kNodeFields[] = {{"init_node", &TntpLink::tail}, {"term_node", &TntpLink::head}};

constexpr std::size_t kLinkFields = std::size(kNodeFields) + std::size(kNumberFields);

// "init_node term_node capacity ... link_type", for messages.
std::string LinkFieldNames() {
  std::string names;
  for (const NodeField& field : kNodeFields) names += std::string(names.empty() ? "" : " ") + field.name;
  for (const NumberField& field : kNumberFields) names += std::string(" ") + field.name;
  return names;
}

// What the metadata of a net file says beyond the counts in TntpNet.
struct NetMeta {
  const MetaEntry* links = nullptr;  // the <NUMBER OF LINKS> line
  bool tolls_count = true;           // false once <TOLL FACTOR> 0 says tolls carry no weight
};

// Reads the counts and factors of a net file's metadata into *net and *net_meta.
Status ReadNetMeta(const std::vector<MetaEntry>& meta, const std::string& file, TntpNet* net, NetMeta* net_meta,
                   std::vector<std::string>* warnings) {
  const MetaEntry* nodes_entry = nullptr;
  const MetaEntry* zones_entry = nullptr;
  const MetaEntry* thru_entry = nullptr;
  Status status = Status::Ok();
  for (const MetaEntry& entry : meta) {
    TntpNumber factor;
    if (entry.tag == "NUMBER OF NODES") {
      status = MetaCount(entry, file, &net->nodes);
      nodes_entry = &entry;
    } else if (entry.tag == "NUMBER OF ZONES") {
      status = MetaCount(entry, file, &net->zones);
      zones_entry = &entry;
    } else if (entry.tag == "FIRST THRU NODE") {
      status = MetaCount(entry, file, &net->first_thru_node);
      thru_entry = &entry;
    } else if (entry.tag == "NUMBER OF LINKS") {
      status = MetaCount(entry, file, &net->declared_links);
      net_meta->links = &entry;
    } else if (entry.tag == "TOLL FACTOR") {
      status = MetaFactor(entry, file, "tolls", &factor, warnings);
      net_meta->tolls_count = factor.value != 0.0;
    } else if (entry.tag == "DISTANCE FACTOR") {
      status = MetaFactor(entry, file, "link lengths", &factor, warnings);
    } else if (entry.tag != "ORIGINAL HEADER") {
      WarnUnknownTag(entry, file, warnings);
    }
    if (!status.ok) return status;
  }
  if (nodes_entry == nullptr) return Status::Fail(file + ": missing <NUMBER OF NODES> in the metadata");
  if (net_meta->links == nullptr) return Status::Fail(file + ": missing <NUMBER OF LINKS> in the metadata");
  if (net->nodes < 1) {
    return Status::Fail(Where(file, nodes_entry->line) + "<NUMBER OF NODES> 0: expected at least one node");
  }
  if (zones_entry != nullptr && net->zones > net->nodes) {
    return Status::Fail(Where(file, zones_entry->line) + "<NUMBER OF ZONES> " + std::to_string(net->zones) +
                        " exceeds <NUMBER OF NODES> " + std::to_string(net->nodes));
  }
  if (thru_entry != nullptr && net->first_thru_node > net->nodes + 1) {
    return Status::Fail(Where(file, thru_entry->line) + "<FIRST THRU NODE> " + std::to_string(net->first_thru_node) +
                        " is beyond the last node " + std::to_string(net->nodes));
  }
  return Status::Ok();
}

// Reads the fields of one link line (its text without comment and ';') into
// *link; `where` starts each message.
Status ReadLinkFields(const std::vector<std::string>& fields, const std::string& where, int nodes, TntpLink* link) {
  for (std::size_t k = 0; k < std::size(kNodeFields); ++k) {
    int* const node = &(link->*kNodeFields[k].node);
    if (!ParseCount(fields[k], node) || *node < 1 || *node > nodes) {
      return Status::Fail(where + kNodeFields[k].name + " " + Quote(fields[k]) + " is not a node number 1.." +
                          std::to_string(nodes));
    }
  }
  for (std::size_t k = 0; k < std::size(kNumberFields); ++k) {
    const std::string& text = fields[std::size(kNodeFields) + k];
    if (!ParseTntpNumber(text, &(link->*kNumberFields[k].number))) {
      return Status::Fail(where + kNumberFields[k].name + " " + Quote(text) + NotANumber);
    }
  }
  if (link->capacity.value <= 0.0) {
    return Status::Fail(where + "capacity " + link->capacity.text + " must be positive: the BPR cost divides by it");
  }
  for (const NumberField& field : kNumberFields) {
    const TntpNumber& number = link->*field.number;
    if (field.non_negative && number.value < 0.0) {
      return Status::Fail(where + field.name + " " + number.text + " must not be negative");
    }
  }
  return Status::Ok();
}

// The first of the links that share a condition worth a warning, and how many share it.
struct FirstOf {
  int count = 0;
  int line = 0;
  std::string what;  // the field and value of the first

  void Note(int at, const std::string& field_and_value) {
    if (++count > 1) return;
    line = at;
    what = field_and_value;
  }
};

}  // namespace

Status ReadTntpNet(std::istream& in, const std::string& file, TntpNet* net,
                   std::vector<std::string>* warnings) {
  *net = TntpNet{};
  int line_number = 0;
  std::vector<MetaEntry> meta;
  Status status = ReadMetadata(in, file, &line_number, &meta);
  if (!status.ok) return status;
  NetMeta net_meta;
  status = ReadNetMeta(meta, file, net, &net_meta, warnings);
  if (!status.ok) return status;

  FirstOf tolled;
  FirstOf tiny;  // a value single precision cannot hold
  std::string text;
  while (NextContent(in, &line_number, &text)) {
    const std::string where = Where(file, line_number);
    const std::size_t semicolon = text.find(';');
    if (semicolon != std::string::npos) {
      if (!Trim(text.substr(semicolon + 1)).empty()) {
        return Status::Fail(where + "text " + Quote(Trim(text.substr(semicolon + 1))) +
                            " after the ';' that ends the link line");
      }
      text = text.substr(0, semicolon);
    }
    const std::vector<std::string> fields = Fields(text);
    if (fields.size() != kLinkFields) {
      return Status::Fail(where + "expected " + std::to_string(kLinkFields) + " fields (" + LinkFieldNames() +
                          "), found " + std::to_string(fields.size()));
    }
    if (static_cast<int>(net->links.size()) == net->declared_links) {
      return Status::Fail(where + "link line beyond the " + std::to_string(net->declared_links) +
                          " links of <NUMBER OF LINKS> (line " + std::to_string(net_meta.links->line) + ")");
    }
    TntpLink link;
    link.line = line_number;
    status = ReadLinkFields(fields, where, net->nodes, &link);
    if (!status.ok) return status;
    // The program keeps reals in single precision: a nonzero value below its
    // normal range is read as 0 or with most of its digits lost.
    for (const NumberField& field : kNumberFields) {
      const TntpNumber& number = link.*field.number;
      const double magnitude = std::fabs(number.value);
      if (field.single_range && magnitude != 0.0 && magnitude < static_cast<double>(FLT_MIN)) {
        tiny.Note(line_number, std::string(field.name) + " " + number.text);
      }
    }
    if (link.toll.value != 0.0 && net_meta.tolls_count) tolled.Note(line_number, "toll " + link.toll.text);
    net->links.push_back(link);
  }
  if (static_cast<int>(net->links.size()) != net->declared_links) {
    return Status::Fail(Where(file, net_meta.links->line) + "<NUMBER OF LINKS> " +
                        std::to_string(net->declared_links) + " but the file has " +
                        std::to_string(net->links.size()) + " link lines");
  }
  if (tiny.count > 0) {
    warnings->push_back(Where(file, tiny.line) + tiny.what + " on this link and " + std::to_string(tiny.count - 1) +
                        " more lies below the single-precision range: the program reads such values as 0"
                        " or with lost digits");
  }
  if (tolled.count > 0) {
    warnings->push_back(Where(file, tolled.line) + tolled.what + " on this link and " +
                        std::to_string(tolled.count - 1) + " more is ignored: the input format has no toll term");
  }
  return Status::Ok();
}

Status ReadTntpTrips(std::istream& in, const std::string& file, const TntpNet& net,
                     TntpTrips* trips, std::vector<std::string>* warnings) {
  *trips = TntpTrips{};
  int line_number = 0;
  std::vector<MetaEntry> meta;
  Status status = ReadMetadata(in, file, &line_number, &meta);
  if (!status.ok) return status;

  trips->zones = net.zones;
  for (const MetaEntry& entry : meta) {
    if (entry.tag == "NUMBER OF ZONES") {
      int zones = 0;
      status = MetaCount(entry, file, &zones);
      if (!status.ok) return status;
      if (net.zones != 0 && zones != net.zones) {
        return Status::Fail(Where(file, entry.line) + "<NUMBER OF ZONES> " + std::to_string(zones) +
                            " differs from the net file's " + std::to_string(net.zones));
      }
      if (zones > net.nodes) {
        return Status::Fail(Where(file, entry.line) + "<NUMBER OF ZONES> " + std::to_string(zones) +
                            " exceeds the net file's " + std::to_string(net.nodes) + " nodes");
      }
      trips->zones = zones;
    } else if (entry.tag != "TOTAL OD FLOW") {
      WarnUnknownTag(entry, file, warnings);
    }
  }
  if (trips->zones == 0) {
    return Status::Fail(file + ": missing <NUMBER OF ZONES> here and in the net file");
  }
  const std::string zone_range = " is not a zone 1.." + std::to_string(trips->zones);

  std::map<std::pair<int, int>, int> seen;  // (origin, dest) -> line of its entry
  int origin = 0;
  std::string text;
  while (NextContent(in, &line_number, &text)) {
    const std::string where = Where(file, line_number);
    std::istringstream words(text);
    std::string first;
    words >> first;
    if (first == "Origin") {
      std::string number;
      words >> number;
      if (!ParseCount(number, &origin) || origin < 1 || origin > trips->zones) {
        return Status::Fail(where + "origin " + Quote(number) + zone_range);
      }
      text.clear();  // entries may follow on the same line
      std::getline(words, text);
    } else if (origin == 0) {
      return Status::Fail(where + "trip entry " + Quote(text) + " before the first 'Origin' line");
    }
    std::istringstream entries(text);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
      entry = Trim(entry);
      if (entry.empty()) continue;
      const std::size_t colon = entry.find(':');
      if (colon == std::string::npos) {
        return Status::Fail(where + "expected 'destination : volume;', found " + Quote(entry));
      }
      TntpTrip trip;
      trip.line = line_number;
      trip.origin = origin;
      const std::string dest = Trim(entry.substr(0, colon));
      const std::string volume = Trim(entry.substr(colon + 1));
      if (!ParseCount(dest, &trip.dest) || trip.dest < 1 || trip.dest > trips->zones) {
        return Status::Fail(where + "destination " + Quote(dest) + zone_range);
      }
      if (!ParseTntpNumber(volume, &trip.volume)) {
        return Status::Fail(where + "trip volume " + Quote(volume) + NotANumber);
      }
      if (trip.volume.value < 0.0) {
        return Status::Fail(where + "trip volume " + trip.volume.text + " from " + std::to_string(origin) +
                            " to " + std::to_string(trip.dest) + " must not be negative");
      }
      const auto inserted = seen.emplace(std::make_pair(origin, trip.dest), line_number);
      if (!inserted.second) {
        return Status::Fail(where + "second entry from " + std::to_string(origin) + " to " +
                            std::to_string(trip.dest) + " (first at line " +
                            std::to_string(inserted.first->second) + ")");
      }
      trips->entries.push_back(trip);
    }
  }
  return Status::Ok();
}

}  // namespace fw
