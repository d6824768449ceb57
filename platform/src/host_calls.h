// The seam through which the layer makes the host calls that can fail: tests fail the Nth
// call of a kind with a chosen errno, to prove that a full disk or a refused fork loses
// nothing. EINTR is retried here, in one capped place.
//
// A failure is armed in-process with armHostFailure, or for a whole program through the
// environment variable NT_FAULT="call:n:errno[,call:n:errno...]" (for example
// "write:2:28" fails the second write with ENOSPC), read once at the first host call.
#pragma once

#include <spawn.h>
#include <sys/types.h>

#include <cerrno>
#include <string_view>

namespace nt::host {

// Names of the calls that can be failed on purpose.
enum class Call { Open, Read, Write, Rename, Fsync, Mkdir, Fork, Spawn, Count };

// Fails the nth call of the kind from now on (1 = the next one) with err. Test use only.
void armHostFailure(Call call, int nth, int err);
void disarmHostFailures();

// True when an armed failure applies to this call; sets errno.
bool injectedFailure(Call call);

int open(const char* path, int flags, mode_t mode = 0);
ssize_t read(int fd, void* buffer, size_t count);
// Writes the whole buffer unless the host refuses; returns the count written or -1.
ssize_t writeAll(int fd, const void* buffer, size_t count);
int rename(const char* from, const char* to);
int fsync(int fd);
int mkdir(const char* path, mode_t mode);
pid_t fork();
// posix_spawn; returns 0 or the error number, as posix_spawn does.
int spawn(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
          const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]);

// Retries a host call that failed with EINTR, a bounded number of times.
template <typename F>
auto retryOnEintr(F call) {
  decltype(call()) result;
  int attempts = 0;
  do {
    result = call();
  } while (result == -1 && errno == EINTR && ++attempts < 100);
  return result;
}

}  // namespace nt::host
