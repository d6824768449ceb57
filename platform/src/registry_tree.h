// The registry in memory: a tree of keys with their values, subkeys kept in the order they
// were created, key and value names compared without regard to case (the case first written
// is kept). Also the names of the root keys and the parsing of "ROOT\sub\key" names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "../wintypes.h"

namespace nt::registry {

struct Value {
  std::string name;  // "" is the key's default value
  DWORD type = 0;    // any type number; the data is kept as raw bytes
  std::vector<BYTE> data;
};

struct Key {
  std::string name;
  std::vector<Value> values;  // in the order they were first set
  std::vector<Key> subkeys;   // in the order they were created

  Key* subkey(const std::string& name);
  const Key* subkey(const std::string& name) const;
  Value* value(const std::string& name);
  const Value* value(const std::string& name) const;
  // Replaces the data of an existing value (keeping its place and name) or adds a new one.
  void setValue(const std::string& name, DWORD type, std::vector<BYTE> data);
  bool removeValue(const std::string& name);
  bool removeSubkey(const std::string& name);
};

// A key's place from the top of the tree: the hive first ("HKEY_LOCAL_MACHINE"), then the
// names below it.
using KeyPath = std::vector<std::string>;

// The top of a registry with nothing in it: the hives HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER
// and HKEY_USERS, and the keys a Windows machine always has and HKEY_CLASSES_ROOT stands on,
// HKEY_LOCAL_MACHINE\SOFTWARE and its subkey Classes.
Key emptyRegistry();
// True for the keys of an empty registry, which are never deleted.
bool isProtectedKey(const KeyPath& path);

// The key at the path below from; null when any name on the way is missing.
const Key* findKey(const Key& from, const KeyPath& path);
Key* findKey(Key& from, const KeyPath& path);
// The key at the path below from, creating missing keys on the way; created tells whether
// the key itself is new.
Key& createKey(Key& from, const KeyPath& path, bool& created);
// Removes the key at the path with its whole subtree; false when it does not exist.
bool removeKeyTree(Key& top, const KeyPath& path);

// The names of a "\"-separated subkey path; empty names (a leading, doubled or trailing "\")
// are skipped, as Windows tolerates them.
KeyPath splitKeyPath(std::string_view text);
// False for a name the store cannot hold: one with a line break in it.
bool isStorableName(std::string_view name);

// A root key named in full or abbreviated (HKEY_LOCAL_MACHINE or HKLM, HKEY_CURRENT_USER or
// HKCU, HKEY_USERS or HKU, HKEY_CLASSES_ROOT or HKCR), without regard to case.
struct RootKey {
  std::string fullName;  // "HKEY_CLASSES_ROOT"
  KeyPath storePath;     // where it lives: HKCR is HKEY_LOCAL_MACHINE\SOFTWARE\Classes
};
bool findRootKey(std::string_view name, RootKey& root);
// The store path of a full key name "ROOT\sub\key"; false when the root is unknown. The
// name with its root written in full ("HKEY_LOCAL_MACHINE\sub\key") goes to fullName.
bool parseKeyName(std::string_view name, KeyPath& path, std::string* fullName = nullptr);

}  // namespace nt::registry
