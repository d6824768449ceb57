// The Win32 process environment (GetEnvironmentVariableA, SetEnvironmentVariableA) and the
// C runtime's getenv, which keeps reading the environment as the program received it.
//
// The two are kept apart on purpose: the layer never changes the host's environ, so getenv
// sees the inherited values, while the Win32 block starts as a copy of them and is what
// children receive.
//
// A PATH received from a host parent is a ':'-separated list of host directories; both views
// show it as a Windows program sees its PATH: ';'-separated, in Windows form.
#include "environment.h"

#include <strings.h>

#include <cstring>
#include <map>
#include <mutex>

#include "host_error.h"
#include "paths.h"
#include "text_split.h"

#include "../crt.h"
#include "../winbase.h"
#include "../winerror.h"
#include "host_error.h"

extern char** environ;

namespace nt {
namespace {

// True for a host list such as "/usr/bin:/bin": no ';', no '\\', every entry absolute.
bool isHostPathList(const std::string& value) {
  if (value.empty() || value.find_first_of(";\\") != std::string::npos) return false;
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(':', start);
    if (end == std::string::npos) end = value.size();
    if (end > start && value[start] != '/') return false;
    start = end + 1;
  }
  return true;
}

std::string windowsPathList(const std::string& hostList) {
  std::string list;
  for (const std::string& directory : splitNonEmpty(hostList, ':')) {
    if (!list.empty()) list += ';';
    list += windowsPathFor(directory);
  }
  return list;
}

// The value as a Windows program receives it.
std::string receivedValue(const std::string& name, const std::string& value) {
  if (::strcasecmp(name.c_str(), "PATH") == 0 && isHostPathList(value)) return windowsPathList(value);
  return value;
}

struct Variable {
  std::string name;
  std::string value;
};

std::mutex blockLock;

std::vector<Variable>& block() {
  static auto* variables = [] {
    PreserveErrno keepErrno;
    auto* copy = new std::vector<Variable>();
    for (char** entry = environ; entry && *entry; ++entry) {
      const char* equals = std::strchr(*entry, '=');
      if (!equals || equals == *entry) continue;
      std::string name(*entry, static_cast<size_t>(equals - *entry));
      std::string value = receivedValue(name, equals + 1);
      copy->push_back({std::move(name), std::move(value)});
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

namespace {

char* hostValue(const char* name) {
  if (char* exact = ::getenv(name)) return exact;
  const size_t length = std::strlen(name);
  for (char** entry = environ; entry && *entry; ++entry) {
    if (::strncasecmp(*entry, name, length) == 0 && (*entry)[length] == '=') {
      return *entry + length + 1;
    }
  }
  return nullptr;
}

// Converted values, kept for the life of the process as getenv's results are.
std::mutex convertedLock;
std::map<std::string, std::string> converted;

}  // namespace

namespace crt {

char* getenv(const char* name) {
  if (!name || !*name) return nullptr;
  char* value = hostValue(name);
  if (!value || ::strcasecmp(name, "PATH") != 0 || !nt::isHostPathList(value)) return value;
  nt::PreserveErrno keepErrno;  // getenv never changes errno
  std::lock_guard<std::mutex> guard(convertedLock);
  auto found = converted.find(value);
  if (found == converted.end()) found = converted.emplace(value, nt::windowsPathList(value)).first;
  return found->second.data();
}

}  // namespace crt
