// Turns a host failure into the Win32 error code a Windows caller would read.
#pragma once

#include "../wintypes.h"

#include <cerrno>

namespace nt {

// Win32 calls leave the C runtime's errno as they found it, as on Windows, where the two are
// separate: the system prints errno on its error lines. Every Win32 entry point that makes
// host calls holds one of these.
class PreserveErrno {
 public:
  PreserveErrno() : saved_(errno) {}
  ~PreserveErrno() { errno = saved_; }
  PreserveErrno(const PreserveErrno&) = delete;
  PreserveErrno& operator=(const PreserveErrno&) = delete;

 private:
  int saved_;
};

// The Win32 code for a host errno value.
DWORD win32ErrorFromErrno(int err);

// Saves errno at once, maps it, sets the thread's last error and returns the Win32 code.
DWORD setLastErrorFromErrno();

// Sets the last error and returns the given failure value, for one-line early returns:
//   if (!name) return fail(ERROR_INVALID_PARAMETER, FALSE);
template <typename T>
T fail(DWORD code, T result);

}  // namespace nt

#include "host_error.inl"
