// The process environment that SetEnvironmentVariableA changes and child processes receive.
#pragma once

#include <string>
#include <vector>

namespace nt {

// The environment block for a new child: "NAME=value" strings, in the order the names were
// first set. Starts as a copy of the environment the program received.
std::vector<std::string> environmentBlock();

}  // namespace nt
