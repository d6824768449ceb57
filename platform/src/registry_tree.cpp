// The registry tree in memory and the names of its root keys (see registry_tree.h).
#include "registry_tree.h"

#include "text_split.h"

#include <algorithm>

#include "paths.h"

namespace nt::registry {
namespace {

const char* const kHives[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS"};

// HKEY_LOCAL_MACHINE\SOFTWARE\Classes, which HKEY_CLASSES_ROOT shows.
const KeyPath& classesPath() {
  static const KeyPath path{"HKEY_LOCAL_MACHINE", "SOFTWARE", "Classes"};
  return path;
}

struct RootName {
  const char* fullName;
  const char* abbreviation;
};
const RootName kRootNames[] = {{"HKEY_LOCAL_MACHINE", "HKLM"},
                               {"HKEY_CURRENT_USER", "HKCU"},
                               {"HKEY_USERS", "HKU"},
                               {"HKEY_CLASSES_ROOT", "HKCR"}};

bool samePath(const KeyPath& a, const KeyPath& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), equalNoCase);
}

template <typename T>
auto findByName(std::vector<T>& items, const std::string& name) {
  return std::find_if(items.begin(), items.end(),
                      [&](const T& item) { return equalNoCase(item.name, name); });
}

}  // namespace

Key* Key::subkey(const std::string& name) {
  auto found = findByName(subkeys, name);
  return found == subkeys.end() ? nullptr : &*found;
}

const Key* Key::subkey(const std::string& name) const {
  return const_cast<Key*>(this)->subkey(name);
}

Value* Key::value(const std::string& name) {
  auto found = findByName(values, name);
  return found == values.end() ? nullptr : &*found;
}

const Value* Key::value(const std::string& name) const {
  return const_cast<Key*>(this)->value(name);
}

void Key::setValue(const std::string& name, DWORD type, std::vector<BYTE> data) {
  if (Value* existing = value(name)) {
    existing->type = type;
    existing->data = std::move(data);
    return;
  }
  values.push_back(Value{name, type, std::move(data)});
}

bool Key::removeValue(const std::string& name) {
  auto found = findByName(values, name);
  if (found == values.end()) return false;
  values.erase(found);
  return true;
}

bool Key::removeSubkey(const std::string& name) {
  auto found = findByName(subkeys, name);
  if (found == subkeys.end()) return false;
  subkeys.erase(found);
  return true;
}

Key emptyRegistry() {
  Key top;
  for (const char* hive : kHives) top.subkeys.push_back(Key{hive, {}, {}});
  bool created = false;
  createKey(top, classesPath(), created);
  return top;
}

bool isProtectedKey(const KeyPath& path) {
  const KeyPath& classes = classesPath();
  if (path.size() > classes.size()) return false;
  return path.size() <= 1 ||
         samePath(path, KeyPath(classes.begin(), classes.begin() + static_cast<long>(path.size())));
}

const Key* findKey(const Key& from, const KeyPath& path) {
  return findKey(const_cast<Key&>(from), path);
}

Key* findKey(Key& from, const KeyPath& path) {
  Key* key = &from;
  for (const std::string& name : path) {
    key = key->subkey(name);
    if (!key) return nullptr;
  }
  return key;
}

Key& createKey(Key& from, const KeyPath& path, bool& created) {
  created = false;
  Key* key = &from;
  for (const std::string& name : path) {
    Key* next = key->subkey(name);
    if (!next) {
      key->subkeys.push_back(Key{name, {}, {}});
      next = &key->subkeys.back();
      created = true;
    }
    key = next;
  }
  return *key;
}

bool removeKeyTree(Key& top, const KeyPath& path) {
  if (path.empty()) return false;
  Key* parent = findKey(top, KeyPath(path.begin(), path.end() - 1));
  return parent && parent->removeSubkey(path.back());
}

KeyPath splitKeyPath(std::string_view text) { return splitNonEmpty(text, '\\'); }

bool isStorableName(std::string_view name) {
  return name.find_first_of("\r\n") == std::string_view::npos;
}

bool findRootKey(std::string_view name, RootKey& root) {
  const std::string wanted(name);
  for (const RootName& candidate : kRootNames) {
    if (!equalNoCase(wanted, candidate.fullName) && !equalNoCase(wanted, candidate.abbreviation)) {
      continue;
    }
    root.fullName = candidate.fullName;
    root.storePath = root.fullName == "HKEY_CLASSES_ROOT" ? classesPath() : KeyPath{root.fullName};
    return true;
  }
  return false;
}

bool parseKeyName(std::string_view name, KeyPath& path, std::string* fullName) {
  const size_t separator = std::min(name.find('\\'), name.size());
  RootKey root;
  if (!findRootKey(name.substr(0, separator), root)) return false;
  path = root.storePath;
  if (fullName) *fullName = root.fullName;
  for (std::string& sub : splitKeyPath(name.substr(separator))) {
    if (fullName) *fullName += "\\" + sub;
    path.push_back(std::move(sub));
  }
  return true;
}

}  // namespace nt::registry
