// launchByCreateProcess and launchBySpawn.
#include "child_launch.h"

#include <cerrno>
#include <vector>

namespace {

constexpr DWORD kChildCreationFlags =
    CREATE_DEFAULT_ERROR_MODE | CREATE_NEW_PROCESS_GROUP | HIGH_PRIORITY_CLASS | CREATE_NEW_CONSOLE;

STARTUPINFOA childStartupInfo() {
  STARTUPINFOA startup{};
  startup.cb = 68;  // the structure's size on the platform the services were written for
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nullptr;
  return startup;
}

}  // namespace

std::string quotedProgramPath(const std::string& path) {
  if (path.find_first_of(" \t") == std::string::npos) return path;
  return "\"" + path + "\"";
}

LaunchResult launchByCreateProcess(const ArgumentVector& command, const std::string& commandLine) {
  LaunchResult result;
  STARTUPINFOA startup = childStartupInfo();
  std::string line = commandLine;  // CreateProcessA may write into its command line
  result.started = CreateProcessA(command[0].c_str(), line.data(), nullptr, nullptr,
                                  /*inheritHandles=*/TRUE, kChildCreationFlags,
                                  /*environment=*/nullptr, /*currentDirectory=*/nullptr, &startup,
                                  &result.process) != FALSE;
  return result;
}

LaunchResult launchBySpawn(const ArgumentVector& command) {
  LaunchResult result;
  std::vector<std::string> arguments = command;
  arguments[0] = quotedProgramPath(arguments[0]);
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  argv.push_back(nullptr);
  const intptr_t handle = _spawnv(_P_NOWAIT, command[0].c_str(), argv.data());
  if (handle == -1) {
    result.spawnErrno = errno;
    return result;
  }
  result.started = true;
  result.process.hProcess = reinterpret_cast<HANDLE>(handle);
  return result;
}
