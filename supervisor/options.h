// The supervisor's command line: options with "-" or "/" (-install, -uninstall, -configfile,
// -diaglevel, -diagfile) and the command words startagent, stopagent, startserver and
// stopserver, all compared without regard to case.
#pragma once

#include "settings.h"

// True when the argument is "-" or "/" followed by the word, without regard to case.
bool matchOption(const char* argument, const char* word);

// Writes the usage line with the program name to standard output and ends with status 1.
[[noreturn]] void usage(const char* programName);

// Computes the defaults, then applies the arguments; calls usage on any error.
void parseOptions(int argc, char** argv, SupervisorSettings& result);

// A -diaglevel value: hexadecimal after "0x" in any case, else decimal, as a 32-bit strtol.
int32_t parseDiagLevel(const char* value);
