// Node coordinates from a TNTP node file or a GeoJSON file of Points, and the
// test of whether they can be longitude/latitude. The GeoJSON reader is a small
// JSON parser: a node file is data from elsewhere, so every malformed byte is
// reported with its line rather than guessed around.
#include <cctype>
#include <cstring>
#include <sstream>

#include "tools/fwexport/export.h"

namespace fw {
namespace {

// A parsed JSON value; numbers keep their text.
struct Json {
  enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
  std::string text;                               // Number and String
  std::vector<Json> items;                        // Array
  std::vector<std::pair<std::string, Json>> members;  // Object, in file order
  int line = 0;                                   // where the value starts

  const Json* Member(const std::string& key) const {
    for (const auto& member : members) {
      if (member.first == key) return &member.second;
    }
    return nullptr;
  }
};

// Recursive descent over the whole text; the first fault ends it.
class JsonParser {
 public:
  JsonParser(const std::string& text, const std::string& file) : text_(text), file_(file) {}

  Status Parse(Json* value) {
    Status s = Value(value, 0);
    Skip();
    if (s.ok && at_ < text_.size()) s = Fault("text after the end of the JSON value");
    return s;
  }

 private:
  static constexpr int MaxDepth = 64;

  Status Fault(const std::string& what) const {
    return Status::Fail(file_ + ":" + std::to_string(line_) + ": " + what);
  }
  void Skip() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])) != 0) {
      if (text_[at_] == '\n') ++line_;
      ++at_;
    }
  }
  bool Take(char c) {
    Skip();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  Status Value(Json* value, int depth) {
    Skip();
    value->line = line_;
    if (at_ == text_.size()) return Fault("the JSON text ends where a value was expected");
    if (depth > MaxDepth) return Fault("JSON nested too deeply");
    const char c = text_[at_];
    if (c == '{') return Object(value, depth);
    if (c == '[') return Array(value, depth);
    if (c == '"') {
      value->kind = Json::String;
      return StringText(&value->text);
    }
    for (const char* word : {"true", "false", "null"}) {
      if (text_.compare(at_, std::string(word).size(), word) == 0) {
        value->kind = word[0] == 'n' ? Json::Null : Json::Bool;
        at_ += std::string(word).size();
        return Status::Ok();
      }
    }
    const std::size_t begin = at_;
    while (at_ < text_.size() && std::strchr("+-.0123456789eE", text_[at_]) != nullptr) ++at_;
    value->kind = Json::Number;
    value->text = text_.substr(begin, at_ - begin);
    if (value->text.empty()) return Fault(std::string("unexpected '") + c + "' in the JSON text");
    return Status::Ok();
  }
  // A string's content; escapes are kept as written (keys and ids need none).
  Status StringText(std::string* content) {
    ++at_;
    const std::size_t begin = at_;
    while (at_ < text_.size() && text_[at_] != '"') {
      // JSON allows no control character in a string, escaped or not; a line
      // break there would also break the one-line message that quotes it.
      const std::size_t width = text_[at_] == '\\' && at_ + 1 < text_.size() ? 2 : 1;
      for (std::size_t k = at_; k < at_ + width; ++k) {
        if (static_cast<unsigned char>(text_[k]) < 0x20) return Fault("control character inside a JSON string");
      }
      at_ += width;
    }
    if (at_ >= text_.size()) return Fault("unterminated JSON string");
    *content = text_.substr(begin, at_ - begin);
    ++at_;
    return Status::Ok();
  }
  Status Array(Json* value, int depth) {
    ++at_;
    value->kind = Json::Array;
    if (Take(']')) return Status::Ok();
    do {
      value->items.emplace_back();
      const Status s = Value(&value->items.back(), depth + 1);
      if (!s.ok) return s;
    } while (Take(','));
    return Take(']') ? Status::Ok() : Fault("expected ',' or ']' in a JSON array");
  }
  Status Object(Json* value, int depth) {
    ++at_;
    value->kind = Json::Object;
    if (Take('}')) return Status::Ok();
    do {
      Skip();
      std::string key;
      if (at_ == text_.size() || text_[at_] != '"') return Fault("expected a quoted key in a JSON object");
      Status s = StringText(&key);
      if (!s.ok) return s;
      if (!Take(':')) return Fault("expected ':' after the key \"" + key + "\"");
      value->members.emplace_back(key, Json{});
      s = Value(&value->members.back().second, depth + 1);
      if (!s.ok) return s;
    } while (Take(','));
    return Take('}') ? Status::Ok() : Fault("expected ',' or '}' in a JSON object");
  }

  const std::string& text_;
  const std::string& file_;
  std::size_t at_ = 0;
  int line_ = 1;
};

std::string Where(const std::string& file, int line) { return file + ":" + std::to_string(line) + ": "; }

// Reads a node number 1..999999999.
bool ParseNode(const std::string& token, int* node) {
  if (token.empty() || token.size() > 9 || token.find_first_not_of("0123456789") != std::string::npos) return false;
  *node = std::stoi(token);
  return *node > 0;
}

Status AddNode(NodeFile* nodes, int node, const NodePoint& point) {
  const auto inserted = nodes->nodes.emplace(node, point);
  if (inserted.second) return Status::Ok();
  return Status::Fail(Where(nodes->name, point.line) + "node " + std::to_string(node) + " again (first at line " +
                      std::to_string(inserted.first->second.line) + ")");
}

// One feature of a GeoJSON node file: a Point with a node number.
Status ReadFeature(const Json& feature, NodeFile* nodes) {
  const std::string where = Where(nodes->name, feature.line);
  const Json* properties = feature.Member("properties");
  const Json* geometry = feature.Member("geometry");
  const Json* id = nullptr;
  for (const char* key : {"id", "ID", "node", "Node"}) {
    if (id == nullptr && properties != nullptr) id = properties->Member(key);
  }
  int node = 0;
  if (id == nullptr || !ParseNode(id->text, &node)) return Status::Fail(where + "feature without a node number in properties.id");
  const Json* type = geometry != nullptr ? geometry->Member("type") : nullptr;
  const Json* coordinates = geometry != nullptr ? geometry->Member("coordinates") : nullptr;
  NodePoint point;
  point.line = feature.line;
  if (type == nullptr || type->text != "Point" || coordinates == nullptr || coordinates->items.size() < 2 ||
      !ParseTntpNumber(coordinates->items[0].text, &point.x) || !ParseTntpNumber(coordinates->items[1].text, &point.y)) {
    return Status::Fail(where + "node " + std::to_string(node) + " is not a Point with two numeric coordinates");
  }
  return AddNode(nodes, node, point);
}

Status ReadGeoJsonNodes(const std::string& text, NodeFile* nodes) {
  Json root;
  const Status s = JsonParser(text, nodes->name).Parse(&root);
  if (!s.ok) return s;
  const Json* features = root.Member("features");
  if (features == nullptr || features->kind != Json::Array) {
    return Status::Fail(nodes->name + ": not a GeoJSON FeatureCollection (no \"features\" array)");
  }
  for (const Json& feature : features->items) {
    const Status f = ReadFeature(feature, nodes);
    if (!f.ok) return f;
  }
  return Status::Ok();
}

// "Node X Y ;" lines; the first line that does not start with a digit is the header.
Status ReadTntpNodes(const std::string& text, NodeFile* nodes) {
  std::istringstream in(text);
  bool header_allowed = true;
  std::string raw;
  for (int line = 1; std::getline(in, raw); ++line) {
    std::istringstream words(raw.substr(0, raw.find('~')));
    std::vector<std::string> fields;
    for (std::string word; words >> word && word != ";";) fields.push_back(word);
    if (fields.empty()) continue;
    if (header_allowed && std::isdigit(static_cast<unsigned char>(fields[0][0])) == 0) {
      header_allowed = false;
      continue;
    }
    header_allowed = false;
    if (!fields.back().empty() && fields.back().back() == ';') fields.back().pop_back();
    int node = 0;
    NodePoint point;
    point.line = line;
    if (fields.size() < 3 || !ParseNode(fields[0], &node) || !ParseTntpNumber(fields[1], &point.x) ||
        !ParseTntpNumber(fields[2], &point.y)) {
      return Status::Fail(Where(nodes->name, line) + "expected 'node x y ;', found '" + raw.substr(0, 40) + "'");
    }
    const Status s = AddNode(nodes, node, point);
    if (!s.ok) return s;
  }
  return Status::Ok();
}

}  // namespace

Status ReadNodeText(const std::string& text, const std::string& name, NodeFile* nodes) {
  nodes->name = name;
  nodes->nodes.clear();
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return Status::Fail(name + ": no node coordinates in the file");
  Status s = text[first] == '{' ? ReadGeoJsonNodes(text, nodes) : ReadTntpNodes(text, nodes);
  if (s.ok && nodes->nodes.empty()) s = Status::Fail(name + ": no node coordinates in the file");
  return s;
}

Status ReadNodeFile(const std::string& path, NodeFile* nodes) {
  std::string text;
  const Status s = ReadWholeFile(path, &text);
  if (!s.ok) return s;
  return ReadNodeText(text, path, nodes);
}

Status CheckNodesCovered(const Assignment& assignment, const NodeFile& nodes) {
  for (const ExportLink& link : assignment.links) {
    for (const int node : {link.net->tail, link.net->head}) {
      if (nodes.nodes.count(node) == 0) {
        return Status::Fail(nodes.name + ": no coordinates for node " + std::to_string(node) + " (a link end at line " +
                            std::to_string(link.net->line) + " of the net file)");
      }
    }
  }
  return Status::Ok();
}

Status ReadPlacingNodes(const std::string& path, const Assignment& assignment, NodeFile* nodes, std::string* planar) {
  Status s = ReadNodeFile(path, nodes);
  if (s.ok) s = CheckNodesCovered(assignment, *nodes);
  if (s.ok) *planar = PlanarReason(*nodes);
  return s;
}

std::string PlanarReason(const NodeFile& nodes) {
  double least_x = 0.0;
  double least_y = 0.0;
  bool first = true;
  for (const auto& entry : nodes.nodes) {
    const NodePoint& point = entry.second;
    if (point.x.value < -180.0 || point.x.value > 180.0 || point.y.value < -90.0 || point.y.value > 90.0) {
      return Where(nodes.name, point.line) + "node " + std::to_string(entry.first) + " at (" + point.x.text + ", " +
             point.y.text + ") lies outside longitude -180..180, latitude -90..90";
    }
    least_x = first || point.x.value < least_x ? point.x.value : least_x;
    least_y = first || point.y.value < least_y ? point.y.value : least_y;
    first = false;
  }
  if (least_x == 0.0 && least_y == 0.0) {
    return nodes.name + ": the smallest x and the smallest y are both exactly 0, the corner of a planar frame";
  }
  return "";
}

}  // namespace fw
