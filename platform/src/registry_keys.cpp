// Registry calls on keys: RegOpenKeyA, RegOpenKeyExA, RegCreateKeyA, RegCreateKeyExA,
// RegDeleteKeyA, RegEnumKeyA, RegEnumKeyExA, RegQueryInfoKeyA and RegCloseKey. Like every
// registry call they return the Win32 code and leave the thread's last error alone.
//
// Keys keep no class name, security descriptor or write time: those read as empty or zero.
#include <algorithm>
#include <cstring>

#include "../winerror.h"
#include "../winreg.h"
#include "registry_handles.h"

namespace {

using nt::registry::changeKey;
using nt::registry::Key;
using nt::registry::KeyEdit;
using nt::registry::KeyPath;
using nt::registry::readKey;

KeyPath joined(KeyPath base, const KeyPath& sub) {
  base.insert(base.end(), sub.begin(), sub.end());
  return base;
}

bool storableNames(const KeyPath& path) {
  return std::all_of(path.begin(), path.end(), nt::registry::isStorableName);
}

void copyName(const std::string& name, LPSTR buffer) {
  std::memcpy(buffer, name.c_str(), name.size() + 1);
}

void clearClassName(LPSTR className, LPDWORD classSize) {
  if (className && classSize && *classSize) className[0] = '\0';
  if (classSize) *classSize = 0;
}

void clearTime(LPFILETIME time) {
  if (time) *time = FILETIME{0, 0};
}

void setIfWanted(LPDWORD out, size_t value) {
  if (out) *out = static_cast<DWORD>(value);
}

}  // namespace

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM /*desired*/, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  return readKey(key, [&](const Key& base, const KeyPath& path) -> LONG {
    const KeyPath sub = nt::registry::subkeyPath(subKey);
    if (!nt::registry::findKey(base, sub)) return ERROR_FILE_NOT_FOUND;
    *result = nt::registry::insertKeyHandle(joined(path, sub));
    return ERROR_SUCCESS;
  });
}

LONG RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
  return RegOpenKeyExA(key, subKey, 0, KEY_ALL_ACCESS, result);
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD /*reserved*/, LPSTR /*className*/,
                     DWORD /*options*/, REGSAM /*desired*/,
                     LPSECURITY_ATTRIBUTES /*securityAttributes*/, PHKEY result,
                     LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  const KeyPath sub = nt::registry::subkeyPath(subKey);
  if (!storableNames(sub)) return ERROR_INVALID_PARAMETER;
  bool created = false;
  KeyPath path;
  const LONG code = changeKey(key, [&](KeyEdit& edit) -> LONG {
    nt::registry::createKey(edit.key, sub, created);
    edit.changed = created;
    path = joined(edit.path, sub);
    return ERROR_SUCCESS;
  });
  if (code != ERROR_SUCCESS) return code;
  *result = nt::registry::insertKeyHandle(std::move(path));
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LONG RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
  return RegCreateKeyExA(key, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                         nullptr, result, nullptr);
}

// An empty subkey name deletes the key the handle stands for.
LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  return changeKey(key, [&](KeyEdit& edit) -> LONG {
    const KeyPath path = joined(edit.path, nt::registry::subkeyPath(subKey));
    const Key* doomed = nt::registry::findKey(edit.top, path);
    if (!doomed) return ERROR_FILE_NOT_FOUND;
    if (nt::registry::isProtectedKey(path) || !doomed->subkeys.empty()) return ERROR_ACCESS_DENIED;
    edit.changed = nt::registry::removeKeyTree(edit.top, path);
    return ERROR_SUCCESS;
  });
}

// nameSize counts the terminating NUL.
LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize) {
  if (!name) return ERROR_INVALID_PARAMETER;
  return readKey(key, [&](const Key& parent, const KeyPath&) -> LONG {
    if (index >= parent.subkeys.size()) return ERROR_NO_MORE_ITEMS;
    const std::string& found = parent.subkeys[index].name;
    if (found.size() + 1 > nameSize) return ERROR_MORE_DATA;
    copyName(found, name);
    return ERROR_SUCCESS;
  });
}

// *nameSize is the buffer's size in; the name's length, without the NUL, out.
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                   LPSTR className, LPDWORD classSize, LPFILETIME lastWriteTime) {
  if (!name || !nameSize || reserved) return ERROR_INVALID_PARAMETER;
  return readKey(key, [&](const Key& parent, const KeyPath&) -> LONG {
    if (index >= parent.subkeys.size()) return ERROR_NO_MORE_ITEMS;
    const std::string& found = parent.subkeys[index].name;
    if (found.size() >= *nameSize) return ERROR_MORE_DATA;
    copyName(found, name);
    *nameSize = static_cast<DWORD>(found.size());
    clearClassName(className, classSize);
    clearTime(lastWriteTime);
    return ERROR_SUCCESS;
  });
}

// Lengths of names are in characters without the NUL; maxValueLen is in bytes.
LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classSize, LPDWORD reserved,
                      LPDWORD subKeys, LPDWORD maxSubKeyLen, LPDWORD maxClassLen,
                      LPDWORD values, LPDWORD maxValueNameLen, LPDWORD maxValueLen,
                      LPDWORD securityDescriptor, LPFILETIME lastWriteTime) {
  if (reserved) return ERROR_INVALID_PARAMETER;
  return readKey(key, [&](const Key& found, const KeyPath&) -> LONG {
    size_t longestSubkey = 0, longestName = 0, longestData = 0;
    for (const Key& sub : found.subkeys) longestSubkey = std::max(longestSubkey, sub.name.size());
    for (const auto& value : found.values) {
      longestName = std::max(longestName, value.name.size());
      longestData = std::max(longestData, value.data.size());
    }
    clearClassName(className, classSize);
    setIfWanted(subKeys, found.subkeys.size());
    setIfWanted(maxSubKeyLen, longestSubkey);
    setIfWanted(maxClassLen, 0);
    setIfWanted(values, found.values.size());
    setIfWanted(maxValueNameLen, longestName);
    setIfWanted(maxValueLen, longestData);
    setIfWanted(securityDescriptor, 0);
    clearTime(lastWriteTime);
    return ERROR_SUCCESS;
  });
}

LONG RegCloseKey(HKEY key) {
  if (nt::registry::isPredefinedKey(key)) return ERROR_SUCCESS;
  if (!nt::removeHandleAs<nt::registry::KeyObject>(key)) return ERROR_INVALID_HANDLE;
  return ERROR_SUCCESS;
}
