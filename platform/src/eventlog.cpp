// The event log calls: RegisterEventSourceA, ReportEventA, DeregisterEventSource. Every
// report appends one record to the Application log of the machine root (see
// eventlog_record.h) in a single write on an O_APPEND descriptor, which keeps the records of
// concurrent processes whole. Binary data given to ReportEventA is not kept.
#include <fcntl.h>

#include <cstring>
#include <string>

#include "../eventlog.h"
#include "../winbase.h"
#include "../winerror.h"
#include "eventlog_record.h"
#include "handles.h"
#include "host_calls.h"
#include "host_error.h"
#include "unique_fd.h"

namespace {

using nt::fail;

// The total size of the insertion strings of one event that Windows accepts.
constexpr size_t kMaxInsertionBytes = 32 * 1024;

class EventSource : public nt::KernelObject {
 public:
  explicit EventSource(std::string name) : name_(std::move(name)) {}
  const std::string& name() const { return name_; }
  bool closableByCloseHandle() const override { return false; }

 private:
  std::string name_;
};

bool collectStrings(WORD count, LPCSTR* strings, std::vector<std::string>& out) {
  if (count > 0 && !strings) return false;
  size_t total = 0;
  for (WORD i = 0; i < count; ++i) {
    if (!strings[i]) return false;
    total += std::strlen(strings[i]);
    if (total > kMaxInsertionBytes) return false;
    out.emplace_back(strings[i]);
  }
  return true;
}

bool appendToLog(const std::string& line) {
  const std::string path = nt::applicationLogPath();
  nt::UniqueFd fd(nt::host::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0666));
  if (!fd.valid() || nt::host::writeAll(fd.get(), line.data(), line.size()) < 0) {
    nt::setLastErrorFromErrno();
    return false;
  }
  return true;
}

}  // namespace

HANDLE RegisterEventSourceA(LPCSTR serverName, LPCSTR sourceName) {
  if (serverName && *serverName) return fail(RPC_S_SERVER_UNAVAILABLE, HANDLE{nullptr});
  if (!sourceName) return fail(ERROR_INVALID_PARAMETER, HANDLE{nullptr});
  return nt::insertHandle(std::make_shared<EventSource>(sourceName));
}

BOOL ReportEventA(HANDLE eventLog, WORD type, WORD category, DWORD eventId, PSID /*userSid*/,
                  WORD numStrings, DWORD /*dataSize*/, LPCSTR* strings, LPVOID /*rawData*/) {
  nt::PreserveErrno keepErrno;
  const auto source = nt::lookupHandleAs<EventSource>(eventLog);
  if (!source) return fail(ERROR_INVALID_HANDLE, FALSE);
  nt::EventRecord record{nt::eventTimeNow(), source->name(), type, category, eventId,
                         GetCurrentProcessId(), {}};
  if (!collectStrings(numStrings, strings, record.strings)) {
    return fail(ERROR_INVALID_PARAMETER, FALSE);
  }
  return appendToLog(nt::formatEventRecord(record)) ? TRUE : FALSE;
}

BOOL DeregisterEventSource(HANDLE eventLog) {
  if (!nt::removeHandleAs<EventSource>(eventLog)) return fail(ERROR_INVALID_HANDLE, FALSE);
  return TRUE;
}
