// stopAndWait.
#include "stop_and_wait.h"

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
