// ntsc as an administrator uses it: the commands and output of the Windows sc command over
// the machine root's services, and refused requests with their code, text and exit status.
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/win32.h"
#include "tests/support/nt_test.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kStateTimeout = 30s;

std::string stoppedBlock(const std::string& name, const std::string& exitCode) {
  return "\nSERVICE_NAME: " + name +
         "\n"
         "        TYPE               : 20  WIN32_SHARE_PROCESS\n"
         "        STATE              : 1  STOPPED\n"
         "        WIN32_EXIT_CODE    : " +
         exitCode +
         "\n"
         "        SERVICE_EXIT_CODE  : 0  (0x0)\n"
         "        CHECKPOINT         : 0x0\n"
         "        WAIT_HINT          : 0x0\n";
}

const char kRunningB[] =
    "\nSERVICE_NAME: TestB\n"
    "        TYPE               : 20  WIN32_SHARE_PROCESS\n"
    "        STATE              : 4  RUNNING\n"
    "                                (STOPPABLE, NOT_PAUSABLE, IGNORES_SHUTDOWN)\n"
    "        WIN32_EXIT_CODE    : 0  (0x0)\n"
    "        SERVICE_EXIT_CODE  : 0  (0x0)\n"
    "        CHECKPOINT         : 0x0\n"
    "        WAIT_HINT          : 0x0\n";

const char kConfigB[] =
    "[SC] QueryServiceConfig SUCCESS\n"
    "\n"
    "SERVICE_NAME: TestB\n"
    "        TYPE               : 20  WIN32_SHARE_PROCESS\n"
    "        START_TYPE         : 3   DEMAND_START\n"
    "        ERROR_CONTROL      : 1   NORMAL\n"
    "        BINARY_PATH_NAME   : C:\\svc\\testhost.exe\n"
    "        LOAD_ORDER_GROUP   :\n"
    "        TAG                : 0\n"
    "        DISPLAY_NAME       : Test B\n"
    "        DEPENDENCIES       : TestA\n"
    "                           : +Network\n"
    "        SERVICE_START_NAME : LocalSystem\n";

class NtscTest : public nttest::MachineRootTest {
 protected:
  void SetUp() override {
    MachineRootTest::SetUp();
    nttest::makeDirectories(driveC() + "/svc");
    ASSERT_EQ(::symlink(nttest::builtBinary("scm_test_service").c_str(),
                        (driveC() + "/svc/testhost").c_str()),
              0);
    // The manager, started here rather than by a short-lived ntsc, is this process's child,
    // which TearDown stops and reaps.
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    ASSERT_NE(manager, nullptr) << GetLastError();
    CloseServiceHandle(manager);
  }

  nttest::ProcessResult ntsc(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), nttest::builtBinary("ntsc"));
    return nttest::runProgram(arguments);
  }

  void createTestServices() {
    EXPECT_EQ(ntsc({"create", "TestA", "binPath=", "C:\\svc\\testhost.exe", "type=", "share",
                    "DisplayName=", "Test A"})
                  .out,
              "[SC] CreateService SUCCESS\n");
    EXPECT_EQ(ntsc({"create", "TestB", "binPath=", "C:\\svc\\testhost.exe", "type=", "share",
                    "start=", "demand", "depend=", "TestA/+Network", "DisplayName=", "Test B"})
                  .out,
              "[SC] CreateService SUCCESS\n");
  }

  bool reachesRunning(const std::string& name) {
    const auto deadline = std::chrono::steady_clock::now() + kStateTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
      if (ntsc({"query", name}).out.find("4  RUNNING") != std::string::npos) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }
};

TEST_F(NtscTest, ManagesServicesWithTheCommandsAndOutputOfSc) {
  createTestServices();
  EXPECT_EQ(ntsc({"qc", "TestB"}).out, kConfigB);
  const auto never = ntsc({"query", "TestA"});
  EXPECT_EQ(never.out, stoppedBlock("TestA", "1077  (0x435)"));  // never started
  EXPECT_EQ(never.exitCode, 0);

  const auto started = ntsc({"start", "TestB", "--verbose"});
  EXPECT_EQ(started.exitCode, 0) << started.out;
  EXPECT_TRUE(started.out.starts_with("\nSERVICE_NAME: TestB\n")) << started.out;
  ASSERT_TRUE(reachesRunning("TestB"));
  EXPECT_EQ(ntsc({"query", "TestB"}).out, kRunningB);

  const std::string all = ntsc({"query"}).out;
  const size_t a = all.find("SERVICE_NAME: TestA\nDISPLAY_NAME: Test A\n");
  const size_t b = all.find("SERVICE_NAME: TestB\nDISPLAY_NAME: Test B\n");
  EXPECT_NE(a, std::string::npos) << all;
  EXPECT_NE(b, std::string::npos) << all;
  EXPECT_LT(a, b);

  const auto refused = ntsc({"stop", "TestA"});
  EXPECT_EQ(refused.out,
            "[SC] ControlService FAILED 1051:\n\nA stop control has been sent to a service that "
            "other running services are dependent on.\n\n");
  EXPECT_EQ(refused.exitCode, 1051 & 0xFF);
  EXPECT_EQ(ntsc({"stop", "TestB"}).out, stoppedBlock("TestB", "0  (0x0)"));
  EXPECT_EQ(ntsc({"stop", "TestA"}).out, stoppedBlock("TestA", "0  (0x0)"));

  EXPECT_EQ(ntsc({"config", "TestB", "start=", "disabled"}).out,
            "[SC] ChangeServiceConfig SUCCESS\n");
  EXPECT_NE(ntsc({"qc", "TestB"}).out.find("START_TYPE         : 4   DISABLED\n"),
            std::string::npos);
  EXPECT_EQ(ntsc({"delete", "TestB"}).out, "[SC] DeleteService SUCCESS\n");
  const auto gone = ntsc({"query", "TestB"});
  EXPECT_EQ(gone.out,
            "[SC] EnumQueryServicesStatus:OpenService FAILED 1060:\n\nThe specified service does "
            "not exist as an installed service.\n\n");
  EXPECT_EQ(gone.exitCode, 1060 & 0xFF);
}

TEST_F(NtscTest, RefusedRequestsPrintTheirCodeAndTextAndExitWithIt) {
  createTestServices();
  struct Case {
    std::vector<std::string> arguments;
    std::string out;
    int exitCode;
  } cases[] = {
      {{"stop", "NoSuch"},
       "[SC] OpenService FAILED 1060:\n\nThe specified service does not exist as an installed "
       "service.\n\n",
       1060 & 0xFF},
      {{"create", "testa", "binPath=", "C:\\svc\\testhost.exe"},
       "[SC] CreateService FAILED 1073:\n\nThe specified service already exists.\n\n",
       1073 & 0xFF},
      {{"stop", "TestA"},
       "[SC] ControlService FAILED 1062:\n\nThe service has not been started.\n\n",
       1062 & 0xFF},
      {{"start", "NoSuch"},
       "[SC] StartService: OpenService FAILED 1060:\n\nThe specified service does not exist as an "
       "installed service.\n\n",
       1060 & 0xFF},
  };
  for (const Case& c : cases) {
    const auto result = ntsc(c.arguments);
    EXPECT_EQ(result.out, c.out) << c.arguments[0];
    EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments[0];
  }
}

TEST_F(NtscTest, HelpAndBadCommandLinesShowTheUsage) {
  const auto help = ntsc({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: ntsc ")) << help.out;
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{},
                                                    {"frobnicate", "TestA"},
                                                    {"create", "TestA", "binPath="},
                                                    {"create", "TestA", "type=", "own"},
                                                    {"stop"}}) {
    const auto bad = ntsc(arguments);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.starts_with("Usage: ntsc ")) << bad.err;
    EXPECT_EQ(bad.out, "");
  }
}

}  // namespace
