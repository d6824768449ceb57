// Process objects: starting a host process, reaping it, its exit code and its termination.
#include "process_object.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "../process.h"
#include "host_calls.h"
#include "paths.h"
#include "text_split.h"

namespace nt {
namespace {

int pidfdOpen(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

int pidfdSendSignal(int pidfd, int signal) {
  return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0));
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  pointers.reserve(strings.size() + 1);
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Owns posix_spawn's attribute and file-action objects.
struct SpawnSetup {
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_t actions;
  SpawnSetup() {
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_init(&actions);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

void describe(const LaunchRequest& request, SpawnSetup& setup) {
  // The child starts with default signal dispositions and an empty mask, whatever the parent
  // set for itself.
  short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&setup.attributes, &all);
  posix_spawnattr_setsigmask(&setup.attributes, &none);
  if (request.newSession) {
    flags |= POSIX_SPAWN_SETSID;
  } else if (request.newProcessGroup) {
    flags |= POSIX_SPAWN_SETPGROUP;
    posix_spawnattr_setpgroup(&setup.attributes, 0);
  }
  posix_spawnattr_setflags(&setup.attributes, flags);

  if (request.standardFds) {
    for (int target = 0; target < 3; ++target) {
      const int source = (*request.standardFds)[target];
      if (source < 0) {
        posix_spawn_file_actions_addopen(&setup.actions, target, "/dev/null",
                                         target == 0 ? O_RDONLY : O_WRONLY, 0);
      } else {
        posix_spawn_file_actions_adddup2(&setup.actions, source, target);
      }
    }
  }
  if (!request.hostDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&setup.actions, request.hostDirectory.c_str());
  }
}

bool isProgramFile(const std::string& hostPath) {
  struct stat st;
  return !hostPath.empty() && ::stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

ProcessObject::~ProcessObject() {
  std::lock_guard<std::mutex> guard(lock_);
  reapLocked();  // a child that has ended leaves no zombie behind its closed handle
}

bool ProcessObject::reapLocked() {
  if (ended_) return true;
  siginfo_t info{};
  if (::waitid(P_PIDFD, static_cast<id_t>(pidfd_.get()), &info, WEXITED | WNOHANG) != 0) {
    return false;
  }
  if (info.si_pid == 0) return false;
  ended_ = true;
  if (info.si_code == CLD_EXITED) {
    exitCode_ = static_cast<DWORD>(info.si_status);
  } else if (terminateCode_ && info.si_status == SIGKILL) {
    exitCode_ = *terminateCode_;
  } else {
    exitCode_ = 128u + static_cast<DWORD>(info.si_status);
  }
  return true;
}

bool ProcessObject::signaled() {
  std::lock_guard<std::mutex> guard(lock_);
  return reapLocked();
}

DWORD ProcessObject::exitCode() {
  std::lock_guard<std::mutex> guard(lock_);
  return reapLocked() ? exitCode_ : STILL_ACTIVE;
}

bool ProcessObject::terminate(UINT exitCode) {
  std::lock_guard<std::mutex> guard(lock_);
  if (reapLocked()) return false;
  if (!terminateCode_) terminateCode_ = exitCode;
  return pidfdSendSignal(pidfd_.get(), SIGKILL) == 0 || errno == ESRCH;
}

std::shared_ptr<ProcessObject> launchProcess(const LaunchRequest& request) {
  SpawnSetup setup;
  describe(request, setup);
  std::vector<std::string> arguments = request.arguments;
  std::vector<std::string> environment = request.environment;
  std::vector<char*> argv = pointersTo(arguments);
  std::vector<char*> envp = pointersTo(environment);
  pid_t pid = 0;
  const int error = host::spawn(&pid, request.hostProgram.c_str(), &setup.actions,
                                &setup.attributes, argv.data(), envp.data());
  if (error != 0) {
    errno = error;
    return nullptr;
  }
  UniqueFd pidfd(pidfdOpen(pid));
  if (!pidfd.valid()) {
    const int saved = errno;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    errno = saved;
    return nullptr;
  }
  return std::make_shared<ProcessObject>(pid, std::move(pidfd));
}

std::string hostProgramFor(const std::string& windowsPath) {
  HostPath path;
  if (!hostPathFor(windowsPath.c_str(), PathUse::Existing, path)) return {};
  return isProgramFile(path.path) ? path.path : std::string();
}

std::vector<std::string> splitPathList(const std::string& list) { return splitNonEmpty(list, ';'); }

std::string searchProgram(const std::string& name, const std::vector<std::string>& directories) {
  for (const std::string& directory : directories) {
    const bool separated = !directory.empty() && (directory.back() == '\\' || directory.back() == '/');
    const std::string found = hostProgramFor(directory + (separated ? "" : "\\") + name);
    if (!found.empty()) return found;
  }
  return {};
}

}  // namespace nt
