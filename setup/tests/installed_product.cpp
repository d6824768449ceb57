// The installed product's test fixture (see installed_product.h).
#include "installed_product.h"

#include <signal.h>

#include <chrono>
#include <cstring>
#include <set>
#include <thread>

#include "common/service_handle.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollInterval = std::chrono::milliseconds(50);

}  // namespace

void InstalledProductTest::SetUp() {
  SupervisorTest::SetUp();
  writeProperties(nttest::readFile(MOXAL_INSTALLED_PROPERTIES));
  ASSERT_TRUE(setupLibrary_) << GetLastError();
  constProp_ = setupLibrary_.bind<ConstPropFunction>("constProp");
  ASSERT_NE(constProp_, nullptr);
  manager_ = openManagerForServices();
  ASSERT_NE(manager_, nullptr) << GetLastError();
}

void InstalledProductTest::TearDown() {
  if (manager_) CloseServiceHandle(manager_);
  endJavaChildren();
  SupervisorTest::TearDown();
}

void InstalledProductTest::install(int serverMode, int databaseType, SetupDatabaseInfo* database) {
  ASSERT_EQ(constProp_(serverMode, kProductHome, kJavaProgram, 5561, 5562, 5563, 5564, "mgmt",
                       databaseType, database),
            0);
}

std::optional<ServiceConfig> InstalledProductTest::serviceConfig(const char* name) const {
  const ServiceHandle service(OpenServiceA(manager_, name, SERVICE_QUERY_CONFIG));
  if (!service) return std::nullopt;
  DWORD needed = 0;
  QueryServiceConfigA(service.get(), nullptr, 0, &needed);
  std::vector<char> buffer(needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  if (!QueryServiceConfigA(service.get(), config, needed, &needed)) return std::nullopt;
  ServiceConfig result;
  result.serviceType = config->dwServiceType;
  result.startType = config->dwStartType;
  result.errorControl = config->dwErrorControl;
  result.binaryPath = config->lpBinaryPathName;
  result.displayName = config->lpDisplayName;
  for (const char* d = config->lpDependencies; d && *d; d += std::strlen(d) + 1) {
    result.dependencies.push_back(d);
  }
  return result;
}

DWORD InstalledProductTest::serviceState(const char* name) const {
  const ServiceHandle service(OpenServiceA(manager_, name, SERVICE_QUERY_STATUS));
  SERVICE_STATUS status{};
  if (!service || !QueryServiceStatus(service.get(), &status)) return 0;
  return status.dwCurrentState;
}

bool InstalledProductTest::waitForState(const char* name, DWORD state, int seconds) const {
  const auto deadline = Clock::now() + std::chrono::seconds(seconds);
  while (Clock::now() < deadline) {
    if (serviceState(name) == state) return true;
    std::this_thread::sleep_for(kPollInterval);
  }
  return false;
}

void InstalledProductTest::startAndWait(const char* name) {
  {
    const ServiceHandle service(OpenServiceA(manager_, name, SERVICE_START));
    ASSERT_TRUE(service) << name << " " << GetLastError();
    ASSERT_TRUE(StartServiceA(service.get(), 0, nullptr)) << name << " " << GetLastError();
  }
  ASSERT_TRUE(waitForState(name, SERVICE_RUNNING)) << name;
}

std::vector<nttest::FakeJavaRecord> InstalledProductTest::waitForJavaRecords(size_t count) const {
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  std::vector<nttest::FakeJavaRecord> records = javaRecords();
  while (records.size() < count && Clock::now() < deadline) {
    std::this_thread::sleep_for(kPollInterval);
    records = javaRecords();
  }
  return records;
}

pid_t InstalledProductTest::supervisorProcess() const {
  std::set<std::string> parents;
  for (const auto& record : javaRecords()) parents.insert(record.facts.at("ppid"));
  return parents.size() == 1 ? std::stoi(*parents.begin()) : 0;
}
