// The process's handle table: every Win32 handle the layer gives out (files, finds,
// processes, event sources, registry keys) is a small number that indexes a kernel object
// here, as on Windows, so that stale or foreign handles are refused with
// ERROR_INVALID_HANDLE instead of being dereferenced.
#pragma once

#include <memory>

#include "../wintypes.h"

namespace nt {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
  // False for objects that have their own close call (registry keys, finds, event sources).
  virtual bool closableByCloseHandle() const { return true; }
};

HANDLE insertHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> lookupHandle(HANDLE handle);
// Removes the entry; the object lives on while other holders keep it.
std::shared_ptr<KernelObject> removeHandle(HANDLE handle);

template <typename T>
std::shared_ptr<T> lookupHandleAs(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(lookupHandle(handle));
}

// Removes and returns the object when the handle holds one of type T.
template <typename T>
std::shared_ptr<T> removeHandleAs(HANDLE handle) {
  if (!lookupHandleAs<T>(handle)) return nullptr;
  return std::dynamic_pointer_cast<T>(removeHandle(handle));
}

}  // namespace nt
