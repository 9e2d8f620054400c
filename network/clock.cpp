// The one reading of the process clock, kept in its own file so that the
// reproducible test build can link a fixed clock in its place.
#include <ctime>

#include "network/network.h"

namespace fw {

std::clock_t ProcessClock() { return std::clock(); }

}  // namespace fw
