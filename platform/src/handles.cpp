// The handle table (see handles.h) and CloseHandle.
#include "handles.h"

#include <mutex>
#include <vector>

#include "../winbase.h"
#include "../winerror.h"
#include "host_error.h"

namespace nt {
namespace {

// Handle values are 4, 8, 12, ... as on Windows; slot i holds handle 4 * (i + 1).
std::mutex tableLock;
std::vector<std::shared_ptr<KernelObject>>& table() {
  static auto* slots = new std::vector<std::shared_ptr<KernelObject>>();
  return *slots;
}

bool slotOf(HANDLE handle, size_t& slot) {
  const auto value = reinterpret_cast<uintptr_t>(handle);
  if (value == 0 || value % 4 != 0 || value > 0x7FFFFFFF) return false;
  slot = value / 4 - 1;
  return slot < table().size() && table()[slot];
}

}  // namespace

HANDLE insertHandle(std::shared_ptr<KernelObject> object) {
  std::lock_guard<std::mutex> guard(tableLock);
  auto& slots = table();
  size_t slot = 0;
  while (slot < slots.size() && slots[slot]) ++slot;
  if (slot == slots.size()) slots.emplace_back();
  slots[slot] = std::move(object);
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>((slot + 1) * 4));
}

std::shared_ptr<KernelObject> lookupHandle(HANDLE handle) {
  std::lock_guard<std::mutex> guard(tableLock);
  size_t slot;
  if (!slotOf(handle, slot)) return nullptr;
  return table()[slot];
}

std::shared_ptr<KernelObject> removeHandle(HANDLE handle) {
  std::lock_guard<std::mutex> guard(tableLock);
  size_t slot;
  if (!slotOf(handle, slot)) return nullptr;
  return std::move(table()[slot]);
}

}  // namespace nt

BOOL CloseHandle(HANDLE handle) {
  nt::PreserveErrno keepErrno;
  auto object = nt::lookupHandle(handle);
  if (!object || !object->closableByCloseHandle()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  nt::removeHandle(handle);
  return TRUE;
}
