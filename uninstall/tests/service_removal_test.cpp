// moxal_uninst loaded as the uninstaller loads it: the services go only when the product's
// registry key names an installation directory; a missing service is ignored; a running agent
// is deleted after its refused stop has been polled, and the server is stopped and deleted
// next. The uninstaller always receives 0.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <thread>

#include "common/service_handle.h"
#include "setup/tests/installed_product.h"
#include "uninstall/moxal_uninst.h"

namespace {

using Clock = std::chrono::steady_clock;

class ServiceRemovalTest : public InstalledProductTest {
 protected:
  void SetUp() override {
    InstalledProductTest::SetUp();
    ASSERT_TRUE(uninstLibrary_) << GetLastError();
    initialize_ = uninstLibrary_.bind<UninstFunction>("UninstInitialize");
    uninitialize_ = uninstLibrary_.bind<UninstFunction>("UninstUnInitialize");
    ASSERT_NE(initialize_, nullptr);
    ASSERT_NE(uninitialize_, nullptr);
  }

  // Both exports as the uninstaller calls them; each must return 0.
  void uninstall() {
    EXPECT_EQ(initialize_(/*window=*/nullptr, /*instance=*/nullptr, /*reserved=*/0), 0);
    EXPECT_EQ(uninitialize_(/*window=*/nullptr, /*instance=*/nullptr, /*reserved=*/0), 0);
  }

  LoadedModule uninstLibrary_{"moxal_uninst.dll"};
  UninstFunction initialize_ = nullptr;
  UninstFunction uninitialize_ = nullptr;
};

TEST_F(ServiceRemovalTest, WithoutARecordedInstallationDirectoryNoServiceIsTouched) {
  install(/*serverMode=*/1);
  startAndWait("MOXALAgent");
  // Each step adds to what the registry holds, and still names no readable directory.
  const struct {
    const char* what;
    std::function<void()> record;
  } kRecords[] = {
      {"no product key", [] {}},
      {"the key without DestDir", [this] { setProductValue("DiagLevel", "REG_DWORD", "0"); }},
      {"a DestDir longer than its 511-byte buffer",
       [this] { setProductValue("DestDir", "REG_SZ", "C:\\" + std::string(520, 'p')); }},
  };
  for (const auto& step : kRecords) {
    SCOPED_TRACE(step.what);
    step.record();
    uninstall();
    EXPECT_EQ(serviceState("MOXALAgent"), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(serviceState("MOXALServer"), static_cast<DWORD>(SERVICE_STOPPED));
  }
}

TEST_F(ServiceRemovalTest, TheOneInstalledServiceIsRemovedAndTheOtherIgnored) {
  install(/*serverMode=*/0);
  setProductValue("DestDir", "REG_SZ", kProductHome);
  const auto started = Clock::now();
  const nttest::ProcessResult result = nttest::runProgram({nttest::builtBinary("moxal_uninstall")});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out + result.err, "");
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(4));  // a stopped service is not polled
  EXPECT_FALSE(serviceConfig("MOXALAgent"));
  EXPECT_FALSE(serviceConfig("MOXALServer"));
}

TEST_F(ServiceRemovalTest, RunningAgentIsDeletedAfterItsPollsThenTheServerGoes) {
  install(/*serverMode=*/1);
  setProductValue("DestDir", "REG_SZ", kProductHome);
  startAndWait("MOXALServer");
  const auto started = Clock::now();
  uninstall();
  // The agent's stop is refused (1051) while the server runs: five one-second polls, then
  // its deletion; the server is stopped and deleted next.
  EXPECT_GE(Clock::now() - started, std::chrono::seconds(5));
  ASSERT_TRUE(waitForState("MOXALServer", 0));
  // The agent runs on, marked for deletion, until it is stopped.
  EXPECT_EQ(serviceState("MOXALAgent"), static_cast<DWORD>(SERVICE_RUNNING));
  const ServiceHandle agent(OpenServiceA(manager(), "MOXALAgent", SERVICE_ALL_ACCESS));
  ASSERT_TRUE(agent);
  SetLastError(0);
  EXPECT_FALSE(DeleteService(agent.get()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
  SERVICE_STATUS status{};
  ASSERT_TRUE(ControlService(agent.get(), SERVICE_CONTROL_STOP, &status)) << GetLastError();
  EXPECT_TRUE(waitForState("MOXALAgent", 0));  // gone once stopped
}

}  // namespace
