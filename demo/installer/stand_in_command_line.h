// What the installer and uninstaller stand-ins share on their command lines: the exit status
// of each kind of failure and the words that ask for help.
#pragma once

#include <string>

constexpr int kUsageError = 2;    // wrong command line or answer file
constexpr int kLibraryError = 3;  // the library or an export was not found

inline bool helpAsked(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h" || argument == "/?") return true;
  }
  return false;
}
