// UninstInitialize and UninstUnInitialize: the services go only when the product's registry
// key still records where it was installed.
#include "common/service_handle.h"
#include "common/stop_and_wait.h"
#include "moxal_uninst.h"

namespace {

constexpr char kProductKey[] = "Software\\TARQ\\MOXAL\\1.0";
constexpr DWORD kDestDirSize = 511;
// The agent first: the server depends on it, so a running agent is only deleted after its
// stop is refused and polled, and the server is stopped and deleted next.
constexpr const char* kServiceNames[] = {"MOXALAgent", "MOXALServer"};

// A registry key closed when the holder goes.
class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() {
    if (key_) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  PHKEY out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Only the value's presence matters, not what it says.
bool destDirRecorded(HKEY productKey) {
  char destDir[kDestDirSize];
  DWORD size = sizeof destDir;
  return RegQueryValueExA(productKey, "DestDir", nullptr, nullptr,
                          reinterpret_cast<LPBYTE>(destDir), &size) == ERROR_SUCCESS;
}

void removeServices() {
  const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return;
  for (const char* name : kServiceNames) stopAndDeleteService(manager.get(), name);
}

}  // namespace

LONG WINAPI UninstInitialize(HWND /*window*/, HINSTANCE /*instance*/, LONG /*reserved*/) {
  RegistryKey productKey;
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kProductKey, productKey.out()) != ERROR_SUCCESS) return 0;
  if (destDirRecorded(productKey.get())) removeServices();
  return 0;
}

LONG WINAPI UninstUnInitialize(HWND /*window*/, HINSTANCE /*instance*/, LONG /*reserved*/) {
  return 0;
}
