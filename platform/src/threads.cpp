// Thread and process identity and time: GetCurrentThreadId, GetCurrentProcessId, Sleep,
// GetTickCount.
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "../winbase.h"
#include "host_error.h"
#include "host_error.h"

DWORD GetCurrentThreadId() { return static_cast<DWORD>(::syscall(SYS_gettid)); }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

void Sleep(DWORD milliseconds) {
  nt::PreserveErrno keepErrno;
  struct timespec remaining{static_cast<time_t>(milliseconds / 1000),
                            static_cast<long>(milliseconds % 1000) * 1000000L};
  while (::nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
  }
}

DWORD GetTickCount() {
  struct timespec now;
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<DWORD>(now.tv_sec * 1000ULL + now.tv_nsec / 1000000);
}
