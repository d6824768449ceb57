// installService and uninstallService: the supervisor's own -install and -uninstall.
#include <cstring>

#include "common/diag.h"
#include "common/stop_and_wait.h"
#include "service_control.h"

namespace {

constexpr DWORD kModulePathLength = 2048;
constexpr size_t kDependencyBufferSize = 256;

// The first record depends on the group Network only; every later one also on the agent.
// NUL-separated names ending with a further NUL.
void fillDependencies(char (&buffer)[kDependencyBufferSize], bool first) {
  std::memset(buffer, 0, sizeof buffer);
  static const char kAgentDependencies[] = "+Network\0MOXALAgent\0";
  static const char kNetworkOnly[] = "+Network\0";
  if (first) {
    std::memcpy(buffer, kNetworkOnly, sizeof kNetworkOnly);
  } else {
    std::memcpy(buffer, kAgentDependencies, sizeof kAgentDependencies);
  }
}

// The manager, or the end of the program when it cannot be opened.
SC_HANDLE openManagerOrDie(const char* fatalText) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (!manager) diagFatal("%s", fatalText);
  return manager;
}

}  // namespace

void installService(const std::vector<std::unique_ptr<Service>>& services) {
  if (services.empty()) return;
  char path[kModulePathLength];
  if (GetModuleFileNameA(nullptr, path, kModulePathLength) == 0) {
    diagFatal("installService: could not get current executable");
  }
  SC_HANDLE manager = openManagerOrDie("installService: could not open SCManager");
  for (size_t i = 0; i < services.size(); ++i) {
    const Service& service = *services[i];
    char dependencies[kDependencyBufferSize];
    fillDependencies(dependencies, i == 0);
    SC_HANDLE created = CreateServiceA(
        manager, service.name.c_str(), service.displayName.c_str(), SERVICE_ALL_ACCESS,
        SERVICE_WIN32_SHARE_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, path,
        /*loadOrderGroup=*/nullptr, /*tagId=*/nullptr, dependencies,
        /*serviceStartName=*/nullptr, /*password=*/nullptr);
    if (!created) {
      diagError("installService: could not install service %s %d", service.name.c_str(),
                static_cast<int>(GetLastError()));
      continue;
    }
    CloseServiceHandle(created);
  }
  CloseServiceHandle(manager);
}

void uninstallService(const std::vector<std::unique_ptr<Service>>& services) {
  if (services.empty()) return;
  SC_HANDLE manager = openManagerOrDie("uninstallService: could not open SCManager");
  for (const auto& service : services) {
    SC_HANDLE opened = OpenServiceA(manager, service->name.c_str(), SERVICE_ALL_ACCESS);
    if (!opened) {
      diagError("uninstallService: could not uninstall service %s", service->name.c_str());
      continue;
    }
    stopAndWait(opened);
    DeleteService(opened);
    CloseServiceHandle(opened);
  }
  CloseServiceHandle(manager);
}
