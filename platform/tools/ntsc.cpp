// ntsc: creates, configures, starts, stops, queries and deletes the services of the machine
// root, with the command syntax and the output of the Windows sc command. A refused request
// prints the Win32 code and its text, and the code is the exit status (its low 8 bits on
// this host; 1 when those are 0).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ntsc_messages.h"
#include "ntsc_output.h"
#include "platform/win32.h"

namespace {

const char kUsage[] =
    "Usage: ntsc <command> [service name] [options]\n"
    "Manages the services of the machine root ($NT_ROOT) as the Windows sc command does.\n"
    "  create NAME binPath= PATH [type= own|share] [start= demand|auto|disabled]\n"
    "              [error= normal|severe|critical|ignore] [depend= A/B/+Group]\n"
    "              [group= GROUP] [obj= ACCOUNT] [DisplayName= TEXT]\n"
    "  config NAME [the options of create]\n"
    "  qc NAME              shows the configuration\n"
    "  start NAME [args]    starts the service with the arguments\n"
    "  stop NAME            sends the stop control\n"
    "  query [NAME]         shows the status of the service, or of every service\n"
    "  delete NAME          deletes the service (once it has stopped)\n"
    "  --help               this text\n"
    "An option is one word ending in '=' and its value as the next word.\n";

constexpr int kUsageStatus = 1;

struct ConfigOptions {
  DWORD type = SERVICE_NO_CHANGE;
  DWORD startType = SERVICE_NO_CHANGE;
  DWORD errorControl = SERVICE_NO_CHANGE;
  std::optional<std::string> binaryPath;
  std::optional<std::string> group;
  std::optional<std::string> account;
  std::optional<std::string> password;
  std::optional<std::string> displayName;
  std::optional<std::string> dependencies;  // NUL-separated, ended by a further NUL
  const char* text(const std::optional<std::string>& value) const {
    return value ? value->c_str() : nullptr;
  }
};

struct Keyword {
  const char* word;
  DWORD value;
};

constexpr Keyword kTypes[] = {{"own", SERVICE_WIN32_OWN_PROCESS},
                              {"share", SERVICE_WIN32_SHARE_PROCESS},
                              {"kernel", SERVICE_KERNEL_DRIVER},
                              {"filesys", SERVICE_FILE_SYSTEM_DRIVER}};
constexpr Keyword kStartTypes[] = {{"boot", SERVICE_BOOT_START},
                                   {"system", SERVICE_SYSTEM_START},
                                   {"auto", SERVICE_AUTO_START},
                                   {"demand", SERVICE_DEMAND_START},
                                   {"disabled", SERVICE_DISABLED}};
constexpr Keyword kErrorControls[] = {{"normal", SERVICE_ERROR_NORMAL},
                                      {"severe", SERVICE_ERROR_SEVERE},
                                      {"critical", SERVICE_ERROR_CRITICAL},
                                      {"ignore", SERVICE_ERROR_IGNORE}};

template <size_t N>
bool keywordValue(const Keyword (&keywords)[N], const std::string& word, DWORD& value) {
  for (const Keyword& keyword : keywords) {
    if (_stricmp(keyword.word, word.c_str()) == 0) {
      value = keyword.value;
      return true;
    }
  }
  return false;
}

// "A/B" into "A\0B\0\0"; an empty value into an empty list.
std::string dependencyList(const std::string& value) {
  std::string list;
  size_t start = 0;
  while (start < value.size()) {
    size_t end = value.find('/', start);
    if (end == std::string::npos) end = value.size();
    if (end > start) list += value.substr(start, end - start) + '\0';
    start = end + 1;
  }
  return list + '\0';
}

bool applyOption(const std::string& key, const std::string& value, ConfigOptions& options) {
  auto is = [&](const char* name) { return _stricmp(key.c_str(), name) == 0; };
  if (is("type")) {
    // type= interact goes with type= own or share, as in sc.
    if (_stricmp(value.c_str(), "interact") == 0) {
      options.type =
          (options.type == SERVICE_NO_CHANGE ? SERVICE_WIN32_OWN_PROCESS : options.type) |
          SERVICE_INTERACTIVE_PROCESS;
      return true;
    }
    DWORD type = 0;
    if (!keywordValue(kTypes, value, type)) return false;
    const DWORD interactive =
        options.type == SERVICE_NO_CHANGE ? 0 : options.type & SERVICE_INTERACTIVE_PROCESS;
    options.type = type | interactive;
    return true;
  }
  if (is("start")) return keywordValue(kStartTypes, value, options.startType);
  if (is("error")) return keywordValue(kErrorControls, value, options.errorControl);
  if (is("binPath"))
    options.binaryPath = value;
  else if (is("group"))
    options.group = value;
  else if (is("obj"))
    options.account = value;
  else if (is("password"))
    options.password = value;
  else if (is("DisplayName"))
    options.displayName = value;
  else if (is("depend"))
    options.dependencies = dependencyList(value);
  else
    return false;
  return true;
}

// Reads "key= value" pairs (or "key=value" words) from the arguments.
bool parseOptions(const std::vector<std::string>& words, ConfigOptions& options) {
  for (size_t i = 0; i < words.size(); ++i) {
    const size_t equals = words[i].find('=');
    if (equals == std::string::npos || equals == 0) return false;
    const std::string key = words[i].substr(0, equals);
    std::string value = words[i].substr(equals + 1);
    if (value.empty()) {
      if (i + 1 == words.size()) return false;
      value = words[++i];
    }
    if (!applyOption(key, value, options)) return false;
  }
  return true;
}

int exitStatusFor(DWORD code) {
  const int status = static_cast<int>(code & 0xFF);
  return status ? status : 1;
}

int failed(const char* call, DWORD code) {
  std::printf("[SC] %s FAILED %u:\n\n%s\n\n", call, code, ntsc::errorText(code));
  return exitStatusFor(code);
}

// The manager and the service, closed when it goes.
class ServiceHandles {
 public:
  ~ServiceHandles() {
    if (service) CloseServiceHandle(service);
    if (manager) CloseServiceHandle(manager);
  }
  // The failure's exit status, or 0 once the service is open.
  int open(const std::string& name, const char* openCall) {
    manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return failed("OpenSCManager", GetLastError());
    service = OpenServiceA(manager, name.c_str(), SERVICE_ALL_ACCESS);
    if (!service) return failed(openCall, GetLastError());
    return 0;
  }
  SC_HANDLE manager = nullptr;
  SC_HANDLE service = nullptr;
};

// The status block that sc prints after start and for query.
int showStatus(SC_HANDLE service, const std::string& name) {
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service, &status)) return failed("QueryServiceStatus", GetLastError());
  ntsc::printStatus(name, nullptr, status);
  return 0;
}

int create(const std::string& name, const ConfigOptions& options) {
  if (!options.binaryPath) {
    std::fputs(kUsage, stderr);
    return kUsageStatus;
  }
  ServiceHandles handles;
  handles.manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
  if (!handles.manager) return failed("OpenSCManager", GetLastError());
  auto either = [](DWORD value, DWORD fallback) {
    return value == SERVICE_NO_CHANGE ? fallback : value;
  };
  handles.service = CreateServiceA(
      handles.manager, name.c_str(), options.text(options.displayName), SERVICE_ALL_ACCESS,
      either(options.type, SERVICE_WIN32_OWN_PROCESS),
      either(options.startType, SERVICE_DEMAND_START),
      either(options.errorControl, SERVICE_ERROR_NORMAL), options.binaryPath->c_str(),
      options.text(options.group), nullptr, options.text(options.dependencies),
      options.text(options.account), options.text(options.password));
  if (!handles.service) return failed("CreateService", GetLastError());
  std::printf("[SC] CreateService SUCCESS\n");
  return 0;
}

int config(const std::string& name, const ConfigOptions& options) {
  ServiceHandles handles;
  if (int status = handles.open(name, "OpenService")) return status;
  if (!ChangeServiceConfigA(handles.service, options.type, options.startType, options.errorControl,
                            options.text(options.binaryPath), options.text(options.group), nullptr,
                            options.text(options.dependencies), options.text(options.account),
                            options.text(options.password), options.text(options.displayName))) {
    return failed("ChangeServiceConfig", GetLastError());
  }
  std::printf("[SC] ChangeServiceConfig SUCCESS\n");
  return 0;
}

int queryConfig(const std::string& name) {
  ServiceHandles handles;
  if (int status = handles.open(name, "OpenService")) return status;
  DWORD needed = 0;
  QueryServiceConfigA(handles.service, nullptr, 0, &needed);
  std::vector<QUERY_SERVICE_CONFIGA> buffer(needed / sizeof(QUERY_SERVICE_CONFIGA) + 1);
  const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(QUERY_SERVICE_CONFIGA));
  if (!QueryServiceConfigA(handles.service, buffer.data(), size, &needed)) {
    return failed("QueryServiceConfig", GetLastError());
  }
  ntsc::printConfig(name, buffer[0]);
  return 0;
}

int start(const std::string& name, const std::vector<std::string>& words) {
  ServiceHandles handles;
  if (int status = handles.open(name, "StartService: OpenService")) return status;
  std::vector<LPCSTR> arguments;
  for (const std::string& word : words) arguments.push_back(word.c_str());
  if (!StartServiceA(handles.service, static_cast<DWORD>(arguments.size()), arguments.data())) {
    return failed("StartService", GetLastError());
  }
  return showStatus(handles.service, name);
}

int stop(const std::string& name) {
  ServiceHandles handles;
  if (int status = handles.open(name, "OpenService")) return status;
  SERVICE_STATUS status{};
  if (!ControlService(handles.service, SERVICE_CONTROL_STOP, &status)) {
    return failed("ControlService", GetLastError());
  }
  ntsc::printStatus(name, nullptr, status);
  return 0;
}

int queryOne(const std::string& name) {
  ServiceHandles handles;
  if (int status = handles.open(name, "EnumQueryServicesStatus:OpenService")) return status;
  return showStatus(handles.service, name);
}

int queryAll() {
  ServiceHandles handles;
  handles.manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE);
  if (!handles.manager) return failed("OpenSCManager", GetLastError());
  DWORD needed = 0, returned = 0, resume = 0;
  EnumServicesStatusA(handles.manager, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed,
                      &returned, &resume);
  std::vector<ENUM_SERVICE_STATUSA> buffer(needed / sizeof(ENUM_SERVICE_STATUSA) + 1);
  resume = 0;
  if (!EnumServicesStatusA(handles.manager, SERVICE_WIN32, SERVICE_STATE_ALL, buffer.data(),
                           static_cast<DWORD>(buffer.size() * sizeof(ENUM_SERVICE_STATUSA)),
                           &needed, &returned, &resume)) {
    return failed("EnumServicesStatus", GetLastError());
  }
  for (DWORD i = 0; i < returned; ++i) {
    ntsc::printStatus(buffer[i].lpServiceName, buffer[i].lpDisplayName, buffer[i].ServiceStatus);
  }
  return 0;
}

int remove(const std::string& name) {
  ServiceHandles handles;
  if (int status = handles.open(name, "OpenService")) return status;
  if (!DeleteService(handles.service)) return failed("DeleteService", GetLastError());
  std::printf("[SC] DeleteService SUCCESS\n");
  return 0;
}

int run(const std::string& command, const std::string& name, const std::vector<std::string>& rest) {
  if (command == "query") return name.empty() ? queryAll() : queryOne(name);
  if (name.empty()) return -1;
  if (command == "start") return start(name, rest);
  if (command == "stop") return rest.empty() ? stop(name) : -1;
  if (command == "qc") return rest.empty() ? queryConfig(name) : -1;
  if (command == "delete") return rest.empty() ? remove(name) : -1;
  ConfigOptions options;
  if ((command != "create" && command != "config") || !parseOptions(rest, options)) return -1;
  return command == "create" ? create(name, options) : config(name, options);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const std::string command = argc > 1 ? argv[1] : "";
  const std::string name = argc > 2 ? argv[2] : "";
  const std::vector<std::string> rest(argv + std::min(argc, 3), argv + argc);
  const int status = run(command, name, rest);
  if (status >= 0) return status;
  std::fputs(kUsage, stderr);
  return kUsageStatus;
}
