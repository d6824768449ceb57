// installService of the setup library: the service table, the program path taken from the
// installation directory, and the replacement of services left by an earlier installation.
#include "service_install.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "common/diag.h"
#include "common/service_handle.h"
#include "common/stop_and_wait.h"

namespace {

constexpr size_t kProgramPathSize = 2048;
constexpr size_t kDependencyBufferSize = 256;

struct ServiceRecord {
  const char* name;
  const char* displayName;
};
// The first record depends on the load-order group Network only; every later one also on the
// agent, so that starting the server makes the manager start the agent first.
constexpr ServiceRecord kServices[] = {
    {"MOXALAgent", "MOXALAgent 1.0"},
    {"MOXALServer", "MOXALServer 1.0"},
};
constexpr char kDependencyGroup[] = "+Network";

// NUL-separated names ended by a further NUL.
void fillDependencies(char (&buffer)[kDependencyBufferSize], size_t index) {
  std::memset(buffer, 0, sizeof buffer);
  std::memcpy(buffer, kDependencyGroup, sizeof kDependencyGroup);
  if (index == 0) return;
  std::memcpy(buffer + sizeof kDependencyGroup, kServices[0].name, std::strlen(kServices[0].name));
}

void createService(SC_HANDLE manager, size_t index, const char* programPath) {
  const ServiceRecord& record = kServices[index];
  stopAndDeleteService(manager, record.name);
  char dependencies[kDependencyBufferSize];
  fillDependencies(dependencies, index);
  const ServiceHandle created(CreateServiceA(
      manager, record.name, record.displayName, SERVICE_ALL_ACCESS, SERVICE_WIN32_SHARE_PROCESS,
      SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, programPath, /*loadOrderGroup=*/nullptr,
      /*tagId=*/nullptr, dependencies, /*serviceStartName=*/nullptr, /*password=*/nullptr));
  if (!created) {
    diagError("installService: could not install service %s %d", record.name,
              static_cast<int>(GetLastError()));
  }
}

}  // namespace

void installService(const char* installationDirectory, int count) {
  if (count <= 0 || !installationDirectory || !*installationDirectory) return;
  char programPath[kProgramPathSize];
  const int length = std::snprintf(programPath, sizeof programPath, "%s\\bin\\moxalsvc.exe",
                                   installationDirectory);
  if (length < 0 || static_cast<size_t>(length) >= sizeof programPath) {
    // A cut path would name another program: create nothing rather than a wrong service.
    errno = 0;  // the line says all there is to say
    diagError("installService: program path longer than %d characters",
              static_cast<int>(kProgramPathSize - 1));
    return;
  }
  const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) diagFatal("installService: could not open SCManager");
  const size_t services = std::min(static_cast<size_t>(count), std::size(kServices));
  for (size_t index = 0; index < services; ++index) {
    createService(manager.get(), index, programPath);
  }
}
