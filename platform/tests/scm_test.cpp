// The service control manager as a Windows caller and a service program see it: the manager
// started on demand, the database calls and their error codes, starts with dependencies in
// one share process, the rules of ControlService, controls on the dispatcher's thread, a
// service process that dies, the manager's restart, and the service calls of a process the
// manager did not start.
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <sstream>
#include <thread>

#include "platform/win32.h"
#include "tests/support/nt_test.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kStateTimeout = 30s;
constexpr auto kPoll = 20ms;
constexpr DWORD kMarker = 0xDEAD;
constexpr int kErrnoMarker = 4242;
constexpr DWORD kSlowControl = 128;  // the test service's handler takes 1.5 s over it
constexpr DWORD kHangControl = 129;  // the test service stays stop-pending, accepting nothing

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> words(const std::string& line) {
  std::vector<std::string> result;
  std::istringstream in(line);
  for (std::string word; in >> word;) result.push_back(word);
  return result;
}

bool processGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds timeout = kStateTimeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(kPoll);
  }
  return true;
}

class ScmTest : public nttest::MachineRootTest {
 protected:
  void SetUp() override {
    MachineRootTest::SetUp();
    nttest::makeDirectories(driveC() + "/svc");
    install("testhost");
    record_ = scratch().file("record.txt");
    // The manager passes its environment, taken from the process that started it, to the
    // service processes.
    SetEnvironmentVariableA("SCM_FIXTURE_RECORD", record_.c_str());
    SetEnvironmentVariableA("NT_SCM_PIPE_TIMEOUT", nullptr);
  }

  void TearDown() override {
    for (SC_HANDLE handle : opened_) CloseServiceHandle(handle);
    if (manager_) CloseServiceHandle(manager_);
    MachineRootTest::TearDown();
  }

  void install(const std::string& name) {
    const std::string link = driveC() + "/svc/" + name;
    ASSERT_EQ(::symlink(nttest::builtBinary("scm_test_service").c_str(), link.c_str()), 0);
  }

  SC_HANDLE manager() {
    if (!manager_) manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    EXPECT_NE(manager_, nullptr) << GetLastError();
    return manager_;
  }

  SC_HANDLE kept(SC_HANDLE handle) {
    if (handle) opened_.push_back(handle);
    return handle;
  }

  // A demand-start share-process service of the test program.
  SC_HANDLE create(const char* name, const char* dependencies = nullptr,
                   const char* binaryPath = "C:\\svc\\testhost.exe",
                   DWORD startType = SERVICE_DEMAND_START) {
    SC_HANDLE service = CreateServiceA(
        manager(), name, nullptr, SERVICE_ALL_ACCESS, SERVICE_WIN32_SHARE_PROCESS, startType,
        SERVICE_ERROR_NORMAL, binaryPath, nullptr, nullptr, dependencies, nullptr, nullptr);
    EXPECT_NE(service, nullptr) << name << " " << GetLastError();
    return kept(service);
  }

  SC_HANDLE open(const char* name) {
    return kept(OpenServiceA(manager(), name, SERVICE_ALL_ACCESS));
  }

  SERVICE_STATUS status(SC_HANDLE service) {
    SERVICE_STATUS status{};
    EXPECT_TRUE(QueryServiceStatus(service, &status)) << GetLastError();
    return status;
  }

  bool reaches(SC_HANDLE service, DWORD state) {
    return eventually([&] { return status(service).dwCurrentState == state; });
  }

  // TestA, and TestB depending on it; started through B.
  void startBoth() {
    a_ = create("TestA", "+Network\0");
    b_ = create("TestB", "+Network\0TestA\0");
    const char* arguments[] = {"x", "y z"};
    ASSERT_TRUE(StartServiceA(b_, 2, arguments)) << GetLastError();
    ASSERT_TRUE(reaches(a_, SERVICE_RUNNING));
    ASSERT_TRUE(reaches(b_, SERVICE_RUNNING));
  }

  // The recorded lines of the test program that begin with the word.
  std::vector<std::vector<std::string>> recorded(const std::string& first) {
    std::vector<std::vector<std::string>> found;
    for (const std::string& line : linesOf(nttest::readFile(record_))) {
      std::vector<std::string> parts = words(line);
      if (!parts.empty() && parts[0] == first) found.push_back(parts);
    }
    return found;
  }

  pid_t servicePid() {
    const auto processes = recorded("process");
    return processes.empty() ? 0 : std::stoi(processes.back()[1]);
  }

  pid_t managerPid() { return std::atoi(nttest::readFile(root() + "/ntscm.pid").c_str()); }

  std::string managerLog() { return nttest::readFile(root() + "/ntscm.log"); }

  std::string record_;
  SC_HANDLE manager_ = nullptr;
  std::vector<SC_HANDLE> opened_;
  SC_HANDLE a_ = nullptr;
  SC_HANDLE b_ = nullptr;
};

TEST_F(ScmTest, FirstCallersStartOneManagerThatWritesItsPid) {
  std::atomic<int> opened{0};
  std::vector<std::thread> callers;
  for (int i = 0; i < 4; ++i) {
    callers.emplace_back([&] {
      SC_HANDLE handle = OpenSCManagerA(nullptr, "ServicesActive", SC_MANAGER_CONNECT);
      if (handle && CloseServiceHandle(handle)) ++opened;
    });
  }
  for (std::thread& caller : callers) caller.join();
  EXPECT_EQ(opened, 4);

  const pid_t pid = managerPid();
  ASSERT_GT(pid, 0);
  EXPECT_NE(pid, ::getpid());
  char program[4096] = {};
  ASSERT_GT(
      ::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), program, sizeof program - 1),
      0);
  EXPECT_TRUE(std::string(program).ends_with("/ntscm")) << program;
  const std::string log = managerLog();
  EXPECT_NE(log.find("manager started"), std::string::npos) << log;
  EXPECT_EQ(log.find("manager started"), log.rfind("manager started")) << log;
  EXPECT_EQ(log.find("another manager"), std::string::npos) << log;
}

TEST_F(ScmTest, OpenSCManagerServesTheLocalMachineAndItsActiveDatabase) {
  char host[256] = {};
  ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
  const std::string local = host;
  const std::string backslashed = "\\\\" + local;
  struct Case {
    const char* machine;
    const char* database;
    DWORD error;  // 0: opens
  } cases[] = {
      {nullptr, nullptr, 0},
      {"", "ServicesActive", 0},
      {local.c_str(), "servicesactive", 0},
      {backslashed.c_str(), nullptr, 0},
      {"\\\\no-such-machine", nullptr, RPC_S_SERVER_UNAVAILABLE},
      {nullptr, "ServicesFailed", ERROR_DATABASE_DOES_NOT_EXIST},
  };
  for (const Case& c : cases) {
    SetLastError(kMarker);
    SC_HANDLE handle = OpenSCManagerA(c.machine, c.database, SC_MANAGER_CONNECT);
    EXPECT_EQ(handle != nullptr, c.error == 0) << (c.machine ? c.machine : "(null)");
    EXPECT_EQ(GetLastError(), c.error ? c.error : kMarker);
    if (handle) CloseServiceHandle(handle);
  }
}

TEST_F(ScmTest, CreateOpenAndDeleteReportTheirErrors) {
  SC_HANDLE a = create("TestA");
  struct Case {
    const char* name;
    const char* displayName;
    DWORD type;
    DWORD startType;
    const char* binaryPath;
    DWORD error;
  } cases[] = {
      {"testa", nullptr, SERVICE_WIN32_SHARE_PROCESS, SERVICE_DEMAND_START, "C:\\x.exe",
       ERROR_SERVICE_EXISTS},
      {"Other", "TESTA", SERVICE_WIN32_SHARE_PROCESS, SERVICE_DEMAND_START, "C:\\x.exe",
       ERROR_DUPLICATE_SERVICE_NAME},
      {"", nullptr, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, "C:\\x.exe",
       ERROR_INVALID_NAME},
      {"a\\b", nullptr, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, "C:\\x.exe",
       ERROR_INVALID_NAME},
      {"a/b", nullptr, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, "C:\\x.exe",
       ERROR_INVALID_NAME},
      {"Other", nullptr, 0x40, SERVICE_DEMAND_START, "C:\\x.exe", ERROR_INVALID_PARAMETER},
      {"Other", nullptr, SERVICE_WIN32_OWN_PROCESS, SERVICE_BOOT_START, "C:\\x.exe",
       ERROR_INVALID_PARAMETER},
      {"Other", nullptr, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, "",
       ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SetLastError(kMarker);
    errno = kErrnoMarker;
    EXPECT_EQ(CreateServiceA(manager(), c.name, c.displayName, SERVICE_ALL_ACCESS, c.type,
                             c.startType, SERVICE_ERROR_NORMAL, c.binaryPath, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
              nullptr)
        << c.name;
    EXPECT_EQ(GetLastError(), c.error) << c.name;
    EXPECT_EQ(errno, kErrnoMarker) << c.name;
  }

  SetLastError(kMarker);
  EXPECT_EQ(OpenServiceA(manager(), "NoSuch", SERVICE_ALL_ACCESS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  SetLastError(kMarker);
  SC_HANDLE again = open("TESTA");  // names compare without case
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(GetLastError(), kMarker);

  EXPECT_TRUE(DeleteService(a));  // stopped: removed at once
  EXPECT_FALSE(DeleteService(again));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
  EXPECT_EQ(OpenServiceA(manager(), "TestA", SERVICE_ALL_ACCESS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));

  SC_HANDLE closing = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  EXPECT_TRUE(CloseServiceHandle(closing));
  EXPECT_FALSE(CloseServiceHandle(closing));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(CloseServiceHandle(reinterpret_cast<SC_HANDLE>(0x1234)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ScmTest, ARunningServiceMarkedForDeletionGoesWhenItStops) {
  SC_HANDLE a = create("TestA");
  ASSERT_TRUE(StartServiceA(a, 0, nullptr)) << GetLastError();
  ASSERT_TRUE(reaches(a, SERVICE_RUNNING));
  EXPECT_TRUE(DeleteService(a));
  EXPECT_FALSE(DeleteService(a));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
  EXPECT_EQ(CreateServiceA(manager(), "TestA", nullptr, SERVICE_ALL_ACCESS,
                           SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                           "C:\\x.exe", nullptr, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
  EXPECT_NE(open("TestA"), nullptr);  // still there while it runs

  SERVICE_STATUS stopped{};
  ASSERT_TRUE(ControlService(a, SERVICE_CONTROL_STOP, &stopped)) << GetLastError();
  EXPECT_EQ(stopped.dwCurrentState, SERVICE_STOPPED);
  EXPECT_EQ(OpenServiceA(manager(), "TestA", SERVICE_ALL_ACCESS), nullptr);
  EXPECT_NE(create("TestA"), nullptr);
}

TEST_F(ScmTest, QueryServiceConfigFollowsTheBufferProtocolAndChangesApply) {
  create("TestA");
  SC_HANDLE b = kept(CreateServiceA(manager(), "TestB", "Test B", SERVICE_ALL_ACCESS,
                                    SERVICE_WIN32_SHARE_PROCESS, SERVICE_DEMAND_START,
                                    SERVICE_ERROR_NORMAL, "C:\\svc\\testhost.exe", nullptr, nullptr,
                                    "+Network\0TestA\0", nullptr, nullptr));
  ASSERT_NE(b, nullptr) << GetLastError();

  DWORD needed = 0;
  EXPECT_FALSE(QueryServiceConfigA(b, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  ASSERT_GT(needed, sizeof(QUERY_SERVICE_CONFIGA));
  std::vector<unsigned char> buffer(needed + 64, 0xAB);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  DWORD again = 0;
  EXPECT_FALSE(QueryServiceConfigA(b, config, needed - 1, &again));
  EXPECT_EQ(again, needed);
  EXPECT_EQ(buffer[needed - 1], 0xAB);  // nothing written past what the caller gave

  ASSERT_TRUE(QueryServiceConfigA(b, config, needed, &again)) << GetLastError();
  EXPECT_EQ(buffer[needed], 0xAB);
  EXPECT_EQ(config->dwServiceType, SERVICE_WIN32_SHARE_PROCESS);
  EXPECT_EQ(config->dwStartType, SERVICE_DEMAND_START);
  EXPECT_EQ(config->dwErrorControl, SERVICE_ERROR_NORMAL);
  EXPECT_STREQ(config->lpBinaryPathName, "C:\\svc\\testhost.exe");
  EXPECT_STREQ(config->lpLoadOrderGroup, "");
  EXPECT_EQ(std::string(config->lpDependencies, 16), std::string("+Network\0TestA\0\0", 16));
  EXPECT_STREQ(config->lpServiceStartName, "LocalSystem");
  EXPECT_STREQ(config->lpDisplayName, "Test B");

  EXPECT_TRUE(ChangeServiceConfigA(b, SERVICE_NO_CHANGE, SERVICE_DISABLED, SERVICE_NO_CHANGE,
                                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   "Test B2"));
  std::vector<unsigned char> changed(1024);
  config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(changed.data());
  ASSERT_TRUE(QueryServiceConfigA(b, config, 1024, &needed));
  EXPECT_EQ(config->dwStartType, SERVICE_DISABLED);
  EXPECT_STREQ(config->lpDisplayName, "Test B2");
  EXPECT_STREQ(config->lpDependencies, "+Network");  // left as it was
  EXPECT_FALSE(StartServiceA(b, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DISABLED));

  // TestA depending on TestB would close a loop.
  EXPECT_FALSE(ChangeServiceConfigA(open("TestA"), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                                    SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, "TestB\0",
                                    nullptr, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CIRCULAR_DEPENDENCY));
}

TEST_F(ScmTest, StartsThatCannotSucceedSayWhy) {
  install("nodispatch");
  SetEnvironmentVariableA("NT_SCM_PIPE_TIMEOUT", "1500");  // read by the manager as it starts
  struct Case {
    const char* name;
    const char* dependencies;
    const char* binaryPath;
    DWORD error;
  } cases[] = {
      {"Missing", nullptr, "C:\\svc\\missing.exe", ERROR_FILE_NOT_FOUND},
      {"TestZ", nullptr, "C:\\svc\\testhost.exe", 1083},  // not in the program's table
      {"Orphan", "NoSuch\0", "C:\\svc\\testhost.exe", ERROR_SERVICE_DEPENDENCY_DELETED},
      {"Grouped", "+NoGroup\0", "C:\\svc\\testhost.exe", ERROR_SERVICE_DEPENDENCY_FAIL},
      {"Silent", nullptr, "C:\\svc\\nodispatch.exe", ERROR_SERVICE_REQUEST_TIMEOUT},
  };
  for (const Case& c : cases) {
    SC_HANDLE service = create(c.name, c.dependencies, c.binaryPath);
    SetLastError(kMarker);
    EXPECT_FALSE(StartServiceA(service, 0, nullptr)) << c.name;
    EXPECT_EQ(GetLastError(), c.error) << c.name;
    EXPECT_EQ(status(service).dwCurrentState, SERVICE_STOPPED) << c.name;
  }
  // The program that never connected has been ended, as has the one that ran no service.
  for (const auto& process : recorded("process")) {
    EXPECT_TRUE(eventually([&] { return processGone(std::stoi(process[1])); })) << process[1];
  }
}

TEST_F(ScmTest, StartingADependentStartsItsDependencyFirstInOneProcess) {
  startBoth();
  const auto mains = recorded("main");
  ASSERT_EQ(mains.size(), 2u);
  EXPECT_EQ(mains[0][1], "TestA");
  EXPECT_EQ(mains[0].size(), 4u);
  EXPECT_EQ(mains[0][3], "TestA");  // argument 0 is the service name, and no other
  EXPECT_EQ(mains[1][1], "TestB");
  ASSERT_EQ(mains[1].size(), 5u);
  EXPECT_EQ(mains[1][3] + " " + mains[1][4], "TestB|x|y z");  // the arguments as given
  const auto processes = recorded("process");
  ASSERT_EQ(processes.size(), 1u);  // both in one process
  // Its own session, the binary path as its command line and nothing else, no standard
  // handles, and nothing of the way back to the manager for its children.
  EXPECT_EQ(processes[0],
            (std::vector<std::string>{"process", processes[0][1], processes[0][1], "1",
                                      "C:\\svc\\testhost.exe", "/dev/null", "0"}));
  const std::string dispatcher = recorded("dispatcher").at(0)[1];
  EXPECT_NE(mains[0][2], dispatcher);  // each main on a thread of its own
  EXPECT_NE(mains[1][2], dispatcher);
  EXPECT_NE(mains[0][2], mains[1][2]);

  EXPECT_FALSE(StartServiceA(a_, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));
}

TEST_F(ScmTest, ControlsFollowTheRulesAndRunOnTheDispatcherThread) {
  startBoth();
  const std::string dispatcher = recorded("dispatcher").at(0)[1];
  const pid_t pid = servicePid();
  SERVICE_STATUS s{};
  EXPECT_FALSE(ControlService(a_, SERVICE_CONTROL_STOP, &s));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEPENDENT_SERVICES_RUNNING));
  s = {};
  EXPECT_FALSE(ControlService(a_, SERVICE_CONTROL_PAUSE, &s));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_SERVICE_CONTROL));
  EXPECT_EQ(s.dwCurrentState, SERVICE_RUNNING);
  EXPECT_TRUE(ControlService(a_, SERVICE_CONTROL_INTERROGATE, &s)) << GetLastError();
  EXPECT_EQ(s.dwCurrentState, SERVICE_RUNNING);

  EXPECT_TRUE(ControlService(b_, SERVICE_CONTROL_STOP, &s)) << GetLastError();
  EXPECT_EQ(s.dwCurrentState, SERVICE_STOPPED);  // the handler has returned
  EXPECT_EQ(status(a_).dwCurrentState, SERVICE_RUNNING);
  EXPECT_FALSE(ControlService(b_, SERVICE_CONTROL_STOP, &s));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));

  EXPECT_TRUE(ControlService(a_, SERVICE_CONTROL_STOP, &s)) << GetLastError();
  const auto controls = recorded("control");
  ASSERT_EQ(controls.size(), 3u);
  for (const auto& control : controls) EXPECT_EQ(control[3], dispatcher) << control[2];
  EXPECT_EQ(controls[0][1] + controls[0][2], "TestA4");
  EXPECT_EQ(controls[1][1] + controls[1][2], "TestB1");
  EXPECT_EQ(controls[2][1] + controls[2][2], "TestA1");

  // The last stop ends the dispatcher, and the process with exit status 0.
  EXPECT_TRUE(eventually([&] { return !recorded("returned").empty(); }));
  EXPECT_EQ(recorded("returned").at(0)[1], "1");
  EXPECT_TRUE(eventually([&] {
    return managerLog().find("process " + std::to_string(pid) + " ended with exit status 0") !=
           std::string::npos;
  })) << managerLog();
}

TEST_F(ScmTest, APendingServiceThatAcceptsNoControlRefusesEvenAnInterrogation) {
  SC_HANDLE a = create("TestA");
  ASSERT_TRUE(StartServiceA(a, 0, nullptr)) << GetLastError();
  ASSERT_TRUE(reaches(a, SERVICE_RUNNING));
  SERVICE_STATUS s{};
  ASSERT_TRUE(ControlService(a, kHangControl, &s)) << GetLastError();
  EXPECT_EQ(s.dwCurrentState, SERVICE_STOP_PENDING);
  for (DWORD control : {DWORD{SERVICE_CONTROL_INTERROGATE}, DWORD{SERVICE_CONTROL_STOP}}) {
    s = {};
    EXPECT_FALSE(ControlService(a, control, &s)) << control;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_CANNOT_ACCEPT_CTRL)) << control;
    EXPECT_EQ(s.dwCurrentState, SERVICE_STOP_PENDING) << control;
  }
  EXPECT_EQ(recorded("control").size(), 1u);  // neither reached the handler
  ::kill(servicePid(), SIGKILL);              // it would never stop
  EXPECT_TRUE(reaches(a, SERVICE_STOPPED));
}

TEST_F(ScmTest, ASlowHandlerHoldsUpNeitherQueriesNorOtherClients) {
  startBoth();
  // A client that connects and says nothing.
  const int silent = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = root() + "/ntscm.socket";
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  ASSERT_EQ(::connect(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  std::atomic<BOOL> slowResult{FALSE};
  const auto sent = std::chrono::steady_clock::now();
  std::chrono::steady_clock::duration slowTook{};
  std::thread slow([&] {
    SERVICE_STATUS s{};
    slowResult = ControlService(a_, kSlowControl, &s);
    slowTook = std::chrono::steady_clock::now() - sent;
  });
  ASSERT_TRUE(eventually([&] { return !recorded("control").empty(); }));
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(status(b_).dwCurrentState, SERVICE_RUNNING);
  EXPECT_EQ(status(a_).dwCurrentState, SERVICE_RUNNING);
  EXPECT_LT(std::chrono::steady_clock::now() - before, 1000ms);
  slow.join();
  EXPECT_TRUE(slowResult);
  EXPECT_GE(slowTook, 1400ms);  // returned once the handler had
  ::close(silent);
}

TEST_F(ScmTest, AServiceProcessThatDiesIsNoticedAndCanStartAgain) {
  startBoth();
  EXPECT_TRUE(DeleteService(b_));  // goes once its process has gone
  const pid_t first = servicePid();
  ASSERT_EQ(::kill(first, SIGKILL), 0);
  ASSERT_TRUE(reaches(a_, SERVICE_STOPPED));
  EXPECT_EQ(status(a_).dwWin32ExitCode, static_cast<DWORD>(ERROR_PROCESS_ABORTED));
  EXPECT_EQ(OpenServiceA(manager(), "TestB", SERVICE_ALL_ACCESS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));

  ASSERT_TRUE(StartServiceA(a_, 0, nullptr)) << GetLastError();
  ASSERT_TRUE(reaches(a_, SERVICE_RUNNING));
  EXPECT_NE(servicePid(), first);
}

TEST_F(ScmTest, TheManagerStopsItsServicesOnSigtermAndKeepsTheDatabase) {
  const char* display = "Agent = 100% [ready]";
  a_ = kept(CreateServiceA(manager(), "TestA", display, SERVICE_ALL_ACCESS,
                           SERVICE_WIN32_SHARE_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                           "C:\\svc\\testhost.exe", nullptr, nullptr, nullptr, nullptr, nullptr));
  b_ = create("TestB", "TestA\0");
  ASSERT_TRUE(StartServiceA(a_, 0, nullptr)) << GetLastError();
  ASSERT_TRUE(reaches(a_, SERVICE_RUNNING));
  const pid_t service = servicePid();
  const pid_t first = managerPid();

  stopServiceManager();
  EXPECT_TRUE(processGone(service));
  EXPECT_EQ(recorded("control").at(0)[2], "1");  // asked to stop before its process ended
  EXPECT_FALSE(nttest::fileExists(root() + "/ntscm.socket"));
  SERVICE_STATUS s{};
  EXPECT_FALSE(QueryServiceStatus(a_, &s));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));

  SC_HANDLE second = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  ASSERT_NE(second, nullptr) << GetLastError();
  EXPECT_NE(managerPid(), first);
  CloseServiceHandle(second);
  EXPECT_EQ(status(a_).dwCurrentState, SERVICE_STOPPED);
  std::vector<unsigned char> buffer(2048);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  DWORD needed = 0;
  ASSERT_TRUE(QueryServiceConfigA(a_, config, 2048, &needed)) << GetLastError();
  EXPECT_STREQ(config->lpDisplayName, display);
  ASSERT_TRUE(QueryServiceConfigA(b_, config, 2048, &needed)) << GetLastError();
  EXPECT_STREQ(config->lpDependencies, "TestA");
  EXPECT_TRUE(StartServiceA(b_, 0, nullptr)) << GetLastError();
  EXPECT_TRUE(reaches(a_, SERVICE_RUNNING));
}

TEST_F(ScmTest, EnumServicesStatusHandsOutWhatFitsAndTellsWhatIsLeft) {
  startBoth();
  create("TestC");
  DWORD needed = 0, returned = 0, resume = 0;
  EXPECT_FALSE(EnumServicesStatusA(manager(), SERVICE_WIN32, SERVICE_ACTIVE, nullptr, 0, &needed,
                                   &returned, &resume));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(returned, 0u);
  // Room for one of the two running services.
  std::vector<ENUM_SERVICE_STATUSA> buffer(needed / sizeof(ENUM_SERVICE_STATUSA) + 1);
  const DWORD oneFits = static_cast<DWORD>(sizeof(ENUM_SERVICE_STATUSA) + 16);
  EXPECT_FALSE(EnumServicesStatusA(manager(), SERVICE_WIN32, SERVICE_ACTIVE, buffer.data(), oneFits,
                                   &needed, &returned, &resume));
  ASSERT_EQ(returned, 1u);
  EXPECT_STREQ(buffer[0].lpServiceName, "TestA");
  EXPECT_EQ(buffer[0].ServiceStatus.dwCurrentState, SERVICE_RUNNING);
  EXPECT_EQ(resume, 1u);
  EXPECT_TRUE(EnumServicesStatusA(manager(), SERVICE_WIN32, SERVICE_ACTIVE, buffer.data(),
                                  static_cast<DWORD>(buffer.size() * sizeof buffer[0]), &needed,
                                  &returned, &resume));
  ASSERT_EQ(returned, 1u);
  EXPECT_STREQ(buffer[0].lpServiceName, "TestB");
  EXPECT_EQ(resume, 0u);
}

TEST(ScmOutsideTheManagerTest, ServiceCallsOfAProcessItDidNotStartFail) {
  char name[] = "TestA";
  const SERVICE_TABLE_ENTRYA table[] = {{name, [](DWORD, LPSTR*) {}}, {nullptr, nullptr}};
  errno = kErrnoMarker;
  EXPECT_FALSE(StartServiceCtrlDispatcherA(table));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT));
  EXPECT_EQ(RegisterServiceCtrlHandlerA("TestA", [](DWORD) {}), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  SERVICE_STATUS status{SERVICE_WIN32_SHARE_PROCESS, SERVICE_RUNNING, 0, 0, 0, 0, 0};
  EXPECT_FALSE(SetServiceStatus(nullptr, &status));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(errno, kErrnoMarker);
}

}  // namespace
