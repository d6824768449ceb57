// Command lines as Windows passes them: one string, split into an argument vector by the
// Microsoft C runtime's rules on the child's side.
#pragma once

#include <string>
#include <vector>

namespace nt {

// Splits a command line: blanks and tabs separate; double quotes group and are removed;
// 2n backslashes before a quote give n backslashes and the quote groups, 2n+1 give n
// backslashes and a literal quote; other backslashes are literal; inside quotes "" is a
// literal quote. The first word (the program) ends at the first blank outside quotes and
// takes backslashes literally.
std::vector<std::string> splitCommandLine(const std::string& commandLine);

}  // namespace nt
