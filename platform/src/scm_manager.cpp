// The manager's requests on the service database: open, create, look up, read and change a
// configuration, enumerate, delete (see scm_manager.h).
#include "scm_manager.h"

#include <cerrno>
#include <cstring>

#include "../winerror.h"
#include "host_error.h"
#include "paths.h"
#include "scm_log.h"

namespace nt::scm {
namespace {

constexpr size_t kMaxNameLength = 256;
constexpr DWORD kWin32Types = SERVICE_WIN32_OWN_PROCESS | SERVICE_WIN32_SHARE_PROCESS;
constexpr DWORD kAllTypes = kWin32Types | SERVICE_KERNEL_DRIVER | SERVICE_FILE_SYSTEM_DRIVER;

bool validName(const std::string& name) {
  return !name.empty() && name.size() <= kMaxNameLength &&
         name.find_first_of("/\\") == std::string::npos;
}

bool validType(DWORD type) {
  const DWORD base = type & ~SERVICE_INTERACTIVE_PROCESS;
  return base == SERVICE_WIN32_OWN_PROCESS || base == SERVICE_WIN32_SHARE_PROCESS;
}

// Win32 services start on demand, automatically or not at all; boot and system start belong
// to drivers, which this manager does not load.
bool validStartType(DWORD startType) {
  return startType == SERVICE_AUTO_START || startType == SERVICE_DEMAND_START ||
         startType == SERVICE_DISABLED;
}

bool validDependency(const std::string& dependency) {
  return !dependency.empty() && dependency != "+";
}

std::shared_ptr<Service> newService(const ServiceConfig& config) {
  auto service = std::make_shared<Service>();
  service->config = config;
  service->status = stoppedStatus(config, kErrorServiceNeverStarted);
  return service;
}

// The optional string at the index: a presence flag, then the value.
bool optionalText(const Message& request, size_t index, std::string& value) {
  if (request.text(index) != "1") return false;
  value = request.text(index + 1);
  return true;
}

void changeNumber(DWORD requested, DWORD& value) {
  if (requested != SERVICE_NO_CHANGE) value = requested;
}

}  // namespace

SERVICE_STATUS stoppedStatus(const ServiceConfig& config, DWORD win32ExitCode) {
  SERVICE_STATUS status{};
  status.dwServiceType = config.type;
  status.dwCurrentState = SERVICE_STOPPED;
  status.dwWin32ExitCode = win32ExitCode;
  return status;
}

Manager::Manager(ManagerSettings settings, ThreadGroup& threads)
    : settings_(std::move(settings)), threads_(threads) {}

void Manager::load() {
  std::lock_guard<std::mutex> guard(lock_);
  for (ServiceConfig& config : loadDatabase(settings_.machineRoot + "/" + kDatabaseName)) {
    if (!validName(config.name) || findLocked(config.name)) continue;
    // A service marked for deletion has stopped with the manager that marked it.
    if (config.deletePending) continue;
    if (config.serial >= nextSerial_) nextSerial_ = config.serial + 1;
    services_[config.name] = newService(config);
  }
  for (auto& [name, service] : services_) {
    if (service->config.serial == 0) service->config.serial = nextSerial_++;
  }
  persistLocked();
}

Message Manager::handleRequest(const Message& request) {
  const std::string& verb = request.verb();
  if (verb == kOpen) return open(request);
  if (verb == kCreate) return create(request);
  if (verb == kLookup) return lookup(request);
  if (verb == kStart) return start(request);
  if (verb == kControl) return control(request);
  if (verb == kStatus) return status(request);
  if (verb == kConfig) return config(request);
  if (verb == kChange) return change(request);
  if (verb == kEnum) return enumerate(request);
  if (verb == kDelete) return remove(request);
  return reply(ERROR_INVALID_FUNCTION);
}

Message Manager::open(const Message& request) {
  return reply(request.number(1) == kProtocolVersion ? ERROR_SUCCESS : ERROR_NOT_SUPPORTED);
}

// create: name, display name, type, start type, error control, binary path, group, account,
// dependencies.
Message Manager::create(const Message& request) {
  ServiceConfig config;
  config.name = request.text(1);
  config.displayName = request.text(2).empty() ? config.name : request.text(2);
  config.type = request.number(3);
  config.startType = request.number(4);
  config.errorControl = request.number(5);
  config.binaryPath = request.text(6);
  config.loadOrderGroup = request.text(7);
  config.startName = request.text(8);
  size_t index = 9;
  config.dependencies = request.list(index);

  std::lock_guard<std::mutex> guard(lock_);
  if (!validName(config.name)) return reply(ERROR_INVALID_NAME);
  if (ServicePtr existing = findLocked(config.name)) {
    return reply(existing->config.deletePending ? ERROR_SERVICE_MARKED_FOR_DELETE
                                                : ERROR_SERVICE_EXISTS);
  }
  if (DWORD code = checkConfigLocked(config)) return reply(code);
  if (dependsOnLocked(config, config.name, 0)) return reply(ERROR_CIRCULAR_DEPENDENCY);
  config.serial = nextSerial_++;
  services_[config.name] = newService(config);
  if (!persistLocked()) {
    const DWORD code = win32ErrorFromErrno(errno);
    services_.erase(config.name);
    return reply(code);
  }
  return reply(ERROR_SUCCESS).add(config.name).add(config.serial);
}

Message Manager::lookup(const Message& request) {
  std::lock_guard<std::mutex> guard(lock_);
  ServicePtr service = findLocked(request.text(1));
  if (!service) return reply(ERROR_SERVICE_DOES_NOT_EXIST);
  return reply(ERROR_SUCCESS).add(service->config.name).add(service->config.serial);
}

Message Manager::config(const Message& request) {
  return onService(request, [](Held&, const ServicePtr& service) {
    const ServiceConfig& c = service->config;
    return reply(ERROR_SUCCESS)
        .add(c.type)
        .add(c.startType)
        .add(c.errorControl)
        .add(c.binaryPath)
        .add(c.loadOrderGroup)
        .add(DWORD{0})  // tag: only drivers have one
        .add(c.startName)
        .add(c.displayName)
        .addList(c.dependencies);
  });
}

// change: name, serial, type, start type, error control, then optional binary path, group,
// account, display name and dependencies.
Message Manager::change(const Message& request) {
  return onService(
      request, [&](Held&, const ServicePtr& service) { return changeLocked(request, service); });
}

Message Manager::changeLocked(const Message& request, const ServicePtr& service) {
  if (service->config.deletePending) return reply(ERROR_SERVICE_MARKED_FOR_DELETE);
  ServiceConfig changed = service->config;
  changeNumber(request.number(3), changed.type);
  changeNumber(request.number(4), changed.startType);
  changeNumber(request.number(5), changed.errorControl);
  optionalText(request, 6, changed.binaryPath);
  optionalText(request, 8, changed.loadOrderGroup);
  optionalText(request, 10, changed.startName);
  if (optionalText(request, 12, changed.displayName) && changed.displayName.empty()) {
    changed.displayName = changed.name;
  }
  if (request.text(14) == "1") {
    size_t index = 15;
    changed.dependencies = request.list(index);
  }
  if (DWORD invalid = checkConfigLocked(changed)) return reply(invalid);
  if (dependsOnLocked(changed, changed.name, 0)) return reply(ERROR_CIRCULAR_DEPENDENCY);
  const ServiceConfig before = service->config;
  service->config = changed;
  if (!persistLocked()) {
    const DWORD code = win32ErrorFromErrno(errno);
    service->config = before;
    return reply(code);
  }
  return reply(ERROR_SUCCESS);
}

// enum: service types, service state. The reply holds, for each service, its name, its
// display name and its status.
Message Manager::enumerate(const Message& request) {
  const DWORD types = request.number(1);
  const DWORD states = request.number(2);
  if ((types & kAllTypes) == 0 || (types & ~(kAllTypes | SERVICE_INTERACTIVE_PROCESS)) != 0 ||
      states < SERVICE_ACTIVE || states > SERVICE_STATE_ALL) {
    return reply(ERROR_INVALID_PARAMETER);
  }
  std::lock_guard<std::mutex> guard(lock_);
  Message out = reply(ERROR_SUCCESS);
  std::vector<const Service*> chosen;
  for (const auto& [name, service] : services_) {
    const bool active = service->status.dwCurrentState != SERVICE_STOPPED;
    if ((service->config.type & types & kAllTypes) == 0) continue;
    if (!(states & (active ? SERVICE_ACTIVE : SERVICE_INACTIVE))) continue;
    chosen.push_back(service.get());
  }
  out.add(static_cast<DWORD>(chosen.size()));
  for (const Service* service : chosen) {
    out.add(service->config.name).add(service->config.displayName).addStatus(statusOf(*service));
  }
  return out;
}

Message Manager::remove(const Message& request) {
  return onService(request, [&](Held&, const ServicePtr& service) {
    if (service->config.deletePending) return reply(ERROR_SERVICE_MARKED_FOR_DELETE);
    service->config.deletePending = true;
    if (!persistLocked()) {
      const DWORD code = win32ErrorFromErrno(errno);
      service->config.deletePending = false;
      return reply(code);
    }
    removeIfDeletedLocked(service);
    return reply(ERROR_SUCCESS);
  });
}

Message Manager::onService(const Message& request,
                           const std::function<Message(Held&, const ServicePtr&)>& action) {
  Held held(lock_);
  DWORD code = ERROR_SUCCESS;
  ServicePtr service = resolveLocked(request, code);
  if (!service) return reply(code);
  return action(held, service);
}

Manager::ServicePtr Manager::findLocked(const std::string& name) const {
  auto found = services_.find(name);
  return found == services_.end() ? nullptr : found->second;
}

// The service a handle names: its name and the serial it was opened on. A service deleted
// since then is gone for the handle, even when another of that name has been created.
Manager::ServicePtr Manager::resolveLocked(const Message& request, DWORD& code) const {
  ServicePtr service = findLocked(request.text(1));
  if (service && service->config.serial == request.bigNumber(2)) return service;
  code = ERROR_SERVICE_MARKED_FOR_DELETE;
  return nullptr;
}

DWORD Manager::checkConfigLocked(const ServiceConfig& config) const {
  if (!validType(config.type) || !validStartType(config.startType) ||
      config.errorControl > SERVICE_ERROR_CRITICAL || config.binaryPath.empty()) {
    return ERROR_INVALID_PARAMETER;
  }
  if (config.displayName.size() > kMaxNameLength) return ERROR_INVALID_NAME;
  for (const std::string& dependency : config.dependencies) {
    if (!validDependency(dependency)) return ERROR_INVALID_PARAMETER;
  }
  // A display name must not be taken by another service, as its name or its display name.
  for (const auto& [name, other] : services_) {
    if (equalNoCase(name, config.name)) continue;
    if (equalNoCase(other->config.displayName, config.displayName) ||
        equalNoCase(name, config.displayName) ||
        equalNoCase(other->config.displayName, config.name)) {
      return ERROR_DUPLICATE_SERVICE_NAME;
    }
  }
  return ERROR_SUCCESS;
}

// True when the services that the configuration depends on lead back to the target. The
// depth bound stops at loops that do not pass through the target.
bool Manager::dependsOnLocked(const ServiceConfig& from, const std::string& target,
                              int depth) const {
  if (depth > static_cast<int>(services_.size()) + 1) return false;
  for (const std::string& dependency : from.dependencies) {
    if (dependency.empty() || dependency[0] == '+') continue;
    if (equalNoCase(dependency, target)) return true;
    ServicePtr next = findLocked(dependency);
    if (next && dependsOnLocked(next->config, target, depth + 1)) return true;
  }
  return false;
}

bool Manager::persistLocked() {
  std::vector<ServiceConfig> all;
  for (const auto& [name, service] : services_) all.push_back(service->config);
  if (saveDatabase(settings_.machineRoot + "/" + kDatabaseName, all)) return true;
  const int saved = errno;
  log(std::string("could not write the service database: ") + std::strerror(saved));
  errno = saved;
  return false;
}

void Manager::removeIfDeletedLocked(const ServicePtr& service) {
  if (!service->config.deletePending || service->status.dwCurrentState != SERVICE_STOPPED ||
      service->startInFlight || service->process) {
    return;
  }
  services_.erase(service->config.name);
  persistLocked();
}

SERVICE_STATUS Manager::statusOf(const Service& service) const {
  SERVICE_STATUS status = service.status;
  status.dwServiceType = service.config.type;
  return status;
}

void Manager::log(const std::string& text) const { logManagerEvent(settings_.machineRoot, text); }

}  // namespace nt::scm
