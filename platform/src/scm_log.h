// The manager's own log, ntscm.log in the machine root: when it started and stopped, which
// service processes it started and how they ended. For people reading what happened.
#pragma once

#include <string>

namespace nt::scm {

// Appends one dated line; a log that cannot be written loses the line and nothing else.
void logManagerEvent(const std::string& machineRoot, const std::string& text);

}  // namespace nt::scm
