// ntsc's output blocks: a service's status and its configuration, laid out as the Windows
// sc command lays them out.
#pragma once

#include <cstdio>
#include <string>

#include "platform/win32.h"

namespace ntsc {

inline const char* typeName(DWORD type) {
  switch (type & ~SERVICE_INTERACTIVE_PROCESS) {
    case SERVICE_KERNEL_DRIVER:
      return "KERNEL_DRIVER";
    case SERVICE_FILE_SYSTEM_DRIVER:
      return "FILE_SYSTEM_DRIVER";
    case SERVICE_WIN32_OWN_PROCESS:
      return "WIN32_OWN_PROCESS";
    case SERVICE_WIN32_SHARE_PROCESS:
      return "WIN32_SHARE_PROCESS";
    default:
      return "";
  }
}

inline const char* stateName(DWORD state) {
  static const char* const kNames[] = {
      "",        "STOPPED",          "START_PENDING", "STOP_PENDING",
      "RUNNING", "CONTINUE_PENDING", "PAUSE_PENDING", "PAUSED"};
  return state < sizeof kNames / sizeof kNames[0] ? kNames[state] : "";
}

inline const char* startTypeName(DWORD startType) {
  static const char* const kNames[] = {"BOOT_START", "SYSTEM_START", "AUTO_START", "DEMAND_START",
                                       "DISABLED"};
  return startType < sizeof kNames / sizeof kNames[0] ? kNames[startType] : "";
}

inline const char* errorControlName(DWORD errorControl) {
  static const char* const kNames[] = {"IGNORE", "NORMAL", "SEVERE", "CRITICAL"};
  return errorControl < sizeof kNames / sizeof kNames[0] ? kNames[errorControl] : "";
}

inline void printType(DWORD type) {
  std::printf("        TYPE               : %x  %s%s\n", type, typeName(type),
              (type & SERVICE_INTERACTIVE_PROCESS) ? "  (interactive)" : "");
}

// The status block of sc query, start and stop, after a blank line. A service that does not
// run has no line of accepted controls.
inline void printStatus(const std::string& name, const char* displayName, const SERVICE_STATUS& s) {
  std::printf("\nSERVICE_NAME: %s\n", name.c_str());
  if (displayName) std::printf("DISPLAY_NAME: %s\n", displayName);
  printType(s.dwServiceType);
  std::printf("        STATE              : %u  %s\n", s.dwCurrentState,
              stateName(s.dwCurrentState));
  if (s.dwCurrentState != SERVICE_STOPPED) {
    const DWORD accepted = s.dwControlsAccepted;
    std::printf("                                (%s, %s, %s)\n",
                (accepted & SERVICE_ACCEPT_STOP) ? "STOPPABLE" : "NOT_STOPPABLE",
                (accepted & SERVICE_ACCEPT_PAUSE_CONTINUE) ? "PAUSABLE" : "NOT_PAUSABLE",
                (accepted & SERVICE_ACCEPT_SHUTDOWN) ? "ACCEPTS_SHUTDOWN" : "IGNORES_SHUTDOWN");
  }
  std::printf("        WIN32_EXIT_CODE    : %u  (0x%x)\n", s.dwWin32ExitCode, s.dwWin32ExitCode);
  std::printf("        SERVICE_EXIT_CODE  : %u  (0x%x)\n", s.dwServiceSpecificExitCode,
              s.dwServiceSpecificExitCode);
  std::printf("        CHECKPOINT         : 0x%x\n", s.dwCheckPoint);
  std::printf("        WAIT_HINT          : 0x%x\n", s.dwWaitHint);
}

inline void printField(const char* label, const char* value) {
  std::printf("        %-19s:%s%s\n", label, *value ? " " : "", value);
}

// The configuration block of sc qc; each further dependency on a line of its own.
inline void printConfig(const std::string& name, const QUERY_SERVICE_CONFIGA& c) {
  std::printf("[SC] QueryServiceConfig SUCCESS\n\nSERVICE_NAME: %s\n", name.c_str());
  printType(c.dwServiceType);
  std::printf("        START_TYPE         : %u   %s\n", c.dwStartType,
              startTypeName(c.dwStartType));
  std::printf("        ERROR_CONTROL      : %u   %s\n", c.dwErrorControl,
              errorControlName(c.dwErrorControl));
  printField("BINARY_PATH_NAME", c.lpBinaryPathName);
  printField("LOAD_ORDER_GROUP", c.lpLoadOrderGroup);
  std::printf("        TAG                : %u\n", c.dwTagId);
  printField("DISPLAY_NAME", c.lpDisplayName);
  const char* dependency = c.lpDependencies;
  printField("DEPENDENCIES", dependency);
  while (*dependency && *(dependency += std::string(dependency).size() + 1)) {
    std::printf("                           : %s\n", dependency);
  }
  printField("SERVICE_START_NAME", c.lpServiceStartName);
}

}  // namespace ntsc
