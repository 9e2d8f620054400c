// The one way a failure travels: a procedure that can fail returns a Status,
// and only the program entry prints its message and ends the process.
#ifndef FW_NETWORK_STATUS_H
#define FW_NETWORK_STATUS_H

#include <string>
#include <utility>

namespace fw {

struct Status {
  bool ok = true;          // false: the run cannot go on
  std::string message;     // one line, without its line break, saying what failed and where
  bool line_break = true;  // false: the message is printed exactly as it stands

  static Status Ok() { return Status{}; }
  static Status Fail(std::string text) { return Status{false, std::move(text), true}; }
  // A message printed without a line break, for the one message whose bytes are fixed.
  static Status Bare(std::string text) { return Status{false, std::move(text), false}; }
};

}  // namespace fw

#endif  // FW_NETWORK_STATUS_H
