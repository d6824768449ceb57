// CreateProcessA, GetExitCodeProcess, TerminateProcess and GetProcessId.
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "../process.h"
#include "../winbase.h"
#include "../winerror.h"
#include "command_line.h"
#include "environment.h"
#include "file_object.h"
#include "host_error.h"
#include "paths.h"
#include "process_object.h"

namespace {

using nt::fail;

// The directory of the running program, in Windows form.
std::string programDirectory() {
  char self[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  self[n] = '\0';
  std::string path = nt::windowsPathFor(self);
  return path.substr(0, path.find_last_of('\\'));
}

std::string win32Variable(const char* name) {
  char small[1];
  const DWORD size = GetEnvironmentVariableA(name, small, 0);
  if (size == 0) return {};
  std::string value(size, '\0');
  const DWORD length = GetEnvironmentVariableA(name, value.data(), size);
  value.resize(length);
  return value;
}

// The program a command line names when no application name is given.
std::string findCommandProgram(std::string name) {
  const size_t lastName = name.find_last_of("\\/");
  const bool hasDirectory = lastName != std::string::npos || name.find(':') != std::string::npos;
  if (name.find('.', lastName == std::string::npos ? 0 : lastName) == std::string::npos) {
    name += ".exe";
  }
  if (hasDirectory) return nt::hostProgramFor(name);
  std::vector<std::string> directories{programDirectory(), "."};
  for (const std::string& d : nt::splitPathList(win32Variable("PATH"))) directories.push_back(d);
  return nt::searchProgram(name, directories);
}

// "A=1\0B=2\0\0" into strings.
std::vector<std::string> parseEnvironmentBlock(const char* block) {
  std::vector<std::string> strings;
  while (*block) {
    strings.emplace_back(block);
    block += strings.back().size() + 1;
  }
  return strings;
}

int standardFd(HANDLE handle) {
  auto file = nt::lookupHandleAs<nt::FileObject>(handle);
  return file ? file->fd() : -1;
}

void chooseStandardHandles(DWORD creationFlags, const STARTUPINFOA* startupInfo,
                           nt::LaunchRequest& request) {
  if (startupInfo && (startupInfo->dwFlags & STARTF_USESTDHANDLES)) {
    request.standardFds = std::vector<int>{standardFd(startupInfo->hStdInput),
                                           standardFd(startupInfo->hStdOutput),
                                           standardFd(startupInfo->hStdError)};
  } else if (creationFlags & (CREATE_NEW_CONSOLE | DETACHED_PROCESS)) {
    request.standardFds = std::vector<int>{-1, -1, -1};  // a console with no window
  }
}

std::shared_ptr<nt::ProcessObject> processFor(HANDLE handle) {
  auto process = nt::lookupHandleAs<nt::ProcessObject>(handle);
  if (!process) SetLastError(ERROR_INVALID_HANDLE);
  return process;
}

}  // namespace

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                    LPSECURITY_ATTRIBUTES /*processAttributes*/,
                    LPSECURITY_ATTRIBUTES /*threadAttributes*/, BOOL /*inheritHandles*/,
                    DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                    LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation) {
  nt::PreserveErrno keepErrno;
  if (!processInformation) return fail(ERROR_INVALID_PARAMETER, FALSE);
  nt::LaunchRequest request;
  request.arguments = nt::splitCommandLine(commandLine ? commandLine : "");
  if (applicationName && *applicationName) {
    request.hostProgram = nt::hostProgramFor(applicationName);
    if (request.arguments.empty()) request.arguments.push_back(applicationName);
  } else if (!request.arguments.empty()) {
    request.hostProgram = findCommandProgram(request.arguments[0]);
  } else {
    return fail(ERROR_INVALID_PARAMETER, FALSE);
  }
  if (request.hostProgram.empty()) return fail(ERROR_FILE_NOT_FOUND, FALSE);

  request.environment = environment ? parseEnvironmentBlock(static_cast<const char*>(environment))
                                    : nt::environmentBlock();
  if (currentDirectory && *currentDirectory) {
    nt::HostPath directory;
    if (!nt::hostPathFor(currentDirectory, nt::PathUse::Existing, directory)) return FALSE;
    request.hostDirectory = directory.path;
  }
  // HIGH_PRIORITY_CLASS and CREATE_DEFAULT_ERROR_MODE have no effect a caller can observe here.
  request.newSession = creationFlags & (CREATE_NEW_CONSOLE | DETACHED_PROCESS);
  request.newProcessGroup = creationFlags & CREATE_NEW_PROCESS_GROUP;
  chooseStandardHandles(creationFlags, startupInfo, request);

  auto process = nt::launchProcess(request);
  if (!process) {
    nt::setLastErrorFromErrno();
    return FALSE;
  }
  const auto pid = static_cast<DWORD>(process->pid());
  processInformation->hProcess = nt::insertHandle(process);
  processInformation->hThread = nt::insertHandle(std::make_shared<nt::ThreadObject>(process));
  processInformation->dwProcessId = pid;
  processInformation->dwThreadId = pid;  // the main thread's id is the process id here
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  nt::PreserveErrno keepErrno;
  auto object = processFor(process);
  if (!object) return FALSE;
  if (!exitCode) return fail(ERROR_INVALID_PARAMETER, FALSE);
  *exitCode = object->exitCode();
  return TRUE;
}

BOOL TerminateProcess(HANDLE process, UINT exitCode) {
  nt::PreserveErrno keepErrno;
  auto object = processFor(process);
  if (!object) return FALSE;
  if (!object->terminate(exitCode)) return fail(ERROR_ACCESS_DENIED, FALSE);
  return TRUE;
}

DWORD GetProcessId(HANDLE process) {
  nt::PreserveErrno keepErrno;
  auto object = processFor(process);
  return object ? static_cast<DWORD>(object->pid()) : 0;
}
