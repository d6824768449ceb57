// Test fixtures (see nt_test.h). Test code may talk to the host directly.
#include "nt_test.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace nttest {

ScratchDir::ScratchDir() {
  const char* tmp = ::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/nttest.XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!::mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buffer.data();
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  // Make read-only directories removable again before removing the tree.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) ::chmod(it->path().c_str(), 0755);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFile(const std::string& hostPath, const std::string& content) {
  const auto parent = std::filesystem::path(hostPath).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent);
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  out << content;
}

void makeDirectories(const std::string& hostPath) { std::filesystem::create_directories(hostPath); }

bool fileExists(const std::string& hostPath) {
  struct stat st;
  return ::lstat(hostPath.c_str(), &st) == 0;
}

void MachineRootTest::SetUp() {
  const char* saved = ::getenv("NT_ROOT");
  hadRoot_ = saved != nullptr;
  if (saved) savedRoot_ = saved;
  root_ = scratch_.file("ntroot");
  driveC_ = scratch_.file("drive_c");
  makeDirectories(root_ + "/dosdevices");
  makeDirectories(driveC_);
  ::setenv("NT_ROOT", root_.c_str(), 1);
  mapDrive('c', driveC_);
}

void MachineRootTest::TearDown() {
  stopServiceManager();
  if (hadRoot_) ::setenv("NT_ROOT", savedRoot_.c_str(), 1);
  else ::unsetenv("NT_ROOT");
}

void MachineRootTest::stopServiceManager() {
  // The manager stops its services first (up to 10 s) before it ends their processes.
  constexpr int kStopTimeoutMs = 30000;
  constexpr int kKillTimeoutMs = 5000;
  const std::string pidPath = root_ + "/ntscm.pid";
  const int lock = ::open(pidPath.c_str(), O_RDWR | O_CLOEXEC);
  if (lock < 0) return;
  // The manager holds a lock on its pid file while it lives: a file no one locks names none.
  const bool running = ::flock(lock, LOCK_EX | LOCK_NB) != 0;
  ::close(lock);
  const pid_t pid = static_cast<pid_t>(std::atoi(readFile(pidPath).c_str()));
  if (!running || pid <= 0) return;
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (pidfd < 0) return;
  pollfd ended{pidfd, POLLIN, 0};
  ::syscall(SYS_pidfd_send_signal, pidfd, SIGTERM, nullptr, 0);
  if (::poll(&ended, 1, kStopTimeoutMs) == 0) {
    ::syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0);
    ::poll(&ended, 1, kKillTimeoutMs);
  }
  ::close(pidfd);
  ::waitpid(pid, nullptr, WNOHANG);  // a manager this process started is its child
}

void MachineRootTest::mapDrive(char letter, const std::string& hostDirectory) {
  const std::string link = root_ + "/dosdevices/" + std::string(1, letter) + ":";
  ::unlink(link.c_str());
  if (::symlink(hostDirectory.c_str(), link.c_str()) != 0) throw std::runtime_error("symlink failed");
}

std::string builtBinary(const std::string& name) {
  const char* bin = ::getenv("NT_BUILD_BIN");
  if (bin && *bin) return std::string(bin) + "/" + name;
  // Run by hand from the build tree: the programs sit beside the test.
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return name;
  self[n] = '\0';
  return (std::filesystem::path(self).parent_path() / name).string();
}

namespace {

std::string nameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

// Ours, without the names to unset or to set; then the ones to set, a later one of a name
// replacing an earlier one.
std::vector<std::string> childEnvironment(const RunOptions& options) {
  auto listed = [](const std::vector<std::string>& entries, const std::string& name, size_t from) {
    for (size_t i = from; i < entries.size(); ++i) {
      if (nameOf(entries[i]) == name) return true;
    }
    return false;
  };
  std::vector<std::string> result;
  for (char** e = environ; e && *e; ++e) {
    const std::string name = nameOf(*e);
    bool unset = false;
    for (const auto& u : options.unset) unset = unset || u == name;
    if (!unset && !listed(options.environment, name, 0)) result.emplace_back(*e);
  }
  for (size_t i = 0; i < options.environment.size(); ++i) {
    if (!listed(options.environment, nameOf(options.environment[i]), i + 1)) {
      result.push_back(options.environment[i]);
    }
  }
  return result;
}

void drain(int fd, std::string& into) {
  char buffer[4096];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  if (n > 0) into.append(buffer, static_cast<size_t>(n));
}

}  // namespace

ProcessResult runProgram(const std::vector<std::string>& argv, const RunOptions& options) {
  int out[2], err[2], in[2];
  if (::pipe2(out, O_CLOEXEC) || ::pipe2(err, O_CLOEXEC) || ::pipe2(in, O_CLOEXEC)) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<std::string> environment = childEnvironment(options);
  std::vector<char*> envp, args;
  for (auto& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argvCopy = argv;
  for (auto& a : argvCopy) args.push_back(a.data());
  args.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0);
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    if (!options.directory.empty() && ::chdir(options.directory.c_str()) != 0) _exit(126);
    ::execve(args[0], args.data(), envp.data());
    _exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  ::close(in[0]);
  if (!options.input.empty()) {
    ssize_t ignored = ::write(in[1], options.input.data(), options.input.size());
    (void)ignored;
  }
  ::close(in[1]);

  ProcessResult result;
  const auto deadline = std::chrono::steady_clock::now() + options.timeout;
  bool outOpen = true, errOpen = true;
  while (outOpen || errOpen) {
    pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      ::kill(-pid, SIGKILL);
      break;
    }
    if (::poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
    if (fds[0].revents) {
      const size_t before = result.out.size();
      drain(out[0], result.out);
      outOpen = result.out.size() != before;
    }
    if (fds[1].revents) {
      const size_t before = result.err.size();
      drain(err[0], result.err);
      errOpen = result.err.size() != before;
    }
  }
  ::close(out[0]);
  ::close(err[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace nttest
