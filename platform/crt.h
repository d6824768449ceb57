// The C runtime calls whose Windows behaviour differs from the host's C library: getenv that
// compares names without case and reads the environment as received at start, fopen that
// takes Windows paths, the case-insensitive comparisons, and the spawn family.
//
// getenv and fopen keep their C names inside namespace crt so that they cannot be confused
// with the host's: the system's code calls crt::getenv and crt::fopen.
#pragma once

#include <cstdio>

#include "wintypes.h"

namespace crt {
// The value of the variable in the environment the program received at start; names compare
// without regard to case. Later SetEnvironmentVariableA calls do not change what it returns.
char* getenv(const char* name);
// fopen for a Windows path (see winbase.h for the path rules); errno as the host sets it.
FILE* fopen(const char* path, const char* mode);
}  // namespace crt

int _stricmp(const char* a, const char* b);
int _strnicmp(const char* a, const char* b, size_t count);

// The spawn family. The argument strings are joined with single blanks, without quoting,
// into the child's command line, which the child splits again (see process.h). _P_NOWAIT
// returns the new process's handle, _P_WAIT its exit code; -1 with errno set on failure.
// _spawnv takes the program's path; _spawnvp also searches the PATH the program received.
#define _P_WAIT 0
#define _P_NOWAIT 1
intptr_t _spawnv(int mode, const char* path, const char* const* argv);
intptr_t _spawnvp(int mode, const char* file, const char* const* argv);
