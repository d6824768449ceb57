// Host calls with fault injection and EINTR retry (see host_calls.h).
#include "host_calls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace nt::host {
namespace {

constexpr int kCalls = static_cast<int>(Call::Count);
const char* const kCallNames[kCalls] = {"open",  "read", "write", "rename",
                                        "fsync", "mkdir", "fork",  "spawn"};

struct Armed {
  std::atomic<int> remaining{0};  // calls left before the failing one; 0 = disarmed
  std::atomic<int> err{0};
};
Armed armed[kCalls];
std::once_flag environmentRead;

// NT_FAULT="write:2:28,rename:1:13"
void readFaultsFromEnvironment() {
  const char* faults = ::getenv("NT_FAULT");
  if (!faults) return;
  std::string text(faults);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    std::string item = text.substr(start, end - start);
    start = end + 1;
    size_t c1 = item.find(':');
    size_t c2 = item.find(':', c1 == std::string::npos ? c1 : c1 + 1);
    if (c1 == std::string::npos || c2 == std::string::npos) continue;
    std::string name = item.substr(0, c1);
    for (int i = 0; i < kCalls; ++i) {
      if (name == kCallNames[i]) {
        armHostFailure(static_cast<Call>(i), std::atoi(item.substr(c1 + 1, c2 - c1 - 1).c_str()),
                       std::atoi(item.substr(c2 + 1).c_str()));
      }
    }
  }
}

}  // namespace

void armHostFailure(Call call, int nth, int err) {
  Armed& slot = armed[static_cast<int>(call)];
  slot.err = err;
  slot.remaining = nth;
}

void disarmHostFailures() {
  for (Armed& slot : armed) slot.remaining = 0;
}

bool injectedFailure(Call call) {
  std::call_once(environmentRead, readFaultsFromEnvironment);
  Armed& slot = armed[static_cast<int>(call)];
  int left = slot.remaining.load();
  while (left > 0) {
    if (slot.remaining.compare_exchange_weak(left, left - 1)) {
      if (left == 1) {
        errno = slot.err;
        return true;
      }
      return false;
    }
  }
  return false;
}

int open(const char* path, int flags, mode_t mode) {
  if (injectedFailure(Call::Open)) return -1;
  return retryOnEintr([&] { return ::open(path, flags | O_CLOEXEC, mode); });
}

ssize_t read(int fd, void* buffer, size_t count) {
  if (injectedFailure(Call::Read)) return -1;
  return retryOnEintr([&] { return ::read(fd, buffer, count); });
}

ssize_t writeAll(int fd, const void* buffer, size_t count) {
  if (injectedFailure(Call::Write)) return -1;
  const char* p = static_cast<const char*>(buffer);
  size_t done = 0;
  while (done < count) {
    ssize_t n = retryOnEintr([&] { return ::write(fd, p + done, count - done); });
    if (n < 0) return -1;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

int rename(const char* from, const char* to) {
  if (injectedFailure(Call::Rename)) return -1;
  return ::rename(from, to);
}

int fsync(int fd) {
  if (injectedFailure(Call::Fsync)) return -1;
  return retryOnEintr([&] { return ::fsync(fd); });
}

int mkdir(const char* path, mode_t mode) {
  if (injectedFailure(Call::Mkdir)) return -1;
  return ::mkdir(path, mode);
}

pid_t fork() {
  if (injectedFailure(Call::Fork)) return -1;
  return ::fork();
}

int spawn(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
          const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]) {
  if (injectedFailure(Call::Spawn)) return errno;
  return ::posix_spawn(pid, path, actions, attributes, argv, envp);
}

}  // namespace nt::host
