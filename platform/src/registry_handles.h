// Registry key handles: the predefined root keys and the keys opened from them. A handle
// holds the key's path, not a copy of the key, so every call reads the store as it is now.
#pragma once

#include <functional>

#include "../winreg.h"
#include "handles.h"
#include "registry_tree.h"

namespace nt::registry {

// The kernel object behind an open key's handle; closed by RegCloseKey only.
class KeyObject : public KernelObject {
 public:
  explicit KeyObject(KeyPath path) : path_(std::move(path)) {}
  const KeyPath& path() const { return path_; }
  bool closableByCloseHandle() const override { return false; }

 private:
  KeyPath path_;
};

HKEY insertKeyHandle(KeyPath path);

// The store path of a predefined root key or of an open key's handle; false for anything else.
bool keyPathOf(HKEY key, KeyPath& path);
bool isPredefinedKey(HKEY key);

// The subkey path a caller passed: NULL is the key itself.
KeyPath subkeyPath(LPCSTR subKey);

// Runs read on the key the handle stands for, as the store holds it now, leaving errno as it
// was. Returns
// ERROR_INVALID_HANDLE for a bad handle, ERROR_KEY_DELETED when the key is gone, a store
// failure, or what read returns.
LONG readKey(HKEY key, const std::function<LONG(const Key& key, const KeyPath& path)>& read);

// What a change sees: the key the handle stands for, its path and the whole registry, in a
// copy that is written back when the change sets changed.
struct KeyEdit {
  Key& top;
  Key& key;
  const KeyPath& path;
  bool changed = false;
};

// Runs change on the key under the store's lock (see updateRegistry). Failures as for readKey.
LONG changeKey(HKEY key, const std::function<LONG(KeyEdit& edit)>& change);

}  // namespace nt::registry
