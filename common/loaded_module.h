// A library loaded by name as a Windows caller loads a DLL, freed when the holder goes, with its
// exports bound by name.
#pragma once

#include <utility>

#include "platform/win32.h"

class LoadedModule {
 public:
  explicit LoadedModule(const char* name) : module_(LoadLibraryA(name)) {}
  ~LoadedModule() {
    if (module_) FreeLibrary(module_);
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  HMODULE get() const { return module_; }
  explicit operator bool() const { return module_ != nullptr; }

  // The export of that name as a function of type F (the library's header names the type);
  // none when the module does not export it. GetProcAddress gives every export as a FARPROC;
  // the cast passes through the generic function type, the one a cast may pass through
  // without claiming the types match.
  template <typename F>
  F bind(const char* name) const {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};
