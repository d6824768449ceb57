// The service control manager's state and decisions: the services of the database with the
// status their processes last reported, the service processes it started, and the answers to
// the SC calls' requests. ntscm (scm_server.cpp) feeds it connections.
//
// One lock guards everything. A request that waits (for a process to connect, for a
// dispatcher to answer, for a dependency to run) waits on the condition variable, so that
// other requests go on meanwhile.
//
// Sections: scm_manager.cpp (requests on the database), scm_manager_start.cpp (starting
// services and their processes), scm_manager_process.cpp (what a service process says and
// its end), scm_manager_control.cpp (controls, status and the manager's own stop).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "../winsvc.h"
#include "process_object.h"
#include "scm_database.h"
#include "scm_protocol.h"
#include "scm_threads.h"
#include "unique_fd.h"

namespace nt::scm {

struct HostProcess;

struct Service {
  ServiceConfig config;
  SERVICE_STATUS status{};               // as last reported; the type is always the config's
  std::shared_ptr<HostProcess> process;  // the process it runs in, until it stops
  bool startInFlight = false;            // a start request is under way
};

// A service process the manager started.
struct HostProcess {
  uint64_t id = 0;
  std::string token;       // proves that a connecting dispatcher is this process
  std::string binaryPath;  // as configured: share-process services of the same path join it
  bool shared = false;
  std::shared_ptr<ProcessObject> object;
  std::chrono::steady_clock::time_point launched;
  int connection = -1;  // the dispatcher's connection, owned by its reader
  bool connected = false;
  bool readerDone = false;
  bool ending = false;  // told to quit: no new service joins it
  bool dead = false;
  int startsInFlight = 0;
  uint64_t nextSequence = 1;
  std::map<uint64_t, DWORD> replies;  // the dispatcher's answers, by sequence number
};

// The status of a service that is not running, with the reason it stopped.
SERVICE_STATUS stoppedStatus(const ServiceConfig& config, DWORD win32ExitCode);

struct ManagerSettings {
  std::string machineRoot;
  std::string socketPath;
  // How long a started process may take to connect its dispatcher, and a dispatcher to
  // answer a start; a control may take twice as long.
  std::chrono::milliseconds pipeTimeout{30000};
};

class Manager {
 public:
  Manager(ManagerSettings settings, ThreadGroup& threads);

  // Reads the database; every service starts out stopped.
  void load();
  // Answers one request of an SC call.
  Message handleRequest(const Message& request);
  // Serves a dispatcher's connection on the calling thread until it ends.
  void serveDispatcher(UniqueFd connection, const Message& hello);
  // Stops the running services (dependents first) and, after a grace time, ends the
  // processes that are left. The database stays.
  void shutdown();

 private:
  using Held = std::unique_lock<std::mutex>;
  using ServicePtr = std::shared_ptr<Service>;
  using ProcessPtr = std::shared_ptr<HostProcess>;

  // scm_manager.cpp
  Message open(const Message& request);
  Message create(const Message& request);
  Message lookup(const Message& request);
  Message config(const Message& request);
  Message change(const Message& request);
  Message changeLocked(const Message& request, const ServicePtr& service);
  Message enumerate(const Message& request);
  Message remove(const Message& request);
  // Runs the action under the lock on the service the request's handle names; refuses a
  // request whose service has gone.
  Message onService(const Message& request,
                    const std::function<Message(Held&, const ServicePtr&)>& action);
  ServicePtr findLocked(const std::string& name) const;
  ServicePtr resolveLocked(const Message& request, DWORD& code) const;
  DWORD checkConfigLocked(const ServiceConfig& config) const;
  bool dependsOnLocked(const ServiceConfig& from, const std::string& target, int depth) const;
  bool persistLocked();
  void removeIfDeletedLocked(const ServicePtr& service);
  SERVICE_STATUS statusOf(const Service& service) const;
  void log(const std::string& text) const;

  // scm_manager_start.cpp
  Message start(const Message& request);
  DWORD startWithDependencies(Held& held, const ServicePtr& service,
                              const std::vector<std::string>& arguments);
  DWORD planStartLocked(const ServicePtr& service, std::vector<ServicePtr>& order,
                        std::vector<Service*>& path) const;
  bool groupsAvailableLocked(const Service& service) const;
  DWORD startDependency(Held& held, const ServicePtr& service);
  bool waitUntilRunning(Held& held, const ServicePtr& service);
  DWORD startOne(Held& held, const ServicePtr& service, const std::vector<std::string>& arguments);
  DWORD deliverStart(Held& held, const ProcessPtr& process, const ServicePtr& service,
                     const std::vector<std::string>& arguments);
  ProcessPtr hostProcessLocked(const Service& service, DWORD& code);
  ProcessPtr launchLocked(const Service& service, DWORD& code);

  // scm_manager_process.cpp
  void watchProcess(const ProcessPtr& process);
  bool waitConnected(Held& held, const ProcessPtr& process);
  bool awaitReply(Held& held, const ProcessPtr& process, uint64_t sequence,
                  std::chrono::milliseconds timeout, DWORD& code);
  bool sendLocked(HostProcess& process, const Message& message);
  void dispatcherSaidLocked(const ProcessPtr& process, const Message& message);
  void statusReportedLocked(const ProcessPtr& process, const std::string& name,
                            const SERVICE_STATUS& status);
  void releaseIfIdleLocked(const ProcessPtr& process);
  void processEndedLocked(const ProcessPtr& process);

  // scm_manager_control.cpp
  Message control(const Message& request);
  Message status(const Message& request);
  DWORD controlService(Held& held, const ServicePtr& service, DWORD control);
  bool hasActiveDependentsLocked(const Service& service) const;
  void askToStopLocked(std::vector<Service*>& asked);

  const ManagerSettings settings_;
  ThreadGroup& threads_;
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::map<std::string, ServicePtr, NoCaseLess> services_;
  std::vector<ProcessPtr> processes_;
  uint64_t nextSerial_ = 1;
  uint64_t nextProcessId_ = 1;
  bool stopping_ = false;
};

}  // namespace nt::scm
