// Reading values of the product's registry key.
#include "product_key.h"

#include <vector>

#include "platform/win32.h"

namespace {

// Closes the key on every path out.
struct OpenKey {
  HKEY key = nullptr;
  explicit OpenKey(const char* subKey) {
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, subKey, &key) != ERROR_SUCCESS) key = nullptr;
  }
  ~OpenKey() {
    if (key) RegCloseKey(key);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
};

}  // namespace

std::optional<std::string> readProductString(const char* valueName) {
  OpenKey product(kProductKey);
  if (!product.key) return std::nullopt;
  DWORD size = 0;
  if (RegQueryValueExA(product.key, valueName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<char> buffer(size + 10, '\0');
  DWORD bufferSize = static_cast<DWORD>(buffer.size());
  if (RegQueryValueExA(product.key, valueName, nullptr, nullptr,
                       reinterpret_cast<LPBYTE>(buffer.data()), &bufferSize) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(buffer.data());
}

int32_t readDiagLevel() {
  int32_t level = 0;
  OpenKey product(kProductKey);
  if (!product.key) return 0;
  DWORD size = sizeof level;
  RegQueryValueExA(product.key, "DiagLevel", nullptr, nullptr, reinterpret_cast<LPBYTE>(&level),
                   &size);
  return level;
}
