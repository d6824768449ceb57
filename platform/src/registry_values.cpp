// Registry calls on values: RegQueryValueExA, RegSetValueExA, RegDeleteValueA and
// RegEnumValueA. A NULL or empty value name is the key's default value. Data is kept as the
// caller's raw bytes whatever the type (a REG_SZ's size includes its terminating NUL when the
// caller's does). A buffer too small gets ERROR_MORE_DATA and is left untouched.
#include <cstring>

#include "../winerror.h"
#include "../winreg.h"
#include "registry_handles.h"

namespace {

using nt::registry::Key;
using nt::registry::KeyEdit;
using nt::registry::KeyPath;
using nt::registry::Value;

std::string valueNameOf(LPCSTR name) { return name ? name : ""; }

// Reports the value's type and data into the caller's optional outputs; with a data buffer
// too small, only the type and the needed size.
LONG copyValueData(const Value& value, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  const auto size = static_cast<DWORD>(value.data.size());
  if (type) *type = value.type;
  if (data && *dataSize < size) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  if (data && size) std::memcpy(data, value.data.data(), size);
  if (dataSize) *dataSize = size;
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize) {
  if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  return nt::registry::readKey(key, [&](const Key& found, const KeyPath&) -> LONG {
    const Value* value = found.value(valueNameOf(valueName));
    if (!value) return ERROR_FILE_NOT_FOUND;
    return copyValueData(*value, type, data, dataSize);
  });
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD /*reserved*/, DWORD type, const BYTE* data,
                    DWORD dataSize) {
  const std::string name = valueNameOf(valueName);
  if ((!data && dataSize) || !nt::registry::isStorableName(name)) return ERROR_INVALID_PARAMETER;
  std::vector<BYTE> bytes(data, data + dataSize);
  return nt::registry::changeKey(key, [&](KeyEdit& edit) -> LONG {
    edit.key.setValue(name, type, std::move(bytes));
    edit.changed = true;
    return ERROR_SUCCESS;
  });
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName) {
  return nt::registry::changeKey(key, [&](KeyEdit& edit) -> LONG {
    if (!edit.key.removeValue(valueNameOf(valueName))) return ERROR_FILE_NOT_FOUND;
    edit.changed = true;
    return ERROR_SUCCESS;
  });
}

// *valueNameSize is the buffer's size in; the name's length, without the NUL, out.
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize,
                   LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (!valueName || !valueNameSize || reserved || (data && !dataSize)) {
    return ERROR_INVALID_PARAMETER;
  }
  return nt::registry::readKey(key, [&](const Key& found, const KeyPath&) -> LONG {
    if (index >= found.values.size()) return ERROR_NO_MORE_ITEMS;
    const Value& value = found.values[index];
    if (value.name.size() >= *valueNameSize) return ERROR_MORE_DATA;
    const LONG code = copyValueData(value, type, data, dataSize);
    if (code != ERROR_SUCCESS) return code;
    std::memcpy(valueName, value.name.c_str(), value.name.size() + 1);
    *valueNameSize = static_cast<DWORD>(value.name.size());
    return ERROR_SUCCESS;
  });
}
