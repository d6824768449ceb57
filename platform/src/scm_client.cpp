// Reaching the service control manager from the SC calls, and starting it on demand as the
// first OpenSCManagerA of a machine root does (see scm_client.h).
#include "scm_client.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "../winbase.h"
#include "../winerror.h"
#include "environment.h"
#include "host_calls.h"
#include "host_error.h"
#include "machine_root.h"
#include "process_object.h"
#include "unique_fd.h"

namespace nt::scm {
namespace {

// How long a first caller waits for a manager it started to listen.
constexpr auto kManagerStartTimeout = std::chrono::seconds(20);
constexpr auto kManagerPollInterval = std::chrono::milliseconds(10);

bool managerAnswers(const std::string& socketPath) {
  UniqueFd fd(connectSocket(socketPath));
  return fd.valid();
}

// NT_SCM_PROGRAM, else the ntscm program beside this library, as installed and built.
std::string managerProgram() {
  if (const char* configured = ::getenv("NT_SCM_PROGRAM"); configured && *configured) {
    return configured;
  }
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&managerSocketPath), &info) == 0 || !info.dli_fname) {
    return {};
  }
  char library[PATH_MAX];
  if (!::realpath(info.dli_fname, library)) return {};
  std::string path = library;
  return path.substr(0, path.find_last_of('/') + 1) + "ntscm";
}

// Starts the manager detached from the caller: its own session, no standard handles, the
// caller's Win32 environment with NT_ROOT naming the machine root it is to serve.
std::shared_ptr<ProcessObject> launchManager(const std::string& program) {
  LaunchRequest request;
  request.hostProgram = program;
  request.arguments = {program};
  request.environment = withVariable(environmentBlock(), "NT_ROOT", absoluteMachineRoot());
  request.newSession = true;
  request.standardFds = std::vector<int>{-1, -1, -1};
  return launchProcess(request);
}

DWORD waitUntilListening(const std::string& socketPath, ProcessObject& manager) {
  const auto deadline = std::chrono::steady_clock::now() + kManagerStartTimeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (managerAnswers(socketPath)) return ERROR_SUCCESS;
    // A manager that ended may have found another one serving the machine root.
    if (manager.signaled())
      return managerAnswers(socketPath) ? ERROR_SUCCESS : RPC_S_SERVER_UNAVAILABLE;
    std::this_thread::sleep_for(kManagerPollInterval);
  }
  return RPC_S_SERVER_UNAVAILABLE;
}

}  // namespace

std::string managerSocketPath() { return absoluteMachineRoot() + "/" + kSocketName; }

DWORD ensureManagerRunning() {
  const std::string socketPath = managerSocketPath();
  if (managerAnswers(socketPath)) return ERROR_SUCCESS;
  // The start lock makes concurrent first callers start one manager between them.
  UniqueFd lock(host::open(machineRootPath(kStartLockName).c_str(), O_RDWR | O_CREAT, 0666));
  if (!lock.valid()) return win32ErrorFromErrno(errno);
  if (host::retryOnEintr([&] { return ::flock(lock.get(), LOCK_EX); }) != 0) {
    return win32ErrorFromErrno(errno);
  }
  if (managerAnswers(socketPath)) return ERROR_SUCCESS;
  const std::string program = managerProgram();
  if (program.empty() || ::access(program.c_str(), X_OK) != 0) return ERROR_FILE_NOT_FOUND;
  std::shared_ptr<ProcessObject> manager = launchManager(program);
  if (!manager) return win32ErrorFromErrno(errno);
  return waitUntilListening(socketPath, *manager);
}

DWORD callManager(const std::string& socketPath, const Message& request, Message& reply) {
  UniqueFd fd(connectSocket(socketPath));
  if (!fd.valid()) return RPC_S_SERVER_UNAVAILABLE;
  if (!sendMessage(fd.get(), request) || !receiveMessage(fd.get(), reply)) {
    return RPC_S_SERVER_UNAVAILABLE;
  }
  return reply.number(0);
}

bool askManager(const std::string& socketPath, const Message& request, Message& reply) {
  const DWORD code = callManager(socketPath, request, reply);
  if (code != ERROR_SUCCESS) SetLastError(code);
  return code == ERROR_SUCCESS;
}

Message serviceRequest(const char* verb, const ScServiceObject& service) {
  Message request(verb);
  request.add(service.name()).add(service.serial());
  return request;
}

std::shared_ptr<ScServiceObject> serviceFor(SC_HANDLE handle) {
  auto service = lookupHandleAs<ScServiceObject>(reinterpret_cast<HANDLE>(handle));
  if (!service) SetLastError(ERROR_INVALID_HANDLE);
  return service;
}

std::shared_ptr<ScManagerObject> managerFor(SC_HANDLE handle) {
  auto manager = lookupHandleAs<ScManagerObject>(reinterpret_cast<HANDLE>(handle));
  if (!manager) SetLastError(ERROR_INVALID_HANDLE);
  return manager;
}

}  // namespace nt::scm
