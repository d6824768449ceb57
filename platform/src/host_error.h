// Turns a host failure into the Win32 error code a Windows caller would read.
#pragma once

#include "../wintypes.h"

namespace nt {

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
