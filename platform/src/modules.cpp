// The module calls: LoadLibraryA, FreeLibrary, GetProcAddress, GetModuleHandleA,
// GetModuleFileNameA and GetModuleFileNameW, over the host's dynamic linker.
//
// LoadLibraryA counts references per module as Windows does: each load of a module adds
// one, each FreeLibrary takes one away, and the library is unloaded when none are left.
// Modules the program was linked with (and the program itself) were not loaded by
// LoadLibraryA and are never unloaded, as a Windows program's imports are not.
#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "../winbase.h"
#include "../winerror.h"
#include "host_error.h"
#include "modules.h"
#include "paths.h"

namespace {

using nt::fail;

struct LoadCount {
  void* handle;  // the one dlopen reference the table keeps for the module
  int references;
};

std::mutex loadLock;
std::map<HMODULE, LoadCount>& loadCounts() {
  static auto* counts = new std::map<HMODULE, LoadCount>();
  return *counts;
}

HMODULE moduleOfHandle(void* handle) {
  link_map* map = nullptr;
  if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map) return nullptr;
  Dl_info info;
  if (!::dladdr(map->l_ld, &info)) return nullptr;
  return static_cast<HMODULE>(info.dli_fbase);
}

// Records one more reference to the module that the dlopen handle holds.
HMODULE addLoadReference(void* handle) {
  const HMODULE module = moduleOfHandle(handle);
  if (!module) {
    ::dlclose(handle);
    return fail(ERROR_MOD_NOT_FOUND, HMODULE{nullptr});
  }
  std::lock_guard<std::mutex> guard(loadLock);
  auto [entry, inserted] = loadCounts().try_emplace(module, LoadCount{handle, 0});
  if (!inserted) ::dlclose(handle);
  ++entry->second.references;
  return module;
}

// A library dlopen finds by itself (its own search path), as a last resort for bare names.
void* openThroughHostSearch(const std::string& name) {
  std::vector<std::string> candidates{name};
  if (nt::endsWithNoCase(name, ".dll")) {
    const std::string stem = name.substr(0, name.size() - 4);
    candidates.push_back("lib" + stem + ".so");
    candidates.push_back(stem + ".so");
  }
  for (const std::string& candidate : candidates) {
    if (void* handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
  }
  return nullptr;
}

HMODULE addReferenceToLoaded(HMODULE module) {
  std::lock_guard<std::mutex> guard(loadLock);
  const auto entry = loadCounts().find(module);
  if (entry != loadCounts().end()) ++entry->second.references;
  return module;
}

// The module's file name in Windows form; the program's always ends in ".exe".
std::string moduleFileName(const nt::LoadedModule& module) {
  std::string name = nt::windowsPathFor(module.hostPath);
  if (module.isProgram && !nt::endsWithNoCase(name, ".exe")) name += ".exe";
  return name;
}

// Copies the name as Windows does: when it does not fit, the first size-1 characters and a
// NUL, a result of size and ERROR_INSUFFICIENT_BUFFER.
template <typename Char>
DWORD deliverFileName(const std::basic_string<Char>& name, Char* buffer, DWORD size) {
  if (size == 0) return fail(ERROR_INSUFFICIENT_BUFFER, DWORD{0});
  if (!buffer) return fail(ERROR_INVALID_PARAMETER, DWORD{0});
  const size_t copied = std::min<size_t>(name.size(), size - 1);
  name.copy(buffer, copied);
  buffer[copied] = Char{0};
  if (copied < name.size()) return fail(ERROR_INSUFFICIENT_BUFFER, size);
  return static_cast<DWORD>(copied);
}

bool moduleFileNameOf(HMODULE module, std::string& name) {
  nt::LoadedModule found;
  if (!nt::findModule(module, found)) return fail(ERROR_MOD_NOT_FOUND, false);
  name = moduleFileName(found);
  return true;
}

}  // namespace

HMODULE LoadLibraryA(LPCSTR fileName) {
  nt::PreserveErrno keepErrno;
  if (!fileName) return fail(ERROR_INVALID_PARAMETER, HMODULE{nullptr});
  const std::string name = nt::moduleNameWithExtension(fileName);
  const bool bare = !nt::hasPathSeparator(name);
  if (bare) {
    // Windows uses a module of that name that is already loaded, wherever it came from.
    if (const HMODULE loaded = nt::findLoadedModule(name)) return addReferenceToLoaded(loaded);
  }
  const std::string path = nt::findLibraryFile(name);
  void* handle = nullptr;
  if (!path.empty()) {
    handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  } else if (bare) {
    handle = openThroughHostSearch(name);
  }
  if (!handle) return fail(ERROR_MOD_NOT_FOUND, HMODULE{nullptr});
  return addLoadReference(handle);
}

BOOL FreeLibrary(HMODULE module) {
  nt::PreserveErrno keepErrno;
  void* unload = nullptr;
  {
    std::lock_guard<std::mutex> guard(loadLock);
    const auto entry = loadCounts().find(module);
    if (entry != loadCounts().end()) {
      if (--entry->second.references == 0) {
        unload = entry->second.handle;
        loadCounts().erase(entry);
      }
    } else {
      nt::LoadedModule found;
      if (!module || !nt::findModule(module, found)) return fail(ERROR_MOD_NOT_FOUND, FALSE);
    }
  }
  if (unload) ::dlclose(unload);
  return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  nt::PreserveErrno keepErrno;
  nt::LoadedModule found;
  if (!nt::findModule(module, found)) return fail(ERROR_INVALID_HANDLE, FARPROC{nullptr});
  // Exports by ordinal have no host counterpart: no symbol is found by number.
  if (IS_INTRESOURCE(procName)) return fail(ERROR_PROC_NOT_FOUND, FARPROC{nullptr});
  void* symbol = nt::moduleSymbol(found.module, procName);
  if (!symbol) return fail(ERROR_PROC_NOT_FOUND, FARPROC{nullptr});
  return reinterpret_cast<FARPROC>(symbol);
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  nt::PreserveErrno keepErrno;
  if (!moduleName) return nt::programModule();
  const HMODULE module = nt::findLoadedModule(nt::moduleNameWithExtension(moduleName));
  if (!module) return fail(ERROR_MOD_NOT_FOUND, HMODULE{nullptr});
  return module;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  nt::PreserveErrno keepErrno;
  std::string name;
  if (!moduleFileNameOf(module, name)) return 0;
  return deliverFileName(name, fileName, size);
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  nt::PreserveErrno keepErrno;
  std::string name;
  if (!moduleFileNameOf(module, name)) return 0;
  const int length = static_cast<int>(name.size());
  std::u16string wide(static_cast<size_t>(
                          MultiByteToWideChar(CP_UTF8, 0, name.data(), length, nullptr, 0)),
                      u'\0');
  MultiByteToWideChar(CP_UTF8, 0, name.data(), length, wide.data(),
                      static_cast<int>(wide.size()));
  return deliverFileName(wide, fileName, size);
}
