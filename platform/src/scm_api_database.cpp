// The SC calls on the service database: OpenSCManagerA, CreateServiceA, OpenServiceA,
// ChangeServiceConfigA, DeleteService and CloseServiceHandle. Each asks the machine root's
// manager (ntscm); OpenSCManagerA starts it when it does not run.
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "../winbase.h"
#include "../winerror.h"
#include "../winsvc.h"
#include "host_error.h"
#include "paths.h"
#include "scm_client.h"

namespace {

using nt::fail;
using nt::scm::Message;

constexpr char kActiveDatabase[] = "ServicesActive";
constexpr char kLocalSystem[] = "LocalSystem";

// The local machine by its host name, with or without the leading backslashes.
bool isLocalMachine(const char* machineName) {
  std::string name = machineName;
  if (name.starts_with("\\\\")) name = name.substr(2);
  char host[HOST_NAME_MAX + 1] = {};
  if (::gethostname(host, sizeof host - 1) != 0) return false;
  const std::string full = host;
  return nt::equalNoCase(name, full) || nt::equalNoCase(name, full.substr(0, full.find('.')));
}

// "A\0B\0\0" into its strings.
std::vector<std::string> splitMultiString(const char* list) {
  std::vector<std::string> items;
  for (const char* item = list; item && *item; item += items.back().size() + 1) {
    items.emplace_back(item);
  }
  return items;
}

void addOptional(Message& request, const char* value) {
  request.add(std::string(value ? "1" : "0")).add(std::string(value ? value : ""));
}

SC_HANDLE newServiceHandle(const std::string& socketPath, const Message& reply) {
  auto service =
      std::make_shared<nt::scm::ScServiceObject>(socketPath, reply.text(1), reply.bigNumber(2));
  return reinterpret_cast<SC_HANDLE>(nt::insertHandle(service));
}

// Tags order the drivers of a load-order group; Win32 services have none. A tag asked for
// without a group is refused, as Windows does; with one it reads 0.
bool tagAllowed(LPDWORD tagId, LPCSTR loadOrderGroup) {
  if (!tagId) return true;
  if (!loadOrderGroup || !*loadOrderGroup) return false;
  *tagId = 0;
  return true;
}

}  // namespace

SC_HANDLE OpenSCManagerA(LPCSTR machineName, LPCSTR databaseName, DWORD /*desiredAccess*/) {
  nt::PreserveErrno keepErrno;
  if (machineName && *machineName && !isLocalMachine(machineName)) {
    return fail(RPC_S_SERVER_UNAVAILABLE, SC_HANDLE{});
  }
  if (databaseName && !nt::equalNoCase(databaseName, kActiveDatabase)) {
    return fail(ERROR_DATABASE_DOES_NOT_EXIST, SC_HANDLE{});
  }
  if (DWORD code = nt::scm::ensureManagerRunning()) return fail(code, SC_HANDLE{});
  const std::string socketPath = nt::scm::managerSocketPath();
  Message reply;
  Message request(nt::scm::kOpen);
  request.add(nt::scm::kProtocolVersion);
  if (!nt::scm::askManager(socketPath, request, reply)) return nullptr;
  auto manager = std::make_shared<nt::scm::ScManagerObject>(socketPath);
  return reinterpret_cast<SC_HANDLE>(nt::insertHandle(manager));
}

SC_HANDLE CreateServiceA(SC_HANDLE manager, LPCSTR serviceName, LPCSTR displayName,
                         DWORD /*desiredAccess*/, DWORD serviceType, DWORD startType,
                         DWORD errorControl, LPCSTR binaryPathName, LPCSTR loadOrderGroup,
                         LPDWORD tagId, LPCSTR dependencies, LPCSTR serviceStartName,
                         LPCSTR /*password*/) {
  nt::PreserveErrno keepErrno;
  auto object = nt::scm::managerFor(manager);
  if (!object) return nullptr;
  if (!serviceName) return fail(ERROR_INVALID_NAME, SC_HANDLE{});
  if (!binaryPathName) return fail(ERROR_INVALID_PARAMETER, SC_HANDLE{});
  if (!tagAllowed(tagId, loadOrderGroup)) return fail(ERROR_INVALID_PARAMETER, SC_HANDLE{});
  Message request(nt::scm::kCreate);
  request.add(std::string(serviceName))
      .add(std::string(displayName ? displayName : serviceName))
      .add(serviceType)
      .add(startType)
      .add(errorControl)
      .add(std::string(binaryPathName))
      .add(std::string(loadOrderGroup ? loadOrderGroup : ""))
      .add(std::string(serviceStartName ? serviceStartName : kLocalSystem))
      .addList(splitMultiString(dependencies));
  Message reply;
  if (!nt::scm::askManager(object->socketPath(), request, reply)) return nullptr;
  return newServiceHandle(object->socketPath(), reply);
}

SC_HANDLE OpenServiceA(SC_HANDLE manager, LPCSTR serviceName, DWORD /*desiredAccess*/) {
  nt::PreserveErrno keepErrno;
  auto object = nt::scm::managerFor(manager);
  if (!object) return nullptr;
  if (!serviceName) return fail(ERROR_INVALID_NAME, SC_HANDLE{});
  Message request(nt::scm::kLookup);
  request.add(std::string(serviceName));
  Message reply;
  if (!nt::scm::askManager(object->socketPath(), request, reply)) return nullptr;
  return newServiceHandle(object->socketPath(), reply);
}

BOOL ChangeServiceConfigA(SC_HANDLE service, DWORD serviceType, DWORD startType, DWORD errorControl,
                          LPCSTR binaryPathName, LPCSTR loadOrderGroup, LPDWORD tagId,
                          LPCSTR dependencies, LPCSTR serviceStartName, LPCSTR /*password*/,
                          LPCSTR displayName) {
  nt::PreserveErrno keepErrno;
  auto object = nt::scm::serviceFor(service);
  if (!object) return FALSE;
  if (!tagAllowed(tagId, loadOrderGroup)) return fail(ERROR_INVALID_PARAMETER, FALSE);
  Message request = nt::scm::serviceRequest(nt::scm::kChange, *object);
  request.add(serviceType).add(startType).add(errorControl);
  addOptional(request, binaryPathName);
  addOptional(request, loadOrderGroup);
  addOptional(request, serviceStartName);
  addOptional(request, displayName);
  request.add(std::string(dependencies ? "1" : "0")).addList(splitMultiString(dependencies));
  Message reply;
  if (!nt::scm::askManager(object->socketPath(), request, reply)) return FALSE;
  return TRUE;
}

BOOL DeleteService(SC_HANDLE service) {
  nt::PreserveErrno keepErrno;
  auto object = nt::scm::serviceFor(service);
  if (!object) return FALSE;
  Message reply;
  const Message request = nt::scm::serviceRequest(nt::scm::kDelete, *object);
  if (!nt::scm::askManager(object->socketPath(), request, reply)) return FALSE;
  return TRUE;
}

BOOL CloseServiceHandle(SC_HANDLE handle) {
  nt::PreserveErrno keepErrno;
  const auto value = reinterpret_cast<HANDLE>(handle);
  if (!nt::removeHandleAs<nt::scm::ScHandleObject>(value)) return fail(ERROR_INVALID_HANDLE, FALSE);
  return TRUE;
}
