// The kernel objects behind process and thread handles, and the start of a host process.
#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "../wintypes.h"
#include "unique_fd.h"
#include "waitable.h"

namespace nt {

class ProcessObject : public Waitable {
 public:
  ProcessObject(pid_t pid, UniqueFd pidfd) : pid_(pid), pidfd_(std::move(pidfd)) {}
  ~ProcessObject() override;

  pid_t pid() const { return pid_; }
  bool signaled() override;
  int pollFd() const override { return pidfd_.get(); }
  // STILL_ACTIVE while the process runs, else its exit code.
  DWORD exitCode();
  // Ends the process with the given exit code; false (ERROR_ACCESS_DENIED) when it has ended.
  bool terminate(UINT exitCode);

 private:
  bool reapLocked();

  const pid_t pid_;
  UniqueFd pidfd_;
  std::mutex lock_;
  bool ended_ = false;
  DWORD exitCode_ = 0;
  std::optional<UINT> terminateCode_;
};

// The primary thread of a process: signaled when the process ends.
class ThreadObject : public Waitable {
 public:
  explicit ThreadObject(std::shared_ptr<ProcessObject> process) : process_(std::move(process)) {}
  bool signaled() override { return process_->signaled(); }
  int pollFd() const override { return process_->pollFd(); }

 private:
  std::shared_ptr<ProcessObject> process_;
};

struct LaunchRequest {
  std::string hostProgram;
  std::vector<std::string> arguments;    // the child's argument vector, argument 0 first
  std::vector<std::string> environment;  // "NAME=value"
  std::string hostDirectory;             // empty: the parent's
  bool newSession = false;
  bool newProcessGroup = false;
  // The child's standard input, output and error: a host descriptor, or -1 for /dev/null.
  // Absent: the parent's own.
  std::optional<std::vector<int>> standardFds;
};

// Starts the host program. Returns the process object, or none with errno set.
std::shared_ptr<ProcessObject> launchProcess(const LaunchRequest& request);

// The host path of an existing program file named by a Windows path, or empty.
std::string hostProgramFor(const std::string& windowsPath);

// Looks for the program in each Windows directory in order; empty when none holds it.
std::string searchProgram(const std::string& name, const std::vector<std::string>& directories);

// Splits a ';'-separated list of Windows directories, dropping empty entries.
std::vector<std::string> splitPathList(const std::string& list);

}  // namespace nt
