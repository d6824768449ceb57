// Tests of the setup and uninstall libraries against a real service control manager: the
// product at C:\prod and a JDK at C:\jdk whose java.exe is the fake Java program (see
// SupervisorTest), the manager started with the environment the services are to run with, the
// setup library loaded by name as the installer loads it, and the manager's view of the
// services.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "common/loaded_module.h"
#include "platform/tests/fixtures/scoped_host_variable.h"
#include "setup/moxal_setup.h"
#include "supervisor/tests/supervisor_fixture.h"

// A service's configuration as QueryServiceConfigA gives it.
struct ServiceConfig {
  DWORD serviceType = 0;
  DWORD startType = 0;
  DWORD errorControl = 0;
  std::string binaryPath;
  std::string displayName;
  std::vector<std::string> dependencies;
};

// The Windows form of the installation directory and of the fake Java program.
inline constexpr char kProductHome[] = "C:\\prod";
inline constexpr char kJavaProgram[] = "C:\\jdk\\bin\\java.exe";

class InstalledProductTest : public SupervisorTest {
 protected:
  // Also lays down the property file that the product installs.
  void SetUp() override;
  // Ends the fake Java processes that the services started.
  void TearDown() override;

  // constProp of the loaded library for C:\prod, the JDK at C:\jdk, ports 5561 to 5564 and
  // the server host "mgmt", with the database type and settings given.
  void install(int serverMode, int databaseType = kDatabaseNone,
               SetupDatabaseInfo* database = nullptr);

  SC_HANDLE manager() const { return manager_; }
  // None when the service does not exist.
  std::optional<ServiceConfig> serviceConfig(const char* name) const;
  // The service's current state; 0 when it does not exist.
  DWORD serviceState(const char* name) const;
  bool waitForState(const char* name, DWORD state, int seconds = 30) const;
  // Starts the service and waits until it runs.
  void startAndWait(const char* name);
  // The fake Java program's records once there are as many as expected (or after a time-out).
  std::vector<nttest::FakeJavaRecord> waitForJavaRecords(size_t count) const;
  // The one supervisor process that runs the fake Java children; 0 when there is not just one.
  pid_t supervisorProcess() const;

  LoadedModule setupLibrary_{"moxal_setup.dll"};
  ConstPropFunction constProp_ = nullptr;

 private:
  // constProp reads TEMP and PATH from the environment the process received.
  nttest::ScopedHostVariable temp_{"TEMP", "C:\\temp"};
  nttest::ScopedHostVariable path_{"PATH", "C:\\sys"};
  SC_HANDLE manager_ = nullptr;
};
