// The C runtime's fopen for Windows paths.
#include <sys/stat.h>

#include <cerrno>
#include <string>

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
  const int savedErrno = errno;  // a successful open leaves errno alone
  nt::HostPath host;
  if (!nt::hostPathFor(path, mayCreate ? nt::PathUse::Create : nt::PathUse::Existing, host)) {
    errno = ENOENT;
    return nullptr;
  }
  struct stat st;
  if (::stat(host.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    errno = EACCES;  // the C runtime opens no directory as a file
    return nullptr;
  }
  // The C runtime's "b" and "t" have no meaning on this host; "t" is dropped.
  std::string hostMode;
  for (const char* m = mode; *m; ++m) {
    if (*m != 't') hostMode += *m;
  }
  FILE* file = ::fopen(host.path.c_str(), hostMode.c_str());
  if (file) errno = savedErrno;
  return file;
}

}  // namespace crt
