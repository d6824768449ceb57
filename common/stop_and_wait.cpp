// stopAndWait and stopAndDeleteService.
#include "stop_and_wait.h"

#include "service_handle.h"

namespace {
constexpr int kPolls = 5;
constexpr DWORD kPollIntervalMs = 1000;
}  // namespace

void stopAndWait(SC_HANDLE service) {
  SERVICE_STATUS status{};
  if (ControlService(service, SERVICE_CONTROL_STOP, &status)) return;
  for (int poll = 0; poll < kPolls; ++poll) {
    status.dwCurrentState = SERVICE_STOP_PENDING;
    QueryServiceStatus(service, &status);
    if (status.dwCurrentState == SERVICE_STOPPED) return;
    Sleep(kPollIntervalMs);
  }
}

bool stopAndDeleteService(SC_HANDLE manager, const char* name) {
  const ServiceHandle service(OpenServiceA(manager, name, SERVICE_ALL_ACCESS));
  if (!service) return false;
  stopAndWait(service.get());
  DeleteService(service.get());  // its result is not examined: nothing more can be done
  return true;
}
