// The one way a failure travels: a procedure that can fail returns a Status,
// and only the program entry prints its message and ends the process.
#ifndef FW_NETWORK_STATUS_H
#define FW_NETWORK_STATUS_H

#include <string>
#include <utility>

namespace fw {

struct Status {
  bool ok = true;       // false: the run cannot go on
  std::string message;  // one line, without a line break, saying what failed and where

  static Status Ok() { return Status{}; }
  static Status Fail(std::string text) { return Status{false, std::move(text)}; }
};

}  // namespace fw

#endif  // FW_NETWORK_STATUS_H
