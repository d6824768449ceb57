// The manager's side of a service process: its dispatcher's connection, what the dispatcher
// says (status reports, answers), the quit once its last service has stopped, and the end of
// the process (see scm_manager.h).
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>

#include "../winerror.h"
#include "host_calls.h"
#include "scm_manager.h"

namespace nt::scm {
namespace {

// How long the reader of an ended process may take to read what the dispatcher sent last.
constexpr auto kDrainTimeout = std::chrono::seconds(2);
// A dispatcher that does not take a message within this time is taken as hung.
constexpr int kDispatcherSendTimeoutMs = 5000;

}  // namespace

// Runs on a thread of its own for each process: waits for its end, then takes its services
// as stopped once the status reports it sent before it ended have been read.
void Manager::watchProcess(const ProcessPtr& process) {
  pollfd ended{process->object->pollFd(), POLLIN, 0};
  host::retryOnEintr([&] { return ::poll(&ended, 1, -1); });
  Held held(lock_);
  const auto deadline = std::chrono::steady_clock::now() + kDrainTimeout;
  while (process->connected && !process->readerDone) {
    if (changed_.wait_until(held, deadline) == std::cv_status::timeout) {
      // Something else holds the connection open: stop reading it.
      if (process->connection >= 0) ::shutdown(process->connection, SHUT_RDWR);
      break;
    }
  }
  processEndedLocked(process);
}

void Manager::serveDispatcher(UniqueFd connection, const Message& hello) {
  ProcessPtr process;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (const ProcessPtr& candidate : processes_) {
      if (candidate->token == hello.text(1) && !candidate->connected && !candidate->dead) {
        process = candidate;
      }
    }
    // An unknown token, or a process that connected before: refused by closing.
    if (!process) return;
    setSocketTimeouts(connection.get(), /*receiveMs=*/0, kDispatcherSendTimeoutMs);
    if (!sendMessage(connection.get(), Message(kWelcome))) return;
    process->connection = connection.get();
    process->connected = true;
    changed_.notify_all();
  }
  Message message;
  while (receiveMessage(connection.get(), message)) {
    std::lock_guard<std::mutex> guard(lock_);
    dispatcherSaidLocked(process, message);
  }
  std::lock_guard<std::mutex> guard(lock_);
  process->connection = -1;
  process->readerDone = true;
  changed_.notify_all();
}

bool Manager::waitConnected(Held& held, const ProcessPtr& process) {
  const auto deadline = process->launched + settings_.pipeTimeout;
  while (!process->connected) {
    if (process->dead || stopping_) return false;
    if (changed_.wait_until(held, deadline) == std::cv_status::timeout && !process->connected) {
      return false;
    }
  }
  return true;
}

bool Manager::awaitReply(Held& held, const ProcessPtr& process, uint64_t sequence,
                         std::chrono::milliseconds timeout, DWORD& code) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  auto answer = process->replies.end();
  while ((answer = process->replies.find(sequence)) == process->replies.end()) {
    if (process->dead || stopping_) return false;
    if (changed_.wait_until(held, deadline) == std::cv_status::timeout &&
        !process->replies.count(sequence)) {
      return false;
    }
  }
  code = answer->second;
  process->replies.erase(answer);
  return true;
}

bool Manager::sendLocked(HostProcess& process, const Message& message) {
  return process.connection >= 0 && sendMessage(process.connection, message);
}

void Manager::dispatcherSaidLocked(const ProcessPtr& process, const Message& message) {
  if (message.verb() == kStatus) {
    statusReportedLocked(process, message.text(1), message.status(2));
  } else if (message.verb() == kDone) {
    process->replies[message.bigNumber(1)] = message.number(2);
    changed_.notify_all();
  }
}

// Records a SetServiceStatus of a service that runs in the process. A service that reports
// itself stopped leaves the process; the process quits once none is left.
void Manager::statusReportedLocked(const ProcessPtr& process, const std::string& name,
                                   const SERVICE_STATUS& status) {
  ServicePtr service = findLocked(name);
  if (!service || service->process != process) return;
  if (status.dwCurrentState < SERVICE_STOPPED || status.dwCurrentState > SERVICE_PAUSED) return;
  service->status = status;
  changed_.notify_all();
  if (status.dwCurrentState != SERVICE_STOPPED) return;
  service->process = nullptr;
  removeIfDeletedLocked(service);
  releaseIfIdleLocked(process);
}

void Manager::releaseIfIdleLocked(const ProcessPtr& process) {
  if (process->ending || process->dead || !process->connected || process->startsInFlight > 0) {
    return;
  }
  for (const auto& [name, service] : services_) {
    if (service->process == process) return;
  }
  process->ending = true;
  sendLocked(*process, Message(kQuit));
}

void Manager::processEndedLocked(const ProcessPtr& process) {
  process->dead = true;
  log("process " + std::to_string(process->object->pid()) + " ended with exit status " +
      std::to_string(process->object->exitCode()));
  std::vector<ServicePtr> ran;
  for (const auto& [name, service] : services_) {
    if (service->process == process) ran.push_back(service);
  }
  for (const ServicePtr& service : ran) {
    service->process = nullptr;
    if (service->status.dwCurrentState != SERVICE_STOPPED) {
      service->status = stoppedStatus(service->config, ERROR_PROCESS_ABORTED);
    }
    removeIfDeletedLocked(service);
  }
  std::erase(processes_, process);
  changed_.notify_all();
}

}  // namespace nt::scm
