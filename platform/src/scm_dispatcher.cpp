// The service process's side of the service control manager: StartServiceCtrlDispatcherA,
// RegisterServiceCtrlHandlerA and SetServiceStatus.
//
// The manager starts a service process with NT_SCM_DISPATCH ("<token>;<socket>") in its
// environment. The layer reads it as it loads and takes it out of the Win32 environment, so
// that the program's own children do not inherit it. A process without it was not started by
// the manager: its dispatcher fails at once with 1063 and it runs no service.
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "../winbase.h"
#include "../winerror.h"
#include "../winsvc.h"
#include "handles.h"
#include "host_error.h"
#include "paths.h"
#include "scm_protocol.h"
#include "unique_fd.h"

namespace {

using nt::fail;
using nt::scm::Message;

struct Endpoint {
  bool present = false;
  std::string token;
  std::string socketPath;
};

Endpoint readEndpoint() {
  Endpoint endpoint;
  const char* value = ::getenv(nt::scm::kDispatchVariable);
  if (!value) return endpoint;
  const std::string text = value;
  const size_t separator = text.find(';');
  if (separator != std::string::npos) {
    endpoint.present = true;
    endpoint.token = text.substr(0, separator);
    endpoint.socketPath = text.substr(separator + 1);
  }
  SetEnvironmentVariableA(nt::scm::kDispatchVariable, nullptr);
  return endpoint;
}

const Endpoint& endpoint() {
  static const Endpoint* captured = new Endpoint(readEndpoint());
  return *captured;
}

// Before the program's main builds environments for its children.
struct CaptureAtLoad {
  CaptureAtLoad() { endpoint(); }
} captureAtLoad;

class ServiceStatusObject : public nt::KernelObject {
 public:
  explicit ServiceStatusObject(std::string name) : name_(std::move(name)) {}
  bool closableByCloseHandle() const override { return false; }
  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

struct TableEntry {
  std::string name;
  LPSERVICE_MAIN_FUNCTIONA main = nullptr;
  LPHANDLER_FUNCTION handler = nullptr;
  SERVICE_STATUS_HANDLE statusHandle = nullptr;
};

// The process's dispatcher. It lives as long as the process: services may still report
// their status after the dispatcher has returned.
class Dispatcher {
 public:
  // Takes the program's service table; false when the dispatcher was started before.
  bool claim(const SERVICE_TABLE_ENTRYA* table) {
    std::lock_guard<std::mutex> guard(lock_);
    if (claimed_) return false;
    claimed_ = true;
    for (const SERVICE_TABLE_ENTRYA* entry = table; entry->lpServiceName; ++entry) {
      table_.push_back({entry->lpServiceName, entry->lpServiceProc});
    }
    return true;
  }

  void release() {
    std::lock_guard<std::mutex> guard(lock_);
    claimed_ = false;
    table_.clear();
  }

  LPSERVICE_MAIN_FUNCTIONA mainOf(const std::string& name) {
    std::lock_guard<std::mutex> guard(lock_);
    TableEntry* entry = findLocked(name);
    return entry ? entry->main : nullptr;
  }

  LPHANDLER_FUNCTION handlerOf(const std::string& name) {
    std::lock_guard<std::mutex> guard(lock_);
    TableEntry* entry = findLocked(name);
    return entry ? entry->handler : nullptr;
  }

  // The service's status handle with the handler set; none for a name not in the table.
  SERVICE_STATUS_HANDLE registerHandler(const std::string& name, LPHANDLER_FUNCTION handler) {
    std::lock_guard<std::mutex> guard(lock_);
    TableEntry* entry = findLocked(name);
    if (!entry) return nullptr;
    entry->handler = handler;
    if (!entry->statusHandle) {
      const HANDLE handle = nt::insertHandle(std::make_shared<ServiceStatusObject>(entry->name));
      entry->statusHandle = reinterpret_cast<SERVICE_STATUS_HANDLE>(handle);
    }
    return entry->statusHandle;
  }

  void connect(nt::UniqueFd connection) {
    std::lock_guard<std::mutex> guard(sendLock_);
    connection_ = connection.release();
  }
  int connection() {
    std::lock_guard<std::mutex> guard(sendLock_);
    return connection_;
  }

  bool send(const Message& message) {
    std::lock_guard<std::mutex> guard(sendLock_);
    if (connection_ < 0) {
      errno = EPIPE;
      return false;
    }
    return nt::scm::sendMessage(connection_, message);
  }

 private:
  TableEntry* findLocked(const std::string& name) {
    for (TableEntry& entry : table_) {
      if (nt::equalNoCase(entry.name, name)) return &entry;
    }
    return nullptr;
  }

  std::mutex lock_;
  bool claimed_ = false;
  std::vector<TableEntry> table_;
  std::mutex sendLock_;
  int connection_ = -1;
};

Dispatcher& dispatcher() {
  static auto* process = new Dispatcher();
  return *process;
}

bool greet(int connection, const std::string& token) {
  Message welcome;
  Message hello(nt::scm::kHello);
  hello.add(token);
  return nt::scm::sendMessage(connection, hello) && nt::scm::receiveMessage(connection, welcome) &&
         welcome.verb() == nt::scm::kWelcome;
}

void answer(Dispatcher& process, uint64_t sequence, DWORD code) {
  Message done(nt::scm::kDone);
  process.send(done.add(sequence).add(code));
}

// Runs the service's main on a thread of its own: argument 0 is the service's name.
bool runMain(LPSERVICE_MAIN_FUNCTIONA main, std::vector<std::string> arguments) {
  try {
    std::thread([main, arguments = std::move(arguments)]() mutable {
      std::vector<char*> argv;
      for (std::string& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      main(static_cast<DWORD>(arguments.size()), argv.data());
    }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

// start: sequence, service name, arguments.
void startService(Dispatcher& process, const Message& message) {
  const std::string name = message.text(2);
  size_t index = 3;
  std::vector<std::string> arguments = message.list(index);
  arguments.insert(arguments.begin(), name);
  const LPSERVICE_MAIN_FUNCTIONA main = process.mainOf(name);
  DWORD code = ERROR_SUCCESS;
  if (!main) {
    code = nt::scm::kErrorServiceNotInExe;
  } else if (!runMain(main, std::move(arguments))) {
    code = ERROR_SERVICE_NO_THREAD;
  }
  answer(process, message.bigNumber(1), code);
}

// control: sequence, service name, control code. The handler runs on the dispatcher's thread.
void controlService(Dispatcher& process, const Message& message) {
  const LPHANDLER_FUNCTION handler = process.handlerOf(message.text(2));
  if (handler) handler(message.number(3));
  answer(process, message.bigNumber(1), handler ? ERROR_SUCCESS : ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
}

// Serves the manager until it says quit: every service of the process has stopped.
BOOL dispatch(Dispatcher& process) {
  const int connection = process.connection();
  for (;;) {
    Message message;
    if (!nt::scm::receiveMessage(connection, message)) return fail(ERROR_BROKEN_PIPE, FALSE);
    if (message.verb() == nt::scm::kQuit) return TRUE;
    if (message.verb() == nt::scm::kStart) startService(process, message);
    if (message.verb() == nt::scm::kControl) controlService(process, message);
  }
}

}  // namespace

BOOL StartServiceCtrlDispatcherA(const SERVICE_TABLE_ENTRYA* serviceTable) {
  nt::PreserveErrno keepErrno;
  if (!serviceTable) return fail(ERROR_INVALID_PARAMETER, FALSE);
  const Endpoint& manager = endpoint();
  if (!manager.present) return fail(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT, FALSE);
  Dispatcher& process = dispatcher();
  if (!process.claim(serviceTable)) return fail(ERROR_SERVICE_ALREADY_RUNNING, FALSE);
  nt::UniqueFd connection(nt::scm::connectSocket(manager.socketPath));
  if (!connection.valid() || !greet(connection.get(), manager.token)) {
    process.release();
    return fail(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT, FALSE);
  }
  process.connect(std::move(connection));
  return dispatch(process);
}

SERVICE_STATUS_HANDLE RegisterServiceCtrlHandlerA(LPCSTR serviceName, LPHANDLER_FUNCTION handler) {
  nt::PreserveErrno keepErrno;
  SERVICE_STATUS_HANDLE handle =
      serviceName ? dispatcher().registerHandler(serviceName, handler) : nullptr;
  if (!handle) return fail(ERROR_SERVICE_DOES_NOT_EXIST, SERVICE_STATUS_HANDLE{});
  return handle;
}

BOOL SetServiceStatus(SERVICE_STATUS_HANDLE statusHandle, LPSERVICE_STATUS status) {
  nt::PreserveErrno keepErrno;
  auto service = nt::lookupHandleAs<ServiceStatusObject>(reinterpret_cast<HANDLE>(statusHandle));
  if (!service) return fail(ERROR_INVALID_HANDLE, FALSE);
  if (!status) return fail(ERROR_INVALID_PARAMETER, FALSE);
  if (status->dwCurrentState < SERVICE_STOPPED || status->dwCurrentState > SERVICE_PAUSED) {
    return fail(ERROR_INVALID_DATA, FALSE);
  }
  Message report(nt::scm::kStatus);
  report.add(service->name()).addStatus(*status);
  if (!dispatcher().send(report)) {
    nt::setLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}
