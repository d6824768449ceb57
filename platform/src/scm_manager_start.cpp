// Starting services: the dependencies first, then the service, each in the process of its
// binary path (one process for the share-process services of one path), started when it
// does not run yet (see scm_manager.h).
#include <sys/random.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "../winerror.h"
#include "command_line.h"
#include "environment.h"
#include "host_error.h"
#include "paths.h"
#include "scm_manager.h"

namespace nt::scm {
namespace {

constexpr char kNetworkGroup[] = "Network";  // counts as available: the host's network is up
constexpr DWORD kStartWaitHint = 2000;

bool stopped(const Service& service) {
  return service.status.dwCurrentState == SERVICE_STOPPED && !service.startInFlight;
}

// A dependency that runs (or is paused) and is not on its way down.
bool available(const Service& service) {
  const DWORD state = service.status.dwCurrentState;
  return state != SERVICE_STOPPED && state != SERVICE_STOP_PENDING &&
         state != SERVICE_START_PENDING;
}

SERVICE_STATUS startPendingStatus(const ServiceConfig& config) {
  SERVICE_STATUS status{};
  status.dwServiceType = config.type;
  status.dwCurrentState = SERVICE_START_PENDING;
  status.dwWaitHint = kStartWaitHint;
  return status;
}

std::string randomToken() {
  unsigned char bytes[16] = {};
  if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) return {};
  std::string token;
  for (unsigned char byte : bytes) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", byte);
    token += digits;
  }
  return token;
}

// The host program of a binary path and the argument vector it starts with. A path that names
// a program file as it stands (blanks and all) is started with no arguments; otherwise it is
// a command line, split by the C runtime's rules, whose first word names the program.
std::string programFor(const std::string& binaryPath, std::vector<std::string>& arguments) {
  const std::string whole = hostProgramFor(binaryPath);
  if (!whole.empty()) {
    arguments = {binaryPath};
    return whole;
  }
  arguments = splitCommandLine(binaryPath);
  return arguments.empty() ? std::string() : hostProgramFor(arguments[0]);
}

}  // namespace

Message Manager::start(const Message& request) {
  return onService(request, [&](Held& held, const ServicePtr& service) {
    size_t index = 3;
    return reply(startWithDependencies(held, service, request.list(index)));
  });
}

DWORD Manager::startWithDependencies(Held& held, const ServicePtr& service,
                                     const std::vector<std::string>& arguments) {
  if (service->config.deletePending) return ERROR_SERVICE_MARKED_FOR_DELETE;
  if (service->config.startType == SERVICE_DISABLED) return ERROR_SERVICE_DISABLED;
  if (!stopped(*service)) return ERROR_SERVICE_ALREADY_RUNNING;
  std::vector<ServicePtr> order;
  std::vector<Service*> path;
  if (DWORD code = planStartLocked(service, order, path)) return code;
  for (const ServicePtr& dependency : order) {
    if (dependency == service) break;
    if (DWORD code = startDependency(held, dependency)) return code;
  }
  if (!groupsAvailableLocked(*service)) return ERROR_SERVICE_DEPENDENCY_FAIL;
  if (!stopped(*service)) return ERROR_SERVICE_ALREADY_RUNNING;  // started meanwhile by another
  return startOne(held, service, arguments);
}

// The services to start, dependencies before their dependents, the service last.
DWORD Manager::planStartLocked(const ServicePtr& service, std::vector<ServicePtr>& order,
                               std::vector<Service*>& path) const {
  if (std::find(path.begin(), path.end(), service.get()) != path.end()) {
    return ERROR_CIRCULAR_DEPENDENCY;
  }
  if (std::find(order.begin(), order.end(), service) != order.end()) return ERROR_SUCCESS;
  path.push_back(service.get());
  for (const std::string& name : service->config.dependencies) {
    if (name.empty() || name[0] == '+') continue;  // groups are checked when the time comes
    ServicePtr dependency = findLocked(name);
    if (!dependency || dependency->config.deletePending) return ERROR_SERVICE_DEPENDENCY_DELETED;
    if (dependency->config.startType == SERVICE_DISABLED) return ERROR_SERVICE_DEPENDENCY_FAIL;
    if (DWORD code = planStartLocked(dependency, order, path)) return code;
  }
  path.pop_back();
  order.push_back(service);
  return ERROR_SUCCESS;
}

// Each "+Group" dependency is met by the group Network, or by a member of the group that runs.
bool Manager::groupsAvailableLocked(const Service& service) const {
  for (const std::string& dependency : service.config.dependencies) {
    if (dependency.size() < 2 || dependency[0] != '+') continue;
    const std::string group = dependency.substr(1);
    if (equalNoCase(group, kNetworkGroup)) continue;
    const bool running = std::any_of(services_.begin(), services_.end(), [&](const auto& entry) {
      return equalNoCase(entry.second->config.loadOrderGroup, group) && available(*entry.second);
    });
    if (!running) return false;
  }
  return true;
}

DWORD Manager::startDependency(Held& held, const ServicePtr& service) {
  if (!groupsAvailableLocked(*service)) return ERROR_SERVICE_DEPENDENCY_FAIL;
  if (stopped(*service) && startOne(held, service, {}) != ERROR_SUCCESS) {
    return ERROR_SERVICE_DEPENDENCY_FAIL;
  }
  return waitUntilRunning(held, service) ? ERROR_SUCCESS : ERROR_SERVICE_DEPENDENCY_FAIL;
}

// Waits while the service starts. It may take as long as its wait hint (at least the pipe
// time-out) between two check points.
bool Manager::waitUntilRunning(Held& held, const ServicePtr& service) {
  const auto allowance = [&] {
    return std::max(settings_.pipeTimeout, std::chrono::milliseconds(service->status.dwWaitHint));
  };
  DWORD checkPoint = service->status.dwCheckPoint;
  auto deadline = std::chrono::steady_clock::now() + allowance();
  while (!stopping_ &&
         (service->startInFlight || service->status.dwCurrentState == SERVICE_START_PENDING)) {
    const bool timedOut = changed_.wait_until(held, deadline) == std::cv_status::timeout;
    if (service->status.dwCheckPoint != checkPoint) {
      checkPoint = service->status.dwCheckPoint;
      deadline = std::chrono::steady_clock::now() + allowance();
    } else if (timedOut) {
      return false;
    }
  }
  return !stopping_ && available(*service);
}

DWORD Manager::startOne(Held& held, const ServicePtr& service,
                        const std::vector<std::string>& arguments) {
  service->startInFlight = true;
  service->status = startPendingStatus(service->config);
  DWORD code = ERROR_SUCCESS;
  ProcessPtr process = hostProcessLocked(*service, code);
  if (process) {
    ++process->startsInFlight;
    code = deliverStart(held, process, service, arguments);
    --process->startsInFlight;
  }
  service->startInFlight = false;
  if (code != ERROR_SUCCESS) {
    if (service->process == process) service->process = nullptr;
    service->status = stoppedStatus(service->config, code);
  }
  if (process) releaseIfIdleLocked(process);
  changed_.notify_all();
  return code;
}

// Hands the start to the process's dispatcher once it has connected. Returns when the
// dispatcher has started the service's main.
DWORD Manager::deliverStart(Held& held, const ProcessPtr& process, const ServicePtr& service,
                            const std::vector<std::string>& arguments) {
  if (!waitConnected(held, process)) {
    if (stopping_) return ERROR_SHUTDOWN_IN_PROGRESS;
    // A process that never connects would be out of reach for good.
    if (!process->dead && !process->connected) process->object->terminate(/*exitCode=*/1);
    return ERROR_SERVICE_REQUEST_TIMEOUT;
  }
  service->process = process;
  const uint64_t sequence = process->nextSequence++;
  Message message(kStart);
  message.add(sequence).add(service->config.name).addList(arguments);
  if (!sendLocked(*process, message)) return ERROR_PROCESS_ABORTED;
  DWORD code = ERROR_SUCCESS;
  if (awaitReply(held, process, sequence, settings_.pipeTimeout, code)) return code;
  if (stopping_) return ERROR_SHUTDOWN_IN_PROGRESS;
  return process->dead ? ERROR_PROCESS_ABORTED : ERROR_SERVICE_REQUEST_TIMEOUT;
}

Manager::ProcessPtr Manager::hostProcessLocked(const Service& service, DWORD& code) {
  if (service.config.type & SERVICE_WIN32_SHARE_PROCESS) {
    for (const ProcessPtr& process : processes_) {
      if (process->shared && !process->dead && !process->ending &&
          equalNoCase(process->binaryPath, service.config.binaryPath)) {
        return process;
      }
    }
  }
  return launchLocked(service, code);
}

// Starts the service's program in its own session with no standard handles and the
// manager's environment, plus the way back to the manager for its dispatcher.
Manager::ProcessPtr Manager::launchLocked(const Service& service, DWORD& code) {
  LaunchRequest request;
  request.hostProgram = programFor(service.config.binaryPath, request.arguments);
  if (request.hostProgram.empty()) {
    code = ERROR_FILE_NOT_FOUND;
    return nullptr;
  }
  auto process = std::make_shared<HostProcess>();
  process->id = nextProcessId_++;
  process->token = randomToken();
  process->binaryPath = service.config.binaryPath;
  process->shared = (service.config.type & SERVICE_WIN32_SHARE_PROCESS) != 0;
  request.environment = withVariable(environmentBlock(), kDispatchVariable,
                                     process->token + ";" + settings_.socketPath);
  request.newSession = true;
  request.standardFds = std::vector<int>{-1, -1, -1};
  if (!process->token.empty()) process->object = launchProcess(request);
  if (!process->object) {
    code = win32ErrorFromErrno(errno);
    log("could not start " + service.config.binaryPath + " for " + service.config.name);
    return nullptr;
  }
  process->launched = std::chrono::steady_clock::now();
  if (!threads_.spawn([this, process] { watchProcess(process); })) {
    process->object->terminate(/*exitCode=*/1);
    code = ERROR_SERVICE_NO_THREAD;
    return nullptr;
  }
  processes_.push_back(process);
  log("process " + std::to_string(process->object->pid()) + " started for " + service.config.name +
      ": " + service.config.binaryPath);
  return process;
}

}  // namespace nt::scm
