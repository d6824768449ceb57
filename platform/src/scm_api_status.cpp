// The SC calls that start, control and read services: StartServiceA, ControlService,
// QueryServiceStatus, QueryServiceConfigA and EnumServicesStatusA, with the buffer layout
// and size protocol of the last two.
#include <cstring>
#include <string>
#include <vector>

#include "../winbase.h"
#include "../winerror.h"
#include "../winsvc.h"
#include "host_error.h"
#include "scm_client.h"

namespace {

using nt::fail;
using nt::scm::Message;

constexpr size_t kStatusFields = 7;
constexpr size_t kEnumFieldsPerService = 2 + kStatusFields;

// A string as it is stored in a reply buffer: with its NUL.
std::string stored(const std::string& text) { return text + '\0'; }

// A list as it is stored: each item with its NUL, then a further NUL.
std::string storedList(const std::vector<std::string>& items) {
  std::string bytes;
  for (const std::string& item : items) bytes += stored(item);
  return bytes + '\0';
}

// Lays out records in the caller's buffer as Windows does: fixed-size records from the front,
// their strings packed from the end towards them. The caller has checked that all fits.
class BufferLayout {
 public:
  BufferLayout(void* buffer, size_t size) : end_(static_cast<char*>(buffer) + size) {}
  char* place(const std::string& bytes) {
    end_ -= bytes.size();
    std::memcpy(end_, bytes.data(), bytes.size());
    return end_;
  }

 private:
  char* end_;
};

struct EnumEntry {
  std::string name;
  std::string displayName;
  SERVICE_STATUS status;
  size_t size() const {
    return sizeof(ENUM_SERVICE_STATUSA) + name.size() + displayName.size() + 2;
  }
};

std::vector<EnumEntry> enumEntries(const Message& reply) {
  std::vector<EnumEntry> entries;
  const DWORD count = reply.number(1);
  for (size_t i = 0, field = 2; i < count; ++i, field += kEnumFieldsPerService) {
    entries.push_back({reply.text(field), reply.text(field + 1), reply.status(field + 2)});
  }
  return entries;
}

}  // namespace

BOOL StartServiceA(SC_HANDLE service, DWORD numArgs, LPCSTR* args) {
  nt::PreserveErrno keepErrno;
  auto object = nt::scm::serviceFor(service);
  if (!object) return FALSE;
  if (numArgs > 0 && !args) return fail(ERROR_INVALID_PARAMETER, FALSE);
  std::vector<std::string> arguments;
  for (DWORD i = 0; i < numArgs; ++i) {
    if (!args[i]) return fail(ERROR_INVALID_PARAMETER, FALSE);
    arguments.emplace_back(args[i]);
  }
  Message request = nt::scm::serviceRequest(nt::scm::kStart, *object);
  request.addList(arguments);
  Message reply;
  if (!nt::scm::askManager(object->socketPath(), request, reply)) return FALSE;
  return TRUE;
}

BOOL ControlService(SC_HANDLE service, DWORD control, LPSERVICE_STATUS status) {
  nt::PreserveErrno keepErrno;
  auto object = nt::scm::serviceFor(service);
  if (!object) return FALSE;
  if (!status) return fail(ERROR_INVALID_PARAMETER, FALSE);
  Message request = nt::scm::serviceRequest(nt::scm::kControl, *object);
  request.add(control);
  Message reply;
  const DWORD code = nt::scm::callManager(object->socketPath(), request, reply);
  // The status comes back with success and with the refusals that describe the service's state.
  if (reply.size() > kStatusFields) *status = reply.status(1);
  if (code) return fail(code, FALSE);
  return TRUE;
}

BOOL QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status) {
  nt::PreserveErrno keepErrno;
  auto object = nt::scm::serviceFor(service);
  if (!object) return FALSE;
  if (!status) return fail(ERROR_INVALID_PARAMETER, FALSE);
  Message reply;
  const Message request = nt::scm::serviceRequest(nt::scm::kStatus, *object);
  if (!nt::scm::askManager(object->socketPath(), request, reply)) return FALSE;
  *status = reply.status(1);
  return TRUE;
}

BOOL QueryServiceConfigA(SC_HANDLE service, LPQUERY_SERVICE_CONFIGA config, DWORD bufSize,
                         LPDWORD bytesNeeded) {
  nt::PreserveErrno keepErrno;
  auto object = nt::scm::serviceFor(service);
  if (!object) return FALSE;
  if (!bytesNeeded) return fail(ERROR_INVALID_PARAMETER, FALSE);
  Message reply;
  const Message request = nt::scm::serviceRequest(nt::scm::kConfig, *object);
  if (!nt::scm::askManager(object->socketPath(), request, reply)) return FALSE;
  size_t index = 9;
  const std::string binaryPath = stored(reply.text(4));
  const std::string group = stored(reply.text(5));
  const std::string startName = stored(reply.text(7));
  const std::string displayName = stored(reply.text(8));
  const std::string dependencies = storedList(reply.list(index));
  const size_t needed = sizeof(QUERY_SERVICE_CONFIGA) + binaryPath.size() + group.size() +
                        startName.size() + displayName.size() + dependencies.size();
  if (!config || bufSize < needed) {
    *bytesNeeded = static_cast<DWORD>(needed);
    return fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  }
  BufferLayout layout(config, bufSize);
  config->dwServiceType = reply.number(1);
  config->dwStartType = reply.number(2);
  config->dwErrorControl = reply.number(3);
  config->lpBinaryPathName = layout.place(binaryPath);
  config->lpLoadOrderGroup = layout.place(group);
  config->dwTagId = reply.number(6);
  config->lpDependencies = layout.place(dependencies);
  config->lpServiceStartName = layout.place(startName);
  config->lpDisplayName = layout.place(displayName);
  return TRUE;
}

// Returns the services from *resumeHandle on that fit; with ERROR_MORE_DATA when some do not,
// bytesNeeded telling what the rest take and *resumeHandle where to go on.
BOOL EnumServicesStatusA(SC_HANDLE manager, DWORD serviceType, DWORD serviceState,
                         LPENUM_SERVICE_STATUSA services, DWORD bufSize, LPDWORD bytesNeeded,
                         LPDWORD servicesReturned, LPDWORD resumeHandle) {
  nt::PreserveErrno keepErrno;
  auto object = nt::scm::managerFor(manager);
  if (!object) return FALSE;
  if (!bytesNeeded || !servicesReturned) return fail(ERROR_INVALID_PARAMETER, FALSE);
  Message request(nt::scm::kEnum);
  request.add(serviceType).add(serviceState);
  Message reply;
  if (!nt::scm::askManager(object->socketPath(), request, reply)) return FALSE;
  const std::vector<EnumEntry> entries = enumEntries(reply);
  const size_t first = resumeHandle ? std::min<size_t>(*resumeHandle, entries.size()) : 0;
  const size_t room = services ? bufSize : 0;
  size_t used = 0, fitting = 0;
  while (first + fitting < entries.size() && used + entries[first + fitting].size() <= room) {
    used += entries[first + fitting++].size();
  }
  if (fitting > 0) {
    BufferLayout layout(services, room);
    for (size_t i = 0; i < fitting; ++i) {
      const EnumEntry& entry = entries[first + i];
      services[i].lpServiceName = layout.place(stored(entry.name));
      services[i].lpDisplayName = layout.place(stored(entry.displayName));
      services[i].ServiceStatus = entry.status;
    }
  }
  *servicesReturned = static_cast<DWORD>(fitting);
  size_t rest = 0;
  for (size_t i = first + fitting; i < entries.size(); ++i) rest += entries[i].size();
  *bytesNeeded = static_cast<DWORD>(rest);
  if (resumeHandle) *resumeHandle = rest ? static_cast<DWORD>(first + fitting) : 0;
  return rest ? fail(ERROR_MORE_DATA, FALSE) : TRUE;
}
