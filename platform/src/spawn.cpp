// The C runtime's _spawnv and _spawnvp: the argument strings joined into one command line,
// which the child splits again, started with the Win32 environment.
#include <cerrno>
#include <string>

#include "../crt.h"
#include "../process.h"
#include "../winbase.h"
#include "command_line.h"
#include "environment.h"
#include "handles.h"
#include "process_object.h"

namespace {

std::string joinArguments(const char* const* argv) {
  std::string line;
  for (const char* const* a = argv; *a; ++a) {
    if (a != argv) line += ' ';
    line += *a;
  }
  return line;
}

bool hasDirectory(const char* name) {
  for (const char* c = name; *c; ++c) {
    if (*c == '\\' || *c == '/' || *c == ':') return true;
  }
  return false;
}

intptr_t spawnHostProgram(int mode, const std::string& hostProgram, const char* const* argv) {
  if (mode != _P_WAIT && mode != _P_NOWAIT) {
    errno = EINVAL;
    return -1;
  }
  if (hostProgram.empty()) {
    errno = ENOENT;
    return -1;
  }
  nt::LaunchRequest request;
  request.hostProgram = hostProgram;
  request.arguments = nt::splitCommandLine(joinArguments(argv));
  request.environment = nt::environmentBlock();
  auto process = nt::launchProcess(request);
  if (!process) return -1;
  if (mode == _P_NOWAIT) return reinterpret_cast<intptr_t>(nt::insertHandle(process));

  HANDLE handle = nt::insertHandle(process);
  WaitForSingleObject(handle, INFINITE);
  const DWORD exitCode = process->exitCode();
  CloseHandle(handle);
  return static_cast<intptr_t>(static_cast<int>(exitCode));
}

bool validArguments(const char* name, const char* const* argv) {
  if (name && *name && argv && argv[0]) return true;
  errno = EINVAL;
  return false;
}

}  // namespace

// A spawn that succeeds leaves errno as it was; one that fails sets it.
intptr_t _spawnv(int mode, const char* path, const char* const* argv) {
  if (!validArguments(path, argv)) return -1;
  const int savedErrno = errno;
  const intptr_t result = spawnHostProgram(mode, nt::hostProgramFor(path), argv);
  if (result != -1) errno = savedErrno;
  return result;
}

intptr_t _spawnvp(int mode, const char* file, const char* const* argv) {
  if (!validArguments(file, argv)) return -1;
  const int savedErrno = errno;
  std::string program = nt::hostProgramFor(file);
  if (program.empty() && !hasDirectory(file)) {
    const char* path = crt::getenv("PATH");
    program = nt::searchProgram(file, nt::splitPathList(path ? path : ""));
  }
  const intptr_t result = spawnHostProgram(mode, program, argv);
  if (result != -1) errno = savedErrno;
  return result;
}
