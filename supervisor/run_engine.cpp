// runSvc and stopSvc: starting, watching and ending a service's Java processes, with their
// trace lines, error lines and events.
#include "run_engine.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "child_launch.h"
#include "common/diag.h"
#include "message_table.h"
#include "service_status.h"
#include "settings.h"

namespace {

constexpr DWORD kStartPacingMs = 500;

// An event text from a message-table format, cut at 255 characters as its buffer holds.
std::string eventText(int textId, ...) {
  char buffer[256];
  va_list args;
  va_start(args, textId);
  std::vsnprintf(buffer, sizeof buffer, messageText(textId), args);
  va_end(args);
  return buffer;
}

void reportServiceEvent(const Service& service, const std::string& text) {
  reportEvent(text.c_str(), service.name.c_str(), EVENTLOG_ERROR_TYPE);
}

unsigned handleValue(HANDLE handle) {
  return static_cast<unsigned>(reinterpret_cast<uintptr_t>(handle));
}

// Reports a status change that the control manager refused: the event, then the error line.
void sendOrReport(Service& service, const StatusChange& change, int textId, const char* errorFormat) {
  if (sendStatus(service, change)) return;
  reportServiceEvent(service, messageText(textId));
  diagError(errorFormat, service.name.c_str(), static_cast<unsigned>(GetLastError()));
}

// ---- runSvc ----

void traceStartCommand(int index, int argumentCount, const ArgumentVector& command,
                       const std::string& commandLine) {
  diagPrint("\t%d %d #%s# #%s#\n", index, argumentCount, command[0].c_str(), commandLine.c_str());
  diagPrint("runSvc: spawn\n");
  for (size_t a = 1; a < command.size(); ++a) {
    diagPrint("\t%d #%s#\n", static_cast<int>(a - 1), command[a].c_str());
  }
}

// Starts start command i; its process handle, or none when it failed (and was reported).
HANDLE startOne(Service& service, int index) {
  const ArgumentVector& command = service.startCommands[index];
  const std::string commandLine = startCommandLine(command);
  const char* program = command[0].c_str();
  traceStartCommand(index, service.startArgumentCount, command, commandLine);

  LaunchResult launched;
  if (settings.launchWithCreateProcess) {
    diagPrint("runSvc: doing createProcess\n");
    launched = launchByCreateProcess(command, commandLine);
    if (!launched.started) {
      diagPrint("runSvc: cmd %d failed to createProcess\n", index);
      reportServiceEvent(service, eventText(11, index, program, commandLine.c_str()));
      diagError("runSvc: could not create process %d (%s %s) service %s %X\n", index, program,
                commandLine.c_str(), service.name.c_str(), static_cast<unsigned>(GetLastError()));
      return nullptr;
    }
  } else {
    diagPrint("runSvc: doing spawn\n");
    launched = launchBySpawn(command);
    if (!launched.started) {
      const int err = launched.spawnErrno;
      diagPrint("runSvc: cmd %d failed to spawn %d\n", index, err);
      reportServiceEvent(service, eventText(12, index, program, commandLine.c_str(), err));
      diagError("runSvc: could not create process %d (%s %s) service %s %X %d\n", index, program,
                commandLine.c_str(), service.name.c_str(), static_cast<unsigned>(GetLastError()),
                err);
      return nullptr;
    }
  }
  {
    std::lock_guard<std::mutex> guard(service.lock);
    service.startedProcesses[index] = launched.process;
  }
  diagPrint("runSvc: cmd %d hProcess %X\n", index, handleValue(launched.process.hProcess));
  return launched.process.hProcess;
}

enum class WaitOutcome { ChildEnded, NothingEnded };

WaitOutcome waitForAny(const std::vector<HANDLE>& handles, const char* termedTrace,
                       const char* abendedTrace) {
  const DWORD count = static_cast<DWORD>(handles.size());
  const DWORD result = WaitForMultipleObjects(count, handles.data(), FALSE, INFINITE);
  if (result < count) {
    diagPrint("%s", termedTrace);
    return WaitOutcome::ChildEnded;
  }
  if (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count) {
    diagPrint("%s", abendedTrace);
    return WaitOutcome::ChildEnded;
  }
  return WaitOutcome::NothingEnded;
}

// Reports every child of the wait list that has ended and drops it from the list.
void reportEndedChildren(Service& service, std::vector<HANDLE>& handles) {
  std::vector<HANDLE> remaining;
  for (HANDLE handle : handles) {
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(handle, &exitCode) || exitCode == STILL_ACTIVE) {
      remaining.push_back(handle);
      continue;
    }
    int index = -1;
    {
      std::lock_guard<std::mutex> guard(service.lock);
      for (size_t i = 0; i < service.startedProcesses.size(); ++i) {
        if (service.startedProcesses[i].hProcess == handle) {
          index = static_cast<int>(i);
          service.startedProcesses[i] = PROCESS_INFORMATION{};
          break;
        }
      }
    }
    const ArgumentVector empty{""};
    const ArgumentVector& command = index >= 0 ? service.startCommands[index] : empty;
    const std::string commandLine = startCommandLine(command);
    reportServiceEvent(service, eventText(15, command[0].c_str(), commandLine.c_str()));
    diagPrint("runSvc: %s id %d (%s %s) termed exitcode %X\n", service.name.c_str(), index,
              command[0].c_str(), commandLine.c_str(), static_cast<unsigned>(exitCode));
  }
  diagPrint("runSvc: compact wait array\n");
  handles = std::move(remaining);
}

// ---- stopSvc ----

HANDLE startStopCommand(Service& service, int index) {
  const ArgumentVector& command = service.stopCommands[index];
  const std::string commandLine = stopCommandLine(command);
  const char* program = command[0].c_str();
  diagPrint("\t%d -%s %s-\n", index, program, commandLine.c_str());

  LaunchResult launched;
  if (settings.launchWithCreateProcess) {
    launched = launchByCreateProcess(command, commandLine);
    if (!launched.started) {
      diagPrint("stopSvc: cmd %d failed to createProcess\n", index);
      reportServiceEvent(service, eventText(18, index, program, commandLine.c_str()));
      diagError("stopSvc: could not create process %d (%s %s) service %s %X\n", index, program,
                commandLine.c_str(), service.name.c_str(), static_cast<unsigned>(GetLastError()));
      return nullptr;
    }
  } else {
    launched = launchBySpawn(command);
    if (!launched.started) {
      const int err = launched.spawnErrno;
      auto argument = [&](size_t a) { return a < command.size() ? command[a].c_str() : "(null)"; };
      diagPrint("stopSvc: cmd %d failed to spawn (%s %s)\n", index, program, commandLine.c_str());
      reportServiceEvent(service, eventText(19, index, program, commandLine.c_str(), err));
      diagError("stopSvc: could not create process %d (%s %s %s) service %s %X %d\n", index,
                argument(0), argument(1), argument(2), service.name.c_str(),
                static_cast<unsigned>(GetLastError()), err);
      return nullptr;
    }
  }
  {
    std::lock_guard<std::mutex> guard(service.lock);
    service.stopProcesses[index] = launched.process;
  }
  diagPrint("stopSvc: cmd %d hProcess %X\n", index, handleValue(launched.process.hProcess));
  return launched.process.hProcess;
}

// Ends every process of both tables with exit code 1; entries without a process are skipped
// and a process that has ended already makes the call fail harmlessly.
void terminateAll(Service& service) {
  std::vector<HANDLE> processes;
  {
    std::lock_guard<std::mutex> guard(service.lock);
    for (const auto* table : {&service.startedProcesses, &service.stopProcesses}) {
      for (const PROCESS_INFORMATION& entry : *table) {
        if (entry.hProcess) processes.push_back(entry.hProcess);
      }
    }
  }
  for (HANDLE process : processes) TerminateProcess(process, /*exitCode=*/1);
}

}  // namespace

std::string startCommandLine(const ArgumentVector& command) {
  std::string line = quotedProgramPath(command[0]) + " ";
  for (size_t a = 1; a < command.size(); ++a) {
    if (command[a].empty()) continue;
    line += command[a];
    if (a + 1 < command.size()) line += ' ';
  }
  return line;
}

std::string stopCommandLine(const ArgumentVector& command) {
  std::string line = quotedProgramPath(command[0]) + " ";
  for (size_t a = 1; a < command.size(); ++a) line += command[a] + " ";
  return line;
}

void runSvc(Service* service) {
  Service& svc = *service;
  sendOrReport(svc, {SERVICE_START_PENDING, 0, StatusChange::Increment}, 10,
               "runSvc: could not set service status %s %X\n");
  const int count = static_cast<int>(svc.startCommands.size());
  {
    std::lock_guard<std::mutex> guard(svc.lock);
    svc.startedProcesses.assign(count, PROCESS_INFORMATION{});
  }
  std::vector<HANDLE> waitList;
  diagPrint("runSvc: num start cmds %d\n", count);
  for (int i = 0; i < count; ++i) {
    if (HANDLE process = startOne(svc, i)) waitList.push_back(process);
    sendOrReport(svc, {std::nullopt, std::nullopt, StatusChange::Increment}, 13,
                 "runSvc: could not set service status1 %s %X\n");
    Sleep(kStartPacingMs);
  }
  sendOrReport(svc, {SERVICE_RUNNING, SERVICE_ACCEPT_STOP, StatusChange::Zero}, 14,
               "runSvc: could not set service status1 %s %X\n");

  WaitOutcome outcome =
      waitForAny(waitList, "runSvc: somebody termed!\n", "runSvc: somebody abended!\n");
  while (outcome == WaitOutcome::ChildEnded && currentState(svc) == SERVICE_RUNNING) {
    reportEndedChildren(svc, waitList);
    diagPrint("runSvc: second wait\n");
    outcome = waitForAny(waitList, "runSvc: somebody termed1!\n", "runSvc: somebody abended1!\n");
    diagPrint("runSvc: second wait done\n");
  }

  diagPrint("runSvc: set status to stopped\n");
  if (!sendStatus(svc, {SERVICE_STOPPED, SERVICE_ACCEPT_STOP, StatusChange::Zero})) {
    diagError("runSvc: could not set service status3 %s %X\n", svc.name.c_str(),
              static_cast<unsigned>(GetLastError()));
    reportServiceEvent(svc, messageText(16));
  }
  diagPrint("runSvc: done\n");
}

void stopSvc(Service* service) {
  diagPrint("stopSvc: enter\n");
  if (!service) return;
  Service& svc = *service;
  sendOrReport(svc, {SERVICE_STOP_PENDING, SERVICE_ACCEPT_STOP, StatusChange::Increment}, 17,
               "stopSvc: could not set service status %s %X\n");
  const int count = static_cast<int>(svc.stopCommands.size());
  {
    std::lock_guard<std::mutex> guard(svc.lock);
    svc.stopProcesses.assign(count, PROCESS_INFORMATION{});
  }
  std::vector<HANDLE> waitList;
  diagPrint("stopSvc: stop cmd count %d\n", count);
  for (int i = 0; i < count; ++i) {
    if (HANDLE process = startStopCommand(svc, i)) waitList.push_back(process);
    sendOrReport(svc, {std::nullopt, std::nullopt, StatusChange::Increment}, 20,
                 "stopSvc: could not set service status1 %s %X\n");
    Sleep(kStartPacingMs);
  }
  const DWORD waited = WaitForMultipleObjects(static_cast<DWORD>(waitList.size()), waitList.data(),
                                              TRUE, INFINITE);
  diagPrint("stopSvc: wait for stoppers returned %X\n", static_cast<unsigned>(waited));
  terminateAll(svc);
  sendOrReport(svc, {SERVICE_STOPPED, SERVICE_ACCEPT_STOP, StatusChange::Zero}, 21,
               "stopSvc: could not set service status2 %s %X\n");
}
