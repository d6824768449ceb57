// The loaded modules of the process (see modules.h): enumeration through the dynamic
// linker, module handles as image addresses, symbols a module itself defines, and look-up of
// loaded modules by name.
#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>

#include "modules.h"
#include "paths.h"

namespace nt {
namespace {

// The address of the image's first mapped page, which is where dladdr places the object too.
uintptr_t imageStart(const dl_phdr_info& info) {
  uintptr_t lowest = UINTPTR_MAX;
  for (int i = 0; i < info.dlpi_phnum; ++i) {
    const auto& header = info.dlpi_phdr[i];
    if (header.p_type == PT_LOAD && header.p_vaddr < lowest) lowest = header.p_vaddr;
  }
  const uintptr_t pageMask = ~static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE) - 1);
  return info.dlpi_addr + (lowest & pageMask);
}

int collectModule(dl_phdr_info* info, size_t /*size*/, void* context) {
  auto& modules = *static_cast<std::vector<LoadedModule>*>(context);
  LoadedModule module;
  module.module = reinterpret_cast<HMODULE>(imageStart(*info));
  module.isProgram = modules.empty();  // the dynamic linker reports the program first
  module.hostPath = module.isProgram ? programHostPath() : info->dlpi_name;
  modules.push_back(std::move(module));
  return 0;
}

// A dlopen handle for a loaded module, closed when it goes; it does not keep the module
// loaded past the caller's use.
using DlHandle = std::unique_ptr<void, int (*)(void*)>;

DlHandle handleFor(const LoadedModule& module) {
  void* handle = module.isProgram ? ::dlopen(nullptr, RTLD_LAZY)
                                  : ::dlopen(module.hostPath.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  return DlHandle(handle, ::dlclose);
}

bool sameModuleName(const std::string& hostName, const std::string& windowsName,
                    bool isProgram) {
  if (equalNoCase(hostName, windowsName)) return true;
  const std::string stem = windowsName.substr(0, windowsName.size() - 4);
  if (isProgram) return endsWithNoCase(windowsName, ".exe") && equalNoCase(hostName, stem);
  return endsWithNoCase(windowsName, ".dll") &&
         (equalNoCase(hostName, "lib" + stem + ".so") || equalNoCase(hostName, stem + ".so"));
}

std::string lastComponent(const std::string& path) {
  const size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace

std::string programHostPath() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  path[n] = '\0';
  return path;
}

std::string canonicalHostPath(const std::string& hostPath) {
  char resolved[PATH_MAX];
  return ::realpath(hostPath.c_str(), resolved) ? resolved : hostPath;
}

std::vector<LoadedModule> loadedModules() {
  std::vector<LoadedModule> modules;
  ::dl_iterate_phdr(collectModule, &modules);
  return modules;
}

HMODULE programModule() {
  const std::vector<LoadedModule> modules = loadedModules();
  return modules.empty() ? nullptr : modules.front().module;
}

bool findModule(HMODULE module, LoadedModule& found) {
  if (!module) module = programModule();
  Dl_info info;
  if (!::dladdr(module, &info) || info.dli_fbase != module) return false;
  for (LoadedModule& candidate : loadedModules()) {
    if (candidate.module == module) {
      found = std::move(candidate);
      return true;
    }
  }
  return false;
}

void* moduleSymbol(HMODULE module, const char* name) {
  LoadedModule found;
  if (!findModule(module, found)) return nullptr;
  const DlHandle handle = handleFor(found);
  if (!handle) return nullptr;
  void* symbol = ::dlsym(handle.get(), name);
  // dlsym also searches the libraries the module depends on; Windows finds only the
  // module's own exports.
  Dl_info info;
  if (!symbol || !::dladdr(symbol, &info) || info.dli_fbase != found.module) return nullptr;
  return symbol;
}

bool hasPathSeparator(const std::string& windowsName) {
  return windowsName.find_first_of("\\/") != std::string::npos;
}

std::string moduleNameWithExtension(const std::string& windowsName) {
  const std::string name = lastComponent(windowsName);
  if (!name.empty() && name.back() == '.') return windowsName.substr(0, windowsName.size() - 1);
  if (name.find('.') == std::string::npos) return windowsName + ".dll";
  return windowsName;
}

HMODULE findLoadedModule(const std::string& windowsName) {
  const std::vector<LoadedModule> modules = loadedModules();
  if (!hasPathSeparator(windowsName)) {
    for (const LoadedModule& module : modules) {
      if (sameModuleName(lastComponent(module.hostPath), windowsName, module.isProgram)) {
        return module.module;
      }
    }
    return nullptr;
  }
  const LastErrorKeeper keeper;
  HostPath path;
  if (!hostPathFor(windowsName.c_str(), PathUse::Existing, path)) return nullptr;
  const std::string wanted = canonicalHostPath(path.path);
  for (const LoadedModule& module : modules) {
    if (!module.hostPath.empty() && canonicalHostPath(module.hostPath) == wanted) return module.module;
  }
  return nullptr;
}

}  // namespace nt
