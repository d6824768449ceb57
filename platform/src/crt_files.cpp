// The C runtime's fopen for Windows paths.
#include <cerrno>

#include "../crt.h"
#include "paths.h"

namespace crt {

FILE* fopen(const char* path, const char* mode) {
  if (!path || !mode) {
    errno = EINVAL;
    return nullptr;
  }
  // Modes that may create the file look up only its directories; "r" needs the file itself.
  const bool mayCreate = mode[0] == 'w' || mode[0] == 'a';
  nt::HostPath host;
  if (!nt::hostPathFor(path, mayCreate ? nt::PathUse::Create : nt::PathUse::Existing, host)) {
    errno = ENOENT;
    return nullptr;
  }
  // The C runtime's "b" and "t" have no meaning on this host; "t" is dropped.
  std::string hostMode;
  for (const char* m = mode; *m; ++m) {
    if (*m != 't') hostMode += *m;
  }
  return ::fopen(host.path.c_str(), hostMode.c_str());
}

}  // namespace crt
