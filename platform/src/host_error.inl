// Inline part of host_error.h.
#pragma once

#include "../winbase.h"

namespace nt {
template <typename T>
T fail(DWORD code, T result) {
  SetLastError(code);
  return result;
}
}  // namespace nt
