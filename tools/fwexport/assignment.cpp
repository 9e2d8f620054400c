// Reading an assignment: the net file, the input file and the result file
// joined link by link, and the staged writing every output file goes through,
// so a failed or interrupted tool never leaves part of a file behind.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "network/tables.h"
#include "tools/fwexport/export.h"

namespace fw {

static Status FileFault(const std::string& path, const std::string& what) {
  return Status::Fail(path + ": " + what + ": " + std::strerror(errno));
}

Status ReadWholeFile(const std::string& path, std::string* text) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return FileFault(path, "cannot open");
  text->clear();
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) text->append(buffer, got);
  const bool failed = std::ferror(in) != 0;
  std::fclose(in);
  if (failed) return FileFault(path, "cannot read");
  if (text->find_first_not_of(" \t\r\n") == std::string::npos) return Status::Fail(path + ": the file is empty");
  return Status::Ok();
}

Status WriteStaged(const std::string& path, const std::function<Status(std::ostream&)>& write) {
  const std::string staged = path + ".tmp-" + std::to_string(getpid());
  std::ofstream stream(staged, std::ios::binary | std::ios::trunc);
  if (!stream) return FileFault(path, "cannot create a temporary file beside it");
  Status s = write(stream);
  stream.close();
  if (s.ok && !stream) s = FileFault(path, "writing failed");
  if (s.ok && std::rename(staged.c_str(), path.c_str()) != 0) s = FileFault(path, "cannot be replaced");
  if (!s.ok) std::remove(staged.c_str());
  return s;
}

Status ParseCommandLine(const std::vector<std::string>& args, const std::vector<ValuedOption>& valued,
                        std::vector<std::string>* positional, bool* help) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto option = std::find_if(valued.begin(), valued.end(), [&arg](const ValuedOption& o) { return arg == o.name; });
    if (option != valued.end()) {
      if (i + 1 == args.size()) return Status::Fail("option " + arg + " needs a value");
      *option->value = args[++i];
    } else if (arg == "--help" || arg == "-h") {
      *help = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Status::Fail("unknown option " + arg);
    } else {
      positional->push_back(arg);
    }
  }
  return Status::Ok();
}

int ToolExit(const char* tool, const Status& s) {
  if (s.ok) return 0;
  std::fprintf(stderr, "%s: %s\n", tool, s.message.c_str());
  return 1;
}

int TntpNode(int index, int nodes) { return index < nodes ? index + 1 : index - nodes + 1; }

// Checks that input link l (in the tables) is net link `link` with the zone splitting undone.
static Status MatchLink(const TntpNet& net, const TntpLink& link, int l, const std::string& input,
                        const std::string& net_file) {
  const int tail = LinkOrigin[l] < net.nodes ? LinkOrigin[l] + 1 : 0;  // a split zone's arrival half starts no link
  const int head = TntpNode(LinkDest[l], net.nodes);
  const bool split_head = LinkDest[l] >= net.nodes;
  if (tail == link.tail && head == link.head && (!split_head || head < net.first_thru_node)) return Status::Ok();
  return Status::Fail(net_file + ":" + std::to_string(link.line) + ": link " + std::to_string(link.tail) + " -> " +
                      std::to_string(link.head) + " does not match link " + std::to_string(l) + " of " + input +
                      ", which runs from node index " + std::to_string(LinkOrigin[l]) + " to " +
                      std::to_string(LinkDest[l]) + " (TNTP node " + std::to_string(LinkOrigin[l] + 1) + " to " +
                      std::to_string(head) + (split_head ? ", a split zone" : "") + ")");
}

// Reads the net file with the importer's reader; its warnings are of no concern here.
static Status ReadNet(const std::string& path, TntpNet* net) {
  std::string text;
  Status s = ReadWholeFile(path, &text);
  if (!s.ok) return s;
  std::istringstream in(text);
  std::vector<std::string> warnings;
  return ReadTntpNet(in, path, net, &warnings);
}

Status LoadAssignment(const std::string& net_file, const std::string& input_file, const std::string& result_file,
                      Assignment* assignment) {
  Status s = ReadNet(net_file, &assignment->net);
  if (!s.ok) return s;
  s = ReadInputFile(input_file);
  if (!s.ok) return s;
  const TntpNet& net = assignment->net;
  if (static_cast<int>(net.links.size()) != LinkNumber) {
    return Status::Fail(input_file + ": " + std::to_string(LinkNumber) + " links, but " + net_file + " has " +
                        std::to_string(net.links.size()));
  }
  std::string text;
  s = ReadWholeFile(result_file, &text);
  if (!s.ok) return s;
  std::istringstream result_in(text);
  s = ReadResultFile(result_in, result_file, LinkNumber, &assignment->result);
  if (!s.ok) return s;
  assignment->links.clear();
  for (int l = 0; l < LinkNumber; ++l) {
    const std::size_t k = static_cast<std::size_t>(l);
    s = MatchLink(net, net.links[k], l, input_file, net_file);
    if (!s.ok) return s;
    ExportLink link;
    link.net = &net.links[k];
    link.volume = assignment->result.volume[k];
    link.cost = assignment->result.cost[k];
    link.saturation = link.volume / link.net->capacity.value;  // the importer refuses capacities of 0
    assignment->links.push_back(link);
  }
  return Status::Ok();
}

}  // namespace fw
