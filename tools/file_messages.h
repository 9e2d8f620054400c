// Pieces of the tools' messages about faulty files, so that every tool
// names a place and quotes a faulty piece alike.
#ifndef FW_TOOLS_FILE_MESSAGES_H
#define FW_TOOLS_FILE_MESSAGES_H

#include <string>

namespace fw {

// "file:line: ", the start of a message about that line.
inline std::string Where(const std::string& file, int line) { return file + ":" + std::to_string(line) + ": "; }

// Quotes a piece of a faulty line, cut short so the message stays one readable line.
inline std::string Quote(const std::string& text) {
  return "'" + (text.size() > 40 ? text.substr(0, 40) + "..." : text) + "'";
}

}  // namespace fw

#endif  // FW_TOOLS_FILE_MESSAGES_H
