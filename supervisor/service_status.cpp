// sendStatus, currentState and initialStatus.
#include "service_status.h"

bool sendStatus(Service& service, const StatusChange& change) {
  std::lock_guard<std::mutex> guard(service.lock);
  SERVICE_STATUS& status = service.status;
  if (change.state) status.dwCurrentState = *change.state;
  if (change.controlsAccepted) status.dwControlsAccepted = *change.controlsAccepted;
  if (change.checkPoint == StatusChange::Increment) ++status.dwCheckPoint;
  if (change.checkPoint == StatusChange::Zero) status.dwCheckPoint = 0;
  return SetServiceStatus(service.statusHandle, &status) != FALSE;
}

DWORD currentState(Service& service) {
  std::lock_guard<std::mutex> guard(service.lock);
  return service.status.dwCurrentState;
}

SERVICE_STATUS initialStatus() {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_SHARE_PROCESS;
  status.dwCurrentState = SERVICE_STOPPED;
  status.dwControlsAccepted = SERVICE_ACCEPT_STOP;
  status.dwWin32ExitCode = 0;
  status.dwServiceSpecificExitCode = 0;
  status.dwCheckPoint = 0;
  status.dwWaitHint = 10000;
  return status;
}
