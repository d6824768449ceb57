// Appending to the manager's log (see scm_log.h).
#include "scm_log.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

#include "host_calls.h"
#include "scm_protocol.h"
#include "unique_fd.h"

namespace nt::scm {

void logManagerEvent(const std::string& machineRoot, const std::string& text) {
  const time_t now = ::time(nullptr);
  struct tm local;
  ::localtime_r(&now, &local);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d [%d] ", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(::getpid()));
  const std::string line = stamp + text + "\n";
  const std::string path = machineRoot + "/" + kLogName;
  UniqueFd fd(host::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644));
  if (fd.valid()) host::writeAll(fd.get(), line.data(), line.size());  // one write: lines never mix
}

}  // namespace nt::scm
