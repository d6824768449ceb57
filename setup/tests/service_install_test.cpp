// The services that constProp installs: the agent alone or the agent and the server, with the
// configuration the supervisor needs, replaced on a second installation, and run by the
// supervisor as installed.
#include <gtest/gtest.h>

#include <set>

#include "common/service_handle.h"
#include "installed_product.h"

namespace {

const std::string kSupervisorPath = "C:\\prod\\bin\\moxalsvc.exe";

class ServiceInstallTest : public InstalledProductTest {
 protected:
  void expectService(const char* name, const char* displayName,
                     const std::vector<std::string>& dependencies) {
    const std::optional<ServiceConfig> config = serviceConfig(name);
    ASSERT_TRUE(config) << name;
    EXPECT_EQ(config->binaryPath, kSupervisorPath);
    EXPECT_EQ(config->displayName, displayName);
    EXPECT_EQ(config->serviceType, static_cast<DWORD>(SERVICE_WIN32_SHARE_PROCESS));
    EXPECT_EQ(config->startType, static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_EQ(config->errorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
    EXPECT_EQ(config->dependencies, dependencies) << name;
  }
};

TEST_F(ServiceInstallTest, ServerModeZeroCreatesTheAgentAlone) {
  testing::internal::CaptureStdout();
  install(/*serverMode=*/0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  expectService("MOXALAgent", "MOXALAgent 1.0", {"+Network"});
  EXPECT_FALSE(serviceConfig("MOXALServer"));
}

TEST_F(ServiceInstallTest, ServerModeOneAddsTheServerDependingOnTheAgent) {
  install(/*serverMode=*/1);
  expectService("MOXALAgent", "MOXALAgent 1.0", {"+Network"});
  expectService("MOXALServer", "MOXALServer 1.0", {"+Network", "MOXALAgent"});
}

TEST_F(ServiceInstallTest, SecondInstallationReplacesBothServices) {
  install(/*serverMode=*/1);
  for (const char* name : {"MOXALAgent", "MOXALServer"}) {
    const ServiceHandle service(OpenServiceA(manager(), name, SERVICE_ALL_ACCESS));
    ASSERT_TRUE(ChangeServiceConfigA(service.get(), SERVICE_NO_CHANGE, SERVICE_DISABLED,
                                     SERVICE_NO_CHANGE, "C:\\old\\moxalsvc.exe", nullptr, nullptr,
                                     "\0", nullptr, nullptr, (std::string(name) + " old").c_str()))
        << GetLastError();
  }
  testing::internal::CaptureStdout();
  install(/*serverMode=*/1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // no "could not install service"
  expectService("MOXALAgent", "MOXALAgent 1.0", {"+Network"});
  expectService("MOXALServer", "MOXALServer 1.0", {"+Network", "MOXALAgent"});
}

TEST_F(ServiceInstallTest, InstalledServicesRunInOneSupervisorProcess) {
  install(/*serverMode=*/1);
  startAndWait("MOXALServer");
  EXPECT_EQ(serviceState("MOXALAgent"), static_cast<DWORD>(SERVICE_RUNNING));
  // The rewritten file names the agent's class and the server's two, the JDK's home, and
  // the verbose switch: three Java children of one supervisor process.
  std::set<std::string> classes;
  for (const auto& record : waitForJavaRecords(3)) {
    ASSERT_EQ(record.argv.size(), 4u);
    EXPECT_EQ(record.argv[0], "C:\\jdk\\bin\\java.exe");
    EXPECT_EQ(record.argv[1], "-verbose");
    EXPECT_EQ(record.argv[2], "-DMOXAL_PROPERTIES=C:\\prod\\classes\\properties");
    classes.insert(record.argv[3]);
  }
  EXPECT_EQ(classes, (std::set<std::string>{"tarq.admin.arm.agents.AgentObjFactoryImpl",
                                            "tarq.admin.arm.agents.NetClassServerImpl",
                                            "tarq.admin.arm.rmi.ManagedObjFactoryImpl"}));
  EXPECT_NE(supervisorProcess(), 0);  // one parent for the three

  SERVICE_STATUS status{};
  for (const char* name : {"MOXALServer", "MOXALAgent"}) {
    const ServiceHandle service(OpenServiceA(manager(), name, SERVICE_STOP));
    ASSERT_TRUE(ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) << name;
    EXPECT_TRUE(waitForState(name, SERVICE_STOPPED)) << name;
  }
}

}  // namespace
