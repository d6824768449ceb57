// Path helpers of the environment code: file existence under a directory, joining strings
// with allocation-failure events, and slash conversion.
#pragma once

#include <optional>
#include <string>

// "<directory>\<file>" when FindFirstFileA finds it, else none. An absent or empty directory
// or file name counts as "."; both absent give none.
std::optional<std::string> findFileInPath(const char* directory, const char* fileName);

// The first text followed by the second (either may be absent, which counts as empty); none,
// with an error line and an event, when the result cannot be allocated.
std::optional<std::string> copy(const std::optional<std::string>& first, const char* second);

// Every "/" of the text becomes "\".
void toBackslashes(std::string& text);
