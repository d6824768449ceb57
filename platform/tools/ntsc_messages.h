// ntsc's texts for the Win32 error codes the service calls report, worded as the system's
// own message table words them.
#pragma once

#include "platform/win32.h"

namespace ntsc {

struct ErrorText {
  DWORD code;
  const char* text;
};

inline constexpr ErrorText kErrorTexts[] = {
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough storage is available to process this command."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_BROKEN_PIPE, "The pipe has been ended."},
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_DEPENDENT_SERVICES_RUNNING,
     "A stop control has been sent to a service that other running services are dependent on."},
    {ERROR_INVALID_SERVICE_CONTROL, "The requested control is not valid for this service."},
    {ERROR_SERVICE_REQUEST_TIMEOUT,
     "The service did not respond to the start or control request in a timely fashion."},
    {ERROR_SERVICE_NO_THREAD, "A thread could not be created for the service."},
    {ERROR_SERVICE_ALREADY_RUNNING, "An instance of the service is already running."},
    {ERROR_SERVICE_DISABLED,
     "The service cannot be started, either because it is disabled or because it has no "
     "enabled devices associated with it."},
    {ERROR_CIRCULAR_DEPENDENCY, "Circular service dependency was specified."},
    {ERROR_SERVICE_DOES_NOT_EXIST, "The specified service does not exist as an installed service."},
    {ERROR_SERVICE_CANNOT_ACCEPT_CTRL, "The service cannot accept control messages at this time."},
    {ERROR_SERVICE_NOT_ACTIVE, "The service has not been started."},
    {ERROR_FAILED_SERVICE_CONTROLLER_CONNECT,
     "The service process could not connect to the service controller."},
    {ERROR_DATABASE_DOES_NOT_EXIST, "The database specified does not exist."},
    {ERROR_PROCESS_ABORTED, "The process terminated unexpectedly."},
    {ERROR_SERVICE_DEPENDENCY_FAIL, "The dependency service or group failed to start."},
    {ERROR_SERVICE_MARKED_FOR_DELETE, "The specified service has been marked for deletion."},
    {ERROR_SERVICE_EXISTS, "The specified service already exists."},
    {ERROR_SERVICE_DEPENDENCY_DELETED,
     "The dependency service does not exist or has been marked for deletion."},
    {1077, "No attempts to start the service have been made since the last boot."},
    {ERROR_DUPLICATE_SERVICE_NAME,
     "The name is already in use as either a service name or a service display name."},
    {1083,
     "The executable program that this service is configured to run in does not "
     "implement the service."},
    {ERROR_SHUTDOWN_IN_PROGRESS, "A system shutdown is in progress."},
    {RPC_S_SERVER_UNAVAILABLE, "The RPC server is unavailable."},
};

inline const char* errorText(DWORD code) {
  for (const ErrorText& entry : kErrorTexts) {
    if (entry.code == code) return entry.text;
  }
  return "";
}

}  // namespace ntsc
