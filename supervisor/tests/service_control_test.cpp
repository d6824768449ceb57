// The supervisor under the service control manager: -install and -uninstall, the two services
// in one supervisor process started by the manager, their controls, and the dispatcher's
// failure outside the manager.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <thread>

#include <algorithm>
#include <cstring>

#include "platform/win32.h"
#include "supervisor_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string kAllClasses =
    "tarq.admin.arm.agents.AgentObjFactoryImpl tarq.admin.arm.rmi.ManagedObjFactoryImpl "
    "tarq.admin.arm.agents.NetClassServerImpl";

// Closes a service control manager handle on every path out.
struct ScHandle {
  SC_HANDLE handle;
  explicit ScHandle(SC_HANDLE h) : handle(h) {}
  ~ScHandle() {
    if (handle) CloseServiceHandle(handle);
  }
  ScHandle(const ScHandle&) = delete;
  ScHandle& operator=(const ScHandle&) = delete;
};

class ServiceControlTest : public SupervisorTest {
 protected:
  void SetUp() override {
    SupervisorTest::SetUp();
    writeProperties("moxal.services=" + kAllClasses + "\nmoxal.setenv.JAVA_HOME=C:/jdk\n");
    setProductValue("DiagLevel", "REG_DWORD", "1");
    manager_ = openManagerForServices();
    ASSERT_NE(manager_, nullptr) << GetLastError();
  }
  void TearDown() override {
    if (manager_) CloseServiceHandle(manager_);
    endJavaChildren();
    SupervisorTest::TearDown();
  }

  SC_HANDLE open(const char* name) { return OpenServiceA(manager_, name, SERVICE_ALL_ACCESS); }

  SERVICE_STATUS status(const char* name) {
    ScHandle service(open(name));
    SERVICE_STATUS s{};
    EXPECT_TRUE(QueryServiceStatus(service.handle, &s)) << name;
    return s;
  }

  bool waitForState(const char* name, DWORD state, int seconds = 30) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
      if (status(name).dwCurrentState == state) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  // The dependencies of an installed service, as a list of names.
  std::vector<std::string> dependencies(const char* name) {
    ScHandle service(open(name));
    DWORD needed = 0;
    QueryServiceConfigA(service.handle, nullptr, 0, &needed);
    std::vector<char> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    EXPECT_TRUE(QueryServiceConfigA(service.handle, config, needed, &needed));
    std::vector<std::string> names;
    for (const char* d = config->lpDependencies; d && *d; d += std::strlen(d) + 1) names.push_back(d);
    binaryPath_ = config->lpBinaryPathName;
    displayName_ = config->lpDisplayName;
    return names;
  }

  // True once the process has ended (a zombie its parent has not reaped yet has ended too).
  bool processGone(pid_t pid, int seconds = 30) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
      const std::string stat = nttest::readFile("/proc/" + std::to_string(pid) + "/stat");
      const size_t close = stat.rfind(')');
      if (stat.empty() || (close != std::string::npos && stat.compare(close + 2, 1, "Z") == 0)) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  // The manager logs a process's end once it has reaped it, a moment after it ended.
  bool managerLogShows(const std::string& text) {
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < deadline) {
      if (nttest::readFile(root() + "/ntscm.log").find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  std::set<std::string> parentsOfChildren() {
    std::set<std::string> parents;
    for (const auto& record : javaRecords()) parents.insert(record.facts.at("ppid"));
    return parents;
  }

  void install() { ASSERT_EQ(runSupervisor({"-install"}).exitCode, 0); }

  SC_HANDLE manager_ = nullptr;
  std::string binaryPath_;
  std::string displayName_;
};

TEST_F(ServiceControlTest, InstallCreatesBothServicesAndTwiceReportsThemExisting) {
  install();
  EXPECT_EQ(dependencies("MOXALAgent"), std::vector<std::string>{"+Network"});
  EXPECT_EQ(displayName_, "MOXALAgent 1.0");
  EXPECT_EQ(binaryPath_, "C:\\prod\\bin\\moxalsvc.exe");
  EXPECT_EQ(dependencies("MOXALServer"), (std::vector<std::string>{"+Network", "MOXALAgent"}));
  EXPECT_EQ(displayName_, "MOXALServer 1.0");

  ::unlink(prod("moxal.dbg").c_str());
  ASSERT_EQ(runSupervisor({"-install", "startagent"}).exitCode, 0);
  const std::string diag = nttest::readFile(prod("moxal.dbg"));
  EXPECT_EQ(linesContaining(diag, "installService: could not install service"),
            (std::vector<std::string>{"installService: could not install service MOXALAgent 1073",
                                      "installService: could not install service MOXALServer 1073"}));
  EXPECT_TRUE(javaRecords().empty());  // with -install the command words are ignored
}

TEST_F(ServiceControlTest, PropertyFileNamingOnlyTheAgentInstallsOnlyTheAgent) {
  writeProperties("moxal.services=tarq.admin.arm.agents.AgentObjFactoryImpl\n");
  install();
  EXPECT_EQ(dependencies("MOXALAgent"), std::vector<std::string>{"+Network"});
  SetLastError(0);
  EXPECT_EQ(open("MOXALServer"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
}

TEST_F(ServiceControlTest, ServerStartRunsTheAgentFirstInTheSameProcess) {
  install();
  std::vector<DWORD> checkPoints;
  {
    ScHandle server(open("MOXALServer"));
    ASSERT_TRUE(StartServiceA(server.handle, 0, nullptr)) << GetLastError();
    // The server's start: check points 1 to 3 while start-pending, then running with 0.
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    SERVICE_STATUS s{};
    while (Clock::now() < deadline) {
      ASSERT_TRUE(QueryServiceStatus(server.handle, &s));
      if (s.dwCurrentState == SERVICE_RUNNING) break;
      if (s.dwCurrentState == SERVICE_START_PENDING && s.dwCheckPoint &&
          (checkPoints.empty() || checkPoints.back() != s.dwCheckPoint)) {
        checkPoints.push_back(s.dwCheckPoint);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(s.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(s.dwCheckPoint, 0u);
    EXPECT_EQ(s.dwWaitHint, 10000u);
    EXPECT_EQ(s.dwControlsAccepted, static_cast<DWORD>(SERVICE_ACCEPT_STOP));
  }
  EXPECT_TRUE(std::is_sorted(checkPoints.begin(), checkPoints.end()));
  for (DWORD point : checkPoints) EXPECT_TRUE(point >= 1 && point <= 3) << point;
  EXPECT_EQ(status("MOXALAgent").dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  ASSERT_EQ(javaRecords().size(), 3u);
  const std::set<std::string> parents = parentsOfChildren();
  ASSERT_EQ(parents.size(), 1u);  // one supervisor process hosts both services
  const pid_t supervisor = std::stoi(*parents.begin());

  SERVICE_STATUS s{};
  {
    ScHandle agent(open("MOXALAgent"));
    SetLastError(0);
    EXPECT_FALSE(ControlService(agent.handle, SERVICE_CONTROL_STOP, &s));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEPENDENT_SERVICES_RUNNING));
  }
  {
    ScHandle server(open("MOXALServer"));
    ASSERT_TRUE(ControlService(server.handle, SERVICE_CONTROL_STOP, &s)) << GetLastError();
  }
  ASSERT_TRUE(waitForState("MOXALServer", SERVICE_STOPPED));
  EXPECT_EQ(status("MOXALAgent").dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(::kill(supervisor, 0), 0);
  {
    ScHandle agent(open("MOXALAgent"));
    ASSERT_TRUE(ControlService(agent.handle, SERVICE_CONTROL_STOP, &s)) << GetLastError();
  }
  ASSERT_TRUE(processGone(supervisor));
  EXPECT_TRUE(managerLogShows("process " + std::to_string(supervisor) + " ended with exit status 0"))
      << nttest::readFile(root() + "/ntscm.log");
  const std::string trace = traces();
  EXPECT_NE(trace.find("main: done registerServices\n"), std::string::npos);
  EXPECT_EQ(linesContaining(trace, "ctrlServer: to stop server").size(), 2u);
}

TEST_F(ServiceControlTest, InterrogateOnlyEntersAndLeavesTheHandler) {
  install();
  {
    ScHandle server(open("MOXALServer"));
    ASSERT_TRUE(StartServiceA(server.handle, 0, nullptr));
  }
  ASSERT_TRUE(waitForState("MOXALServer", SERVICE_RUNNING));
  ScHandle server(open("MOXALServer"));
  SERVICE_STATUS s{};
  ASSERT_TRUE(ControlService(server.handle, SERVICE_CONTROL_INTERROGATE, &s)) << GetLastError();
  EXPECT_EQ(s.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  const std::string trace = traces();
  EXPECT_NE(trace.find("ctrlServer: enter 4\nctrlServer: done 4\n"), std::string::npos) << trace;
  EXPECT_TRUE(linesContaining(trace, "ctrlServer: to stop server").empty());
}

TEST_F(ServiceControlTest, UninstallOfStoppedServicesDeletesBothAtOnce) {
  install();
  const auto started = Clock::now();
  ASSERT_EQ(runSupervisor({"-uninstall"}).exitCode, 0);
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(4));  // no poll waited
  for (const char* name : {"MOXALAgent", "MOXALServer"}) {
    SetLastError(0);
    EXPECT_EQ(open(name), nullptr) << name;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  }
  ::unlink(prod("moxal.dbg").c_str());
  ASSERT_EQ(runSupervisor({"-uninstall"}).exitCode, 0);
  EXPECT_EQ(linesContaining(nttest::readFile(prod("moxal.dbg")), "could not uninstall service"),
            (std::vector<std::string>{"uninstallService: could not uninstall service MOXALAgent",
                                      "uninstallService: could not uninstall service MOXALServer"}));
}

TEST_F(ServiceControlTest, UninstallOfRunningServicesPollsTheAgentThenStopsTheServer) {
  install();
  {
    ScHandle server(open("MOXALServer"));
    ASSERT_TRUE(StartServiceA(server.handle, 0, nullptr));
  }
  ASSERT_TRUE(waitForState("MOXALServer", SERVICE_RUNNING));
  const pid_t supervisor = std::stoi(*parentsOfChildren().begin());
  const auto started = Clock::now();
  ASSERT_EQ(runSupervisor({"-uninstall"}).exitCode, 0);
  EXPECT_GE(Clock::now() - started, std::chrono::seconds(5));  // the agent's five polls
  // The server was stopped and deleted; the agent is only marked for deletion and runs on.
  ASSERT_TRUE(waitForState("MOXALAgent", SERVICE_RUNNING));
  ScHandle agent(open("MOXALAgent"));
  ASSERT_NE(agent.handle, nullptr);
  SetLastError(0);
  EXPECT_FALSE(DeleteService(agent.handle));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
  EXPECT_EQ(open("MOXALServer"), nullptr);
  // Its stop ends the supervisor, and the agent goes away.
  SERVICE_STATUS s{};
  ASSERT_TRUE(ControlService(agent.handle, SERVICE_CONTROL_STOP, &s)) << GetLastError();
  ASSERT_TRUE(processGone(supervisor));
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  SC_HANDLE left = nullptr;
  while ((left = open("MOXALAgent")) != nullptr && Clock::now() < deadline) {
    CloseServiceHandle(left);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(left, nullptr);
}

TEST_F(ServiceControlTest, AServiceProcessThatDiesIsNoticedAndCanStartAgain) {
  install();
  {
    ScHandle agent(open("MOXALAgent"));
    ASSERT_TRUE(StartServiceA(agent.handle, 0, nullptr));
  }
  ASSERT_TRUE(waitForState("MOXALAgent", SERVICE_RUNNING));
  const pid_t supervisor = std::stoi(*parentsOfChildren().begin());
  ::kill(supervisor, SIGKILL);
  ASSERT_TRUE(waitForState("MOXALAgent", SERVICE_STOPPED));
  ScHandle agent(open("MOXALAgent"));
  ASSERT_TRUE(StartServiceA(agent.handle, 0, nullptr)) << GetLastError();
  EXPECT_TRUE(waitForState("MOXALAgent", SERVICE_RUNNING));
}

TEST_F(ServiceControlTest, ConsoleRunWithoutArgumentsOnlyReportsTheDispatcherFailure) {
  const nttest::ProcessResult result = runSupervisor({});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(linesContaining(nttest::readFile(prod("moxal.dbg")), "StartServiceCtrlDispatcher"),
            std::vector<std::string>{"registerServices: StartServiceCtrlDispatcher failed 427"});
  const auto records = events();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].source, "MOXAL");
  EXPECT_EQ(records[0].strings,
            (std::vector<std::string>{"MOXAL error: 427",
                                      "registerServices - startServiceCtrlDispatcher failure"}));
  EXPECT_TRUE(javaRecords().empty());
}

}  // namespace
