// The Win32 process environment (GetEnvironmentVariableA, SetEnvironmentVariableA) and the
// C runtime's getenv, which keeps reading the environment as the program received it.
//
// The two are kept apart on purpose: the layer never changes the host's environ, so getenv
// sees the inherited values, while the Win32 block starts as a copy of them and is what
// children receive.
#include "environment.h"

#include <strings.h>

#include <cstring>
#include <mutex>

#include "../crt.h"
#include "../winbase.h"
#include "../winerror.h"
#include "host_error.h"

extern char** environ;

namespace nt {
namespace {

struct Variable {
  std::string name;
  std::string value;
};

std::mutex blockLock;

std::vector<Variable>& block() {
  static auto* variables = [] {
    auto* copy = new std::vector<Variable>();
    for (char** entry = environ; entry && *entry; ++entry) {
      const char* equals = std::strchr(*entry, '=');
      if (!equals || equals == *entry) continue;
      copy->push_back({std::string(*entry, static_cast<size_t>(equals - *entry)), std::string(equals + 1)});
    }
    return copy;
  }();
  return *variables;
}

Variable* findVariable(const char* name) {
  for (Variable& variable : block()) {
    if (::strcasecmp(variable.name.c_str(), name) == 0) return &variable;
  }
  return nullptr;
}

}  // namespace

std::vector<std::string> environmentBlock() {
  std::lock_guard<std::mutex> guard(blockLock);
  std::vector<std::string> strings;
  strings.reserve(block().size());
  for (const Variable& variable : block()) strings.push_back(variable.name + "=" + variable.value);
  return strings;
}

}  // namespace nt

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  if (!name) return nt::fail(ERROR_INVALID_PARAMETER, DWORD{0});
  std::lock_guard<std::mutex> guard(nt::blockLock);
  const nt::Variable* variable = nt::findVariable(name);
  if (!variable) return nt::fail(ERROR_ENVVAR_NOT_FOUND, DWORD{0});
  const std::string& value = variable->value;
  if (!buffer || size <= value.size()) return static_cast<DWORD>(value.size() + 1);
  std::memcpy(buffer, value.c_str(), value.size() + 1);
  return static_cast<DWORD>(value.size());
}

BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value) {
  if (!name || !*name || std::strchr(name + 1, '=')) return nt::fail(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::mutex> guard(nt::blockLock);
  auto& variables = nt::block();
  nt::Variable* variable = nt::findVariable(name);
  if (!value) {
    if (variable) variables.erase(variables.begin() + (variable - variables.data()));
    return TRUE;
  }
  if (variable) {
    variable->value = value;
  } else {
    variables.push_back({name, value});
  }
  return TRUE;
}

namespace crt {

char* getenv(const char* name) {
  if (!name || !*name) return nullptr;
  if (char* exact = ::getenv(name)) return exact;
  const size_t length = std::strlen(name);
  for (char** entry = environ; entry && *entry; ++entry) {
    if (::strncasecmp(*entry, name, length) == 0 && (*entry)[length] == '=') {
      return *entry + length + 1;
    }
  }
  return nullptr;
}

}  // namespace crt
