// Controls and status: ControlService's rules and its way to the service's handler,
// QueryServiceStatus, and the manager's own stop (see scm_manager.h).
#include <algorithm>

#include "../winerror.h"
#include "paths.h"
#include "scm_manager.h"

namespace nt::scm {
namespace {

// How long the manager's stop waits for services to stop before it ends their processes.
constexpr auto kShutdownGrace = std::chrono::seconds(10);
constexpr auto kShutdownPoll = std::chrono::milliseconds(50);
constexpr auto kReapTimeout = std::chrono::seconds(5);
constexpr DWORD kFirstUserControl = 128;
constexpr DWORD kLastUserControl = 255;

bool validControl(DWORD control) {
  return (control >= SERVICE_CONTROL_STOP && control <= SERVICE_CONTROL_INTERROGATE) ||
         (control >= kFirstUserControl && control <= kLastUserControl);
}

bool pending(DWORD state) {
  return state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ||
         state == SERVICE_CONTINUE_PENDING || state == SERVICE_PAUSE_PENDING;
}

// Interrogate and user-defined controls always reach the handler.
bool accepts(DWORD controlsAccepted, DWORD control) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
      return controlsAccepted & SERVICE_ACCEPT_STOP;
    case SERVICE_CONTROL_PAUSE:
    case SERVICE_CONTROL_CONTINUE:
      return controlsAccepted & SERVICE_ACCEPT_PAUSE_CONTINUE;
    default:
      return true;
  }
}

// ControlService fills the caller's status for these results only.
bool reportsStatus(DWORD code) {
  return code == ERROR_SUCCESS || code == ERROR_INVALID_SERVICE_CONTROL ||
         code == ERROR_SERVICE_CANNOT_ACCEPT_CTRL || code == ERROR_SERVICE_NOT_ACTIVE;
}

}  // namespace

Message Manager::control(const Message& request) {
  return onService(request, [&](Held& held, const ServicePtr& service) {
    const DWORD code = controlService(held, service, request.number(3));
    Message out = reply(code);
    if (reportsStatus(code)) out.addStatus(statusOf(*service));
    return out;
  });
}

Message Manager::status(const Message& request) {
  return onService(request, [&](Held&, const ServicePtr& service) {
    return reply(ERROR_SUCCESS).addStatus(statusOf(*service));
  });
}

// Passes the control to the dispatcher of the service's process, which calls the handler on
// its own thread; returns when the handler has returned.
DWORD Manager::controlService(Held& held, const ServicePtr& service, DWORD control) {
  if (!validControl(control)) return ERROR_INVALID_PARAMETER;
  const SERVICE_STATUS& status = service->status;
  if (status.dwCurrentState == SERVICE_STOPPED && !service->startInFlight) {
    return ERROR_SERVICE_NOT_ACTIVE;
  }
  if (control == SERVICE_CONTROL_STOP && hasActiveDependentsLocked(*service)) {
    return ERROR_DEPENDENT_SERVICES_RUNNING;
  }
  if (pending(status.dwCurrentState) && status.dwControlsAccepted == 0) {
    return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  }
  if (!accepts(status.dwControlsAccepted, control)) return ERROR_INVALID_SERVICE_CONTROL;
  const ProcessPtr process = service->process;
  if (!process || !process->connected) return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  const uint64_t sequence = process->nextSequence++;
  Message message(kControl);
  message.add(sequence).add(service->config.name).add(control);
  if (!sendLocked(*process, message)) return ERROR_PROCESS_ABORTED;
  DWORD code = ERROR_SUCCESS;
  if (awaitReply(held, process, sequence, 2 * settings_.pipeTimeout, code)) return code;
  if (stopping_) return ERROR_SHUTDOWN_IN_PROGRESS;
  return process->dead ? ERROR_PROCESS_ABORTED : ERROR_SERVICE_REQUEST_TIMEOUT;
}

bool Manager::hasActiveDependentsLocked(const Service& service) const {
  for (const auto& [name, other] : services_) {
    if (other->status.dwCurrentState == SERVICE_STOPPED && !other->startInFlight) continue;
    for (const std::string& dependency : other->config.dependencies) {
      if (equalNoCase(dependency, service.config.name)) return true;
    }
  }
  return false;
}

void Manager::shutdown() {
  Held held(lock_);
  stopping_ = true;
  changed_.notify_all();
  const auto deadline = std::chrono::steady_clock::now() + kShutdownGrace;
  std::vector<Service*> asked;
  while (!processes_.empty() && std::chrono::steady_clock::now() < deadline) {
    askToStopLocked(asked);
    changed_.wait_for(held, kShutdownPoll);
  }
  for (const ProcessPtr& process : processes_) {
    log("ending process " + std::to_string(process->object->pid()));
    process->object->terminate(/*exitCode=*/1);
  }
  changed_.wait_for(held, kReapTimeout, [&] { return processes_.empty(); });
}

// Sends a stop to every running service that accepts one and that no running service
// depends on; the others follow as their dependents stop.
void Manager::askToStopLocked(std::vector<Service*>& asked) {
  for (const auto& [name, service] : services_) {
    const ProcessPtr& process = service->process;
    if (!process || !process->connected) continue;
    if (std::find(asked.begin(), asked.end(), service.get()) != asked.end()) continue;
    if (!(service->status.dwControlsAccepted & SERVICE_ACCEPT_STOP) ||
        hasActiveDependentsLocked(*service)) {
      continue;
    }
    Message message(kControl);
    message.add(process->nextSequence++).add(service->config.name).add(DWORD{SERVICE_CONTROL_STOP});
    sendLocked(*process, message);
    asked.push_back(service.get());
  }
}

}  // namespace nt::scm
