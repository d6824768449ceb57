// The Service record: a service's names, the argument vectors of the Java processes that start
// and stop it, its status block and handle, the processes of its last run and stop, and its
// entry points.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/win32.h"

// One command: the Java program's path first, then its arguments (at most 9).
using ArgumentVector = std::vector<std::string>;

struct Service {
  std::string name;          // the key of findService
  std::string displayName;   // given to CreateServiceA
  std::vector<ArgumentVector> startCommands;
  int startArgumentCount = 0;  // entries of each start command, program path included
  std::vector<ArgumentVector> stopCommands;
  int stopArgumentCount = 0;

  SERVICE_STATUS_HANDLE statusHandle = nullptr;  // none in standalone mode

  // The service's thread (runSvc) and the control thread (stopSvc) share these: both change
  // the status and read the process tables. The lock makes each change and each read whole;
  // it is never held while waiting for a process.
  std::mutex lock;
  SERVICE_STATUS status{};
  std::vector<PROCESS_INFORMATION> startedProcesses;  // one per start command, last run
  std::vector<PROCESS_INFORMATION> stopProcesses;     // one per stop command, last stop

  LPSERVICE_MAIN_FUNCTIONA serviceMain = nullptr;
  LPHANDLER_FUNCTION controlHandler = nullptr;
};
