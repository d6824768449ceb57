// A service program for the service control manager's tests. Installed as testhost.exe it
// hosts the share-process services TestA and TestB in one process; installed as
// nodispatch.exe it never connects to the manager. It appends what it sees to the file that
// SCM_FIXTURE_RECORD names, one line each:
//   process <pid> <session id> <argument count> <argument 0> <standard output> <inherits>
//     (inherits: 1 when the manager's dispatch variable is in the Win32 environment that the
//     program's children would receive)
//   dispatcher <thread id>
//   main <service> <thread id> <argument 0>|<argument 1>|...
//   control <service> <code> <thread id>
//   returned <result of StartServiceCtrlDispatcherA> <last error>
// Its services report running (accepting stop only), stop on SERVICE_CONTROL_STOP from the
// handler, answer an interrogation with their status, take 1.5 s over control 128, and on
// control 129 report stop-pending, accepting no control, and stay so.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "platform/win32.h"

namespace {

constexpr DWORD kSlowControl = 128;
constexpr DWORD kHangControl = 129;
constexpr auto kSlowHandlerTime = std::chrono::milliseconds(1500);
constexpr auto kNeverConnectTime = std::chrono::seconds(60);

void record(const std::string& line) {
  const char* path = ::getenv("SCM_FIXTURE_RECORD");
  if (!path) return;
  const std::string text = line + "\n";
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const ssize_t written = ::write(fd, text.data(), text.size());  // one write: lines never mix
  (void)written;
  ::close(fd);
}

std::string thread() { return std::to_string(GetCurrentThreadId()); }

struct TestService {
  explicit TestService(const char* serviceName) : name(serviceName) {}
  const char* name;
  std::mutex lock;
  std::condition_variable changed;
  bool stopRequested = false;
  SERVICE_STATUS_HANDLE handle = nullptr;
  SERVICE_STATUS status{};
};

TestService serviceA("TestA");
TestService serviceB("TestB");

void report(TestService& service, DWORD state, DWORD accepted) {
  std::lock_guard<std::mutex> guard(service.lock);
  service.status = {SERVICE_WIN32_SHARE_PROCESS, state, accepted, 0, 0, 0, 0};
  SetServiceStatus(service.handle, &service.status);
}

void control(TestService& service, DWORD code) {
  record(std::string("control ") + service.name + " " + std::to_string(code) + " " + thread());
  if (code == SERVICE_CONTROL_STOP) {
    report(service, SERVICE_STOP_PENDING, 0);
    report(service, SERVICE_STOPPED, 0);
    std::lock_guard<std::mutex> guard(service.lock);
    service.stopRequested = true;
    service.changed.notify_all();
  } else if (code == SERVICE_CONTROL_INTERROGATE) {
    std::lock_guard<std::mutex> guard(service.lock);
    SetServiceStatus(service.handle, &service.status);
  } else if (code == kSlowControl) {
    std::this_thread::sleep_for(kSlowHandlerTime);
  } else if (code == kHangControl) {
    report(service, SERVICE_STOP_PENDING, 0);
  }
}

void handlerA(DWORD code) { control(serviceA, code); }
void handlerB(DWORD code) { control(serviceB, code); }

void runService(TestService& service, LPHANDLER_FUNCTION handler, DWORD argc, LPSTR* argv) {
  std::string arguments;
  for (DWORD i = 0; i < argc; ++i) arguments += (i ? "|" : "") + std::string(argv[i]);
  record(std::string("main ") + service.name + " " + thread() + " " + arguments);
  {
    std::lock_guard<std::mutex> guard(service.lock);
    service.stopRequested = false;
    service.handle = RegisterServiceCtrlHandlerA(service.name, handler);
  }
  report(service, SERVICE_RUNNING, SERVICE_ACCEPT_STOP);
  std::unique_lock<std::mutex> held(service.lock);
  service.changed.wait(held, [&] { return service.stopRequested; });
}

void mainA(DWORD argc, LPSTR* argv) { runService(serviceA, handlerA, argc, argv); }
void mainB(DWORD argc, LPSTR* argv) { runService(serviceB, handlerB, argc, argv); }

// The program's name without directory and extension: it chooses the behaviour.
std::string programName(const char* argument0) {
  std::string name = argument0 ? argument0 : "";
  name = name.substr(name.find_last_of("\\/") + 1);
  return name.substr(0, name.find('.'));
}

// How the manager started the process.
std::string processFacts(int argc, char** argv) {
  char output[4096] = {};
  const ssize_t length = ::readlink("/proc/self/fd/1", output, sizeof output - 1);
  char value[1];
  const bool inherits = GetEnvironmentVariableA("NT_SCM_DISPATCH", value, sizeof value) != 0;
  return std::to_string(GetCurrentProcessId()) + " " + std::to_string(::getsid(0)) + " " +
         std::to_string(argc) + " " + (argc > 0 ? argv[0] : "-") + " " +
         (length > 0 ? output : "-") + " " + (inherits ? "1" : "0");
}

}  // namespace

int main(int argc, char** argv) {
  record("process " + processFacts(argc, argv));
  if (argc > 0 && programName(argv[0]) == "nodispatch") {
    std::this_thread::sleep_for(kNeverConnectTime);
    return 0;
  }
  char nameA[] = "TestA";
  char nameB[] = "TestB";
  const SERVICE_TABLE_ENTRYA table[] = {{nameA, mainA}, {nameB, mainB}, {nullptr, nullptr}};
  record("dispatcher " + thread());
  const BOOL dispatched = StartServiceCtrlDispatcherA(table);
  record("returned " + std::to_string(dispatched) + " " + std::to_string(GetLastError()));
  return 0;
}
