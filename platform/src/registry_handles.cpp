// Registry key handles and the look-up of the key a handle stands for (see
// registry_handles.h).
#include "registry_handles.h"

#include "../winerror.h"
#include "host_error.h"
#include "registry_store.h"

namespace nt::registry {
namespace {

struct PredefinedKey {
  HKEY handle;
  const char* rootName;
};

const PredefinedKey* predefinedKey(HKEY key) {
  static const PredefinedKey keys[] = {{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
                                       {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
                                       {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
                                       {HKEY_USERS, "HKEY_USERS"}};
  for (const PredefinedKey& candidate : keys) {
    if (candidate.handle == key) return &candidate;
  }
  return nullptr;
}

}  // namespace

HKEY insertKeyHandle(KeyPath path) {
  return static_cast<HKEY>(insertHandle(std::make_shared<KeyObject>(std::move(path))));
}

bool isPredefinedKey(HKEY key) { return predefinedKey(key) != nullptr; }

bool keyPathOf(HKEY key, KeyPath& path) {
  if (const PredefinedKey* predefined = predefinedKey(key)) {
    RootKey root;
    findRootKey(predefined->rootName, root);
    path = root.storePath;
    return true;
  }
  auto object = lookupHandleAs<KeyObject>(key);
  if (!object) return false;
  path = object->path();
  return true;
}

KeyPath subkeyPath(LPCSTR subKey) { return splitKeyPath(subKey ? subKey : ""); }

LONG readKey(HKEY key, const std::function<LONG(const Key& key, const KeyPath& path)>& read) {
  PreserveErrno preserve;
  KeyPath path;
  if (!keyPathOf(key, path)) return ERROR_INVALID_HANDLE;
  Snapshot registry;
  if (const DWORD code = readRegistry(registry)) return static_cast<LONG>(code);
  const Key* found = findKey(*registry, path);
  if (!found) return ERROR_KEY_DELETED;
  return read(*found, path);
}

LONG changeKey(HKEY key, const std::function<LONG(KeyEdit& edit)>& change) {
  PreserveErrno preserve;
  KeyPath path;
  if (!keyPathOf(key, path)) return ERROR_INVALID_HANDLE;
  return static_cast<LONG>(updateRegistry([&](Key& top, bool& changed) -> DWORD {
    Key* found = findKey(top, path);
    if (!found) return ERROR_KEY_DELETED;
    KeyEdit edit{top, *found, path};
    const LONG code = change(edit);
    changed = edit.changed;
    return static_cast<DWORD>(code);
  }));
}

}  // namespace nt::registry
