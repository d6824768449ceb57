// The run and stop engine in standalone mode: what each Java process receives, the two launch
// modes, failed starts, children that end, and the stop; the status changes show as the error
// lines and events that a run without the control manager writes for each one.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "supervisor/child_launch.h"
#include "supervisor/run_engine.h"
#include "supervisor/service_status.h"
#include "supervisor_fixture.h"

namespace {

const std::string kAgentClass = "tarq.admin.arm.agents.AgentObjFactoryImpl";
const std::string kServerClasses = "tarq.admin.arm.rmi.ManagedObjFactoryImpl "
                                   "tarq.admin.arm.agents.NetClassServerImpl";

class RunEngineTest : public SupervisorTest {
 protected:
  void writeServiceProperties(const std::string& extra = "", const std::string& javaHome = "C:/jdk") {
    writeProperties("moxal.services=" + kAgentClass + " " + kServerClasses + "\n" +
                    "moxal.setenv.JAVA_HOME=" + javaHome + "\n" + extra);
  }

  // Waits until n records exist; their process ids.
  std::vector<pid_t> waitForChildren(size_t n) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
      std::vector<nttest::FakeJavaRecord> records = javaRecords();
      if (records.size() >= n || std::chrono::steady_clock::now() > deadline) {
        std::vector<pid_t> pids;
        for (const auto& r : records) pids.push_back(std::stoi(r.facts.at("pid")));
        return pids;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

  std::vector<std::string> eventTexts(const std::string& source) const {
    std::vector<std::string> texts;
    for (const auto& record : events()) {
      if (record.source == source) texts.push_back(record.strings.at(1));
    }
    return texts;
  }

};

TEST_F(RunEngineTest, AgentChildReceivesItsCommandAndTheBuiltEnvironment) {
  writeServiceProperties("moxal.setenv.EXTRA=${JAVA_HOME}/lib\nmoxal.setenv.SYBASEHOME=C:/syb\n"
                         "moxal.setenv.ORACLE_HOME=C:/ora\nmoxal.setenv.TNS_ADMIN=replaced\n");
  const nttest::ProcessResult result = runSupervisor({"-diaglevel", "1", "startagent"});
  ASSERT_EQ(result.exitCode, 0) << result.out;
  const std::vector<nttest::FakeJavaRecord> records = javaRecords();
  ASSERT_EQ(records.size(), 1u);
  const nttest::FakeJavaRecord& child = records[0];
  EXPECT_EQ(child.argv, (std::vector<std::string>{
                            "C:\\jdk\\bin\\java.exe",
                            "-DMOXAL_PROPERTIES=C:\\prod\\classes\\properties", kAgentClass}));
  const std::map<std::string, std::string> expected = {
      {"JAVA_HOME", "C:\\jdk"},
      {"MOXAL_HOME", "C:\\prod"},
      {"MOXAL_PROPERTIES", "C:\\prod\\classes\\properties"},
      {"EXTRA", "C:\\jdk\\lib"},
      {"PATH", "C:\\prod\\bin;C:\\jdk\\bin;C:\\ora\\dll;C:\\ora\\bin;C:\\syb\\dll;C:\\syb\\bin;C:\\sys"},
      {"CLASSPATH", "C:\\jdk\\classes;C:\\prod\\classes"},
      {"LIB", "C:\\prod\\lib\\tarq\\WindowsNT\\x86;C:\\prod\\lib;C:\\jdk\\lib;C:\\ora\\dll;"
              "C:\\ora\\lib;C:\\syb\\dll;C:\\syb\\lib"},
      {"SYBASE", "C:\\syb"},
      {"SYBASE_LIBS", "C:\\syb\\lib;C:\\syb\\dll"},
      {"ORA_NLS", "C:\\ora/ocommon/nls/admin/data"},
      {"TNS_ADMIN", "C:\\ora/network/admin"},
  };
  for (const auto& [name, value] : expected) EXPECT_EQ(child.environment.at(name), value) << name;

  const std::string diag = traces();
  EXPECT_NE(diag.find("currEnvBlock: count "), std::string::npos);
  EXPECT_NE(diag.find("main: setEnv 0 -JAVA_HOME -C:\\jdk- 1 "), std::string::npos) << diag;
  EXPECT_NE(diag.find("\t0 3 #C:\\jdk\\bin\\java.exe# #C:\\jdk\\bin\\java.exe "
                      "-DMOXAL_PROPERTIES=C:\\prod\\classes\\properties " + kAgentClass + "#\n"
                      "runSvc: spawn\n"
                      "\t0 #-DMOXAL_PROPERTIES=C:\\prod\\classes\\properties#\n"
                      "\t1 #" + kAgentClass + "#\n"
                      "runSvc: doing spawn\n"),
            std::string::npos)
      << diag;
  // The child ended on its own: reported once, and the service stopped.
  const std::vector<std::string> agentEvents = eventTexts("MOXALAgent");
  ASSERT_GE(agentEvents.size(), 2u);
  EXPECT_EQ(agentEvents[agentEvents.size() - 2],
            "runSvc - subcommand (C:\\jdk\\bin\\java.exe C:\\jdk\\bin\\java.exe "
            "-DMOXAL_PROPERTIES=C:\\prod\\classes\\properties " + kAgentClass + ") terminated!");
  EXPECT_NE(diag.find("runSvc: done\nmain: done registerServices1\n"), std::string::npos);
}

TEST_F(RunEngineTest, StandaloneStatusChangesAreEachReportedOnce) {
  writeServiceProperties();
  // A host-form PATH, as a shell passes it: reading it must leave errno alone.
  ASSERT_EQ(runSupervisor({"startagent"}, {"PATH=/usr/bin:/bin:/nonexistent"}).exitCode, 0);
  const std::string diag = nttest::readFile(prod("moxal.dbg"));
  // No C library call failed on the way, so no error line carries an errno text.
  EXPECT_EQ(diag.find("\n: "), std::string::npos) << diag;
  EXPECT_EQ(linesContaining(diag, "registerServices: StartServiceCtrlDispatcher failed 427"),
            std::vector<std::string>{"registerServices: StartServiceCtrlDispatcher failed 427"});
  EXPECT_EQ(linesContaining(diag, "runAgent: could not register handler service MOXALAgent 424"),
            std::vector<std::string>{"runAgent: could not register handler service MOXALAgent 424"});
  // Start-pending, one check point per command, running, stopped: no status handle.
  EXPECT_EQ(linesContaining(diag, "runSvc: could not set service status"),
            (std::vector<std::string>{"runSvc: could not set service status MOXALAgent 6",
                                      "runSvc: could not set service status1 MOXALAgent 6",
                                      "runSvc: could not set service status1 MOXALAgent 6",
                                      "runSvc: could not set service status3 MOXALAgent 6"}));
  const std::vector<std::string> agentEvents = eventTexts("MOXALAgent");
  ASSERT_EQ(agentEvents.size(), 6u);
  EXPECT_EQ(agentEvents[0], "runAgent - RegisterServiceCtrlHandler failure");
  EXPECT_EQ(agentEvents[1], "runSvc - SetServiceStatus failure");
  EXPECT_EQ(agentEvents[2], "runSvc - SetServiceStatus failure1");
  EXPECT_EQ(agentEvents[3], "runSvc - SetServiceStatus failure2");
  EXPECT_EQ(agentEvents[4].rfind("runSvc - subcommand (", 0), 0u);
  EXPECT_EQ(agentEvents[5], "runSvc - SetServiceStatus failure3");
  for (const auto& record : events()) {
    EXPECT_EQ(record.strings.at(0).rfind(record.source + " error: ", 0), 0u);
  }
  EXPECT_EQ(eventTexts("MOXAL"),
            std::vector<std::string>{"registerServices - startServiceCtrlDispatcher failure"});
}

TEST_F(RunEngineTest, MissingJavaProgramFailsEachCommandOnce) {
  writeServiceProperties("", "C:/nojava");
  for (const char* mode : {"0", "1"}) {
    writeServiceProperties(std::string("moxal.ntservice.usecreateprocess=") + mode + "\n", "C:/nojava");
    ::unlink(prod("moxal.dbg").c_str());
    ::unlink((root() + "/eventlog/Application.log").c_str());
    ASSERT_EQ(runSupervisor({"startserver"}).exitCode, 0);
    const std::string diag = nttest::readFile(prod("moxal.dbg"));
    const std::vector<std::string> failures = linesContaining(diag, "runSvc: could not create process");
    ASSERT_EQ(failures.size(), 2u) << diag;
    const std::string start =
        "runSvc: could not create process 0 (C:\\nojava\\bin\\ C:\\nojava\\bin\\ "
        "-DMOXAL_PROPERTIES=C:\\prod\\classes\\properties "
        "tarq.admin.arm.rmi.ManagedObjFactoryImpl) service MOXALServer ";
    EXPECT_EQ(failures[0].rfind(start, 0), 0u) << failures[0];
    // CreateProcessA: the last error ERROR_FILE_NOT_FOUND; spawn: the last error, then errno.
    if (mode[0] == '1') {
      EXPECT_EQ(failures[0], start + "2");
    } else {
      EXPECT_EQ(failures[0].substr(failures[0].size() - 2), " 2");
    }
    int failureEvents = 0;
    for (const std::string& text : eventTexts("MOXALServer")) {
      failureEvents += text.rfind(mode[0] == '0' ? "runSvc - spawn" : "runSvc - CreateProcess", 0) == 0;
    }
    EXPECT_EQ(failureEvents, 2) << mode;
    // Through running to stopped with no child.
    EXPECT_EQ(linesContaining(diag, "could not set service status").back(),
              "runSvc: could not set service status3 MOXALServer 6");
  }
}

TEST_F(RunEngineTest, CreateProcessChildrenHaveTheirOwnConsoleAndNoStandardHandles) {
  writeServiceProperties("moxal.ntservice.usecreateprocess=1\nmoxal.ntservice.javaverbose=1\n");
  ASSERT_EQ(runSupervisor({"startagent"}).exitCode, 0);
  const auto records = javaRecords();
  ASSERT_EQ(records.size(), 1u);
  const auto& child = records[0];
  EXPECT_EQ(child.argv.at(1), "-verbose");
  EXPECT_EQ(child.facts.at("sid"), child.facts.at("pid"));
  EXPECT_EQ(child.facts.at("pgid"), child.facts.at("pid"));
  for (const char* fd : {"fd0", "fd1", "fd2"}) EXPECT_EQ(child.facts.at(fd), "/dev/null") << fd;
}

TEST_F(RunEngineTest, ProgramPathWithBlanksArrivesAsOneArgumentInBothModes) {
  nttest::makeDirectories(driveC() + "/Program Files/jdk/bin");
  ASSERT_EQ(::symlink(nttest::builtBinary("fakejava").c_str(),
                      (driveC() + "/Program Files/jdk/bin/java").c_str()), 0);
  for (const char* mode : {"0", "1"}) {
    std::filesystem::remove_all(recordsDirectory());
    nttest::makeDirectories(recordsDirectory());
    writeServiceProperties(std::string("moxal.ntservice.usecreateprocess=") + mode + "\n",
                           "C:/Program Files/jdk");
    ASSERT_EQ(runSupervisor({"startagent"}).exitCode, 0);
    const auto records = javaRecords();
    ASSERT_EQ(records.size(), 1u) << mode;
    EXPECT_EQ(records[0].argv.at(0), "C:\\Program Files\\jdk\\bin\\java.exe") << mode;
    EXPECT_EQ(records[0].argv.size(), 3u) << mode;
  }
}

TEST_F(RunEngineTest, ServerStaysRunningUntilItsLastChildEnds) {
  writeServiceProperties();
  auto supervisor = std::async(std::launch::async, [this] {
    return runSupervisor({"-diaglevel", "1", "startserver"}, {"FAKEJAVA_SLEEP=forever"});
  });
  std::vector<pid_t> children = waitForChildren(2);
  ASSERT_EQ(children.size(), 2u);
  ::kill(children[0], SIGKILL);
  // The first end is reported, and the service goes on.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (eventTexts("MOXALServer").empty() ||
         eventTexts("MOXALServer").back().find("terminated!") == std::string::npos) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(supervisor.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout);
  ::kill(children[1], SIGKILL);
  const nttest::ProcessResult result = supervisor.get();
  EXPECT_EQ(result.exitCode, 0);
  int terminated = 0;
  for (const std::string& text : eventTexts("MOXALServer")) {
    terminated += text.find("terminated!") != std::string::npos;
  }
  EXPECT_EQ(terminated, 2);
  const std::string diag = traces();
  EXPECT_NE(diag.find("runSvc: somebody termed!\n"), std::string::npos);
  EXPECT_NE(diag.find("runSvc: second wait\nrunSvc: somebody termed1!\n"), std::string::npos);
  EXPECT_EQ(linesContaining(diag, "termed exitcode 89").size(), 2u) << diag;  // 128 + SIGKILL
}

TEST_F(RunEngineTest, StandaloneStopOfAServiceThisProcessNeverRanEndsNothing) {
  writeServiceProperties();
  ASSERT_EQ(runSupervisor({"-diaglevel", "1", "stopagent", "stopserver"}).exitCode, 0);
  const std::string diag = traces();
  EXPECT_EQ(linesContaining(diag, "stopSvc: wait for stoppers returned FFFFFFFF").size(), 2u);
  EXPECT_NE(diag.find("main: done registerServices1\nstopSvc: enter\n"), std::string::npos) << diag;
  EXPECT_EQ(linesContaining(diag, "stopSvc: could not set service status2").size(), 2u);
  EXPECT_EQ(eventTexts("MOXALAgent"),
            (std::vector<std::string>{"stopSvc - SetServiceStatus failure",
                                      "stopSvc - SetServiceStatus failure2"}));
}

// In-process: the service thread runs, the control thread stops it; the two share the status
// block and the process table (run under ThreadSanitizer too).
class EngineThreadsTest : public SupervisorTest {};

TEST_F(EngineThreadsTest, StopFromAnotherThreadEndsTheRunWithExitCodeOne) {
  const std::string record = recordsDirectory() + "/%p.txt";
  SetEnvironmentVariableA("FAKEJAVA_RECORD", record.c_str());
  SetEnvironmentVariableA("FAKEJAVA_SLEEP", "forever");
  Service service;
  service.name = "MOXALServer";
  const std::string java = driveC() + "/jdk/bin/java";
  service.startCommands = {{java, "-Done", "A"}, {java, "-Dtwo", "B"}};
  service.startArgumentCount = 3;
  std::thread serviceThread([&] { runSvc(&service); });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (javaRecords().size() < 2 || currentState(service) != SERVICE_RUNNING) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::vector<HANDLE> processes;
  {
    std::lock_guard<std::mutex> guard(service.lock);
    for (const auto& entry : service.startedProcesses) processes.push_back(entry.hProcess);
  }
  stopSvc(&service);
  serviceThread.join();
  // The terminations wake the service thread; each process goes away on its own time.
  ASSERT_EQ(WaitForMultipleObjects(static_cast<DWORD>(processes.size()), processes.data(), TRUE,
                                   20000),
            WAIT_OBJECT_0);
  for (HANDLE process : processes) {
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, 1u);
  }
  std::lock_guard<std::mutex> guard(service.lock);
  EXPECT_EQ(service.status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
}

}  // namespace
