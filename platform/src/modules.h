// The modules loaded in the process as the module and resource calls see them.
//
// An HMODULE is the address at which the module's image begins in memory (its ELF header),
// as on Windows an HMODULE is the address of the module's image: GetModuleHandleA(NULL)
// gives the program's, LoadLibraryA a library's. A value is a module handle exactly when a
// loaded object begins there, so stale or foreign values are refused without a table of
// their own; LoadLibraryA's reference counts are kept beside (modules.cpp).
#pragma once

#include <string>
#include <vector>

#include "../winbase.h"

namespace nt {

// Keeps the caller's last error across look-ups that set it on the way, so that a call that
// succeeds leaves it as it was.
class LastErrorKeeper {
 public:
  LastErrorKeeper() : saved_(GetLastError()) {}
  ~LastErrorKeeper() { SetLastError(saved_); }
  LastErrorKeeper(const LastErrorKeeper&) = delete;
  LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;

 private:
  DWORD saved_;
};

// The running program's host file (from /proc/self/exe); empty when the host hides it.
std::string programHostPath();

// The absolute host path with links resolved, or the path as given when it does not exist.
std::string canonicalHostPath(const std::string& hostPath);

struct LoadedModule {
  HMODULE module = nullptr;
  std::string hostPath;  // the file it was loaded from; the program's from /proc/self/exe
  bool isProgram = false;
};

// Every object loaded in the process, the program first.
std::vector<LoadedModule> loadedModules();

HMODULE programModule();

// The loaded module that begins at the value (NULL stands for the program); false when none
// does.
bool findModule(HMODULE module, LoadedModule& found);

// The address of a symbol defined by the module itself (not by a library it depends on), or
// null when it defines none of that name.
void* moduleSymbol(HMODULE module, const char* name);

// The loaded module a name given to GetModuleHandleA names: a path, or a bare name compared
// without case ("X.dll" also matching libX.so and X.so, "X.exe" the program X). Null when no
// loaded module has it. The name has its default extension already (moduleNameWithExtension).
HMODULE findLoadedModule(const std::string& windowsName);

// The name with ".dll" appended when its last component has no extension, and a trailing
// "." (meaning "no extension") removed, as LoadLibraryA and GetModuleHandleA take names.
std::string moduleNameWithExtension(const std::string& windowsName);

// True when the name has a path separator (it names a file, not a module to search for).
bool hasPathSeparator(const std::string& windowsName);

// The host file LoadLibraryA loads for a name (see modules_search.cpp for the search
// order), absolute; empty when no directory holds it. Leaves the last error alone.
std::string findLibraryFile(const std::string& windowsName);

}  // namespace nt
