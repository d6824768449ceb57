// The service mains and control handlers of the two services, and the dispatcher start.
#include "service_control.h"

#include <memory>
#include <new>
#include <string>

#include "common/diag.h"
#include "message_table.h"
#include "run_engine.h"
#include "service_list.h"
#include "service_status.h"

namespace {

struct ServiceEntryPoints {
  const char* traceName;     // "runAgent" or "runServer"
  int findFailureText;       // event text when the record is missing
  int registerFailureText;   // event text when the handler registration fails
  LPHANDLER_FUNCTION handler;
};

void runService(const ServiceEntryPoints& entry, DWORD argc, LPSTR* argv) {
  diagPrint("%s: enter args %d\n", entry.traceName, static_cast<int>(argc));
  for (DWORD i = 0; i < argc; ++i) diagPrint("\targ %d -%s-\n", static_cast<int>(i), argv[i]);
  const char* name = argc > 0 ? argv[0] : "";
  Service* service = findService(name);
  if (!service) {
    reportEvent(messageText(entry.findFailureText), name, EVENTLOG_ERROR_TYPE);
    diagError("%s: could not find service %s\n", entry.traceName, name);
    return;
  }
  SERVICE_STATUS_HANDLE handle = RegisterServiceCtrlHandlerA(name, entry.handler);
  if (!handle) {
    reportEvent(messageText(entry.registerFailureText), name, EVENTLOG_ERROR_TYPE);
    diagError("%s: could not register handler service %s %X\n", entry.traceName, name,
              static_cast<unsigned>(GetLastError()));
  }
  service->statusHandle = handle;
  runSvc(service);
}

void control(const char* traceName, Service* service, DWORD code) {
  if (code == SERVICE_CONTROL_STOP) {
    diagPrint("ctrlServer: to stop server\n");  // the same text in both handlers
    stopSvc(service);
  }
  diagPrint("%s: done %X\n", traceName, static_cast<unsigned>(code));
}

}  // namespace

void runAgent(DWORD argc, LPSTR* argv) {
  runService({"runAgent", 22, 23, ctrlAgent}, argc, argv);
}

void runServer(DWORD argc, LPSTR* argv) {
  runService({"runServer", 25, 26, ctrlServer}, argc, argv);
}

void ctrlAgent(DWORD code) {
  diagPrint("ctrlAgent: enter %X\n", static_cast<unsigned>(code));
  Service* service = findAgentService();
  if (!service) {
    reportEvent(messageText(24), messageText(kSourceCtrlAgent), EVENTLOG_ERROR_TYPE);
    diagError("ctrlAgent: could not find agentservice\n");
    return;
  }
  control("ctrlAgent", service, code);
}

void ctrlServer(DWORD code) {
  diagPrint("ctrlServer: enter %X\n", static_cast<unsigned>(code));
  Service* service = findServerService();
  if (!service) {
    reportEvent("FindServerService failure", "ctrlServer", EVENTLOG_ERROR_TYPE);
    reportEvent(messageText(27), messageText(kSourceCtrlServer), EVENTLOG_ERROR_TYPE);
    diagError("ctrlServer: could not find serverservice %s\n", kServerName);
    return;
  }
  control("ctrlServer", service, code);
}

void registerServices(const std::vector<std::unique_ptr<Service>>& services) {
  if (services.empty()) return;
  const size_t count = services.size();
  std::unique_ptr<SERVICE_TABLE_ENTRYA[]> table(new (std::nothrow) SERVICE_TABLE_ENTRYA[count + 1]);
  if (!table) {
    reportEvent(messageText(8), messageText(kSourceMoxal), EVENTLOG_ERROR_TYPE);
    diagError("registerServices: could not malloc for %d services", static_cast<int>(count));
    return;
  }
  std::vector<std::string> names;
  names.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    names.push_back(services[i]->name);
    table[i].lpServiceName = names.back().data();
    table[i].lpServiceProc = services[i]->serviceMain;
    std::lock_guard<std::mutex> guard(services[i]->lock);
    services[i]->status = initialStatus();
  }
  table[count] = SERVICE_TABLE_ENTRYA{nullptr, nullptr};
  if (!StartServiceCtrlDispatcherA(table.get())) {
    diagError("registerServices: StartServiceCtrlDispatcher failed %X\n",
              static_cast<unsigned>(GetLastError()));
    reportEvent(messageText(9), messageText(kSourceMoxal), EVENTLOG_ERROR_TYPE);
  }
}
